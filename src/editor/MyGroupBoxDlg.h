#pragma once
// "分类框": position, size and the two edge colours of a group box.

#include "edit/ShapeValues.h"
#include "editor/MyFormDlg.h"

namespace h5 {

class CMyGroupBoxDlg : public CMyFormDlg
{
    Q_OBJECT
public:
    explicit CMyGroupBoxDlg(const GroupBoxValues &values, QWidget *parent = nullptr);
    const GroupBoxValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    GroupBoxValues m_values;
};

} // namespace h5
