#pragma once
// The terminal's picture registry as the PC sees it: the records of its
// reply to a registry read, the 600-slot block map the PC keeps while it
// places pictures into flash blocks, and the 4800-byte registry image it
// writes back (also the content of "RegistFile.wcf").

#include "link/DownloadPicture.h"

#include <QByteArray>
#include <vector>

namespace h5 {

inline constexpr int kRegistryEntrySize = 8;
inline constexpr int kRegistryImageSize = kSlotCount * kRegistryEntrySize; // 4800
inline constexpr int kRegistryLastPacket = kRegistryImageSize - 2 * kFlashPage; // 576
inline constexpr int kRegistryRecordSize = 10;
inline constexpr int kBlockCount = 600; // flash blocks 0..599

// One picture of the registry: an 8-byte entry of the registry image
// (number, first block, width, height, 16 bits each, low byte first), and
// the same four numbers in a 10-byte record of the registry reply (bytes
// 0..1 are not used).
struct RegistryRecord
{
    int number = 0;
    int firstBlock = 0;
    int width = 0;
    int height = 0;
};

// Writes the 8-byte registry image entry of `r` at `entry`.
void writeRegistryEntry(char *entry, const RegistryRecord &r);
// The entries of a registry image that are not all FF, in number order.
std::vector<RegistryRecord> registryImageEntries(const QByteArray &image);
// The 10-byte reply record of `r`: two unused zero bytes, then its entry.
QByteArray registryReplyRecord(const RegistryRecord &r);

// The records of a registry reply held in a receive text: the last three
// characters (the acknowledge that followed the reply) are dropped, the
// rest decoded, and 10-byte records taken at offsets 0, 10, 20, ... while
// the offset is below the decoded length minus 4, so the terminator is not
// read as a record. A record cut short by the end of the reply is ignored.
std::vector<RegistryRecord> parseRegistryReply(const QByteArray &receiveText);

// How strictly a terminal registry is judged before placement.
enum class RegistryCheck {
    FirstBlock,         // a first block above 599 makes it faulty
    FirstBlockAndSize,  // ... and so does a record needing more than 600 blocks
};

struct Placement
{
    QByteArray image;           // 4800 bytes
    bool registryFaulty = false; // show "图片注册表出错，全部清除。"
    bool storageFull = false;    // show "存储空间已满，从头覆盖。"
};

// Places `pictures` (their firstBlock is set) around the pictures the
// terminal already holds (`terminal`; pass none to place as into an empty
// flash) and builds the registry image.
//
// A faulty registry is treated as empty. A picture sent again gives up its
// old blocks. Each picture takes the lowest run of free blocks; when none is
// left, it and every later one are laid one after another from block 0
// over whatever is there. Nothing is ever placed beyond block 599: a
// terminal record reaching past it keeps only its blocks up to 599, and a
// picture that cannot end at or before block 599 stays unplaced
// (firstBlock -1) and gets no registry entry; later pictures still try. A
// picture without pixels (zero width or height) is never placed.
Placement placePictures(const std::vector<RegistryRecord> &terminal,
                        std::vector<DownloadPicture> &pictures, RegistryCheck check);

// The empty registry: 4800 bytes of FF, what erasing the flash writes.
QByteArray emptyRegistryImage();

} // namespace h5
