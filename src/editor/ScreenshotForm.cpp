#include "editor/ScreenshotForm.h"

#include <QFormLayout>

namespace h5 {

ScreenshotForm::ScreenshotForm(const ScreenshotValues &values, Prompts &prompts, QWidget *parent)
    : PropertyForm(QStringLiteral("截图"), Buttons::OkCancel, prompts, parent), m_values(values)
{
    setOkText(QStringLiteral("保存"));
    QFormLayout *topLeft = addGroup(QStringLiteral("左上角"));
    topLeft->addRow(QStringLiteral("X:"), intBox(m_values, "left"));
    topLeft->addRow(QStringLiteral("Y:"), intBox(m_values, "top"));
    QFormLayout *bottomRight = addGroup(QStringLiteral("右下角"));
    bottomRight->addRow(QStringLiteral("X:"), intBox(m_values, "right"));
    bottomRight->addRow(QStringLiteral("Y:"), intBox(m_values, "bottom"));
}

FormError ScreenshotForm::readControls()
{
    return readIntBoxes(m_values);
}

} // namespace h5
