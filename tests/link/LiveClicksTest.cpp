// Clicks on the simulated screen: which shapes they finish, with which
// points, and what a click outside the screen does.

#include "link/LiveClicks.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace h5;

namespace {

// One step of a click sequence: move to a point (on a 320 x 240 screen) and
// click there.
struct Click
{
    int x, y;
};

struct Sent
{
    QPoint start, end;
    bool operator==(const Sent &o) const { return start == o.start && end == o.end; }
};

std::ostream &operator<<(std::ostream &os, const Sent &s)
{
    return os << "(" << s.start.x() << "," << s.start.y() << ")-(" << s.end.x() << "," << s.end.y() << ")";
}

} // namespace

TEST(LiveClicks, ClickSequencesFinishTheirShapes)
{
    struct Case
    {
        const char *name;
        LiveShape shape;
        std::vector<Click> clicks;
        std::vector<Sent> sent;
    } cases[] = {
        {"a point fires on every click", LiveShape::Point, {{5, 6}, {7, 8}}, {{{5, 6}, {0, 0}}, {{7, 8}, {0, 0}}}},
        {"text fires at the clicked point", LiveShape::Text, {{30, 40}}, {{{30, 40}, {0, 0}}}},
        {"a line takes two clicks, then starts anew", LiveShape::Line, {{1, 2}, {3, 4}, {5, 6}},
         {{{1, 2}, {3, 4}}}},
        {"three polyline clicks send two joined segments", LiveShape::Polyline, {{1, 1}, {10, 1}, {10, 10}},
         {{{1, 1}, {10, 1}}, {{10, 1}, {10, 10}}}},
        {"rectangle corners are ordered", LiveShape::HollowRect, {{50, 60}, {10, 20}}, {{{10, 20}, {50, 60}}}},
        {"filled ellipse corners are ordered per axis", LiveShape::FilledEllipse, {{50, 20}, {10, 60}},
         {{{10, 20}, {50, 60}}}},
        {"circle points stay as clicked", LiveShape::HollowCircle, {{50, 60}, {10, 20}}, {{{50, 60}, {10, 20}}}},
        {"a click outside restarts the shape", LiveShape::Line, {{1, 2}, {400, 5}, {3, 4}, {5, 6}},
         {{{3, 4}, {5, 6}}}},
        {"a click outside ends a polyline's chain", LiveShape::Polyline,
         {{1, 1}, {2, 2}, {320, 0}, {3, 3}, {4, 4}}, {{{1, 1}, {2, 2}}, {{3, 3}, {4, 4}}}},
        {"the bottom edge is outside too", LiveShape::Point, {{0, 240}, {0, 239}}, {{{0, 239}, {0, 0}}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LiveClicks clicks;
        clicks.setShape(c.shape);
        for (const Click &k : c.clicks) {
            clicks.move(QPoint(k.x, k.y), 320, 240);
            clicks.click();
        }
        std::vector<Sent> sent;
        for (const LiveClicks::Shape &s : clicks.takeFired()) {
            EXPECT_EQ(s.shape, c.shape);
            sent.push_back({s.start, s.end});
        }
        EXPECT_EQ(sent, c.sent);
        EXPECT_TRUE(clicks.takeFired().empty()); // taken once
    }
}

TEST(LiveClicks, OutsideKeepsTheLastInsidePositionAndChangingShapeForgetsTheFirstPoint)
{
    LiveClicks clicks;
    clicks.move(QPoint(10, 11), 320, 240);
    clicks.move(QPoint(500, 11), 320, 240);
    EXPECT_TRUE(clicks.outside());
    EXPECT_EQ(clicks.position(), QPoint(10, 11));
    clicks.move(QPoint(12, 13), 320, 240);
    EXPECT_FALSE(clicks.outside());

    clicks.setShape(LiveShape::Line);
    clicks.click();
    EXPECT_TRUE(clicks.halfway());
    clicks.setShape(LiveShape::FilledRect);
    EXPECT_FALSE(clicks.halfway());
    clicks.move(QPoint(20, 30), 320, 240);
    clicks.click();
    clicks.move(QPoint(40, 50), 320, 240);
    clicks.click();
    const auto fired = clicks.takeFired();
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0].start, QPoint(20, 30)); // not the line's first point
    // A point frame afterwards carries the end of that shape.
    EXPECT_EQ(clicks.lastEnd(), QPoint(40, 50));
}
