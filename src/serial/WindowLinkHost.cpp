#include "serial/WindowLinkHost.h"

#include "common/Prompts.h"
#include "link/TransferSession.h"
#include "port/SerialLine.h"
#include "serial/PortControls.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace h5 {

namespace {

constexpr int kBarSteps = 1000;

} // namespace

WindowLinkHost::WindowLinkHost(QWidget &window, Prompts &prompts, SerialLine &comm, PortControls &ports,
                               QLineEdit &statusBox, QProgressBar &progressBar)
    : LineDriver(comm), m_window(window), m_prompts(prompts), m_ports(ports), m_statusBox(statusBox),
      m_bar(progressBar)
{
    m_bar.setRange(0, kBarSteps);
    m_bar.setValue(0);
}

WindowLinkHost::~WindowLinkHost() { detach(); }

void WindowLinkHost::attach(TransferSession &session)
{
    attach(session, [&session] { session.portOpened(); }, [&session] { session.portClosed(); });
    m_transfer = &session;
    m_lastOutcome = int(session.outcome());
}

void WindowLinkHost::attach(LinkSession &session, std::function<void()> opened,
                            std::function<void()> closed)
{
    m_opened = std::move(opened);
    m_closed = std::move(closed);
    LineDriver::attach(session);
    LineDriver::setAfterEvent([this] { afterEvent(); });
    QObject::connect(&m_ports, &PortControls::opened, &m_window, [this] {
        if (m_opened)
            m_opened();
        afterEvent();
    });
    QObject::connect(&m_ports, &PortControls::closed, &m_window, [this] {
        if (m_closed)
            m_closed();
        afterEvent();
    });
    QObject::connect(&m_ports, &PortControls::openFailed, &m_window,
                     [this](const QString &text) { message(text); });
}

void WindowLinkHost::detach()
{
    LineDriver::detach();
    m_transfer = nullptr;
    m_opened = nullptr;
    m_closed = nullptr;
}

void WindowLinkHost::lineLost(const QString &text)
{
    if (!m_ports.isOpen())
        return;
    status(text);
    closePort();
}

void WindowLinkHost::afterEvent()
{
    if (m_transfer) {
        // A transfer the terminal took to its last packet ends with the
        // final word and a full bar. The erase's own final word stays.
        const int outcome = int(m_transfer->outcome());
        if (outcome == int(TransferSession::Outcome::Completed) && outcome != m_lastOutcome) {
            if (m_statusBox.text() != QStringLiteral("擦除FLASH完成!"))
                status(transferDoneText());
            m_bar.setValue(m_bar.maximum());
        }
        m_lastOutcome = outcome;
    }
    if (m_afterEvent)
        m_afterEvent();
}

QString WindowLinkHost::transferDoneText() { return QStringLiteral("下载完成!"); }

void WindowLinkHost::resetProgress()
{
    m_bar.setValue(0);
    if (m_transfer)
        m_lastOutcome = int(m_transfer->outcome());
}

void WindowLinkHost::status(const QString &text) { m_statusBox.setText(text); }

void WindowLinkHost::message(const QString &text)
{
    if (!m_defer) {
        m_prompts.message(text);
        return;
    }
    QTimer::singleShot(0, &m_window, [this, text] { m_prompts.message(text); });
}

bool WindowLinkHost::ask(const QString &text)
{
    return m_prompts.question(text, m_yesNo ? QuestionButtons::YesNo : QuestionButtons::OkCancel, true);
}

void WindowLinkHost::closePort() { m_ports.closePort(); }

void WindowLinkHost::progress(qint64 done, qint64 total)
{
    if (total <= 0) {
        m_bar.setValue(0);
        return;
    }
    const qint64 clamped = std::min(std::max<qint64>(done, 0), total);
    m_bar.setValue(int(clamped * kBarSteps / total));
}

} // namespace h5
