// Drag steps of every handle, grid snapping of moves and the correction
// that brings an element dragged off the screen back.

#include "support/TestUtil.h"

#include "edit/DragRules.h"
#include "edit/Handles.h"

#include <gtest/gtest.h>

using namespace h5;
using h5test::element;

namespace {

struct StepCase
{
    const char *name;
    int kind;
    QPoint a, b;   // before
    int mode;
    QPoint p;      // pointer
    QPoint a2, b2; // after
};

const Grid kNoGrid{};

} // namespace

TEST(DragStep, EachModeMovesTheEdgesOfItsHandle)
{
    const StepCase cases[] = {
        {"line start", Kind::Line, {10, 10}, {50, 30}, 1, {0, 5}, {0, 5}, {50, 30}},
        {"line middle moves both", Kind::Line, {10, 10}, {50, 30}, 2, {40, 30}, {20, 20}, {60, 40}},
        {"line end", Kind::Line, {10, 10}, {50, 30}, 3, {70, 80}, {10, 10}, {70, 80}},
        {"top left", Kind::HollowRect, {10, 10}, {50, 30}, 4, {5, 6}, {5, 6}, {50, 30}},
        {"top", Kind::HollowRect, {10, 10}, {50, 30}, 5, {99, 6}, {10, 6}, {50, 30}},
        {"top right", Kind::HollowRect, {10, 10}, {50, 30}, 6, {60, 6}, {10, 6}, {60, 30}},
        {"left", Kind::HollowRect, {10, 10}, {50, 30}, 7, {3, 99}, {3, 10}, {50, 30}},
        {"centre moves both", Kind::HollowRect, {10, 10}, {50, 30}, 8, {31, 21}, {11, 11}, {51, 31}},
        {"right", Kind::HollowRect, {10, 10}, {50, 30}, 9, {70, 99}, {10, 10}, {70, 30}},
        {"bottom left", Kind::HollowRect, {10, 10}, {50, 30}, 10, {2, 40}, {2, 10}, {50, 40}},
        {"bottom", Kind::HollowRect, {10, 10}, {50, 30}, 11, {99, 40}, {10, 10}, {50, 40}},
        {"bottom right", Kind::HollowRect, {10, 10}, {50, 30}, 12, {60, 40}, {10, 10}, {60, 40}},
        {"bottom right past top left is not reordered", Kind::HollowRect, {10, 10}, {50, 30}, 12,
         {5, 5}, {10, 10}, {5, 5}},
        {"circle corner takes the vertical distance", Kind::HollowCircle, {50, 50}, {60, 50}, 13,
         {0, 80}, {50, 50}, {50, 80}},
        {"circle corner 21", Kind::SolidCircle, {50, 50}, {60, 50}, 21, {99, 44}, {50, 50}, {50, 44}},
        {"circle edge takes the pointer", Kind::HollowCircle, {50, 50}, {60, 50}, 14, {53, 54},
         {50, 50}, {53, 54}},
        {"circle edge 20", Kind::HollowCircle, {50, 50}, {60, 50}, 20, {41, 50}, {50, 50}, {41, 50}},
        {"circle centre keeps the radius", Kind::HollowCircle, {50, 50}, {53, 54}, 17, {100, 90},
         {100, 90}, {105, 90}},
        {"centre of characters", Kind::Text, {10, 10}, {40, 26}, 22, {35, 28}, {20, 20}, {50, 36}},
        {"move of a reversed box uses its middle", Kind::HollowRect, {50, 30}, {10, 10}, 8,
         {30, 20}, {50, 30}, {10, 10}},
    };
    for (const StepCase &c : cases) {
        CGraph e = element(c.kind, 0, c.a, c.b);
        dragStep(e, c.mode, c.p, kNoGrid);
        EXPECT_EQ(e.m_ptStart, c.a2) << c.name;
        EXPECT_EQ(e.m_ptEnd, c.b2) << c.name;
    }
}

TEST(SnapToGrid, RoundingPutsHalvesUpAndLeavesBadSpacingsAlone)
{
    const struct { int v, g, expected; } cases[] = {
        {14, 10, 10}, {15, 10, 20}, {16, 10, 20}, {0, 10, 0}, {20, 10, 20}, {9, 10, 10},
        {4, 10, 0},   {1, 5, 0},    {2, 5, 5},    {7, 5, 10}, {6, 5, 5},
        // A spacing of 1 has half = 0, so no remainder is below it.
        {7, 1, 8},
        // Left of the page the remainder is taken towards minus infinity.
        {-4, 10, 0},  {-6, 10, -10}, {-15, 10, -10},
        {13, 0, 13},  {13, -4, 13},
    };
    for (const auto &c : cases)
        EXPECT_EQ(roundToGrid(c.v, c.g), c.expected) << c.v << " on " << c.g;
}

