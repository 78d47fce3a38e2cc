// Page compiler: the instruction file (layer byte, padded stream, control
// table, control definitions, needle tables) and the picture position
// records. Expected bytes are written out by hand in hex.

#include "support/TestUtil.h"

#include "project/Compiler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>

using namespace h5;
using h5test::hex;

namespace {

std::string hx(const QByteArray &b) { return h5test::toHex(b); }
std::string hx(const char *text) { return hx(hex(text)); }

constexpr int kPage = 2112;
constexpr int kBlock = 9 + 2112;

constexpr COLORREF kRed = RGB(0xF8, 0, 0);   // 00 F8
constexpr COLORREF kGreen = RGB(0, 0xFC, 0); // E0 07
constexpr COLORREF kBlue = RGB(0, 0, 0xF8);  // 1F 00
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kDimBlue = RGB(0, 0, 0x08); // 01 00

// S with delay 0 and P with no next page: how every test page's stream ends.
const char *const kTrailer = "1B 53 00 FF FF EE FF 1B 50 FF FF FF FF EE FF";

CGraph element(int kind, QPoint start = {}, QPoint end = {})
{
    CGraph e;
    e.m_nKind = kind;
    e.m_ptStart = start;
    e.m_ptEnd = end;
    return e;
}

// An auxiliary page (no background frame), delay 0, no next page: its stream
// is exactly the elements' frames followed by kTrailer.
Page auxPage(std::vector<CGraph> elements = {})
{
    Page p;
    p.settings.m_nFlags = 1;
    p.settings.m_nDelay = 0;
    p.settings.m_nNextPage = 1024;
    p.elements = std::move(elements);
    return p;
}

CompiledPage compile(const Page &page, int pageNo = 0)
{
    RecordingNotifier n;
    CompiledPage r = compilePage(page, pageNo, n);
    EXPECT_TRUE(n.messages.isEmpty()) << n.messages.join('\n').toStdString();
    return r;
}

// The frames the elements of an auxiliary page produced.
QByteArray drawn(const CompiledPage &r)
{
    const QByteArray stream = r.instructionFile.mid(1, qsizetype(r.pageLength) * kPage);
    const qsizetype end = stream.lastIndexOf(hex(kTrailer));
    EXPECT_GE(end, 0) << "no S and P frames at the end of the stream";
    return stream.left(end);
}

// The 2121-byte blocks after the stream.
std::vector<QByteArray> blocks(const CompiledPage &r)
{
    const QByteArray rest = r.instructionFile.mid(1 + qsizetype(r.pageLength) * kPage);
    EXPECT_EQ(rest.size() % kBlock, 0);
    std::vector<QByteArray> out;
    for (qsizetype i = 0; i + kBlock <= rest.size(); i += kBlock)
        out.push_back(rest.mid(i, kBlock));
    return out;
}

// Payload of a block with its FF fill removed up to `length` bytes, and a
// check that everything after it is FF.
QByteArray payload(const QByteArray &block, int length)
{
    EXPECT_EQ(block.mid(9 + length), QByteArray(kPage - length, '\xFF'));
    return block.mid(9, length);
}

} // namespace

// ---- file layout ------------------------------------------------------------

TEST(CompileLayoutTest, EmptyPageIsLayerByteAndOnePaddedFlashPage)
{
    struct Case {
        const char *what;
        int flags, delay, nextPage;
        COLORREF back;
        char layer;
        const char *stream;
    };
    const Case cases[] = {
        {"main page clears the screen", 0x0C, 0x00020133, 1024, kRed, 3,
         "1B 42 00 F8 FF FF EE FF 1B 53 33 FF FF EE FF 1B 50 FF FF FF FF EE FF"},
        {"auxiliary page has no background", 0x0D, 0x00020133, 1024, kRed, 3,
         "1B 53 33 FF FF EE FF 1B 50 FF FF FF FF EE FF"},
        {"layer keeps eight bits, next page sent", 0x7FC, 0, 7, kWhite, '\xFF',
         "1B 42 FF FF FF FF EE FF 1B 53 00 FF FF EE FF 1B 50 07 00 FF FF EE FF"},
    };
    for (const Case &c : cases) {
        Page page;
        page.settings.m_nFlags = c.flags;
        page.settings.m_nDelay = c.delay;
        page.settings.m_nNextPage = c.nextPage;
        page.settings.m_crBack = c.back;
        const CompiledPage r = compile(page);
        ASSERT_TRUE(r.ok) << c.what;
        EXPECT_EQ(r.pageLength, 1) << c.what;
        ASSERT_EQ(r.instructionFile.size(), 1 + kPage) << c.what;
        EXPECT_EQ(r.instructionFile[0], c.layer) << c.what;
        const QByteArray stream = hex(c.stream);
        EXPECT_EQ(hx(r.instructionFile.mid(1, stream.size())), hx(stream)) << c.what;
        EXPECT_EQ(r.instructionFile.mid(1 + stream.size()), QByteArray(kPage - stream.size(), '\xFF'))
            << c.what;
        EXPECT_TRUE(r.pictures.empty());
    }
}

