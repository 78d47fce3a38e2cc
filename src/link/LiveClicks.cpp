#include "link/LiveClicks.h"

#include <algorithm>
#include <utility>

namespace h5 {

void LiveClicks::move(QPoint p, int width, int height)
{
    if (p.x() >= width || p.y() >= height) {
        m_outside = true;
        return;
    }
    m_position = p;
    m_outside = false;
}

void LiveClicks::setShape(LiveShape shape)
{
    m_shape = shape;
    m_halfway = false;
    m_chained = false;
}

void LiveClicks::click()
{
    if (m_outside) {
        // The shape starts again from its first point.
        m_halfway = false;
        m_chained = false;
        return;
    }
    switch (m_shape) {
    case LiveShape::Point:
    case LiveShape::Text:
        m_start = m_position;
        fire();
        return;
    case LiveShape::Polyline:
        if (m_chained) {
            m_start = m_end;
            m_end = m_position;
            fire();
            return;
        }
        [[fallthrough]];
    default:
        if (!m_halfway) {
            m_start = m_position;
            m_halfway = true;
            return;
        }
        m_end = m_position;
        m_halfway = false;
        m_chained = m_shape == LiveShape::Polyline;
        fire();
        return;
    }
}

void LiveClicks::fire()
{
    Shape s{m_shape, m_start, m_end};
    switch (m_shape) {
    case LiveShape::HollowRect:
    case LiveShape::FilledRect:
    case LiveShape::HollowEllipse:
    case LiveShape::FilledEllipse:
        if (s.start.x() > s.end.x()) {
            const int x = s.start.x();
            s.start.setX(s.end.x());
            s.end.setX(x);
        }
        if (s.start.y() > s.end.y()) {
            const int y = s.start.y();
            s.start.setY(s.end.y());
            s.end.setY(y);
        }
        break;
    default:
        break;
    }
    m_fired.push_back(s);
}

std::deque<LiveClicks::Shape> LiveClicks::takeFired()
{
    return std::exchange(m_fired, {});
}

} // namespace h5
