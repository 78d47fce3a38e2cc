// h5800 preview end to end: pages of the built demo project drawn as the
// terminal draws them agree with h5800 render after RGB565 rounding;
// --all writes one PNG per page; a project that is not built, whose page
// content changed since its build, or whose built files are damaged is
// refused with a message that says so and leaves the output alone; a page
// file saved again unchanged, or a copied project, previews.

#include "support/TestUtil.h"

#include "model/Page.h"
#include "terminal/BuiltProject.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using h5test::readAll;
using h5test::runCli;
using h5test::writeRaw;

namespace {

// Copies a project folder as `cp -r` does: every file gets a new time.
bool copyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + file.mid(from.size());
        if (!QDir().mkpath(QFileInfo(target).absolutePath()) || !writeRaw(target, readAll(file)))
            return false;
    }
    return true;
}

// The built demo project, made once by `h5800 demo`; each test gets a
// copy of its own to change.
struct Demo
{
    QTemporaryDir dir;
    QString wgc;
    Demo()
    {
        static QTemporaryDir pristine;
        static const bool made = [] {
            const auto r = runCli({"demo", pristine.path()});
            EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
            return r.exitCode == 0;
        }();
        EXPECT_TRUE(made && copyTree(pristine.filePath("demo"), dir.filePath("demo")));
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

bool setModified(const QString &path, const QDateTime &when)
{
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.setFileTime(when, QFileDevice::FileModificationTime);
}

// The page file with one more line on it, saved as the editor saves it:
// content the build does not hold.
bool addLine(const QString &pagePath)
{
    h5::Page page;
    if (!page.load(pagePath, nullptr))
        return false;
    page.elements.push_back(h5test::element(h5::Kind::Line, 0, {5, 5}, {60, 40}));
    return page.save(pagePath, nullptr);
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

    // A page changed and saved after the build.
    const QString page1 = QFileInfo(demo.wgc).absolutePath() + "/1.wlp";
    const QByteArray builtPage1 = readAll(page1);
    ASSERT_TRUE(addLine(page1));
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
        if (c.exit == 1) {
            EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        }
        QFile f(png);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), QByteArray("old"));
    }

    // With the page's built content back (the file is still newer than the
    // build), the project previews; a page it does not hold is refused.
    ASSERT_TRUE(writeRaw(page1, builtPage1));
    ASSERT_GT(QFileInfo(page1).lastModified(), QFileInfo(demo.wgc).lastModified().addMSecs(-1));
    auto r = runCli({"preview", demo.wgc, "--page", "7", "-o", png});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(r.err).contains("page 7")) << r.err.toStdString();
    r = runCli({"preview", demo.wgc, "--page", "1", "-o", png});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(QImage(png).size(), QSize(800, 480));
}

