// The virtual terminal's screen: instruction frames received outside a
// download and executed on RGB565 layers. Pixels are checked against values
// computed here from the frames alone (filled rectangles, pictures, the
// realtime picture, fills, layer copies); shapes whose exact pixels are the
// painter's are checked for their rules (bounding boxes, end pixels) and
// against a mirror drawn with the same function on another kind of image.
// Frames are written out by hand.

#include "support/TestUtil.h"

#include "terminal/LiveDraw.h"
#include "terminal/ScreenFrames.h"
#include "terminal/TerminalScreen.h"
#include "terminal/VirtualTerminal.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <random>

using namespace h5;
using h5test::Blob;
using h5test::hex;

namespace {

std::string hx(const QByteArray &b) { return h5test::toHex(b); }

QByteArray frame(int command, const QByteArray &params)
{
    return QByteArray(1, '\x1B') + char(command) + params + hex("FF FF EE FF");
}

// Command with a colour and four 16-bit numbers (points, lines,
// rectangles, ellipses).
QByteArray shape(int command, unsigned colour, int a, int b, int c, int d)
{
    return frame(command, Blob().u16(colour).u16(unsigned(a)).u16(unsigned(b)).u16(unsigned(c)).u16(unsigned(d)).b);
}
QByteArray circle(int command, unsigned colour, int cx, int cy, int r)
{
    return frame(command, Blob().u16(colour).u16(unsigned(cx)).u16(unsigned(cy)).u16(unsigned(r)).b);
}
QByteArray fill(unsigned colour) { return frame(0x42, Blob().u16(colour).b); }
QByteArray layer(int l) { return frame(0x40, Blob().u8(unsigned(l)).b); }
QByteArray copyFrame(int sx, int sy, int w, int h, int dx, int dy)
{
    return frame(0x28, Blob().u16(unsigned(sx)).u16(unsigned(sy)).u16(unsigned(w)).u16(unsigned(h))
                           .u16(unsigned(dx)).u16(unsigned(dy)).b);
}
QByteArray pictureSwitch(int n, int x, int y)
{
    return frame(0x29, Blob().u16(unsigned(n)).u16(unsigned(x)).u16(unsigned(y)).b);
}
QByteArray realtimeHeader(int x, int y, int w, int h)
{
    return frame(0x24, Blob().u16(unsigned(x)).u16(unsigned(y)).u16(unsigned(w)).u16(unsigned(h)).b);
}
QByteArray text(unsigned colour, int colsp, int rowsp, unsigned bg, int x, int y, int mode, int font,
                const QByteArray &bytes)
{
    return frame(0x23, Blob().u16(colour).u8(unsigned(colsp)).u8(unsigned(rowsp)).u16(bg)
                           .u16(unsigned(x)).u16(unsigned(y)).u8(unsigned(mode)).u8(unsigned(font))
                           .raw(bytes).b);
}

// RGB565 pixel bytes, low byte first, whose values depend on where they
// are; some of them look like frame starts and probes.
QByteArray pixelBytes(int w, int h, int seed)
{
    Blob b;
    for (int i = 0; i < w * h; ++i)
        b.u16(unsigned(i * 2654435761u + unsigned(seed) * 40503u) >> 16);
    if (b.b.size() >= 4)
        b.b.replace(0, 4, hex("1B 42 AA 7F"));
    return b.b;
}
uint16_t pixelAt(const QByteArray &bytes, int w, int x, int y)
{
    const int i = (y * w + x) * 2;
    return uint16_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8));
}

// Compares every pixel of a layer with `expected`; reports the first
// difference.
::testing::AssertionResult layerIs(const TerminalScreen &s, int l,
                                   const std::function<uint16_t(int, int)> &expected)
{
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            const uint16_t got = s.pixel(l, x, y), want = expected(x, y);
            if (got != want)
                return ::testing::AssertionFailure()
                       << "layer " << l << " pixel (" << x << ", " << y << ") is " << std::hex << got
                       << ", expected " << want;
        }
    }
    return ::testing::AssertionSuccess();
}

