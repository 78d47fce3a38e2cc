#include "edit/Handles.h"

#include "edit/EditGeometry.h"

namespace h5 {

namespace {

// Cursors of the nine handles around a box or circle, in test order.
constexpr ViewCursor kNineCursors[9] = {
    ViewCursor::SizeNWSE, ViewCursor::SizeNS,   ViewCursor::SizeNESW,
    ViewCursor::SizeWE,   ViewCursor::Move,     ViewCursor::SizeWE,
    ViewCursor::SizeNESW, ViewCursor::SizeNS,   ViewCursor::SizeNWSE,
};

// The nine points of a rectangle from (l, t) to (r, b) with centre (cx, cy).
std::vector<QPoint> ninePoints(int l, int t, int r, int b, int cx, int cy)
{
    return {{l, t}, {cx, t}, {r, t}, {l, cy}, {cx, cy}, {r, cy}, {l, b}, {cx, b}, {r, b}};
}

std::vector<QPoint> boxPoints(const CGraph &e)
{
    const int x1 = e.m_ptStart.x(), y1 = e.m_ptStart.y();
    const int x2 = e.m_ptEnd.x(), y2 = e.m_ptEnd.y();
    return ninePoints(x1, y1, x2, y2, (x1 + x2) / 2, (y1 + y2) / 2);
}

std::vector<QPoint> circlePoints(const CGraph &e)
{
    const int x = e.m_ptStart.x(), y = e.m_ptStart.y(), r = circleRadius(e);
    return ninePoints(x - r, y - r, x + r, y + r, x, y);
}

std::vector<QPoint> linePoints(const CGraph &e)
{
    const QPoint a = e.m_ptStart, b = e.m_ptEnd;
    return {a, {(a.x() + b.x()) / 2, (a.y() + b.y()) / 2}, b};
}

std::vector<Handle> nine(const std::vector<QPoint> &points, int firstMode)
{
    std::vector<Handle> out;
    for (int i = 0; i < 9; ++i)
        out.push_back({points[std::size_t(i)], firstMode + i, kNineCursors[i]});
    return out;
}

bool isCentreOnlyKind(int kind)
{
    return kind == Kind::Text || kind == Kind::PointerCtrl || kind == Kind::NumericCtrl;
}

} // namespace

QRect handleSquare(QPoint h) { return QRect(h.x() - 5, h.y() - 5, 10, 10); }

bool inHandleSquare(QPoint h, QPoint p)
{
    return h.x() - 5 <= p.x() && p.x() < h.x() + 5 && h.y() - 5 <= p.y() && p.y() < h.y() + 5;
}

std::vector<Handle> dragHandles(const CGraph &e)
{
    if (e.m_nKind == Kind::Fill)
        return {};
    if (e.m_nKind == Kind::Line) {
        const std::vector<QPoint> p = linePoints(e);
        return {{p[0], DragMode::LineStart, ViewCursor::Move},
                {p[1], DragMode::LineMove, ViewCursor::Move},
                {p[2], DragMode::LineEnd, ViewCursor::Move}};
    }
    if (isCircleKind(e.m_nKind))
        return nine(circlePoints(e), DragMode::CircleTopLeft);
    if (isCentreOnlyKind(e.m_nKind))
        return {{boxPoints(e)[4], DragMode::CentreMove, ViewCursor::Move}};
    return nine(boxPoints(e), DragMode::BoxTopLeft);
}

std::optional<Handle> handleAt(const CGraph &e, QPoint p)
{
    for (const Handle &h : dragHandles(e)) {
        if (inHandleSquare(h.point, p))
            return h;
    }
    return std::nullopt;
}

std::optional<Handle> hoverHandle(const CGraph &e, QPoint p)
{
    const std::vector<Handle> handles = dragHandles(e);
    if (handles.size() != 9)
        return handleAt(e, p);
    std::optional<Handle> found;
    for (const Handle &h : handles) {
        if (inHandleSquare(h.point, p))
            found = h;
    }
    return found;
}

SelectionMarks selectionMarks(const CGraph &e)
{
    SelectionMarks m;
    if (e.m_nKind == Kind::Line) {
        m.squares = linePoints(e);
        return m;
    }
    m.framed = true;
    if (isCircleKind(e.m_nKind)) {
        m.squares = circlePoints(e);
        const int x = e.m_ptStart.x(), y = e.m_ptStart.y(), r = circleRadius(e);
        m.frameTopLeft = QPoint(x - r - 2, y - r - 2);
        m.frameBottomRight = QPoint(x + r + 2, y + r + 2);
        return m;
    }
    m.squares = boxPoints(e);
    m.frameTopLeft = e.m_ptStart - QPoint(2, 2);
    m.frameBottomRight = e.m_ptEnd + QPoint(2, 2);
    return m;
}

} // namespace h5
