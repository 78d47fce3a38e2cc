// The page view's gestures without a widget: what every tool makes from a
// press, moves and a release, the forms it asks for, selection, handle
// drags with snapping and bounds, keys, the pick colour tool and the status
// text.

#include "support/TestUtil.h"

#include "edit/ToolInteraction.h"

#include <gtest/gtest.h>
#include <qnamespace.h>

using namespace h5;
using h5test::element;

namespace {

class EditTools : public ::testing::Test
{
protected:
    InteractionResult draw(int tool, QPoint from, QPoint to)
    {
        tools.setTool(tool);
        tools.press(from);
        tools.move(to);
        return tools.release(to);
    }
    // Selects the element under `at` with the pointer tool.
    void select(QPoint at)
    {
        tools.setTool(Tool::Pointer);
        tools.press(at);
        tools.release(at);
    }
    std::vector<CGraph> &list() { return state.elements(); }

    Page page;
    EditState state{page};
    ToolInteraction tools{state, QSize(800, 480)};
};

} // namespace

TEST_F(EditTools, ShapeToolsMakeTheirKindWithPenFillSourceAndPictureWords)
{
    tools.applyPalette(RGB(10, 20, 30), 0); // pen and fill
    state.sourceIndex = 4;
    const struct { int tool; QPoint from, to, a, b; } cases[] = {
        {Tool::Line, {100, 100}, {40, 160}, {100, 100}, {40, 160}},
        {Tool::HollowRect, {100, 100}, {40, 160}, {40, 100}, {100, 160}},
        {Tool::SolidRect, {100, 100}, {140, 60}, {100, 60}, {140, 100}},
        {Tool::HollowEllipse, {100, 100}, {40, 60}, {40, 60}, {100, 100}},
        {Tool::SolidEllipse, {10, 10}, {20, 30}, {10, 10}, {20, 30}},
        {Tool::HollowCircle, {100, 100}, {90, 93}, {100, 100}, {90, 93}},
        {Tool::SolidCircle, {100, 100}, {110, 100}, {100, 100}, {110, 100}},
    };
    for (const auto &c : cases) {
        list().clear();
        const InteractionResult r = draw(c.tool, c.from, c.to);
        EXPECT_TRUE(r.modified);
        ASSERT_EQ(list().size(), 1u) << c.tool;
        const CGraph &e = list()[0];
        const CGraph expected(c.tool, 0, c.a, c.b, 1, 0, RGB(10, 20, 30), RGB(10, 20, 30), 0, 0,
                              0, 4, 0, 0, 0, 0, 0, 0, "", "", "");
        EXPECT_EQ(e, expected) << c.tool;
    }
}

TEST_F(EditTools, PressAppendsTheShapeAtOnceAndMovesStretchIt)
{
    tools.setTool(Tool::HollowRect);
    InteractionResult r = tools.press({50, 50});
    EXPECT_EQ(r.change, ElementChange::Appended);
    EXPECT_EQ(r.cursor, ViewCursor::Cross);
    ASSERT_EQ(list().size(), 1u);
    EXPECT_EQ(list()[0].m_ptStart, QPoint(50, 50));
    EXPECT_EQ(list()[0].m_ptEnd, QPoint(50, 50));
    // Moving right then back onto the start column leaves the last x.
    tools.move({80, 70});
    r = tools.move({50, 90});
    EXPECT_EQ(r.change, ElementChange::Updated);
    EXPECT_EQ(list()[0].m_ptStart, QPoint(50, 50));
    EXPECT_EQ(list()[0].m_ptEnd, QPoint(80, 90));
    tools.move({20, 30});
    EXPECT_EQ(list()[0].m_ptStart, QPoint(20, 30));
    EXPECT_EQ(list()[0].m_ptEnd, QPoint(50, 50));
}

