// The page view driven by mouse, keyboard and commands: what the gestures
// leave in the element list, moves with the grid, the edit commands and the
// forms of the control tools.

#include "gui/PageViewFixture.h"

#include "common/Flash.h"
#include "edit/EditOperations.h"
#include "edit/PointerFile.h"
#include "editor/PointerControlForm.h"
#include "editor/ElementForms.h"
#include "editor/PropertyForm.h"
#include "model/PageRender.h"
#include "project/PageExport.h"
#include "shell/Commands.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QScrollBar>
#include <QAbstractButton>
#include <QPlainTextEdit>
#include <QSpinBox>

namespace {

class ViewTest : public h5test::PageViewFixture
{
protected:
    // A BMP picture of one colour in the test folder; its path.
    QString pictureFile(const QString &name, int width, int height, Qt::GlobalColor colour)
    {
        const QString path = dir.filePath(name);
        QImage picture(width, height, QImage::Format_RGB32);
        picture.fill(colour);
        EXPECT_TRUE(picture.save(path, "BMP"));
        return path;
    }
};

// ---- drawing ---------------------------------------------------------------------------

TEST_F(ViewTest, ShapeToolGestureStoresWrongPointsOrKind)
{
    const struct
    {
        int command;
        QPoint from, to;
        int kind;
        QPoint start, end;
    } cases[] = {
        {h5::Cmd::ToolLine, {10, 20}, {50, 60}, h5::Kind::Line, {10, 20}, {50, 60}},
        {h5::Cmd::ToolLine, {50, 60}, {10, 20}, h5::Kind::Line, {50, 60}, {10, 20}},
        // A rectangle dragged up and to the left keeps its top left first.
        {h5::Cmd::ToolHollowRect, {60, 50}, {20, 10}, h5::Kind::HollowRect, {20, 10}, {60, 50}},
        {h5::Cmd::ToolFilledRect, {5, 6}, {40, 30}, h5::Kind::SolidRect, {5, 6}, {40, 30}},
        // Beyond the page the point stops at its last column and row.
        {h5::Cmd::ToolFilledRect, {300, 200}, {400, 300}, h5::Kind::SolidRect, {300, 200}, {319, 239}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.command);
        view = openView();
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(frame->runCommand(c.command));
        drag(c.from, c.to);
        ASSERT_EQ(view->elements().size(), 1u);
        const h5::CGraph &e = view->elements().front();
        EXPECT_EQ(e.m_nKind, c.kind);
        EXPECT_EQ(e.m_ptStart, c.start);
        EXPECT_EQ(e.m_ptEnd, c.end);
        EXPECT_EQ(e.m_crColor1, h5::RGB(255, 255, 255)); // the pen colour
        EXPECT_TRUE(view->isModified());
    }
}

TEST_F(ViewTest, ZeroSizeGestureLeavesAnElementBehind)
{
    const struct
    {
        int command;
        QPoint from, to;
    } cases[] = {
        {h5::Cmd::ToolLine, {30, 30}, {30, 30}},
        {h5::Cmd::ToolHollowRect, {30, 30}, {30, 30}},
        {h5::Cmd::ToolHollowRect, {30, 30}, {90, 30}}, // only dragged sideways
        {h5::Cmd::ToolFilledCircle, {30, 30}, {30, 30}},
    };
    view = openView();
    ASSERT_NE(view, nullptr);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.command);
        ASSERT_TRUE(frame->runCommand(c.command));
        drag(c.from, c.to);
        EXPECT_TRUE(view->elements().empty());
    }
}

// ---- selection and moves ---------------------------------------------------------------

