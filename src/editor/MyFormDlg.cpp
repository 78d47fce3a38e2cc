#include "editor/MyFormDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QRadioButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

namespace h5 {

QColor toQColor(COLORREF colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

COLORREF fromQColor(const QColor &colour) { return RGB(colour.red(), colour.green(), colour.blue()); }

// ---- colour field -----------------------------------------------------------

CColourField::CColourField(const QString &name, const QString &caption, COLORREF colour, bool prefixed,
                           QWidget *parent)
    : QWidget(parent), m_prefixed(prefixed), m_caption(caption)
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
    connect(m_button, &QPushButton::clicked, this, &CColourField::choose);
    setColour(colour);
}

void CColourField::setColour(COLORREF colour)
{
    m_colour = colour & 0xFFFFFF;
    QPalette p = m_swatch->palette();
    p.setColor(QPalette::Window, toQColor(m_colour));
    m_swatch->setPalette(p);
    m_value->setText(colourValueText(m_colour, m_prefixed));
    emit colourChanged(m_colour);
}

void CColourField::choose()
{
    const QColor chosen = QColorDialog::getColor(toQColor(m_colour), this, m_caption);
    if (chosen.isValid())
        setColour(fromQColor(chosen));
}

// ---- form -------------------------------------------------------------------

namespace {
CMyFormDlg::MessageHook &defaultHook()
{
    static CMyFormDlg::MessageHook hook;
    return hook;
}
} // namespace

void CMyFormDlg::setDefaultMessageHook(MessageHook hook) { defaultHook() = std::move(hook); }

CMyFormDlg::CMyFormDlg(const QString &title, Buttons buttons, QWidget *parent)
    : QDialog(parent), m_messageHook(defaultHook())
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
    connect(m_buttons, &QDialogButtonBox::accepted, this, &CMyFormDlg::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &CMyFormDlg::reject);
    outer->addWidget(m_buttons);
}

void CMyFormDlg::setOkText(const QString &text)
{
    if (auto *ok = m_buttons->findChild<QPushButton *>(QStringLiteral("ok")))
        ok->setText(text);
}

bool CMyFormDlg::tryAccept()
{
    m_lastError = readControls();
    if (!m_lastError)
        return true;
    showCheckMessage(m_lastError.message);
    focusField(m_lastError.field);
    return false;
}

void CMyFormDlg::accept()
{
    if (tryAccept())
        QDialog::accept();
}

void CMyFormDlg::showCheckMessage(const QString &text)
{
    if (m_messageHook) {
        m_messageHook(text);
        return;
    }
    QMessageBox::warning(this, windowTitle(), text);
}

void CMyFormDlg::focusField(const QString &name)
{
    auto *w = findChild<QWidget *>(name);
    if (!w)
        return;
    w->setFocus(Qt::OtherFocusReason);
    if (auto *box = qobject_cast<QLineEdit *>(w))
        box->selectAll();
}

CColourField *CMyFormDlg::colourField(const QString &name) const { return findChild<CColourField *>(name); }

QFormLayout *CMyFormDlg::addGroup(const QString &title, QBoxLayout *into)
{
    auto *group = new QGroupBox(title, this);
    auto *form = new QFormLayout(group);
    (into ? into : m_body)->addWidget(group);
    return form;
}

QFormLayout *CMyFormDlg::addRows(QBoxLayout *into)
{
    auto *form = new QFormLayout;
    (into ? into : m_body)->addLayout(form);
    return form;
}

std::pair<QVBoxLayout *, QVBoxLayout *> CMyFormDlg::addColumns()
{
    auto *row = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    auto *right = new QVBoxLayout;
    row->addLayout(left);
    row->addLayout(right);
    m_body->addLayout(row);
    return {left, right};
}

QLineEdit *CMyFormDlg::makeIntBox(const QString &name, int value, IntCheck check)
{
    auto *box = new QLineEdit(intBoxText(value, check), this);
    box->setObjectName(name);
    box->setMaximumWidth(110);
    m_intBoxes.insert(name, box);
    return box;
}

QWidget *CMyFormDlg::withUpDown(QLineEdit *box, int lo, int hi)
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

CColourField *CMyFormDlg::makeColour(const char *name, const QString &caption, COLORREF colour, bool prefixed)
{
    return new CColourField(QString::fromLatin1(name), caption, colour, prefixed, this);
}

QButtonGroup *CMyFormDlg::addRadios(QFormLayout *into, const RadioItems &items, int checked, bool vertical)
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

QCheckBox *CMyFormDlg::makeCheck(const char *name, const QString &text, bool checked)
{
    auto *box = new QCheckBox(text, this);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(checked);
    return box;
}

QLineEdit *CMyFormDlg::makeShowBox(const char *name, const QString &text)
{
    auto *box = new QLineEdit(text, this);
    box->setObjectName(QString::fromLatin1(name));
    box->setReadOnly(true);
    return box;
}

void CMyFormDlg::bindFontCombos(QComboBox *size, QComboBox *face, ControlFontChoice *choice)
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

FieldTexts CMyFormDlg::boxTexts() const
{
    FieldTexts texts;
    for (auto it = m_intBoxes.cbegin(); it != m_intBoxes.cend(); ++it)
        texts.insert(it.key(), it.value()->text());
    return texts;
}

} // namespace h5
