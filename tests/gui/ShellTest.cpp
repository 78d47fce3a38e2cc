// The project commands of the application object, run through the main
// frame offscreen: new and open project, new page, open page, open all
// pages, pages from the shell, the save question and the recent files.

#include "gui/ShellTestSupport.h"

#include "model/Page.h"
#include "shell/Commands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>

using h5test::readAll;
using h5test::toHex;

namespace {

class ShellProjectTest : public h5test::ShellFixture {};
class ShellPageTest : public h5test::ShellFixture {};

// The 9 bytes of page slot n of a project file.
QByteArray slotBytes(const QString &projectFile, int n)
{
    return readAll(projectFile).mid(6 + 100 * n, 9);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

// ---- new and open project ------------------------------------------------------

TEST_F(ShellProjectTest, NewProjectMakesItsFolderFilesAndOpensIt)
{
    ASSERT_TRUE(newProject(QStringLiteral("工程一"), 6));
    const QString folder = dir.filePath(QStringLiteral("工程一"));
    const QByteArray wgc = readAll(folder + QStringLiteral("/工程一.wgc"));
    ASSERT_EQ(wgc.size(), 102406);
    EXPECT_EQ(toHex(wgc.left(6)), "00 00 00 00 06 0A");
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/指令wlc文件")).isDir());
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/图片文件")).isDir());
    EXPECT_EQ(QFileInfo(folder + QStringLiteral("/图象位置信息.cbm")).size(), 600 * 2060);
    EXPECT_EQ(app->resolution(), 6);
    EXPECT_TRUE(prompts.messages.isEmpty()) << prompts.messages.join('|').toStdString();
    // The form was offered with the 800*600 size chosen.
    ASSERT_TRUE(prompts.offeredProject.has_value());
    EXPECT_EQ(prompts.offeredProject->resolution, 4);
}

TEST_F(ShellProjectTest, NewProjectWithoutNameOrLocationIsRefusedWithItsMessage)
{
    const struct
    {
        const char *name;
        bool withLocation;
        const char *message;
    } cases[] = {
        {"", true, "工程名称不得为空!"},
        {"p", false, "工程位置不得为空!"},
        {"", false, "工程名称不得为空!"},
    };
    for (const auto &c : cases) {
        prompts.messages.clear();
        prompts.projectAnswer = h5::NewProjectValues{QString::fromUtf8(c.name),
                                                     c.withLocation ? dir.path() : QString(), 4};
        app->onNewProject();
        EXPECT_EQ(prompts.messages, QStringList{QString::fromUtf8(c.message)}) << c.name;
        EXPECT_FALSE(app->isProjectOpen());
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList());
}

TEST_F(ShellProjectTest, CancelledNewProjectFormChangesNothing)
{
    prompts.projectAnswer.reset();
    app->onNewProject();
    EXPECT_FALSE(app->isProjectOpen());
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(ShellProjectTest, SwitchingProjectSavesAndClosesThePagesOfTheOldOne)
{
    ASSERT_TRUE(newProject(QStringLiteral("old")));
    ASSERT_TRUE(newPage());
    h5::CMyView *view = frame->pageViews().first();
    view->document().appendElement(h5test::element(h5::Kind::SolidRect, 0, {10, 10}, {50, 40}));
    view->setModified();
    const QString oldPage = view->filePath();

    ASSERT_TRUE(newProject(QStringLiteral("new")));
    EXPECT_TRUE(frame->pageViews().isEmpty());
    h5::Page saved;
    QString error;
    ASSERT_TRUE(saved.load(oldPage, &error)) << error.toStdString();
    EXPECT_EQ(saved.elements.size(), 1u);
    EXPECT_TRUE(prompts.saveQuestions.isEmpty()); // saved, not asked about

    // Opening the old project again takes its resolution from its file.
    prompts.projectFile = dir.filePath(QStringLiteral("old/old.wgc"));
    app->onOpenProject();
    EXPECT_EQ(app->project().name, QStringLiteral("old"));
    EXPECT_EQ(app->resolution(), 3);
}

// A page of the old project that cannot be saved stops a new project
// before anything of it is made: no half-made project folder behind.
TEST_F(ShellProjectTest, NewProjectIsMadeBeforeTheOldPagesAreSaved)
{
    ASSERT_TRUE(newProject(QStringLiteral("old")));
    ASSERT_TRUE(newPage());
    frame->pageViews().first()->setModified();
    // The old project file no longer reads: its page cannot be saved.
    ASSERT_TRUE(writeFile(app->project().file, QByteArray("nonsense")));
    prompts.messages.clear();

    EXPECT_FALSE(newProject(QStringLiteral("new")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("new"))));
    EXPECT_EQ(app->project().name, QStringLiteral("old"));
    EXPECT_EQ(titles(), QStringList{QStringLiteral("0.wlp")});
    EXPECT_FALSE(prompts.messages.isEmpty());
}

// A project already at the place is refused in Chinese before the open
// pages are touched.
TEST_F(ShellProjectTest, NewProjectOverAnExistingOneClosesTheOpenPages)
{
    ASSERT_TRUE(newProject(QStringLiteral("same")));
    ASSERT_TRUE(newPage());
    prompts.messages.clear();
    prompts.projectAnswer = h5::NewProjectValues{QStringLiteral("same"), dir.path(), 4};
    app->onNewProject();
    EXPECT_EQ(titles(), QStringList{QStringLiteral("0.wlp")});
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages.first().contains(QStringLiteral("已有工程")))
        << prompts.messages.first().toStdString();
}

TEST_F(ShellProjectTest, UnreadableProjectFileLeavesTheOpenProjectAlone)
{
    ASSERT_TRUE(newProject(QStringLiteral("keep")));
    ASSERT_TRUE(newPage());
    const QString broken = dir.filePath(QStringLiteral("broken.wgc"));
    ASSERT_TRUE(writeFile(broken, QByteArray("nonsense")));
    EXPECT_FALSE(app->openProject(broken));
    EXPECT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(app->project().name, QStringLiteral("keep"));
    EXPECT_EQ(titles(), QStringList{QStringLiteral("0.wlp")});
}

// ---- new page -----------------------------------------------------------------------

TEST_F(ShellPageTest, NewPageOpensAWindowSizedForTheProjectScreen)
{
    // Window width and height without the caption by resolution index.
    const struct
    {
        int resolution;
        int width;
        int height;
    } cases[] = {{0, 332, 246}, {3, 812, 492}, {5, 1036, 780}, {7, 284, 492}, {10, 510, 612}, {12, 798, 612}};
    for (const auto &c : cases) {
        ASSERT_TRUE(newProject(QStringLiteral("r%1").arg(c.resolution), c.resolution));
        ASSERT_TRUE(newPage());
        h5::CMyView *view = frame->pageViews().first();
        h5::CChildFrame *child = frame->frameOf(view);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child->size(), QSize(c.width, app->m_nCaptionHeight + c.height))
            << "resolution " << c.resolution;
        // The page fits into the window; the tall portrait pages scroll
        // vertically only. (Scroll bars show and hide when events run.)
        QCoreApplication::processEvents();
        const QSize page = h5::resolutionSize(c.resolution);
        EXPECT_GE(view->viewport()->width(), page.width()) << "resolution " << c.resolution;
        if (c.resolution < 10) {
            EXPECT_GE(view->viewport()->height(), page.height()) << "resolution " << c.resolution;
        }
        EXPECT_EQ(view->canvasSize(), h5::resolutionSize(c.resolution));
    }
}

