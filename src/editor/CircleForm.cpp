#include "editor/CircleForm.h"

#include <QFormLayout>

namespace h5 {

CircleForm::CircleForm(const CircleValues &values, Prompts &prompts, QWidget *parent)
    : PropertyForm(QStringLiteral("圆"), Buttons::OkOnly, prompts, parent), m_values(values)
{
    QFormLayout *centre = addGroup(QStringLiteral("圆心坐标"));
    centre->addRow(QStringLiteral("X:"), intBox(m_values, "centreX"));
    centre->addRow(QStringLiteral("Y:"), intBox(m_values, "centreY"));
    QFormLayout *rows = addRows();
    rows->addRow(QStringLiteral("R："), intBox(m_values, "radius"));
    rows->addRow(makeColour("colour1", QStringLiteral("画笔色"), m_values.colour));
}

FormError CircleForm::readControls()
{
    if (FormError e = readIntBoxes(m_values))
        return e;
    m_values.colour = colourField(QStringLiteral("colour1"))->colour();
    return {};
}

} // namespace h5