TEST_F(EditTools, ZeroSizeShapesVanishOnRelease)
{
    const struct { const char *name; int tool; QPoint from, to; bool stays; } cases[] = {
        {"line click", Tool::Line, {10, 10}, {10, 10}, false},
        {"vertical line", Tool::Line, {10, 10}, {10, 50}, true},
        {"rectangle dragged horizontally", Tool::HollowRect, {10, 10}, {60, 10}, false},
        {"filled rectangle dragged vertically", Tool::SolidRect, {10, 10}, {10, 60}, false},
        {"ellipse click", Tool::HollowEllipse, {10, 10}, {10, 10}, false},
        {"circle click", Tool::SolidCircle, {10, 10}, {10, 10}, false},
        {"flat circle keeps its radius", Tool::HollowCircle, {10, 10}, {30, 10}, true},
        {"group box without height", Tool::GroupBox, {10, 10}, {90, 10}, false},
        {"panel", Tool::Panel, {10, 10}, {90, 40}, true},
    };
    for (const auto &c : cases) {
        list() = {element(Kind::HollowRect, 0, {0, 0}, {5, 5})};
        const InteractionResult r = draw(c.tool, c.from, c.to);
        EXPECT_EQ(list().size(), c.stays ? 2u : 1u) << c.name;
        EXPECT_EQ(r.change, c.stays ? ElementChange::None : ElementChange::Removed) << c.name;
        EXPECT_TRUE(r.modified) << c.name;
        EXPECT_EQ(list()[0], element(Kind::HollowRect, 0, {0, 0}, {5, 5})) << c.name;
    }
}

TEST_F(EditTools, GroupBoxAndPanelTakeFixedColoursAndResetThePictureNumber)
{
    tools.applyPalette(RGB(1, 2, 3), 0);
    PlacedPicture pic;
    pic.number = 9;
    pic.blocks = 2;
    pic.size = QSize(10, 10);
    tools.setTool(Tool::Bitmap);
    tools.press({0, 0});
    tools.placePicture(pic);
    list().clear();
    state.sourceIndex = 2;
    for (int tool : {Tool::GroupBox, Tool::Panel}) {
        list().clear();
        draw(tool, {60, 50}, {20, 10});
        ASSERT_EQ(list().size(), 1u);
        const CGraph expected(tool, 0, {20, 10}, {60, 50}, 0, 0, 0xFFFFFF, 0xC0C0C0, 0xD8E9EC, 0,
                              0, 2, 0, 0, 0, 0, 3, 0, "", "", "");
        EXPECT_EQ(list()[0], expected) << tool;
    }
    EXPECT_EQ(tools.pictureNumber(), 0);
}

TEST_F(EditTools, BitmapToolAsksForThePictureAndAddsNothingOnRelease)
{
    tools.applyPalette(RGB(7, 7, 7), 0);
    state.sourceIndex = 3;
    tools.setTool(Tool::Bitmap);
    const InteractionResult pressed = tools.press({30, 40});
    ASSERT_TRUE(pressed.form);
    EXPECT_EQ(pressed.form->tool, Tool::Bitmap);
    EXPECT_EQ(pressed.form->position, QPoint(30, 40));
    EXPECT_TRUE(list().empty());
    EXPECT_FALSE(tools.buttonDown());

    PlacedPicture pic;
    pic.number = 12;
    pic.blocks = 3;
    pic.position = QPoint(32, 44);
    pic.size = QSize(100, 50);
    pic.fileName = "a.bmp";
    pic.copyPath = "/p/图片文件/a.bmp";
    pic.title = "a";
    const InteractionResult placed = tools.placePicture(pic);
    EXPECT_EQ(placed.change, ElementChange::Appended);
    const CGraph expected(Kind::Bitmap, 0, {32, 44}, {132, 94}, 3, 12, RGB(7, 7, 7), RGB(7, 7, 7),
                          0, 0, 0, 3, 0, 0, 0, 0, 0, 0, "a.bmp", "a", "/p/图片文件/a.bmp");
    ASSERT_EQ(list().size(), 1u);
    EXPECT_EQ(list()[0], expected);
    EXPECT_EQ(tools.pictureNumber(), 12);
    EXPECT_EQ(tools.pictureBlocks(), 3);

    // The release of that click changes nothing, even for a zero-size picture.
    pic.size = QSize(0, 0);
    tools.press({5, 5});
    tools.placePicture(pic);
    tools.release({5, 5});
    EXPECT_EQ(list().size(), 2u);

    tools.press({5, 5});
    EXPECT_EQ(tools.cancelForm().change, ElementChange::None);
    EXPECT_EQ(list().size(), 2u);
}

