// The main frame: menus, tool bars, status bar, command states, the build
// command, the windows it opens, the page windows and the page view.

#include "gui/ShellTestSupport.h"

#include "debug/DebugWindow.h"
#include "debug/LiveDrawingPanel.h"
#include "editor/TerminalPreviewWindow.h"
#include "terminal/BuiltProject.h"
#include "serial/ProjectWindow.h"
#include "serial/DownloadWindow.h"
#include "shell/Commands.h"
#include "shell/ProjectNavigatorDock.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDockWidget>
#include <QGridLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

namespace {

class ShellMainFrameTest : public h5test::ShellFixture {};
class ShellViewTest : public h5test::ShellFixture {};

// Command ids of a tool bar's actions in order, 0 for a separator; widgets
// (the grid spacing group) are left out.
std::vector<int> barCommands(QToolBar *bar)
{
    std::vector<int> ids;
    for (QAction *a : bar->actions()) {
        if (a->isSeparator())
            ids.push_back(0);
        else if (a->data().isValid())
            ids.push_back(a->data().toInt());
    }
    return ids;
}

QStringList menuTexts(QMenu *menu)
{
    QStringList texts;
    for (QAction *a : menu->actions())
        if (!a->isSeparator())
            texts << a->text();
    return texts;
}

QMenu *menuNamed(QMainWindow *frame, const char *name)
{
    return frame->findChild<QMenu *>(QString::fromLatin1(name));
}

void moveMouse(QWidget *target, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(at), target->mapToGlobal(QPointF(at)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
}

} // namespace

// ---- menus and bars -------------------------------------------------------------

TEST_F(ShellMainFrameTest, MenusCarryTheProgramsTexts)
{
    QStringList titles;
    for (QAction *a : frame->menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(titles, (QStringList{"文件(&F)", "编辑(&E)", "查看(&V)", "工具(&T)", "窗口(&W)",
                                   "帮助(&H)"}));

    const QStringList file = menuTexts(menuNamed(frame.get(), "menuFile"));
    for (const char *text : {"新建工程", "打开工程", "保存工程", "新建页面(&N)\tCtrl+N",
                             "打开页面(&O)...\tCtrl+O", "保存(&S)\tCtrl+S", "工程管理"})
        EXPECT_TRUE(file.contains(QString::fromUtf8(text))) << text;
    EXPECT_LT(file.indexOf("新建工程"), file.indexOf("新建页面(&N)\tCtrl+N"));

    const QStringList edit = menuTexts(menuNamed(frame.get(), "menuEdit"));
    for (const char *text : {"撤消(&U)\tCtrl+U", "返回撤消", "剪切(&X)\tCtrl+X", "复制(&C)\tCtrl+C",
                             "粘贴(&V)\tCtrl+V", "删除(&D)\tDelete", "下移一层\tShift+B",
                             "上移一层\tShift+F", "将当前画面添加进工程", "从工程中删除当前画面",
                             "页面生成txt文本", "页面生成bmp位图", "页面生成ID编号", "截取页面"})
        EXPECT_TRUE(edit.contains(QString::fromUtf8(text))) << text;

    EXPECT_EQ(menuTexts(menuNamed(frame.get(), "menuView")),
              (QStringList{"快速启动栏(&T)", "绘图工具栏(&H)", "页面视图栏", "状态栏(&S)",
                           "工程导航条", "终端预览", "放大\tCtrl++", "缩小\tCtrl+-",
                           "实际大小\tCtrl+0", "适合窗口"}));
    EXPECT_EQ(menuTexts(menuNamed(frame.get(), "menuTools")),
              (QStringList{"图元编辑", "在线调试"}));
}

TEST_F(ShellMainFrameTest, ToolBarsHoldTheirButtonsInOrderAndGroups)
{
    EXPECT_EQ(barCommands(frame->quickLaunchBar()),
              (std::vector<int>{57600, 57601, 32793, 32886, 0, 32891, 32795, 32892, 0, 32796,
                                32794, 32801, 32784, 0, 32788, 32791}));
    EXPECT_EQ(barCommands(frame->pageViewBar()),
              (std::vector<int>{57643, 0, 57635, 57634, 57637, 32785, 0, 32825, 0, 32824, 0,
                                h5::Cmd::TerminalPreview}));

    // The drawing bar: two buttons to a row, in the program's rows.
    const std::vector<std::vector<int>> rows = {
        {32771, 32858}, {32773, 32781}, {32774, 32775}, {32776, 32849}, {32778, 32850},
        {32782, 32857}, {32856},        {32876},        {32811, 32813}, {32812, 32814},
        {32854, 32889}};
    auto *grid = frame->drawingBar()->findChild<QWidget *>(QStringLiteral("drawingButtons"));
    ASSERT_NE(grid, nullptr);
    auto *layout = qobject_cast<QGridLayout *>(grid->layout());
    ASSERT_NE(layout, nullptr);
    for (int r = 0; r < int(rows.size()); ++r) {
        for (int c = 0; c < 2; ++c) {
            QLayoutItem *item = layout->itemAtPosition(r, c);
            if (c >= int(rows[size_t(r)].size())) {
                EXPECT_EQ(item, nullptr) << "row " << r;
                continue;
            }
            ASSERT_NE(item, nullptr) << "row " << r;
            auto *button = qobject_cast<QToolButton *>(item->widget());
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->defaultAction()->data().toInt(), rows[size_t(r)][size_t(c)]);
        }
    }
    EXPECT_EQ(frame->toolBarArea(frame->drawingBar()), Qt::LeftToolBarArea);
    EXPECT_EQ(frame->toolBarArea(frame->quickLaunchBar()), Qt::TopToolBarArea);
}

TEST_F(ShellMainFrameTest, EveryButtonHasAnIcon)
{
    for (QToolBar *bar : {frame->quickLaunchBar(), frame->pageViewBar()}) {
        for (QAction *a : bar->actions()) {
            if (!a->isSeparator() && a->data().isValid()) {
                const QIcon icon = a->icon();
                EXPECT_FALSE(icon.isNull()) << a->objectName().toStdString();
                EXPECT_FALSE(icon.pixmap(20, 20).isNull()) << a->objectName().toStdString();
            }
        }
    }
    for (QToolButton *b : frame->drawingBar()->findChildren<QToolButton *>()) {
        if (b->defaultAction()) {
            EXPECT_FALSE(b->defaultAction()->icon().pixmap(20, 20).isNull())
                << b->objectName().toStdString();
        }
    }
}

TEST_F(ShellMainFrameTest, GridSpacingBoxesStartAtOneAndStopAtOneAndFifty)
{
    for (QSpinBox *box : {frame->gridSpacingXBox(), frame->gridSpacingYBox()}) {
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QStringLiteral("1"));
        box->stepDown();
        EXPECT_EQ(box->value(), 1);
        box->setValue(49);
        box->stepUp();
        box->stepUp();
        EXPECT_EQ(box->value(), 50);
    }
    EXPECT_EQ(frame->gridSpacingX(), 50);
    const QStringList labels = {frame->findChild<QLabel *>("gridLabelX")->text(),
                                frame->findChild<QLabel *>("gridLabelY")->text()};
    EXPECT_EQ(labels, (QStringList{"X", "Y"}));
}

