#pragma once
// "颜色": the palette form of the page view, the pen colour of new shapes
// and the page's background colour.

#include "edit/ShapeValues.h"
#include "editor/MyFormDlg.h"

namespace h5 {

class CMyFillingDlg : public CMyFormDlg
{
    Q_OBJECT
public:
    explicit CMyFillingDlg(const PaletteValues &values, QWidget *parent = nullptr);
    const PaletteValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    PaletteValues m_values;
};

} // namespace h5
