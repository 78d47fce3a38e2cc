#include "port/CMSComm.h"

#include "port/LineClock.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>
#include <QSerialPortInfo>
#include <QSet>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#if __has_include(<linux/serial.h>)
#include <linux/serial.h>
#define H5_HAVE_TIOCGSERIAL 1
#endif

namespace h5 {

// ---- the line ---------------------------------------------------------------

namespace {

// Asks the driver to hand received bytes over at once (ASYNC_LOW_LATENCY).
// True when the port runs that way. A driver without the serial ioctls (a
// pseudo-terminal) or one that refuses the flag keeps its default; that is
// not an error and is not reported.
bool requestLowLatency(int fd)
{
#ifdef H5_HAVE_TIOCGSERIAL
    serial_struct info;
    std::memset(&info, 0, sizeof info);
    if (::ioctl(fd, TIOCGSERIAL, &info) != 0)
        return false;
    if (info.flags & ASYNC_LOW_LATENCY)
        return true;
    info.flags |= ASYNC_LOW_LATENCY;
    if (::ioctl(fd, TIOCSSERIAL, &info) != 0)
        return false;
    // Some drivers take the request and ignore the flag: look again.
    std::memset(&info, 0, sizeof info);
    return ::ioctl(fd, TIOCGSERIAL, &info) == 0 && (info.flags & ASYNC_LOW_LATENCY) != 0;
#else
    (void)fd;
    return false;
#endif
}

} // namespace

CMSComm::CMSComm(QObject *parent) : SerialLine(parent)
{
    // The port's own read buffer is unbounded, so one input() returns every
    // byte received so far.
    m_port.setReadBufferSize(0);
    connect(&m_port, &QSerialPort::readyRead, this, &SerialLine::received);
    connect(&m_port, &QSerialPort::errorOccurred, this, &CMSComm::onPortError);
}

CMSComm::~CMSComm()
{
    close();
}

bool CMSComm::isOpen() const
{
    return m_port.isOpen();
}

bool CMSComm::isPseudoTerminal(const QString &device)
{
    struct stat st;
    const QByteArray path = QFile::encodeName(device);
    if (::stat(path.constData(), &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    // Unix98 pty slaves use majors 136..143; /dev/pts is their usual home.
    const unsigned maj = major(st.st_rdev);
    if (maj >= 136 && maj <= 143)
        return true;
    return QFileInfo(device).canonicalFilePath().startsWith(QLatin1String("/dev/pts/"));
}

bool CMSComm::applySettings()
{
    bool ok = m_port.setBaudRate(m_settings.baud) && m_port.setParity(m_settings.parity)
              && m_port.setDataBits(m_settings.dataBits)
              && m_port.setStopBits(m_settings.stopBits)
              && m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok && isPseudoTerminal(m_device)) {
        // A pseudo-terminal has no line: speeds it does not know are of no
        // consequence. Forget the error so it is not reported later.
        m_port.clearError();
        ok = true;
    }
    return ok;
}

bool CMSComm::open()
{
    if (isOpen())
        close();
    m_error.clear();
    if (m_device.isEmpty()) {
        m_error = tr("No serial port chosen");
        return false;
    }
    m_port.setPortName(m_device);
    // The port's defaults are set before opening so that a pseudo-terminal,
    // which refuses some speeds, still opens; ours are applied right after.
    m_port.setBaudRate(QSerialPort::Baud9600);
    if (!m_port.open(QIODevice::ReadWrite)) {
        if (m_port.error() == QSerialPort::PermissionError)
            m_error = tr("%1: in use by another program, or access denied (%2)")
                          .arg(m_device, m_port.errorString());
        else
            m_error = QStringLiteral("%1: %2").arg(m_device, m_port.errorString());
        return false;
    }
    if (!applySettings()) {
        m_error = tr("%1: cannot use settings %2: %3")
                      .arg(m_device, m_settings.toString(), m_port.errorString());
        m_port.close();
        return false;
    }
    m_lowLatency = requestLowLatency(m_port.handle());
    m_queue.clear();
    m_queuePos = 0;
    m_writable = new QSocketNotifier(m_port.handle(), QSocketNotifier::Write, this);
    m_writable->setEnabled(false);
    connect(m_writable, &QSocketNotifier::activated, this, &CMSComm::pump);
    return true;
}

void CMSComm::close()
{
    delete m_writable;
    m_writable = nullptr;
    m_queue.clear();
    m_queuePos = 0;
    m_lowLatency = false;
    if (m_port.isOpen())
        m_port.close();
}

void CMSComm::output(const QByteArray &bytes)
{
    if (!isOpen() || bytes.isEmpty())
        return;
    if (m_queuePos > 0 && m_queuePos == m_queue.size()) {
        m_queue.clear();
        m_queuePos = 0;
    }
    m_queue.append(bytes);
    pump();
}

void CMSComm::pump()
{
    if (!isOpen())
        return;
    const int fd = m_port.handle();
    while (m_queuePos < m_queue.size()) {
        const ssize_t n = ::write(fd, m_queue.constData() + m_queuePos,
                                  size_t(m_queue.size() - m_queuePos));
        if (n > 0) {
            m_queuePos += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_writable->setEnabled(true);
            return;
        }
        // The line is gone (the other side of a pseudo-terminal closed, a USB
        // adapter was pulled). What is queued cannot go anywhere.
        const QString why = n < 0 ? QString::fromLocal8Bit(std::strerror(errno))
                                  : tr("nothing written");
        m_queue.clear();
        m_queuePos = 0;
        m_writable->setEnabled(false);
        lineLost(why);
        return;
    }
    m_queue.clear();
    m_queuePos = 0;
    m_writable->setEnabled(false);
    // Announced from the event loop, never from inside output(), so a handler
    // that sends again is not re-entered.
    if (!m_drainPosted) {
        m_drainPosted = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_drainPosted = false;
                if (isOpen() && m_queuePos >= m_queue.size())
                    emit outputDrained();
            },
            Qt::QueuedConnection);
    }
}