// Two buttons whose status-bar prompt is not their tool tip.
TEST_F(ShellMainFrameTest, StatusPromptIsTheToolTipInsteadOfItsOwnText)
{
    const struct
    {
        int command;
        const char *prompt;
        const char *tip;
    } cases[] = {
        {h5::Cmd::Download, "直接下载各文件", "下载文件"},
        {h5::Cmd::ProjectManagement, "工程管理", "打开工程管理框"},
        {h5::Cmd::Build, "编译", "编译"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.command);
        QAction *a = frame->action(c.command);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->statusTip(), QString::fromUtf8(c.prompt));
        EXPECT_EQ(a->toolTip(), QString::fromUtf8(c.tip));
    }
}

TEST_F(ShellMainFrameTest, StatusBarHasTheLogicalCoordinatesPane)
{
    ASSERT_NE(frame->indicatorPane(), nullptr);
    EXPECT_EQ(frame->indicatorPane()->text(), QStringLiteral("逻辑坐标"));
    EXPECT_EQ(frame->indicatorPane()->parentWidget(), frame->statusBar());
}

TEST_F(ShellMainFrameTest, HidingABarThroughItsMenuItemUnchecksIt)
{
    const struct
    {
        int id;
        QWidget *bar;
    } cases[] = {
        {h5::Cmd::ViewQuickBar, frame->quickLaunchBar()},
        {h5::Cmd::ViewDrawingBar, frame->drawingBar()},
        {h5::Cmd::ViewPageBar, frame->pageViewBar()},
        {h5::Cmd::ViewStatusBar, frame->statusBar()},
    };
    for (const auto &c : cases) {
        QAction *item = frame->action(c.id);
        ASSERT_NE(item, nullptr) << c.id;
        EXPECT_TRUE(item->isChecked()) << c.id;
        item->trigger();
        EXPECT_FALSE(c.bar->isVisible()) << c.id;
        EXPECT_FALSE(item->isChecked()) << c.id;
        item->trigger();
        EXPECT_TRUE(c.bar->isVisible()) << c.id;
        EXPECT_TRUE(item->isChecked()) << c.id;
    }
}

