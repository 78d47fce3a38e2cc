#include "terminal/ScreenPainting.h"

#include <QColor>
#include <QPainter>
#include <algorithm>

namespace h5 {

QRect screenRectIn(QSize area, QSize screen)
{
    if (screen.isEmpty() || area.width() <= 0 || area.height() <= 0)
        return QRect();
    const double scale = std::min(double(area.width()) / screen.width(),
                                  double(area.height()) / screen.height());
    const int w = std::max(1, int(screen.width() * scale));
    const int h = std::max(1, int(screen.height() * scale));
    return QRect((area.width() - w) / 2, (area.height() - h) / 2, w, h);
}

bool terminalPointIn(QSize area, QSize screen, QPointF pos, int &x, int &y)
{
    const QRect r = screenRectIn(area, screen);
    if (r.isEmpty() || !r.contains(pos.toPoint()))
        return false;
    x = std::clamp(int((pos.x() - r.x()) * screen.width() / r.width()), 0, screen.width() - 1);
    y = std::clamp(int((pos.y() - r.y()) * screen.height() / r.height()), 0, screen.height() - 1);
    return true;
}

void paintTerminalScreen(QPainter &p, QSize area, const QImage &screen, int backlight)
{
    p.fillRect(QRect(QPoint(0, 0), area), Qt::darkGray);
    const QRect r = screenRectIn(area, screen.size());
    if (r.isEmpty())
        return;
    // Whole-number scales keep the pixels crisp; others are smoothed.
    p.setRenderHint(QPainter::SmoothPixmapTransform, r.width() % screen.width() != 0);
    p.drawImage(r, screen);
    const int level = std::clamp(backlight, 0, 63);
    if (level < 63)
        p.fillRect(r, QColor(0, 0, 0, 255 - level * 255 / 63));
}

} // namespace h5
