#pragma once
// "棒图控件": control ID, box, range, out-of-range values, structure and the
// five colours of a bar graph control.

#include "edit/ControlValues.h"
#include "editor/MyFormDlg.h"

namespace h5 {

class CMyControlRecDlg : public CMyFormDlg
{
    Q_OBJECT
public:
    explicit CMyControlRecDlg(const BarCtrlValues &values, QWidget *parent = nullptr);
    const BarCtrlValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    BarCtrlValues m_values;
    QButtonGroup *m_direction = nullptr;
    QButtonGroup *m_shape = nullptr;
    QButtonGroup *m_growth = nullptr;
};

} // namespace h5
