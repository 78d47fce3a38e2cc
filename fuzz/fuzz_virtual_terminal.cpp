// libFuzzer target: the virtual terminal's receiver: arbitrary bytes, fed
// whole or in arbitrary pieces, give the same answers and the same flash,
// which survives a save and a load; a reopened line answers the probe.
// The property is in LinkCheck.h.

#include "LinkCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    h5fuzz::checkVirtualTerminalInput(data, size);
    return 0;
}
