// The editing rules on elements read from a page file whose points lie
// anywhere in the 32-bit range: a click, the handles, a drag, a paste of
// such an element neither overflow (the sanitizer build checks) nor go
// wrong where the result fits.

#include "support/TestUtil.h"

#include "edit/DragRules.h"
#include "edit/EditGeometry.h"
#include "edit/EditOperations.h"
#include "edit/Handles.h"
#include "edit/HitTest.h"

#include <climits>
#include <gtest/gtest.h>

using namespace h5;
using h5test::element;

namespace {

const int kKinds[] = {Kind::Line,         Kind::HollowRect,  Kind::SolidRect, Kind::HollowEllipse,
                      Kind::SolidEllipse, Kind::HollowCircle, Kind::SolidCircle, Kind::Fill,
                      Kind::Bitmap,       Kind::Text,        Kind::GroupBox,  Kind::Panel,
                      Kind::StringCtrl,   Kind::PointerCtrl, Kind::NumericCtrl, Kind::BarCtrl,
                      Kind::ImageCtrl,    Kind::TextCtrl,    Kind::ButtonCtrl, Kind::ReservedCtrl};

const QPoint kWild[][2] = {
    {{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}},
    {{INT_MAX, INT_MAX}, {INT_MIN, INT_MIN}},
    {{INT_MAX - 10, INT_MAX - 20}, {INT_MAX, INT_MAX}},
    {{INT_MIN, 7}, {INT_MIN + 3, INT_MAX}},
    {{-5, 7}, {INT_MAX, -3}},
};

} // namespace

TEST(WildCoordinatesEdit, DistancesSaturateInsteadOfOverflowing)
{
    EXPECT_EQ(squaredDistance({0, 0}, {INT_MAX, 0}), int64_t(INT_MAX) * INT_MAX);
    EXPECT_EQ(squaredDistance({INT_MIN, 0}, {INT_MAX, 0}), INT64_MAX);
    EXPECT_EQ(squaredDistance({INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}), INT64_MAX);
    EXPECT_EQ(integerSqrt(INT64_MAX), 3037000499);
    EXPECT_EQ(integerSqrt(int64_t(3037000499) * 3037000499), 3037000499);
    EXPECT_EQ(integerSqrt(int64_t(3037000499) * 3037000499 - 1), 3037000498);
    EXPECT_EQ(integerDistance({INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}), INT_MAX);
    EXPECT_EQ(integerDistance({0, 0}, {3, 4}), 5);
}

TEST(WildCoordinatesEdit, FarElementNeverTakesTheClickFromAnOrdinaryOne)
{
    const CGraph box = element(Kind::SolidRect, 0, {10, 10}, {50, 40});
    for (int kind : kKinds) {
        for (const auto &pts : kWild) {
            SCOPED_TRACE(testing::Message() << kind << " (" << pts[0].x() << ", " << pts[0].y()
                                            << ") - (" << pts[1].x() << ", " << pts[1].y() << ")");
            const CGraph wild = element(kind, 1, pts[0], pts[1]);
            EXPECT_EQ(hitTest({wild, box}, {20, 20}), 1);
            EXPECT_EQ(hitTest({box, wild}, {20, 20}), 0);
        }
    }
}

TEST(WildCoordinatesEdit, HandlesOfAFarElementSitWhereItIs)
{
    for (int kind : kKinds) {
        for (const auto &pts : kWild) {
            SCOPED_TRACE(testing::Message() << kind << " (" << pts[0].x() << ", " << pts[0].y()
                                            << ") - (" << pts[1].x() << ", " << pts[1].y() << ")");
            const CGraph wild = element(kind, 1, pts[0], pts[1]);
            const std::vector<Handle> handles = dragHandles(wild);
            for (const Handle &h : handles) {
                // Pressed where it is, every handle is found again.
                ASSERT_TRUE(handleAt(wild, h.point).has_value());
                EXPECT_FALSE(handleSquare(h.point).isEmpty());
            }
            // The marks around it are worked out without overflow.
            EXPECT_FALSE(selectionMarks(wild).squares.empty());
        }
    }
    // The middle handle of a box near the top of the range: the exact middle.
    const CGraph box = element(Kind::HollowRect, 0, {INT_MAX - 10, INT_MAX - 20}, {INT_MAX, INT_MAX});
    const std::vector<Handle> handles = dragHandles(box);
    ASSERT_EQ(handles.size(), 9u);
    EXPECT_EQ(handles[4].point, QPoint(INT_MAX - 5, INT_MAX - 10));
    EXPECT_EQ(handles[4].dragMode, DragMode::BoxMove);
    const CGraph line = element(Kind::Line, 0, {INT_MAX, 0}, {INT_MAX - 4, INT_MAX});
    EXPECT_EQ(dragHandles(line)[1].point, QPoint(INT_MAX - 2, INT_MAX / 2));
}

TEST(WildCoordinatesEdit, FarElementDraggedOntoTheScreenArrivesWhole)
{
    struct Case { const char *what; int mode; bool grid; QPoint a2, b2; };
    const Case cases[] = {
        {"moved by its middle", DragMode::BoxMove, false, {95, 90}, {105, 110}},
        {"moved onto a 20-dot grid", DragMode::BoxMove, true, {100, 100}, {110, 120}},
        {"line moved by its middle", DragMode::LineMove, false, {95, 90}, {105, 110}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        CGraph e = element(c.mode == DragMode::LineMove ? Kind::Line : Kind::HollowRect, 0,
                           {INT_MAX - 10, INT_MAX - 20}, {INT_MAX, INT_MAX});
        Grid grid;
        grid.shown = c.grid;
        grid.spacingX = grid.spacingY = 20;
        dragStep(e, c.mode, {100, 100}, grid);
        EXPECT_EQ(e.m_ptStart, c.a2);
        EXPECT_EQ(e.m_ptEnd, c.b2);
    }

    // A circle whose radius is beyond any screen moves its centre.
    CGraph circle = element(Kind::HollowCircle, 0, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX});
    dragStep(circle, DragMode::CircleMove, {30, 40}, Grid{});
    EXPECT_EQ(circle.m_ptStart, QPoint(30, 40));

    // Brought back from beyond the right edge, its size kept.
    CGraph far = element(Kind::HollowRect, 0, {INT_MAX - 10, 5}, {INT_MAX, 25});
    correctBounds(far, QSize(320, 240));
    EXPECT_EQ(far.m_ptStart, QPoint(310, 5));
    EXPECT_EQ(far.m_ptEnd, QPoint(320, 25));
}

TEST(WildCoordinatesEdit, PastedFarElementKeepsItsSize)
{
    const CGraph far = element(Kind::HollowRect, 0, {INT_MAX - 10, INT_MIN}, {INT_MAX, INT_MIN + 20});
    const CGraph pasted = pastedElement(far, 3);
    EXPECT_EQ(pasted.m_ptStart, QPoint(5, 5));
    EXPECT_EQ(pasted.m_ptEnd, QPoint(15, 25));
    const CGraph circle = element(Kind::SolidCircle, 0, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX});
    EXPECT_EQ(pastedElement(circle, 3).m_ptStart, QPoint(wrappedAdd(INT_MAX, 5), wrappedAdd(INT_MAX, 5)));
}
