#pragma once
// Small geometry shared by the editing rules: integer distances, the radius
// of a circle element, the canvas of a resolution and the pointer position
// as the view takes it.

#include "model/CGraph.h"

#include <QPoint>
#include <QSize>
#include <QString>
#include <cstdint>

namespace h5 {

// Integer part of the square root of a non-negative number (0 for negative).
int64_t integerSqrt(int64_t v);
// Squared distance between two points, exact in 64 bits; points a page file
// puts near opposite ends of the 32-bit range give INT64_MAX.
int64_t squaredDistance(QPoint a, QPoint b);
// Integer part of the distance between two points, at most INT_MAX.
int integerDistance(QPoint a, QPoint b);

// Sums and differences of page coordinates in 32 bits that wrap around, as
// the terminal's own arithmetic does: elements read from a page file may sit
// anywhere in the 32-bit range, and moving or measuring them must not
// overflow.
inline int wrappedAdd(int a, int b) { return int(uint32_t(a) + uint32_t(b)); }
inline int wrappedSub(int a, int b) { return int(uint32_t(a) - uint32_t(b)); }
inline QPoint wrappedAdd(QPoint a, QPoint b)
{
    return QPoint(wrappedAdd(a.x(), b.x()), wrappedAdd(a.y(), b.y()));
}
inline QPoint wrappedSub(QPoint a, QPoint b)
{
    return QPoint(wrappedSub(a.x(), b.x()), wrappedSub(a.y(), b.y()));
}
// The middle of two coordinates, exact (in 64 bits), rounded toward zero.
inline int midpoint(int a, int b) { return int((int64_t(a) + b) / 2); }

// Radius of a circle element: the integer part of the distance between its
// centre (first point) and its second point. Used for every kind by the
// rules that only mean it for circles.
int circleRadius(const CGraph &e);
inline bool isCircleKind(int kind) { return kind == Kind::HollowCircle || kind == Kind::SolidCircle; }

// The page size of a resolution index. An unknown index gives the smallest
// screen (320 x 234), so the view always has a canvas to clamp to.
QSize canvasSize(int resolutionIndex);

// The pointer in page pixels as every mouse handler takes it: clamped only
// from above (x >= width becomes width - 1, y >= height becomes
// height - 1). Coordinates left of or above the canvas stay as they are.
QPoint clampToCanvas(QPoint p, QSize canvas);

// Status bar text of the pointer position: "逻辑坐标：X=%d,Y=%d".
QString coordinateStatusText(QPoint p);

} // namespace h5
