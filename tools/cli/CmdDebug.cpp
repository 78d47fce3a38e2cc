// The online debug window's link from a terminal: debug-download (the
// "下载图片" picture download and the font download of the font page) and
// monitor (the communication record of a connected terminal). They run the
// window's DebugSession on a serial line through the shared line driver,
// with stderr as the status boxes.

#include "Cli.h"

#include "link/DebugSession.h"
#include "pictures/PictureList.h"
#include "port/LineClock.h"
#include "port/PortLine.h"
#include "port/LineDriver.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSocketNotifier>

#include <cstring>
#include <limits>
#include <memory>
#ifdef Q_OS_WIN
#include <QPointer>
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace h5cli;

namespace {


// Progress texts of the downloads; any other status text shown while a
// download runs ends it ("串口连接错误3!", "连接超时!", "第1个字库丢失，下载停止", ...).
const QRegularExpression kProgress(QStringLiteral("^(编号\\d+图片下载|下载第\\d+个字库)：\\d+%$"));
const QRegularExpression kMissingPicture(QStringLiteral("^编号(\\d+)图片丢失"));

// The debug window for a terminal: both status boxes and the message boxes
// go to stderr, the missing-picture question is answered by --skip-missing,
// and the event loop runs until the session reaches what the command waits
// for.
class DebugCliHost : public h5::LineDriver
{
public:
    DebugCliHost(h5::PortLine &comm, bool skipMissing) : LineDriver(comm), m_loop(comm), m_skip(skipMissing)
    {
        setAfterEvent([this] { check(); });
    }

    void attach(h5::DebugSession &session)
    {
        m_session = &session;
        LineDriver::attach(session);
        session.setSendStatusSink([this](const QString &text) { status(text); });
    }

    void status(const QString &text) override
    {
        if (m_inDownload && !kProgress.match(text).hasMatch())
            m_failed = true;
        m_lines.show(text);
    }
    void message(const QString &text) override
    {
        endLine();
        err() << text << Qt::endl;
    }
    bool ask(const QString &text) override
    {
        endLine();
        err() << text << (m_skip ? " -> yes (--skip-missing)" : " -> no (--skip-missing would skip it)")
              << Qt::endl;
        if (!m_skip) {
            m_failed = true;
            return false;
        }
        const auto m = kMissingPicture.match(text);
        if (m.hasMatch())
            m_skipped << m.captured(1);
        return true;
    }
    void closePort() override
    {
        comm().close();
        stopAllTimers();
        if (m_session)
            m_session->portClosed();
        m_loop.quit();
    }

    // Runs the loop until the handshake of portOpened() has an outcome;
    // true when the terminal answered and the session is Ready.
    bool waitReady()
    {
        m_waitingReady = true;
        check();
        if (m_waitingReady)
            m_loop.exec();
        m_waitingReady = false;
        return ready();
    }

    // Runs the loop until the download just started has ended; true when
    // every picture or font it sent was taken.
    bool waitDownload()
    {
        m_inDownload = true;
        m_failed = false;
        check();
        if (m_inDownload)
            m_loop.exec();
        m_inDownload = false;
        endLine();
        return ready() && !m_failed && m_session->lastDownloadEnd() == h5::DownloadEnd::Completed;
    }

    // Runs the loop until quit() or the line is lost.
    void runUntilQuit() { m_loop.exec(); }
    void quit() { m_loop.quit(); }

    bool ready() const { return comm().isOpen() && m_session->state() == h5::LinkState::Ready; }
    const QStringList &skipped() const { return m_skipped; }

    void endLine() { m_lines.endLine(); }

protected:
    void lineLost(const QString &text) override
    {
        if (!comm().isOpen())
            return;
        endLine();
        err() << "h5800: " << comm().device() << ": " << text << Qt::endl;
        m_failed = true;
        closePort();
    }

private:
    void check()
    {
        if (!m_session)
            return;
        const h5::LinkState s = m_session->state();
        const bool closed = !comm().isOpen();
        if (m_waitingReady && (closed || s != h5::LinkState::Connecting)) {
            m_waitingReady = false;
            m_loop.quit();
        }
        // A download is over when the session is back in Ready (or the
        // handshake gave up: Offline).
        if (m_inDownload && (closed || s == h5::LinkState::Ready || s == h5::LinkState::Offline)) {
            m_inDownload = false;
            m_loop.quit();
        }
    }

