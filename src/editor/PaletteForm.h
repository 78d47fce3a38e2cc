#pragma once
// PaletteForm, opened by "调色板选择" (quick-launch tool bar).
//
// "颜色": the palette form of the page view, the pen colour of new shapes
// and the page's background colour.

#include "edit/ShapeValues.h"
#include "editor/PropertyForm.h"

namespace h5 {

class PaletteForm : public PropertyForm
{
    Q_OBJECT
public:
    explicit PaletteForm(const PaletteValues &values, Prompts &prompts, QWidget *parent = nullptr);
    const PaletteValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    PaletteValues m_values;
};

} // namespace h5
