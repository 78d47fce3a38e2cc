#include "serial/WindowLinkHost.h"

#include "link/TransferSession.h"
#include "port/CMSComm.h"
#include "serial/PortControls.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace h5 {

namespace {

constexpr int kBarSteps = 1000;

} // namespace

WindowLinkHost::WindowLinkHost(QWidget &window, CMSComm &comm, PortControls &ports,
                               QLineEdit &statusBox, QProgressBar &progressBar)
    : m_window(window), m_comm(comm), m_ports(ports), m_statusBox(statusBox), m_bar(progressBar)
{
    m_bar.setRange(0, kBarSteps);
    m_bar.setValue(0);
}

WindowLinkHost::~WindowLinkHost() { detach(); }

void WindowLinkHost::attach(TransferSession &session)
{
    m_session = &session;
    QObject::connect(&m_comm, &CMSComm::received, &m_window, [this] {
        const QByteArray bytes = m_comm.input();
        if (bytes.isEmpty() || !m_session)
            return;
        m_session->onReceive(bytes);
        afterEvent();
    });
    QObject::connect(&m_comm, &CMSComm::outputDrained, &m_window, [this] {
        if (m_session)
            m_session->onOutputDrained();
    });
    QObject::connect(&m_comm, &CMSComm::lineError, &m_window, [this](const QString &text) {
        if (!m_ports.isOpen())
            return;
        status(text);
        closePort();
    });
    QObject::connect(&m_ports, &PortControls::opened, &m_window, [this] {
        if (m_session)
            m_session->portOpened();
        afterEvent();
    });
    QObject::connect(&m_ports, &PortControls::closed, &m_window, [this] {
        if (m_session)
            m_session->portClosed();
        afterEvent();
    });
    QObject::connect(&m_ports, &PortControls::openFailed, &m_window,
                     [this](const QString &text) { message(text); });
}

void WindowLinkHost::detach()
{
    for (auto &t : m_timers)
        if (t.second)
            t.second->stop();
    m_session = nullptr;
}

void WindowLinkHost::afterEvent()
{
    if (m_afterEvent)
        m_afterEvent();
}

void WindowLinkHost::resetProgress() { m_bar.setValue(0); }

void WindowLinkHost::send(const QByteArray &bytes) { m_comm.output(bytes); }

void WindowLinkHost::discard()
{
    m_comm.discardOutput();
    m_comm.discardInput();
}

void WindowLinkHost::status(const QString &text) { m_statusBox.setText(text); }

void WindowLinkHost::message(const QString &text)
{
    if (!m_defer) {
        showMessage(text);
        return;
    }
    QTimer::singleShot(0, &m_window, [this, text] { showMessage(text); });
}

void WindowLinkHost::showMessage(const QString &text)
{
    if (m_messageHook) {
        m_messageHook(text);
        return;
    }
    QMessageBox::information(&m_window, m_window.windowTitle(), text);
}

bool WindowLinkHost::ask(const QString &text)
{
    if (m_askHook)
        return m_askHook(text);
    return QMessageBox::question(&m_window, m_window.windowTitle(), text,
                                 QMessageBox::Ok | QMessageBox::Cancel)
        == QMessageBox::Ok;
}

void WindowLinkHost::startTimer(int id, int ms)
{
    std::unique_ptr<QTimer> &timer = m_timers[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        QObject::connect(timer.get(), &QTimer::timeout, &m_window, [this, id] {
            if (!m_session)
                return;
            m_session->onTimer(id);
            afterEvent();
        });
    }
    timer->start(ms);
}

void WindowLinkHost::stopTimer(int id)
{
    auto it = m_timers.find(id);
    if (it != m_timers.end() && it->second)
        it->second->stop();
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
