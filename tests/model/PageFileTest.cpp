// Page files and element records: byte layout, round trips, damaged input,
// and the clean-up every save does.

#include "support/TestUtil.h"

#include "common/Gbk.h"
#include "model/Page.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace h5;
using h5test::Blob;
using h5test::hex;
using h5test::toHex;

namespace {

// A page file built by hand, byte by byte, without the writer under test.
QByteArray handMadePageFile(const std::vector<std::vector<std::string>> &texts)
{
    Blob f;
    f.u16(0xFFFF).u16(1).u16(10).raw(std::string("CTypeGraph"));
    f.u32(3).u32(1 + 2 * 4).u32(7).u32(1024).u32(0x0002000A).u32(0x00336699);
    f.u32(uint32_t(texts.size()));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i == 0)
            f.u16(0xFFFF).u16(1).u16(6).raw(std::string("CGraph"));
        else
            f.u16(0x8003);
        for (uint32_t w = 0; w < 20; ++w)
            f.u32(uint32_t(i) * 100 + w); // every word distinct
        f.str(texts[i][0]).str(texts[i][1]).str(texts[i][2]);
    }
    return f.b;
}

CGraph rect(int kind, int x1, int y1, int x2, int y2)
{
    return CGraph(kind, 0, {x1, y1}, {x2, y2}, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "", "",
                  "");
}

} // namespace

TEST(ArchiveStringTest, LengthFormsMatchTheThreeEncodings)
{
    struct Case { std::size_t length; const char *prefix; };
    const Case cases[] = {
        {0, "00"},          {1, "01"},
        {254, "FE"},        {255, "FF FF 00"},
        {300, "FF 2C 01"},  {0xFFFD, "FF FD FF"},
        {0xFFFE, "FF FF FF FE FF 00 00"}, {70000, "FF FF FF 70 11 01 00"},
    };
    for (const Case &c : cases) {
        const std::string s(c.length, 'x');
        QByteArray out;
        ByteWriter w(out);
        writeArchiveString(w, s);
        const QByteArray prefix = hex(c.prefix);
        EXPECT_EQ(toHex(out.left(prefix.size())), toHex(prefix)) << "length " << c.length;
        EXPECT_EQ(out.size(), prefix.size() + qsizetype(c.length));
        ByteReader r(out);
        std::string back;
        ASSERT_TRUE(readArchiveString(r, back, nullptr)) << "length " << c.length;
        EXPECT_EQ(back, s);
        EXPECT_TRUE(r.atEnd());
    }
}

TEST(ElementRecordTest, FieldsAreWrittenInArchiveOrderNotDeclarationOrder)
{
    // value 2 is archived before value 1; text 3 before text 2.
    const CGraph g(105, 2, {3, 4}, {5, 6}, 7, 8, 9, 10, 11, 12, 13, 14, /*v1*/ 15, /*v2*/ 16, 17,
                   18, 19, 20, "a", "c", "b");
    QByteArray out;
    ByteWriter w(out);
    g.Serialize(w);
    Blob expect;
    for (uint32_t v : {105u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u, 11u, 12u, 13u, 14u, 16u, 15u,
                       17u, 18u, 19u, 20u})
        expect.u32(v);
    expect.str("a").str("c").str("b");
    EXPECT_EQ(toHex(out), toHex(expect.b));
}

TEST(ElementRecordTest, EmptyTextsGiveEightyThreeBytes)
{
    QByteArray out;
    ByteWriter w(out);
    CGraph().Serialize(w);
    EXPECT_EQ(out.size(), 83);
}

TEST(PageFileTest, EmptyPageIsFortyFourBytesWithFixedPrefix)
{
    Page page;
    page.settings = CTypeGraph(3, 1 + 5 * 4, 12, 1024, 0x00010014, RGB(1, 2, 3));
    const QByteArray f = page.toPageFile();
    EXPECT_EQ(toHex(f), toHex(hex("FFFF 0100 0A00 43547970654772617068"
                                  "03000000 15000000 0C000000 00040000 14000100 01020300"
                                  "00000000")));
}

