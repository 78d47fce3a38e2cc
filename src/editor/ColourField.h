#pragma once
// A colour row of the property forms: the button that opens the colour
// chooser, the swatch beside it and a read-only box with the colour's
// terminal value.

#include "edit/FormValues.h"

#include <QColor>
#include <QLineEdit>
#include <QWidget>

class QLabel;
class QPushButton;

namespace h5 {

class Prompts;

QColor toQColor(COLORREF colour);
COLORREF fromQColor(const QColor &colour);

// A colour button with the swatch beside it and a read-only box with the
// colour's terminal value. Object names: the field's own name, and the
// name with "Button", "Swatch" and "Value" appended for its parts.
class ColourField : public QWidget
{
    Q_OBJECT
public:
    // The colour chooser opens through `prompts`.
    ColourField(const QString &name, const QString &caption, COLORREF colour, bool prefixed, Prompts &prompts,
                QWidget *parent = nullptr);

    COLORREF colour() const { return m_colour; }
    void setColour(COLORREF colour);
    QPushButton *button() const { return m_button; }
    QLineEdit *valueBox() const { return m_value; }

signals:
    void colourChanged(h5::COLORREF colour);

public slots:
    // Opens the colour chooser on the current colour; OK stores the choice.
    void choose();

private:
    Prompts &m_prompts;
    COLORREF m_colour = 0;
    bool m_prefixed = true;
    QString m_caption;
    QPushButton *m_button = nullptr;
    QLabel *m_swatch = nullptr;
    QLineEdit *m_value = nullptr;
};

} // namespace h5
