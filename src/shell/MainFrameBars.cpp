// The main frame's menus, tool bars and status bar.

#include "editor/CMyView.h"
#include "shell/CChildFrame.h"
#include "shell/CMainFrame.h"
#include "shell/Commands.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace h5 {

namespace {

constexpr QSize kButtonIconSize(20, 20);

// Menu-only actions of the view menu: the bars' show/hide items.
struct BarCommand
{
    int id;
    const char *name;
    const char *text;
};
const BarCommand kBarCommands[] = {
    {Cmd::ViewQuickBar, "ViewQuickBar", "快速启动栏(&T)"},
    {Cmd::ViewDrawingBar, "ViewDrawingBar", "绘图工具栏(&H)"},
    {Cmd::ViewPageBar, "ViewPageBar", "页面视图栏"},
    {Cmd::ViewStatusBar, "ViewStatusBar", "状态栏(&S)"},
};

QToolBar *makeBar(QMainWindow *frame, const QString &name, const QString &title)
{
    auto *bar = new QToolBar(title, frame);
    bar->setObjectName(name);
    bar->setIconSize(kButtonIconSize);
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->setAllowedAreas(Qt::AllToolBarAreas);
    bar->setMovable(true);
    bar->setFloatable(true);
    return bar;
}

} // namespace

void CMainFrame::createActions()
{
    for (const CommandInfo &c : commandTable()) {
        auto *a = new QAction(this);
        a->setObjectName(QStringLiteral("action") + QString::fromLatin1(c.name));
        a->setData(c.id);
        const QString tip = QString::fromUtf8(c.tip);
        const QString text = c.menuText ? QString::fromUtf8(c.menuText) : tip;
        a->setText(text);
        a->setIconText(tip);
        a->setToolTip(tip.isEmpty() ? text : tip);
        a->setStatusTip(c.statusPrompt());
        if (c.icon)
            a->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QString::fromLatin1(c.icon))));
        if (c.shortcut)
            a->setShortcut(QKeySequence(QString::fromLatin1(c.shortcut)));
        a->setCheckable(c.checkable);
        a->setEnabled(false);
        const int id = c.id;
        connect(a, &QAction::triggered, this, [this, id] { onActionTriggered(id); });
        m_actions.insert(id, a);
    }
    for (const BarCommand &c : kBarCommands) {
        auto *a = new QAction(QString::fromUtf8(c.text), this);
        a->setObjectName(QStringLiteral("action") + QString::fromLatin1(c.name));
        a->setData(c.id);
        a->setCheckable(true);
        a->setStatusTip(QString::fromUtf8(c.text).remove(QStringLiteral("(&T)"))
                            .remove(QStringLiteral("(&H)"))
                            .remove(QStringLiteral("(&S)")));
        const int id = c.id;
        connect(a, &QAction::triggered, this, [this, id] { onActionTriggered(id); });
        m_actions.insert(id, a);
    }
}

