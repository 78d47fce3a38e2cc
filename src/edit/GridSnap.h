#pragma once
// The dot grid of the page view: its spacings, the points it draws and the
// snapping of moves to it.
//
// Spacings come from two boxes of the main window (1..50 with their arrows,
// but the user can type anything). A spacing that is not a positive number
// never divides: that axis then has no grid points and does not snap.
// Snapping rounds to the nearest multiple, a remainder of half the spacing
// or more rounding up; for coordinates left of or above the page the
// remainder is taken towards minus infinity, so they land on grid lines too.

#include <QPoint>
#include <QSize>
#include <QString>
#include <utility>
#include <vector>

namespace h5 {

struct Grid
{
    bool shown = false;
    int spacingX = 0;
    int spacingY = 0;
};

// A spacing box read as a decimal integer the way the view reads it: leading
// blanks and a sign, then digits up to the first other character; an empty
// or non-numeric box reads as 0.
int parseGridSpacing(const QString &text);

// v rounded to a multiple of g: v mod g < g / 2 (integer division) rounds
// down, anything else up. A spacing below 1 leaves v alone.
int roundToGrid(int v, int g);

// A moved element's two points after snapping: the first point lands on the
// nearest grid point and the second keeps its offset from it, so the element
// keeps its size.
std::pair<QPoint, QPoint> snapMove(QPoint first, QPoint second, int gx, int gy);

// The grid's dots on a canvas: (gx * i, gy * j) for i in 1..width / gx and
// j in 1..height / gy, row by row.
std::vector<QPoint> gridPoints(QSize canvas, int gx, int gy);

} // namespace h5
