// libFuzzer target: GBK bytes and UTF-16 text through the table codec the
// Windows build uses, against Qt's converter. The property is in
// GbkTableCheck.h.

#include "GbkTableCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    h5fuzz::checkGbkTableInput(data, size);
    return 0;
}
