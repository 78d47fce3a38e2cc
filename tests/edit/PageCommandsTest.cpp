// Page commands on a real project folder: renumbering a page (also over an
// existing one), adding it to the project, deleting it from the project
// with its picture flags, and the instruction-pages estimate.

#include "support/ProjectFixture.h"
#include "support/TestUtil.h"

#include "common/FileIo.h"
#include "edit/PageCommands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace h5;
using h5test::element;
using h5test::readAll;

namespace {

constexpr int kUse = 1026; // page-use flags inside a picture record

CGraph text(const std::string &s)
{
    CGraph e = element(Kind::Text, 0, {0, 0}, {10, 10});
    e.m_strText2 = s;
    return e;
}

CGraph panel(int style)
{
    CGraph e = element(Kind::Panel, 0, {0, 0}, {10, 10});
    e.m_nStyle = style;
    return e;
}

class EditPageCommands : public h5test::ProjectFixture
{
protected:
    // Picture record i used by the given pages (flag value 1 unless given).
    void setPicture(int i, std::initializer_list<std::pair<int, char>> uses)
    {
        QByteArray pos = readAll(project.positionFilePath());
        char *rec = pos.data() + i * kSlotSize;
        rec[0] = 1;
        rec[2050 + 1] = 10; // width 10
        rec[2052 + 1] = 10; // height 10
        rec[2054 + 1] = char(i);
        for (const auto &[page, flag] : uses)
            rec[kUse + page] = flag;
        ASSERT_TRUE(writeFileAtomically(project.positionFilePath(), pos, nullptr));
    }

    QByteArray pictureRecord(int i) const
    {
        return readAll(project.positionFilePath()).mid(i * kSlotSize, kSlotSize);
    }
    QByteArray slot(int n, int size = 9) const { return readAll(project.file).mid(6 + n * 100, size); }

};

NewPageValues values(int pageNo, int layer = 0, bool auxiliary = false, int next = 1024, int delay = 0)
{
    NewPageValues v;
    v.pageNo = pageNo;
    v.layer = layer;
    v.auxiliary = auxiliary;
    v.nextPage = next;
    v.delay = delay;
    return v;
}

} // namespace

TEST(EditInstructionPages, EstimateCountsAHeaderAndAFixedSizePerKind)
{
    const struct {
        const char *name;
        int flags;
        std::vector<CGraph> elements;
        int bytes, pages;
    } cases[] = {
        {"empty main page", 0, {}, 18, 1},
        {"one group box", 0, {element(Kind::GroupBox, 0, {0, 0}, {9, 9})}, 98, 1},
        {"auxiliary header", 1, {}, 10, 1},
        {"layered header", 4, {element(Kind::Line, 0, {0, 0}, {9, 9})}, 26, 1},
        {"shapes", 0,
         {element(Kind::HollowRect, 0, {}, {}), element(Kind::SolidRect, 0, {}, {}),
          element(Kind::HollowEllipse, 0, {}, {}), element(Kind::SolidEllipse, 0, {}, {}),
          element(Kind::HollowCircle, 0, {}, {}), element(Kind::SolidCircle, 0, {}, {}),
          element(Kind::Fill, 0, {}, {}), element(Kind::Bitmap, 0, {}, {})},
         18 + 4 * 16 + 3 * 14 + 12, 1},
        {"controls", 0,
         {element(Kind::StringCtrl, 0, {}, {}), element(Kind::PointerCtrl, 0, {}, {}),
          element(Kind::NumericCtrl, 0, {}, {}), element(Kind::BarCtrl, 0, {}, {}),
          element(Kind::ImageCtrl, 0, {}, {}), element(Kind::TextCtrl, 0, {}, {}),
          element(Kind::ButtonCtrl, 0, {}, {}), element(Kind::ReservedCtrl, 0, {}, {})},
         18 + 0 + 36 + 40 + 40 + 18 + 22 + 21 + 0, 1},
        {"text counts its bytes", 0, {text("ab\xD6\xD0")}, 18 + 22, 1},
        {"panel counts its border width", 0, {panel(0x13)}, 18 + 16 + 192, 1},
        {"markers count nothing", 0, {element(Kind::DeleteMarker, 0, {}, {})}, 18, 1},
    };
    for (const auto &c : cases) {
        Page page;
        page.settings.m_nFlags = c.flags;
        page.elements = c.elements;
        EXPECT_EQ(estimateInstructionBytes(page), c.bytes) << c.name;
        EXPECT_EQ(estimateInstructionPages(page), c.pages) << c.name;
    }
}

