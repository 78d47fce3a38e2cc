// The debug window's extension pages: hex commands (typed or from a file,
// long files chunked), the user fonts' "保存列表", the realtime picture and
// the layer copy. "发送" acts for the page whose tab is selected.

#include "debug/DebugWindow.h"

#include "common/FileIo.h"
#include "debug/DebugWidgets.h"
#include "debug/StatusText.h"
#include "pictures/PictureConvert.h"
#include "serial/PortControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace h5 {

namespace {

constexpr int kMaxHexChars = 1500;

int typedNumber(const QLineEdit *box)
{
    return int(std::clamp<long long>(readTypedNumber(box->text()), -1000000000LL, 1000000000LL));
}

} // namespace

QWidget *DebugWindow::makeHexPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("hexPage"));
    m_hexText = new QPlainTextEdit(page);
    m_hexText->setObjectName(QStringLiteral("hexText"));
    setHexFileMode(false);
    m_loadFile = new QCheckBox(QStringLiteral("装载文件"), page);
    m_loadFile->setObjectName(QStringLiteral("loadFileCheck"));
    auto *clear = button(QStringLiteral("清空"), QStringLiteral("clearHexButton"), page);
    auto *side = new QVBoxLayout;
    side->addWidget(m_loadFile);
    side->addWidget(clear);
    side->addStretch();
    auto *layout = new QHBoxLayout(page);
    layout->addWidget(m_hexText, 1);
    layout->addLayout(side);
    // The box is ticked and unticked by the window, after the file dialog.
    connect(m_loadFile, &QCheckBox::clicked, this, [this] { toggleLoadFile(); });
    connect(clear, &QPushButton::clicked, this, &DebugWindow::clearHex);
    return page;
}

QWidget *DebugWindow::makeRealtimePage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("realtimePage"));
    auto *choose = button(QStringLiteral("选择图片"), QStringLiteral("choosePictureButton"), page);
    m_realtimePreview = new QLabel(page);
    m_realtimePreview->setObjectName(QStringLiteral("realtimePreview"));
    m_realtimePreview->setFixedSize(96, 72);
    m_realtimePreview->setFrameShape(QFrame::Box);
    m_realtimePreview->setAlignment(Qt::AlignCenter);
    // The chosen picture's path, its file name always in sight.
    m_realtimePathBox = new StatusText(page);
    m_realtimePathBox->setObjectName(QStringLiteral("realtimePathBox"));
    m_realtimeX = digitsBox(QStringLiteral("realtimeXBox"), page);
    m_realtimeY = digitsBox(QStringLiteral("realtimeYBox"), page);
    auto *grid = new QGridLayout(page);
    grid->addWidget(choose, 0, 0);
    grid->addWidget(m_realtimePathBox, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("X"), page), 1, 0);
    grid->addWidget(m_realtimeX, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Y"), page), 2, 0);
    grid->addWidget(m_realtimeY, 2, 1);
    grid->addWidget(m_realtimePreview, 0, 3, 3, 1);
    grid->setColumnStretch(2, 1);
    connect(choose, &QPushButton::clicked, this, &DebugWindow::chooseRealtimePicture);
    return page;
}

