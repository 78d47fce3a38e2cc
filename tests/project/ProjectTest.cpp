// Projects: creation, page slots, new page, open page, open all pages and
// the page save that compiles the page into the project.

#include "support/ProjectFixture.h"
#include "support/TestUtil.h"

#include "common/Bytes.h"
#include "common/FileIo.h"
#include "project/Build.h"
#include "project/Project.h"
#include "project/ProjectFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace h5;
using h5test::readAll;

namespace {

CGraph line(int x1, int y1, int x2, int y2)
{
    return CGraph(Kind::Line, 0, {x1, y1}, {x2, y2}, 0, 0, RGB(255, 0, 0), 0, 0, 0, 0, 0, 0, 0, 0,
                  0, 0, 0, "", "", "");
}

class ProjectTest : public h5test::ProjectFixture
{
};

} // namespace

TEST_F(ProjectTest, NewProjectHasHeaderFreeSlotsAndEmptyPictureFile)
{
    const QByteArray wgc = readAll(project.file);
    ASSERT_EQ(wgc.size(), 102406);
    EXPECT_EQ(h5test::toHex(wgc.left(6)), "00 00 00 00 03 0A");
    EXPECT_EQ(wgc.mid(6), QByteArray(102400, '\0'));
    EXPECT_EQ(readAll(project.positionFilePath()), QByteArray(1236000, '\0'));
    EXPECT_TRUE(QFileInfo(project.instructionDir()).isDir());
    EXPECT_TRUE(QFileInfo(project.picturesDir()).isDir());
    EXPECT_EQ(project.file, tmp.path() + QStringLiteral("/工程/工程.wgc"));
}

