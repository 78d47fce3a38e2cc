// A page document on a real project folder: what it tells the windows
// around it (and in which order) when a page command overwrites another
// page or deletes its own, and that a save which fails keeps the user's
// page and its changes.

#include "support/FileSizeLimit.h"
#include "support/ProjectFixture.h"
#include "support/TestUtil.h"

#include "edit/EditOperations.h"
#include "edit/ElementClipboard.h"
#include "edit/PageDocument.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <type_traits>
#include <utility>

using namespace h5;
using h5test::element;

namespace {

class FakeContext : public PageContext
{
public:
    explicit FakeContext(RecordingNotifier &recorder) : recorder(recorder) {}
    const Project *currentProject() const override { return project; }
    Notifier &notifier() const override { return recorder; }

    const Project *project = nullptr;
    RecordingNotifier &recorder;
};

class PageDocumentTest : public h5test::ProjectFixture
{
protected:
    void SetUp() override
    {
        h5test::ProjectFixture::SetUp();
        context.project = &project;
    }

    FakeContext context{notifier};
};

} // namespace

TEST_F(PageDocumentTest, RenumberOverAnotherPageClosesItsWindowsBeforeSavingUnderTheNewNumber)
{
    PageDocument three(context, addPage(3));
    addPage(5);
    three.appendElement(element(Kind::GroupBox, 0, {0, 0}, {50, 50}));
    three.setModified(true);

    // The order the windows see: the overwritten page's windows close
    // while this page is still page 3 and unsaved, so none of them can
    // write page 5 back; then the new title, then the save.
    QStringList events;
    QObject::connect(&three, &PageDocument::pageOverwritten, [&](int n) {
        events << QStringLiteral("overwritten %1 (%2, %3)")
                      .arg(n)
                      .arg(three.title())
                      .arg(three.isModified() ? QStringLiteral("modified") : QStringLiteral("saved"));
    });
    QObject::connect(&three, &PageDocument::titleChanged,
                     [&](const QString &title) { events << QStringLiteral("title ") + title; });
    QObject::connect(&three, &PageDocument::saved, [&] { events << QStringLiteral("saved"); });
    QObject::connect(&three, &PageDocument::closeRequested,
                     [&] { events << QStringLiteral("close"); });

    NewPageValues v;
    v.pageNo = 5;
    three.applySettings(v);

    EXPECT_EQ(events, (QStringList{QStringLiteral("overwritten 5 (3.wlp, modified)"),
                                   QStringLiteral("title 5.wlp"), QStringLiteral("saved")}));
    EXPECT_EQ(context.recorder.questions, QStringList{QStringLiteral("第5幅画面已存在，是否覆盖?")});
    EXPECT_TRUE(context.recorder.messages.isEmpty())
        << context.recorder.messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(three.filePath(), project.pagePath(5));
    EXPECT_FALSE(three.isModified());
    EXPECT_FALSE(QFileInfo::exists(project.pagePath(3)));
    EXPECT_TRUE(QFileInfo::exists(project.instructionPath(5)));
}

TEST_F(PageDocumentTest, DeleteFromProjectAsksForItsWindowToCloseOnlyWhenThePageIsGone)
{
    for (const bool agreed : {true, false}) {
        SCOPED_TRACE(agreed ? "agreed" : "declined");
        PageDocument page(context, addPage(4));
        int closeRequests = 0;
        QObject::connect(&page, &PageDocument::closeRequested, [&] { ++closeRequests; });
        context.recorder.answer = agreed;
        page.deleteFromProject();
        EXPECT_EQ(closeRequests, agreed ? 1 : 0);
        EXPECT_EQ(QFileInfo::exists(project.pagePath(4)), !agreed);
    }
}

