#include "editor/MyCopyBmpDlg.h"

#include <QFormLayout>

namespace h5 {

CMyCopyBmpDlg::CMyCopyBmpDlg(const ScreenshotValues &values, QWidget *parent)
    : CMyFormDlg(QStringLiteral("截图"), Buttons::OkCancel, parent), m_values(values)
{
    setOkText(QStringLiteral("保存"));
    QFormLayout *topLeft = addGroup(QStringLiteral("左上角"));
    topLeft->addRow(QStringLiteral("X:"), intBox(m_values, "left"));
    topLeft->addRow(QStringLiteral("Y:"), intBox(m_values, "top"));
    QFormLayout *bottomRight = addGroup(QStringLiteral("右下角"));
    bottomRight->addRow(QStringLiteral("X:"), intBox(m_values, "right"));
    bottomRight->addRow(QStringLiteral("Y:"), intBox(m_values, "bottom"));
}

FormError CMyCopyBmpDlg::readControls()
{
    return readIntBoxes(m_values);
}

} // namespace h5
