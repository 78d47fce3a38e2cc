#pragma once
// Realtime dynamic debugging: clicks on the debug window's simulated screen
// collect the points of the chosen shape, and each finished shape is sent
// on the next 100 ms tick, exactly as the drawing group's "确定" sends it.
//
// Positions are terminal coordinates. A position at or past the right or
// bottom edge of the terminal is outside: the last inside position stays
// current and a click there starts the shape again instead of finishing it.

#include "link/LiveCommands.h"

#include <QPoint>
#include <deque>

namespace h5 {

class LiveClicks
{
public:
    struct Shape
    {
        LiveShape shape = LiveShape::Point;
        QPoint start;
        QPoint end;
    };

    // The pointer moved to terminal point `p` on a screen of `width` x
    // `height`.
    void move(QPoint p, int width, int height);
    // A left click at the current position.
    void click();
    // Chooses the shape; a half-finished one is forgotten.
    void setShape(LiveShape shape);
    LiveShape shape() const { return m_shape; }

    // The shapes finished since the last tick, oldest first, each with its
    // corners ordered (x1 <= x2, y1 <= y2) for rectangles and ellipses.
    // Clicks faster than the tick are all kept, so no polyline segment is
    // lost.
    std::deque<Shape> takeFired();

    QPoint position() const { return m_position; }
    bool outside() const { return m_outside; }
    // The end point a point frame carries: the end of the last two-point
    // shape.
    QPoint lastEnd() const { return m_end; }
    // Whether the next click finishes a two-point shape.
    bool halfway() const { return m_halfway; }

private:
    void fire();

    LiveShape m_shape = LiveShape::Point;
    QPoint m_position;
    bool m_outside = false;
    bool m_halfway = false;   // the start point is taken
    bool m_chained = false;   // polyline: the next click continues from the end
    QPoint m_start;
    QPoint m_end;
    std::deque<Shape> m_fired;
};

} // namespace h5
