// Instruction encoding: colour rounding, font codes, every frame's bytes and
// the segment headers. Expected bytes are written out by hand in hex.

#include "support/TestUtil.h"

#include "project/Encoding.h"

#include <gtest/gtest.h>

using namespace h5;
using h5test::hex;

namespace {

// Hex text of bytes, for readable failure output.
std::string hx(const QByteArray &b) { return h5test::toHex(b); }
// The same spelling for an expected hex literal.
std::string hx(const char *text) { return hx(hex(text)); }

// Colours whose terminal values are easy to spot in a frame.
constexpr COLORREF kRed = RGB(0xF8, 0, 0);   // F800 -> 00 F8
constexpr COLORREF kGreen = RGB(0, 0xFC, 0); // 07E0 -> E0 07
constexpr COLORREF kBlue = RGB(0, 0, 0xF8);  // 001F -> 1F 00
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kDimBlue = RGB(0, 0, 0x08); // 0001 -> 01 00

} // namespace

TEST(EncodingColourTest, RoundsEachChannelOnItsHighestDroppedBitWithoutOverflow)
{
    struct Case { int r, g, b; uint16_t expected; };
    const Case cases[] = {
        {0xFF, 0xFF, 0xFF, 0xFFFF}, // every field already full
        {0xFC, 0xFE, 0xFC, 0xFFFF}, // rounding bits set but fields full
        {0xFC, 0x00, 0x00, 0xF800},
        {0x04, 0x02, 0x04, 0x0821}, // only rounding bits
        {0x07, 0x03, 0x07, 0x0821},
        {0x03, 0x01, 0x03, 0x0000}, // bits below the rounding bits are dropped
        {0x00, 0x00, 0x00, 0x0000},
        {0xF4, 0x00, 0x00, 0xF800}, // red rounds up into the top value
        {0x00, 0x06, 0x00, 0x0040}, // green 4 -> field 1, rounded to 2
        {0x00, 0x00, 0x0C, 0x0002}, // blue 12 -> field 1, rounded to 2
        {0x00, 0xFF, 0x00, 0x07E0},
        {0x00, 0x00, 0xFF, 0x001F},
        {0x12, 0x34, 0x56, 0x11AB}, // red 2 (+0), green 13 (+0), blue 10 (+1)
    };
    for (const Case &c : cases) {
        EXPECT_EQ(colour565(RGB(c.r, c.g, c.b)), c.expected)
            << std::hex << "rgb " << c.r << "," << c.g << "," << c.b;
    }
}

TEST(EncodingColourTest, IgnoresTheTopByteOfTheColourWord)
{
    EXPECT_EQ(colour565(0xFF000000u | RGB(4, 2, 4)), 0x0821);
}

TEST(EncodingColourTest, WritesLowByteFirst)
{
    QByteArray out;
    ByteWriter w(out);
    writeColour565(w, RGB(4, 2, 4));
    EXPECT_EQ(hx(out), hx("21 08"));
}

TEST(EncodingFontTest, SizeBasePlusFaceAndEightDotIgnoresFace)
{
    struct Case { int dots, face; int expected; };
    const Case cases[] = {
        {8, 0, 0x0C},  {8, 3, 0x0C},  {12, 0, 0x14}, {12, 3, 0x17}, {16, 1, 0x21},
        {24, 2, 0x32}, {32, 3, 0x43}, {48, 0, 0x60}, {48, 2, 0x62}, {64, 2, 0x82},
        {7, 2, 0x0C}, // not a dot size: the 8-dot font
    };
    for (const Case &c : cases)
        EXPECT_EQ(fontCode(c.dots, c.face), c.expected) << c.dots << " dots, face " << c.face;
}

