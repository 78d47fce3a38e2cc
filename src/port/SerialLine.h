#pragma once
// The serial line as the download, project and debug windows and the
// command-line tool use it: a device, a settings string, open and close,
// bytes out and in, discard of the buffers, two events (bytes arrived,
// output drained) and the clock its sessions' timers run on.
//
// Two lines implement it: the real port (CMSComm) and the terminal built
// into the program (BuiltinLine); PortLine, which the windows and the tool
// own, is either one, as the chosen device says.
//
// Output never blocks: bytes are queued and go out as the line takes them.
// discardOutput() drops only what is still queued; bytes already handed on
// still go out, so a frame followed at once by a discard is never cut short.

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

namespace h5 {

class LineClock;

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

class SerialLine : public QObject
{
    Q_OBJECT
public:
    explicit SerialLine(QObject *parent = nullptr) : QObject(parent) {}

    // The device to open: /dev/ttyUSB0, COM3, the built-in terminal, or any
    // name the user types.
    void setDevice(const QString &device) { m_device = device; }
    QString device() const { return m_device; }

    // "%d,n,8,1". Applied at the next open, or at once when the line is open.
    bool setSettings(const QString &settings);
    QString settings() const { return m_settings.toString(); }
    qint32 baudRate() const { return m_settings.baud; }

    // Opens the device with the current settings. On failure the line stays
    // closed and errorString() says why.
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    QString errorString() const { return m_error; }

    // Queues all of `bytes` for sending, in order, and returns at once.
    // Does nothing while the line is closed.
    virtual void output(const QByteArray &bytes) = 0;
    // Every byte received and not yet read, in one piece; possibly empty.
    virtual QByteArray input() = 0;
    // Drops received bytes not yet read.
    virtual void discardInput() = 0;
    // Drops bytes not yet handed on; handed-on bytes still go out.
    virtual void discardOutput() = 0;
    // Waits until the bytes handed on have left the line. A caller that
    // closes the line right after its last bytes needs it. False when the
    // line is closed or the system refuses.
    virtual bool waitSent() = 0;

    virtual qint64 bytesWaiting() const = 0; // received, not yet read
    virtual qint64 bytesQueued() const = 0;  // not yet handed on

    // The clock the sessions on this line keep their time-outs by.
    virtual LineClock &clock() const = 0;

    // "串口连接已断开!": what the user is told when an open line goes away.
    static QString lineLostText();

signals:
    // Bytes arrived (one event per arrival, as soon as at least one byte is there).
    void received();
    // Everything queued by output() has been handed on.
    void outputDrained();
    // The line failed while open (device unplugged, the other side hung
    // up). `text` is lineLostText(); errorString() adds the device and the
    // reason.
    void lineError(const QString &text);

protected:
    // New settings while the line is open; false when the line refuses them.
    virtual bool applySettings() { return true; }

    QString m_device;
    LineSettings m_settings;
    QString m_error;
};

} // namespace h5
