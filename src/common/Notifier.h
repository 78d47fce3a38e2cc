#pragma once
// How core code talks to the user. The desktop app shows message boxes and
// status text, the command-line tool writes to stderr, tests record.

#include <QString>
#include <QStringList>

namespace h5 {

class Notifier
{
public:
    virtual ~Notifier() = default;
    // A message with an OK button.
    virtual void message(const QString &text) = 0;
    // A question with OK and Cancel; true means OK.
    virtual bool question(const QString &text) = 0;
    // Status bar text.
    virtual void status(const QString &text) = 0;
};

// Keeps everything it is told; answers questions with a preset answer.
class RecordingNotifier : public Notifier
{
public:
    explicit RecordingNotifier(bool answer = true) : answer(answer) {}
    void message(const QString &text) override { messages << text; }
    bool question(const QString &text) override
    {
        questions << text;
        return answer;
    }
    void status(const QString &text) override { statuses << text; }

    bool answer;
    QStringList messages;
    QStringList questions;
    QStringList statuses;
};

} // namespace h5