TEST_F(ShellPageTest, NewPageOffersTheFirstFreeNumberAndWritesItsFiles)
{
    ASSERT_TRUE(newProject());
    ASSERT_TRUE(newPage());
    ASSERT_TRUE(prompts.offeredPage.has_value());
    EXPECT_EQ(prompts.offeredPage->pageNo, 0);
    EXPECT_EQ(prompts.offeredResolution, 3);
    EXPECT_EQ(prompts.offeredLength, 1);

    ASSERT_TRUE(newPage());
    EXPECT_EQ(prompts.offeredPage->pageNo, 1);
    EXPECT_EQ(titles(), (QStringList{QStringLiteral("0.wlp"), QStringLiteral("1.wlp")}));

    const h5::Project &p = app->project();
    EXPECT_EQ(toHex(slotBytes(p.file, 0)), "01 00 00 00 00 00 00 00 01");
    EXPECT_EQ(toHex(slotBytes(p.file, 1)), "02 00 00 00 00 00 00 00 01");
    EXPECT_EQ(QFileInfo(p.dir + QStringLiteral("/1.wlp")).size(), 44);
    EXPECT_TRUE(QFileInfo::exists(p.dir + QStringLiteral("/指令wlc文件/1.wlc")));
    EXPECT_FALSE(frame->pageViews().first()->isModified());
    EXPECT_EQ(app->recentFiles().first(), QDir::toNativeSeparators(QFileInfo(p.dir + QStringLiteral("/1.wlp")).canonicalFilePath()));
}