// Bounding box (x0, y0, x1, y1 exclusive) and count of the pixels of
// `colour` on the shown layer.
struct Ink
{
    int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN, count = 0;
};
Ink inkOf(const TerminalScreen &s, uint16_t colour, QRect within = QRect())
{
    Ink k;
    if (within.isNull())
        within = QRect(0, 0, s.width(), s.height());
    for (int y = within.top(); y <= within.bottom(); ++y) {
        for (int x = within.left(); x <= within.right(); ++x) {
            if (s.pixel(s.shownLayer(), x, y) != colour)
                continue;
            k.x0 = std::min(k.x0, x);
            k.y0 = std::min(k.y0, y);
            k.x1 = std::max(k.x1, x + 1);
            k.y1 = std::max(k.y1, y + 1);
            ++k.count;
        }
    }
    return k;
}

// A registry of one picture `number` at block `block` and its download.
QByteArray pictureDownload(int number, int block, int w, int h, const QByteArray &pixels)
{
    QByteArray reg(4800, '\xFF');
    reg.replace(8 * number, 8, Blob().u16(unsigned(number)).u16(unsigned(block)).u16(unsigned(w)).u16(unsigned(h)).b);
    return hex("7F 1B 73 FF FF EE FF") + reg
           + hex("7F 1B 1C") + Blob().u16(unsigned(number)).u16(unsigned(block)).u16(unsigned(w)).u16(unsigned(h)).b
           + hex("FF FF EE FF") + pixels;
}

} // namespace

TEST(TerminalScreenTest, LayersFollowTheResolution)
{
    const struct
    {
        int w, h, layers;
    } cases[] = {
        {480, 272, 4}, {272, 480, 4}, {320, 240, 2}, {640, 480, 2},  {800, 480, 2},  {240, 320, 2},
        {480, 640, 2}, {480, 800, 2}, {800, 600, 1}, {1024, 768, 1}, {600, 800, 1}, {768, 1024, 1},
        {801, 480, 0}, {480, 480, 0}, {0, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        EXPECT_EQ(TerminalScreen::layersOf(c.w, c.h), c.layers);
        if (c.layers > 0) {
            VirtualTerminal t(c.w, c.h);
            EXPECT_EQ(t.screen().layerCount(), c.layers);
            EXPECT_EQ(t.screen().width(), c.w);
            EXPECT_EQ(t.screen().height(), c.h);
            EXPECT_EQ(t.screen().shownLayer(), 0);
        }
    }
}

TEST(TerminalScreenTest, FilledRectangleCoversItsCornersUpToTheFarEdgeInEitherCornerOrder)
{
    const struct
    {
        const char *what;
        int x1, y1, x2, y2;
    } cases[] = {
        {"corners in order", 10, 20, 110, 70},
        {"corners reversed", 110, 70, 10, 20},
        {"mixed corners", 110, 20, 10, 70},
        {"over the top left edge", -5, -7, 3, 4},
        {"over the bottom right edge", 790, 470, 900, 600},
        {"no width", 50, 10, 50, 90},
        {"all outside", -100, -100, -50, -50},
        {"one pixel", 5, 5, 6, 6},
    };
    const uint16_t bg = 0x1234, fg = 0xF81F;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        VirtualTerminal t;
        EXPECT_EQ(hx(t.feed(fill(bg) + shape(0x41, fg, c.x1, c.y1, c.x2, c.y2))), "");
        const int l = std::min(c.x1, c.x2), r = std::max(c.x1, c.x2);
        const int top = std::min(c.y1, c.y2), b = std::max(c.y1, c.y2);
        EXPECT_TRUE(layerIs(t.screen(), 0, [&](int x, int y) {
            return x >= l && x < r && y >= top && y < b ? fg : bg;
        }));
    }
}

TEST(TerminalScreenTest, FillPaintsTheShownLayerOnlyInExactlyTheSentColour)
{
    VirtualTerminal t; // 800x480: two layers
    t.feed(fill(0xA5A5));
    EXPECT_TRUE(layerIs(t.screen(), 0, [](int, int) { return uint16_t(0xA5A5); }));
    EXPECT_TRUE(layerIs(t.screen(), 1, [](int, int) { return uint16_t(0); }));
    t.feed(layer(1) + fill(0x0001));
    EXPECT_EQ(t.screen().shownLayer(), 1);
    EXPECT_TRUE(layerIs(t.screen(), 1, [](int, int) { return uint16_t(0x0001); }));
    EXPECT_TRUE(layerIs(t.screen(), 0, [](int, int) { return uint16_t(0xA5A5); }));
}

