#pragma once
// The serial line as the download, project and debug windows use it: a
// device, a settings string, open and close, bytes out and in, discard of
// the buffers, and two events (bytes arrived, output drained).
//
// Output never blocks: bytes are handed to the operating system as far as it
// takes them and the rest waits in a queue of our own. discardOutput() drops
// only that queue; whatever the system already holds still goes out, so a
// frame followed at once by a discard is never cut short.

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QStringList>
#include <functional>

class QSocketNotifier;

namespace h5 {

// Line settings in the "baud,parity,data bits,stop bits" form, "9600,n,8,1".
struct LineSettings
{
    qint32 baud = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    // Parses "%d,p,d,s": parity one of n e o m s (either case), data bits 5..8,
    // stop bits 1, 1.5 or 2. False (and `out` unchanged) for anything else.
    static bool parse(const QString &text, LineSettings &out);
    QString toString() const;
};

class CMSComm : public QObject
{
    Q_OBJECT
public:
    explicit CMSComm(QObject *parent = nullptr);
    ~CMSComm() override;

    // The device to open: /dev/ttyUSB0, /dev/pts/3, or any path the user types.
    void setDevice(const QString &device);
    QString device() const { return m_device; }

    // "%d,n,8,1". Applied at the next open, or at once when the port is open.
    bool setSettings(const QString &settings);
    QString settings() const { return m_settings.toString(); }
    qint32 baudRate() const { return m_settings.baud; }

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
    bool open();
    void close();
    bool isOpen() const;
    // True while the open port runs in low-latency mode.
    bool lowLatency() const { return m_lowLatency; }
    QString errorString() const { return m_error; }

    // Queues all of `bytes` for sending, in order, and returns at once.
    // Does nothing while the port is closed.
    void output(const QByteArray &bytes);
    // Every byte received and not yet read, in one piece; possibly empty.
    QByteArray input();
    // Drops received bytes not yet read.
    void discardInput();
    // Drops bytes not yet handed to the system; handed-over bytes still go out.
    void discardOutput();

    // Waits until the bytes already handed to the system have left the line
    // (tcdrain). A caller that closes the port right after its last bytes
    // needs it: closing restores the port's old settings at once. False when
    // the port is closed or the system refuses.
    bool waitSent();

    qint64 bytesWaiting() const;  // received, not yet read
    qint64 bytesQueued() const;   // not yet handed to the system

    // True for a pseudo-terminal slave (a virtual terminal's device).
    static bool isPseudoTerminal(const QString &device);
    // "串口连接已断开!": what the user is told when an open line goes away.
    static QString lineLostText();

signals:
    // Bytes arrived (one event per arrival, as soon as at least one byte is there).
    void received();
    // Everything queued by output() has been handed to the system.
    void outputDrained();
    // The line failed while open (device unplugged, the other side hung
    // up). `text` is lineLostText(); errorString() adds the device and the
    // system's reason.
    void lineError(const QString &text);

private:
    bool applySettings();
    void pump();
    void onPortError(QSerialPort::SerialPortError error);
    void lineLost(const QString &why);

    QSerialPort m_port;
    QString m_device;
    LineSettings m_settings;
    QString m_error;
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
