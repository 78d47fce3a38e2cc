// Pages run by the terminal's screen: the page index and segments of the
// project data, the frames of a page stream, every control kind drawn as
// its initial state is documented (or as its outline when it cannot be
// drawn), the page cycle on a virtual clock, and page switches from the
// line into the virtual terminal. Project data and frames are built here by
// hand from the byte layouts.

#include "support/TestUtil.h"

#include "common/Flash.h"
#include "terminal/PageRun.h"
#include "terminal/VirtualTerminal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>

using h5test::Blob;
using h5test::hex;

namespace {

constexpr uint16_t kBlack = 0x0000, kWhite = 0xFFFF, kRed = 0xF800, kGreen = 0x07E0,
                   kBlue = 0x001F, kGrey = 0x8410, kDark = 0x4208;

QByteArray frame(int command, const QByteArray &params)
{
    return QByteArray(1, '\x1B') + char(command) + params + hex("FF FF EE FF");
}
QByteArray fill(uint16_t c) { return frame(0x42, Blob().u16(c).b); }
QByteArray rect(uint16_t c, int x1, int y1, int x2, int y2)
{
    return frame(0x41, Blob().u16(c).u16(x1).u16(y1).u16(x2).u16(y2).b);
}
QByteArray delay(int d) { return frame(0x53, Blob().u8(d).b); }
QByteArray next(int n) { return frame(0x50, Blob().u16(n).b); }

struct TestPage
{
    QByteArray stream;
    int layer = 0;
    std::map<int, QByteArray> needles; // by control ID
};

QByteArray padded(QByteArray b)
{
    const qsizetype pages = std::max<qsizetype>(1, (b.size() + h5::kFlashPage - 1) / h5::kFlashPage);
    b.append(QByteArray(pages * h5::kFlashPage - b.size(), '\xFF'));
    return b;
}

// Project data as the build lays it out.
QByteArray projectData(const std::map<int, TestPage> &pages)
{
    QByteArray index(2 * h5::kPageSlots, '\xFF');
    QByteArray segments;
    int first = 0;
    for (const auto &[n, pg] : pages) {
        const QByteArray stream = padded(pg.stream);
        const int count = int(stream.size() / h5::kFlashPage);
        const int entry = pg.layer * 16384 + first;
        index[2 * n] = char(entry & 0xFF);
        index[2 * n + 1] = char(entry >> 8);
        segments += hex("7F 1B 56") + Blob().u16(first).u16(count).b + hex("FF FF EE FF") + stream;
        for (const auto &[id, table] : pg.needles)
            segments += hex("7F 1B 72") + Blob().u16(id).b + hex("FF FF EE FF") + padded(table);
        first += count;
    }
    return hex("7F 1B 75 FF FF EE FF") + index + segments;
}

// Stored pictures for the tests: picture 3 is 20 x 10, pixel (x, y) =
// x * 64 + y + 1 (never black).
bool pictures(int number, h5::TerminalScreen::Picture &out)
{
    if (number != 3)
        return false;
    out.width = 20;
    out.height = 10;
    out.read = [](int64_t offset, int64_t length) {
        QByteArray bytes;
        for (int64_t i = offset / 2; i < (offset + length) / 2; ++i) {
            const int x = int(i % 20), y = int(i / 20);
            bytes += Blob().u16(unsigned(x * 64 + y + 1)).b;
        }
        return bytes;
    };
    return true;
}
uint16_t picturePixel(int x, int y) { return uint16_t(x * 64 + y + 1); }

struct Pixel
{
    int x, y;
    uint16_t colour;
};

} // namespace