TEST(CompileLayoutTest, StreamFillingWholePagesGetsNoExtraPadding)
{
    // Main page: B (8) + text (18 + n) + S (7) + P (8) = 41 + n bytes.
    struct Case { int textBytes; int pages; };
    const Case cases[] = {{2071, 1}, {2072, 2}, {2071 + 2112, 2}};
    for (const Case &c : cases) {
        Page page;
        CGraph text = element(Kind::Text);
        text.m_nAttr = 3 << 8;
        text.m_strText2.assign(std::size_t(c.textBytes), 'x');
        page.elements.push_back(text);
        const CompiledPage r = compile(page);
        EXPECT_EQ(r.pageLength, c.pages) << c.textBytes;
        EXPECT_EQ(r.instructionFile.size(), 1 + c.pages * kPage) << c.textBytes;
        if (41 + c.textBytes == c.pages * kPage) {
            EXPECT_EQ(hx(r.instructionFile.right(8)), hx("1B 50 FF FF FF FF EE FF")) << c.textBytes;
        }
    }
}

TEST(CompileLayoutTest, KindsWithoutFramesProduceNothing)
{
    // Fill, the reserved control kind (a control code, but no control), a
    // delete marker and an unknown code.
    for (int kind : {int(Kind::Fill), int(Kind::ReservedCtrl), int(Kind::DeleteMarker), 200}) {
        CGraph e = element(kind, {10, 10}, {20, 20});
        e.m_nCtrlID = 5;
        const CompiledPage r = compile(auxPage({e}));
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.instructionFile.size(), 1 + kPage) << kind;
        EXPECT_EQ(hx(drawn(r)), "") << kind;
    }
}

// ---- drawn elements -----------------------------------------------------------

TEST(CompileShapeTest, ShapesBecomeTheirFrames)
{
    struct Case { const char *what; int kind; QPoint a, b; const char *expected; };
    const Case cases[] = {
        {"line keeps its direction", Kind::Line, {300, 2}, {1, -1},
         "1B 46 00 F8 2C 01 02 00 01 00 FF FF FF FF EE FF"},
        {"rectangle", Kind::HollowRect, {10, 20}, {30, 40},
         "1B 5A 00 F8 0A 00 14 00 1E 00 28 00 FF FF EE FF"},
        {"filled rectangle", Kind::SolidRect, {10, 20}, {30, 40},
         "1B 41 00 F8 0A 00 14 00 1E 00 28 00 FF FF EE FF"},
        // centre (20, 32), half sizes 21/2 = 10 and 25/2 = 12
        {"ellipse halves truncate", Kind::HollowEllipse, {10, 20}, {31, 45},
         "1B 49 00 F8 14 00 20 00 0A 00 0C 00 FF FF EE FF"},
        // reversed corners: half sizes -21/2 = -10 and -25/2 = -12 (toward zero)
        {"reversed ellipse", Kind::SolidEllipse, {31, 45}, {10, 20},
         "1B 4A 00 F8 14 00 20 00 F6 FF F4 FF FF FF EE FF"},
        // centre -5/2 = -2 and -3/2 = -1, not -3 and -2
        {"negative centre truncates toward zero", Kind::HollowEllipse, {-5, -3}, {0, 0},
         "1B 49 00 F8 FE FF FF FF 02 00 01 00 FF FF EE FF"},
        {"circle radius 5", Kind::HollowCircle, {100, 50}, {103, 54},
         "1B 59 00 F8 64 00 32 00 05 00 FF FF EE FF"},
        {"circle radius sqrt(8) truncates to 2", Kind::SolidCircle, {100, 50}, {102, 52},
         "1B 4F 00 F8 64 00 32 00 02 00 FF FF EE FF"},
        {"circle end before the centre", Kind::HollowCircle, {100, 50}, {97, 46},
         "1B 59 00 F8 64 00 32 00 05 00 FF FF EE FF"},
    };
    for (const Case &c : cases) {
        CGraph e = element(c.kind, c.a, c.b);
        e.m_crColor1 = kRed;
        e.m_crColor2 = kBlue; // equal to colour 1 in real pages; must not be used
        EXPECT_EQ(hx(drawn(compile(auxPage({e})))), hx(c.expected)) << c.what;
    }
}

TEST(CompileShapeTest, BitmapShowsItsPictureAtItsTopLeft)
{
    CGraph e = element(Kind::Bitmap, {5, 6}, {485, 278});
    e.m_nNumber = 300;
    e.m_strText1 = "dial.bmp";
    const CompiledPage r = compile(auxPage({e}));
    EXPECT_EQ(hx(drawn(r)), hx("1B 29 2C 01 05 00 06 00 FF FF EE FF"));
    ASSERT_EQ(r.pictures.size(), 1u);
    EXPECT_EQ(r.pictures[0].name, "dial.bmp");
    EXPECT_EQ(r.pictures[0].number, 300);
    EXPECT_EQ(r.pictures[0].width, 480);
    EXPECT_EQ(r.pictures[0].height, 272);
    EXPECT_EQ(r.pictures[0].blocks, 2); // 480 * 272 * 2 = 261120 bytes, 1.93 blocks
}

TEST(CompileShapeTest, TextFrameTakesColoursSpacingModeAndFont)
{
    CGraph e = element(Kind::Text, {300, 2}, {400, 40});
    e.m_crColor1 = kRed;
    e.m_crColor2 = kBlue;
    e.m_nAttr = 1 | (9 << 8) | (2 << 16); // on background, 16 dots, 黑体
    e.m_strText1 = "3";
    e.m_strText3 = "12";
    e.m_strText2 = "Hi";
    EXPECT_EQ(hx(drawn(compile(auxPage({e})))),
              hx("1B 23 00 F8 03 0C 1F 00 2C 01 02 00 01 22 48 69 FF FF EE FF"));
}

