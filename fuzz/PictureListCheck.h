#pragma once
// Properties of the picture list files (.tbm, .cbm, .wbm) and the slot
// records they are made of, checked by fuzz_picture_list and replayed by the
// tests.
//
// - A list file that is refused leaves the list and its next storage number
//   as they were, and says why.
// - A 600-slot file (.tbm, .cbm) that is accepted lists exactly its occupied
//   slots with their running start pages; saving that list as a .tbm and
//   opening the saved file gives the same entries again, and the saved data
//   area holds the same pages as the opened one.
// - A .wbm lists its records under the rule that skips a path and number
//   already listed.
// - Every slot record reads back the same after it is written.
// - The data area walk places each slot's data after the data of the slots
//   before it, by either rule (every slot with a size, the slots in use).
//
// Input: byte 0 chooses the file: bits 0..1 the name's ending (.wbm, .tbm,
// .cbm, .WBM, the last read as a 600-slot file), bit 2 set takes the rest
// as the whole file. Otherwise byte 1 is a count K and the rest is K slot
// records (slots 0..K-1, the other slots zero) followed by the data area, so
// short inputs reach the fields of whole 1,236,000-byte files.


#include "FuzzCheck.h"
#include "FuzzTempFiles.h"

#include "common/Bytes.h"
#include "common/Gbk.h"
#include "common/Notifier.h"
#include "pictures/DataAreaWalk.h"
#include "pictures/PictureList.h"
#include "pictures/SlotArea.h"
#include "pictures/SlotRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace h5fuzz {

namespace pictureList {

using namespace h5;

inline bool sameEntry(const PictureEntry &a, const PictureEntry &b)
{
    return a.number == b.number && a.path == b.path && a.width == b.width
        && a.height == b.height && a.start == b.start && a.sourceList == b.sourceList
        && a.blockAddress == b.blockAddress;
}

inline bool sameEntries(const std::vector<PictureEntry> &a, const std::vector<PictureEntry> &b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!sameEntry(a[i], b[i]))
            return false;
    }
    return true;
}

inline int64_t pagesOf(int w, int h) { return (int64_t(w) * h * 2 + kFlashPage - 1) / kFlashPage; }

// Record fields read here independently of SlotRecord.
struct Fields
{
    std::string path;
    int width, height, number;
};

inline Fields fieldsAt(const char *p, std::size_t pathField)
{
    std::size_t n = 0;
    while (n < pathField && p[2 + n] != '\0')
        ++n;
    auto be = [&](int at) { return (uint8_t(p[at]) << 8) | uint8_t(p[at + 1]); };
    return {std::string(p + 2, n), be(2050), be(2052), be(2054)};
}

// A record written and read again is the same record; the bytes written
// are those read, with reserved bytes and the path's padding as zeros. A
// path too long for its field is refused and nothing is written.
inline void checkRecordRoundTrip(const char *p, bool widePath)
{
    const SlotRecord r = SlotRecord::fromBytes(p, widePath);
    const Fields f = fieldsAt(p, widePath ? 2048 : 1024);
    check(r.path == f.path && r.width == f.width && r.height == f.height && r.number == f.number,
          "slot record fields read as the layout says");
    std::vector<char> out(kSlotSize, char(0xA5));
    if (!r.writeTo(out.data())) {
        check(r.path.size() > 1024, "a record whose path fits is written");
        for (char c : out)
            check(c == char(0xA5), "a refused record writes nothing");
        return;
    }
    check(r.path.size() <= 1024, "a path too long for its field is refused");
    std::vector<char> expected(p, p + kSlotSize);
    expected[1] = 0;
    expected[2057] = expected[2058] = expected[2059] = 0;
    std::memset(expected.data() + 2 + r.path.size(), 0, 1024 - r.path.size());
    check(std::memcmp(out.data(), expected.data(), kSlotSize) == 0,
          "a record writes back the bytes it was read from");
    const SlotRecord again = SlotRecord::fromBytes(out.data());
    check(again.path == r.path && again.width == r.width && again.height == r.height
              && again.number == r.number && again.blocks == r.blocks && again.inUse == r.inUse
              && again.pageUse == r.pageUse,
          "a written record reads back the same");
}

