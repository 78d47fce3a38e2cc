#pragma once
// The terminal's screen instructions as they arrive on the line: 1B, a
// command byte, its parameters (16-bit numbers low byte first), FF FF EE FF.
// scanScreenFrame() finds where one ends; decodeScreenFrame() turns a whole
// frame into a ScreenOp (terminal/LiveDraw.h). No state: what the frames do
// together (a layer select before a copy) is the screen's business.
//
// Which command bytes are screen instructions, and their lengths, are the
// frame table's (the Screen role in project/Wire.h). Their parameters:
//   1B 42 c(2)                              fill
//   1B 47 c(2) x1 y1 x2 y2                  point at x1, y1
//   1B 46 c(2) x1 y1 x2 y2                  line
//   1B 5A c(2) x1 y1 x2 y2                  hollow rectangle
//   1B 41 c(2) x1 y1 x2 y2                  filled rectangle
//   1B 49 c(2) cx cy rx ry                  hollow ellipse
//   1B 4A c(2) cx cy rx ry                  filled ellipse
//   1B 59 c(2) cx cy r                      hollow circle
//   1B 4F c(2) cx cy r                      filled circle
//   1B 23 c(2) colsp rowsp bg(2) x y mode font text   text
//   1B 29 n x y                             stored picture
//   1B 50 n                                 page
//   1B 40 l                                 layer switch / select
//   1B 28 sx sy w h dx dy                   layer copy
//   1B 64 level                             backlight
//   1B 38                                   touch calibration
//   1B 20 mode                              touch mode
//   1B 21 interval(2)                       touch interval
//   1B 24 x y w h                           realtime picture
//
// Positions (x, y, centres, corners) are signed 16-bit numbers (FF FF is
// -1); sizes, radii, numbers and the interval are unsigned. A text carries
// at most kMaxTextBytes bytes: a 1B 23 without its terminator by then is
// not a frame.

#include "terminal/LiveDraw.h"

#include <QtGlobal>

namespace h5 {

enum class ScreenScan {
    Complete, // `length` bytes make one frame
    NeedMore, // a frame may still come: wait for more bytes
    NotAFrame // the bytes at the start are not a screen frame
};

inline constexpr int kMaxTextBytes = 2048;

// Looks at the bytes from `p` (n >= 1). The terminator is checked as far as
// it has arrived, so a false start is given up as soon as it shows.
ScreenScan scanScreenFrame(const char *p, qsizetype n, qsizetype &length);

// The operation of a frame scanScreenFrame() found Complete.
ScreenOp decodeScreenFrame(const char *p, qsizetype length);

} // namespace h5
