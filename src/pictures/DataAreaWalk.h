#pragma once
// Where each picture's pixels lie in the data area of a picture list file
// (.tbm, .cbm) or of the project's picture position file. The data area
// follows the 600 slot records from offset 1,236,000 and holds the pixels
// of the pictures one after another in slot order, each padded with zero
// bytes to whole flash pages.
//
// The one rule every reader follows: walk the slots in number order (slot
// j is picture number j; the number field stored in the record is not
// looked at); a slot has data when it has a size (width and height both
// nonzero) and is one of the slots the file's writer gave pixels; a
// picture's data starts at the page where the data of the slots before it
// ends. A slot without data takes no page.
//
// Which slots the writer gave pixels depends on the writer:
//
//  - Sized: a list save writes the pixels of every slot it writes, so in a
//    saved list (.tbm) every slot with a size has data. The file download,
//    the debug window's list open (and so its downloads) and the preview of
//    a built project read list files and position files by this rule.
//  - InUse: the project build marks in use (in-use byte 1) exactly the
//    slots whose pixels it writes, a missing or broken picture's as zero
//    bytes, and zeroes every other record. A page saved after the build
//    may give a new picture a record with a size but no pixels yet, its
//    in-use byte still 0; the project window, which sends the position
//    file of its own project, counts only the slots in use, so the
//    pictures of the build keep their places.
//
// Both rules give the same places for a file written by a list save or
// straight after a build; they differ only for a position file holding a
// slot with a size that is not in use.

#include "common/Flash.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace h5 {

enum class DataSlots {
    Sized, // every slot with a size
    InUse, // slots with a size whose in-use byte is set
};

// One slot as the walk sees it.
struct SlotData
{
    int number = 0; // the slot's position, 0..599
    int width = 0;
    int height = 0;
    bool inUse = false;    // in-use byte nonzero
    bool occupied = false; // width, height or stored number nonzero
    bool hasData = false;  // its pixels lie in the data area
    // First data-area page of its pixels; for a slot without data, where
    // the next slot's data would start.
    int64_t startPage = 0;

    // Pages its data takes, 0 without data.
    int64_t pages() const { return hasData ? picturePages(width, height) : 0; }
    int64_t bytes() const { return hasData ? pictureBytes(width, height) : 0; }
    // Offset of its pixels in the file.
    int64_t dataOffset() const { return kSlotAreaSize + startPage * kFlashPage; }
};

// The 600 slots of the slot area at `slotArea` (kSlotAreaSize bytes).
std::vector<SlotData> walkDataArea(const char *slotArea, DataSlots rule);
// The same for a file image; empty when it ends inside the slot area.
std::vector<SlotData> walkDataArea(const QByteArray &file, DataSlots rule);

} // namespace h5
