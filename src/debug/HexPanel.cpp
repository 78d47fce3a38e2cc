#include "debug/HexPanel.h"

#include "common/FileIo.h"
#include "common/Prompts.h"
#include "debug/DebugWidgets.h"
#include "link/DebugSession.h"
#include "link/LiveCommands.h"
#include "serial/PortControls.h"

#include <QCheckBox>
#include <QDir>
#include <QFont>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace h5 {

namespace {

constexpr int kMaxHexChars = 1500;

} // namespace

HexPanel::HexPanel(DebugSession &session, Prompts &prompts, const PortControls &ports, QWidget *parent)
    : ExtensionPage(parent), m_session(session), m_prompts(prompts), m_ports(ports)
{
    setObjectName(QStringLiteral("hexPage"));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("hexText"));
    setFileMode(false);
    m_loadFile = new QCheckBox(QStringLiteral("装载文件"), this);
    m_loadFile->setObjectName(QStringLiteral("loadFileCheck"));
    auto *clearButton = button(QStringLiteral("清空"), QStringLiteral("clearHexButton"), this);
    auto *side = new QVBoxLayout;
    side->addWidget(m_loadFile);
    side->addWidget(clearButton);
    side->addStretch();
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addLayout(side);
    // The box is ticked and unticked here, after the file dialog.
    connect(m_loadFile, &QCheckBox::clicked, this, [this] { toggleLoadFile(); });
    connect(clearButton, &QPushButton::clicked, this, &HexPanel::clear);
}

// Typed hex shows its letters in upper case (the text keeps what was
// typed); a file's path shows as it is.
void HexPanel::setFileMode(bool on)
{
    QFont font = m_text->font();
    font.setCapitalization(on ? QFont::MixedCase : QFont::AllUppercase);
    m_text->setFont(font);
    m_text->setReadOnly(on);
}

void HexPanel::toggleLoadFile()
{
    if (m_fileMode) {
        m_fileMode = false;
        m_loadFile->setChecked(false);
        m_file.clear();
        m_text->clear();
        setFileMode(false);
        return;
    }
    FileRequest request;
    request.caption = QStringLiteral("装载文件");
    request.filter = QStringLiteral("txt文件(*.txt)");
    request.defaultSuffix = QStringLiteral("txt");
    const QString path = m_prompts.chooseFile(request);
    m_fileMode = !path.isEmpty();
    m_loadFile->setChecked(m_fileMode);
    if (!m_fileMode)
        return;
    m_file = path;
    setFileMode(true);
    m_text->setPlainText(QDir::toNativeSeparators(m_file));
}

void HexPanel::clear()
{
    // The file mode stays as it was; only the text and the path go.
    m_text->clear();
    m_file.clear();
}

void HexPanel::send()
{
    const QString text = m_text->toPlainText();
    if (text.isEmpty())
        return;
    if (m_fileMode) {
        if (m_file.isEmpty())
            return;
        QByteArray content;
        QString error;
        QByteArray bytes;
        // Read and decoded before anything is recorded or sent, so a file
        // that cannot be sent whole sends nothing.
        if (!readWholeFile(m_file, content, &error)) {
            m_prompts.message(QStringLiteral("无法读取文件：") + QDir::toNativeSeparators(m_file) + QStringLiteral("：")
                              + error);
            return;
        }
        if (!decodeHexText(content, bytes, &error)) {
            m_prompts.message(QDir::toNativeSeparators(m_file) + QStringLiteral("：") + error);
            return;
        }
        const QString shown = QDir::toNativeSeparators(m_file);
        emit recordingAsIs(shown);
        m_session.recordTypedText(shown);
        emit recordingAsIs(QString());
        if (!m_ports.isOpen() || bytes.isEmpty())
            return;
        m_session.sendChunked(bytes, LinkState::BulkSend);
        return;
    }
    if (text.size() > kMaxHexChars) {
        m_prompts.message(QStringLiteral("指令过长！"));
        return;
    }
    QByteArray bytes;
    QString error;
    if (!decodeHexText(text.toLatin1(), bytes, &error)) {
        m_prompts.message(error);
        return;
    }
    m_session.recordTypedText(text);
    m_session.sendTypedBytes(bytes);
}

} // namespace h5
