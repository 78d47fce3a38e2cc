#pragma once
// How a window asks the user: message boxes, questions, file and folder
// choosers, the colour chooser and the forms it runs. The desktop app shows
// the real boxes and dialogs (WidgetPrompts); tests answer from a script and
// record what was asked, so no modal window ever opens in a test.
//
// A window is given the prompts of whoever opens it. Boxes that belong to
// the window itself (its title, over it) come from forWindow(this); boxes
// of the application (the program's title, over the main frame) from the
// prompts as given. Both answer from the same place.
//
// Prompts are also a Notifier, so core code reports through them.

#include "common/MessageKind.h"
#include "common/Notifier.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <memory>

class QDialog;
class QWidget;

namespace h5 {

// A file or folder chooser.
struct FileRequest
{
    enum class Kind { Open, OpenMany, Save, Folder };
    Kind kind = Kind::Open;
    QString caption;
    QString folder;               // where the chooser starts; may be empty
    QString filter;               // Qt form, "图片文件(*.bmp *.jpg *.jpeg)"; empty for folders
    QString defaultSuffix;        // without the dot; may be empty
    QString fileName;             // a name offered in the name box; may be empty
    bool confirmOverwrite = true; // Save: ask before an existing file is chosen
};

// The buttons of a question.
enum class QuestionButtons { OkCancel, YesNo };

// The answer to "是否保存对 N.wlp 的更改?".
enum class SaveAnswer { Save, Discard, Cancel };

class Prompts : public Notifier
{
public:
    // A message box with an OK button and the icon of its kind.
    virtual void message(MessageKind kind, const QString &text) = 0;
    // A question; true for OK or 是. `defaultYes`: Enter answers OK or 是,
    // otherwise Enter and Escape answer Cancel or 否.
    virtual bool question(const QString &text, QuestionButtons buttons, bool defaultYes) = 0;
    // The three-way question before a modified page closes (是, 否, 取消).
    virtual SaveAnswer askSave(const QString &text) = 0;
    // The chosen paths (one for Open, Save and Folder); empty on Cancel.
    virtual QStringList chooseFiles(const FileRequest &request) = 0;
    // The chosen colour; invalid on Cancel. An empty caption gives the
    // chooser's own title.
    virtual QColor chooseColour(const QColor &current, const QString &caption) = 0;
    // Runs a form or a modal window to its end; true when it was accepted.
    virtual bool runForm(QDialog &form) = 0;
    // Prompts of `window` itself: boxes over it, under its own title, and
    // choosers and forms over it; answered where these prompts are answered.
    virtual std::unique_ptr<Prompts> forWindow(QWidget *window) = 0;

    // Notifier: the icon follows the text (messageKind()), questions have
    // OK and Cancel with OK the default.
    void message(const QString &text) override { message(messageKind(text), text); }
    bool question(const QString &text) override { return question(text, QuestionButtons::OkCancel, true); }

    // The first chosen path, or an empty string on Cancel.
    QString chooseFile(const FileRequest &request)
    {
        const QStringList paths = chooseFiles(request);
        return paths.isEmpty() ? QString() : paths.constFirst();
    }
};

} // namespace h5
