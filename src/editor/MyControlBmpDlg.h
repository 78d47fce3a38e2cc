#pragma once
// "图象控件": control ID, position, size and the range of pictures of an
// image control.

#include "edit/ControlValues.h"
#include "editor/MyFormDlg.h"

namespace h5 {

class CMyControlBmpDlg : public CMyFormDlg
{
    Q_OBJECT
public:
    explicit CMyControlBmpDlg(const ImageCtrlValues &values, QWidget *parent = nullptr);
    const ImageCtrlValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    ImageCtrlValues m_values;
};

} // namespace h5
