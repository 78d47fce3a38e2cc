#include "pictures/DataAreaWalk.h"

#include "common/Bytes.h"
#include "pictures/SlotRecord.h"

namespace h5 {

std::vector<SlotData> walkDataArea(const char *slotArea, DataSlots rule)
{
    std::vector<SlotData> walk(kSlotCount);
    int64_t page = 0;
    for (int j = 0; j < kSlotCount; ++j) {
        const char *rec = slotArea + qsizetype(j) * kSlotSize;
        SlotData &s = walk[size_t(j)];
        s.number = j;
        s.width = getBe16(rec + kSlotWidthOffset);
        s.height = getBe16(rec + kSlotHeightOffset);
        s.inUse = getU8(rec + kSlotInUseOffset) != 0;
        s.occupied = s.width != 0 || s.height != 0 || getBe16(rec + kSlotNumberOffset) != 0;
        s.hasData = s.width != 0 && s.height != 0 && (rule == DataSlots::Sized || s.inUse);
        s.startPage = page;
        page += s.pages();
    }
    return walk;
}

std::vector<SlotData> walkDataArea(const QByteArray &file, DataSlots rule)
{
    if (file.size() < kSlotAreaSize)
        return {};
    return walkDataArea(file.constData(), rule);
}

} // namespace h5
