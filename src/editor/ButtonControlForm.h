#pragma once
// ButtonControlForm, opened by the drawing tool "放置按钮控件" and by "图元编辑" (工具
// menu) or a double click on a button control.
//
// "按钮控件": control ID, box, border, the look and action flags, the next
// page, the caption with its position, font and colour, and the colours of
// a button control. "文本显示" enables the caption controls, "切换页面" the
// next page box.

#include "edit/ButtonValues.h"
#include "editor/PropertyForm.h"

class QPlainTextEdit;

namespace h5 {

class ButtonControlForm : public PropertyForm
{
    Q_OBJECT
public:
    explicit ButtonControlForm(const ButtonValues &values, Prompts &prompts, QWidget *parent = nullptr);
    const ButtonValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    void updateEnabled();

    ButtonValues m_values;
    QCheckBox *m_transparent = nullptr;
    QCheckBox *m_invisible = nullptr;
    QCheckBox *m_showText = nullptr;
    QCheckBox *m_sendId = nullptr;
    QCheckBox *m_switchPage = nullptr;
    QCheckBox *m_sendCoordinates = nullptr;
    QButtonGroup *m_position = nullptr;
    QComboBox *m_size = nullptr;
    QComboBox *m_face = nullptr;
    QPlainTextEdit *m_text = nullptr;
};

} // namespace h5
