// libFuzzer target: the lines written into h5800-sim's control FIFO. The
// property is in SimControlCheck.h.

#include "SimControlCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    h5fuzz::checkSimControlInput(data, size);
    return 0;
}
