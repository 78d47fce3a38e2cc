#pragma once
// The line driver that runs any protocol session on a serial line, for the
// serial windows and the command-line tool alike. The bytes of each receive
// event, the output-drained event and the session's timers (kept by id, on
// the line's clock) are handed to the attached session; the session's send and
// discard go to the line. A front end derives from it and adds the rest of
// LinkHost: status texts, messages, questions and closing the port.

#include "link/LinkHost.h"

#include <QString>
#include <functional>
#include <map>
#include <memory>

class QObject;

namespace h5 {

class LineClock;
class LineTimer;
class LinkSession;
class SerialLine;

class LineDriver : public LinkHost
{
public:
    explicit LineDriver(SerialLine &comm);
    ~LineDriver() override;
    LineDriver(const LineDriver &) = delete;
    LineDriver &operator=(const LineDriver &) = delete;

    // Hands the line's events and the timers to `session` from now on.
    void attach(LinkSession &session);
    // Stops every timer and forgets the session: nothing reaches it any
    // more. Call it before the session goes away.
    void detach();
    LinkSession *session() const { return m_session; }
    SerialLine &comm() const { return m_comm; }

    // Runs after every receive or timer event handed to the session.
    void setAfterEvent(std::function<void()> afterEvent) { m_afterEvent = std::move(afterEvent); }

    // Stops every running timer.
    void stopAllTimers();
    bool timerActive(int id) const;

    // LinkHost: the line's half.
    void send(const QByteArray &bytes) override;
    void discard() override;
    void discardInput() override;
    void startTimer(int id, int ms) override;
    void stopTimer(int id) override;
    // The rate the port is set to.
    qint32 lineBaud() const override;

protected:
    // The line failed while the port was open (SerialLine::lineError); `text`
    // is what the user is told. Nothing happens unless a front end says so.
    virtual void lineLost(const QString &text) { (void)text; }

private:
    void received();
    void afterEvent();

    struct Timer
    {
        LineClock *clock = nullptr;
        std::unique_ptr<LineTimer> timer;
    };

    SerialLine &m_comm;
    LinkSession *m_session = nullptr;
    // Context of every connection: they end with the driver.
    std::unique_ptr<QObject> m_context;
    std::map<int, Timer> m_timers;
    std::function<void()> m_afterEvent;
};

} // namespace h5
