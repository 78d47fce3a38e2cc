#include "edit/ToolInteraction.h"

#include "edit/DragRules.h"
#include "edit/EditGeometry.h"
#include "edit/HitTest.h"
#include "edit/ToolElements.h"

#include <qnamespace.h>

#include <algorithm>
#include <cstdlib>

namespace h5 {

namespace {

constexpr COLORREF kControlBandColour = 0xFF0000; // blue
constexpr int kTextBandHeight = 16;

ViewCursor toolCursor(int tool)
{
    if (tool == Tool::PickColour)
        return ViewCursor::Eyedropper;
    if (tool >= 11)
        return ViewCursor::Cross;
    return ViewCursor::Arrow;
}

// While drawing a box-like shape its corners follow the pointer in order:
// the first point takes the smaller of start and pointer, the second the
// larger; where they are equal both stay as they are.
void stretchBox(CGraph &e, QPoint start, QPoint p)
{
    if (start.x() < p.x()) {
        e.m_ptStart.setX(start.x());
        e.m_ptEnd.setX(p.x());
    } else if (p.x() < start.x()) {
        e.m_ptStart.setX(p.x());
        e.m_ptEnd.setX(start.x());
    }
    if (start.y() < p.y()) {
        e.m_ptStart.setY(start.y());
        e.m_ptEnd.setY(p.y());
    } else if (p.y() < start.y()) {
        e.m_ptStart.setY(p.y());
        e.m_ptEnd.setY(start.y());
    }
}

bool hasDoubleByte(const std::string &gbk)
{
    return std::any_of(gbk.begin(), gbk.end(), [](char c) { return uint8_t(c) >= 0xA0; });
}

} // namespace

ToolInteraction::ToolInteraction(EditState &state, QSize canvas) : m_state(state), m_canvas(canvas) {}

InteractionResult ToolInteraction::applyPalette(COLORREF pen, COLORREF back)
{
    InteractionResult r;
    m_pen = pen;
    m_fill = pen;
    if (back != m_state.page.settings.m_crBack) {
        m_state.page.settings.m_crBack = back;
        r.redraw = true;
        r.modified = true;
    }
    return r;
}

InteractionResult ToolInteraction::showGrid(bool shown, int spacingX, int spacingY)
{
    m_grid.shown = shown;
    if (shown) {
        m_grid.spacingX = spacingX;
        m_grid.spacingY = spacingY;
    }
    InteractionResult r;
    r.redraw = true;
    return r;
}

InteractionResult ToolInteraction::pollGridSpacing(int spacingX, int spacingY)
{
    InteractionResult r;
    if (m_grid.shown && (spacingX != m_grid.spacingX || spacingY != m_grid.spacingY)) {
        m_grid.spacingX = spacingX;
        m_grid.spacingY = spacingY;
        r.redraw = true;
    }
    return r;
}

FormRequest ToolInteraction::formRequest(int tool) const
{
    FormRequest f;
    f.tool = tool;
    f.position = m_start;
    f.size = QSize(m_end.x() - m_start.x(), m_end.y() - m_start.y());
    f.controlId = nextControlId(m_state.elements());
    f.text = m_text;
    f.info.source = m_state.sourceIndex;
    f.info.pictureNumber = m_picture.number;
    f.info.pen = m_pen;
    f.info.fill = m_fill;
    f.pictureBlocks = m_picture.blocks;
    return f;
}

void ToolInteraction::appendElement(const CGraph &e, InteractionResult &r)
{
    m_state.elements().push_back(e);
    r.change = ElementChange::Appended;
    r.index = int(m_state.elements().size()) - 1;
    r.redraw = true;
    r.modified = true;
}

void ToolInteraction::drawBand(const Band &b, InteractionResult &r)
{
    if (m_bandDrawn)
        r.eraseBand = m_band;
    r.drawBand = b;
    m_band = b;
    m_bandDrawn = true;
}

InteractionResult ToolInteraction::press(QPoint p)
{
    InteractionResult r;
    p = clampToCanvas(p, m_canvas);
    m_buttonDown = true;
    m_pressed = true;
    m_dragMode = DragMode::None;
    const int tool = m_state.tool;

    if (tool == Tool::PickColour) {
        r.cursor = ViewCursor::Eyedropper;
        if (m_pixelAt)
            m_pen = m_pixelAt(p);
        return r;
    }
    if (tool == Tool::Pointer) {
        const CGraph *selected = m_state.selectedElement();
        if (!selected) {
            // A press without a selection only selects; it never drags.
            m_buttonDown = false;
            const int hit = hitTest(m_state.elements(), p);
            if (hit >= 0) {
                m_state.select(hit);
                r.redraw = true;
            }
            return r;
        }
        if (const std::optional<Handle> h = handleAt(*selected, p)) {
            m_dragMode = h->dragMode;
            r.cursor = h->cursor;
        } else if (!dragHandles(*selected).empty()) {
            m_state.clearSelection();
            r.redraw = true;
        }
        return r;
    }
    if (tool < 11)
        return r;

    r.cursor = ViewCursor::Cross;
    m_state.clearSelection();
    r.redraw = true;
    m_start = m_end = p;
    m_bandDrawn = false;

    if (tool == Tool::Bitmap) {
        // The file choice and the bitmap form take over the rest of the
        // click; placePicture() or cancelForm() finishes it.
        m_buttonDown = false;
        r.form = formRequest(tool);
        return r;
    }
    if (tool == Tool::GroupBox || tool == Tool::Panel) {
        m_picture.number = 0;
        appendElement(newFrameElement(tool, p, m_state.sourceIndex), r);
        return r;
    }
    if (isShapeTool(tool)) {
        ShapeDefaults d;
        d.pen = m_pen;
        d.fill = m_fill;
        d.pictureBlocks = m_picture.blocks;
        d.pictureNumber = m_picture.number;
        d.sourceIndex = m_state.sourceIndex;
        d.text1 = m_picture.fileName;
        d.text2 = m_picture.copyPath;
        d.text3 = m_picture.title;
        appendElement(newShapeElement(tool, m_start, m_end, d), r);
    }
    return r;
}

InteractionResult ToolInteraction::move(QPoint p)
{
    InteractionResult r;
    const int tool = m_state.tool;
    r.cursor = toolCursor(tool);
    p = clampToCanvas(p, m_canvas);
    r.status = coordinateStatusText(p);

    if (m_buttonDown && tool == Tool::Characters) {
        drawBand({m_start, QPoint(p.x(), m_start.y() + kTextBandHeight), false, m_pen}, r);
        m_end.setX(p.x());
    } else if (m_buttonDown && isControlTool(tool) && tool != Tool::PointerCtrl
               && tool != Tool::NumericCtrl) {
        drawBand({m_start, p, true, kControlBandColour}, r);
        m_end = p;
    } else if (m_buttonDown && isShapeTool(tool) && tool != Tool::Bitmap && !m_state.elements().empty()) {
        CGraph &e = m_state.elements().back();
        if (e.m_nKind == Kind::Line || isCircleKind(e.m_nKind))
            e.m_ptEnd = p;
        else
            stretchBox(e, m_start, p);
        r.change = ElementChange::Updated;
        r.index = int(m_state.elements().size()) - 1;
        r.redraw = true;
        r.modified = true;
    }

    if (const CGraph *selected = m_state.selectedElement()) {
        if (const std::optional<Handle> h = hoverHandle(*selected, p))
            r.cursor = h->cursor;
    }

    if (m_buttonDown && m_dragMode != DragMode::None) {
        m_state.tool = Tool::Pointer;
        if (CGraph *e = m_state.selectedElement()) {
            dragStep(*e, m_dragMode, p, m_grid);
            correctBounds(*e, m_canvas);
            r.change = ElementChange::Updated;
            r.index = m_state.selectedIndex;
        }
        r.redraw = true;
        r.modified = true;
    }
    return r;
}

InteractionResult ToolInteraction::release(QPoint p)
{
    InteractionResult r;
    const bool pressed = m_pressed;
    m_pressed = false;
    m_buttonDown = false;
    m_bandDrawn = false;
    p = clampToCanvas(p, m_canvas);
    const int tool = m_state.tool;

    // A release whose press this view did not see (the second release of a
    // double click, or the bitmap tool's click that its dialogs took) makes
    // nothing.
    const bool gesture = pressed && tool != Tool::Bitmap;

    if (gesture && tool == Tool::Characters) {
        m_end = QPoint(p.x(), m_start.y() + kTextBandHeight);
        if (m_end.x() < m_start.x()) {
            const int x = m_start.x();
            m_start.setX(m_end.x());
            m_end.setX(x);
        }
        r.form = formRequest(tool);
    } else if (gesture && isControlTool(tool)) {
        m_end = p;
        if (tool == Tool::BarCtrl || tool == Tool::ImageCtrl || tool == Tool::ButtonCtrl) {
            const QPoint a = m_start, b = m_end;
            m_start = QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y()));
            m_end = QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y()));
        }
        r.form = formRequest(tool);
    }

    if (m_dragMode != DragMode::None) {
        m_state.clearSelection();
        m_dragMode = DragMode::None;
        r.redraw = true;
    }

    if (gesture && isShapeTool(tool)) {
        auto &list = m_state.elements();
        if (!list.empty() && isZeroSizeShape(list.back())) {
            r.change = ElementChange::Removed;
            r.index = int(list.size()) - 1;
            list.pop_back();
        }
        r.redraw = true;
        r.modified = true;
    }

    if (tool == Tool::Pointer || tool == Tool::PickColour)
        m_state.tool = Tool::Pointer;
    return r;
}

