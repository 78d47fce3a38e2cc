#include "port/LineDriver.h"

#include "link/LinkSession.h"
#include "port/LineClock.h"
#include "port/SerialLine.h"

#include <QObject>

namespace h5 {

LineDriver::LineDriver(SerialLine &comm) : m_comm(comm), m_context(std::make_unique<QObject>())
{
    QObject::connect(&m_comm, &SerialLine::received, m_context.get(), [this] { received(); });
    QObject::connect(&m_comm, &SerialLine::outputDrained, m_context.get(), [this] {
        if (m_session)
            m_session->onOutputDrained();
    });
    QObject::connect(&m_comm, &SerialLine::lineError, m_context.get(),
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
        if (t.second.timer)
            t.second.timer->stop();
}

bool LineDriver::timerActive(int id) const
{
    const auto it = m_timers.find(id);
    return it != m_timers.end() && it->second.timer && it->second.timer->isActive();
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
    Timer &t = m_timers[id];
    // The line's clock: the event loop's for a real port, the terminal's
    // own for the built-in one. A line opened anew may run on another.
    LineClock &clock = m_comm.clock();
    if (!t.timer || t.clock != &clock) {
        t.timer.reset();
        t.clock = &clock;
        t.timer = clock.makeTimer([this, id] {
            if (!m_session)
                return;
            m_session->onTimer(id);
            afterEvent();
        });
    }
    t.timer->start(ms);
}

void LineDriver::stopTimer(int id)
{
    const auto it = m_timers.find(id);
    if (it != m_timers.end() && it->second.timer)
        it->second.timer->stop();
}

} // namespace h5
