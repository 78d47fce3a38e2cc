// "保存后同步到终端" in the main frame: with the built-in terminal chosen,
// checking it sends the project, a page saved in its window reaches the
// terminal and is shown, the status bar tells each round, and the action
// follows the project.

#include "gui/ShellTestSupport.h"
#include "port/BuiltinTestSupport.h"

#include "port/HotReload.h"
#include "shell/HotReloadAction.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

using h5test::BuiltinRig;
using h5test::ShellFixture;

namespace {

class HotReloadActionTest : public ShellFixture
{
protected:
    h5::HotReloadAction *sync() const { return frame->findChild<h5::HotReloadAction *>(); }
    QString status() const { return frame->statusBar()->currentMessage(); }

    BuiltinRig rig;
};

} // namespace

TEST_F(HotReloadActionTest, APageSavedInItsWindowIsShownOnTheTerminal)
{
    ASSERT_NE(sync(), nullptr);
    QAction *action = sync()->action();
    EXPECT_EQ(action->text(), QStringLiteral("保存后同步到终端"));
    EXPECT_TRUE(action->isCheckable());
    EXPECT_TRUE(frame->menuBar()->findChild<QMenu *>(QStringLiteral("menuFile"))->actions().contains(action));
    EXPECT_FALSE(action->isEnabled()) << "no project yet";

    ASSERT_TRUE(newProject());
    ASSERT_TRUE(newPage(0));
    ASSERT_TRUE(newPage(1));
    EXPECT_TRUE(action->isEnabled());
    sync()->choosePort(rig.port(), 1228800);
    action->setChecked(true);
    ASSERT_TRUE(action->isChecked());
    ASSERT_NE(sync()->reload(), nullptr);
    ASSERT_TRUE(rig.waitFor([&] { return status().contains(QStringLiteral("已发送")); }))
        << status().toStdString();

    // Page 0 gets a rectangle and is saved from its window (保存).
    h5::CMyView *view = frame->pageViews().front();
    frame->activatePageView(view);
    h5::CGraph rect = h5test::element(h5::Kind::SolidRect, 0, {10, 10}, {60, 40});
    view->document().appendElement(rect);
    frame->statusBar()->clearMessage();
    app->onSaveProject();
    ASSERT_TRUE(rig.waitFor([&] {
        return status().contains(QStringLiteral("显示画面 0")) && !sync()->reload()->busy();
    })) << status().toStdString();
    EXPECT_TRUE(status().startsWith(QStringLiteral("同步到终端：已发送 工程数据（"))) << status().toStdString();
    EXPECT_TRUE(rig.vt().projectData() == sync()->reload()->cache().projectData());
    EXPECT_EQ(rig.vt().currentPage(), 0);

    action->setChecked(false);
    EXPECT_EQ(sync()->reload(), nullptr);
    EXPECT_EQ(rig.terminal().line(), nullptr) << "the line to the terminal was let go";
}
