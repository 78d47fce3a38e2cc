// The terminal's picture registry as the PC reads it, the placement of
// pictures into flash blocks, the registry image, the picture header and
// the picture entries of a list file.

#include "LinkTestSupport.h"

#include "link/DownloadPicture.h"
#include "link/Frames.h"
#include "link/Registry.h"

#include <gtest/gtest.h>

using namespace h5;
using namespace h5linktest;
using h5test::hex;

namespace {

// The receive text of a reply followed by the acknowledge, as the session
// keeps it.
QByteArray textOf(const QByteArray &reply)
{
    QByteArray t;
    appendReceiveText(t, reply + bytes1(0x55));
    return t;
}

QByteArray record(int number, int first, int w, int h)
{
    return h5test::Blob().u16(0xEEEE).u16(unsigned(number)).u16(unsigned(first)).u16(unsigned(w)).u16(unsigned(h)).b;
}

DownloadPicture pic(int number, int w, int h)
{
    DownloadPicture p;
    p.number = number;
    p.width = w;
    p.height = h;
    return p;
}

RegistryRecord rec(int number, int first, int w, int h) { return RegistryRecord{number, first, w, h}; }

QByteArray entry(const QByteArray &image, int n) { return image.mid(n * 8, 8); }

// Sizes giving exact block counts (4096 x 16.5 rows of pixels fill a block).
constexpr int kWide = 4096;
int rowsForBlocks(int blocks) { return blocks * 33 / 2; }

TEST(LinkReceiveText, KeepsEveryByteAsLowerHexAndBlank)
{
    QByteArray t;
    appendReceiveText(t, hex("00 AB 7f"));
    appendReceiveText(t, hex("55"));
    EXPECT_EQ(t, QByteArray("00 ab 7f 55 "));
    EXPECT_EQ(decodeReceiveText(t), hex("00 AB 7F 55"));
}

TEST(LinkReceiveText, NonHexCharacterCountsAsSixteen)
{
    EXPECT_EQ(decodeReceiveText("0g 1g gg "), hex("10 20 10"));
}

TEST(LinkRegistryReply, RecordsStopBeforeTheTerminatorAndSkipTheLeadingWord)
{
    const auto none = parseRegistryReply(textOf(hex("FF FF EE FF")));
    EXPECT_TRUE(none.empty());

    const auto two = parseRegistryReply(textOf(record(3, 0, 100, 100) + record(599, 7, 1, 2) + hex("FF FF EE FF")));
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].number, 3);
    EXPECT_EQ(two[0].firstBlock, 0);
    EXPECT_EQ(two[0].width, 100);
    EXPECT_EQ(two[0].height, 100);
    EXPECT_EQ(two[1].number, 599);
    EXPECT_EQ(two[1].firstBlock, 7);
    EXPECT_EQ(two[1].width, 1);
    EXPECT_EQ(two[1].height, 2);
}

TEST(LinkRegistryReply, RecordCutShortByTheEndIsNotReadPastTheReply)
{
    // One stray byte after a whole record: a second record would start
    // before the terminator but end beyond the reply.
    const auto r = parseRegistryReply(textOf(record(3, 0, 100, 100) + hex("07 FF FF EE FF")));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].number, 3);
}

TEST(LinkRegistryEntries, ImageEntryAndReplyRecordCarryTheSameFourNumbers)
{
    // The terminal answers a registry read with the entries the PC wrote:
    // both ends use one layout, so what one writes the other reads back.
    const RegistryRecord r{599, 0x123, 800, 480};
    EXPECT_EQ(registryReplyRecord(r), hex("00 00 57 02 23 01 20 03 E0 01"));

    QByteArray image = emptyRegistryImage();
    writeRegistryEntry(image.data() + 599 * kRegistryEntrySize, r);
    writeRegistryEntry(image.data() + 3 * kRegistryEntrySize, RegistryRecord{3, 0, 100, 100});
    EXPECT_EQ(image.mid(599 * kRegistryEntrySize), hex("57 02 23 01 20 03 E0 01"));
    const auto entries = registryImageEntries(image);
    ASSERT_EQ(entries.size(), 2u) << "all-FF entries are no picture";
    EXPECT_EQ(entries[0].number, 3);

    QByteArray reply;
    for (const RegistryRecord &e : entries)
        reply += registryReplyRecord(e);
    const auto back = parseRegistryReply(textOf(reply + frameTerminator()));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].number, 599);
    EXPECT_EQ(back[1].firstBlock, 0x123);
    EXPECT_EQ(back[1].width, 800);
    EXPECT_EQ(back[1].height, 480);
}

