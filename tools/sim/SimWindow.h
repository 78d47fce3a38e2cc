#pragma once
// The simulator's screen in a window (h5800-sim --window): the layer shown,
// scaled to fit the window (1:1 when it opens), dimmed by the backlight
// level. A left click on the screen is a touch: the simulator sends the PC
// its touch report (terminal/SimControl.h, touchReport).

#include <QImage>
#include <QPainter>
#include <QRasterWindow>
#include <functional>

namespace h5sim {

class SimWindow : public QRasterWindow
{
public:
    SimWindow(int width, int height);

    // A new picture of the screen and the backlight level (0..63).
    void showScreen(const QImage &image, int backlight);
    // Called with the terminal point of every left click on the screen.
    void setTouchHandler(std::function<void(int x, int y)> handler) { m_touch = std::move(handler); }
    // Called when the window is closed.
    void setClosedHandler(std::function<void()> handler) { m_closed = std::move(handler); }

    // The window's picture as it is painted now, and that picture written
    // to a PNG file (replaced atomically); false with the reason.
    QImage picture() const;
    bool writePicture(const QString &path, QString *error) const;

    // Where the screen is drawn in the window, and the terminal point at a
    // window position (false outside the screen).
    QRect screenRect() const;
    bool terminalPoint(QPointF windowPos, int &x, int &y) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;

private:
    void paint(QPainter &painter) const;

    QImage m_image;
    int m_backlight = 63;
    std::function<void(int, int)> m_touch;
    std::function<void()> m_closed;
};

} // namespace h5sim
