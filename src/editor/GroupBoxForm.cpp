#include "editor/GroupBoxForm.h"

#include <QFormLayout>

namespace h5 {

GroupBoxForm::GroupBoxForm(const GroupBoxValues &values, Prompts &prompts, QWidget *parent)
    : PropertyForm(QStringLiteral("分类框"), Buttons::OkOnly, prompts, parent), m_values(values)
{
    QFormLayout *corner = addGroup(QStringLiteral("左上角坐标"));
    corner->addRow(QStringLiteral("X:"), intBox(m_values, "x"));
    corner->addRow(QStringLiteral("Y:"), intBox(m_values, "y"));
    QFormLayout *size = addGroup(QStringLiteral("尺寸"));
    size->addRow(QStringLiteral("宽："), intBox(m_values, "width"));
    size->addRow(QStringLiteral("高："), intBox(m_values, "height"));
    QFormLayout *colours = addRows();
    colours->addRow(makeColour("colour1", QStringLiteral("亮边色"), m_values.light));
    colours->addRow(makeColour("colour2", QStringLiteral("暗边色"), m_values.dark));
}

FormError GroupBoxForm::readControls()
{
    if (FormError e = readIntBoxes(m_values))
        return e;
    m_values.light = colourField(QStringLiteral("colour1"))->colour();
    m_values.dark = colourField(QStringLiteral("colour2"))->colour();
    return {};
}

} // namespace h5
