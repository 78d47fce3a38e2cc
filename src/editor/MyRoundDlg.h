#pragma once
// "圆": centre and radius of a hollow or filled circle.

#include "edit/ShapeValues.h"
#include "editor/MyFormDlg.h"

namespace h5 {

class CMyRoundDlg : public CMyFormDlg
{
    Q_OBJECT
public:
    explicit CMyRoundDlg(const CircleValues &values, QWidget *parent = nullptr);
    const CircleValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    CircleValues m_values;
};

} // namespace h5
