// libFuzzer target: a page loaded from arbitrary bytes and drawn as
// `h5800 render` draws it; the properties are in DrawPageCheck.h.

#include "DrawPageCheck.h"

#include <QGuiApplication>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Fonts need the GUI application; no display is used.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    h5fuzz::drawPagePictures();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    h5fuzz::checkDrawPageInput(data, size);
    return 0;
}
