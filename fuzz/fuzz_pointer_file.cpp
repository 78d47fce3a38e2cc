// libFuzzer target: pointer (needle) files (.MGL); the properties are in
// PointerFileCheck.h.

#include "PointerFileCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    h5fuzz::checkPointerFileInput(data, size);
    return 0;
}
