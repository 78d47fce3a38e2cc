#include "pictures/SlotRecord.h"

#include "common/Bytes.h"

#include <algorithm>
#include <cstring>

namespace h5 {

bool SlotRecord::usedByAnyPage() const
{
    return std::find(pageUse.begin(), pageUse.end(), uint8_t(1)) != pageUse.end();
}

SlotRecord SlotRecord::fromBytes(const char *p, bool widePath)
{
    SlotRecord r;
    r.inUse = getU8(p + kSlotInUseOffset);
    const std::size_t field = widePath ? kSlotPathSize + kSlotPageUseSize : kSlotPathSize;
    const char *text = p + kSlotPathOffset;
    const void *zero = std::memchr(text, 0, field);
    r.path.assign(text, zero ? static_cast<const char *>(zero) - text : field);
    std::memcpy(r.pageUse.data(), p + kSlotPageUseOffset, kSlotPageUseSize);
    r.width = getBe16(p + kSlotWidthOffset);
    r.height = getBe16(p + kSlotHeightOffset);
    r.number = getBe16(p + kSlotNumberOffset);
    r.blocks = getU8(p + kSlotBlocksOffset);
    return r;
}

bool SlotRecord::writeTo(char *p) const
{
    if (path.size() > std::size_t(kSlotPathSize))
        return false;
    std::memset(p, 0, kSlotSize);
    putU8(p + kSlotInUseOffset, inUse);
    std::memcpy(p + kSlotPathOffset, path.data(), path.size());
    std::memcpy(p + kSlotPageUseOffset, pageUse.data(), kSlotPageUseSize);
    putBe16(p + kSlotWidthOffset, width);
    putBe16(p + kSlotHeightOffset, height);
    putBe16(p + kSlotNumberOffset, number);
    putU8(p + kSlotBlocksOffset, blocks);
    return true;
}

void SlotRecord::setSize(int w, int h)
{
    width = static_cast<uint16_t>(w);
    height = static_cast<uint16_t>(h);
    blocks = static_cast<uint8_t>(pictureBlocks(w, h) & 0xFF);
}

} // namespace h5
