// libFuzzer target: the download and project windows' transfers against a
// terminal whose answers and timer ticks are arbitrary: stop and wait (one
// packet per answer, none on a tick), and no transfer is called completed
// unless the terminal took its last packet and everything chosen went out.
// The property is in LinkCheck.h.

#include "LinkCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    h5fuzz::checkTransferSessionInput(data, size);
    return 0;
}
