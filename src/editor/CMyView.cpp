#include "editor/CMyView.h"

#include "project/PageExport.h"

#include "common/Gbk.h"
#include "common/Notifier.h"
#include "edit/CommandIds.h"
#include "edit/DialPicture.h"
#include "edit/EditOperations.h"
#include "edit/PageCommands.h"
#include "edit/ToolElements.h"
#include "editor/ElementForms.h"
#include "editor/PageSettingsForm.h"
#include "editor/ScreenshotForm.h"
#include "model/ElementDraw.h"
#include "model/PageRender.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace h5 {

namespace {

int clampToInt(int64_t v)
{
    return int(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

// Division rounding towards minus infinity (positions left of or above the
// page are negative).
int64_t floorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int64_t ceilDiv(int64_t a, int64_t b)
{
    return -floorDiv(-a, b);
}

// Where page coordinate `v` starts on a page drawn at `zoom` percent: page
// pixel v covers [zoomedStart(v), zoomedStart(v + 1)), which is exactly the
// range of window pixels that toPage() maps back to v.
int zoomedStart(int64_t v, int zoom)
{
    return clampToInt(ceilDiv(v * zoom, 100));
}

QPoint zoomedStart(QPoint p, int zoom)
{
    return QPoint(zoomedStart(p.x(), zoom), zoomedStart(p.y(), zoom));
}

// Where the page pixel at `p` ends: the start of the pixel after it.
QPoint zoomedEnd(QPoint p, int zoom)
{
    return QPoint(zoomedStart(int64_t(p.x()) + 1, zoom), zoomedStart(int64_t(p.y()) + 1, zoom));
}

} // namespace

CMyView::CMyView(PageDocument &document, ViewHost &host, QWidget *parent)
    : QAbstractScrollArea(parent), m_doc(document), m_host(host)
{
    setObjectName(QStringLiteral("CMyView"));
    m_canvasSize = resolutionSize(m_host.resolution());
    if (!m_canvasSize.isValid())
        m_canvasSize = resolutionSize(0);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    m_doc.setCanvasSize(m_canvasSize);
    // The pick colour tool reads what this view shows; the reader stays
    // with the document's tool rules, so it checks the view is still there.
    m_doc.interact([self = QPointer<CMyView>(this)](ToolInteraction &t) {
        t.setPixelReader([self](QPoint p) { return self ? self->shownColour(p) : COLORREF(0); });
        return InteractionResult();
    });
    m_gridShown = tools().grid().shown;
    // The document's changes: redraw, and pass on what the window title
    // follows.
    connect(&m_doc, &PageDocument::saved, this, &CMyView::refresh);
    connect(&m_doc, &PageDocument::pageChanged, this, &CMyView::refresh);
    // The selection marks follow the selection whoever changed it.
    connect(&m_doc, &PageDocument::selectionChanged, viewport(), qOverload<>(&QWidget::update));
    connect(&m_doc, &PageDocument::modifiedChanged, this, &CMyView::modifiedChanged);
    connect(&m_doc, &PageDocument::titleChanged, this, &CMyView::titleChanged);
    refresh();
}

CMyView::~CMyView() = default;

InteractionResult CMyView::interact(const std::function<InteractionResult(ToolInteraction &)> &gesture)
{
    return m_doc.interact(gesture);
}

const Project *CMyView::project() const
{
    return m_host.currentProject();
}

void CMyView::refresh()
{
    m_canvas = QImage(m_canvasSize, QImage::Format_RGB32);
    m_canvas.fill(colorOf(m_doc.settings().m_crBack));

    // A picture that does not render is reported once per view, after the
    // drawing, so a repaint never opens a message box.
    RecordingNotifier failures;
    DrawContext ctx;
    ctx.picturesDir = project() ? project()->picturesDir() : QString();
    ctx.screenWidth = m_canvasSize.width();
    ctx.cache = &m_host.pictureCache();
    ctx.notifier = &failures;
    {
        QPainter painter(&m_canvas);
        m_doc.drawElements(painter, true, ctx);
    }
    if (!failures.messages.isEmpty() && !m_pictureFailureShown) {
        m_pictureFailureShown = true;
        const QString text = failures.messages.first();
        QTimer::singleShot(0, this, [this, text] { m_host.notifier().message(text); });
    }
    updateScrollBars();
    viewport()->update();
}

QPoint CMyView::toPage(QPoint viewportPos) const
{
    // The one place where window pixels become page pixels.
    const int64_t x = int64_t(viewportPos.x()) + horizontalScrollBar()->value();
    const int64_t y = int64_t(viewportPos.y()) + verticalScrollBar()->value();
    QPoint p(clampToInt(floorDiv(x * 100, m_zoom)), clampToInt(floorDiv(y * 100, m_zoom)));
    if (p.x() >= m_canvasSize.width())
        p.setX(m_canvasSize.width() - 1);
    if (p.y() >= m_canvasSize.height())
        p.setY(m_canvasSize.height() - 1);
    return p;
}

QPoint CMyView::toViewport(QPoint pagePos) const
{
    return zoomedStart(pagePos, m_zoom)
           - QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

const std::vector<int> &CMyView::zoomSteps()
{
    static const std::vector<int> steps = {25, 50, 100, 200, 300, 400, 600, 800};
    return steps;
}

QSize CMyView::zoomedSize() const
{
    return QSize(zoomedStart(m_canvasSize.width(), m_zoom),
                 zoomedStart(m_canvasSize.height(), m_zoom));
}

QString CMyView::zoomSuffix() const
{
    return m_zoom == 100 ? QString() : QStringLiteral(" (%1%)").arg(m_zoom);
}

void CMyView::setZoom(int percent)
{
    setZoom(percent, viewport()->rect().center());
}

void CMyView::setZoom(int percent, QPoint anchor)
{
    percent = std::clamp(percent, kMinZoom, kMaxZoom);
    if (percent == m_zoom)
        return;
    // The page position under the anchor's pixel centre, in page pixels.
    const double pageX = (anchor.x() + 0.5 + horizontalScrollBar()->value()) * 100.0 / m_zoom;
    const double pageY = (anchor.y() + 0.5 + verticalScrollBar()->value()) * 100.0 / m_zoom;
    m_zoom = percent;
    updateScrollBars();
    horizontalScrollBar()->setValue(int(std::floor(pageX * m_zoom / 100.0 - anchor.x())));
    verticalScrollBar()->setValue(int(std::floor(pageY * m_zoom / 100.0 - anchor.y())));
    viewport()->update();
    emit zoomChanged(m_zoom);
}

void CMyView::zoomIn(QPoint anchor)
{
    const std::vector<int> &steps = zoomSteps();
    const auto next = std::upper_bound(steps.begin(), steps.end(), m_zoom);
    setZoom(next == steps.end() ? kMaxZoom : *next, anchor);
}

void CMyView::zoomOut(QPoint anchor)
{
    const std::vector<int> &steps = zoomSteps();
    const auto below = std::lower_bound(steps.begin(), steps.end(), m_zoom);
    setZoom(below == steps.begin() ? kMinZoom : *(below - 1), anchor);
}

int CMyView::fitZoom() const
{
    // The area without scroll bars: at the fitting zoom none are needed.
    const QSize whole = maximumViewportSize();
    const int64_t byWidth = int64_t(whole.width()) * 100 / qMax(1, m_canvasSize.width());
    const int64_t byHeight = int64_t(whole.height()) * 100 / qMax(1, m_canvasSize.height());
    return int(std::clamp<int64_t>(std::min(byWidth, byHeight), kMinZoom, kMaxZoom));
}

void CMyView::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        m_wheelRest = 0;
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    event->accept();
    const QPoint anchor = event->position().toPoint();
    m_wheelRest += event->angleDelta().y();
    // One zoom step per notch (120); a notch's worth of fine turns counts
    // as one.
    while (m_wheelRest >= 120) {
        m_wheelRest -= 120;
        zoomIn(anchor);
    }
    while (m_wheelRest <= -120) {
        m_wheelRest += 120;
        zoomOut(anchor);
    }
}

namespace {

Qt::CursorShape cursorShape(ViewCursor c)
{
    switch (c) {
    case ViewCursor::Arrow: return Qt::ArrowCursor;
    case ViewCursor::Cross: return Qt::CrossCursor;
    case ViewCursor::Eyedropper: return Qt::PointingHandCursor;
    case ViewCursor::Move: return Qt::SizeAllCursor;
    case ViewCursor::SizeNWSE: return Qt::SizeFDiagCursor;
    case ViewCursor::SizeNS: return Qt::SizeVerCursor;
    case ViewCursor::SizeNESW: return Qt::SizeBDiagCursor;
    case ViewCursor::SizeWE: return Qt::SizeHorCursor;
    }
    return Qt::ArrowCursor;
}

} // namespace

bool CMyView::onCommand(int id)
{
    if (const int tool = toolForCommand(id)) {
        m_doc.setTool(tool);
        return true;
    }
    if (const std::optional<EditCommand> edit = editCommandFor(id)) {
        const EditOutcome outcome = m_doc.runEditCommand(*edit, applicationClipboard());
        if (outcome.redraw)
            refresh();
        else
            viewport()->update();
        return true;
    }
    if (const std::optional<PageCommand> command = pageCommandFor(id)) {
        runPageCommand(*command);
        return true;
    }
    switch (id) {
    case Cmd::ExportText:
    case Cmd::ExportIds:
        exportText(id == Cmd::ExportIds);
        return true;
    case Cmd::ExportBitmap:
        exportBitmap();
        return true;
    case Cmd::Screenshot:
        saveScreenshot();
        return true;
    case Cmd::ElementEdit:
        editProperties();
        return true;
    case Cmd::Palette:
        runPalette();
        return true;
    case Cmd::ShowGrid:
        apply(interact([this](ToolInteraction &t) { return t.showGrid(!t.grid().shown, m_gridX, m_gridY); }));
        return true;
    case Cmd::ZoomIn:
        zoomIn(viewport()->rect().center());
        return true;
    case Cmd::ZoomOut:
        zoomOut(viewport()->rect().center());
        return true;
    case Cmd::ZoomActual:
        setZoom(100);
        return true;
    case Cmd::ZoomFit:
        setZoom(fitZoom());
        return true;
    default: return false;
    }
}

// The page's instructions as hex text, or its control IDs and picture
// numbers, into the project folder; the path is shown first.
void CMyView::exportText(bool ids)
{
    if (!project())
        return;
    const int pageNo = m_doc.settings().m_nPageNo;
    const QString path = project()->dir + QLatin1Char('/')
        + (ids ? exportIdsFileName(pageNo) : exportTextFileName(pageNo));
    // The path is told only once the file is written and synced; a failed
    // write tells why instead.
    QString error;
    if (writeExportFile(path, ids ? exportIdsBytes(m_doc.page()) : exportTextBytes(m_doc.page()),
                        &error))
        m_host.notifier().message(exportSavedToText() + path);
    else
        m_host.notifier().message(error);
}

// The whole page as a BMP file: every element drawn without labels, marks
// or grid on the page's background colour, whatever the scroll position.
void CMyView::exportBitmap()
{
    const QString chosen = m_host.prompts().chooseFile(bitmapFileRequest(bitmapStartDir()));
    if (chosen.isEmpty())
        return;
    RenderOptions options;
    options.resolution = project() ? m_host.resolution() : -1;
    options.picturesDir = project() ? project()->picturesDir() : QString();
    options.cache = &m_host.pictureCache();
    QString error;
    if (!writePageBitmap(m_doc.page(), options, withBmpExtension(chosen), &error))
        m_host.notifier().message(bitmapErrorText());
}

// An area of the window as it is shown (scroll position, zoom, selection
// marks and grid included) as a BMP file: the area is in window pixels, so
// at a zoom other than 100 % it holds the zoomed picture, not page pixels
// (the page bitmap is the 1:1 export). A reversed or empty area writes
// nothing and says nothing.
void CMyView::saveScreenshot()
{
    ScreenshotValues area;
    {
        // Over the main frame, as the app's own forms.
        ScreenshotForm form(area, m_host.prompts(), window());
        if (!m_host.prompts().runForm(form))
            return;
        area = form.values();
    }
    const QString chosen = m_host.prompts().chooseFile(bitmapFileRequest(bitmapStartDir()));
    if (chosen.isEmpty())
        return;
    const QImage shown = viewport()->grab().toImage();
    const QImage cut = screenshotRect(shown, area.left, area.top, area.right, area.bottom);
    if (cut.isNull())
        return;
    QString error;
    if (!writeExportFile(withBmpExtension(chosen), bmp24Bytes(cut), &error))
        m_host.notifier().message(bitmapErrorText());
}

FileRequest CMyView::pictureFileRequest(const QString &startDir)
{
    FileRequest request;
    request.folder = startDir;
    request.filter = QStringLiteral("图片文件(*.bmp *.jpg *.jpeg)");
    return request;
}

FileRequest CMyView::bitmapFileRequest(const QString &startDir)
{
    FileRequest request;
    request.kind = FileRequest::Kind::Save;
    request.folder = startDir;
    request.filter = QStringLiteral("bmp文件(*.bmp)");
    // A name typed without an extension gets ".bmp" before the chooser
    // asks about replacing a file, so the question is about the file
    // written.
    request.defaultSuffix = QStringLiteral("bmp");
    request.fileName = QStringLiteral(".bmp");
    return request;
}

QString CMyView::bitmapStartDir() const
{
    return project() ? project()->dir : QFileInfo(m_doc.filePath()).absolutePath();
}

bool CMyView::updateCommand(int id, CommandState &state) const
{
    if (const int tool = toolForCommand(id)) {
        state.enabled = true;
        state.checked = editState().tool == tool;
        return true;
    }
    if (const std::optional<EditCommand> edit = editCommandFor(id)) {
        state.enabled = m_doc.isEditCommandEnabled(*edit);
        return true;
    }
    if (const std::optional<PageCommand> command = pageCommandFor(id)) {
        state.enabled = m_doc.isPageCommandEnabled(*command);
        return true;
    }
    switch (id) {
    case Cmd::ExportText:
    case Cmd::ExportIds:
        state.enabled = project() != nullptr;
        return true;
    case Cmd::ExportBitmap:
    case Cmd::Screenshot:
        state.enabled = true;
        return true;
    case Cmd::ElementEdit:
        state.enabled = editState().selectedElement() != nullptr;
        return true;
    case Cmd::Palette:
        state.enabled = true;
        return true;
    case Cmd::ShowGrid:
        state.enabled = true;
        state.checked = tools().grid().shown;
        return true;
    case Cmd::ZoomIn:
        state.enabled = m_zoom < kMaxZoom;
        return true;
    case Cmd::ZoomOut:
        state.enabled = m_zoom > kMinZoom;
        return true;
    case Cmd::ZoomActual:
    case Cmd::ZoomFit:
        state.enabled = true;
        return true;
    default: return false;
    }
}

unsigned CMyView::commandSources(int id)
{
    if (toolForCommand(id))
        return FollowsActivePage | FollowsTool;
    if (const std::optional<EditCommand> edit = editCommandFor(id)) {
        switch (*edit) {
        case EditCommand::Paste: return FollowsActivePage | FollowsClipboard;
        case EditCommand::Undo:
        case EditCommand::Redo: return FollowsActivePage | FollowsUndo;
        default: return FollowsActivePage | FollowsSelection;
        }
    }
    if (pageCommandFor(id))
        return FollowsActivePage | FollowsProject | FollowsPage;
    switch (id) {
    case Cmd::ExportText:
    case Cmd::ExportIds: return FollowsActivePage | FollowsProject;
    case Cmd::ElementEdit: return FollowsActivePage | FollowsSelection;
    case Cmd::ShowGrid: return FollowsActivePage | FollowsGrid;
    case Cmd::ZoomIn:
    case Cmd::ZoomOut: return FollowsActivePage | FollowsZoom;
    case Cmd::ExportBitmap:
    case Cmd::Screenshot:
    case Cmd::Palette:
    case Cmd::ZoomActual:
    case Cmd::ZoomFit: return FollowsActivePage;
    default: return 0;
    }
}

QList<QMetaObject::Connection> CMyView::followCommandSources(QObject *context,
                                                             const std::function<void(unsigned)> &changed) const
{
    auto tell = [changed](unsigned sources) { return [changed, sources] { changed(sources); }; };
    return {
        connect(&m_doc, &PageDocument::toolChanged, context, tell(FollowsTool)),
        connect(&m_doc, &PageDocument::selectionChanged, context, tell(FollowsSelection)),
        connect(&m_doc, &PageDocument::undoStateChanged, context, tell(FollowsUndo)),
        connect(&m_doc, &PageDocument::clipboardChanged, context, tell(FollowsClipboard)),
        connect(&m_doc, &PageDocument::titleChanged, context, tell(FollowsPage)),
        connect(&m_doc, &PageDocument::saved, context, tell(FollowsPage)),
        connect(&m_doc, &PageDocument::pageCommandFinished, context, tell(FollowsPage)),
        connect(this, &CMyView::zoomChanged, context, tell(FollowsZoom)),
        connect(this, &CMyView::gridShownChanged, context, tell(FollowsGrid)),
    };
}

void CMyView::setGridSpacing(int spacingX, int spacingY)
{
    m_gridX = spacingX;
    m_gridY = spacingY;
    apply(interact([&](ToolInteraction &t) { return t.pollGridSpacing(spacingX, spacingY); }));
}

void CMyView::apply(const InteractionResult &r)
{
    if (r.eraseBand)
        m_band.reset();
    if (r.drawBand)
        m_band = r.drawBand;
    else if (!tools().buttonDown())
        m_band.reset(); // the redraw after the gesture covers the last band
    if (r.cursor)
        viewport()->setCursor(cursorShape(*r.cursor));
    if (r.status)
        m_host.notifier().status(*r.status);
    if (r.redraw)
        refresh();
    else
        viewport()->update();
    if (!r.message.isEmpty())
        m_host.notifier().message(r.message);
    if (tools().grid().shown != m_gridShown) {
        m_gridShown = tools().grid().shown;
        emit gridShownChanged(m_gridShown);
    }
    if (r.form)
        runForm(*r.form);
    if (r.editProperties)
        editProperties();
}

void CMyView::runForm(const FormRequest &request)
{
    if (request.tool == Tool::Bitmap) {
        runBitmapTool(request);
        return;
    }
    const QString pictures = project() ? project()->picturesDir() : QString();
    const std::optional<CGraph> built = runCreationForm(this, m_host.prompts(), request, pictures);
    if (!built)
        apply(interact([](ToolInteraction &t) { return t.cancelForm(); }));
    else if (request.tool == Tool::Characters)
        apply(interact([&](ToolInteraction &t) { return t.acceptCharacters(*built); }));
    else {
        apply(interact([&](ToolInteraction &t) { return t.acceptControl(*built); }));
        if (request.tool == Tool::PointerCtrl && !elements().empty())
            offerDialPicture(int(elements().size()) - 1);
    }
}

void CMyView::offerDialPicture(int index)
{
    const Project *p = project();
    const std::vector<CGraph> &list = elements();
    if (!p || index < 0 || index >= int(list.size()))
        return;
    const CGraph pointer = list[size_t(index)];
    if (pointer.m_nKind != Kind::PointerCtrl || pointer.m_strText1.empty()
        || pageHasDial(list, pointer))
        return;
    if (!m_host.notifier().question(placeDialQuestion(pointer)))
        return;
    // The picture goes into the project as the bitmap tool puts it there:
    // checked, given the first free number and copied into the picture
    // folder; without its copy nothing is placed.
    Project::PictureChoice choice;
    choice.number = tools().pictureNumber();
    QString error;
    if (!p->choosePicture(fromGbk(pointer.m_strText1), choice, m_host.notifier(), &error)
        || !p->copyPictureIn(choice, &error)) {
        if (!error.isEmpty())
            m_host.notifier().message(QStringLiteral("无法放置表盘图片!\n%1").arg(error));
        return;
    }
    ShapeDefaults defaults;
    defaults.pen = tools().penColour();
    defaults.fill = tools().fillColour();
    defaults.sourceIndex = editState().sourceIndex;
    m_doc.insertUnder(index, dialElement(pointer, choice, defaults));
}

void CMyView::runBitmapTool(const FormRequest &request)
{
    if (!project()) {
        apply(interact([](ToolInteraction &t) { return t.cancelForm(); }));
        return;
    }
    const Project &project = *this->project();
    const QString path = m_host.prompts().chooseFile(pictureFileRequest(project.picturesDir()));
    if (path.isEmpty()) {
        apply(interact([](ToolInteraction &t) { return t.cancelForm(); }));
        return;
    }
    // The project checks and measures the picture and offers the first
    // free picture number; its own messages (path too long, not a picture)
    // are shown by the notifier, other failures here.
    Project::PictureChoice choice;
    choice.number = tools().pictureNumber();
    QString error;
    if (!project.choosePicture(path, choice, m_host.notifier(), &error)) {
        if (!error.isEmpty())
            m_host.notifier().message(QStringLiteral("无法放置位图!\n%1").arg(error));
        apply(interact([](ToolInteraction &t) { return t.cancelForm(); }));
        return;
    }
    PlacedPicture picture;
    picture.number = choice.number;
    picture.blocks = choice.blocks;
    picture.position = request.position;
    picture.size = choice.size;
    picture.fileName = choice.fileName;
    picture.copyPath = toGbk(QDir::toNativeSeparators(choice.destination));
    picture.title = choice.title;
    if (!runBitmapForm(this, m_host.prompts(), picture)) {
        apply(interact([](ToolInteraction &t) { return t.cancelForm(); }));
        return;
    }
    // Without its copy in the project the picture would be missing from
    // every build: a failed copy places nothing.
    if (!project.copyPictureIn(choice, &error)) {
        m_host.notifier().message(QStringLiteral("无法放置位图!\n%1").arg(error));
        apply(interact([](ToolInteraction &t) { return t.cancelForm(); }));
        return;
    }
    apply(interact([&](ToolInteraction &t) { return t.placePicture(picture); }));
}

void CMyView::editProperties()
{
    const CGraph *selected = editState().selectedElement();
    if (!selected)
        return;
    // The form works on a copy; the document takes it when the form wrote
    // it.
    CGraph edited = *selected;
    FormContext ctx;
    if (const Project *p = project()) {
        ctx.projectFolder = p->dir;
        ctx.picturesFolder = p->picturesDir();
    }
    ctx.resolution = m_host.resolution();
    ctx.nextControlId = nextControlId(editState().elements());
    ctx.info.source = editState().sourceIndex;
    ctx.info.pictureNumber = tools().pictureNumber();
    ctx.info.pen = tools().penColour();
    ctx.info.fill = tools().fillColour();
    ctx.textState = &m_doc.textToolState();
    const int index = editState().selectedIndex;
    bool offerDial = false;
    switch (editElementProperties(this, m_host.prompts(), edited, ctx)) {
    case PropertyEdit::NoForm:
        return;
    case PropertyEdit::Written:
        m_doc.replaceElement(index, edited);
        offerDial = edited.m_nKind == Kind::PointerCtrl;
        break;
    case PropertyEdit::Removed:
        m_doc.removeElement(index);
        break;
    case PropertyEdit::Cancelled:
    case PropertyEdit::Refused:
        break;
    }
    // Whatever the form's answer, the element is let go: Delete or an
    // arrow key right after a form must not act on it unseen.
    m_doc.clearSelection();
    refresh();
    if (offerDial)
        offerDialPicture(index);
}

void CMyView::runPalette()
{
    PaletteValues values;
    values.pen = tools().penColour();
    values.background = m_doc.settings().m_crBack;
    if (!editPalette(this, m_host.prompts(), values))
        return;
    apply(interact([&](ToolInteraction &t) { return t.applyPalette(values.pen, values.background); }));
}

void CMyView::runPageCommand(PageCommand command)
{
    if (!project())
        return;
    switch (command) {
    case PageCommand::PageSettings: {
        // Over the main frame, as the new-page command's.
        PageSettingsForm form(m_host.resolution(), pageSettingsValues(m_doc.settings()),
                              estimateInstructionPages(m_doc.page()), window());
        if (!m_host.prompts().runForm(form))
            return;
        m_doc.applySettings(form.values());
        break;
    }
    case PageCommand::AddPage:
        m_doc.addToProject();
        break;
    case PageCommand::DeletePage: {
        // When the page is gone the document asks for its window to close;
        // the view is let go with the window, so it is looked at again only
        // if it is still there.
        const QPointer<CMyView> self(this);
        m_doc.deleteFromProject();
        if (!self)
            return;
        break;
    }
    }
}

void CMyView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    const QPoint origin(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    // At 1:1 the background colour goes on beyond the page, as on the
    // terminal. At any other zoom the page's edge has to show: the rest of
    // the window is a neutral grey and the page keeps its own background.
    const QColor beyond = m_zoom == 100 ? colorOf(m_doc.settings().m_crBack)
                                        : palette().color(QPalette::Dark);
    painter.fillRect(viewport()->rect(), beyond);
    painter.translate(origin);
    if (m_zoom == 100) {
        painter.drawImage(0, 0, m_canvas);
    } else {
        // Whole-number zooms repeat each page pixel so the pixels stay
        // sharp; only fractional zooms are smoothed.
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, m_zoom % 100 != 0);
        painter.scale(m_zoom / 100.0, m_zoom / 100.0);
        painter.drawImage(QPointF(0, 0), m_canvas);
        painter.restore();
    }
    const QRect visible(toPage(QPoint(0, 0)), toPage(viewport()->rect().bottomRight()));
    paintMarks(painter, m_zoom, visible);
    if (m_band) {
        // Exclusive-or over the page, so the band shows on any colour. It
        // runs along the first band pixel and just past the last, a line
        // of one window pixel at any zoom.
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        QPen pen(colorOf(m_band->colour));
        pen.setStyle(m_band->dotted ? Qt::DotLine : Qt::SolidLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const QRect band = QRect(m_band->from, m_band->to).normalized();
        painter.drawRect(QRect(zoomedStart(band.topLeft(), m_zoom),
                               zoomedEnd(band.bottomRight(), m_zoom) - QPoint(1, 1)));
    }
}

void CMyView::paintMarks(QPainter &painter, int zoom, const QRect &visible) const
{
    const Grid &grid = tools().grid();
    if (grid.shown) {
        const QColor back = colorOf(m_doc.settings().m_crBack);
        const QColor dot(255 - back.red(), 255 - back.green(), 255 - back.blue());
        const std::vector<QPoint> points = gridPoints(m_canvasSize, grid.spacingX, grid.spacingY);
        if (zoom == 100) {
            painter.setPen(dot);
            if (!points.empty())
                painter.drawPoints(points.data(), int(points.size()));
        } else {
            // A grid dot is its page pixel, at least one window pixel; only
            // the dots in view, as a close grid zoomed far in is a great
            // many rectangles.
            QList<QRect> rects;
            for (const QPoint &p : points) {
                if (!visible.contains(p))
                    continue;
                const QPoint from = zoomedStart(p, zoom);
                const QPoint to = zoomedEnd(p, zoom);
                rects.append(QRect(from, QSize(qMax(1, to.x() - from.x()), qMax(1, to.y() - from.y()))));
            }
            painter.setPen(Qt::NoPen);
            painter.setBrush(dot);
            painter.drawRects(rects);
        }
    }
    if (const CGraph *e = editState().selectedElement()) {
        const SelectionMarks marks = selectionMarks(*e);
        const QColor red(255, 0, 0);
        // The handle squares keep their window size, centred on the page
        // pixel of their handle.
        for (const QPoint &p : marks.squares) {
            const QPoint from = zoomedStart(p, zoom);
            const QPoint to = zoomedEnd(p, zoom);
            painter.fillRect(handleSquare(from + (to - from) / 2), red);
        }
        if (marks.framed) {
            QPen pen(red);
            pen.setStyle(Qt::DotLine);
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            // Right and bottom are exclusive.
            painter.drawRect(QRect(zoomedStart(marks.frameTopLeft, zoom),
                                   zoomedStart(marks.frameBottomRight, zoom) - QPoint(2, 2)));
        }
    }
}

COLORREF CMyView::shownColour(QPoint pagePos) const
{
    QImage shown = m_canvas.copy();
    {
        QPainter painter(&shown);
        paintMarks(painter, 100, shown.rect());
    }
    const QColor c = shown.rect().contains(pagePos) ? shown.pixelColor(pagePos)
                                                    : colorOf(m_doc.settings().m_crBack);
    return RGB(c.red(), c.green(), c.blue());
}

void CMyView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPoint p = toPage(event->position().toPoint());
    apply(interact([&](ToolInteraction &t) { return t.press(p); }));
}

void CMyView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = toPage(event->position().toPoint());
    const InteractionResult r = interact([&](ToolInteraction &t) { return t.move(p); });
    if (!r.status)
        showPosition(p);
    apply(r);
}

