#pragma once
// The main frame: the menus, the three tool bars (quick launch, page view
// with the grid spacing boxes, drawing tools two to a row), the status bar
// with its message pane and the "逻辑坐标" pane, and the MDI area holding
// the page windows.
//
// Commands. Every menu item and tool-bar button is an action with the
// command's id (see Commands.h). A command goes first to the active page
// view (CMyView::onCommand / updateCommand), then to a handler registered
// here. A command nobody handles stays disabled. Each action is bound once
// to the function that gives its enabled and checked state and follows the
// signals of what that state depends on (CommandStates): the project, the
// active page window and, through it, the active view and its document
// (tool, selection, undo, clipboard, zoom, grid), and for a bar's show/hide
// item that bar alone. When another page window becomes active the actions
// let go of the old view's signals and follow the new one's.

#include "shell/CMyApp.h"
#include "shell/CommandStates.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class QLabel;
class QMdiArea;
class QMenu;
class QSpinBox;
class QToolBar;

namespace h5 {

class CChildFrame;
class CMyView;
class CommandStates;
class ProjectNavigatorDock;

class CMainFrame : public QMainWindow, public PageWindows
{
    Q_OBJECT
public:
    explicit CMainFrame(CMyApp &app, QWidget *parent = nullptr);
    ~CMainFrame() override;

    CMyApp &app() const { return m_app; }

    // ---- commands ------------------------------------------------------------
    QAction *action(int id) const { return m_actions.value(id); }
    struct Handler
    {
        std::function<void()> run;
        std::function<bool()> enabled; // empty: always enabled
        std::function<bool()> checked; // empty: never checked
        // What `enabled` and `checked` depend on (CommandSource bits).
        unsigned follows = 0;
    };
    // Runs a command as its menu item or button would (nothing when the
    // command is disabled).
    bool runCommand(int id);

    // ---- bars ----------------------------------------------------------------
    QToolBar *quickLaunchBar() const { return m_quickBar; }
    QToolBar *pageViewBar() const { return m_pageBar; }
    QToolBar *drawingBar() const { return m_drawBar; }
    QMdiArea *mdiArea() const { return m_mdi; }
    QLabel *indicatorPane() const { return m_indicator; }
    // "工程导航条": the project's pages and pictures; hidden at start.
    ProjectNavigatorDock *projectNavigator() const { return m_navigator; }

    // The grid spacing boxes of the page-view bar: 1..50, starting at 1.
    QSpinBox *gridSpacingXBox() const { return m_gridX; }
    QSpinBox *gridSpacingYBox() const { return m_gridY; }
    int gridSpacingX() const;
    int gridSpacingY() const;

    // ---- page windows (PageWindows) ------------------------------------------
    QList<PageDocument *> pageDocuments() const override;
    PageDocument *activeDocument() const override;
    void openPageWindow(PageDocument *document) override;
    void activatePageWindow(PageDocument *document) override;
    void closePageWindow(PageDocument *document) override;
    // The same by the views that show the documents.
    QList<CMyView *> pageViews() const;
    CMyView *activePageView() const;
    void activatePageView(CMyView *view);
    void closePageWindow(CMyView *view);
    CChildFrame *frameOf(CMyView *view) const;
    CChildFrame *frameOf(const PageDocument *document) const;

signals:
    void gridSpacingChanged(int x, int y);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // The page windows not yet closed, oldest first; the active one.
    QList<CChildFrame *> openFrames() const;
    CChildFrame *activeFrame() const;
    void activateFrame(CChildFrame *frame);
    void closeFrame(CChildFrame *frame);

    // MainFrameBars.cpp
    void createActions();
    void createMenus();
    void createQuickLaunchBar();
    void createPageViewBar();
    void createDrawingBar();
    void createStatusBar();
    void createRecentFileItems();
    void fillRecentFiles();
    void fillWindowMenu();

    // CMainFrame.cpp
    void setCommandHandler(int id, Handler handler);
    void registerHandlers();
    // Binds every action to its state function and its sources.
    void bindCommandStates();
    // The state of command `id` now: the active view's, else its handler's.
    CommandStates::State commandState(int id) const;
    // The actions follow the active view's signals (and no longer those
    // of the view active before).
    void followActiveView();
    void createNavigator();
    void onBuild();
    void onDownload();
    void onProjectManagement();
    void onPointerMaker();
    void onOnlineDebug();
    void onTerminalPreview();
    void onAbout();
    void onActionTriggered(int id);
    void updateTitle();

    CMyApp &m_app;
    QMdiArea *m_mdi = nullptr;
    QHash<int, QAction *> m_actions;
    QHash<int, Handler> m_handlers;
    QToolBar *m_quickBar = nullptr;
    QToolBar *m_pageBar = nullptr;
    QToolBar *m_drawBar = nullptr;
    QSpinBox *m_gridX = nullptr;
    QSpinBox *m_gridY = nullptr;
    QLabel *m_indicator = nullptr;
    ProjectNavigatorDock *m_navigator = nullptr;
    QMenu *m_fileMenu = nullptr;
    QMenu *m_windowMenu = nullptr;
    QList<QAction *> m_recentActions; // "最近文件", then one per entry
    QList<QAction *> m_windowListActions;
    // The context of every connection through which the frame follows
    // others (command states, title): destroyed first, so nothing the
    // frame's teardown sets off reaches a half-destroyed frame.
    std::unique_ptr<CommandStates> m_states;
    QPointer<CMyView> m_followedView;
    QList<QMetaObject::Connection> m_viewConnections;
};

} // namespace h5
