#include "editor/RectangleForm.h"

#include <QFormLayout>

namespace h5 {

RectangleForm::RectangleForm(const RectangleValues &values, Prompts &prompts, QWidget *parent)
    : PropertyForm(QStringLiteral("矩形"), Buttons::OkOnly, prompts, parent), m_values(values)
{
    QFormLayout *corner = addGroup(QStringLiteral("左上角坐标"));
    corner->addRow(QStringLiteral("X:"), intBox(m_values, "x"));
    corner->addRow(QStringLiteral("Y:"), intBox(m_values, "y"));
    QFormLayout *size = addGroup(QStringLiteral("尺寸"));
    size->addRow(QStringLiteral("宽："), intBox(m_values, "width"));
    size->addRow(QStringLiteral("高："), intBox(m_values, "height"));
    addRows()->addRow(makeColour("colour1", QStringLiteral("画笔色"), m_values.colour));
}

FormError RectangleForm::readControls()
{
    if (FormError e = readIntBoxes(m_values))
        return e;
    m_values.colour = colourField(QStringLiteral("colour1"))->colour();
    return {};
}

} // namespace h5