TEST_F(EditTools, CharactersBandFollowsThePointerAndErasesThePreviousBand)
{
    tools.applyPalette(RGB(0, 255, 0), 0);
    tools.setTool(Tool::Characters);
    tools.press({100, 50});
    const InteractionResult first = tools.move({140, 90});
    EXPECT_FALSE(first.eraseBand);
    const Band band1{{100, 50}, {140, 66}, false, RGB(0, 255, 0)};
    EXPECT_EQ(first.drawBand, band1);
    const InteractionResult second = tools.move({60, 10});
    EXPECT_EQ(second.eraseBand, band1);
    EXPECT_EQ(second.drawBand, (Band{{100, 50}, {60, 66}, false, RGB(0, 255, 0)}));

    // The release orders the x coordinates and asks for the characters form.
    const InteractionResult r = tools.release({70, 200});
    ASSERT_TRUE(r.form);
    EXPECT_EQ(r.form->tool, Tool::Characters);
    EXPECT_EQ(r.form->position, QPoint(70, 50));
    EXPECT_EQ(r.form->text.foreground, 0xFFFFFFu);
    EXPECT_EQ(r.form->text.background, 0u);
    EXPECT_EQ(tools.endPoint(), QPoint(100, 66));
    EXPECT_TRUE(list().empty());
    // The next gesture starts without a band to erase.
    tools.press({0, 0});
    EXPECT_FALSE(tools.move({5, 5}).eraseBand);
}

TEST_F(EditTools, CharactersFormResultBecomesTheNextDefaultsAndEightDotChineseIsRefused)
{
    state.sourceIndex = 6;
    const auto text = [](const std::string &s, int attr) {
        return CGraph(Kind::Text, 0, {10, 20}, {99, 99}, attr, 0, RGB(1, 1, 1), RGB(2, 2, 2), 0, 0,
                      0, 0, 0, 0, 0, 0, 0, 0, "4", "2", s);
    };
    // An empty text adds nothing and keeps the old defaults.
    tools.acceptCharacters(text("", 3 * 256));
    EXPECT_TRUE(list().empty());
    EXPECT_EQ(tools.textState().attr, 9 * 256); // a fresh view's 16 dots

    // 8 dots with a two-byte character: refused, but the values are kept.
    const InteractionResult refused = tools.acceptCharacters(text("\xD6\xD0", 3 * 256));
    EXPECT_EQ(refused.message, QStringLiteral("8点阵无中文字符。"));
    EXPECT_TRUE(list().empty());
    EXPECT_EQ(tools.textState().attr, 3 * 256);
    EXPECT_EQ(tools.textState().columnSpacing, 4);
    EXPECT_EQ(tools.textState().lineSpacing, 2);

    const InteractionResult ok = tools.acceptCharacters(text("\xD6\xD0", 2 * 65536 + 9 * 256 + 1));
    EXPECT_EQ(ok.change, ElementChange::Appended);
    ASSERT_EQ(list().size(), 1u);
    EXPECT_EQ(list()[0].m_ptEnd, QPoint(10, 20));
    EXPECT_EQ(list()[0].m_nSource, 6);
    EXPECT_EQ(tools.textState().foreground, RGB(1, 1, 1));
    EXPECT_EQ(tools.textState().background, RGB(2, 2, 2));

    tools.setTool(Tool::Characters);
    tools.press({0, 0});
    const InteractionResult next = tools.release({0, 0});
    ASSERT_TRUE(next.form);
    EXPECT_EQ(next.form->text.attr, 2 * 65536 + 9 * 256 + 1);
    EXPECT_EQ(next.form->text.foreground, RGB(1, 1, 1));
}

