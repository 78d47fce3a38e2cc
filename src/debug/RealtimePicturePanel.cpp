#include "debug/RealtimePicturePanel.h"

#include "common/Prompts.h"
#include "debug/DebugWidgets.h"
#include "debug/PicturePreview.h"
#include "debug/StatusText.h"
#include "link/DebugSession.h"
#include "link/LiveCommands.h"
#include "pictures/PictureConvert.h"
#include "serial/PortControls.h"

#include <QDir>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace h5 {

RealtimePicturePanel::RealtimePicturePanel(DebugSession &session, Prompts &prompts, const PortControls &ports,
                                           QWidget *parent)
    : ExtensionPage(parent), m_session(session), m_prompts(prompts), m_ports(ports)
{
    setObjectName(QStringLiteral("realtimePage"));
    auto *choose = button(QStringLiteral("选择图片"), QStringLiteral("choosePictureButton"), this);
    m_preview = new PicturePreview(QStringLiteral("realtimePreview"), this);
    // The chosen picture's path, its file name always in sight.
    m_pathBox = new StatusText(this);
    m_pathBox->setObjectName(QStringLiteral("realtimePathBox"));
    m_x = digitsBox(QStringLiteral("realtimeXBox"), this);
    m_y = digitsBox(QStringLiteral("realtimeYBox"), this);
    auto *grid = new QGridLayout(this);
    grid->addWidget(choose, 0, 0);
    grid->addWidget(m_pathBox, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("X"), this), 1, 0);
    grid->addWidget(m_x, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Y"), this), 2, 0);
    grid->addWidget(m_y, 2, 1);
    grid->addWidget(m_preview, 0, 3, 3, 1);
    grid->setColumnStretch(2, 1);
    connect(choose, &QPushButton::clicked, this, &RealtimePicturePanel::choosePicture);
}

void RealtimePicturePanel::choosePicture()
{
    FileRequest request;
    request.caption = QStringLiteral("选择图片");
    request.filter = QStringLiteral("图片文件(*.bmp *.jpg *.jpeg)");
    const QString path = m_prompts.chooseFile(request);
    if (path.isEmpty())
        return;
    m_path = path;
    m_pathBox->setText(QDir::toNativeSeparators(m_path));
    m_width = m_height = 0;
    measurePicture(m_path, m_width, m_height);
    QImage picture;
    if (!picture.load(m_path))
        picture = QImage();
    m_preview->showPicture(picture);
}

void RealtimePicturePanel::send()
{
    if (m_path.isEmpty())
        return;
    measurePicture(m_path, m_width, m_height);
    const QByteArray header = realtimePictureHeader(typedNumber(m_x), typedNumber(m_y), m_width, m_height);
    if (!m_ports.isOpen()) {
        m_session.recordFrame(header);
        return;
    }
    QByteArray pixels;
    const ConvertResult result = convertPictureFile(m_path, m_width, m_height, pixels);
    if (result != ConvertResult::Ok) {
        m_session.recordFrame(header);
        m_prompts.message(result == ConvertResult::CannotOpen ? QStringLiteral("无法打开图片")
                                                             : QStringLiteral("渲染图象失败！"));
        return;
    }
    m_session.sendRealtimePicture(header, pixels);
}

} // namespace h5
