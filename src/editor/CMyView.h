#pragma once
// The page view: one open page in its page window. It is given the page's
// document (the page, its file, edit state and modified flag) and the host
// around it (forms, resolution, picture cache), shows the page the way the
// terminal draws it (with control labels) at the window's zoom, edits it
// with the drawing tools and writes the pointer position into the status
// bar. It knows nothing of other windows: what a page command means for
// them the document announces and the application carries out.
//
// The page is drawn into an image the size of the page (`canvas()`), which
// the paint event copies, scaled by the zoom: whole-number zooms repeat each
// page pixel (no smoothing), fractional ones are smoothed. Beyond the page
// the window shows the page's background colour at 1:1, as the terminal
// does, and a neutral grey (the palette's dark colour) at any other zoom,
// so the page's edge shows. The page is drawn anew when the document says
// it changed; refresh() draws it on demand.
//
// Every viewport position goes through toPage() before anything else sees
// it, so the tool rules, hit tests, drags and the status bar all work in
// page pixels whatever the zoom. Selection marks, the band and the grid
// dots are drawn in window pixels at the places the zoom gives them, so
// the marks keep their size on the screen.
//
// Mouse and key events go to the view's ToolInteraction (edit/), whose
// results the view carries out: cursor, status text, rubber band, redraw,
// modified flag and the creation and property forms. Selection marks and
// the dot grid are painted over the page image, the band on top of them.
//
// Commands reach the view through onCommand()/updateCommand(): the main
// frame offers every command to the active view first. The view runs the
// drawing tools, the edit commands (application clipboard), the element
// property form, the palette, the grid and the three page commands. A
// command's state follows the signal of what it depends on: the document's
// (selection, tool, undo, clipboard, title) or the view's own (zoom, grid).

#include "edit/EditState.h"
#include "edit/PageDocument.h"
#include "editor/CommandSources.h"
#include "edit/ToolInteraction.h"
#include "editor/ViewHost.h"
#include "project/Project.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QList>
#include <QMetaObject>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace h5 {

class CMyView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    CMyView(PageDocument &document, ViewHost &host, QWidget *parent = nullptr);
    ~CMyView() override;

    PageDocument &document() const { return m_doc; }

    // ---- the page (the document's; changed only through it) --------------------
    const OpenPage &openPage() const { return m_doc.openPage(); }
    const Page &page() const { return m_doc.page(); }
    const CTypeGraph &settings() const { return m_doc.settings(); }
    const std::vector<CGraph> &elements() const { return m_doc.elements(); }
    QString filePath() const { return m_doc.filePath(); }
    QString pageName() const { return m_doc.pageName(); }
    QString title() const { return m_doc.title(); }
    bool isModified() const { return m_doc.isModified(); }
    void setModified(bool modified = true) { m_doc.setModified(modified); }
    bool save() { return m_doc.save(); }

    // ---- drawing -------------------------------------------------------------
    // Draws the page again from its element list and repaints.
    void refresh();
    // Page size of the project's resolution.
    QSize canvasSize() const { return m_canvasSize; }
    // The page as last drawn (canvasSize(), background and elements).
    const QImage &canvas() const { return m_canvas; }
    // A point of the viewport in page pixels, scroll position and zoom
    // applied (the page pixel the window pixel shows). Values at or beyond
    // the page's right or bottom edge become the last column or row; values
    // left of or above the page stay as they are.
    QPoint toPage(QPoint viewportPos) const;
    // The viewport position of a page pixel's top left corner.
    QPoint toViewport(QPoint pagePos) const;

    // ---- choosers --------------------------------------------------------------
    // A picture (.bmp, .jpg, .jpeg) for the bitmap tool.
    static FileRequest pictureFileRequest(const QString &startDir);
    // A .bmp file to write (the page bitmap and the screenshot); the user is
    // asked before an existing file is replaced.
    static FileRequest bitmapFileRequest(const QString &startDir);

    // ---- zoom ----------------------------------------------------------------
    // The zoom in percent, kMinZoom..kMaxZoom; 100 shows the page 1:1.
    static constexpr int kMinZoom = 25;
    static constexpr int kMaxZoom = 800;
    // The zooms that zoom in and out step through.
    static const std::vector<int> &zoomSteps();
    int zoom() const { return m_zoom; }
    // Sets the zoom (clamped to kMinZoom..kMaxZoom) keeping the page pixel
    // under `anchor` (a viewport position) where it is, as far as the scroll
    // range allows.
    void setZoom(int percent, QPoint anchor);
    void setZoom(int percent);
    // The next step above or below the current zoom, around `anchor`.
    void zoomIn(QPoint anchor);
    void zoomOut(QPoint anchor);
    // The largest whole percent that shows the whole page in the window
    // without scroll bars, within kMinZoom..kMaxZoom.
    int fitZoom() const;
    // The page's size on the screen at the current zoom.
    QSize zoomedSize() const;
    // What the window title shows after the page's name: empty at 100 %,
    // otherwise the zoom, e.g. " (200%)".
    QString zoomSuffix() const;

    // ---- tools and commands --------------------------------------------------
    // The current tool: Tool::Pointer, Tool::PickColour or an element kind.
    int tool() const { return m_doc.tool(); }
    // Selection, undo stacks, tool and source index of this page.
    const EditState &editState() const { return m_doc.editState(); }
    // The mouse and keyboard rules (pen colour, grid, gesture under way),
    // which the document runs.
    const ToolInteraction &tools() const { return m_doc.tools(); }
    // The rubber band shown over the page, if any.
    std::optional<Band> band() const { return m_band; }
    // The main frame's grid spacing boxes: taken when the grid is turned on
    // and followed while it is shown.
    void setGridSpacing(int spacingX, int spacingY);

    struct CommandState
    {
        bool enabled = false;
        bool checked = false;
    };
    // Runs a command; false when the view does not handle it.
    virtual bool onCommand(int id);
    // Enabled and checked state of a command; false when the view does not
    // handle it.
    virtual bool updateCommand(int id, CommandState &state) const;
    // What the state updateCommand() gives for `id` depends on, as
    // CommandSource bits; 0 for a command the view does not handle.
    static unsigned commandSources(int id);
    // Calls `changed` with the CommandSource bits of each change of this
    // view or its document, for as long as `context` lives or until the
    // returned connections are ended.
    QList<QMetaObject::Connection> followCommandSources(QObject *context,
                                                        const std::function<void(unsigned)> &changed) const;

