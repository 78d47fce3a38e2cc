#include "editor/PageSettingsForm.h"

#include "edit/PageCommands.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace h5 {

namespace {

// Editable combo box whose typed text picks the item of equal text.
void selectOnTyping(QComboBox *combo)
{
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    QObject::connect(combo, &QComboBox::editTextChanged, combo, [combo](const QString &text) {
        const int index = combo->findText(text, Qt::MatchExactly);
        if (index >= 0 && index != combo->currentIndex())
            combo->setCurrentIndex(index);
    });
}

void selectOrFirst(QComboBox *combo, int index)
{
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : 0);
}

} // namespace

QComboBox *PageSettingsForm::makeCombo(const QString &name, int first, int last)
{
    auto *combo = new QComboBox(this);
    combo->setObjectName(name);
    QStringList items;
    for (int i = first; i <= last; ++i)
        items << QString::number(i);
    combo->addItems(items);
    combo->setMaxVisibleItems(20);
    return combo;
}

PageSettingsForm::PageSettingsForm(int resolution, const NewPageValues &initial, int pageLength,
                                   QWidget *parent)
    : QDialog(parent), m_resolution(resolution)
{
    setObjectName(QStringLiteral("PageSettingsForm"));
    setWindowTitle(QStringLiteral("画面设置"));

    m_pageNo = makeCombo(QStringLiteral("pageNumber"), 0, 1023);
    selectOnTyping(m_pageNo);

    const int layers = layerChoiceCount(resolution);
    m_layer = makeCombo(QStringLiteral("layer"), 0, layers - 1);
    if (layers > 1)
        selectOnTyping(m_layer);
    else
        m_layer->setEnabled(false);

    m_main = new QRadioButton(QStringLiteral("主页面"), this);
    m_main->setObjectName(QStringLiteral("mainPage"));
    m_auxiliary = new QRadioButton(QStringLiteral("辅助页面"), this);
    m_auxiliary->setObjectName(QStringLiteral("auxiliaryPage"));

    m_pageLength = new QLineEdit(QString::number(pageLength), this);
    m_pageLength->setObjectName(QStringLiteral("pageLength"));
    m_pageLength->setReadOnly(true);

    m_nextPage = makeCombo(QStringLiteral("nextPage"), 0, 1023);
    m_nextPage->addItem(QStringLiteral("无"));
    selectOnTyping(m_nextPage);

    m_delay = makeCombo(QStringLiteral("delay"), 0, 255);
    selectOnTyping(m_delay);
    setValues(initial);

    auto *kindRow = new QHBoxLayout;
    kindRow->addWidget(m_main);
    kindRow->addWidget(m_auxiliary);
    kindRow->addStretch(1);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("画面编号"), m_pageNo);
    form->addRow(QStringLiteral("放置层号"), m_layer);
    form->addRow(kindRow);
    form->addRow(QStringLiteral("页面长度"), m_pageLength);

    auto *cycle = new QGroupBox(QStringLiteral("循环状态下一页面设置"), this);
    auto *cycleForm = new QFormLayout(cycle);
    cycleForm->addRow(QStringLiteral("下一页面"), m_nextPage);
    cycleForm->addRow(QStringLiteral("延迟时间"), m_delay);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(cycle);
    layout->addWidget(buttons);
}

void PageSettingsForm::setValues(const NewPageValues &values)
{
    selectOrFirst(m_pageNo, values.pageNo);
    selectOrFirst(m_layer, values.layer);
    (values.auxiliary ? m_auxiliary : m_main)->setChecked(true);
    selectOrFirst(m_nextPage, values.nextPage);
    selectOrFirst(m_delay, values.delay);
}

int PageSettingsForm::pageLength() const
{
    return m_pageLength->text().toInt();
}

NewPageValues PageSettingsForm::values() const
{
    NewPageValues v;
    v.pageNo = qMax(0, m_pageNo->currentIndex());
    v.layer = qMax(0, m_layer->currentIndex());
    v.auxiliary = m_auxiliary->isChecked();
    v.nextPage = qMax(0, m_nextPage->currentIndex()); // "无" is index 1024
    v.delay = qMax(0, m_delay->currentIndex());
    return v;
}

} // namespace h5
