#pragma once
// ScreenshotForm, opened by "截取页面" (编辑 menu).
//
// "截图": the corners of the window area the screenshot command saves,
// with the buttons "保存" and "取消".

#include "edit/ScreenshotValues.h"
#include "editor/PropertyForm.h"

namespace h5 {

class ScreenshotForm : public PropertyForm
{
    Q_OBJECT
public:
    explicit ScreenshotForm(const ScreenshotValues &values, Prompts &prompts, QWidget *parent = nullptr);
    const ScreenshotValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    ScreenshotValues m_values;
};

} // namespace h5
