// The page exports: exact hexadecimal text lines, the ID list and the bytes
// of the BMP files.

#include "support/TestUtil.h"

#include "common/Gbk.h"
#include "model/CTypeGraph.h"
#include "model/Page.h"
#include "model/PageRender.h"
#include "project/PageExport.h"

#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace h5;
using h5test::element;

namespace {

const char kDelay0[] = "1b 53 00 ff ff ee ff \r\n";
const char kNoNext[] = "1b 50 ff ff ff ff ee ff \r\n";

Page pageWith(int flags, std::vector<CGraph> elements)
{
    Page page;
    page.settings = CTypeGraph(1, flags, 4, 1024, 0, RGB(0, 0, 255));
    page.elements = std::move(elements);
    return page;
}

CGraph coloured(int kind, QPoint a, QPoint b, COLORREF c1, COLORREF c2 = 0)
{
    CGraph e = element(kind, 0, a, b);
    e.m_crColor1 = c1;
    e.m_crColor2 = c2;
    return e;
}

CGraph textElement()
{
    CGraph e = element(Kind::Text, 0, {5, 6}, {5, 6});
    e.m_strText1 = "2";
    e.m_strText3 = "3";
    e.m_crColor2 = RGB(0, 0, 0);
    e.m_nAttr = (9 << 8) | 1; // 16 dots, 宋体, on the background colour
    e.m_strText2 = "AB";
    return e;
}

CGraph panelElement()
{
    CGraph e = element(Kind::Panel, 0, {0, 0}, {10, 8});
    e.m_crColor1 = RGB(255, 255, 255);
    e.m_crColor2 = RGB(255, 0, 0);
    e.m_crColor3 = RGB(0, 0, 255);
    e.m_nStyle = 1; // border 1, filled, raised
    return e;
}

struct TextCase
{
    const char *fault;
    Page page;
    std::string expected;
};

TEST(PageExport, TextLinesAreThoseOfTheCompiledFrames)
{
    CGraph marker = element(Kind::DeleteMarker, 0, {1, 1}, {2, 2});
    CGraph button = element(Kind::ButtonCtrl, 3, {20, 20}, {60, 40});
    button.m_nStyle = 0x42; // shows its text
    button.m_strText1 = "OK";
    CGraph fill = element(Kind::Fill, 0, {3, 3}, {3, 3});
    CGraph line = coloured(Kind::Line, {1, 2}, {3, 4}, RGB(255, 0, 0));
    CGraph bitmap = element(Kind::Bitmap, 0, {1, 2}, {20, 30});
    bitmap.m_nNumber = 3;

    Page delayed = pageWith(1, {});
    delayed.settings.m_nDelay = (7 << 16) | 0x12;
    delayed.settings.m_nNextPage = 5;
    Page longDelay = pageWith(1, {});
    longDelay.settings.m_nDelay = 300;

    const std::string lineLine = "1b 46 00 f8 01 00 02 00 03 00 04 00 ff ff ee ff \r\n";
    const std::vector<TextCase> cases = {
        {"main page on layer 0 lacks its background line", pageWith(0, {}),
         std::string("1b 42 1f 00 ff ff ee ff \r\n") + kDelay0 + kNoNext},
        {"auxiliary page gets a background line", pageWith(1, {}), std::string(kDelay0) + kNoNext},
        {"main page on layer 1 gets a background line", pageWith(4, {}), std::string(kDelay0) + kNoNext},
        {"controls, fills or delete markers are exported", pageWith(1, {marker, button, fill, line}),
         lineLine + kDelay0 + kNoNext},
        {"text terminator not written as the literal", pageWith(1, {textElement()}),
         std::string("1b 23 ff ff 02 03 00 00 05 00 06 00 01 20 41 42 0xff 0xff 0xee 0xff \r\n")
             + kDelay0 + kNoNext},
        {"group box not five lines in compiler order",
         pageWith(1, {coloured(Kind::GroupBox, {10, 20}, {50, 60}, RGB(255, 255, 255), RGB(255, 0, 0))}),
         std::string("1b 5a 00 f8 0a 00 14 00 32 00 3c 00 ff ff ee ff \r\n"
                     "1b 46 ff ff 0b 00 15 00 31 00 15 00 ff ff ee ff \r\n"
                     "1b 46 ff ff 0b 00 15 00 0b 00 3b 00 ff ff ee ff \r\n"
                     "1b 46 ff ff 0b 00 3c 00 33 00 3c 00 ff ff ee ff \r\n"
                     "1b 46 ff ff 32 00 15 00 32 00 3c 00 ff ff ee ff \r\n")
             + kDelay0 + kNoNext},
        {"panel face and border not one line each", pageWith(1, {panelElement()}),
         std::string("1b 41 1f 00 01 00 01 00 09 00 07 00 ff ff ee ff \r\n"
                     "1b 46 ff ff 00 00 00 00 09 00 00 00 ff ff ee ff \r\n"
                     "1b 46 ff ff 00 00 00 00 00 00 07 00 ff ff ee ff \r\n"
                     "1b 46 00 f8 00 00 07 00 0a 00 07 00 ff ff ee ff \r\n"
                     "1b 46 00 f8 09 00 00 00 09 00 07 00 ff ff ee ff \r\n")
             + kDelay0 + kNoNext},
        {"bitmap line lacks picture number or first point", pageWith(1, {bitmap}),
         std::string("1b 29 03 00 01 00 02 00 ff ff ee ff \r\n") + kDelay0 + kNoNext},
        {"circle not centre and radius",
         pageWith(1, {coloured(Kind::HollowCircle, {10, 10}, {13, 14}, RGB(255, 255, 255))}),
         std::string("1b 59 ff ff 0a 00 0a 00 05 00 ff ff ee ff \r\n") + kDelay0 + kNoNext},
        {"ellipse not centre and half axes",
         pageWith(1, {coloured(Kind::SolidEllipse, {0, 0}, {10, 20}, RGB(255, 255, 255))}),
         std::string("1b 4a ff ff 05 00 0a 00 05 00 0a 00 ff ff ee ff \r\n") + kDelay0 + kNoNext},
        {"delay carries the page tag or next page is not low byte first", delayed,
         std::string("1b 53 12 ff ff ee ff \r\n1b 50 05 00 ff ff ee ff \r\n")},
        {"delay above 255 not written with all its digits", longDelay,
         std::string("1b 53 12c ff ff ee ff \r\n") + kNoNext},
    };
    for (const TextCase &c : cases) {
        SCOPED_TRACE(c.fault);
        EXPECT_EQ(exportTextBytes(c.page).toStdString(), c.expected);
    }
}

// The view draws its page before any export is asked for, and drawing sets
// the end point of texts and numeric controls (the exports themselves take
// the page as const and cannot change it). Every export must come out the
// same whether or not the page was drawn first.
TEST(PageExport, ExportsIgnoreTheTextEndPointsThatDrawingSets)
{
    CGraph numeric = element(Kind::NumericCtrl, 4, {30, 40}, {30, 40});
    numeric.m_nAttr = 9 << 8;
    numeric.m_strText2 = "12";
    Page page = pageWith(0, {textElement(), panelElement(), numeric});
    page.settings.m_nResolution = 0;
    const QByteArray text = exportTextBytes(page);
    const QByteArray ids = exportIdsBytes(page);
    const QImage bitmap = pageBitmap(page, RenderOptions());

    Page drawn = page;
    ASSERT_FALSE(renderPage(drawn, RenderOptions()).isNull());
    ASSERT_NE(drawn.elements[0].m_ptEnd, page.elements[0].m_ptEnd) << "drawing moved no end point";
    ASSERT_NE(drawn.elements[2].m_ptEnd, page.elements[2].m_ptEnd) << "drawing moved no end point";
    EXPECT_EQ(exportTextBytes(drawn).toStdString(), text.toStdString());
    EXPECT_EQ(h5test::toHex(exportIdsBytes(drawn)), h5test::toHex(ids));
    EXPECT_TRUE(pageBitmap(drawn, RenderOptions()) == bitmap);
}

struct IdCase
{
    const char *fault;
    std::vector<CGraph> elements;
    QString expected;
};

CGraph control(int kind, int id)
{
    return element(kind, id, {0, 0}, {10, 10});
}

CGraph picture(int number)
{
    CGraph e = element(Kind::Bitmap, 0, {0, 0}, {10, 10});
    e.m_nNumber = number;
    return e;
}

TEST(PageExport, IdListIsSortedUnderItsHeadings)
{
    const std::vector<IdCase> cases = {
        {"control IDs not sorted or last line lacks its space",
         {control(Kind::ButtonCtrl, 7), control(Kind::StringCtrl, 3), control(Kind::NumericCtrl, 5)},
         QStringLiteral("控件ID编号：\r\n3,\r\n5,\r\n7 \r\n")},
        {"empty page does not give an empty file", {}, QString()},
        {"page without controls writes the control heading", {picture(9), picture(2)},
         QStringLiteral("图片编号：\r\n2,\r\n9 \r\n")},
        {"duplicates dropped", {control(Kind::TextCtrl, 4), control(Kind::BarCtrl, 4)},
         QStringLiteral("控件ID编号：\r\n4,\r\n4 \r\n")},
        {"IDs compared signed", {control(Kind::ImageCtrl, -1), control(Kind::ImageCtrl, 2)},
         QStringLiteral("控件ID编号：\r\n2,\r\n-1 \r\n")},
        {"non-control kinds or the reserved kind mishandled",
         {control(Kind::ReservedCtrl, 8), element(Kind::Line, 6, {0, 0}, {1, 1}), picture(1)},
         QStringLiteral("控件ID编号：\r\n8 \r\n图片编号：\r\n1 \r\n")},
    };
    for (const IdCase &c : cases) {
        SCOPED_TRACE(c.fault);
        const QByteArray expected = QByteArray::fromStdString(toGbk(c.expected));
        EXPECT_EQ(h5test::toHex(exportIdsBytes(pageWith(0, c.elements))), h5test::toHex(expected));
    }
}

TEST(PageExport, FileNamesAndExtension)
{
    EXPECT_EQ(exportTextFileName(12), QStringLiteral("12.txt"));
    EXPECT_EQ(exportIdsFileName(12), QStringLiteral("12_ID.txt"));
    struct Case { const char *fault; QString in; QString out; };
    const std::vector<Case> cases = {
        {"existing .bmp doubled", QStringLiteral("a.bmp"), QStringLiteral("a.bmp")},
        {"upper-case extension accepted", QStringLiteral("a.BMP"), QStringLiteral("a.BMP.bmp")},
        {"missing extension not added", QStringLiteral("a"), QStringLiteral("a.bmp")},
        {"bare dot name mishandled", QStringLiteral(".bmp"), QStringLiteral(".bmp")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fault);
        EXPECT_EQ(withBmpExtension(c.in), c.out);
    }
}

TEST(PageExport, Bmp24BytesAreExact)
{
    // One pixel wide: each 3-byte row is padded to 4; rows bottom-up, BGR.
    QImage image(1, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(0, 1, qRgb(0, 0, 255));
    h5test::Blob b;
    b.raw(std::string("BM")).u32(62).u16(0).u16(0).u32(54);
    b.u32(40).u32(1).u32(2).u16(1).u16(24).u32(0).u32(8).u32(0).u32(0).u32(0).u32(0);
    b.u8(0xFF).u8(0).u8(0).u8(0);
    b.u8(0).u8(0).u8(0xFF).u8(0);
    EXPECT_EQ(h5test::toHex(bmp24Bytes(image)), h5test::toHex(b.b));
    EXPECT_TRUE(bmp24Bytes(QImage()).isEmpty());

    // Two pixels wide: pixels follow each other in a row, 6 bytes padded to 8.
    QImage wide(2, 1, QImage::Format_RGB32);
    wide.setPixel(0, 0, qRgb(1, 2, 3));
    wide.setPixel(1, 0, qRgb(4, 5, 6));
    h5test::Blob w;
    w.raw(std::string("BM")).u32(62).u16(0).u16(0).u32(54);
    w.u32(40).u32(2).u32(1).u16(1).u16(24).u32(0).u32(8).u32(0).u32(0).u32(0).u32(0);
    w.u8(3).u8(2).u8(1).u8(6).u8(5).u8(4).u8(0).u8(0);
    EXPECT_EQ(h5test::toHex(bmp24Bytes(wide)), h5test::toHex(w.b));
}

TEST(PageExport, PageBitmapHasTheScreenSizeAndPageBackground)
{
    const int index = resolutionIndex(320, 240);
    ASSERT_GE(index, 0);
    Page page = pageWith(1, {coloured(Kind::SolidRect, {10, 10}, {20, 20}, RGB(255, 0, 0))});
    page.settings.m_nResolution = index;
    RenderOptions options;
    options.labels = true;
    const QImage image = pageBitmap(page, options);
    ASSERT_EQ(image.size(), QSize(320, 240));
    // An auxiliary page too is drawn on its own background colour.
    EXPECT_EQ(QColor(image.pixel(300, 200)), QColor(0, 0, 255));
    EXPECT_EQ(QColor(image.pixel(15, 15)), QColor(255, 0, 0));

    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("page.bmp"));
    QString error;
    ASSERT_TRUE(writePageBitmap(page, options, path, &error)) << error.toStdString();
    const QByteArray file = h5test::readAll(path);
    EXPECT_EQ(file, bmp24Bytes(image));
    EXPECT_EQ(file.size(), 54 + 320 * 3 * 240);
    QImage back;
    ASSERT_TRUE(back.loadFromData(file, "BMP"));
    EXPECT_EQ(QColor(back.pixel(15, 15)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(back.pixel(0, 0)), QColor(0, 0, 255));

    page.settings.m_nResolution = 99;
    error.clear();
    EXPECT_FALSE(writePageBitmap(page, RenderOptions(), tmp.filePath(QStringLiteral("bad.bmp")), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath(QStringLiteral("bad.bmp"))));
}

TEST(PageExport, ScreenshotCopiesTheWindowRectangle)
{
    QImage window(40, 30, QImage::Format_RGB32);
    window.fill(qRgb(0, 255, 0));
    window.setPixel(10, 5, qRgb(255, 0, 0));

    const QImage shot = screenshotRect(window, 10, 5, 14, 8);
    ASSERT_EQ(shot.size(), QSize(4, 3));
    EXPECT_EQ(QColor(shot.pixel(0, 0)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(shot.pixel(3, 2)), QColor(0, 255, 0));

    struct Case { const char *fault; int l, t, r, b; };
    const std::vector<Case> cases = {
        {"negative width makes a bitmap", 10, 5, 4, 8},
        {"negative height makes a bitmap", 10, 5, 14, 1},
        {"empty rectangle makes a bitmap", 3, 3, 3, 9},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fault);
        EXPECT_TRUE(screenshotRect(window, c.l, c.t, c.r, c.b).isNull());
    }
}

} // namespace
