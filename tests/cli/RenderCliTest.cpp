// h5800 render, run as a user runs it.

#include "support/TestUtil.h"

#include "common/Gbk.h"
#include "common/Notifier.h"
#include "model/Page.h"
#include "model/PageRender.h"
#include "project/PageExport.h"
#include "project/Project.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace h5;
using h5test::runCli;

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kBlue(0, 0, 255);

COLORREF cr(QColor c) { return RGB(c.red(), c.green(), c.blue()); }

class RenderCli : public ::testing::Test
{
protected:
    QTemporaryDir tmp;

    // A page with a red box at (10, 10)-(30, 30), a picture at (100, 100)-
    // (120, 120) and an invisible button, saved as `path`.
    static void writePage(const QString &path, int resolution, const QString &picture)
    {
        Page page;
        page.settings = CTypeGraph(resolution, 0, 0, 1024, 0, RGB(0, 0, 0));
        CGraph box = h5test::element(Kind::SolidRect, 0, {10, 10}, {30, 30});
        box.m_crColor1 = cr(kRed);
        CGraph bitmap = h5test::element(Kind::Bitmap, 0, {100, 100}, {120, 120});
        bitmap.m_strText1 = toGbk(picture);
        CGraph button = h5test::element(Kind::ButtonCtrl, 9, {200, 150}, {260, 190});
        button.m_nStyle = 0x22; // invisible
        CGraph text = h5test::element(Kind::Text, 0, {40, 10}, {40, 10});
        text.m_nAttr = 9 << 8;
        text.m_strText2 = toGbk(QStringLiteral("温度"));
        page.elements = {box, bitmap, button, text};
        QString error;
        ASSERT_TRUE(page.save(path, &error)) << error.toStdString();
    }

    static void writePicture(const QString &path, QColor c)
    {
        QImage img(4, 4, QImage::Format_RGB32);
        img.fill(c);
        ASSERT_TRUE(img.save(path, "BMP"));
    }

    // A project for 800 x 480 holding page 0.
    QString makeProject()
    {
        RecordingNotifier notifier;
        Project project;
        QString error;
        EXPECT_TRUE(Project::create(tmp.path(), QStringLiteral("工程"), 3, project, notifier, &error))
            << error.toStdString();
        writePicture(project.picturesDir() + QStringLiteral("/图.bmp"), kGreen);
        const QString page = project.dir + QStringLiteral("/0.wlp");
        writePage(page, 1, QStringLiteral("图.bmp"));
        return page;
    }

    static QImage png(const QString &path)
    {
        QImage img;
        img.load(path, "PNG");
        return img;
    }
};

TEST_F(RenderCli, DrawsAProjectPageAtTheProjectsScreenSize)
{
    const QString page = makeProject();
    const QString out = tmp.filePath(QStringLiteral("page.png"));
    const auto r = runCli({"render", page, "-o", out});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QImage img = png(out);
    ASSERT_EQ(img.size(), QSize(800, 480)); // the project's size, not the page's 320 x 240
    EXPECT_EQ(img.pixelColor(20, 20), kRed);
    EXPECT_EQ(img.pixelColor(110, 110), kGreen);
    EXPECT_EQ(img.pixelColor(230, 150), QColor(0, 0, 0)); // invisible button
    int text = 0;
    for (int y = 10; y < 26; ++y)
        for (int x = 40; x < 72; ++x)
            text += img.pixelColor(x, y) == QColor(255, 255, 255);
    EXPECT_GT(text, 0);
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
}

TEST_F(RenderCli, PageWithoutProjectUsesItsOwnScreenAndPictureFolder)
{
    QDir(tmp.path()).mkpath(QStringLiteral("loose/图片文件"));
    writePicture(tmp.filePath(QStringLiteral("loose/图片文件/p.bmp")), kBlue);
    const QString page = tmp.filePath(QStringLiteral("loose/5.wlp"));
    writePage(page, 1, QStringLiteral("p.bmp"));
    const QString out = tmp.filePath(QStringLiteral("loose.png"));
    const auto r = runCli({"render", page, "-o", out});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QImage img = png(out);
    EXPECT_EQ(img.size(), QSize(320, 240));
    EXPECT_EQ(img.pixelColor(110, 110), kBlue);
}

