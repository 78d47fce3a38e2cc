// libFuzzer target: the frame table's decoders and the project-data reader.
// The properties are in WireCheck.h.

#include "WireCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    h5fuzz::checkWireInput(data, size);
    return 0;
}
