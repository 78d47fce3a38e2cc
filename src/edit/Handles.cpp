#include "edit/Handles.h"

#include "edit/EditGeometry.h"

#include <algorithm>
#include <climits>
#include <cstdint>

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
    return ninePoints(x1, y1, x2, y2, midpoint(x1, x2), midpoint(y1, y2));
}

std::vector<QPoint> circlePoints(const CGraph &e)
{
    const int x = e.m_ptStart.x(), y = e.m_ptStart.y(), r = circleRadius(e);
    return ninePoints(wrappedSub(x, r), wrappedSub(y, r), wrappedAdd(x, r), wrappedAdd(y, r), x, y);
}

std::vector<QPoint> linePoints(const CGraph &e)
{
    const QPoint a = e.m_ptStart, b = e.m_ptEnd;
    return {a, {midpoint(a.x(), b.x()), midpoint(a.y(), b.y())}, b};
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

QRect handleSquare(QPoint h)
{
    // Given by its corners, so a handle at the end of the range does not
    // overflow; there it is cut short.
    const auto at = [](int64_t v) { return int(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); };
    return QRect(QPoint(at(int64_t(h.x()) - 5), at(int64_t(h.y()) - 5)),
                 QPoint(at(int64_t(h.x()) + 4), at(int64_t(h.y()) + 4)));
}

bool inHandleSquare(QPoint h, QPoint p)
{
    const int64_t dx = int64_t(p.x()) - h.x(), dy = int64_t(p.y()) - h.y();
    return -5 <= dx && dx < 5 && -5 <= dy && dy < 5;
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
        const QPoint c = e.m_ptStart;
        const int r = circleRadius(e);
        m.frameTopLeft = wrappedSub(wrappedSub(c, QPoint(r, r)), QPoint(2, 2));
        m.frameBottomRight = wrappedAdd(wrappedAdd(c, QPoint(r, r)), QPoint(2, 2));
        return m;
    }
    m.squares = boxPoints(e);
    m.frameTopLeft = wrappedSub(e.m_ptStart, QPoint(2, 2));
    m.frameBottomRight = wrappedAdd(e.m_ptEnd, QPoint(2, 2));
    return m;
}

} // namespace h5
