#include "editor/MyRectangleDlg.h"

#include <QFormLayout>

namespace h5 {

CMyRectangleDlg::CMyRectangleDlg(const RectangleValues &values, QWidget *parent)
    : CMyFormDlg(QStringLiteral("矩形"), Buttons::OkOnly, parent), m_values(values)
{
    QFormLayout *corner = addGroup(QStringLiteral("左上角坐标"));
    corner->addRow(QStringLiteral("X:"), intBox(m_values, "x"));
    corner->addRow(QStringLiteral("Y:"), intBox(m_values, "y"));
    QFormLayout *size = addGroup(QStringLiteral("尺寸"));
    size->addRow(QStringLiteral("宽："), intBox(m_values, "width"));
    size->addRow(QStringLiteral("高："), intBox(m_values, "height"));
    addRows()->addRow(makeColour("colour1", QStringLiteral("画笔色"), m_values.colour));
}

FormError CMyRectangleDlg::readControls()
{
    if (FormError e = readIntBoxes(m_values))
        return e;
    m_values.colour = colourField(QStringLiteral("colour1"))->colour();
    return {};
}

} // namespace h5
