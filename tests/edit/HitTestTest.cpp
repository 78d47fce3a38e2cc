// Which element a click picks: the candidate area of each kind, the integer
// distances of lines, and the rule that lets a small element inside a large
// one be picked.

#include "support/TestUtil.h"

#include "edit/HitTest.h"

#include <gtest/gtest.h>

using namespace h5;
using h5test::element;

namespace {

struct ContainCase
{
    const char *name;
    CGraph e;
    QPoint p;
    bool hit;
};

} // namespace

TEST(HitTest, CandidateAreaOfEachKindHasInclusiveFirstAndExclusiveSecondEdge)
{
    const CGraph rect = element(Kind::HollowRect, 0, {10, 20}, {30, 40});
    const CGraph circle = element(Kind::SolidCircle, 0, {50, 50}, {53, 54}); // r = 5
    const ContainCase cases[] = {
        {"rect first corner", rect, {10, 20}, true},
        {"rect last inner pixel", rect, {29, 39}, true},
        {"rect right edge", rect, {30, 25}, false},
        {"rect bottom edge", rect, {15, 40}, false},
        {"rect left of first corner", rect, {9, 25}, false},
        {"reversed rect inside", element(Kind::HollowRect, 0, {30, 40}, {10, 20}), {20, 30}, false},
        {"reversed x only", element(Kind::SolidRect, 0, {30, 20}, {10, 40}), {20, 30}, false},
        {"circle square corner", circle, {45, 45}, true},
        {"circle square last pixel", circle, {54, 54}, true},
        {"circle square right edge", circle, {55, 50}, false},
        {"circle outside the round but inside the square", circle, {45, 54}, true},
        {"text box", element(Kind::Text, 0, {0, 0}, {40, 16}), {39, 15}, true},
        {"numeric control", element(Kind::NumericCtrl, 1, {5, 5}, {25, 21}), {5, 5}, true},
        {"pointer control", element(Kind::PointerCtrl, 1, {0, 0}, {60, 60}), {60, 0}, false},
        {"group box", element(Kind::GroupBox, 0, {0, 0}, {60, 60}), {30, 30}, true},
        {"fill seed box", element(Kind::Fill, 0, {0, 0}, {5, 5}), {2, 2}, true},
        {"delete marker", element(Kind::DeleteMarker, 0, {0, 0}, {50, 50}), {2, 2}, false},
    };
    for (const ContainCase &c : cases)
        EXPECT_EQ(elementContains(c.e, c.p), c.hit) << c.name;
}

TEST(HitTest, LineNearnessUsesIntegerSquareRoots)
{
    const CGraph line = element(Kind::Line, 0, {0, 0}, {200, 0});
    const struct { QPoint p; bool hit; } cases[] = {
        {{100, 20}, true},  // 101 + 101 - 200 = 2
        {{100, 25}, false}, // 103 + 103 - 200 = 6
        {{201, 0}, true},   // 201 + 1 - 200 = 2
        {{202, 0}, false},  // 202 + 2 - 200 = 4
        {{203, 0}, false},
        {{0, 0}, true},
        {{-1, 0}, true},
        {{-2, 0}, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(elementContains(line, c.p), c.hit) << c.p.x() << "," << c.p.y();
}

TEST(HitTest, TopmostHitWinsUnlessALowerElementIsNearerToBothCorners)
{
    const CGraph big = element(Kind::HollowRect, 0, {0, 0}, {200, 200});
    const CGraph small = element(Kind::HollowRect, 0, {50, 50}, {70, 70});
    const CGraph corner = element(Kind::HollowRect, 0, {0, 0}, {50, 50});
    const CGraph lower = element(Kind::HollowRect, 0, {0, 0}, {20, 20});
    const CGraph upper = element(Kind::HollowRect, 0, {4, 4}, {200, 200});
    const struct {
        const char *name;
        std::vector<CGraph> list;
        QPoint p;
        int expected;
    } cases[] = {
        {"small on top", {big, small}, {55, 55}, 1},
        {"small below big", {small, big}, {55, 55}, 0},
        {"only big covers the point", {small, big}, {100, 100}, 1},
        {"nearer to the second corner only keeps the top", {lower, upper}, {5, 5}, 1},
        {"equal first distance keeps the top", {corner, big}, {0, 0}, 1},
        {"nothing there", {small}, {10, 10}, -1},
        {"marker on top is skipped", {small, element(Kind::DeleteMarker, 0, {0, 0}, {200, 200})}, {55, 55}, 0},
        {"empty page", {}, {1, 1}, -1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(hitTest(c.list, c.p), c.expected) << c.name;
}

TEST(HitTest, CircleDistancesAreMeasuredFromItsSquareCorners)
{
    // A circle of radius 10 around (50, 50) below a rectangle over the same
    // area: at (45, 45) the circle's square corners (40, 40) and (60, 60)
    // are nearer than the rectangle's corners (30, 30) and (70, 70).
    const std::vector<CGraph> list = {element(Kind::HollowCircle, 0, {50, 50}, {60, 50}),
                                      element(Kind::HollowRect, 0, {30, 30}, {70, 70})};
    EXPECT_EQ(hitTest(list, {45, 45}), 0);
    // At (35, 35) only the rectangle covers the point.
    EXPECT_EQ(hitTest(list, {35, 35}), 1);
}
