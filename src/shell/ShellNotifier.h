#pragma once
// What the desktop app asks the user beyond the core's messages: the
// three-way question before a modified page is closed. The app shows these
// as message boxes (MessageBoxNotifier); tests put a recorder in its place.

#include "common/Notifier.h"

namespace h5 {

class ShellNotifier : public Notifier
{
public:
    enum class SaveAnswer { Save, Discard, Cancel };
    // "是否保存对 N.wlp 的更改?" with Yes, No and Cancel.
    virtual SaveAnswer askSave(const QString &text) = 0;
};

// The question asked before a modified page window closes.
QString saveQuestion(const QString &documentTitle);

} // namespace h5
