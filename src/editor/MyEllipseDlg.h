#pragma once
// "椭圆": centre and half axes of a hollow or filled ellipse.

#include "edit/ShapeValues.h"
#include "editor/MyFormDlg.h"

namespace h5 {

class CMyEllipseDlg : public CMyFormDlg
{
    Q_OBJECT
public:
    explicit CMyEllipseDlg(const EllipseValues &values, QWidget *parent = nullptr);
    const EllipseValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    EllipseValues m_values;
};

} // namespace h5