TEST_F(ShellPageTest, NewPageWithTheFormsSettingsWritesThemIntoThePage)
{
    ASSERT_TRUE(newProject(QStringLiteral("p"), 6));
    prompts.pageAnswer = [](h5::NewPageValues &v) {
        v.pageNo = 9;
        v.layer = 3;
        v.auxiliary = true;
        v.nextPage = 1024;
        v.delay = 200;
    };
    app->onNewPage();
    ASSERT_EQ(titles(), QStringList{QStringLiteral("9.wlp")});
    const h5::CTypeGraph &s = frame->pageViews().first()->settings();
    EXPECT_EQ(s.m_nFlags, 3 * 4 + 1);
    EXPECT_EQ(s.m_nNextPage, 1024);
    EXPECT_EQ(s.m_nDelay, 200);
    EXPECT_EQ(s.m_nResolution, 6);
}

TEST_F(ShellPageTest, CancelledPageSettingsFormMakesNoPage)
{
    ASSERT_TRUE(newProject());
    prompts.pageAnswer = nullptr;
    app->onNewPage();
    EXPECT_TRUE(frame->pageViews().isEmpty());
    EXPECT_EQ(toHex(slotBytes(app->project().file, 0)), "00 00 00 00 00 00 00 00 00");
}

TEST_F(ShellPageTest, NewPageOverAnExistingPageAsksAndReplacesItsWindow)
{
    ASSERT_TRUE(newProject());
    ASSERT_TRUE(newPage(0));
    h5::CMyView *old = frame->pageViews().first();
    old->document().appendElement(h5test::element(h5::Kind::Line, 0, {1, 1}, {30, 30}));
    ASSERT_TRUE(old->save());

    // Cancel: the old page, its window and its file stay.
    prompts.answer = false;
    prompts.pageAnswer = [](h5::NewPageValues &v) { v.pageNo = 0; };
    app->onNewPage();
    EXPECT_EQ(prompts.questions, QStringList{QStringLiteral("将会覆盖0页面，是否覆盖?")});
    ASSERT_EQ(frame->pageViews(), QList<h5::CMyView *>{old});
    h5::Page onDisk;
    QString error;
    ASSERT_TRUE(onDisk.load(app->project().pagePath(0), &error));
    EXPECT_EQ(onDisk.elements.size(), 1u);

    // OK: a new empty page 0 in a new window; the old window is gone.
    prompts.answer = true;
    app->onNewPage();
    h5test::processDeletes();
    ASSERT_EQ(titles(), QStringList{QStringLiteral("0.wlp")});
    EXPECT_NE(frame->pageViews().first(), old);
    EXPECT_TRUE(frame->pageViews().first()->elements().empty());
    ASSERT_TRUE(onDisk.load(app->project().pagePath(0), &error));
    EXPECT_TRUE(onDisk.elements.empty());
    EXPECT_TRUE(prompts.saveQuestions.isEmpty());
}

// ---- open page, open all pages, pages from the shell --------------------------------

