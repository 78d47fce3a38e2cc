#include "model/ElementDraw.h"

#include "common/Gbk.h"
#include "common/Notifier.h"
#include "model/ControlGeometry.h"
#include "model/FontFaces.h"
#include "model/PictureCache.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QStaticText>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <utility>

namespace h5 {

namespace {

const QColor kLabelText(255, 0, 0);
const QColor kLabelBack(255, 255, 255);
const QColor kOutline(0, 0, 255);

int byteOf(int word, int n) { return (word >> (8 * n)) & 0xFF; }

// Coordinates from a page file can be anything; far beyond any screen they
// are pinned, so sizes and spans never overflow.
constexpr int kFar = 1 << 24;
int pin(int64_t v) { return int(std::clamp<int64_t>(v, -kFar, kFar)); }

// ---- pixel primitives -------------------------------------------------------

// A rectangle of `w` x `h` pixels from (x, y), pinned like every other
// coordinate, so its far edge cannot overflow.
QRect pinnedRect(int64_t x, int64_t y, int64_t w, int64_t h)
{
    const int l = pin(x), t = pin(y);
    return QRect(QPoint(l, t), QPoint(pin(x + w) - 1, pin(y + h) - 1));
}

// Cuts the line from a to b down to the part inside the pinning square, so
// a slanted line toward a far point keeps its direction where it is seen.
// False when no part of it is inside.
bool clipToFar(int64_t &ax, int64_t &ay, int64_t &bx, int64_t &by)
{
    const auto inside = [](int64_t v) { return v >= -kFar && v <= kFar; };
    if (inside(ax) && inside(ay) && inside(bx) && inside(by))
        return true;
    // Liang-Barsky over the segment a + t (b - a), 0 <= t <= 1.
    const double dx = double(bx - ax), dy = double(by - ay);
    double t0 = 0, t1 = 1;
    const auto edge = [&](double q, double d) { // keep q + t d >= 0
        if (d == 0)
            return q >= 0;
        const double t = -q / d;
        if (d > 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        return t0 <= t1;
    };
    if (!edge(double(ax) + kFar, dx) || !edge(kFar - double(ax), -dx)
        || !edge(double(ay) + kFar, dy) || !edge(kFar - double(ay), -dy))
        return false;
    const double x0 = double(ax), y0 = double(ay);
    ax = std::llround(x0 + t0 * dx);
    ay = std::llround(y0 + t0 * dy);
    bx = std::llround(x0 + t1 * dx);
    by = std::llround(y0 + t1 * dy);
    return true;
}

// A one-pixel line from a to b, b itself left out. Horizontal and vertical
// lines are filled spans; others are stepped pixel by pixel.
void line(QPainter &p, int64_t ax, int64_t ay, int64_t bx, int64_t by, const QColor &c)
{
    if (!clipToFar(ax, ay, bx, by))
        return;
    const QPoint a(pin(ax), pin(ay));
    const QPoint b(pin(bx), pin(by));
    if (a == b)
        return;
    if (a.y() == b.y()) {
        const int x0 = a.x() < b.x() ? a.x() : b.x() + 1;
        p.fillRect(QRect(x0, a.y(), std::abs(b.x() - a.x()), 1), c);
        return;
    }
    if (a.x() == b.x()) {
        const int y0 = a.y() < b.y() ? a.y() : b.y() + 1;
        p.fillRect(QRect(a.x(), y0, 1, std::abs(b.y() - a.y())), c);
        return;
    }
    // Bresenham over the longer axis.
    int64_t x = a.x(), y = a.y();
    const int64_t dx = std::abs(int64_t(b.x()) - a.x()), dy = -std::abs(int64_t(b.y()) - a.y());
    const int sx = a.x() < b.x() ? 1 : -1, sy = a.y() < b.y() ? 1 : -1;
    const int64_t steps = std::max(dx, -dy);
    QPen pen(c, 1);
    pen.setCosmetic(true);
    p.setPen(pen);
    if (steps > 8192) {
        // Far longer than any screen: the painter clips it; whether the last
        // pixel is drawn does not matter off the screen.
        p.drawLine(a, b);
        return;
    }
    // Only the part on the device is kept.
    const QRect area = p.device() ? QRect(-1, -1, p.device()->width() + 2, p.device()->height() + 2)
                                  : QRect(-32768, -32768, 65536, 65536);
    const QTransform t = p.deviceTransform();
    QPolygon points;
    points.reserve(int(steps));
    int64_t err = dx + dy;
    for (int64_t i = 0; i < steps; ++i) {
        const QPoint pt{int(x), int(y)};
        if (area.contains(t.map(pt)))
            points << pt;
        const int64_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    if (!points.isEmpty())
        p.drawPoints(points);
}

struct Box
{
    int l, t, r, b; // r and b are outside the box
    int w() const { return r - l; }
    int h() const { return b - t; }
    bool empty() const { return r <= l || b <= t; }
};

Box box(int64_t x1, int64_t y1, int64_t x2, int64_t y2)
{
    return {pin(std::min(x1, x2)), pin(std::min(y1, y2)), pin(std::max(x1, x2)),
            pin(std::max(y1, y2))};
}

// Rectangle over (x1, y1, x2, y2): the outline in `pen`, the inside in
// `brush` (either may be absent).
void rectangle(QPainter &p, int64_t x1, int64_t y1, int64_t x2, int64_t y2, const QColor *pen,
               const QColor *brush)
{
    const Box r = box(x1, y1, x2, y2);
    if (r.empty())
        return;
    if (brush && r.w() > 2 && r.h() > 2)
        p.fillRect(QRect(r.l + 1, r.t + 1, r.w() - 2, r.h() - 2), *brush);
    if (!pen)
        return;
    p.fillRect(QRect(r.l, r.t, r.w(), 1), *pen);
    p.fillRect(QRect(r.l, r.b - 1, r.w(), 1), *pen);
    p.fillRect(QRect(r.l, r.t, 1, r.h()), *pen);
    p.fillRect(QRect(r.r - 1, r.t, 1, r.h()), *pen);
}

void rectangle(QPainter &p, int64_t x1, int64_t y1, int64_t x2, int64_t y2, const QColor &both)
{
    rectangle(p, x1, y1, x2, y2, &both, &both);
}

// Dotted outline in blue over (x1, y1, x2, y2): three pixels on, three off,
// around the box from its top left corner.
void dottedOutline(QPainter &p, int64_t x1, int64_t y1, int64_t x2, int64_t y2)
{
    const Box r = box(x1, y1, x2, y2);
    if (r.empty())
        return;
    QPolygon points;
    int n = 0;
    auto dot = [&](int x, int y) {
        if ((n++ % 6) < 3)
            points << QPoint(x, y);
    };
    // A box far larger than any screen is walked only near the screen.
    const int far = 1 << 15;
    const int l = std::max(r.l, -far), t = std::max(r.t, -far);
    const int rr = std::min(r.r, far), bb = std::min(r.b, far);
    for (int x = l; x < rr; ++x)
        dot(x, t);
    for (int y = t + 1; y < bb; ++y)
        dot(rr - 1, y);
    for (int x = rr - 2; x >= l && bb - 1 > t; --x)
        dot(x, bb - 1);
    for (int y = bb - 2; y > t && rr - 1 > l; --y)
        dot(l, y);
    QPen pen(kOutline, 1);
    pen.setCosmetic(true);
    p.setPen(pen);
    p.drawPoints(points);
}

// Half the width of row i (0 .. 2 ry - 1) of an ellipse's spans.
int64_t ellipseHalfWidth(int64_t i, int64_t rx, int64_t ry)
{
    if (i >= ry)
        i = 2 * ry - 1 - i;
    if (i == ry - 1)
        return rx;
    const double d = (double(ry - 1 - i) + 0.5) / double(ry);
    const double h = std::floor(double(rx) * std::sqrt(std::max(0.0, 1 - d * d)) + 0.5);
    return std::clamp<int64_t>(int64_t(h), 1, rx);
}

// Ellipse inscribed in the box over (x1, y1, x2, y2): centred and sized as
// the page compiler sends it to the terminal, (x1 + x2) / 2 and
// (x2 - x1) / 2, so the editor draws what the terminal will.
void ellipse(QPainter &p, int64_t x1, int64_t y1, int64_t x2, int64_t y2, const QColor &pen,
             const QColor *brush)
{
    const Box r = box(x1, y1, x2, y2);
    if (r.empty())
        return;
    const int64_t cx = (int64_t(r.l) + r.r) / 2, cy = (int64_t(r.t) + r.b) / 2;
    const int64_t rx = (int64_t(r.r) - r.l) / 2, ry = (int64_t(r.b) - r.t) / 2;
    drawEllipseSpans(p, int(cx), int(cy), int(rx), int(ry), pen, brush != nullptr);
}

// ---- labels and text -----------------------------------------------------

// Laid-out single characters, kept per font: shaping a character costs far
// more than drawing it, and pages repeat the same few characters.
struct Glyph
{
    QStaticText text;
    int advance = 0; // the font's own advance
    int top = 0;     // from the cell's top to the top of the laid-out text
};

const Glyph &glyphOf(const CellFont &font, const QString &text)
{
    using Key = std::pair<const CellFont *, QString>;
    struct KeyHash
    {
        std::size_t operator()(const Key &k) const { return qHashMulti(0, k.first, k.second); }
    };
    static std::unordered_map<Key, Glyph, KeyHash> glyphs;
    if (glyphs.size() > 50000)
        glyphs.clear(); // a page with a whole character set: start afresh
    Key key(&font, text);
    auto it = glyphs.find(key);
    if (it == glyphs.end()) {
        Glyph g;
        const QFontMetrics fm(font.font);
        g.text.setText(text);
        g.text.setTextFormat(Qt::PlainText);
        g.text.setPerformanceHint(QStaticText::AggressiveCaching);
        g.text.prepare(QTransform(), font.font);
        g.advance = fm.horizontalAdvance(text);
        g.top = font.ascent - fm.ascent();
        it = glyphs.emplace(std::move(key), std::move(g)).first;
    }
    return it->second;
}

// One glyph with its cell's top left at (x, y). A glyph wider than the cell
// it is laid out in (`cellWidth`, 0 for no limit) is narrowed to fit, as the
// terminal's fixed cells would show it, rather than running into the next.
void glyph(QPainter &p, const CellFont &font, int64_t x, int64_t y, const QString &text,
           const QColor &color, int cellWidth = 0)
{
    // Text positions go to the font engine in 26.6 fixed point: a glyph far
    // beyond any screen is left out before it could wrap around onto it.
    if (text.isEmpty() || x < -kFar / 2 || x > kFar / 2 || y < -kFar / 2 || y > kFar / 2)
        return;
    const Glyph &g = glyphOf(font, text);
    p.setFont(font.font);
    p.setPen(color);
    const QPoint at(int(x), int(y) + g.top);
    if (cellWidth <= 0 || g.advance <= cellWidth) {
        p.drawStaticText(at, g.text);
        return;
    }
    const QTransform saved = p.transform();
    p.translate(at);
    p.scale(qreal(cellWidth) / g.advance, 1);
    p.drawStaticText(QPoint(0, 0), g.text);
    p.setTransform(saved);
}

void label(QPainter &p, const CGraph &g, int number)
{
    const CellFont &font = labelFont();
    const QString text = QString::number(number);
    const int width = glyphOf(font, text).advance;
    p.fillRect(pinnedRect(g.m_ptStart.x(), g.m_ptStart.y(), width, font.height), kLabelBack);
    glyph(p, font, g.m_ptStart.x(), g.m_ptStart.y(), text, kLabelText);
}

// The printable character a single byte stands for; bytes that are not
// printable ASCII take their place but show nothing.
QString singleByte(unsigned char c)
{
    return c >= 0x20 && c < 0x7F ? QString(QChar(c)) : QString();
}

QString doubleByte(const std::string &text, std::size_t i)
{
    return i + 1 < text.size() ? fromGbk(text.data() + i, 2) : QString();
}

// Text element and numeric control: characters laid out one by one from the
// start point, wrapping at the screen width; the end point follows the text.
void textLayout(CGraph &g, QPainter &p, const std::string &text, const DrawContext &ctx)
{
    int dots = dotSizeOfSizeCode(byteOf(g.m_nAttr, 1));
    if (dots == 0)
        dots = 16; // a size code no form makes: the usual 16-dot text
    const CellFont &chinese = chineseFont(byteOf(g.m_nAttr, 2), dots);
    const CellFont &western = westernFont(dots, dots == 8 ? 8 : 0);
    const bool opaque = byteOf(g.m_nAttr, 0) != 0;
    const QColor fore = colorOf(g.m_crColor1);
    const QColor back = colorOf(g.m_crColor2);
    const int64_t cs = leadingInteger(g.m_strText1);
    const int64_t ls = leadingInteger(g.m_strText3);
    const int64_t sw = ctx.screenWidth > 0 ? ctx.screenWidth : INT64_MAX / 4;
    auto clampInt = [](int64_t v) { return int(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); };

    if (g.m_ptStart.x() > sw)
        g.m_ptStart.setX(0);
    int64_t x2 = g.m_ptStart.x(), y2 = g.m_ptStart.y();
    // The GB2312 faces have square cells: the widest character is as wide
    // as the font is high.
    const int64_t c = dots;
    int64_t x = g.m_ptStart.x(), y = g.m_ptStart.y();

    auto place = [&](std::size_t i, int64_t width) {
        if (x + width > sw) {
            x = 0;
            y += c + ls;
            y2 = y + c;
            if (i == 0)
                g.m_ptStart = QPoint(0, clampInt(y));
            else
                x2 = sw;
        }
        if (opaque)
            p.fillRect(pinnedRect(x, y, width, c), back);
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b == '\r') {
            x = g.m_ptStart.x();
            y += c + ls;
            y2 = y + c;
        } else if (b == '\n') {
            continue;
        } else if (b >= 0xA0) {
            place(i, c);
            glyph(p, chinese, x, y, doubleByte(text, i), fore, int(c));
            x2 = std::max(x2, x + c);
            y2 = y + c;
            x += c + cs;
            ++i;
        } else {
            const int64_t width = dots == 8 ? c : c / 2;
            place(i, width);
            glyph(p, western, x, y, singleByte(b), fore, int(width));
            x2 = std::max(x2, x + width);
            y2 = y + c;
            x += width + cs;
        }
    }
    g.m_ptEnd = QPoint(clampInt(x2), clampInt(y2));
}

// ---- kinds ----------------------------------------------------------------

// Bevel of panels and buttons: `w` rings, top and left in `topLeft`,
// bottom and right in `bottomRight`.
void bevel(QPainter &p, const CGraph &g, int w, const QColor &topLeft, const QColor &bottomRight)
{
    const int64_t x1 = g.m_ptStart.x(), y1 = g.m_ptStart.y();
    const int64_t x2 = g.m_ptEnd.x(), y2 = g.m_ptEnd.y();
    for (int i = 0; i < w; ++i) {
        line(p, x1 + i, y1 + i, x2 - i - 1, y1 + i, topLeft);
        line(p, x1 + i, y1 + i, x1 + i, y2 - i - 1, topLeft);
        line(p, x1 + i, y2 - i - 1, x2, y2 - i - 1, bottomRight);
        line(p, x2 - i - 1, y1 + i, x2 - i - 1, y2 - 1, bottomRight);
    }
}

void faceRect(QPainter &p, const CGraph &g, int w, const QColor &face)
{
    rectangle(p, int64_t(g.m_ptStart.x()) + w, int64_t(g.m_ptStart.y()) + w,
              int64_t(g.m_ptEnd.x()) - w, int64_t(g.m_ptEnd.y()) - w, face);
}

void panel(QPainter &p, const CGraph &g)
{
    const int w = g.m_nStyle & 0x0F;
    const QColor light = colorOf(g.m_crColor1), dark = colorOf(g.m_crColor2);
    const bool sunken = g.m_nAttr == 1;
    bevel(p, g, w, sunken ? dark : light, sunken ? light : dark);
    if (((g.m_nStyle >> 4) & 0x0F) == 0)
        faceRect(p, g, w, colorOf(g.m_crColor3));
}

void buttonText(QPainter &p, const CGraph &g)
{
    const ButtonCaption t = buttonCaption(g);
    const int cell = t.font.cell;
    const bool eightDot = t.sizeIndex < 1 || t.sizeIndex > 5;
    // 8-dot captions have no Chinese font of their own; their double byte
    // characters borrow 宋体 at that size. At 48 and 64 dots the stored face
    // is 0 for 宋体 and 1 for 黑体.
    int face = t.face;
    if (eightDot)
        face = 0;
    else if (t.sizeIndex >= 4)
        face = t.face == 1 ? 2 : 0;
    const CellFont &chinese = chineseFont(face, cell);
    const CellFont &western = westernFont(cell, eightDot ? 8 : 0);
    const QColor color = colorOf(g.m_crColor4);
    const std::string &text = g.m_strText1;

    int64_t x = t.origin.x(), y = t.origin.y();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b == '\r') {
            x = t.origin.x();
            y += cell;
        } else if (b == '\n') {
            continue;
        } else if (b >= 0xA0) {
            glyph(p, chinese, x, y, doubleByte(text, i), color, cell);
            x += cell;
            ++i;
        } else {
            const int width = eightDot ? cell : cell / 2;
            glyph(p, western, x, y, singleByte(b), color, width);
            x += width;
        }
    }
}

void button(QPainter &p, const CGraph &g, bool labels)
{
    const bool invisible = g.m_nStyle & 0x20;
    const bool transparent = g.m_nStyle & 0x10;
    const int w = g.m_nStyle & 0x0F;
    if (!invisible) {
        bevel(p, g, w, colorOf(g.m_crColor1), colorOf(g.m_crColor2));
        if (!transparent)
            faceRect(p, g, w, colorOf(g.m_crColor3));
    } else if (labels) {
        dottedOutline(p, g.m_ptStart.x(), g.m_ptStart.y(), g.m_ptEnd.x(), g.m_ptEnd.y());
    }
    // An invisible button shows nothing of itself, caption included.
    if ((g.m_nStyle & 0x40) && !invisible)
        buttonText(p, g);
    if (labels)
        label(p, g, g.m_nCtrlID);
}

void barGraph(QPainter &p, const CGraph &g, bool labels)
{
    const int64_t x1 = g.m_ptStart.x(), y1 = g.m_ptStart.y();
    const int64_t x2 = g.m_ptEnd.x(), y2 = g.m_ptEnd.y();
    const QColor frame = colorOf(g.m_crColor3), background = colorOf(g.m_crColor2);
    rectangle(p, x1, y1, x2, y2, &frame, &background);

    const int minimum = g.m_nValue3, maximum = g.m_nValue4;
    const uint32_t range = uint32_t(maximum) - uint32_t(minimum);
    if (minimum < 0 && range != 0) {
        // The zero level, in the unsigned 32-bit arithmetic the terminal
        // uses: products first, then the division.
        const uint32_t below = 0u - uint32_t(minimum);
        const uint32_t dy = uint32_t(y2 - y1) * below / range;
        const uint32_t dx = uint32_t(x2 - x1) * below / range;
        const int up = int(uint32_t(y2) - dy);   // level of a column growing up
        const int down = int(uint32_t(y1) + dy); // growing down
        const int right = int(uint32_t(x1) + dx); // growing right
        const int left = int(uint32_t(x2) - dx);  // growing left
        const QColor c = colorOf(g.m_crColor1);
        switch (g.m_nAttr) {
        case 0: rectangle(p, x1 + 1, up, x2 - 1, y2 - 1, c); break;
        case 1: rectangle(p, x1 + 1, y1 + 1, x2 - 1, down, c); break;
        case 2: rectangle(p, x1 + 1, y1 + 1, right, y2 - 1, c); break;
        case 3: rectangle(p, left, y1 + 1, x2 - 1, y2 - 1, c); break;
        case 4:
        case 5: {
            const int level = g.m_nAttr == 4 ? up : down;
            for (int d = -1; d <= 1; ++d)
                line(p, x1 + 1, int64_t(level) + d, x2 - 1, int64_t(level) + d, c);
            break;
        }
        case 6:
        case 7: {
            const int level = g.m_nAttr == 6 ? right : left;
            for (int d = -1; d <= 1; ++d)
                line(p, int64_t(level) + d, y1 + 1, int64_t(level) + d, y2 - 1, c);
            break;
        }
        default: break;
        }
    }
    if (labels)
        label(p, g, g.m_nCtrlID);
}

void pointer(QPainter &p, const CGraph &g, bool labels)
{
    if (labels)
        dottedOutline(p, g.m_ptStart.x(), g.m_ptStart.y(), g.m_ptEnd.x(), g.m_ptEnd.y());
    const QLine needle = needleAt(g, g.m_nValue3);
    const int width = 2 * byteOf(g.m_nAttr, 2) - 1;
    const QColor c = colorOf(g.m_crColor1);
    // A needle is at most 65,790 pixels long: one with an end beyond half
    // the pinning distance lies wholly off any screen.
    const auto far = [](int v) { return v < -kFar / 2 || v > kFar / 2; };
    if (far(needle.x1()) || far(needle.y1()) || far(needle.x2()) || far(needle.y2())) {
        // nothing of it can be seen
    } else if (width <= 1) {
        line(p, needle.x1(), needle.y1(), needle.x2(), needle.y2(), c);
    } else {
        QPen pen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        p.drawLine(needle);
    }
    if (labels)
        label(p, g, g.m_nCtrlID);
}

void reportPictureFailure(const DrawContext &ctx)
{
    if (ctx.pictureFailureReported)
        return;
    ctx.pictureFailureReported = true;
    if (ctx.notifier)
        ctx.notifier->message(QStringLiteral("渲染图象失败！"));
}

void bitmap(QPainter &p, const CGraph &g, bool labels, const DrawContext &ctx)
{
    const QString path = ctx.picturesDir + QLatin1Char('/') + fromGbk(g.m_strText1);
    // The box over start and end, pinned; the picture is mirrored in the
    // directions where the end lies before the start.
    const Box area = box(g.m_ptStart.x(), g.m_ptStart.y(), g.m_ptEnd.x(), g.m_ptEnd.y());
    const bool mirrorX = g.m_ptEnd.x() < g.m_ptStart.x();
    const bool mirrorY = g.m_ptEnd.y() < g.m_ptStart.y();
    const QSize size(mirrorX ? -area.w() : area.w(), mirrorY ? -area.h() : area.h());
    QImage image;
    const PictureCache::Result r = ctx.cache ? ctx.cache->picture(path, size, image)
                                             : PictureCache::load(path, size, image);
    if (r == PictureCache::Result::Missing) {
        if (ctx.pictureProblems)
            ctx.pictureProblems->push_back({path, true});
        return;
    }
    if (r == PictureCache::Result::Undecodable) {
        if (ctx.pictureProblems)
            ctx.pictureProblems->push_back({path, false});
        reportPictureFailure(ctx);
    } else if (!image.isNull()) {
        const QRect target(area.l, area.t, area.w(), area.h());
        if (image.size() == target.size())
            p.drawImage(target.topLeft(), image);
        else
            p.drawImage(target, image); // too large to stretch ahead: the painter does it
    }
    if (labels)
        label(p, g, g.m_nNumber);
}

// Spans to paint for a flood fill of `image` from `seed`, in image pixels.
struct Span
{
    int y, x0, x1; // x1 included
};

bool fillSpans(const QImage &image, QPoint seed, QColor border, std::vector<Span> &spans)
{
    const int w = image.width(), h = image.height();
    if (!QRect(0, 0, w, h).contains(seed))
        return false;
    const int depth = image.depth();
    if (depth != 32 && depth != 24 && depth != 16)
        return false;

    // The border colour as this image stores it.
    QImage probe(1, 1, image.format());
    probe.fill(border);
    const uchar *pb = probe.constScanLine(0);
    const int bytes = depth / 8;
    uint32_t borderBits = 0;
    std::memcpy(&borderBits, pb, std::size_t(bytes));
    const bool ignoreAlpha = image.format() == QImage::Format_RGB32;
    auto bits = [&](int x, int y) {
        uint32_t v = 0;
        std::memcpy(&v, image.constScanLine(y) + std::size_t(x) * std::size_t(bytes), std::size_t(bytes));
        return v;
    };
    auto isBorder = [&](int x, int y) {
        const uint32_t v = bits(x, y);
        return ignoreAlpha ? ((v ^ borderBits) & 0xFFFFFFu) == 0 : v == borderBits;
    };

    std::vector<uint8_t> seen(std::size_t(w) * std::size_t(h), 0);
    auto open = [&](int x, int y) { return !seen[std::size_t(y) * w + x] && !isBorder(x, y); };
    std::vector<QPoint> stack{seed};
    while (!stack.empty()) {
        const QPoint s = stack.back();
        stack.pop_back();
        if (!open(s.x(), s.y()))
            continue;
        int x0 = s.x(), x1 = s.x();
        const int y = s.y();
        while (x0 > 0 && open(x0 - 1, y))
            --x0;
        while (x1 + 1 < w && open(x1 + 1, y))
            ++x1;
        std::fill(seen.begin() + std::ptrdiff_t(std::size_t(y) * w + x0),
                  seen.begin() + std::ptrdiff_t(std::size_t(y) * w + x1 + 1), 1);
        spans.push_back({y, x0, x1});
        for (int ny : {y - 1, y + 1}) {
            if (ny < 0 || ny >= h)
                continue;
            bool inRun = false;
            for (int x = x0; x <= x1; ++x) {
                const bool o = open(x, ny);
                if (o && !inRun)
                    stack.emplace_back(x, ny);
                inRun = o;
            }
        }
    }
    return true;
}

void fill(QPainter &p, const CGraph &g)
{
    QPaintDevice *device = p.device();
    if (!device || device->devType() != QInternal::Image)
        return; // flood fill reads pixels back: only images can do that
    const QTransform t = p.deviceTransform();
    if (t.type() > QTransform::TxTranslate)
        return;
    const QImage &image = *static_cast<QImage *>(device);
    std::vector<Span> spans;
    if (!fillSpans(image, t.map(g.m_ptEnd), colorOf(g.m_crColor1), spans))
        return;
    p.resetTransform();
    const QColor c = colorOf(g.m_crColor2);
    for (const Span &s : spans)
        p.fillRect(QRect(s.x0, s.y, s.x1 - s.x0 + 1, 1), c);
}

void drawKind(CGraph &g, QPainter &p, bool labels, const DrawContext &ctx)
{
    const int64_t x1 = g.m_ptStart.x(), y1 = g.m_ptStart.y();
    const int64_t x2 = g.m_ptEnd.x(), y2 = g.m_ptEnd.y();
    const QColor c1 = colorOf(g.m_crColor1);
    const QColor c2 = colorOf(g.m_crColor2);
    switch (g.m_nKind) {
    case Kind::Line: line(p, x1, y1, x2, y2, c1); break;
    case Kind::HollowRect: rectangle(p, x1, y1, x2, y2, &c1, nullptr); break;
    case Kind::SolidRect: rectangle(p, x1, y1, x2, y2, c1); break;
    case Kind::HollowEllipse: ellipse(p, x1, y1, x2, y2, c1, nullptr); break;
    case Kind::SolidEllipse: ellipse(p, x1, y1, x2, y2, c1, &c1); break;
    case Kind::HollowCircle:
    case Kind::SolidCircle: {
        // In floating point: the squares of far-apart points overflow 64 bits.
        const int64_t r = int64_t(std::hypot(double(x2 - x1), double(y2 - y1)));
        ellipse(p, x1 - r, y1 - r, x1 + r, y1 + r, c1,
                g.m_nKind == Kind::SolidCircle ? &c1 : nullptr);
        break;
    }
    case Kind::Fill: fill(p, g); break;
    case Kind::GroupBox:
        rectangle(p, x1, y1, x2, y2, &c2, nullptr);
        line(p, x1 + 1, y1 + 1, x2 - 1, y1 + 1, c1);
        line(p, x1 + 1, y1 + 1, x1 + 1, y2 - 1, c1);
        line(p, x1 + 1, y2, x2 + 1, y2, c1);
        line(p, x2, y1 + 1, x2, y2, c1);
        break;
    case Kind::Panel: panel(p, g); break;
    case Kind::Bitmap: bitmap(p, g, labels, ctx); break;
    case Kind::Text: textLayout(g, p, g.m_strText2, ctx); break;
    case Kind::NumericCtrl:
        textLayout(g, p, g.m_strText2, ctx);
        if (labels)
            label(p, g, g.m_nCtrlID);
        break;
    case Kind::BarCtrl: barGraph(p, g, labels); break;
    case Kind::PointerCtrl: pointer(p, g, labels); break;
    case Kind::StringCtrl:
    case Kind::TextCtrl:
        rectangle(p, x1, y1, x2, y2, c2);
        if (labels)
            label(p, g, g.m_nCtrlID);
        break;
    case Kind::ButtonCtrl: button(p, g, labels); break;
    case Kind::ImageCtrl:
        if (labels) {
            const QColor white(255, 255, 255);
            dottedOutline(p, x1 - 1, y1 - 1, x2 + 1, y2 + 1);
            rectangle(p, x1, y1, x2, y2, &c1, &white);
            label(p, g, g.m_nCtrlID);
        }
        break;
    default: break; // delete markers, the reserved kind and unknown kinds
    }
}

} // namespace