TEST(PageRun, ProjectPagesAreFoundByTheirIndexEntryWithLayerAndNeedleTables)
{
    std::map<int, TestPage> pages;
    pages[2].stream = fill(kRed) + delay(3) + next(5);
    pages[2].layer = 1;
    pages[2].needles[7] = Blob().u16(1).u16(2).u16(3).u16(4).b;
    pages[5].stream = QByteArray(3000, '\0'); // two flash pages
    h5::ProjectPages read;
    QString error;
    ASSERT_TRUE(h5::readProjectPages(projectData(pages), read, &error)) << error.toStdString();
    EXPECT_EQ(read.pages.keys(), (QList<int>{2, 5}));
    EXPECT_EQ(read.firstPage(), 2); // no page 0: the first present
    EXPECT_EQ(read.pages[2].layer, 1);
    EXPECT_EQ(read.pages[5].firstFlashPage, 1);
    EXPECT_EQ(read.pages[5].stream.size(), 2 * h5::kFlashPage);
    EXPECT_EQ(read.pages[2].needles.value(7).left(8), Blob().u16(1).u16(2).u16(3).u16(4).b);
    EXPECT_TRUE(read.pages[5].needles.isEmpty());
}

TEST(PageRun, DataWithoutProjectHeaderOrWholeIndexIsRefusedAndDamagedSegmentsEndTheReading)
{
    h5::ProjectPages read;
    QString error;
    EXPECT_FALSE(h5::readProjectPages(QByteArray(), read, &error));
    EXPECT_FALSE(h5::readProjectPages(hex("7F 1B 75 FF FF EE FF") + QByteArray(100, '\xFF'), read, &error));
    EXPECT_FALSE(error.isEmpty());

    std::map<int, TestPage> pages;
    pages[0].stream = fill(kRed);
    pages[1].stream = fill(kGreen);
    QByteArray data = projectData(pages);
    // The second segment header loses its terminator: page 1 is gone, page 0 stays.
    data[2055 + 11 + h5::kFlashPage + 8] = 0;
    ASSERT_TRUE(h5::readProjectPages(data, read, &error));
    EXPECT_EQ(read.pages.keys(), QList<int>{0});
    // A segment cut short keeps what there is of it.
    ASSERT_TRUE(h5::readProjectPages(projectData(pages).left(2055 + 11 + 100), read, &error));
    EXPECT_EQ(read.pages[0].stream.size(), 100);
}

TEST(PageRun, StreamStepsKeepDelayNextPageAndSkipUnknownFrames)
{
    const QByteArray stream = fill(kRed) + frame(0x77, hex("01 02 03")) + delay(9) + next(0xFFFF)
                              + next(4) + QByteArray(50, '\xFF');
    const QList<h5::PageStep> steps = h5::pageSteps(stream);
    ASSERT_EQ(steps.size(), 5);
    EXPECT_EQ(steps[0].type, h5::PageStep::Type::Screen);
    EXPECT_EQ(steps[1].type, h5::PageStep::Type::Unknown);
    EXPECT_EQ(steps[2].type, h5::PageStep::Type::Delay);
    EXPECT_EQ(steps[2].value, 9);
    EXPECT_EQ(steps[3].value, -1);
    EXPECT_EQ(steps[4].value, 4);
}

