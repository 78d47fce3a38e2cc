// The handle table: which points of a selected element can be grabbed, in
// which order, with which drag mode and cursor; the handle squares; and the
// selection marks.

#include "support/TestUtil.h"

#include "edit/Handles.h"

#include <gtest/gtest.h>

using namespace h5;
using h5test::element;

namespace {

using C = ViewCursor;

std::vector<QPoint> pointsOf(const std::vector<Handle> &handles)
{
    std::vector<QPoint> out;
    for (const Handle &h : handles)
        out.push_back(h.point);
    return out;
}

} // namespace

TEST(HandleTable, EachKindHasItsHandlePointsModesAndCursorsInTestOrder)
{
    const std::vector<C> nineCursors = {C::SizeNWSE, C::SizeNS, C::SizeNESW, C::SizeWE, C::Move,
                                        C::SizeWE,   C::SizeNESW, C::SizeNS, C::SizeNWSE};
    const struct {
        const char *name;
        CGraph e;
        std::vector<QPoint> points;
        int firstMode;
        std::vector<C> cursors;
    } cases[] = {
        {"line", element(Kind::Line, 0, {10, 20}, {31, 41}), {{10, 20}, {20, 30}, {31, 41}}, 1,
         {C::Move, C::Move, C::Move}},
        {"rectangle", element(Kind::HollowRect, 0, {10, 20}, {31, 41}),
         {{10, 20}, {20, 20}, {31, 20}, {10, 30}, {20, 30}, {31, 30}, {10, 41}, {20, 41}, {31, 41}},
         4, nineCursors},
        {"bar graph control", element(Kind::BarCtrl, 3, {0, 0}, {4, 6}),
         {{0, 0}, {2, 0}, {4, 0}, {0, 3}, {2, 3}, {4, 3}, {0, 6}, {2, 6}, {4, 6}}, 4, nineCursors},
        // radius: integer part of sqrt(3^2 + 4^2) = 5
        {"hollow circle", element(Kind::HollowCircle, 0, {50, 60}, {53, 64}),
         {{45, 55}, {50, 55}, {55, 55}, {45, 60}, {50, 60}, {55, 60}, {45, 65}, {50, 65}, {55, 65}},
         13, nineCursors},
        {"solid circle radius 7", element(Kind::SolidCircle, 0, {20, 20}, {25, 25}),
         {{13, 13}, {20, 13}, {27, 13}, {13, 20}, {20, 20}, {27, 20}, {13, 27}, {20, 27}, {27, 27}},
         13, nineCursors},
        {"characters", element(Kind::Text, 0, {10, 10}, {41, 26}), {{25, 18}}, 22, {C::Move}},
        {"pointer control", element(Kind::PointerCtrl, 0, {0, 0}, {100, 100}), {{50, 50}}, 22, {C::Move}},
        {"numeric control", element(Kind::NumericCtrl, 0, {0, 0}, {9, 16}), {{4, 8}}, 22, {C::Move}},
        {"fill", element(Kind::Fill, 0, {0, 0}, {9, 16}), {}, 0, {}},
    };
    for (const auto &c : cases) {
        const std::vector<Handle> handles = dragHandles(c.e);
        EXPECT_EQ(pointsOf(handles), c.points) << c.name;
        ASSERT_EQ(handles.size(), c.cursors.size()) << c.name;
        for (std::size_t i = 0; i < handles.size(); ++i) {
            EXPECT_EQ(handles[i].dragMode, c.firstMode + int(i)) << c.name << " handle " << i;
            EXPECT_EQ(handles[i].cursor, c.cursors[i]) << c.name << " handle " << i;
        }
    }
}

TEST(HandleTable, HandleSquareReachesFiveLeftAndFourRight)
{
    const struct { QPoint p; bool in; } cases[] = {
        {{95, 195}, true}, {{104, 204}, true}, {{105, 200}, false}, {{100, 205}, false},
        {{94, 200}, false}, {{100, 194}, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(inHandleSquare({100, 200}, c.p), c.in) << c.p.x() << "," << c.p.y();
    EXPECT_EQ(handleSquare({100, 200}), QRect(95, 195, 10, 10));
}

TEST(HandleTable, PressTakesTheFirstOverlappingHandleAndHoverTheLast)
{
    // All nine handles of a tiny rectangle overlap at its centre.
    const CGraph tiny = element(Kind::HollowRect, 0, {0, 0}, {4, 4});
    ASSERT_TRUE(handleAt(tiny, {2, 2}));
    EXPECT_EQ(handleAt(tiny, {2, 2})->dragMode, DragMode::BoxTopLeft);
    EXPECT_EQ(hoverHandle(tiny, {2, 2})->dragMode, DragMode::BoxBottomRight);

    const CGraph smallCircle = element(Kind::HollowCircle, 0, {20, 20}, {21, 20});
    EXPECT_EQ(handleAt(smallCircle, {20, 20})->dragMode, DragMode::CircleTopLeft);
    EXPECT_EQ(hoverHandle(smallCircle, {20, 20})->dragMode, DragMode::CircleBottomRight);

    // A short line's handles overlap too; the line keeps the first.
    const CGraph shortLine = element(Kind::Line, 0, {0, 0}, {4, 0});
    EXPECT_EQ(handleAt(shortLine, {2, 0})->dragMode, DragMode::LineStart);
    EXPECT_EQ(hoverHandle(shortLine, {2, 0})->dragMode, DragMode::LineStart);

    EXPECT_FALSE(handleAt(tiny, {40, 40}));
    EXPECT_FALSE(handleAt(element(Kind::Fill, 0, {0, 0}, {4, 4}), {0, 0}));
}

TEST(HandleTable, SelectionMarksFrameEveryKindButLinesAndMarkCentreOnlyKindsAtNinePoints)
{
    const SelectionMarks line = selectionMarks(element(Kind::Line, 0, {0, 0}, {10, 10}));
    EXPECT_EQ(line.squares, (std::vector<QPoint>{{0, 0}, {5, 5}, {10, 10}}));
    EXPECT_FALSE(line.framed);

    const SelectionMarks text = selectionMarks(element(Kind::Text, 0, {10, 20}, {30, 36}));
    EXPECT_EQ(text.squares.size(), 9u);
    EXPECT_TRUE(text.framed);
    EXPECT_EQ(text.frameTopLeft, QPoint(8, 18));
    EXPECT_EQ(text.frameBottomRight, QPoint(32, 38));

    const SelectionMarks circle = selectionMarks(element(Kind::SolidCircle, 0, {50, 60}, {53, 64}));
    EXPECT_EQ(circle.squares.front(), QPoint(45, 55));
    EXPECT_EQ(circle.frameTopLeft, QPoint(43, 53));
    EXPECT_EQ(circle.frameBottomRight, QPoint(57, 67));
}
