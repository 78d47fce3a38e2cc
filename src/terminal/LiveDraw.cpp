#include "terminal/LiveDraw.h"

#include "model/CGraph.h"
#include "model/ElementDraw.h"
#include "project/Wire.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace h5 {

namespace {

// The element the editor would draw for a shape or text operation.
CGraph element(int kind, QPoint start, QPoint end, uint16_t colour)
{
    CGraph g;
    g.m_nKind = kind;
    g.m_ptStart = start;
    g.m_ptEnd = end;
    g.m_crColor1 = widenedColourOf565(colour);
    return g;
}

// The text element's size code of a dot size (8 -> 3, ..., 64 -> 27).
int sizeCodeOfDots(int dots)
{
    switch (dots) {
    case 8: return 3;
    case 12: return 6;
    case 24: return 12;
    case 32: return 15;
    case 48: return 21;
    case 64: return 27;
    default: return 9; // 16
    }
}

// Ellipses and circles: the spans rule the editor draws with.
void spansEllipse(QPainter &p, const ScreenOp &op, int rx, int ry, bool filled)
{
    drawEllipseSpans(p, op.x, op.y, rx, ry, QColor(rgbOf565(op.colour)), filled);
}

} // namespace

LiveFont liveFontOfCode(int code)
{
    if (const DotFont *f = dotFontOfCode(code))
        return LiveFont{f->dots, code - f->code, true};
    return LiveFont{};
}

bool isLiveShape(ScreenOp::Kind kind)
{
    using K = ScreenOp::Kind;
    switch (kind) {
    case K::Point:
    case K::Line:
    case K::HollowRect:
    case K::FilledRect:
    case K::HollowEllipse:
    case K::FilledEllipse:
    case K::HollowCircle:
    case K::FilledCircle:
        return true;
    default:
        return false;
    }
}

void drawLiveShape(QPainter &p, const ScreenOp &op)
{
    using K = ScreenOp::Kind;
    const QPoint a(op.x, op.y);
    // Shapes go through the editor's element drawing, so the pixel rules
    // are written once.
    DrawContext ctx;
    switch (op.kind) {
    case K::Point:
        p.fillRect(QRect(op.x, op.y, 1, 1), QColor(rgbOf565(op.colour)));
        return;
    case K::Line:
    case K::HollowRect:
    case K::FilledRect: {
        const int kind = op.kind == K::Line ? Kind::Line
            : op.kind == K::HollowRect      ? Kind::HollowRect
                                            : Kind::SolidRect;
        CGraph g = element(kind, a, QPoint(op.x2, op.y2), op.colour);
        drawElement(g, p, false, ctx);
        return;
    }
    case K::HollowEllipse:
    case K::FilledEllipse:
        spansEllipse(p, op, op.rx, op.ry, op.kind == K::FilledEllipse);
        return;
    case K::HollowCircle:
    case K::FilledCircle:
        spansEllipse(p, op, op.rx, op.rx, op.kind == K::FilledCircle);
        return;
    default:
        return;
    }
}

void drawLiveText(QPainter &p, const ScreenOp &op, int screenWidth)
{
    if (op.kind != ScreenOp::Kind::Text)
        return;
    const LiveFont font = liveFontOfCode(op.font);
    CGraph g = element(Kind::Text, QPoint(op.x, op.y), QPoint(op.x, op.y), op.colour);
    g.m_crColor2 = widenedColourOf565(op.background);
    g.m_nAttr = (op.mode != 0 ? 1 : 0) | (sizeCodeOfDots(font.dots) << 8) | (font.face << 16);
    g.m_strText1 = std::to_string(op.columnSpacing);
    g.m_strText3 = std::to_string(op.rowSpacing);
    g.m_strText2 = std::string(op.text.constData(), size_t(op.text.size()));
    DrawContext ctx;
    ctx.screenWidth = screenWidth;
    drawElement(g, p, false, ctx);
}

} // namespace h5