TEST(TerminalScreenTest, PictureSwitchDrawsTheRegisteredPicturesPixelsAtItsPlace)
{
    const int w = 30, h = 20;
    const QByteArray pixels = pixelBytes(w, h, 7);
    const struct
    {
        const char *what;
        int x, y;
    } places[] = {
        {"top left", 0, 0},
        {"inside", 100, 50},
        {"cut at the top left", -10, -5},
        {"cut at the bottom right", 790, 475},
    };
    for (const auto &p : places) {
        SCOPED_TRACE(p.what);
        VirtualTerminal t;
        ASSERT_EQ(t.feed(pictureDownload(7, 2, w, h, pixels)), QByteArray(6, 0x55));
        ASSERT_EQ(t.picture(7), pixels);
        EXPECT_EQ(hx(t.feed(fill(0x0841) + pictureSwitch(7, p.x, p.y))), "");
        EXPECT_TRUE(layerIs(t.screen(), 0, [&](int x, int y) {
            const int px = x - p.x, py = y - p.y;
            return px >= 0 && px < w && py >= 0 && py < h ? pixelAt(pixels, w, px, py) : uint16_t(0x0841);
        }));
        EXPECT_EQ(t.screen().record().missingPictures, 0);
    }
}

TEST(TerminalScreenTest, PictureTheFlashDoesNotHoldDrawsNothingAndIsRecorded)
{
    VirtualTerminal t;
    t.feed(fill(0x0841));
    const uint64_t before = t.screen().revision();
    EXPECT_EQ(hx(t.feed(pictureSwitch(8, 0, 0))), "");
    EXPECT_EQ(t.screen().revision(), before);
    EXPECT_TRUE(layerIs(t.screen(), 0, [](int, int) { return uint16_t(0x0841); }));
    EXPECT_EQ(t.screen().record().missingPicture, 8);
    EXPECT_EQ(t.screen().record().missingPictures, 1);
}

TEST(TerminalScreenTest, RealtimePictureIsAnsweredThenItsPixelsAreDrawnHoweverTheyArrive)
{
    const int w = 17, h = 9, x0 = -3, y0 = 475; // cut at the left and the bottom
    const QByteArray pixels = pixelBytes(w, h, 3);
    const int cuts[] = {1, 2, 3, 5, 33, 306};
    for (const int cut : cuts) {
        SCOPED_TRACE(cut);
        VirtualTerminal t;
        t.feed(fill(0x2222));
        const uint64_t before = t.screen().revision();
        EXPECT_EQ(hx(t.feed(realtimeHeader(x0, y0, w, h))), "55");
        QByteArray answers;
        for (int at = 0; at < pixels.size(); at += cut)
            answers += t.feed(pixels.mid(at, cut));
        // Pixel bytes that look like frames or probes are pixels.
        EXPECT_EQ(hx(answers), "");
        // Counted once, when the picture is complete.
        EXPECT_EQ(t.screen().revision(), before + 1);
        EXPECT_TRUE(t.idle());
        EXPECT_TRUE(layerIs(t.screen(), 0, [&](int x, int y) {
            const int px = x - x0, py = y - y0;
            return px >= 0 && px < w && py >= 0 && py < h ? pixelAt(pixels, w, px, py) : uint16_t(0x2222);
        }));
        EXPECT_EQ(hx(t.feed(hex("AA"))), "33");
    }
}

TEST(TerminalScreenTest, RealtimePictureCutOffByAClosedLineKeepsWhatCame)
{
    VirtualTerminal t;
    ASSERT_EQ(hx(t.feed(realtimeHeader(0, 0, 4, 4))), "55");
    t.feed(hex("34 12 78 56 BC"));
    const uint64_t before = t.screen().revision();
    t.resetLine();
    EXPECT_EQ(t.screen().revision(), before + 1);
    EXPECT_EQ(t.screen().pixel(0, 0, 0), 0x1234);
    EXPECT_EQ(t.screen().pixel(0, 1, 0), 0x5678);
    EXPECT_EQ(t.screen().pixel(0, 2, 0), 0); // its high byte never came
    EXPECT_EQ(hx(t.feed(fill(0x0001) + hex("AA"))), "33");
    EXPECT_EQ(t.screen().pixel(0, 3, 3), 0x0001);
}