void drawEllipseSpans(QPainter &p, int cx, int cy, int rx, int ry, const QColor &colour,
                      bool filled)
{
    if (rx <= 0 || ry <= 0)
        return;
    // Only the rows that can reach the device are walked.
    int64_t firstRow = 0, lastRow = 2 * int64_t(ry); // one past
    if (p.device()) {
        const QRect area = p.deviceTransform().inverted().mapRect(
            QRect(0, 0, p.device()->width(), p.device()->height()));
        const int64_t top = int64_t(cy) - ry;
        firstRow = std::clamp<int64_t>(area.top() - top - 1, 0, lastRow);
        lastRow = std::clamp<int64_t>(area.bottom() + 2 - top, firstRow, lastRow);
    }
    for (int64_t i = firstRow; i < lastRow; ++i) {
        const int y = int(int64_t(cy) - ry + i);
        const int64_t h = ellipseHalfWidth(i, rx, ry);
        if (filled) {
            p.fillRect(pinnedRect(int64_t(cx) - h, y, 2 * h, 1), colour);
            continue;
        }
        const int64_t above = i > 0 ? ellipseHalfWidth(i - 1, rx, ry) : 0;
        const int64_t below = i + 1 < 2 * int64_t(ry) ? ellipseHalfWidth(i + 1, rx, ry) : 0;
        const int64_t inner = std::max<int64_t>(0, std::min({above, below, h - 1}));
        if (inner == 0) {
            p.fillRect(pinnedRect(int64_t(cx) - h, y, 2 * h, 1), colour);
        } else {
            p.fillRect(pinnedRect(int64_t(cx) - h, y, h - inner, 1), colour);
            p.fillRect(pinnedRect(int64_t(cx) + inner, y, h - inner, 1), colour);
        }
    }
}

void drawElement(CGraph &g, QPainter &p, bool labels, const DrawContext &ctx)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.setBackgroundMode(Qt::TransparentMode);
    QPen pen(colorOf(g.m_crColor1), 1);
    pen.setCosmetic(true);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    drawKind(g, p, labels, ctx);
    p.restore();
}

void drawElements(std::vector<CGraph> &elements, QPainter &p, bool labels, const DrawContext &ctx)
{
    for (CGraph &g : elements) {
        if (g.m_nKind != Kind::ReservedCtrl)
            drawElement(g, p, labels, ctx);
    }
    for (CGraph &g : elements) {
        if (g.m_nKind == Kind::ReservedCtrl)
            drawElement(g, p, labels, ctx);
    }
}

void floodFill(QImage &image, QPoint seed, QColor border, QColor fillColor)
{
    std::vector<Span> spans;
    if (!fillSpans(image, seed, border, spans))
        return;
    QPainter p(&image);
    for (const Span &s : spans)
        p.fillRect(QRect(s.x0, s.y, s.x1 - s.x0 + 1, 1), fillColor);
}

} // namespace h5