void CMainFrame::createMenus()
{
    QMenuBar *bar = menuBar();
    auto addMenu = [&](const QString &title, const QString &name) {
        QMenu *menu = bar->addMenu(title);
        menu->setObjectName(name);
        return menu;
    };
    auto add = [&](QMenu *menu, std::initializer_list<int> ids) {
        for (int id : ids) {
            if (id == 0)
                menu->addSeparator();
            else
                menu->addAction(m_actions.value(id));
        }
    };

    m_fileMenu = addMenu(QStringLiteral("文件(&F)"), QStringLiteral("menuFile"));
    add(m_fileMenu, {Cmd::NewProject, Cmd::OpenProject, Cmd::SaveProject, 0, Cmd::NewPage,
                     Cmd::OpenPage, Cmd::Save, 0, Cmd::ProjectManagement});
    m_fileMenu->addSeparator();
    m_fileMenu->addSeparator();
    add(m_fileMenu, {Cmd::AppExit});
    createRecentFileItems();
    fillRecentFiles();
    connect(&m_app, &CMyApp::recentFilesChanged, this, &CMainFrame::fillRecentFiles);

    QMenu *edit = addMenu(QStringLiteral("编辑(&E)"), QStringLiteral("menuEdit"));
    add(edit, {Cmd::Undo, Cmd::Redo, 0, Cmd::Cut, Cmd::Copy, Cmd::Paste, Cmd::Delete, 0,
               Cmd::ToBack, Cmd::ToFront, 0, Cmd::AddPage, Cmd::DeletePage, 0, Cmd::ExportText,
               Cmd::ExportBitmap, Cmd::ExportIds, Cmd::Screenshot});

    QMenu *view = addMenu(QStringLiteral("查看(&V)"), QStringLiteral("menuView"));
    add(view, {Cmd::ViewQuickBar, Cmd::ViewDrawingBar, Cmd::ViewPageBar, Cmd::ViewStatusBar,
               Cmd::ViewNavigator, 0, Cmd::TerminalPreview, 0, Cmd::ZoomIn, Cmd::ZoomOut,
               Cmd::ZoomActual, Cmd::ZoomFit});

    QMenu *tools = addMenu(QStringLiteral("工具(&T)"), QStringLiteral("menuTools"));
    add(tools, {Cmd::ElementEdit, Cmd::ToolsOnlineDebug});

    m_windowMenu = addMenu(QStringLiteral("窗口(&W)"), QStringLiteral("menuWindow"));
    add(m_windowMenu, {Cmd::WindowCascade, Cmd::WindowTile, Cmd::WindowArrange});
    connect(m_windowMenu, &QMenu::aboutToShow, this, &CMainFrame::fillWindowMenu);

    QMenu *help = addMenu(QStringLiteral("帮助(&H)"), QStringLiteral("menuHelp"));
    add(help, {Cmd::AppAbout});
}

void CMainFrame::createRecentFileItems()
{
    // "最近文件" (disabled) while the list is empty, else up to four entries.
    QAction *exit = m_actions.value(Cmd::AppExit);
    QAction *before = nullptr;
    const QList<QAction *> items = m_fileMenu->actions();
    const int at = int(items.indexOf(exit));
    if (at > 0)
        before = items[at - 1]; // the separator above "退出"
    auto *none = new QAction(QStringLiteral("最近文件"), this);
    none->setObjectName(QStringLiteral("actionRecentNone"));
    none->setEnabled(false);
    m_fileMenu->insertAction(before, none);
    m_recentActions << none;
    for (int i = 0; i < CMyApp::kRecentFiles; ++i) {
        auto *a = new QAction(this);
        a->setObjectName(QStringLiteral("actionRecentFile%1").arg(i + 1));
        a->setData(Cmd::RecentFile1 + i);
        a->setStatusTip(QStringLiteral("打开该文件"));
        connect(a, &QAction::triggered, this, [this, i] {
            const QStringList files = m_app.recentFiles();
            if (i >= files.size())
                return;
            const QString file = files[i];
            if (!m_app.openDocument(file) && !QFileInfo::exists(file))
                m_app.removeRecentFile(file);
        });
        m_fileMenu->insertAction(before, a);
        m_recentActions << a;
    }
}

void CMainFrame::fillRecentFiles()
{
    const QStringList files = m_app.recentFiles();
    m_recentActions[0]->setVisible(files.isEmpty());
    for (int i = 0; i < CMyApp::kRecentFiles; ++i) {
        QAction *a = m_recentActions[i + 1];
        a->setVisible(i < files.size());
        a->setText(i < files.size() ? QStringLiteral("&%1 %2").arg(i + 1).arg(files[i]) : QString());
    }
}

void CMainFrame::fillWindowMenu()
{
    for (QAction *a : std::as_const(m_windowListActions)) {
        m_windowMenu->removeAction(a);
        a->deleteLater();
    }
    m_windowListActions.clear();
    const QList<CMyView *> views = pageViews();
    if (views.isEmpty())
        return;
    m_windowListActions << m_windowMenu->addSeparator();
    CMyView *active = activePageView();
    for (int i = 0; i < views.size(); ++i) {
        CMyView *view = views[i];
        auto *a = m_windowMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(view->title()));
        a->setCheckable(true);
        a->setChecked(view == active);
        connect(a, &QAction::triggered, this, [this, view] {
            if (pageViews().contains(view))
                activatePageView(view);
        });
        m_windowListActions << a;
    }
}

