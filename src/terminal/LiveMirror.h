#pragma once
// The debug window's simulated screen: what the terminal should now show,
// drawn from the frames the window sends. The image is the terminal's
// resolution plus a border of one pixel on each side and one more to the
// left and top: terminal point (x, y) is pixel (x + 2, y + 2). Shapes and
// texts are drawn by the same code as the virtual terminal's screen
// (terminal/LiveDraw.h), so both show the same pixels; every pixel holds an
// RGB565 colour (widened by bit replication), as the terminal keeps them.

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <cstdint>

namespace h5 {

class LiveMirror
{
public:
    static constexpr int kOffset = 2;

    explicit LiveMirror(int width = 320, int height = 240, uint16_t background565 = 0x001F);

    int width() const { return m_width; }
    int height() const { return m_height; }
    const QImage &image() const { return m_image; }

    // A new resolution: the image is made anew in the background colour.
    void setResolution(int width, int height, uint16_t background565);
    // Clear screen and background colour: the whole image in `colour565`.
    void fill(uint16_t colour565);
    // A picture previewed from the picture list: the background colour,
    // then the picture at its own size at the terminal's origin.
    void showPicture(const QImage &picture, uint16_t background565);
    // Draws the drawing frames in `frames` (one or several one after
    // another); other frames change nothing. Returns how many were drawn.
    int draw(const QByteArray &frames);

    // The RGB565 colour at terminal point `p`, 0 outside the image.
    uint16_t colourAt(QPoint p) const;

private:
    int m_width = 320;
    int m_height = 240;
    QImage m_image;
};

} // namespace h5
