// The project build: project data, picture data, control ID checks and the
// report, and that a failed build leaves every file as it was.

#include "support/TestUtil.h"

#include "common/FileIo.h"
#include "common/Gbk.h"
#include "project/Build.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace h5;
using h5test::element;
using h5test::pictureElement;
using h5test::readAll;
using h5test::hex;
using h5test::toHex;
using h5test::writeRaw;

namespace {

class BuildTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Project::create(tmp.path(), "p", 3, project, notifier, nullptr));
    }

    OpenPage &addPage(int n, int layer = 0)
    {
        NewPageValues v;
        v.pageNo = n;
        v.layer = layer;
        OpenPage page;
        EXPECT_EQ(project.newPage(v, notifier, page, nullptr, nullptr), Project::NewPageResult::Created);
        pages.push_back(page);
        return pages.back();
    }

    // Lines enough for `flashPages` pages of stream.
    static void fillPages(OpenPage &page, int flashPages)
    {
        const int lines = ((flashPages - 1) * 2112 + 1) / 16 + 1;
        for (int i = 0; i < lines; ++i)
            page.page.elements.push_back(element(Kind::Line, 0, {1, 1}, {2, 2}));
    }

    QString picture(const QString &name, const QImage &image, const char *format = "BMP")
    {
        const QString path = project.picturesDir() + "/" + name;
        EXPECT_TRUE(image.save(path, format));
        return path;
    }

    BuildResult build()
    {
        return buildProject(project, pages, notifier);
    }

    QTemporaryDir tmp;
    RecordingNotifier notifier;
    Project project;
    std::vector<OpenPage> pages;
};

} // namespace

TEST_F(BuildTest, PageIndexAndSegmentsFollowPageOrderAndLength)
{
    fillPages(addPage(0), 5);
    addPage(2, 1);
    const BuildResult r = build();
    ASSERT_TRUE(r.completed) << r.error.toStdString();
    EXPECT_EQ(r.report, QString());
    EXPECT_EQ(r.finalMessage, QStringLiteral("编译完成!"));
    EXPECT_EQ(notifier.statuses, (QStringList{"正在编译，请稍后............", "编译完成"}));

    const QByteArray wgc = readAll(project.file);
    const QByteArray wlc0 = readAll(project.instructionPath(0));
    const QByteArray wlc2 = readAll(project.instructionPath(2));
    ASSERT_EQ(wlc0.size(), 1 + 5 * 2112);
    ASSERT_EQ(wlc2.size(), 1 + 2112);
    EXPECT_EQ(wlc2.at(0), 1);
    EXPECT_EQ(toHex(wgc.mid(102406, 7)), "7F 1B 75 FF FF EE FF");
    EXPECT_EQ(toHex(wgc.mid(102413, 6)), "00 00 FF FF 05 40") << "layer 1, first flash page 5";
    EXPECT_EQ(wgc.mid(102419, 2042), QByteArray(2042, char(0xFF)));
    QByteArray segments = hex("7F 1B 56 00 00 05 00 FF FF EE FF") + wlc0.mid(1)
        + hex("7F 1B 56 05 00 01 00 FF FF EE FF") + wlc2.mid(1);
    EXPECT_TRUE(wgc.mid(104461) == segments);
    EXPECT_EQ(wgc.size(), 104461 + segments.size());

    // A second build replaces the project data instead of adding to it.
    ASSERT_TRUE(build().completed);
    EXPECT_EQ(readAll(project.file), wgc);
}

