// Pointer control form: the pointer file header it loads, the packing of
// needle, range and dial into the element, the gauge box and the refusal
// of a pointer control without pointer file or dial.

#include "support/TestUtil.h"

#include "common/Gbk.h"
#include "edit/PointerValues.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace h5;
using h5test::hex;
using h5test::pointerFileBytes;

TEST(PointerValuesFile, HeaderNumbersAreBigEndianWithSignedAngles)
{
    struct Case { QByteArray bytes; const char *name; int length, tip, start, end, positions; };
    const Case cases[] = {
        {pointerFileBytes("Len(20,5); 0?-180", "0014 0005 0000 00B4 FF 00"), "Len(20,5); 0?-180", 20, 5, 0, 180, 255},
        {pointerFileBytes("n", "0190 0190 FFD3 FE98 02 00"), "n", 400, 400, -45, -360, 2},
        {pointerFileBytes("", "FFFF 0000 7FFF 8000 00 00"), "", 65535, 0, 32767, -32768, 0},
    };
    for (const Case &c : cases) {
        ASSERT_EQ(c.bytes.size(), kPointerHeaderSize);
        const PointerFileHeader h = readPointerHeader(c.bytes);
        EXPECT_EQ(h.name, c.name);
        EXPECT_EQ(h.length, c.length);
        EXPECT_EQ(h.tipCut, c.tip);
        EXPECT_EQ(h.startAngle, c.start);
        EXPECT_EQ(h.endAngle, c.end);
        EXPECT_EQ(h.positions, c.positions);
    }
}

TEST(PointerValuesFile, ShortFileReadsMissingBytesAsZeroAndNameStopsAtFifty)
{
    const PointerFileHeader shortOne = readPointerHeader(pointerFileBytes("abc", "0014 05").left(53));
    EXPECT_EQ(shortOne.name, "abc");
    EXPECT_EQ(shortOne.length, 20);
    EXPECT_EQ(shortOne.tipCut, 0x0500) << "only the high byte of the tip cut is there";
    EXPECT_EQ(shortOne.positions, 0);

    QByteArray full(50, 'x'); // no terminator inside the name field
    full.append(hex("0001 0002 0003 0004 05 00"));
    const PointerFileHeader h = readPointerHeader(full);
    EXPECT_EQ(h.name, std::string(50, 'x'));
    EXPECT_EQ(h.length, 1);

    EXPECT_EQ(readPointerHeader(QByteArray()).name, "");
}

