// The control frames of a page, drawn by the terminal's screen in their
// initial state. Where a control looks as the editor draws it, the
// editor's own drawing (model/ElementDraw.h) is called with the element the
// frame was compiled from, so the two cannot drift apart.

#include "terminal/TerminalScreen.h"

#include "common/Bytes.h"
#include "model/CGraph.h"
#include "model/ElementDraw.h"
#include "model/NumericFormat.h"
#include "project/Wire.h"

#include <QGuiApplication>
#include <QPainter>
#include <algorithm>

namespace h5 {

namespace {

// The box of the outline of a control whose size the frame does not give.
constexpr int kMarkSize = 16;

} // namespace

void TerminalScreen::outline(int x1, int y1, int x2, int y2, uint16_t colour)
{
    ScreenOp op;
    op.kind = ScreenOp::Kind::HollowRect;
    op.colour = colour;
    op.x = x1;
    op.y = y1;
    op.x2 = x2;
    op.y2 = y2;
    QPainter p(&drawLayer());
    drawLiveShape(p, op);
    ++m_record.controlsOutlined;
    changed();
}

void TerminalScreen::executeControl(const ControlOp &c, const PictureLookup &pictures,
                                    const QMap<int, QByteArray> &needles)
{
    using K = ControlOp::Kind;
    m_select = -1;
    auto drawGraph = [this](CGraph &g) {
        QPainter p(&drawLayer());
        drawElement(g, p, false, DrawContext());
        changed();
    };
    switch (c.kind) {
    case K::String: {
        const LiveFont font = liveFontOfCode(c.font);
        if (!font.known) {
            outline(c.x, c.y, c.x + c.count * kMarkSize / 2, c.y + kMarkSize, c.colour);
            return;
        }
        // The area of `count` characters of the font, in the background colour.
        const int cell = font.dots == 8 ? 8 : font.dots / 2;
        CGraph g;
        g.m_nKind = Kind::StringCtrl;
        g.m_ptStart = QPoint(c.x, c.y);
        g.m_ptEnd = QPoint(c.x + c.count * cell, c.y + font.dots);
        g.m_crColor1 = widenedColourOf565(c.colour);
        g.m_crColor2 = widenedColourOf565(c.background);
        drawGraph(g);
        return;
    }
    case K::Pointer: {
        const QByteArray table = needles.value(c.controlId);
        QSize dial;
        Picture probe;
        const bool haveDial = pictures && pictures(c.number, probe) && probe.width > 0
                              && probe.height > 0 && probe.read;
        if (!haveDial || table.size() < 8 || c.count == 0) {
            if (!haveDial) {
                m_record.missingPicture = c.number;
                ++m_record.missingPictures;
                outline(c.x, c.y, c.x + kMarkSize, c.y + kMarkSize, c.colour);
            } else {
                outline(c.x, c.y, c.x + probe.width, c.y + probe.height, c.colour);
            }
            return;
        }
        pictureAt(c.number, c.x, c.y, pictures, &dial);
        // The needle at the first position of its table: the minimum.
        const char *e = table.constData();
        const QLine needle(int16_t(getLe16(e)), int16_t(getLe16(e + 2)),
                           int16_t(getLe16(e + 4)), int16_t(getLe16(e + 6)));
        // The thickness byte is 2 x line width - 1: a width of 0 sends FF.
        const int width = int(int8_t(uint8_t(c.thickness)));
        QPainter p(&drawLayer());
        if (width <= 1) {
            CGraph g;
            g.m_nKind = Kind::Line;
            g.m_ptStart = needle.p1();
            g.m_ptEnd = needle.p2();
            g.m_crColor1 = widenedColourOf565(c.colour);
            drawElement(g, p, false, DrawContext());
        } else {
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setPen(QPen(QColor(rgbOf565(c.colour)), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawLine(needle);
        }
        changed();
        return;
    }
    case K::Numeric: {
        const int code = dotFontCode(c.dots); // face 0; 0 when there is none
        const std::string text =
            numericPreviewText(c.minimum, NumericFormat::ofStyle(c.style, c.intDigits, c.decimals));
        if (code == 0) {
            outline(c.x, c.y, c.x + int(text.size()) * kMarkSize / 2, c.y + kMarkSize, c.colour);
            return;
        }
        if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
            ++m_record.textsNotDrawn;
            return;
        }
        ScreenOp op;
        op.kind = ScreenOp::Kind::Text;
        op.colour = c.colour;
        op.background = c.background;
        op.x = c.x;
        op.y = c.y;
        op.mode = 1;
        op.font = code;
        op.text = QByteArray(text.data(), qsizetype(text.size()));
        QPainter p(&drawLayer());
        drawLiveText(p, op, m_width);
        changed();
        return;
    }
    case K::Bar: {
        // Sent inside the frame: x1 + 1, y1 + 1, x2 - 1, y2 - 1.
        const int x1 = c.x - 1, y1 = c.y - 1, x2 = c.x2 + 1, y2 = c.y2 + 1;
        if (c.style > 7) {
            outline(x1, y1, x2, y2, c.colour3);
            return;
        }
        CGraph g;
        g.m_nKind = Kind::BarCtrl;
        g.m_ptStart = QPoint(x1, y1);
        g.m_ptEnd = QPoint(x2, y2);
        g.m_crColor1 = widenedColourOf565(c.colour);
        g.m_crColor2 = widenedColourOf565(c.background);
        g.m_crColor3 = widenedColourOf565(c.colour3);
        g.m_nAttr = c.style;
        g.m_nValue3 = c.minimum;
        g.m_nValue4 = c.maximum;
        drawGraph(g);
        return;
    }
    case K::Image: {
        if (!pictureAt(c.number, c.x, c.y, pictures, nullptr))
            outline(c.x, c.y, c.x + kMarkSize, c.y + kMarkSize, 0xFFFF);
        return;
    }
    case K::TextArea: {
        CGraph g;
        g.m_nKind = Kind::TextCtrl;
        g.m_ptStart = QPoint(c.x, c.y);
        g.m_ptEnd = QPoint(c.x2, c.y2);
        g.m_crColor1 = widenedColourOf565(c.colour);
        g.m_crColor2 = widenedColourOf565(c.background);
        drawGraph(g);
        return;
    }
    case K::Button: {
        // Sent inside the frame: the box less the border width on every side.
        const int b = c.style & 0x0F;
        CGraph g;
        g.m_nKind = Kind::ButtonCtrl;
        g.m_ptStart = QPoint(c.x - b, c.y - b);
        g.m_ptEnd = QPoint(c.x2 + b, c.y2 + b);
        g.m_crColor1 = widenedColourOf565(c.background); // light edge
        g.m_crColor2 = widenedColourOf565(c.colour3);    // dark edge
        g.m_crColor3 = widenedColourOf565(c.colour);     // face
        // The caption is a text frame of its own after the button.
        g.m_nStyle = c.style & ~0x40;
        drawGraph(g);
        return;
    }
    }
}

} // namespace h5
