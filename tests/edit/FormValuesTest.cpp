// The checks every property form shares: how an integer box is read, the
// exact messages, the order of the checks, the colour value text and the
// line ends of multi-line text boxes.

#include "edit/FormValues.h"
#include "edit/NumericValues.h"

#include "common/Gbk.h"

#include <gtest/gtest.h>

using namespace h5;

namespace {

const QString kNotUnsigned = QStringLiteral("“请填入一个正整数。”");
const QString kNotInteger = QStringLiteral("请键入一个整数。");

} // namespace

TEST(FormValuesIntBox, ReadsNumbersAndRejectsWithTheBoxKindsMessage)
{
    struct Case
    {
        const char *text;
        IntCheck check;
        bool ok;
        int value;           // when ok
        const char *message; // when not ok; empty means the kind's parse message
    };
    const IntCheck id = IntCheck::unsignedIn(0, 2047);
    const IntCheck any = IntCheck::unsignedAny();
    const IntCheck sig = IntCheck::signedAny();
    const Case cases[] = {
        {"12", id, true, 12, ""},
        {"  7\t", id, true, 7, ""},
        {"+3", id, true, 3, ""},
        {"2047", id, true, 2047, ""},
        {"0", id, true, 0, ""},
        {"2048", id, false, 0, "“请填入一个在0和2047之间的整数。”"},
        {"", id, false, 0, ""},
        {"abc", id, false, 0, ""},
        {"12abc", id, false, 0, ""},
        {"1 2", id, false, 0, ""},
        {"-1", id, false, 0, ""},            // a minus is no unsigned number
        {"4294967295", any, true, -1, ""},   // unsigned boxes hold 32 bits
        {"4294967296", any, false, 0, ""},
        {"-32768", sig, true, -32768, ""},
        {"2147483647", sig, true, 2147483647, ""},
        {"-2147483648", sig, true, int(0x80000000u), ""},
        {"2147483648", sig, false, 0, ""},
        {"x", sig, false, 0, ""},
        {"", sig, false, 0, ""},
    };
    for (const Case &c : cases) {
        int value = 99;
        const FormError e = readIntBox(QStringLiteral("box"), QString::fromUtf8(c.text), c.check, value);
        SCOPED_TRACE(c.text);
        EXPECT_EQ(!e.failed(), c.ok);
        if (c.ok) {
            EXPECT_EQ(value, c.value);
        } else {
            EXPECT_EQ(value, 99) << "a failed box must not change the value";
            EXPECT_EQ(e.field, QStringLiteral("box"));
            const QString expected = *c.message ? QString::fromUtf8(c.message)
                                                : (c.check.isSigned ? kNotInteger : kNotUnsigned);
            EXPECT_EQ(e.message, expected);
        }
    }
}

TEST(FormValuesIntBox, NegativeFieldInUnsignedBoxRoundTripsThroughItsText)
{
    const IntCheck any = IntCheck::unsignedAny();
    const QString shown = intBoxText(-3, any);
    EXPECT_EQ(shown, QStringLiteral("4294967293"));
    int back = 0;
    EXPECT_FALSE(readIntBox(QStringLiteral("x"), shown, any, back));
    EXPECT_EQ(back, -3);
    EXPECT_EQ(intBoxText(-3, IntCheck::signedAny()), QStringLiteral("-3"));
}

TEST(FormValuesMessages, TextsAreTheFrameworkMessagesWithTheirBounds)
{
    EXPECT_EQ(FormMessage::outOfRange(0, 65280), QStringLiteral("“请填入一个在0和65280之间的整数。”"));
    EXPECT_EQ(FormMessage::outOfRange(1, 16), QStringLiteral("“请填入一个在1和16之间的整数。”"));
    EXPECT_EQ(FormMessage::tooLong(255), QStringLiteral("“请填入不多于255个的字符。”"));
    EXPECT_EQ(FormMessage::notInteger(), kNotInteger);
    EXPECT_EQ(FormMessage::notUnsigned(), kNotUnsigned);
}

