#pragma once
// The user font list of the debug window: font text files (their bytes as
// hex digits) with the font numbers 0..19 they are downloaded to, and the
// next storage number handed to added fonts. The window owns the dialogs
// and passes the chosen paths in.

#include "link/DebugSession.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace h5 {

class Notifier;

class UserFontList
{
public:
    static constexpr int kMaxNumber = 19;
    // Text characters of the largest font: one flash block written at three
    // characters per byte.
    static constexpr qint64 kMaxFontChars = 405504;

    const std::vector<DebugFont> &entries() const { return m_entries; }
    std::vector<DebugFont> &entries() { return m_entries; }

    int nextNumber() const { return m_nextNumber; }
    void setNextNumber(int number) { m_nextNumber = number; }

    // Appends one entry per file, numbered from the next storage number. A
    // path of 2048 characters or more, a missing, unreadable or empty file
    // is reported and skipped. A number past 19 ("字库超出！") or a font
    // larger than one flash block stops the adding and leaves the next
    // storage number as it was; otherwise it ends one past the last added.
    // Returns how many entries were appended.
    int addFonts(const QStringList &paths, Notifier &notifier);

    // A number typed for entry `row`: empty text changes nothing; 0..19
    // becomes the entry's number; anything else shows "位置超出范围!".
    // Returns whether the number changed.
    bool setNumber(size_t row, const QString &text, Notifier &notifier);

private:
    std::vector<DebugFont> m_entries;
    int m_nextNumber = 0;
};

// A number as the list boxes read typed text: leading blanks, an optional
// sign and the digits that follow; text that is no number reads as 0.
long long readTypedNumber(const QString &text);

} // namespace h5