TEST(EncodingFrameTest, FixedFramesHaveTheirListedBytes)
{
    struct Case { const char *what; QByteArray frame; const char *expected; };
    const Case cases[] = {
        {"B", backgroundFrame(kRed), "1B 42 00 F8 FF FF EE FF"},
        {"F", lineFrame(kBlue, 1, 2, 300, -1),
         "1B 46 1F 00 01 00 02 00 2C 01 FF FF FF FF EE FF"},
        {"Z", rectFrame(kGreen, 10, 20, 30, 40),
         "1B 5A E0 07 0A 00 14 00 1E 00 28 00 FF FF EE FF"},
        {"A", filledRectFrame(kGreen, 10, 20, 30, 40),
         "1B 41 E0 07 0A 00 14 00 1E 00 28 00 FF FF EE FF"},
        {"I", ellipseFrame(kRed, 100, 50, 20, 10),
         "1B 49 00 F8 64 00 32 00 14 00 0A 00 FF FF EE FF"},
        {"J", filledEllipseFrame(kRed, 100, 50, 20, 10),
         "1B 4A 00 F8 64 00 32 00 14 00 0A 00 FF FF EE FF"},
        {"Y", circleFrame(kWhite, 5, 6, 7), "1B 59 FF FF 05 00 06 00 07 00 FF FF EE FF"},
        {"O", filledCircleFrame(kWhite, 5, 6, 7), "1B 4F FF FF 05 00 06 00 07 00 FF FF EE FF"},
        {")", pictureFrame(599, 300, 2), "1B 29 57 02 2C 01 02 00 FF FF EE FF"},
        {"coordinate low 16 bits", lineFrame(kBlue, 0x12345, -2, 65535, 65536),
         "1B 46 1F 00 45 23 FE FF FF FF 00 00 FF FF EE FF"},
        {"S low byte", delayFrame(0x1234), "1B 53 34 FF FF EE FF"},
        {"P", nextPageFrame(5), "1B 50 05 00 FF FF EE FF"},
        {"P last page", nextPageFrame(1023), "1B 50 FF 03 FF FF EE FF"},
        {"P none", nextPageFrame(1024), "1B 50 FF FF FF FF EE FF"},
        {"P beyond the pages", nextPageFrame(2000), "1B 50 FF FF FF FF EE FF"},
        {"P negative", nextPageFrame(-1), "1B 50 FF FF FF FF EE FF"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(hx(c.frame), hx(c.expected)) << c.what;
}

TEST(EncodingFrameTest, TextFrameCarriesFieldsAtTheirOffsetsAndTheRawBytes)
{
    TextFrame f;
    f.colour = kRed;
    f.columnSpacing = 0x102; // one byte each
    f.lineSpacing = 3;
    f.background = kBlue;
    f.x = 300;
    f.y = 1;
    f.mode = 1;
    f.font = 0x21;
    f.text = "A\xC4\xE3"; // GBK bytes go through unchanged
    EXPECT_EQ(hx(textFrame(f)),
              hx("1B 23 00 F8 02 03 1F 00 2C 01 01 00 01 21 41 C4 E3 FF FF EE FF"));
}

TEST(EncodingFrameTest, TextFrameIsEighteenBytesPlusTheText)
{
    for (std::size_t n : {0u, 1u, 255u, 2071u}) {
        TextFrame f;
        f.text.assign(n, 'x');
        const QByteArray frame = textFrame(f);
        EXPECT_EQ(frame.size(), qsizetype(18 + n)) << n;
        EXPECT_EQ(hx(frame.right(4)), hx("FF FF EE FF")) << n;
    }
}

TEST(EncodingFrameTest, ControlFramesPutEveryFieldAtItsOffset)
{
    // Distinct values everywhere, so a swapped pair of fields shows up.
    StringControlFrame s;
    s.colour = kRed;
    s.background = kBlue;
    s.x = 300;
    s.y = 20;
    s.font = 0x30;
    s.characters = 12;

    PointerControlFrame p;
    p.picture = 0x0102;
    p.needle = kRed;
    p.x = 0x0304;
    p.outOfRange = kBlue;
    p.y = 0x0506;
    p.minimum = -2;
    p.positions = 7;
    p.lineWidth = 3;
    p.maximum = 0x12345;
    p.pageTag = 0x0A0B;
    p.ctrlId = 2047;
    p.style = 0x33;
    p.outOfRangeMin = 0x0C0D;
    p.outOfRangeMax = 0x0E0F;

    NumericControlFrame k;
    k.colour = kRed;
    k.x = 0x0102;
    k.background = kBlue;
    k.y = 0x0304;
    k.outOfRangeColour = kGreen;
    k.integerDigits = 6;
    k.outOfRangeBackground = kWhite;
    k.decimalDigits = 2;
    k.minimum = -2;
    k.dotSize = 24;
    k.maximum = 0x12345;
    k.format = 0x4D;
    k.pageTag = 0x0A0B;
    k.outOfRangeMin = 0x0C0D;
    k.outOfRangeMax = 0x0E0F;

    BarControlFrame l;
    l.display = kRed;
    l.background = kBlue;
    l.frame = kGreen;
    l.outOfRangeDisplay = kWhite;
    l.outOfRangeBackground = kDimBlue;
    l.x1 = 10;
    l.y1 = 20;
    l.x2 = 0;
    l.y2 = 300;
    l.structure = 5;
    l.minimum = -2;
    l.maximum = 0x12345;
    l.pageTag = 0x0A0B;
    l.outOfRangeMin = 0x0C0D;
    l.outOfRangeMax = 0x0E0F;

    ImageControlFrame m;
    m.x = 0x0102;
    m.y = 0x0304;
    m.firstPicture = 10;
    m.lastPicture = 599;
    m.pageTag = 0x0A0B;
    m.style = 0x81;

    TextControlFrame n;
    n.colour = kRed;
    n.columnSpacing = 3;
    n.lineSpacing = 4;
    n.background = kBlue;
    n.x1 = 1;
    n.y1 = 2;
    n.x2 = 300;
    n.y2 = 400;
    n.font = 0x62;

    ButtonControlFrame o;
    o.face = kGreen;
    o.light = kWhite;
    o.dark = kRed;
    o.x1 = 10;
    o.y1 = 20;
    o.x2 = 110;
    o.y2 = 60;
    o.style = 0x43; // border 3

    struct Case { const char *what; QByteArray frame; int length; const char *expected; };
    const Case cases[] = {
        {"i", stringControlFrame(s), 16, "1B 69 00 F8 2C 01 1F 00 14 00 30 0C FF FF EE FF"},
        {"j", pointerControlFrame(p), 36,
         "1B 6A 02 01 00 F8 04 03 1F 00 06 05 FE FF 07 05 45 23 0B 0A FF 07 33 00"
         " 0D 0C FF FF 0F 0E 01 00 FF FF EE FF"},
        {"k", numericControlFrame(k), 40,
         "1B 6B 00 F8 02 01 1F 00 04 03 E0 07 06 00 FF FF 02 00 FE FF 18 00 45 23"
         " 4D 00 0B 0A 0D 0C FF FF 0F 0E 01 00 FF FF EE FF"},
        {"l (rectangle shrunk by one)", barControlFrame(l), 40,
         "1B 6C 1F 00 0B 00 00 F8 15 00 E0 07 FF FF 01 00 2B 01 FF FF 05 00 FE FF"
         " 0B 0A 45 23 0D 0C FF FF 0F 0E 01 00 FF FF EE FF"},
        {"m", imageControlFrame(m), 18, "1B 6D 02 01 04 03 0A 00 57 02 0B 0A 81 00 FF FF EE FF"},
        {"n", textControlFrame(n), 22,
         "1B 6E 00 F8 03 04 1F 00 01 00 02 00 2C 01 90 01 62 00 FF FF EE FF"},
        {"o (rectangle shrunk by the border)", buttonControlFrame(o), 21,
         "1B 6F E0 07 0D 00 17 00 FF FF 6B 00 39 00 00 F8 43 FF FF EE FF"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.frame.size(), c.length) << c.what;
        EXPECT_EQ(hx(c.frame), hx(c.expected)) << c.what;
    }
}

TEST(EncodingFrameTest, ButtonBorderComesFromTheLowFourBitsOfTheStyleOnly)
{
    ButtonControlFrame o;
    o.x1 = 10;
    o.y1 = 20;
    o.x2 = 110;
    o.y2 = 60;
    o.style = 0x72; // flags above bit 3 are not part of the border
    EXPECT_EQ(hx(buttonControlFrame(o).mid(4, 4)), hx("0C 00 16 00"));
    EXPECT_EQ(hx(buttonControlFrame(o).mid(10, 4)), hx("6C 00 3A 00"));
}

TEST(EncodingSegmentTest, HeadersHaveTheirListedBytes)
{
    struct Case { const char *what; QByteArray header; const char *expected; };
    const Case cases[] = {
        {"definition", shortSegmentHeader(Segment::ControlDefinition, 2047),
         "7F 1B 70 FF 07 FF FF EE FF"},
        {"table", shortSegmentHeader(Segment::ControlTable, 300), "7F 1B 71 2C 01 FF FF EE FF"},
        {"needles", shortSegmentHeader(Segment::NeedleTable, 5), "7F 1B 72 05 00 FF FF EE FF"},
        {"long", longSegmentHeader(3, 260), "7F 1B 56 03 00 04 01 FF FF EE FF"},
        {"project", projectHeader(), "7F 1B 75 FF FF EE FF"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(hx(c.header), hx(c.expected)) << c.what;
}

TEST(EncodingSegmentTest, FlashPageBlockIsHeaderPlusOnePageFilledWithFF)
{
    const QByteArray block = flashPageBlock(Segment::ControlDefinition, 0x0123, hex("01 02 03"));
    ASSERT_EQ(block.size(), 9 + 2112);
    EXPECT_EQ(hx(block.left(12)), hx("7F 1B 70 23 01 FF FF EE FF 01 02 03"));
    EXPECT_EQ(block.mid(12), QByteArray(2112 - 3, '\xFF'));

    // A payload longer than a page is cut rather than spilling into the next block.
    const QByteArray tooLong(2200, '\x11');
    const QByteArray cut = flashPageBlock(Segment::NeedleTable, 1, tooLong);
    ASSERT_EQ(cut.size(), 9 + 2112);
    EXPECT_EQ(cut.mid(9), QByteArray(2112, '\x11'));
}

TEST(EncodingSegmentTest, PaddingFillsToWholeFlashPagesAfterTheOffset)
{
    struct Case { int bytes; int pages; };
    const Case cases[] = {{1, 1}, {23, 1}, {2111, 1}, {2112, 1}, {2113, 2}, {4224, 2}};
    for (const Case &c : cases) {
        QByteArray data(1 + c.bytes, '\x00'); // one leading byte outside the pages
        EXPECT_EQ(padToFlashPages(data, 1), c.pages) << c.bytes;
        EXPECT_EQ(data.size(), 1 + c.pages * 2112) << c.bytes;
        EXPECT_EQ(data.mid(1 + c.bytes), QByteArray(c.pages * 2112 - c.bytes, '\xFF')) << c.bytes;
    }
}
