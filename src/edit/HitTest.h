#pragma once
// Which element a click picks.

#include "model/CGraph.h"

#include <QPoint>
#include <vector>

namespace h5 {

// Whether p lies in the element's candidate area: for circles the square
// around the circle, for lines within 3 pixels of the line (integer
// distances), for every other kind the rectangle from the first point
// (inclusive) to the second (exclusive). A rectangle stored with its first
// point right of or below its second is never hit. Delete markers are never
// hit.
bool elementContains(const CGraph &e, QPoint p);

// The element a click at p selects, or -1. The list is scanned from the top
// (last element) down; the topmost hit wins unless an element further down
// lies nearer to p with both of its defining corners, so a small element
// inside a large one can be picked.
int hitTest(const std::vector<CGraph> &elements, QPoint p);

} // namespace h5
