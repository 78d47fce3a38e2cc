// libFuzzer target: the project file (.wgc); the properties are in
// ProjectFileCheck.h.

#include "ProjectFileCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    h5fuzz::checkProjectFileInput(data, size);
    return 0;
}
