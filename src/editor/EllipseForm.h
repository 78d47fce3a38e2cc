#pragma once
// EllipseForm, opened by "图元编辑" (工具 menu) or a double click on an ellipse.
//
// "椭圆": centre and half axes of a hollow or filled ellipse.

#include "edit/ShapeValues.h"
#include "editor/PropertyForm.h"

namespace h5 {

class EllipseForm : public PropertyForm
{
    Q_OBJECT
public:
    explicit EllipseForm(const EllipseValues &values, Prompts &prompts, QWidget *parent = nullptr);
    const EllipseValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    EllipseValues m_values;
};

} // namespace h5