TEST(TerminalScreenTest, LayerSwitchChangesTheLayerShownAndDrawnOn)
{
    VirtualTerminal t; // two layers
    t.feed(shape(0x41, 0xF800, 10, 10, 20, 20));
    t.feed(layer(1));
    EXPECT_EQ(t.screen().shownLayer(), 1);
    EXPECT_TRUE(layerIs(t.screen(), 1, [](int, int) { return uint16_t(0); }));
    EXPECT_EQ(t.screen().screenshot().pixel(15, 15), qRgb(0, 0, 0));
    t.feed(shape(0x41, 0x07E0, 30, 30, 40, 40));
    EXPECT_EQ(t.screen().pixel(1, 35, 35), 0x07E0);
    EXPECT_EQ(t.screen().pixel(0, 35, 35), 0);
    t.feed(layer(0));
    EXPECT_EQ(t.screen().screenshot().pixel(15, 15), qRgb(255, 0, 0));

    // A layer the resolution lacks: nothing changes, the switch is recorded.
    t.feed(layer(2));
    EXPECT_EQ(t.screen().shownLayer(), 0);
    EXPECT_EQ(t.screen().record().refusedLayerSwitches, 1);
}

TEST(TerminalScreenTest, LayerSelectDirectlyBeforeACopyChoosesTheCopysLayersAndIsNoSwitch)
{
    struct Case
    {
        const char *what;
        int width, height;
        int select;    // -1: copy alone
        bool split;    // select and copy in separate reads
        int from, to;  // layers the copy must use
    };
    const Case cases[] = {
        {"0 to 1 on two layers", 800, 480, 0 * 4 + 1, false, 0, 1},
        {"1 to 0 on two layers", 800, 480, 1 * 4 + 0, false, 1, 0},
        {"1 to 0, select and copy in two reads", 800, 480, 1 * 4 + 0, true, 1, 0},
        {"3 to 2 on four layers", 480, 272, 3 * 4 + 2, false, 3, 2},
        {"copy alone on one layer", 800, 600, -1, false, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        VirtualTerminal t(c.width, c.height);
        // Each layer filled with its own colour and a marked rectangle.
        for (int l = t.screen().layerCount() - 1; l >= 0; --l)
            t.feed(layer(l) + fill(0x1000u * unsigned(l + 1)) + shape(0x41, 0x0100u + unsigned(l), 10, 10, 30, 20));
        ASSERT_EQ(t.screen().shownLayer(), 0);
        const QByteArray copy = copyFrame(5, 8, 30, 15, 100, 50);
        if (c.select < 0)
            t.feed(copy);
        else if (c.split)
            t.feed(layer(c.select)), t.feed(copy);
        else
            t.feed(layer(c.select) + copy);
        EXPECT_EQ(t.screen().shownLayer(), 0);
        EXPECT_EQ(t.screen().record().refusedLayerSwitches, 0);
        const auto before = [&](int l, int x, int y) -> uint16_t {
            return x >= 10 && x < 30 && y >= 10 && y < 20 ? uint16_t(0x0100 + l) : uint16_t(0x1000 * (l + 1));
        };
        for (int l = 0; l < t.screen().layerCount(); ++l) {
            EXPECT_TRUE(layerIs(t.screen(), l, [&](int x, int y) {
                if (l == c.to && x >= 100 && x < 130 && y >= 50 && y < 65)
                    return before(c.from, x - 95, y - 42);
                return before(l, x, y);
            }));
        }
    }
}

TEST(TerminalScreenTest, LayerSwitchWithNoiseBeforeACopyStaysASwitch)
{
    VirtualTerminal t;
    t.feed(layer(1) + hex("00") + shape(0x41, 0x0003, 0, 0, 2, 1) + copyFrame(0, 0, 2, 1, 10, 10));
    EXPECT_EQ(t.screen().shownLayer(), 1);
    EXPECT_EQ(t.screen().pixel(1, 10, 10), 0x0003); // copied within the layer shown
    EXPECT_EQ(t.screen().pixel(1, 11, 10), 0x0003);
    VirtualTerminal u;
    u.feed(layer(1) + hex("00") + copyFrame(0, 0, 2, 1, 10, 10));
    EXPECT_EQ(u.screen().shownLayer(), 1);
}

TEST(TerminalScreenTest, OverlappingCopyWithinALayerReadsThePixelsAsTheyWereBefore)
{
    VirtualTerminal t(800, 600);
    for (int x = 0; x < 10; ++x)
        t.feed(shape(0x47, unsigned(x + 1), x, 0, 0, 0)); // points 1..10 along row 0
    t.feed(copyFrame(0, 0, 10, 1, 5, 0));
    for (int x = 0; x < 15; ++x)
        EXPECT_EQ(t.screen().pixel(0, x, 0), x < 5 ? x + 1 : x - 4) << x;
    // A copy reaching past the screen keeps what lands on it.
    t.feed(copyFrame(0, 0, 10, 1, 795, 599));
    EXPECT_EQ(t.screen().pixel(0, 799, 599), 5);
}

TEST(TerminalScreenTest, ShapesFollowThePixelRules)
{
    const uint16_t c = 0xFFE0;
    const struct
    {
        const char *what;
        QByteArray frame;
        Ink ink; // bounding box and count; count -1: not checked
    } cases[] = {
        {"point: one pixel at x1, y1", shape(0x47, c, 7, 9, 300, 300), {7, 9, 8, 10, 1}},
        {"line: end pixel left out", shape(0x46, c, 10, 5, 20, 5), {10, 5, 20, 6, 10}},
        {"line backwards: end pixel left out", shape(0x46, c, 20, 5, 10, 5), {11, 5, 21, 6, 10}},
        {"vertical line", shape(0x46, c, 3, 30, 3, 10), {3, 11, 4, 31, 20}},
        {"slanted line", shape(0x46, c, 0, 0, 10, 5), {0, 0, 10, 6, 10}},
        {"hollow rectangle: outermost ring", shape(0x5A, c, 10, 10, 20, 15), {10, 10, 20, 15, 26}},
        {"filled ellipse: 2 rx by 2 ry", shape(0x4A, c, 100, 100, 10, 5), {90, 95, 110, 105, -1}},
        {"hollow ellipse", shape(0x49, c, 100, 100, 10, 5), {90, 95, 110, 105, -1}},
        {"hollow circle", circle(0x59, c, 100, 100, 5), {95, 95, 105, 105, -1}},
        {"filled circle", circle(0x4F, c, 50, 60, 20), {30, 40, 70, 80, -1}},
        {"ellipse of no width", shape(0x4A, c, 100, 100, 0, 5), {INT_MAX, INT_MAX, INT_MIN, INT_MIN, 0}},
        {"circle of radius 0", circle(0x4F, c, 100, 100, 0), {INT_MAX, INT_MAX, INT_MIN, INT_MIN, 0}},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        VirtualTerminal t;
        EXPECT_EQ(hx(t.feed(k.frame)), "");
        const Ink got = inkOf(t.screen(), c);
        EXPECT_EQ(got.x0, k.ink.x0);
        EXPECT_EQ(got.y0, k.ink.y0);
        EXPECT_EQ(got.x1, k.ink.x1);
        EXPECT_EQ(got.y1, k.ink.y1);
        if (k.ink.count >= 0) {
            EXPECT_EQ(got.count, k.ink.count);
        }
    }
    // A filled circle is filled: its centre row runs unbroken across it.
    VirtualTerminal t;
    t.feed(circle(0x4F, c, 50, 60, 20));
    EXPECT_EQ(inkOf(t.screen(), c, QRect(30, 60, 40, 1)).count, 40);
}

TEST(TerminalScreenTest, WindowMirrorDrawingTheSameOperationsGivesTheSamePixels)
{
    // The debug window mirrors what it sends on an RGB32 image with a
    // two-pixel border; drawing with drawLiveShape and drawLiveText there
    // must give the screen's pixels exactly.
    std::vector<ScreenOp> ops;
    auto add = [&](ScreenOp::Kind k, uint16_t colour, int x, int y, int x2, int y2, int rx = 0, int ry = 0) {
        ScreenOp op;
        op.kind = k;
        op.colour = colour;
        op.x = x, op.y = y, op.x2 = x2, op.y2 = y2, op.rx = rx, op.ry = ry;
        ops.push_back(op);
    };
    using K = ScreenOp::Kind;
    QByteArray stream;
    stream += shape(0x47, 0xF800, 3, 4, 0, 0), add(K::Point, 0xF800, 3, 4, 0, 0);
    stream += shape(0x46, 0x07E0, 10, 10, 200, 77), add(K::Line, 0x07E0, 10, 10, 200, 77);
    stream += shape(0x46, 0x001F, 300, 5, 250, 100), add(K::Line, 0x001F, 300, 5, 250, 100);
    stream += shape(0x5A, 0xFFE0, 20, 100, 120, 160), add(K::HollowRect, 0xFFE0, 20, 100, 120, 160);
    stream += shape(0x41, 0x07FF, 130, 100, 180, 170), add(K::FilledRect, 0x07FF, 130, 100, 180, 170);
    stream += shape(0x49, 0xF81F, 400, 200, 90, 40), add(K::HollowEllipse, 0xF81F, 400, 200, 0, 0, 90, 40);
    stream += shape(0x4A, 0x8410, 600, 300, 33, 71), add(K::FilledEllipse, 0x8410, 600, 300, 0, 0, 33, 71);
    stream += circle(0x59, 0xFFFF, 250, 350, 60), add(K::HollowCircle, 0xFFFF, 250, 350, 0, 0, 60, 60);
    stream += circle(0x4F, 0x0821, 720, 420, 57), add(K::FilledCircle, 0x0821, 720, 420, 0, 0, 57, 57);
    ScreenOp t;
    t.kind = K::Text;
    t.colour = 0xFFFF;
    t.background = 0x001F;
    t.x = 300, t.y = 20, t.mode = 1, t.font = 0x30, t.columnSpacing = 2, t.rowSpacing = 3;
    t.text = QByteArray("H5800 \xD6\xD0\xCE\xC4\rline 2");
    stream += text(t.colour, 2, 3, t.background, t.x, t.y, 1, 0x30, t.text);

    VirtualTerminal terminal;
    ASSERT_EQ(hx(terminal.feed(stream)), "");
    QImage mirror(802, 482, QImage::Format_RGB32);
    mirror.fill(Qt::black);
    {
        QPainter p(&mirror);
        p.translate(2, 2);
        for (const ScreenOp &op : ops)
            drawLiveShape(p, op);
        drawLiveText(p, t, 800);
    }
    const QImage shot = terminal.screen().screenshot();
    int differences = 0;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 800; ++x) {
            if (shot.pixel(x, y) != mirror.pixel(x + 2, y + 2) && differences++ < 5) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ")";
            }
        }
    }
    EXPECT_EQ(differences, 0);
    // The text was drawn at all.
    EXPECT_GT(inkOf(terminal.screen(), 0x001F, QRect(300, 20, 200, 60)).count, 100);
}

