// GBK as the files and the terminal use it must be the same bytes on every
// system: on Linux Qt's converter (ICU) does it, on Windows a table read
// from the system's code page 936. The whole table is checked by a
// fingerprint taken with ICU, the edges case by case.

#include "support/FuzzReplay.h"
#include "support/TestUtil.h"

#include "../../fuzz/GbkTableCheck.h"
#include "common/Gbk.h"

#include <QCryptographicHash>
#include <gtest/gtest.h>

using namespace h5;

namespace {

QByteArray sha256(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

TEST(GbkTest, EveryByteAndPairDecodesToTheSameCharacterOnEverySystem)
{
    // Each single byte 0x80..0xFF and each pair of a lead byte 0x81..0xFE
    // and a trail byte 0x40..0xFE (but 0x7F), decoded alone.
    QByteArray decoded;
    int characters = 0;
    auto add = [&](const QByteArray &bytes) {
        const QString text = fromGbk(bytes.toStdString());
        characters += int(text.size());
        decoded += bytes.toHex() + ':' + text.toUtf8() + '\n';
    };
    add(QByteArray(1, char(0x80)));
    add(QByteArray(1, char(0xFF)));
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail)
            if (trail != 0x7F)
                add(QByteArray(1, char(lead)) + char(trail));
    EXPECT_EQ(characters, 23942);
    EXPECT_EQ(sha256(decoded).toStdString(), "1993a47971fc1404854c319fa4562b1221d8f70dda0385d17f2c45204843c3be");
}

TEST(GbkTest, EveryCharacterEncodesToTheSameBytesOnEverySystem)
{
    QByteArray encoded;
    int writable = 0;
    for (char32_t c = 0x80; c <= 0xFFFF; ++c) {
        if (QChar::isSurrogate(c))
            continue;
        const QString text{QChar(char16_t(c))};
        if (!isGbkEncodable(text))
            continue;
        ++writable;
        encoded += QByteArray::number(uint(c), 16) + ':' + QByteArray::fromStdString(toGbk(text)).toHex() + '\n';
    }
    EXPECT_EQ(writable, 23942);
    EXPECT_EQ(sha256(encoded).toStdString(), "7fa501166bea3f3d777940957e1b78411f475511b20c2677d6e17543ba61eecd");
}

TEST(GbkTest, BrokenSequencesAndUnwritableCharactersAreHandledAlike)
{
    const struct
    {
        const char *bytes; // hex
        const char16_t *text;
    } decodes[] = {
        {"41 81", u"A"},                       // a lead byte at the end is dropped
        {"81 30", u"\uFFFD0"},                 // a trail byte that cannot follow is read again
        {"81 7F 41", u"\uFFFD\u007FA"},
        {"81 FF", u"\uFFFD\uF8F5"},
        {"80 FF", u"\u20AC\uF8F5"},
        {"A1 A1 D6 D0", u"\u3000\u4E2D"},
        {"AA A1 A1 40", u"\uE000\uE4C6"},      // user-defined areas
    };
    for (const auto &d : decodes) {
        SCOPED_TRACE(d.bytes);
        EXPECT_EQ(fromGbk(h5test::hex(d.bytes).toStdString()), QString::fromUtf16(d.text));
    }

    const struct
    {
        const char16_t *text;
        const char *bytes; // hex
        bool writable;
    } encodes[] = {
        {u"\u4E2D\u6587", "D6 D0 CE C4", true},
        {u"\u20AC\u00E9\u00B7", "80 A8 A6 A1 A4", true},
        {u"a\u30FBb", "61 3F 62", false},
        {u"\U0001F600", "3F", false},              // one "?" for a character beyond the BMP
        {u"\xD800" u"a" u"\xDC00", "3F 61 3F", false}, // halves of a pair alone
        {u"a\xD800", "61", true},                      // a first half at the end is dropped
        {u"a\u200Bb\uFE0F", "61 62", false},          // default-ignorable ones are left out
    };
    for (const auto &e : encodes) {
        SCOPED_TRACE(e.bytes);
        const QString text = QString::fromUtf16(e.text);
        EXPECT_EQ(QByteArray::fromStdString(toGbk(text)), h5test::hex(e.bytes));
        EXPECT_EQ(isGbkEncodable(text), e.writable);
    }
}

// The table codec Windows uses, against Qt's converter where Qt has one:
// every byte pair alone and behind each kind of byte, and the kept fuzz
// inputs, decoded and encoded the same way.
TEST(GbkTest, TheWindowsTableCodecAgreesWithQtsConverter)
{
    if (!h5fuzz::qtHasGbk())
        GTEST_SKIP() << "Qt has no GBK converter to compare with (no ICU)";
    struct ThrowOnViolation
    {
        ThrowOnViolation() { h5fuzz::failHandler() = h5fuzz::throwOnViolation; }
        ~ThrowOnViolation() { h5fuzz::failHandler() = h5fuzz::abortOnViolation; }
    } handler;
    const char prefixes[][2] = {{'\0', 0}, {'A', 1}, {char(0x81), 1}, {char(0xD6), 1}, {char(0xFF), 1}};
    for (const auto &prefix : prefixes) {
        for (int first = 0; first < 256; ++first) {
            for (int second = 0; second < 256; ++second) {
                uint8_t input[3] = {uint8_t(prefix[0]), uint8_t(first), uint8_t(second)};
                const int skip = prefix[1] ? 0 : 1;
                try {
                    h5fuzz::checkGbkTableInput(input + skip, size_t(3 - skip));
                } catch (const h5fuzz::Violation &v) {
                    FAIL() << v.what() << ": " << h5test::toHex(QByteArray(reinterpret_cast<char *>(input + skip), 3 - skip));
                }
            }
        }
    }
    EXPECT_GT(h5test::replayFuzzInputs(QStringLiteral("fuzz_gbk_table"), h5fuzz::checkGbkTableInput), 0);
}

} // namespace
