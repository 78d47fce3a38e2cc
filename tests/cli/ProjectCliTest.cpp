// The project commands of the h5800 tool, run as a user runs them: project
// new, page save, build and project info.

#include "support/ProjectFixture.h"
#include "support/TestUtil.h"

#include "common/FileIo.h"
#include "common/Gbk.h"
#include "project/Project.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace h5;
using h5test::element;
using h5test::readAll;
using h5test::runCli;
using h5test::toHex;

namespace {

CGraph bitmap(const QString &name, int number, int w, int h)
{
    CGraph g = element(Kind::Bitmap, 0, {0, 0}, {w, h});
    g.m_nNumber = number;
    g.m_nAttr = int(pictureBlocks(uint32_t(w), uint32_t(h)));
    g.m_strText1 = toGbk(name);
    return g;
}

// 300 lines of 16 bytes: a stream of three flash pages.
void addThreeFlashPagesOfLines(Page &page)
{
    for (int i = 0; i < 300; ++i)
        page.elements.push_back(element(Kind::Line, 0, {1, 1}, {2, 2}));
}

// A project "工程" of 800 x 480 (resolution 3), made with the core.
class ProjectCli : public h5test::ProjectFixture
{
protected:
    void save(OpenPage &page)
    {
        QString error;
        ASSERT_TRUE(project.savePage(page, notifier, &error)) << error.toStdString();
    }
};

} // namespace

// ---- project new -----------------------------------------------------------

TEST(ProjectNewCliTest, CreatesTheFolderLayoutWithTheChosenSize)
{
    struct Case { const char *size; QString name; int index; };
    const Case cases[] = {
        {nullptr, QStringLiteral("plain"), 4}, // 800x600 when no size is given
        {"480x272", QStringLiteral("工程"), 6},
        {"768*1024", QStringLiteral("tall"), 12},
        {"320X234", QStringLiteral("small"), 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.size ? c.size : "default size");
        QTemporaryDir tmp;
        QStringList args{"project", "new", tmp.path(), c.name};
        if (c.size)
            args << "--size" << c.size;
        const auto r = runCli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QString dir = tmp.path() + "/" + c.name;
        const QString wgc = dir + "/" + c.name + ".wgc";
        EXPECT_EQ(QString::fromUtf8(r.out).trimmed(), wgc);
        const QByteArray file = readAll(wgc);
        ASSERT_EQ(file.size(), 102406);
        EXPECT_EQ(toHex(file.left(6)), toHex(h5test::hex("00 00 00 00") + char(c.index) + '\x0A'));
        EXPECT_EQ(file.mid(6), QByteArray(102400, '\0')) << "page slots not free";
        EXPECT_TRUE(QFileInfo(dir + QStringLiteral("/指令wlc文件")).isDir());
        EXPECT_TRUE(QFileInfo(dir + QStringLiteral("/图片文件")).isDir());
        EXPECT_EQ(readAll(dir + QStringLiteral("/图象位置信息.cbm")), QByteArray(1236000, '\0'));
    }
}

TEST(ProjectNewCliTest, ASizeThatIsNotATerminalSizeIsAUsageErrorAndCreatesNothing)
{
    const char *sizes[] = {"800x601", "600x800x2", "800", "wide", "0x0", "-800x480", ""};
    for (const char *size : sizes) {
        SCOPED_TRACE(size);
        QTemporaryDir tmp;
        const auto r = runCli({"project", "new", tmp.path(), "p", "--size", size});
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.contains("--size")) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(tmp.path() + "/p")) << "a folder was made for a bad size";
    }
    QTemporaryDir tmp;
    const auto r = runCli({"project", "new", tmp.path(), "p", "--size"});
    EXPECT_EQ(r.exitCode, 2) << "--size without a value";
    EXPECT_FALSE(QFileInfo::exists(tmp.path() + "/p"));
}

TEST_F(ProjectCli, ProjectNewNeverOverwritesAnExistingProject)
{
    OpenPage page = addPage(0);
    const QByteArray wgc = readAll(project.file);
    const QByteArray cbm = readAll(project.positionFilePath());
    const auto r = runCli({"project", "new", tmp.path(), QStringLiteral("工程"), "--size", "320x240"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(r.err).contains(QDir::toNativeSeparators(project.file))) << r.err.toStdString();
    EXPECT_EQ(readAll(project.file), wgc);
    EXPECT_EQ(readAll(project.positionFilePath()), cbm);
    EXPECT_TRUE(QFileInfo::exists(project.pagePath(0)));
}

// ---- page save -------------------------------------------------------------

TEST(PageSaveCliTest, APageOutsideAnyProjectIsRefusedAndLeftAlone)
{
    // The project of a page is the .wgc named after the page's folder; a
    // project file of another name beside the page does not count.
    struct Case { const char *folder; const char *otherProject; };
    const Case cases[] = {{"loose", nullptr}, {"renamed", "other.wgc"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.folder);
        QTemporaryDir tmp;
        const QString dir = tmp.path() + "/" + c.folder;
        ASSERT_TRUE(QDir().mkpath(dir));
        if (c.otherProject) {
            ASSERT_TRUE(writeFileAtomically(dir + "/" + c.otherProject, ProjectFile::newFile(3), nullptr));
        }
        Page page;
        page.elements.push_back(element(Kind::DeleteMarker, 0, {0, 0}, {1, 1}));
        const QString path = dir + "/0.wlp";
        ASSERT_TRUE(page.save(path, nullptr));
        const QByteArray before = readAll(path);

        const auto r = runCli({"page", "save", path});
        EXPECT_EQ(r.exitCode, 1);
        // The text is followed by the page's file.
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(QStringLiteral("请放入工程中! ") + QDir::toNativeSeparators(path)))
            << r.err.toStdString();
        EXPECT_EQ(readAll(path), before);
    }
}

