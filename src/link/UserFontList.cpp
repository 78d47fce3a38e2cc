#include "link/UserFontList.h"

#include "common/Notifier.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace h5 {

namespace {

constexpr int kMaxPathChars = 2048;

// Flash blocks a font text of `chars` characters needs.
qint64 fontBlocks(qint64 chars)
{
    return chars / UserFontList::kMaxFontChars + ((chars / 3) % (UserFontList::kMaxFontChars / 3) != 0 ? 1 : 0);
}

} // namespace

long long readTypedNumber(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i) {
        value = value * 10 + (text.at(i).unicode() - '0');
        if (value > 1000000000LL)
            break; // far out of every range the boxes accept
    }
    return negative ? -value : value;
}

int UserFontList::addFonts(const QStringList &paths, Notifier &notifier)
{
    int next = m_nextNumber;
    int added = 0;
    for (const QString &given : paths) {
        const QString path = QDir::cleanPath(QFileInfo(given).absoluteFilePath());
        const QString shown = QDir::toNativeSeparators(path);
        if (path.size() >= kMaxPathChars) {
            notifier.message(shown + QStringLiteral("路径过长，请更改。"));
            continue;
        }
        if (next > kMaxNumber) {
            notifier.message(QStringLiteral("字库超出！"));
            return added;
        }
        QFile file(path);
        if (!file.exists()) {
            notifier.message(shown + QStringLiteral("文件不存在!"));
            continue;
        }
        if (!file.open(QIODevice::ReadOnly)) {
            notifier.message(shown + QStringLiteral("文件无法打开!"));
            continue;
        }
        const qint64 chars = file.size();
        if (chars <= 0) {
            notifier.message(shown + QStringLiteral("文件无数据!"));
            continue;
        }
        if (fontBlocks(chars) > 1) {
            notifier.message(QStringLiteral("字库超出！请将字库分为128K一个下载。"));
            return added;
        }
        m_entries.push_back(DebugFont{path, next});
        ++next;
        ++added;
    }
    m_nextNumber = next;
    return added;
}

bool UserFontList::setNumber(size_t row, const QString &text, Notifier &notifier)
{
    if (row >= m_entries.size() || text.isEmpty())
        return false;
    const long long value = readTypedNumber(text);
    if (value < 0 || value > kMaxNumber) {
        notifier.message(QStringLiteral("位置超出范围!"));
        return false;
    }
    m_entries[row].number = int(value);
    return true;
}

} // namespace h5