// The entries a 600-slot file must give, worked out from its bytes.
inline std::vector<PictureEntry> expectedSlotEntries(const QByteArray &file, const std::string &source,
                                              int64_t *totalPages)
{
    std::vector<PictureEntry> out;
    int64_t running = 0;
    for (int j = 0; j < kSlotCount; ++j) {
        const Fields f = fieldsAt(file.constData() + qsizetype(j) * kSlotSize, 1024);
        if (f.width == 0 && f.height == 0 && f.number == 0)
            continue;
        PictureEntry e;
        e.number = j;
        e.path = f.path;
        e.width = f.width;
        e.height = f.height;
        e.sourceList = source;
        e.start = int(running);
        running += pagesOf(f.width, f.height);
        out.push_back(e);
    }
    *totalPages = running;
    return out;
}

// Saves what a 600-slot file lists as a .tbm, opens the saved file and
// compares: same entries (a 0 x 0 picture numbered 0 is not occupied once
// saved), same pages in the data area, slot records as the save writes them.
inline void checkSaveRoundTrip(const QString &opened, const QByteArray &file,
                        const std::vector<PictureEntry> &entries)
{
    PictureList list;
    RecordingNotifier notifier;
    check(list.open(opened, notifier), "an accepted file opens again");
    const QString saved = h5fuzz::scratchPath(QStringLiteral("saved.tbm"));
    QFile::remove(saved);
    check(list.save(saved, notifier), "a list opened from a slot file saves");
    const QByteArray out = h5fuzz::readScratch(saved);

    QByteArray data;
    std::vector<PictureEntry> expected;
    for (const PictureEntry &e : entries) {
        const int64_t pages = pagesOf(e.width, e.height);
        QByteArray copied = file.mid(kSlotAreaSize + qsizetype(e.start) * kFlashPage,
                                     qsizetype(pages * kFlashPage));
        copied.append(qsizetype(pages * kFlashPage) - copied.size(), '\0');
        PictureEntry x = e;
        x.start = int(data.size() / kFlashPage);
        x.sourceList = toGbk(QDir::cleanPath(QFileInfo(saved).absoluteFilePath()));
        data.append(copied);
        if (e.number == 0 && e.width == 0 && e.height == 0)
            continue;
        expected.push_back(x);
    }
    check(out.size() == kSlotAreaSize + data.size(), "saved file has the slot area and every page");
    check(out.mid(kSlotAreaSize) == data, "saved data area holds the opened file's pages");
    for (const PictureEntry &e : entries) {
        const char *p = out.constData() + qsizetype(e.number) * kSlotSize;
        const Fields f = fieldsAt(p, 1024);
        check(p[0] == 1 && f.path == e.path && f.width == e.width && f.height == e.height
                  && f.number == e.number
                  && uint8_t(p[2056]) == uint8_t(pictureBlocks(e.width, e.height) & 0xFF),
              "saved slot record holds the entry");
    }

    PictureList back;
    check(back.open(saved, notifier), "a saved list opens");
    check(sameEntries(back.entries(), expected), "a saved list opens with the same entries");
    check(notifier.messages.isEmpty(), "a good save and open say nothing");
}

} // namespace pictureList

