// Text elements, numeric controls and button captions: fonts, layout,
// wrapping at the screen width, and the end point the layout leaves.

#include "model/DrawTestSupport.h"

#include "common/Gbk.h"
#include "model/ElementDraw.h"
#include "model/FontFaces.h"

#include <QFontDatabase>
#include <QFontMetrics>

using namespace h5;
using namespace h5test;

namespace {

class DrawText : public DrawTest
{
};

const QColor kGrey(128, 128, 128);
const QColor kGreen(0, 255, 0);

// A text element: white characters, size code, face, display mode.
CGraph textElement(QPoint at, const QString &text, int sizeCode = 9, int face = 0, int mode = 0,
                   int columnSpacing = 0, int lineSpacing = 0)
{
    CGraph g = shape(Kind::Text, at, at, kWhite);
    g.m_crColor2 = cr(kGrey);
    g.m_nAttr = (face << 16) | (sizeCode << 8) | mode;
    g.m_strText1 = std::to_string(columnSpacing);
    g.m_strText3 = std::to_string(lineSpacing);
    g.m_strText2 = toGbk(text);
    return g;
}

DrawContext screen(int width)
{
    DrawContext ctx;
    ctx.screenWidth = width;
    return ctx;
}

TEST_F(DrawText, ChineseTextShowsRealGlyphsInEveryFace)
{
    const QString text = QStringLiteral("温度");
    for (int face = 0; face < 4; ++face) {
        const QString family = chineseFamily(face);
        EXPECT_FALSE(family.isEmpty()) << face;
        EXPECT_TRUE(QFontDatabase::families().contains(family)) << family.toStdString();
        for (int sizeCode : {6, 9, 12, 21}) {
            SCOPED_TRACE(face * 100 + sizeCode);
            const int d = sizeCode == 6 ? 12 : sizeCode == 9 ? 16 : sizeCode == 12 ? 24 : 48;
            EXPECT_TRUE(QFontMetrics(chineseFont(face, d).font).inFont(text[0]));
            Canvas canvas(2 * d + 8, d + 8);
            CGraph g = textElement({0, 0}, text, sizeCode, face);
            canvas.draw(g, false, screen(800));
            const QImage first = canvas.image.copy(0, 0, d, d);
            const QImage second = canvas.image.copy(d, 0, d, d);
            EXPECT_GT(canvas.count(kWhite, QRect(0, 0, d, d)), d);
            EXPECT_GT(canvas.count(kWhite, QRect(d, 0, d, d)), d);
            // Missing glyphs would all be the same empty box.
            EXPECT_NE(first, second);
            // Nothing leaves the cells.
            EXPECT_EQ(canvas.countNot(kBlack) - canvas.countNot(kBlack, QRect(0, 0, 2 * d, d)), 0);
        }
    }
}

TEST_F(DrawText, LayoutLeavesEndPointAtTheTextsBottomRight)
{
    struct Case
    {
        const char *name;
        QString text;
        QPoint start;
        int sizeCode, cs, ls, screenWidth;
        QPoint wantStart, wantEnd;
    };
    const Case cases[] = {
        {"two characters", QStringLiteral("温度"), {10, 5}, 9, 0, 0, 100, {10, 5}, {42, 21}},
        {"column spacing", QStringLiteral("温度"), {10, 5}, 9, 4, 0, 100, {10, 5}, {46, 21}},
        {"line break and spacing", QStringLiteral("温\r\n度"), {10, 5}, 9, 0, 2, 100, {10, 5},
         {26, 39}},
        {"western half width", QStringLiteral("AB"), {10, 5}, 9, 0, 0, 100, {10, 5}, {26, 21}},
        {"8-dot western full width", QStringLiteral("AB"), {10, 5}, 3, 0, 0, 100, {10, 5},
         {26, 13}},
        {"mixed", QStringLiteral("温A度"), {0, 0}, 12, 1, 0, 100, {0, 0}, {62, 24}},
        {"wraps at the screen width", QStringLiteral("一二三四五六"), {20, 5}, 9, 0, 0, 100,
         {20, 5}, {100, 37}},
        {"wrap with line spacing", QStringLiteral("一二三四五六"), {20, 5}, 9, 0, 3, 100,
         {20, 5}, {100, 40}},
        {"start right of the screen", QStringLiteral("温"), {150, 5}, 9, 0, 0, 100, {0, 5},
         {16, 21}},
        {"first character moves the start down", QStringLiteral("温"), {90, 5}, 9, 0, 0, 100,
         {0, 21}, {90, 37}},
        {"empty text", QString(), {30, 5}, 9, 0, 0, 100, {30, 5}, {30, 5}},
        {"unknown screen width never wraps", QStringLiteral("一二三四五六七八"), {90, 5}, 9, 0,
         0, 0, {90, 5}, {218, 21}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(260, 80);
        CGraph g = textElement(c.start, c.text, c.sizeCode, 0, 0, c.cs, c.ls);
        g.m_ptEnd = QPoint(500, 500); // whatever the last drawing left
        canvas.draw(g, false, screen(c.screenWidth));
        EXPECT_EQ(g.m_ptStart, c.wantStart);
        EXPECT_EQ(g.m_ptEnd, c.wantEnd);
    }
}

TEST_F(DrawText, TextStartingRightOfTheScreenIsDrawnFromTheLeftEdge)
{
    Canvas canvas(200, 40);
    CGraph g = textElement({150, 5}, QStringLiteral("温度"));
    canvas.draw(g, false, screen(100));
    EXPECT_GT(canvas.count(kWhite, QRect(0, 5, 32, 16)), 0);
    EXPECT_EQ(canvas.count(kWhite, QRect(100, 0, 100, 40)), 0);
}

TEST_F(DrawText, LongTextWrapsAtTheScreenNotAtTheElementsBox)
{
    Canvas canvas(200, 60);
    CGraph g = textElement({20, 5}, QStringLiteral("一二三四五六七八"));
    g.m_ptEnd = QPoint(40, 21); // a small box from an earlier layout
    canvas.draw(g, false, screen(100));
    EXPECT_EQ(canvas.count(kWhite, QRect(100, 0, 100, 60)), 0);
    EXPECT_GT(canvas.count(kWhite, QRect(84, 5, 16, 16)), 0); // last on the first line
    EXPECT_GT(canvas.count(kWhite, QRect(0, 21, 16, 16)), 0);  // first on the second
    EXPECT_EQ(g.m_ptEnd, QPoint(100, 37));
}

TEST_F(DrawText, OpaqueTextFillsItsCellsButNotTheSpacing)
{
    for (int mode : {0, 1}) {
        Canvas canvas(80, 30);
        CGraph g = textElement({10, 5}, QStringLiteral("温A"), 9, 0, mode, 4);
        canvas.draw(g, false, screen(800));
        // Cells: 温 at 10..25, A at 30..37, rows 5..20.
        EXPECT_EQ(canvas.count(kGrey, QRect(10, 5, 16, 16)) > 0, mode == 1);
        EXPECT_EQ(canvas.count(kGrey, QRect(30, 5, 8, 16)) > 0, mode == 1);
        EXPECT_EQ(canvas.count(kGrey, QRect(26, 5, 4, 16)), 0);
        EXPECT_EQ(canvas.count(kGrey) + canvas.count(kWhite),
                  mode == 1 ? 16 * 16 + 8 * 16 : canvas.count(kWhite));
    }
}

TEST_F(DrawText, WesternGlyphsStayInsideTheirHalfCells)
{
    Canvas canvas(80, 40);
    CGraph g = textElement({0, 0}, QStringLiteral("WM"), 15); // 32 dots: 16-pixel cells
    canvas.draw(g, false, screen(800));
    const QRect white = canvas.bounds(kWhite);
    ASSERT_FALSE(white.isEmpty());
    EXPECT_LE(white.right(), 31);
    EXPECT_GT(canvas.count(kWhite, QRect(0, 0, 16, 32)), 0);
    EXPECT_GT(canvas.count(kWhite, QRect(16, 0, 16, 32)), 0);
}

TEST_F(DrawText, NumericControlShowsItsSampleDigitsAndLabel)
{
    for (bool labels : {false, true}) {
        Canvas canvas(80, 40);
        CGraph g = shape(Kind::NumericCtrl, {10, 5}, {11, 6}, kWhite);
        g.m_crColor2 = cr(kGrey);
        g.m_nCtrlID = 5;
        g.m_nAttr = (9 << 8) | 1; // 16 dots on the background colour
        g.m_strText2 = "123";
        canvas.draw(g, labels, screen(800));
        EXPECT_EQ(g.m_ptEnd, QPoint(34, 21));
        EXPECT_GT(canvas.count(kWhite, QRect(10, 5, 24, 16)), 0);
        EXPECT_GT(canvas.count(kGrey, QRect(10, 5, 24, 16)), 0);
        EXPECT_EQ(canvas.count(kRed) > 0, labels);
    }
}

TEST_F(DrawText, ButtonCaptionIsPlacedByItsAlignment)
{
    struct Case { const char *name; QString text; int extra; QRect block; };
    // Button (0, 0)-(100, 60) with a 2-pixel border.
    const Case cases[] = {
        {"top left", QStringLiteral("AB"), 0x10, QRect(2, 2, 16, 16)},
        {"centre", QStringLiteral("AB"), 0x11, QRect(42, 22, 16, 16)},
        {"bottom right", QStringLiteral("AB"), 0x12, QRect(82, 42, 16, 16)},
        {"two lines centred", QStringLiteral("温\r\nA"), 0x11, QRect(42, 14, 16, 32)},
        {"8-dot full width", QStringLiteral("AB"), 0x01, QRect(42, 26, 16, 8)},
        {"48 dots", QStringLiteral("温"), 0x41, QRect(26, 6, 48, 48)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(110, 70);
        CGraph g = shape(Kind::ButtonCtrl, {0, 0}, {100, 60}, kWhite);
        g.m_crColor2 = cr(kWhite);
        g.m_crColor3 = cr(kGrey);
        g.m_crColor4 = cr(kGreen);
        g.m_nStyle = 0x42;
        g.m_nExtra = c.extra;
        g.m_strText1 = toGbk(c.text);
        canvas.draw(g);
        const QRect green = canvas.bounds(kGreen);
        ASSERT_FALSE(green.isEmpty());
        EXPECT_TRUE(c.block.contains(green))
            << green.x() << "," << green.y() << " " << green.width() << "x" << green.height();
        // Transparent caption: the face shows between the strokes.
        EXPECT_GT(canvas.count(kGrey, c.block), 0);
        if (c.block.height() == 32) {
            EXPECT_GT(canvas.count(kGreen, QRect(42, 14, 16, 16)), 0);
            EXPECT_GT(canvas.count(kGreen, QRect(42, 30, 16, 16)), 0);
        }
    }
}

} // namespace