TEST_F(ViewTest, DragMoveMissesTheGridOrSnapsWithoutIt)
{
    const struct
    {
        bool grid;
        QPoint start, end;
    } cases[] = {
        // Centre (23, 27) dragged to (47, 52): moved by (24, 25).
        {false, {37, 42}, {57, 62}},
        // With spacing 10 the top left lands on the nearest grid point.
        {true, {40, 40}, {60, 60}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.grid);
        view = openView();
        ASSERT_NE(view, nullptr);
        frame->gridSpacingXBox()->setValue(10);
        frame->gridSpacingYBox()->setValue(10);
        if (c.grid) {
            ASSERT_TRUE(frame->runCommand(h5::Cmd::ShowGrid));
            EXPECT_TRUE(frame->action(h5::Cmd::ShowGrid)->isChecked());
        }
        view->document().appendElement(h5test::element(h5::Kind::HollowRect, 0, {13, 17}, {33, 37}));
        view->refresh();

        press({20, 25}); // selects only
        release({20, 25});
        ASSERT_EQ(view->editState().selectedIndex, 0);
        press({23, 27}); // the centre handle
        moveTo({35, 40});
        moveTo({47, 52});
        release({47, 52});

        const h5::CGraph &e = view->elements().front();
        EXPECT_EQ(e.m_ptStart, c.start);
        EXPECT_EQ(e.m_ptEnd, c.end);
        EXPECT_TRUE(view->isModified());
        EXPECT_FALSE(view->editState().selected); // a drag ends the selection
    }
}

TEST_F(ViewTest, ArrowKeyDoesNotNudgeTheSelectedElement)
{
    view = openView();
    ASSERT_NE(view, nullptr);
    view->document().appendElement(h5test::element(h5::Kind::SolidRect, 0, {10, 10}, {30, 30}));
    press({15, 15});
    release({15, 15});
    const struct
    {
        int key;
        QPoint start;
    } cases[] = {
        {Qt::Key_Right, {11, 10}},
        {Qt::Key_Down, {11, 11}},
        {Qt::Key_Left, {10, 11}},
        {Qt::Key_Up, {10, 10}},
    };
    for (const auto &c : cases) {
        key(c.key);
        EXPECT_EQ(view->elements().front().m_ptStart, c.start);
        EXPECT_EQ(view->elements().front().m_ptEnd, c.start + QPoint(20, 20));
    }
    EXPECT_TRUE(view->isModified());
}

// ---- edit commands -----------------------------------------------------------------------

TEST_F(ViewTest, DeleteUndoRedoCommandsLoseOrMisplaceTheElement)
{
    view = openView();
    ASSERT_NE(view, nullptr);
    view->document().appendElement(h5test::element(h5::Kind::SolidRect, 0, {10, 10}, {30, 30}));
    view->document().appendElement(h5test::element(h5::Kind::HollowRect, 0, {100, 100}, {140, 130}));
    view->refresh();

    EXPECT_FALSE(frame->action(h5::Cmd::Delete)->isEnabled()); // nothing selected
    press({120, 110});
    release({120, 110});
    ASSERT_TRUE(frame->action(h5::Cmd::Delete)->isEnabled());

    ASSERT_TRUE(frame->runCommand(h5::Cmd::Delete));
    ASSERT_EQ(view->elements().size(), 2u);
    EXPECT_EQ(view->elements()[0].m_nKind, h5::Kind::SolidRect);
    EXPECT_EQ(view->elements()[1].m_nKind, h5::Kind::DeleteMarker);
    EXPECT_TRUE(view->isModified());
    EXPECT_FALSE(frame->action(h5::Cmd::Redo)->isEnabled());

    ASSERT_TRUE(frame->runCommand(h5::Cmd::Undo));
    ASSERT_EQ(view->elements().size(), 2u);
    EXPECT_EQ(view->elements()[1].m_nKind, h5::Kind::HollowRect);
    EXPECT_EQ(view->elements()[1].m_ptStart, QPoint(100, 100));

    ASSERT_TRUE(frame->runCommand(h5::Cmd::Redo));
    ASSERT_EQ(view->elements().size(), 2u);
    EXPECT_EQ(view->elements()[1].m_nKind, h5::Kind::DeleteMarker);
}

// ---- forms of the control tools ------------------------------------------------------------