TEST_F(ProjectCli, PageSaveCompilesAPageWithASlotAndRecordsItsLength)
{
    OpenPage page = addPage(2);
    ASSERT_TRUE(QFile::remove(project.instructionPath(2)));
    // The page grows outside the editor; only the page file changes.
    addThreeFlashPagesOfLines(page.page);
    ASSERT_TRUE(page.page.save(page.path, nullptr));
    ASSERT_EQ(readAll(project.file).at(6 + 200 + 8), 1);

    const auto r = runCli({"page", "save", project.pagePath(2)});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(readAll(project.instructionPath(2)).size(), 1 + 3 * 2112);
    EXPECT_EQ(toHex(readAll(project.file).mid(6 + 200, 9)), "03 00 00 00 00 00 00 00 03");
}

TEST_F(ProjectCli, PageSaveOfAPageWithAFreeSlotWritesOnlyThePageFile)
{
    Page page;
    page.settings = CTypeGraph(3, 0, 7, 1024, 0, 0);
    page.elements.push_back(element(Kind::DeleteMarker, 0, {0, 0}, {1, 1}));
    const QString path = project.pagePath(7);
    ASSERT_TRUE(page.save(path, nullptr));
    const QByteArray wgc = readAll(project.file);

    const auto r = runCli({"page", "save", path});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(project.instructionPath(7)));
    EXPECT_EQ(readAll(project.file), wgc);
    Page saved;
    ASSERT_TRUE(saved.load(path, nullptr));
    EXPECT_TRUE(saved.elements.empty()) << "the delete marker was written";
}

TEST_F(ProjectCli, PageSaveDropsDeleteMarkersAndElementsOffTheProjectScreen)
{
    OpenPage page = addPage(0);
    // The page claims 800 x 600; the project's 800 x 480 decides.
    page.page.settings.m_nResolution = 4;
    const CGraph kept[] = {
        element(Kind::Line, 0, {800, 480}, {900, 500}),   // starts on the corner
        element(Kind::HollowRect, 0, {-50, -50}, {0, 0}), // ends on the corner
    };
    const CGraph dropped[] = {
        element(Kind::DeleteMarker, 0, {10, 10}, {20, 20}),
        element(Kind::Line, 0, {801, 10}, {10, 10}),
        element(Kind::SolidRect, 0, {10, 481}, {20, 400}), // on an 800 x 600 screen
        element(Kind::Line, 0, {10, 10}, {-1, 10}),
        element(Kind::HollowRect, 0, {10, 10}, {10, -1}),
    };
    for (const CGraph &g : dropped)
        page.page.elements.push_back(g);
    for (const CGraph &g : kept)
        page.page.elements.push_back(g);
    ASSERT_TRUE(page.page.save(page.path, nullptr));

    const auto r = runCli({"page", "save", page.path});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    Page saved;
    QString error;
    ASSERT_TRUE(saved.load(page.path, &error)) << error.toStdString();
    EXPECT_EQ(saved.elements, std::vector<CGraph>(std::begin(kept), std::end(kept)));
}

// ---- build -----------------------------------------------------------------

TEST_F(ProjectCli, BuildOfACleanProjectSavesItsPagesAndSaysSo)
{
    OpenPage p0 = addPage(0);
    OpenPage p1 = addPage(1);
    p1.page.elements.push_back(element(Kind::DeleteMarker, 0, {0, 0}, {1, 1}));
    addThreeFlashPagesOfLines(p1.page);
    ASSERT_TRUE(p1.page.save(p1.path, nullptr));

    const auto r = runCli({"build", project.file});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("编译完成!\n").toUtf8());
    EXPECT_EQ(r.err, QByteArray());
    const QByteArray wgc = readAll(project.file);
    EXPECT_EQ(toHex(wgc.mid(6 + 100, 9)), "02 00 00 00 00 00 00 00 03") << "page 1 not saved";
    EXPECT_EQ(toHex(wgc.mid(102406, 11)), "7F 1B 75 FF FF EE FF 00 00 01 00")
        << "no project data, or a wrong page index";
    Page saved;
    ASSERT_TRUE(saved.load(p1.path, nullptr));
    EXPECT_EQ(saved.elements.size(), 300u) << "the saved page kept its delete marker";
}

