#include "common/Gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

#ifdef Q_OS_WIN
#include "common/GbkTable.h"

#include <utility>
#include <vector>
#include <windows.h>
#endif

namespace h5 {

#ifdef Q_OS_WIN
namespace {

// Qt for Windows is built without ICU, where Qt's GBK converter lives.
// Windows' own code page 936 holds the same table (ICU's GBK is Windows'
// 936): it is read once, all pairs in one call (one by one should a pair
// have no character), and GbkTable adds ICU's edge rules.
const GbkTable &systemGbk()
{
    static const GbkTable table = [] {
        QByteArray pairs;
        for (int k = 0; k < GbkTable::kPairs; ++k)
            pairs += GbkTable::pair(k);
        std::vector<char16_t> characters(std::size_t(GbkTable::kPairs), 0);
        std::vector<wchar_t> wide(characters.size());
        const int n = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, pairs.constData(), int(pairs.size()),
                                          wide.data(), int(wide.size()));
        if (n == int(wide.size())) {
            for (std::size_t k = 0; k < wide.size(); ++k)
                characters[k] = char16_t(wide[k]);
        } else {
            for (std::size_t k = 0; k < characters.size(); ++k) {
                wchar_t one[2] = {};
                if (MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, pairs.constData() + 2 * k, 2, one, 2) == 1)
                    characters[k] = char16_t(one[0]);
            }
        }
        return GbkTable(std::move(characters));
    }();
    return table;
}

} // namespace
#endif

QString fromGbk(const char *bytes, std::size_t size)
{
    if (size == 0)
        return QString();
    // Plain ASCII needs no decoder; it is by far the most common case for
    // numbers and file names.
    bool ascii = true;
    for (std::size_t i = 0; i < size; ++i) {
        if (static_cast<unsigned char>(bytes[i]) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return QString::fromLatin1(bytes, static_cast<qsizetype>(size));
    QStringDecoder decoder("GBK");
#ifdef Q_OS_WIN
    if (!decoder.isValid())
        return systemGbk().decode(bytes, size);
#endif
    if (!decoder.isValid())
        return QString::fromLocal8Bit(bytes, static_cast<qsizetype>(size));
    return decoder.decode(QByteArrayView(bytes, static_cast<qsizetype>(size)));
}

QString fromGbk(const std::string &bytes) { return fromGbk(bytes.data(), bytes.size()); }

std::string toGbk(const QString &text)
{
    if (text.isEmpty())
        return std::string();
    QStringEncoder encoder("GBK");
#ifdef Q_OS_WIN
    if (!encoder.isValid()) {
        bool ok = true;
        const QByteArray out = systemGbk().encode(text, ok);
        return std::string(out.constData(), static_cast<std::size_t>(out.size()));
    }
#endif
    if (!encoder.isValid()) {
        const QByteArray local = text.toLocal8Bit();
        return std::string(local.constData(), static_cast<std::size_t>(local.size()));
    }
    const QByteArray out = encoder.encode(text);
    return std::string(out.constData(), static_cast<std::size_t>(out.size()));
}

bool isGbkEncodable(const QString &text)
{
    QStringEncoder encoder("GBK");
#ifdef Q_OS_WIN
    if (!encoder.isValid()) {
        bool ok = true;
        systemGbk().encode(text, ok);
        return ok;
    }
#endif
    if (!encoder.isValid())
        return false;
    (void)QByteArray(encoder.encode(text));
    return !encoder.hasError();
}

} // namespace h5