TEST_F(ViewTest, ControlToolFormAnswerIsNotHonoured)
{
    const struct
    {
        bool accept;
        size_t elements;
    } cases[] = {{true, 1}, {false, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.accept);
        view = openView();
        ASSERT_NE(view, nullptr);
        int opened = 0;
        prompts.onForm<h5::PropertyForm>([&](h5::PropertyForm &) {
            ++opened;
            return c.accept;
        });
        ASSERT_TRUE(frame->runCommand(h5::Cmd::ToolBar));
        press({130, 60});
        moveTo({80, 50});
        ASSERT_TRUE(view->band().has_value()); // the dotted band follows the pointer
        EXPECT_TRUE(view->band()->dotted);
        moveTo({30, 40});
        release({30, 40});

        EXPECT_EQ(opened, 1);
        EXPECT_FALSE(view->band().has_value());
        ASSERT_EQ(view->elements().size(), c.elements);
        if (c.accept) {
            const h5::CGraph &e = view->elements().front();
            EXPECT_EQ(e.m_nKind, h5::Kind::BarCtrl);
            EXPECT_EQ(e.m_ptStart, QPoint(30, 40)); // ordered start and end
            EXPECT_EQ(e.m_ptEnd, QPoint(130, 60));
            EXPECT_EQ(e.m_nCtrlID, 0);
            EXPECT_TRUE(view->isModified());
        }
    }
}

} // namespace