TEST(CompileShapeTest, TextSpacingIsTheLeadingDecimalNumberLowByte)
{
    struct Case { const char *text; int expected; };
    const Case cases[] = {
        {"", 0}, {"abc", 0}, {"7", 7}, {" 7", 7}, {"12px", 12}, {"260", 4}, {"-1", 0xFF}, {"+5", 5},
    };
    for (const Case &c : cases) {
        CGraph e = element(Kind::Text);
        e.m_nAttr = 3 << 8;
        e.m_strText1 = c.text;
        e.m_strText3 = c.text;
        const QByteArray f = drawn(compile(auxPage({e})));
        ASSERT_EQ(f.size(), 18) << c.text;
        EXPECT_EQ(uint8_t(f[4]), c.expected) << "column spacing of '" << c.text << "'";
        EXPECT_EQ(uint8_t(f[5]), c.expected) << "line spacing of '" << c.text << "'";
    }
}

TEST(CompileShapeTest, TextFontCodeComesFromSizeCodeAndFace)
{
    struct Case { int sizeCode, face, expected; };
    const Case cases[] = {
        {3, 2, 0x0C}, {6, 1, 0x15}, {9, 3, 0x23}, {12, 0, 0x30},
        {15, 2, 0x42}, {21, 2, 0x62}, {27, 0, 0x80}, {27, 2, 0x82},
    };
    for (const Case &c : cases) {
        CGraph e = element(Kind::Text);
        e.m_nAttr = (c.sizeCode << 8) | (c.face << 16);
        const QByteArray f = drawn(compile(auxPage({e})));
        ASSERT_EQ(f.size(), 18);
        EXPECT_EQ(uint8_t(f[13]), c.expected) << "size code " << c.sizeCode << " face " << c.face;
    }
}

TEST(CompileShapeTest, GroupBoxIsOutlineInColourTwoThenFourLinesInColourOne)
{
    CGraph e = element(Kind::GroupBox, {10, 20}, {110, 70});
    e.m_crColor1 = kWhite;
    e.m_crColor2 = kRed;
    e.m_crColor3 = kBlue;
    EXPECT_EQ(hx(drawn(compile(auxPage({e})))),
              hx("1B 5A 00 F8 0A 00 14 00 6E 00 46 00 FF FF EE FF"   // (10,20)-(110,70)
                 "1B 46 FF FF 0B 00 15 00 6D 00 15 00 FF FF EE FF"   // (11,21)-(109,21)
                 "1B 46 FF FF 0B 00 15 00 0B 00 45 00 FF FF EE FF"   // (11,21)-(11,69)
                 "1B 46 FF FF 0B 00 46 00 6F 00 46 00 FF FF EE FF"   // (11,70)-(111,70)
                 "1B 46 FF FF 6E 00 15 00 6E 00 46 00 FF FF EE FF")); // (110,21)-(110,70)
}

TEST(CompileShapeTest, PanelEdgeColoursSwapWhenSunkenAndFaceIsSkippedWhenTransparent)
{
    // Panel (10,20)-(50,40), border 2: face (12,22)-(48,38), then two rounds
    // of top, left, bottom, right. TL and BR stand for the two edge colours.
    const std::string face = "1B 41 1F 00 0C 00 16 00 30 00 26 00 FF FF EE FF";
    const std::string edges =
        "1B 46 TL 0A 00 14 00 31 00 14 00 FF FF EE FF"  // (10,20)-(49,20)
        "1B 46 TL 0A 00 14 00 0A 00 27 00 FF FF EE FF"  // (10,20)-(10,39)
        "1B 46 BR 0A 00 27 00 32 00 27 00 FF FF EE FF"  // (10,39)-(50,39)
        "1B 46 BR 31 00 14 00 31 00 27 00 FF FF EE FF"  // (49,20)-(49,39)
        "1B 46 TL 0B 00 15 00 30 00 15 00 FF FF EE FF"  // (11,21)-(48,21)
        "1B 46 TL 0B 00 15 00 0B 00 26 00 FF FF EE FF"  // (11,21)-(11,38)
        "1B 46 BR 0B 00 26 00 32 00 26 00 FF FF EE FF"  // (11,38)-(50,38)
        "1B 46 BR 30 00 15 00 30 00 27 00 FF FF EE FF"; // (48,21)-(48,39)
    const std::string light = "FF FF", dark = "00 F8";
    auto colour = [&](std::string s, const std::string &tl, const std::string &br) {
        for (std::size_t i; (i = s.find("TL")) != std::string::npos;)
            s.replace(i, 2, tl);
        for (std::size_t i; (i = s.find("BR")) != std::string::npos;)
            s.replace(i, 2, br);
        return s;
    };
    struct Case { const char *what; int attr, style; std::string expected; };
    const Case cases[] = {
        {"raised", 0, 0x02, face + colour(edges, light, dark)},
        {"sunken", 1, 0x02, face + colour(edges, dark, light)},
        {"any nonzero attribute is sunken", 0x100, 0x02, face + colour(edges, dark, light)},
        {"transparent", 0, 0x12, colour(edges, light, dark)},
        {"no border", 0, 0x00, "1B 41 1F 00 0A 00 14 00 32 00 28 00 FF FF EE FF"},
        {"no border, transparent", 0, 0xF0, ""},
    };
    for (const Case &c : cases) {
        CGraph e = element(Kind::Panel, {10, 20}, {50, 40});
        e.m_crColor1 = kWhite;
        e.m_crColor2 = kRed;
        e.m_crColor3 = kBlue;
        e.m_nAttr = c.attr;
        e.m_nStyle = c.style;
        EXPECT_EQ(hx(drawn(compile(auxPage({e})))), hx(c.expected.c_str())) << c.what;
    }
}