TEST(PointerValuesFile, LoadFromDiskTakesTrailingBytesOrMissesAnUnreadableFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("needle.MGL"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(pointerFileBytes("needle", "001E 000A FFD3 00E1 FF 00"));
    f.write("trailing bytes are not part of the header");
    f.close();

    PointerFileHeader h;
    QString error;
    ASSERT_TRUE(readPointerFile(path, h, &error)) << error.toStdString();
    EXPECT_EQ(h.name, "needle");
    EXPECT_EQ(h.length, 30);
    EXPECT_EQ(h.tipCut, 10);
    EXPECT_EQ(h.startAngle, -45);
    EXPECT_EQ(h.endAngle, 225);

    EXPECT_FALSE(readPointerFile(dir.filePath(QStringLiteral("missing.MGL")), h, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(PointerValuesPack, WordsAndGaugeBoxFromNeedleAndCentre)
{
    PointerCtrlValues v;
    v.ctrlId = 12;
    v.centreX = 200;
    v.centreY = 150;
    v.lineWidth = 3;
    v.minimum = -50;
    v.maximum = 150;
    v.belowShown = 1;
    v.aboveShown = 2;
    v.needle = RGB(255, 0, 0);
    v.outNeedle = RGB(0, 0, 255);
    v.applyPointerFile(readPointerHeader(pointerFileBytes("p", "0028 0005 FFD3 00E1 FF 00")));
    v.chooseDial(QStringLiteral("/proj/图片文件/dial.bmp"));

    CGraph g(Kind::PointerCtrl, 0, {}, {}, 0, 0, 0, 0, RGB(3, 3, 3), 0, 0, 0, 0, 0, 0, 0, 0, 0, "", "", "");
    EXPECT_EQ(v.toElement(g), FormApply::Written);
    const int k = 40 + 5 + 5;
    EXPECT_EQ(g.m_ptStart, QPoint(200 - k, 150 - k));
    EXPECT_EQ(g.m_ptEnd, QPoint(200 + k, 150 + k));
    EXPECT_EQ(uint32_t(g.m_nAttr), 0xFF030028u) << "positions, line width, length";
    EXPECT_EQ(g.m_nNumber, 5);
    EXPECT_EQ(g.m_nValue1, 150) << "value 1 holds the maximum";
    EXPECT_EQ(g.m_nValue2, -50) << "value 2 holds the minimum";
    EXPECT_EQ(g.m_nValue3, -45);
    EXPECT_EQ(g.m_nValue4, 225);
    EXPECT_EQ(g.m_nExtra, 0x00010002);
    EXPECT_EQ(g.m_crColor1, RGB(255, 0, 0));
    EXPECT_EQ(g.m_crColor3, RGB(3, 3, 3));
    EXPECT_EQ(g.m_crColor4, RGB(0, 0, 255));
    EXPECT_EQ(g.m_strText2, "p");
    EXPECT_EQ(g.m_strText3, "dial.bmp");
    EXPECT_EQ(fromGbk(g.m_strText1), QStringLiteral("/proj/图片文件/dial.bmp"));

    PointerCtrlValues back;
    back.fromElement(g);
    EXPECT_EQ(back.centreX, 200);
    EXPECT_EQ(back.centreY, 150);
    EXPECT_EQ(back.lineWidth, 3);
    EXPECT_EQ(back.positions, 255);
    EXPECT_EQ(back.length, 40);
    EXPECT_EQ(back.minimum, -50);
    EXPECT_EQ(back.maximum, 150);
}

TEST(PointerValuesPack, CentreIsHalfWayBetweenThePoints)
{
    struct Case { QPoint a, b; int cx, cy; };
    const Case cases[] = {{{0, 0}, {100, 60}, 50, 30}, {{10, 10}, {21, 21}, 15, 15}, {{30, 30}, {10, 10}, 20, 20}};
    for (const Case &c : cases) {
        CGraph g(Kind::PointerCtrl, 0, c.a, c.b, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "", "", "");
        PointerCtrlValues v;
        v.fromElement(g);
        EXPECT_EQ(v.centreX, c.cx);
        EXPECT_EQ(v.centreY, c.cy);
    }
}

TEST(PointerValuesCreate, RefusedWithoutPointerOrDial)
{
    struct Case { bool pointer, dial; const char *message; };
    const Case cases[] = {
        {false, false, "请加载指针!请选择位图!"},
        {false, true, "请加载指针!"},
        {true, false, "请选择位图!"},
        {true, true, ""},
    };
    for (const Case &c : cases) {
        PointerCtrlValues v;
        if (c.pointer)
            v.applyPointerFile(readPointerHeader(pointerFileBytes("p", "0014 0000 0000 00B4 FF 00")));
        if (c.dial)
            v.chooseDial(QStringLiteral("/x/dial.jpg"));
        EXPECT_EQ(v.missingParts(), QString::fromUtf8(c.message));
        NewElementInfo info;
        info.source = 2;
        const auto g = v.newElement(info);
        EXPECT_EQ(bool(g), !*c.message);
        if (g) {
            EXPECT_EQ(g->m_nKind, Kind::PointerCtrl);
            EXPECT_EQ(g->m_nSource, 2);
            EXPECT_EQ(g->m_nAttr & 0xFFFF, 20);
        }
    }
}