TEST(SnapToGrid, MovedBoxLandsWithItsFirstCornerOnTheGridAndKeepsItsSize)
{
    const Grid grid{true, 10, 10};
    const struct { QPoint a, b, p, a2, b2; } cases[] = {
        // Centre (30, 20); the pointer moves it by (4, 3): first corner (14, 13).
        {{10, 10}, {50, 30}, {34, 23}, {10, 10}, {50, 30}},
        // by (5, 5): first corner (15, 15), a remainder of exactly 5 rounds up.
        {{10, 10}, {50, 30}, {35, 25}, {20, 20}, {60, 40}},
        {{10, 10}, {50, 30}, {47, 38}, {30, 30}, {70, 50}},
        // The line's middle handle snaps its first point too.
        {{3, 3}, {23, 13}, {13, 8}, {0, 0}, {20, 10}},
    };
    for (const auto &c : cases) {
        CGraph e = element(Kind::HollowRect, 0, c.a, c.b);
        dragStep(e, DragMode::BoxMove, c.p, grid);
        EXPECT_EQ(e.m_ptStart, c.a2);
        EXPECT_EQ(e.m_ptEnd, c.b2);
    }
    CGraph line = element(Kind::Line, 0, {3, 3}, {23, 13});
    dragStep(line, DragMode::LineMove, {13, 8}, grid);
    EXPECT_EQ(line.m_ptStart, QPoint(0, 0));
    EXPECT_EQ(line.m_ptEnd, QPoint(20, 10));
}

TEST(SnapToGrid, SpacingsSnapEachAxisOnItsOwn)
{
    CGraph e = element(Kind::HollowRect, 0, {0, 0}, {10, 10});
    dragStep(e, DragMode::BoxMove, {17, 24}, Grid{true, 4, 0});
    // moved first corner (12, 19): x onto 12, y left alone (no spacing).
    EXPECT_EQ(e.m_ptStart, QPoint(12, 19));
    EXPECT_EQ(e.m_ptEnd, QPoint(22, 29));

    CGraph circle = element(Kind::HollowCircle, 0, {50, 50}, {56, 58}); // r = 10
    dragStep(circle, DragMode::CircleMove, {34, 26}, Grid{true, 10, 20});
    EXPECT_EQ(circle.m_ptStart, QPoint(30, 20));
    EXPECT_EQ(circle.m_ptEnd, QPoint(40, 20));
    // Resizing never snaps.
    CGraph box = element(Kind::HollowRect, 0, {0, 0}, {10, 10});
    dragStep(box, DragMode::BoxBottomRight, {17, 23}, Grid{true, 10, 10});
    EXPECT_EQ(box.m_ptEnd, QPoint(17, 23));
}

TEST(SnapToGrid, GridDotsCoverTheCanvasFromTheFirstSpacing)
{
    EXPECT_EQ(gridPoints(QSize(30, 20), 10, 10),
              (std::vector<QPoint>{{10, 10}, {20, 10}, {30, 10}, {10, 20}, {20, 20}, {30, 20}}));
    EXPECT_EQ(gridPoints(QSize(29, 9), 10, 10), std::vector<QPoint>{});
    EXPECT_EQ(gridPoints(QSize(800, 480), 50, 1).size(), 16u * 480u);
    EXPECT_TRUE(gridPoints(QSize(800, 480), 0, 10).empty());
    EXPECT_TRUE(gridPoints(QSize(800, 480), 10, -3).empty());
}

TEST(SnapToGrid, SpacingBoxesReadAsLeadingDecimalNumbers)
{
    const struct { const char *text; int value; } cases[] = {
        {"10", 10}, {"50", 50}, {"", 0}, {"abc", 0}, {" 7x", 7}, {"-3", -3}, {"+4", 4},
        {"99999999999", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(parseGridSpacing(QString::fromUtf8(c.text)), c.value) << c.text;
}

TEST(DragBounds, ElementsDraggedOffTheScreenComeBackWithTheirSize)
{
    const QSize canvas(800, 480);
    const struct { const char *name; QPoint a, b, a2, b2; } cases[] = {
        {"first x beyond the right edge", {810, 10}, {850, 30}, {760, 10}, {800, 30}},
        {"first y beyond the bottom", {10, 500}, {50, 520}, {10, 460}, {50, 480}},
        {"second x left of the page", {-50, 10}, {-1, 30}, {0, 10}, {49, 30}},
        {"second y above the page", {10, -40}, {50, -5}, {10, 0}, {50, 35}},
        {"first x on the edge stays", {800, 10}, {840, 30}, {800, 10}, {840, 30}},
        {"second x on 0 stays", {-20, 10}, {0, 30}, {-20, 10}, {0, 30}},
        {"inside stays", {10, 10}, {50, 30}, {10, 10}, {50, 30}},
        {"reversed beyond the right edge", {850, 10}, {810, 30}, {840, 10}, {800, 30}},
    };
    for (const auto &c : cases) {
        CGraph e = element(Kind::HollowRect, 0, c.a, c.b);
        correctBounds(e, canvas);
        EXPECT_EQ(e.m_ptStart, c.a2) << c.name;
        EXPECT_EQ(e.m_ptEnd, c.b2) << c.name;
    }
}
