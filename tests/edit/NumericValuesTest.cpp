// Numeric control form: the preview text the editor shows, the box it
// gives the control, and the packing of the form into the element words.

#include "edit/NumericValues.h"

#include <gtest/gtest.h>

using namespace h5;

TEST(NumericValuesPreview, FormatsTheMinimumAsTheTerminalWill)
{
    struct Case
    {
        int minimum, intDigits, decimals, sign;
        bool hex;
        int align;
        bool zeros;
        const char *expected;
    };
    const Case cases[] = {
        // plus sign, 0005 -> 000.5 -> two zeros dropped, two trailing spaces
        {5, 3, 1, 2, false, 0, false, "+0.5  "},
        {5, 3, 1, 0, false, 1, false, "  0.5"},
        {5, 3, 1, 1, false, 0, false, " 0.5  "},
        {5, 3, 1, 0, false, 0, true, "000.5"},
        // a negative minimum shows as 0
        {-5, 3, 0, 0, false, 0, false, "0  "},
        {-5, 3, 0, 1, false, 1, false, "   0"},
        // hexadecimal: upper case, no sign place
        {255, 4, 0, 0, true, 0, true, "00FF"},
        {255, 4, 0, 2, true, 0, true, "00FF"},
        {0xabc, 2, 0, 0, true, 0, false, "ABC"},
        {255, 4, 0, 0, true, 1, false, "  FF"},
        // longer numbers stay whole; the point still goes before the decimals
        {123456, 3, 0, 0, false, 0, false, "123456"},
        {123456, 3, 2, 0, false, 0, false, "1234.56"},
        // no integer digits: nothing is looked at for leading zeros
        {5, 0, 2, 0, false, 0, false, ".05"},
        // a single integer digit keeps its zero
        {0, 1, 0, 0, false, 0, false, "0"},
        {0, 1, 2, 0, false, 0, false, "0.00"},
        {7, 5, 0, 0, false, 1, false, "    7"},
        // zeros after the first non-zero stay
        {1005, 6, 0, 0, false, 0, false, "1005  "},
        {0, 0, 0, 0, false, 0, false, "0"},
    };
    for (const Case &c : cases) {
        NumericFormat f{c.intDigits, c.decimals, c.sign, c.hex, c.align, c.zeros};
        EXPECT_EQ(numericPreviewText(c.minimum, f), std::string(c.expected))
            << c.minimum << " int " << c.intDigits << " dec " << c.decimals;
    }
}

