#pragma once
// PropertyForm, the base of every form that "图元编辑" (工具 menu), a double
// click or a placing tool opens.
//
// What every property form shares: the OK (and Cancel) buttons, integer
// boxes bound to the form's value struct, colour buttons with swatch and
// terminal-value box, and the handling of a failed check: the message is
// shown, the form stays open and the offending box gets the focus.
//
// A form keeps its values in a struct from src/edit; the dialog only moves
// them between that struct and its widgets. Every widget a user can change
// has an object name (the field name of the value struct), so tests find
// them.

#include "edit/ControlFontValues.h"
#include "editor/ColourField.h"
#include "edit/FormValues.h"

#include <QDialog>
#include <QHash>
#include <QLineEdit>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QBoxLayout;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QFormLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace h5 {

class Prompts;

class PropertyForm : public QDialog
{
    Q_OBJECT
public:
    enum class Buttons { OkCancel, OkOnly };

    // The form's messages, its colour and file choosers go through
    // `prompts` (the form's own boxes, under its title).
    PropertyForm(const QString &title, Buttons buttons, Prompts &prompts, QWidget *parent);
    ~PropertyForm() override;

    // The checks of OK: reads every control into the values. On a failure
    // shows the message, focuses the box and returns false; the form stays
    // open.
    bool tryAccept();
    void accept() override;

    // The last failed check (empty after a good OK).
    const FormError &lastError() const { return m_lastError; }

    // The text of an integer box by its object name.
    QLineEdit *intBoxNamed(const QString &name) const { return m_intBoxes.value(name); }
    ColourField *colourField(const QString &name) const;

protected:
    // Reads the controls into the form's value struct with the checks;
    // returns the first failure.
    virtual FormError readControls() = 0;
    virtual void showCheckMessage(const QString &text);

    QVBoxLayout *body() const { return m_body; }
    // Another caption for the OK button (the behaviour stays).
    void setOkText(const QString &text);
    // A framed group with a two-column layout, added to `into` (the body
    // when null).
    QFormLayout *addGroup(const QString &title, QBoxLayout *into = nullptr);
    // A two-column layout without a frame, added to `into` (the body when
    // null).
    QFormLayout *addRows(QBoxLayout *into = nullptr);
    // Splits the rest of the body into two side-by-side columns, for the
    // larger forms.
    std::pair<QVBoxLayout *, QVBoxLayout *> addColumns();

    // An integer box for field `name` of a value struct V, showing its value
    // the way its check reads it.
    template <class V>
    QLineEdit *intBox(const V &values, const char *name)
    {
        for (const auto &f : V::fields()) {
            if (qstrcmp(f.name, name) == 0)
                return makeIntBox(QString::fromLatin1(name), values.*(f.member), f.check);
        }
        return makeIntBox(QString::fromLatin1(name), 0, IntCheck::signedAny());
    }
    // Reads all integer boxes of V in its order.
    template <class V>
    FormError readIntBoxes(V &values) const
    {
        return readIntFields(values, V::fields(), boxTexts());
    }
    // Wraps a box with up and down arrows that step it within lo..hi.
    QWidget *withUpDown(QLineEdit *box, int lo, int hi);
    ColourField *makeColour(const char *name, const QString &caption, COLORREF colour, bool prefixed = true);
    // A row of radio buttons numbered 0, 1, ... in order (object name and
    // text each), added to `into`; the one numbered `checked` is selected
    // (none when out of range). `vertical` stacks them instead.
    using RadioItems = std::vector<std::pair<const char *, QString>>;
    QButtonGroup *addRadios(QFormLayout *into, const RadioItems &items, int checked, bool vertical = false);
    QCheckBox *makeCheck(const char *name, const QString &text, bool checked);
    // A read-only text box.
    QLineEdit *makeShowBox(const char *name, const QString &text);
    // Fills a dot size and a face combo and keeps them following the face
    // and size rules of `choice`.
    void bindFontCombos(QComboBox *size, QComboBox *face, ControlFontChoice *choice);

    FieldTexts boxTexts() const;
    // The prompts of this form.
    Prompts &formPrompts() const { return *m_prompts; }

private:
    QLineEdit *makeIntBox(const QString &name, int value, IntCheck check);
    void focusField(const QString &name);

    QVBoxLayout *m_body = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
    QHash<QString, QLineEdit *> m_intBoxes;
    std::unique_ptr<Prompts> m_prompts;
    FormError m_lastError;
};

} // namespace h5
