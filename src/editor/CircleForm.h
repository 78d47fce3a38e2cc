#pragma once
// CircleForm, opened by "图元编辑" (工具 menu) or a double click on a circle.
//
// "圆": centre and radius of a hollow or filled circle.

#include "edit/ShapeValues.h"
#include "editor/PropertyForm.h"

namespace h5 {

class CircleForm : public PropertyForm
{
    Q_OBJECT
public:
    explicit CircleForm(const CircleValues &values, Prompts &prompts, QWidget *parent = nullptr);
    const CircleValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    CircleValues m_values;
};

} // namespace h5
