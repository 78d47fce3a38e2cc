#include "edit/DragRules.h"

#include "edit/EditGeometry.h"
#include "edit/Handles.h"

#include <tuple>

namespace h5 {

void dragStep(CGraph &e, int mode, QPoint p, const Grid &grid)
{
    QPoint &a = e.m_ptStart;
    QPoint &b = e.m_ptEnd;
    switch (mode) {
    case DragMode::LineStart:
    case DragMode::BoxTopLeft:
        a = p;
        break;
    case DragMode::LineEnd:
    case DragMode::BoxBottomRight:
    case DragMode::CircleTop:
    case DragMode::CircleLeft:
    case DragMode::CircleRight:
    case DragMode::CircleBottom:
        b = p;
        break;
    case DragMode::LineMove:
    case DragMode::BoxMove:
    case DragMode::CentreMove: {
        const QPoint d = wrappedSub(p, QPoint(midpoint(a.x(), b.x()), midpoint(a.y(), b.y())));
        QPoint first = wrappedAdd(a, d), second = wrappedAdd(b, d);
        if (grid.shown)
            std::tie(first, second) = snapMove(first, second, grid.spacingX, grid.spacingY);
        a = first;
        b = second;
        break;
    }
    case DragMode::BoxTop:
        a.setY(p.y());
        break;
    case DragMode::BoxTopRight:
        a.setY(p.y());
        b.setX(p.x());
        break;
    case DragMode::BoxLeft:
        a.setX(p.x());
        break;
    case DragMode::BoxRight:
        b.setX(p.x());
        break;
    case DragMode::BoxBottomLeft:
        a.setX(p.x());
        b.setY(p.y());
        break;
    case DragMode::BoxBottom:
        b.setY(p.y());
        break;
    case DragMode::CircleTopLeft:
    case DragMode::CircleTopRight:
    case DragMode::CircleBottomLeft:
    case DragMode::CircleBottomRight:
        // The corners make the radius the vertical distance to the pointer.
        b = QPoint(a.x(), p.y());
        break;
    case DragMode::CircleMove: {
        const int r = circleRadius(e);
        QPoint centre = p;
        if (grid.shown)
            centre = QPoint(roundToGrid(p.x(), grid.spacingX), roundToGrid(p.y(), grid.spacingY));
        a = centre;
        b = QPoint(wrappedAdd(centre.x(), r), centre.y());
        break;
    }
    default:
        break;
    }
}

void correctBounds(CGraph &e, QSize canvas)
{
    QPoint &a = e.m_ptStart;
    QPoint &b = e.m_ptEnd;
    const int w = wrappedSub(b.x(), a.x());
    const int h = wrappedSub(b.y(), a.y());
    if (a.x() > canvas.width()) {
        a.setX(wrappedSub(canvas.width(), w));
        b.setX(canvas.width());
    }
    if (a.y() > canvas.height()) {
        a.setY(wrappedSub(canvas.height(), h));
        b.setY(canvas.height());
    }
    if (b.x() < 0) {
        a.setX(0);
        b.setX(w);
    }
    if (b.y() < 0) {
        a.setY(0);
        b.setY(h);
    }
}

} // namespace h5