// ---- controls -------------------------------------------------------------------

TEST(CompileControlTest, ControlFramesTakeTheirFieldsFromTheElement)
{
    auto withTag = [](std::vector<CGraph> elements) {
        Page p = auxPage(std::move(elements));
        p.settings.m_nDelay = 0x0A0B0000; // page tag 0x0A0B, delay 0
        return p;
    };
    const int oor = (0x0C0D << 16) | 0x0E0F; // shown below the minimum / above the maximum

    CGraph i = element(Kind::StringCtrl, {300, 20}, {396, 44});
    i.m_crColor1 = kRed;
    i.m_crColor2 = kBlue;
    i.m_nAttr = 2 | (12 << 8); // 24 dots, 12 characters

    CGraph k = element(Kind::NumericCtrl, {0x0102, 0x0304}, {0x0200, 0x0400});
    k.m_crColor1 = kRed;
    k.m_crColor2 = kBlue;
    k.m_crColor4 = kGreen;
    k.m_crColor5 = kWhite;
    k.m_nValue1 = 2; // decimal digits
    k.m_nValue2 = 6; // integer digits
    k.m_nValue3 = -2;
    k.m_nValue4 = 0x12345;
    k.m_nAttr = (12 << 8) | 1; // 24 dots
    k.m_nStyle = 0x4D;
    k.m_nExtra = oor;

    CGraph l = element(Kind::BarCtrl, {10, 20}, {0, 300});
    l.m_crColor1 = kRed;     // display
    l.m_crColor2 = kBlue;    // background
    l.m_crColor3 = kGreen;   // frame
    l.m_crColor4 = kWhite;   // out-of-range display
    l.m_crColor5 = kDimBlue; // out-of-range background
    l.m_nStyle = 5;
    l.m_nAttr = 5;
    l.m_nValue3 = -2;
    l.m_nValue4 = 0x12345;
    l.m_nExtra = oor;

    CGraph m = element(Kind::ImageCtrl, {0x0102, 0x0304}, {0x0200, 0x0400});
    m.m_nValue3 = 10;
    m.m_nValue4 = 599;
    m.m_nStyle = 0x81;

    CGraph n = element(Kind::TextCtrl, {1, 2}, {300, 400});
    n.m_crColor1 = kRed;
    n.m_crColor2 = kBlue;
    n.m_nNumber = (3 << 8) | 4; // column spacing 3, line spacing 4
    n.m_nAttr = 1 | (4 << 8);   // 黑体, 48 dots

    struct Case { const char *what; CGraph e; const char *frame; };
    const Case cases[] = {
        {"string", i, "1B 69 00 F8 2C 01 1F 00 14 00 30 0C FF FF EE FF"},
        {"numeric", k,
         "1B 6B 00 F8 02 01 1F 00 04 03 E0 07 06 00 FF FF 02 00 FE FF 18 00 45 23"
         " 4D 00 0B 0A 0D 0C FF FF 0F 0E 01 00 FF FF EE FF"},
        {"bar graph", l,
         "1B 6C 1F 00 0B 00 00 F8 15 00 E0 07 FF FF 01 00 2B 01 FF FF 05 00 FE FF"
         " 0B 0A 45 23 0D 0C FF FF 0F 0E 01 00 FF FF EE FF"},
        {"image", m, "1B 6D 02 01 04 03 0A 00 57 02 0B 0A 81 00 FF FF EE FF"},
        {"text control", n, "1B 6E 00 F8 03 04 1F 00 01 00 02 00 2C 01 90 01 62 00 FF FF EE FF"},
    };
    for (const Case &c : cases) {
        CGraph e = c.e;
        e.m_nCtrlID = 0x0123;
        const CompiledPage r = compile(withTag({e}));
        const QByteArray frame = hex(c.frame);
        EXPECT_EQ(hx(drawn(r)), hx(frame)) << c.what;
        const auto b = blocks(r);
        ASSERT_EQ(b.size(), 2u) << c.what; // table, definition
        EXPECT_EQ(hx(b[1].left(9)), hx("7F 1B 70 23 01 FF FF EE FF")) << c.what;
        EXPECT_EQ(hx(payload(b[1], int(frame.size()))), hx(frame)) << c.what;
    }
}

TEST(CompileControlTest, StringAndTextControlFontsFollowTheirSizeIndex)
{
    struct Case { int kind, size, face, expected; };
    const Case cases[] = {
        {Kind::StringCtrl, 0, 0, 0x0C}, {Kind::StringCtrl, 1, 0, 0x20},
        {Kind::StringCtrl, 3, 0, 0x40}, {Kind::StringCtrl, 4, 0, 0x60},
        {Kind::StringCtrl, 5, 0, 0x80},
        {Kind::TextCtrl, 0, 3, 0x0C},   {Kind::TextCtrl, 1, 2, 0x22},
        {Kind::TextCtrl, 2, 3, 0x33},   {Kind::TextCtrl, 3, 0, 0x40},
        {Kind::TextCtrl, 4, 0, 0x60},   {Kind::TextCtrl, 4, 1, 0x62},
        {Kind::TextCtrl, 5, 0, 0x80},   {Kind::TextCtrl, 5, 1, 0x82},
    };
    for (const Case &c : cases) {
        CGraph e = element(c.kind);
        // string control: byte 0 font index; text control: byte 0 face, byte 1 size
        e.m_nAttr = c.kind == Kind::StringCtrl ? c.size : (c.face | (c.size << 8));
        const QByteArray f = drawn(compile(auxPage({e})));
        const int at = c.kind == Kind::StringCtrl ? 10 : 16;
        ASSERT_GT(f.size(), at);
        EXPECT_EQ(uint8_t(f[at]), c.expected) << "kind " << c.kind << " size " << c.size
                                              << " face " << c.face;
    }
}

