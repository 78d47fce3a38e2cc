#include "SimWindow.h"

#include "common/FileIo.h"

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

// The screen scaled to fit the window with its proportions kept, centred.
QRect SimWindow::screenRect() const
{
    if (m_image.isNull() || width() <= 0 || height() <= 0)
        return QRect();
    const double scale = std::min(double(width()) / m_image.width(), double(height()) / m_image.height());
    const int w = std::max(1, int(m_image.width() * scale));
    const int h = std::max(1, int(m_image.height() * scale));
    return QRect((width() - w) / 2, (height() - h) / 2, w, h);
}

bool SimWindow::terminalPoint(QPointF pos, int &x, int &y) const
{
    const QRect r = screenRect();
    if (r.isEmpty() || !r.contains(pos.toPoint()))
        return false;
    x = std::clamp(int((pos.x() - r.x()) * m_image.width() / r.width()), 0, m_image.width() - 1);
    y = std::clamp(int((pos.y() - r.y()) * m_image.height() / r.height()), 0, m_image.height() - 1);
    return true;
}

void SimWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    paint(p);
}

void SimWindow::paint(QPainter &p) const
{
    p.fillRect(QRect(0, 0, width(), height()), Qt::darkGray);
    const QRect r = screenRect();
    // Whole-number scales keep the pixels crisp; others are smoothed.
    p.setRenderHint(QPainter::SmoothPixmapTransform, r.width() % m_image.width() != 0);
    p.drawImage(r, m_image);
    // The backlight: level 63 is full brightness, 0 dark.
    if (m_backlight < 63)
        p.fillRect(r, QColor(0, 0, 0, 255 - m_backlight * 255 / 63));
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