TEST(LinkPictureHeader, FieldsLowByteFirstBetweenMarkAndTerminator)
{
    EXPECT_EQ(pictureHeader(3, 0, 100, 100), hex("7F 1B 1C 03 00 00 00 64 00 64 00 FF FF EE FF"));
    EXPECT_EQ(pictureHeader(599, 0x123, 800, 480), hex("7F 1B 1C 57 02 23 01 20 03 E0 01 FF FF EE FF"));
}

TEST(LinkDownloadPictures, ZeroSizedSlotsHoldNoPictureAndDataFollowsInNumberOrder)
{
    const QByteArray list = pictureList({{7, 300, 300}, {3, 100, 100}, {5, 0, 40}, {9, 40, 0}, {11, 1, 1, "", false}});
    const auto pics = readDownloadPictures(list);
    ASSERT_EQ(pics.size(), 3u);
    EXPECT_EQ(pics[0].number, 3);
    EXPECT_EQ(pics[0].startPage, 0);
    EXPECT_EQ(pics[1].number, 7);
    EXPECT_EQ(pics[1].startPage, 10); // 20000 bytes take 10 pages
    EXPECT_EQ(pics[2].number, 11);    // the in-use flag is not looked at
    EXPECT_EQ(pics[2].startPage, 10 + 86);
    EXPECT_EQ(dataAreaPages(list.size()), 10 + 86 + 1);
    EXPECT_TRUE(dataAreaHoldsPictures(list.size(), pics));
    EXPECT_FALSE(dataAreaHoldsPictures(list.size() - kPage, pics));
}

TEST(LinkPlacement, ErasedFlashTakesPicturesFromBlockZeroInListOrder)
{
    std::vector<DownloadPicture> pics{pic(7, 300, 300), pic(3, 100, 100)};
    const Placement p = placePictures({}, pics, RegistryCheck::FirstBlock);
    EXPECT_EQ(pics[0].firstBlock, 0);
    EXPECT_EQ(pics[1].firstBlock, 2);
    EXPECT_FALSE(p.registryFaulty);
    EXPECT_FALSE(p.storageFull);
    QByteArray expected = emptyRegistryImage();
    expected.replace(3 * 8, 8, hex("03 00 02 00 64 00 64 00"));
    expected.replace(7 * 8, 8, hex("07 00 00 00 2C 01 2C 01"));
    EXPECT_EQ(p.image, expected);
}

TEST(LinkPlacement, PicturesInTheTerminalKeepTheirBlocksAndEntries)
{
    std::vector<DownloadPicture> pics{pic(3, 100, 100)};
    const Placement p = placePictures({rec(5, 0, 300, 300), rec(6, 3, 10, 10)}, pics, RegistryCheck::FirstBlock);
    EXPECT_EQ(pics[0].firstBlock, 2); // blocks 0, 1 (picture 5) and 3 (picture 6) are taken
    EXPECT_EQ(entry(p.image, 5), hex("05 00 00 00 2C 01 2C 01"));
    EXPECT_EQ(entry(p.image, 6), hex("06 00 03 00 0A 00 0A 00"));
    EXPECT_EQ(entry(p.image, 3), hex("03 00 02 00 64 00 64 00"));
}

TEST(LinkPlacement, PictureSentAgainGivesUpItsOldBlocks)
{
    // Picture 5 sat at block 2; sent again with two blocks it no longer
    // fits there (block 3 belongs to picture 6) and takes the first free run
    // of two after it.
    std::vector<DownloadPicture> again{pic(5, 300, 300)};
    const Placement p =
        placePictures({rec(8, 0, 300, 300), rec(5, 2, 10, 10), rec(6, 3, 10, 10)}, again, RegistryCheck::FirstBlock);
    EXPECT_EQ(again[0].firstBlock, 4);
    EXPECT_EQ(entry(p.image, 5), hex("05 00 04 00 2C 01 2C 01"));

    // Same size: it takes its old place again.
    std::vector<DownloadPicture> same{pic(5, 10, 10)};
    placePictures({rec(8, 0, 300, 300), rec(5, 2, 10, 10), rec(6, 3, 10, 10)}, same, RegistryCheck::FirstBlock);
    EXPECT_EQ(same[0].firstBlock, 2);
}