TEST(TerminalScreenTest, TextIsLaidOutInCellsAndACarriageReturnStartsALineBelowAtTheStartX)
{
    // 16-dot 宋体: Western characters 8 wide, Chinese 16; row spacing 4.
    VirtualTerminal t;
    t.feed(text(0xFFFF, 0, 4, 0x001F, 100, 50, 0, 0x20, QByteArray("AB\r\nC\xD6\xD0")));
    const Ink all = inkOf(t.screen(), 0xFFFF);
    EXPECT_GE(all.x0, 100);
    EXPECT_GE(all.y0, 50);
    EXPECT_LE(all.x1, 100 + 8 + 16);
    EXPECT_LE(all.y1, 50 + 16 + 4 + 16);
    // Every character left ink in its own cell, and nothing fell between the lines.
    const QRect cells[] = {QRect(100, 50, 8, 16), QRect(108, 50, 8, 16), QRect(100, 70, 8, 16),
                           QRect(108, 70, 16, 16)};
    for (const QRect &cell : cells)
        EXPECT_GT(inkOf(t.screen(), 0xFFFF, cell).count, 3) << cell.x() << "," << cell.y();
    EXPECT_EQ(inkOf(t.screen(), 0xFFFF, QRect(100, 66, 40, 4)).count, 0);
    // Characters only: the background colour is not painted.
    EXPECT_EQ(inkOf(t.screen(), 0x001F).count, 0);

    // On the background colour: each cell is text or background.
    VirtualTerminal u;
    u.feed(text(0xFFFF, 0, 0, 0x001F, 10, 10, 1, 0x20, QByteArray("AB")));
    EXPECT_EQ(inkOf(u.screen(), 0xFFFF, QRect(10, 10, 16, 16)).count
                  + inkOf(u.screen(), 0x001F, QRect(10, 10, 16, 16)).count,
              16 * 16);
}

