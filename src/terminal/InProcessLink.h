#pragma once
// A serial line inside the process: a protocol session on one end, a
// VirtualTerminal on the other, and a virtual clock that only moves when
// told to. Bytes the session sends reach the terminal, the terminal's
// answers come back as receive events, and an output-drained event follows
// every batch of sent bytes, all without waiting. The session's timers run
// on the virtual clock: advance(ms) fires every timer that falls due in
// that span, in time order, with the line's events of each firing
// delivered before the next. The terminal's faults (silence, a wrong reply,
// a stop or hang-up after some packets, garbage, a bad registry) act as
// they would over a real line, so time-outs and misbehaviours are tested
// in microseconds.
//
// What the session tells its host (status texts, messages, questions,
// progress, closing the port) is recorded; hooks let a test add what its
// front end does on top (a window's close steps, the line-lost text).
//
// Events are never delivered from inside a session call: send() only
// queues, and the queue is worked through by run() and advance(), which the
// test calls between its own steps.

#include "link/LinkHost.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace h5 {

class LinkSession;
class VirtualTerminal;

class InProcessLink : public LinkHost
{
public:
    explicit InProcessLink(VirtualTerminal &terminal);
    InProcessLink(const InProcessLink &) = delete;
    InProcessLink &operator=(const InProcessLink &) = delete;

    // Events go to `session` from now on.
    void attach(LinkSession &session) { m_session = &session; }
    // Nothing reaches a session any more; every timer stops.
    void detach();

    // ---- the clock ----
    // Milliseconds since the link was made.
    int64_t now() const { return m_now; }
    // Delivers what is queued at the present time: sent bytes to the
    // terminal, its answers and the drained events to the session, until
    // nothing is left.
    void run();
    // Runs, then moves the clock `ms` on, firing each timer as it falls due
    // (earlier first; at the same moment, the one started first) and
    // running the line after each.
    void advance(int64_t ms);
    // Advances timer by timer until `done()` holds or `limitMs` have
    // passed; says whether `done()` holds. The clock stops at the moment
    // it came true.
    bool advanceUntil(const std::function<bool()> &done, int64_t limitMs);
    bool timerActive(int id) const { return m_timers.count(id) != 0; }

    // ---- the line ----
    // False once the port was closed or the line was lost.
    bool lineOpen() const { return m_open; }
    // Opens the line again after a close (the terminal keeps its flash).
    void reopen();
    // True once the terminal hung up.
    bool lineLost() const { return m_lost; }
    // Every byte the session sent, in order.
    const QByteArray &sentBytes() const { return m_sentAll; }

    // ---- front-end hooks ----
    // Runs inside closePort(), after the link has closed the line: a
    // window's close steps, typically the session's portClosed().
    void setOnClose(std::function<void()> onClose) { m_onClose = std::move(onClose); }
    // Runs when the terminal hangs up, with the line already closed; a
    // front end shows its line-lost text and closes the port. Without a
    // hook the link closes the port.
    void setOnLineLost(std::function<void()> onLost) { m_onLost = std::move(onLost); }
    // The answer to every question (OK when true).
    void setAnswer(bool ok) { m_answer = ok; }

    // ---- LinkHost ----
    void send(const QByteArray &bytes) override;
    void discard() override;
    void discardInput() override { discard(); }
    void status(const QString &text) override;
    void message(const QString &text) override;
    bool ask(const QString &text) override;
    void startTimer(int id, int ms) override;
    void stopTimer(int id) override;
    void closePort() override;
    void progress(qint64 done, qint64 total) override { progressCalls.push_back({done, total}); }

    // What the session told, in order.
    QStringList statuses;
    QStringList messages;
    QStringList questions;
    std::vector<std::pair<qint64, qint64>> progressCalls;
    int closeCount = 0;

private:
    struct Event
    {
        enum Kind { Receive, Drained, Lost } kind;
        QByteArray bytes;
    };
    struct Timer
    {
        int64_t interval;
        int64_t due;
        uint64_t order;
    };

    void stopAllTimers();
    void deliver(const Event &event);
    // The timer falling due first, or the end of m_timers.
    std::map<int, Timer>::iterator nextTimer();

    VirtualTerminal &m_terminal;
    LinkSession *m_session = nullptr;
    int64_t m_now = 0;
    uint64_t m_order = 0;
    std::map<int, Timer> m_timers;
    QByteArray m_out;      // sent, not yet at the terminal
    QByteArray m_sentAll;
    std::deque<Event> m_events;
    bool m_open = true;
    bool m_lost = false;
    bool m_running = false;
    bool m_answer = true;
    std::function<void()> m_onClose;
    std::function<void()> m_onLost;
};

} // namespace h5
