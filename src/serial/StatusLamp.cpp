#include "serial/StatusLamp.h"

#include <QPainter>

namespace h5 {

StatusLamp::StatusLamp(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("statusLamp"));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setFixedSize(28, 28);
}

void StatusLamp::setOn(bool on)
{
    if (m_on == on)
        return;
    m_on = on;
    update();
}

QColor StatusLamp::colour() const { return m_on ? QColor(0, 0, 255) : QColor(255, 0, 0); }

void StatusLamp::paintEvent(QPaintEvent *event)
{
    {
        QPainter p(this);
        p.fillRect(contentsRect(), colour());
    }
    QFrame::paintEvent(event);
}

} // namespace h5
