#include "edit/GridSnap.h"

#include "edit/EditGeometry.h"

#include <cstdint>

namespace h5 {

int parseGridSpacing(const QString &text)
{
    int i = 0;
    const int n = int(text.size());
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    int64_t v = 0;
    for (; i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        v = v * 10 + (text[i].unicode() - '0');
        if (v > INT32_MAX)
            return 0;
    }
    return int(negative ? -v : v);
}

int roundToGrid(int v, int g)
{
    if (g < 1)
        return v;
    int64_t q = int64_t(v) / g;
    int64_t rem = int64_t(v) - q * g;
    if (rem < 0) {
        --q;
        rem += g;
    }
    return int(rem < g / 2 ? q * g : (q + 1) * g);
}

std::pair<QPoint, QPoint> snapMove(QPoint first, QPoint second, int gx, int gy)
{
    const int x = roundToGrid(first.x(), gx);
    const int y = roundToGrid(first.y(), gy);
    // The second point of an element from a page file may lie anywhere in
    // the 32-bit range: it moves by a wrapping sum.
    return {QPoint(x, y), wrappedAdd(second, wrappedSub(QPoint(x, y), first))};
}

std::vector<QPoint> gridPoints(QSize canvas, int gx, int gy)
{
    std::vector<QPoint> points;
    if (gx < 1 || gy < 1 || canvas.width() <= 0 || canvas.height() <= 0)
        return points;
    const int nx = canvas.width() / gx;
    const int ny = canvas.height() / gy;
    points.reserve(std::size_t(nx) * std::size_t(ny));
    for (int j = 1; j <= ny; ++j) {
        for (int i = 1; i <= nx; ++i)
            points.emplace_back(gx * i, gy * j);
    }
    return points;
}

} // namespace h5
