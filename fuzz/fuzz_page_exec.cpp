// libFuzzer target: the terminal's page execution on arbitrary project data
// and page streams; the properties are in PageExecCheck.h.

#include "PageExecCheck.h"

#include <QGuiApplication>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Texts and numeric controls are drawn with the system's fonts, which
    // need the GUI application; no display is used.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    h5fuzz::checkPageExecInput(data, size);
    return 0;
}
