#pragma once
// ImageControlForm, opened by the drawing tool "放置位图控件" and by "图元编辑" (工具
// menu) or a double click on an image control.
//
// "图象控件": control ID, position, size and the range of pictures of an
// image control.

#include "edit/ControlValues.h"
#include "editor/PropertyForm.h"

namespace h5 {

class ImageControlForm : public PropertyForm
{
    Q_OBJECT
public:
    explicit ImageControlForm(const ImageCtrlValues &values, Prompts &prompts, QWidget *parent = nullptr);
    const ImageCtrlValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    ImageCtrlValues m_values;
};

} // namespace h5