TEST(TerminalScreenTest, FontCodesGiveTheirCellSizeAndFace)
{
    const struct
    {
        int code, dots, face;
        bool known;
    } cases[] = {
        {0x0C, 8, 0, true},  {0x14, 12, 0, true}, {0x20, 16, 0, true}, {0x23, 16, 3, true},
        {0x31, 24, 1, true}, {0x42, 32, 2, true}, {0x60, 48, 0, true}, {0x82, 64, 2, true},
        {0x00, 16, 0, false}, {0x24, 16, 0, false}, {0xFF, 16, 0, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.code);
        const LiveFont f = liveFontOfCode(c.code);
        EXPECT_EQ(f.dots, c.dots);
        EXPECT_EQ(f.face, c.face);
        EXPECT_EQ(f.known, c.known);
    }
}

TEST(TerminalScreenTest, TextLongerThanTheLimitIsNoiseAndTheLimitItselfIsText)
{
    const QByteArray head = hex("1B 23 FF FF 00 00 00 00 0A 00 0A 00 00 20");
    for (const int n : {kMaxTextBytes, kMaxTextBytes + 1}) {
        SCOPED_TRACE(n);
        VirtualTerminal t;
        const QByteArray f = head + QByteArray(n, 'x') + hex("FF FF EE FF");
        EXPECT_EQ(hx(t.feed(f + hex("AA"))), "33");
        EXPECT_TRUE(t.idle());
        EXPECT_EQ(inkOf(t.screen(), 0xFFFF).count > 0, n == kMaxTextBytes);
    }
}

