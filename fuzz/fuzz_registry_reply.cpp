// libFuzzer target: the terminal's reply to a registry read: receive text
// round trip, the records exactly the reply's 10-byte pieces, and a placement
// around them that keeps every picture inside the 600 blocks and lists
// exactly the placed pictures.
// The property is in LinkCheck.h.

#include "LinkCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    h5fuzz::checkRegistryReplyInput(data, size);
    return 0;
}
