#include "edit/EditGeometry.h"

#include "model/CTypeGraph.h"

#include <cmath>

namespace h5 {

int64_t integerSqrt(int64_t v)
{
    if (v <= 0)
        return 0;
    int64_t r = int64_t(std::sqrt(double(v)));
    // The double root can be one off for large values; settle it exactly.
    while (r * r > v)
        --r;
    while ((r + 1) * (r + 1) <= v)
        ++r;
    return r;
}

int64_t squaredDistance(QPoint a, QPoint b)
{
    const int64_t dx = int64_t(a.x()) - b.x();
    const int64_t dy = int64_t(a.y()) - b.y();
    return dx * dx + dy * dy;
}

int integerDistance(QPoint a, QPoint b) { return int(integerSqrt(squaredDistance(a, b))); }

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
