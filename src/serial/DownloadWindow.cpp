#include "serial/DownloadWindow.h"

#include "common/Prompts.h"
#include "link/BundleWriter.h"
#include "serial/PortControls.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace h5 {

namespace {

FileRequest openRequest(const QString &caption, const QString &filter, const QString &suffix = QString())
{
    FileRequest r;
    r.caption = caption;
    r.filter = filter;
    r.defaultSuffix = suffix;
    return r;
}

} // namespace

DownloadWindow::DownloadWindow(Prompts &prompts, const QString &projectFile, QWidget *parent)
    : QDialog(parent), m_prompts(prompts), m_own(prompts.forWindow(this))
{
    setObjectName(QStringLiteral("DownloadWindow"));
    setWindowTitle(QStringLiteral("下载"));

    auto *files = new QGridLayout;
    m_project = addFileField(files, 0, QStringLiteral("工程文件"), QStringLiteral("project"));
    m_pictures = addFileField(files, 1, QStringLiteral("图片文件"), QStringLiteral("picture"));
    m_font = addFileField(files, 2, QStringLiteral("字库文件"), QStringLiteral("font"));
    files->setColumnStretch(1, 1);

    m_ports = new PortControls(m_comm, *m_own, this);
    m_ports->setCloseEnabledWhileClosed(true);

    m_bundleButton = new QPushButton(QStringLiteral("生成.uwl文件"), this);
    m_bundleButton->setObjectName(QStringLiteral("bundleButton"));
    m_downloadButton = new QPushButton(QStringLiteral("下载"), this);
    m_downloadButton->setObjectName(QStringLiteral("downloadButton"));
    m_erase = new QCheckBox(QStringLiteral("擦除FLASH"), this);
    m_erase->setObjectName(QStringLiteral("eraseCheck"));
    m_statusBox = new QLineEdit(this);
    m_statusBox->setObjectName(QStringLiteral("statusBox"));
    m_statusBox->setReadOnly(true);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progressBar"));
    m_progress->setTextVisible(false);

    auto *actions = new QVBoxLayout;
    actions->addWidget(m_bundleButton, 0, Qt::AlignLeft);
    auto *downloadRow = new QHBoxLayout;
    downloadRow->addWidget(m_downloadButton);
    downloadRow->addWidget(m_erase);
    downloadRow->addStretch();
    actions->addLayout(downloadRow);
    auto *statusRow = new QHBoxLayout;
    statusRow->addWidget(m_statusBox, 2);
    statusRow->addWidget(m_progress, 1);
    actions->addLayout(statusRow);
    actions->addStretch();

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_ports);
    bottom->addLayout(actions, 1);

    auto *main = new QVBoxLayout(this);
    main->addLayout(files);
    main->addLayout(bottom);

    m_host = std::make_unique<WindowLinkHost>(*this, m_prompts, m_comm, *m_ports, *m_statusBox, *m_progress);
    m_session = std::make_unique<DownloadSession>(*m_host);
    m_host->attach(*m_session);

    connect(m_project.choose, &QPushButton::clicked, this, [this] {
        choose(m_project, openRequest(QStringLiteral("工程文件"),
                                      QStringLiteral("工程文件(*.wgc)"), QStringLiteral("wgc")));
    });
    connect(m_pictures.choose, &QPushButton::clicked, this, [this] {
        choose(m_pictures,
               openRequest(QStringLiteral("图片文件"), QStringLiteral("图片文件(*.tbm *.cbm)")));
    });
    connect(m_font.choose, &QPushButton::clicked, this, [this] {
        choose(m_font, openRequest(QStringLiteral("字库文件"), QStringLiteral("字库文件(*.wzk)")));
    });
    connect(m_downloadButton, &QPushButton::clicked, this, &DownloadWindow::download);
    connect(m_bundleButton, &QPushButton::clicked, this, &DownloadWindow::makeBundle);

    setProjectFile(projectFile);
    m_ports->detect();
}

DownloadWindow::~DownloadWindow()
{
    // The line goes away with the window; no close steps, no status.
    m_comm.disconnect(this);
    m_host->detach();
    m_comm.close();
}

DownloadWindow::FileField DownloadWindow::addFileField(QGridLayout *grid, int row,
                                                   const QString &caption, const QString &name)
{
    FileField f;
    f.choose = new QPushButton(caption, this);
    f.choose->setObjectName(name + QStringLiteral("Button"));
    f.path = new QLineEdit(this);
    f.path->setObjectName(name + QStringLiteral("Path"));
    f.path->setReadOnly(true);
    f.path->setMinimumWidth(320);
    f.clear = new QPushButton(QStringLiteral("清空"), this);
    f.clear->setObjectName(name + QStringLiteral("Clear"));
    grid->addWidget(f.choose, row, 0);
    grid->addWidget(f.path, row, 1);
    grid->addWidget(f.clear, row, 2);
    QLineEdit *edit = f.path;
    connect(f.clear, &QPushButton::clicked, edit, [edit] { edit->clear(); });
    return f;
}

void DownloadWindow::setProjectFile(const QString &path) { m_project.path->setText(path); }
void DownloadWindow::setPictureFile(const QString &path) { m_pictures.path->setText(path); }
void DownloadWindow::setFontFile(const QString &path) { m_font.path->setText(path); }

DownloadFiles DownloadWindow::files() const
{
    DownloadFiles f;
    f.project = m_project.path->text();
    f.pictures = m_pictures.path->text();
    f.font = m_font.path->text();
    f.erase = m_erase->isChecked();
    return f;
}

void DownloadWindow::choose(FileField &field, const FileRequest &request)
{
    const QString path = m_own->chooseFile(request);
    if (!path.isEmpty())
        field.path->setText(path);
}

void DownloadWindow::download()
{
    const DownloadFiles chosen = files();
    if (!m_ports->isOpen() || !chosen.any())
        return;
    m_host->resetProgress();
    QString error;
    if (!m_session->start(chosen, &error) && !error.isEmpty())
        m_host->message(error);
}

void DownloadWindow::makeBundle()
{
    const DownloadFiles chosen = files();
    if (!chosen.any())
        return;
    FileRequest request;
    request.kind = FileRequest::Kind::Save;
    request.caption = QStringLiteral("生成.uwl文件");
    request.filter = QStringLiteral(".uwl文件(*.uwl)");
    request.defaultSuffix = QStringLiteral("uwl");
    request.confirmOverwrite = false; // the bundle replaces it anyway
    const QString target = m_own->chooseFile(request);
    if (target.isEmpty())
        return;
    QString error;
    if (!BundleWriter::write(chosen, target, &error) && !error.isEmpty())
        m_host->message(error);
}

} // namespace h5
