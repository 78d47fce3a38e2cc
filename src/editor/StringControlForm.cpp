#include "editor/StringControlForm.h"

#include <QComboBox>
#include <QFormLayout>

namespace h5 {

StringControlForm::StringControlForm(const StringCtrlValues &values, Prompts &prompts, QWidget *parent)
    : PropertyForm(QStringLiteral("字符串控件"), Buttons::OkCancel, prompts, parent), m_values(values)
{
    addRows()->addRow(QStringLiteral("控件ID值："), intBox(m_values, "ctrlId"));
    QFormLayout *start = addGroup(QStringLiteral("起点"));
    start->addRow(QStringLiteral("X:"), intBox(m_values, "x"));
    start->addRow(QStringLiteral("Y:"), intBox(m_values, "y"));
    QFormLayout *rows = addRows();
    rows->addRow(QStringLiteral("字符个数"), intBox(m_values, "count"));
    m_dots = new QComboBox(this);
    m_dots->setObjectName(QStringLiteral("dotIndex"));
    m_dots->addItems(dotSizeItems());
    m_dots->setCurrentIndex(m_values.dotIndex);
    rows->addRow(QStringLiteral("点阵"), m_dots);
    rows->addRow(makeColour("colour1", QStringLiteral("前景色"), m_values.foreground));
    rows->addRow(makeColour("colour2", QStringLiteral("背景色"), m_values.background));
}

FormError StringControlForm::readControls()
{
    if (FormError e = readIntBoxes(m_values))
        return e;
    m_values.dotIndex = qMax(0, m_dots->currentIndex());
    m_values.foreground = colourField(QStringLiteral("colour1"))->colour();
    m_values.background = colourField(QStringLiteral("colour2"))->colour();
    return {};
}

} // namespace h5
