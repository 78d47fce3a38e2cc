#include "shell/MessageBoxNotifier.h"

#include "common/MessageKind.h"
#include "shell/Commands.h"

#include <QMessageBox>
#include <QPushButton>

namespace h5 {

QString saveQuestion(const QString &documentTitle)
{
    return QStringLiteral("是否保存对 %1 的更改?").arg(documentTitle);
}

MessageBoxNotifier::MessageBoxNotifier(QWidget *parent, std::function<void(const QString &)> status)
    : m_parent(parent), m_status(std::move(status))
{
}

void MessageBoxNotifier::message(const QString &text)
{
    // A finished operation or a note gets the information icon, a fault
    // the warning icon.
    const QMessageBox::Icon icon = messageKind(text) == MessageKind::Information
                                       ? QMessageBox::Information
                                       : QMessageBox::Warning;
    QMessageBox box(icon, productTitle(), text, QMessageBox::Ok, m_parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.exec();
}

bool MessageBoxNotifier::question(const QString &text)
{
    QMessageBox box(QMessageBox::Question, productTitle(), text,
                    QMessageBox::Ok | QMessageBox::Cancel, m_parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

void MessageBoxNotifier::status(const QString &text)
{
    if (m_status)
        m_status(text);
}

ShellNotifier::SaveAnswer MessageBoxNotifier::askSave(const QString &text)
{
    QMessageBox box(QMessageBox::Question, productTitle(), text,
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

} // namespace h5