namespace {

class ViewCommandTest : public ViewTest {};

TEST_F(ViewCommandTest, DoubleClickMissesThePropertyForm)
{
    view = openView();
    ASSERT_NE(view, nullptr);
    view->document().appendElement(h5test::element(h5::Kind::SolidRect, 0, {10, 10}, {30, 30}));
    int opened = 0;
    prompts.onForm<h5::PropertyForm>([&](h5::PropertyForm &) {
        ++opened;
        return false;
    });
    // What a double click delivers: press, release, double click, release.
    press({20, 20});
    release({20, 20});
    mouse(QEvent::MouseButtonDblClick, {20, 20}, Qt::LeftButton);
    release({20, 20});
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(view->elements().front().m_ptStart, QPoint(10, 10));
}

// The characters tool on a fresh view: its form opens at 16 dots, so the
// user's first Chinese text is taken, not refused for the 8-dot font.
TEST_F(ViewCommandTest, FirstChineseTextOfAFreshViewIsRefused)
{
    view = openView();
    ASSERT_NE(view, nullptr);
    bool sixteen = false;
    prompts.onForm<h5::PropertyForm>([&](h5::PropertyForm &f) {
        if (auto *size = f.findChild<QAbstractButton *>(QStringLiteral("size1")))
            sixteen = size->isChecked();
        f.findChild<QPlainTextEdit *>(QStringLiteral("text"))->setPlainText(QStringLiteral("温度"));
        return f.tryAccept();
    });
    ASSERT_TRUE(frame->runCommand(h5::Cmd::ToolText));
    drag({10, 10}, {80, 10});
    EXPECT_TRUE(sixteen);
    EXPECT_TRUE(prompts.messagesFrom("h5::PropertyForm").isEmpty())
        << prompts.messagesFrom("h5::PropertyForm").join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(prompts.messages.isEmpty());
    ASSERT_EQ(view->elements().size(), 1u);
    EXPECT_EQ(view->elements().front().m_nKind, h5::Kind::Text);
    EXPECT_EQ((view->elements().front().m_nAttr >> 8) & 0xFF, 9);
}

// After the property form, OK or Cancel, nothing is selected any more:
// Delete, the arrow keys and a second edit need a new click.
TEST_F(ViewCommandTest, PropertyFormLeavesTheElementSelected)
{
    const struct
    {
        const char *name;
        bool accept;
    } cases[] = {{"cancelled", false}, {"accepted", true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        view = openView();
        ASSERT_NE(view, nullptr);
        view->document().appendElement(h5test::element(h5::Kind::SolidRect, 0, {10, 10}, {30, 30}));
        view->refresh();
        prompts.onForm<h5::PropertyForm>([&](h5::PropertyForm &dlg) {
            return c.accept && dlg.tryAccept();
        });
        press({20, 20});
        release({20, 20});
        mouse(QEvent::MouseButtonDblClick, {20, 20}, Qt::LeftButton);
        release({20, 20});
        EXPECT_FALSE(view->editState().selected);
        EXPECT_FALSE(frame->action(h5::Cmd::Delete)->isEnabled());
        EXPECT_FALSE(frame->action(h5::Cmd::ElementEdit)->isEnabled());
        EXPECT_FALSE(frame->runCommand(h5::Cmd::Delete));
        key(Qt::Key_Right);
        ASSERT_EQ(view->elements().size(), 1u);
        EXPECT_EQ(view->elements().front().m_nKind, h5::Kind::SolidRect);
        EXPECT_EQ(view->elements().front().m_ptStart, QPoint(10, 10));
    }
}

TEST_F(ViewCommandTest, ExportCommandsWriteSomethingElseOrElsewhere)
{
    view = openView();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(frame->runCommand(h5::Cmd::ToolHollowRect));
    drag({10, 10}, {60, 40});
    struct Case { int command; QString file; QByteArray bytes; };
    const Case cases[] = {
        {h5::Cmd::ExportText, h5::exportTextFileName(1), h5::exportTextBytes(view->page())},
        {h5::Cmd::ExportIds, h5::exportIdsFileName(1), h5::exportIdsBytes(view->page())},
    };
    for (const Case &c : cases) {
        prompts.messages.clear();
        const QString path = app->project().dir + QLatin1Char('/') + c.file;
        ASSERT_TRUE(frame->runCommand(c.command)) << c.command;
        ASSERT_FALSE(prompts.messages.isEmpty());
        EXPECT_EQ(prompts.messages.first(), h5::exportSavedToText() + path);
        EXPECT_EQ(h5test::readAll(path), c.bytes) << c.file.toStdString();
    }
}

// A page view shrunk below its page and scrolled, with an element selected
// and the grid on: everything the window shows that the page is not.
class BitmapExportTest : public ViewCommandTest
{
protected:
    void SetUp() override
    {
        ViewCommandTest::SetUp();
        view = openView();
        ASSERT_NE(view, nullptr);
        h5::CGraph red = h5test::element(h5::Kind::SolidRect, 0, {100, 100}, {160, 150});
        red.m_crColor1 = h5::RGB(255, 0, 0);
        view->document().appendElement(red);
        view->document().appendElement(h5test::element(h5::Kind::HollowRect, 0, {5, 5}, {40, 30}));
        view->document().select(1);
        ASSERT_TRUE(frame->runCommand(h5::Cmd::ShowGrid));
        view->setGridSpacing(10, 10);
        view->refresh();
        auto *window = qobject_cast<QMdiSubWindow *>(view->parentWidget());
        ASSERT_NE(window, nullptr);
        window->setFixedSize(200, 160);
        QCoreApplication::processEvents();
        view->horizontalScrollBar()->setValue(100);
        view->verticalScrollBar()->setValue(100);
        ASSERT_EQ(view->horizontalScrollBar()->value(), 100);
        ASSERT_EQ(view->verticalScrollBar()->value(), 100);
    }

    QString path(const QString &name) const { return dir.filePath(name); }
};

TEST_F(BitmapExportTest, PageBitmapTakesTheWindowInsteadOfThePage)
{
    prompts.bitmapFile = path(QStringLiteral("whole"));
    ASSERT_TRUE(frame->runCommand(h5::Cmd::ExportBitmap));
    EXPECT_TRUE(prompts.messages.isEmpty()) << prompts.messages.join(QLatin1Char('|')).toStdString();

    // Written under the name with ".bmp" added, as the page alone.
    QImage written(path(QStringLiteral("whole.bmp")), "BMP");
    ASSERT_FALSE(written.isNull());
    EXPECT_EQ(written.size(), QSize(320, 240));
    h5::RenderOptions options;
    options.resolution = app->resolution();
    const QImage expected = h5::pageBitmap(view->page(), options);
    EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32), expected);
    EXPECT_EQ(written.pixelColor(120, 120), QColor(255, 0, 0));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("whole"))));
}

