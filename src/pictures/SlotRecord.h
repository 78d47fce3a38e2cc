#pragma once
// The 2060-byte slot record shared by the picture list files (.tbm, .cbm,
// .wbm) and the project's picture position file, and the flash units every
// picture size computation uses.
//
// Layout of one record:
//   0     in-use flag (1 in a slot written by a list save or a build)
//   1     reserved, 0
//   2     picture path (or, in the project's file, the picture's name),
//         GBK, zero padded, 1024 bytes
//   1026  page-use flags, one byte per project page, 1024 bytes
//   2050  width, 16 bits big-endian
//   2052  height, 16 bits big-endian
//   2054  picture number, 16 bits big-endian
//   2056  flash blocks the picture needs (low 8 bits)
//   2057  3 bytes, 0

#include "common/Flash.h"

#include <QByteArray>
#include <array>
#include <cstdint>
#include <string>

namespace h5 {

// Field offsets inside a record. The record size, slot count and flash
// units are in common/Flash.h.
constexpr int kSlotInUseOffset = 0;
constexpr int kSlotPathOffset = 2;
constexpr int kSlotPathSize = 1024;
constexpr int kSlotPageUseOffset = 1026;
constexpr int kSlotPageUseSize = 1024;
constexpr int kSlotWidthOffset = 2050;
constexpr int kSlotHeightOffset = 2052;
constexpr int kSlotNumberOffset = 2054;
constexpr int kSlotBlocksOffset = 2056;

// Flash pages / blocks a w x h picture occupies (two bytes per pixel).
// Negative sizes count as 0.

// Bytes of pixel data of a w x h picture (w * h * 2), 0 for negative sizes.

struct SlotRecord
{
    uint8_t inUse = 0;
    std::string path; // GBK bytes, without the zero padding
    std::array<uint8_t, kSlotPageUseSize> pageUse{};
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t number = 0;
    uint8_t blocks = 0;

    // A slot is occupied when width, height or number is non-zero; the
    // in-use flag is not consulted.
    bool occupied() const { return width != 0 || height != 0 || number != 0; }
    // True when some page-use byte is exactly 1.
    bool usedByAnyPage() const;

    // Reads a record from kSlotSize bytes at `p`. The path is the text up to
    // the first zero byte of its 1024-byte field; with `widePath` (plain
    // record lists) it may run on into the page-use bytes, up to 2048 bytes.
    static SlotRecord fromBytes(const char *p, bool widePath = false);

    // Writes all kSlotSize bytes at `p`, reserved bytes as zero. Fails and
    // writes nothing when the path does not fit its 1024-byte field.
    bool writeTo(char *p) const;

    // Sets width, height and the block count byte from a picture size.
    void setSize(int w, int h);
};

} // namespace h5