void CMainFrame::createQuickLaunchBar()
{
    m_quickBar = makeBar(this, QStringLiteral("quickLaunchBar"), QStringLiteral("快速启动栏"));
    for (int id : quickLaunchButtons()) {
        if (id == 0)
            m_quickBar->addSeparator();
        else
            m_quickBar->addAction(m_actions.value(id));
    }
    addToolBar(Qt::TopToolBarArea, m_quickBar);
}

void CMainFrame::createPageViewBar()
{
    m_pageBar = makeBar(this, QStringLiteral("pageViewBar"), QStringLiteral("页面视图栏"));
    for (int id : pageViewButtons()) {
        if (id == 0)
            m_pageBar->addSeparator();
        else
            m_pageBar->addAction(m_actions.value(id));
    }

    // The grid spacing group: "X" [box], "Y" [box], each box with arrows
    // from 1 to 50, both starting at 1.
    auto addLabel = [this](const QString &text, const QString &name) {
        auto *label = new QLabel(text, m_pageBar);
        label->setObjectName(name);
        label->setAlignment(Qt::AlignCenter);
        label->setFixedWidth(20);
        m_pageBar->addWidget(label);
    };
    auto addBox = [this](const QString &name) {
        auto *box = new QSpinBox(m_pageBar);
        box->setObjectName(name);
        box->setRange(1, 50);
        box->setValue(1);
        box->setToolTip(QStringLiteral("网格间距"));
        box->setMinimumWidth(40 + 16);
        connect(box, &QSpinBox::valueChanged, this,
                [this] { emit gridSpacingChanged(gridSpacingX(), gridSpacingY()); });
        m_pageBar->addWidget(box);
        return box;
    };
    addLabel(QStringLiteral("X"), QStringLiteral("gridLabelX"));
    m_gridX = addBox(QStringLiteral("gridSpacingX"));
    addLabel(QStringLiteral("Y"), QStringLiteral("gridLabelY"));
    m_gridY = addBox(QStringLiteral("gridSpacingY"));
    addToolBar(Qt::TopToolBarArea, m_pageBar);
}

void CMainFrame::createDrawingBar()
{
    m_drawBar = makeBar(this, QStringLiteral("drawingBar"), QStringLiteral("绘图工具栏"));
    // Two buttons to a row.
    auto *grid = new QWidget(m_drawBar);
    grid->setObjectName(QStringLiteral("drawingButtons"));
    auto *layout = new QGridLayout(grid);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(1);
    const auto &rows = drawingBarRows();
    for (int r = 0; r < int(rows.size()); ++r) {
        for (int c = 0; c < int(rows[size_t(r)].size()); ++c) {
            const int id = rows[size_t(r)][size_t(c)];
            auto *button = new QToolButton(grid);
            button->setObjectName(QStringLiteral("button%1").arg(id));
            button->setDefaultAction(m_actions.value(id));
            button->setIconSize(kButtonIconSize);
            button->setAutoRaise(true);
            layout->addWidget(button, r, c);
        }
    }
    layout->setRowStretch(int(rows.size()), 1);
    m_drawBar->addWidget(grid);
    addToolBar(Qt::LeftToolBarArea, m_drawBar);
}

void CMainFrame::createStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    m_indicator = new QLabel(QStringLiteral("逻辑坐标"), bar);
    m_indicator->setObjectName(QStringLiteral("indicatorLogical"));
    m_indicator->setProperty("indicatorId", kIndicatorLogical);
    m_indicator->setMinimumWidth(m_indicator->fontMetrics().horizontalAdvance(m_indicator->text()) + 8);
    m_indicator->setAlignment(Qt::AlignCenter);
    bar->addPermanentWidget(m_indicator);
    bar->showMessage(QStringLiteral("就绪"));
}

int CMainFrame::gridSpacingX() const { return m_gridX->value(); }
int CMainFrame::gridSpacingY() const { return m_gridY->value(); }

} // namespace h5
