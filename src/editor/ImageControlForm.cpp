#include "editor/ImageControlForm.h"

#include <QFormLayout>

namespace h5 {

ImageControlForm::ImageControlForm(const ImageCtrlValues &values, Prompts &prompts, QWidget *parent)
    : PropertyForm(QStringLiteral("图象控件"), Buttons::OkCancel, prompts, parent), m_values(values)
{
    addRows()->addRow(QStringLiteral("控件ID值:"), intBox(m_values, "ctrlId"));
    QFormLayout *start = addGroup(QStringLiteral("起始坐标"));
    start->addRow(QStringLiteral("X:"), intBox(m_values, "x"));
    start->addRow(QStringLiteral("Y:"), intBox(m_values, "y"));
    QFormLayout *size = addGroup(QStringLiteral("尺寸"));
    size->addRow(QStringLiteral("宽:"), intBox(m_values, "width"));
    size->addRow(QStringLiteral("高:"), intBox(m_values, "height"));
    QFormLayout *range = addGroup(QStringLiteral("使用图片范围"));
    range->addRow(QStringLiteral("From no."), intBox(m_values, "firstPicture"));
    range->addRow(QStringLiteral("To no."), intBox(m_values, "lastPicture"));
}

FormError ImageControlForm::readControls() { return readIntBoxes(m_values); }

} // namespace h5