TEST_F(PageDocumentTest, FailedSaveKeepsThePageAsTheUserLeftItAndStillModified)
{
    PageDocument page(context, addPage(2));
    // A shape of no size is dropped by a save; here the save fails, so it
    // must still be there.
    page.appendElement(element(Kind::HollowRect, 0, {5, 5}, {5, 5}));
    page.appendElement(element(Kind::GroupBox, 0, {0, 0}, {40, 40}));
    page.setModified(true);
    const std::vector<CGraph> before = page.elements();
    int saves = 0;
    QObject::connect(&page, &PageDocument::saved, [&] { ++saves; });

    bool ok = true;
    {
        h5test::FileSizeLimit full(16); // as on a full disk
        ok = page.save();
    }

    EXPECT_FALSE(ok);
    EXPECT_TRUE(page.isModified());
    EXPECT_EQ(saves, 0);
    EXPECT_EQ(page.elements().size(), before.size());
    ASSERT_FALSE(context.recorder.messages.isEmpty());
    EXPECT_TRUE(context.recorder.messages.last().startsWith(QStringLiteral("2.wlp 保存失败!")))
        << context.recorder.messages.last().toStdString();
}

TEST_F(PageDocumentTest, WithoutAProjectNothingIsSavedAndPageCommandsAreOff)
{
    PageDocument page(context, addPage(1));
    context.project = nullptr;
    page.setModified(true);
    EXPECT_FALSE(page.save());
    // The text is followed by the page's file.
    ASSERT_EQ(context.recorder.messages.size(), 1);
    EXPECT_TRUE(context.recorder.messages[0].startsWith(QStringLiteral("请放入工程中! ")));
    EXPECT_TRUE(context.recorder.messages[0].endsWith(QStringLiteral("1.wlp")))
        << context.recorder.messages[0].toStdString();
    EXPECT_TRUE(page.isModified());
    for (const PageCommand c : {PageCommand::PageSettings, PageCommand::AddPage,
                                PageCommand::DeletePage})
        EXPECT_FALSE(page.isPageCommandEnabled(c));
}

// The view used to mark the page modified after every edit, so undoing
// back to the saved page still showed "*" and closing asked to save an
// unchanged page. The document now compares with what was saved.
TEST_F(PageDocumentTest, UndoingBackToTheSavedPageClearsTheModifiedMark)
{
    PageDocument page(context, addPage(2));
    page.appendElement(element(Kind::GroupBox, 0, {0, 0}, {40, 40}));
    ASSERT_TRUE(page.save());
    ASSERT_FALSE(page.isModified());
    QList<bool> marks;
    QObject::connect(&page, &PageDocument::modifiedChanged, [&](bool m) { marks << m; });

    ElementClipboard clipboard;
    page.select(0);
    const EditOutcome deleted = page.runEditCommand(EditCommand::Delete, clipboard);
    ASSERT_TRUE(deleted.modified);
    EXPECT_TRUE(page.isModified());
    const EditOutcome undone = page.runEditCommand(EditCommand::Undo, clipboard);
    ASSERT_TRUE(undone.modified);
    EXPECT_FALSE(page.isModified()) << "the page is as it was saved";
    EXPECT_EQ(marks, (QList<bool>{true, false}));

    // The same through the element changes: a property form that writes
    // the saved values back leaves the page unmodified.
    const CGraph saved = page.elements()[0];
    CGraph moved = saved;
    moved.m_ptStart += QPoint(3, 3);
    page.replaceElement(0, moved);
    EXPECT_TRUE(page.isModified());
    page.replaceElement(0, saved);
    EXPECT_FALSE(page.isModified());

    // A page marked modified on purpose (its settings changed by a page
    // command, say) keeps the mark until it is saved.
    page.setModified(true);
    page.replaceElement(0, saved);
    EXPECT_TRUE(page.isModified());
}

// The page is changed only through the document, which alone decides
// "modified" and tells the commands what changed: none of its accessors
// hands out the page to change behind its back.
static_assert(std::is_const_v<std::remove_reference_t<decltype(std::declval<PageDocument &>().elements())>>);
static_assert(std::is_const_v<std::remove_reference_t<decltype(std::declval<PageDocument &>().page())>>);
static_assert(std::is_const_v<std::remove_reference_t<decltype(std::declval<PageDocument &>().settings())>>);
static_assert(std::is_const_v<std::remove_reference_t<decltype(std::declval<PageDocument &>().openPage())>>);
static_assert(std::is_const_v<std::remove_reference_t<decltype(std::declval<PageDocument &>().editState())>>);

