#pragma once
// "矩形": top left corner, size and pen colour of a hollow or filled
// rectangle.

#include "edit/ShapeValues.h"
#include "editor/MyFormDlg.h"

namespace h5 {

class CMyRectangleDlg : public CMyFormDlg
{
    Q_OBJECT
public:
    explicit CMyRectangleDlg(const RectangleValues &values, QWidget *parent = nullptr);
    const RectangleValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    RectangleValues m_values;
};

} // namespace h5