QWidget *DebugWindow::makeCopyPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("copyPage"));
    m_copyResolution = new QComboBox(page);
    m_copyResolution->setObjectName(QStringLiteral("copyResolutionCombo"));
    for (const TerminalResolution &r : terminalResolutions())
        m_copyResolution->addItem(QString::fromLatin1(r.name));
    m_copyFrom = new QComboBox(page);
    m_copyFrom->setObjectName(QStringLiteral("copyFromLayer"));
    m_copyFrom->setEditable(true);
    m_copyTo = new QComboBox(page);
    m_copyTo->setObjectName(QStringLiteral("copyToLayer"));
    m_copyTo->setEditable(true);
    const char *names[6] = {"copySourceX", "copySourceY", "copyWidth", "copyHeight", "copyTargetX", "copyTargetY"};
    for (int i = 0; i < 6; ++i) {
        m_copyBoxes[i] = digitsBox(QString::fromLatin1(names[i]), page);
        m_copyBoxes[i]->setMaximumWidth(50);
    }
    auto *grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("终端分辨率："), page), 0, 0);
    grid->addWidget(m_copyResolution, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("源层"), page), 0, 2);
    grid->addWidget(m_copyFrom, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("目标层"), page), 0, 4);
    grid->addWidget(m_copyTo, 0, 5);
    grid->addWidget(new QLabel(QStringLiteral("源拷贝地址"), page), 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("坐标"), page), 1, 1);
    grid->addWidget(m_copyBoxes[0], 1, 2);
    grid->addWidget(m_copyBoxes[1], 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("尺寸"), page), 2, 0);
    grid->addWidget(new QLabel(QStringLiteral("长:"), page), 2, 1);
    grid->addWidget(m_copyBoxes[2], 2, 2);
    grid->addWidget(new QLabel(QStringLiteral("宽:"), page), 2, 3);
    grid->addWidget(m_copyBoxes[3], 2, 4);
    grid->addWidget(new QLabel(QStringLiteral("目标拷贝地址"), page), 3, 0);
    grid->addWidget(new QLabel(QStringLiteral("坐标"), page), 3, 1);
    grid->addWidget(m_copyBoxes[4], 3, 2);
    grid->addWidget(m_copyBoxes[5], 3, 3);

    connect(m_copyResolution, &QComboBox::currentIndexChanged, this, &DebugWindow::copyResolutionChosen);
    // A typed layer counts only when it is one of the box's entries.
    auto typedLayer = [](QComboBox *box, int &layer) {
        return [box, &layer](const QString &text) {
            const int index = box->findText(text.trimmed(), Qt::MatchExactly);
            if (index >= 0)
                layer = index;
        };
    };
    connect(m_copyFrom, &QComboBox::editTextChanged, this, typedLayer(m_copyFrom, m_copyFromLayer));
    connect(m_copyTo, &QComboBox::editTextChanged, this, typedLayer(m_copyTo, m_copyToLayer));
    connect(m_copyFrom, &QComboBox::activated, this, [this](int i) { m_copyFromLayer = i; });
    connect(m_copyTo, &QComboBox::activated, this, [this](int i) { m_copyToLayer = i; });
    // Both layer boxes hold "0" to "3" at first, whatever the resolution.
    for (QComboBox *box : {m_copyFrom, m_copyTo})
        for (int l = 0; l < 4; ++l)
            box->addItem(QString::number(l));
    return page;
}

// ---- hex commands ------------------------------------------------------------------------

// Typed hex shows its letters in upper case (the text keeps what was
// typed); a file's path shows as it is.
void DebugWindow::setHexFileMode(bool on)
{
    QFont font = m_hexText->font();
    font.setCapitalization(on ? QFont::MixedCase : QFont::AllUppercase);
    m_hexText->setFont(font);
    m_hexText->setReadOnly(on);
}

void DebugWindow::toggleLoadFile()
{
    if (m_loadFileFlag) {
        m_loadFileFlag = false;
        m_loadFile->setChecked(false);
        m_hexFile.clear();
        m_hexText->clear();
        setHexFileMode(false);
        return;
    }
    FileRequest request;
    request.caption = QStringLiteral("装载文件");
    request.filter = QStringLiteral("txt文件(*.txt)");
    request.defaultSuffix = QStringLiteral("txt");
    const QStringList paths = m_prompts->chooseFiles(request);
    m_loadFileFlag = !paths.isEmpty();
    m_loadFile->setChecked(m_loadFileFlag);
    if (!m_loadFileFlag)
        return;
    m_hexFile = paths.constFirst();
    setHexFileMode(true);
    m_hexText->setPlainText(QDir::toNativeSeparators(m_hexFile));
}

void DebugWindow::clearHex()
{
    // The file mode stays as it was; only the text and the path go.
    m_hexText->clear();
    m_hexFile.clear();
}

void DebugWindow::sendHex()
{
    const QString text = m_hexText->toPlainText();
    if (text.isEmpty())
        return;
    if (m_loadFileFlag) {
        if (m_hexFile.isEmpty())
            return;
        QByteArray content;
        QString error;
        QByteArray bytes;
        // Read and decoded before anything is recorded or sent, so a file
        // that cannot be sent whole sends nothing.
        if (!readWholeFile(m_hexFile, content, &error)) {
            m_host->message(QStringLiteral("无法读取文件：") + QDir::toNativeSeparators(m_hexFile) + QStringLiteral("：")
                            + error);
            return;
        }
        if (!decodeHexText(content, bytes, &error)) {
            m_host->message(QDir::toNativeSeparators(m_hexFile) + QStringLiteral("：") + error);
            return;
        }
        m_recordAsIs = QDir::toNativeSeparators(m_hexFile);
        m_session->recordTypedText(m_recordAsIs);
        m_recordAsIs.clear();
        if (!m_ports->isOpen() || bytes.isEmpty())
            return;
        m_session->sendChunked(bytes, LinkState::BulkSend);
        return;
    }
    if (text.size() > kMaxHexChars) {
        m_host->message(QStringLiteral("指令过长！"));
        return;
    }
    QByteArray bytes;
    QString error;
    if (!decodeHexText(text.toLatin1(), bytes, &error)) {
        m_host->message(error);
        return;
    }
    m_session->recordTypedText(text);
    m_session->sendTypedBytes(bytes);
}

