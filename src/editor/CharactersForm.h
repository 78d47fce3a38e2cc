#pragma once
// CharactersForm, opened by the drawing tool "写字符" and by "图元编辑" (工具 menu) or
// a double click on a text element.
//
// "字体编辑": the text, display mode, position, colours, spacings, face and
// dot size of a text element. The dot size radios enable the faces the
// size offers.

#include "edit/FontValues.h"
#include "editor/PropertyForm.h"

class QPlainTextEdit;

namespace h5 {

class CharactersForm : public PropertyForm
{
    Q_OBJECT
public:
    explicit CharactersForm(const FontValues &values, Prompts &prompts, QWidget *parent = nullptr);
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
