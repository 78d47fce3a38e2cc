// Characters form: the attribute word, the dot size and face rules, the
// spacings kept as text, the 255-character limit and the 8-dot refusal.

#include "common/Gbk.h"
#include "edit/FontValues.h"

#include <gtest/gtest.h>

using namespace h5;

namespace {

CGraph textElement(int attr, const std::string &text)
{
    return CGraph(Kind::Text, 0, {10, 20}, {90, 36}, attr, 0, RGB(1, 1, 1), RGB(2, 2, 2), 0, 0, 0, 0, 0, 0, 0,
                  0, 0, 0, "4", "6", text);
}

} // namespace

TEST(FontValues, AttrWordDecodesIntoRadiosAndPacksBack)
{
    struct Case { int attr; int face, size, mode; int packed; };
    const Case cases[] = {
        {0x020C01, 2, 2, 1, 0x020C01},
        {0x000900, 0, 1, 0, 0x000900},
        {0x031B00, 3, 5, 0, 0x031B00},
        {0, 0, 0, 0, 0x000300},          // no size code yet: 8 dots
        {0x000600, 0, 0, 0, 0x000300},   // 12-dot code, which no radio offers
        {0x070905, 0, 1, 0, 0x000900},   // unknown face and mode
    };
    for (const Case &c : cases) {
        FontValues v;
        v.setAttr(c.attr);
        EXPECT_EQ(v.face, c.face) << std::hex << c.attr;
        EXPECT_EQ(v.sizeIndex, c.size) << std::hex << c.attr;
        EXPECT_EQ(v.displayMode, c.mode) << std::hex << c.attr;
        EXPECT_EQ(v.attr(), c.packed) << std::hex << c.attr;
    }
}

TEST(FontValues, DotSizeClicksMoveAndDisableFaces)
{
    struct Case { int face; int size; int expectedFace; const char *enabled; };
    const Case cases[] = {
        {2, 0, 0, "1000"}, // 8 dots: 宋体 only
        {3, 1, 3, "1111"},
        {1, 3, 1, "1111"},
        {3, 4, 0, "1010"}, // 48 dots: 楷体 moves to 宋体
        {1, 5, 0, "1010"}, // 64 dots: 仿宋 moves to 宋体
        {2, 4, 2, "1010"}, // 黑体 stays
    };
    for (const Case &c : cases) {
        FontValues v;
        v.face = c.face;
        v.chooseSize(c.size);
        EXPECT_EQ(v.face, c.expectedFace) << c.face << "@" << c.size;
        std::string enabled;
        for (int f = 0; f < 4; ++f)
            enabled += v.faceEnabled(f) ? '1' : '0';
        EXPECT_EQ(enabled, c.enabled) << c.size;
    }
}

TEST(FontValues, EditWritesSpacingsAsTextAndKeepsSecondPoint)
{
    CGraph g = textElement(0x000900, "abc");
    FontValues v;
    v.fromElement(g);
    EXPECT_EQ(v.columnSpacing, 4);
    EXPECT_EQ(v.lineSpacing, 6);
    EXPECT_EQ(v.text, "abc");
    v.columnSpacing = 250;
    v.lineSpacing = 0;
    v.x = 5;
    v.face = 2;
    v.sizeIndex = 3;
    v.displayMode = 1;
    v.foreground = RGB(9, 9, 9);
    EXPECT_EQ(v.toElement(g), FormApply::Written);
    EXPECT_EQ(g.m_strText1, "250");
    EXPECT_EQ(g.m_strText3, "0");
    EXPECT_EQ(g.m_nAttr, 2 * 65536 + 15 * 256 + 1);
    EXPECT_EQ(g.m_ptStart, QPoint(5, 20));
    EXPECT_EQ(g.m_ptEnd, QPoint(90, 36)) << "the drawing sets the second point";
    EXPECT_EQ(g.m_crColor1, RGB(9, 9, 9));
}

