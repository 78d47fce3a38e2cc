#include "terminal/TerminalScreen.h"

#include "common/FileIo.h"
#include "model/Resolutions.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <cstring>

namespace h5 {

namespace {

// Fonts come from the GUI application; without one, text cannot be drawn.
bool fontsAvailable()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

} // namespace

bool TerminalScreen::Record::operator==(const Record &o) const
{
    return page == o.page && pageSwitches == o.pageSwitches && calibrations == o.calibrations
           && touchMode == o.touchMode && touchInterval == o.touchInterval
           && missingPicture == o.missingPicture && missingPictures == o.missingPictures
           && refusedLayerSwitches == o.refusedLayerSwitches && refusedCopies == o.refusedCopies
           && textsNotDrawn == o.textsNotDrawn && controlsOutlined == o.controlsOutlined
           && framesSkipped == o.framesSkipped;
}

int TerminalScreen::layersOf(int width, int height) { return terminalLayers(width, height); }

QString TerminalScreen::resolutionList() { return terminalResolutionList(); }

TerminalScreen::TerminalScreen(int width, int height)
    : m_width(std::max(1, width)), m_height(std::max(1, height))
{
    const int layers = std::max(1, layersOf(width, height));
    for (int i = 0; i < layers; ++i) {
        QImage image(m_width, m_height, QImage::Format_RGB32);
        image.fill(rgbOf565(0));
        m_layers.push_back(image);
    }
}

uint16_t TerminalScreen::pixel(int layer, int x, int y) const
{
    if (layer < 0 || layer >= layerCount() || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    return rgb565Of(reinterpret_cast<const QRgb *>(m_layers[size_t(layer)].constScanLine(y))[x]);
}

void TerminalScreen::putPixels(int x, int y, const char *bytes, int count)
{
    if (y < 0 || y >= m_height || count <= 0)
        return;
    const int first = std::max(0, -x);
    const int last = std::min(count, m_width - x); // one past
    if (first >= last)
        return;
    auto *line = reinterpret_cast<QRgb *>(drawLayer().scanLine(y));
    for (int i = first; i < last; ++i) {
        const auto lo = uint8_t(bytes[2 * i]), hi = uint8_t(bytes[2 * i + 1]);
        line[x + i] = rgbOf565(uint16_t(lo | (hi << 8)));
    }
}

void TerminalScreen::execute(const ScreenOp &op, const PictureLookup &pictures)
{
    using K = ScreenOp::Kind;
    const int select = m_select;
    m_select = -1;
    switch (op.kind) {
    case K::Fill: {
        drawLayer().fill(rgbOf565(op.colour));
        changed();
        break;
    }
    case K::Point:
    case K::Line:
    case K::HollowRect:
    case K::FilledRect:
    case K::HollowEllipse:
    case K::FilledEllipse:
    case K::HollowCircle:
    case K::FilledCircle: {
        QPainter p(&drawLayer());
        drawLiveShape(p, op);
        changed();
        break;
    }
    case K::Text:
        if (!fontsAvailable()) {
            ++m_record.textsNotDrawn;
            break;
        }
        {
            QPainter p(&drawLayer());
            drawLiveText(p, op, m_width);
        }
        changed();
        break;
    case K::Picture:
        showPicture(op, pictures);
        break;
    case K::Page:
        m_record.page = op.number;
        ++m_record.pageSwitches;
        break;
    case K::Layer:
        // Taken as a switch at once; a copy right after takes it back.
        m_select = op.number;
        m_shownBefore = m_shown;
        m_refusedBefore = op.number >= layerCount();
        if (m_refusedBefore) {
            ++m_record.refusedLayerSwitches;
        } else if (m_shown != op.number) {
            m_shown = op.number;
            changed();
        }
        break;
    case K::LayerCopy: {
        int from = m_shown, to = m_shown;
        if (select >= 0) {
            if (m_refusedBefore)
                --m_record.refusedLayerSwitches;
            if (m_shown != m_shownBefore) {
                m_shown = m_shownBefore;
                changed();
            }
            from = select / 4;
            to = select % 4;
        }
        if (from >= layerCount() || to >= layerCount()) {
            ++m_record.refusedCopies;
            break;
        }
        copy(from, to, op);
        break;
    }
    case K::Backlight:
        m_backlight = op.number;
        break;
    case K::Calibration:
        ++m_record.calibrations;
        break;
    case K::TouchMode:
        m_record.touchMode = op.number;
        break;
    case K::TouchInterval:
        m_record.touchInterval = op.number;
        break;
    case K::RealtimePicture:
        cutRealtimePicture();
        m_rtX = op.x;
        m_rtY = op.y;
        m_rtW = op.w;
        m_rtIndex = 0;
        m_rtLeft = int64_t(op.w) * op.h * 2;
        break;
    }
}

void TerminalScreen::showPicture(const ScreenOp &op, const PictureLookup &pictures)
{
    pictureAt(op.number, op.x, op.y, pictures, nullptr);
}

bool TerminalScreen::pictureAt(int number, int x, int y, const PictureLookup &pictures, QSize *size)
{
    Picture pic;
    if (!pictures || !pictures(number, pic) || pic.width <= 0 || pic.height <= 0 || !pic.read) {
        m_record.missingPicture = number;
        ++m_record.missingPictures;
        return false;
    }
    if (size)
        *size = QSize(pic.width, pic.height);
    const int64_t firstCol = std::max<int64_t>(0, -int64_t(x));
    const int64_t lastCol = std::min<int64_t>(pic.width, int64_t(m_width) - x);
    const int64_t firstRow = std::max<int64_t>(0, -int64_t(y));
    const int64_t lastRow = std::min<int64_t>(pic.height, int64_t(m_height) - y);
    for (int64_t r = firstRow; r < lastRow && firstCol < lastCol; ++r) {
        const int64_t count = lastCol - firstCol;
        const QByteArray row = pic.read((r * pic.width + firstCol) * 2, count * 2);
        if (row.size() < count * 2)
            break;
        putPixels(int(x + firstCol), int(y + r), row.constData(), int(count));
    }
    changed();
    return true;
}

void TerminalScreen::copy(int from, int to, const ScreenOp &op)
{
    // A copy within one layer reads the pixels as they were before it
    // (the shared image detaches when the destination is written).
    const QImage source = m_layers[size_t(from)];
    QImage &dest = m_layers[size_t(to)];
    const int64_t first = std::max<int64_t>({0, -int64_t(op.x), -int64_t(op.toX)});
    const int64_t last = std::min<int64_t>({op.w, int64_t(m_width) - op.x, int64_t(m_width) - op.toX});
    if (first >= last)
        return;
    bool any = false;
    for (int64_t r = 0; r < op.h; ++r) {
        const int64_t sy = op.y + r, dy = op.toY + r;
        if (sy < 0 || sy >= m_height || dy < 0 || dy >= m_height)
            continue;
        const auto *s = reinterpret_cast<const QRgb *>(source.constScanLine(int(sy)));
        auto *d = reinterpret_cast<QRgb *>(dest.scanLine(int(dy)));
        std::memmove(d + op.toX + first, s + op.x + first, size_t(last - first) * sizeof(QRgb));
        any = true;
    }
    if (any && to == m_shown)
        changed();
}

qsizetype TerminalScreen::realtimePixels(const char *data, qsizetype size)
{
    const qsizetype take = qsizetype(std::min<int64_t>(size, m_rtLeft));
    if (take <= 0)
        return 0;
    qsizetype i = 0;
    // A pixel whose low byte came in the last piece.
    if (m_rtIndex % 2 == 1) {
        const char pair[2] = {m_rtLow, data[0]};
        const int64_t n = m_rtIndex / 2;
        putPixels(m_rtX + int(n % m_rtW), m_rtY + int(n / m_rtW), pair, 1);
        ++m_rtIndex;
        i = 1;
    }
    // Whole pixels, a row piece at a time.
    while (take - i >= 2) {
        const int64_t n = m_rtIndex / 2;
        const int col = int(n % m_rtW);
        const int count = int(std::min<int64_t>(m_rtW - col, (take - i) / 2));
        putPixels(m_rtX + col, m_rtY + int(n / m_rtW), data + i, count);
        m_rtIndex += int64_t(count) * 2;
        i += qsizetype(count) * 2;
    }
    if (i < take) {
        m_rtLow = data[i];
        ++m_rtIndex;
    }
    m_rtLeft -= take;
    if (m_rtLeft == 0)
        changed();
    return take;
}

void TerminalScreen::cutRealtimePicture()
{
    if (m_rtLeft == 0)
        return;
    m_rtLeft = 0;
    changed();
}

QImage TerminalScreen::screenshot() const
{
    // The layers hold their colours widened already.
    return m_layers[size_t(m_shown)].copy();
}

QByteArray TerminalScreen::screenshotPng() const
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    // Light compression: the screenshot is written after every change.
    if (!screenshot().save(&buffer, "PNG", 80))
        return {};
    return png;
}

bool TerminalScreen::writeScreenshot(const QString &path, QString *error) const
{
    const QByteArray png = screenshotPng();
    if (png.isEmpty()) {
        if (error)
            *error = QStringLiteral("%1: the screen could not be encoded as PNG").arg(path);
        return false;
    }
    return writeFileAtomically(path, png, error);
}

bool TerminalScreen::sameAs(const TerminalScreen &o) const
{
    if (m_width != o.m_width || m_height != o.m_height || m_layers.size() != o.m_layers.size()
        || m_shown != o.m_shown || m_backlight != o.m_backlight || !(m_record == o.m_record))
        return false;
    for (size_t i = 0; i < m_layers.size(); ++i) {
        if (m_layers[i] != o.m_layers[i])
            return false;
    }
    return true;
}

} // namespace h5
