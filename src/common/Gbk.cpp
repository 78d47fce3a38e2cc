#include "common/Gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

#ifdef Q_OS_WIN
#include <array>
#include <memory>
#include <vector>
#include <windows.h>
#endif

namespace h5 {

#ifdef Q_OS_WIN
namespace {

// Qt for Windows is built without ICU, where Qt's GBK converter lives.
// Windows' own code page 936 holds the same table (ICU's GBK is Windows'
// 936): it is read once, and the edges are handled as ICU's converter
// handles them, so the bytes are the same on every system. Single bytes
// 0x80 and 0xFF are fixed here (Wine's table lacks 0xFF); a lead byte with
// a byte after it that cannot follow it gives U+FFFD and that byte is read
// again; a lead byte at the very end is dropped. Characters GBK cannot
// write become "?".
class SystemGbk
{
public:
    static const SystemGbk &instance()
    {
        static const std::unique_ptr<SystemGbk> table(new SystemGbk);
        return *table;
    }

    QString decode(const char *bytes, std::size_t size) const
    {
        QString out;
        out.reserve(qsizetype(size));
        for (std::size_t i = 0; i < size; ++i) {
            const unsigned char b = static_cast<unsigned char>(bytes[i]);
            if (b < 0x80) {
                out += QChar(char16_t(b));
            } else if (b == 0x80) {
                out += QChar(char16_t(0x20AC));
            } else if (b == 0xFF) {
                out += QChar(char16_t(0xF8F5));
            } else if (i + 1 < size) {
                const int trail = pairIndex(b, static_cast<unsigned char>(bytes[i + 1]));
                if (trail >= 0 && m_decode[std::size_t(trail)] != 0) {
                    out += QChar(m_decode[std::size_t(trail)]);
                    ++i;
                } else {
                    out += QChar(char16_t(0xFFFD));
                    if (trail >= 0)
                        ++i; // a pair of the right form without a character
                }
            }
        }
        return out;
    }

    // `ok` turns false at the first character GBK cannot write.
    QByteArray encode(const QString &text, bool &ok) const
    {
        ok = true;
        QByteArray out;
        out.reserve(text.size() * 2);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text.at(i).unicode();
            if (c < 0x80) {
                out += char(c);
                continue;
            }
            const quint16 code = QChar::isSurrogate(c) ? 0 : m_encode[c];
            if (code == 0) {
                ok = false;
                out += '?';
                if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
                    ++i; // one "?" for the character, not one per half
            } else if (code <= 0xFF) {
                out += char(code);
            } else {
                out += char(code >> 8);
                out += char(code & 0xFF);
            }
        }
        return out;
    }

private:
    static constexpr int kTrails = 0xFF - 0x40 - 1; // 0x40..0xFE without 0x7F

    // The place of a lead and trail byte pair in the table; -1 when the
    // trail byte cannot follow a lead byte.
    static int pairIndex(unsigned char lead, unsigned char trail)
    {
        if (trail < 0x40 || trail == 0x7F || trail == 0xFF)
            return -1;
        return (lead - 0x81) * kTrails + (trail < 0x7F ? trail - 0x40 : trail - 0x41);
    }

    SystemGbk() : m_decode(std::size_t(126 * kTrails), 0), m_encode(0x10000, 0)
    {
        std::vector<char> pairs;
        pairs.reserve(m_decode.size() * 2);
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F)
                    continue;
                pairs.push_back(char(lead));
                pairs.push_back(char(trail));
            }
        }
        // All pairs at once; should one of them have no character, one by one.
        std::vector<wchar_t> wide(m_decode.size());
        const int n = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, pairs.data(), int(pairs.size()),
                                          wide.data(), int(wide.size()));
        if (n == int(wide.size())) {
            for (std::size_t k = 0; k < wide.size(); ++k)
                m_decode[k] = char16_t(wide[k]);
        } else {
            for (std::size_t k = 0; k < m_decode.size(); ++k) {
                wchar_t one[2] = {};
                if (MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, pairs.data() + 2 * k, 2, one, 2) == 1)
                    m_decode[k] = char16_t(one[0]);
            }
        }
        for (std::size_t k = 0; k < m_decode.size(); ++k) {
            const char16_t c = m_decode[k];
            if (c >= 0x80 && c != 0xFFFD && !QChar::isSurrogate(c) && m_encode[c] == 0)
                m_encode[c] = quint16((quint8(pairs[2 * k]) << 8) | quint8(pairs[2 * k + 1]));
        }
        m_encode[0x20AC] = 0x80;
        m_encode[0xF8F5] = 0xFF;
    }

    std::vector<char16_t> m_decode; // pair index -> character, 0 for none
    std::vector<quint16> m_encode;  // character -> GBK code, 0 for none
};

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
        return SystemGbk::instance().decode(bytes, size);
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
        const QByteArray out = SystemGbk::instance().encode(text, ok);
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
        SystemGbk::instance().encode(text, ok);
        return ok;
    }
#endif
    if (!encoder.isValid())
        return false;
    (void)QByteArray(encoder.encode(text));
    return !encoder.hasError();
}

} // namespace h5
