#pragma once
// A serial line inside the process: a protocol session on one end, a
// VirtualTerminal on the other, and a virtual clock that only moves when
// told to. Bytes the session sends reach the terminal, the terminal's
// answers come back as receive events, and an output-drained event follows
// every batch of sent bytes. The session's timers run on the virtual
// clock: advance(ms) fires every timer that falls due in that span, in
// time order, with the line's events of each firing delivered before the
// next.
//
// The line is infinitely fast unless it is given a rate (setLineBaud):
// then bytes take their time on it, ten bits a byte (lineTimeMs), one send
// after the other. A send reaches the terminal when its last byte has
// arrived, the drained event comes when the last byte sent has left, and
// the terminal's answer takes its own time on the way back. The line's
// events then fall due on the clock like timers (at the same moment, the
// line's first).
//
// Messages and questions can take the user time (setDialogTime): the clock
// moves on while the box is open, and nothing reaches the session
// meanwhile, as with a box that blocks the host's loop. What fell due
// while it was open is handed over once it has closed, expired timers
// first: a host's loop may well take an expired timer before the bytes
// waiting on the port, and a session must not count the user's time as
// the terminal's silence. The terminal's faults (silence, a wrong reply,
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
#include <algorithm>
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

    // ---- the line's rate and the user's time ----
    // Bits per second; 0 (the default) for a line that takes no time.
    void setLineBaud(qint32 baud) { m_baud = baud; }
    // When the last byte sent so far has left the line (reached the
    // terminal), or will have; on a line without a rate, when it was sent.
    int64_t lastByteLeftAt() const { return m_txFree; }
    // How long every message and question stays open; 0 by default.
    void setDialogTime(int64_t ms) { m_dialogMs = ms; }

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
    qint32 lineBaud() const override { return m_baud; }

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
        int64_t due = 0; // when it reaches the session
    };
    // Bytes on their way to the terminal (a line with a rate).
    struct Flight
    {
        int64_t due; // when the last byte has arrived
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
    // Fires `it` now (or at its moment, when that is later) and runs it again
    // an interval later.
    void fire(std::map<int, Timer>::iterator it);
    // Fires the first timer that fell due before the present time (only a
    // box that was open can leave one); false when there is none.
    bool fireExpiredTimer();
    // One step of a line with a rate: the first send or event due by now.
    bool runTimedStep();
    // The moment the line's next send or event falls due, or -1.
    int64_t nextLineDue() const;
    void queueEvent(Event event);
    void land(const Flight &flight);
    void dialog();
    void dropLine();

    VirtualTerminal &m_terminal;
    LinkSession *m_session = nullptr;
    int64_t m_now = 0;
    uint64_t m_order = 0;
    std::map<int, Timer> m_timers;
    QByteArray m_out;      // sent, not yet at the terminal
    QByteArray m_sentAll;
    std::deque<Event> m_events; // in order of their due time
    std::deque<Flight> m_flights;
    qint32 m_baud = 0;
    int64_t m_txFree = 0; // the line to the terminal is busy until then
    int64_t m_rxFree = 0; // the line back is busy until then
    int64_t m_dialogMs = 0;
    bool m_open = true;
    bool m_lost = false;
    bool m_running = false;
    bool m_answer = true;
    std::function<void()> m_onClose;
    std::function<void()> m_onLost;
};

} // namespace h5