    h5::DebugSession *m_session = nullptr;
    LineLoop m_loop;
    StatusLines m_lines;
    QStringList m_skipped;
    bool m_skip = false;
    bool m_waitingReady = false;
    bool m_inDownload = false;
    bool m_failed = false;

};

// Opens the port and shakes hands as the window's "打开" does. The first
// probe goes out at once rather than after a second: the window's wait
// only comes from its timer. False (with the reason on stderr) when the
// port does not open or the terminal does not answer '3'.
bool openAndConnect(h5::PortLine &comm, const PortOptions &o, DebugCliHost &host, h5::DebugSession &session)
{
    if (!openPort(comm, o))
        return false;
    host.attach(session);
    session.portOpened();
    session.onTimer(h5::DebugSession::kProbeTimer);
    return host.waitReady();
}

void closeLine(h5::PortLine &comm, DebugCliHost &host, h5::DebugSession &session)
{
    host.endLine();
    host.detach();
    session.portClosed();
    comm.close();
}

// Reads a picture list whole before the port is touched; false (told on
// stderr, naming the file) when it is missing, unreadable or empty.
bool loadPictureList(const QString &path, h5::PictureList &list)
{
    if (!QFileInfo(path).isFile()) {
        badInput(path, QStringLiteral("no such picture list file"));
        return false;
    }
    h5::RecordingNotifier notifier;
    if (!list.open(path, notifier)) {
        badInput(path, notifier.messages.isEmpty() ? QStringLiteral("cannot be read")
                                                   : notifier.messages.join(QLatin1Char(' ')));
        return false;
    }
    if (list.entries().empty()) {
        badInput(path, QStringLiteral("no picture in the list (无图片下发!)"));
        return false;
    }
    return true;
}

// Reads every font file before the port is touched; false (told on stderr,
// naming the file) when one is missing, unreadable, holds a lone hex digit
// or no hex byte at all.
bool checkFontFiles(const std::vector<h5::DebugFont> &fonts)
{
    for (const h5::DebugFont &font : fonts) {
        const QString &path = font.path;
        if (!QFileInfo(path).isFile()) {
            badInput(path, QStringLiteral("no such font file"));
            return false;
        }
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            badInput(path, f.errorString());
            return false;
        }
        const QByteArray text = f.readAll();
        if (f.error() != QFileDevice::NoError) {
            badInput(path, f.errorString());
            return false;
        }
        QString fault;
        const QByteArray data = h5::decodeFontText(text, &fault);
        if (!fault.isEmpty()) {
            badInput(path, fault);
            return false;
        }
        if (data.isEmpty()) {
            badInput(path, QStringLiteral("no font byte (hex digits) in the file"));
            return false;
        }
    }
    return true;
}

int debugDownload(const QStringList &argsIn)
{
    QStringList args = argsIn;
    const PortOptions port = takePortOptions(args);
    const bool erase = takeFlag(args, "erase");
    const bool skipMissing = takeFlag(args, "skip-missing");
    const bool fonts = takeFlag(args, "fonts");
    const QString pictures = takeOption(args, "pictures");
    const QString firstText = takeOption(args, "first");
    for (const QString &a : args) {
        if (a.startsWith("--"))
            throw UsageError{QStringLiteral("unknown option %1 for debug-download").arg(a)};
    }
    if (fonts == !pictures.isNull())
        throw UsageError{QStringLiteral("choose one of --pictures LIST and --fonts FONT.txt...")};

    std::vector<h5::DebugFont> queue;
    h5::PictureList list;
    if (fonts) {
        if (erase || skipMissing)
            throw UsageError{QStringLiteral("--erase and --skip-missing belong to --pictures")};
        if (args.isEmpty())
            throw UsageError{QStringLiteral("--fonts needs at least one font file")};
        // Numbers and sizes by the font page's own rules, then every file
        // decoded, all before the port is opened.
        if (!fontList(firstText, args, queue) || !checkFontFiles(queue))
            return ExitBadInput;
    } else {
        if (!firstText.isNull())
            throw UsageError{QStringLiteral("--first belongs to --fonts")};
        if (!args.isEmpty())
            throw UsageError{QStringLiteral("debug-download --pictures takes no file arguments")};
        if (!loadPictureList(pictures, list))
            return ExitBadInput;
    }

    h5::PortLine comm;
    DebugCliHost host(comm, skipMissing);
    h5::DebugSession session(host);
    if (!openAndConnect(comm, port, host, session)) {
        closeLine(comm, host, session);
        return ExitBadInput;
    }

    bool started = false;
    CliNotifier notifier;
    if (fonts) {
        started = session.downloadFonts(queue);
    } else {
        std::vector<h5::DebugPicture> entries;
        for (const h5::PictureEntry &e : list.entries())
            entries.push_back(h5::DebugPicture{e.number, e.width, e.height, -1});
        // Every picture's pixels are made from its image file or its source
        // list before anything is sent; one that cannot be made is named
        // with its file and the reason, and asked about.
        const auto &listEntries = list.entries();
        started = session.downloadPictures(entries, erase, [&listEntries, &notifier](size_t i, QString *why) {
            return i < listEntries.size() ? h5::entryPixels(listEntries[i], notifier, why) : QByteArray();
        });
    }
    if (!started) {
        closeLine(comm, host, session);
        return ExitBadInput;
    }
    session.onTimer(h5::DebugSession::kProbeTimer);
    const bool taken = host.waitDownload();
    closeLine(comm, host, session);
    if (!taken)
        return ExitBadInput;
    if (!host.skipped().isEmpty()) {
        err() << "h5800: " << pictures << ": picture(s) " << host.skipped().join(QLatin1Char(','))
              << " missing and skipped; the others were sent" << Qt::endl;
        return ExitProblems;
    }
    return ExitOk;
}

