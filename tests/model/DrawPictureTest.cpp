// Bitmap elements: the picture file from the project's picture folder,
// stretched into the element's box, the failure message, and the cache of
// decoded pictures.

#include "model/DrawTestSupport.h"

#include "common/Gbk.h"
#include "common/Notifier.h"
#include "model/ElementDraw.h"
#include "model/PageRender.h"
#include "model/PictureCache.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

using namespace h5;
using namespace h5test;

namespace {

const QColor kGrey(128, 128, 128);
const QColor kGreen(0, 255, 0);

class DrawPicture : public DrawTest
{
protected:
    QTemporaryDir dir;

    // A picture of 2 x 2 pixels: red, green / blue, white.
    static QImage quad(QColor topLeft = kRed)
    {
        QImage img(2, 2, QImage::Format_RGB32);
        img.setPixelColor(0, 0, topLeft);
        img.setPixelColor(1, 0, kGreen);
        img.setPixelColor(0, 1, kBlue);
        img.setPixelColor(1, 1, kWhite);
        return img;
    }

    QString save(const QString &name, const QImage &img, const char *format = "BMP")
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(img.save(path, format));
        return path;
    }

    QString saveBytes(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    static CGraph bitmap(const QString &name, QPoint a, QPoint b, int number = 0)
    {
        CGraph g = shape(Kind::Bitmap, a, b, kBlack);
        g.m_strText1 = toGbk(name);
        g.m_nNumber = number;
        return g;
    }

    DrawContext context(PictureCache *cache = nullptr, Notifier *notifier = nullptr) const
    {
        DrawContext ctx;
        ctx.picturesDir = dir.path();
        ctx.screenWidth = 800;
        ctx.cache = cache;
        ctx.notifier = notifier;
        return ctx;
    }
};

TEST_F(DrawPicture, PictureIsStretchedIntoTheElementsBox)
{
    save(QStringLiteral("表盘.bmp"), quad());
    save(QStringLiteral("q.jpg"), quad().scaled(40, 40), "PNG"); // named .jpg, told by content
    struct Case { const char *name; QString file; bool cached; };
    const Case cases[] = {
        {"decoded each time", QStringLiteral("表盘.bmp"), false},
        {"through the cache", QStringLiteral("表盘.bmp"), true},
        {"format from the contents", QStringLiteral("q.jpg"), true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PictureCache cache;
        Canvas canvas(40, 40, kGrey);
        CGraph g = bitmap(c.file, {10, 10}, {30, 30});
        canvas.draw(g, false, context(c.cached ? &cache : nullptr));
        EXPECT_EQ(canvas.at(10, 10), kRed);
        EXPECT_EQ(canvas.at(19, 19), kRed);
        EXPECT_EQ(canvas.at(20, 10), kGreen);
        EXPECT_EQ(canvas.at(10, 29), kBlue);
        EXPECT_EQ(canvas.at(29, 29), kWhite);
        EXPECT_EQ(canvas.at(30, 30), kGrey);
        EXPECT_EQ(canvas.at(9, 9), kGrey);
        EXPECT_EQ(canvas.countNot(kGrey), 20 * 20);
    }
}

TEST_F(DrawPicture, BitmapLabelShowsThePictureNumber)
{
    save(QStringLiteral("p.bmp"), quad(kGreen));
    for (bool labels : {false, true}) {
        Canvas canvas(60, 60, kGrey);
        CGraph g = bitmap(QStringLiteral("p.bmp"), {10, 10}, {50, 50}, 599);
        canvas.draw(g, labels, context());
        EXPECT_EQ(canvas.count(kRed) > 0, labels);
    }
}

TEST_F(DrawPicture, MissingPictureDrawsNothingAndSaysNothing)
{
    RecordingNotifier notifier;
    PictureCache cache;
    for (PictureCache *c : {static_cast<PictureCache *>(nullptr), &cache}) {
        Canvas canvas(40, 40, kGrey);
        CGraph g = bitmap(QStringLiteral("gone.bmp"), {10, 10}, {30, 30}, 7);
        canvas.draw(g, true, context(c, &notifier));
        EXPECT_EQ(canvas.countNot(kGrey), 0);
    }
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(DrawPicture, UndecodablePictureIsReportedOncePerDrawing)
{
    saveBytes(QStringLiteral("bad.bmp"), QByteArray("BM this is not a bitmap"));
    saveBytes(QStringLiteral("worse.jpg"), QByteArray(300, '\x5a'));
    Page page;
    page.settings = CTypeGraph(3, 0, 0, 1024, 0, 0);
    page.elements = {bitmap(QStringLiteral("bad.bmp"), {0, 0}, {20, 20}, 1),
                     bitmap(QStringLiteral("worse.jpg"), {30, 0}, {50, 20}, 2),
                     bitmap(QStringLiteral("bad.bmp"), {60, 0}, {80, 20}, 3)};
    for (bool cached : {false, true}) {
        SCOPED_TRACE(cached);
        RecordingNotifier notifier;
        PictureCache cache;
        RenderOptions options;
        options.picturesDir = dir.path();
        options.labels = true;
        options.cache = cached ? &cache : nullptr;
        options.notifier = &notifier;
        const QImage first = renderPage(page, options);
        EXPECT_EQ(notifier.messages, QStringList{QStringLiteral("渲染图象失败！")});
        // The label still follows the failed picture.
        EXPECT_TRUE(first.pixelColor(1, 1) == kWhite || first.pixelColor(1, 1) == kRed);
        renderPage(page, options);
        EXPECT_EQ(notifier.messages.size(), 2);
        if (cached) {
            EXPECT_EQ(cache.decodes(), 2); // the two files, once each
        }
    }
}

TEST_F(DrawPicture, CacheDecodesAFileOnceUntilTheFileChanges)
{
    const QString path = save(QStringLiteral("p.bmp"), quad(kRed));
    PictureCache cache;
    CGraph g = bitmap(QStringLiteral("p.bmp"), {0, 0}, {20, 20});
    Canvas canvas(40, 40, kGrey);
    for (int i = 0; i < 3; ++i)
        canvas.draw(g, false, context(&cache));
    EXPECT_EQ(cache.decodes(), 1);
    EXPECT_EQ(canvas.at(0, 0), kRed);

    // Same file drawn at another size: a second entry.
    CGraph big = bitmap(QStringLiteral("p.bmp"), {0, 0}, {40, 40});
    canvas.draw(big, false, context(&cache));
    canvas.draw(big, false, context(&cache));
    EXPECT_EQ(cache.decodes(), 2);
    EXPECT_EQ(cache.entries(), 2);

    // The file is replaced on disk: decoded again, the new picture shows.
    save(QStringLiteral("p.bmp"), quad(kBlue));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(60),
                              QFileDevice::FileModificationTime));
    f.close();
    canvas.draw(g, false, context(&cache));
    EXPECT_EQ(cache.decodes(), 3);
    EXPECT_EQ(canvas.at(0, 0), kBlue);
}

TEST_F(DrawPicture, CacheKeepsTheMostRecentlyUsedPicturesWithinItsBudget)
{
    for (const char *name : {"a.bmp", "b.bmp", "c.bmp"})
        save(QString::fromLatin1(name), quad());
    // Each 20 x 20 entry takes 1,600 bytes of pixels: room for two.
    PictureCache cache(4000);
    Canvas canvas(40, 40);
    auto draw = [&](const char *name) {
        CGraph g = bitmap(QString::fromLatin1(name), {0, 0}, {20, 20});
        canvas.draw(g, false, context(&cache));
    };
    draw("a.bmp");
    draw("b.bmp");
    draw("a.bmp"); // a is now the most recent
    draw("c.bmp"); // b goes
    EXPECT_EQ(cache.decodes(), 3);
    EXPECT_EQ(cache.entries(), 2);
    EXPECT_LE(cache.bytes(), 4000);
    draw("a.bmp");
    draw("c.bmp");
    EXPECT_EQ(cache.decodes(), 3);
    draw("b.bmp");
    EXPECT_EQ(cache.decodes(), 4);
}

TEST_F(DrawPicture, PictureLargerThanTheBudgetIsDrawnButNotKept)
{
    save(QStringLiteral("p.bmp"), quad());
    PictureCache cache(1000);
    Canvas canvas(40, 40, kGrey);
    CGraph g = bitmap(QStringLiteral("p.bmp"), {0, 0}, {40, 40});
    canvas.draw(g, false, context(&cache));
    canvas.draw(g, false, context(&cache));
    EXPECT_EQ(canvas.at(0, 0), kRed);
    EXPECT_EQ(cache.entries(), 0);
    EXPECT_EQ(cache.decodes(), 2);
}

} // namespace
