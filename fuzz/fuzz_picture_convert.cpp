// libFuzzer target: picture files converted into the terminal's pixel data
// in a caller's buffer; the properties are in PictureConvertCheck.h.

#include "PictureConvertCheck.h"

#include <QGuiApplication>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The image decoders are found as the application finds them; no
    // display is used.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    h5fuzz::checkPictureConvertInput(data, size);
    return 0;
}