TEST(TerminalScreenTest, DeviceCommandsAreRecordedAndDrawNothing)
{
    VirtualTerminal t;
    t.feed(fill(0x4208));
    const uint64_t before = t.screen().revision();
    EXPECT_EQ(t.screen().backlight(), 63);
    const QByteArray stream = frame(0x50, hex("05 00")) + frame(0x38, {}) + frame(0x20, hex("03"))
                              + frame(0x21, hex("05 00")) + frame(0x64, hex("20")) + frame(0x38, {});
    EXPECT_EQ(hx(t.feed(stream)), "");
    EXPECT_EQ(t.screen().revision(), before);
    EXPECT_EQ(t.screen().backlight(), 32);
    const TerminalScreen::Record &r = t.screen().record();
    EXPECT_EQ(r.page, 5);
    EXPECT_EQ(r.pageSwitches, 1);
    EXPECT_EQ(r.calibrations, 2);
    EXPECT_EQ(r.touchMode, 3);
    EXPECT_EQ(r.touchInterval, 5);
    EXPECT_TRUE(layerIs(t.screen(), 0, [](int, int) { return uint16_t(0x4208); }));
}

TEST(TerminalScreenTest, FramesSplitAnywhereOrWithNoiseBetweenThemLeaveTheSameScreen)
{
    const QByteArray rtPixels = pixelBytes(6, 5, 11);
    const QList<QByteArray> frames = {
        fill(0x1111),
        shape(0x47, 0xF800, 5, 5, 0, 0),
        shape(0x46, 0x07E0, 0, 0, 300, 200),
        shape(0x5A, 0x001F, 10, 10, 100, 50),
        shape(0x41, 0xFFE0, 20, 20, 60, 40),
        shape(0x49, 0xF81F, 400, 240, 100, 50),
        shape(0x4A, 0x07FF, 400, 240, 20, 10),
        circle(0x59, 0x8410, 600, 100, 40),
        circle(0x4F, 0x0410, 600, 100, 10),
        text(0xFFFF, 1, 2, 0x0000, 50, 300, 1, 0x20, QByteArray("Hi\r\xC4\xE3")),
        realtimeHeader(700, 400, 6, 5) + rtPixels,
        layer(0 * 4 + 1) + copyFrame(0, 0, 200, 100, 10, 10),
        layer(1),
        shape(0x41, 0x0001, 0, 0, 5, 5),
        frame(0x64, hex("10")),
        frame(0x50, hex("02 00")),
        pictureSwitch(3, 0, 0),
    };
    QByteArray clean;
    for (const QByteArray &f : frames)
        clean += f;
    VirtualTerminal whole;
    const QByteArray answers = whole.feed(clean);
    EXPECT_EQ(hx(answers), "55"); // the realtime picture header alone
    EXPECT_EQ(whole.screen().shownLayer(), 1);

    // Byte by byte and in random pieces.
    std::mt19937 rng(7);
    for (int round = 0; round < 3; ++round) {
        VirtualTerminal t;
        QByteArray got;
        for (int at = 0; at < clean.size();) {
            const int n = round == 0 ? 1 : 1 + int(rng() % 40);
            got += t.feed(clean.mid(at, n));
            at += n;
        }
        EXPECT_EQ(got, answers) << round;
        EXPECT_TRUE(t.screen().sameAs(whole.screen())) << round;
    }

    // Noise between the frames: stray bytes and frames gone wrong. (None that
    // a following frame could complete: a frame cut short just before a
    // terminator, or the start of a text, which runs to the next terminator,
    // take the next frame's bytes in as theirs, as a terminal must.)
    const QList<QByteArray> noise = {
        hex("00 12 55"), hex("1B 99 FF FF EE FF"), hex("1B 41 00 00 00 00 00 00 00 00 00 00 00"), hex("1B"),
        hex("1B 42 00 00 FF FF EE 00"), hex("7F 1B 00"), hex("1B 59 01 02 03"),
    };
    QByteArray noisy;
    for (int i = 0; i < frames.size(); ++i)
        noisy += noise[i % noise.size()] + frames[i];
    VirtualTerminal n;
    EXPECT_EQ(n.feed(noisy), answers);
    EXPECT_TRUE(n.screen().sameAs(whole.screen()));
}

