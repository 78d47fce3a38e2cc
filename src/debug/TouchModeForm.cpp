#include "debug/TouchModeForm.h"

#include "edit/FormValues.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace h5 {

TouchModeForm::TouchModeForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TouchModeForm"));
    setWindowTitle(QStringLiteral("触摸模式设置"));
    m_single = new QRadioButton(QStringLiteral("单次触发"), this);
    m_single->setObjectName(QStringLiteral("singleTrigger"));
    m_continuous = new QRadioButton(QStringLiteral("连续触发"), this);
    m_continuous->setObjectName(QStringLiteral("continuousTrigger"));
    m_noBreak = new QRadioButton(QStringLiteral("不带断码"), this);
    m_noBreak->setObjectName(QStringLiteral("withoutBreakCode"));
    m_break = new QRadioButton(QStringLiteral("带断码"), this);
    m_break->setObjectName(QStringLiteral("withBreakCode"));
    auto *trigger = new QButtonGroup(this);
    trigger->addButton(m_single);
    trigger->addButton(m_continuous);
    auto *breakCode = new QButtonGroup(this);
    breakCode->addButton(m_noBreak);
    breakCode->addButton(m_break);
    m_interval = new QLineEdit(QStringLiteral("1"), this);
    m_interval->setObjectName(QStringLiteral("intervalBox"));
    m_single->setChecked(true);
    m_noBreak->setChecked(true);
    m_interval->setEnabled(false);

    auto *grid = new QGridLayout;
    grid->addWidget(m_single, 0, 0);
    grid->addWidget(m_continuous, 0, 1);
    grid->addWidget(m_noBreak, 1, 0);
    grid->addWidget(m_break, 1, 1);
    auto *intervalRow = new QHBoxLayout;
    intervalRow->addWidget(new QLabel(QStringLiteral("触发时间间隔"), this));
    intervalRow->addWidget(m_interval);
    intervalRow->addWidget(new QLabel(QStringLiteral("*20 ms"), this));
    // Why OK was refused, shown in the form so the typing stays.
    m_error = new QLabel(this);
    m_error->setObjectName(QStringLiteral("errorText"));
    m_error->setStyleSheet(QStringLiteral("color: #c00000;"));
    m_error->hide();
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(intervalRow);
    layout->addWidget(m_error);
    layout->addWidget(buttons);

    connect(m_single, &QRadioButton::toggled, this, [this](bool on) { m_interval->setEnabled(!on); });
    connect(buttons, &QDialogButtonBox::accepted, this, &TouchModeForm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

int TouchModeForm::mode() const
{
    return (m_continuous->isChecked() ? 2 : 0) + (m_break->isChecked() ? 1 : 0);
}

int TouchModeForm::interval() const
{
    return m_interval->text().trimmed().toInt();
}

// The interval must be a whole number from 1 to 65535 for continuous
// triggering; a wrong one keeps the form open with the box focused and the
// property forms' message for the box.
void TouchModeForm::accept()
{
    if (m_continuous->isChecked()) {
        int value = 0;
        const FormError error = readIntBox(m_interval->objectName(), m_interval->text(),
                                           IntCheck::unsignedIn(1, 65535), value);
        if (error) {
            m_error->setText(error.message);
            m_error->show();
            m_interval->setFocus();
            m_interval->selectAll();
            return;
        }
    }
    QDialog::accept();
}

} // namespace h5
