#pragma once
// The page compiler: turns a page into its instruction file (the stream the
// terminal executes to draw the page, followed by the blocks that define the
// page's controls) and lists the stored pictures the page shows, for the
// picture position file. Compiling reads and writes no file; the caller
// saves the result.

#include "common/Flash.h"
#include "common/Notifier.h"
#include "model/Page.h"

#include <QByteArray>
#include <QString>
#include <string>
#include <vector>

namespace h5 {

// One bitmap element of the page: which stored picture it shows, and its size.
struct PictureUse
{
    std::string name; // GBK file name of the picture
    int number = 0;   // picture number 0..599
    int width = 0;
    int height = 0;
    int blocks = 0;   // flash blocks of the converted picture
};

struct CompiledPage
{
    bool ok = false;            // false: the page must not be saved; `error` says why
    QString error;
    QByteArray instructionFile; // layer byte + padded stream + control blocks
    int pageLength = 0;         // P, flash pages of the stream, at least 1
    std::vector<PictureUse> pictures; // one per bitmap element, element order
};

// At most this many controls fit the control table of a page.
inline constexpr int kMaxControlTableEntries = 150;

inline constexpr int kMaxPageNo = 1023;

// Compiles page `pageNo`. A pointer control whose dial picture is not on
// the page is reported through `notifier` ("指针控件无配套图片！" and a line
// naming the control ID and the picture) and left out; the rest compiles.
CompiledPage compilePage(const Page &page, int pageNo, Notifier &notifier);

// Whether a bitmap element shows a pointer control's dial: the bitmap's
// file name is the one the control names. The compiler takes a pointer
// control's dial from such a bitmap of its page and compiles nothing for a
// control without one.
bool showsDialOf(const CGraph &bitmap, const CGraph &pointer);

// Writes this page's picture uses into the picture position file image:
// for every picture number the page's usage flag, and for the pictures the
// page shows their name, width, height and flash blocks (the first use of a
// number wins). The in-use byte and the number bytes of each record and
// everything after the 600 records are left alone. Fails when the buffer is
// shorter than the 600 records or `pageNo` is outside 0..1023.
bool updatePicturePositions(QByteArray &positionFile, int pageNo,
                            const std::vector<PictureUse> &uses, QString *error);

} // namespace h5
