// String, text, image and bar graph control forms, the button form and the
// face/size rules of the control font combos: packing into the element
// words, what a new control holds, and the refusals.

#include "edit/ButtonValues.h"
#include "edit/ControlFontValues.h"
#include "edit/ControlValues.h"

#include <gtest/gtest.h>

using namespace h5;

namespace {

CGraph control(int kind, QPoint a, QPoint b)
{
    return CGraph(kind, 0, a, b, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "", "", "");
}

NewElementInfo info(int source = 4, int picture = 12)
{
    NewElementInfo i;
    i.source = source;
    i.pictureNumber = picture;
    i.pen = RGB(10, 20, 30);
    i.fill = RGB(40, 50, 60);
    return i;
}

} // namespace

TEST(ControlValuesString, BoxIsCountTimesCellAndAttrPacksCountAndDots)
{
    struct Case { int count, dots; QPoint end; int attr; };
    const Case cases[] = {
        {1, 0, {18, 28}, 256},        // 8 x 8
        {3, 1, {34, 36}, 3 * 256 + 1}, // 8 x 16
        {2, 2, {34, 44}, 2 * 256 + 2}, // 12 x 24
        {4, 3, {74, 52}, 4 * 256 + 3}, // 16 x 32
        {1, 4, {34, 68}, 256 + 4},     // 24 x 48
        {255, 5, {10 + 255 * 32, 84}, 255 * 256 + 5},
    };
    for (const Case &c : cases) {
        StringCtrlValues v;
        v.ctrlId = 7;
        v.x = 10;
        v.y = 20;
        v.count = c.count;
        v.dotIndex = c.dots;
        const auto g = v.newElement(info());
        ASSERT_TRUE(g);
        EXPECT_EQ(g->m_nKind, Kind::StringCtrl);
        EXPECT_EQ(g->m_ptEnd, c.end) << c.dots;
        EXPECT_EQ(g->m_nAttr, c.attr);
        EXPECT_EQ(g->m_nNumber, 0) << "a new string control has no picture number";
        EXPECT_EQ(g->m_nSource, 4);

        StringCtrlValues back;
        back.fromElement(*g);
        EXPECT_EQ(back.count, c.count);
        EXPECT_EQ(back.dotIndex, c.dots);
    }
}

TEST(ControlValuesString, RangesOfItsBoxes)
{
    struct Case { const char *field; const char *text; const char *message; };
    const Case cases[] = {
        {"x", "2001", "“请填入一个在0和2000之间的整数。”"},
        {"count", "0", "“请填入一个在1和255之间的整数。”"},
        {"count", "256", "“请填入一个在1和255之间的整数。”"},
    };
    for (const Case &c : cases) {
        StringCtrlValues v;
        FieldTexts t;
        t[QString::fromLatin1(c.field)] = QString::fromLatin1(c.text);
        const FormError e = readIntFields(v, StringCtrlValues::fields(), t);
        EXPECT_EQ(e.field, QString::fromLatin1(c.field));
        EXPECT_EQ(e.message, QString::fromUtf8(c.message));
    }
}

TEST(ControlValuesText, AttrAndNumberWordsPackFontAndSpacings)
{
    CGraph g = control(Kind::TextCtrl, {10, 10}, {110, 60});
    g.m_nAttr = 3 * 256 + 2;
    g.m_nNumber = 5 * 256 + 9;
    TextCtrlValues v;
    v.fromElement(g);
    EXPECT_EQ(v.font.sizeIndex, 3);
    EXPECT_EQ(v.font.face, 2);
    EXPECT_EQ(v.columnSpacing, 5);
    EXPECT_EQ(v.lineSpacing, 9);
    EXPECT_EQ(v.width, 100);
    EXPECT_EQ(v.height, 50);

    v.font.sizeIndex = 4;
    v.font.face = 1;
    v.columnSpacing = 255;
    v.lineSpacing = 0;
    v.width = 20;
    EXPECT_EQ(v.toElement(g), FormApply::Written);
    EXPECT_EQ(g.m_nAttr, 4 * 256 + 1);
    EXPECT_EQ(g.m_nNumber, 255 * 256);
    EXPECT_EQ(g.m_ptEnd, QPoint(30, 60));

    // The text control's ID box goes one higher than the others.
    v.ctrlId = 2048;
    EXPECT_FALSE(v.validate());
    v.ctrlId = 2049;
    EXPECT_EQ(v.validate().message,
              QStringLiteral("“请填入一个在0和2048之间的整数。”"));
}

