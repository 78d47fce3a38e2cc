#pragma once
// A picture list: ordered entries binding picture numbers 0..599 to image
// files, the next storage number handed to added pictures, and the add, open
// and save operations behind the debug window's buttons. The window owns the
// dialogs and passes the chosen paths in.
//
// List files:
//   .tbm  600 slot records (slot j = picture j) followed by the data area:
//         the converted pixels of the occupied slots in number order, each
//         padded to whole flash pages.
//   .cbm  the project's picture position file; same layout, bytes 2..1025 of
//         a slot hold the picture's file name.
//   .wbm  slot records one after another, any count, numbers taken from the
//         records; no data area.

#include "common/Flash.h"
#include "pictures/PictureEntry.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace h5 {

class Notifier;

// The pixels a debug download sends for `entry`: exactly w x h x 2 bytes,
// converted from its image file when it has no source list, else copied
// from the source list's data area. Empty when the picture counts as
// missing: a size of 0, a size beyond the terminal's picture store, an
// image file that cannot be opened, a source list that is gone or ends
// before the picture's data does (no pixel is made up). `why`, when given,
// then says which and names the file. A picture file that opens but cannot
// be drawn is also told as "渲染图象失败！" and its path.
QByteArray entryPixels(const PictureEntry &entry, Notifier &notifier, QString *why = nullptr);

// The largest list files there can be. A 600-slot file (.tbm, .cbm) holds
// its slot area and at most the terminal's whole picture store (600 flash
// blocks) of pixel data; a plain record list (.wbm) at most one record per
// picture number (a remainder shorter than a record is ignored).
inline constexpr qint64 kMaxSlotListBytes = qint64(kSlotAreaSize) + qint64(kSlotCount) * kFlashBlock;
inline constexpr qint64 kMaxRecordListBytes = qint64(kSlotCount + 1) * kSlotSize - 1;

class PictureList
{
public:
    const std::vector<PictureEntry> &entries() const { return m_entries; }
    // Rows are removed or edited by the window through this.
    std::vector<PictureEntry> &entries() { return m_entries; }

    int nextNumber() const { return m_nextNumber; }
    void setNextNumber(int number) { m_nextNumber = number; }

    // Appends one entry per file, in the given order, numbered from the next
    // storage number on. A path longer than 1024 GBK bytes is reported and
    // skipped; once the next number passes 599 the rest is dropped with
    // "图片编号超出！"; a file that does not exist or cannot be opened is
    // skipped without a message. Numbers are not checked against the list.
    // Returns how many entries were appended.
    int addPictures(const QStringList &paths, Notifier &notifier);

    // Appends the pictures of a list file. A path ending exactly in ".wbm"
    // is read as a plain record list (a record whose path and number are
    // already listed is skipped); any other file as a 600-slot .tbm/.cbm
    // whose pictures take the file as their source list. Returns false when
    // nothing was read: silently when the file does not exist, with a
    // message when it cannot be read, is larger than any list file can be
    // (judged before reading) or a 600-slot file is shorter than its slot
    // area. The list and next storage number change only on success.
    bool open(const QString &path, Notifier &notifier);

    // Sorts the list by number and saves it as a .tbm at `path` (".tbm" is
    // appended when the path lacks it). The whole file is made in memory and
    // replaces the target only when every picture could be stored, so a
    // failed save leaves any existing file untouched. After success every
    // entry takes the saved file as its source list, with its start page in
    // it. `savedPath`, when given, receives the target path with its
    // extension, also when the save fails.
    bool save(const QString &path, Notifier &notifier, QString *savedPath = nullptr);

private:
    bool openRecordList(const QString &path, Notifier &notifier);
    bool openSlotFile(const QString &path, Notifier &notifier);

    std::vector<PictureEntry> m_entries;
    int m_nextNumber = 0;
};

} // namespace h5
