#include "editor/PanelForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>

namespace h5 {

PanelForm::PanelForm(const PanelValues &values, Prompts &prompts, QWidget *parent)
    : PropertyForm(QStringLiteral("面板"), Buttons::OkOnly, prompts, parent), m_values(values)
{
    QFormLayout *corner = addGroup(QStringLiteral("左上角坐标"));
    corner->addRow(QStringLiteral("X:"), intBox(m_values, "x"));
    corner->addRow(QStringLiteral("Y:"), intBox(m_values, "y"));
    QFormLayout *size = addGroup(QStringLiteral("尺寸"));
    size->addRow(QStringLiteral("宽："), intBox(m_values, "width"));
    size->addRow(QStringLiteral("高："), intBox(m_values, "height"));

    QFormLayout *border = addGroup(QStringLiteral("边框"));
    border->addRow(QStringLiteral("宽度"), withUpDown(intBox(m_values, "borderWidth"), 1, 16));
    m_transparent = makeCheck("transparent", QStringLiteral("透明"), m_values.transparent);
    border->addRow(m_transparent);
    m_state = addRadios(border, {{"raised", QStringLiteral("凸起状态")}, {"sunken", QStringLiteral("凹下状态")}},
                        m_values.sunken);

    QFormLayout *colours = addRows();
    colours->addRow(makeColour("colour1", QStringLiteral("亮边色"), m_values.light));
    colours->addRow(makeColour("colour2", QStringLiteral("暗边色"), m_values.dark));
    colours->addRow(makeColour("colour3", QStringLiteral("面板色"), m_values.face));
}

FormError PanelForm::readControls()
{
    if (FormError e = readIntBoxes(m_values))
        return e;
    m_values.transparent = m_transparent->isChecked();
    m_values.sunken = m_state->checkedId() == 1 ? 1 : 0;
    m_values.light = colourField(QStringLiteral("colour1"))->colour();
    m_values.dark = colourField(QStringLiteral("colour2"))->colour();
    m_values.face = colourField(QStringLiteral("colour3"))->colour();
    return {};
}

} // namespace h5
