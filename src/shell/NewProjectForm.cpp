#include "shell/NewProjectForm.h"

#include "common/Notifier.h"
#include "common/Prompts.h"
#include "project/Project.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace h5 {

QStringList NewProjectForm::sizeNames()
{
    return {QStringLiteral("320*234"), QStringLiteral("320*240"), QStringLiteral("640*480"),
            QStringLiteral("800*480"), QStringLiteral("800*600"), QStringLiteral("1024*768"),
            QStringLiteral("480*272"), QStringLiteral("272*480"), QStringLiteral("480*640"),
            QStringLiteral("240*320"), QStringLiteral("480*800"), QStringLiteral("600*800"),
            QStringLiteral("768*1024")};
}

NewProjectForm::NewProjectForm(Prompts &prompts, QWidget *parent)
    : QDialog(parent), m_prompts(prompts.forWindow(this))
{
    setObjectName(QStringLiteral("NewProjectForm"));
    setWindowTitle(QStringLiteral("新建工程"));

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("projectName"));
    m_location = new QLineEdit(this);
    m_location->setObjectName(QStringLiteral("projectLocation"));
    m_location->setReadOnly(true);
    m_location->setMinimumWidth(260);
    m_browse = new QPushButton(QStringLiteral("浏览"), this);
    m_browse->setObjectName(QStringLiteral("browse"));
    m_size = new QComboBox(this);
    m_size->setObjectName(QStringLiteral("projectSize"));
    m_size->addItems(sizeNames());
    m_size->setCurrentIndex(4);

    auto *locationRow = new QHBoxLayout;
    locationRow->addWidget(m_location, 1);
    locationRow->addWidget(m_browse);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("工程名称"), m_name);
    form->addRow(QStringLiteral("工程位置"), locationRow);
    form->addRow(QStringLiteral("工程尺寸"), m_size);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_browse, &QPushButton::clicked, this, &NewProjectForm::browse);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

NewProjectForm::~NewProjectForm() = default;

NewProjectValues NewProjectForm::values() const
{
    NewProjectValues v;
    v.name = m_name->text();
    v.location = m_location->text();
    v.resolution = m_size->currentIndex();
    return v;
}

void NewProjectForm::setValues(const NewProjectValues &values)
{
    m_name->setText(values.name);
    m_location->setText(values.location);
    if (values.resolution >= 0 && values.resolution < m_size->count())
        m_size->setCurrentIndex(values.resolution);
}

void NewProjectForm::browse()
{
    FileRequest request;
    request.kind = FileRequest::Kind::Folder;
    request.caption = QStringLiteral("Select folder");
    const QString folder = m_prompts->chooseFile(request);
    if (folder.isEmpty())
        return;
    QString text = QDir::toNativeSeparators(folder);
    if (!text.endsWith(QDir::separator()))
        text += QDir::separator();
    m_location->setText(text);
}

void NewProjectForm::accept()
{
    const NewProjectValues v = values();
    RecordingNotifier said;
    QString error;
    if (Project::checkNew(v.location, v.name, v.resolution, said, &error)) {
        QDialog::accept();
        return;
    }
    const QString text = said.messages.isEmpty() ? error : said.messages.first();
    m_prompts->message(MessageKind::Warning, text);
    if (v.name.isEmpty() || !v.location.isEmpty()) {
        m_name->setFocus(Qt::OtherFocusReason);
        m_name->selectAll();
    } else {
        m_browse->setFocus(Qt::OtherFocusReason);
    }
}

} // namespace h5
