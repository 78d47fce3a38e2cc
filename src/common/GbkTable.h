#pragma once
// GBK from a table of its double-byte codes, with the edge rules of Qt's
// (ICU's) GBK converter, for systems whose Qt has no such converter (Qt for
// Windows is built without ICU): single bytes 0x80 and 0xFF are U+20AC and
// U+F8F5; a lead byte (0x81..0xFE) followed by a byte that cannot follow it
// gives U+FFFD and that byte is read again; a lead byte at the very end is
// dropped. Encoding writes "?" for a character GBK cannot write (one for a
// pair of UTF-16 halves) and says so, but leaves out the default-ignorable
// ones (format controls, variation selectors); the first half of a pair at
// the very end is dropped.
//
// The table comes from the system (common/Gbk.cpp, Windows' code page 936);
// fuzz_gbk_table checks this class against Qt's converter on Linux.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <vector>

namespace h5 {

class GbkTable
{
public:
    // Lead bytes 0x81..0xFE, trail bytes 0x40..0xFE without 0x7F.
    static constexpr int kTrails = 190;
    static constexpr int kPairs = 126 * kTrails;

    // The byte pair at `index` of the table, in the order above.
    static QByteArray pair(int index);

    // `characters` holds kPairs entries: the character of each pair in
    // table order, 0 for a pair without one.
    explicit GbkTable(std::vector<char16_t> characters);

    QString decode(const char *bytes, std::size_t size) const;
    // `ok` turns false at a character GBK cannot write.
    QByteArray encode(const QString &text, bool &ok) const;

private:
    static int pairIndex(unsigned char lead, unsigned char trail);

    std::vector<char16_t> m_decode; // pair index -> character, 0 for none
    std::vector<quint16> m_encode;  // character -> GBK code, 0 for none
};

} // namespace h5
