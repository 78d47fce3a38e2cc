#pragma once
// "位图": a placed picture's title, position, size, block count and picture
// number.

#include "edit/BitmapValues.h"
#include "editor/MyFormDlg.h"

class QComboBox;

namespace h5 {

class CMyBitmapDlg : public CMyFormDlg
{
    Q_OBJECT
public:
    explicit CMyBitmapDlg(const BitmapValues &values, QWidget *parent = nullptr);
    const BitmapValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    BitmapValues m_values;
    QComboBox *m_number = nullptr;
};

} // namespace h5
