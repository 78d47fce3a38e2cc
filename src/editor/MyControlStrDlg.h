#pragma once
// "字符串控件": control ID, position, character count, dot size and the two
// colours of a string control.

#include "edit/ControlValues.h"
#include "editor/MyFormDlg.h"

class QComboBox;

namespace h5 {

class CMyControlStrDlg : public CMyFormDlg
{
    Q_OBJECT
public:
    explicit CMyControlStrDlg(const StringCtrlValues &values, QWidget *parent = nullptr);
    const StringCtrlValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    StringCtrlValues m_values;
    QComboBox *m_dots = nullptr;
};

} // namespace h5
