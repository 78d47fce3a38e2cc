#pragma once
// StringControlForm, opened by the drawing tool "放置字符串控件" and by "图元编辑" (工具
// menu) or a double click on a string control.
//
// "字符串控件": control ID, position, character count, dot size and the two
// colours of a string control.

#include "edit/ControlValues.h"
#include "editor/PropertyForm.h"

class QComboBox;

namespace h5 {

class StringControlForm : public PropertyForm
{
    Q_OBJECT
public:
    explicit StringControlForm(const StringCtrlValues &values, Prompts &prompts, QWidget *parent = nullptr);
    const StringCtrlValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    StringCtrlValues m_values;
    QComboBox *m_dots = nullptr;
};

} // namespace h5
