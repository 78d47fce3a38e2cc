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
    while (m_open && (!m_out.isEmpty() || !m_events.empty())) {
        if (!m_out.isEmpty()) {
            const QByteArray bytes = std::exchange(m_out, QByteArray());
            if (m_terminal.hungUp())
                continue;
            const QByteArray answer = m_terminal.feed(bytes);
            m_events.push_back({Event::Drained, {}});
            if (!answer.isEmpty())
                m_events.push_back({Event::Receive, answer});
            if (m_terminal.hungUp())
                m_events.push_back({Event::Lost, {}});
            continue;
        }
        const Event event = m_events.front();
        m_events.pop_front();
        deliver(event);
    }
    m_running = false;
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
        m_out.clear();
        m_events.clear();
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
        auto it = nextTimer();
        if (it == m_timers.end() || it->second.due > end)
            break;
        m_now = it->second.due;
        it->second.due += it->second.interval;
        it->second.order = m_order++;
        const int id = it->first;
        if (m_session)
            m_session->onTimer(id);
        run();
    }
    m_now = end;
}

bool InProcessLink::advanceUntil(const std::function<bool()> &done, int64_t limitMs)
{
    const int64_t end = m_now + std::max<int64_t>(limitMs, 0);
    run();
    while (!done()) {
        auto it = nextTimer();
        if (it == m_timers.end() || it->second.due > end) {
            m_now = end;
            return done();
        }
        advance(it->second.due - m_now);
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
    m_out += bytes;
    m_sentAll += bytes;
}

void InProcessLink::discard()
{
    // Received bytes not yet read go; bytes handed to send() are already
    // on the line and still reach the terminal.
    m_events.erase(std::remove_if(m_events.begin(), m_events.end(),
                                  [](const Event &e) { return e.kind == Event::Receive; }),
                   m_events.end());
}

void InProcessLink::status(const QString &text) { statuses << text; }

void InProcessLink::message(const QString &text) { messages << text; }

bool InProcessLink::ask(const QString &text)
{
    questions << text;
    return m_answer;
}

void InProcessLink::startTimer(int id, int ms)
{
    const int64_t interval = std::max(ms, 1);
    m_timers[id] = Timer{interval, m_now + interval, m_order++};
}

void InProcessLink::stopTimer(int id) { m_timers.erase(id); }

void InProcessLink::stopAllTimers() { m_timers.clear(); }

void InProcessLink::closePort()
{
    m_open = false;
    m_out.clear();
    m_events.clear();
    stopAllTimers();
    m_terminal.resetLine();
    ++closeCount;
    if (m_onClose)
        m_onClose();
}

} // namespace h5
