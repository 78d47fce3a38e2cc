#include "editor/PropertyForm.h"

#include "common/Prompts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QRadioButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

namespace h5 {

// ---- form -------------------------------------------------------------------

PropertyForm::PropertyForm(const QString &title, Buttons buttons, Prompts &prompts, QWidget *parent)
    : QDialog(parent), m_prompts(prompts.forWindow(this))
{
    setWindowTitle(title);
    auto *outer = new QVBoxLayout(this);
    m_body = new QVBoxLayout;
    outer->addLayout(m_body);
    m_buttons = new QDialogButtonBox(this);
    QPushButton *ok = m_buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    if (buttons == Buttons::OkCancel) {
        QPushButton *cancel = m_buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
        cancel->setObjectName(QStringLiteral("cancel"));
    }
    connect(m_buttons, &QDialogButtonBox::accepted, this, &PropertyForm::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &PropertyForm::reject);
    outer->addWidget(m_buttons);
}

PropertyForm::~PropertyForm() = default;

void PropertyForm::setOkText(const QString &text)
{
    if (auto *ok = m_buttons->findChild<QPushButton *>(QStringLiteral("ok")))
        ok->setText(text);
}

bool PropertyForm::tryAccept()
{
    m_lastError = readControls();
    if (!m_lastError)
        return true;
    showCheckMessage(m_lastError.message);
    focusField(m_lastError.field);
    return false;
}

void PropertyForm::accept()
{
    if (tryAccept())
        QDialog::accept();
}

void PropertyForm::showCheckMessage(const QString &text)
{
    m_prompts->message(MessageKind::Warning, text);
}

void PropertyForm::focusField(const QString &name)
{
    auto *w = findChild<QWidget *>(name);
    if (!w)
        return;
    w->setFocus(Qt::OtherFocusReason);
    if (auto *box = qobject_cast<QLineEdit *>(w))
        box->selectAll();
}

ColourField *PropertyForm::colourField(const QString &name) const { return findChild<ColourField *>(name); }

QFormLayout *PropertyForm::addGroup(const QString &title, QBoxLayout *into)
{
    auto *group = new QGroupBox(title, this);
    auto *form = new QFormLayout(group);
    (into ? into : m_body)->addWidget(group);
    return form;
}

QFormLayout *PropertyForm::addRows(QBoxLayout *into)
{
    auto *form = new QFormLayout;
    (into ? into : m_body)->addLayout(form);
    return form;
}

std::pair<QVBoxLayout *, QVBoxLayout *> PropertyForm::addColumns()
{
    auto *row = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    auto *right = new QVBoxLayout;
    row->addLayout(left);
    row->addLayout(right);
    m_body->addLayout(row);
    return {left, right};
}

QLineEdit *PropertyForm::makeIntBox(const QString &name, int value, IntCheck check)
{
    auto *box = new QLineEdit(intBoxText(value, check), this);
    box->setObjectName(name);
    box->setMaximumWidth(110);
    m_intBoxes.insert(name, box);
    return box;
}

QWidget *PropertyForm::withUpDown(QLineEdit *box, int lo, int hi)
{
    auto *holder = new QWidget(this);
    auto *row = new QHBoxLayout(holder);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    row->addWidget(box);
    auto *up = new QToolButton(holder);
    up->setObjectName(box->objectName() + QStringLiteral("Up"));
    up->setArrowType(Qt::UpArrow);
    auto *down = new QToolButton(holder);
    down->setObjectName(box->objectName() + QStringLiteral("Down"));
    down->setArrowType(Qt::DownArrow);
    row->addWidget(up);
    row->addWidget(down);
    row->addStretch();
    // The arrows start from what the box holds; text that is no number
    // counts as the lower end.
    auto step = [box, lo, hi](int delta) {
        bool ok = false;
        int v = box->text().trimmed().toInt(&ok);
        if (!ok)
            v = lo;
        v = qBound(lo, v + delta, hi);
        box->setText(QString::number(v));
    };
    connect(up, &QToolButton::clicked, box, [step] { step(1); });
    connect(down, &QToolButton::clicked, box, [step] { step(-1); });
    return holder;
}

ColourField *PropertyForm::makeColour(const char *name, const QString &caption, COLORREF colour, bool prefixed)
{
    return new ColourField(QString::fromLatin1(name), caption, colour, prefixed, *m_prompts, this);
}

QButtonGroup *PropertyForm::addRadios(QFormLayout *into, const RadioItems &items, int checked, bool vertical)
{
    auto *group = new QButtonGroup(this);
    QBoxLayout *row = vertical ? static_cast<QBoxLayout *>(new QVBoxLayout) : new QHBoxLayout;
    int id = 0;
    for (const auto &item : items) {
        auto *radio = new QRadioButton(item.second, this);
        radio->setObjectName(QString::fromLatin1(item.first));
        group->addButton(radio, id);
        radio->setChecked(id == checked);
        row->addWidget(radio);
        ++id;
    }
    row->addStretch();
    into->addRow(row);
    return group;
}

QCheckBox *PropertyForm::makeCheck(const char *name, const QString &text, bool checked)
{
    auto *box = new QCheckBox(text, this);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(checked);
    return box;
}

QLineEdit *PropertyForm::makeShowBox(const char *name, const QString &text)
{
    auto *box = new QLineEdit(text, this);
    box->setObjectName(QString::fromLatin1(name));
    box->setReadOnly(true);
    return box;
}

void PropertyForm::bindFontCombos(QComboBox *size, QComboBox *face, ControlFontChoice *choice)
{
    auto refill = [size, face, choice] {
        const QSignalBlocker b1(size), b2(face);
        size->setCurrentIndex(choice->sizeIndex);
        face->clear();
        face->addItems(choice->faceItems());
        face->setCurrentIndex(choice->face);
    };
    size->addItems(dotSizeItems());
    refill();
    connect(size, &QComboBox::currentIndexChanged, this, [choice, refill](int index) {
        if (index < 0)
            return;
        choice->setSize(index);
        refill();
    });
    connect(face, &QComboBox::activated, this, [choice, refill](int index) {
        choice->chooseFace(index);
        refill();
    });
}

FieldTexts PropertyForm::boxTexts() const
{
    FieldTexts texts;
    for (auto it = m_intBoxes.cbegin(); it != m_intBoxes.cend(); ++it)
        texts.insert(it.key(), it.value()->text());
    return texts;
}

} // namespace h5
