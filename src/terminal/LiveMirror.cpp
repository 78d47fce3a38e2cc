#include "terminal/LiveMirror.h"

#include "common/Rgb565.h"
#include "terminal/LiveDraw.h"
#include "terminal/ScreenFrames.h"

#include <QPainter>

namespace h5 {

LiveMirror::LiveMirror(int width, int height, uint16_t background565)
{
    setResolution(width, height, background565);
}

void LiveMirror::setResolution(int width, int height, uint16_t background565)
{
    m_width = std::max(width, 1);
    m_height = std::max(height, 1);
    // 32 bits a pixel, each an RGB565 colour widened by bit replication:
    // text drawn on a 16-bit image picks up stray glyph copies.
    m_image = QImage(m_width + kOffset, m_height + kOffset, QImage::Format_RGB32);
    fill(background565);
}

void LiveMirror::fill(uint16_t colour565)
{
    m_image.fill(rgbOf565(colour565));
}

void LiveMirror::showPicture(const QImage &picture, uint16_t background565)
{
    fill(background565);
    if (picture.isNull())
        return;
    // Each pixel as the terminal keeps it: RGB565 with the terminal's
    // rounding, the same as a downloaded picture.
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    const int w = std::min(rgb.width(), m_image.width() - kOffset);
    const int h = std::min(rgb.height(), m_image.height() - kOffset);
    for (int y = 0; y < h; ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < w; ++x)
            m_image.setPixel(x + kOffset, y + kOffset,
                             rgbOf565(rgb565(qRed(row[x]), qGreen(row[x]), qBlue(row[x]))));
    }
}

int LiveMirror::draw(const QByteArray &frames)
{
    int drawn = 0;
    QPainter p(&m_image);
    p.translate(kOffset, kOffset);
    qsizetype at = 0;
    while (at < frames.size()) {
        qsizetype length = 0;
        if (scanScreenFrame(frames.constData() + at, frames.size() - at, length) != ScreenScan::Complete
            || length <= 0) {
            ++at;
            continue;
        }
        const ScreenOp op = decodeScreenFrame(frames.constData() + at, length);
        at += length;
        if (isLiveShape(op.kind)) {
            drawLiveShape(p, op);
            ++drawn;
        } else if (op.kind == ScreenOp::Kind::Text) {
            drawLiveText(p, op, m_width);
            ++drawn;
        }
    }
    return drawn;
}

uint16_t LiveMirror::colourAt(QPoint t) const
{
    const QPoint px = t + QPoint(kOffset, kOffset);
    if (!m_image.rect().contains(px))
        return 0;
    return rgb565Of(m_image.pixel(px));
}

} // namespace h5
