#pragma once
// What must hold for any bytes: GBK decoded by the table codec (GbkTable,
// built here from Qt's converter pair by pair, as Windows builds it from its
// code page 936) is what Qt's converter (ICU) decodes; and encoding that
// text, and the input read as UTF-16 (lone halves and all), gives Qt's bytes
// and Qt's verdict on whether GBK can write it. Run by fuzz_gbk_table and by
// the test replaying its kept inputs (tests/common/GbkTest.cpp). Without a
// GBK converter in Qt there is nothing to compare with.

#include "FuzzCheck.h"

#include "common/GbkTable.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include <vector>

namespace h5fuzz {

inline bool qtHasGbk()
{
    return QStringDecoder("GBK").isValid();
}

// The table as Windows would read it, taken from Qt's converter instead.
inline const h5::GbkTable &gbkTableFromQt()
{
    static const h5::GbkTable table = [] {
        std::vector<char16_t> characters(std::size_t(h5::GbkTable::kPairs), 0);
        for (int k = 0; k < h5::GbkTable::kPairs; ++k) {
            QStringDecoder decoder("GBK");
            const QString c = decoder.decode(h5::GbkTable::pair(k));
            if (c.size() == 1 && c.at(0).unicode() != 0xFFFD)
                characters[std::size_t(k)] = c.at(0).unicode();
        }
        return h5::GbkTable(std::move(characters));
    }();
    return table;
}

inline void checkGbkTableInput(const uint8_t *data, size_t size)
{
    if (!qtHasGbk())
        return;
    const h5::GbkTable &table = gbkTableFromQt();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    QStringDecoder decoder("GBK");
    const QString expected = decoder.decode(bytes);
    check(table.decode(bytes.constData(), std::size_t(bytes.size())) == expected,
          "the table decodes as Qt's converter");

    QString utf16(qsizetype(bytes.size() / 2), QChar());
    for (qsizetype i = 0; i < utf16.size(); ++i)
        utf16[i] = QChar(char16_t(quint8(bytes[2 * i]) | (quint8(bytes[2 * i + 1]) << 8)));
    for (const QString &text : {expected, utf16}) {
        QStringEncoder encoder("GBK");
        const QByteArray want = encoder.encode(text);
        bool ok = true;
        const QByteArray got = table.encode(text, ok);
        check(got == want, "the table encodes as Qt's converter");
        check(ok == !encoder.hasError(), "the table knows what GBK cannot write as Qt's converter does");
    }
}

} // namespace h5fuzz