// A build that changes nothing writes nothing, so the .wgc can be older than
// a page file that was saved again unchanged, and `cp -r` gives every file
// of a project a new time: neither makes the build outdated. A page whose
// content changed is refused even when its file time is older than the
// build.
TEST(PreviewCli, OutdatedIsDecidedByPageContentNotByFileTimes)
{
    Demo demo;
    QTemporaryDir out;
    const QString dir = QFileInfo(demo.wgc).absolutePath();
    const QString reference = out.filePath("reference.png");
    auto r = runCli({"preview", demo.wgc, "--page", "1", "-o", reference});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QDateTime built = QFileInfo(demo.wgc).lastModified();

    // touch 0.wlp 1.wlp; h5800 build: the build has nothing to write.
    for (const char *page : {"/0.wlp", "/1.wlp"})
        ASSERT_TRUE(setModified(dir + page, built.addSecs(3600)));
    r = runCli({"build", demo.wgc});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_LT(QFileInfo(demo.wgc).lastModified(), QFileInfo(dir + "/1.wlp").lastModified());
    r = runCli({"preview", demo.wgc, "--page", "1", "-o", out.filePath("touched.png")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(QImage(out.filePath("touched.png")), QImage(reference));

    // A copy whose .wgc is the oldest file.
    const QString copy = out.filePath("copy");
    ASSERT_TRUE(copyTree(dir, copy));
    ASSERT_TRUE(setModified(copy + "/demo.wgc", QDateTime::currentDateTime().addSecs(-3600)));
    r = runCli({"preview", copy + "/demo.wgc", "--page", "1", "-o", out.filePath("copy.png")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(QImage(out.filePath("copy.png")), QImage(reference));

    // Page 0 really changed, its file dated before the build.
    ASSERT_TRUE(addLine(copy + "/0.wlp"));
    ASSERT_TRUE(setModified(copy + "/0.wlp", QDateTime::currentDateTime().addSecs(-7200)));
    r = runCli({"preview", copy + "/demo.wgc", "--page", "1", "-o", out.filePath("changed.png")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(r.err).contains(QStringLiteral("0.wlp: 页面文件比工程编译新，请先编译工程")))
        << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(out.filePath("changed.png")));
}

// A damaged .wgc or picture position file is refused with the message the
// download gives for it, naming the file; nothing is drawn.
TEST(PreviewDamagedCli, DamagedBuildsAreRefusedWithTheDownloadsMessage)
{
    Demo demo;
    QTemporaryDir out;
    const QString cbm = QFileInfo(demo.wgc).absolutePath() + QStringLiteral("/图象位置信息.cbm");
    const QByteArray wgcBytes = readAll(demo.wgc);
    const QByteArray cbmBytes = readAll(cbm);
    ASSERT_GT(cbmBytes.size(), h5::kSlotAreaSize); // the demo shows pictures
    auto random = [](qsizetype n) {
        QRandomGenerator gen(5800);
        QByteArray b(n, '\0');
        for (char &c : b)
            c = char(gen.bounded(256));
        return b;
    };
    struct Case
    {
        const char *name;
        QString file;
        QByteArray bytes;
        QString says;
    };
    const QString project = QStringLiteral("工程文件已损坏：") + demo.wgc;
    const QString pictures = QStringLiteral("图片文件已损坏：") + cbm;
    const Case cases[] = {
        {"empty .cbm", cbm, {}, pictures},
        {".cbm cut in its records", cbm, cbmBytes.left(500000), pictures},
        {".cbm cut in its pixels", cbm, cbmBytes.left(h5::kSlotAreaSize + 1000), pictures},
        {"random .cbm", cbm, random(cbmBytes.size()), pictures},
        {"short random .cbm", cbm, random(3000), pictures},
        {"empty .wgc", demo.wgc, {}, project},
        {".wgc cut by 100 bytes", demo.wgc, wgcBytes.chopped(100), project},
        {".wgc cut in its slots", demo.wgc, wgcBytes.left(50000), project},
        {".wgc with 3 MB of zeros appended", demo.wgc, wgcBytes + QByteArray(3 << 20, '\0'), project},
        {".wgc with 3 MB of random bytes appended", demo.wgc, wgcBytes + random(3 << 20), project},
        {".wgc with random project data", demo.wgc, wgcBytes.left(102406) + random(30000), project},
    };
    const QString png = out.filePath("p.png");
    ASSERT_TRUE(writeRaw(png, "old"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeRaw(c.file, c.bytes));
        for (const QStringList &args : {QStringList{"preview", demo.wgc, "-o", png},
                                        QStringList{"preview", demo.wgc, "--all", "-o", out.filePath("all")}}) {
            const auto r = runCli(args);
            EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
            EXPECT_TRUE(QString::fromUtf8(r.err).startsWith(QStringLiteral("h5800: ") + c.says))
                << r.err.toStdString();
            EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        }
        EXPECT_EQ(readAll(png), QByteArray("old"));
        EXPECT_FALSE(QFile::exists(out.filePath("all")));
        ASSERT_TRUE(writeRaw(demo.wgc, wgcBytes));
        ASSERT_TRUE(writeRaw(cbm, cbmBytes));
    }
    // Whole again, the project previews.
    const auto r = runCli({"preview", demo.wgc, "-o", png});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
}

// A file larger than anything the terminal can hold is refused by its size,
// before it is read: sparse files stand in for the huge ones.
TEST(PreviewDamagedCli, FilesLargerThanTheTerminalHoldsAreRefusedByTheirSize)
{
    Demo demo;
    QTemporaryDir out;
    const QString cbm = QFileInfo(demo.wgc).absolutePath() + QStringLiteral("/图象位置信息.cbm");
    struct Case
    {
        QString file;
        qint64 size;
        QString says;
    };
    const Case cases[] = {
        {demo.wgc, h5::kMaxProjectFileBytes + 1, QStringLiteral("工程文件已损坏：") + demo.wgc},
        {cbm, h5::kMaxPositionFileBytes + 1, QStringLiteral("图片文件已损坏：") + cbm},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const QByteArray bytes = readAll(c.file);
        {
            QFile f(c.file);
            ASSERT_TRUE(f.resize(c.size));
        }
        const auto r = runCli({"preview", demo.wgc, "-o", out.filePath("p.png")});
        EXPECT_EQ(r.exitCode, 1);
        const QString err = QString::fromUtf8(r.err);
        EXPECT_TRUE(err.startsWith(QStringLiteral("h5800: ") + c.says)) << r.err.toStdString();
        EXPECT_TRUE(err.contains(QString::number(c.size) + QStringLiteral("字节"))) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out.filePath("p.png")));
        ASSERT_TRUE(writeRaw(c.file, bytes));
    }
}