TEST_F(BuildTest, ReportListsFilesThenPicturesThenIdsInOrder)
{
    OpenPage &p0 = addPage(0);
    p0.page.elements.push_back(element(Kind::StringCtrl, 7, {0, 0}, {10, 10}));
    p0.page.elements.push_back(element(Kind::ButtonCtrl, 300, {0, 0}, {10, 10}));
    p0.page.elements.push_back(pictureElement("gone.bmp", 4, {0, 0}, 4, 4));
    OpenPage &p1 = addPage(1);
    p1.page.elements.push_back(element(Kind::NumericCtrl, 3000, {0, 0}, {10, 10}));
    p1.page.elements.push_back(element(Kind::BarCtrl, 7, {0, 0}, {10, 10}));
    p1.page.elements.push_back(element(Kind::ButtonCtrl, 300, {0, 0}, {10, 10}));
    p1.page.elements.push_back(pictureElement(QStringLiteral("缺少.jpg"), 1, {0, 0}, 4, 4));
    addPage(3);
    pages.pop_back();                         // page 3 is not open...
    QFile::remove(project.instructionPath(3)); // ...and its instruction file is gone

    const BuildResult r = build();
    ASSERT_TRUE(r.completed) << r.error.toStdString();
    const QString expected = QStringLiteral(
        "画面 3 指令文件丢失!\r\n"
        "图片缺少.jpg丢失!\r\n"
        "图片gone.bmp丢失!\r\n"
        "页面 1 的控件 3000 超出范围0-2047，请修正!\r\n"
        "页面 1 与页面 0 的控件 7 重复，请修正!\r\n"
        "页面 1 与页面 0 的控件 300 重复，请修正!\r\n");
    EXPECT_EQ(r.report, expected);
    EXPECT_EQ(r.finalMessage, expected);
    EXPECT_EQ(toHex(readAll(project.file).mid(102413 + 6, 2)), "FF FF");
}

TEST_F(BuildTest, PictureDataFollowsTheRecordsInNumberOrder)
{
    QImage a(3, 2, QImage::Format_RGB32);
    a.fill(QColor(255, 0, 0));
    a.setPixel(2, 1, qRgb(0, 0, 255));
    QImage b(2, 2, QImage::Format_RGB32);
    b.fill(QColor(0, 255, 0));
    picture(QStringLiteral("图标.bmp"), a);
    picture("b.png", b, "PNG");
    OpenPage &p0 = addPage(0);
    p0.page.elements.push_back(pictureElement("b.png", 9, {10, 10}, 2, 2));
    p0.page.elements.push_back(pictureElement(QStringLiteral("图标.bmp"), 2, {0, 0}, 3, 2));
    // A record left over from a picture no page shows any more.
    QByteArray positions = readAll(project.positionFilePath());
    positions.replace(5 * 2060, 10, QByteArray("\x01\x00old.bmp", 9) + QByteArray(1, '\0'));
    positions[5 * 2060 + 2050 + 1] = 8;
    ASSERT_TRUE(writeFileAtomically(project.positionFilePath(), positions, nullptr));

    const BuildResult r = build();
    ASSERT_TRUE(r.completed) << r.error.toStdString();
    EXPECT_EQ(r.report, QString());
    const QByteArray cbm = readAll(project.positionFilePath());
    ASSERT_EQ(cbm.size(), 1236000 + 2 * 2112);
    const QByteArray rec2 = cbm.mid(2 * 2060, 2060);
    EXPECT_EQ(rec2.at(0), 1) << "in-use byte";
    EXPECT_EQ(fromGbk(rec2.mid(2, 8).toStdString()), QStringLiteral("图标.bmp"));
    EXPECT_EQ(rec2.at(1026), 1) << "page 0 uses it";
    EXPECT_EQ(toHex(rec2.mid(2050, 7)), "00 03 00 02 00 00 01");
    EXPECT_EQ(cbm.mid(5 * 2060, 2060), QByteArray(2060, '\0')) << "unused record not freed";
    EXPECT_EQ(toHex(cbm.mid(1236000, 12)), "00 F8 00 F8 00 F8 00 F8 00 F8 1F 00");
    EXPECT_EQ(cbm.mid(1236012, 2100), QByteArray(2100, '\0'));
    EXPECT_EQ(toHex(cbm.mid(1236000 + 2112, 8)), "E0 07 E0 07 E0 07 E0 07");
}