TEST(PageFileTest, LaterElementsUseTheClassReference)
{
    Page page;
    page.elements = {rect(Kind::Line, 0, 0, 1, 1), rect(Kind::Line, 2, 2, 3, 3)};
    const QByteArray f = page.toPageFile();
    ASSERT_EQ(f.size(), 44 + 12 + 83 + 2 + 83);
    EXPECT_EQ(toHex(f.mid(44, 12)), toHex(hex("FFFF 0100 0600 434772617068")));
    EXPECT_EQ(toHex(f.mid(44 + 12 + 83, 2)), "03 80");
}

TEST(PageFileTest, HandMadeFilesRoundTripByteForByte)
{
    const std::string chinese = toGbk(QStringLiteral("温度：25℃\r\n压力"));
    const std::vector<std::vector<std::vector<std::string>>> pages = {
        {},
        {{"", "", ""}},
        {{std::string(254, 'a'), std::string(255, 'b'), std::string(300, 'c')},
         {chinese, "12", std::string(70000, 'd')},
         {"", chinese, ""}},
    };
    for (const auto &texts : pages) {
        const QByteArray file = handMadePageFile(texts);
        Page page;
        QString error;
        ASSERT_TRUE(page.fromPageFile(file, &error)) << error.toStdString();
        ASSERT_EQ(page.elements.size(), texts.size());
        EXPECT_TRUE(page.toPageFile() == file) << "elements: " << texts.size();
    }
}

TEST(PageFileTest, ReadsFieldsFromTheirOffsets)
{
    const std::string chinese = toGbk(QStringLiteral("图标"));
    Page page;
    ASSERT_TRUE(page.fromPageFile(handMadePageFile({{"t1", "t3", chinese}, {"", "", ""}}), nullptr));
    EXPECT_EQ(page.settings.m_nResolution, 3);
    EXPECT_EQ(page.settings.m_nFlags, 9);
    EXPECT_EQ(page.settings.m_nPageNo, 7);
    EXPECT_EQ(page.settings.m_nNextPage, 1024);
    EXPECT_EQ(page.settings.m_nDelay, 0x0002000A);
    EXPECT_EQ(page.settings.m_crBack, 0x00336699u);
    const CGraph &g = page.elements[1];
    EXPECT_EQ(g.m_nKind, 100);
    EXPECT_EQ(g.m_nCtrlID, 101);
    EXPECT_EQ(g.m_ptStart, QPoint(102, 103));
    EXPECT_EQ(g.m_ptEnd, QPoint(104, 105));
    EXPECT_EQ(g.m_nAttr, 106);
    EXPECT_EQ(g.m_nNumber, 107);
    EXPECT_EQ(g.m_crColor1, 108u);
    EXPECT_EQ(g.m_crColor5, 112u);
    EXPECT_EQ(g.m_nSource, 113);
    EXPECT_EQ(g.m_nValue2, 114);
    EXPECT_EQ(g.m_nValue1, 115);
    EXPECT_EQ(g.m_nValue3, 116);
    EXPECT_EQ(g.m_nValue4, 117);
    EXPECT_EQ(g.m_nStyle, 118);
    EXPECT_EQ(g.m_nExtra, 119);
    EXPECT_EQ(page.elements[0].m_strText1, "t1");
    EXPECT_EQ(page.elements[0].m_strText3, "t3");
    EXPECT_EQ(fromGbk(page.elements[0].m_strText2), QStringLiteral("图标"));
}

