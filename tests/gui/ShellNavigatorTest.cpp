// The project navigator dock ("工程导航条"): shown and hidden from the view
// menu, its lists follow new pages, closed windows, builds and page
// commands, and a double click on a page opens it.

#include "gui/ShellTestSupport.h"

#include "shell/Commands.h"
#include "shell/ProjectNavigatorDock.h"

#include <QAction>
#include <QLabel>
#include <QMouseEvent>
#include <QTreeWidget>

namespace {

class ShellNavigatorTest : public h5test::ShellFixture
{
protected:
    h5::ProjectNavigatorDock *dock() const { return frame->projectNavigator(); }

    void showDock()
    {
        QAction *item = frame->action(h5::Cmd::ViewNavigator);
        ASSERT_NE(item, nullptr);
        if (!item->isChecked())
            item->trigger();
        ASSERT_TRUE(dock()->isVisible());
    }

    // Rows of a list as their column texts joined by "|".
    static QStringList rows(QTreeWidget *list)
    {
        QCoreApplication::processEvents();
        QStringList out;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int c = 0; c < list->columnCount(); ++c)
                cells << list->topLevelItem(i)->text(c);
            out << cells.join(QLatin1Char('|'));
        }
        return out;
    }

    static void doubleClick(QTreeWidget *list, int row)
    {
        QTreeWidgetItem *item = list->topLevelItem(row);
        ASSERT_NE(item, nullptr);
        QWidget *port = list->viewport();
        const QPointF at = QPointF(list->visualItemRect(item).center());
        const QPointF global = port->mapToGlobal(at);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                  QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            QMouseEvent e(type, at, global, Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
            QCoreApplication::sendEvent(port, &e);
        }
    }
};

} // namespace

TEST_F(ShellNavigatorTest, ViewMenuItemShowsAndHidesTheDockAndIsCheckedWhileShown)
{
    QAction *item = frame->action(h5::Cmd::ViewNavigator);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isCheckable());
    EXPECT_TRUE(item->isEnabled());
    EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(dock()->isVisible());
    item->trigger();
    EXPECT_TRUE(dock()->isVisible());
    EXPECT_TRUE(item->isChecked());
    // Without a project the dock says so.
    EXPECT_EQ(dock()->noteLabel()->text(), QStringLiteral("没有打开的工程"));
    item->trigger();
    EXPECT_FALSE(dock()->isVisible());
    EXPECT_FALSE(item->isChecked());
}

TEST_F(ShellNavigatorTest, PageListFollowsNewPagesClosedWindowsAndPageCommands)
{
    showDock();
    ASSERT_TRUE(newProject());
    EXPECT_TRUE(rows(dock()->pageList()).isEmpty());
    ASSERT_TRUE(newPage(0));
    prompts.pageAnswer = [](h5::NewPageValues &v) {
        v.pageNo = 3;
        v.layer = 1;
        v.auxiliary = true;
    };
    app->onNewPage();
    ASSERT_EQ(frame->pageViews().size(), 2);
    EXPECT_EQ(rows(dock()->pageList()),
              (QStringList{QStringLiteral("0|0|主页面|1|已打开"), QStringLiteral("3|1|辅页面|1|已打开")}));

    // Closing page 3's window shows it as not open.
    h5::CMyView *page3 = frame->pageViews().last();
    frame->closePageWindow(page3);
    h5test::processDeletes();
    EXPECT_EQ(rows(dock()->pageList()),
              (QStringList{QStringLiteral("0|0|主页面|1|已打开"), QStringLiteral("3|1|辅页面|1|")}));

    // The page command that takes the active page (0) out of the project.
    prompts.answer = true;
    ASSERT_TRUE(frame->runCommand(h5::Cmd::DeletePage));
    EXPECT_EQ(rows(dock()->pageList()), QStringList{QStringLiteral("3|1|辅页面|1|")});
}

TEST_F(ShellNavigatorTest, DoubleClickOnAPageOpensItsWindow)
{
    showDock();
    ASSERT_TRUE(newProject());
    ASSERT_TRUE(newPage(2));
    frame->closePageWindow(frame->pageViews().first());
    h5test::processDeletes();
    ASSERT_TRUE(frame->pageViews().isEmpty());
    ASSERT_EQ(rows(dock()->pageList()), QStringList{QStringLiteral("2|0|主页面|1|")});

    doubleClick(dock()->pageList(), 0);
    ASSERT_EQ(frame->pageViews().size(), 1);
    EXPECT_EQ(frame->pageViews().first()->title(), QStringLiteral("2.wlp"));
    EXPECT_EQ(rows(dock()->pageList()), QStringList{QStringLiteral("2|0|主页面|1|已打开")});
}

TEST_F(ShellNavigatorTest, BuildOfTheDemoListsItsPicturesAndMarksAMissingOne)
{
    const auto made = h5test::runCli({"demo", dir.path()});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    ASSERT_TRUE(app->openProject(dir.filePath(QStringLiteral("demo/demo.wgc"))));
    showDock();
    EXPECT_EQ(app->openAllPages(), 2);
    const QStringList pictures = rows(dock()->pictureList());
    ASSERT_FALSE(pictures.isEmpty());
    EXPECT_FALSE(pictures.first().contains(QStringLiteral("丢失")));

    // The picture file goes; the build reports it, and so does the list.
    const QString name = dock()->pictureList()->topLevelItem(0)->text(1);
    ASSERT_TRUE(QFile::remove(app->project().picturesDir() + QLatin1Char('/') + name));
    ASSERT_TRUE(frame->runCommand(h5::Cmd::Build));
    EXPECT_TRUE(rows(dock()->pictureList()).first().contains(name + QStringLiteral(" (丢失)")));
}
