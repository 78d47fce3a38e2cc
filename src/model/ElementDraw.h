#pragma once
// Drawing of page elements on a QPainter, so the editor shows a page the way
// the terminal will draw it. Shapes are drawn in page pixels with the
// terminal's pixel rules and no antialiasing; controls appear as simple
// placeholders, with their control ID (and bitmaps their picture number)
// when labels are asked for.
//
// Pixel rules. Points are page pixels. A rectangle or ellipse "over
// (x1, y1, x2, y2)" covers the pixels x1 .. x2 - 1 and y1 .. y2 - 1 (the
// right and bottom edge are outside), its corners taken in either order; its
// outline is the outermost ring of those pixels and its fill everything
// inside the outline. A line from A to B covers A and the pixels toward B
// but not B itself. So a hollow rectangle (10, 10, 20, 15) has its outline
// on x = 10 and x = 19, y = 10 and y = 14, and a line (10, 5)-(20, 5) covers
// x = 10 .. 19. Lines wider than one pixel have round ends. An ellipse is
// centred and sized as the compiler sends it to the terminal, centre
// (x1 + x2) / 2 and half sizes (x2 - x1) / 2 (drawEllipseSpans), so in a
// box of odd width or height it leaves out the last column or row.
//
// Text needs the GUI application (QGuiApplication) for its fonts.

#include "model/CGraph.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>
#include <vector>

class QPainter;

namespace h5 {

class Notifier;
class PictureCache;

// A bitmap's picture file that did not draw.
struct PictureProblem
{
    QString path;  // the file in the picture folder
    bool missing;  // no such file; otherwise it does not decode
};

struct DrawContext
{
    // The project's picture folder ("图片文件"); bitmaps name their file
    // inside it.
    QString picturesDir;
    // Width of the project's screen: texts wrap at it. 0 or less: no limit.
    int screenWidth = 0;
    // Decoded pictures kept between repaints; null decodes on every draw.
    PictureCache *cache = nullptr;
    // Told "渲染图象失败！" when a picture file does not render; null: not told.
    Notifier *notifier = nullptr;
    // One drawing with this context reports a failing picture once: the
    // first failure sets this flag and later ones stay silent. Use a fresh
    // context (or clear the flag) for each drawing.
    mutable bool pictureFailureReported = false;
    // Every bitmap whose picture file is missing or does not decode, in
    // drawing order, with the file's path (a picture shown twice is listed
    // twice); null: not collected.
    std::vector<PictureProblem> *pictureProblems = nullptr;
};

// COLORREF (red in the low byte) as a QColor.
inline QColor colorOf(COLORREF c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// Draws one element. `labels` adds control IDs, picture numbers and the
// dotted outlines of items that are otherwise invisible. Text elements and
// numeric controls are laid out while drawing: their end point becomes the
// bottom right of the text as drawn (and a start point right of the screen
// moves to x = 0), so the element changes. The painter's state is left as
// it was found.
void drawElement(CGraph &g, QPainter &p, bool labels, const DrawContext &ctx);

// Draws a page's elements as the editor does: in list order, leaving out the
// reserved kind 118, then the kind-118 elements over the rest.
void drawElements(std::vector<CGraph> &elements, QPainter &p, bool labels,
                  const DrawContext &ctx);

// An ellipse by whole pixel spans, the one rule of the editor and the
// terminal: centre (cx, cy), half sizes rx, ry; 2 rx by 2 ry pixels, its
// centre on the corner between pixels cx - 1 and cx, cy - 1 and cy,
// symmetric about it. Row by row the filled ellipse is the span centred
// there whose half width is rx * sqrt(1 - (d / ry)^2) rounded to whole
// pixels (at least 1), d being the distance from the centre row line to the
// middle of the row; the two middle rows span the whole width. The hollow
// ellipse is the pixels of the filled one that have an outside neighbour
// left, right, above or below. A half size of 0 draws nothing.
void drawEllipseSpans(QPainter &p, int cx, int cy, int rx, int ry, const QColor &colour,
                      bool filled);

// Flood fill on a QImage: starting at `seed`, every pixel reachable through
// its four neighbours without crossing `border` (compared in the image's own
// pixel format) is painted `fill`. A seed outside the image or on the border
// colour fills nothing. The painter's clip is not applied.
void floodFill(QImage &image, QPoint seed, QColor border, QColor fill);

} // namespace h5