TEST(TerminalScreenTest, ScreenshotWidensEachChannelByBitReplication)
{
    const struct
    {
        uint16_t c565;
        int r, g, b;
    } cases[] = {
        {0x0000, 0, 0, 0},     {0xFFFF, 255, 255, 255}, {0xF800, 255, 0, 0},   {0x07E0, 0, 255, 0},
        {0x001F, 0, 0, 255},   {0x0821, 8, 4, 8},       {0x8410, 132, 130, 132}, {0x7BEF, 123, 125, 123},
        {0x1082, 16, 16, 16},
    };
    VirtualTerminal t(320, 240);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rgbOf565(cases[i].c565), qRgb(cases[i].r, cases[i].g, cases[i].b));
        const int x = int(i) * 10;
        t.feed(shape(0x41, cases[i].c565, x, 0, x + 10, 10));
    }
    QTemporaryDir tmp;
    const QString path = tmp.filePath("screen.png");
    QString error;
    ASSERT_TRUE(t.screen().writeScreenshot(path, &error)) << error.toStdString();
    EXPECT_TRUE(h5test::readAll(path).startsWith("\x89PNG\r\n\x1A\n"));
    QImage png(path);
    ASSERT_EQ(png.size(), QSize(320, 240));
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(png.pixel(int(i) * 10 + 5, 5), qRgb(cases[i].r, cases[i].g, cases[i].b)) << i;
    EXPECT_EQ(png.pixel(5, 100), qRgb(0, 0, 0));

    // A folder that does not exist: refused with the path, nothing written.
    EXPECT_FALSE(t.screen().writeScreenshot(tmp.filePath("no/such/screen.png"), &error));
    EXPECT_TRUE(error.contains("screen.png")) << error.toStdString();
}
