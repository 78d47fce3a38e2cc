#include "editor/BarGraphControlForm.h"

#include <QButtonGroup>
#include <QFormLayout>

namespace h5 {

BarGraphControlForm::BarGraphControlForm(const BarCtrlValues &values, Prompts &prompts, QWidget *parent)
    : PropertyForm(QStringLiteral("棒图控件"), Buttons::OkCancel, prompts, parent), m_values(values)
{
    const auto [left, right] = addColumns();
    QFormLayout *rows = addRows(left);
    rows->addRow(QStringLiteral("控件ID值："), intBox(m_values, "ctrlId"));
    rows->addRow(QStringLiteral("X:"), intBox(m_values, "x"));
    rows->addRow(QStringLiteral("Y:"), intBox(m_values, "y"));
    rows->addRow(QStringLiteral("宽:"), intBox(m_values, "width"));
    rows->addRow(QStringLiteral("高:"), intBox(m_values, "height"));

    QFormLayout *range = addGroup(QStringLiteral("范围设定"), left);
    range->addRow(QStringLiteral("Min："), intBox(m_values, "minimum"));
    range->addRow(QStringLiteral("Max："), intBox(m_values, "maximum"));
    range->addRow(QStringLiteral("Min超出显示："), intBox(m_values, "belowShown"));
    range->addRow(QStringLiteral("Max超出显示："), intBox(m_values, "aboveShown"));

    QFormLayout *structure = addGroup(QStringLiteral("结构"), right);
    m_direction = addRadios(structure, {{"vertical", QStringLiteral("垂直方向")}, {"horizontal", QStringLiteral("水平方向")}},
                            m_values.horizontal);
    m_shape = addRadios(structure, {{"column", QStringLiteral("柱状")}, {"bar", QStringLiteral("条状")}}, m_values.bar);
    m_growth = addRadios(structure, {{"forward", QStringLiteral("向上/向右")}, {"reversed", QStringLiteral("向下/向左")}},
                         m_values.reversed);

    QFormLayout *colours = addRows(right);
    colours->addRow(makeColour("colour1", QStringLiteral("显示色"), m_values.display));
    colours->addRow(makeColour("colour2", QStringLiteral("背景色"), m_values.background));
    colours->addRow(makeColour("colour3", QStringLiteral("框架色"), m_values.frame));
    colours->addRow(makeColour("colour4", QStringLiteral("超出显示色"), m_values.outDisplay));
    colours->addRow(makeColour("colour5", QStringLiteral("超出背景色"), m_values.outBackground));
}

FormError BarGraphControlForm::readControls()
{
    if (FormError e = readIntBoxes(m_values))
        return e;
    m_values.horizontal = m_direction->checkedId() == 1 ? 1 : 0;
    m_values.bar = m_shape->checkedId() == 1 ? 1 : 0;
    m_values.reversed = m_growth->checkedId() == 1 ? 1 : 0;
    m_values.display = colourField(QStringLiteral("colour1"))->colour();
    m_values.background = colourField(QStringLiteral("colour2"))->colour();
    m_values.frame = colourField(QStringLiteral("colour3"))->colour();
    m_values.outDisplay = colourField(QStringLiteral("colour4"))->colour();
    m_values.outBackground = colourField(QStringLiteral("colour5"))->colour();
    return {};
}

} // namespace h5