// Commands follow these signals instead of asking every document after
// every event: a change that leaves a signal out leaves a command showing
// a stale state (Delete enabled with nothing selected, Undo off after a
// creation).
TEST_F(PageDocumentTest, EveryChangeTellsWhatItChangedAndNothingElse)
{
    PageDocument page(context, addPage(2));
    int selections = 0, undoStates = 0, clipboards = 0, redraws = 0;
    QList<int> tools;
    QObject::connect(&page, &PageDocument::selectionChanged, [&] { ++selections; });
    QObject::connect(&page, &PageDocument::undoStateChanged, [&] { ++undoStates; });
    QObject::connect(&page, &PageDocument::clipboardChanged, [&] { ++clipboards; });
    QObject::connect(&page, &PageDocument::pageChanged, [&] { ++redraws; });
    QObject::connect(&page, &PageDocument::toolChanged, [&](int t) { tools << t; });
    auto told = [&] {
        const QString t = QStringLiteral("sel %1 undo %2 clip %3 redraw %4 tools %5")
                              .arg(selections).arg(undoStates).arg(clipboards).arg(redraws)
                              .arg(tools.size());
        selections = undoStates = clipboards = redraws = 0;
        tools.clear();
        return t.toStdString();
    };
    ElementClipboard clipboard;

    page.appendElement(element(Kind::HollowRect, 0, {5, 5}, {20, 20}));
    EXPECT_EQ(told(), "sel 0 undo 1 clip 0 redraw 1 tools 0") << "undo comes on";
    page.appendElement(element(Kind::HollowRect, 0, {25, 25}, {40, 40}));
    EXPECT_EQ(told(), "sel 0 undo 0 clip 0 redraw 1 tools 0") << "undo stays on";
    page.select(1);
    EXPECT_EQ(told(), "sel 1 undo 0 clip 0 redraw 0 tools 0");
    page.select(1);
    EXPECT_EQ(told(), "sel 0 undo 0 clip 0 redraw 0 tools 0") << "the same element again";
    page.runEditCommand(EditCommand::Copy, clipboard);
    EXPECT_EQ(told(), "sel 1 undo 0 clip 1 redraw 0 tools 0") << "copy lets the element go";
    page.runEditCommand(EditCommand::Undo, clipboard);
    EXPECT_EQ(told(), "sel 0 undo 1 clip 0 redraw 0 tools 0") << "redo comes on";
    page.setTool(Kind::Line);
    EXPECT_EQ(told(), "sel 0 undo 0 clip 0 redraw 0 tools 1");
    page.setTool(Kind::Line);
    EXPECT_EQ(told(), "sel 0 undo 0 clip 0 redraw 0 tools 0");
    // A gesture of the tool rules: the line tool appends a line and stays
    // the tool.
    page.setCanvasSize(QSize(320, 240));
    page.interact([](ToolInteraction &t) { return t.press(QPoint(50, 50)); });
    page.interact([](ToolInteraction &t) { return t.move(QPoint(60, 70)); });
    page.interact([](ToolInteraction &t) { return t.release(QPoint(60, 70)); });
    ASSERT_EQ(page.elements().size(), 2u);
    EXPECT_EQ(page.elements().back().m_nKind, Kind::Line);
    EXPECT_TRUE(page.isModified());
    EXPECT_EQ(told(), "sel 0 undo 0 clip 0 redraw 0 tools 0");
    EXPECT_EQ(page.tool(), int(Kind::Line));
    // A save drops the undo history.
    ASSERT_TRUE(page.save());
    EXPECT_EQ(told(), "sel 0 undo 1 clip 0 redraw 0 tools 0");
}