TEST(PageRun, EveryControlKindIsDrawnAsDocumented)
{
    const QByteArray needle = Blob().u16(110).u16(105).u16(120).u16(105).b; // entry 0 of ID 7
    struct Case
    {
        const char *name;
        QByteArray frame;
        std::vector<Pixel> pixels;
        int outlined;
    };
    const Case cases[] = {
        {"string: 4 half cells of 16 dots in the background",
         frame(0x69, Blob().u16(kWhite).u16(10).u16(kBlue).u16(20).u8(0x20).u8(4).b),
         {{10, 20, kBlue}, {41, 35, kBlue}, {25, 28, kBlue}, {42, 20, kBlack}, {10, 36, kBlack}},
         0},
        {"string of a font code with no font: outline",
         frame(0x69, Blob().u16(kWhite).u16(10).u16(kBlue).u16(20).u8(0x05).u8(2).b),
         {{10, 20, kWhite}, {25, 35, kWhite}, {15, 25, kBlack}, {26, 20, kBlack}},
         1},
        {"numeric: its minimum formatted, cells on the background",
         frame(0x6B, Blob().u16(kWhite).u16(10).u16(kBlue).u16(20).u16(kRed).u8(2).u8(0)
                         .u16(kRed).u8(0).u8(0).u16(5).u8(16).u8(0).u16(100).u8(0).u8(0)
                         .u16(0).u16(0).u16(0).u16(0).u16(0).b),
         // "5 ": the digit's cell and the space's cell, 8 x 16 each
         {{19, 20, kBlue}, {23, 35, kBlue}, {26, 20, kBlack}, {10, 36, kBlack}},
         0},
        {"numeric of a dot size with no font: outline",
         frame(0x6B, Blob().u16(kWhite).u16(10).u16(kBlue).u16(20).u16(kRed).u8(2).u8(0)
                         .u16(kRed).u8(0).u8(0).u16(5).u8(10).u8(0).u16(100).u8(0).u8(0)
                         .u16(0).u16(0).u16(0).u16(0).u16(0).b),
         {{10, 20, kWhite}, {25, 35, kWhite}, {15, 25, kBlack}},
         1},
        {"bar graph: frame and background, empty bar",
         frame(0x6C, Blob().u16(kBlue).u16(11).u16(kRed).u16(21).u16(kWhite).u16(49).u16(0)
                         .u16(79).u16(0).u8(0).u8(0).u16(0).u16(0).u16(100).u16(0).u16(0)
                         .u16(0).u16(0).b),
         {{10, 20, kWhite}, {49, 79, kWhite}, {50, 80, kBlack}, {30, 78, kBlue}},
         0},
        {"bar graph with a negative minimum: filled to the zero level",
         frame(0x6C, Blob().u16(kBlue).u16(11).u16(kRed).u16(21).u16(kWhite).u16(49).u16(0)
                         .u16(79).u16(0).u8(0).u8(0).u16(uint16_t(-50)).u16(0).u16(50).u16(0)
                         .u16(0xFFFF).u16(0).u16(0).b),
         {{30, 60, kRed}, {30, 50, kRed}, {30, 49, kBlue}, {10, 20, kWhite}},
         0},
        {"bar graph of structure code 9: outline in the frame colour",
         frame(0x6C, Blob().u16(kBlue).u16(11).u16(kRed).u16(21).u16(kWhite).u16(49).u16(0)
                         .u16(79).u16(0).u8(9).u8(0).u16(0).u16(0).u16(100).u16(0).u16(0)
                         .u16(0).u16(0).b),
         {{10, 20, kWhite}, {49, 79, kWhite}, {30, 50, kBlack}},
         1},
        {"image: its first picture",
         frame(0x6D, Blob().u16(30).u16(40).u16(3).u16(4).u16(0).u8(0).u8(0).b),
         {{30, 40, picturePixel(0, 0)}, {49, 49, picturePixel(19, 9)}, {50, 40, kBlack}},
         0},
        {"image whose first picture is missing: 16 x 16 white outline",
         frame(0x6D, Blob().u16(30).u16(40).u16(8).u16(9).u16(0).u8(0).u8(0).b),
         {{30, 40, kWhite}, {45, 55, kWhite}, {35, 45, kBlack}},
         1},
        {"text control: its area in the background",
         frame(0x6E, Blob().u16(kWhite).u8(1).u8(2).u16(kGreen).u16(10).u16(20).u16(40).u16(50)
                         .u8(0x20).u8(0).b),
         {{10, 20, kGreen}, {39, 49, kGreen}, {25, 35, kGreen}, {40, 20, kBlack}},
         0},
        {"button: bevel and face over the box widened by the border",
         frame(0x6F, Blob().u16(kGrey).u16(13).u16(23).u16(kWhite).u16(47).u16(57).u16(kDark)
                         .u8(0x43).b),
         {{10, 20, kWhite}, {12, 40, kWhite}, {49, 59, kDark}, {47, 30, kDark}, {30, 40, kGrey}},
         0},
        {"pointer: dial, then the needle at its first position",
         frame(0x6A, Blob().u16(3).u16(kRed).u16(100).u16(kWhite).u16(100).u16(0).u8(5).u8(1)
                         .u16(100).u16(0).u16(7).u8(0).u8(0).u16(0).u16(0).u16(0).u16(0).b),
         {{101, 101, picturePixel(1, 1)}, {110, 105, kRed}, {119, 105, kRed},
          {109, 105, picturePixel(9, 5)}, {120, 105, kBlack}},
         0},
        {"pointer without its needle table: outline over the dial",
         frame(0x6A, Blob().u16(3).u16(kRed).u16(100).u16(kWhite).u16(100).u16(0).u8(5).u8(1)
                         .u16(100).u16(0).u16(8).u8(0).u8(0).u16(0).u16(0).u16(0).u16(0).b),
         {{100, 100, kRed}, {119, 109, kRed}, {105, 105, kBlack}},
         1},
        {"pointer whose dial is missing: 16 x 16 outline",
         frame(0x6A, Blob().u16(9).u16(kRed).u16(100).u16(kWhite).u16(100).u16(0).u8(5).u8(1)
                         .u16(100).u16(0).u16(7).u8(0).u8(0).u16(0).u16(0).u16(0).u16(0).b),
         {{100, 100, kRed}, {115, 115, kRed}, {105, 105, kBlack}},
         1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::map<int, TestPage> pages;
        pages[0].stream = c.frame + delay(0) + next(0xFFFF);
        pages[0].needles[7] = needle;
        h5::ProjectPages read;
        ASSERT_TRUE(h5::readProjectPages(projectData(pages), read, nullptr));
        h5::TerminalScreen screen(320, 240);
        const h5::PageEnd end = h5::runPage(screen, read, 0, pictures);
        EXPECT_TRUE(end.found);
        for (const Pixel &p : c.pixels) {
            EXPECT_EQ(screen.pixel(0, p.x, p.y), p.colour) << p.x << "," << p.y;
        }
        EXPECT_EQ(screen.record().controlsOutlined, c.outlined);
    }
}

TEST(PageRun, PageDrawsOnItsLayerAndUnknownFramesAreCounted)
{
    std::map<int, TestPage> pages;
    pages[0].stream = rect(kRed, 0, 0, 10, 10) + frame(0x77, hex("00")) + frame(0x24, Blob().u16(0).u16(0).u16(1).u16(1).b);
    pages[1].stream = rect(kGreen, 0, 0, 10, 10);
    pages[1].layer = 1;
    h5::ProjectPages read;
    ASSERT_TRUE(h5::readProjectPages(projectData(pages), read, nullptr));
    h5::TerminalScreen screen(800, 480);
    h5::runPage(screen, read, 0, pictures);
    EXPECT_EQ(screen.record().framesSkipped, 2);
    h5::runPage(screen, read, 1, pictures);
    EXPECT_EQ(screen.shownLayer(), 1);
    EXPECT_EQ(screen.pixel(1, 5, 5), kGreen);
    EXPECT_EQ(screen.pixel(0, 5, 5), kRed);
    // A resolution with one layer draws a layer-1 page on the layer shown.
    h5::TerminalScreen single(800, 600);
    h5::runPage(single, read, 1, pictures);
    EXPECT_EQ(single.shownLayer(), 0);
    EXPECT_EQ(single.pixel(0, 5, 5), kGreen);
}

TEST(PageRun, PagesCycleAfterTheirDelayOnTheClockTheyAreTold)
{
    std::map<int, TestPage> pages;
    pages[0].stream = fill(kRed) + delay(2) + next(1);
    pages[1].stream = fill(kGreen) + delay(1) + next(0);
    pages[3].stream = fill(kBlue) + delay(0) + next(0);   // delay 0: stays
    pages[4].stream = fill(kWhite) + delay(5) + next(9);  // next page missing: stays
    h5::PagePlayer player;
    player.setProject(projectData(pages));
    h5::TerminalScreen screen(320, 240);
    ASSERT_TRUE(player.start(screen, pictures, 1000));
    EXPECT_EQ(player.currentPage(), 0);
    EXPECT_EQ(player.dueMs(), 3000);
    EXPECT_EQ(player.tick(screen, pictures, 2999), 0);
    EXPECT_EQ(screen.pixel(0, 0, 0), kRed);
    EXPECT_EQ(player.tick(screen, pictures, 3000), 1);
    EXPECT_EQ(screen.pixel(0, 0, 0), kGreen);
    EXPECT_EQ(player.dueMs(), 4000);
    // Late ticks run each page at the moment it was due.
    EXPECT_EQ(player.tick(screen, pictures, 6500), 2); // page 0 at 4000, page 1 at 6000
    EXPECT_EQ(player.currentPage(), 1);
    EXPECT_EQ(player.dueMs(), 7000);
    // A clock that jumps far ahead runs one round, not every missed page.
    EXPECT_LE(player.tick(screen, pictures, int64_t(1) << 40), 6);
    EXPECT_GT(player.dueMs(), int64_t(1) << 40);

    for (int page : {3, 4}) {
        ASSERT_TRUE(player.showPage(screen, page, pictures, 0));
        EXPECT_EQ(player.dueMs(), -1) << page;
        EXPECT_EQ(player.tick(screen, pictures, 1000000), 0);
        EXPECT_EQ(player.currentPage(), page);
    }
    EXPECT_FALSE(player.showPage(screen, 2, pictures, 0));
    EXPECT_EQ(player.currentPage(), 4);
}

TEST(PageRun, PreviewIsTheShownLayerOrAReasonWhenThePageIsMissing)
{
    std::map<int, TestPage> pages;
    pages[1].stream = fill(kBlue) + rect(kRed, 2, 2, 4, 4);
    QString error;
    const QImage image = h5::previewPage(projectData(pages), QSize(320, 240), pictures, 1, &error);
    ASSERT_EQ(image.size(), QSize(320, 240));
    EXPECT_EQ(image.pixel(3, 3), h5::rgbOf565(kRed));
    EXPECT_EQ(image.pixel(5, 5), h5::rgbOf565(kBlue));
    EXPECT_TRUE(h5::previewPage(projectData(pages), QSize(320, 240), pictures, 0, &error).isNull());
    EXPECT_FALSE(error.isEmpty());
}

TEST(PageRun, VirtualTerminalStartsOnPageZeroAndSwitchesOnPageFramesFromTheLine)
{
    std::map<int, TestPage> pages;
    pages[0].stream = fill(kRed) + delay(1) + next(1);
    pages[1].stream = fill(kGreen) + delay(0) + next(0xFFFF);
    const QByteArray data = projectData(pages);
    h5::VirtualTerminal vt(320, 240);
    // The download's frames: header, index, then each segment header and its pages.
    vt.feed(data.left(7));
    vt.feed(data.mid(7, 2048));
    qsizetype pos = 2055;
    while (pos < data.size()) {
        const int count = uchar(data[pos + 5]);
        vt.feed(data.mid(pos, 11));
        pos += 11;
        for (int i = 0; i < count; ++i, pos += h5::kFlashPage)
            vt.feed(data.mid(pos, h5::kFlashPage));
    }
    ASSERT_EQ(vt.projectData(), data);
    EXPECT_EQ(vt.screen().pixel(0, 0, 0), kBlack); // nothing runs before start-up
    ASSERT_TRUE(vt.startPages(0));
    EXPECT_EQ(vt.screen().pixel(0, 0, 0), kRed);
    EXPECT_EQ(vt.tick(999), 0);
    EXPECT_EQ(vt.tick(1000), 1);
    EXPECT_EQ(vt.screen().pixel(0, 0, 0), kGreen);
    vt.feed(next(0));
    EXPECT_EQ(vt.currentPage(), 0);
    EXPECT_EQ(vt.screen().pixel(0, 0, 0), kRed);
    EXPECT_EQ(vt.screen().record().page, 0);
    // A page the flash lacks is recorded, nothing drawn.
    vt.feed(next(7));
    EXPECT_EQ(vt.screen().record().page, 7);
    EXPECT_EQ(vt.currentPage(), 0);
    EXPECT_EQ(vt.screen().pixel(0, 0, 0), kRed);
}

TEST(PageRun, FilledShapesAndPicturesMatchPixelsComputedFromTheirRules)
{
    // Expected pixels computed here from the documented rules alone: filled
    // rectangles over min .. max - 1, filled ellipses and circles by pixel
    // centres inside (middle rows full, at least one pixel a side),
    // pictures copied, everything clipped to the screen.
    const int W = 320, H = 240;
    std::vector<uint16_t> expected(size_t(W * H), 0);
    auto put = [&](int x, int y, uint16_t c) {
        if (x >= 0 && y >= 0 && x < W && y < H)
            expected[size_t(y * W + x)] = c;
    };
    std::mt19937 rng(5);
    auto r = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    QByteArray stream = fill(0x1234);
    std::fill(expected.begin(), expected.end(), uint16_t(0x1234));
    for (int i = 0; i < 120; ++i) {
        const uint16_t c = uint16_t(r(0, 0xFFFF));
        const int kind = i % 4;
        if (kind == 0) {
            const int x1 = r(-20, 330), y1 = r(-20, 250), x2 = r(-20, 330), y2 = r(-20, 250);
            stream += rect(c, x1, y1, x2, y2);
            for (int y = std::min(y1, y2); y < std::max(y1, y2); ++y)
                for (int x = std::min(x1, x2); x < std::max(x1, x2); ++x)
                    put(x, y, c);
        } else if (kind == 1 || kind == 2) {
            const int cx = r(-10, 330), cy = r(-10, 250), rx = r(1, 60);
            const int ry = kind == 1 ? r(1, 60) : rx;
            stream += kind == 1 ? frame(0x4A, Blob().u16(c).u16(cx).u16(cy).u16(rx).u16(ry).b)
                                : frame(0x4F, Blob().u16(c).u16(cx).u16(cy).u16(rx).b);
            for (int row = 0; row < 2 * ry; ++row) {
                const double d = std::abs(row + 0.5 - ry) / ry;
                int h = int(std::floor(rx * std::sqrt(std::max(0.0, 1 - d * d)) + 0.5));
                h = std::clamp(h, 1, rx);
                if (row == ry - 1 || row == ry)
                    h = rx;
                for (int x = cx - h; x < cx + h; ++x)
                    put(x, cy - ry + row, c);
            }
        } else {
            const int x = r(-15, 315), y = r(-5, 235);
            stream += frame(0x29, Blob().u16(3).u16(x).u16(y).b);
            for (int py = 0; py < 10; ++py)
                for (int px = 0; px < 20; ++px)
                    put(x + px, y + py, picturePixel(px, py));
        }
    }
    std::map<int, TestPage> pages;
    pages[0].stream = stream;
    const QImage image = h5::previewPage(projectData(pages), QSize(W, H), pictures, 0, nullptr);
    ASSERT_EQ(image.size(), QSize(W, H));
    int differing = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            differing += h5::rgb565Of(image.pixel(x, y)) != expected[size_t(y * W + x)];
    EXPECT_EQ(differing, 0);
}
