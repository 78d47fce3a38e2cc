#include "link/Registry.h"

#include "common/Bytes.h"
#include "link/Frames.h"

#include <array>

namespace h5 {

std::vector<RegistryRecord> parseRegistryReply(const QByteArray &receiveText)
{
    constexpr int kRecord = 10;
    const QByteArray bytes = decodeReceiveText(receiveText.left(receiveText.size() - 3));
    std::vector<RegistryRecord> out;
    for (qsizetype at = 0; at < bytes.size() - 4 && at + kRecord <= bytes.size(); at += kRecord) {
        const char *p = bytes.constData() + at;
        RegistryRecord r;
        r.number = getLe16(p + 2);
        r.firstBlock = getLe16(p + 4);
        r.width = getLe16(p + 6);
        r.height = getLe16(p + 8);
        out.push_back(r);
    }
    return out;
}

QByteArray emptyRegistryImage() { return QByteArray(kRegistryImageSize, char(0xFF)); }

namespace {

// One slot per flash block: which picture occupies it.
struct BlockSlot
{
    bool used = false;
    int firstBlock = 0;
    int number = 0;
    int width = 0;
    int height = 0;
};

class BlockMap
{
public:
    void clear() { m_slots.fill(BlockSlot()); }

    // Marks blocks first .. first + count - 1 as the picture's, stopping at
    // the last block.
    void occupy(int64_t first, int64_t count, int number, int width, int height)
    {
        for (int64_t b = first; b < first + count && b < kBlockCount; ++b)
            m_slots[size_t(b)] = BlockSlot{true, int(first), number, width, height};
    }

    void release(int number)
    {
        for (BlockSlot &s : m_slots)
            if (s.used && s.number == number)
                s = BlockSlot();
    }

    // Lowest start of `count` free blocks, or -1.
    int findFreeRun(int64_t count) const
    {
        if (count > kBlockCount)
            return -1;
        int run = 0;
        for (int b = 0; b < kBlockCount; ++b) {
            run = m_slots[size_t(b)].used ? 0 : run + 1;
            if (run >= count)
                return b - int(count) + 1;
        }
        return -1;
    }

    QByteArray image() const
    {
        QByteArray out = emptyRegistryImage();
        std::array<bool, kSlotCount> done{};
        for (const BlockSlot &s : m_slots) {
            if (!s.used || s.number < 0 || s.number >= kSlotCount || done[size_t(s.number)])
                continue;
            done[size_t(s.number)] = true;
            char *e = out.data() + s.number * kRegistryEntrySize;
            putLe16(e, uint32_t(s.number));
            putLe16(e + 2, uint32_t(s.firstBlock));
            putLe16(e + 4, uint32_t(s.width));
            putLe16(e + 6, uint32_t(s.height));
        }
        return out;
    }

private:
    std::array<BlockSlot, kBlockCount> m_slots{};
};

} // namespace

Placement placePictures(const std::vector<RegistryRecord> &terminal,
                        std::vector<DownloadPicture> &pictures, RegistryCheck check)
{
    Placement result;
    BlockMap map;

    for (const RegistryRecord &r : terminal) {
        const int64_t blocks = pictureBlocks(r.width, r.height);
        if (r.firstBlock >= kBlockCount
            || (check == RegistryCheck::FirstBlockAndSize && blocks > kBlockCount)) {
            result.registryFaulty = true;
            map.clear();
            break;
        }
        map.occupy(r.firstBlock, blocks, r.number, r.width, r.height);
    }

    for (const DownloadPicture &p : pictures)
        map.release(p.number);

    int64_t next = -1; // >= 0 once the flash is full: lay pictures from block 0 on
    for (DownloadPicture &p : pictures) {
        p.firstBlock = -1;
        const int64_t blocks = p.blocks();
        if (blocks <= 0)
            continue; // no pixels: nothing to place, nothing to register
        if (next < 0) {
            const int s = map.findFreeRun(blocks);
            if (s >= 0) {
                p.firstBlock = s;
                map.occupy(s, blocks, p.number, p.width, p.height);
                continue;
            }
            result.storageFull = true;
            next = 0;
        }
        if (next + blocks > kBlockCount)
            continue;
        p.firstBlock = int(next);
        map.occupy(next, blocks, p.number, p.width, p.height);
        next += blocks;
    }

    result.image = map.image();
    return result;
}

} // namespace h5

