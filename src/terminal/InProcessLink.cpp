#include "terminal/InProcessLink.h"

#include "link/LinkSession.h"
#include "terminal/VirtualTerminal.h"

#include <algorithm>
#include <utility>

namespace h5 {

InProcessLink::InProcessLink(VirtualTerminal &terminal) : m_terminal(terminal) {}

void InProcessLink::detach()
{
    stopAllTimers();
    m_session = nullptr;
}

void InProcessLink::run()
{
    // A session call that ends in run() (a test hook calling back) must
    // not deliver events from inside the session.
    if (m_running)
        return;
    m_running = true;
    for (;;) {
        if (fireExpiredTimer())
            continue;
        if (!m_open)
            break;
        if (m_baud > 0) {
            if (!runTimedStep())
                break;
            continue;
        }
        if (m_out.isEmpty() && m_events.empty())
            break;
        if (!m_out.isEmpty()) {
            const QByteArray bytes = std::exchange(m_out, QByteArray());
            if (m_terminal.hungUp())
                continue;
            const QByteArray answer = m_terminal.feed(bytes);
            queueEvent({Event::Drained, {}, m_now});
            if (!answer.isEmpty())
                queueEvent({Event::Receive, answer, m_now});
            if (m_terminal.hungUp())
                queueEvent({Event::Lost, {}, m_now});
            continue;
        }
        const Event event = m_events.front();
        m_events.pop_front();
        deliver(event);
    }
    m_running = false;
}

bool InProcessLink::runTimedStep()
{
    const bool flightDue = !m_flights.empty() && m_flights.front().due <= m_now;
    const bool eventDue = !m_events.empty() && m_events.front().due <= m_now;
    if (!flightDue && !eventDue)
        return false;
    // At the same moment the bytes reach the terminal first.
    if (flightDue && (!eventDue || m_flights.front().due <= m_events.front().due)) {
        const Flight flight = m_flights.front();
        m_flights.pop_front();
        land(flight);
        return true;
    }
    const Event event = m_events.front();
    m_events.pop_front();
    deliver(event);
    return true;
}

void InProcessLink::land(const Flight &flight)
{
    if (m_terminal.hungUp())
        return;
    const QByteArray answer = m_terminal.feed(flight.bytes);
    // The last byte sent has left.
    if (m_flights.empty())
        queueEvent({Event::Drained, {}, flight.due});
    int64_t after = flight.due;
    if (!answer.isEmpty()) {
        m_rxFree = std::max(flight.due, m_rxFree) + lineTimeMs(answer.size(), m_baud);
        after = m_rxFree;
        queueEvent({Event::Receive, answer, m_rxFree});
    }
    if (m_terminal.hungUp())
        queueEvent({Event::Lost, {}, after});
}

void InProcessLink::queueEvent(Event event)
{
    const auto at = std::upper_bound(m_events.begin(), m_events.end(), event.due,
                                     [](int64_t due, const Event &e) { return due < e.due; });
    m_events.insert(at, std::move(event));
}

int64_t InProcessLink::nextLineDue() const
{
    int64_t due = -1;
    // Inside run() (a hook advancing the clock) the line waits for it.
    if (!m_open || m_running)
        return due;
    if (!m_flights.empty())
        due = m_flights.front().due;
    if (!m_events.empty() && (due < 0 || m_events.front().due < due))
        due = m_events.front().due;
    return due;
}

bool InProcessLink::fireExpiredTimer()
{
    auto it = nextTimer();
    if (it == m_timers.end() || it->second.due >= m_now)
        return false;
    fire(it);
    return true;
}

void InProcessLink::fire(std::map<int, Timer>::iterator it)
{
    m_now = std::max(m_now, it->second.due);
    it->second.due = m_now + it->second.interval;
    it->second.order = m_order++;
    const int id = it->first;
    if (m_session)
        m_session->onTimer(id);
}

void InProcessLink::deliver(const Event &event)
{
    switch (event.kind) {
    case Event::Receive:
        if (m_session)
            m_session->onReceive(event.bytes);
        break;
    case Event::Drained:
        if (m_session)
            m_session->onOutputDrained();
        break;
    case Event::Lost:
        m_open = false;
        m_lost = true;
        dropLine();
        stopAllTimers();
        if (m_onLost)
            m_onLost();
        else
            closePort();
        break;
    }
}

std::map<int, InProcessLink::Timer>::iterator InProcessLink::nextTimer()
{
    return std::min_element(m_timers.begin(), m_timers.end(), [](const auto &a, const auto &b) {
        return a.second.due != b.second.due ? a.second.due < b.second.due : a.second.order < b.second.order;
    });
}

void InProcessLink::advance(int64_t ms)
{
    const int64_t end = m_now + std::max<int64_t>(ms, 0);
    run();
    for (;;) {
        const int64_t lineDue = nextLineDue();
        auto it = nextTimer();
        const bool timerDue = it != m_timers.end() && it->second.due <= end;
        // The line's events first when they fall due at the same moment.
        if (lineDue >= 0 && lineDue <= end && (!timerDue || lineDue <= it->second.due)) {
            m_now = std::max(m_now, lineDue);
            run();
            continue;
        }
        if (!timerDue)
            break;
        fire(it);
        run();
    }
    m_now = std::max(m_now, end);
}

bool InProcessLink::advanceUntil(const std::function<bool()> &done, int64_t limitMs)
{
    const int64_t end = m_now + std::max<int64_t>(limitMs, 0);
    run();
    while (!done()) {
        int64_t next = nextLineDue();
        auto it = nextTimer();
        if (it != m_timers.end() && (next < 0 || it->second.due < next))
            next = it->second.due;
        if (next < 0 || next > end) {
            m_now = std::max(m_now, end);
            return done();
        }
        advance(next - m_now);
    }
    return true;
}

void InProcessLink::reopen()
{
    m_open = true;
    m_lost = false;
}

void InProcessLink::send(const QByteArray &bytes)
{
    if (!m_open)
        return;
    m_sentAll += bytes;
    if (m_baud <= 0) {
        m_out += bytes;
        m_txFree = m_now;
        return;
    }
    // After whatever is still on its way.
    m_txFree = std::max(m_now, m_txFree) + lineTimeMs(bytes.size(), m_baud);
    m_flights.push_back({m_txFree, bytes});
}

void InProcessLink::discard()
{
    // Received bytes not yet read go; bytes handed to send() are already
    // on the line and still reach the terminal, and an answer still on
    // its way back arrives after the discard.
    const int64_t now = m_now;
    m_events.erase(std::remove_if(m_events.begin(), m_events.end(),
                                  [now](const Event &e) { return e.kind == Event::Receive && e.due <= now; }),
                   m_events.end());
}

void InProcessLink::status(const QString &text) { statuses << text; }

void InProcessLink::dialog()
{
    // The box is open: time passes and nothing is delivered until the
    // session call that opened it has returned.
    m_now += std::max<int64_t>(m_dialogMs, 0);
}

void InProcessLink::message(const QString &text)
{
    messages << text;
    dialog();
}

bool InProcessLink::ask(const QString &text)
{
    questions << text;
    dialog();
    return m_answer;
}

void InProcessLink::startTimer(int id, int ms)
{
    const int64_t interval = std::max(ms, 1);
    m_timers[id] = Timer{interval, m_now + interval, m_order++};
}

void InProcessLink::stopTimer(int id) { m_timers.erase(id); }

void InProcessLink::stopAllTimers() { m_timers.clear(); }

void InProcessLink::dropLine()
{
    m_out.clear();
    m_events.clear();
    m_flights.clear();
    m_txFree = std::min(m_txFree, m_now);
    m_rxFree = std::min(m_rxFree, m_now);
}

void InProcessLink::closePort()
{
    m_open = false;
    dropLine();
    stopAllTimers();
    m_terminal.resetLine();
    ++closeCount;
    if (m_onClose)
        m_onClose();
}

} // namespace h5