TEST_F(EditTools, ControlToolsAskForTheirFormWithPositionSizeAndNextId)
{
    list() = {element(Kind::ButtonCtrl, 9, {0, 0}, {5, 5}), element(Kind::NumericCtrl, 7, {0, 0}, {5, 5}),
              element(Kind::Line, 0, {0, 0}, {5, 5})};
    const struct {
        int tool;
        QPoint from, to;
        QPoint position;
        QSize size;
    } cases[] = {
        {Tool::StringCtrl, {100, 80}, {40, 20}, {100, 80}, {-60, -60}},
        {Tool::PointerCtrl, {100, 80}, {40, 20}, {100, 80}, {-60, -60}},
        {Tool::NumericCtrl, {100, 80}, {140, 90}, {100, 80}, {40, 10}},
        {Tool::BarCtrl, {100, 80}, {40, 20}, {40, 20}, {60, 60}},
        {Tool::ImageCtrl, {100, 20}, {40, 80}, {40, 20}, {60, 60}},
        {Tool::ButtonCtrl, {10, 80}, {40, 20}, {10, 20}, {30, 60}},
    };
    for (const auto &c : cases) {
        const InteractionResult r = draw(c.tool, c.from, c.to);
        ASSERT_TRUE(r.form) << c.tool;
        EXPECT_EQ(r.form->tool, c.tool);
        EXPECT_EQ(r.form->controlId, 8) << c.tool;
        EXPECT_EQ(r.form->position, c.position) << c.tool;
        if (c.tool == Tool::BarCtrl || c.tool == Tool::ImageCtrl || c.tool == Tool::ButtonCtrl) {
            EXPECT_EQ(r.form->size, c.size) << c.tool;
        }
        EXPECT_EQ(list().size(), 3u) << "nothing is added before the form's OK";
    }
    const InteractionResult button = draw(Tool::ButtonCtrl, {0, 0}, {10, 10});
    EXPECT_EQ(button.form->borderWidth, 3);
    EXPECT_FALSE(button.form->sendCoordinates);
    EXPECT_TRUE(button.form->sendId);
}

TEST_F(EditTools, ControlBandIsDottedBlueExceptForPointerAndNumericControls)
{
    const struct { int tool; bool band; } cases[] = {
        {Tool::StringCtrl, true}, {Tool::PointerCtrl, false}, {Tool::NumericCtrl, false},
        {Tool::BarCtrl, true},    {Tool::ImageCtrl, true},    {Tool::ButtonCtrl, true},
    };
    for (const auto &c : cases) {
        tools.setTool(c.tool);
        tools.press({10, 10});
        const InteractionResult r = tools.move({50, 60});
        EXPECT_EQ(r.drawBand.has_value(), c.band) << c.tool;
        if (c.band) {
            EXPECT_EQ(*r.drawBand, (Band{{10, 10}, {50, 60}, true, 0xFF0000})) << c.tool;
        }
        tools.release({50, 60});
    }
}

TEST_F(EditTools, ControlFormResultsAreRefusedOrAppended)
{
    state.sourceIndex = 5;
    auto control = [](int kind, QPoint a, QPoint b, std::string pointer, std::string dial) {
        return CGraph(kind, 3, a, b, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "", dial, pointer);
    };
    const struct {
        const char *name;
        CGraph c;
        bool added;
        const char *message;
    } cases[] = {
        {"pointer without pointer and dial", control(Kind::PointerCtrl, {0, 0}, {9, 9}, "", ""), false,
         "请加载指针!请选择位图!"},
        {"pointer without dial", control(Kind::PointerCtrl, {0, 0}, {9, 9}, "p", ""), false, "请选择位图!"},
        {"pointer without pointer", control(Kind::PointerCtrl, {0, 0}, {9, 9}, "", "d.bmp"), false,
         "请加载指针!"},
        {"pointer complete", control(Kind::PointerCtrl, {0, 0}, {9, 9}, "p", "d.bmp"), true, ""},
        {"bar without width", control(Kind::BarCtrl, {5, 0}, {5, 9}, "", ""), false, ""},
        {"button without height", control(Kind::ButtonCtrl, {0, 5}, {9, 5}, "", ""), false, ""},
        {"image without size", control(Kind::ImageCtrl, {5, 5}, {5, 5}, "", ""), true, ""},
        {"string", control(Kind::StringCtrl, {5, 5}, {5, 5}, "", ""), true, ""},
    };
    for (const auto &c : cases) {
        list().clear();
        const InteractionResult r = tools.acceptControl(c.c);
        EXPECT_EQ(list().size(), c.added ? 1u : 0u) << c.name;
        EXPECT_EQ(r.message, QString::fromUtf8(c.message)) << c.name;
        EXPECT_EQ(r.modified, c.added) << c.name;
        if (c.added) {
            EXPECT_EQ(list()[0].m_nSource, 5) << c.name;
        }
    }
}

