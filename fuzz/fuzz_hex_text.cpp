// libFuzzer target: hex text as the hex page, hex command files and font
// text files hold it. The property is in HexTextCheck.h.

#include "HexTextCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    h5fuzz::checkHexTextInput(data, size);
    return 0;
}
