#include "edit/HitTest.h"

#include "edit/EditGeometry.h"

#include <cstdint>

namespace h5 {

namespace {

bool inBox(QPoint a, QPoint b, QPoint p)
{
    return a.x() <= p.x() && p.x() < b.x() && a.y() <= p.y() && p.y() < b.y();
}

// The two points the distances of a hit are measured from: the corners of
// the square around a circle, the element's own points otherwise.
std::pair<QPoint, QPoint> definingCorners(const CGraph &e)
{
    if (isCircleKind(e.m_nKind)) {
        const int r = circleRadius(e);
        return {wrappedSub(e.m_ptStart, QPoint(r, r)), wrappedAdd(e.m_ptStart, QPoint(r, r))};
    }
    return {e.m_ptStart, e.m_ptEnd};
}

} // namespace

bool elementContains(const CGraph &e, QPoint p)
{
    if (e.m_nKind == Kind::DeleteMarker)
        return false;
    if (e.m_nKind == Kind::Line) {
        const int64_t dA = integerDistance(p, e.m_ptStart);
        const int64_t dB = integerDistance(p, e.m_ptEnd);
        const int64_t length = integerDistance(e.m_ptStart, e.m_ptEnd);
        const int64_t off = dA + dB - length;
        return off <= 3 && off >= -3;
    }
    const auto [a, b] = definingCorners(e);
    return inBox(a, b, p);
}

int hitTest(const std::vector<CGraph> &elements, QPoint p)
{
    int selected = -1;
    uint64_t d1 = 0, d2 = 0;
    for (int i = int(elements.size()) - 1; i >= 0; --i) {
        const CGraph &e = elements[std::size_t(i)];
        if (!elementContains(e, p))
            continue;
        const auto [first, second] = definingCorners(e);
        const uint64_t a = uint64_t(squaredDistance(p, first));
        const uint64_t b = uint64_t(squaredDistance(p, second));
        if ((d1 == 0 && d2 == 0) || (a < d1 && b < d2)) {
            selected = i;
            d1 = a;
            d2 = b;
        }
    }
    return selected;
}

} // namespace h5
