// libFuzzer target: the download inputs (a project file's data and a font
// file): a refused input is refused with a reason and nothing goes out; an
// accepted one is sent whole, packet by packet, and the transfer completes.
// The property is in LinkCheck.h.

#include "LinkCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    h5fuzz::checkDownloadInputsInput(data, size);
    return 0;
}