TEST(FontValues, EmptyOrEightDotChineseTextRemovesEditedElement)
{
    const std::string chinese = toGbk(QStringLiteral("温度"));
    struct Case { int attr; std::string text; FormApply expected; };
    const Case cases[] = {
        {0x000900, "abc", FormApply::Written},
        {0x000900, "", FormApply::Remove},
        {0x000300, chinese, FormApply::Remove},
        {0x000300, "abc", FormApply::Written},
        {0x000900, chinese, FormApply::Written},
        {0x000300, std::string("a\xA0"), FormApply::Remove}, // any byte of 0xA0 or more
    };
    for (const Case &c : cases) {
        CGraph g = textElement(c.attr, "old");
        FontValues v;
        v.fromElement(g);
        v.text = c.text;
        EXPECT_EQ(v.toElement(g), c.expected);
        EXPECT_EQ(g.m_strText2, c.text) << "the values are written before the removal check";
        EXPECT_EQ(bool(v.newElement(NewElementInfo())), c.expected == FormApply::Written);
    }
}

TEST(FontValues, NewTextStartsFromTheToolsLastValuesAndStoresThemBack)
{
    TextToolState last;
    last.foreground = RGB(1, 2, 3);
    last.background = RGB(4, 5, 6);
    last.attr = 0x010C01;
    last.columnSpacing = 2;
    last.lineSpacing = 3;
    FontValues v = FontValues::forNewText(QPoint(40, 50), last);
    EXPECT_EQ(v.x, 40);
    EXPECT_EQ(v.y, 50);
    EXPECT_EQ(v.face, 1);
    EXPECT_EQ(v.sizeIndex, 2);
    EXPECT_EQ(v.displayMode, 1);
    EXPECT_EQ(v.foreground, RGB(1, 2, 3));

    v.text = "Hi";
    v.columnSpacing = 7;
    NewElementInfo info;
    info.source = 5;
    const auto g = v.newElement(info);
    ASSERT_TRUE(g);
    EXPECT_EQ(g->m_nKind, Kind::Text);
    EXPECT_EQ(g->m_ptStart, QPoint(40, 50));
    EXPECT_EQ(g->m_ptEnd, QPoint(40, 50));
    EXPECT_EQ(g->m_strText2, "Hi");
    EXPECT_EQ(g->m_strText1, "7");
    EXPECT_EQ(g->m_strText3, "3");
    EXPECT_EQ(g->m_nSource, 5);
    EXPECT_EQ(g->m_crColor2, RGB(4, 5, 6));

    TextToolState after;
    v.storeIn(after);
    EXPECT_EQ(after.attr, 0x010C01);
    EXPECT_EQ(after.columnSpacing, 7);
    EXPECT_EQ(after.foreground, RGB(1, 2, 3));
}

// A user's first text on a fresh view must not start at 8 dots, where any
// Chinese character is refused.
TEST(FontValues, FirstTextOfAViewOpensAtEightDots)
{
    const FontValues v = FontValues::forNewText(QPoint(1, 2), TextToolState());
    EXPECT_EQ(v.sizeIndex, 1);
    EXPECT_EQ(v.sizeCode(), 9);
    EXPECT_EQ(v.face, 0);
    EXPECT_EQ(v.displayMode, 0);
    FontValues chinese = v;
    chinese.text = "\xD6\xD0"; // 中 in GBK
    EXPECT_FALSE(chinese.refusedAtEightDots());
    EXPECT_TRUE(chinese.newElement(NewElementInfo()).has_value());
}

TEST(FontValues, TextLimitIsCheckedBeforeTheBoxes)
{
    FontValues v;
    v.text = std::string(254, 'a') + "\r\n";
    FieldTexts texts;
    texts[QStringLiteral("columnSpacing")] = QStringLiteral("251");
    FormError e = v.readTexts(texts);
    EXPECT_EQ(e.field, QStringLiteral("text"));
    EXPECT_EQ(e.message, QStringLiteral("“请填入不多于255个的字符。”"));

    v.text = std::string(255, 'a');
    e = v.readTexts(texts);
    EXPECT_EQ(e.field, QStringLiteral("columnSpacing"));
    EXPECT_EQ(e.message, QStringLiteral("“请填入一个在0和250之间的整数。”"));
}
