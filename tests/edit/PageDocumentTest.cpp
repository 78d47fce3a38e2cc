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
    three.elements().push_back(element(Kind::GroupBox, 0, {0, 0}, {50, 50}));
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
    page.elements().push_back(element(Kind::HollowRect, 0, {5, 5}, {5, 5}));
    page.elements().push_back(element(Kind::GroupBox, 0, {0, 0}, {40, 40}));
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
    page.elements().push_back(element(Kind::GroupBox, 0, {0, 0}, {40, 40}));
    ASSERT_TRUE(page.save());
    ASSERT_FALSE(page.isModified());
    QList<bool> marks;
    QObject::connect(&page, &PageDocument::modifiedChanged, [&](bool m) { marks << m; });

    ElementClipboard clipboard;
    page.editState().select(0);
    const EditOutcome deleted = runEditCommand(EditCommand::Delete, page.editState(), clipboard);
    ASSERT_TRUE(deleted.modified);
    page.contentChanged();
    EXPECT_TRUE(page.isModified());
    const EditOutcome undone = runEditCommand(EditCommand::Undo, page.editState(), clipboard);
    ASSERT_TRUE(undone.modified);
    page.contentChanged();
    EXPECT_FALSE(page.isModified()) << "the page is as it was saved";
    EXPECT_EQ(marks, (QList<bool>{true, false}));

    // A page marked modified on purpose (its settings changed by a page
    // command, say) keeps the mark until it is saved.
    page.setModified(true);
    page.contentChanged();
    EXPECT_TRUE(page.isModified());
}