TEST(EditInstructionPages, PagesRoundUpAfterAddingFifteen)
{
    Page page;
    page.settings.m_nFlags = 1;
    for (int i = 0; i < 25; ++i)
        page.elements.push_back(element(Kind::GroupBox, 0, {}, {}));
    page.elements.push_back(text(std::string(69, 'x'))); // 10 + 2000 + 87 = 2097
    EXPECT_EQ(estimateInstructionPages(page), 1);
    page.elements.back().m_strText2 += 'x';
    EXPECT_EQ(estimateInstructionPages(page), 2);
}

TEST(EditPageSettingsForm, LayerChoicesFollowTheResolution)
{
    const int expected[13] = {1, 2, 2, 2, 1, 1, 4, 4, 2, 2, 2, 1, 1};
    for (int r = 0; r < 13; ++r)
        EXPECT_EQ(layerChoiceCount(r), expected[r]) << r;
}

TEST_F(EditPageCommands, AddAndDeleteAreEnabledBySlotOfThePage)
{
    addPage(3);
    Page inProject, outside;
    inProject.settings.m_nPageNo = 3;
    outside.settings.m_nPageNo = 4;
    EXPECT_TRUE(isPageCommandEnabled(PageCommand::DeletePage, project, inProject));
    EXPECT_FALSE(isPageCommandEnabled(PageCommand::AddPage, project, inProject));
    EXPECT_FALSE(isPageCommandEnabled(PageCommand::DeletePage, project, outside));
    EXPECT_TRUE(isPageCommandEnabled(PageCommand::AddPage, project, outside));
    EXPECT_TRUE(isPageCommandEnabled(PageCommand::PageSettings, project, outside));
}

TEST_F(EditPageCommands, AddPageWritesTheSlotAndTakesTheProjectResolution)
{
    Page page;
    page.settings = CTypeGraph(0, 0, 9, 1024, 0, 0);
    page.elements = {element(Kind::GroupBox, 0, {0, 0}, {9, 9})};
    QString error;
    const PageCommandResult r = addPageToProject(project, page, &error);
    ASSERT_EQ(r.status, PageCommandResult::Done) << error.toStdString();
    EXPECT_EQ(h5test::toHex(slot(9)), "0A 00 00 00 00 00 00 00 01");
    EXPECT_EQ(page.settings.m_nResolution, 3);
    EXPECT_EQ(r.title, QStringLiteral("9.wlp"));
    EXPECT_EQ(r.savePath, project.pagePath(9));
    EXPECT_TRUE(slotHoldsPage(project, 9));
}