TEST(LinkPlacement, FirstBlockBeyondTheFlashClearsTheWholeRegistry)
{
    std::vector<DownloadPicture> pics{pic(3, 100, 100)};
    const Placement p =
        placePictures({rec(5, 0, 300, 300), rec(6, 600, 10, 10), rec(8, 9, 10, 10)}, pics, RegistryCheck::FirstBlock);
    EXPECT_TRUE(p.registryFaulty);
    EXPECT_EQ(pics[0].firstBlock, 0);
    QByteArray expected = emptyRegistryImage();
    expected.replace(3 * 8, 8, hex("03 00 00 00 64 00 64 00"));
    EXPECT_EQ(p.image, expected);
}

TEST(LinkPlacement, OversizedRecordIsAFaultOnlyUnderTheSizeCheck)
{
    const std::vector<RegistryRecord> terminal{rec(9, 0, kWide, rowsForBlocks(601))};
    std::vector<DownloadPicture> a{pic(3, 100, 100)};
    const Placement strict = placePictures(terminal, a, RegistryCheck::FirstBlockAndSize);
    EXPECT_TRUE(strict.registryFaulty);
    EXPECT_FALSE(strict.storageFull);

    std::vector<DownloadPicture> b{pic(3, 100, 100)};
    const Placement plain = placePictures(terminal, b, RegistryCheck::FirstBlock);
    EXPECT_FALSE(plain.registryFaulty);
    EXPECT_TRUE(plain.storageFull); // it fills every block up to 599
}

TEST(LinkPlacement, FullFlashIsOverwrittenFromBlockZeroInListOrder)
{
    std::vector<DownloadPicture> pics{pic(7, 300, 300), pic(3, 100, 100)};
    const Placement p = placePictures({rec(9, 0, kWide, rowsForBlocks(600))}, pics, RegistryCheck::FirstBlock);
    EXPECT_TRUE(p.storageFull);
    EXPECT_EQ(pics[0].firstBlock, 0);
    EXPECT_EQ(pics[1].firstBlock, 2);
    EXPECT_EQ(entry(p.image, 7), hex("07 00 00 00 2C 01 2C 01"));
    EXPECT_EQ(entry(p.image, 3), hex("03 00 02 00 64 00 64 00"));
    // Picture 9 still owns blocks 3..599 and keeps its entry.
    EXPECT_EQ(entry(p.image, 9), h5test::Blob().u16(9).u16(0).u16(kWide).u16(unsigned(rowsForBlocks(600))).b);
}

TEST(LinkPlacement, OverwritingNeverRunsPastTheLastBlock)
{
    // Flash full; 400 blocks fit from 0, 300 more would end beyond block
    // 599 and stay unplaced, 100 still fit after the first.
    std::vector<DownloadPicture> pics{pic(1, kWide, rowsForBlocks(400)), pic(2, kWide, rowsForBlocks(300)),
                                      pic(4, kWide, rowsForBlocks(100))};
    const Placement p = placePictures({rec(9, 0, kWide, rowsForBlocks(600))}, pics, RegistryCheck::FirstBlock);
    EXPECT_TRUE(p.storageFull);
    EXPECT_EQ(pics[0].firstBlock, 0);
    EXPECT_FALSE(pics[1].placed());
    EXPECT_EQ(pics[1].firstBlockText(), QString());
    EXPECT_EQ(pics[2].firstBlock, 400);
    EXPECT_EQ(entry(p.image, 2), QByteArray(8, '\xFF'));
}

TEST(LinkPlacement, TerminalRecordReachingPastTheLastBlockKeepsItsEntry)
{
    std::vector<DownloadPicture> pics{pic(3, 300, 300)};
    const Placement p = placePictures({rec(8, 599, 300, 300)}, pics, RegistryCheck::FirstBlockAndSize);
    EXPECT_FALSE(p.registryFaulty);
    EXPECT_EQ(entry(p.image, 8), hex("08 00 57 02 2C 01 2C 01"));
    EXPECT_EQ(pics[0].firstBlock, 0);
}

TEST(LinkPlacement, PictureWithoutPixelsIsNeitherPlacedNorRegistered)
{
    std::vector<DownloadPicture> pics(3);
    pics[0].number = 0;
    pics[0].width = 3; // zero height
    pics[1].number = 1;
    pics[1].height = 5; // zero width
    pics[2].number = 2;
    pics[2].width = pics[2].height = 10;
    const Placement p = placePictures({}, pics, RegistryCheck::FirstBlock);
    EXPECT_FALSE(pics[0].placed());
    EXPECT_FALSE(pics[1].placed());
    EXPECT_EQ(pics[2].firstBlock, 0);
    EXPECT_EQ(p.image.left(16), QByteArray(16, '\xFF'));
    EXPECT_EQ(p.image.mid(16, 8), hex("02 00 00 00 0A 00 0A 00"));
}

