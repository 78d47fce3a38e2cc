// libFuzzer target: the online debug window's session under any script of
// terminal bytes, timer ticks, drained output and window commands. The
// property is in DebugSessionCheck.h.

#include "DebugSessionCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    h5fuzz::checkDebugSessionInput(data, size);
    return 0;
}