TEST(CompileControlTest, ButtonGetsMarkedTableEntryAndDefinitionWithoutItsText)
{
    CGraph o = element(Kind::ButtonCtrl, {10, 20}, {110, 60});
    o.m_nCtrlID = 0x0123;
    o.m_crColor1 = kWhite; // light edge
    o.m_crColor2 = kRed;   // dark edge
    o.m_crColor3 = kGreen; // face
    o.m_crColor4 = kBlue;  // text
    o.m_nStyle = 0x43;     // border 3, text shown
    o.m_nAttr = 0x105;     // action bits: low byte only
    o.m_nNumber = 0x0102;  // next page
    o.m_strText1 = "A";
    const CompiledPage r = compile(auxPage({o}), 7);
    ASSERT_TRUE(r.ok);

    const char *button = "1B 6F E0 07 0D 00 17 00 FF FF 6B 00 39 00 00 F8 43 FF FF EE FF";
    // 8-dot text at (13, 23) in the text colour on the text colour.
    const char *text = "1B 23 1F 00 00 00 1F 00 0D 00 17 00 00 0C 41 FF FF EE FF";
    EXPECT_EQ(hx(drawn(r)), hx(button) + " " + hx(text));

    const auto b = blocks(r);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(hx(b[0].left(9)), hx("7F 1B 71 07 00 FF FF EE FF"));
    EXPECT_EQ(hx(payload(b[0], 14)), hx("23 81 0A 00 14 00 6E 00 3C 00 05 00 02 01"));
    EXPECT_EQ(hx(b[1].left(9)), hx("7F 1B 70 23 01 FF FF EE FF"));
    EXPECT_EQ(hx(payload(b[1], 21)), hx(button));
    EXPECT_EQ(r.instructionFile.size(), 1 + kPage + 2 * kBlock);
}

TEST(CompileControlTest, ButtonTextIsPlacedByAlignmentAndTextBlockSize)
{
    // Button (10,20)-(110,60) with border 3; the text frame follows the
    // 21-byte button frame. x at offset 8, y at 10, font code at 13.
    struct Case {
        const char *what;
        QPoint a, b;
        int extra; // bits 0..1 alignment, 2..3 face, 4..7 size index
        const char *text;
        const char *xyFont; // bytes 8..13 of the text frame
    };
    const Case cases[] = {
        {"top left inside the border", {10, 20}, {110, 60}, 0x10, "AB", "0D 00 17 00 00 20"},
        // 16-dot "AB" is 16 x 16: ((120 - 16) / 2, (80 - 16) / 2)
        {"centre", {10, 20}, {110, 60}, 0x11, "AB", "34 00 20 00 00 20"},
        {"bottom right", {10, 20}, {110, 60}, 0x12, "AB", "5B 00 29 00 00 20"},
        // 8 dots: western characters a full cell wide, 16 x 8
        {"8-dot cells are square", {10, 20}, {110, 60}, 0x02, "AB", "5B 00 31 00 00 0C"},
        // 24 dots 仿宋: one double-byte character (24) + one byte (12) = 36 x 24
        {"double-byte character is one cell", {10, 20}, {110, 60}, 0x26, "\xC4\xE3" "A",
         "47 00 21 00 00 31"},
        // lines of 16 and 32 dots: 32 x 32
        {"CR starts a line, LF is ignored", {10, 20}, {110, 60}, 0x12, "AB\r\nABCD",
         "4B 00 19 00 00 20"},
        {"48 dots 黑体", {10, 20}, {110, 60}, 0x44, "", "0D 00 17 00 00 62"},
        {"64 dots 宋体", {10, 20}, {110, 60}, 0x50, "", "0D 00 17 00 00 80"},
        // (0 + 1 - 32) and (0 + 1 - 16) halved as unsigned: 0x7FFFFFF0, 0x7FFFFFF8
        {"centre of negative sums uses a logical shift", {0, 0}, {1, 1}, 0x11, "ABCD",
         "F0 FF F8 FF 00 20"},
    };
    for (const Case &c : cases) {
        CGraph o = element(Kind::ButtonCtrl, c.a, c.b);
        o.m_nStyle = 0x40 | (c.a == QPoint(0, 0) ? 0 : 3);
        o.m_nExtra = c.extra;
        o.m_strText1 = c.text;
        const QByteArray stream = drawn(compile(auxPage({o})));
        ASSERT_EQ(stream.size(), 21 + 18 + qsizetype(std::strlen(c.text))) << c.what;
        EXPECT_EQ(hx(stream.mid(21 + 8, 6)), hx(c.xyFont)) << c.what;
    }
}

TEST(CompileControlTest, ButtonWithoutTextShownHasNoTextFrame)
{
    CGraph o = element(Kind::ButtonCtrl, {10, 20}, {110, 60});
    o.m_nStyle = 0x33; // transparent and invisible, but no text
    o.m_strText1 = "OK";
    EXPECT_EQ(drawn(compile(auxPage({o}))).size(), 21);
}

