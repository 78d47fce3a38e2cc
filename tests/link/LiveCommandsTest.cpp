// The live commands of the debug window and of `h5800 live`: every frame
// byte for byte (from hand-written hex), the checks that send nothing with
// their messages, the font codes and names, the layers per resolution, the
// strict hex text reading and the .wzk bytes.

#include "../../fuzz/HexTextCheck.h"
#include "LinkTestSupport.h"
#include "support/FuzzReplay.h"

#include "link/LiveCommands.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace h5;
using h5test::hex;
using h5test::toHex;

namespace {

struct FrameCase
{
    const char *name;
    QByteArray frame;
    const char *bytes;
};

TEST(LiveCommands, DeviceAndExtensionFramesAreByteExact)
{
    const FrameCase cases[] = {
        {"picture 5", pictureSwitchFrame(5), "1B 29 05 00 00 00 00 00 FF FF EE FF"},
        {"picture 599", pictureSwitchFrame(599), "1B 29 57 02 00 00 00 00 FF FF EE FF"},
        {"page 300", pageSwitchFrame(300), "1B 50 2C 01 FF FF EE FF"},
        // Typed numbers keep their low 16 bits; 1024 is no "no next page" here.
        {"page 1024", pageSwitchFrame(1024), "1B 50 00 04 FF FF EE FF"},
        {"page 70000", pageSwitchFrame(70000), "1B 50 70 11 FF FF EE FF"},
        {"clear blue", clearScreenFrame(0x001F), "1B 42 1F 00 FF FF EE FF"},
        {"clear 0x1234", clearScreenFrame(0x1234), "1B 42 34 12 FF FF EE FF"},
        {"calibration", calibrationFrame(), "1B 38 FF FF EE FF"},
        {"backlight 63", backlightFrame(63), "1B 64 3F FF FF EE FF"},
        {"backlight 0", backlightFrame(0), "1B 64 00 FF FF EE FF"},
        {"layer 1", layerSwitchFrame(1), "1B 40 01 FF FF EE FF"},
        {"realtime header", realtimePictureHeader(10, 20, 100, 50), "1B 24 0A 00 14 00 64 00 32 00 FF FF EE FF"},
        {"layer select 1 to 0", layerSelectFrame(1, 0), "1B 40 04 FF FF EE FF"},
        {"layer select 3 to 2", layerSelectFrame(3, 2), "1B 40 0E FF FF EE FF"},
        {"layer copy", layerCopyFrame(1, 2, 300, 4, 5, 6),
         "1B 28 01 00 02 00 2C 01 04 00 05 00 06 00 FF FF EE FF"},
        {"touch single", touchModeFrame(0), "1B 20 00 FF FF EE FF"},
        {"touch continuous, break code, interval 5", touchModeFrame(3) + touchIntervalFrame(5),
         "1B 20 03 FF FF EE FF 1B 21 05 00 FF FF EE FF"},
        {"touch interval 65535", touchIntervalFrame(65535), "1B 21 FF FF FF FF EE FF"},
    };
    for (const FrameCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(toHex(c.frame), toHex(hex(c.bytes)));
    }
}

TEST(LiveCommands, LayerCopyCarriesTheLayerSelectExceptOnOneLayerResolutions)
{
    // 800X480 from layer 1 to layer 0: the select, then the copy.
    EXPECT_EQ(toHex(layerCopyCommand(3, 1, 0, 0, 0, 100, 50, 10, 20)),
              toHex(hex("1B 40 04 FF FF EE FF 1B 28 00 00 00 00 64 00 32 00 0A 00 14 00 FF FF EE FF")));
    // 1024X768: the copy alone.
    EXPECT_EQ(toHex(layerCopyCommand(5, 0, 0, 0, 0, 100, 50, 10, 20)),
              toHex(hex("1B 28 00 00 00 00 64 00 32 00 0A 00 14 00 FF FF EE FF")));
    const auto &list = terminalResolutions();
    for (size_t i = 0; i < list.size(); ++i) {
        SCOPED_TRACE(list[i].name);
        EXPECT_EQ(layerCopyCommand(int(i), 0, 1, 1, 2, 3, 4, 5, 6).size(), list[i].layers == 1 ? 18 : 25);
    }
}

TEST(LiveCommands, TheTwelveResolutionsWithTheirLayers)
{
    struct Case
    {
        const char *name;
        int width, height, layers;
        bool layerBox;
    };
    const Case cases[] = {
        {"320X240", 320, 240, 2, true},  {"480X272", 480, 272, 4, true},   {"640X480", 640, 480, 2, true},
        {"800X480", 800, 480, 2, true},  {"800X600", 800, 600, 1, false},  {"1024X768", 1024, 768, 1, false},
        {"272X480", 272, 480, 4, false}, {"240X320", 240, 320, 2, true},   {"480X640", 480, 640, 2, true},
        {"480X800", 480, 800, 2, true},  {"600X800", 600, 800, 1, false},  {"768X1024", 768, 1024, 1, false},
    };
    const auto &list = terminalResolutions();
    ASSERT_EQ(list.size(), std::size(cases));
    for (size_t i = 0; i < list.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_STREQ(list[i].name, cases[i].name);
        EXPECT_EQ(list[i].width, cases[i].width);
        EXPECT_EQ(list[i].height, cases[i].height);
        EXPECT_EQ(list[i].layers, cases[i].layers);
        EXPECT_EQ(list[i].layerBoxEnabled, cases[i].layerBox);
        EXPECT_EQ(liveResolutionIndex(cases[i].width, cases[i].height), int(i));
    }
    EXPECT_EQ(liveResolutionIndex(801, 480), -1);
    EXPECT_EQ(liveResolutionIndex(480, 480), -1);
}

TEST(LiveCommands, LayerSwitchIsRefusedAboveTheResolutionsLayers)
{
    const QString four = QStringLiteral("此分辨率为四层叠加");
    const QString two = QStringLiteral("此分辨率为两层叠加");
    const auto &list = terminalResolutions();
    for (size_t i = 0; i < list.size(); ++i) {
        for (int layer = 0; layer <= 5; ++layer) {
            SCOPED_TRACE(QStringLiteral("%1 layer %2").arg(QLatin1String(list[i].name)).arg(layer).toStdString());
            QString expected;
            if (list[i].layers == 4 && layer > 3)
                expected = four;
            else if (list[i].layers == 2 && layer > 1)
                expected = two;
            // One-layer resolutions are not checked: their box is disabled.
            EXPECT_EQ(layerSwitchRefusal(int(i), layer), expected);
        }
    }
    EXPECT_EQ(layerSwitchRefusal(1, 4), four);   // 480X272
    EXPECT_EQ(layerSwitchRefusal(6, 4), four);   // 272X480
    EXPECT_EQ(layerSwitchRefusal(3, 2), two);    // 800X480
    EXPECT_TRUE(layerSwitchRefusal(5, 9).isEmpty()); // 1024X768
}

TEST(LiveCommands, OnlyTheSeventeenFontsOfTheChooserHaveCodesAndNames)
{
    struct Case
    {
        int size, face, code;
        const char *name;
    };
    const Case valid[] = {
        {0, 0, 0x0C, "8点阵 宋体"},  {1, 0, 0x20, "16点阵 宋体"}, {1, 1, 0x21, "16点阵 仿宋"},
        {1, 2, 0x22, "16点阵 黑体"}, {1, 3, 0x23, "16点阵 楷体"}, {2, 0, 0x30, "24点阵 宋体"},
        {2, 1, 0x31, "24点阵 仿宋"}, {2, 2, 0x32, "24点阵 黑体"}, {2, 3, 0x33, "24点阵 楷体"},
        {3, 0, 0x40, "32点阵 宋体"}, {3, 1, 0x41, "32点阵 仿宋"}, {3, 2, 0x42, "32点阵 黑体"},
        {3, 3, 0x43, "32点阵 楷体"}, {4, 0, 0x60, "48点阵 宋体"}, {4, 2, 0x62, "48点阵 黑体"},
        {5, 0, 0x80, "64点阵 宋体"}, {5, 2, 0x82, "64点阵 黑体"},
    };
    int found = 0;
    for (int size = -1; size <= 6; ++size) {
        for (int face = -1; face <= 4; ++face) {
            SCOPED_TRACE(QStringLiteral("size %1 face %2").arg(size).arg(face).toStdString());
            const Case *match = nullptr;
            for (const Case &c : valid)
                if (c.size == size && c.face == face)
                    match = &c;
            if (match) {
                ++found;
                EXPECT_EQ(liveFontCode(size, face), match->code);
                EXPECT_EQ(liveFontName(size, face), QString::fromUtf8(match->name));
            } else {
                EXPECT_EQ(liveFontCode(size, face), -1);
                EXPECT_TRUE(liveFontName(size, face).isEmpty());
            }
        }
    }
    EXPECT_EQ(found, 17);
}

// ---- shapes ----

struct ShapeCase
{
    const char *name;
    LiveShape shape;
    uint16_t fg;
    QPoint start, end;
    const char *bytes; // empty: nothing sent
    const char *refusal;
};

TEST(LiveCommands, ShapeFramesAndTheirChecks)
{
    const char *bad = "坐标设置错误。";
    const ShapeCase cases[] = {
        {"filled rectangle example", LiveShape::FilledRect, 0xFFFF, {10, 20}, {110, 70},
         "1B 41 FF FF 0A 00 14 00 6E 00 46 00 FF FF EE FF", ""},
        {"hollow circle of radius 5", LiveShape::HollowCircle, 0x1234, {100, 100}, {103, 104},
         "1B 59 34 12 64 00 64 00 05 00 FF FF EE FF", ""},
        {"ellipse (0,0)-(5,3)", LiveShape::HollowEllipse, 0x0821, {0, 0}, {5, 3},
         "1B 49 21 08 02 00 01 00 02 00 01 00 FF FF EE FF", ""},
        {"filled ellipse", LiveShape::FilledEllipse, 0xF800, {10, 10}, {21, 30},
         "1B 4A 00 F8 0F 00 14 00 05 00 0A 00 FF FF EE FF", ""},
        {"ellipse left of 0 rounds down", LiveShape::HollowEllipse, 0, {-3, -3}, {0, 0},
         "1B 49 00 00 FE FF FE FF 01 00 01 00 FF FF EE FF", ""},
        {"point carries the end point", LiveShape::Point, 0x07E0, {1, 2}, {3, 4},
         "1B 47 E0 07 01 00 02 00 03 00 04 00 FF FF EE FF", ""},
        {"line backwards is fine", LiveShape::Line, 0x001F, {300, 5}, {-1, 0},
         "1B 46 1F 00 2C 01 05 00 FF FF 00 00 FF FF EE FF", ""},
        {"polyline segment is a line", LiveShape::Polyline, 0x001F, {1, 1}, {1, 1},
         "1B 46 1F 00 01 00 01 00 01 00 01 00 FF FF EE FF", ""},
        {"hollow rectangle", LiveShape::HollowRect, 0xFFFF, {0, 0}, {799, 479},
         "1B 5A FF FF 00 00 00 00 1F 03 DF 01 FF FF EE FF", ""},
        {"filled circle radius floor(sqrt 2)", LiveShape::FilledCircle, 0xFFFF, {5, 5}, {6, 6},
         "1B 4F FF FF 05 00 05 00 01 00 FF FF EE FF", ""},
        {"circle radius from a point left of the centre", LiveShape::HollowCircle, 0xFFFF, {10, 10}, {0, 10},
         "1B 59 FF FF 0A 00 0A 00 0A 00 FF FF EE FF", ""},
        // Checks.
        {"rectangle end left of start", LiveShape::HollowRect, 0xFFFF, {50, 10}, {40, 90}, "", bad},
        {"filled rectangle end above start", LiveShape::FilledRect, 0xFFFF, {10, 50}, {90, 40}, "", bad},
        {"ellipse end before start", LiveShape::HollowEllipse, 0xFFFF, {5, 5}, {4, 4}, "", bad},
        {"filled ellipse end above start", LiveShape::FilledEllipse, 0xFFFF, {5, 5}, {6, 4}, "", bad},
        {"rectangle of zero width", LiveShape::HollowRect, 0xFFFF, {50, 10}, {50, 90}, "", ""},
        {"filled rectangle of zero height", LiveShape::FilledRect, 0xFFFF, {10, 50}, {90, 50}, "", ""},
        {"ellipse of zero width", LiveShape::FilledEllipse, 0xFFFF, {7, 1}, {7, 9}, "", ""},
        {"circle of radius 0", LiveShape::HollowCircle, 0xFFFF, {7, 7}, {7, 7}, "", ""},
        {"filled circle of radius 0", LiveShape::FilledCircle, 0xFFFF, {7, 7}, {7, 7}, "", ""},
    };
    for (const ShapeCase &c : cases) {
        SCOPED_TRACE(c.name);
        const LiveFrame f = shapeFrame(c.shape, c.fg, c.start, c.end);
        EXPECT_EQ(toHex(f.bytes), toHex(hex(c.bytes)));
        EXPECT_EQ(f.sent(), *c.bytes != 0);
        EXPECT_EQ(f.refusal, QString::fromUtf8(c.refusal));
    }
}

TEST(LiveCommands, EveryTerminalColourIsSentAsItIs)
{
    for (uint32_t c = 0; c <= 0xFFFF; ++c) {
        const QByteArray f = shapeFrame(LiveShape::Line, uint16_t(c), {0, 0}, {1, 1}).bytes;
        ASSERT_EQ(uchar(f[2]) | (uchar(f[3]) << 8), c);
        const QByteArray b = clearScreenFrame(uint16_t(c));
        ASSERT_EQ(uchar(b[2]) | (uchar(b[3]) << 8), c);
    }
}

// ---- text ----

TEST(LiveCommands, TextFrameFields)
{
    LiveTextStyle style; // the window's start: white on blue, 16-dot 宋体, mode 0
    LiveFrame f = textFrame(style, {10, 20}, QStringLiteral("Ab中"));
    EXPECT_EQ(toHex(f.bytes), toHex(hex("1B 23 FF FF 00 00 1F 00 0A 00 14 00 00 20 41 62 D6 D0 FF FF EE FF")));

    style.colour565 = 0x1234;
    style.background565 = 0xABCD;
    style.columnSpacing = 300; // low byte
    style.rowSpacing = 7;
    style.mode = 1;
    style.sizeIndex = 5;
    style.faceIndex = 2;
    f = textFrame(style, {-1, 300}, QString());
    EXPECT_EQ(toHex(f.bytes), toHex(hex("1B 23 34 12 2C 07 CD AB FF FF 2C 01 01 82 FF FF EE FF")));
}

TEST(LiveCommands, TextLengthIsCountedInGbkBytes)
{
    struct Case
    {
        const char *name;
        QString text;
        int frameBytes; // 0: refused as too long
    };
    const Case cases[] = {
        {"255 bytes", QString(255, QLatin1Char('x')), 273},
        {"256 bytes", QString(256, QLatin1Char('x')), 0},
        {"127 characters of two bytes and one of one", QString(127, QChar(0x4E2D)) + "x", 273},
        {"128 characters of two bytes", QString(128, QChar(0x4E2D)), 0},
        {"empty", QString(), 18},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const LiveFrame f = textFrame(LiveTextStyle(), {0, 0}, c.text);
        EXPECT_EQ(f.bytes.size(), c.frameBytes);
        EXPECT_EQ(f.refusal, c.frameBytes ? QString() : QStringLiteral("文本过长。"));
    }
}

TEST(LiveCommands, ACharacterGbkLacksIsRefusedNotSentAsAQuestionMark)
{
    // GBK lacks Thai and the emoji; the check comes before the length.
    const QString cases[] = {QStringLiteral("ab\u0E01"), QStringLiteral("\U0001F600"),
                             QString(300, QLatin1Char('x')) + QStringLiteral("\u0E01")};
    for (const QString &text : cases) {
        SCOPED_TRACE(text.toStdString());
        const LiveFrame f = textFrame(LiveTextStyle(), {0, 0}, text);
        EXPECT_FALSE(f.sent());
        EXPECT_TRUE(f.refusal.contains(QStringLiteral("GBK"))) << f.refusal.toStdString();
        EXPECT_FALSE(f.refusal.contains(QStringLiteral("文本过长")));
    }
    EXPECT_TRUE(textFrame(LiveTextStyle(), {0, 0}, QStringLiteral("ab\u0E01")).refusal.contains(QStringLiteral("U+0E01")));
}

// ---- hex text ----

TEST(LiveCommands, HexTextDecodesWholeDigitPairs)
{
    struct Case
    {
        const char *text;
        const char *bytes;
    };
    const Case cases[] = {
        {"1b 64 3f ff ff ee ff", "1B643FFFFFEEFF"},
        {"1B643F", "1B643F"},
        {"1b 64 3F Ff", "1B643FFF"},
        {"  0a,0B;\r\n\tff  ", "0A0BFF"},
        {"", ""},
        {"xyz ? ghij", ""},
        {"\xd6\xd0 41", "41"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        QByteArray out;
        QString error;
        EXPECT_TRUE(decodeHexText(c.text, out, &error)) << error.toStdString();
        EXPECT_EQ(toHex(out), toHex(hex(c.bytes)));
        EXPECT_TRUE(error.isEmpty());
    }
}

TEST(LiveCommands, HexTextWithALoneDigitIsRefusedAtItsPosition)
{
    struct Case
    {
        const char *text;
        int position;
    };
    const Case cases[] = {
        {"1 23", 1},     {"x1y2", 2},  {"12 3 45", 4}, {"1234 5", 6}, {"12345", 5},
        {"0x41", 1},     {"ab\r\nc", 5}, {"7", 1},     {"ff ee f", 7},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        QByteArray out("kept");
        QString error;
        EXPECT_FALSE(decodeHexText(c.text, out, &error));
        EXPECT_EQ(out, QByteArray("kept"));
        EXPECT_TRUE(error.startsWith(QStringLiteral("第%1个字符").arg(c.position))) << error.toStdString();
    }
}

TEST(LiveCommands, KeptFuzzInputsKeepTheHexReadersProperty)
{
    EXPECT_GT(h5test::replayFuzzInputs(QStringLiteral("fuzz_hex_text"), h5fuzz::checkHexTextInput), 0);
}

// ---- .wzk ----

TEST(LiveCommands, WzkBytesForTwoFonts)
{
    QTemporaryDir dir;
    const QString a = h5linktest::writeFile(dir, QStringLiteral("a.txt"), "01 02 03\r\n");
    QByteArray big;
    for (int i = 0; i < 2113; ++i)
        big += "7e ";
    const QString b = h5linktest::writeFile(dir, QStringLiteral("b.txt"), big);

    QByteArray out;
    QString error;
    ASSERT_TRUE(fontDownloadBytes({{a, 4}, {b, 19}}, out, &error)) << error.toStdString();
    QByteArray expected = hex("7F 1B 74 04 00 01 00 FF FF EE FF 01 02 03") + QByteArray(2109, char(0xFF));
    expected += hex("7F 1B 74 13 00 02 00 FF FF EE FF") + QByteArray(2113, char(0x7E)) + QByteArray(2111, char(0xFF));
    EXPECT_EQ(out.size(), expected.size());
    EXPECT_TRUE(out == expected);

    // The list order is the file's order, numbers as given.
    ASSERT_TRUE(fontDownloadBytes({{b, 0}, {a, 0}}, out, &error));
    EXPECT_EQ(out.mid(0, 11), hex("7F 1B 74 00 00 02 00 FF FF EE FF"));
    EXPECT_EQ(out.mid(11 + 2 * 2112, 11), hex("7F 1B 74 00 00 01 00 FF FF EE FF"));
}

TEST(LiveCommands, WzkIsRefusedWhenAnyFontDoesNotDecode)
{
    QTemporaryDir dir;
    const QString good = h5linktest::writeFile(dir, QStringLiteral("good.txt"), "01");
    const QString lone = h5linktest::writeFile(dir, QStringLiteral("lone.txt"), "01 0");
    const QString none = h5linktest::writeFile(dir, QStringLiteral("none.txt"), "zz ? ghij");
    const QString gone = dir.filePath(QStringLiteral("gone.txt"));
    struct Case
    {
        const char *name;
        std::vector<DebugFont> fonts;
        QString error;
    };
    const Case cases[] = {
        {"lone digit", {{good, 0}, {lone, 1}}, lone + QStringLiteral(": 第4个字符“0”是不成对的十六进制数字")},
        {"no byte", {{none, 0}}, none + QStringLiteral(": 文件无数据!")},
        {"missing", {{good, 0}, {gone, 1}}, gone + QStringLiteral(": 文件不存在!")},
        {"a folder", {{dir.path(), 0}}, dir.path() + QStringLiteral(": 文件不存在!")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray out("kept");
        QString error;
        EXPECT_FALSE(fontDownloadBytes(c.fonts, out, &error));
        EXPECT_EQ(out, QByteArray("kept"));
        EXPECT_EQ(error, c.error);
    }
}

} // namespace
