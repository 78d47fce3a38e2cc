#include "editor/LineForm.h"

#include <QFormLayout>

namespace h5 {

LineForm::LineForm(const LineValues &values, Prompts &prompts, QWidget *parent)
    : PropertyForm(QStringLiteral("直线"), Buttons::OkOnly, prompts, parent), m_values(values)
{
    QFormLayout *start = addGroup(QStringLiteral("起点位置"));
    start->addRow(QStringLiteral("X:"), intBox(m_values, "startX"));
    start->addRow(QStringLiteral("Y:"), intBox(m_values, "startY"));
    QFormLayout *end = addGroup(QStringLiteral("终点位置"));
    end->addRow(QStringLiteral("X:"), intBox(m_values, "endX"));
    end->addRow(QStringLiteral("Y:"), intBox(m_values, "endY"));
    addRows()->addRow(makeColour("colour1", QStringLiteral("画笔色"), m_values.colour));
}

FormError LineForm::readControls()
{
    if (FormError e = readIntBoxes(m_values))
        return e;
    m_values.colour = colourField(QStringLiteral("colour1"))->colour();
    return {};
}

} // namespace h5
