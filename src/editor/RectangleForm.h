#pragma once
// RectangleForm, opened by "图元编辑" (工具 menu) or a double click on a rectangle.
//
// "矩形": top left corner, size and pen colour of a hollow or filled
// rectangle.

#include "edit/ShapeValues.h"
#include "editor/PropertyForm.h"

namespace h5 {

class RectangleForm : public PropertyForm
{
    Q_OBJECT
public:
    explicit RectangleForm(const RectangleValues &values, Prompts &prompts, QWidget *parent = nullptr);
    const RectangleValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    RectangleValues m_values;
};

} // namespace h5
