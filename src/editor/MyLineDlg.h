#pragma once
// "直线": the two end points and the pen colour of a line.

#include "edit/ShapeValues.h"
#include "editor/MyFormDlg.h"

namespace h5 {

class CMyLineDlg : public CMyFormDlg
{
    Q_OBJECT
public:
    explicit CMyLineDlg(const LineValues &values, QWidget *parent = nullptr);
    const LineValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    LineValues m_values;
};

} // namespace h5
