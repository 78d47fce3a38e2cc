// libFuzzer target: picture list files (.tbm, .cbm, .wbm), slot records and
// the slot area; the properties are in PictureListCheck.h.

#include "PictureListCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    h5fuzz::checkPictureListInput(data, size);
    return 0;
}
