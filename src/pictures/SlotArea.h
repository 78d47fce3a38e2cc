#pragma once
// The 600-slot area at the head of a saved picture list (.tbm) and of the
// project's picture position file (.cbm): slot j at j * 2060 describes
// picture number j. The data area that follows from offset 1,236,000 holds
// the converted pixels of the occupied slots in number order, each picture
// padded to whole flash pages.

#include "pictures/SlotRecord.h"

#include <QByteArray>
#include <QString>

namespace h5 {

class SlotArea
{
public:
    // 600 all-zero slots.
    SlotArea();

    // Takes the first 1,236,000 bytes of a file image; anything after them
    // (the data area) is ignored. Fails with a message when the image is
    // shorter than the slot area.
    static bool fromBytes(const QByteArray &data, SlotArea &out, QString *error);
    // Reads only the slot area of the file at `path`. Fails with a message
    // when the file cannot be opened or ends inside the slot area.
    static bool load(const QString &path, SlotArea &out, QString *error);

    // Slot i, 0 <= i < 600.
    SlotRecord slot(int i) const;
    // Replaces slot i; fails when the record's path does not fit.
    bool setSlot(int i, const SlotRecord &record);
    // Overwrites slot i with zeros (the number becomes free).
    void clearSlot(int i);

    // First slot whose width, height and number are all zero, or -1.
    int firstFreeSlot() const;
    // First data-area page of picture i: the page counts of the slots with
    // smaller numbers, added up (walkDataArea's Sized rule).
    int64_t startPage(int i) const;

    // The raw 1,236,000 bytes, for in-place edits of single fields.
    const QByteArray &bytes() const { return m_bytes; }
    QByteArray &bytes() { return m_bytes; }

private:
    QByteArray m_bytes;
};

// Page-use flags edited in place in a file image whose first
// kSlotAreaSize bytes are a slot area (shorter images are left alone); the
// rest of every record stays as it is. Both return whether a byte changed.
//
// Every record's flag for page `pageNo` becomes 0: the page is replaced
// and its pictures are claimed anew by its next save.
bool clearPageUse(QByteArray &image, int pageNo);
// Every flag of exactly 1 for page `pageNo` becomes 0, and a record that
// no page uses any more afterwards is zeroed, so its number is free: the
// page left the project.
bool releasePage(QByteArray &image, int pageNo);

// Appends a picture's pixel data to a data area and pads it with zero bytes
// to a whole number of flash pages, so the next picture starts on a page.
void appendPicturePages(QByteArray &dataArea, const QByteArray &pixels);

} // namespace h5
