#pragma once
// PanelForm, opened by "图元编辑" (工具 menu) or a double click on a panel.
//
// "面板": position, size, border width, transparency, raised or sunken and
// the three colours of a panel.

#include "edit/ShapeValues.h"
#include "editor/PropertyForm.h"

namespace h5 {

class PanelForm : public PropertyForm
{
    Q_OBJECT
public:
    explicit PanelForm(const PanelValues &values, Prompts &prompts, QWidget *parent = nullptr);
    const PanelValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    PanelValues m_values;
    QCheckBox *m_transparent = nullptr;
    QButtonGroup *m_state = nullptr;
};

} // namespace h5
