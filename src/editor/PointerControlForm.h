#pragma once
// PointerControlForm, opened by the drawing tool "放置指针控件" and by "图元编辑" (工具
// menu) or a double click on a pointer control.
//
// "指针控件": control ID, centre, line width, range, out-of-range values
// and colours of a pointer control, the pointer (needle) loaded from a
// pointer file and the dial picture.

#include "edit/PointerValues.h"
#include "editor/PropertyForm.h"

namespace h5 {

class PointerControlForm : public PropertyForm
{
    Q_OBJECT
public:
    // `picturesFolder` is where the dial picture dialog starts.
    PointerControlForm(const PointerCtrlValues &values, const QString &picturesFolder, Prompts &prompts,
                       QWidget *parent = nullptr);
    const PointerCtrlValues &values() const { return m_values; }
    // A new pointer control needs its pointer file and dial picture: OK
    // then stays with "请加载指针!" and/or "请选择位图!" until both are chosen.
    void setFilesRequired(bool required) { m_filesRequired = required; }

    // What the "加载指针" and "选择位图" buttons do once a file is chosen.
    // Loading fails (with the message shown) only for a file that cannot be
    // read.
    bool loadPointer(const QString &path);
    void chooseDial(const QString &path);

protected:
    FormError readControls() override;

private:
    PointerCtrlValues m_values;
    QString m_picturesFolder;
    QLineEdit *m_pointerName = nullptr;
    QLineEdit *m_dialPath = nullptr;
    bool m_filesRequired = false;
};

} // namespace h5
