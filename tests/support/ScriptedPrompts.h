#pragma once
// Prompts answered from a script: every message, question, chooser and
// form is recorded, and answered with what the test set up. Windows given
// these prompts never open a modal box, chooser or form.

#include "common/Prompts.h"

#include <QDialog>
#include <QWidget>
#include <QList>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace h5test {

class ScriptedPrompts : public h5::Prompts
{
public:
    using Prompts::message;
    using Prompts::question;

    void message(h5::MessageKind kind, const QString &text) override
    {
        messages << text;
        kinds.push_back(kind);
        messageSources << m_source;
    }
    bool question(const QString &text, h5::QuestionButtons buttons, bool defaultYes) override
    {
        questions << text;
        questionButtons.push_back(buttons);
        questionDefaults.push_back(defaultYes);
        return answers.isEmpty() ? answer : answers.takeFirst();
    }
    void status(const QString &text) override { statuses << text; }
    h5::SaveAnswer askSave(const QString &text) override
    {
        saveQuestions << text;
        return saveAnswer;
    }
    QStringList chooseFiles(const h5::FileRequest &request) override
    {
        fileRequests << request;
        if (files)
            return files(request);
        return fileAnswers.isEmpty() ? QStringList() : fileAnswers.takeFirst();
    }
    QColor chooseColour(const QColor &current, const QString &caption) override
    {
        colourRequests << current;
        colourCaptions << caption;
        return colour ? colour(current) : QColor();
    }
    // Records the form's class and hands it to `form`; without one the
    // form is cancelled.
    bool runForm(QDialog &dialog) override
    {
        formsRun << QString::fromLatin1(dialog.metaObject()->className());
        return form ? form(dialog) : false;
    }
    std::unique_ptr<h5::Prompts> forWindow(QWidget *window) override
    {
        return std::make_unique<Forward>(*this, window ? QString::fromLatin1(window->metaObject()->className())
                                                       : QString());
    }

    // A form handler for forms of class F only; other forms are cancelled.
    template <class F>
    void onForm(std::function<bool(F &)> handler)
    {
        form = [handler](QDialog &dialog) {
            F *f = qobject_cast<F *>(&dialog);
            return f ? handler(*f) : false;
        };
    }

    // The messages a window of class `className` showed itself (through
    // forWindow(); the class as it was when it asked for its prompts).
    QStringList messagesFrom(const char *className) const
    {
        QStringList out;
        for (qsizetype i = 0; i < messages.size(); ++i)
            if (messageSources[i] == QLatin1String(className))
                out << messages[i];
        return out;
    }

    // Whether a message holds `part`.
    bool said(const QString &part) const
    {
        for (const QString &t : messages)
            if (t.contains(part))
                return true;
        return false;
    }

    // Messages and questions.
    QStringList messages;
    std::vector<h5::MessageKind> kinds;
    QStringList messageSources; // the window class, empty for the prompts as given
    QStringList questions;
    std::vector<h5::QuestionButtons> questionButtons;
    std::vector<bool> questionDefaults;
    bool answer = true;  // the answer to every question ...
    QList<bool> answers; // ... unless one is queued here
    QStringList statuses;
    QStringList saveQuestions;
    h5::SaveAnswer saveAnswer = h5::SaveAnswer::Discard;

    // Choosers: `files` answers when set, else the queue (empty: Cancel).
    QList<h5::FileRequest> fileRequests;
    QList<QStringList> fileAnswers;
    std::function<QStringList(const h5::FileRequest &)> files;
    QList<QColor> colourRequests;
    QStringList colourCaptions;
    std::function<QColor(const QColor &)> colour; // empty: Cancel

    // Forms.
    std::function<bool(QDialog &)> form;
    QStringList formsRun;

private:
    // What forWindow() gives: the same script, messages marked with the
    // window's class.
    class Forward : public h5::Prompts
    {
    public:
        Forward(ScriptedPrompts &to, const QString &source) : m_to(to), m_source(source) {}
        using Prompts::message;
        using Prompts::question;
        void message(h5::MessageKind kind, const QString &text) override
        {
            m_to.m_source = m_source;
            m_to.message(kind, text);
            m_to.m_source.clear();
        }
        bool question(const QString &text, h5::QuestionButtons buttons, bool defaultYes) override
        {
            return m_to.question(text, buttons, defaultYes);
        }
        void status(const QString &text) override { m_to.status(text); }
        h5::SaveAnswer askSave(const QString &text) override { return m_to.askSave(text); }
        QStringList chooseFiles(const h5::FileRequest &request) override { return m_to.chooseFiles(request); }
        QColor chooseColour(const QColor &current, const QString &caption) override
        {
            return m_to.chooseColour(current, caption);
        }
        bool runForm(QDialog &dialog) override { return m_to.runForm(dialog); }
        std::unique_ptr<h5::Prompts> forWindow(QWidget *window) override { return m_to.forWindow(window); }

    private:
        ScriptedPrompts &m_to;
        QString m_source;
    };

    QString m_source; // the window whose message is being recorded
};

} // namespace h5test
