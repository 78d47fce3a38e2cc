#pragma once
// LineForm, opened by "图元编辑" (工具 menu) or a double click on a line.
//
// "直线": the two end points and the pen colour of a line.

#include "edit/ShapeValues.h"
#include "editor/PropertyForm.h"

namespace h5 {

class LineForm : public PropertyForm
{
    Q_OBJECT
public:
    explicit LineForm(const LineValues &values, Prompts &prompts, QWidget *parent = nullptr);
    const LineValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    LineValues m_values;
};

} // namespace h5
