#pragma once
// What a drag does to the selected element: one step per mouse move with
// the handle held, then the correction that keeps it on the screen.

#include "edit/GridSnap.h"
#include "model/CGraph.h"

#include <QPoint>
#include <QSize>

namespace h5 {

// Moves or resizes `e` for one mouse move with the pointer at p, by the drag
// mode of the handle held (Handles.h). Moves (modes 2, 8, 22 and the circle's
// centre 17) snap to the grid when it is shown. Resizing does not reorder
// the corners: dragging an edge past the opposite one leaves x1 > x2 or
// y1 > y2.
void dragStep(CGraph &e, int dragMode, QPoint p, const Grid &grid);

// Brings an element dragged off the screen back: a first point beyond the
// right or bottom edge puts the second point on that edge, a second point
// left of or above the page puts the first point on 0; the size is kept.
void correctBounds(CGraph &e, QSize canvas);

} // namespace h5
