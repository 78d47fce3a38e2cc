// The block addresses a debug picture download gives are written back into
// the window's list on the entries that still hold the same picture under
// the same number, whatever happened to the list meanwhile.

#include "link/PictureListDownload.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace h5;

namespace {

PictureEntry entry(int number, const char *path, int width = 10, int height = 20)
{
    PictureEntry e;
    e.number = number;
    e.path = path;
    e.width = width;
    e.height = height;
    return e;
}

std::vector<std::string> addresses(const std::vector<PictureEntry> &list)
{
    std::vector<std::string> out;
    for (const PictureEntry &e : list)
        out.push_back(e.blockAddress);
    return out;
}

} // namespace

TEST(PictureListDownload, StartListIsTheEntriesInOrderNonePlaced)
{
    PictureListDownload download;
    EXPECT_FALSE(download.running());
    const std::vector<DebugPicture> list = download.begin({entry(3, "a.bmp", 40, 30), entry(1, "b.bmp", 8, 6)});
    EXPECT_TRUE(download.running());
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].number, 3);
    EXPECT_EQ(list[0].width, 40);
    EXPECT_EQ(list[0].height, 30);
    EXPECT_EQ(list[0].firstBlock, -1);
    EXPECT_EQ(list[1].number, 1);
    ASSERT_EQ(download.entries().size(), 2u);
    EXPECT_EQ(download.entries()[1].path, "b.bmp");
}

// Each case starts a download of a.bmp (0), b.bmp (1) and c.bmp (2), changes
// the list as a user might while it runs, and ends it with blocks 5, 7 and 9.
TEST(PictureListDownload, AddressesLandOnTheSamePictureUnderTheSameNumberOnly)
{
    struct Case
    {
        const char *what;
        std::vector<int> blocks; // what the placement gave, -1: skipped
        std::vector<PictureEntry> listAtEnd;
        std::vector<std::string> expected;
    };
    const std::vector<PictureEntry> started = {entry(0, "a.bmp"), entry(1, "b.bmp"), entry(2, "c.bmp")};
    const Case cases[] = {
        {"list unchanged", {5, 7, 9}, started, {"5", "7", "9"}},
        {"rows moved", {5, 7, 9}, {entry(2, "c.bmp"), entry(0, "a.bmp"), entry(1, "b.bmp")}, {"9", "5", "7"}},
        {"row deleted", {5, 7, 9}, {entry(0, "a.bmp"), entry(2, "c.bmp")}, {"5", "9"}},
        {"renumbered row keeps none", {5, 7, 9}, {entry(0, "a.bmp"), entry(4, "b.bmp"), entry(2, "c.bmp")},
         {"5", "", "9"}},
        {"other picture under the number keeps none", {5, 7, 9},
         {entry(0, "a.bmp"), entry(1, "x.bmp"), entry(2, "c.bmp")}, {"5", "", "9"}},
        {"skipped picture keeps none", {5, -1, 9}, started, {"5", "", "9"}},
        {"picture listed twice takes it twice", {5, 7, 9},
         {entry(0, "a.bmp"), entry(0, "a.bmp"), entry(2, "c.bmp")}, {"5", "5", "9"}},
        {"placement list shorter than the start", {5}, started, {"5", "", ""}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PictureListDownload download;
        std::vector<DebugPicture> placed = download.begin(started);
        placed.resize(c.blocks.size());
        for (size_t i = 0; i < c.blocks.size(); ++i)
            placed[i].firstBlock = c.blocks[i];
        std::vector<PictureEntry> list = c.listAtEnd;
        download.end(placed, list);
        EXPECT_EQ(addresses(list), c.expected);
        EXPECT_FALSE(download.running());
        EXPECT_TRUE(download.entries().empty());
    }
}

TEST(PictureListDownload, CancelledDownloadIsForgotten)
{
    PictureListDownload download;
    download.begin({entry(0, "a.bmp")});
    download.cancel();
    EXPECT_FALSE(download.running());
    EXPECT_TRUE(download.entries().empty());
    // Ending a forgotten download writes nothing.
    std::vector<PictureEntry> list = {entry(0, "a.bmp")};
    download.end({DebugPicture{0, 10, 20, 5}}, list);
    EXPECT_EQ(addresses(list), std::vector<std::string>{""});
}
