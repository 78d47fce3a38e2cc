#include "port/CMSComm.h"

#include "port/LineClock.h"
#include "port/PortPlatform.h"

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
#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace h5 {

// ---- the line ---------------------------------------------------------------

CMSComm::CMSComm(QObject *parent) : SerialLine(parent)
{
    // The port's own read buffer is unbounded, so one input() returns every
    // byte received so far.
    m_port.setReadBufferSize(0);
    connect(&m_port, &QSerialPort::readyRead, this, &SerialLine::received);
    connect(&m_port, &QSerialPort::errorOccurred, this, &CMSComm::onPortError);
#ifdef Q_OS_WIN
    // The port writes in the background; each finished write lets the
    // next slice of the queue go.
    connect(&m_port, &QSerialPort::bytesWritten, this, &CMSComm::pump);
#endif
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
    return portplatform::isPseudoTerminal(device);
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
    m_lowLatency = portplatform::requestLowLatency(m_port);
    m_queue.clear();
    m_queuePos = 0;
#ifndef Q_OS_WIN
    m_writable = new QSocketNotifier(m_port.handle(), QSocketNotifier::Write, this);
    m_writable->setEnabled(false);
    connect(m_writable, &QSocketNotifier::activated, this, &CMSComm::pump);
#endif
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
#ifdef Q_OS_WIN
    // The port is given one slice at a time, and the next one only once it
    // has handed the last to the driver: what still waits here can be
    // discarded, as on Unix where the system takes what fits its buffer.
    constexpr qsizetype kSlice = 4096;
    if (m_queue.isEmpty())
        return; // nothing handed over since the last announcement
    if (m_port.bytesToWrite() == 0 && m_queuePos < m_queue.size()) {
        const qsizetype size = std::min(kSlice, m_queue.size() - m_queuePos);
        const qint64 n = m_port.write(m_queue.constData() + m_queuePos, size);
        if (n <= 0) {
            const QString why = n < 0 ? m_port.errorString() : tr("nothing written");
            m_queue.clear();
            m_queuePos = 0;
            lineLost(why);
            return;
        }
        m_queuePos += qsizetype(n);
    }
    if (m_queuePos < m_queue.size() || m_port.bytesToWrite() > 0)
        return; // bytesWritten brings us back
#else
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
    m_writable->setEnabled(false);
#endif
    m_queue.clear();
    m_queuePos = 0;
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
#ifdef Q_OS_WIN
    // Only what the port already holds is waited for; the queue here stays
    // (with anything added meanwhile behind it) and goes on afterwards.
    QByteArray held = m_queue.mid(m_queuePos);
    m_queue.clear();
    m_queuePos = 0;
    const bool ok = portplatform::drain(m_port);
    held += m_queue.mid(m_queuePos);
    m_queue = held;
    m_queuePos = 0;
    if (!m_queue.isEmpty())
        QMetaObject::invokeMethod(this, &CMSComm::pump, Qt::QueuedConnection);
    return ok;
#else
    return portplatform::drain(m_port);
#endif
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
    return selectPorts(portplatform::portCandidates(), portplatform::deviceUsable, max);
}

} // namespace h5
