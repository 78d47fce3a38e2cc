#include "editor/NumericControlForm.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>

namespace h5 {

NumericControlForm::NumericControlForm(const NumericValues &values, Prompts &prompts, QWidget *parent)
    : PropertyForm(QStringLiteral("数值控件"), Buttons::OkCancel, prompts, parent), m_values(values)
{
    const auto [left, right] = addColumns();
    QFormLayout *rows = addRows(left);
    rows->addRow(QStringLiteral("控件ID值："), intBox(m_values, "ctrlId"));
    m_size = new QComboBox(this);
    m_size->setObjectName(QStringLiteral("sizeIndex"));
    m_size->addItems(NumericValues::sizeItems());
    m_size->setCurrentIndex(m_values.sizeIndex);
    rows->addRow(QStringLiteral("字体点阵："), m_size);

    QFormLayout *start = addGroup(QStringLiteral("起点坐标"), left);
    start->addRow(QStringLiteral("X:"), intBox(m_values, "x"));
    start->addRow(QStringLiteral("Y:"), intBox(m_values, "y"));

    QFormLayout *digits = addRows(left);
    digits->addRow(QStringLiteral("整数位："), withUpDown(intBox(m_values, "intDigits"), 0, 10));
    digits->addRow(QStringLiteral("小数位："), withUpDown(intBox(m_values, "decimals"), 0, 10));

    QFormLayout *range = addGroup(QStringLiteral("范围设定"), left);
    range->addRow(QStringLiteral("Min："), intBox(m_values, "minimum"));
    range->addRow(QStringLiteral("Max："), intBox(m_values, "maximum"));
    range->addRow(QStringLiteral("Min超出显示："), intBox(m_values, "belowShown"));
    range->addRow(QStringLiteral("Max超出显示："), intBox(m_values, "aboveShown"));

    QFormLayout *sign = addGroup(QStringLiteral("代数符号"), right);
    m_sign = addRadios(sign,
                       {{"signNone", QStringLiteral("无符号")},
                        {"signMinus", QStringLiteral("有符号，只显示负号")},
                        {"signBoth", QStringLiteral("有符号，正负号都显示")}},
                       m_values.signMode, true);
    QFormLayout *align = addGroup(QStringLiteral("对齐方式"), right);
    m_align = addRadios(align, {{"alignLeft", QStringLiteral("左对齐")}, {"alignRight", QStringLiteral("右对齐")}},
                        m_values.align);

    QFormLayout *flags = addRows(right);
    m_leadingZeros = makeCheck("leadingZeros", QStringLiteral("前导零"), m_values.leadingZeros);
    m_hex = makeCheck("hexadecimal", QStringLiteral("十六进制"), m_values.hex);
    flags->addRow(m_leadingZeros);
    flags->addRow(m_hex);
    // The form opens with the sign radios enabled; clicking the box turns
    // them off and on.
    connect(m_hex, &QCheckBox::clicked, this, [this](bool on) {
        for (QAbstractButton *b : m_sign->buttons())
            b->setEnabled(!on);
    });

    flags->addRow(makeColour("colour1", QStringLiteral("前景色"), m_values.foreground));
    flags->addRow(makeColour("colour2", QStringLiteral("背景色"), m_values.background));
    flags->addRow(makeColour("colour4", QStringLiteral("超出前景色"), m_values.outForeground));
    flags->addRow(makeColour("colour5", QStringLiteral("超出背景色"), m_values.outBackground));
}

FormError NumericControlForm::readControls()
{
    if (FormError e = readIntBoxes(m_values))
        return e;
    m_values.sizeIndex = qMax(0, m_size->currentIndex());
    m_values.signMode = qMax(0, m_sign->checkedId());
    m_values.align = m_align->checkedId() == 1 ? 1 : 0;
    m_values.leadingZeros = m_leadingZeros->isChecked();
    m_values.hex = m_hex->isChecked();
    m_values.foreground = colourField(QStringLiteral("colour1"))->colour();
    m_values.background = colourField(QStringLiteral("colour2"))->colour();
    m_values.outForeground = colourField(QStringLiteral("colour4"))->colour();
    m_values.outBackground = colourField(QStringLiteral("colour5"))->colour();
    return {};
}

} // namespace h5