signals:
    // The document's modified flag and title, passed on for the window.
    void modifiedChanged(bool modified);
    void titleChanged(const QString &title);
    void zoomChanged(int percent);
    // The grid was turned on or off.
    void gridShownChanged(bool shown);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    // Ctrl + wheel zooms around the pointer; without Ctrl the wheel scrolls.
    void wheelEvent(QWheelEvent *event) override;

    // Writes "逻辑坐标：X=%d,Y=%d" into the status bar.
    void showPosition(QPoint pagePos);

private:
    // The open project, or null.
    const Project *project() const;
    void updateScrollBars();
    // Runs a gesture through the document's tool rules.
    InteractionResult interact(const std::function<InteractionResult(ToolInteraction &)> &gesture);
    // Acts on what the tool rules decided: band, cursor, status text,
    // modified flag, redraw, forms, the property command, messages.
    void apply(const InteractionResult &result);
    void runForm(const FormRequest &request);
    // The bitmap tool's click: picture file, free picture number, bitmap
    // form, the copy into the project's picture folder.
    void runBitmapTool(const FormRequest &request);
    // After the pointer form: the control at `index` names a dial picture
    // the page does not show; the user is asked whether to place it under
    // the control.
    void offerDialPicture(int index);
    void exportText(bool ids);
    void exportBitmap();
    void saveScreenshot();
    QString bitmapStartDir() const;
    void editProperties();
    void runPageCommand(PageCommand command);
    void runPalette();
    // Grid dots and selection marks over the page, in the coordinates of a
    // page drawn at `zoom` percent from (0, 0); `visible` is the part of the
    // page in view (grid dots elsewhere may be left out).
    void paintMarks(QPainter &painter, int zoom, const QRect &visible) const;
    COLORREF shownColour(QPoint pagePos) const;

    PageDocument &m_doc;
    ViewHost &m_host;
    std::optional<Band> m_band;
    bool m_gridShown = false; // as last announced
    int m_gridX = 1;
    int m_gridY = 1;
    QSize m_canvasSize;
    QImage m_canvas;
    bool m_pictureFailureShown = false;
    int m_zoom = 100;
    // Wheel turns below one notch (fine-grained wheels), kept until they
    // add up to one.
    int m_wheelRest = 0;
};

} // namespace h5
