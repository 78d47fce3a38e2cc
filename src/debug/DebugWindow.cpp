#include "debug/DebugWindow.h"

#include "debug/DebugWidgets.h"
#include "debug/DeviceCommandsPanel.h"
#include "debug/FontPanel.h"
#include "debug/HexPanel.h"
#include "debug/LayerCopyPanel.h"
#include "debug/LiveDrawingPanel.h"
#include "debug/PicturePanel.h"
#include "debug/RealtimePicturePanel.h"
#include "debug/RecordPanel.h"
#include "debug/StatusText.h"
#include "serial/PortControls.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace h5 {

namespace {

// The rates of the baud box, fastest first (the debug window offers no
// 230400).
const QList<int> kDebugRates = {1228800, 921600, 460800, 115200, 57600, 38400, 19200, 9600, 4800, 2400};

const QString kPortClosed = QStringLiteral("串口已关闭!");

// Room a window manager takes around a window not yet shown: the title bar
// and the borders.
const QSize kFrameGuess(16, 40);

} // namespace

DebugWindow::DebugWindow(Prompts &prompts, QWidget *parent)
    : QWidget(parent, Qt::Window), m_prompts(prompts.forWindow(this))
{
    setObjectName(QStringLiteral("DebugWindow"));
    setWindowTitle(QStringLiteral("在线调试"));

    m_content = new QWidget;
    m_content->setObjectName(QStringLiteral("content"));
    m_upper = new QWidget(m_content);
    m_upper->setObjectName(QStringLiteral("upperHalf"));

    // The link first: every panel works on its session. Its status box
    // and bar sit in the picture group, the port controls below it; they
    // are made without a parent and join the window where they are laid
    // out, so Tab goes through the window as it is laid out.
    auto *linkStatus = new QLineEdit;
    linkStatus->setObjectName(QStringLiteral("statusBox"));
    linkStatus->setReadOnly(true);
    QProgressBar *linkProgress = progressBar(QStringLiteral("progressBar"), nullptr);
    m_ports = new PortControls(m_comm, *m_prompts);
    m_ports->setBaudRates(kDebugRates);
    m_ports->setCloseEnabledWhileClosed(false);
    m_ports->setCaptions(QStringLiteral("端口："), QStringLiteral("波特率："));
    m_host = std::make_unique<WindowLinkHost>(*this, *m_prompts, m_comm, *m_ports, *linkStatus, *linkProgress);
    m_host->setYesNoQuestions(true);
    m_session = std::make_unique<DebugSession>(*m_host);

    m_pictures = new PicturePanel(*m_session, *m_prompts, *m_ports, *linkStatus, *linkProgress, m_upper);
    m_ports->setParent(m_upper);
    m_commands = new DeviceCommandsPanel(*m_session, *m_prompts, m_upper);
    auto *serialRow = new QHBoxLayout;
    serialRow->addWidget(m_ports, 1);
    serialRow->addWidget(m_commands);

    auto *left = new QVBoxLayout;
    left->addWidget(m_pictures, 1);
    left->addLayout(serialRow);
    auto *right = new QVBoxLayout;
    right->addWidget(makeExtensionGroup());
    m_record = new RecordPanel(*m_session, *m_prompts, m_upper);
    right->addWidget(m_record, 1);
    auto *upper = new QHBoxLayout(m_upper);
    upper->setContentsMargins(0, 0, 0, 0);
    upper->addLayout(left, 3);
    upper->addLayout(right, 2);

    m_rule = new QFrame(m_content);
    m_rule->setObjectName(QStringLiteral("halfRule"));
    m_rule->setFrameShape(QFrame::HLine);
    m_rule->setFrameShadow(QFrame::Sunken);

    m_live = new LiveDrawingPanel(*m_session, *m_prompts, m_content);
    m_live->setVisible(false);

    auto *main = new QVBoxLayout(m_content);
    main->setContentsMargins(4, 4, 4, 4);
    main->setSpacing(2);
    main->addWidget(m_upper, 1);
    main->addWidget(m_rule);
    main->addWidget(m_live);

    // On a small screen the window keeps a usable size and its content
    // scrolls.
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("formScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setWidget(m_content);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_scroll);

    m_session->setSendStatusSink([this](const QString &text) { m_sendStatus->setText(text); });
    m_session->setSendProgressSink([this](qint64 done, qint64 total) {
        m_sendProgress->setValue(total > 0 ? int(std::clamp<qint64>(done, 0, total) * kBarSteps / total) : 0);
    });
    m_session->setRecordChanged([this] { m_record->recordChanged(); });
    m_host->attach(
        *m_session, [this] { m_session->portOpened(); }, [this] { m_session->portClosed(); });
    m_host->setAfterEvent([this] { m_pictures->afterEvent(); });
    // "关闭" leaves no word of the connection behind.
    connect(m_ports->closeButton(), &QPushButton::clicked, this, [this, linkStatus] {
        if (!m_ports->isOpen())
            linkStatus->setText(kPortClosed);
    });
    connect(m_pictures, &PicturePanel::pictureShown, m_live, &LiveDrawingPanel::showPicture);
    connect(m_hex, &HexPanel::recordingAsIs, m_record, &RecordPanel::setShownAsIs);
    connect(m_commands, &DeviceCommandsPanel::fullFormClicked, this, &DebugWindow::toggleFullForm);

    m_ports->detect();
    resize(fittingSize());
}

QWidget *DebugWindow::makeExtensionGroup()
{
    auto *group = new QGroupBox(QStringLiteral("扩展"), m_upper);
    group->setObjectName(QStringLiteral("extensionGroup"));
    m_tabs = new QTabWidget(group);
    m_tabs->setObjectName(QStringLiteral("extensionTabs"));
    m_hex = new HexPanel(*m_session, *m_prompts, *m_ports);
    m_fonts = new FontPanel(*m_session, *m_prompts, *m_ports);
    m_realtime = new RealtimePicturePanel(*m_session, *m_prompts, *m_ports);
    m_copy = new LayerCopyPanel(*m_session);
    m_tabs->addTab(m_hex, QStringLiteral("十六进制自写指令"));
    m_tabs->addTab(m_fonts, QStringLiteral("用户字库"));
    m_tabs->addTab(m_realtime, QStringLiteral("实时显示图片"));
    m_tabs->addTab(m_copy, QStringLiteral("拷贝"));

    auto *sendButton = button(QStringLiteral("发送"), QStringLiteral("sendButton"), group);
    // A failure names its file inside a long text: the box keeps the file
    // name in sight, the whole text in its tool tip.
    m_sendStatus = new StatusText(group);
    m_sendStatus->setObjectName(QStringLiteral("sendStatusBox"));
    m_sendProgress = progressBar(QStringLiteral("sendProgressBar"), group);
    auto *sendRow = new QHBoxLayout;
    sendRow->addWidget(sendButton);
    sendRow->addWidget(m_sendStatus, 2);
    sendRow->addWidget(m_sendProgress, 1);

    auto *layout = new QVBoxLayout(group);
    layout->addWidget(m_tabs);
    layout->addLayout(sendRow);
    connect(sendButton, &QPushButton::clicked, this, &DebugWindow::send);
    for (ExtensionPage *page : {static_cast<ExtensionPage *>(m_hex), static_cast<ExtensionPage *>(m_fonts),
                                static_cast<ExtensionPage *>(m_realtime), static_cast<ExtensionPage *>(m_copy)})
        connect(page, &ExtensionPage::told, m_sendStatus, &StatusText::setText);
    return group;
}

QSize DebugWindow::fittingSize() const
{
    const QSize wanted = m_content->sizeHint();
    const QScreen *shownOn = QWidget::screen();
    if (!shownOn)
        return wanted;
    const QSize frame = isVisible() ? frameGeometry().size() - size() : kFrameGuess;
    const QSize room = shownOn->availableGeometry().size() - frame.expandedTo(QSize(0, 0));
    // A direction that does not fit gets a scroll bar, which takes room in
    // the other direction.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    QSize size = wanted;
    if (size.height() > room.height())
        size.rwidth() += bar;
    if (size.width() > room.width())
        size.rheight() += bar;
    return size.boundedTo(room);
}

DebugWindow::~DebugWindow()
{
    // The port is closed before the window goes; no close steps, no status.
    m_comm.disconnect(this);
    m_host->detach();
    m_comm.close();
}

void DebugWindow::setRecordFolder(const QString &folder) { m_record->setRecordFolder(folder); }

const PictureList &DebugWindow::pictureList() const { return m_pictures->pictureList(); }

const UserFontList &DebugWindow::fontList() const { return m_fonts->fontList(); }

void DebugWindow::send()
{
    m_sendProgress->setValue(0);
    if (auto *page = qobject_cast<ExtensionPage *>(m_tabs->currentWidget()))
        page->send();
}

// ---- closing ------------------------------------------------------------------------------

QString DebugWindow::closeQuestion() const
{
    const bool pictures = m_pictures->hasUnsavedList();
    const bool fonts = m_fonts->hasUnsavedList();
    QStringList lost;
    if (pictures)
        lost << QStringLiteral("未保存的图片列表");
    if (fonts)
        lost << (pictures ? QStringLiteral("字库列表") : QStringLiteral("未保存的字库列表"));
    if (!m_session->record().text().isEmpty())
        lost << QStringLiteral("通讯记录");
    QString discard;
    if (lost.size() == 1)
        discard = lost[0];
    else if (lost.size() > 1)
        discard = QStringList(lost.mid(0, lost.size() - 1)).join(QStringLiteral("、")) + QStringLiteral("和")
                  + lost.last();
    const bool port = m_ports->isOpen();
    if (!port && discard.isEmpty())
        return {};
    QString text = QStringLiteral("关闭窗口将");
    if (port)
        text += QStringLiteral("断开串口");
    if (port && !discard.isEmpty())
        text += QStringLiteral("并");
    if (!discard.isEmpty())
        text += QStringLiteral("丢弃") + discard;
    return text + QStringLiteral("，是否关闭?");
}

void DebugWindow::closeEvent(QCloseEvent *event)
{
    // "否" is the default: Enter or Escape keeps everything.
    const QString question = closeQuestion();
    const bool close = question.isEmpty() || m_prompts->question(question, QuestionButtons::YesNo, false);
    if (!close) {
        event->ignore();
        return;
    }
    event->accept();
}

// ---- forms --------------------------------------------------------------------------------

void DebugWindow::toggleFullForm()
{
    // The full form adds the lower half below the upper one and grows the
    // window as far as the screen allows (the rest scrolls); the compact
    // form returns to the size the window had.
    m_full = !m_full;
    m_live->setLive(m_full);
    if (m_full) {
        m_compactSize = size();
        m_live->setVisible(true);
        m_content->layout()->activate();
        resize(fittingSize().expandedTo(m_compactSize));
    } else {
        m_live->setVisible(false);
        m_content->layout()->activate();
        resize(m_compactSize);
    }
}

} // namespace h5
