#pragma once
// Geometry of element texts and needles that the editor's drawing and the
// page compiler must agree on: button caption blocks, needle end points, the
// dot sizes of text elements and the spacing numbers kept as text.

#include "model/CGraph.h"

#include <QLine>
#include <QPoint>
#include <QSize>
#include <string>

namespace h5 {

// Dot size of a text element's size code (3, 6, 9, 12, 15, 21, 27 give 8,
// 12, 16, 24, 32, 48, 64); 0 for a code not in the list.
int dotSizeOfSizeCode(int sizeCode);

// Leading decimal integer of a text, as the spacing boxes store it: leading
// blanks are skipped, a sign is allowed, and no digits at all means 0.
int leadingInteger(const std::string &text);

// Font of text controls and button captions by size index 0..5 (8, 16, 24,
// 32, 48, 64 dots). At 48 and 64 dots the face is 0 for 宋体 and 1 for 黑体.
// An unknown size index falls back to the 8-dot font.
struct ControlFont
{
    int cell; // cell height in dots
    int code; // the terminal's font code
};
ControlFont controlFont(int sizeIndex, int face);

// Width and height of a text block drawn in cells of height `cell`. Double
// byte characters (lead byte 0xA0 or more) are a full cell wide, single
// bytes half a cell (a full cell in the 8-dot font); CR starts a new line,
// LF is ignored.
QSize textBlockSize(const std::string &text, int cell, bool eightDot);

// A button's caption: its font, the size of its block and where the block
// starts, from the caption bits of `m_nExtra` and the border width.
struct ButtonCaption
{
    int sizeIndex = 0; // 0..15 as stored; unknown sizes use the 8-dot font
    int face = 0;      // 0..3 as stored
    int align = 0;     // 0 top left, 1 centre, 2 bottom right (3 acts as 0)
    ControlFont font{8, 0x0C};
    QSize block;
    QPoint origin; // top left of the block
};
ButtonCaption buttonCaption(const CGraph &button);

// One needle of a pointer control at `degrees` (0 points left of the
// centre, 90 up, 180 right): from the inner radius to the outer one, each
// coordinate truncated toward zero.
QLine needleAt(const CGraph &pointer, double degrees);

} // namespace h5