// A picture that cannot be converted (its file missing, empty, cut short or
// not a picture) keeps its pages in the data area as black, so the picture
// after it still starts where its record says; it is reported, never
// shipped black in silence.
TEST_F(BuildTest, APictureThatCannotBeConvertedKeepsItsPlaceAndIsReported)
{
    QImage good(40, 30, QImage::Format_RGB32);
    good.fill(Qt::red);
    QByteArray bmp;
    {
        QBuffer b(&bmp);
        b.open(QIODevice::WriteOnly);
        ASSERT_TRUE(good.save(&b, "BMP"));
    }
    struct Case { const char *name; bool present; QByteArray content; QString message; QString line; };
    const QString path = project.picturesDir() + "/broken.bmp";
    const Case cases[] = {
        {"missing file", false, {}, {}, QStringLiteral("图片broken.bmp丢失!\r\n")},
        {"empty file", true, {}, QStringLiteral("渲染图象失败！") + path, QStringLiteral("图片broken.bmp渲染失败!\r\n")},
        {"cut short", true, bmp.left(1000), QStringLiteral("渲染图象失败！") + path,
         QStringLiteral("图片broken.bmp渲染失败!\r\n")},
        {"not a picture", true, "BM this is not really a bitmap", QStringLiteral("渲染图象失败！") + path,
         QStringLiteral("图片broken.bmp渲染失败!\r\n")},
    };
    QImage ok(1, 1, QImage::Format_RGB32);
    ok.fill(Qt::white);
    picture("ok.bmp", ok);
    OpenPage &p = addPage(0);
    p.page.elements.push_back(pictureElement("broken.bmp", 0, {0, 0}, 40, 30));
    p.page.elements.push_back(pictureElement("ok.bmp", 1, {0, 0}, 1, 1));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path);
        if (c.present) {
            ASSERT_TRUE(writeRaw(path, c.content));
        }
        notifier.messages.clear();
        const BuildResult r = build();
        ASSERT_TRUE(r.completed) << r.error.toStdString();
        EXPECT_EQ(r.report, c.line);
        EXPECT_EQ(r.finalMessage, c.line);
        EXPECT_EQ(notifier.messages, c.message.isEmpty() ? QStringList() : QStringList{c.message});
        const QByteArray cbm = readAll(project.positionFilePath());
        // 40 x 30 x 2 = 2400 bytes: two flash pages, then the white pixel.
        ASSERT_EQ(cbm.size(), 1236000 + 3 * 2112);
        EXPECT_EQ(cbm.mid(1236000, 2 * 2112), QByteArray(2 * 2112, '\0'));
        EXPECT_EQ(toHex(cbm.mid(1236000 + 2 * 2112, 2)), "FF FF");
    }
}

TEST_F(BuildTest, NoOpenPageOnlyShowsTheNoPagesMessage)
{
    const QByteArray wgc = readAll(project.file);
    const BuildResult r = build();
    EXPECT_TRUE(r.completed);
    EXPECT_EQ(r.finalMessage, QStringLiteral("无画面，编译完成!"));
    EXPECT_EQ(readAll(project.file), wgc);
}

TEST_F(BuildTest, AFailedBuildLeavesEveryFileAsItWas)
{
    OpenPage &good = addPage(0);
    good.page.elements.push_back(element(Kind::Line, 0, {0, 0}, {5, 5}));
    ASSERT_TRUE(build().completed);
    const QByteArray wgc = readAll(project.file), cbm = readAll(project.positionFilePath()),
                     wlc = readAll(project.instructionPath(0)), wlp = readAll(project.pagePath(0));

    good.page.elements.push_back(element(Kind::Line, 0, {9, 9}, {5, 5}));
    OpenPage &bad = addPage(1);
    for (int i = 0; i < 151; ++i) // one control more than the table holds
        bad.page.elements.push_back(element(Kind::StringCtrl, i, {0, 0}, {10, 10}));
    const QByteArray wgc1 = readAll(project.file);
    const BuildResult r = build();
    EXPECT_FALSE(r.completed);
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_EQ(readAll(project.file), wgc1);
    EXPECT_EQ(readAll(project.positionFilePath()), cbm);
    EXPECT_EQ(readAll(project.instructionPath(0)), wlc);
    EXPECT_EQ(readAll(project.pagePath(0)), wlp);
    Q_UNUSED(wgc);
}

