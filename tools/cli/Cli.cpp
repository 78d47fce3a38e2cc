#include "Cli.h"

#include "common/FileIo.h"
#include "link/UserFontList.h"
#include "port/BuiltinTerminal.h"
#include "port/LineClock.h"
#include "port/PortLine.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTimer>
#include <QImage>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

namespace h5cli {

namespace {

// Standard output written straight to descriptor 1. The first write that
// fails keeps the system's reason, so the end of the run can say why the
// output is incomplete (a full disk, a closed pipe) instead of exiting 0
// over a short or empty file.
class StdoutDevice : public QIODevice
{
public:
    StdoutDevice() { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    int failure() const { return m_failure; }
    // Standard output was closed when the program started: whatever is
    // written fails as a write to a closed descriptor does.
    void setClosed() { m_closed = true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        if (m_failure != 0)
            return -1;
        if (m_closed && size > 0) {
            m_failure = EBADF;
            return -1;
        }
        qint64 done = 0;
        while (done < size) {
            const qint64 chunk = std::min<qint64>(size - done, qint64(1) << 30);
            const auto n = ::write(1, data + done, unsigned(chunk));
            if (n > 0) {
                done += n;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
#ifndef Q_OS_WIN
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                // A non-blocking descriptor handed over by the caller: wait
                // until it takes more.
                pollfd p{1, POLLOUT, 0};
                ::poll(&p, 1, -1);
                continue;
            }
#endif
            m_failure = n < 0 ? errno : ENOSPC; // no progress and no reason: a full device
            return -1;
        }
        return size;
    }

private:
    int m_failure = 0;
    bool m_closed = false;
};

StdoutDevice &stdoutDevice()
{
    static StdoutDevice device;
    return device;
}

} // namespace

void guardStandardDescriptors()
{
    // A descriptor 0, 1 or 2 left closed by the caller would be taken by the
    // next file or event descriptor the program opens, and output meant for
    // the terminal would go into it. Each gets /dev/null instead; output
    // written to a closed stdout still counts as failed.
#ifdef Q_OS_WIN
    // The same bytes as on Unix: no "\r" added before each "\n". A console
    // is told that the text comes in UTF-8.
    for (int fd = 0; fd <= 2; ++fd) {
        if (::_get_osfhandle(fd) < 0) {
            const int null = ::_open("NUL", fd == 0 ? _O_RDONLY : _O_WRONLY);
            if (null >= 0 && null != fd) {
                ::_dup2(null, fd);
                ::_close(null);
            }
            if (fd == 1)
                stdoutDevice().setClosed();
        }
        ::_setmode(fd, _O_BINARY);
    }
    DWORD mode = 0;
    if (GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)
        || GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode))
        SetConsoleOutputCP(CP_UTF8);
#else
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        const int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != fd) {
            ::dup2(null, fd);
            ::close(null);
        }
        if (fd == 1)
            stdoutDevice().setClosed();
    }
#endif
}

namespace {

// Standard error, held as a device of its own so the streams can be pointed
// elsewhere and back (setOutputDevices) without losing it.
QIODevice &stderrDevice()
{
    static QFile file;
    if (!file.isOpen())
        file.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    return file;
}

bool g_redirected = false;

} // namespace

QTextStream &out()
{
    static QTextStream s(&stdoutDevice());
    return s;
}

void setOutputDevices(QIODevice *outDevice, QIODevice *errDevice)
{
    out().flush();
    err().flush();
    g_redirected = outDevice != nullptr;
    out().setDevice(outDevice ? outDevice : &stdoutDevice());
    err().setDevice(errDevice ? errDevice : &stderrDevice());
    out().resetStatus();
    err().resetStatus();
}

bool finishOutput()
{
    out().flush();
    int failure = stdoutDevice().failure();
    if (failure == 0 && out().status() == QTextStream::WriteFailed)
        failure = EIO;
    // Closing is the last chance a file system has to report a failed
    // write (a network file system reports it there). A duplicate is closed
    // so descriptor 1 stays taken until the process ends.
    if (failure == 0) {
        const int copy = ::dup(1);
        if (copy >= 0 && ::close(copy) != 0 && errno != EINTR)
            failure = errno;
    }
    if (failure == 0)
        return true;
    err() << "h5800: 标准输出写入失败，输出不完整 (standard output: "
          << QString::fromLocal8Bit(std::strerror(failure)) << ")" << Qt::endl;
    return false;
}

QTextStream &err()
{
    static QTextStream s(&stderrDevice());
    return s;
}

std::vector<Command> &commands()
{
    static std::vector<Command> list;
    return list;
}

void CliNotifier::message(const QString &text)
{
    ++m_messages;
    err() << text << Qt::endl;
}

bool CliNotifier::question(const QString &text)
{
    err() << text << (m_answer ? " -> OK" : " -> Cancel") << Qt::endl;
    return m_answer;
}

QString takeOption(QStringList &args, const QString &name, bool longForm)
{
    // One-letter options are written with one dash (-o OUT) unless asked.
    const QString flag = (name.size() == 1 && !longForm ? "-" : "--") + name;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == flag) {
            if (i + 1 >= args.size())
                throw UsageError{QStringLiteral("%1 needs a value").arg(flag)};
            const QString value = args[i + 1];
            args.remove(i, 2);
            return value;
        }
        if (args[i].startsWith(flag + "=")) {
            const QString value = args[i].mid(flag.size() + 1);
            args.removeAt(i);
            return value;
        }
    }
    return QString();
}