TEST(LinkSegments, HeaderFormsAndTheirPageCounts)
{
    const QByteArray data = projectData({2});
    SegmentHeader h;
    ASSERT_TRUE(projectSegmentAt(data, 2055, h));
    EXPECT_EQ(h.size, 11);
    EXPECT_EQ(h.pages, 2);

    for (const char *kind : {"70", "71", "72"}) {
        SCOPED_TRACE(kind);
        const QByteArray shortForm = hex("7F 1B") + hex(kind) + hex("00 00 FF FF EE FF") + pattern(kPage, 3);
        ASSERT_TRUE(projectSegmentAt(shortForm, 0, h));
        EXPECT_EQ(h.size, 9);
        EXPECT_EQ(h.pages, 1);
    }
    ASSERT_TRUE(fontSegmentAt(fontFile({1, 300}), 11 + kPage, h));
    EXPECT_EQ(h.size, 11);
    EXPECT_EQ(h.pages, 300);
}

TEST(LinkSegments, DamagedHeadersAreNamedForWhatIsWrongWithThem)
{
    const QByteArray onePage = pattern(kPage, 1);
    struct Case
    {
        const char *name;
        QByteArray data;
        SegmentFault project;
        SegmentFault font;
    };
    const Case cases[] = {
        {"two bytes", hex("7F 1B"), SegmentFault::CutShort, SegmentFault::CutShort},
        {"long header cut inside", hex("7F 1B 56 00 00 01 00 FF"), SegmentFault::CutShort, SegmentFault::CutShort},
        {"unknown kind", hex("7F 1B 2A 00 00 FF FF EE FF") + onePage, SegmentFault::NotAHeader,
         SegmentFault::NotAHeader},
        {"no mark", hex("00 1B 56 00 00 01 00 FF FF EE FF") + onePage, SegmentFault::NotAHeader,
         SegmentFault::NotAHeader},
        {"no terminator", hex("7F 1B 56 00 00 01 00 FF FF EE FE") + onePage, SegmentFault::NotAHeader,
         SegmentFault::NotAHeader},
        {"short form without terminator", hex("7F 1B 71 00 00 FF FF 00 FF") + onePage, SegmentFault::NotAHeader,
         SegmentFault::NotAHeader},
        {"long header announcing no page", hex("7F 1B 56 00 00 00 00 FF FF EE FF") + onePage,
         SegmentFault::NoPages, SegmentFault::NotAHeader},
        {"long header above 255 pages", hex("7F 1B 56 00 00 01 01 FF FF EE FF") + onePage,
         SegmentFault::TooManyPages, SegmentFault::NotAHeader},
        {"long header announcing more than is there", hex("7F 1B 56 00 00 02 00 FF FF EE FF") + onePage,
         SegmentFault::PastEnd, SegmentFault::NotAHeader},
        {"short form without its page", hex("7F 1B 70 00 00 FF FF EE FF") + onePage.chopped(1),
         SegmentFault::PastEnd, SegmentFault::NotAHeader},
        {"font announcing no page", hex("7F 1B 74 00 00 00 00 FF FF EE FF"), SegmentFault::NotAHeader,
         SegmentFault::NoPages},
        {"font announcing more than is there", fontFile({3}).chopped(1), SegmentFault::NotAHeader,
         SegmentFault::PastEnd},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SegmentHeader h;
        EXPECT_EQ(readProjectSegment(c.data, 0, h), c.project);
        EXPECT_EQ(readFontSegment(c.data, 0, h), c.font);
        EXPECT_FALSE(projectSegmentAt(c.data, 0, h) && fontSegmentAt(c.data, 0, h));
    }
    SegmentHeader h;
    EXPECT_EQ(readProjectSegment(projectData({2}), -1, h), SegmentFault::CutShort);
    EXPECT_EQ(readProjectSegment(projectData({2}), projectData({2}).size(), h), SegmentFault::CutShort);
}

TEST(LinkPercent, SinglePrecisionShareTruncated)
{
    EXPECT_EQ(percent(2055, 6290), 32);
    EXPECT_EQ(percent(6290, 6290), 100);
    // 0.53f and 0.59f lie just below their decimal values.
    EXPECT_EQ(percent(53, 100), 52);
    EXPECT_EQ(percent(59, 100), 58);
    EXPECT_EQ(percent(1, 0), 100);
}

} // namespace
