#include "editor/CharactersForm.h"

#include "model/FontFaces.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QFormLayout>
#include <QPlainTextEdit>

namespace h5 {

CharactersForm::CharactersForm(const FontValues &values, Prompts &prompts, QWidget *parent)
    : PropertyForm(QStringLiteral("字体编辑"), Buttons::OkCancel, prompts, parent), m_values(values)
{
    m_text = new QPlainTextEdit(textForEditor(m_values.text), this);
    m_text->setObjectName(QStringLiteral("text"));
    body()->addWidget(m_text);

    const auto [left, right] = addColumns();
    QFormLayout *mode = addGroup(QStringLiteral("显示方式"), left);
    m_mode = addRadios(mode,
                       {{"displayMode0", QStringLiteral("显示前景色不显示背景色")},
                        {"displayMode1", QStringLiteral("显示前景色显示背景色")}},
                       m_values.displayMode, true);

    QFormLayout *start = addGroup(QStringLiteral("起点坐标"), left);
    start->addRow(QStringLiteral("X:"), intBox(m_values, "x"));
    start->addRow(QStringLiteral("Y:"), intBox(m_values, "y"));

    QFormLayout *rows = addRows(left);
    rows->addRow(makeColour("colour1", QStringLiteral("字体色"), m_values.foreground, false));
    rows->addRow(makeColour("colour2", QStringLiteral("背景色"), m_values.background, false));
    rows->addRow(QStringLiteral("列间距："), intBox(m_values, "columnSpacing"));
    rows->addRow(QStringLiteral("行间距："), intBox(m_values, "lineSpacing"));

    QFormLayout *faces = addGroup(QStringLiteral("字体"), right);
    m_faces = addRadios(faces,
                        {{"face0", faceName(0)},
                         {"face1", faceName(1)},
                         {"face2", faceName(2)},
                         {"face3", faceName(3)}},
                        m_values.face, true);
    QFormLayout *sizes = addGroup(QStringLiteral("点阵"), right);
    m_sizes = addRadios(sizes,
                        {{"size0", QStringLiteral("8点阵")},
                         {"size1", QStringLiteral("16点阵")},
                         {"size2", QStringLiteral("24点阵")},
                         {"size3", QStringLiteral("32点阵")},
                         {"size4", QStringLiteral("48点阵")},
                         {"size5", QStringLiteral("64点阵")}},
                        m_values.sizeIndex, true);

    connect(m_sizes, &QButtonGroup::idClicked, this, [this](int index) {
        m_values.face = qMax(0, m_faces->checkedId());
        m_values.chooseSize(index);
        if (QAbstractButton *b = m_faces->button(m_values.face))
            b->setChecked(true);
        showFaces();
    });
    // Opening only enables the faces of the size; the choice stays.
    showFaces();
}

void CharactersForm::showFaces()
{
    for (int f = 0; f < 4; ++f)
        m_faces->button(f)->setEnabled(m_values.faceEnabled(f));
}

FormError CharactersForm::readControls()
{
    m_values.text = textFromEditor(m_text->toPlainText());
    if (FormError e = m_values.readTexts(boxTexts()))
        return e;
    m_values.displayMode = m_mode->checkedId() == 1 ? 1 : 0;
    m_values.face = qMax(0, m_faces->checkedId());
    m_values.sizeIndex = qMax(0, m_sizes->checkedId());
    m_values.foreground = colourField(QStringLiteral("colour1"))->colour();
    m_values.background = colourField(QStringLiteral("colour2"))->colour();
    // The 8-dot font has no Chinese characters: the form stays open with
    // the text as typed, so a larger size can be chosen or the text mended.
    if (!m_values.text.empty() && m_values.refusedAtEightDots())
        return {QStringLiteral("text"), FontValues::eightDotMessage()};
    return {};
}

} // namespace h5
