// h5800 preview end to end: pages of the built demo project drawn as the
// terminal draws them agree with h5800 render after RGB565 rounding;
// --all writes one PNG per page; a project that is not built, or whose
// build is older than a page file, is refused with a message that says to
// build it and leaves the output alone.

#include "support/TestUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using h5test::runCli;

namespace {

struct Demo
{
    QTemporaryDir dir;
    QString wgc;
    Demo()
    {
        const auto r = runCli({"demo", dir.path()});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        wgc = dir.filePath("demo/demo.wgc");
    }
};

uint16_t rounded565(QRgb c)
{
    // The terminal colour of an 8-bit colour: each channel rounded on its
    // highest dropped bit, never past its top.
    auto channel = [](int v, int bits) {
        const int top = (1 << bits) - 1;
        int x = v >> (8 - bits);
        if (x != top && (v >> (7 - bits)) & 1)
            ++x;
        return x;
    };
    return uint16_t((channel(qRed(c), 5) << 11) | (channel(qGreen(c), 6) << 5) | channel(qBlue(c), 5));
}

uint16_t widened565(QRgb c)
{
    return uint16_t(((qRed(c) >> 3) << 11) | ((qGreen(c) >> 2) << 5) | (qBlue(c) >> 3));
}

int differing(const QImage &editor, const QImage &terminal)
{
    if (editor.size() != terminal.size())
        return -1;
    int n = 0;
    for (int y = 0; y < editor.height(); ++y)
        for (int x = 0; x < editor.width(); ++x)
            n += rounded565(editor.pixel(x, y)) != widened565(terminal.pixel(x, y));
    return n;
}

} // namespace

TEST(PreviewCli, PagesAgreeWithRenderAndAllWritesOnePngPerPage)
{
    Demo demo;
    QTemporaryDir out;
    // Page 1: a JPEG picture, a text and a button with its caption.
    const QString rendered = out.filePath("render1.png"), preview = out.filePath("preview1.png");
    auto r = runCli({"render", QFileInfo(demo.wgc).absolutePath() + "/1.wlp", "-o", rendered});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    r = runCli({"preview", demo.wgc, "--page", "1", "-o", preview});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(differing(QImage(rendered), QImage(preview)), 0);

    r = runCli({"preview", demo.wgc, "--all", "-o", out.filePath("all")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(QDir(out.filePath("all")).entryList(QDir::Files),
              (QStringList{"page_0.png", "page_1.png"}));
    EXPECT_EQ(QImage(out.filePath("all/page_1.png")), QImage(preview));
    // Without --page: page 0.
    r = runCli({"preview", demo.wgc, "-o", out.filePath("first.png")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(QImage(out.filePath("first.png")), QImage(out.filePath("all/page_0.png")));
    EXPECT_EQ(QImage(preview).size(), QSize(800, 480));
}

TEST(PreviewCli, UnbuiltOrOutdatedProjectsAndMissingPagesAreRefusedLeavingTheOutputAlone)
{
    Demo demo;
    QTemporaryDir out;
    const QString png = out.filePath("p.png");
    {
        QFile f(png);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    const auto fresh = runCli({"project", "new", out.path(), "fresh", "--size", "320x240"});
    ASSERT_EQ(fresh.exitCode, 0) << fresh.err.toStdString();

    // A page file saved after the build.
    const QString page1 = QFileInfo(demo.wgc).absolutePath() + "/1.wlp";
    {
        QFile f(page1);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QFileInfo(demo.wgc).lastModified().addSecs(5),
                                  QFileDevice::FileModificationTime));
    }
    struct Case
    {
        QStringList args;
        int exit;
        QString says; // part of stderr
    };
    const Case cases[] = {
        {{"preview", out.filePath("fresh/fresh.wgc"), "-o", png}, 1, "请先编译工程"},
        {{"preview", demo.wgc, "-o", png}, 1, "1.wlp: 页面文件比工程编译新，请先编译工程"},
        {{"preview", out.filePath("none.wgc"), "-o", png}, 1, "no such file"},
        {{"preview", demo.wgc, "-o"}, 2, ""},
        {{"preview", demo.wgc, "--page", "1024", "-o", png}, 2, "--page"},
        {{"preview", demo.wgc, "--page", "1", "--all", "-o", png}, 2, "--all"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const auto r = runCli(c.args);
        EXPECT_EQ(r.exitCode, c.exit) << r.err.toStdString();
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(c.says)) << r.err.toStdString();
        if (c.exit == 1)
            EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        QFile f(png);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), QByteArray("old"));
    }

    // With the page file older than the build again, the project previews;
    // a page it does not hold is refused.
    {
        QFile f(page1);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QFileInfo(demo.wgc).lastModified().addSecs(-5),
                                  QFileDevice::FileModificationTime));
    }
    auto r = runCli({"preview", demo.wgc, "--page", "7", "-o", png});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(r.err).contains("page 7")) << r.err.toStdString();
    r = runCli({"preview", demo.wgc, "--page", "1", "-o", png});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(QImage(png).size(), QSize(800, 480));
}