// ---- command states ---------------------------------------------------------------

TEST_F(ShellMainFrameTest, ProjectCommandsAreEnabledOnlyWhileAProjectIsOpen)
{
    const int projectCommands[] = {h5::Cmd::SaveProject, h5::Cmd::NewPage, h5::Cmd::OpenPage,
                                   h5::Cmd::OpenAllPages, h5::Cmd::Build,
                                   h5::Cmd::ProjectManagement, h5::Cmd::Save};
    const int alwaysEnabled[] = {h5::Cmd::NewProject, h5::Cmd::OpenProject, h5::Cmd::Download,
                                 h5::Cmd::OnlineDebug, h5::Cmd::ToolsOnlineDebug};
    // Commands without a handler anywhere.
    const int neverEnabled[] = {h5::Cmd::ToolUnused};

    for (int id : projectCommands)
        EXPECT_FALSE(frame->action(id)->isEnabled()) << id;
    for (int id : alwaysEnabled)
        EXPECT_TRUE(frame->action(id)->isEnabled()) << id;

    ASSERT_TRUE(newProject());
    for (int id : projectCommands)
        EXPECT_TRUE(frame->action(id)->isEnabled()) << id;

    ASSERT_TRUE(newPage());
    for (int id : neverEnabled)
        EXPECT_FALSE(frame->action(id)->isEnabled()) << id;
    // A disabled command does nothing when run.
    EXPECT_FALSE(frame->runCommand(h5::Cmd::ToolUnused));
}

// The actions follow what they depend on: no call brings them up to date
// after a change, as none is made here.
TEST_F(ShellMainFrameTest, EditCommandsFollowTheSelectionTheClipboardAndUndoAtOnce)
{
    ASSERT_TRUE(newProject(QStringLiteral("工程甲")));
    ASSERT_TRUE(newPage(12));
    h5::CMyView *view = frame->activePageView();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(view->save());
    const int needSelection[] = {h5::Cmd::Delete, h5::Cmd::Cut, h5::Cmd::Copy, h5::Cmd::ToBack,
                                 h5::Cmd::ToFront, h5::Cmd::ElementEdit};
    auto enabled = [&](int id) { return frame->action(id)->isEnabled(); };
    EXPECT_FALSE(enabled(h5::Cmd::Undo));

    view->document().appendElement(h5test::element(h5::Kind::SolidRect, 0, {10, 10}, {30, 30}));
    EXPECT_TRUE(enabled(h5::Cmd::Undo)) << "a creation can be undone";
    EXPECT_EQ(frame->windowTitle(), h5::productTitle() + QStringLiteral(" - 工程甲 - 12.wlp*"));
    for (int id : needSelection)
        EXPECT_FALSE(enabled(id)) << id;

    view->document().select(0);
    for (int id : needSelection)
        EXPECT_TRUE(enabled(id)) << id;

    // Copy fills the clipboard and lets the element go.
    ASSERT_TRUE(frame->runCommand(h5::Cmd::Copy));
    EXPECT_TRUE(enabled(h5::Cmd::Paste));
    for (int id : needSelection)
        EXPECT_FALSE(enabled(id)) << id;

    // Undoing back to the saved page clears the mark and turns redo on.
    ASSERT_TRUE(frame->runCommand(h5::Cmd::Undo));
    EXPECT_FALSE(enabled(h5::Cmd::Undo));
    EXPECT_TRUE(enabled(h5::Cmd::Redo));
    EXPECT_FALSE(view->isModified());
    EXPECT_EQ(frame->frameOf(view)->windowTitle(), QStringLiteral("12.wlp"));
    EXPECT_EQ(frame->windowTitle(), h5::productTitle() + QStringLiteral(" - 工程甲 - 12.wlp"));
    ASSERT_TRUE(frame->runCommand(h5::Cmd::Redo));
    EXPECT_FALSE(enabled(h5::Cmd::Redo));
    EXPECT_TRUE(enabled(h5::Cmd::Undo));
}