TEST(ControlValuesText, FaceAboveTheSizesListFallsBackWhenOpened)
{
    CGraph g = control(Kind::TextCtrl, {0, 0}, {1, 1});
    g.m_nAttr = 5 * 256 + 3; // 64 dots offer faces 0 and 1 only
    TextCtrlValues v;
    v.fromElement(g);
    EXPECT_EQ(v.font.sizeIndex, 5);
    EXPECT_EQ(v.font.face, 0);
}

TEST(ControlValuesImage, NewImageControlTakesPenAndFillAndPictureRange)
{
    ImageCtrlValues v;
    EXPECT_EQ(v.lastPicture, 599);
    v.ctrlId = 2;
    v.x = 5;
    v.y = 6;
    v.width = 100;
    v.height = 50;
    v.firstPicture = 3;
    v.lastPicture = 9;
    const auto g = v.newElement(info());
    ASSERT_TRUE(g);
    EXPECT_EQ(g->m_nKind, Kind::ImageCtrl);
    EXPECT_EQ(g->m_ptEnd, QPoint(105, 56));
    EXPECT_EQ(g->m_nValue3, 3);
    EXPECT_EQ(g->m_nValue4, 9);
    EXPECT_EQ(g->m_crColor1, RGB(10, 20, 30));
    EXPECT_EQ(g->m_crColor2, RGB(40, 50, 60));
    EXPECT_EQ(g->m_nNumber, 0);

    struct Case { const char *field; const char *text; const char *message; };
    const Case cases[] = {
        {"width", "0", "“请填入一个在1和800之间的整数。”"},
        {"height", "601", "“请填入一个在1和600之间的整数。”"},
        {"x", "65536", "“请填入一个在0和65535之间的整数。”"},
        {"lastPicture", "601", "“请填入一个在0和600之间的整数。”"},
    };
    for (const Case &c : cases) {
        ImageCtrlValues w;
        FieldTexts t;
        t[QString::fromLatin1(c.field)] = QString::fromLatin1(c.text);
        EXPECT_EQ(readIntFields(w, ImageCtrlValues::fields(), t).message, QString::fromUtf8(c.message));
    }
}

TEST(ControlValuesBar, StructureCodeSelectsTheThreeRadioPairs)
{
    struct Case { int code; int horizontal, bar, reversed; };
    const Case cases[] = {
        {0, 0, 0, 0}, {1, 0, 0, 1}, {2, 1, 0, 0}, {4, 0, 1, 0},
        {5, 0, 1, 1}, // "垂直方向", "条状", "向下/向左"
        {7, 1, 1, 1},
        {8, 0, 0, 0}, {-1, 0, 0, 0}, // codes of 8 and more leave the defaults
    };
    for (const Case &c : cases) {
        CGraph g = control(Kind::BarCtrl, {0, 0}, {20, 10});
        g.m_nAttr = c.code;
        BarCtrlValues v;
        v.fromElement(g);
        EXPECT_EQ(v.horizontal, c.horizontal) << c.code;
        EXPECT_EQ(v.bar, c.bar) << c.code;
        EXPECT_EQ(v.reversed, c.reversed) << c.code;
    }
}

TEST(ControlValuesBar, StructureGoesIntoAttrAndStyleAndColoursToAllFive)
{
    CGraph g = control(Kind::BarCtrl, {0, 0}, {20, 10});
    BarCtrlValues v;
    v.fromElement(g);
    v.horizontal = 1;
    v.reversed = 1;
    v.minimum = -100;
    v.maximum = 100;
    v.belowShown = 2;
    v.aboveShown = 3;
    v.display = 1;
    v.background = 2;
    v.frame = 3;
    v.outDisplay = 4;
    v.outBackground = 5;
    EXPECT_EQ(v.toElement(g), FormApply::Written);
    EXPECT_EQ(g.m_nAttr, 3);
    EXPECT_EQ(g.m_nStyle, 3);
    EXPECT_EQ(g.m_nValue3, -100);
    EXPECT_EQ(g.m_nValue4, 100);
    EXPECT_EQ(g.m_nExtra, 0x00020003);
    EXPECT_EQ(g.m_crColor1, 1u);
    EXPECT_EQ(g.m_crColor3, 3u);
    EXPECT_EQ(g.m_crColor5, 5u);
}

