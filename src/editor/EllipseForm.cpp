#include "editor/EllipseForm.h"

#include <QFormLayout>

namespace h5 {

EllipseForm::EllipseForm(const EllipseValues &values, Prompts &prompts, QWidget *parent)
    : PropertyForm(QStringLiteral("椭圆"), Buttons::OkOnly, prompts, parent), m_values(values)
{
    QFormLayout *centre = addGroup(QStringLiteral("圆心坐标"));
    centre->addRow(QStringLiteral("X:"), intBox(m_values, "centreX"));
    centre->addRow(QStringLiteral("Y:"), intBox(m_values, "centreY"));
    QFormLayout *axes = addRows();
    axes->addRow(QStringLiteral("长半轴："), intBox(m_values, "halfWidth"));
    axes->addRow(QStringLiteral("短半轴："), intBox(m_values, "halfHeight"));
    axes->addRow(makeColour("colour1", QStringLiteral("画笔色"), m_values.colour));
}

FormError EllipseForm::readControls()
{
    if (FormError e = readIntBoxes(m_values))
        return e;
    m_values.colour = colourField(QStringLiteral("colour1"))->colour();
    return {};
}

} // namespace h5
