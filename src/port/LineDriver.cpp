#include "port/LineDriver.h"

#include "link/LinkSession.h"
#include "port/CMSComm.h"

#include <QObject>
#include <QTimer>

namespace h5 {

LineDriver::LineDriver(CMSComm &comm) : m_comm(comm), m_context(std::make_unique<QObject>())
{
    QObject::connect(&m_comm, &CMSComm::received, m_context.get(), [this] { received(); });
    QObject::connect(&m_comm, &CMSComm::outputDrained, m_context.get(), [this] {
        if (m_session)
            m_session->onOutputDrained();
    });
    QObject::connect(&m_comm, &CMSComm::lineError, m_context.get(),
                     [this](const QString &text) { lineLost(text); });
}

LineDriver::~LineDriver()
{
    detach();
    // The timers go before the context their connections live in.
    m_timers.clear();
}

void LineDriver::attach(LinkSession &session) { m_session = &session; }

void LineDriver::detach()
{
    stopAllTimers();
    m_session = nullptr;
}

void LineDriver::received()
{
    // Read even without a session, so bytes nobody waits for are not kept.
    const QByteArray bytes = m_comm.input();
    if (bytes.isEmpty() || !m_session)
        return;
    m_session->onReceive(bytes);
    afterEvent();
}

void LineDriver::afterEvent()
{
    if (m_afterEvent)
        m_afterEvent();
}

void LineDriver::stopAllTimers()
{
    for (auto &t : m_timers)
        if (t.second)
            t.second->stop();
}

bool LineDriver::timerActive(int id) const
{
    const auto it = m_timers.find(id);
    return it != m_timers.end() && it->second && it->second->isActive();
}

void LineDriver::send(const QByteArray &bytes) { m_comm.output(bytes); }

void LineDriver::discard()
{
    m_comm.discardOutput();
    m_comm.discardInput();
}

void LineDriver::discardInput() { m_comm.discardInput(); }

qint32 LineDriver::lineBaud() const { return m_comm.baudRate(); }

void LineDriver::startTimer(int id, int ms)
{
    std::unique_ptr<QTimer> &timer = m_timers[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        QObject::connect(timer.get(), &QTimer::timeout, m_context.get(), [this, id] {
            if (!m_session)
                return;
            m_session->onTimer(id);
            afterEvent();
        });
    }
    timer->start(ms);
}

void LineDriver::stopTimer(int id)
{
    const auto it = m_timers.find(id);
    if (it != m_timers.end() && it->second)
        it->second->stop();
}

} // namespace h5
