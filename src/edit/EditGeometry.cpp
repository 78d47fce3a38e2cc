#include "edit/EditGeometry.h"

#include "model/CTypeGraph.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace h5 {

int64_t integerSqrt(int64_t v)
{
    if (v <= 0)
        return 0;
    int64_t r = int64_t(std::sqrt(double(v)));
    // The double root can be one off for large values; settle it exactly,
    // by division so that no square leaves 64 bits.
    while (r > v / r)
        --r;
    while (r + 1 <= v / (r + 1))
        ++r;
    return r;
}

int64_t squaredDistance(QPoint a, QPoint b)
{
    // Each difference is below 2^32, so each square fits 64 unsigned bits;
    // only their sum can pass INT64_MAX.
    const uint64_t dx = uint64_t(std::abs(int64_t(a.x()) - b.x()));
    const uint64_t dy = uint64_t(std::abs(int64_t(a.y()) - b.y()));
    const uint64_t sum = dx * dx + dy * dy;
    const bool over = sum < dx * dx || sum > uint64_t(INT64_MAX);
    return over ? INT64_MAX : int64_t(sum);
}

int integerDistance(QPoint a, QPoint b)
{
    return int(std::min<int64_t>(integerSqrt(squaredDistance(a, b)), INT_MAX));
}

int circleRadius(const CGraph &e) { return integerDistance(e.m_ptStart, e.m_ptEnd); }

QSize canvasSize(int resolutionIndex)
{
    const QSize s = resolutionSize(resolutionIndex);
    return s.isValid() ? s : resolutionSize(0);
}

QPoint clampToCanvas(QPoint p, QSize canvas)
{
    if (p.x() >= canvas.width())
        p.setX(canvas.width() - 1);
    if (p.y() >= canvas.height())
        p.setY(canvas.height() - 1);
    return p;
}

QString coordinateStatusText(QPoint p)
{
    return QStringLiteral("逻辑坐标：X=%1,Y=%2").arg(p.x()).arg(p.y());
}

} // namespace h5
