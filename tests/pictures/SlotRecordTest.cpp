// The 2060-byte slot record, the 600-slot area and the flash unit counts.

#include "pictures/SlotArea.h"
#include "pictures/SlotRecord.h"

#include <gtest/gtest.h>

using namespace h5;

namespace {

QByteArray fromHex(const char *hex) { return QByteArray::fromHex(hex); }

TEST(PictureSlotRecord, FieldsSitAtTheirOffsetsWithBigEndianNumbers)
{
    SlotRecord r;
    r.inUse = 1;
    r.path = "C:\\a.bmp";
    r.pageUse[0] = 1;
    r.pageUse[1023] = 1;
    r.width = 0x0140;
    r.height = 0x01E0;
    r.number = 0x0257;
    r.blocks = 6;
    QByteArray bytes(kSlotSize, '\x55');
    ASSERT_TRUE(r.writeTo(bytes.data()));

    EXPECT_EQ(bytes.mid(0, 2), fromHex("0100"));
    EXPECT_EQ(bytes.mid(2, 9), QByteArray("C:\\a.bmp", 9)); // text and its zero
    EXPECT_EQ(bytes.mid(11, 1015), QByteArray(1015, '\0'));
    EXPECT_EQ(bytes.mid(1026, 2), fromHex("0100"));
    EXPECT_EQ(bytes.mid(2048, 2), fromHex("0001"));
    EXPECT_EQ(bytes.mid(2050, 10), fromHex("014001e00257" "06000000"));

    const SlotRecord back = SlotRecord::fromBytes(bytes.constData());
    EXPECT_EQ(back.inUse, 1);
    EXPECT_EQ(back.path, r.path);
    EXPECT_EQ(back.pageUse, r.pageUse);
    EXPECT_EQ(back.width, 0x0140);
    EXPECT_EQ(back.height, 0x01E0);
    EXPECT_EQ(back.number, 0x0257);
    EXPECT_EQ(back.blocks, 6);
}

TEST(PictureSlotRecord, PathLongerThanItsFieldIsRefusedNotSpilledIntoPageUse)
{
    QByteArray bytes(kSlotSize, '\x55');
    SlotRecord r;
    r.path = std::string(1024, 'p'); // fills the field exactly, no terminator
    ASSERT_TRUE(r.writeTo(bytes.data()));
    EXPECT_EQ(SlotRecord::fromBytes(bytes.constData()).path, r.path);
    EXPECT_EQ(bytes.at(1026), '\0');

    const QByteArray before = bytes;
    r.path = std::string(1025, 'p');
    EXPECT_FALSE(r.writeTo(bytes.data()));
    EXPECT_EQ(bytes, before);
}

TEST(PictureSlotRecord, WidePathRunsIntoPageUseBytesOnlyWhenAsked)
{
    // Plain record lists read the path up to 2048 bytes; slot files stop at
    // the end of the 1024-byte field.
    QByteArray bytes(kSlotSize, '\0');
    std::fill_n(bytes.data() + 2, 1500, 'q');
    EXPECT_EQ(SlotRecord::fromBytes(bytes.constData(), true).path.size(), 1500u);
    EXPECT_EQ(SlotRecord::fromBytes(bytes.constData(), false).path.size(), 1024u);
    std::fill_n(bytes.data() + 2, 2048, 'q');
    EXPECT_EQ(SlotRecord::fromBytes(bytes.constData(), true).path.size(), 2048u);
}

TEST(PictureSlotRecord, OccupiedWhenAnySizeOrNumberFieldIsSetRegardlessOfInUse)
{
    struct Case
    {
        uint8_t inUse;
        uint16_t w, h, n;
        bool occupied;
    };
    for (const Case &c : {Case{1, 0, 0, 0, false}, Case{0, 1, 0, 0, true}, Case{0, 0, 1, 0, true},
                          Case{0, 0, 0, 1, true}, Case{1, 320, 240, 0, true}}) {
        SlotRecord r;
        r.inUse = c.inUse;
        r.width = c.w;
        r.height = c.h;
        r.number = c.n;
        QByteArray bytes(kSlotSize, '\0');
        ASSERT_TRUE(r.writeTo(bytes.data()));
        EXPECT_EQ(SlotRecord::fromBytes(bytes.constData()).occupied(), c.occupied)
            << int(c.inUse) << " " << c.w << "x" << c.h << " #" << c.n;
    }
}

TEST(PictureSlotRecord, FlashPagesAndBlocksRoundUp)
{
    struct Case
    {
        int w, h;
        int64_t pages, blocks;
    };
    const Case cases[] = {
        {320, 240, 73, 2},  {800, 480, 364, 6}, {0, 0, 0, 0},      {0, 100, 0, 0},
        {1, 1, 1, 1},       {1056, 1, 1, 1},    {1057, 1, 2, 1},   {256, 264, 64, 1},
        {257, 264, 65, 2},  {-5, 10, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        EXPECT_EQ(picturePages(c.w, c.h), c.pages);
        EXPECT_EQ(pictureBlocks(c.w, c.h), c.blocks);
    }
}

TEST(PictureSlotRecord, BlockCountByteKeepsLowEightBits)
{
    SlotRecord r;
    r.setSize(800, 480);
    EXPECT_EQ(r.blocks, 6);
    r.setSize(65535, 65535); // 63,549 blocks
    EXPECT_EQ(r.width, 65535);
    EXPECT_EQ(r.blocks, 63549 & 0xFF);
}

TEST(PictureSlotArea, ShortImageIsAnErrorAndDataAreaIsIgnored)
{
    SlotArea area;
    QString error;
    EXPECT_FALSE(SlotArea::fromBytes(QByteArray(kSlotAreaSize - 1, '\0'), area, &error));
    EXPECT_FALSE(error.isEmpty());

    QByteArray file(kSlotAreaSize + 5000, '\x07');
    ASSERT_TRUE(SlotArea::fromBytes(file, area, &error));
    EXPECT_EQ(area.bytes().size(), kSlotAreaSize);
}

TEST(PictureSlotArea, FreeSlotAndStartPagesFollowOccupiedSlots)
{
    SlotArea area;
    EXPECT_EQ(area.firstFreeSlot(), 0);
    SlotRecord r;
    r.setSize(320, 240); // 73 pages
    ASSERT_TRUE(area.setSlot(0, r));
    r.setSize(800, 480); // 364 pages
    ASSERT_TRUE(area.setSlot(2, r));
    EXPECT_EQ(area.firstFreeSlot(), 1);
    EXPECT_EQ(area.startPage(0), 0);
    EXPECT_EQ(area.startPage(2), 73);
    EXPECT_EQ(area.startPage(3), 73 + 364);
    EXPECT_EQ(area.slot(2).width, 800);

    area.clearSlot(0);
    EXPECT_EQ(area.firstFreeSlot(), 0);
    EXPECT_EQ(area.startPage(3), 364);
}

TEST(PictureSlotArea, PicturesArePaddedToWholeFlashPages)
{
    QByteArray data;
    appendPicturePages(data, QByteArray(320 * 240 * 2, '\x11'));
    EXPECT_EQ(data.size(), 154176);
    EXPECT_EQ(data.mid(153600), QByteArray(576, '\0'));
    appendPicturePages(data, QByteArray(2112, '\x22'));
    EXPECT_EQ(data.size(), 154176 + 2112);
    appendPicturePages(data, QByteArray());
    EXPECT_EQ(data.size(), 154176 + 2112);
}

} // namespace

// Removing a page from the records: a plain replacement only clears its
// flags; a page leaving the project also frees the numbers nothing else
// uses. Other pages' flags, other values than 1 and short images stay.
TEST(PictureSlotArea, PageUseEditsTouchOnlyThatPagesFlagsAndFreeOnlyUnusedRecords)
{
    SlotArea area;
    SlotRecord shared;
    shared.number = 0;
    shared.setSize(10, 10);
    shared.path = "a.bmp";
    shared.pageUse[3] = 1;
    shared.pageUse[5] = 1;
    ASSERT_TRUE(area.setSlot(0, shared));
    SlotRecord alone = shared;
    alone.number = 1;
    alone.pageUse = {};
    alone.pageUse[3] = 1;
    ASSERT_TRUE(area.setSlot(1, alone));
    SlotRecord odd = alone;
    odd.number = 2;
    odd.pageUse[3] = 2; // not a use: left alone by a release
    ASSERT_TRUE(area.setSlot(2, odd));

    QByteArray released = area.bytes();
    EXPECT_TRUE(releasePage(released, 3));
    SlotArea after;
    ASSERT_TRUE(SlotArea::fromBytes(released, after, nullptr));
    EXPECT_EQ(after.slot(0).pageUse[3], 0);
    EXPECT_EQ(after.slot(0).pageUse[5], 1);
    EXPECT_EQ(after.slot(0).path, "a.bmp");
    EXPECT_FALSE(after.slot(1).occupied()); // freed
    EXPECT_EQ(after.slot(2).pageUse[3], 2);
    EXPECT_FALSE(releasePage(released, 3));

    QByteArray cleared = area.bytes();
    EXPECT_TRUE(clearPageUse(cleared, 3));
    ASSERT_TRUE(SlotArea::fromBytes(cleared, after, nullptr));
    EXPECT_EQ(after.slot(1).pageUse[3], 0);
    EXPECT_TRUE(after.slot(1).occupied()); // kept: the next save claims it again
    EXPECT_EQ(after.slot(2).pageUse[3], 0);

    QByteArray shortImage(100, '\1');
    EXPECT_FALSE(clearPageUse(shortImage, 3));
    EXPECT_FALSE(releasePage(shortImage, 3));
    EXPECT_EQ(shortImage, QByteArray(100, '\1'));
    EXPECT_FALSE(clearPageUse(cleared, 1024));
}
