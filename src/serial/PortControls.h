#pragma once
// The group "串口选项" of the download and project windows: port list, baud
// rate, "端口检测", "打开", "关闭" and the status lamp, with the open and
// close steps on the window's serial line.
//
// The controls only open and close the line and keep the buttons and the
// lamp in step with it; the window hands the events on to its transfer
// session (opened(), closed()) and shows the failures (openFailed()).

#include <QGroupBox>
#include <QList>
#include <QStringList>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

namespace h5 {

class Prompts;
class SerialLine;
class PortCombo;
class StatusLamp;

class PortControls : public QGroupBox
{
    Q_OBJECT
public:
    // The baud list, index to rate; index 0 is the default.
    static constexpr int kRateCount = 11;
    static const int kBaudRates[kRateCount];

    // `prompts`: the window's; the built-in terminal's window, when this
    // opens it, asks through them.
    PortControls(SerialLine &comm, Prompts &prompts, QWidget *parent = nullptr);

    // The download window keeps "关闭" enabled while the port is closed
    // (pressing it only repeats the close steps); the project window does
    // not.
    void setCloseEnabledWhileClosed(bool enabled);

    // Replaces the rates of the baud box (the first is selected).
    void setBaudRates(const QList<int> &rates);

    // The captions before the port and baud boxes: "端口" and "波特率"
    // unless a window words them otherwise.
    void setCaptions(const QString &port, const QString &baud);

    // Where the list of real ports comes from; detectPorts() unless
    // replaced. The built-in terminal is listed after them.
    void setPortSource(std::function<QStringList()> source);

    // Fills the port list anew and selects its first entry.
    void detect();
    // The open steps with the chosen device and rate. On failure the window
    // stays closed and openFailed() tells why.
    bool openPort();
    // The close steps; harmless when the port is already closed.
    void closePort();

    bool isOpen() const { return m_open; }
    QString device() const;
    int baudRate() const;

    QComboBox *portCombo() const;
    QComboBox *baudCombo() const { return m_baud; }
    QPushButton *detectButton() const { return m_detect; }
    QPushButton *openButton() const { return m_openButton; }
    QPushButton *closeButton() const { return m_closeButton; }
    StatusLamp *lamp() const { return m_lamp; }

signals:
    void opened();
    void closed();
    void openFailed(const QString &text);

private:
    void fillPorts(bool keepTypedDevice);
    void showState();

    SerialLine &m_comm;
    Prompts &m_prompts;
    std::function<QStringList()> m_source;
    bool m_open = false;
    bool m_closeWhileClosed = true;

    PortCombo *m_port = nullptr;
    QComboBox *m_baud = nullptr;
    QLabel *m_portLabel = nullptr;
    QLabel *m_baudLabel = nullptr;
    QPushButton *m_detect = nullptr;
    QPushButton *m_openButton = nullptr;
    QPushButton *m_closeButton = nullptr;
    StatusLamp *m_lamp = nullptr;
};

} // namespace h5
