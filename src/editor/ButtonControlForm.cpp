#include "editor/ButtonControlForm.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace h5 {

ButtonControlForm::ButtonControlForm(const ButtonValues &values, Prompts &prompts, QWidget *parent)
    : PropertyForm(QStringLiteral("按钮控件"), Buttons::OkCancel, prompts, parent), m_values(values)
{
    const auto [left, right] = addColumns();
    addRows(left)->addRow(QStringLiteral("控件ID值："), intBox(m_values, "ctrlId"));
    QFormLayout *corner = addGroup(QStringLiteral("左上角坐标"), left);
    corner->addRow(QStringLiteral("X:"), intBox(m_values, "x"));
    corner->addRow(QStringLiteral("Y:"), intBox(m_values, "y"));
    QFormLayout *size = addGroup(QStringLiteral("尺寸"), left);
    size->addRow(QStringLiteral("宽："), intBox(m_values, "width"));
    size->addRow(QStringLiteral("高："), intBox(m_values, "height"));

    QFormLayout *look = addGroup(QStringLiteral("边框"), left);
    look->addRow(QStringLiteral("宽度"), withUpDown(intBox(m_values, "borderWidth"), 1, 16));
    m_transparent = makeCheck("transparent", QStringLiteral("透明(有边框)"), m_values.transparent);
    m_invisible = makeCheck("invisible", QStringLiteral("不可见(无边框)"), m_values.invisible);
    m_showText = makeCheck("showText", QStringLiteral("文本显示"), m_values.showText);
    look->addRow(m_transparent);
    look->addRow(m_invisible);
    look->addRow(m_showText);

    QFormLayout *action = addGroup(QStringLiteral("动作"), left);
    m_sendId = makeCheck("sendId", QStringLiteral("发送ID号"), m_values.sendId);
    m_switchPage = makeCheck("switchPage", QStringLiteral("切换页面"), m_values.switchPage);
    m_sendCoordinates = makeCheck("sendCoordinates", QStringLiteral("发送坐标"), m_values.sendCoordinates);
    action->addRow(m_sendId);
    action->addRow(m_switchPage);
    action->addRow(m_sendCoordinates);
    action->addRow(QStringLiteral("下一页面"), intBox(m_values, "nextPage"));

    QFormLayout *caption = addGroup(QStringLiteral("文本"), right);
    m_position = addRadios(caption,
                           {{"textTopLeft", QStringLiteral("左上角")},
                            {"textCentre", QStringLiteral("居中")},
                            {"textBottomRight", QStringLiteral("右下角")}},
                           m_values.textPosition);
    m_size = new QComboBox(this);
    m_size->setObjectName(QStringLiteral("dotIndex"));
    m_face = new QComboBox(this);
    m_face->setObjectName(QStringLiteral("face"));
    bindFontCombos(m_size, m_face, &m_values.font);
    caption->addRow(QStringLiteral("点阵"), m_size);
    caption->addRow(QStringLiteral("字体"), m_face);
    m_text = new QPlainTextEdit(textForEditor(m_values.text), this);
    m_text->setObjectName(QStringLiteral("text"));
    m_text->setMaximumHeight(80);
    caption->addRow(m_text);

    QFormLayout *colours = addRows(right);
    colours->addRow(makeColour("colour1", QStringLiteral("亮边色"), m_values.light));
    colours->addRow(makeColour("colour2", QStringLiteral("暗边色"), m_values.dark));
    colours->addRow(makeColour("colour3", QStringLiteral("面板色"), m_values.face));
    colours->addRow(makeColour("colour4", QStringLiteral("文本色"), m_values.textColour));

    connect(m_showText, &QCheckBox::toggled, this, &ButtonControlForm::updateEnabled);
    connect(m_switchPage, &QCheckBox::toggled, this, &ButtonControlForm::updateEnabled);
    updateEnabled();
}

void ButtonControlForm::updateEnabled()
{
    const bool text = m_showText->isChecked();
    for (QAbstractButton *b : m_position->buttons())
        b->setEnabled(text);
    m_size->setEnabled(text);
    m_face->setEnabled(text);
    m_text->setEnabled(text);
    colourField(QStringLiteral("colour4"))->setEnabled(text);
    intBoxNamed(QStringLiteral("nextPage"))->setEnabled(m_switchPage->isChecked());
}

FormError ButtonControlForm::readControls()
{
    if (FormError e = readIntBoxes(m_values))
        return e;
    m_values.transparent = m_transparent->isChecked();
    m_values.invisible = m_invisible->isChecked();
    m_values.showText = m_showText->isChecked();
    m_values.sendId = m_sendId->isChecked();
    m_values.switchPage = m_switchPage->isChecked();
    m_values.sendCoordinates = m_sendCoordinates->isChecked();
    if (m_position->checkedId() >= 0)
        m_values.textPosition = m_position->checkedId();
    m_values.text = textFromEditor(m_text->toPlainText());
    m_values.light = colourField(QStringLiteral("colour1"))->colour();
    m_values.dark = colourField(QStringLiteral("colour2"))->colour();
    m_values.face = colourField(QStringLiteral("colour3"))->colour();
    m_values.textColour = colourField(QStringLiteral("colour4"))->colour();
    return {};
}

} // namespace h5