#ifdef Q_OS_WIN
// Ctrl+C, Ctrl+Break and closing the console end the monitor through the
// event loop (the handler runs on a thread of its own).
QPointer<QObject> gStopTarget;
std::function<void()> gStop;

BOOL WINAPI onConsoleStop(DWORD)
{
    if (gStopTarget)
        QMetaObject::invokeMethod(gStopTarget, [] { if (gStop) gStop(); }, Qt::QueuedConnection);
    return TRUE;
}
#else
// SIGINT and SIGTERM end the monitor through the event loop.
int gStopPipe[2] = {-1, -1};

void onStopSignal(int)
{
    const int saved = errno;
    const char c = 1;
    (void)!::write(gStopPipe[1], &c, 1);
    errno = saved;
}
#endif

int monitor(const QStringList &argsIn)
{
    QStringList args = argsIn;
    const PortOptions port = takePortOptions(args);
    const QString secondsText = takeOption(args, "seconds");
    expectPositional(args, 0, "monitor");
    double seconds = -1;
    if (!secondsText.isNull()) {
        bool ok = false;
        seconds = secondsText.toDouble(&ok);
        // The time is counted in milliseconds by a timer that takes an int:
        // at most about 24.8 days (without --seconds it runs until stopped).
        if (!ok || seconds < 0 || seconds * 1000 > double(std::numeric_limits<int>::max()))
            throw UsageError{QStringLiteral("--seconds %1 is not a time in seconds from 0 to %2")
                                 .arg(secondsText)
                                 .arg(std::numeric_limits<int>::max() / 1000)};
    }

#ifndef Q_OS_WIN
    if (::pipe(gStopPipe) != 0) {
        err() << "h5800: cannot create a pipe: " << QString::fromLocal8Bit(std::strerror(errno)) << Qt::endl;
        return ExitBadInput;
    }
    for (int fd : gStopPipe)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(gStopPipe[1], F_SETFL, O_NONBLOCK);
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
#endif

    h5::PortLine comm;
    DebugCliHost host(comm, false);
    h5::DebugSession session(host);

    // The record is printed as it grows. It is emptied now and then so a
    // long run does not keep all of it.
    qsizetype printed = 0;
    bool clearing = false;
    session.setRecordChanged([&] {
        if (clearing)
            return;
        const QString &text = session.record().text();
        if (text.size() < printed)
            printed = 0;
        out() << QStringView(text).mid(printed) << Qt::flush;
        printed = text.size();
        if (printed > (1 << 20)) {
            clearing = true;
            session.clearRecord();
            clearing = false;
            printed = 0;
        }
    });

    bool stopped = false;
#ifdef Q_OS_WIN
    QObject stop;
    gStopTarget = &stop;
    gStop = [&] {
        stopped = true;
        host.quit();
    };
    SetConsoleCtrlHandler(onConsoleStop, TRUE);
#else
    QSocketNotifier stop(gStopPipe[0], QSocketNotifier::Read);
    QObject::connect(&stop, &QSocketNotifier::activated, [&] {
        char c;
        (void)!::read(gStopPipe[0], &c, 1);
        stopped = true;
        host.quit();
    });
#endif
    // The time counts on the line's clock (the built-in terminal's may be
    // virtual).
    comm.setDevice(port.device);
    bool timeUp = false;
    std::unique_ptr<h5::LineTimer> deadline = comm.clock().makeTimer([&] {
        deadline->stop();
        timeUp = true;
        host.quit();
    });
    if (seconds >= 0)
        deadline->start(int(seconds * 1000));

    const bool ready = openAndConnect(comm, port, host, session);
    int status = ExitOk;
    if (!ready) {
        // Interrupted or out of time while the terminal had not answered
        // yet: that is no connection either.
        if ((stopped || timeUp) && comm.isOpen())
            err() << "h5800: " << port.device << ": the terminal did not answer" << Qt::endl;
        status = ExitBadInput;
    } else if (!stopped && !timeUp) {
        host.runUntilQuit();
        if (!comm.isOpen())
            status = ExitBadInput; // the line was lost (told by the host)
    }
    closeLine(comm, host, session);
#ifdef Q_OS_WIN
    SetConsoleCtrlHandler(onConsoleStop, FALSE);
    gStopTarget = nullptr;
    gStop = nullptr;
#endif
    out().flush();
    return status;
}

