#pragma once
// "文本控件": control ID, text area, font and spacings of a text control.
// No tool makes text controls; the form edits those read from page files.

#include "edit/ControlValues.h"
#include "editor/MyFormDlg.h"

namespace h5 {

class CMyControlYingDlg : public CMyFormDlg
{
    Q_OBJECT
public:
    explicit CMyControlYingDlg(const TextCtrlValues &values, QWidget *parent = nullptr);
    const TextCtrlValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    TextCtrlValues m_values;
};

} // namespace h5
