#pragma once
// The page view's mouse and keyboard rules as a state machine without a
// widget. The view forwards its events in page pixels (scroll offset
// applied) and acts on the result: redraw, mark the document modified, set
// the cursor and the status text, draw or erase the rubber band, open a
// form. What a form returns comes back through the accept calls.
//
// Gestures: idle -> press -> moves -> release -> idle. A press with a shape
// tool appends the shape at once and the moves stretch it; with the
// characters and control tools the moves draw a band and the release asks
// for the form; with the pointer tool a press selects (and does nothing
// else) or grabs a handle of the selected element, and the moves drag it.

#include "edit/EditState.h"
#include "edit/FontValues.h"
#include "edit/FormValues.h"
#include "edit/GridSnap.h"
#include "edit/Handles.h"

#include <QPoint>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>
#include <string>

namespace h5 {

// A rubber band drawn in exclusive-or mode from `from` to `to`, no fill:
// solid in the pen colour for the characters tool, dotted blue for the
// control tools.
struct Band
{
    QPoint from;
    QPoint to;
    bool dotted = false;
    COLORREF colour = 0;

    bool operator==(const Band &o) const
    {
        return from == o.from && to == o.to && dotted == o.dotted && colour == o.colour;
    }
};

// A form the view must open to finish a gesture, in creation mode.
struct FormRequest
{
    // Tool::Characters, Tool::Bitmap (file choice, then the bitmap form) or
    // a control tool's code.
    int tool = 0;
    // Start point of the element: top left, the pointer control's centre,
    // the bitmap's press point.
    QPoint position;
    // Bar graph, image and button controls: end - start (start <= end).
    QSize size;
    int controlId = 0;
    // Button control.
    int borderWidth = 3;
    bool sendCoordinates = false;
    bool sendId = true;
    // Characters: the tool's last values (the same as textState()).
    TextToolState text;
    // What a new element takes from the view: source index, picture number,
    // pen and fill colour.
    NewElementInfo info;
    int pictureBlocks = 1;
};

enum class ElementChange { None, Appended, Updated, Removed };

struct InteractionResult
{
    bool redraw = false;
    bool modified = false;
    std::optional<ViewCursor> cursor;
    std::optional<QString> status; // text for the status bar's message pane
    ElementChange change = ElementChange::None;
    int index = -1; // element appended, updated or removed
    std::optional<FormRequest> form;
    bool editProperties = false; // run the element property command
    std::optional<Band> eraseBand; // erase first (exclusive-or again)
    std::optional<Band> drawBand;
    QString message; // to show with the exclamation icon
};

// The bitmap tool's choice, after the file dialog and the bitmap form.
struct PlacedPicture
{
    int number = 0;
    int blocks = 1;
    QPoint position;
    QSize size;
    std::string fileName; // GBK
    std::string copyPath; // the copy in the project's picture folder, GBK
    std::string title;    // GBK
};

class ToolInteraction
{
public:
    ToolInteraction(EditState &state, QSize canvas);

    QSize canvas() const { return m_canvas; }
    void setCanvas(QSize canvas) { m_canvas = canvas; }
    int tool() const { return m_state.tool; }
    void setTool(int code) { m_state.tool = code; }

    COLORREF penColour() const { return m_pen; }
    COLORREF fillColour() const { return m_fill; }
    // The palette form's OK: pen and fill colour take the chosen colour; a
    // new background colour goes into the page settings and redraws.
    InteractionResult applyPalette(COLORREF pen, COLORREF back);
    // How the pick colour tool reads the colour shown at a page point.
    void setPixelReader(std::function<COLORREF(QPoint)> reader) { m_pixelAt = std::move(reader); }

    const Grid &grid() const { return m_grid; }
    // The show-grid command: on with the spacing boxes' values, or off.
    InteractionResult showGrid(bool shown, int spacingX, int spacingY);
    // The grid timer: redraws when either spacing changed.
    InteractionResult pollGridSpacing(int spacingX, int spacingY);

    InteractionResult press(QPoint p);
    InteractionResult move(QPoint p);
    InteractionResult release(QPoint p);
    InteractionResult doubleClick(QPoint p);
    // Key down with a Qt key code: the arrows move the selected element by
    // one pixel. Every key redraws and marks the page modified.
    InteractionResult key(int qtKey);

    // The bitmap form's OK: appends the picture element.
    InteractionResult placePicture(const PlacedPicture &picture);
    // A file dialog or form cancelled: nothing is added, the page redrawn.
    InteractionResult cancelForm();
    // The characters form's OK with the text element it built. An empty
    // text adds nothing; otherwise its colours, attribute word and spacings
    // become the tool's last values, and an 8-dot text with a two-byte
    // character is refused with "8点阵无中文字符。". (A form that already
    // refused the text simply does not call this.)
    InteractionResult acceptCharacters(const CGraph &text);
    // A control form's OK with the element it built. A pointer control
    // without pointer or dial picture is refused with "请加载指针!" and/or
    // "请选择位图!"; a bar graph or button of width or height 0 silently.
    InteractionResult acceptControl(const CGraph &control);

    bool buttonDown() const { return m_buttonDown; }
    int dragMode() const { return m_dragMode; }
    QPoint startPoint() const { return m_start; }
    QPoint endPoint() const { return m_end; }
    // The characters tool's last values; a form may update them directly.
    TextToolState &textState() { return m_text; }
    const TextToolState &textState() const { return m_text; }
    int pictureNumber() const { return m_picture.number; }
    int pictureBlocks() const { return m_picture.blocks; }
    // The band drawn last in the gesture under way.
    std::optional<Band> band() const { return m_bandDrawn ? std::optional<Band>(m_band) : std::nullopt; }

private:
    FormRequest formRequest(int tool) const;
    void appendElement(const CGraph &e, InteractionResult &r);
    void drawBand(const Band &b, InteractionResult &r);

    EditState &m_state;
    QSize m_canvas;
    Grid m_grid;
    std::function<COLORREF(QPoint)> m_pixelAt;

    bool m_buttonDown = false;
    bool m_pressed = false; // a press of this view started the gesture
    int m_dragMode = 0;
    QPoint m_start;
    QPoint m_end;
    bool m_bandDrawn = false;
    Band m_band;

    COLORREF m_pen = 0xFFFFFF;
    COLORREF m_fill = 0;
    TextToolState m_text;
    PlacedPicture m_picture; // the last placed picture's number, blocks and names
};

} // namespace h5