TEST_F(BitmapExportTest, ScreenshotCopiesThePageInsteadOfTheWindow)
{
    prompts.screenshotAnswer = h5::ScreenshotValues{10, 20, 60, 50};
    prompts.bitmapFile = path(QStringLiteral("cut.bmp"));
    const QImage shown = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_TRUE(frame->runCommand(h5::Cmd::Screenshot));
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_EQ(prompts.offeredScreenshot->right, 0); // the form starts at zeros

    QImage written(path(QStringLiteral("cut.bmp")), "BMP");
    ASSERT_FALSE(written.isNull());
    EXPECT_EQ(written.size(), QSize(50, 30));
    EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32), shown.copy(10, 20, 50, 30));
    // Window pixel (13, 23) is page pixel (113, 123): inside the red box,
    // between grid points.
    EXPECT_EQ(written.pixelColor(3, 3), QColor(255, 0, 0));
}

TEST_F(BitmapExportTest, BitmapCommandsWriteWhenTheyShouldNot)
{
    const QString file = path(QStringLiteral("none.bmp"));
    struct Case
    {
        const char *what;
        int command;
        std::optional<h5::ScreenshotValues> area;
        QString chosen;
        int asked; // save dialogs shown
    };
    const Case cases[] = {
        {"page bitmap, save dialog cancelled", h5::Cmd::ExportBitmap, std::nullopt, QString(), 1},
        {"screenshot form cancelled", h5::Cmd::Screenshot, std::nullopt, file, 0},
        {"screenshot, save dialog cancelled", h5::Cmd::Screenshot, h5::ScreenshotValues{0, 0, 10, 10}, QString(), 1},
        {"screenshot corners reversed", h5::Cmd::Screenshot, h5::ScreenshotValues{50, 40, 10, 10}, file, 1},
        {"screenshot without height", h5::Cmd::Screenshot, h5::ScreenshotValues{0, 10, 50, 10}, file, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        prompts.bitmapFileAsked = 0;
        prompts.screenshotAnswer = c.area;
        prompts.bitmapFile = c.chosen;
        ASSERT_TRUE(frame->runCommand(c.command));
        EXPECT_EQ(prompts.bitmapFileAsked, c.asked);
        EXPECT_FALSE(QFileInfo::exists(file));
        EXPECT_TRUE(prompts.messages.isEmpty());
    }
}

TEST_F(BitmapExportTest, UnwritableBitmapPathReportsTheBitmapErrorOnce)
{
    const QString missingDir = path(QStringLiteral("no such folder/p.bmp"));
    for (int command : {int(h5::Cmd::ExportBitmap), int(h5::Cmd::Screenshot)}) {
        SCOPED_TRACE(command);
        prompts.messages.clear();
        prompts.screenshotAnswer = h5::ScreenshotValues{0, 0, 20, 20};
        prompts.bitmapFile = missingDir;
        ASSERT_TRUE(frame->runCommand(command));
        EXPECT_EQ(prompts.messages, QStringList{h5::bitmapErrorText()});
        // Nothing is made on the way: no folder, no file.
        EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("no such folder"))));
    }
}

TEST_F(ViewCommandTest, PageSettingsCommandLeavesTheOldNumberBehind)
{
    view = openView();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->pageName(), QStringLiteral("1"));
    prompts.pageAnswer = [](h5::NewPageValues &v) { v.pageNo = 7; };
    ASSERT_TRUE(frame->runCommand(h5::Cmd::PageSettings));
    EXPECT_EQ(prompts.offeredPage->pageNo, 1);
    EXPECT_EQ(view->settings().m_nPageNo, 7);
    EXPECT_EQ(view->title(), QStringLiteral("7.wlp"));
    EXPECT_EQ(view->filePath(), app->project().pagePath(7));
    EXPECT_TRUE(QFileInfo::exists(app->project().pagePath(7)));
    EXPECT_FALSE(QFileInfo::exists(app->project().pagePath(1)));
    EXPECT_FALSE(view->isModified()); // saved at once
}

