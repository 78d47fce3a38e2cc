// libFuzzer target: the built project files as `h5800 preview` and the
// terminal preview read them; the properties are in BuiltProjectCheck.h.

#include "BuiltProjectCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    h5fuzz::checkBuiltProjectInput(data, size);
    return 0;
}