TEST(PageFileTest, DamagedFilesAreRefusedWithAReason)
{
    const QByteArray good = handMadePageFile({{"abc", "", ""}, {"", "", ""}});
    auto patched = [&](int at, const char *bytes) {
        QByteArray f = good;
        const QByteArray b = hex(bytes);
        f.replace(at, b.size(), b);
        return f;
    };
    const int firstStrings = 44 + 12 + 80;
    struct Case { const char *name; QByteArray data; const char *reason; };
    const Case cases[] = {
        {"empty file", QByteArray(), "不是页面文件"},
        {"png picture", hex("89504E470D0A1A0A0000000D494844520000000100000001") + QByteArray(40, 0),
         "应为类标记"},
        {"wrong class name", patched(6, "43547970654772617069"), "应为“CTypeGraph”"},
        {"wrong settings schema", patched(2, "0200"), "版本号为2"},
        {"wrong element class", patched(44 + 6, "0700 4357726170684B"), "类名"},
        {"wrong element schema", patched(44 + 2, "0300"), "版本号为3"},
        {"huge element count", patched(40, "FFFFFFFF"), "图元个数"},
        {"count one too many", patched(40, "03000000"), "图元个数"},
        {"text length past end", patched(firstStrings, "FF FF FF FF FF FF 7F"), "超出文件末尾"},
        {"16-bit length past end", patched(firstStrings, "FF 00 F0"), "超出文件末尾"},
        {"wide text marker", patched(firstStrings, "FF FE FF"), "不支持"},
        {"bad tag for second element", patched(44 + 12 + 83 + 3, "0180"), "应为图元标记"},
        {"trailing bytes", good + QByteArray("xyz"), "多出"},
    };
    for (const Case &c : cases) {
        Page page;
        page.settings.m_nPageNo = 42;
        QString error;
        EXPECT_FALSE(page.fromPageFile(c.data, &error)) << c.name;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << c.name << ": " << error.toStdString();
        EXPECT_EQ(page.settings.m_nPageNo, 42) << c.name << ": a failed read changed the page";
        EXPECT_TRUE(page.elements.empty()) << c.name;
    }
}

TEST(PageFileTest, EveryTruncationIsAnError)
{
    const QByteArray good = handMadePageFile({{"abc", std::string(300, 'x'), ""}, {"", "", "z"}});
    for (int n = 0; n < good.size(); ++n) {
        Page page;
        QString error;
        EXPECT_FALSE(page.fromPageFile(good.left(n), &error)) << "cut at " << n;
        EXPECT_FALSE(error.isEmpty());
    }
}

// Bytes this process has read through read() so far (Linux), or -1.
qint64 bytesReadSoFar()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : io.readAll().split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

// The head of a page file (settings and element count) by hand.
QByteArray pageHead(uint32_t count)
{
    Blob f;
    f.u16(0xFFFF).u16(1).u16(10).raw(std::string("CTypeGraph"));
    f.u32(3).u32(0).u32(0).u32(1024).u32(0).u32(0);
    f.u32(count);
    return f.b;
}

