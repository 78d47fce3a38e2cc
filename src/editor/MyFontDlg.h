#pragma once
// "字体编辑": the text, display mode, position, colours, spacings, face and
// dot size of a text element. The dot size radios enable the faces the
// size offers.

#include "edit/FontValues.h"
#include "editor/MyFormDlg.h"

class QPlainTextEdit;

namespace h5 {

class CMyFontDlg : public CMyFormDlg
{
    Q_OBJECT
public:
    explicit CMyFontDlg(const FontValues &values, QWidget *parent = nullptr);
    const FontValues &values() const { return m_values; }

protected:
    FormError readControls() override;

private:
    void showFaces();

    FontValues m_values;
    QPlainTextEdit *m_text = nullptr;
    QButtonGroup *m_mode = nullptr;
    QButtonGroup *m_faces = nullptr;
    QButtonGroup *m_sizes = nullptr;
};

} // namespace h5