InteractionResult ToolInteraction::doubleClick(QPoint p)
{
    InteractionResult r;
    p = clampToCanvas(p, m_canvas);
    if (m_state.tool != Tool::Pointer)
        return r;
    const int hit = hitTest(m_state.elements(), p);
    if (hit >= 0) {
        m_state.select(hit);
        r.redraw = true;
    }
    r.editProperties = m_state.selectedElement() != nullptr;
    return r;
}

InteractionResult ToolInteraction::key(int qtKey)
{
    InteractionResult r;
    // A modifier key alone (Ctrl for zooming with the wheel, Shift, Alt)
    // changes nothing; every other key marks the page modified.
    switch (qtKey) {
    case Qt::Key_Control:
    case Qt::Key_Shift:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_AltGr:
        return r;
    default:
        break;
    }
    r.redraw = true;
    r.modified = true;
    CGraph *e = m_state.selectedElement();
    if (!e)
        return r;
    QPoint d;
    switch (qtKey) {
    case Qt::Key_Up: d = QPoint(0, -1); break;
    case Qt::Key_Down: d = QPoint(0, 1); break;
    case Qt::Key_Left: d = QPoint(-1, 0); break;
    case Qt::Key_Right: d = QPoint(1, 0); break;
    default: return r;
    }
    e->m_ptStart = wrappedAdd(e->m_ptStart, d);
    e->m_ptEnd = wrappedAdd(e->m_ptEnd, d);
    r.change = ElementChange::Updated;
    r.index = m_state.selectedIndex;
    return r;
}