void CMyView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    const QPoint p = toPage(event->position().toPoint());
    apply(interact([&](ToolInteraction &t) { return t.release(p); }));
}

void CMyView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Only the double click itself: the press before it was seen already.
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint p = toPage(event->position().toPoint());
    apply(interact([&](ToolInteraction &t) { return t.doubleClick(p); }));
}

void CMyView::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    apply(interact([key](ToolInteraction &t) { return t.key(key); }));
}

void CMyView::showPosition(QPoint pagePos)
{
    m_host.notifier().status(
        QStringLiteral("逻辑坐标：X=%1,Y=%2").arg(pagePos.x()).arg(pagePos.y()));
}

void CMyView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void CMyView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void CMyView::updateScrollBars()
{
    // Scroll bars only when the page does not fit the whole area; once shown
    // they take room of their own, so the test uses the area without them.
    // The ranges follow the page's size at the current zoom.
    const QSize shown = zoomedSize();
    const QSize whole = maximumViewportSize();
    const bool fits = shown.width() <= whole.width() && shown.height() <= whole.height();
    const QSize view = fits ? whole : viewport()->size();
    horizontalScrollBar()->setRange(0, fits ? 0 : qMax(0, shown.width() - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    horizontalScrollBar()->setSingleStep(qMax(1, view.width() / 10));
    verticalScrollBar()->setRange(0, fits ? 0 : qMax(0, shown.height() - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setSingleStep(qMax(1, view.height() / 10));
}

} // namespace h5
