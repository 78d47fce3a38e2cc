#pragma once
// The time-out on the terminal's answer to one packet of a stop-and-wait
// transfer, kept on one of the session's host timers.
//
// The terminal answers a packet once it has taken the whole of it, so the
// wait counts from the moment the packet's last byte has left the line: the
// timer is started as the packet is handed to the host and runs for the
// packet's time on the line at the host's rate (lineTimeMs) plus the
// silence allowed after it. At 2400 baud a 2112-byte packet is 8.8 s on the
// line; a plain 5 s from the moment it was queued would end every such
// transfer while the packet is still going out.
//
// The timer is not started at the output-drained event instead: that event
// says the bytes were handed to the operating system, whose buffers (a USB
// adapter's, a pseudo-terminal's) take a whole packet at once, so at a low
// rate it comes long before the bytes have left. The line time is known
// from the rate, whatever the system buffers.
//
// While the session shows a message or asks a question (message(), ask())
// the time-out is held: the timer is stopped before the box opens and, when
// it closes and the session is still waiting for the same answer, started
// again for the whole time-out. Time the user spends reading a box is never
// counted as the terminal's silence, however the host runs its boxes (a
// modal loop that goes on serving the line, or one that blocks it and
// hands over the expired timer and the waiting bytes together afterwards).

#include "link/LinkHost.h"

#include <QString>
#include <cstdint>

namespace h5 {

class ReplyTimer
{
public:
    ReplyTimer(LinkHost &host, int timerId, int silenceMs);

    // `bytes` were just handed to the host and their answer is awaited:
    // the timer (stopped first when it runs) starts for the bytes' line
    // time and the silence.
    void arm(int64_t bytes);
    // Nothing is awaited any more; the timer stops when it runs.
    void disarm();
    // Nothing is awaited any more, and the timer is stopped whether or not
    // it runs. Returns whether an answer was awaited.
    bool stop();
    // The timer went off: stop(), so it does not go off again.
    bool fired() { return stop(); }
    bool armed() const { return m_armed; }
    // The time-out the timer was last started with.
    int64_t timeoutMs() const { return m_timeoutMs; }

    // The host's message box and question, with the time-out held.
    void message(const QString &text);
    bool ask(const QString &text);

private:
    // Stops a running timer for a box; the token says what to resume.
    uint64_t hold();
    void resume(uint64_t token);

    LinkHost &m_host;
    const int m_id;
    const int m_silenceMs;
    bool m_armed = false;
    int64_t m_timeoutMs = 0;
    // Counts every arm and disarm, so a box closing after the session
    // moved on leaves the new wait alone.
    uint64_t m_generation = 0;
};

// A timer interval for `ms`, at most what a host timer takes.
int timerMs(int64_t ms);

// The wait for the terminal's picture registry: `baseMs` after the read
// request, and the time the request and the longest reply the terminal can
// give (a record for each of the 600 picture numbers and the terminator)
// take on the line at `baud`.
int registryTimeoutMs(int baseMs, qint32 baud);

} // namespace h5
