#pragma once
// How a window shows the terminal's screen: scaled to fit with its
// proportions kept, centred on grey, dimmed by the backlight, and which
// terminal point a click falls on. h5800-sim's window and the app's window
// of the built-in terminal both draw it this way.

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QSize>

class QPainter;

namespace h5 {

// Where a screen of `screen` pixels is drawn in an area of `area` pixels.
QRect screenRectIn(QSize area, QSize screen);
// The terminal point shown at `pos` of the area; false outside the screen.
bool terminalPointIn(QSize area, QSize screen, QPointF pos, int &x, int &y);
// Paints the area: grey, then the screen, darkened as the backlight level
// (63 full brightness, 0 dark) says.
void paintTerminalScreen(QPainter &painter, QSize area, const QImage &screen, int backlight);

} // namespace h5
