#include "shell/ProjectNavigatorDock.h"

#include <QBrush>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace h5 {

namespace {

QTreeWidget *makeList(QWidget *parent, const QString &name, const QStringList &columns)
{
    auto *list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAlternatingRowColors(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setHeaderLabels(columns);
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list->header()->setStretchLastSection(true);
    return list;
}

void markMissing(QTreeWidgetItem *item)
{
    for (int c = 0; c < item->columnCount(); ++c)
        item->setForeground(c, QBrush(Qt::red));
}

QString joinPages(const std::vector<int> &pages)
{
    QStringList parts;
    for (int p : pages)
        parts << QString::number(p);
    return parts.join(QStringLiteral(", "));
}

} // namespace

ProjectNavigatorDock::ProjectNavigatorDock(Source source, QWidget *parent)
    : QDockWidget(QStringLiteral("工程导航条"), parent), m_source(std::move(source))
{
    setObjectName(QStringLiteral("projectNavigator"));
    setAllowedAreas(Qt::AllDockWidgetAreas);
    auto *body = new QWidget(this);
    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(2, 2, 2, 2);
    m_note = new QLabel(body);
    m_note->setObjectName(QStringLiteral("navigatorNote"));
    m_note->setWordWrap(true);
    m_note->hide();
    layout->addWidget(m_note);
    auto *split = new QSplitter(Qt::Vertical, body);
    m_pages = makeList(split, QStringLiteral("navigatorPages"),
                       {QStringLiteral("画面"), QStringLiteral("层"), QStringLiteral("类型"),
                        QStringLiteral("长度"), QStringLiteral("状态")});
    m_pictures = makeList(split, QStringLiteral("navigatorPictures"),
                          {QStringLiteral("编号"), QStringLiteral("图片名"), QStringLiteral("尺寸"),
                           QStringLiteral("块数"), QStringLiteral("使用画面")});
    m_pages->setToolTip(QStringLiteral("双击打开画面"));
    split->addWidget(m_pages);
    split->addWidget(m_pictures);
    layout->addWidget(split, 1);
    setWidget(body);
    connect(m_pages, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *item, int) { onPageActivated(item); });
}

void ProjectNavigatorDock::scheduleRefresh()
{
    m_stale = true;
    if (m_pending || !isVisible())
        return;
    m_pending = true;
    QTimer::singleShot(0, this, [this] {
        m_pending = false;
        if (m_stale && isVisible())
            refresh();
    });
}

void ProjectNavigatorDock::showEvent(QShowEvent *event)
{
    QDockWidget::showEvent(event);
    if (m_stale)
        refresh();
}

void ProjectNavigatorDock::refresh()
{
    m_stale = false;
    m_pages->clear();
    m_pictures->clear();
    const Project *project = m_source.project ? m_source.project() : nullptr;
    auto note = [this](const QString &text) {
        m_note->setText(text);
        m_note->setVisible(!text.isEmpty());
    };
    if (!project) {
        note(QStringLiteral("没有打开的工程"));
        return;
    }
    ProjectOverview overview;
    QString error;
    const std::set<int> open = m_source.openPages ? m_source.openPages() : std::set<int>();
    if (!readProjectOverview(*project, open, overview, &error)) {
        note(error);
        return;
    }
    note(overview.pictureError);

    for (const OverviewPage &p : overview.pages) {
        QString state;
        if (p.fileMissing)
            state = QStringLiteral("文件丢失");
        else if (p.open)
            state = QStringLiteral("已打开");
        else if (p.instructionMissing)
            state = QStringLiteral("未编译");
        auto *item = new QTreeWidgetItem(m_pages);
        item->setText(0, QString::number(p.pageNo));
        item->setText(1, p.layer < 0 ? QString() : QString::number(p.layer));
        item->setText(2, p.layer < 0 ? QString()
                                     : (p.auxiliary ? QStringLiteral("辅页面")
                                                    : QStringLiteral("主页面")));
        item->setText(3, QString::number(p.length));
        item->setText(4, state);
        item->setData(0, Qt::UserRole, p.pageNo);
        for (int c : {0, 1, 3})
            item->setTextAlignment(c, Qt::AlignCenter);
        if (p.fileMissing)
            markMissing(item);
    }
    for (const OverviewPicture &p : overview.pictures) {
        auto *item = new QTreeWidgetItem(m_pictures);
        item->setText(0, QString::number(p.number));
        item->setText(1, p.missing ? p.file + QStringLiteral(" (丢失)") : p.file);
        item->setText(2, QStringLiteral("%1*%2").arg(p.width).arg(p.height));
        item->setText(3, QString::number(p.blocks));
        item->setText(4, joinPages(p.pages));
        item->setData(0, Qt::UserRole, p.number);
        item->setTextAlignment(0, Qt::AlignCenter);
        item->setTextAlignment(3, Qt::AlignCenter);
        if (p.missing)
            markMissing(item);
    }
}

void ProjectNavigatorDock::onPageActivated(QTreeWidgetItem *item)
{
    if (!item || !m_source.openPage)
        return;
    m_source.openPage(item->data(0, Qt::UserRole).toInt());
    scheduleRefresh();
}

} // namespace h5
