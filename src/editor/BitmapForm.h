#pragma once
// BitmapForm, opened by the drawing tool "放置位图" and by "图元编辑" (工具 menu) or a
// double click on a picture.
//
// "位图": a placed picture's title, position, size, block count and picture
// number.

#include "edit/BitmapValues.h"
#include "editor/PropertyForm.h"

class QComboBox;

namespace h5 {

class BitmapForm : public PropertyForm
{
    Q_OBJECT
public:
    explicit BitmapForm(const BitmapValues &values, Prompts &prompts, QWidget *parent = nullptr);
    const BitmapValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    BitmapValues m_values;
    QComboBox *m_number = nullptr;
};

} // namespace h5