// A file no page can be (more elements than a page's stream can draw, a
// file longer than any page file, a foreign head) is refused from its size
// and its first bytes: the rest is never read. Sparse files stand in for
// the large ones.
TEST(PageFileTest, FileNoPageCanBeIsRefusedWithoutReadingIt)
{
    QTemporaryDir dir;
    struct Case
    {
        const char *name;
        QByteArray head;
        qint64 size;
        const char *reason;
    };
    const Case cases[] = {
        {"more elements than a page can draw", pageHead(uint32_t(kMaxPageElements) + 1),
         44 + qint64(kMaxPageElements + 1) * 90, "超过一个页面所能容纳"},
        {"longer than any page file", pageHead(0), kMaxPageFileBytes + 1, "超过页面文件的上限"},
        {"not a page file", QByteArray(44, '\0'), 100 << 20, "应为类标记"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QStringLiteral("big.wlp"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(c.head), c.head.size());
        ASSERT_TRUE(file.resize(c.size));
        file.close();

        const qint64 before = bytesReadSoFar();
        Page page;
        QString error;
        EXPECT_FALSE(page.load(path, &error));
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
        if (before >= 0) {
            EXPECT_LT(bytesReadSoFar() - before, qint64(1) << 20) << "the file was read";
        }
    }
}

// A text no page can show (longer than a page's whole instruction stream)
// is refused; one of exactly that length still loads.
TEST(PageFileTest, TextLongerThanAPageCanShowIsRefused)
{
    const std::string longest(std::size_t(kMaxElementTextBytes), 'x');
    Page page;
    QString error;
    EXPECT_TRUE(page.fromPageFile(handMadePageFile({{"", "", longest}}), &error)) << error.toStdString();
    EXPECT_FALSE(page.fromPageFile(handMadePageFile({{"", "", longest + 'x'}}), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("文字长度%1超过上限").arg(kMaxElementTextBytes + 1)))
        << error.toStdString();
}

TEST(PageNormaliseTest, DeleteMarkersAreDroppedAndNeverWritten)
{
    Page page;
    page.elements = {rect(Kind::DeleteMarker, 0, 0, 1, 1), rect(Kind::Line, 0, 0, 1, 1)};
    EXPECT_EQ(page.toPageFile().size(), 44 + 12 + 83);
    page.normalise(3);
    ASSERT_EQ(page.elements.size(), 1u);
    EXPECT_EQ(page.elements[0].m_nKind, Kind::Line);
}

TEST(PageNormaliseTest, OffScreenElementsAreJudgedByTheirPointsAsDrawn)
{
    // Resolution 3 is 800 x 480.
    struct Case { const char *name; CGraph g; bool kept; };
    const Case cases[] = {
        {"inside", rect(Kind::SolidRect, 10, 10, 20, 20), true},
        {"start on the right edge", rect(Kind::Line, 800, 10, 900, 20), true},
        {"start past the right edge, end on screen", rect(Kind::Line, 801, 10, 700, 20), false},
        {"start below the screen", rect(Kind::Line, 0, 481, 10, 10), false},
        {"end left of the screen", rect(Kind::Line, 10, 10, -1, 20), false},
        {"end above the screen", rect(Kind::Line, 10, 10, 20, -1), false},
        {"reversed rectangle straddling the left edge", rect(Kind::HollowRect, 5, 5, -5, -5), false},
        {"reversed rectangle on screen", rect(Kind::HollowRect, 50, 50, 5, 5), true},
        {"partly off the right edge", rect(Kind::HollowRect, 700, 400, 900, 600), true},
    };
    for (const Case &c : cases) {
        Page page;
        page.elements = {c.g};
        page.normalise(3);
        EXPECT_EQ(page.elements.size(), c.kept ? 1u : 0u) << c.name;
    }
}

TEST(PageNormaliseTest, CornersAreOrderedOnlyForBoxKinds)
{
    const int ordered[] = {65, 90, 73, 74, 75, 76, 43, 108, 109, 111, 118};
    const int asDrawn[] = {70, 89, 79, 49, 42, 105, 106, 107, 110};
    for (int kind : ordered) {
        Page page;
        page.elements = {rect(kind, 300, 200, 100, 50)};
        page.normalise(4);
        ASSERT_EQ(page.elements.size(), 1u);
        EXPECT_EQ(page.elements[0].m_ptStart, QPoint(100, 50)) << kind;
        EXPECT_EQ(page.elements[0].m_ptEnd, QPoint(300, 200)) << kind;
    }
    for (int kind : asDrawn) {
        Page page;
        page.elements = {rect(kind, 300, 200, 100, 50)};
        page.normalise(4);
        ASSERT_EQ(page.elements.size(), 1u);
        EXPECT_EQ(page.elements[0].m_ptStart, QPoint(300, 200)) << kind;
    }
}

TEST(PictureBlocksTest, RoundsUpToWholeFlashBlocks)
{
    EXPECT_EQ(pictureBlocks(0, 0), 0);
    EXPECT_EQ(pictureBlocks(1, 1), 1);
    EXPECT_EQ(pictureBlocks(320, 240), 2);
    EXPECT_EQ(pictureBlocks(800, 480), 6);
    EXPECT_EQ(pictureBlocks(256, 264), 1); // exactly 135,168 bytes
}