TEST_F(EditTools, PointerPressOnlySelectsThenAHandleDragMovesAndTheReleaseDeselects)
{
    list() = {element(Kind::HollowRect, 0, {100, 100}, {140, 120})};
    tools.setTool(Tool::Pointer);
    InteractionResult r = tools.press({110, 110});
    EXPECT_TRUE(state.selected);
    EXPECT_EQ(state.selectedIndex, 0);
    EXPECT_FALSE(tools.buttonDown());
    tools.move({200, 200});
    EXPECT_EQ(list()[0].m_ptStart, QPoint(100, 100)) << "the selecting press never drags";
    tools.release({200, 200});
    EXPECT_TRUE(state.selected);

    // Grab the centre handle (120, 110) and move.
    r = tools.press({121, 111});
    EXPECT_EQ(tools.dragMode(), DragMode::BoxMove);
    EXPECT_EQ(r.cursor, ViewCursor::Move);
    r = tools.move({220, 210});
    EXPECT_EQ(r.change, ElementChange::Updated);
    EXPECT_TRUE(r.modified);
    EXPECT_EQ(list()[0].m_ptStart, QPoint(200, 200));
    EXPECT_EQ(list()[0].m_ptEnd, QPoint(240, 220));
    r = tools.release({220, 210});
    EXPECT_FALSE(state.selected);
    EXPECT_EQ(tools.dragMode(), 0);
}

TEST_F(EditTools, PressAwayFromTheHandlesClearsTheSelectionButAFillStaysSelected)
{
    list() = {element(Kind::HollowRect, 0, {100, 100}, {140, 120}), element(Kind::Fill, 0, {0, 0}, {50, 50})};
    state.select(0);
    tools.setTool(Tool::Pointer);
    const InteractionResult r = tools.press({300, 300});
    EXPECT_FALSE(state.selected);
    EXPECT_TRUE(r.redraw);
    tools.move({310, 310});
    EXPECT_EQ(list()[0].m_ptStart, QPoint(100, 100));
    tools.release({310, 310});

    state.select(1);
    tools.press({300, 300});
    EXPECT_TRUE(state.selected);
    EXPECT_EQ(tools.dragMode(), 0);
}

TEST_F(EditTools, DraggedOffThePageTheElementComesBackWithItsSize)
{
    // Moved left of the page without a grid: second x below 0.
    list() = {element(Kind::HollowRect, 0, {100, 100}, {140, 120})};
    state.select(0);
    tools.setTool(Tool::Pointer);
    tools.press({120, 110}); // centre handle
    tools.move({-50, 110});
    EXPECT_EQ(list()[0].m_ptStart, QPoint(0, 100));
    EXPECT_EQ(list()[0].m_ptEnd, QPoint(40, 120));
    tools.release({-50, 110});

    // Moved right with a grid of 45: the pointer is clamped to x 799, the
    // first corner 790 snaps to 810, beyond the edge, and is put back so
    // that the right edge lies on it.
    list() = {element(Kind::HollowRect, 0, {100, 100}, {118, 120})};
    state.select(0);
    tools.showGrid(true, 45, 45);
    tools.press({109, 110});
    ASSERT_EQ(tools.dragMode(), DragMode::BoxMove);
    tools.move({900, 110});
    EXPECT_EQ(list()[0].m_ptStart, QPoint(782, 90));
    EXPECT_EQ(list()[0].m_ptEnd, QPoint(800, 110));
}