// "-o OUT", "-oOUT", "--output OUT" or "--output=OUT"; removed from args.
QString takeOutput(QStringList &args)
{
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("-o")) {
            if (i + 1 >= args.size())
                throw UsageError{QStringLiteral("-o needs a value")};
            const QString value = args[i + 1];
            args.remove(i, 2);
            return value;
        }
        if (args[i].startsWith(QLatin1String("-o")) && !args[i].startsWith(QLatin1String("--"))) {
            const QString value = args[i].mid(2);
            args.removeAt(i);
            return value;
        }
    }
    return takeOption(args, QStringLiteral("output"));
}

bool takeFlag(QStringList &args, const QString &name)
{
    return args.removeAll("--" + name) > 0;
}

bool fontList(const QString &firstText, const QStringList &paths, std::vector<h5::DebugFont> &fonts)
{
    int first = 0;
    if (!firstText.isNull()) {
        // The box takes digits only; what is beyond 19 the font page itself
        // refuses.
        static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
        if (!digits.match(firstText).hasMatch())
            throw UsageError{QStringLiteral("--first %1 is not a font number (0..19)").arg(firstText)};
        first = firstText.toInt();
    }
    CliNotifier notifier;
    h5::UserFontList list;
    list.setNextNumber(first);
    if (list.addFonts(paths, notifier) != paths.size())
        return false;
    fonts = list.entries();
    return true;
}

void expectPositional(const QStringList &args, int n, const QString &commandName)
{
    for (const QString &a : args) {
        if (a.startsWith("--"))
            throw UsageError{QStringLiteral("unknown option %1 for %2").arg(a, commandName)};
    }
    if (args.size() != n)
        throw UsageError{QStringLiteral("%1 takes %2 argument(s), got %3")
                             .arg(commandName)
                             .arg(n)
                             .arg(args.size())};
}

int badInput(const QString &file, const QString &what)
{
    err() << "h5800: " << file << ": " << what << Qt::endl;
    return ExitBadInput;
}

bool writePng(const QString &path, const QImage &image)
{
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        badInput(path, QStringLiteral("cannot encode the picture"));
        return false;
    }
    QString error;
    if (!h5::writeFileAtomically(path, encoded, &error)) {
        badInput(path, QStringLiteral("cannot write: %1").arg(error));
        return false;
    }
    return true;
}

StatusLines::StatusLines() : m_tty(!g_redirected && isatty(2) != 0) {}

void StatusLines::show(const QString &text)
{
    if (text == m_last)
        return;
    m_last = text;
    if (text.endsWith(QLatin1Char('%')) && m_tty) {
        err() << "\r" << text << "\x1b[K" << Qt::flush;
        m_openLine = true;
        return;
    }
    endLine();
    err() << text << Qt::endl;
}

void StatusLines::endLine()
{
    if (m_openLine)
        err() << Qt::endl;
    m_openLine = false;
}

namespace {

// The built-in terminal on a virtual clock, when the environment asks for
// it (H5_BUILTIN_CLOCK=virtual), made before anything opens the terminal.
void useVirtualBuiltinClockIfAsked(const QString &device)
{
    if (!h5::BuiltinTerminal::isBuiltinDevice(device) || h5::BuiltinTerminal::hasShared()
        || qEnvironmentVariable("H5_BUILTIN_CLOCK") != QLatin1String("virtual"))
        return;
    // Made before the terminal, so it goes after it.
    static h5::VirtualLineClock clock;
    h5::BuiltinTerminal::setShared(
        std::make_unique<h5::BuiltinTerminal>(clock, h5::BuiltinTerminal::defaultFlashPath()));
    // The terminal goes (and saves its flash) while the application exists.
    qAddPostRoutine([] { h5::BuiltinTerminal::setShared(nullptr); });
}

// A day: the longest the virtual clock jumps when no timer is running.
constexpr qint64 kIdleJumpMs = 24LL * 3600 * 1000;

} // namespace

void LineLoop::exec()
{
    auto *clock = dynamic_cast<h5::VirtualLineClock *>(&m_line.clock());
    if (!clock) {
        m_loop.exec();
        return;
    }
    m_quit = false;
    while (!m_quit) {
        const bool quit = clock->advanceUntil(
            [&] {
                QCoreApplication::processEvents();
                clock->run();
                return m_quit;
            },
            kIdleJumpMs);
        // Nothing runs on the clock: only the process's own events (a
        // signal) can end the wait.
        if (!quit)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void LineLoop::quit()
{
    m_quit = true;
    m_loop.quit();
}

bool runUntil(h5::SerialLine &line, const std::function<bool()> &done, qint64 ms)
{
    if (auto *clock = dynamic_cast<h5::VirtualLineClock *>(&line.clock())) {
        return clock->advanceUntil(
            [&] {
                QCoreApplication::processEvents();
                clock->run();
                return done();
            },
            ms);
    }
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

PortOptions takePortOptions(QStringList &args, bool virtualClockAllowed)
{
    PortOptions o;
    o.device = takeOption(args, "port");
    if (o.device.isEmpty())
        throw UsageError{QStringLiteral("--port DEVICE is required (see h5800 ports)")};
    if (virtualClockAllowed)
        useVirtualBuiltinClockIfAsked(o.device);
    const QString baud = takeOption(args, "baud");
    if (!baud.isNull()) {
        bool ok = false;
        o.baud = baud.toInt(&ok);
        if (!ok || o.baud <= 0)
            throw UsageError{QStringLiteral("--baud %1 is not a rate").arg(baud)};
    }
    return o;
}

bool openPort(h5::PortLine &comm, const PortOptions &o)
{
    comm.setDevice(o.device);
    comm.setSettings(QStringLiteral("%1,n,8,1").arg(o.baud));
    if (!comm.open()) {
        err() << "h5800: " << o.device << ": " << comm.errorString() << Qt::endl;
        return false;
    }
    return true;
}

} // namespace h5cli
