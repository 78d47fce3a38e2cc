// Where each picture's pixels start in the data area of a picture list or
// position file: one walk over the 600 slots (walkDataArea), with the rule
// of the file's writer (every slot with a size, or only the slots in use).
// Four readers used to walk the slots each in their own way; each reader is
// checked here against the walk on the same files: the file download's
// picture list (readDownloadPictures), the list open of the debug window
// (PictureList), the slot area's start page, and the pictures of a built
// project's preview (positionFilePictures). The project window's walk over
// the slots in use is in SendProjectSessionTest.

#include "common/Bytes.h"
#include "common/Notifier.h"
#include "link/DownloadPicture.h"
#include "pictures/DataAreaWalk.h"
#include "pictures/PictureList.h"
#include "pictures/SlotArea.h"
#include "pictures/SlotRecord.h"
#include "terminal/PageRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace h5;

namespace {

// One slot record of a test file.
struct Slot
{
    int position;
    int width;
    int height;
    int storedNumber; // the record's number field
    bool inUse = true;
};

// What the walk must say of a slot: its data and start page by each rule.
struct Expect
{
    int position;
    bool sizedData;
    int64_t sizedStart;
    bool inUseData;
    int64_t inUseStart;
};

struct Case
{
    const char *name;
    std::vector<Slot> records;
    std::vector<Expect> expect; // every slot not named has no data
};

QByteArray slotArea(const std::vector<Slot> &records)
{
    QByteArray f(kSlotAreaSize, '\0');
    for (const Slot &s : records) {
        char *rec = f.data() + qsizetype(s.position) * kSlotSize;
        putU8(rec + kSlotInUseOffset, s.inUse ? 1 : 0);
        putBe16(rec + kSlotWidthOffset, uint16_t(s.width));
        putBe16(rec + kSlotHeightOffset, uint16_t(s.height));
        putBe16(rec + kSlotNumberOffset, uint16_t(s.storedNumber));
        rec[kSlotPathOffset] = 'p';
    }
    return f;
}

// The marker byte of data-area page k.
char pageMark(int64_t k) { return char(k % 251 + 1); }

const int64_t kHuge = picturePages(65535, 65535);

std::vector<Case> cases()
{
    return {
        {"every slot empty", {}, {}},
        {"gaps between pictures",
         {{3, 40, 30, 3}, {10, 100, 100, 10}, {599, 10, 10, 599}},
         {{3, true, 0, true, 0}, {10, true, 2, true, 2}, {599, true, 12, true, 12}}},
        {"zero-size slots take no page",
         {{1, 0, 30, 1}, {2, 30, 0, 2}, {3, 0, 0, 7}, {5, 20, 20, 5}, {6, 1056, 1, 6}, {7, 1, 1, 7}},
         {{5, true, 0, true, 0}, {6, true, 1, true, 1}, {7, true, 2, true, 2}}},
        {"stored numbers out of order follow the slot's position",
         {{2, 30, 30, 9}, {4, 40, 30, 4}, {9, 100, 100, 2}},
         {{2, true, 0, true, 0}, {4, true, 1, true, 1}, {9, true, 3, true, 3}}},
        {"a slot with a size not in use",
         {{1, 100, 100, 1, false}, {4, 10, 10, 4}, {8, 40, 30, 8, false}, {9, 20, 20, 9}},
         {{1, true, 0, false, 0}, {4, true, 10, true, 0}, {8, true, 11, false, 1}, {9, true, 13, true, 1}}},
        {"the largest size",
         {{0, 65535, 65535, 0}, {1, 10, 10, 1}},
         {{0, true, 0, true, 0}, {1, true, kHuge, true, kHuge}}},
    };
}

} // namespace

