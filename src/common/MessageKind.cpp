#include "common/MessageKind.h"

namespace h5 {

MessageKind messageKind(const QString &text)
{
    const QString t = text.trimmed();
    const bool done = t.endsWith(QStringLiteral("完成!")) || t.endsWith(QStringLiteral("完成！"))
                      || t.endsWith(QStringLiteral("完成"));
    const bool confirmed = t.startsWith(QStringLiteral("已")) || t.startsWith(QStringLiteral("保存路径为"));
    const bool note = t == QStringLiteral("存储空间已满，从头覆盖。");
    const bool title = t.startsWith(QStringLiteral("H5800"));
    return done || confirmed || note || title ? MessageKind::Information : MessageKind::Warning;
}

} // namespace h5
