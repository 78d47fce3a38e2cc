#include "shell/WidgetPrompts.h"

#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace h5 {

WidgetPrompts::WidgetPrompts(QWidget *parent, const QString &title,
                             std::function<void(const QString &)> status)
    : m_parent(parent), m_title(title), m_status(std::move(status))
{
}

QString WidgetPrompts::title() const
{
    if (!m_title.isEmpty() || !m_parent)
        return m_title;
    return m_parent->windowTitle();
}

void WidgetPrompts::message(MessageKind kind, const QString &text)
{
    // A finished operation or a note gets the information icon, a fault
    // the warning icon.
    const QMessageBox::Icon icon = kind == MessageKind::Information ? QMessageBox::Information
                                                                     : QMessageBox::Warning;
    QMessageBox box(icon, title(), text, QMessageBox::Ok, m_parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.exec();
}

bool WidgetPrompts::question(const QString &text, QuestionButtons buttons, bool defaultYes)
{
    const bool yesNo = buttons == QuestionButtons::YesNo;
    const QMessageBox::StandardButton yes = yesNo ? QMessageBox::Yes : QMessageBox::Ok;
    const QMessageBox::StandardButton no = yesNo ? QMessageBox::No : QMessageBox::Cancel;
    QMessageBox box(QMessageBox::Question, title(), text, yes | no, m_parent);
    box.button(yes)->setText(yesNo ? QStringLiteral("是(&Y)") : QStringLiteral("确定"));
    box.button(no)->setText(yesNo ? QStringLiteral("否(&N)") : QStringLiteral("取消"));
    box.setDefaultButton(defaultYes ? yes : no);
    box.setEscapeButton(no);
    return box.exec() == yes;
}

void WidgetPrompts::status(const QString &text)
{
    if (m_status)
        m_status(text);
}

SaveAnswer WidgetPrompts::askSave(const QString &text)
{
    QMessageBox box(QMessageBox::Question, title(), text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
    box.button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return SaveAnswer::Save;
    case QMessageBox::No:
        return SaveAnswer::Discard;
    default:
        return SaveAnswer::Cancel;
    }
}

QStringList WidgetPrompts::chooseFiles(const FileRequest &request)
{
    QFileDialog dialog(m_parent, request.caption, request.folder, request.filter);
    switch (request.kind) {
    case FileRequest::Kind::Open:
        dialog.setFileMode(QFileDialog::ExistingFile);
        break;
    case FileRequest::Kind::OpenMany:
        dialog.setFileMode(QFileDialog::ExistingFiles);
        break;
    case FileRequest::Kind::Save:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (!request.confirmOverwrite)
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
        break;
    case FileRequest::Kind::Folder:
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        break;
    }
    // A name typed without an extension gets the suffix before the dialog
    // asks about replacing a file, so the question is about the file
    // written.
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QColor WidgetPrompts::chooseColour(const QColor &current, const QString &caption)
{
    return QColorDialog::getColor(current, m_parent, caption);
}

bool WidgetPrompts::runForm(QDialog &form)
{
    return form.exec() == QDialog::Accepted;
}

std::unique_ptr<Prompts> WidgetPrompts::forWindow(QWidget *window)
{
    return std::make_unique<WidgetPrompts>(window);
}

} // namespace h5
