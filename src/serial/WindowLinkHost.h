#pragma once
// LinkHost for a serial window: the line driver runs the session on the
// window's serial line (frames out, receive events and timers in); status texts
// go into the status box, progress into the bar beside it, messages and
// questions to the window's prompts, and closePort() runs the window's close
// steps. It also hands the port controls' open and close to the window's
// transfer session.

#include "port/LineDriver.h"

#include <QString>
#include <functional>

class QLineEdit;
class QProgressBar;
class QWidget;

namespace h5 {

class SerialLine;
class PortControls;
class Prompts;
class LinkSession;
class TransferSession;

class WindowLinkHost : public LineDriver
{
public:
    // `prompts` shows the session's messages and questions.
    WindowLinkHost(QWidget &window, Prompts &prompts, SerialLine &comm, PortControls &ports,
                   QLineEdit &statusBox, QProgressBar &progressBar);
    ~WindowLinkHost() override;
    WindowLinkHost(const WindowLinkHost &) = delete;
    WindowLinkHost &operator=(const WindowLinkHost &) = delete;

    // Connects the line, the port controls and the timers to `session`.
    void attach(TransferSession &session);
    // The same for any session: `opened` and `closed` run when the port
    // controls open and close the line.
    void attach(LinkSession &session, std::function<void()> opened, std::function<void()> closed);
    // Runs after every event handed to the session (bytes, timer, open,
    // close), for windows that show the session's state.
    void setAfterEvent(std::function<void()> afterEvent) { m_afterEvent = std::move(afterEvent); }

    // Questions answered with "是"/"否" instead of OK and Cancel.
    void setYesNoQuestions(bool yesNo) { m_yesNo = yesNo; }
    // While set, messages are shown only once the event loop runs again,
    // so a window that loads its data in its constructor shows their
    // messages over itself once it is up.
    void setDeferMessages(bool defer) { m_defer = defer; }

    // Stops every timer and forgets the session; the window calls it before
    // its session goes away.
    void detach();

    // The bar back to 0 at the start of a transfer.
    void resetProgress();
    // The status box's last word after a completed transfer: "下载完成!".
    static QString transferDoneText();

    // LinkHost (the line driver sends, discards and keeps the timers)
    void status(const QString &text) override;
    void message(const QString &text) override;
    bool ask(const QString &text) override;
    void closePort() override;
    void progress(qint64 done, qint64 total) override;

protected:
    void lineLost(const QString &text) override;

private:
    void afterEvent();

    QWidget &m_window;
    Prompts &m_prompts;
    PortControls &m_ports;
    QLineEdit &m_statusBox;
    QProgressBar &m_bar;
    std::function<void()> m_opened;
    std::function<void()> m_closed;
    bool m_yesNo = false;
    std::function<void()> m_afterEvent;
    bool m_defer = false;
    TransferSession *m_transfer = nullptr; // the attached transfer, if any
    int m_lastOutcome = 0;                  // its outcome after the last event
};

} // namespace h5
