#include "editor/PaletteForm.h"

#include <QFormLayout>

namespace h5 {

PaletteForm::PaletteForm(const PaletteValues &values, Prompts &prompts, QWidget *parent)
    : PropertyForm(QStringLiteral("颜色"), Buttons::OkCancel, prompts, parent), m_values(values)
{
    QFormLayout *rows = addRows();
    rows->addRow(makeColour("colour1", QStringLiteral("画笔色"), m_values.pen));
    rows->addRow(makeColour("colour2", QStringLiteral("背景色"), m_values.background));
}

FormError PaletteForm::readControls()
{
    m_values.pen = colourField(QStringLiteral("colour1"))->colour();
    m_values.background = colourField(QStringLiteral("colour2"))->colour();
    return {};
}

} // namespace h5