// When another page window becomes active the actions follow its page, and
// no longer the page active before.
TEST_F(ShellMainFrameTest, CommandsFollowOnlyTheActivePage)
{
    ASSERT_TRUE(newProject());
    ASSERT_TRUE(newPage(1));
    h5::CMyView *one = frame->activePageView();
    ASSERT_TRUE(newPage(2));
    h5::CMyView *two = frame->activePageView();
    ASSERT_TRUE(one && two && one != two);
    one->document().appendElement(h5test::element(h5::Kind::SolidRect, 0, {10, 10}, {30, 30}));
    one->document().select(0);
    EXPECT_FALSE(frame->action(h5::Cmd::Delete)->isEnabled()) << "page 1 is not the active one";

    frame->activatePageView(one);
    EXPECT_TRUE(frame->action(h5::Cmd::Delete)->isEnabled());
    frame->activatePageView(two);
    EXPECT_FALSE(frame->action(h5::Cmd::Delete)->isEnabled());
    // The page left behind changes: the actions do not hear of it.
    one->document().clearSelection();
    one->document().select(0);
    EXPECT_FALSE(frame->action(h5::Cmd::Delete)->isEnabled());
    two->document().setTool(h5::Kind::Line);
    EXPECT_TRUE(frame->action(h5::Cmd::ToolLine)->isChecked());
    one->document().setTool(h5::Kind::SolidEllipse);
    EXPECT_FALSE(frame->action(h5::Cmd::ToolFilledEllipse)->isChecked());
    EXPECT_TRUE(frame->action(h5::Cmd::ToolLine)->isChecked());
}

TEST_F(ShellMainFrameTest, ClosingTheLastPageDisablesThePageCommands)
{
    const int pageCommands[] = {h5::Cmd::PageSettings, h5::Cmd::ExportText, h5::Cmd::ExportBitmap,
                                h5::Cmd::ToolLine, h5::Cmd::ZoomIn, h5::Cmd::ShowGrid,
                                h5::Cmd::WindowCascade, h5::Cmd::TerminalPreview};
    ASSERT_TRUE(newProject());
    ASSERT_TRUE(newPage(1));
    h5::CMyView *one = frame->activePageView();
    ASSERT_TRUE(newPage(2));
    h5::CMyView *two = frame->activePageView();
    for (int id : pageCommands)
        EXPECT_TRUE(frame->action(id)->isEnabled()) << id;

    // The window closed by its own close button, the other by the frame.
    ASSERT_TRUE(frame->frameOf(two)->close());
    for (int id : pageCommands)
        EXPECT_TRUE(frame->action(id)->isEnabled()) << id << ": page 1 is still open";
    frame->closePageWindow(one);
    for (int id : pageCommands)
        EXPECT_FALSE(frame->action(id)->isEnabled()) << id;
    EXPECT_FALSE(frame->runCommand(h5::Cmd::ZoomIn));
    h5test::processDeletes();
    for (int id : pageCommands)
        EXPECT_FALSE(frame->action(id)->isEnabled()) << id;
}