TEST_F(EditTools, GridMovesPutTheTopLeftCornerOnMultiplesHalvesRoundingUp)
{
    list() = {element(Kind::HollowRect, 0, {100, 100}, {140, 120})};
    state.select(0);
    tools.setTool(Tool::Pointer);
    tools.showGrid(true, 10, 10);
    tools.press({120, 110});
    tools.move({124, 113}); // first corner (104, 103)
    EXPECT_EQ(list()[0].m_ptStart, QPoint(100, 100));
    tools.move({125, 115}); // centre (120, 110): first corner (105, 105)
    EXPECT_EQ(list()[0].m_ptStart, QPoint(110, 110));
    EXPECT_EQ(list()[0].m_ptEnd, QPoint(150, 130));
}

TEST_F(EditTools, ResizedPastTheOppositeCornerTheBoxCanNoLongerBeClicked)
{
    list() = {element(Kind::HollowRect, 0, {100, 100}, {140, 120})};
    state.select(0);
    tools.setTool(Tool::Pointer);
    tools.press({140, 120}); // bottom-right handle
    EXPECT_EQ(tools.dragMode(), DragMode::BoxBottomRight);
    tools.move({80, 90});
    tools.release({80, 90});
    EXPECT_EQ(list()[0].m_ptEnd, QPoint(80, 90));
    EXPECT_FALSE(state.selected);
    tools.press({90, 95});
    EXPECT_FALSE(state.selected);
}

TEST_F(EditTools, HoverCursorShowsTheHandleUnderThePointer)
{
    list() = {element(Kind::HollowRect, 0, {100, 100}, {140, 120})};
    tools.setTool(Tool::Pointer);
    EXPECT_EQ(tools.move({120, 100}).cursor, ViewCursor::Arrow);
    state.select(0);
    const struct { QPoint p; ViewCursor c; } cases[] = {
        {{100, 100}, ViewCursor::SizeNWSE}, {{120, 100}, ViewCursor::SizeNS},
        {{140, 100}, ViewCursor::SizeNESW}, {{100, 110}, ViewCursor::SizeWE},
        {{120, 110}, ViewCursor::Move},     {{120, 130}, ViewCursor::Arrow},
    };
    for (const auto &c : cases)
        EXPECT_EQ(tools.move(c.p).cursor, c.c) << c.p.x() << "," << c.p.y();
    tools.setTool(Tool::PickColour);
    EXPECT_EQ(tools.move({300, 300}).cursor, ViewCursor::Eyedropper);
    tools.setTool(Tool::Line);
    EXPECT_EQ(tools.move({300, 300}).cursor, ViewCursor::Cross);
}

TEST_F(EditTools, CoordinatesAreClampedOnlyAtTheRightAndBottomAndShownInTheStatusBar)
{
    EXPECT_EQ(tools.move({900, 600}).status, QStringLiteral("逻辑坐标：X=799,Y=479"));
    EXPECT_EQ(tools.move({-20, -3}).status, QStringLiteral("逻辑坐标：X=-20,Y=-3"));
    draw(Tool::Line, {-10, 5}, {1000, 1000});
    ASSERT_EQ(list().size(), 1u);
    EXPECT_EQ(list()[0].m_ptStart, QPoint(-10, 5));
    EXPECT_EQ(list()[0].m_ptEnd, QPoint(799, 479));
}

TEST_F(EditTools, PickColourTakesTheShownPixelAndReturnsToThePointerTool)
{
    tools.setPixelReader([](QPoint p) { return COLORREF(p.x() * 1000 + p.y()); });
    tools.setTool(Tool::PickColour);
    const InteractionResult r = tools.press({12, 34});
    EXPECT_EQ(r.cursor, ViewCursor::Eyedropper);
    EXPECT_EQ(tools.penColour(), 12034u);
    tools.release({12, 34});
    EXPECT_EQ(tools.tool(), Tool::Pointer);
    draw(Tool::Line, {0, 0}, {5, 5});
    EXPECT_EQ(list()[0].m_crColor1, 12034u);
}

