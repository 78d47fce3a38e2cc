#include "link/Frames.h"

#include "common/Bytes.h"
#include "common/Flash.h"

namespace h5 {

QByteArray frameTerminator() { return QByteArray("\xFF\xFF\xEE\xFF", 4); }

QByteArray registryWriteCommand() { return QByteArray("\x7F\x1B\x73\xFF\xFF\xEE\xFF", 7); }

QByteArray registryReadRequest() { return QByteArray("\x1B\x27\xFF\xFF\xEE\xFF", 6); }

QByteArray pictureHeader(int number, int firstBlock, int width, int height)
{
    QByteArray out;
    out.reserve(kPictureHeaderBytes);
    ByteWriter w(out);
    w.bytes("\x7F\x1B\x1C", 3);
    w.le16(uint32_t(number));
    w.le16(uint32_t(firstBlock));
    w.le16(uint32_t(width));
    w.le16(uint32_t(height));
    w.bytes(frameTerminator());
    return out;
}

namespace {

bool segmentFits(const QByteArray &data, qint64 at, const SegmentHeader &h)
{
    return h.pages > 0 && at + h.size + qint64(h.pages) * kFlashPage <= data.size();
}

} // namespace

bool projectSegmentAt(const QByteArray &data, qint64 at, SegmentHeader &out)
{
    if (at < 0 || at + 3 > data.size())
        return false;
    const char *p = data.constData() + at;
    SegmentHeader h;
    if (getU8(p + 2) == 0x56) {
        if (at + kLongSegmentHeader > data.size())
            return false;
        h.size = kLongSegmentHeader;
        h.pages = getU8(p + 5);
    } else {
        h.size = kShortSegmentHeader;
        h.pages = 1;
    }
    if (!segmentFits(data, at, h))
        return false;
    out = h;
    return true;
}

bool fontSegmentAt(const QByteArray &data, qint64 at, SegmentHeader &out)
{
    if (at < 0 || at + kFontSegmentHeader > data.size())
        return false;
    SegmentHeader h;
    h.size = kFontSegmentHeader;
    h.pages = getLe16(data.constData() + at + 5);
    if (!segmentFits(data, at, h))
        return false;
    out = h;
    return true;
}

void appendReceiveText(QByteArray &text, const QByteArray &bytes)
{
    static const char digits[] = "0123456789abcdef";
    qsizetype at = text.size();
    text.resize(at + bytes.size() * 3);
    char *out = text.data() + at;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = digits[b >> 4];
        *out++ = digits[b & 0x0F];
        *out++ = ' ';
    }
}

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 16;
}

} // namespace

QByteArray decodeReceiveText(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size() / 3 + 1);
    for (qsizetype i = 0; i + 1 < text.size(); i += 3)
        out.append(char((hexValue(text[i]) * 16 + hexValue(text[i + 1])) & 0xFF));
    return out;
}

int percent(int64_t a, int64_t b)
{
    if (b <= 0)
        return 100;
    const float share = float(a) / float(b);
    return int(share * 100.0f);
}

} // namespace h5