TEST(ControlValuesBar, NewBarTakesPictureNumberAndZeroSizeAddsNothing)
{
    BarCtrlValues v;
    EXPECT_EQ(v.width, 20);
    EXPECT_EQ(v.height, 10);
    EXPECT_EQ(v.outDisplay, RGB(255, 255, 255));
    const auto g = v.newElement(info(1, 33));
    ASSERT_TRUE(g);
    EXPECT_EQ(g->m_nNumber, 33);
    EXPECT_EQ(g->m_nKind, Kind::BarCtrl);
    EXPECT_EQ(g->m_ptEnd, QPoint(20, 10));

    v.height = 0;
    EXPECT_FALSE(v.newElement(info()));
    CGraph old = control(Kind::BarCtrl, {1, 2}, {3, 4});
    const CGraph before = old;
    EXPECT_EQ(v.toElement(old), FormApply::Refused);
    EXPECT_EQ(old, before);
}

TEST(ControlFontValues, FaceListFollowsTheDotSize)
{
    struct Case { int size; int items; };
    const Case cases[] = {{0, 1}, {1, 4}, {2, 4}, {3, 4}, {4, 2}, {5, 2}};
    for (const Case &c : cases) {
        ControlFontChoice f{c.size, 0};
        EXPECT_EQ(f.faceItems().size(), c.items) << c.size;
    }
    EXPECT_EQ(ControlFontChoice({0, 0}).faceItems().at(0), QStringLiteral("ASCII"));
    EXPECT_EQ(ControlFontChoice({4, 0}).faceItems(), QStringList({QStringLiteral("宋体"), QStringLiteral("黑体")}));
}

TEST(ControlFontValues, SizeChangesKeepTheFaceWhereTheListAllows)
{
    struct Case { int size, face; int newSize; int expectedFace; };
    const Case cases[] = {
        {1, 3, 2, 3}, // within 16..32 every face stays
        {3, 2, 4, 0}, // 黑体 is item 2 at 32 dots, beyond the two items of 48
        {3, 1, 5, 1}, // item 1 stays item 1 (黑体 at 64 dots)
        {2, 3, 0, 0}, // 8 dots: ASCII only
        {0, 0, 3, 0},
    };
    for (const Case &c : cases) {
        ControlFontChoice f{c.size, c.face};
        f.setSize(c.newSize);
        EXPECT_EQ(f.sizeIndex, c.newSize);
        EXPECT_EQ(f.face, c.expectedFace) << c.size << "->" << c.newSize;
    }
}

// At 48 and 64 dots the list is 宋体, 黑体: item 1 is 黑体 and must stay
// choosable there. Only 仿宋 and 楷体 (face numbers 1 and 3) lack those
// sizes, and they are not in that list.
TEST(ControlFontValues, HeitiCannotBeChosenAtLargeSizes)
{
    struct Case { int size, item; int expectedSize, expectedFace; };
    const Case cases[] = {
        {4, 1, 4, 1}, {5, 1, 5, 1}, // 黑体 at 48 and 64 dots
        {4, 0, 4, 0}, {5, 0, 5, 0}, // 宋体
        {5, 3, 5, 0},               // no such item at 64 dots
        {3, 1, 3, 1}, {2, 3, 2, 3}, {1, 2, 1, 2},
    };
    for (const Case &c : cases) {
        ControlFontChoice f{c.size, 0};
        f.chooseFace(c.item);
        EXPECT_EQ(f.sizeIndex, c.expectedSize) << c.size << "/" << c.item;
        EXPECT_EQ(f.face, c.expectedFace) << c.size << "/" << c.item;
    }
    struct Number { int size, item, number; };
    const Number numbers[] = {{0, 0, 0}, {2, 1, 1}, {3, 3, 3}, {4, 1, 2}, {5, 0, 0}, {4, 2, -1}};
    for (const Number &n : numbers)
        EXPECT_EQ(ControlFontChoice({n.size, 0}).faceNumberOfItem(n.item), n.number)
            << n.size << "/" << n.item;
}