TEST_F(ShellPageTest, OpenAllPagesReportsTheMissingPageAndOpensTheRest)
{
    ASSERT_TRUE(newProject());
    for (int n : {0, 1, 2})
        ASSERT_TRUE(newPage(n));
    for (h5::CMyView *view : frame->pageViews())
        frame->closePageWindow(view);
    h5test::processDeletes();
    ASSERT_TRUE(frame->pageViews().isEmpty());
    ASSERT_TRUE(QFile::remove(app->project().pagePath(1)));

    EXPECT_EQ(app->openAllPages(), 2);
    EXPECT_EQ(prompts.messages, QStringList{QStringLiteral("画面1丢失！")});
    EXPECT_EQ(titles(), (QStringList{QStringLiteral("0.wlp"), QStringLiteral("2.wlp")}));

    // A second time brings the open pages forward instead of doubling them.
    prompts.messages.clear();
    app->openAllPages();
    EXPECT_EQ(titles(), (QStringList{QStringLiteral("0.wlp"), QStringLiteral("2.wlp")}));
}

TEST_F(ShellPageTest, UnreadablePageFileIsReportedAndTheOthersStillOpen)
{
    ASSERT_TRUE(newProject());
    ASSERT_TRUE(newPage(0));
    ASSERT_TRUE(newPage(4));
    for (h5::CMyView *view : frame->pageViews())
        frame->closePageWindow(view);
    h5test::processDeletes();
    const QString broken = app->project().dir + QStringLiteral("/7.wlp");
    ASSERT_TRUE(writeFile(broken, QByteArray("\xFF\xFF\x01\x00\x06\x00" "CGraph", 12)));

    prompts.pageFiles = {app->project().pagePath(0), broken, app->project().pagePath(4)};
    app->onOpenPage();
    EXPECT_EQ(prompts.offeredDir, app->project().dir);
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages.first().contains(QStringLiteral("7.wlp")))
        << prompts.messages.first().toStdString();
    EXPECT_EQ(titles(), (QStringList{QStringLiteral("0.wlp"), QStringLiteral("4.wlp")}));
    EXPECT_TRUE(app->isProjectOpen());
}

