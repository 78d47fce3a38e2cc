#pragma once
// The real serial port behind a SerialLine.
//
// Output never blocks: bytes are handed to the operating system as far as it
// takes them and the rest waits in a queue of our own. discardOutput() drops
// only that queue; whatever the system already holds still goes out, so a
// frame followed at once by a discard is never cut short.

#include "port/SerialLine.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QStringList>
#include <functional>

class QSocketNotifier;

namespace h5 {

class CMSComm : public SerialLine
{
    Q_OBJECT
public:
    explicit CMSComm(QObject *parent = nullptr);
    ~CMSComm() override;

    // Opens the device with the current settings. On failure the port stays
    // closed and errorString() says why (missing device, held by another
    // program, settings the device refuses). A pseudo-terminal that refuses
    // a line setting is still opened: it has no line to set.
    //
    // Where the driver allows it, the port is put into low-latency mode, so
    // a lone acknowledge byte is handed over at once instead of after the
    // driver's gathering delay (up to 16 ms on a USB adapter), which would
    // stall a stop-and-wait transfer. A driver or pseudo-terminal that
    // refuses it is no error.
    bool open() override;
    void close() override;
    bool isOpen() const override;
    // True while the open port runs in low-latency mode.
    bool lowLatency() const { return m_lowLatency; }

    // Queues all of `bytes` for sending, in order, and returns at once.
    // Does nothing while the port is closed.
    void output(const QByteArray &bytes) override;
    // Every byte received and not yet read, in one piece; possibly empty.
    QByteArray input() override;
    // Drops received bytes not yet read.
    void discardInput() override;
    // Drops bytes not yet handed to the system; handed-over bytes still go out.
    void discardOutput() override;

    // Waits until the bytes already handed to the system have left the line
    // (tcdrain). A caller that closes the port right after its last bytes
    // needs it: closing restores the port's old settings at once. False when
    // the port is closed or the system refuses.
    bool waitSent() override;

    qint64 bytesWaiting() const override;
    qint64 bytesQueued() const override;
    // The event loop's clock.
    LineClock &clock() const override;

    // True for a pseudo-terminal slave (a virtual terminal's device).
    static bool isPseudoTerminal(const QString &device);

protected:
    bool applySettings() override;

private:
    void pump();
    void onPortError(QSerialPort::SerialPortError error);
    void lineLost(const QString &why);

    QSerialPort m_port;
    QByteArray m_queue;          // bytes not yet handed to the system
    qsizetype m_queuePos = 0;
    QSocketNotifier *m_writable = nullptr;
    bool m_drainPosted = false;
    bool m_lowLatency = false;
};

// Serial devices of this machine, at most `max` (the port list of a serial
// window holds ten): USB adapters first, then ACM modems, then the rest, each
// in natural number order. Devices that cannot be opened (no hardware behind
// a ttyS node, held exclusively by another program) are left out.
QStringList detectPorts(int max = 10);

// The selection rule of detectPorts() over given candidate paths: duplicates
// dropped, ordered as above, kept only where `usable` says so, cut at `max`.
QStringList selectPorts(const QStringList &candidates,
                        const std::function<bool(const QString &)> &usable, int max = 10);

} // namespace h5