TEST_F(BuildTest, AMissingPicturePositionFileIsCreatedAgain)
{
    OpenPage &p = addPage(0);
    p.page.elements.push_back(pictureElement("x.bmp", 3, {0, 0}, 2, 2));
    QImage img(2, 2, QImage::Format_RGB32);
    img.fill(Qt::black);
    picture("x.bmp", img);
    QFile::remove(project.positionFilePath());
    const BuildResult r = build();
    ASSERT_TRUE(r.completed);
    EXPECT_EQ(r.report, QString());
    EXPECT_EQ(readAll(project.positionFilePath()).size(), 1236000 + 2112);
}

// What makes a build outdated is a page file whose compiled bytes the
// project data does not hold; its file time alone does not, except for a
// page file that cannot be compiled at all.
TEST_F(BuildTest, APageChangedSinceTheBuildIsFoundByItsCompiledBytes)
{
    OpenPage &first = addPage(0);
    first.page.elements.push_back(element(Kind::Line, 0, {0, 0}, {5, 5}));
    OpenPage &second = addPage(2, 1);
    second.page.elements.push_back(element(Kind::StringCtrl, 4, {10, 10}, {40, 30}));
    ASSERT_TRUE(build().completed);
    const QByteArray wgc = readAll(project.file);
    const QByteArray data = wgc.mid(kProjectDataOffset);
    const QDateTime built = QFileInfo(project.file).lastModified();
    auto changed = [&] {
        ProjectFile wgcFile;
        EXPECT_TRUE(wgcFile.load(project.file, nullptr));
        return pageChangedSinceBuild(project, wgcFile, data);
    };
    auto setTime = [](const QString &path, const QDateTime &when) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
    };
    const QByteArray page2 = readAll(project.pagePath(2));
    EXPECT_EQ(changed(), -1);

    // Saved again unchanged, long after the build.
    setTime(project.pagePath(0), built.addSecs(3600));
    setTime(project.pagePath(2), built.addSecs(3600));
    EXPECT_EQ(changed(), -1);

    struct Case
    {
        const char *name;
        std::function<void(OpenPage &)> edit; // on page 2
        bool older; // the page file dated before the build
    };
    const Case cases[] = {
        {"an element more", [](OpenPage &p) { p.page.elements.push_back(element(Kind::Line, 0, {1, 1}, {9, 9})); }, false},
        {"an element more, file dated before the build", [](OpenPage &p) { p.page.elements.push_back(element(Kind::Line, 0, {1, 1}, {9, 9})); }, true},
        {"a control moved", [](OpenPage &p) { p.page.elements[0].m_ptStart += QPoint(1, 0); }, false},
        {"another layer", [](OpenPage &p) { p.page.settings.m_nFlags = 2 * 4; }, false},
        {"longer", [](OpenPage &p) { fillPages(p, 2); }, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OpenPage edited = second;
        c.edit(edited);
        ASSERT_TRUE(writeRaw(project.pagePath(2), edited.page.toPageFile()));
        if (c.older)
            setTime(project.pagePath(2), built.addSecs(-3600));
        EXPECT_EQ(changed(), 2);
        ASSERT_TRUE(writeRaw(project.pagePath(2), page2));
        EXPECT_EQ(changed(), -1);
    }

    // A page file that does not load counts as changed only when it is
    // newer than the build; a missing page file is the build's own concern.
    ASSERT_TRUE(writeRaw(project.pagePath(2), "not a page"));
    setTime(project.pagePath(2), built.addSecs(-3600));
    EXPECT_EQ(changed(), -1);
    setTime(project.pagePath(2), built.addSecs(3600));
    EXPECT_EQ(changed(), 2);
    ASSERT_TRUE(QFile::remove(project.pagePath(2)));
    EXPECT_EQ(changed(), -1);
    // The files were only read.
    EXPECT_EQ(readAll(project.file), wgc);
}
