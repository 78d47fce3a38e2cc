#pragma once
// BarGraphControlForm, opened by the drawing tool "放置棒图控件" and by "图元编辑" (工具
// menu) or a double click on a bar graph control.
//
// "棒图控件": control ID, box, range, out-of-range values, structure and the
// five colours of a bar graph control.

#include "edit/ControlValues.h"
#include "editor/PropertyForm.h"

namespace h5 {

class BarGraphControlForm : public PropertyForm
{
    Q_OBJECT
public:
    explicit BarGraphControlForm(const BarCtrlValues &values, Prompts &prompts, QWidget *parent = nullptr);
    const BarCtrlValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    BarCtrlValues m_values;
    QButtonGroup *m_direction = nullptr;
    QButtonGroup *m_shape = nullptr;
    QButtonGroup *m_growth = nullptr;
};

} // namespace h5