TEST_F(EditPageCommands, RenumberOverAnExistingPageReplacesItsFilesFlagsAndSlot)
{
    OpenPage three = addPage(3);
    addPage(5);
    three.page.elements = {element(Kind::GroupBox, 0, {0, 0}, {50, 50})};
    QString error;
    ASSERT_TRUE(project.savePage(three, notifier, &error)) << error.toStdString();
    setPicture(0, {{3, 1}, {5, 1}});
    setPicture(1, {{5, 1}});
    const QByteArray threeFile = readAll(project.pagePath(3));
    ASSERT_TRUE(QFileInfo::exists(project.instructionPath(5)));

    RecordingNotifier ask(true);
    const PageCommandResult r =
        applyPageSettings(project, three.page, QStringLiteral("3"), values(5), ask, &error);
    ASSERT_EQ(r.status, PageCommandResult::Done) << error.toStdString();
    EXPECT_EQ(ask.questions, QStringList{QStringLiteral("第5幅画面已存在，是否覆盖?")});
    EXPECT_TRUE(ask.messages.isEmpty()) << ask.messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(r.closePage, 5);
    EXPECT_EQ(r.title, QStringLiteral("5.wlp"));
    EXPECT_EQ(r.pageName, QStringLiteral("5"));
    EXPECT_EQ(r.savePath, project.pagePath(5));

    // Page 5's files went, page 3's file became page 5's.
    EXPECT_FALSE(QFileInfo::exists(project.instructionPath(5)));
    EXPECT_FALSE(QFileInfo::exists(project.pagePath(3)));
    EXPECT_EQ(readAll(project.pagePath(5)), threeFile);
    // Slots: 3 cleared, 5 holds this page with its estimated length.
    EXPECT_EQ(slot(3), QByteArray(9, '\0'));
    EXPECT_EQ(h5test::toHex(slot(5)), "06 00 00 00 00 00 00 00 01");
    // Page 5's picture flags are cleared, page 3's are kept; no record is freed.
    EXPECT_EQ(pictureRecord(0).at(kUse + 5), 0);
    EXPECT_EQ(pictureRecord(0).at(kUse + 3), 1);
    EXPECT_EQ(pictureRecord(1).at(kUse + 5), 0);
    EXPECT_EQ(pictureRecord(1).at(2054 + 1), 1);
    EXPECT_EQ(three.page.settings.m_nPageNo, 5);

    // Saving at once compiles the page under its new number.
    OpenPage five{three.page, r.savePath};
    ASSERT_TRUE(project.savePage(five, notifier, &error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo::exists(project.instructionPath(5)));
}

TEST_F(EditPageCommands, CancelledOverwriteChangesNothing)
{
    OpenPage three = addPage(3);
    addPage(5);
    setPicture(0, {{5, 1}});
    const QByteArray wgc = readAll(project.file);
    const QByteArray pos = readAll(project.positionFilePath());
    const QByteArray five = readAll(project.pagePath(5));
    const CTypeGraph settings = three.page.settings;

    RecordingNotifier no(false);
    QString error;
    const PageCommandResult r =
        applyPageSettings(project, three.page, QStringLiteral("3"), values(5, 1, true, 7, 9), no, &error);
    EXPECT_EQ(r.status, PageCommandResult::Cancelled);
    EXPECT_EQ(readAll(project.file), wgc);
    EXPECT_EQ(readAll(project.positionFilePath()), pos);
    EXPECT_EQ(readAll(project.pagePath(5)), five);
    EXPECT_TRUE(QFileInfo::exists(project.pagePath(3)));
    EXPECT_TRUE(QFileInfo::exists(project.instructionPath(5)));
    EXPECT_EQ(three.page.settings, settings);
}

TEST_F(EditPageCommands, RenumberToAFreeSlotMovesTheSlotWithoutAsking)
{
    OpenPage three = addPage(3);
    RecordingNotifier ask(true);
    QString error;
    const PageCommandResult r =
        applyPageSettings(project, three.page, QStringLiteral("3"), values(8), ask, &error);
    ASSERT_EQ(r.status, PageCommandResult::Done) << error.toStdString();
    EXPECT_TRUE(ask.questions.isEmpty());
    EXPECT_EQ(r.closePage, -1);
    EXPECT_EQ(slot(3), QByteArray(9, '\0'));
    EXPECT_EQ(h5test::toHex(slot(8)), "09 00 00 00 00 00 00 00 01");
    EXPECT_TRUE(QFileInfo::exists(project.pagePath(8)));
    EXPECT_FALSE(QFileInfo::exists(project.pagePath(3)));
}

TEST_F(EditPageCommands, RenumberOfAPageOutsideTheProjectOnlyRenamesIt)
{
    Page page;
    page.settings = CTypeGraph(3, 0, 7, 1024, 0, 0);
    ASSERT_TRUE(page.save(project.pagePath(7), nullptr));
    const QByteArray wgc = readAll(project.file);
    QString error;
    const PageCommandResult r =
        applyPageSettings(project, page, QStringLiteral("7"), values(8), notifier, &error);
    ASSERT_EQ(r.status, PageCommandResult::Done) << error.toStdString();
    EXPECT_EQ(readAll(project.file), wgc);
    EXPECT_TRUE(QFileInfo::exists(project.pagePath(8)));
    EXPECT_FALSE(QFileInfo::exists(project.pagePath(7)));
    EXPECT_EQ(r.title, QStringLiteral("8.wlp"));
}

TEST_F(EditPageCommands, RenumberOfAPageOutsideTheProjectReplacesAnotherPageUnasked)
{
    struct Case
    {
        const char *what;
        bool eightInProject; // else only page 8's file exists
        bool confirm;
    };
    const Case cases[] = {
        {"onto a page of the project, confirmed", true, true},
        {"onto a page of the project, cancelled", true, false},
        {"onto a page file outside the project, confirmed", false, true},
        {"onto a page file outside the project, cancelled", false, false},
    };
    const QByteArray freshWgc = readAll(project.file);
    const QByteArray freshPos = readAll(project.positionFilePath());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(project.pagePath(7));
        QFile::remove(project.pagePath(8));
        QFile::remove(project.instructionPath(8));
        ASSERT_TRUE(writeFileAtomically(project.file, freshWgc, nullptr));
        ASSERT_TRUE(writeFileAtomically(project.positionFilePath(), freshPos, nullptr));
        if (c.eightInProject) {
            addPage(8);
            setPicture(0, {{8, 1}});
        } else {
            Page eight;
            eight.settings = CTypeGraph(3, 0, 8, 1024, 0, 0);
            ASSERT_TRUE(eight.save(project.pagePath(8), nullptr));
        }
        Page page;
        page.settings = CTypeGraph(3, 0, 7, 1024, 0, 0);
        page.elements = {element(Kind::Line, 0, {0, 0}, {9, 9})};
        ASSERT_TRUE(page.save(project.pagePath(7), nullptr));
        const QByteArray sevenFile = readAll(project.pagePath(7));
        const QByteArray eightFile = readAll(project.pagePath(8));
        const QByteArray wgc = readAll(project.file);

        RecordingNotifier ask(c.confirm);
        QString error;
        const PageCommandResult r =
            applyPageSettings(project, page, QStringLiteral("7"), values(8), ask, &error);
        EXPECT_EQ(ask.questions, QStringList{QStringLiteral("第8幅画面已存在，是否覆盖?")});
        if (!c.confirm) {
            EXPECT_EQ(r.status, PageCommandResult::Cancelled);
            EXPECT_EQ(readAll(project.pagePath(8)), eightFile);
            EXPECT_EQ(readAll(project.pagePath(7)), sevenFile);
            EXPECT_EQ(readAll(project.file), wgc);
            EXPECT_EQ(page.settings.m_nPageNo, 7);
            continue;
        }
        ASSERT_EQ(r.status, PageCommandResult::Done) << error.toStdString();
        EXPECT_TRUE(ask.messages.isEmpty()) << ask.messages.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(r.closePage, 8);
        EXPECT_EQ(readAll(project.pagePath(8)), sevenFile);
        EXPECT_FALSE(QFileInfo::exists(project.pagePath(7)));
        EXPECT_FALSE(QFileInfo::exists(project.instructionPath(8)));
        // The slot of a replaced page of the project now holds this page.
        EXPECT_EQ(h5test::toHex(slot(8)), c.eightInProject ? "09 00 00 00 00 00 00 00 01"
                                                           : "00 00 00 00 00 00 00 00 00");
        if (c.eightInProject) {
            EXPECT_EQ(pictureRecord(0).at(kUse + 8), 0);
        }
    }
}