// However a bar is hidden or shown (its menu item, its own close button,
// the frame's bar menu), its item follows.
TEST_F(ShellMainFrameTest, HidingABarAnyWayUnchecksItsItem)
{
    const struct
    {
        int id;
        QWidget *bar;
    } cases[] = {
        {h5::Cmd::ViewQuickBar, frame->quickLaunchBar()},
        {h5::Cmd::ViewDrawingBar, frame->drawingBar()},
        {h5::Cmd::ViewPageBar, frame->pageViewBar()},
        {h5::Cmd::ViewStatusBar, frame->statusBar()},
        {h5::Cmd::ViewNavigator, frame->projectNavigator()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        QAction *item = frame->action(c.id);
        ASSERT_NE(item, nullptr);
        c.bar->show();
        EXPECT_TRUE(item->isChecked());
        c.bar->hide();
        EXPECT_FALSE(item->isChecked());
        for (const auto &other : cases)
            if (other.id != c.id) {
                EXPECT_EQ(frame->action(other.id)->isChecked(), other.bar->isVisibleTo(frame.get()))
                    << other.id;
            }
        c.bar->show();
        EXPECT_TRUE(item->isChecked());
    }
    frame->projectNavigator()->hide();
}

// The frame going with page windows open, a selection, a hidden bar and a
// moved one: the windows it destroys send signals (hidden, closed,
// destroyed) while the frame is half gone, which must reach nothing of
// it. The sanitizer build catches a use after free here.
TEST_F(ShellMainFrameTest, FrameGoesWithPageWindowsOpenWithoutTouchingWhatIsGone)
{
    const struct
    {
        const char *name;
        bool closeFirst;
        int firstPage;
    } cases[] = {{"destroyed at once", false, 1}, {"closed, then destroyed", true, 4}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (!frame) {
            frame = std::make_unique<h5::CMainFrame>(*app);
            frame->show();
        }
        if (!app->isProjectOpen()) {
            ASSERT_TRUE(newProject());
        }
        for (int n = c.firstPage; n < c.firstPage + 3; ++n)
            ASSERT_TRUE(newPage(n));
        h5::CMyView *view = frame->activePageView();
        ASSERT_NE(view, nullptr);
        view->document().appendElement(h5test::element(h5::Kind::SolidRect, 0, {10, 10}, {30, 30}));
        view->document().select(0);
        ASSERT_TRUE(frame->runCommand(h5::Cmd::ShowGrid));
        frame->pageViewBar()->hide();
        frame->addToolBar(Qt::RightToolBarArea, frame->drawingBar());
        frame->projectNavigator()->show();
        QPointer<h5::CMyView> watched(view);
        prompts.saveAnswer = h5::SaveAnswer::Discard;
        if (c.closeFirst) {
            EXPECT_TRUE(frame->close());
            h5test::processDeletes();
        }
        frame.reset();
        h5test::processDeletes();
        EXPECT_TRUE(watched.isNull());
        EXPECT_EQ(app->pageWindows(), nullptr);
    }
}

TEST_F(ShellMainFrameTest, DrawingToolsFollowTheActivePage)
{
    EXPECT_FALSE(frame->action(h5::Cmd::ToolLine)->isEnabled());
    ASSERT_TRUE(newProject());
    ASSERT_TRUE(newPage());
    EXPECT_TRUE(frame->action(h5::Cmd::ToolPointer)->isChecked());
    ASSERT_TRUE(frame->runCommand(h5::Cmd::ToolFilledEllipse));
    h5::CMyView *view = frame->activePageView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->tool(), h5::Kind::SolidEllipse);
    EXPECT_TRUE(frame->action(h5::Cmd::ToolFilledEllipse)->isChecked());
    EXPECT_FALSE(frame->action(h5::Cmd::ToolPointer)->isChecked());

    // Each page keeps its own tool.
    ASSERT_TRUE(newPage());
    EXPECT_TRUE(frame->action(h5::Cmd::ToolPointer)->isChecked());
    frame->activatePageView(view);
    EXPECT_TRUE(frame->action(h5::Cmd::ToolFilledEllipse)->isChecked());
}

TEST_F(ShellMainFrameTest, EveryDrawingBarButtonSelectsTheToolOfItsCommand)
{
    ASSERT_TRUE(newProject());
    ASSERT_TRUE(newPage());
    h5::CMyView *view = frame->activePageView();
    ASSERT_NE(view, nullptr);
    // The buttons on the bar, by the command of their action.
    QMap<int, QToolButton *> buttons;
    for (QToolButton *b : frame->drawingBar()->findChildren<QToolButton *>())
        if (b->defaultAction())
            buttons.insert(b->defaultAction()->data().toInt(), b);
    for (const h5::ToolCommand &t : h5::kToolCommands) {
        SCOPED_TRACE(t.tip);
        QToolButton *button = buttons.value(t.command);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(t.tip));
        button->click();
        EXPECT_EQ(view->tool(), t.tool);
        EXPECT_TRUE(button->isChecked());
    }
}

// ---- build and the windows of the serial link ----------------------------------------

TEST_F(ShellMainFrameTest, BuildOfTheDemoProjectReportsSuccess)
{
    const auto made = h5test::runCli({"demo", dir.path()});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    ASSERT_TRUE(app->openProject(dir.filePath(QStringLiteral("demo/demo.wgc"))));
    EXPECT_EQ(app->openAllPages(), 2);
    prompts.messages.clear();

    ASSERT_TRUE(frame->runCommand(h5::Cmd::Build));
    EXPECT_EQ(prompts.messages, QStringList{QStringLiteral("编译完成!")});
    EXPECT_TRUE(prompts.statuses.contains(QStringLiteral("正在编译，请稍后............")));
    EXPECT_EQ(prompts.statuses.last(), QStringLiteral("编译完成"));
    for (h5::CMyView *view : frame->pageViews())
        EXPECT_FALSE(view->isModified());
}

TEST_F(ShellMainFrameTest, BuildWithoutOpenPagesSaysSo)
{
    ASSERT_TRUE(newProject());
    ASSERT_TRUE(frame->runCommand(h5::Cmd::Build));
    EXPECT_EQ(prompts.messages, QStringList{QStringLiteral("无画面，编译完成!")});
}

