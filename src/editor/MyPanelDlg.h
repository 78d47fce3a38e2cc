#pragma once
// "面板": position, size, border width, transparency, raised or sunken and
// the three colours of a panel.

#include "edit/ShapeValues.h"
#include "editor/MyFormDlg.h"

namespace h5 {

class CMyPanelDlg : public CMyFormDlg
{
    Q_OBJECT
public:
    explicit CMyPanelDlg(const PanelValues &values, QWidget *parent = nullptr);
    const PanelValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    PanelValues m_values;
    QCheckBox *m_transparent = nullptr;
    QButtonGroup *m_state = nullptr;
};

} // namespace h5
