#pragma once
// Properties of converting a picture file's bytes into the terminal's pixel
// data straight into a caller's buffer (convertPictureDataInto, as the
// build does), checked by fuzz_picture_convert and replayed by the tests.
//
// - It comes to the same result, the same error text and, on success, the
//   same w x h x 2 bytes as convertPictureData, with and without an image
//   for the decoder to reuse, whatever that image held before.
// - It writes nothing outside the w x h x 2 bytes it was given.
//
// Input: byte 0 is the width and byte 1 the height (each 0..63); the rest
// is the picture file.

#include "FuzzCheck.h"

#include "pictures/PictureConvert.h"

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <cstring>

namespace h5fuzz {

inline void checkPictureConvertInput(const uint8_t *data, size_t size)
{
    using namespace h5;
    if (size < 2)
        return;
    const int w = data[0] & 63;
    const int h = data[1] & 63;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));
    const QString name = QStringLiteral("p.bin");

    QByteArray expected;
    QString expectedError;
    const ConvertResult result = convertPictureData(bytes, name, w, h, expected, &expectedError);

    constexpr int kGuard = 16;
    const qsizetype n = qsizetype(w) * h * 2;
    for (int round = 0; round < 3; ++round) {
        // Round 0 without an image to reuse; round 1 with one of the
        // target size holding other pixels; round 2 with one of another size.
        QImage reuse;
        if (round == 1)
            reuse = QImage(w ? w : 1, h ? h : 1, QImage::Format_RGB32);
        else if (round == 2)
            reuse = QImage(7, 5, QImage::Format_RGB32);
        if (!reuse.isNull())
            reuse.fill(0x12345678u);
        QByteArray out(n + 2 * kGuard, char(0xA5));
        QString error;
        const ConvertResult got = convertPictureDataInto(bytes, name, w, h, out.data() + kGuard,
                                                         &error, round ? &reuse : nullptr);
        check(got == result, "the conversion into a buffer comes to another result");
        check(error == expectedError, "the conversion into a buffer gives another error text");
        for (int i = 0; i < kGuard; ++i) {
            check(out.at(i) == char(0xA5) && out.at(kGuard + n + i) == char(0xA5),
                  "the conversion wrote outside the buffer it was given");
        }
        if (got == ConvertResult::Ok) {
            check(expected.size() == n, "a conversion succeeded without w x h x 2 bytes");
            check(std::memcmp(out.constData() + kGuard, expected.constData(), size_t(n)) == 0,
                  "the conversion into a buffer gives other pixel data");
        }
    }
}

} // namespace h5fuzz
