#pragma once
// TextControlForm, opened by "图元编辑" (工具 menu) or a double click on a text
// control.
//
// "文本控件": control ID, text area, font and spacings of a text control.
// No tool makes text controls; the form edits those read from page files.

#include "edit/ControlValues.h"
#include "editor/PropertyForm.h"

namespace h5 {

class TextControlForm : public PropertyForm
{
    Q_OBJECT
public:
    explicit TextControlForm(const TextCtrlValues &values, Prompts &prompts, QWidget *parent = nullptr);
    const TextCtrlValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    TextCtrlValues m_values;
};

} // namespace h5
