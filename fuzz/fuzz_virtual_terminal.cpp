// libFuzzer target: the virtual terminal's receiver: arbitrary bytes, fed
// whole or in arbitrary pieces, give the same answers, the same flash and
// the same screen; the flash survives a save and a load; a reopened line
// answers the probe. The property is in LinkCheck.h.

#include "LinkCheck.h"

#include <QGuiApplication>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Text frames are drawn with the system's fonts, which need the GUI
    // application; no display is used.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    h5fuzz::checkVirtualTerminalInput(data, size);
    return 0;
}