// ---- user fonts -----------------------------------------------------------------------------

void DebugWindow::saveFonts()
{
    FileRequest request;
    request.kind = FileRequest::Kind::Save;
    request.caption = QStringLiteral("保存列表");
    request.filter = QStringLiteral("字库文件(*.wzk)");
    request.defaultSuffix = QStringLiteral("wzk");
    const QStringList paths = m_prompts->chooseFiles(request);
    if (paths.isEmpty())
        return;
    QString target = paths.constFirst();
    if (!target.endsWith(QLatin1String(".wzk")))
        target += QLatin1String(".wzk");
    QByteArray bytes;
    QString error;
    if (!fontDownloadBytes(m_fonts.entries(), bytes, &error) || !writeFileAtomically(target, bytes, &error)) {
        m_host->message(QStringLiteral("字库文件保存不成功：") + error);
        return;
    }
    m_fontsChanged = false;
}

// ---- realtime picture ----------------------------------------------------------------------

void DebugWindow::chooseRealtimePicture()
{
    FileRequest request;
    request.caption = QStringLiteral("选择图片");
    request.filter = QStringLiteral("图片文件(*.bmp *.jpg *.jpeg)");
    const QStringList paths = m_prompts->chooseFiles(request);
    if (paths.isEmpty())
        return;
    m_realtimePath = paths.constFirst();
    m_realtimePathBox->setText(QDir::toNativeSeparators(m_realtimePath));
    m_realtimeWidth = m_realtimeHeight = 0;
    measurePicture(m_realtimePath, m_realtimeWidth, m_realtimeHeight);
    QImage picture;
    if (!picture.load(m_realtimePath) || picture.isNull()) {
        m_realtimePreview->setPixmap(QPixmap());
        m_realtimePreview->setText(QStringLiteral("渲染图象失败！"));
        return;
    }
    QPixmap box(m_realtimePreview->size());
    box.fill(Qt::white);
    {
        QPainter painter(&box);
        painter.drawImage(QRect(1, 1, box.width() - 2, box.height() - 2), picture);
    }
    m_realtimePreview->setText(QString());
    m_realtimePreview->setPixmap(box);
}

void DebugWindow::sendRealtimePicture()
{
    if (m_realtimePath.isEmpty())
        return;
    measurePicture(m_realtimePath, m_realtimeWidth, m_realtimeHeight);
    const QByteArray header = realtimePictureHeader(typedNumber(m_realtimeX), typedNumber(m_realtimeY),
                                                    m_realtimeWidth, m_realtimeHeight);
    if (!m_ports->isOpen()) {
        m_session->recordFrame(header);
        return;
    }
    QByteArray pixels;
    const ConvertResult result = convertPictureFile(m_realtimePath, m_realtimeWidth, m_realtimeHeight, pixels);
    if (result != ConvertResult::Ok) {
        m_session->recordFrame(header);
        m_host->message(result == ConvertResult::CannotOpen ? QStringLiteral("无法打开图片")
                                                             : QStringLiteral("渲染图象失败！"));
        return;
    }
    m_sendProgress->setValue(0);
    m_session->sendRealtimePicture(header, pixels);
}

// ---- layer copy -------------------------------------------------------------------------------

void DebugWindow::copyResolutionChosen(int index)
{
    const auto &list = terminalResolutions();
    if (index < 0 || size_t(index) >= list.size())
        return;
    const TerminalResolution &r = list[size_t(index)];
    for (QComboBox *box : {m_copyFrom, m_copyTo}) {
        const QSignalBlocker quiet(box);
        box->clear();
        for (int l = 0; l < r.layers; ++l)
            box->addItem(QString::number(l));
        box->setCurrentIndex(0);
        box->setEnabled(r.layers > 1);
    }
    m_copyFromLayer = m_copyToLayer = 0;
}

void DebugWindow::sendCopy()
{
    int n[6];
    for (int i = 0; i < 6; ++i)
        n[i] = typedNumber(m_copyBoxes[i]);
    const QByteArray bytes = layerCopyCommand(m_copyResolution->currentIndex(), m_copyFromLayer,
                                              m_copyToLayer, n[0], n[1], n[2], n[3], n[4], n[5]);
    m_session->sendCommand(bytes, true);
}

} // namespace h5