TEST(FormValuesOrder, FirstFailingBoxInReadingOrderIsReported)
{
    NumericValues v;
    FieldTexts texts;
    texts[QStringLiteral("ctrlId")] = QStringLiteral("5");
    texts[QStringLiteral("x")] = QStringLiteral("1281");        // out of range
    texts[QStringLiteral("minimum")] = QStringLiteral("abc");   // later box, also bad
    const FormError e = readIntFields(v, NumericValues::fields(), texts);
    EXPECT_EQ(e.field, QStringLiteral("x"));
    EXPECT_EQ(e.message, QStringLiteral("“请填入一个在0和1280之间的整数。”"));
    EXPECT_EQ(v.ctrlId, 5) << "boxes before the failure are read";
    EXPECT_EQ(v.minimum, -32768) << "boxes after the failure are not";
}

TEST(FormValuesOrder, HeldValuesAreRangeCheckedWhenTheirBoxIsMissing)
{
    NumericValues v;
    v.decimals = 11;
    const FormError e = v.validate();
    EXPECT_EQ(e.field, QStringLiteral("decimals"));
    EXPECT_EQ(e.message, QStringLiteral("“请填入一个在0和10之间的整数。”"));
}

TEST(FormValuesText, LengthLimitCountsGbkBytes)
{
    const std::string ascii(255, 'a');
    EXPECT_FALSE(checkTextLength(QStringLiteral("text"), ascii, 255));
    const FormError e = checkTextLength(QStringLiteral("text"), ascii + "b", 255);
    EXPECT_EQ(e.field, QStringLiteral("text"));
    EXPECT_EQ(e.message, QStringLiteral("“请填入不多于255个的字符。”"));
    // 128 Chinese characters are 256 bytes.
    const std::string chinese = toGbk(QString(128, QChar(0x4E2D)));
    EXPECT_TRUE(checkTextLength(QStringLiteral("text"), chinese, 255));
}

TEST(FormValuesText, EditorLinesBecomeCrLfAndBack)
{
    EXPECT_EQ(textFromEditor(QStringLiteral("ab\ncd\n")), std::string("ab\r\ncd\r\n"));
    EXPECT_EQ(textFromEditor(QStringLiteral("ab\r\ncd")), std::string("ab\r\ncd"));
    EXPECT_EQ(textForEditor("ab\r\ncd"), QStringLiteral("ab\ncd"));
    EXPECT_EQ(textFromEditor(QStringLiteral("中文\n")), toGbk(QStringLiteral("中文")) + "\r\n");
}

TEST(FormValuesColour, ValueBoxShowsTheTerminalColourInLowerCaseHex)
{
    struct Case { COLORREF colour; const char *prefixed; const char *bare; };
    const Case cases[] = {
        {RGB(255, 255, 255), "0xffff", "ffff"},
        {RGB(0xF8, 0, 0), "0xf800", "f800"},
        {RGB(0, 0, 8), "0x0001", "0001"},
        {RGB(0, 0, 0), "0x0000", "0000"},
        {0xD8E9EC, "0xf75b", "f75b"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(colourValueText(c.colour), QString::fromLatin1(c.prefixed));
        EXPECT_EQ(colourValueText(c.colour, false), QString::fromLatin1(c.bare));
    }
}

TEST(FormValuesArithmetic, PictureBlocksRoundUpAndDistancesTruncate)
{
    EXPECT_EQ(pictureBlockCount(1, 1), 1);
    EXPECT_EQ(pictureBlockCount(256, 264), 1); // exactly one block of 135,168 bytes
    EXPECT_EQ(pictureBlockCount(256, 265), 2);
    EXPECT_EQ(pictureBlockCount(800, 480), 6);
    EXPECT_EQ(pictureBlockCount(0, 480), 0);

    EXPECT_EQ(pointDistance(QPoint(0, 0), QPoint(3, 4)), 5);
    EXPECT_EQ(pointDistance(QPoint(0, 0), QPoint(1, 1)), 1);
    EXPECT_EQ(pointDistance(QPoint(10, 10), QPoint(10, 10)), 0);
    EXPECT_EQ(pointDistance(QPoint(0, 0), QPoint(-99, 20)), 101); // exactly 101
    EXPECT_EQ(pointDistance(QPoint(0, 0), QPoint(46340, 46340)), 65534);
}

TEST(FormValuesOutOfRange, PairPacksBelowHighAndAboveLow)
{
    EXPECT_EQ(packOutOfRange(1, 2), 0x00010002);
    EXPECT_EQ(uint32_t(packOutOfRange(65280, 65280)), 0xFF00FF00u);
    EXPECT_EQ(outOfRangeBelow(int(0xFF000001u)), 65280);
    EXPECT_EQ(outOfRangeAbove(int(0xFF000001u)), 1);
}
