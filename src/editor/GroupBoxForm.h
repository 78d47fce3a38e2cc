#pragma once
// GroupBoxForm, opened by "图元编辑" (工具 menu) or a double click on a group box.
//
// "分类框": position, size and the two edge colours of a group box.

#include "edit/ShapeValues.h"
#include "editor/PropertyForm.h"

namespace h5 {

class GroupBoxForm : public PropertyForm
{
    Q_OBJECT
public:
    explicit GroupBoxForm(const GroupBoxValues &values, Prompts &prompts, QWidget *parent = nullptr);
    const GroupBoxValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    GroupBoxValues m_values;
};

} // namespace h5