TEST_F(ShellMainFrameTest, DownloadAndProjectWindowsGetTheOpenProject)
{
    ASSERT_TRUE(newProject());
    QStringList opened;
    QString presetProject;
    prompts.form = [&](QDialog &dialog) {
        opened << QString::fromLatin1(dialog.metaObject()->className());
        if (auto *download = qobject_cast<h5::DownloadWindow *>(&dialog))
            presetProject = download->files().project;
        return false;
    };
    ASSERT_TRUE(frame->runCommand(h5::Cmd::Download));
    ASSERT_TRUE(frame->runCommand(h5::Cmd::ProjectManagement));
    EXPECT_EQ(opened, (QStringList{"h5::DownloadWindow", "h5::ProjectWindow"}));
    EXPECT_EQ(QFileInfo(presetProject).canonicalFilePath(),
              QFileInfo(app->project().file).canonicalFilePath());
}

// ---- page windows ---------------------------------------------------------------------------

TEST_F(ShellMainFrameTest, PageWindowIgnoresCaptionDoubleClickAndKeepsItsSize)
{
    ASSERT_TRUE(newProject(QStringLiteral("p"), 0));
    ASSERT_TRUE(newPage());
    h5::CChildFrame *child = frame->frameOf(frame->pageViews().first());
    const QSize size = child->size();
    EXPECT_EQ(size, QSize(332, app->m_nCaptionHeight + 246));
    EXPECT_EQ(child->minimumSize(), child->maximumSize());

    const QPointF onCaption(child->width() / 2.0, app->m_nCaptionHeight / 2.0);
    QMouseEvent click(QEvent::MouseButtonDblClick, onCaption, child->mapToGlobal(onCaption),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(child, &click);
    EXPECT_FALSE(child->isMaximized());
    EXPECT_FALSE(child->isShaded());
    EXPECT_EQ(child->size(), size);

    child->resize(size + QSize(100, 100));
    EXPECT_EQ(child->size(), size);
    EXPECT_FALSE(child->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(child->windowFlags() & Qt::WindowMinimizeButtonHint);
}

// The main window names the project and the active page; a page with
// changes not saved carries "*" in both titles until it is saved.
TEST_F(ShellMainFrameTest, TitlesHideTheProjectOrAModifiedPage)
{
    EXPECT_EQ(frame->windowTitle(), h5::productTitle());
    ASSERT_TRUE(newProject(QStringLiteral("工程甲")));
    EXPECT_EQ(frame->windowTitle(), h5::productTitle() + QStringLiteral(" - 工程甲"));
    ASSERT_TRUE(newPage(12));
    h5::CMyView *view = frame->activePageView();
    ASSERT_NE(view, nullptr);
    const struct
    {
        const char *name;
        std::function<void()> act;
        QString page;
    } steps[] = {
        {"new page", [] {}, QStringLiteral("12.wlp")},
        {"changed", [view] { view->setModified(); }, QStringLiteral("12.wlp*")},
        {"saved", [view] { view->save(); }, QStringLiteral("12.wlp")},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(s.name);
        s.act();
        EXPECT_EQ(frame->frameOf(view)->windowTitle(), s.page);
        EXPECT_EQ(frame->windowTitle(), h5::productTitle() + QStringLiteral(" - 工程甲 - ") + s.page);
    }
}

// ---- page view ---------------------------------------------------------------------------------

TEST_F(ShellViewTest, MousePositionGoesToTheStatusBarClampedToThePage)
{
    ASSERT_TRUE(newProject(QStringLiteral("p"), 1)); // 320*240
    ASSERT_TRUE(newPage());
    h5::CMyView *view = frame->activePageView();
    const struct
    {
        QPoint at;
        const char *status;
    } cases[] = {
        {{10, 20}, "逻辑坐标：X=10,Y=20"},
        {{0, 0}, "逻辑坐标：X=0,Y=0"},
        {{325, 245}, "逻辑坐标：X=319,Y=239"},
        {{-4, 7}, "逻辑坐标：X=-4,Y=7"},
    };
    for (const auto &c : cases) {
        moveMouse(view->viewport(), c.at);
        ASSERT_FALSE(prompts.statuses.isEmpty());
        EXPECT_EQ(prompts.statuses.last(), QString::fromUtf8(c.status));
    }
}

TEST_F(ShellViewTest, PageIsDrawnOverItsBackgroundColour)
{
    ASSERT_TRUE(newProject());
    ASSERT_TRUE(newPage());
    h5::CMyView *view = frame->activePageView();
    {
        h5::CTypeGraph settings = view->settings();
        settings.m_crBack = h5::RGB(0, 0, 64);
        view->document().replaceSettings(settings);
    }
    h5::CGraph rect = h5test::element(h5::Kind::SolidRect, 0, {10, 10}, {30, 20});
    rect.m_crColor1 = h5::RGB(255, 0, 0);
    view->document().appendElement(rect);
    view->refresh();

    const QImage &canvas = view->canvas();
    EXPECT_EQ(canvas.size(), QSize(800, 480));
    EXPECT_EQ(canvas.pixelColor(5, 5), QColor(0, 0, 64));
    EXPECT_EQ(canvas.pixelColor(20, 15), QColor(255, 0, 0));
    EXPECT_EQ(canvas.pixelColor(799, 479), QColor(0, 0, 64));

    // What reaches the window is that drawing.
    const QImage shown = view->viewport()->grab().toImage();
    EXPECT_EQ(shown.pixelColor(20, 15), QColor(255, 0, 0));
    EXPECT_EQ(shown.pixelColor(5, 5), QColor(0, 0, 64));
}

TEST_F(ShellViewTest, BrokenPictureIsReportedOnceAndThePageStillShows)
{
    ASSERT_TRUE(newProject());
    ASSERT_TRUE(newPage());
    const QString pictures = app->project().picturesDir();
    QFile bad(pictures + QStringLiteral("/bad.bmp"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("BMnot really a bitmap");
    bad.close();

    h5::CMyView *view = frame->activePageView();
    h5::CGraph picture = h5test::element(h5::Kind::Bitmap, 0, {0, 0}, {40, 40});
    picture.m_strText1 = "bad.bmp";
    picture.m_strText3 = "bad";
    view->document().appendElement(picture);
    view->document().appendElement(h5test::element(h5::Kind::SolidRect, 0, {50, 50}, {60, 60}));
    view->refresh();
    view->refresh();
    QCoreApplication::processEvents();
    EXPECT_EQ(prompts.messages.size(), 1) << prompts.messages.join('|').toStdString();
    EXPECT_EQ(view->canvas().pixelColor(55, 55), QColor(255, 255, 255));
}

namespace {

QList<h5::DebugWindow *> debugWindows()
{
    QList<h5::DebugWindow *> out;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *window = qobject_cast<h5::DebugWindow *>(w))
            out << window;
    return out;
}

} // namespace

TEST_F(ShellMainFrameTest, OnlineDebugOpensAnotherOrdinaryWindowEachTime)
{
    // From the tool bar and from the tools menu alike; each window has its
    // own port and goes away when closed. It is a window of its own beside
    // the main frame, not one kept above it.
    ASSERT_TRUE(frame->runCommand(h5::Cmd::OnlineDebug));
    ASSERT_TRUE(frame->runCommand(h5::Cmd::ToolsOnlineDebug));
    QList<h5::DebugWindow *> windows = debugWindows();
    ASSERT_EQ(windows.size(), 2);
    for (h5::DebugWindow *w : windows) {
        EXPECT_TRUE(w->isVisible());
        EXPECT_FALSE(w->isModal());
        EXPECT_EQ(w->windowTitle(), QStringLiteral("在线调试"));
        EXPECT_EQ(w->parentWidget(), nullptr);
        EXPECT_EQ(w->windowType(), Qt::Window);
        EXPECT_FALSE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        ASSERT_NE(w->windowHandle(), nullptr);
        EXPECT_EQ(w->windowHandle()->transientParent(), nullptr);
    }
    EXPECT_NE(windows[0]->portControls(), windows[1]->portControls());
    QPointer<h5::DebugWindow> first = windows[0];
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    ASSERT_EQ(debugWindows().size(), 1);

    // The frame's debug windows do not outlive it.
    QPointer<h5::DebugWindow> second = debugWindows().first();
    frame.reset();
    h5test::processDeletes();
    EXPECT_TRUE(second.isNull());
}

TEST_F(ShellMainFrameTest, ClosingTheMainFrameClosesItsDebugWindowsWhichAskFirst)
{
    ASSERT_TRUE(frame->runCommand(h5::Cmd::OnlineDebug));
    ASSERT_EQ(debugWindows().size(), 1);
    QPointer<h5::DebugWindow> window = debugWindows().first();
    // The window asks through the app's prompts, as its own boxes.
    const QStringList &questions = prompts.questions;
    bool &answer = prompts.answer;
    answer = false;
    window->liveDrawing().calibrate(); // the record holds a command now
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(questions, QStringList{QStringLiteral("关闭窗口将丢弃通讯记录，是否关闭?")});
    EXPECT_TRUE(frame->isVisible());
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(window->isVisible());

    answer = true;
    EXPECT_TRUE(frame->close());
    h5test::processDeletes();
    EXPECT_TRUE(window.isNull());
}

// ---- terminal preview ------------------------------------------------------------------

TEST_F(ShellMainFrameTest, TerminalPreviewShowsTheLastBuildOfTheActivePage)
{
    const auto made = h5test::runCli({"demo", dir.path()});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    const QString wgc = dir.filePath(QStringLiteral("demo/demo.wgc"));
    ASSERT_TRUE(app->openProject(wgc));
    ASSERT_EQ(app->openAllPages(), 2);
    ASSERT_TRUE(frame->runCommand(h5::Cmd::Build));
    const QByteArray builtBytes = h5test::readAll(wgc);

    ASSERT_TRUE(frame->runCommand(h5::Cmd::TerminalPreview));
    auto *preview = frame->findChild<h5::TerminalPreviewWindow *>();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    // The page the terminal runs from the built files, as h5800 preview
    // shows it, with nothing to note.
    h5::BuiltProject built;
    QString fault, why;
    ASSERT_EQ(h5::BuiltProject::read(wgc, built, &fault, &why), h5::BuiltProject::Status::Ok)
        << fault.toStdString() << " " << why.toStdString() << " "
        << QFileInfo(fault).lastModified().toMSecsSinceEpoch() << " " << QFileInfo(wgc).lastModified().toMSecsSinceEpoch();
    const int page = frame->activePageView()->page().settings.m_nPageNo;
    QString error;
    EXPECT_EQ(preview->terminalImage(), built.preview(page, &error));
    EXPECT_TRUE(preview->note().isEmpty()) << preview->note().toStdString();
    // The difference view marks what the editor draws otherwise.
    auto *toggle = preview->findChild<QCheckBox *>(QStringLiteral("showDifferenceCheck"));
    ASSERT_NE(toggle, nullptr);
    toggle->setChecked(true);
    EXPECT_EQ(preview->shownImage().size(), preview->terminalImage().size());
    EXPECT_TRUE(toggle->text().contains(QString::number(preview->differingPixels())));
    // It built nothing and changed nothing.
    EXPECT_EQ(h5test::readAll(wgc), builtBytes);
}

TEST_F(ShellMainFrameTest, TerminalPreviewSaysWhenThereIsNoBuildOrThePageChangedSince)
{
    ASSERT_TRUE(newProject());
    ASSERT_TRUE(newPage());
    ASSERT_TRUE(frame->runCommand(h5::Cmd::TerminalPreview));
    auto *preview = frame->findChild<h5::TerminalPreviewWindow *>();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->terminalImage().isNull());
    EXPECT_TRUE(preview->note().contains(QStringLiteral("工程未编译，请先编译工程"))) << preview->note().toStdString();
    EXPECT_FALSE(preview->findChild<QCheckBox *>(QStringLiteral("showDifferenceCheck"))->isEnabled());

    ASSERT_TRUE(frame->runCommand(h5::Cmd::Build));
    h5::TerminalPreviewWindow changed(app->project().file, frame->activePageView()->page().settings.m_nPageNo,
                                   QImage(), true);
    EXPECT_FALSE(changed.terminalImage().isNull());
    EXPECT_TRUE(changed.note().contains(QStringLiteral("已修改"))) << changed.note().toStdString();
}

TEST(TerminalPreviewDifference, CountsEveryPixelThatDiffersAfterTheTerminalsRounding)
{
    QImage terminal(4, 3, QImage::Format_RGB32);
    terminal.fill(qRgb(0, 0, 255));
    QImage editor = terminal;
    int count = -1;
    h5::TerminalPreviewWindow::difference(editor, terminal, &count);
    EXPECT_EQ(count, 0);
    editor.setPixel(1, 1, qRgb(3, 1, 252)); // rounds to the same RGB565 colour
    h5::TerminalPreviewWindow::difference(editor, terminal, &count);
    EXPECT_EQ(count, 0);
    editor.setPixel(2, 2, qRgb(255, 0, 0));
    const QImage diff = h5::TerminalPreviewWindow::difference(editor, terminal, &count);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(diff.pixel(2, 2), qRgb(255, 0, 0));
    EXPECT_NE(diff.pixel(0, 0), qRgb(255, 0, 0));
    h5::TerminalPreviewWindow::difference(editor.copy(0, 0, 3, 3), terminal, &count);
    EXPECT_EQ(count, 3 + 1); // the column the editor lacks, and the red pixel
}
