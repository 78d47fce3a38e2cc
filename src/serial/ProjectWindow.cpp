#include "serial/ProjectWindow.h"

#include "common/Prompts.h"

#include "common/Gbk.h"
#include "serial/PortControls.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace h5 {

namespace {

// Picture list columns.
enum PictureColumn { kNumber, kPath, kWidth, kHeight, kFirstBlock, kPictureColumns };

QTableWidget *makeList(QWidget *parent, const QString &name, const QStringList &headers)
{
    auto *list = new QTableWidget(0, int(headers.size()), parent);
    list->setObjectName(name);
    list->setHorizontalHeaderLabels(headers);
    list->verticalHeader()->hide();
    list->setShowGrid(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setColumnWidth(0, 40);
    list->setColumnWidth(1, 103);
    return list;
}

void setCell(QTableWidget *list, int row, int column, const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    list->setItem(row, column, item);
}

QGroupBox *framed(QWidget *parent, const QString &title, QWidget *content)
{
    auto *box = new QGroupBox(title, parent);
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(content);
    return box;
}

} // namespace

ProjectWindow::ProjectWindow(Prompts &prompts, const QString &projectName, const QString &projectFile,
                             const QString &projectFolder, QWidget *parent)
    : QDialog(parent), m_prompts(prompts), m_own(prompts.forWindow(this))
{
    setObjectName(QStringLiteral("ProjectWindow"));
    setWindowTitle(QStringLiteral("工程管理"));

    m_name = new QLineEdit(projectName, this);
    m_name->setObjectName(QStringLiteral("projectName"));
    m_name->setReadOnly(true);

    m_pageList = makeList(this, QStringLiteral("pageList"),
                          {QStringLiteral("起始"), QStringLiteral("长度"), QStringLiteral("开始页")});
    m_pictureList = makeList(this, QStringLiteral("pictureList"),
                             {QStringLiteral("编号"), QStringLiteral("图片名"), QStringLiteral("宽"),
                              QStringLiteral("高"), QStringLiteral("起始块")});

    m_ports = new PortControls(m_comm, *m_own, this);
    m_ports->setCloseEnabledWhileClosed(false);

    m_erase = new QCheckBox(QStringLiteral("擦除FLASH中原有图片"), this);
    m_erase->setObjectName(QStringLiteral("eraseCheck"));
    m_sendButton = new QPushButton(QStringLiteral("工程下发"), this);
    m_sendButton->setObjectName(QStringLiteral("sendButton"));
    m_statusBox = new QLineEdit(this);
    m_statusBox->setObjectName(QStringLiteral("statusBox"));
    m_statusBox->setReadOnly(true);
    m_statusBox->setAlignment(Qt::AlignCenter);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progressBar"));
    m_progress->setTextVisible(false);

    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("工程名："), this));
    nameRow->addWidget(m_name, 1);

    auto *side = new QVBoxLayout;
    side->addWidget(m_ports);
    side->addWidget(m_erase);
    side->addWidget(m_sendButton, 0, Qt::AlignRight);
    auto *statusRow = new QHBoxLayout;
    statusRow->addWidget(m_statusBox, 2);
    statusRow->addWidget(m_progress, 1);
    side->addLayout(statusRow);
    side->addStretch();

    auto *body = new QHBoxLayout;
    body->addWidget(framed(this, QStringLiteral("画面"), m_pageList), 1);
    body->addWidget(framed(this, QStringLiteral("图片"), m_pictureList), 1);
    body->addLayout(side);

    auto *main = new QVBoxLayout(this);
    main->addLayout(nameRow);
    main->addLayout(body, 1);

    m_host = std::make_unique<WindowLinkHost>(*this, m_prompts, m_comm, *m_ports, *m_statusBox, *m_progress);
    m_session = std::make_unique<SendProjectSession>(*m_host);
    m_host->attach(*m_session);
    m_host->setAfterEvent([this] { showFirstBlocks(); });

    connect(m_sendButton, &QPushButton::clicked, this, &ProjectWindow::sendProject);

    m_ports->detect();
    // Messages of the load are shown once the window is up.
    m_host->setDeferMessages(true);
    m_session->load(projectFile, projectFolder);
    m_host->setDeferMessages(false);
    fillPageList();
    fillPictureList();
}

ProjectWindow::~ProjectWindow()
{
    // The line goes away with the window without the close steps, but the
    // staging files do not stay behind.
    m_comm.disconnect(this);
    m_host->detach();
    m_comm.close();
    m_session->removeStagingFiles();
}

void ProjectWindow::fillPageList()
{
    const auto &pages = m_session->pageEntries();
    m_pageList->setRowCount(int(pages.size()));
    for (int row = 0; row < int(pages.size()); ++row) {
        const ProjectPageEntry &e = pages[size_t(row)];
        setCell(m_pageList, row, 0, QString::number(e.pageNo));
        setCell(m_pageList, row, 1, QString::number(e.length));
        setCell(m_pageList, row, 2, QString::number(e.start));
    }
}

void ProjectWindow::fillPictureList()
{
    const auto &pictures = m_session->pictureEntries();
    m_pictureList->setRowCount(int(pictures.size()));
    for (int row = 0; row < int(pictures.size()); ++row) {
        const ProjectPictureEntry &e = pictures[size_t(row)];
        setCell(m_pictureList, row, kNumber, QString::number(e.number));
        setCell(m_pictureList, row, kPath, fromGbk(e.path));
        setCell(m_pictureList, row, kWidth, QString::number(e.width));
        setCell(m_pictureList, row, kHeight, QString::number(e.height));
        setCell(m_pictureList, row, kFirstBlock, e.firstBlock);
    }
}

void ProjectWindow::showFirstBlocks()
{
    const auto &pictures = m_session->pictureEntries();
    for (int row = 0; row < int(pictures.size()) && row < m_pictureList->rowCount(); ++row) {
        QTableWidgetItem *item = m_pictureList->item(row, kFirstBlock);
        const QString &text = pictures[size_t(row)].firstBlock;
        if (item && item->text() != text)
            item->setText(text);
    }
}

void ProjectWindow::sendProject()
{
    if (!m_ports->isOpen())
        return;
    m_host->resetProgress();
    QString error;
    if (!m_session->start(m_erase->isChecked(), &error) && !error.isEmpty())
        m_host->message(error);
}

} // namespace h5
