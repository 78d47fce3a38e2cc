#pragma once
// Whether a message box text reports a failure (warning icon) or tells of
// something done or worth knowing (information icon). The texts are the
// program's own; a text not known as information is a warning.

#include <QString>

namespace h5 {

enum class MessageKind { Information, Warning };

// Information: a finished operation ("…完成!", "…完成！"), a confirmation
// ("已…", "保存路径为…"), a note that the terminal's picture store starts
// over ("存储空间已满，从头覆盖。"), and the program's own title (the about
// box). Everything else is a warning.
MessageKind messageKind(const QString &text);

} // namespace h5