TEST_F(EditPageCommands, RenumberReportsAPageFileThatCannotBeRenamed)
{
    Page page;
    page.settings = CTypeGraph(3, 0, 7, 1024, 0, 0);
    QString error;
    RecordingNotifier n;
    const PageCommandResult r = applyPageSettings(project, page, QStringLiteral("7"), values(8), n, &error);
    EXPECT_EQ(r.status, PageCommandResult::Done);
    ASSERT_EQ(n.messages.size(), 1);
    EXPECT_TRUE(n.messages[0].contains(QStringLiteral("7.wlp")));
}

TEST_F(EditPageCommands, OverwriteWithoutPicturePositionFileSaysItIsMissing)
{
    OpenPage three = addPage(3);
    addPage(5);
    ASSERT_TRUE(QFile::remove(project.positionFilePath()));
    RecordingNotifier ask(true);
    QString error;
    const PageCommandResult r =
        applyPageSettings(project, three.page, QStringLiteral("3"), values(5), ask, &error);
    ASSERT_EQ(r.status, PageCommandResult::Done) << error.toStdString();
    EXPECT_EQ(ask.messages, QStringList{QStringLiteral("图象位置信息文件丢失!")});
    EXPECT_FALSE(QFileInfo::exists(project.positionFilePath()));
    EXPECT_EQ(r.closePage, 5);
}

