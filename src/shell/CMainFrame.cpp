#include "shell/CMainFrame.h"

#include "edit/PageDocument.h"
#include "editor/CMyView.h"
#include "debug/PointerMakerWindow.h"
#include "serial/ProjectWindow.h"
#include "serial/DownloadWindow.h"
#include "debug/DebugWindow.h"
#include "editor/TerminalPreviewWindow.h"
#include "model/PageRender.h"
#include "shell/CChildFrame.h"
#include "shell/Commands.h"
#include "shell/HotReloadAction.h"
#include "shell/ProjectNavigatorDock.h"
#include "common/Prompts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QMdiArea>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>

// Resources live in the widgets library; they are registered once here.
static void initStudioResources() { Q_INIT_RESOURCE(studio); }

namespace h5 {

namespace {

bool isDocumentFile(const QString &path)
{
    return path.endsWith(QStringLiteral(".wlp"), Qt::CaseInsensitive)
        || path.endsWith(QStringLiteral(".wgc"), Qt::CaseInsensitive);
}

} // namespace

CMainFrame::CMainFrame(CMyApp &app, QWidget *parent) : QMainWindow(parent), m_app(app)
{
    initStudioResources();
    m_states = std::make_unique<CommandStates>();
    setObjectName(QStringLiteral("CMainFrame"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/h5800-studio.svg")));
    setAcceptDrops(true);

    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("mdiArea"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);

    createActions();
    createMenus();
    createQuickLaunchBar();
    createStatusBar();
    createPageViewBar();
    createDrawingBar();
    createNavigator();
    registerHandlers();
    new HotReloadAction(m_app, this, statusBar()); // "保存后同步到终端", owned by the frame

    m_app.setPageWindows(this);
    m_app.setMainWindow(this, [this](const QString &text) { statusBar()->showMessage(text); });

    // What the command states and the title follow; each bar's show/hide
    // item follows that bar alone.
    bindCommandStates();
    m_states->follow(&m_app, &CMyApp::projectChanged, FollowsProject);
    m_states->follow(&m_app, &CMyApp::projectFilesChanged, FollowsProject);
    m_states->follow(m_quickBar, &QToolBar::visibilityChanged, FollowsQuickBar);
    m_states->follow(m_pageBar, &QToolBar::visibilityChanged, FollowsPageBar);
    m_states->follow(m_drawBar, &QToolBar::visibilityChanged, FollowsDrawingBar);
    m_states->follow(m_navigator, &QDockWidget::visibilityChanged, FollowsNavigator);
    m_states->followShown(statusBar(), FollowsStatusBar);
    connect(&m_app, &CMyApp::projectChanged, m_states.get(), [this] { updateTitle(); });
    connect(m_mdi, &QMdiArea::subWindowActivated, m_states.get(), [this] {
        followActiveView();
        updateTitle();
    });

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QSize avail = screen->availableSize();
        resize(qMin(avail.width(), qMax(1100, avail.width() * 4 / 5)),
               qMin(avail.height(), qMax(800, avail.height() * 4 / 5)));
    }
    updateTitle();
}

CMainFrame::~CMainFrame()
{
    // Nothing follows anything any more: the bars, the dock and the page
    // windows are hidden and destroyed below and in the QWidget part of
    // the frame, and their signals must find no state function or title
    // of a frame that is going.
    m_viewConnections.clear();
    m_states.reset();
    // The page windows go first, while the frame is whole.
    delete m_mdi;
    m_mdi = nullptr;
    if (m_app.pageWindows() == this)
        m_app.setPageWindows(nullptr);
    m_app.setMainWindow(nullptr, {});
}

// ---- commands ----------------------------------------------------------------

void CMainFrame::setCommandHandler(int id, Handler handler)
{
    m_handlers.insert(id, std::move(handler));
}

void CMainFrame::registerHandlers()
{
    auto projectOpen = [this] { return m_app.isProjectOpen(); };
    auto always = std::function<bool()>();
    auto hasPages = [this] { return !pageViews().isEmpty(); };
    const unsigned project = FollowsProject;
    const unsigned pages = FollowsPageWindows;
    auto barShown = [](QWidget *w) { return [w] { return w->isVisibleTo(w->parentWidget()); }; };
    auto toggle = [](QWidget *w) {
        return [w] { w->setVisible(!w->isVisibleTo(w->parentWidget())); };
    };

    setCommandHandler(Cmd::NewProject, {[this] { m_app.onNewProject(); }, always, {}});
    setCommandHandler(Cmd::OpenProject, {[this] { m_app.onOpenProject(); }, always, {}});
    setCommandHandler(Cmd::SaveProject, {[this] { m_app.onSaveProject(); }, projectOpen, {}, project});
    setCommandHandler(Cmd::NewPage, {[this] { m_app.onNewPage(); }, projectOpen, {}, project});
    setCommandHandler(Cmd::OpenPage, {[this] { m_app.onOpenPage(); }, projectOpen, {}, project});
    setCommandHandler(Cmd::Save, {[this] { m_app.onSave(); }, projectOpen, {}, project});
    setCommandHandler(Cmd::OpenAllPages, {[this] { m_app.onOpenAllPages(); }, projectOpen, {}, project});
    setCommandHandler(Cmd::Build, {[this] { onBuild(); }, projectOpen, {}, project});
    setCommandHandler(Cmd::ProjectManagement, {[this] { onProjectManagement(); }, projectOpen, {}, project});
    setCommandHandler(Cmd::Download, {[this] { onDownload(); }, always, {}});
    setCommandHandler(Cmd::PointerMaker, {[this] { onPointerMaker(); }, always, {}});
    setCommandHandler(Cmd::OnlineDebug, {[this] { onOnlineDebug(); }, always, {}});
    setCommandHandler(Cmd::ToolsOnlineDebug, {[this] { onOnlineDebug(); }, always, {}});
    setCommandHandler(Cmd::TerminalPreview,
                      {[this] { onTerminalPreview(); },
                       [this] { return m_app.isProjectOpen() && activePageView() != nullptr; }, {},
                       FollowsProject | FollowsActivePage});
    setCommandHandler(Cmd::AppExit, {[this] { close(); }, always, {}});
    setCommandHandler(Cmd::AppAbout, {[this] { onAbout(); }, always, {}});

    setCommandHandler(Cmd::WindowCascade, {[this] { m_mdi->cascadeSubWindows(); }, hasPages, {}, pages});
    setCommandHandler(Cmd::WindowTile, {[this] { m_mdi->tileSubWindows(); }, hasPages, {}, pages});
    setCommandHandler(Cmd::WindowArrange, {[this] { m_mdi->cascadeSubWindows(); }, hasPages, {}, pages});

    setCommandHandler(Cmd::ViewQuickBar,
                      {toggle(m_quickBar), always, barShown(m_quickBar), FollowsQuickBar});
    setCommandHandler(Cmd::ViewPageBar, {toggle(m_pageBar), always, barShown(m_pageBar), FollowsPageBar});
    setCommandHandler(Cmd::ViewDrawingBar,
                      {toggle(m_drawBar), always, barShown(m_drawBar), FollowsDrawingBar});
    setCommandHandler(Cmd::ViewStatusBar,
                      {toggle(statusBar()), always, barShown(statusBar()), FollowsStatusBar});
    setCommandHandler(Cmd::ViewNavigator,
                      {toggle(m_navigator), always, barShown(m_navigator), FollowsNavigator});
}

void CMainFrame::bindCommandStates()
{
    for (auto it = m_actions.constBegin(); it != m_actions.constEnd(); ++it) {
        const int id = it.key();
        unsigned sources = CMyView::commandSources(id);
        const auto h = m_handlers.constFind(id);
        if (h != m_handlers.constEnd())
            sources |= h->follows;
        m_states->bind(it.value(), sources, [this, id] { return commandState(id); });
    }
}

CommandStates::State CMainFrame::commandState(int id) const
{
    CommandStates::State state;
    if (CMyView *view = activePageView()) {
        CMyView::CommandState s;
        if (view->updateCommand(id, s))
            return {s.enabled, s.checked};
    }
    const auto h = m_handlers.constFind(id);
    if (h != m_handlers.constEnd() && h->run) {
        state.enabled = !h->enabled || h->enabled();
        state.checked = h->checked && h->checked();
    }
    return state;
}

void CMainFrame::followActiveView()
{
    CMyView *view = activePageView();
    if (view == m_followedView)
        return;
    for (const QMetaObject::Connection &c : std::as_const(m_viewConnections))
        disconnect(c);
    m_viewConnections.clear();
    m_followedView = view;
    if (view) {
        CommandStates *states = m_states.get();
        m_viewConnections = view->followCommandSources(states, [states](unsigned sources) {
            states->update(sources);
        });
    }
    m_states->update(FollowsActivePage);
}

void CMainFrame::createNavigator()
{
    ProjectNavigatorDock::Source source;
    source.project = [this]() -> const Project * {
        return m_app.isProjectOpen() ? &m_app.project() : nullptr;
    };
    source.openPages = [this] {
        std::set<int> open;
        for (CMyView *view : pageViews()) {
            bool ok = false;
            const int n = view->pageName().toInt(&ok);
            if (ok)
                open.insert(n);
        }
        return open;
    };
    source.openPage = [this](int pageNo) {
        if (m_app.isProjectOpen())
            m_app.openPageFiles({m_app.project().pagePath(pageNo)});
    };
    m_navigator = new ProjectNavigatorDock(std::move(source), this);
    // The view-menu item is checked while the dock is shown.
    if (QAction *item = m_actions.value(Cmd::ViewNavigator))
        item->setCheckable(true);
    addDockWidget(Qt::LeftDockWidgetArea, m_navigator);
    m_navigator->hide();
    connect(&m_app, &CMyApp::projectChanged, m_navigator, &ProjectNavigatorDock::scheduleRefresh);
    connect(&m_app, &CMyApp::projectFilesChanged, m_navigator,
            &ProjectNavigatorDock::scheduleRefresh);
}

void CMainFrame::onActionTriggered(int id)
{
    runCommand(id);
}

bool CMainFrame::runCommand(int id)
{
    QAction *a = m_actions.value(id);
    if (!a || !a->isEnabled())
        return false;
    bool done = false;
    if (CMyView *view = activePageView())
        done = view->onCommand(id);
    if (!done) {
        const auto it = m_handlers.constFind(id);
        if (it != m_handlers.constEnd() && it->run) {
            it->run();
            done = true;
        }
    }
    // A checkable item toggled itself; its command decides what it shows.
    m_states->update(a);
    // Saves, builds and page commands change what the navigator lists.
    if (done && m_navigator)
        m_navigator->scheduleRefresh();
    return done;
}

void CMainFrame::onBuild()
{
    m_app.build();
}

void CMainFrame::onDownload()
{
    // Its messages are the app's boxes; it runs modally.
    DownloadWindow dialog(m_app.prompts(), m_app.isProjectOpen() ? m_app.project().file : QString(), this);
    m_app.prompts().runForm(dialog);
}

// A new debug window each time, modeless; it deletes itself when closed.
// Several may be open at once, each on its own port.
// The active page as the terminal will draw it from the last build, beside
// the editor's drawing of it now; builds nothing, changes nothing.
void CMainFrame::onTerminalPreview()
{
    CMyView *view = activePageView();
    if (!view || !m_app.isProjectOpen())
        return;
    RenderOptions options;
    options.resolution = m_app.resolution();
    options.picturesDir = m_app.project().picturesDir();
    options.cache = &m_app.pictureCache();
    // Drawn from a copy: the drawing lays text out, which is the view's
    // business, not the preview's.
    Page page = view->page();
    const QImage editor = renderPage(page, options);
    auto *window = new TerminalPreviewWindow(m_app.project().file, view->page().settings.m_nPageNo, editor,
                                          view->isModified(), this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}

void CMainFrame::onOnlineDebug()
{
    // A window of its own beside the frame, not one kept above it (a
    // parent would make it the frame's transient window); it goes when the
    // frame goes.
    auto *window = new DebugWindow(m_app.prompts(), nullptr);
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(this, &QObject::destroyed, window, [window] { delete window; });
    window->show();
    window->raise();
    window->activateWindow();
}

void CMainFrame::onPointerMaker()
{
    PointerMakerWindow dialog(m_app.prompts(), this);
    m_app.prompts().runForm(dialog);
}

void CMainFrame::onProjectManagement()
{
    if (!m_app.isProjectOpen())
        return;
    const Project &p = m_app.project();
    ProjectWindow dialog(m_app.prompts(), p.name, p.file, p.dir, this);
    m_app.prompts().runForm(dialog);
}

void CMainFrame::onAbout()
{
    m_app.prompts().message(productTitle());
}

void CMainFrame::updateTitle()
{
    // Product, project and active page: "… - 工程 - 3.wlp*".
    QString title = productTitle();
    if (m_app.isProjectOpen())
        title += QStringLiteral(" - ") + m_app.project().name;
    if (CMyView *view = activePageView())
        title += QStringLiteral(" - ") + view->title()
               + (view->isModified() ? QStringLiteral("*") : QString());
    setWindowTitle(title);
}

// ---- page windows --------------------------------------------------------------

CChildFrame *CMainFrame::frameOf(CMyView *view) const
{
    if (!m_mdi || !view)
        return nullptr;
    for (QMdiSubWindow *w : m_mdi->subWindowList())
        if (auto *frame = qobject_cast<CChildFrame *>(w); frame && frame->view() == view)
            return frame;
    return nullptr;
}

CChildFrame *CMainFrame::frameOf(const PageDocument *document) const
{
    if (!m_mdi || !document)
        return nullptr;
    for (QMdiSubWindow *w : m_mdi->subWindowList())
        if (auto *frame = qobject_cast<CChildFrame *>(w); frame && frame->document() == document)
            return frame;
    return nullptr;
}

QList<CChildFrame *> CMainFrame::openFrames() const
{
    QList<CChildFrame *> frames;
    if (!m_mdi)
        return frames;
    for (QMdiSubWindow *w : m_mdi->subWindowList(QMdiArea::CreationOrder))
        if (auto *frame = qobject_cast<CChildFrame *>(w); frame && !frame->isClosed())
            frames << frame;
    return frames;
}

CChildFrame *CMainFrame::activeFrame() const
{
    // The current page window, also while another application is active.
    auto *frame = m_mdi ? qobject_cast<CChildFrame *>(m_mdi->currentSubWindow()) : nullptr;
    return frame && !frame->isClosed() ? frame : nullptr;
}

QList<PageDocument *> CMainFrame::pageDocuments() const
{
    QList<PageDocument *> documents;
    for (CChildFrame *frame : openFrames())
        documents << frame->document();
    return documents;
}

PageDocument *CMainFrame::activeDocument() const
{
    CChildFrame *frame = activeFrame();
    return frame ? frame->document() : nullptr;
}

QList<CMyView *> CMainFrame::pageViews() const
{
    QList<CMyView *> views;
    for (CChildFrame *frame : openFrames())
        views << frame->view();
    return views;
}

CMyView *CMainFrame::activePageView() const
{
    CChildFrame *frame = activeFrame();
    return frame ? frame->view() : nullptr;
}

void CMainFrame::openPageWindow(PageDocument *document)
{
    auto *frame = new CChildFrame(m_app, document);
    CMyView *view = frame->view();
    frame->setWindowIcon(windowIcon());
    // New page windows cascade from the top left, one caption further each.
    const int open = int(openFrames().size());
    m_mdi->addSubWindow(frame);
    const int step = m_app.m_nCaptionHeight > 0 ? m_app.m_nCaptionHeight : 24;
    frame->move((open % 8) * step, (open % 8) * step);
    connect(document, &PageDocument::titleChanged, m_states.get(), [this] { updateTitle(); });
    connect(document, &PageDocument::modifiedChanged, m_states.get(), [this] { updateTitle(); });
    view->setGridSpacing(gridSpacingX(), gridSpacingY());
    connect(this, &CMainFrame::gridSpacingChanged, view, &CMyView::setGridSpacing);
    // A closed window leaves the list of page windows (and may have been
    // the active one) before it is destroyed.
    connect(frame, &CChildFrame::closed, m_states.get(), [this] {
        followActiveView();
        m_states->update(FollowsPageWindows);
        updateTitle();
    });
    // A page saved, renumbered, opened or closed shows in the navigator.
    connect(document, &PageDocument::modifiedChanged, m_navigator,
            &ProjectNavigatorDock::scheduleRefresh);
    connect(document, &PageDocument::titleChanged, m_navigator,
            &ProjectNavigatorDock::scheduleRefresh);
    connect(frame, &QObject::destroyed, m_navigator, &ProjectNavigatorDock::scheduleRefresh);
    m_navigator->scheduleRefresh();
    frame->show();
    m_mdi->setActiveSubWindow(frame);
    followActiveView();
    m_states->update(FollowsPageWindows);
    updateTitle();
}

void CMainFrame::activateFrame(CChildFrame *frame)
{
    if (!frame)
        return;
    if (frame->isMinimized())
        frame->showNormal();
    m_mdi->setActiveSubWindow(frame);
    // The area tells of the change itself; this covers an area that waits
    // until it is shown.
    followActiveView();
}

void CMainFrame::activatePageWindow(PageDocument *document)
{
    activateFrame(frameOf(document));
}

void CMainFrame::activatePageView(CMyView *view)
{
    activateFrame(frameOf(view));
}

void CMainFrame::closeFrame(CChildFrame *frame)
{
    if (frame)
        frame->closeWithoutAsking();
    updateTitle();
}

void CMainFrame::closePageWindow(PageDocument *document)
{
    closeFrame(frameOf(document));
}

void CMainFrame::closePageWindow(CMyView *view)
{
    closeFrame(frameOf(view));
}

// ---- events --------------------------------------------------------------------

void CMainFrame::closeEvent(QCloseEvent *event)
{
    // Every modified page is asked about first; a Cancel keeps everything.
    const QList<CChildFrame *> frames = openFrames();
    for (CChildFrame *frame : frames) {
        if (!frame->queryClose()) {
            event->ignore();
            return;
        }
    }
    // The online debug windows close with the frame, each asking first
    // about what it would lose.
    for (QWidget *window : QApplication::topLevelWidgets()) {
        auto *debug = qobject_cast<DebugWindow *>(window);
        if (debug && debug->isVisible() && !debug->close()) {
            event->ignore();
            return;
        }
    }
    for (CChildFrame *frame : frames)
        frame->closeWithoutAsking();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent *event)
{
    if (!event->mimeData()->hasUrls())
        return;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile() && isDocumentFile(url.toLocalFile())) {
            event->acceptProposedAction();
            return;
        }
}

void CMainFrame::dropEvent(QDropEvent *event)
{
    QStringList files;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile() && isDocumentFile(url.toLocalFile()))
            files << url.toLocalFile();
    event->acceptProposedAction();
    activateWindow();
    for (const QString &file : files)
        m_app.openDocument(file);
}

} // namespace h5
