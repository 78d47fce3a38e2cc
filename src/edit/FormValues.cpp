#include "edit/FormValues.h"

#include "common/Gbk.h"
#include "project/Encoding.h"

#include <cmath>
#include <limits>

namespace h5 {

namespace FormMessage {

QString notUnsigned() { return QStringLiteral("“请填入一个正整数。”"); }

QString notInteger() { return QStringLiteral("请键入一个整数。"); }

QString outOfRange(int64_t lo, int64_t hi)
{
    return QStringLiteral("“请填入一个在%1和%2之间的整数。”").arg(lo).arg(hi);
}

QString tooLong(int limit) { return QStringLiteral("“请填入不多于%1个的字符。”").arg(limit); }

} // namespace FormMessage

namespace {

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

// Whole-text number: blanks, an optional sign, decimal digits, blanks.
// Fails on anything else and on numbers beyond [min, max].
bool parseWhole(const QString &text, bool allowMinus, int64_t min, int64_t max, int64_t &out)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        if (negative && !allowMinus)
            return false;
        ++i;
    }
    const qsizetype digitsStart = i;
    int64_t value = 0;
    for (; i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        value = value * 10 + (text[i].unicode() - '0');
        if (value > (int64_t(1) << 33))
            return false;
    }
    if (i == digitsStart)
        return false;
    while (i < n && isBlank(text[i]))
        ++i;
    if (i != n)
        return false;
    if (negative)
        value = -value;
    if (value < min || value > max)
        return false;
    out = value;
    return true;
}

int64_t shownValue(int value, const IntCheck &check)
{
    return check.isSigned ? int64_t(value) : int64_t(uint32_t(value));
}

} // namespace

FormError readIntBox(const QString &field, const QString &text, IntCheck check, int &out)
{
    int64_t v = 0;
    const bool ok = check.isSigned
        ? parseWhole(text, true, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), v)
        : parseWhole(text, false, 0, std::numeric_limits<uint32_t>::max(), v);
    if (!ok)
        return {field, check.isSigned ? FormMessage::notInteger() : FormMessage::notUnsigned()};
    if (check.ranged && (v < check.lo || v > check.hi))
        return {field, FormMessage::outOfRange(check.lo, check.hi)};
    out = static_cast<int>(static_cast<uint32_t>(v));
    return {};
}

FormError checkIntValue(const QString &field, int value, IntCheck check)
{
    const int64_t v = shownValue(value, check);
    if (check.ranged && (v < check.lo || v > check.hi))
        return {field, FormMessage::outOfRange(check.lo, check.hi)};
    return {};
}

QString intBoxText(int value, IntCheck check) { return QString::number(shownValue(value, check)); }

FormError checkTextLength(const QString &field, const std::string &gbk, int limit)
{
    if (gbk.size() > static_cast<std::size_t>(limit))
        return {field, FormMessage::tooLong(limit)};
    return {};
}

QString colourValueText(COLORREF colour, bool withPrefix)
{
    const QString digits = QStringLiteral("%1").arg(uint(colour565(colour)), 4, 16, QLatin1Char('0'));
    return withPrefix ? QStringLiteral("0x") + digits : digits;
}

QString textForEditor(const std::string &gbk)
{
    QString text = fromGbk(gbk);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

std::string textFromEditor(const QString &text)
{
    QString crlf = text;
    crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    crlf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return toGbk(crlf);
}

bool hasDoubleByteCharacter(const std::string &gbk)
{
    for (const char c : gbk) {
        if (static_cast<unsigned char>(c) >= 0xA0)
            return true;
    }
    return false;
}

CGraph blankElement(int kind, int source)
{
    return CGraph(kind, 0, QPoint(), QPoint(), 0, 0, 0, 0, 0, 0, 0, source, 0, 0, 0, 0, 0, 0, "", "", "");
}

int pictureBlockCount(int width, int height)
{
    const uint32_t bytes = uint32_t(width) * uint32_t(height) * 2u;
    return static_cast<int>(bytes / uint32_t(kFlashBlock) + (bytes % uint32_t(kFlashBlock) != 0 ? 1u : 0u));
}

int pointDistance(QPoint a, QPoint b)
{
    const int64_t dx = int64_t(b.x()) - a.x();
    const int64_t dy = int64_t(b.y()) - a.y();
    const uint64_t sq = uint64_t(dx * dx + dy * dy);
    uint64_t r = static_cast<uint64_t>(std::sqrt(static_cast<double>(sq)));
    while (r * r > sq)
        --r;
    while ((r + 1) * (r + 1) <= sq)
        ++r;
    return static_cast<int>(r);
}

} // namespace h5
