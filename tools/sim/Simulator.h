#pragma once
// The virtual terminal on a pseudo-terminal: the PC opens the slave device
// like a serial port, the simulator reads the master side and answers with
// VirtualTerminal.

#include "terminal/VirtualTerminal.h"

#include <QString>

namespace h5sim {

struct Options
{
    QString link;            // symlink to the device, made at start, removed at exit
    QString flash;           // state file; empty = flash lives in memory only
    int baudDelay = 0;       // emulated line speed in bits per second; 0 = none
    bool verbose = false;    // log frames and transfers on stderr
    QString control;         // FIFO of control lines (terminal/SimControl.h); empty = none
    int width = 800;         // screen resolution, one of the terminal's
    int height = 480;
    QString screenshot;      // PNG of the screen after every change; empty = none
    bool window = false;     // show the screen in a window (SimWindow)
    h5::VirtualTerminal::Faults faults;
};

// Runs until SIGINT, SIGTERM or SIGHUP, a hang-up fault fires or a "quit"
// line arrives on the control FIFO.
// Prints the device path on stdout first. Returns the process exit code.
int run(const Options &options);

} // namespace h5sim