TEST(ButtonValues, WordsPackFlagsActionsAndCaption)
{
    struct Case
    {
        int border;
        bool transparent, invisible, showText, sendId, switchPage, sendCoords;
        int position, size, face;
        int style, attr, extra;
    };
    const Case cases[] = {
        {3, false, false, false, true, false, false, 1, 1, 0, 3, 5, 17},
        {15, true, true, true, false, true, true, 2, 5, 1, 15 + 16 + 32 + 64, 2, 5 * 16 + 4 + 2},
        {1, false, false, true, true, true, true, 0, 0, 0, 65, 3, 0},
        {7, true, false, false, false, false, false, 0, 3, 3, 23, 4, 3 * 16 + 12},
    };
    for (const Case &c : cases) {
        ButtonValues v;
        v.x = 1;
        v.y = 2;
        v.width = 30;
        v.height = 20;
        v.borderWidth = c.border;
        v.transparent = c.transparent;
        v.invisible = c.invisible;
        v.showText = c.showText;
        v.sendId = c.sendId;
        v.switchPage = c.switchPage;
        v.sendCoordinates = c.sendCoords;
        v.textPosition = c.position;
        v.font = {c.size, c.face};
        CGraph g = control(Kind::ButtonCtrl, {0, 0}, {1, 1});
        EXPECT_EQ(v.toElement(g), FormApply::Written);
        EXPECT_EQ(g.m_nStyle, c.style);
        EXPECT_EQ(g.m_nAttr, c.attr);
        EXPECT_EQ(g.m_nExtra, c.extra);
        EXPECT_EQ(g.m_ptEnd, QPoint(31, 22));

        ButtonValues back;
        back.fromElement(g);
        EXPECT_EQ(back.borderWidth, c.border);
        EXPECT_EQ(back.transparent, c.transparent);
        EXPECT_EQ(back.invisible, c.invisible);
        EXPECT_EQ(back.showText, c.showText);
        EXPECT_EQ(back.sendId, c.sendId);
        EXPECT_EQ(back.switchPage, c.switchPage);
        EXPECT_EQ(back.sendCoordinates, c.sendCoords) << "bit 2 is the inverse of the box";
        EXPECT_EQ(back.textPosition, c.position);
        EXPECT_EQ(back.font.sizeIndex, c.size);
        EXPECT_EQ(back.font.face, c.face);
    }
}

TEST(ButtonValues, NewButtonDefaultsAndZeroSizeRefusal)
{
    ButtonValues v;
    v.ctrlId = 8;
    v.x = 10;
    v.y = 10;
    v.width = 40;
    v.height = 20;
    v.text = "OK";
    const auto g = v.newElement(info());
    ASSERT_TRUE(g);
    EXPECT_EQ(g->m_nKind, Kind::ButtonCtrl);
    EXPECT_EQ(g->m_nCtrlID, 8);
    EXPECT_EQ(g->m_nStyle, 3);
    EXPECT_EQ(g->m_nAttr, 4 + 1) << "send ID on, coordinates not sent";
    EXPECT_EQ(g->m_nExtra, 16 + 1);
    EXPECT_EQ(g->m_nNumber, 0);
    EXPECT_EQ(g->m_crColor1, 0xFFFFFFu);
    EXPECT_EQ(g->m_crColor2, 0xC0C0C0u);
    EXPECT_EQ(g->m_crColor3, 0xD8E9ECu);
    EXPECT_EQ(g->m_crColor4, 0u);
    EXPECT_EQ(g->m_crColor5, 0u);
    EXPECT_EQ(g->m_strText1, "OK");
    EXPECT_TRUE(g->m_strText2.empty());
    EXPECT_TRUE(g->m_strText3.empty());

    v.width = 0;
    EXPECT_FALSE(v.newElement(info()));
}

TEST(ButtonValues, NextPageAndBorderRanges)
{
    ButtonValues v;
    v.nextPage = 1024;
    EXPECT_EQ(v.validate().message, QStringLiteral("“请填入一个在0和1023之间的整数。”"));
    v.nextPage = 1023;
    v.borderWidth = 17;
    EXPECT_EQ(v.validate().field, QStringLiteral("borderWidth"));
}
