#include "editor/CMyView.h"

#include "common/Notifier.h"
#include "model/ElementDraw.h"
#include "shell/CMyApp.h"
#include "shell/Commands.h"
#include "shell/ShellNotifier.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

namespace h5 {

CMyView::CMyView(CMyApp &app, OpenPage page, QWidget *parent)
    : QAbstractScrollArea(parent), m_app(app), m_page(std::move(page))
{
    setObjectName(QStringLiteral("CMyView"));
    m_pageName = QString::number(m_page.page.settings.m_nPageNo);
    m_canvasSize = resolutionSize(m_app.resolution());
    if (!m_canvasSize.isValid())
        m_canvasSize = resolutionSize(0);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    refresh();
}

CMyView::~CMyView() = default;

void CMyView::setPageName(const QString &name)
{
    if (m_pageName == name)
        return;
    m_pageName = name;
    emit titleChanged(title());
}

void CMyView::setModified(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

bool CMyView::save()
{
    QString error;
    if (!m_app.isProjectOpen()) {
        m_app.notifier().message(QStringLiteral("请放入工程中!"));
        return false;
    }
    OpenPage copy = m_page;
    if (!m_app.project().savePage(copy, m_app.notifier(), &error)) {
        m_app.notifier().message(error.isEmpty()
                                     ? QStringLiteral("%1 保存失败!").arg(title())
                                     : QStringLiteral("%1 保存失败!\n%2").arg(title(), error));
        return false;
    }
    m_page = std::move(copy);
    afterSave();
    return true;
}

void CMyView::afterSave()
{
    setModified(false);
    refresh();
}

void CMyView::refresh()
{
    m_canvas = QImage(m_canvasSize, QImage::Format_RGB32);
    m_canvas.fill(colorOf(m_page.page.settings.m_crBack));

    // A picture that does not render is reported once per view, after the
    // drawing, so a repaint never opens a message box.
    RecordingNotifier failures;
    DrawContext ctx;
    ctx.picturesDir = m_app.isProjectOpen() ? m_app.project().picturesDir() : QString();
    ctx.screenWidth = m_canvasSize.width();
    ctx.cache = &m_app.pictureCache();
    ctx.notifier = &failures;
    {
        QPainter painter(&m_canvas);
        drawElements(m_page.page.elements, painter, true, ctx);
    }
    if (!failures.messages.isEmpty() && !m_pictureFailureShown) {
        m_pictureFailureShown = true;
        const QString text = failures.messages.first();
        QTimer::singleShot(0, this, [this, text] { m_app.notifier().message(text); });
    }
    updateScrollBars();
    viewport()->update();
}

QPoint CMyView::toPage(QPoint viewportPos) const
{
    QPoint p = viewportPos + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
    if (p.x() >= m_canvasSize.width())
        p.setX(m_canvasSize.width() - 1);
    if (p.y() >= m_canvasSize.height())
        p.setY(m_canvasSize.height() - 1);
    return p;
}

int CMyView::toolForCommand(int commandId)
{
    switch (commandId) {
    case Cmd::ToolPointer: return ToolPointer;
    case Cmd::ToolPickColour: return ToolPickColour;
    case Cmd::ToolLine: return Kind::Line;
    case Cmd::ToolHollowRect: return Kind::HollowRect;
    case Cmd::ToolFilledRect: return Kind::SolidRect;
    case Cmd::ToolHollowEllipse: return Kind::HollowEllipse;
    case Cmd::ToolFilledEllipse: return Kind::SolidEllipse;
    case Cmd::ToolHollowCircle: return Kind::HollowCircle;
    case Cmd::ToolFilledCircle: return Kind::SolidCircle;
    case Cmd::ToolText: return Kind::Text;
    case Cmd::ToolBitmap: return Kind::Bitmap;
    case Cmd::ToolGroupBox: return Kind::GroupBox;
    case Cmd::ToolPanel: return Kind::Panel;
    case Cmd::ToolString: return Kind::StringCtrl;
    case Cmd::ToolPointerCtrl: return Kind::PointerCtrl;
    case Cmd::ToolNumeric: return Kind::NumericCtrl;
    case Cmd::ToolBar: return Kind::BarCtrl;
    case Cmd::ToolImage: return Kind::ImageCtrl;
    case Cmd::ToolButton: return Kind::ButtonCtrl;
    default: return 0;
    }
}

bool CMyView::onCommand(int id)
{
    if (const int tool = toolForCommand(id)) {
        m_nTool = tool;
        emit commandsChanged();
        return true;
    }
    return false;
}

bool CMyView::updateCommand(int id, CommandState &state) const
{
    if (const int tool = toolForCommand(id)) {
        state.enabled = true;
        state.checked = m_nTool == tool;
        return true;
    }
    return false;
}

void CMyView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    const QPoint origin(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    // Beyond the page the background colour goes on, as on the terminal.
    painter.fillRect(viewport()->rect(), colorOf(m_page.page.settings.m_crBack));
    painter.drawImage(origin, m_canvas);
}

void CMyView::mouseMoveEvent(QMouseEvent *event)
{
    showPosition(toPage(event->position().toPoint()));
    QAbstractScrollArea::mouseMoveEvent(event);
}

void CMyView::showPosition(QPoint pagePos)
{
    m_app.notifier().status(
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
    const QSize whole = maximumViewportSize();
    const bool fits = m_canvasSize.width() <= whole.width() && m_canvasSize.height() <= whole.height();
    const QSize view = fits ? whole : viewport()->size();
    horizontalScrollBar()->setRange(0, fits ? 0 : qMax(0, m_canvasSize.width() - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    horizontalScrollBar()->setSingleStep(qMax(1, view.width() / 10));
    verticalScrollBar()->setRange(0, fits ? 0 : qMax(0, m_canvasSize.height() - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setSingleStep(qMax(1, view.height() / 10));
}

} // namespace h5
