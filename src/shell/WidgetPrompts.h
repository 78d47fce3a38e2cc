#pragma once
// The prompts as the desktop app shows them: modal message boxes with the
// Chinese button texts, QFileDialog, QColorDialog and the forms run
// modally; status text into a status bar.

#include "common/Prompts.h"

#include <QPointer>
#include <functional>

namespace h5 {

class WidgetPrompts : public Prompts
{
public:
    // `parent` owns the boxes and dialogs (may be null). `title` is the
    // boxes' title; empty: the parent's window title when the box opens.
    // `status` shows status text (may be empty: status text is dropped).
    explicit WidgetPrompts(QWidget *parent = nullptr, const QString &title = QString(),
                           std::function<void(const QString &)> status = {});

    void setParent(QWidget *parent) { m_parent = parent; }
    void setStatusSink(std::function<void(const QString &)> status) { m_status = std::move(status); }

    using Prompts::message;
    using Prompts::question;
    void message(MessageKind kind, const QString &text) override;
    bool question(const QString &text, QuestionButtons buttons, bool defaultYes) override;
    void status(const QString &text) override;
    SaveAnswer askSave(const QString &text) override;
    QStringList chooseFiles(const FileRequest &request) override;
    QColor chooseColour(const QColor &current, const QString &caption) override;
    bool runForm(QDialog &form) override;
    std::unique_ptr<Prompts> forWindow(QWidget *window) override;

private:
    QString title() const;

    QPointer<QWidget> m_parent;
    QString m_title;
    std::function<void(const QString &)> m_status;
};

} // namespace h5
