#pragma once
// The framed lamp beside the port buttons: blue while the port is open, red
// otherwise.

#include <QColor>
#include <QFrame>

namespace h5 {

class StatusLamp : public QFrame
{
    Q_OBJECT
public:
    explicit StatusLamp(QWidget *parent = nullptr);

    void setOn(bool on);
    bool isOn() const { return m_on; }
    // The colour the lamp is painted in now.
    QColor colour() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_on = false;
};

} // namespace h5