TEST_F(RenderCli, BmpOutputDiffersFromThePageBitmapCommand)
{
    // The page view's "页面生成bmp位图" writes bmp24Bytes(pageBitmap(...)); an
    // auxiliary page keeps its own background there instead of white.
    const QString pagePath = makeProject();
    Page page;
    QString error;
    ASSERT_TRUE(page.load(pagePath, &error)) << error.toStdString();
    page.settings.m_nFlags = 1;
    page.settings.m_crBack = cr(kBlue);
    ASSERT_TRUE(page.save(pagePath, &error)) << error.toStdString();

    const QString out = tmp.filePath(QStringLiteral("page.bmp"));
    const auto r = runCli({"render", pagePath, "-o", out});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();

    RenderOptions options;
    options.resolution = 3;
    options.picturesDir = QFileInfo(pagePath).absolutePath() + QStringLiteral("/图片文件");
    const QByteArray expected = bmp24Bytes(pageBitmap(page, options));
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(h5test::readAll(out), expected);
    QImage img(out, "BMP");
    EXPECT_EQ(img.pixelColor(400, 400), kBlue);
    EXPECT_EQ(img.pixelColor(110, 110), kGreen);
}

TEST_F(RenderCli, LabelsShowInvisibleItems)
{
    const QString page = makeProject();
    for (bool labels : {false, true}) {
        const QString out = tmp.filePath(QStringLiteral("l%1.png").arg(labels));
        QStringList args{"render", page, QStringLiteral("--output=") + out};
        if (labels)
            args << "--labels";
        const auto r = runCli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QImage img = png(out);
        int blue = 0;
        for (int x = 200; x < 260; ++x)
            blue += img.pixelColor(x, 150) == kBlue;
        EXPECT_EQ(blue > 0, labels);
    }
}

// A picture that does not draw is named once, the page is still written,
// and the exit status says the page came out with problems (3). Qt's own
// decoder lines ("qt.gui.imageio.jpeg: …", "libpng error: …") stay out of
// the output.
TEST_F(RenderCli, APictureThatDoesNotDrawIsNamedAndThePageStillWritten)
{
    QImage photo(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            photo.setPixel(x, y, qRgb(x * 4, y * 4, 128));
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
        ASSERT_TRUE(photo.save(&buffer, "JPG"));
    }
    struct Case
    {
        const char *name;
        QString picture;     // its name on the page
        QByteArray bytes;    // the file in the picture folder; null: none
        QString says;        // after "h5800: PATH: "; empty: nothing to say
    };
    const Case cases[] = {
        {"not a picture", QStringLiteral("图.bmp"), "BM not a picture", QStringLiteral("渲染图象失败！")},
        {"a PNG whose header is damaged", QStringLiteral("坏.png"),
         h5test::hex("89 50 4E 47 0D 0A 1A 0A 00 00 00 0D 49 48 44 52 00 00 00 10 00 00 00 10 08 02 00 00 00 "
                     "00 00 00 00"),
         QStringLiteral("渲染图象失败！")},
        {"missing", QStringLiteral("无.bmp"), QByteArray(), QStringLiteral("图片无.bmp丢失!")},
        {"a JPEG without its end still draws", QStringLiteral("半.jpg"), jpeg.chopped(2), QString()},
    };
    const QString page = makeProject();
    const QString pictures = QFileInfo(page).absolutePath() + QStringLiteral("/图片文件/");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        writePage(page, 1, c.picture);
        if (!c.bytes.isNull()) {
            ASSERT_TRUE(h5test::writeRaw(pictures + c.picture, c.bytes));
        }
        for (const char *output : {"p.png", "p.bmp"}) {
            const QString out = tmp.filePath(QLatin1String(output));
            QFile::remove(out);
            const auto r = runCli({"render", page, "-o", out});
            const QString err = QString::fromUtf8(r.err);
            EXPECT_FALSE(err.contains(QStringLiteral("qt.gui")) || err.contains(QStringLiteral("libpng")))
                << r.err.toStdString();
            if (c.says.isEmpty()) {
                EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
                EXPECT_TRUE(err.isEmpty()) << r.err.toStdString();
            } else {
                EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();
                EXPECT_EQ(err, QStringLiteral("h5800: ") + pictures + c.picture + QStringLiteral(": ") + c.says
                                   + QLatin1Char('\n'));
            }
            QImage img;
            EXPECT_TRUE(img.load(out));
            EXPECT_EQ(img.size(), QSize(800, 480));
        }
    }
}

