// The serial line on Windows: ports are named COM1, COM2, ... as the
// system lists them; QSerialPort does all the writing.

#include "port/PortPlatform.h"

#include <QSerialPortInfo>

#include <windows.h>

namespace h5::portplatform {

// Windows drivers have no such request (a USB adapter's latency timer is a
// setting of its driver).
bool requestLowLatency(QSerialPort &)
{
    return false;
}

bool isPseudoTerminal(const QString &)
{
    return false;
}

bool deviceUsable(const QString &device)
{
    QString path = device;
    if (!path.startsWith(QLatin1String("\\\\.\\")))
        path.prepend(QLatin1String("\\\\.\\"));
    // Serial ports are opened exclusively: one held by another program
    // cannot be opened here either.
    const HANDLE h = CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()),
                                 GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

QStringList portCandidates()
{
    QStringList candidates;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos)
        candidates << info.portName();
    return candidates;
}

// The port writes in the background: wait until it has handed every byte to
// the driver, then until the driver has sent them (FlushFileBuffers waits
// for a serial port's transmit buffer to empty).
bool drain(QSerialPort &port)
{
    while (port.bytesToWrite() > 0) {
        if (!port.waitForBytesWritten(30000))
            return false;
    }
    return FlushFileBuffers(reinterpret_cast<HANDLE>(port.handle())) != 0;
}

} // namespace h5::portplatform
