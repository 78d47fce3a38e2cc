#pragma once
// What a protocol session needs from the window, the command-line tool or a
// test that runs it. A session never touches a port, a timer or a widget
// itself; it asks its host.

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace h5 {

class LinkHost
{
public:
    virtual ~LinkHost() = default;

    // Hands bytes to the serial line; never waits for them to leave.
    virtual void send(const QByteArray &bytes) = 0;
    // Drops received bytes not yet read and bytes not yet handed to the
    // line. Bytes already handed over still go out.
    virtual void discard() = 0;
    // Drops received bytes not yet read; the output queue is left alone, so
    // a transfer that is under way goes on.
    virtual void discardInput() = 0;
    // Status box text (transfer progress and failures).
    virtual void status(const QString &text) = 0;
    // Message box with an OK button.
    virtual void message(const QString &text) = 0;
    // Question with OK and Cancel; true means OK.
    virtual bool ask(const QString &text) = 0;
    // Window timers: `id` fires every `ms` milliseconds until stopped.
    virtual void startTimer(int id, int ms) = 0;
    virtual void stopTimer(int id) = 0;
    // The port's close steps (lamp red, buttons back, staging files gone).
    virtual void closePort() = 0;
    // Progress of a long transfer, for a progress bar; optional.
    virtual void progress(qint64 done, qint64 total) { (void)done; (void)total; }
    // The line's rate in bits per second, so that time-outs can allow for
    // the bytes' time on the line; 0 when the bytes take no time (an
    // in-process line without a rate, a test).
    virtual qint32 lineBaud() const { return 0; }
};

// Milliseconds `bytes` take on a line of `baud` bits per second at ten bits
// a byte (start bit, eight data bits, stop bit), rounded up; 0 without a
// rate.
inline int64_t lineTimeMs(int64_t bytes, qint32 baud)
{
    if (baud <= 0 || bytes <= 0)
        return 0;
    return (bytes * 10 * 1000 + baud - 1) / baud;
}

} // namespace h5
