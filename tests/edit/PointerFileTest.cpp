// Pointer maker files (.MGL): the 60 bytes written for the maker's numbers,
// strict reading with messages for short and missing files, the ".MGL"
// suffix rule and the preview's needle geometry.

#include "support/TestUtil.h"

#include "edit/PointerFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace h5;
using h5test::hex;
using h5test::pointerFileBytes;
using h5test::writeRaw;
using h5test::toHex;

TEST(PointerFileWrite, BytesForTheMakersNumbers)
{
    struct Case { const char *fault; int length, tip, start, end; const char *name; const char *numbers; };
    const Case cases[] = {
        {"numbers written little-endian", 20, 5, 0, 180, "Len(20,5); 0?-180", "0014 0005 0000 00B4 FF 00"},
        {"negative start angle not two's complement", 20, 0, -45, 45, "Len(20,0); -45?-45", "0014 0000 FFD3 002D FF 00"},
        {"negative end angle not two's complement", 30, 2, 90, -1, "Len(30,2); 90?--1", "001E 0002 005A FFFF FF 00"},
        {"high byte of a number dropped", 400, 258, -360, 360, "Len(400,258); -360?-360", "0190 0102 FE98 0168 FF 00"},
        {"length and tip cut swapped", 7, 3, 1, 2, "Len(7,3); 1?-2", "0007 0003 0001 0002 FF 00"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fault);
        const PointerFileHeader h = makePointerHeader(c.length, c.tip, c.start, c.end);
        EXPECT_EQ(h.name, c.name);
        EXPECT_EQ(h.positions, 255);
        const QByteArray bytes = encodePointerHeader(h);
        EXPECT_EQ(toHex(bytes), toHex(pointerFileBytes(c.name, c.numbers)));
    }
}

TEST(PointerFileWrite, NameHasABlankAfterTheSemicolon)
{
    // The form's initial name "Len(20,0);0?-180" is rebuilt on the first
    // repaint with the format's blank.
    EXPECT_EQ(pointerMakerName(20, 0, 0, 180), "Len(20,0); 0?-180");
}

TEST(PointerFileWrite, NameIsZeroPaddedAndCutAtFifty)
{
    struct Case { const char *fault; std::string name; QByteArray expectedField; };
    const Case cases[] = {
        {"padding not zero", "ab", QByteArray("ab") + QByteArray(48, '\0')},
        {"empty name leaves garbage", "", QByteArray(50, '\0')},
        {"exactly fifty bytes shifted the numbers", std::string(50, 'n'), QByteArray(50, 'n')},
        {"long name overflows into the numbers", std::string(70, 'x'), QByteArray(50, 'x')},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fault);
        PointerFileHeader h;
        h.name = c.name;
        h.length = 0x1234;
        const QByteArray bytes = encodePointerHeader(h);
        ASSERT_EQ(bytes.size(), kPointerHeaderSize);
        EXPECT_EQ(bytes.left(50), c.expectedField);
        EXPECT_EQ(toHex(bytes.mid(50, 2)), "12 34");
    }
}

TEST(PointerFileWrite, NumbersThatDoNotFitTheirFieldsAreRefused)
{
    struct Case { const char *fault; int length, tip, start, end; bool fits; };
    const Case cases[] = {
        {"largest values refused", 65535, 65535, 32767, 32767, true},
        {"smallest values refused", 0, 0, -32768, -32768, true},
        {"length over 16 bits wrapped", 65536, 0, 0, 0, false},
        {"negative length wrapped", -1, 0, 0, 0, false},
        {"negative tip cut wrapped", 20, -1, 0, 0, false},
        {"start angle under -32768 wrapped", 20, 0, -32769, 0, false},
        {"end angle over 32767 wrapped", 20, 0, 0, 32768, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fault);
        QString error;
        EXPECT_EQ(pointerNumbersFit(makePointerHeader(c.length, c.tip, c.start, c.end), &error), c.fits);
        EXPECT_EQ(error.isEmpty(), c.fits);
    }
}

TEST(PointerFileDisk, SavedFileReadsBackIncludingNegativeAngles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("needle.MGL"));
    ASSERT_TRUE(writeRaw(path, QByteArray(100, 'z'))) << "an older, longer file";
    QString error;
    ASSERT_TRUE(savePointerFile(path, makePointerHeader(20, 5, -45, 225), &error)) << error.toStdString();
    EXPECT_EQ(h5test::readAll(path).size(), kPointerHeaderSize) << "the old file must be replaced";

    PointerFileHeader h;
    ASSERT_TRUE(readPointerFile(path, h, &error)) << error.toStdString();
    EXPECT_EQ(h.name, "Len(20,5); -45?-225");
    EXPECT_EQ(h.length, 20);
    EXPECT_EQ(h.tipCut, 5);
    EXPECT_EQ(h.startAngle, -45);
    EXPECT_EQ(h.endAngle, 225);
    EXPECT_EQ(h.positions, 255);
}

TEST(PointerFileDisk, ShortOrMissingFilesAreReportedWithTheirName)
{
    QTemporaryDir dir;
    struct Case { const char *fault; const char *file; int size; const char *message; };
    const Case cases[] = {
        {"one byte short read as zero", "short.MGL", 59, "59字节"},
        {"empty file read as zero", "empty.MGL", 0, "0字节"},
        {"missing file not reported", "missing.MGL", -1, "missing.MGL"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fault);
        const QString path = dir.filePath(QString::fromLatin1(c.file));
        if (c.size >= 0) {
            ASSERT_TRUE(writeRaw(path, pointerFileBytes("p", "0014 0005 0000 00B4 FF 00").left(c.size)));
        }
        PointerFileHeader h;
        QString error;
        EXPECT_FALSE(readPointerFile(path, h, &error));
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.message))) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.file))) << error.toStdString();
    }
}