TEST_F(ViewCommandTest, RenumberOrDeleteWithOtherPagesOpenDisturbsThem)
{
    // Pages 1, 2 and 3 open, each with one line; page 3 holds an unsaved
    // change that must survive both commands.
    h5::CMyView *one = openView();
    h5::CMyView *two = openView();
    h5::CMyView *three = openView();
    ASSERT_TRUE(one && two && three);
    for (h5::CMyView *v : {one, two, three}) {
        v->document().appendElement(h5test::element(h5::Kind::Line, 0, {1, 1}, {30, 30}));
        ASSERT_TRUE(v->save());
    }
    three->document().appendElement(h5test::element(h5::Kind::Line, 0, {5, 5}, {50, 50}));
    three->setModified(true);
    const QByteArray threeFile = h5test::readAll(app->project().pagePath(3));
    const QString wgc = app->project().file;
    auto slot = [&](int n) { return h5test::toHex(h5test::readAll(wgc).mid(6 + n * 100, 2)); };

    // Page 1 becomes page 2, replacing it: page 2's window goes, page 1's
    // view is page 2 now, page 3 is untouched.
    frame->activatePageView(one);
    prompts.answer = true;
    prompts.pageAnswer = [](h5::NewPageValues &v) { v.pageNo = 2; };
    ASSERT_TRUE(frame->runCommand(h5::Cmd::PageSettings));
    h5test::processDeletes();
    EXPECT_EQ(prompts.questions, QStringList{QStringLiteral("第2幅画面已存在，是否覆盖?")});
    EXPECT_EQ(titles(), (QStringList{QStringLiteral("2.wlp"), QStringLiteral("3.wlp")}));
    EXPECT_EQ(frame->pageViews(), (QList<h5::CMyView *>{one, three}));
    EXPECT_EQ(one->filePath(), app->project().pagePath(2));
    EXPECT_FALSE(QFileInfo::exists(app->project().pagePath(1)));
    EXPECT_EQ(slot(1), "00 00");
    EXPECT_EQ(slot(2), "03 00");
    EXPECT_EQ(slot(3), "04 00");
    EXPECT_TRUE(three->isModified());
    EXPECT_EQ(three->elements().size(), 2u);
    EXPECT_EQ(h5test::readAll(app->project().pagePath(3)), threeFile);

    // Deleting page 2 from the project closes its window only.
    prompts.questions.clear();
    frame->activatePageView(one);
    ASSERT_TRUE(frame->runCommand(h5::Cmd::DeletePage));
    h5test::processDeletes();
    EXPECT_EQ(prompts.questions, QStringList{QStringLiteral("确定删除此页面?")});
    EXPECT_EQ(titles(), QStringList{QStringLiteral("3.wlp")});
    EXPECT_FALSE(QFileInfo::exists(app->project().pagePath(2)));
    EXPECT_FALSE(QFileInfo::exists(app->project().instructionPath(2)));
    EXPECT_EQ(slot(2), "00 00");
    EXPECT_EQ(slot(3), "04 00");
    EXPECT_TRUE(three->isModified());
    EXPECT_EQ(h5test::readAll(app->project().pagePath(3)), threeFile);
    EXPECT_TRUE(prompts.saveQuestions.isEmpty());
}

} // namespace

