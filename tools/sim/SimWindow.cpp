#include "SimWindow.h"

#include "common/FileIo.h"
#include "terminal/ScreenPainting.h"

#include <QBuffer>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace h5sim {

SimWindow::SimWindow(int width, int height) : m_image(width, height, QImage::Format_RGB32)
{
    m_image.fill(Qt::black);
    setTitle(QStringLiteral("h5800-sim %1x%2").arg(width).arg(height));
    resize(width, height);
}

void SimWindow::showScreen(const QImage &image, int backlight)
{
    m_image = image;
    m_backlight = std::clamp(backlight, 0, 63);
    update();
}

QRect SimWindow::screenRect() const
{
    return h5::screenRectIn(size(), m_image.size());
}

bool SimWindow::terminalPoint(QPointF pos, int &x, int &y) const
{
    return h5::terminalPointIn(size(), m_image.size(), pos, x, y);
}

void SimWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    paint(p);
}

void SimWindow::paint(QPainter &p) const
{
    h5::paintTerminalScreen(p, size(), m_image, m_backlight);
}

QImage SimWindow::picture() const
{
    QImage out(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    QPainter p(&out);
    paint(p);
    return out;
}

bool SimWindow::writePicture(const QString &path, QString *error) const
{
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !picture().save(&buffer, "PNG")) {
        if (error)
            *error = QStringLiteral("%1: the window could not be encoded as PNG").arg(path);
        return false;
    }
    return h5::writeFileAtomically(path, png, error);
}

void SimWindow::mousePressEvent(QMouseEvent *event)
{
    int x = 0, y = 0;
    if (event->button() == Qt::LeftButton && terminalPoint(event->position(), x, y) && m_touch)
        m_touch(x, y);
}

bool SimWindow::event(QEvent *event)
{
    if (event->type() == QEvent::Close && m_closed)
        m_closed();
    return QRasterWindow::event(event);
}

} // namespace h5sim
