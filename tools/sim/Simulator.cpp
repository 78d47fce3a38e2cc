#include "Simulator.h"

#include "SimWindow.h"
#include "common/FileIo.h"
#include "terminal/ScenarioRunner.h"
#include "terminal/SimControl.h"
#include "terminal/TouchPanel.h"

#include <QGuiApplication>
#include <QMetaObject>
#include <functional>
#include <thread>

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <QDir>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace h5sim {

namespace {

int gSignalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    const int saved = errno;
    (void)!::write(gSignalPipe[1], &c, 1);
    errno = saved;
}

void say(const QString &text)
{
    std::fprintf(stderr, "h5800-sim: %s\n", text.toLocal8Bit().constData());
}

// Sleeps for the time `bytes` take on a line of `baud` bits per second
// (ten bits a byte: start, eight data, stop).
void lineTime(qsizetype bytes, int baud)
{
    if (baud <= 0 || bytes <= 0)
        return;
    const long long ns = (long long)bytes * 10 * 1000000000LL / baud;
    struct timespec ts = {time_t(ns / 1000000000LL), long(ns % 1000000000LL)};
    while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

// The control FIFO: lines written into it by anyone, at any time. It is
// made when missing (and then removed again at exit). The simulator holds
// a writer of its own, so the FIFO never reads as ended when an outside
// writer closes it and the next writer is read the same way.
class Control
{
public:
    explicit Control(const QString &path) : m_path(path) {}
    ~Control()
    {
        for (int fd : {m_read, m_hold}) {
            if (fd >= 0)
                ::close(fd);
        }
        if (m_created) {
            // Only while it is still our FIFO.
            struct stat st;
            const QByteArray p = QFile::encodeName(m_path);
            if (::lstat(p.constData(), &st) == 0 && S_ISFIFO(st.st_mode))
                ::unlink(p.constData());
        }
    }

    bool open()
    {
        const QByteArray p = QFile::encodeName(m_path);
        struct stat st;
        if (::lstat(p.constData(), &st) == 0) {
            if (!S_ISFIFO(st.st_mode)) {
                say(QStringLiteral("%1: exists and is not a FIFO").arg(m_path));
                return false;
            }
        } else if (errno != ENOENT || ::mkfifo(p.constData(), 0600) != 0) {
            return fail();
        } else {
            m_created = true;
        }
        m_read = ::open(p.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (m_read < 0)
            return fail();
        m_hold = ::open(p.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (m_hold < 0)
            return fail();
        return true;
    }

    int fd() const { return m_read; }

    // The commands of the lines completed since the last call.
    std::vector<h5::SimControlCommand> take()
    {
        std::vector<h5::SimControlCommand> out;
        char buf[4096];
        for (;;) {
            const ssize_t n = ::read(m_read, buf, sizeof buf);
            if (n > 0) {
                for (auto &c : m_reader.feed(QByteArray(buf, qsizetype(n))))
                    out.push_back(std::move(c));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                say(QStringLiteral("%1: %2").arg(m_path, QString::fromLocal8Bit(std::strerror(errno))));
            return out;
        }
    }

private:
    bool fail()
    {
        say(QStringLiteral("%1: %2").arg(m_path, QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }

    QString m_path;
    int m_read = -1;
    int m_hold = -1;
    bool m_created = false;
    h5::SimControlReader m_reader;
};

class Line
{
public:
    explicit Line(const Options &o) : m_options(o) {}
    ~Line()
    {
        if (m_master >= 0)
            ::close(m_master);
        removeLink();
    }

    bool open()
    {
        int slave = -1;
        char name[512] = {};
        if (::openpty(&m_master, &slave, name, nullptr, nullptr) != 0) {
            say(QStringLiteral("cannot create a pseudo-terminal: %1")
                    .arg(QString::fromLocal8Bit(std::strerror(errno))));
            return false;
        }
        m_device = QString::fromLocal8Bit(name);
        struct termios t;
        if (::tcgetattr(slave, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(slave, TCSANOW, &t);
        }
        // The slave side belongs to the PC. While nobody holds it open the
        // master reports a hang-up; that is how a closed port is noticed.
        ::close(slave);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
        if (!m_options.link.isEmpty() && !makeLink())
            return false;
        return true;
    }

    QString device() const { return m_device; }

    // Writes the first screenshot; false when it cannot be written.
    bool startScreenshots(const h5::VirtualTerminal &terminal)
    {
        if (m_options.screenshot.isEmpty())
            return true;
        m_shot = terminal.screen().revision();
        QString error;
        if (!terminal.screen().writeScreenshot(m_options.screenshot, &error)) {
            say(error);
            return false;
        }
        return true;
    }

    void startClock() { m_clock.start(); }

    // Called with the terminal whenever its screen changed (the window).
    void setView(std::function<void(const h5::VirtualTerminal &)> view) { m_view = std::move(view); }
    // Writes the window's picture to a PNG file (the control line
    // "windowshot PATH"); called on the terminal's thread.
    void setWindowShot(std::function<void(const QString &path)> shot) { m_windowShot = std::move(shot); }
    // A pipe whose bytes are touch reports to send to the PC (the window's
    // clicks, written from its thread).
    void setTouchFd(int fd) { m_touchFd = fd; }

    // Milliseconds since the terminal started, the time its page cycle runs on.
    int64_t now() const { return m_clock.elapsed(); }

    // Runs the pages of the cycle whose time has come.
    void tick(h5::VirtualTerminal &terminal)
    {
        if (terminal.tick(now()) > 0)
            shoot(terminal);
    }

    // How long the line may be waited for before the next page is due, a
    // held touch repeats or waiting control lines go on.
    int untilNextPage(const h5::VirtualTerminal &terminal) const
    {
        int64_t due = -1;
        for (int64_t d : {terminal.pageDueMs(), m_touch.dueMs(), m_queue.empty() ? -1 : m_resumeAt}) {
            if (d >= 0 && (due < 0 || d < due))
                due = d;
        }
        if (due < 0)
            return -1;
        return int(std::clamp<int64_t>(due - now(), 0, 1 << 30));
    }

    // What time brought: repeated touch reports, control lines that waited.
    // False on "quit".
    bool timePassed(h5::VirtualTerminal &terminal)
    {
        const auto &r = terminal.screen().record();
        const QByteArray repeats = m_touch.tick(now(), r.touchMode, r.touchInterval);
        if (!repeats.isEmpty())
            sendTouch(repeats);
        return runQueue(terminal);
    }

    int serve(h5::VirtualTerminal &terminal, Control *control)
    {
        m_saved = terminal.flashRevision();
        m_pagesFrom = terminal.flashRevision();
        const int controlFd = control ? control->fd() : -1;
        for (;;) {
            if (!m_hostThere) {
                // Nobody has the device open: look again every 50 ms.
                struct pollfd idle[3] = {{gSignalPipe[0], POLLIN, 0}, {controlFd, POLLIN, 0}, {m_touchFd, POLLIN, 0}};
                const int wait = untilNextPage(terminal);
                const int got = ::poll(idle, 3, wait >= 0 && wait < 50 ? wait : 50);
                tick(terminal);
                if (!timePassed(terminal))
                    return stop(terminal);
                if (got > 0) {
                    if (idle[0].revents & POLLIN)
                        return stop(terminal);
                    if ((idle[1].revents & POLLIN) && !obey(*control, terminal))
                        return stop(terminal);
                    if (terminal.hungUp())
                        return hangUp(terminal);
                    if (idle[2].revents & POLLIN)
                        touched();
                }
                struct pollfd m = {m_master, POLLIN, 0};
                ::poll(&m, 1, 0);
                if (m.revents & POLLHUP) {
                    // A PC that opened the device, wrote and closed it again
                    // between two looks (a live command) left its bytes
                    // behind: they are taken as if the line had been seen open.
                    if (m.revents & POLLIN) {
                        bool closed = true;
                        if (!readLine(terminal, closed))
                            return hangUp(terminal);
                        terminal.resetLine();
                        m_out.clear();
                        save(terminal);
                        shoot(terminal);
                    }
                    continue;
                }
                m_hostThere = true;
                if (m_options.verbose)
                    say(QStringLiteral("line opened"));
            }
            struct pollfd fds[4] = {
                {gSignalPipe[0], POLLIN, 0},
                {m_master, short(POLLIN | (m_out.isEmpty() ? 0 : POLLOUT)), 0},
                {controlFd, POLLIN, 0},
                {m_touchFd, POLLIN, 0},
            };
            const int polled = ::poll(fds, 4, untilNextPage(terminal));
            tick(terminal);
            if (!timePassed(terminal))
                return stop(terminal);
            if (polled < 0) {
                if (errno == EINTR)
                    continue;
                say(QStringLiteral("poll failed: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
                return stop(terminal, 1);
            }
            if (fds[0].revents & POLLIN)
                return stop(terminal);
            if ((fds[2].revents & POLLIN) && !obey(*control, terminal))
                return stop(terminal);
            if (fds[3].revents & POLLIN)
                touched();
            if (terminal.hungUp())
                return hangUp(terminal);
            bool closed = (fds[1].revents & (POLLHUP | POLLERR)) != 0;
            if ((fds[1].revents & POLLIN) && !readLine(terminal, closed))
                return hangUp(terminal);
            if (!m_out.isEmpty() && !closed)
                flush();
            if (closed) {
                // The PC closed the port: whatever was half received is void.
                terminal.resetLine();
                m_out.clear();
                m_hostThere = false;
                // A terminal whose flash took a download starts over on its
                // first page once the PC lets go of the line.
                save(terminal);
                if (terminal.flashRevision() != m_pagesFrom) {
                    m_pagesFrom = terminal.flashRevision();
                    terminal.startPages(now());
                }
                if (m_options.verbose)
                    say(QStringLiteral("line closed"));
            }
            shoot(terminal);
        }
    }

private:
    // Executes every byte the PC has written so far, whether or not the line
    // has been seen open yet, so that what reached the terminal before a
    // control line is on the screen before the control line acts. A PC that
    // opened, wrote and closed the device since the last look (a live
    // command) left its bytes behind: they are taken as the idle look takes
    // them. False when the terminal hung up.
    bool drainLine(h5::VirtualTerminal &terminal)
    {
        // A poll (as a read) first moves what the PC wrote into the master's
        // input, so nothing written before this call is missed.
        struct pollfd m = {m_master, POLLIN, 0};
        int polled = 0;
        while ((polled = ::poll(&m, 1, 0)) < 0 && errno == EINTR) {
        }
        if (polled <= 0 || !(m.revents & POLLIN))
            return true;
        bool closed = false;
        if (!readLine(terminal, closed))
            return false;
        if (!m_hostThere && (m.revents & POLLHUP)) {
            terminal.resetLine();
            m_out.clear();
            save(terminal);
        }
        return true;
    }

    // Takes everything the PC has written so far. Sets `closed` when the PC
    // closed the device; false when the terminal hung up.
    bool readLine(h5::VirtualTerminal &terminal, bool &closed)
    {
        for (;;) {
            const ssize_t n = ::read(m_master, m_buf.data(), size_t(m_buf.size()));
            if (n > 0) {
                take(terminal, QByteArray(m_buf.constData(), n));
                if (terminal.hungUp())
                    return false;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EIO)
                closed = true;
            return true;
        }
    }

    // The window follows what the screen shows, its backlight included; the
    // screenshot file follows the screen's pixels (it is not dimmed).
    void shoot(const h5::VirtualTerminal &terminal)
    {
        if (m_view && (terminal.screen().revision() != m_viewed
                       || terminal.screen().backlight() != m_viewedBacklight)) {
            m_viewed = terminal.screen().revision();
            m_viewedBacklight = terminal.screen().backlight();
            m_view(terminal);
        }
        if (m_options.screenshot.isEmpty() || terminal.screen().revision() == m_shot)
            return;
        m_shot = terminal.screen().revision();
        QString error;
        if (!terminal.screen().writeScreenshot(m_options.screenshot, &error))
            say(error);
    }

    // Sends the touch reports of the window's clicks; dropped (and told)
    // while the PC has the device closed.
    void touched()
    {
        char buf[600];
        const ssize_t n = ::read(m_touchFd, buf, sizeof buf);
        if (n <= 0)
            return;
        sendTouch(QByteArray(buf, qsizetype(n)));
    }

    void sendTouch(const QByteArray &reports)
    {
        const QString hex = QString::fromLatin1(reports.toHex(' '));
        if (!m_hostThere) {
            say(QStringLiteral("touch: the line is not open; report %1 dropped").arg(hex));
            return;
        }
        say(QStringLiteral("touch: report %1").arg(hex));
        lineTime(reports.size(), m_options.baudDelay);
        m_out.append(reports);
        noteSent(reports);
        flush();
    }

    // Carries out the control lines that arrived; false on "quit". A bad
    // line is told and changes nothing.
    bool obey(Control &control, h5::VirtualTerminal &terminal)
    {
        for (h5::SimControlCommand &c : control.take())
            m_queue.push_back(std::move(c));
        return runQueue(terminal);
    }

    // Carries out the control lines in order until a wait holds the rest;
    // false on "quit".
    bool runQueue(h5::VirtualTerminal &terminal)
    {
        using Kind = h5::SimControlCommand::Kind;
        while (!m_queue.empty()) {
            if (m_resumeAt >= 0 && now() < m_resumeAt)
                return true;
            m_resumeAt = -1;
            const h5::SimControlCommand c = std::move(m_queue.front());
            m_queue.pop_front();
            switch (c.kind) {
            case Kind::Nothing:
                break;
            case Kind::Bad:
                say(QStringLiteral("control: %1").arg(c.error));
                break;
            case Kind::Quit:
                if (m_options.verbose)
                    say(QStringLiteral("control: quit"));
                return false;
            case Kind::Screenshot:
            case Kind::WindowShot: {
                // What the PC wrote before the line came is on the screen
                // (and in the window) first.
                if (!drainLine(terminal))
                    return true; // hung up: the caller sees it
                shoot(terminal);
                const QString path = QFile::decodeName(c.path);
                if (c.kind == Kind::WindowShot) {
                    if (!m_windowShot)
                        say(QStringLiteral("control: windowshot needs --window; %1 not written").arg(path));
                    else
                        m_windowShot(path);
                    break;
                }
                QString error;
                if (!terminal.screen().writeScreenshot(path, &error))
                    say(QStringLiteral("control: %1").arg(error));
                else if (m_options.verbose)
                    say(QStringLiteral("control: screenshot %1").arg(path));
                break;
            }
            case Kind::Touch: {
                h5::ScenarioStep touch;
                touch.kind = h5::ScenarioStep::Kind::Touch;
                touch.x = c.x;
                touch.y = c.y;
                if (!runStep(terminal, touch))
                    return true;
                break;
            }
            case Kind::Report:
                if (!m_hostThere) {
                    say(QStringLiteral("control: the line is not open; report %1 dropped")
                            .arg(QString::fromLatin1(c.bytes.toHex(' '))));
                    break;
                }
                if (m_options.verbose)
                    say(QStringLiteral("control: report %1").arg(QString::fromLatin1(c.bytes.toHex(' '))));
                lineTime(c.bytes.size(), m_options.baudDelay);
                m_out.append(c.bytes);
                noteSent(c.bytes);
                flush();
                break;
            case Kind::Step:
                if (!runStep(terminal, c.step))
                    return true;
                break;
            }
        }
        return true;
    }

    // One screen test step; false when the terminal hung up (the caller
    // sees it).
    bool runStep(h5::VirtualTerminal &terminal, const h5::ScenarioStep &step)
    {
        using K = h5::ScenarioStep::Kind;
        const auto &record = terminal.screen().record();
        switch (step.kind) {
        case K::Start:
            m_touch.reset();
            terminal.startPages(now());
            shoot(terminal);
            break;
        case K::Touch:
            sendTouch(m_touch.press(step.x, step.y, record.touchMode, record.touchInterval, now()));
            break;
        case K::Release: {
            const QByteArray code = m_touch.release(record.touchMode);
            if (!code.isEmpty())
                sendTouch(code);
            break;
        }
        case K::Host:
        case K::HostFile: {
            QByteArray bytes = step.bytes;
            if (step.kind == K::HostFile) {
                QString why;
                if (!h5::readWholeFile(step.path, bytes, &why, qint64(64) << 20)) {
                    say(QStringLiteral("control: host-file %1").arg(why));
                    break;
                }
            }
            if (!drainLine(terminal))
                return false; // hung up: the caller sees it
            terminal.tick(now());
            const QByteArray reply = terminal.feed(bytes);
            if (terminal.flashRevision() != m_saved)
                save(terminal);
            if (!reply.isEmpty() && m_hostThere) {
                m_out.append(reply);
                noteSent(reply);
                flush();
            }
            shoot(terminal);
            break;
        }
        case K::Wait:
            m_resumeAt = now() + step.ms;
            break;
        case K::ExpectSent: {
            if (!drainLine(terminal))
                return false;
            const QByteArray sent = m_sent;
            m_sent.clear();
            if (sent == step.bytes)
                say(QStringLiteral("control: expect-sent 通过"));
            else
                say(QStringLiteral("control: expect-sent 失败：终端发出的字节应为 %1，实为 %2")
                        .arg(hexOrNothing(step.bytes), hexOrNothing(sent)));
            break;
        }
        case K::ExpectPage: {
            if (!drainLine(terminal))
                return false;
            const int page = terminal.currentPage();
            if (page == step.page)
                say(QStringLiteral("control: expect-page %1 通过").arg(step.page));
            else
                say(QStringLiteral("control: expect-page %1 失败：显示的页面是 %2")
                        .arg(step.page)
                        .arg(page < 0 ? QStringLiteral("（无）") : QString::number(page)));
            break;
        }
        case K::ExpectScreen: {
            if (!drainLine(terminal))
                return false;
            shoot(terminal);
            const h5::TerminalScreen &screen = terminal.screen();
            if (!step.region.isNull()
                && !QRect(0, 0, screen.width(), screen.height()).contains(step.region)) {
                say(QStringLiteral("control: expect-screen %1 失败：区域超出屏幕").arg(step.path));
                break;
            }
            // Relative to the working folder; what a failure writes goes
            // beside the reference.
            const QString here = QDir::currentPath();
            const QString beside = QFileInfo(QDir(here).filePath(step.path)).absolutePath();
            const h5::ScreenCheck c = h5::checkScreen(screen, step, here, beside, false);
            if (c.outcome == h5::ScreenCheck::Outcome::Passed)
                say(QStringLiteral("control: expect-screen %1 通过").arg(step.path));
            else
                say(QStringLiteral("control: expect-screen %1 失败：%2").arg(step.path, c.message));
            break;
        }
        }
        return true;
    }

    // What went to the PC, for expect-sent; the last megabyte of it when
    // nobody asks.
    void noteSent(const QByteArray &bytes)
    {
        m_sent.append(bytes);
        if (m_sent.size() > (1 << 20))
            m_sent.remove(0, m_sent.size() - (1 << 20));
    }

    static QString hexOrNothing(const QByteArray &bytes)
    {
        return bytes.isEmpty() ? QStringLiteral("（无）") : QString::fromLatin1(bytes.toHex(' '));
    }

    void take(h5::VirtualTerminal &terminal, const QByteArray &bytes)
    {
        lineTime(bytes.size(), m_options.baudDelay);
        const QByteArray reply = terminal.feed(bytes);
        // The flash is on disk before the acknowledge of a finished step
        // leaves, so the PC never sees a step done that a crash could lose.
        if (terminal.flashRevision() != m_saved)
            save(terminal);
        if (!reply.isEmpty()) {
            lineTime(reply.size(), m_options.baudDelay);
            m_out.append(reply);
            noteSent(reply);
            flush();
        }
    }

    void flush()
    {
        while (!m_out.isEmpty()) {
            const ssize_t n = ::write(m_master, m_out.constData(), size_t(m_out.size()));
            if (n > 0) {
                m_out.remove(0, n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return; // the rest goes when the PC reads
            m_out.clear(); // the PC is gone
            return;
        }
    }

    void save(const h5::VirtualTerminal &terminal)
    {
        m_saved = terminal.flashRevision();
        if (m_options.flash.isEmpty())
            return;
        QString error;
        if (!terminal.saveStateFile(m_options.flash, &error))
            say(QStringLiteral("cannot save the flash: %1").arg(error));
    }

    int stop(h5::VirtualTerminal &terminal, int code = 0)
    {
        save(terminal);
        return code;
    }

    int hangUp(h5::VirtualTerminal &terminal)
    {
        // Answers to the packets before the faulted one still go out.
        struct pollfd m = {m_master, POLLOUT, 0};
        for (int i = 0; i < 20 && !m_out.isEmpty(); ++i) {
            flush();
            if (!m_out.isEmpty())
                ::poll(&m, 1, 50);
        }
        ::close(m_master);
        m_master = -1;
        say(QStringLiteral("hung up after %1 packets").arg(terminal.packetCount() - 1));
        return stop(terminal);
    }

    bool makeLink()
    {
        const QByteArray link = QFile::encodeName(m_options.link);
        const QFileInfo info(m_options.link);
        if (info.isSymLink()) {
            ::unlink(link.constData());
        } else if (info.exists()) {
            say(QStringLiteral("%1 exists and is not a symbolic link").arg(m_options.link));
            return false;
        }
        if (::symlink(QFile::encodeName(m_device).constData(), link.constData()) != 0) {
            say(QStringLiteral("cannot link %1: %2")
                    .arg(m_options.link, QString::fromLocal8Bit(std::strerror(errno))));
            return false;
        }
        m_linked = true;
        return true;
    }

    void removeLink()
    {
        if (!m_linked)
            return;
        // Only our own link: another simulator may have taken the name since.
        if (QFileInfo(m_options.link).symLinkTarget() == m_device)
            ::unlink(QFile::encodeName(m_options.link).constData());
        m_linked = false;
    }

    const Options &m_options;
    int m_master = -1;
    QString m_device;
    bool m_linked = false;
    bool m_hostThere = false;
    QByteArray m_out;
    QByteArray m_buf = QByteArray(65536, Qt::Uninitialized);
    uint64_t m_saved = 0;
    uint64_t m_shot = 0; // screen revision of the last screenshot
    uint64_t m_viewed = 0; // screen revision the window shows
    int m_viewedBacklight = -1; // backlight level the window shows; -1 not told yet
    uint64_t m_pagesFrom = 0; // flash revision the pages last started from
    std::function<void(const h5::VirtualTerminal &)> m_view;
    std::function<void(const QString &)> m_windowShot;
    int m_touchFd = -1;
    QElapsedTimer m_clock;
    // Screen test steps from the control lines
    h5::TouchPanel m_touch;
    std::deque<h5::SimControlCommand> m_queue; // control lines not carried out yet
    int64_t m_resumeAt = -1;              // a wait holds them until then
    QByteArray m_sent;                    // sent to the PC since the last expect-sent
};

} // namespace

int run(const Options &options)
{
    h5::VirtualTerminal terminal(options.width, options.height);
    terminal.setFaults(options.faults);
    if (options.verbose)
        terminal.setLog([](const QString &line) { say(line); });
    if (!options.flash.isEmpty()) {
        QString error;
        if (!terminal.loadStateFile(options.flash, &error)) {
            say(QStringLiteral("cannot load the flash: %1").arg(error));
            return 2;
        }
    }

    if (::pipe(gSignalPipe) != 0) {
        say(QStringLiteral("cannot create a pipe"));
        return 1;
    }
    for (int fd : gSignalPipe)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(gSignalPipe[1], F_SETFL, O_NONBLOCK);
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGHUP, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<Control> control;
    if (!options.control.isEmpty()) {
        control = std::make_unique<Control>(options.control);
        if (!control->open())
            return 1;
    }
    Line line(options);
    if (!line.open())
        return 1;
    // Start-up: the first page of the project in the flash.
    line.startClock();
    terminal.startPages(line.now());
    if (!line.startScreenshots(terminal))
        return 2;
    std::printf("%s\n", line.device().toLocal8Bit().constData());
    std::fflush(stdout);
    if (!options.window)
        return line.serve(terminal, control.get());

    // The window lives on this thread (the GUI's); the terminal is served on
    // a thread of its own and hands the window a copy of every new screen.
    int touchPipe[2] = {-1, -1};
    if (::pipe(touchPipe) != 0) {
        say(QStringLiteral("cannot create a pipe"));
        return 1;
    }
    for (int fd : touchPipe)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(touchPipe[0], F_SETFL, O_NONBLOCK);
    SimWindow window(options.width, options.height);
    window.showScreen(terminal.screen().screenshot(), terminal.screen().backlight());
    window.setTouchHandler([&](int x, int y) {
        const QByteArray report = h5::touchReport(x, y);
        (void)!::write(touchPipe[1], report.constData(), size_t(report.size()));
    });
    window.setClosedHandler([] { onSignal(0); });
    line.setTouchFd(touchPipe[0]);
    // Queued behind the pictures handed over before it, so the file shows
    // the window as it is once they are shown.
    line.setWindowShot([&window, verbose = options.verbose](const QString &path) {
        QMetaObject::invokeMethod(
            &window,
            [&window, path, verbose] {
                QString error;
                if (!window.writePicture(path, &error))
                    say(QStringLiteral("control: %1").arg(error));
                else if (verbose)
                    say(QStringLiteral("control: windowshot %1").arg(path));
            },
            Qt::QueuedConnection);
    });
    line.setView([&window](const h5::VirtualTerminal &t) {
        const QImage image = t.screen().screenshot();
        const int backlight = t.screen().backlight();
        QMetaObject::invokeMethod(&window, [&window, image, backlight] { window.showScreen(image, backlight); },
                                  Qt::QueuedConnection);
    });
    window.show();
    int code = 0;
    std::thread server([&] {
        code = line.serve(terminal, control.get());
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    QGuiApplication::exec();
    onSignal(0); // the window went: the terminal stops too
    server.join();
    ::close(touchPipe[0]);
    ::close(touchPipe[1]);
    return code;
}

} // namespace h5sim