TEST_F(ProjectCli, BuildOfAProjectWithoutPagesOnlySaysSo)
{
    const QByteArray wgc = readAll(project.file);
    const auto r = runCli({"build", project.file});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("无画面，编译完成!\n").toUtf8());
    EXPECT_EQ(readAll(project.file), wgc);
}

TEST_F(ProjectCli, BuildNamesAMissingPageFileAndBuildsTheRest)
{
    addPage(0);
    addPage(3);
    ASSERT_TRUE(QFile::remove(project.pagePath(3)));
    const auto r = runCli({"build", project.file});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(QString::fromUtf8(r.err).contains(QStringLiteral("画面3丢失！"))) << r.err.toStdString();
    EXPECT_EQ(toHex(readAll(project.file).mid(102406, 9)), "7F 1B 75 FF FF EE FF 00 00")
        << "page 0 was not built";
}

TEST_F(ProjectCli, BuildPrintsTheReportWithItsCrLfLineEnds)
{
    OpenPage p0 = addPage(0);
    p0.page.elements.push_back(element(Kind::StringCtrl, 7, {0, 0}, {10, 10}));
    save(p0);
    OpenPage p1 = addPage(1);
    p1.page.elements.push_back(element(Kind::NumericCtrl, 3000, {0, 0}, {10, 10}));
    p1.page.elements.push_back(element(Kind::ButtonCtrl, 7, {20, 20}, {40, 40}));
    save(p1);

    const auto r = runCli({"build", project.file});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.out, QStringLiteral("页面 1 的控件 3000 超出范围0-2047，请修正!\r\n"
                                    "页面 1 与页面 0 的控件 7 重复，请修正!\r\n")
                         .toUtf8());
}

TEST_F(ProjectCli, BuildOfAnUnreadableProjectFileNamesItOnOneLine)
{
    struct Case { const char *name; QByteArray content; bool isDir; };
    QByteArray badResolution = ProjectFile::newFile(3);
    badResolution[4] = 13;
    const Case cases[] = {
        {"missing.wgc", {}, false},
        {"short.wgc", QByteArray("not a project file"), false},
        {"cut.wgc", ProjectFile::newFile(3).left(102405), false},
        {"size13.wgc", badResolution, false},
        {"folder.wgc", {}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = tmp.filePath(c.name);
        if (c.isDir) {
            ASSERT_TRUE(QDir().mkpath(path));
        } else if (!c.content.isNull()) {
            ASSERT_TRUE(writeFileAtomically(path, c.content, nullptr));
        }
        const auto r = runCli({"build", path});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(c.name)) << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.endsWith('\n'));
        EXPECT_EQ(r.out, QByteArray());
        if (!c.isDir && !c.content.isNull()) {
            EXPECT_EQ(readAll(path), c.content) << "the file was changed";
        }
    }
}

// ---- project info ----------------------------------------------------------

TEST_F(ProjectCli, ProjectInfoJsonListsPagesWithLengthsAndOnlyPicturesInUse)
{
    const QString shared = QStringLiteral("背景.bmp");
    OpenPage p0 = addPage(0);
    p0.page.elements.push_back(bitmap(shared, 5, 800, 480));
    p0.page.elements.push_back(bitmap("gone.jpg", 9, 4, 4));
    save(p0);
    OpenPage p2 = addPage(2);
    addThreeFlashPagesOfLines(p2.page);
    p2.page.elements.push_back(bitmap("icon.png", 1, 300, 2));
    p2.page.elements.push_back(bitmap(shared, 5, 800, 480));
    save(p2);
    // Page 0 stops showing gone.jpg: its record stays but no page uses it.
    p0.page.elements.pop_back();
    save(p0);

    const auto r = runCli({"project", "info", "--json", project.file});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QJsonParseError pe;
    const QJsonObject root = QJsonDocument::fromJson(r.out, &pe).object();
    ASSERT_EQ(pe.error, QJsonParseError::NoError) << r.out.toStdString();
    EXPECT_EQ(root["resolution"].toInt(), 3);
    EXPECT_EQ(root["width"].toInt(), 800);
    EXPECT_EQ(root["height"].toInt(), 480);
    EXPECT_EQ(root["pages"].toArray(), (QJsonArray{
        QJsonObject{{"slot", 0}, {"page", 0}, {"length", 1}},
        QJsonObject{{"slot", 2}, {"page", 2}, {"length", 3}},
    }));
    EXPECT_EQ(root["pictures"].toArray(), (QJsonArray{
        QJsonObject{{"number", 1}, {"name", "icon.png"}, {"width", 300}, {"height", 2},
                    {"blocks", 1}, {"pages", QJsonArray{2}}},
        QJsonObject{{"number", 5}, {"name", shared}, {"width", 800}, {"height", 480},
                    {"blocks", 6}, {"pages", QJsonArray{0, 2}}},
    })) << r.out.toStdString();
}