TEST_F(EditTools, ShapeToolPressClearsTheSelection)
{
    list() = {element(Kind::HollowRect, 0, {100, 100}, {140, 120})};
    state.select(0);
    tools.setTool(Tool::Characters);
    tools.press({5, 5});
    EXPECT_FALSE(state.selected);
}

TEST_F(EditTools, ArrowKeysMoveTheSelectionAndEveryKeyMarksThePageModified)
{
    list() = {element(Kind::HollowRect, 0, {10, 10}, {20, 20})};
    EXPECT_TRUE(tools.key(Qt::Key_A).modified) << "without a selection too";
    // A modifier alone (Ctrl before a zoom with the wheel) is no change.
    for (int modifier : {int(Qt::Key_Control), int(Qt::Key_Shift), int(Qt::Key_Alt)})
        EXPECT_FALSE(tools.key(modifier).modified) << modifier;
    state.select(0);
    const struct { int key; QPoint a; } cases[] = {
        {Qt::Key_Up, {10, 9}}, {Qt::Key_Left, {9, 9}}, {Qt::Key_Down, {9, 10}},
        {Qt::Key_Right, {10, 10}}, {Qt::Key_Space, {10, 10}},
    };
    for (const auto &c : cases) {
        const InteractionResult r = tools.key(c.key);
        EXPECT_TRUE(r.modified);
        EXPECT_EQ(list()[0].m_ptStart, c.a) << c.key;
        EXPECT_EQ(list()[0].m_ptEnd, c.a + QPoint(10, 10)) << c.key;
    }
    // No bounds check: a key can push an element off the page.
    state.elements()[0] = element(Kind::HollowRect, 0, {0, 0}, {5, 5});
    tools.key(Qt::Key_Left);
    EXPECT_EQ(list()[0].m_ptStart, QPoint(-1, 0));
}

TEST_F(EditTools, DoubleClickSelectsAndAsksForThePropertiesWithThePointerToolOnly)
{
    list() = {element(Kind::HollowRect, 0, {10, 10}, {20, 20})};
    tools.setTool(Tool::Line);
    EXPECT_FALSE(tools.doubleClick({15, 15}).editProperties);
    EXPECT_FALSE(state.selected);
    // The release after a double click makes nothing.
    tools.release({15, 15});
    EXPECT_EQ(list().size(), 1u);

    tools.setTool(Tool::Pointer);
    EXPECT_FALSE(tools.doubleClick({50, 50}).editProperties);
    EXPECT_TRUE(tools.doubleClick({15, 15}).editProperties);
    EXPECT_EQ(state.selectedIndex, 0);
}

TEST_F(EditTools, PaletteChangesPenAndFillAndABackgroundChangeMarksThePage)
{
    state.page.settings.m_crBack = RGB(1, 2, 3);
    InteractionResult r = tools.applyPalette(RGB(9, 9, 9), RGB(1, 2, 3));
    EXPECT_FALSE(r.modified);
    EXPECT_EQ(tools.penColour(), RGB(9, 9, 9));
    EXPECT_EQ(tools.fillColour(), RGB(9, 9, 9));
    r = tools.applyPalette(RGB(9, 9, 9), RGB(4, 5, 6));
    EXPECT_TRUE(r.modified);
    EXPECT_EQ(state.page.settings.m_crBack, RGB(4, 5, 6));
}

TEST_F(EditTools, GridTimerRedrawsOnlyWhenASpacingChanged)
{
    tools.showGrid(true, 10, 10);
    EXPECT_FALSE(tools.pollGridSpacing(10, 10).redraw);
    EXPECT_TRUE(tools.pollGridSpacing(10, 12).redraw);
    EXPECT_EQ(tools.grid().spacingY, 12);
    tools.showGrid(false, 0, 0);
    EXPECT_FALSE(tools.grid().shown);
}