InteractionResult ToolInteraction::placePicture(const PlacedPicture &picture)
{
    InteractionResult r;
    m_picture = picture;
    ShapeDefaults d;
    d.pen = m_pen;
    d.fill = m_fill;
    d.pictureBlocks = picture.blocks;
    d.pictureNumber = picture.number;
    d.sourceIndex = m_state.sourceIndex;
    d.text1 = picture.fileName;
    d.text2 = picture.copyPath;
    d.text3 = picture.title;
    const QPoint end = picture.position + QPoint(picture.size.width(), picture.size.height());
    appendElement(newShapeElement(Tool::Bitmap, picture.position, end, d), r);
    return r;
}

InteractionResult ToolInteraction::cancelForm()
{
    InteractionResult r;
    r.redraw = true;
    return r;
}

InteractionResult ToolInteraction::acceptCharacters(const CGraph &text)
{
    InteractionResult r;
    r.redraw = true;
    if (text.m_strText2.empty())
        return r;
    m_text.foreground = text.m_crColor1;
    m_text.background = text.m_crColor2;
    m_text.attr = text.m_nAttr;
    m_text.columnSpacing = std::atoi(text.m_strText1.c_str());
    m_text.lineSpacing = std::atoi(text.m_strText3.c_str());
    if (((text.m_nAttr >> 8) & 0xFF) == 3 && hasDoubleByte(text.m_strText2)) {
        r.message = QStringLiteral("8点阵无中文字符。");
        return r;
    }
    CGraph e = text;
    e.m_ptEnd = e.m_ptStart; // the drawing measures the text's extent
    e.m_nSource = m_state.sourceIndex;
    appendElement(e, r);
    return r;
}

InteractionResult ToolInteraction::acceptControl(const CGraph &control)
{
    InteractionResult r;
    r.redraw = true;
    if (control.m_nKind == Kind::PointerCtrl) {
        QString refusal;
        if (control.m_strText2.empty())
            refusal += QStringLiteral("请加载指针!");
        if (control.m_strText3.empty())
            refusal += QStringLiteral("请选择位图!");
        if (!refusal.isEmpty()) {
            r.message = refusal;
            return r;
        }
    }
    if ((control.m_nKind == Kind::BarCtrl || control.m_nKind == Kind::ButtonCtrl)
        && (control.m_ptStart.x() == control.m_ptEnd.x()
            || control.m_ptStart.y() == control.m_ptEnd.y()))
        return r;
    CGraph e = control;
    e.m_nSource = m_state.sourceIndex;
    appendElement(e, r);
    return r;
}

} // namespace h5