TEST(CompileControlTest, TextControlHasDefinitionButNoTableEntry)
{
    CGraph n = element(Kind::TextCtrl, {1, 2}, {300, 400});
    n.m_nCtrlID = 9;
    const CompiledPage r = compile(auxPage({n}), 3);
    const auto b = blocks(r);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(hx(b[0].left(9)), hx("7F 1B 71 03 00 FF FF EE FF"));
    EXPECT_EQ(payload(b[0], 0), QByteArray()); // the table is empty
    EXPECT_EQ(hx(b[1].left(9)), hx("7F 1B 70 09 00 FF FF EE FF"));
}

TEST(CompileControlTest, BlocksFollowElementOrderAndNeedleTablesComeLast)
{
    CGraph dial = element(Kind::Bitmap, {0, 0}, {100, 100});
    dial.m_strText1 = "dial.bmp";
    std::vector<CGraph> elements{dial};
    const int kinds[] = {Kind::StringCtrl, Kind::TextCtrl, Kind::PointerCtrl, Kind::ButtonCtrl,
                         Kind::ImageCtrl, Kind::PointerCtrl};
    int id = 0x10;
    for (int kind : kinds) {
        CGraph e = element(kind, {0, 0}, {100, 100});
        e.m_nCtrlID = id++;
        e.m_strText3 = "dial.bmp";
        e.m_nAttr = kind == Kind::PointerCtrl ? (1 << 24) : 0; // one needle position
        elements.push_back(e);
    }
    const CompiledPage r = compile(auxPage(elements), 0x0105);
    const auto b = blocks(r);
    const char *headers[] = {
        "7F 1B 71 05 01 FF FF EE FF", // table of page 0x105
        "7F 1B 70 10 00 FF FF EE FF", "7F 1B 70 11 00 FF FF EE FF", "7F 1B 70 12 00 FF FF EE FF",
        "7F 1B 70 13 00 FF FF EE FF", "7F 1B 70 14 00 FF FF EE FF", "7F 1B 70 15 00 FF FF EE FF",
        "7F 1B 72 12 00 FF FF EE FF", "7F 1B 72 15 00 FF FF EE FF",
    };
    ASSERT_EQ(b.size(), std::size(headers));
    for (std::size_t i = 0; i < b.size(); ++i)
        EXPECT_EQ(hx(b[i].left(9)), hx(headers[i])) << "block " << i;
    EXPECT_EQ(hx(payload(b[0], 5 * 14)),
              hx("10 00 00 00 00 00 00 00 00 00 00 00 00 00"
                 "12 00 00 00 00 00 00 00 00 00 00 00 00 00"
                 "13 80 00 00 00 00 64 00 64 00 00 00 00 00"
                 "14 00 00 00 00 00 00 00 00 00 00 00 00 00"
                 "15 00 00 00 00 00 00 00 00 00 00 00 00 00"));
}

TEST(CompileControlTest, ControlTableHoldsAtMost150Entries)
{
    struct Case { int tableControls, textControls; bool ok; };
    const Case cases[] = {{150, 0, true}, {150, 5, true}, {151, 0, false}};
    for (const Case &c : cases) {
        std::vector<CGraph> elements;
        for (int i = 0; i < c.tableControls; ++i) {
            CGraph e = element(Kind::StringCtrl, {0, 0}, {8, 8});
            e.m_nCtrlID = i;
            elements.push_back(e);
        }
        for (int i = 0; i < c.textControls; ++i) {
            CGraph e = element(Kind::TextCtrl, {0, 0}, {8, 8});
            e.m_nCtrlID = 1000 + i;
            elements.push_back(e);
        }
        const CompiledPage r = compile(auxPage(elements), 3);
        EXPECT_EQ(r.ok, c.ok) << c.tableControls << " + " << c.textControls;
        if (c.ok) {
            EXPECT_TRUE(r.error.isEmpty());
            EXPECT_EQ(r.instructionFile.size(),
                      1 + r.pageLength * kPage + (1 + c.tableControls + c.textControls) * kBlock);
        } else {
            EXPECT_EQ(r.error, QStringLiteral("画面3的控件超过150个，无法编译"));
            EXPECT_TRUE(r.instructionFile.isEmpty());
        }
    }
}

// ---- pointer controls ---------------------------------------------------------

namespace {

// Pointer over (100,100)-(200,200), centre (150,150), with its dial bitmap.
std::vector<CGraph> pointerPage(int positions, int from, int to, int innerRadius, int length)
{
    CGraph dial = element(Kind::Bitmap, {100, 100}, {200, 200});
    dial.m_nNumber = 0x0102;
    dial.m_strText1 = "dial.bmp";
    CGraph j = element(Kind::PointerCtrl, {100, 100}, {200, 200});
    j.m_nCtrlID = 2047;
    j.m_strText3 = "dial.bmp";
    j.m_nAttr = length | (3 << 16) | (positions << 24);
    j.m_nNumber = innerRadius;
    j.m_nValue3 = from;
    j.m_nValue4 = to;
    return {dial, j};
}

} // namespace