TEST(PointerFileSuffix, MglAppendedUnlessExactlyUpperCase)
{
    struct Case { const char *fault; const char *path; const char *expected; };
    const Case cases[] = {
        {"upper-case suffix doubled", "a/needle.MGL", "a/needle.MGL"},
        {"lower-case suffix accepted", "needle.mgl", "needle.mgl.MGL"},
        {"mixed-case suffix accepted", "needle.Mgl", "needle.Mgl.MGL"},
        {"no suffix left bare", "needle", "needle.MGL"},
        {"suffix without dot accepted", "needleMGL", "needleMGL.MGL"},
        {"suffix inside the name accepted", "needle.MGL.bak", "needle.MGL.bak.MGL"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fault);
        EXPECT_EQ(withMglSuffix(QString::fromLatin1(c.path)), QString::fromLatin1(c.expected));
    }
}

TEST(PointerPreviewGeometry, RadiansUseTheShortPiConstant)
{
    EXPECT_DOUBLE_EQ(pointerRadians(180), 3.1415926535);
    EXPECT_DOUBLE_EQ(pointerRadians(360), 2 * 3.1415926535);
    EXPECT_DOUBLE_EQ(pointerRadians(0), 0.0);
}

TEST(PointerPreviewGeometry, NeedleEndsDropFractionsAndTurnClockwise)
{
    struct Case { const char *fault; double angle; int tip, length; QLine expected; };
    // Pivot (150, 100).
    const Case cases[] = {
        {"0 degrees not pointing left", 0, 5, 20, QLine(145, 100, 125, 100)},
        {"90 degrees not pointing up", 90, 5, 20, QLine(150, 95, 150, 75)},
        {"180 degrees not pointing right", 180, 5, 20, QLine(155, 100, 175, 100)},
        {"270 degrees not pointing down", 270, 5, 20, QLine(150, 105, 150, 125)},
        {"fractions rounded instead of dropped", 45, 5, 20, QLine(147, 97, 133, 83)},
        {"negative angle turned the wrong way", -45, 5, 20, QLine(147, 103, 133, 117)},
        {"tip cut not skipped near the pivot", 0, 0, 20, QLine(150, 100, 130, 100)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fault);
        EXPECT_EQ(needleLine(150, 100, c.angle, c.tip, c.length), c.expected);
    }
}

TEST(PointerPreviewGeometry, SweepAnglesInDrawingOrder)
{
    struct Case { const char *fault; int start, end, positions; bool scale; std::vector<double> expected; };
    const Case cases[] = {
        {"sweep drawn without the scale view", 0, 180, 255, false, {0, 180}},
        {"step not divided by positions - 1", 0, 180, 4, true, {0, 180, 60, 120}},
        {"step taken as a whole number", 0, 1, 3, true, {0, 1, 0.5}},
        {"backward sweep turned around", 90, -90, 3, true, {90, -90, 0}},
        {"two positions drew extra needles", 0, 180, 2, true, {0, 180}},
        {"one position divided by zero", 0, 180, 1, true, {0, 180}},
        {"no positions divided by zero", 0, 180, 0, true, {0, 180}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fault);
        const std::vector<double> got = previewAngles(c.start, c.end, c.positions, c.scale);
        ASSERT_EQ(got.size(), c.expected.size());
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_DOUBLE_EQ(got[i], c.expected[i]) << "angle " << i;
    }
}

TEST(PointerPreviewGeometry, ScaleViewDrawsEveryPositionBetweenStartAndEnd)
{
    const std::vector<double> got = previewAngles(0, 180, kPointerMakerPositions, true);
    ASSERT_EQ(got.size(), std::size_t(kPointerMakerPositions));
    EXPECT_DOUBLE_EQ(got[0], 0);
    EXPECT_DOUBLE_EQ(got[1], 180);
    EXPECT_DOUBLE_EQ(got[2], 180.0 / 254);
    EXPECT_DOUBLE_EQ(got.back(), 253 * 180.0 / 254);
}

TEST(PointerPreviewRender, NeedlesCrossAndCirclesWhereTheyBelong)
{
    const QColor grey(73, 73, 73), white(255, 255, 255), red(255, 0, 0);
    struct Case { const char *fault; bool scale, circle; QPoint at; QColor expected; };
    // 300 x 300, pivot (150, 150), T = 5, L = 20, 0 to 180 degrees.
    const Case cases[] = {
        {"background not grey", false, false, {0, 0}, grey},
        {"start needle missing at its tip-cut end", false, false, {145, 150}, white},
        {"start needle missing at its outer end", false, false, {125, 150}, white},
        {"needle drawn into the tip cut", false, false, {146, 150}, grey},
        {"needle drawn past its length", false, false, {124, 150}, grey},
        {"end needle missing", false, false, {165, 150}, white},
        {"sweep drawn without the scale view", false, false, {150, 135}, grey},
        {"sweep missing with the scale view", true, false, {150, 135}, white},
        {"cross missing at the pivot", false, true, {150, 150}, red},
        {"cross too short", false, true, {150, 154}, red},
        {"inner circle missing", false, true, {146, 147}, red},
        {"outer circle missing", false, true, {150, 175}, red},
        {"circles drawn without the pointer circle", false, false, {150, 175}, grey},
        {"circles filled", false, true, {140, 140}, grey},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fault);
        PointerPreviewOptions o;
        o.tipCut = 5;
        o.length = 20;
        o.scaleView = c.scale;
        o.pointerCircle = c.circle;
        const QImage image = renderPointerPreview(QSize(300, 300), o);
        EXPECT_EQ(image.pixelColor(c.at), c.expected) << c.at.x() << "," << c.at.y();
    }
}
