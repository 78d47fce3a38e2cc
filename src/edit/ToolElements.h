#pragma once
// The elements the drawing tools make, and the rules around them that need
// no view: the next free control ID and which shapes vanish on release.

#include "model/CGraph.h"

#include <QPoint>
#include <string>
#include <vector>

namespace h5 {

// What a new shape takes from the view beside its points.
struct ShapeDefaults
{
    COLORREF pen = 0xFFFFFF;  // colour 1
    COLORREF fill = 0;        // colour 2
    int pictureBlocks = 1;    // attribute word (meaningful for the bitmap)
    int pictureNumber = 0;    // number word (meaningful for the bitmap)
    int sourceIndex = 0;
    std::string text1, text2, text3; // the bitmap's file name, copy path, title
};

// A shape made by a shape tool other than group box and panel: kind = the
// tool code, control ID 0, colours 1 and 2 from the pen and fill colours,
// colours 3..5 and every other number 0, the view's picture block count and
// number in the attribute and number words, and the view's source index.
CGraph newShapeElement(int tool, QPoint start, QPoint end, const ShapeDefaults &d);

// A group box or panel at the press point: light edge white, dark edge
// 0xC0C0C0, face 0xD8E9EC, border width 3 with the face filled, everything
// else 0 or empty except the source index.
CGraph newFrameElement(int tool, QPoint at, int sourceIndex);

// A shape that vanishes when its drawing gesture ends: a line or circle
// whose two points are equal, any other shape with width or height 0.
bool isZeroSizeShape(const CGraph &e);

// Control ID for a new control: the ID of the last control in list order
// (kind above 95) plus one, or 0 when the page has none.
int nextControlId(const std::vector<CGraph> &elements);

// The delete marker recording that the element at `index` was removed.
CGraph deleteMarker(int index);

} // namespace h5