TEST(CompilePointerTest, PointerFrameTakesTheDialPictureAndItsFields)
{
    std::vector<CGraph> elements = pointerPage(7, 0, 180, 10, 40);
    CGraph &j = elements[1];
    j.m_crColor1 = kRed;  // needle
    j.m_crColor4 = kBlue; // out of range
    j.m_nValue1 = 0x12345; // maximum
    j.m_nValue2 = -2;      // minimum
    j.m_nStyle = 0x133;
    j.m_nExtra = (0x0C0D << 16) | 0x0E0F;
    Page page = auxPage(elements);
    page.settings.m_nDelay = 0x0A0B0000;
    const CompiledPage r = compile(page);
    const char *frame = "1B 6A 02 01 00 F8 64 00 1F 00 64 00 FE FF 07 05 45 23 0B 0A FF 07 33 00"
                        " 0D 0C FF FF 0F 0E 01 00 FF FF EE FF";
    EXPECT_EQ(hx(drawn(r)), hx("1B 29 02 01 64 00 64 00 FF FF EE FF") + " " + hx(frame));
    const auto b = blocks(r);
    ASSERT_EQ(b.size(), 3u); // table, definition, needle table
    EXPECT_EQ(hx(payload(b[0], 14)), hx("FF 07 00 00 00 00 00 00 00 00 00 00 00 00"));
    EXPECT_EQ(hx(payload(b[1], 36)), hx(frame));
    EXPECT_EQ(hx(b[2].left(9)), hx("7F 1B 72 FF 07 FF FF EE FF"));
}

TEST(CompilePointerTest, NeedleTableSpreadsPositionsFromStartToEndAngle)
{
    struct Case {
        const char *what;
        int positions, from, to, inner, length;
        const char *entries;
    };
    const Case cases[] = {
        // 0 points left, 90 up, 180 right; 10 * cos 135 = -7.07 truncates to -7
        {"five positions over 180 degrees", 5, 0, 180, 10, 40,
         "8C 00 96 00 64 00 96 00"   // 0:   (140,150) (100,150)
         "8F 00 8F 00 73 00 73 00"   // 45:  (143,143) (115,115)
         "96 00 8C 00 96 00 64 00"   // 90:  (150,140) (150,100)
         "9D 00 8F 00 B9 00 73 00"   // 135: (157,143) (185,115)
         "A0 00 96 00 C8 00 96 00"}, // 180: (160,150) (200,150)
        // steps of 33.33 degrees in double precision, not 33; radii 200 and 1200
        {"fractional steps", 4, 0, 100, 200, 1000,
         "CE FF 96 00 E6 FB 96 00"   // 0:     (-50,150) (-1050,150)
         "EF FF 29 00 AC FC 03 FE"   // 33.33: (-17,41) (-852,-509)
         "47 00 DF FF BB FE 49 FC"   // 66.67: (71,-33) (-325,-951)
         "B8 00 D2 FF 66 01 F9 FB"}, // 100:   (184,-46) (358,-1031)
        {"one position uses the end angle", 1, 90, -30, 10, 40, "8E 00 9A 00 6B 00 AE 00"},
        {"no positions", 0, 0, 180, 10, 40, ""},
    };
    for (const Case &c : cases) {
        const CompiledPage r =
            compile(auxPage(pointerPage(c.positions, c.from, c.to, c.inner, c.length)));
        const auto b = blocks(r);
        ASSERT_EQ(b.size(), 3u) << c.what;
        const QByteArray expected = hex(c.entries);
        EXPECT_EQ(hx(payload(b[2], int(expected.size()))), hx(expected)) << c.what;
    }
}

TEST(CompilePointerTest, DialIsTheFirstBitmapAfterTheBubbleSortRule)
{
    // Control (100,100)-(200,200). A later candidate moves forward only when
    // both its start and its end are strictly nearer.
    struct Dial { QPoint a, b; const char *name; };
    struct Case { const char *what; std::vector<Dial> dials; int expected; };
    const Case cases[] = {
        {"single match", {{{0, 0}, {50, 50}, "dial.bmp"}}, 1},
        {"nearer later one wins", {{{0, 0}, {50, 50}, "dial.bmp"}, {{100, 100}, {200, 200}, "dial.bmp"}}, 2},
        {"nearer in one corner only does not move",
         {{{100, 100}, {300, 300}, "dial.bmp"}, {{90, 100}, {200, 200}, "dial.bmp"}}, 1},
        {"equal distance does not move",
         {{{100, 100}, {200, 200}, "dial.bmp"}, {{100, 100}, {200, 200}, "dial.bmp"}}, 1},
        // C passes B but not A, although C is the closest overall.
        {"neighbour swaps only",
         {{{100, 100}, {300, 300}, "dial.bmp"}, {{90, 100}, {350, 350}, "dial.bmp"},
          {{95, 100}, {200, 200}, "dial.bmp"}},
         1},
        {"other pictures are not candidates",
         {{{0, 0}, {50, 50}, "dial.bmp"}, {{100, 100}, {200, 200}, "other.bmp"}}, 1},
    };
    for (const Case &c : cases) {
        std::vector<CGraph> elements;
        int number = 1;
        for (const Dial &d : c.dials) {
            CGraph e = element(Kind::Bitmap, d.a, d.b);
            e.m_nNumber = number++;
            e.m_strText1 = d.name;
            elements.push_back(e);
        }
        CGraph j = element(Kind::PointerCtrl, {100, 100}, {200, 200});
        j.m_strText3 = "dial.bmp";
        elements.push_back(j);
        const auto b = blocks(compile(auxPage(elements)));
        ASSERT_EQ(b.size(), 3u) << c.what;
        EXPECT_EQ(uint8_t(b[1][9 + 2]), c.expected) << c.what; // picture number of frame j
    }
}

