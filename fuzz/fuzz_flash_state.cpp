// libFuzzer target: the virtual terminal's flash state loader: a refused
// state leaves the flash as it was and says why; an accepted one is saved
// back byte for byte.
// The property is in LinkCheck.h.

#include "LinkCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    h5fuzz::checkFlashStateInput(data, size);
    return 0;
}
