#include "link/Registry.h"

#include "common/Bytes.h"
#include "link/Frames.h"

#include <array>

namespace h5 {

namespace {

// The four numbers of an 8-byte entry at `p`.
RegistryRecord readEntry(const char *p)
{
    return RegistryRecord{getLe16(p), getLe16(p + 2), getLe16(p + 4), getLe16(p + 6)};
}

} // namespace

void writeRegistryEntry(char *entry, const RegistryRecord &r)
{
    putLe16(entry, uint32_t(r.number));
    putLe16(entry + 2, uint32_t(r.firstBlock));
    putLe16(entry + 4, uint32_t(r.width));
    putLe16(entry + 6, uint32_t(r.height));
}

std::vector<RegistryRecord> registryImageEntries(const QByteArray &image)
{
    static const QByteArray unused(kRegistryEntrySize, char(0xFF));
    std::vector<RegistryRecord> out;
    for (qsizetype at = 0; at + kRegistryEntrySize <= image.size(); at += kRegistryEntrySize) {
        const char *e = image.constData() + at;
        if (QByteArray::fromRawData(e, kRegistryEntrySize) != unused)
            out.push_back(readEntry(e));
    }
    return out;
}

QByteArray registryReplyRecord(const RegistryRecord &r)
{
    QByteArray out(kRegistryRecordSize, '\0');
    writeRegistryEntry(out.data() + 2, r);
    return out;
}

std::vector<RegistryRecord> parseRegistryReply(const QByteArray &receiveText)
{
    const QByteArray bytes = decodeReceiveText(receiveText.left(receiveText.size() - 3));
    std::vector<RegistryRecord> out;
    for (qsizetype at = 0; at < bytes.size() - kTerminatorSize && at + kRegistryRecordSize <= bytes.size();
         at += kRegistryRecordSize)
        out.push_back(readEntry(bytes.constData() + at + 2));
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
            writeRegistryEntry(out.data() + s.number * kRegistryEntrySize,
                               RegistryRecord{s.number, s.firstBlock, s.width, s.height});
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

