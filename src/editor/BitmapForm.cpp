#include "editor/BitmapForm.h"

#include "common/Flash.h"
#include "common/Gbk.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

namespace h5 {

BitmapForm::BitmapForm(const BitmapValues &values, Prompts &prompts, QWidget *parent)
    : PropertyForm(QStringLiteral("位图"), Buttons::OkOnly, prompts, parent), m_values(values)
{
    addRows()->addRow(QStringLiteral("位图名称:"), makeShowBox("title", fromGbk(m_values.title)));
    QFormLayout *corner = addGroup(QStringLiteral("左上角坐标"));
    corner->addRow(QStringLiteral("X:"), intBox(m_values, "x"));
    corner->addRow(QStringLiteral("Y:"), intBox(m_values, "y"));
    QFormLayout *size = addGroup(QStringLiteral("图片尺寸"));
    size->addRow(QStringLiteral("宽："), intBox(m_values, "width"));
    size->addRow(QStringLiteral("高："), intBox(m_values, "height"));

    QFormLayout *rows = addRows();
    rows->addRow(QStringLiteral("长度"), makeShowBox("blocks", QString::number(m_values.blocks)));
    m_number = new QComboBox(this);
    m_number->setObjectName(QStringLiteral("pictureNumber"));
    m_number->setEditable(true);
    m_number->setInsertPolicy(QComboBox::NoInsert);
    for (int i = 0; i < kSlotCount; ++i)
        m_number->addItem(QString::number(i));
    m_number->setCurrentIndex(m_values.pictureNumber >= 0 && m_values.pictureNumber < kSlotCount
                                  ? m_values.pictureNumber
                                  : -1);
    // Typing a number selects its item; other text leaves the choice alone.
    connect(m_number, &QComboBox::editTextChanged, this, [this](const QString &text) {
        const int index = m_number->findText(text.trimmed(), Qt::MatchExactly);
        if (index >= 0 && index != m_number->currentIndex()) {
            const QSignalBlocker block(m_number);
            m_number->setCurrentIndex(index);
        }
    });
    rows->addRow(QStringLiteral("图片编号:"), m_number);
}

FormError BitmapForm::readControls()
{
    if (FormError e = readIntBoxes(m_values))
        return e;
    const int typed = m_number->findText(m_number->currentText().trimmed(), Qt::MatchExactly);
    if (typed >= 0)
        m_values.pictureNumber = typed;
    else if (m_number->currentIndex() >= 0)
        m_values.pictureNumber = m_number->currentIndex();
    return {};
}

} // namespace h5
