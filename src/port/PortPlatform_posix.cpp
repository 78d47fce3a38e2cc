// The serial line on Unix: the port's file descriptor, termios and the
// Linux serial ioctls.

#include "port/PortPlatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <cerrno>
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

namespace h5::portplatform {

bool requestLowLatency(QSerialPort &port)
{
#ifdef H5_HAVE_TIOCGSERIAL
    const int fd = port.handle();
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
    (void)port;
    return false;
#endif
}

bool isPseudoTerminal(const QString &device)
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

bool deviceUsable(const QString &device)
{
    const QByteArray name = QFile::encodeName(device);
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

QStringList portCandidates()
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
    return candidates;
}

bool drain(QSerialPort &port)
{
    int r;
    do {
        r = ::tcdrain(port.handle());
    } while (r != 0 && errno == EINTR);
    return r == 0;
}

} // namespace h5::portplatform
