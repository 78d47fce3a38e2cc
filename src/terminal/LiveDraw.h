#pragma once
// The drawing operations of the terminal's instruction set, decoded, and the
// one place that turns the shape and text operations into pixels on a
// QPainter. The virtual terminal's screen (TerminalScreen) draws with these
// functions, and so can a window that mirrors what it sent, so both show the
// same pixels.
//
// Pixel rules, the same as the editor's element drawing (model/ElementDraw.h),
// so a page drawn in the editor, compiled and executed comes out the same:
//   point            the one pixel (x, y)
//   line             from (x, y) toward (x2, y2), the end pixel left out
//   rectangles       over the corners (x, y) and (x2, y2), in either order:
//                    the pixels min x .. max x - 1 and min y .. max y - 1 (the
//                    right and bottom edge are outside); the hollow one is the
//                    outermost ring of those pixels, the filled one all of them
//   ellipses         centre (x, y), half sizes rx, ry: inscribed in the
//                    rectangle over (x - rx, y - ry) and (x + rx, y + ry) by the
//                    rule above, 2 rx by 2 ry pixels, its centre on the corner
//                    between pixels x - 1 and x, y - 1 and y, symmetric about
//                    it. Row by row the filled ellipse is the span centred
//                    there whose half width is rx * sqrt(1 - (d / ry)^2)
//                    rounded to whole pixels (at least 1), d being the distance
//                    from the centre row line to the middle of the row; the two
//                    middle rows span the whole width and the top and bottom
//                    rows are never empty. The hollow ellipse is the pixels of the
//                    filled one that have an outside neighbour left, right,
//                    above or below.
//   circles          centre (x, y), radius r: the ellipse with rx = ry = r
// A half size or radius of 0 draws nothing. Ellipses are drawn as filled
// spans here rather than with QPainter::drawEllipse, whose one-pixel outline
// of a flat ellipse reaches up to three pixels past its box. Colours are RGB565 values,
// widened by bit replication (rgbOf565) before they are drawn; with no
// antialiasing every pixel drawn on a 32-bit image holds exactly such a
// widened colour, so rgb565Of takes back the colour the frame carried.
// (Draw on 32-bit images: Qt 6.4 draws text on Format_RGB16 images with
// stray copies of the glyphs elsewhere in the row.)
//
// Text: characters laid out one by one from (x, y) as the editor lays out a
// text element: a byte above 0x9F starts a two-byte GBK character drawn in
// the Chinese face of the font code (model/FontFaces.h maps the four faces
// to installed families), any other byte in the Western face; Chinese
// characters are one cell wide, Western ones half a cell (a full cell in the
// 8-dot font); each character advances by its width plus the column
// spacing; CR starts a new line at the start x, one cell plus the row
// spacing lower; LF is ignored; a character that would pass the right edge
// of the screen starts a new line at x = 0. Display mode 1 paints each
// character's cell in the background colour first. Glyphs are drawn without
// antialiasing; they are the installed fonts' glyphs, not the terminal's dot
// fonts, so they only approximate what a real terminal shows.
// Text needs the GUI application (QGuiApplication) for its fonts.

#include "common/Rgb565.h" // rgbOf565, rgb565Of: the widened colours drawn

#include <QByteArray>
#include <QColor>
#include <cstdint>

class QPainter;

namespace h5 {

// One decoded instruction of the terminal's screen.
struct ScreenOp
{
    enum class Kind {
        Fill,            // 1B 42: the drawing layer in `colour`
        Point,           // 1B 47
        Line,            // 1B 46
        HollowRect,      // 1B 5A
        FilledRect,      // 1B 41
        HollowEllipse,   // 1B 49
        FilledEllipse,   // 1B 4A
        HollowCircle,    // 1B 59 (radius in rx)
        FilledCircle,    // 1B 4F
        Text,            // 1B 23
        Picture,         // 1B 29: stored picture `number` at (x, y)
        Page,            // 1B 50: page `number`
        Layer,           // 1B 40: layer switch, or the layer select of a copy
        LayerCopy,       // 1B 28: w x h from (x, y) to (toX, toY)
        Backlight,       // 1B 64: level `number`
        Calibration,     // 1B 38
        TouchMode,       // 1B 20: mode `number`
        TouchInterval,   // 1B 21: interval `number`
        RealtimePicture, // 1B 24: w x h pixels follow, drawn from (x, y)
    };
    Kind kind = Kind::Fill;
    uint16_t colour = 0;     // shapes and fill; the text colour
    uint16_t background = 0; // text background
    int x = 0, y = 0;        // point, line start, corner, centre, top left, copy source
    int x2 = 0, y2 = 0;      // line end, second corner
    int rx = 0, ry = 0;      // ellipse half sizes; circle radius in rx
    int w = 0, h = 0;        // copy and realtime picture size
    int toX = 0, toY = 0;    // copy destination
    int number = 0;          // picture, page, layer byte, level, touch mode, interval
    int columnSpacing = 0;   // text
    int rowSpacing = 0;
    int mode = 0;            // text: 0 characters only, nonzero on the background colour
    int font = 0;            // text: font code
    QByteArray text;         // text: GBK bytes
};

// The cell height in dots and the face number of a font code (base of the
// size plus the face: 0x0C, 0x14, 0x20, 0x30, 0x40, 0x60, 0x80 for 8, 12,
// 16, 24, 32, 48, 64 dots). A code of no size draws as the 16-dot 宋体, as
// the editor draws a text of unknown size; `known` says which it was.
struct LiveFont
{
    int dots = 16;
    int face = 0;
    bool known = false;
};
LiveFont liveFontOfCode(int code);

// True for the kinds drawLiveShape draws.
bool isLiveShape(ScreenOp::Kind kind);

// Draws a point, line, rectangle, ellipse or circle by the rules above, in
// the painter's coordinates (a mirror with a border translates the painter
// first). Other kinds draw nothing. The painter's state is left as found.
void drawLiveShape(QPainter &p, const ScreenOp &op);

// Draws a text operation by the rules above; `screenWidth` is where lines
// wrap (0: no wrapping). The painter's state is left as found.
void drawLiveText(QPainter &p, const ScreenOp &op, int screenWidth);

} // namespace h5
