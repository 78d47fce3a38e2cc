#pragma once
// What the serial line needs of the operating system beyond QSerialPort:
// the Linux low-latency request, telling a pseudo-terminal from a port,
// whether a device can be opened, the machine's port names and waiting for
// the output to leave the line. One implementation per platform:
// PortPlatform_posix.cpp and PortPlatform_win.cpp.

#include <QSerialPort>
#include <QString>
#include <QStringList>

namespace h5::portplatform {

// Asks the driver of the open `port` to hand received bytes over at once
// (Linux: ASYNC_LOW_LATENCY). True when the port runs that way; a driver
// that refuses, and every other system, keeps its default.
bool requestLowLatency(QSerialPort &port);

// True for a pseudo-terminal slave (a virtual terminal's device; Unix only).
bool isPseudoTerminal(const QString &device);

// A device that could be opened right now: it exists, has hardware behind
// it and is not held exclusively by another program.
bool deviceUsable(const QString &device);

// The serial devices of this machine, as the port boxes name them
// (/dev/ttyUSB0, COM3), unsorted, possibly with duplicates.
QStringList portCandidates();

// Waits until the bytes the open `port` has handed to the system have left
// the line. False when the system refuses.
bool drain(QSerialPort &port);

} // namespace h5::portplatform
