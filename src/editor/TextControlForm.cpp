#include "editor/TextControlForm.h"

#include <QComboBox>
#include <QFormLayout>

namespace h5 {

TextControlForm::TextControlForm(const TextCtrlValues &values, Prompts &prompts, QWidget *parent)
    : PropertyForm(QStringLiteral("文本控件"), Buttons::OkCancel, prompts, parent), m_values(values)
{
    addRows()->addRow(QStringLiteral("控件ID值："), intBox(m_values, "ctrlId"));
    QFormLayout *area = addGroup(QStringLiteral("起点"));
    area->addRow(QStringLiteral("X:"), intBox(m_values, "x"));
    area->addRow(QStringLiteral("Y:"), intBox(m_values, "y"));
    area->addRow(QStringLiteral("宽："), intBox(m_values, "width"));
    area->addRow(QStringLiteral("高："), intBox(m_values, "height"));

    QFormLayout *rows = addRows();
    auto *dots = new QComboBox(this);
    dots->setObjectName(QStringLiteral("dotIndex"));
    auto *face = new QComboBox(this);
    face->setObjectName(QStringLiteral("face"));
    bindFontCombos(dots, face, &m_values.font);
    rows->addRow(QStringLiteral("点阵"), dots);
    rows->addRow(QStringLiteral("字体"), face);
    rows->addRow(makeColour("colour1", QStringLiteral("前景色"), m_values.foreground));
    rows->addRow(makeColour("colour2", QStringLiteral("背景色"), m_values.background));
    rows->addRow(QStringLiteral("列间距："), intBox(m_values, "columnSpacing"));
    rows->addRow(QStringLiteral("行间距："), intBox(m_values, "lineSpacing"));
}

FormError TextControlForm::readControls()
{
    if (FormError e = readIntBoxes(m_values))
        return e;
    m_values.foreground = colourField(QStringLiteral("colour1"))->colour();
    m_values.background = colourField(QStringLiteral("colour2"))->colour();
    return {};
}

} // namespace h5