TEST(CompilePointerTest, PointerWithoutDialPictureProducesNoBytesAndOneMessage)
{
    CGraph dial = element(Kind::Bitmap, {0, 0}, {100, 100});
    dial.m_strText1 = "other.bmp";
    CGraph line = element(Kind::Line, {0, 0}, {5, 5});
    CGraph j = element(Kind::PointerCtrl, {0, 0}, {100, 100});
    j.m_nCtrlID = 4;
    j.m_strText3 = "dial.bmp";
    j.m_nAttr = 5 << 24;

    RecordingNotifier notifier;
    const CompiledPage with = compilePage(auxPage({dial, j, line}), 0, notifier);
    const CompiledPage without = compile(auxPage({dial, line}));
    ASSERT_TRUE(with.ok);
    EXPECT_EQ(with.instructionFile, without.instructionFile);
    // The message names the control and the picture it looks for.
    EXPECT_EQ(notifier.messages,
              QStringList{QStringLiteral("指针控件无配套图片！\n指针控件 ID 4 的表盘图片 dial.bmp 不在本页面上。")});
}

// ---- picture position file ------------------------------------------------------

namespace {

constexpr int kRecord = 2060;
constexpr int kSlotArea = 600 * kRecord;

char at(const QByteArray &f, int slot, int offset) { return f[slot * kRecord + offset]; }

} // namespace

TEST(CompilePictureTest, SamePictureTwiceTakesTheFirstUsesNameAndSize)
{
    CGraph first = element(Kind::Bitmap, {0, 0}, {480, 272});
    first.m_nNumber = 5;
    first.m_strText1 = "a.bmp";
    CGraph second = element(Kind::Bitmap, {10, 10}, {30, 30});
    second.m_nNumber = 5;
    second.m_strText1 = "b.bmp";
    const CompiledPage r = compile(auxPage({first, second}));
    ASSERT_EQ(r.pictures.size(), 2u);

    QByteArray file(kSlotArea, '\0');
    ASSERT_TRUE(updatePicturePositions(file, 2, r.pictures, nullptr));
    EXPECT_EQ(file.mid(5 * kRecord + 2, 6), QByteArray("a.bmp\0", 6));
    EXPECT_EQ(at(file, 5, 1026 + 2), 1);
    EXPECT_EQ(hx(file.mid(5 * kRecord + 2050, 7)), hx("01 E0 01 10 00 00 02"));
}

TEST(CompilePictureTest, PositionUpdateRewritesOnlyThisPagesPartsOfEachRecord)
{
    QByteArray file(kSlotArea, '\0');
    const QByteArray pixels = hex("AB CD EF");
    file.append(pixels);
    // Picture 7 was shown by page 3 and page 4; picture 5 had a longer name.
    file[7 * kRecord + 0] = 1;
    file[7 * kRecord + 1026 + 3] = 1;
    file[7 * kRecord + 1026 + 4] = 1;
    file[7 * kRecord + 2054] = 0;
    file[7 * kRecord + 2055] = 7;
    file.replace(5 * kRecord + 2, 8, "long.bmp");
    file[5 * kRecord + 0] = 1;
    file[5 * kRecord + 2055] = 5;
    file[5 * kRecord + 1026 + 1023] = 1;
    file[5 * kRecord + 2057] = 0x11; // beyond the block byte

    PictureUse use;
    use.name = "a.bmp";
    use.number = 5;
    use.width = 300;
    use.height = 2;
    use.blocks = 1;
    QString error;
    ASSERT_TRUE(updatePicturePositions(file, 3, {use}, &error)) << error.toStdString();

    // Page 3 no longer shows picture 7; everything else of record 7 stays.
    EXPECT_EQ(at(file, 7, 1026 + 3), 0);
    EXPECT_EQ(at(file, 7, 1026 + 4), 1);
    EXPECT_EQ(at(file, 7, 0), 1);
    EXPECT_EQ(at(file, 7, 2055), 7);
    // Picture 5: name zero-padded over the old one, flag, size, blocks.
    EXPECT_EQ(file.mid(5 * kRecord + 2, 1024), QByteArray("a.bmp") + QByteArray(1019, '\0'));
    EXPECT_EQ(at(file, 5, 1026 + 3), 1);
    EXPECT_EQ(at(file, 5, 1026 + 1023), 1);
    EXPECT_EQ(hx(file.mid(5 * kRecord + 2050, 8)), hx("01 2C 00 02 00 05 01 11"));
    EXPECT_EQ(at(file, 5, 0), 1);
    // The pixel data after the records is not touched.
    EXPECT_EQ(file.size(), kSlotArea + pixels.size());
    EXPECT_EQ(file.right(3), pixels);
}

TEST(CompilePictureTest, PositionUpdateIgnoresPictureNumbersOutsideTheRecords)
{
    QByteArray file(kSlotArea, '\0');
    const QByteArray before = file;
    PictureUse bad;
    bad.name = "x.bmp";
    bad.width = bad.height = 8;
    for (int number : {-1, 600}) {
        bad.number = number;
        ASSERT_TRUE(updatePicturePositions(file, 0, {bad}, nullptr));
        EXPECT_EQ(file, before) << number;
    }
}

TEST(CompilePictureTest, PositionUpdateRefusesShortFilesAndBadPageNumbers)
{
    struct Case { int size, pageNo; };
    const Case cases[] = {{kSlotArea - 1, 0}, {0, 0}, {kSlotArea, -1}, {kSlotArea, 1024}};
    PictureUse use;
    use.name = "a.bmp";
    use.number = 0;
    for (const Case &c : cases) {
        QByteArray file(c.size, '\x55');
        QString error;
        EXPECT_FALSE(updatePicturePositions(file, c.pageNo, {use}, &error))
            << c.size << " " << c.pageNo;
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(file, QByteArray(c.size, '\x55'));
    }
}
