// Conversion of pictures into the terminal's RGB565 pixel data, and
// measuring their size.

#include "pictures/PictureConvert.h"
#include "pictures/PictureTestImages.h"

#include <QPainter>
#include <QBuffer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace h5;
using namespace h5test;

namespace {

struct ColourCase
{
    int r, g, b;
    unsigned char lo, hi;
};

// The worked examples, plus the edges of the rounding: a channel just below
// the maximum rounds up to it, a channel at the maximum never wraps to 0.
const ColourCase kColourCases[] = {
    {255, 255, 255, 0xFF, 0xFF}, {255, 0, 0, 0x00, 0xF8},   {0, 255, 0, 0xE0, 0x07},
    {0, 0, 255, 0x1F, 0x00},     {135, 67, 12, 0x22, 0x8A}, {244, 2, 4, 0x21, 0xF8},
    {128, 128, 128, 0x10, 0x84}, {0, 0, 0, 0x00, 0x00},     {4, 0, 0, 0x00, 0x08},
    {247, 0, 0, 0x00, 0xF8},     {252, 254, 252, 0xFF, 0xFF}, {0, 2, 0, 0x20, 0x00},
};

TEST(PictureConvert, ColoursRoundOnHighestDroppedBitWithoutOverflow)
{
    const int n = int(std::size(kColourCases));
    QImage row(n, 1, QImage::Format_RGB32);
    for (int i = 0; i < n; ++i)
        row.setPixel(i, 0, qRgb(kColourCases[i].r, kColourCases[i].g, kColourCases[i].b));
    QByteArray out;
    ASSERT_TRUE(convertPicture(row, n, 1, out));
    ASSERT_EQ(out.size(), 2 * n);
    for (int i = 0; i < n; ++i) {
        const ColourCase &c = kColourCases[i];
        SCOPED_TRACE(testing::Message() << "(" << c.r << "," << c.g << "," << c.b << ")");
        EXPECT_EQ(static_cast<unsigned char>(out[2 * i]), c.lo);
        EXPECT_EQ(static_cast<unsigned char>(out[2 * i + 1]), c.hi);
        EXPECT_EQ(rgb565(c.r, c.g, c.b), c.lo | (c.hi << 8));
    }
}

TEST(PictureConvert, EveryChannelLevelFollowsTheRoundingRule)
{
    // One ramp per channel, all 256 levels, so a wrong shift or a wrong
    // rounding bit in any table entry shows.
    QImage ramps(256, 3, QImage::Format_RGB32);
    for (int v = 0; v < 256; ++v) {
        ramps.setPixel(v, 0, qRgb(v, 0, 0));
        ramps.setPixel(v, 1, qRgb(0, v, 0));
        ramps.setPixel(v, 2, qRgb(0, 0, v));
    }
    QByteArray out;
    ASSERT_TRUE(convertPicture(ramps, 256, 3, out));
    EXPECT_EQ(out, expectedPixels(ramps));
}

TEST(PictureConvert, PixelsGoRowsTopToBottomLowByteFirst)
{
    const QImage img = patternImage(5, 3);
    QByteArray out;
    ASSERT_TRUE(convertPicture(img, 5, 3, out));
    EXPECT_EQ(out, expectedPixels(img));
}

TEST(PictureConvert, NonRgb32FormatsConvertLikeTheirColours)
{
    // Decoders hand back various pixel formats; each must be read as colours,
    // not as raw words.
    const QImage base = patternImage(6, 4, 5);
    for (QImage::Format f : {QImage::Format_RGB888, QImage::Format_Indexed8,
                             QImage::Format_Grayscale8, QImage::Format_RGB16}) {
        SCOPED_TRACE(int(f));
        const QImage img = base.convertToFormat(f);
        QByteArray out;
        ASSERT_TRUE(convertPicture(img, 6, 4, out));
        EXPECT_EQ(out, expectedPixels(img.convertToFormat(QImage::Format_RGB32)));
    }
}

TEST(PictureConvert, LosslessFilesConvertExactlyAtTheirOwnSize)
{
    QTemporaryDir dir;
    const QImage img = patternImage(13, 7, 2);
    for (const char *format : {"BMP", "PNG"}) {
        SCOPED_TRACE(format);
        const QString path = saveImage(img, dir.filePath(QString("p.") + format), format);
        ASSERT_FALSE(path.isEmpty());
        QByteArray out;
        ASSERT_TRUE(convertPicture(path, 13, 7, out));
        EXPECT_EQ(out, expectedPixels(img));
    }
}

TEST(PictureConvert, JpegFileOfOneColourConvertsToThatColour)
{
    QTemporaryDir dir;
    struct Case
    {
        QColor colour;
        unsigned char lo, hi;
    };
    for (const Case &c : {Case{Qt::white, 0xFF, 0xFF}, Case{Qt::black, 0x00, 0x00}}) {
        const QString path = saveImage(solidImage(16, 16, c.colour), dir.filePath("p.jpg"), "JPEG");
        ASSERT_FALSE(path.isEmpty());
        QByteArray out;
        ASSERT_TRUE(convertPicture(path, 16, 16, out));
        ASSERT_EQ(out.size(), 16 * 16 * 2);
        for (int i = 0; i < out.size(); i += 2) {
            ASSERT_EQ(static_cast<unsigned char>(out[i]), c.lo) << i;
            ASSERT_EQ(static_cast<unsigned char>(out[i + 1]), c.hi) << i;
        }
    }
}

TEST(PictureConvert, PictureIsStretchedToExactlyTheRequestedSize)
{
    // A 2 x 2 picture drawn at 4 x 4 fills each quadrant with one source
    // pixel; drawn at 5 x 1 it still yields exactly 5 pixels.
    QImage img(2, 2, QImage::Format_RGB32);
    img.setPixel(0, 0, qRgb(255, 0, 0));
    img.setPixel(1, 0, qRgb(0, 255, 0));
    img.setPixel(0, 1, qRgb(0, 0, 255));
    img.setPixel(1, 1, qRgb(255, 255, 255));
    QByteArray out;
    ASSERT_TRUE(convertPicture(img, 4, 4, out));
    EXPECT_EQ(out, expectedPixels(img.scaled(4, 4)));

    ASSERT_TRUE(convertPicture(solidImage(3, 3, QColor(135, 67, 12)), 5, 1, out));
    EXPECT_EQ(out, QByteArray("\x22\x8A\x22\x8A\x22\x8A\x22\x8A\x22\x8A", 10));
}

TEST(PictureConvert, TransparentPartsShowBlack)
{
    QImage img(2, 1, QImage::Format_ARGB32);
    img.setPixel(0, 0, qRgba(255, 255, 255, 0));
    img.setPixel(1, 0, qRgba(255, 0, 0, 255));
    QTemporaryDir dir;
    const QString path = saveImage(img, dir.filePath("a.png"), "PNG");
    QByteArray out;
    ASSERT_TRUE(convertPicture(path, 2, 1, out));
    EXPECT_EQ(out, QByteArray("\x00\x00\x00\xF8", 4));
}

// Decoders fill a cut-off picture with grey or black without complaint; a
// picture that is not whole must fail, naming the file, and never ship.
TEST(PictureConvert, EmptyCutShortOrForeignFilesFailNamingTheFile)
{
    QTemporaryDir dir;
    const QImage img = patternImage(40, 30, 3);
    QByteArray bmp, jpg, png;
    for (auto [bytes, format] : {std::pair<QByteArray *, const char *>{&bmp, "BMP"}, {&jpg, "JPEG"}, {&png, "PNG"}}) {
        QBuffer b(bytes);
        b.open(QIODevice::WriteOnly);
        ASSERT_TRUE(img.save(&b, format));
    }
    struct Case { const char *name; QByteArray content; };
    const Case cases[] = {
        {"empty file", QByteArray()},
        {"text renamed to a picture", QByteArray("not a picture at all")},
        {"BMP cut short", bmp.left(bmp.size() - 100)},
        {"JPEG cut short", jpg.left(jpg.size() * 2 / 3)},
        {"PNG cut short", png.left(png.size() - 20)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath("broken.bmp");
        ASSERT_TRUE(writeBytes(path, c.content));
        QByteArray out;
        QString error;
        EXPECT_EQ(convertPictureFile(path, 3, 2, out, &error), ConvertResult::CannotRender);
        EXPECT_TRUE(out.isEmpty());
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
    }
    // The whole files convert.
    for (const QByteArray &whole : {bmp, jpg, png}) {
        const QString path = dir.filePath("whole");
        ASSERT_TRUE(writeBytes(path, whole));
        QByteArray out;
        EXPECT_EQ(convertPictureFile(path, 40, 30, out), ConvertResult::Ok);
        EXPECT_EQ(out.size(), 40 * 30 * 2);
    }
}

TEST(PictureConvert, UnopenableFileFails)
{
    QTemporaryDir dir;
    QByteArray out("stale");
    QString error;
    EXPECT_FALSE(convertPicture(dir.filePath("missing.bmp"), 3, 2, out, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(out.isEmpty());
}

TEST(PictureConvert, SizesGiveEmptyOutputOrFailure)
{
    struct Case
    {
        int w, h;
        bool ok;
    };
    const QImage img = patternImage(4, 4);
    // Zero sizes are empty pictures; negative sizes and sizes beyond the
    // terminal's whole picture store cannot be rendered.
    for (const Case &c : {Case{0, 5, true}, Case{5, 0, true}, Case{0, 0, true}, Case{-1, 4, false},
                          Case{4, -1, false}, Case{9000, 9000, false}}) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        QByteArray out("stale");
        EXPECT_EQ(convertPicture(img, c.w, c.h, out), c.ok);
        EXPECT_TRUE(out.isEmpty());
    }
}

// A run-length BMP may jump over pixels; the decoder leaves them as its
// image held them. They convert as colour 0 of the palette, the same every
// time, not as whatever memory the image got.
TEST(PictureConvert, PixelsARunLengthBmpSkipsConvertAsPaletteColourZeroEveryTime)
{
    // 8-bit RLE, 4 x 2, palette blue and green. Bottom row: two green
    // pixels, then a jump past the row's end; the top row is never written.
    QByteArray bmp;
    auto le32 = [&](quint32 v) {
        for (int i = 0; i < 4; ++i)
            bmp.append(char((v >> (8 * i)) & 0xFF));
    };
    auto le16 = [&](quint16 v) {
        bmp.append(char(v & 0xFF));
        bmp.append(char(v >> 8));
    };
    const QByteArray pixels = QByteArray::fromHex("0201" "00020201" "0000" "0001");
    bmp.append("BM");
    le32(14 + 40 + 8 + quint32(pixels.size()));
    le32(0);
    le32(14 + 40 + 8);
    le32(40);
    le32(4);
    le32(2);
    le16(1);
    le16(8);
    le32(1); // BI_RLE8
    le32(quint32(pixels.size()));
    le32(2835);
    le32(2835);
    le32(2);
    le32(0);
    le32(0x000000FF); // 0: blue
    le32(0x0000FF00); // 1: green
    bmp.append(pixels);

    const QByteArray blue = QByteArray::fromHex("1F00");
    const QByteArray green = QByteArray::fromHex("E007");
    const QByteArray expected = blue + blue + blue + blue + green + green + blue + blue;
    QImage reuse(4, 2, QImage::Format_RGB32);
    for (int round = 0; round < 4; ++round) {
        // Leave other pixels in memory the decoder may be given next.
        QImage litter(4, 2, QImage::Format_Indexed8);
        litter.fill(0xA5);
        reuse.fill(0x12345678u);
        QByteArray out;
        QString error;
        ASSERT_EQ(convertPictureData(bmp, QStringLiteral("rle.bmp"), 4, 2, out, &error),
                  ConvertResult::Ok)
            << error.toStdString();
        EXPECT_EQ(out.toHex(), expected.toHex()) << round;
        QByteArray into(expected.size(), char(0xCC));
        ASSERT_EQ(convertPictureDataInto(bmp, QStringLiteral("rle.bmp"), 4, 2, into.data(), &error,
                                         round % 2 ? &reuse : nullptr),
                  ConvertResult::Ok);
        EXPECT_EQ(into.toHex(), expected.toHex()) << round;
    }
}

TEST(PictureMeasure, FilesMeasureTheirPixelSize)
{
    QTemporaryDir dir;
    const QImage img = patternImage(7, 5);
    for (const char *format : {"BMP", "PNG", "JPEG"}) {
        SCOPED_TRACE(format);
        const QString path = saveImage(img, dir.filePath(QString("m.") + format), format);
        int w = -1, h = -1;
        ASSERT_TRUE(measurePicture(path, w, h));
        EXPECT_EQ(w, 7);
        EXPECT_EQ(h, 5);
    }
}

TEST(PictureMeasure, UndecodableFileMeasuresZeroAndMissingFileFails)
{
    QTemporaryDir dir;
    const QString broken = dir.filePath("broken.jpg");
    ASSERT_TRUE(writeBytes(broken, "\xFF\xD8 garbage"));
    int w = -1, h = -1;
    EXPECT_TRUE(measurePicture(broken, w, h));
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    EXPECT_FALSE(measurePicture(dir.filePath("missing.bmp"), w, h));
}

} // namespace