TEST_F(ProjectTest, NewProjectRefusesEmptyNamesAndExistingProjects)
{
    struct Case { QString location, name; const char *message; };
    const Case cases[] = {
        {tmp.path(), QString(), "工程名称不得为空!"},
        {QString(), QStringLiteral("x"), "工程位置不得为空!"},
        {QString(), QString(), "工程名称不得为空!"},
    };
    for (const Case &c : cases) {
        RecordingNotifier n;
        Project p;
        EXPECT_FALSE(Project::create(c.location, c.name, 4, p, n, nullptr));
        ASSERT_EQ(n.messages.size(), 1);
        EXPECT_EQ(n.messages[0], QString::fromUtf8(c.message));
    }
    addPage(0);
    const QByteArray before = readAll(project.file);
    Project again;
    QString error;
    EXPECT_FALSE(Project::create(tmp.path(), QStringLiteral("工程"), 4, again, notifier, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readAll(project.file), before) << "an existing project was overwritten";
}

TEST_F(ProjectTest, NewPageMarksItsSlotAndCompilesAtOnce)
{
    addPage(0);
    addPage(5, 2, true);
    const QByteArray wgc = readAll(project.file);
    EXPECT_EQ(h5test::toHex(wgc.mid(6, 9)), "01 00 00 00 00 00 00 00 01");
    EXPECT_EQ(h5test::toHex(wgc.mid(6 + 500, 9)), "06 00 00 00 00 00 00 00 01");
    EXPECT_EQ(h5test::toHex(wgc.mid(6 + 100, 2)), "00 00");
    // An auxiliary page on layer 2: layer byte 2, no background frame.
    const QByteArray wlc = readAll(project.instructionPath(5));
    ASSERT_EQ(wlc.size(), 2113);
    EXPECT_EQ(h5test::toHex(wlc.left(16)), "02 1B 53 00 FF FF EE FF 1B 50 FF FF FF FF EE FF");
    Page saved;
    ASSERT_TRUE(saved.load(project.pagePath(5), nullptr));
    EXPECT_EQ(saved.settings, CTypeGraph(3, 2 * 4 + 1, 5, 1024, 0, 0));
    EXPECT_EQ(project.firstFreePage(nullptr), 1);
}

TEST_F(ProjectTest, ReplacingAPageAsksFirstAndCleansUpOnlyWhenConfirmed)
{
    OpenPage old = addPage(5);
    old.page.elements.push_back(line(1, 1, 20, 20));
    ASSERT_TRUE(project.savePage(old, notifier, nullptr));
    QByteArray positions = readAll(project.positionFilePath());
    positions[7 * 2060 + 1026 + 5] = 1; // page 5 shows picture 7
    ASSERT_TRUE(writeFileAtomically(project.positionFilePath(), positions, nullptr));
    const QByteArray pageBefore = readAll(project.pagePath(5));

    RecordingNotifier cancel(false);
    NewPageValues v;
    v.pageNo = 5;
    OpenPage page;
    int closed = -2;
    EXPECT_EQ(project.newPage(v, cancel, page, &closed, nullptr), Project::NewPageResult::Cancelled);
    ASSERT_EQ(cancel.questions.size(), 1);
    EXPECT_EQ(cancel.questions[0], QStringLiteral("将会覆盖5页面，是否覆盖?"));
    EXPECT_EQ(readAll(project.pagePath(5)), pageBefore);
    EXPECT_EQ(readAll(project.positionFilePath()), positions);

    RecordingNotifier ok(true);
    EXPECT_EQ(project.newPage(v, ok, page, &closed, nullptr), Project::NewPageResult::Created);
    EXPECT_EQ(closed, 5);
    Page fresh;
    ASSERT_TRUE(fresh.load(project.pagePath(5), nullptr));
    EXPECT_TRUE(fresh.elements.empty());
    EXPECT_EQ(readAll(project.positionFilePath()).at(7 * 2060 + 1026 + 5), 0);
}

TEST_F(ProjectTest, SavingAPageOutsideTheProjectWritesOnlyThePageFile)
{
    const QByteArray wgcBefore = readAll(project.file);
    OpenPage page;
    page.path = project.pagePath(9);
    page.page.settings = CTypeGraph(3, 0, 9, 1024, 0, 0);
    page.page.elements = {line(1, 1, 2, 2), CGraph(Kind::DeleteMarker, 0, {}, {}, 0, 0, 0, 0, 0, 0,
                                                   0, 0, 0, 0, 0, 0, 0, 0, "", "", "")};
    ASSERT_TRUE(project.savePage(page, notifier, nullptr));
    EXPECT_TRUE(QFileInfo::exists(project.pagePath(9)));
    EXPECT_FALSE(QFileInfo::exists(project.instructionPath(9)));
    EXPECT_EQ(readAll(project.file), wgcBefore);
    EXPECT_EQ(page.page.elements.size(), 1u) << "the delete marker stayed in the page";
}

TEST_F(ProjectTest, SavingAProjectPageRecompilesAndRecordsItsLength)
{
    OpenPage page = addPage(2);
    for (int i = 0; i < 300; ++i) // 300 line frames of 16 bytes: three flash pages
        page.page.elements.push_back(line(i, 0, i, 100));
    ASSERT_TRUE(project.savePage(page, notifier, nullptr));
    EXPECT_EQ(readAll(project.file).at(6 + 200 + 8), 3);
    EXPECT_EQ(readAll(project.instructionPath(2)).size(), 1 + 3 * 2112);
}

TEST_F(ProjectTest, APageTooLongForItsSlotIsRefusedAndNothingIsWritten)
{
    OpenPage page = addPage(1);
    const QByteArray wgc = readAll(project.file), wlc = readAll(project.instructionPath(1)),
                     wlp = readAll(project.pagePath(1));
    for (int i = 0; i < 34000; ++i) // 544,000 bytes of stream: 258 flash pages
        page.page.elements.push_back(line(1, 1, 2, 2));
    QString error;
    EXPECT_FALSE(project.savePage(page, notifier, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("255"))) << error.toStdString();
    EXPECT_EQ(readAll(project.file), wgc);
    EXPECT_EQ(readAll(project.instructionPath(1)), wlc);
    EXPECT_EQ(readAll(project.pagePath(1)), wlp);
}

TEST_F(ProjectTest, AWorkThatReadOnlyTheSlotsNeverWritesTheProjectFileWithoutItsData)
{
    OpenPage page = addPage(0);
    page.page.elements.push_back(line(0, 0, 10, 10));
    std::vector<OpenPage> pages{page};
    ASSERT_TRUE(buildProject(project, pages, notifier).completed);
    const QByteArray built = readAll(project.file);
    ASSERT_GT(built.size(), kProjectDataOffset);

    // A slot changed on a work that read only the head of the project file,
    // and no project data made again: committing would cut the data off.
    ProjectWork work(project);
    ASSERT_TRUE(work.begin(nullptr, /*slotAreaOnly=*/true));
    work.projectFileChanged = true;
    QString error;
    EXPECT_FALSE(work.commit(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("工程文件未写入"))) << error.toStdString();
    EXPECT_EQ(readAll(project.file), built);
}

TEST_F(ProjectTest, OpenPageTakesSettingsFromTheFilePrefixWithTheProjectResolution)
{
    Page page;
    page.settings = CTypeGraph(7, 0x1235, 0x10004, 0x20005, 0x00070188, 0x7F112233);
    ASSERT_TRUE(page.save(project.pagePath(4), nullptr));
    OpenPage opened;
    ASSERT_TRUE(project.openPage(project.pagePath(4), opened, nullptr));
    EXPECT_EQ(opened.page.settings, CTypeGraph(3, 0x35, 4, 5, 0x00070088, 0x00112233));
}

TEST_F(ProjectTest, OpenAllPagesReportsEachMissingPageAndOpensTheRest)
{
    addPage(0);
    addPage(1);
    addPage(2);
    QFile::remove(project.pagePath(1));
    QFile f(project.pagePath(2));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("garbage");
    f.close();
    RecordingNotifier n;
    int failures = 0;
    const std::vector<OpenPage> pages = project.openAllPages(n, nullptr, &failures);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].page.settings.m_nPageNo, 0);
    ASSERT_EQ(n.messages.size(), 2);
    EXPECT_EQ(n.messages[0], QStringLiteral("画面1丢失！"));
    EXPECT_TRUE(n.messages[1].contains(QStringLiteral("2.wlp")));
    EXPECT_EQ(failures, 2);
}

TEST_F(ProjectTest, APageFileOutsideAProjectIsRefused)
{
    QTemporaryDir other;
    RecordingNotifier n;
    Project p;
    EXPECT_FALSE(Project::openForPageFile(other.filePath("3.wlp"), p, n, nullptr));
    ASSERT_EQ(n.messages.size(), 1);
    // The text is followed by the page file's path.
    EXPECT_EQ(n.messages[0], QStringLiteral("请放入工程中! ") + QDir::toNativeSeparators(other.filePath("3.wlp")));
    EXPECT_TRUE(Project::openForPageFile(project.pagePath(3), p, n, nullptr));
    EXPECT_EQ(p.file, project.file);
}

TEST_F(ProjectTest, DamagedProjectFilesAreRefused)
{
    for (const QByteArray &data : {QByteArray(), QByteArray(102405, '\0')}) {
        ASSERT_TRUE(writeFileAtomically(project.file, data, nullptr));
        Project p;
        QString error;
        EXPECT_FALSE(Project::open(project.file, p, &error));
        EXPECT_FALSE(error.isEmpty());
    }
}
