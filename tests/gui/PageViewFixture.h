#pragma once
// A page window of a 320*240 project, driven by mouse and keyboard events
// sent to its view, for the view and zoom tests.

#include "gui/ShellTestSupport.h"

#include "editor/CMyView.h"
#include "editor/ElementForms.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace h5test {

class PageViewFixture : public ShellFixture
{
protected:
    // A new page of a 320*240 project; each call opens the next page number.
    h5::CMyView *openView()
    {
        if (!app->isProjectOpen() && !newProject(QStringLiteral("p"), 1))
            return nullptr;
        if (!newPage(m_nextPage++))
            return nullptr;
        return frame->activePageView();
    }

    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button)
    {
        QWidget *target = view->viewport();
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton
                                                                           : Qt::MouseButtons(Qt::LeftButton);
        QMouseEvent e(type, QPointF(at), target->mapToGlobal(QPointF(at)), button, held,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(target, &e);
    }
    void press(QPoint at) { mouse(QEvent::MouseButtonPress, at, Qt::LeftButton); }
    void moveTo(QPoint at) { mouse(QEvent::MouseMove, at, Qt::NoButton); }
    void release(QPoint at) { mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton); }
    void drag(QPoint from, QPoint to)
    {
        press(from);
        moveTo((from + to) / 2);
        moveTo(to);
        release(to);
    }
    void key(int qtKey)
    {
        QKeyEvent e(QEvent::KeyPress, qtKey, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &e);
    }

    h5::CMyView *view = nullptr;
    int m_nextPage = 1;
};

} // namespace h5test
