#include "common/GbkTable.h"

#include <utility>

namespace h5 {

QByteArray GbkTable::pair(int index)
{
    const int lead = 0x81 + index / kTrails;
    const int offset = index % kTrails;
    const int trail = offset < 0x3F ? 0x40 + offset : 0x41 + offset; // 0x7F is left out
    QByteArray bytes(2, '\0');
    bytes[0] = char(lead);
    bytes[1] = char(trail);
    return bytes;
}

int GbkTable::pairIndex(unsigned char lead, unsigned char trail)
{
    if (trail < 0x40 || trail == 0x7F || trail == 0xFF)
        return -1;
    return (lead - 0x81) * kTrails + (trail < 0x7F ? trail - 0x40 : trail - 0x41);
}

GbkTable::GbkTable(std::vector<char16_t> characters)
    : m_decode(std::move(characters)), m_encode(0x10000, 0)
{
    m_decode.resize(std::size_t(kPairs), 0);
    for (int k = 0; k < kPairs; ++k) {
        const char16_t c = m_decode[std::size_t(k)];
        if (c < 0x80 || c == 0xFFFD || QChar::isSurrogate(c) || m_encode[c] != 0)
            continue;
        const QByteArray bytes = pair(k);
        m_encode[c] = quint16((quint8(bytes[0]) << 8) | quint8(bytes[1]));
    }
    m_encode[0x20AC] = 0x80;
    m_encode[0xF8F5] = 0xFF;
}

QString GbkTable::decode(const char *bytes, std::size_t size) const
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
            const int index = pairIndex(b, static_cast<unsigned char>(bytes[i + 1]));
            if (index >= 0 && m_decode[std::size_t(index)] != 0) {
                out += QChar(m_decode[std::size_t(index)]);
                ++i;
            } else {
                out += QChar(char16_t(0xFFFD));
                if (index >= 0)
                    ++i; // a pair of the right form without a character
            }
        }
    }
    return out;
}

namespace {

// Unicode's default-ignorable code points (format controls, variation
// selectors, fillers, tags): where GBK cannot write one, it is left out
// rather than shown as "?", as ICU does. None of them is in GBK.
bool defaultIgnorable(char32_t c)
{
    static const char32_t ranges[][2] = {
        {0x00AD, 0x00AD}, {0x034F, 0x034F}, {0x061C, 0x061C}, {0x115F, 0x1160},
        {0x17B4, 0x17B5}, {0x180B, 0x180F}, {0x200B, 0x200F}, {0x202A, 0x202E},
        {0x2060, 0x206F}, {0x3164, 0x3164}, {0xFE00, 0xFE0F}, {0xFEFF, 0xFEFF},
        {0xFFA0, 0xFFA0}, {0xFFF0, 0xFFF8}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A},
        {0xE0000, 0xE0FFF},
    };
    for (const auto &r : ranges)
        if (c >= r[0] && c <= r[1])
            return true;
    return false;
}

} // namespace

QByteArray GbkTable::encode(const QString &text, bool &ok) const
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
        if (QChar::isHighSurrogate(c) && i + 1 == text.size())
            break; // half a character at the very end is dropped
        const quint16 code = QChar::isSurrogate(c) ? 0 : m_encode[c];
        if (code == 0) {
            ok = false;
            char32_t character = c;
            if (QChar::isHighSurrogate(c) && text.at(i + 1).isLowSurrogate())
                character = QChar::surrogateToUcs4(c, text.at(++i).unicode()); // both halves at once
            if (!defaultIgnorable(character))
                out += '?';
        } else if (code <= 0xFF) {
            out += char(code);
        } else {
            out += char(code >> 8);
            out += char(code & 0xFF);
        }
    }
    return out;
}

} // namespace h5
