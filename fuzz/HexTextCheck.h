#pragma once
// What must hold for any hex text (the hex page's text box, a hex command
// file, a font text file): read as runs of hex digits between other
// characters, a text whose runs all have an even length decodes to exactly
// the digit pairs of its runs, in order; otherwise it is refused at the last
// digit of its first run of odd length, and the caller's bytes stay as they
// were. Run by fuzz_hex_text and by the test replaying its kept inputs
// (tests/link/LiveCommandsTest.cpp).

#include "FuzzCheck.h"

#include "link/LiveCommands.h"

#include <QByteArray>
#include <QString>

namespace h5fuzz {

inline void checkHexTextInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    auto isDigit = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    };

    // The runs of digits, each taken whole.
    QByteArray expected;
    qsizetype lonePosition = 0; // 1-based; 0 when every run is even
    for (qsizetype i = 0; i < text.size();) {
        if (!isDigit(text[i])) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && isDigit(text[end]))
            ++end;
        const QByteArray run = text.mid(i, end - i);
        if (run.size() % 2 != 0) {
            lonePosition = end; // the run's last digit, counted from 1
            break;
        }
        expected += QByteArray::fromHex(run);
        i = end;
    }

    const QByteArray sentinel("untouched");
    QByteArray out = sentinel;
    QString error;
    const bool ok = h5::decodeHexText(text, out, &error);
    if (lonePosition == 0) {
        check(ok, "a text of whole digit pairs was refused");
        check(error.isEmpty(), "an accepted text left an error");
        check(out == expected, "the bytes are not the text's digit pairs in order");
        check(out.size() * 2 <= text.size(), "more bytes than digit pairs");
    } else {
        check(!ok, "a text with a lone digit was accepted");
        check(out == sentinel, "a refused text changed the caller's bytes");
        check(error.startsWith(QStringLiteral("第%1个字符").arg(lonePosition)),
              "the refusal does not name the lone digit's position");
    }
    // The same without asking for the message.
    QByteArray again;
    check(h5::decodeHexText(text, again, nullptr) == ok, "the outcome depends on the error pointer");
}

} // namespace h5fuzz