TEST(DataAreaWalk, EachPictureStartsWhereTheDataOfTheSlotsBeforeItEnds)
{
    for (const Case &c : cases()) {
        SCOPED_TRACE(c.name);
        const QByteArray area = slotArea(c.records);
        for (const DataSlots rule : {DataSlots::Sized, DataSlots::InUse}) {
            const bool sized = rule == DataSlots::Sized;
            SCOPED_TRACE(sized ? "every slot with a size" : "slots in use");
            const std::vector<SlotData> walk = walkDataArea(area, rule);
            ASSERT_EQ(walk.size(), size_t(kSlotCount));
            std::vector<bool> named(kSlotCount, false);
            for (const Expect &e : c.expect) {
                named[size_t(e.position)] = true;
                const SlotData &s = walk[size_t(e.position)];
                EXPECT_EQ(s.hasData, sized ? e.sizedData : e.inUseData) << "slot " << e.position;
                EXPECT_EQ(s.startPage, sized ? e.sizedStart : e.inUseStart) << "slot " << e.position;
            }
            int64_t end = 0;
            for (const SlotData &s : walk) {
                EXPECT_EQ(s.number, int(&s - walk.data()));
                if (!named[size_t(s.number)])
                    EXPECT_FALSE(s.hasData) << "slot " << s.number;
                EXPECT_EQ(s.startPage, end) << "slot " << s.number << ": a gap or an overlap";
                end = s.startPage + s.pages();
            }
        }
    }
}

TEST(DataAreaWalk, ShortFileHasNoSlotsAndOccupiedFollowsSizeAndNumber)
{
    EXPECT_TRUE(walkDataArea(QByteArray(kSlotAreaSize - 1, '\0'), DataSlots::Sized).empty());
    const std::vector<SlotData> walk =
        walkDataArea(slotArea({{1, 0, 30, 1}, {3, 0, 0, 7}, {5, 20, 20, 0}}), DataSlots::Sized);
    EXPECT_TRUE(walk[1].occupied);
    EXPECT_TRUE(walk[3].occupied);
    EXPECT_TRUE(walk[5].occupied);
    EXPECT_FALSE(walk[0].occupied);
    EXPECT_FALSE(walk[1].hasData);
}

// The readers of list files all place pictures by the walk's rule for
// every slot with a size.
TEST(DataAreaWalk, ListReadersPlacePicturesWhereTheWalkDoes)
{
    QTemporaryDir dir;
    for (const Case &c : cases()) {
        SCOPED_TRACE(c.name);
        QByteArray file = slotArea(c.records);
        const std::vector<SlotData> walk = walkDataArea(file, DataSlots::Sized);
        const int64_t pages = walk.back().startPage + walk.back().pages();
        const bool withData = pages < 1000;
        if (withData)
            for (int64_t k = 0; k < pages; ++k)
                file.append(kFlashPage, pageMark(k));

        // The file download's pictures.
        const std::vector<DownloadPicture> download = readDownloadPictures(file);
        size_t d = 0;
        for (const SlotData &s : walk) {
            if (!s.hasData)
                continue;
            ASSERT_LT(d, download.size());
            EXPECT_EQ(download[d].number, s.number);
            EXPECT_EQ(download[d].startPage, s.startPage) << "picture " << s.number;
            ++d;
        }
        EXPECT_EQ(d, download.size());

        // The slot area's start pages.
        SlotArea area;
        ASSERT_TRUE(SlotArea::fromBytes(file, area, nullptr));
        for (const SlotData &s : walk)
            EXPECT_EQ(area.startPage(s.number), s.startPage) << "slot " << s.number;

        // The debug window's list open: one entry per occupied slot.
        const QString path = QDir(dir.path()).filePath(QStringLiteral("walk.tbm"));
        {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            ASSERT_EQ(f.write(file.left(kSlotAreaSize)), kSlotAreaSize);
        }
        PictureList list;
        RecordingNotifier notes;
        ASSERT_TRUE(list.open(path, notes));
        size_t e = 0;
        for (const SlotData &s : walk) {
            if (!s.occupied)
                continue;
            ASSERT_LT(e, list.entries().size());
            EXPECT_EQ(list.entries()[e].number, s.number);
            EXPECT_EQ(list.entries()[e].start, s.startPage) << "picture " << s.number;
            ++e;
        }
        EXPECT_EQ(e, list.entries().size());

        // The preview's stored pictures: each reads its own first page.
        if (!withData)
            continue;
        const auto lookup = positionFilePictures(file);
        for (const SlotData &s : walk) {
            TerminalScreen::Picture picture;
            ASSERT_EQ(lookup(s.number, picture), s.hasData) << "picture " << s.number;
            if (!s.hasData)
                continue;
            EXPECT_EQ(picture.read(0, 1), QByteArray(1, pageMark(s.startPage))) << "picture " << s.number;
        }
    }
}
