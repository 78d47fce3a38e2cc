#pragma once
// NumericControlForm, opened by the drawing tool "放置数值控件" and by "图元编辑" (工具
// menu) or a double click on a numeric control.
//
// "数值控件": control ID, font, position, digits, range, out-of-range values,
// sign, alignment, leading zeros, hexadecimal and the four colours of a
// numeric control. Hexadecimal numbers have no sign, so the sign radios are
// disabled while "十六进制" is checked.

#include "edit/NumericValues.h"
#include "editor/PropertyForm.h"

namespace h5 {

class NumericControlForm : public PropertyForm
{
    Q_OBJECT
public:
    explicit NumericControlForm(const NumericValues &values, Prompts &prompts, QWidget *parent = nullptr);
    const NumericValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    NumericValues m_values;
    QComboBox *m_size = nullptr;
    QButtonGroup *m_sign = nullptr;
    QButtonGroup *m_align = nullptr;
    QCheckBox *m_leadingZeros = nullptr;
    QCheckBox *m_hex = nullptr;
};

} // namespace h5