TEST_F(RenderCli, ExitStatusTellsBadInputFromWrongUsage)
{
    const QString page = makeProject();
    const QString garbage = tmp.filePath(QStringLiteral("bad.wlp"));
    {
        QFile f(garbage);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(100, 'x'));
    }
    const QString out = tmp.filePath(QStringLiteral("out.png"));
    struct Case { QStringList args; int exit; };
    const Case cases[] = {
        {{"render", garbage, "-o", out}, 1},
        {{"render", tmp.filePath(QStringLiteral("missing.wlp")), "-o", out}, 1},
        {{"render", page, "-o", tmp.filePath(QStringLiteral("no/such/dir/x.png"))}, 1},
        {{"render", page}, 2},
        {{"render", page, "-o"}, 2},
        {{"render", "-o", out}, 2},
        {{"render", page, page, "-o", out}, 2},
        {{"render", page, "-o", out, "--bogus"}, 2},
        {{"render", page, "-o", tmp.filePath(QStringLiteral("out.bmp")), "--labels"}, 2},
    };
    for (const Case &c : cases) {
        const auto r = runCli(c.args);
        EXPECT_EQ(r.exitCode, c.exit) << c.args.join(' ').toStdString() << "\n"
                                      << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_FALSE(QFile::exists(tmp.filePath(QStringLiteral("out.bmp"))));
}

TEST_F(RenderCli, FailedRenderLeavesAnEarlierPictureAlone)
{
    const QString garbage = tmp.filePath(QStringLiteral("bad.wlp"));
    {
        QFile f(garbage);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(100, 'x'));
    }
    const QString out = tmp.filePath(QStringLiteral("out.png"));
    {
        QFile f(out);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("earlier");
    }
    EXPECT_EQ(runCli({"render", garbage, "-o", out}).exitCode, 1);
    EXPECT_EQ(h5test::readAll(out), QByteArray("earlier"));
}

} // namespace

// A page file with every kind of element at coordinates near +-2^31, drawn
// by the program itself before any save could clean it up (the sanitizer
// build runs this h5800 under AddressSanitizer and UBSan too).
TEST_F(RenderCli, PageWithFarCoordinatesRendersAtItsScreenSize)
{
    QDir(tmp.path()).mkpath(QStringLiteral("wild/图片文件"));
    writePicture(tmp.filePath(QStringLiteral("wild/图片文件/1.bmp")), kBlue);
    const QString page = tmp.filePath(QStringLiteral("wild/3.wlp"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(H5_FIXTURES_DIR "/fuzz/fuzz_draw_page/seed-every-kind-wild.wlp"),
                            page));
    Page loaded;
    QString error;
    ASSERT_TRUE(loaded.load(page, &error)) << error.toStdString();
    const QSize screen = resolutionSize(loaded.settings.m_nResolution);
    ASSERT_TRUE(screen.isValid());
    for (const char *name : {"wild.png", "wild.bmp"}) {
        SCOPED_TRACE(name);
        const QString out = tmp.filePath(QLatin1String(name));
        QStringList args{QStringLiteral("render"), page, QStringLiteral("-o"), out};
        if (QLatin1String(name).endsWith(QLatin1String(".png")))
            args << QStringLiteral("--labels");
        const auto r = runCli(args);
        // Two of its pictures (2.bmp, none.bmp) are not in the picture
        // folder: the page is drawn without them, and says so.
        ASSERT_EQ(r.exitCode, 3) << r.err.toStdString();
        EXPECT_EQ(QString::fromUtf8(r.err).count(QStringLiteral("丢失!")), 2) << r.err.toStdString();
        QImage img;
        ASSERT_TRUE(img.load(out));
        EXPECT_EQ(img.size(), screen);
    }
}
