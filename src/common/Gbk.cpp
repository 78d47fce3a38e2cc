#include "common/Gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace h5 {

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
    if (!encoder.isValid())
        return false;
    (void)QByteArray(encoder.encode(text));
    return !encoder.hasError();
}

} // namespace h5
