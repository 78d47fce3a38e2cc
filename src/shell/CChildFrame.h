#pragma once
// A page window in the main frame's MDI area: owns one page document and
// the view that shows it, takes its size from the project's resolution and
// keeps it (no resizing, no maximising), and asks before a modified page is
// closed.

#include <QMdiSubWindow>
#include <QPointer>
#include <QSize>
#include <memory>

namespace h5 {

class CMyApp;
class CMyView;
class PageDocument;

class CChildFrame : public QMdiSubWindow
{
    Q_OBJECT
public:
    // Takes `document` over and makes its view.
    CChildFrame(CMyApp &app, PageDocument *document, QWidget *parent = nullptr);
    ~CChildFrame() override;

    PageDocument *document() const { return m_document.get(); }
    CMyView *view() const;

    // Window size for a resolution index: the page plus 12 pixels of frame
    // each way and the caption; the three tall portrait sizes are held at
    // 612 high with room for a vertical scroll bar. An unknown index gives
    // an invalid size.
    static QSize frameSize(int resolution, int captionHeight);
    // Caption (title bar) height of a page window in this style.
    static int measureCaptionHeight();

    // Asks to save the page when it is modified: true when the window may
    // close (saved or discarded), false on Cancel or a failed save.
    bool queryClose();
    // The question asked before a modified page window closes:
    // "是否保存对 N.wlp 的更改?".
    static QString saveQuestion(const QString &documentTitle);
    // Closes without asking.
    void closeWithoutAsking();
    // The window has accepted its close and is on its way out.
    bool isClosed() const { return m_closed; }

signals:
    // The window accepted its close: it is no longer one of the page
    // windows, though it is destroyed only later.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    CMyApp &m_app;
    std::unique_ptr<PageDocument> m_document;
    QPointer<CMyView> m_view;
    int m_captionHeight;
    bool m_closeWithoutAsking = false;
    bool m_closed = false;
};

} // namespace h5
