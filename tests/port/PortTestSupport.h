#pragma once
// Helpers for the serial line tests: an event loop to wait in (always with a
// deadline), a pseudo-terminal pair made by the test, and the virtual
// terminal started as a process.

#include "port/CMSComm.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTimer>
#include <cerrno>
#ifndef Q_OS_WIN
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#endif

#include "support/UnixOnly.h"

namespace h5test {

// Socket notifiers need an application object; the test binary has none of
// its own. It is a GUI application (on the offscreen platform unless one is
// chosen) so that drawing tests running later in the same process can use fonts.
inline void ensureApp()
{
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "h5tests";
    static char *argv[] = {name, nullptr};
    new QGuiApplication(argc, argv); // lives until the process ends
}

// Runs the event loop until `done()` holds or `ms` milliseconds have passed.
template <class Done>
bool waitFor(Done done, int ms = 5000)
{
    ensureApp();
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTimer tick;
        tick.setSingleShot(true);
        tick.start(5);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// A pseudo-terminal: the test holds the master, the code under test opens
// the slave device by its path. Unix only: elsewhere it is never ok().
#ifdef Q_OS_WIN
class PtyPair
{
public:
    bool ok() const { return false; }
    QString device() const { return {}; }
    bool write(const QByteArray &) { return false; }
    QByteArray readNow() { return {}; }
    QByteArray read(qsizetype, int = 5000) { return {}; }
};
#else
class PtyPair
{
public:
    PtyPair()
    {
        int slave = -1;
        char name[512] = {};
        if (::openpty(&m_master, &slave, name, nullptr, nullptr) != 0)
            return;
        struct termios t;
        ::tcgetattr(slave, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(slave, TCSANOW, &t);
        ::close(slave);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_device = QString::fromLocal8Bit(name);
    }
    ~PtyPair()
    {
        if (m_master >= 0)
            ::close(m_master);
    }
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool ok() const { return m_master >= 0; }
    QString device() const { return m_device; }

    bool write(const QByteArray &bytes)
    {
        qsizetype done = 0;
        QDeadlineTimer deadline(5000);
        while (done < bytes.size() && !deadline.hasExpired()) {
            const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
            if (n > 0)
                done += n;
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                return false;
            else
                waitFor([] { return false; }, 1);
        }
        return done == bytes.size();
    }

    // Whatever the master can read now, without waiting.
    QByteArray readNow()
    {
        QByteArray out;
        char buf[65536];
        for (;;) {
            const ssize_t n = ::read(m_master, buf, sizeof buf);
            if (n > 0)
                out.append(buf, n);
            else if (n < 0 && errno == EINTR)
                continue;
            else
                break;
        }
        return out;
    }

    // Reads until `size` bytes came, running the event loop meanwhile so the
    // sending side can go on; gives up after `ms` milliseconds.
    QByteArray read(qsizetype size, int ms = 5000)
    {
        QByteArray out;
        waitFor([&] {
            out += readNow();
            return out.size() >= size;
        }, ms);
        return out;
    }

private:
    int m_master = -1;
    QString m_device;
};
#endif

// Makes the application object before anything that needs it; put it first
// among the members of a fixture.
struct AppFirst
{
    AppFirst() { ensureApp(); }
};

// h5800-sim as a child process, stopped (and waited for) when it goes away.
class SimDevice
{
public:
    explicit SimDevice(const QStringList &args)
    {
        m_process.setProgram(QStringLiteral(H5_SIM_PATH));
        m_process.setArguments(args);
        m_process.start();
        if (!m_process.waitForStarted(5000))
            return;
        QDeadlineTimer deadline(5000);
        while (!m_process.canReadLine() && !deadline.hasExpired()
               && m_process.state() == QProcess::Running)
            m_process.waitForReadyRead(100);
        if (m_process.canReadLine())
            m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~SimDevice() { stop(); }

    QString device() const { return m_device; }
    QProcess &process() { return m_process; }

    // SIGTERM and wait; returns the exit code, or -1 when it had to be killed.
    int stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
        m_process.terminate();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
            return -1;
        }
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

private:
    AppFirst m_app;
    QProcess m_process;
    QString m_device;
};

} // namespace h5test
