#pragma once
// The pictures a download sends, read from the slot area of a picture list
// (.tbm/.cbm), and where each one's pixels lie in the list's data area.

#include "common/Flash.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace h5 {

struct DownloadPicture
{
    int number = 0; // picture number, the slot index 0..599
    int width = 0;
    int height = 0;
    // First data-area page of the pixels: the pages of the pictures before
    // it in the list, added up.
    int64_t startPage = 0;
    // First flash block given by the placement; -1 before placement and
    // when the picture found no room below block 600 (it is then not sent).
    int firstBlock = -1;

    int64_t bytes() const { return pictureBytes(width, height); }
    int64_t pages() const { return picturePages(width, height); }
    int64_t blocks() const { return pictureBlocks(width, height); }
    bool placed() const { return firstBlock >= 0; }
    // The first block as the windows show it: decimal text, empty when not
    // placed.
    QString firstBlockText() const { return placed() ? QString::number(firstBlock) : QString(); }
    // Offset of the pixels in the list file.
    int64_t dataOffset() const { return kSlotAreaSize + startPage * kFlashPage; }
};

// The pictures of a picture list file image, in number order: every slot
// whose width and height are both nonzero (the in-use flag is not looked
// at; a zero-sized slot holds no picture), placed in the data area by
// walkDataArea's Sized rule (pictures/DataAreaWalk.h).
std::vector<DownloadPicture> readDownloadPictures(const QByteArray &listFile);

// Data-area pages counted from the file length: (length - 1,236,000) / 2112,
// a last page cut short counted whole (the last picture needs only its own
// bytes, not the page's padding).
int64_t dataAreaPages(qint64 listFileLength);

// Whether the data area holds the pixels of every picture: the last one
// needs w x h x 2 bytes from its start page, the others whole pages.
bool dataAreaHoldsPictures(qint64 listFileLength, const std::vector<DownloadPicture> &pictures);

} // namespace h5
