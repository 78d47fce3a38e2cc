#pragma once
// Handles of a selected element: the points it can be grabbed at, in the
// order a press tests them, the drag mode each starts and the cursor shown
// over it; and the selection marks drawn around a selected element.

#include "model/CGraph.h"

#include <QPoint>
#include <QRect>
#include <optional>
#include <vector>

namespace h5 {

// Cursors of the page view. The view maps them to its platform cursors.
enum class ViewCursor {
    Arrow,
    Cross,
    Eyedropper,
    Move,     // four arrows
    SizeNWSE, // north-west / south-east
    SizeNS,   // north / south
    SizeNESW, // north-east / south-west
    SizeWE,   // west / east
};

// Which handle a drag holds. 1..3 line, 4..12 box, 13..21 circle, 22 centre.
namespace DragMode {
enum : int {
    None = 0,
    LineStart = 1,
    LineMove = 2,
    LineEnd = 3,
    BoxTopLeft = 4,
    BoxTop = 5,
    BoxTopRight = 6,
    BoxLeft = 7,
    BoxMove = 8,
    BoxRight = 9,
    BoxBottomLeft = 10,
    BoxBottom = 11,
    BoxBottomRight = 12,
    CircleTopLeft = 13,
    CircleTop = 14,
    CircleTopRight = 15,
    CircleLeft = 16,
    CircleMove = 17,
    CircleRight = 18,
    CircleBottomLeft = 19,
    CircleBottom = 20,
    CircleBottomRight = 21,
    CentreMove = 22,
};
}

struct Handle
{
    QPoint point;
    int dragMode = DragMode::None;
    ViewCursor cursor = ViewCursor::Arrow;

    bool operator==(const Handle &o) const
    {
        return point == o.point && dragMode == o.dragMode && cursor == o.cursor;
    }
};

// The square of a handle at h: left h.x - 5, top h.y - 5, 10 by 10 pixels.
QRect handleSquare(QPoint h);
// hx - 5 <= x < hx + 5 and hy - 5 <= y < hy + 5.
bool inHandleSquare(QPoint h, QPoint p);

// The handles an element can be dragged by, in the order a press tests
// them: three for a line, nine around a circle, nine around the box of most
// kinds, one at the centre of characters, pointer and numeric controls, none
// for a fill.
std::vector<Handle> dragHandles(const CGraph &e);
// A press: the first handle whose square holds p.
std::optional<Handle> handleAt(const CGraph &e, QPoint p);
// Hovering: the handle whose cursor shows at p. The nine-handle kinds let
// the last square that holds p win; the others the first.
std::optional<Handle> hoverHandle(const CGraph &e, QPoint p);

// What marks a selected element: red squares at its mark points (lines
// their three handles, circles their nine, every other kind the nine box
// points, also those only dragged at the centre) and, except for lines, a
// dotted frame from frameTopLeft to frameBottomRight (right and bottom
// exclusive, as a rectangle outline is drawn).
struct SelectionMarks
{
    std::vector<QPoint> squares;
    bool framed = false;
    QPoint frameTopLeft;
    QPoint frameBottomRight;
};
SelectionMarks selectionMarks(const CGraph &e);

} // namespace h5