inline void checkPictureListInput(const uint8_t *data, size_t size)
{
    using namespace h5;
    using namespace pictureList;
    if (size < 1)
        return;
    const int mode = data[0];
    static const char *const kEndings[] = {".wbm", ".tbm", ".cbm", ".WBM"};
    const bool recordList = (mode & 3) == 0;
    const bool raw = (mode & 4) != 0;
    QByteArray file;
    if (raw || recordList) {
        file = QByteArray(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    } else if (size >= 2) {
        const qsizetype given = qsizetype(data[1]) * kSlotSize;
        const qsizetype rest = qsizetype(size - 2);
        file = QByteArray(kSlotAreaSize, '\0');
        std::memcpy(file.data(), data + 2, std::size_t(std::min(given, rest)));
        if (rest > given)
            file.append(reinterpret_cast<const char *>(data) + 2 + given, rest - given);
    } else {
        return;
    }

    for (qsizetype at = 0; at + kSlotSize <= file.size() && at < 4 * kSlotSize; at += kSlotSize) {
        checkRecordRoundTrip(file.constData() + at, true);
        checkRecordRoundTrip(file.constData() + at, false);
    }

    // The slot area: refused when short (leaving the area as it was),
    // otherwise the first 1,236,000 bytes with their start pages.
    SlotArea area;
    area.bytes()[7] = 'x';
    const QByteArray areaBefore = area.bytes();
    QString areaError;
    if (!SlotArea::fromBytes(file, area, &areaError)) {
        check(file.size() < kSlotAreaSize && !areaError.isEmpty() && area.bytes() == areaBefore,
              "a slot area is refused only when short, with a reason, unchanged");
    } else {
        check(area.bytes() == file.left(kSlotAreaSize), "a slot area keeps its bytes");
        int64_t running = 0;
        int firstFree = -1;
        for (int j = 0; j < kSlotCount; ++j) {
            check(area.startPage(j) == running, "start page is the sum of the pages before");
            const SlotRecord r = area.slot(j);
            running += pagesOf(r.width, r.height);
            if (firstFree < 0 && !r.occupied())
                firstFree = j;
        }
        check(area.firstFreeSlot() == firstFree, "first free slot is the first unoccupied one");

        // The walk by the build's rule counts the slots in use only; by
        // either rule a slot's data starts where the data before it ends.
        const std::vector<SlotData> sized = walkDataArea(file, DataSlots::Sized);
        const std::vector<SlotData> inUse = walkDataArea(file, DataSlots::InUse);
        check(sized.size() == size_t(kSlotCount) && inUse.size() == size_t(kSlotCount), "the walk has 600 slots");
        int64_t inUseRunning = 0;
        for (int j = 0; j < kSlotCount && inUse.size() == size_t(kSlotCount); ++j) {
            const SlotRecord r = area.slot(j);
            const bool hasSize = r.width != 0 && r.height != 0;
            check(sized[size_t(j)].hasData == hasSize, "every slot with a size has data");
            check(inUse[size_t(j)].hasData == (hasSize && r.inUse != 0), "in use, only the slots in use have data");
            check(inUse[size_t(j)].startPage == inUseRunning, "in use, a start page sums the slots in use before");
            if (hasSize && r.inUse != 0)
                inUseRunning += pagesOf(r.width, r.height);
        }
    }

    const QString path = h5fuzz::scratchPath(QStringLiteral("list") + QLatin1String(kEndings[mode & 3]));
    h5fuzz::writeScratch(path, file);

    // A list that already holds one picture, as the debug window's may.
    PictureList list;
    PictureEntry held;
    held.number = 3;
    held.path = "C:\\a.bmp";
    held.width = 10;
    held.height = 10;
    list.entries().push_back(held);
    list.setNextNumber(4);
    const std::vector<PictureEntry> before = list.entries();
    RecordingNotifier notifier;
    const bool opened = list.open(path, notifier);
    if (!opened) {
        check(!recordList && file.size() < kSlotAreaSize, "only a short slot file is refused");
        check(!notifier.messages.isEmpty(), "a refused list file is reported");
        check(sameEntries(list.entries(), before) && list.nextNumber() == 4,
              "a refused list file leaves the list as it was");
        return;
    }

    std::vector<PictureEntry> expected = before;
    int next = 4;
    if (recordList) {
        for (qsizetype at = 0; at + kSlotSize <= file.size(); at += kSlotSize) {
            const Fields f = fieldsAt(file.constData() + at, 2048);
            bool listed = false;
            for (const PictureEntry &e : expected)
                listed = listed || (e.number == f.number && e.path == f.path);
            if (listed)
                continue;
            PictureEntry e;
            e.number = f.number;
            e.path = f.path;
            e.width = f.width;
            e.height = f.height;
            expected.push_back(e);
            next = std::max(next, f.number + 1);
        }
        check(sameEntries(list.entries(), expected) && list.nextNumber() == next,
              ".wbm lists its records, skipping those listed");
        return;
    }

    int64_t totalPages = 0;
    const std::string source = toGbk(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    const std::vector<PictureEntry> occupied = expectedSlotEntries(file, source, &totalPages);
    for (const PictureEntry &e : occupied) {
        expected.push_back(e);
        next = std::max(next, e.number + 1);
    }
    check(sameEntries(list.entries(), expected) && list.nextNumber() == next,
          "a slot file lists its occupied slots with running start pages");
    check(notifier.messages.isEmpty(), "an accepted slot file is opened silently");
    // The save makes the whole file in memory: only lists of a few
    // megabytes are saved here.
    if (totalPages <= 2048)
        checkSaveRoundTrip(path, file, occupied);
}

} // namespace h5fuzz