namespace {

TEST_F(ViewCommandTest, BitmapToolPlacesThePictureWrongOrWithoutItsCopy)
{
    view = openView();
    ASSERT_NE(view, nullptr);
    const QString source = pictureFile(QStringLiteral("logo.bmp"), 40, 30, Qt::green);

    const struct
    {
        QString file; // the file dialog's answer, empty: Cancel
        bool accept;  // the bitmap form's answer
        int forms;
        size_t elements;
    } cases[] = {
        {QString(), true, 0, 0},
        {source, false, 1, 0},
        {source, true, 1, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE((c.file + QString::number(c.accept)).toStdString());
        prompts.pictureFile = c.file;
        int forms = 0;
        prompts.onForm<h5::PropertyForm>([&](h5::PropertyForm &) {
            ++forms;
            return c.accept;
        });
        ASSERT_TRUE(frame->runCommand(h5::Cmd::ToolBitmap));
        press({50, 60});
        release({50, 60});
        EXPECT_EQ(forms, c.forms);
        ASSERT_EQ(view->elements().size(), c.elements);
    }
    const h5::CGraph &e = view->elements().front();
    EXPECT_EQ(e.m_nKind, h5::Kind::Bitmap);
    EXPECT_EQ(e.m_ptStart, QPoint(50, 60));
    EXPECT_EQ(e.m_ptEnd, QPoint(90, 90)); // the picture's own size
    EXPECT_EQ(e.m_nNumber, 0);            // the first free picture record
    EXPECT_EQ(e.m_nAttr, 1);              // one 132 KiB block
    EXPECT_EQ(e.m_strText1, "logo.bmp");
    EXPECT_EQ(e.m_strText3, "logo");
    EXPECT_TRUE(QFileInfo::exists(app->project().picturesDir() + QStringLiteral("/logo.bmp")));
}

// The picture position file went missing: the bitmap tool must not leave
// a file behind that every later page save refuses, and the page saves.
TEST_F(ViewCommandTest, BitmapToolWithoutPositionFileBreaksEverySave)
{
    view = openView();
    ASSERT_NE(view, nullptr);
    const QString source = pictureFile(QStringLiteral("logo.bmp"), 40, 30, Qt::green);
    const QString positions = app->project().positionFilePath();
    ASSERT_TRUE(QFile::remove(positions));

    prompts.pictureFile = source;
    prompts.onForm<h5::PropertyForm>([](h5::PropertyForm &) { return true; });
    ASSERT_TRUE(frame->runCommand(h5::Cmd::ToolBitmap));
    press({50, 60});
    release({50, 60});
    ASSERT_EQ(view->elements().size(), 1u);
    EXPECT_EQ(view->elements().front().m_nNumber, 0);
    EXPECT_FALSE(QFileInfo::exists(positions) && QFileInfo(positions).size() < h5::kSlotAreaSize);
    EXPECT_TRUE(view->save());
    EXPECT_TRUE(prompts.messages.isEmpty()) << prompts.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_GE(QFileInfo(positions).size(), qint64(h5::kSlotAreaSize));
}

// A picture that cannot be copied into the project is said so and not
// placed: a page pointing at a copy that is not there builds wrong.
TEST_F(ViewCommandTest, BitmapToolIgnoresAFailedCopy)
{
    view = openView();
    ASSERT_NE(view, nullptr);
    const QString source = pictureFile(QStringLiteral("logo.bmp"), 40, 30, Qt::green);
    // The picture folder is a plain file: nothing can be copied into it.
    const QString pictures = app->project().picturesDir();
    ASSERT_TRUE(QDir(pictures).removeRecursively());
    ASSERT_TRUE(h5test::writeRaw(pictures, "x"));

    prompts.pictureFile = source;
    prompts.onForm<h5::PropertyForm>([](h5::PropertyForm &) { return true; });
    ASSERT_TRUE(frame->runCommand(h5::Cmd::ToolBitmap));
    press({50, 60});
    release({50, 60});
    EXPECT_TRUE(view->elements().empty());
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages.first().startsWith(QStringLiteral("无法放置位图!")))
        << prompts.messages.first().toStdString();
}

} // namespace

namespace {

TEST_F(ViewCommandTest, PickedColourDoesNotBecomeThePen)
{
    view = openView();
    ASSERT_NE(view, nullptr);
    h5::CGraph rect = h5test::element(h5::Kind::SolidRect, 0, {10, 10}, {40, 40});
    rect.m_crColor1 = h5::RGB(200, 30, 40);
    view->document().appendElement(rect);
    view->refresh();

    ASSERT_TRUE(frame->runCommand(h5::Cmd::ToolPickColour));
    press({20, 20});
    release({20, 20});
    EXPECT_EQ(view->tool(), h5::Tool::Pointer); // one pick, then the pointer again
    ASSERT_TRUE(frame->runCommand(h5::Cmd::ToolLine));
    drag({100, 100}, {150, 120});
    ASSERT_EQ(view->elements().size(), 2u);
    EXPECT_EQ(view->elements().back().m_crColor1, h5::RGB(200, 30, 40));
}

} // namespace