// Open page with a page of another project: the user is told whose page
// it is and chooses; it never opens in the wrong project's context.
TEST_F(ShellPageTest, PageOfAnotherProjectOpensSilentlyInTheCurrentOne)
{
    ASSERT_TRUE(newProject(QStringLiteral("first"), 1));
    ASSERT_TRUE(newPage(2));
    ASSERT_TRUE(newPage(3));
    const QString foreign = app->project().pagePath(2);
    const QString foreign3 = app->project().pagePath(3);
    ASSERT_TRUE(newProject(QStringLiteral("second"), 3));
    ASSERT_TRUE(newPage(5));

    const struct
    {
        const char *name;
        bool answer;
        QString project;
        QStringList titles;
    } cases[] = {
        {"stay", false, QStringLiteral("second"), {QStringLiteral("5.wlp")}},
        {"switch", true, QStringLiteral("first"), {QStringLiteral("2.wlp"), QStringLiteral("3.wlp")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        prompts.questions.clear();
        prompts.answer = c.answer;
        prompts.pageFiles = {foreign, foreign3};
        app->onOpenPage();
        ASSERT_EQ(prompts.questions.size(), 1); // once for both pages
        EXPECT_TRUE(prompts.questions.first().contains(QStringLiteral("first")))
            << prompts.questions.first().toStdString();
        EXPECT_EQ(app->project().name, c.project);
        EXPECT_EQ(titles(), c.titles);
    }
    EXPECT_EQ(app->resolution(), 1);
    EXPECT_EQ(app->project().picturesDir(), dir.filePath(QStringLiteral("first/图片文件")));
}

TEST_F(ShellPageTest, PageOutsideAnyProjectOpensInTheCurrentOne)
{
    ASSERT_TRUE(newProject(QStringLiteral("mine")));
    ASSERT_TRUE(newPage(0));
    const QString loose = dir.filePath(QStringLiteral("loose/0.wlp"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(loose).path()));
    ASSERT_TRUE(QFile::copy(app->project().pagePath(0), loose));
    frame->closePageWindow(frame->pageViews().first());
    h5test::processDeletes();
    prompts.messages.clear();
    prompts.pageFiles = {loose};
    app->onOpenPage();
    // The text is followed by the page's file.
    EXPECT_EQ(prompts.messages, QStringList{QStringLiteral("请放入工程中! ") + QDir::toNativeSeparators(loose)});
    EXPECT_TRUE(titles().isEmpty());
    EXPECT_EQ(app->project().name, QStringLiteral("mine"));
}

TEST_F(ShellPageTest, PageFileFromTheShellOpensWithinItsProject)
{
    ASSERT_TRUE(newProject(QStringLiteral("shellproj"), 8));
    ASSERT_TRUE(newPage(3));
    const QString page = app->project().pagePath(3);
    frame->closePageWindow(frame->pageViews().first());
    h5test::processDeletes();

    // A fresh app knows no project yet; the page brings its own.
    h5::CMyApp other(dir.filePath(QStringLiteral("other.ini")));
    other.setPrompts(&prompts);
    h5::CMainFrame otherFrame(other);
    EXPECT_TRUE(other.openDocument(page));
    EXPECT_TRUE(other.isProjectOpen());
    EXPECT_EQ(other.project().name, QStringLiteral("shellproj"));
    EXPECT_EQ(other.resolution(), 8);
    ASSERT_EQ(otherFrame.pageViews().size(), 1);
    EXPECT_EQ(otherFrame.pageViews().first()->title(), QStringLiteral("3.wlp"));
    for (h5::CMyView *view : otherFrame.pageViews())
        otherFrame.closePageWindow(view);
    h5test::processDeletes();
}

TEST_F(ShellPageTest, PageFileOutsideAProjectIsRefused)
{
    const QString loose = dir.filePath(QStringLiteral("loose"));
    ASSERT_TRUE(QDir().mkpath(loose));
    h5::Page page;
    QString error;
    ASSERT_TRUE(page.save(loose + QStringLiteral("/3.wlp"), &error)) << error.toStdString();

    EXPECT_FALSE(app->openDocument(loose + QStringLiteral("/3.wlp")));
    EXPECT_EQ(prompts.messages,
              QStringList{QStringLiteral("请放入工程中! ") + QDir::toNativeSeparators(loose + QStringLiteral("/3.wlp"))});
    EXPECT_FALSE(app->isProjectOpen());
    EXPECT_TRUE(frame->pageViews().isEmpty());
}

// ---- closing modified pages --------------------------------------------------------------

TEST_F(ShellPageTest, ClosingAModifiedPageAsksAndFollowsTheAnswer)
{
    ASSERT_TRUE(newProject());
    ASSERT_TRUE(newPage(0));
    h5::CMyView *view = frame->pageViews().first();
    view->document().appendElement(h5test::element(h5::Kind::HollowRect, 0, {5, 5}, {25, 25}));
    view->setModified();
    const QString path = view->filePath();
    h5::Page onDisk;
    QString error;

    const struct
    {
        h5::SaveAnswer answer;
        bool closes;
        size_t elementsOnDisk;
    } cases[] = {
        {h5::SaveAnswer::Cancel, false, 0},
        {h5::SaveAnswer::Save, true, 1},
    };
    for (const auto &c : cases) {
        prompts.saveQuestions.clear();
        prompts.saveAnswer = c.answer;
        frame->frameOf(view)->close();
        h5test::processDeletes();
        EXPECT_EQ(prompts.saveQuestions, QStringList{QStringLiteral("是否保存对 0.wlp 的更改?")});
        EXPECT_EQ(frame->pageViews().isEmpty(), c.closes);
        ASSERT_TRUE(onDisk.load(path, &error));
        EXPECT_EQ(onDisk.elements.size(), c.elementsOnDisk);
    }
}

TEST_F(ShellPageTest, DiscardingAModifiedPageLeavesItsFileAsItWas)
{
    ASSERT_TRUE(newProject());
    ASSERT_TRUE(newPage(0));
    h5::CMyView *view = frame->pageViews().first();
    view->document().appendElement(h5test::element(h5::Kind::HollowRect, 0, {5, 5}, {25, 25}));
    view->setModified();
    const QByteArray before = readAll(view->filePath());
    prompts.saveAnswer = h5::SaveAnswer::Discard;
    const QString path = view->filePath();
    frame->frameOf(view)->close();
    h5test::processDeletes();
    EXPECT_TRUE(frame->pageViews().isEmpty());
    EXPECT_EQ(readAll(path), before);
}

TEST_F(ShellPageTest, ClosingTheMainWindowAsksForEveryModifiedPageAndCancelKeepsAll)
{
    ASSERT_TRUE(newProject());
    for (int n : {0, 1, 2})
        ASSERT_TRUE(newPage(n));
    const QList<h5::CMyView *> views = frame->pageViews();
    views[0]->setModified();
    views[2]->setModified();

    prompts.saveAnswer = h5::SaveAnswer::Discard;
    // Discard for the first, then Cancel: nothing closes.
    int asked = 0;
    struct Sequenced : h5test::ScriptedPrompts
    {
        int *count;
        h5::SaveAnswer askSave(const QString &text) override
        {
            saveQuestions << text;
            return (*count)++ == 0 ? h5::SaveAnswer::Discard : h5::SaveAnswer::Cancel;
        }
    } sequenced;
    sequenced.count = &asked;
    app->setPrompts(&sequenced);
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(sequenced.saveQuestions,
              (QStringList{QStringLiteral("是否保存对 0.wlp 的更改?"),
                           QStringLiteral("是否保存对 2.wlp 的更改?")}));
    EXPECT_EQ(frame->pageViews().size(), 3);

    app->setPrompts(&prompts);
    prompts.saveQuestions.clear();
    EXPECT_TRUE(frame->close());
    EXPECT_EQ(prompts.saveQuestions.size(), 2);
    h5test::processDeletes();
    EXPECT_TRUE(frame->pageViews().isEmpty());
}

// ---- save project ----------------------------------------------------------------------

TEST_F(ShellPageTest, SaveProjectSavesEveryOpenPageAndCompilesIt)
{
    ASSERT_TRUE(newProject());
    ASSERT_TRUE(newPage(0));
    ASSERT_TRUE(newPage(1));
    for (h5::CMyView *view : frame->pageViews()) {
        view->document().appendElement(h5test::element(h5::Kind::SolidRect, 0, {40, 40}, {10, 10}));
        view->setModified();
    }
    frame->runCommand(h5::Cmd::SaveProject);
    for (h5::CMyView *view : frame->pageViews()) {
        EXPECT_FALSE(view->isModified());
        h5::Page onDisk;
        QString error;
        ASSERT_TRUE(onDisk.load(view->filePath(), &error));
        ASSERT_EQ(onDisk.elements.size(), 1u);
        // Saved as the editor saves: corners ordered.
        EXPECT_EQ(onDisk.elements[0].m_ptStart, QPoint(10, 10));
    }
    EXPECT_TRUE(prompts.messages.isEmpty()) << prompts.messages.join('|').toStdString();
}

// ---- recent files ------------------------------------------------------------------------

TEST_F(ShellProjectTest, RecentFilesKeepTheFourNewestFirstAcrossRuns)
{
    const QStringList names = {"a.wlp", "b.wlp", "c.wlp", "d.wlp", "e.wlp"};
    for (const QString &n : names) {
        ASSERT_TRUE(writeFile(dir.filePath(n), "x"));
        app->addRecentFile(dir.filePath(n));
    }
    app->addRecentFile(dir.filePath(QStringLiteral("c.wlp"))); // again: to the front
    auto native = [this](const char *n) {
        return QDir::toNativeSeparators(QFileInfo(dir.filePath(QString::fromLatin1(n))).canonicalFilePath());
    };
    const QStringList expected = {native("c.wlp"), native("e.wlp"), native("d.wlp"), native("b.wlp")};
    EXPECT_EQ(app->recentFiles(), expected);

    h5::CMyApp later(dir.filePath(QStringLiteral("settings.ini")));
    EXPECT_EQ(later.recentFiles(), expected);

    // The file menu lists them with their numbers.
    const QAction *first = frame->findChild<QAction *>(QStringLiteral("actionRecentFile1"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->text(), QStringLiteral("&1 ") + expected.first());
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(frame->findChild<QAction *>(QStringLiteral("actionRecentNone"))->isVisible());
    EXPECT_EQ(frame->findChild<QAction *>(QStringLiteral("actionRecentFile5")), nullptr);
}