Registrar regDebugDownload{{
    "debug-download",
    "download pictures or fonts the way the online debug window does",
    "usage: h5800 debug-download --port DEVICE [--baud RATE] [--erase] [--skip-missing]\n"
    "                            --pictures LIST.tbm|LIST.cbm|LIST.wbm\n"
    "       h5800 debug-download --port DEVICE [--baud RATE] --fonts [--first N] FONT.txt...\n\n"
    "Opens the port and shakes hands (probe AA, answer '3'), then runs the debug\n"
    "window's \"下载图片\" on the pictures of LIST in list order (after reading and\n"
    "rewriting the terminal's picture registry; --erase places them from block 0\n"
    "as if the terminal held none), or its font download on the hex text files\n"
    "FONT.txt..., numbered from N (default 0) in the order given. The first probe\n"
    "of each handshake goes out at once, then one a second (three in all); no\n"
    "answer within 10 s ends the run. A packet not answered within 5 s after it\n"
    "has left the line (its time on the line at RATE, ten bits a byte, comes\n"
    "first) or a registry read not answered within 10 s (and the time the\n"
    "longest registry reply takes on the line) ends the transfer. Status texts\n"
    "go to stderr.\n"
    "Fonts are taken by the font page's rules, as 'h5800 help fonts wzk' tells:\n"
    "numbers end at 19 (字库超出！), a font holds at most one flash block\n"
    "(字库超出！请将字库分为128K一个下载。).\n"
    "The list or the font files are read and checked first; a missing, unreadable\n"
    "or empty one is refused before the port is opened. Every picture of the list\n"
    "is made (from its image file or its source list's data) before anything is\n"
    "sent, so the terminal's registry is only rewritten when every picture it will\n"
    "name can follow. A picture that cannot be made (its file is gone, its data is\n"
    "cut short, its size is 0 or beyond the terminal's store) is named with its\n"
    "file and the reason and asks \"编号N图片丢失，是否跳过继续下载?\": --skip-missing\n"
    "answers yes (the picture is left out; the terminal keeps what it held under\n"
    "that number), otherwise nothing is sent. Pictures needing more than the\n"
    "terminal's 600 flash blocks together are refused.\n"
    "Exit status 0 when everything was sent and taken, 1 on a connection error,\n"
    "a wrong reply, a time-out, a lost line, a stopped download or an unreadable\n"
    "file, 3 when pictures were skipped as missing and all others were taken.",
    debugDownload,
}};

Registrar regMonitor{{
    "monitor",
    "print a connected terminal's communication record as it grows",
    "usage: h5800 monitor --port DEVICE [--baud RATE] [--seconds S]\n\n"
    "Opens the port, shakes hands as the online debug window does, then prints its\n"
    "communication record on stdout as it grows: the probe and the answer, then\n"
    "every terminal report, framed as the window frames them (6-byte fe fe/fe f0\n"
    "and 4-byte fc fc/fc f0 reports, fd fd, dd ac ... ff ff ee ff, ff ff ee ff,\n"
    "33; other bytes are dropped). Entries keep the record's form: a time stamp\n"
    "line with 发送 or 收到, the bytes as lower-case hex, CR LF line ends.\n"
    "Runs for S seconds (counted from the start) or until SIGINT or SIGTERM (Ctrl+C),\n"
    "which end it with exit status 0. Exit status 1 when the port does not open,\n"
    "the terminal does not answer the handshake or the line is lost.",
    monitor,
}};

} // namespace