TEST(NumericValuesBox, SecondPointFromPreviewLengthAndCellHeight)
{
    struct Case { int code, length; QPoint end; };
    const Case cases[] = {
        {9, 6, {158, 36}},  // the example: 48 by 16
        {3, 4, {142, 28}},  // 8-dot: width from the 16 table entry, height 8
        {6, 3, {128, 32}},  // 12-dot
        {12, 3, {146, 44}}, {15, 1, {126, 52}}, {21, 2, {158, 68}}, {27, 5, {270, 84}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(numericBoxEnd(QPoint(110, 20), c.code, c.length), c.end) << c.code;
}

TEST(NumericValuesPack, FieldsGoToTheirWords)
{
    CGraph g(Kind::NumericCtrl, 0, {0, 0}, {0, 0}, 0, 33, 0, 0, RGB(7, 7, 7), 0, 0, 3, 0, 0, 0, 0, 0, 0,
             "one", "three", "");
    NumericValues v;
    v.ctrlId = 42;
    v.sizeIndex = 1;
    v.x = 100;
    v.y = 20;
    v.intDigits = 3;
    v.decimals = 1;
    v.minimum = 5;
    v.maximum = 999;
    v.belowShown = 65280;
    v.aboveShown = 1;
    v.signMode = 2;
    v.foreground = RGB(1, 0, 0);
    v.background = RGB(2, 0, 0);
    v.outForeground = RGB(3, 0, 0);
    v.outBackground = RGB(4, 0, 0);
    EXPECT_EQ(v.toElement(g), FormApply::Written);
    EXPECT_EQ(g.m_nCtrlID, 42);
    EXPECT_EQ(g.m_ptStart, QPoint(100, 20));
    EXPECT_EQ(g.m_nAttr, 9 * 256 + 1);
    EXPECT_EQ(g.m_nValue1, 1) << "value 1 holds the decimals";
    EXPECT_EQ(g.m_nValue2, 3) << "value 2 holds the integer digits";
    EXPECT_EQ(g.m_nValue3, 5);
    EXPECT_EQ(g.m_nValue4, 999);
    EXPECT_EQ(uint32_t(g.m_nExtra), 0xFF000001u);
    EXPECT_EQ(g.m_nStyle, 2);
    EXPECT_EQ(g.m_crColor1, RGB(1, 0, 0));
    EXPECT_EQ(g.m_crColor2, RGB(2, 0, 0));
    EXPECT_EQ(g.m_crColor3, RGB(7, 7, 7)) << "editing leaves colour 3";
    EXPECT_EQ(g.m_crColor4, RGB(3, 0, 0));
    EXPECT_EQ(g.m_crColor5, RGB(4, 0, 0));
    EXPECT_EQ(g.m_strText2, "+0.5  ");
    EXPECT_EQ(g.m_ptEnd, QPoint(148, 36));
    EXPECT_EQ(g.m_strText1, "one");
    EXPECT_EQ(g.m_nNumber, 33);

    NumericValues back;
    back.fromElement(g);
    EXPECT_EQ(back.ctrlId, 42);
    EXPECT_EQ(back.intDigits, 3);
    EXPECT_EQ(back.decimals, 1);
    EXPECT_EQ(back.belowShown, 65280);
    EXPECT_EQ(back.aboveShown, 1);
    EXPECT_EQ(back.signMode, 2);
    EXPECT_EQ(back.outBackground, RGB(4, 0, 0));
}

TEST(NumericValuesPack, StyleWordFromFlags)
{
    struct Case { bool zeros; int align; bool hex; int sign; int style; };
    const Case cases[] = {
        {false, 0, false, 0, 0}, {true, 0, false, 0, 64}, {false, 1, false, 0, 8},
        {false, 0, true, 0, 4},  {false, 0, false, 1, 1}, {true, 1, true, 2, 78},
    };
    for (const Case &c : cases) {
        CGraph g(Kind::NumericCtrl, 0, {}, {}, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "", "", "");
        NumericValues v;
        v.leadingZeros = c.zeros;
        v.align = c.align;
        v.hex = c.hex;
        v.signMode = c.sign;
        v.toElement(g);
        EXPECT_EQ(g.m_nStyle, c.style);
        NumericValues back;
        back.fromElement(g);
        EXPECT_EQ(back.leadingZeros, c.zeros);
        EXPECT_EQ(back.align, c.align);
        EXPECT_EQ(back.hex, c.hex);
        EXPECT_EQ(back.signMode, c.sign);
    }
}

TEST(NumericValuesPack, SizeCodeSelectsItsComboItemAndUnknownCodesKeepTheDefault)
{
    struct Case { int code; int index; int attr; };
    const Case cases[] = {
        {3, 0, 3 * 256 + 1}, {9, 1, 9 * 256 + 1}, {12, 2, 12 * 256 + 1},
        {15, 3, 15 * 256 + 1}, {21, 4, 21 * 256 + 1}, {27, 5, 27 * 256 + 1},
        {6, 1, 9 * 256 + 1}, {7, 1, 9 * 256 + 1}, {0, 1, 9 * 256 + 1},
    };
    for (const Case &c : cases) {
        CGraph g(Kind::NumericCtrl, 0, {}, {}, c.code * 256 + 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "", "", "");
        NumericValues v;
        v.fromElement(g);
        EXPECT_EQ(v.sizeIndex, c.index) << c.code;
        v.toElement(g);
        EXPECT_EQ(g.m_nAttr, c.attr) << c.code;
    }
    EXPECT_EQ(NumericValues::sizeItems().at(2), QStringLiteral("24*12"));
}

TEST(NumericValuesCreate, NewControlTakesPictureNumberAndFormDefaults)
{
    NumericValues v;
    v.ctrlId = 3;
    v.x = 40;
    v.y = 50;
    NewElementInfo info;
    info.source = 9;
    info.pictureNumber = 17;
    const auto g = v.newElement(info);
    ASSERT_TRUE(g);
    EXPECT_EQ(g->m_nKind, Kind::NumericCtrl);
    EXPECT_EQ(g->m_nCtrlID, 3);
    EXPECT_EQ(g->m_nSource, 9);
    EXPECT_EQ(g->m_nNumber, 17);
    EXPECT_EQ(g->m_nAttr, 9 * 256 + 1);
    EXPECT_EQ(g->m_nValue2, 1);
    EXPECT_EQ(g->m_nValue3, -32768);
    EXPECT_EQ(g->m_nValue4, 32767);
    EXPECT_EQ(g->m_crColor1, RGB(255, 255, 255));
    EXPECT_EQ(g->m_crColor3, 0u);
    EXPECT_EQ(g->m_crColor4, RGB(255, 255, 255));
    EXPECT_EQ(g->m_strText2, "0");
    EXPECT_EQ(g->m_ptEnd, QPoint(48, 66));
    EXPECT_TRUE(g->m_strText1.empty());
    EXPECT_TRUE(g->m_strText3.empty());
}

TEST(NumericValuesChecks, RangesOfTheNumericBoxes)
{
    struct Case { const char *field; const char *text; const char *message; };
    const Case cases[] = {
        {"ctrlId", "2048", "“请填入一个在0和2047之间的整数。”"},
        {"x", "1281", "“请填入一个在0和1280之间的整数。”"},
        {"y", "1025", "“请填入一个在0和1024之间的整数。”"},
        {"intDigits", "11", "“请填入一个在0和10之间的整数。”"},
        {"decimals", "11", "“请填入一个在0和10之间的整数。”"},
        {"minimum", "-", "请键入一个整数。"},
        {"maximum", "1e3", "请键入一个整数。"},
        {"belowShown", "65281", "“请填入一个在0和65280之间的整数。”"},
        {"aboveShown", "-1", "“请填入一个正整数。”"},
    };
    for (const Case &c : cases) {
        NumericValues v;
        FieldTexts texts;
        texts[QString::fromLatin1(c.field)] = QString::fromLatin1(c.text);
        const FormError e = readIntFields(v, NumericValues::fields(), texts);
        EXPECT_EQ(e.field, QString::fromLatin1(c.field));
        EXPECT_EQ(e.message, QString::fromUtf8(c.message)) << c.field;
    }
}