bool CMSComm::waitSent()
{
    if (!isOpen())
        return false;
    int r;
    do {
        r = ::tcdrain(m_port.handle());
    } while (r != 0 && errno == EINTR);
    return r == 0;
}

QByteArray CMSComm::input()
{
    if (!isOpen())
        return {};
    return m_port.readAll();
}

void CMSComm::discardInput()
{
    if (!isOpen())
        return;
    m_port.clear(QSerialPort::Input);
    m_port.readAll();
}

void CMSComm::discardOutput()
{
    m_queue.clear();
    m_queuePos = 0;
    if (m_writable)
        m_writable->setEnabled(false);
}

qint64 CMSComm::bytesWaiting() const
{
    return isOpen() ? m_port.bytesAvailable() : 0;
}

qint64 CMSComm::bytesQueued() const
{
    return m_queue.size() - m_queuePos;
}

void CMSComm::onPortError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || !isOpen())
        return;
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError
        || error == QSerialPort::WriteError)
        lineLost(m_port.errorString());
}

void CMSComm::lineLost(const QString &why)
{
    // What the system says about a vanished line is seldom helpful (a hung
    // up pseudo-terminal gives "Inappropriate ioctl for device"): the user
    // is told the line is gone, the detail stays in errorString().
    m_error = QStringLiteral("%1: %2 (%3)").arg(m_device, lineLostText(), why);
    emit lineError(lineLostText());
}

LineClock &CMSComm::clock() const
{
    return LineClock::real();
}

// ---- port detection ---------------------------------------------------------

namespace {

int familyRank(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    if (name.startsWith(QLatin1String("ttyUSB")))
        return 0;
    if (name.startsWith(QLatin1String("ttyACM")))
        return 1;
    if (name.startsWith(QLatin1String("ttyS")))
        return 3;
    return 2;
}

// "/dev/ttyS10" -> ("/dev/ttyS", 10), so ttyS2 comes before ttyS10.
std::pair<QString, qlonglong> splitNumber(const QString &path)
{
    qsizetype i = path.size();
    while (i > 0 && path.at(i - 1).isDigit())
        --i;
    const QString digits = path.mid(i).left(15);
    return {path.left(i), digits.isEmpty() ? -1 : digits.toLongLong()};
}

// A device we could open right now: it exists, has hardware behind it and is
// not held exclusively by another program.
bool deviceUsable(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool usable = ::isatty(fd) == 1;
#ifdef H5_HAVE_TIOCGSERIAL
    // Standard serial nodes exist whether or not a UART is fitted; the
    // driver reports an unknown port type for the empty ones.
    struct serial_struct info;
    std::memset(&info, 0, sizeof info);
    if (usable && ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type == PORT_UNKNOWN)
        usable = false;
#endif
    ::close(fd);
    return usable;
}

} // namespace

QStringList selectPorts(const QStringList &candidates,
                        const std::function<bool(const QString &)> &usable, int max)
{
    QStringList unique;
    QSet<QString> seen;
    for (const QString &c : candidates) {
        if (!c.isEmpty() && !seen.contains(c)) {
            seen.insert(c);
            unique << c;
        }
    }
    std::stable_sort(unique.begin(), unique.end(), [](const QString &a, const QString &b) {
        const int ra = familyRank(a), rb = familyRank(b);
        if (ra != rb)
            return ra < rb;
        const auto [stemA, numberA] = splitNumber(a);
        const auto [stemB, numberB] = splitNumber(b);
        if (stemA != stemB)
            return stemA < stemB;
        return numberA < numberB;
    });
    QStringList out;
    for (const QString &c : std::as_const(unique)) {
        if (int(out.size()) >= max)
            break;
        if (usable(c))
            out << c;
    }
    return out;
}

QStringList detectPorts(int max)
{
    QStringList candidates;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos)
        candidates << info.systemLocation();
    const QDir dev(QStringLiteral("/dev"));
    const QStringList names = dev.entryList(
        {QStringLiteral("ttyS*"), QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*")},
        QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QString &n : names)
        candidates << dev.filePath(n);
    return selectPorts(candidates, deviceUsable, max);
}

} // namespace h5
