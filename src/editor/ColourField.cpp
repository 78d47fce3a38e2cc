#include "editor/ColourField.h"

#include "common/Prompts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace h5 {

QColor toQColor(COLORREF colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

COLORREF fromQColor(const QColor &colour) { return RGB(colour.red(), colour.green(), colour.blue()); }

ColourField::ColourField(const QString &name, const QString &caption, COLORREF colour, bool prefixed,
                         Prompts &prompts, QWidget *parent)
    : QWidget(parent), m_prompts(prompts), m_prefixed(prefixed), m_caption(caption)
{
    setObjectName(name);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    m_button = new QPushButton(caption, this);
    m_button->setObjectName(name + QStringLiteral("Button"));
    m_swatch = new QLabel(this);
    m_swatch->setObjectName(name + QStringLiteral("Swatch"));
    m_swatch->setFixedSize(28, 20);
    m_swatch->setFrameShape(QFrame::Box);
    m_swatch->setAutoFillBackground(true);
    m_value = new QLineEdit(this);
    m_value->setObjectName(name + QStringLiteral("Value"));
    m_value->setReadOnly(true);
    m_value->setFocusPolicy(Qt::NoFocus);
    m_value->setMaximumWidth(70);
    row->addWidget(m_button);
    row->addWidget(m_swatch);
    row->addWidget(m_value);
    row->addStretch();
    connect(m_button, &QPushButton::clicked, this, &ColourField::choose);
    setColour(colour);
}

void ColourField::setColour(COLORREF colour)
{
    m_colour = colour & 0xFFFFFF;
    QPalette p = m_swatch->palette();
    p.setColor(QPalette::Window, toQColor(m_colour));
    m_swatch->setPalette(p);
    m_value->setText(colourValueText(m_colour, m_prefixed));
    emit colourChanged(m_colour);
}

void ColourField::choose()
{
    const QColor chosen = m_prompts.chooseColour(toQColor(m_colour), m_caption);
    if (chosen.isValid())
        setColour(fromQColor(chosen));
}

} // namespace h5
