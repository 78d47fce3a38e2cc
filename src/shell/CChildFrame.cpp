#include "shell/CChildFrame.h"

#include "edit/PageDocument.h"
#include "editor/CMyView.h"
#include "shell/CMyApp.h"
#include "common/Prompts.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionTitleBar>

namespace h5 {

namespace {

constexpr Qt::WindowFlags kPageWindowFlags = Qt::SubWindow | Qt::WindowTitleHint
    | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

} // namespace

QSize CChildFrame::frameSize(int resolution, int captionHeight)
{
    // Width and height (without the caption) by resolution index.
    static const int sizes[13][2] = {
        {332, 246},  {332, 252}, {652, 492}, {812, 492}, {812, 612}, {1036, 780}, {492, 284},
        {284, 492},  {492, 652}, {252, 332}, {510, 612}, {630, 612}, {798, 612},
    };
    if (resolution < 0 || resolution >= 13)
        return QSize();
    return QSize(sizes[resolution][0], captionHeight + sizes[resolution][1]);
}

int CChildFrame::measureCaptionHeight()
{
    // A page window's caption as the MDI area draws it: measured on a
    // sub-window of the same kind, which lays out its title bar as margin.
    QMdiArea area;
    auto *probe = new QMdiSubWindow(&area, kPageWindowFlags);
    probe->setWidget(new QWidget);
    area.addSubWindow(probe);
    probe->resize(300, 200);
    probe->show();
    const int caption = probe->contentsMargins().top();
    if (caption > 0)
        return caption;
    QStyleOptionTitleBar option;
    option.initFrom(probe);
    return probe->style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, probe);
}

CChildFrame::CChildFrame(CMyApp &app, PageDocument *document, QWidget *parent)
    : QMdiSubWindow(parent, kPageWindowFlags), m_app(app), m_document(document),
      m_captionHeight(app.m_nCaptionHeight > 0 ? app.m_nCaptionHeight : measureCaptionHeight())
{
    setObjectName(QStringLiteral("CChildFrame"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *view = new CMyView(*m_document, app.viewHost());
    m_view = view;
    setWidget(view);
    // The page's file name, with "*" while it has changes not saved, and
    // the zoom when it is not 100 %.
    auto showTitle = [this] {
        setWindowTitle(m_view->title() + (m_view->isModified() ? QStringLiteral("*") : QString())
                       + m_view->zoomSuffix());
    };
    showTitle();
    connect(view, &CMyView::titleChanged, this, showTitle);
    connect(view, &CMyView::modifiedChanged, this, showTitle);
    connect(view, &CMyView::zoomChanged, this, showTitle);

    // The window keeps the size of its page: no border dragging, no
    // maximise. An unknown resolution leaves the default size.
    const QSize size = frameSize(app.resolution(), m_captionHeight);
    if (size.isValid())
        setFixedSize(size);
    setOption(QMdiSubWindow::RubberBandResize, false);
}

CMyView *CChildFrame::view() const { return m_view.data(); }

CChildFrame::~CChildFrame()
{
    // The view works on the document: it goes first.
    delete m_view;
}

QString CChildFrame::saveQuestion(const QString &documentTitle)
{
    return QStringLiteral("是否保存对 %1 的更改?").arg(documentTitle);
}

bool CChildFrame::queryClose()
{
    if (!m_document->isModified())
        return true;
    switch (m_app.prompts().askSave(saveQuestion(m_document->title()))) {
    case SaveAnswer::Save:
        return m_document->save();
    case SaveAnswer::Discard:
        return true;
    case SaveAnswer::Cancel:
        break;
    }
    return false;
}

void CChildFrame::closeWithoutAsking()
{
    m_closeWithoutAsking = true;
    close();
}

void CChildFrame::closeEvent(QCloseEvent *event)
{
    if (!m_closeWithoutAsking && !queryClose()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted()) {
        m_closed = true;
        emit closed();
    }
}

void CChildFrame::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A double click on the caption would maximise or shade the window.
    if (event->position().y() < m_captionHeight) {
        event->accept();
        return;
    }
    QMdiSubWindow::mouseDoubleClickEvent(event);
}

} // namespace h5