namespace {

// A pointer control names its dial picture, but the terminal shows the
// control only over a bitmap of that picture on the same page: after the
// pointer form the view offers to place it, centred under the control.
TEST_F(ViewCommandTest, PointerControlWithoutItsDialOnThePageIsOfferedTheDial)
{
    const QString dial = pictureFile(QStringLiteral("dial.bmp"), 60, 40, Qt::blue);
    const QString needle = dir.filePath(QStringLiteral("needle.MGL"));
    QString error;
    ASSERT_TRUE(h5::savePointerFile(needle, h5::makePointerHeader(30, 5, 0, 180), &error))
        << error.toStdString();

    for (const bool agreed : {false, true}) {
        SCOPED_TRACE(agreed ? "agreed" : "declined");
        view = openView();
        ASSERT_NE(view, nullptr);
        prompts.questions.clear();
        prompts.answer = agreed;
        prompts.onForm<h5::PropertyForm>([&](h5::PropertyForm &f) {
            auto *form = qobject_cast<h5::PointerControlForm *>(&f);
            if (!form)
                return false;
            form->loadPointer(needle);
            form->chooseDial(dial);
            return f.tryAccept();
        });
        ASSERT_TRUE(frame->runCommand(h5::Cmd::ToolPointerCtrl));
        press({100, 100});
        release({100, 100});
        ASSERT_TRUE(prompts.messagesFrom("h5::PropertyForm").isEmpty())
            << prompts.messagesFrom("h5::PropertyForm").join(QLatin1Char('|')).toStdString();
        ASSERT_EQ(prompts.questions.size(), 1);
        EXPECT_TRUE(prompts.questions.first().contains(QStringLiteral("dial.bmp")))
            << prompts.questions.first().toStdString();
        if (!agreed) {
            ASSERT_EQ(view->elements().size(), 1u);
            EXPECT_EQ(view->elements().front().m_nKind, h5::Kind::PointerCtrl);
            // Still without its dial, the control's property form asks again.
            prompts.onForm<h5::PropertyForm>([](h5::PropertyForm &f) { return f.tryAccept(); });
            ASSERT_TRUE(frame->runCommand(h5::Cmd::ToolPointer));
            press({100, 100});
            release({100, 100});
            ASSERT_TRUE(frame->runCommand(h5::Cmd::ElementEdit));
            EXPECT_EQ(prompts.questions.size(), 2);
            continue;
        }
        // The dial first (drawn under the control), centred on the gauge.
        ASSERT_EQ(view->elements().size(), 2u);
        const h5::CGraph &bitmap = view->elements()[0];
        const h5::CGraph &pointer = view->elements()[1];
        EXPECT_EQ(bitmap.m_nKind, h5::Kind::Bitmap);
        EXPECT_EQ(pointer.m_nKind, h5::Kind::PointerCtrl);
        EXPECT_EQ(bitmap.m_ptStart, QPoint(70, 80));
        EXPECT_EQ(bitmap.m_ptEnd, QPoint(130, 120));
        EXPECT_EQ(bitmap.m_strText1, "dial.bmp");
        EXPECT_TRUE(QFileInfo::exists(app->project().picturesDir() + QStringLiteral("/dial.bmp")));
        EXPECT_TRUE(view->isModified());

        // The page compiles the control now, and editing it again asks
        // nothing more.
        prompts.messages.clear();
        EXPECT_TRUE(view->save());
        EXPECT_TRUE(prompts.messages.isEmpty())
            << prompts.messages.join(QLatin1Char('|')).toStdString();
        prompts.questions.clear();
        prompts.onForm<h5::PropertyForm>([](h5::PropertyForm &f) { return f.tryAccept(); });
        ASSERT_TRUE(frame->runCommand(h5::Cmd::ToolPointer));
        // (The dial is picked at the gauge's centre, the control above it.)
        press({100, 65});
        release({100, 65});
        ASSERT_NE(view->editState().selectedElement(), nullptr);
        EXPECT_EQ(view->editState().selectedElement()->m_nKind, h5::Kind::PointerCtrl);
        ASSERT_TRUE(frame->runCommand(h5::Cmd::ElementEdit));
        EXPECT_TRUE(prompts.questions.isEmpty());
        EXPECT_EQ(view->elements().size(), 2u);
    }
    EXPECT_TRUE(prompts.messagesFrom("h5::PropertyForm").isEmpty())
        << prompts.messagesFrom("h5::PropertyForm").join(QLatin1Char('|')).toStdString();
}

} // namespace