TEST_F(EditPageCommands, SettingsTakeFlagsNextPageAndDelayKeepingThePageTag)
{
    OpenPage three = addPage(3);
    three.page.settings.m_nDelay = 0x00070005;
    QString error;
    const PageCommandResult r =
        applyPageSettings(project, three.page, QStringLiteral("3"), values(3, 2, true, 12, 200), notifier, &error);
    ASSERT_EQ(r.status, PageCommandResult::Done);
    EXPECT_TRUE(r.title.isEmpty());
    EXPECT_EQ(r.savePath, project.pagePath(3));
    const CTypeGraph &s = three.page.settings;
    EXPECT_EQ(s.m_nFlags, 2 * 4 + 1);
    EXPECT_EQ(s.m_nNextPage, 12);
    EXPECT_EQ(s.m_nDelay, 0x000700C8);
    EXPECT_EQ(s.m_nPageNo, 3);
    const NewPageValues back = pageSettingsValues(s);
    EXPECT_EQ(back.layer, 2);
    EXPECT_TRUE(back.auxiliary);
    EXPECT_EQ(back.nextPage, 12);
    EXPECT_EQ(back.delay, 200);
}

TEST_F(EditPageCommands, DeletePageFreesItsSlotFilesAndPicturesNoOtherPageUses)
{
    addPage(3);
    addPage(5);
    setPicture(0, {{3, 1}, {5, 1}}); // shared: stays
    setPicture(1, {{3, 1}});         // only page 3: freed
    setPicture(2, {{3, 2}});         // a flag other than 1 is left alone
    const QByteArray shared = pictureRecord(0);
    const QByteArray odd = pictureRecord(2);

    RecordingNotifier ask(true);
    QString error;
    const PageCommandResult r = deletePageFromProject(project, QStringLiteral("3"), ask, &error);
    ASSERT_EQ(r.status, PageCommandResult::Done) << error.toStdString();
    EXPECT_EQ(ask.questions, QStringList{QStringLiteral("确定删除此页面?")});
    EXPECT_TRUE(r.closeThisPage);
    EXPECT_FALSE(QFileInfo::exists(project.pagePath(3)));
    EXPECT_FALSE(QFileInfo::exists(project.instructionPath(3)));
    EXPECT_TRUE(QFileInfo::exists(project.pagePath(5)));
    EXPECT_EQ(slot(3, 100), QByteArray(100, '\0'));
    EXPECT_EQ(slot(5, 2), h5test::hex("06 00"));

    QByteArray expectedShared = shared;
    expectedShared[kUse + 3] = 0;
    EXPECT_EQ(pictureRecord(0), expectedShared);
    EXPECT_EQ(pictureRecord(1), QByteArray(kSlotSize, '\0'));
    EXPECT_EQ(pictureRecord(2), odd);
    EXPECT_FALSE(isPageCommandEnabled(PageCommand::DeletePage, project,
                                      Page{CTypeGraph(3, 0, 3, 1024, 0, 0), {}}));
}

TEST_F(EditPageCommands, DeletePageWithoutPicturePositionFileKeepsTheWindowOpen)
{
    addPage(3);
    ASSERT_TRUE(QFile::remove(project.positionFilePath()));
    QString error;
    const PageCommandResult r = deletePageFromProject(project, QStringLiteral("3"), notifier, &error);
    ASSERT_EQ(r.status, PageCommandResult::Done) << error.toStdString();
    EXPECT_FALSE(r.closeThisPage);
    EXPECT_FALSE(QFileInfo::exists(project.positionFilePath()));
    EXPECT_EQ(slot(3), QByteArray(9, '\0'));
    EXPECT_FALSE(QFileInfo::exists(project.pagePath(3)));
}

TEST_F(EditPageCommands, CancelledDeleteChangesNothing)
{
    addPage(3);
    const QByteArray wgc = readAll(project.file);
    RecordingNotifier no(false);
    QString error;
    EXPECT_EQ(deletePageFromProject(project, QStringLiteral("3"), no, &error).status,
              PageCommandResult::Cancelled);
    EXPECT_EQ(readAll(project.file), wgc);
    EXPECT_TRUE(QFileInfo::exists(project.pagePath(3)));
}
