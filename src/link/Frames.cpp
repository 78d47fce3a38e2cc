#include "link/Frames.h"

#include "common/Bytes.h"
#include "common/Flash.h"

namespace h5 {

QByteArray registryWriteCommand() { return storedHeaderBytes(Segment::RegistryWrite); }

QByteArray registryReadRequest() { return commandFrameBytes(Command::RegistryRead); }

QByteArray pictureRecord(int number, int firstBlock, int width, int height, const QByteArray &pixels)
{
    QByteArray out = pictureHeader(number, firstBlock, width, height);
    out.append(pixels);
    return out;
}

QByteArray fontSegment(int number, const QByteArray &data)
{
    const int64_t pages = (int64_t(data.size()) + kFlashPage - 1) / kFlashPage;
    QByteArray out;
    out.reserve(qsizetype(kFontSegmentHeader + pages * kFlashPage));
    QByteArray params;
    ByteWriter w(params);
    w.le16(uint32_t(number));
    w.le16(uint32_t(pages));
    out.append(storedHeaderBytes(Segment::Font, params));
    out.append(data);
    out.append(QByteArray(qsizetype(kFontSegmentHeader + pages * kFlashPage) - out.size(), char(0xFF)));
    return out;
}

QByteArray segmentPage(const QByteArray &record, int headerBytes, int64_t index)
{
    const int64_t at = int64_t(headerBytes) + index * kFlashPage;
    if (index < 0 || at >= record.size())
        return {};
    return record.mid(qsizetype(at), kFlashPage);
}

QByteArray pictureHeader(int number, int firstBlock, int width, int height)
{
    QByteArray params;
    ByteWriter w(params);
    w.le16(uint32_t(number));
    w.le16(uint32_t(firstBlock));
    w.le16(uint32_t(width));
    w.le16(uint32_t(height));
    return storedHeaderBytes(Segment::Picture, params);
}

SegmentFault readFontSegment(const QByteArray &data, qint64 at, SegmentHeader &out)
{
    if (at < 0 || at + kFontSegmentHeader > data.size())
        return SegmentFault::CutShort;
    StoredHeader h;
    if (!decodeStoredHeader(data.constData() + at, data.size() - at, h) || h.kind != Segment::Font)
        return SegmentFault::NotAHeader;
    if (h.pages <= 0)
        return SegmentFault::NoPages;
    if (at + h.length + qint64(h.pages) * kFlashPage > data.size())
        return SegmentFault::PastEnd;
    out = SegmentHeader{h.length, h.pages};
    return SegmentFault::None;
}

bool fontSegmentAt(const QByteArray &data, qint64 at, SegmentHeader &out)
{
    return readFontSegment(data, at, out) == SegmentFault::None;
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

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

QByteArray decodeReceiveText(const QByteArray &text)
{
    // The receive text is only ever written by the session itself; a
    // character that is not a digit counts as 16, as it always has.
    auto value = [](char c) {
        const int d = hexDigit(c);
        return d < 0 ? 16 : d;
    };
    QByteArray out;
    out.reserve(text.size() / 3 + 1);
    for (qsizetype i = 0; i + 1 < text.size(); i += 3)
        out.append(char((value(text[i]) * 16 + value(text[i + 1])) & 0xFF));
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
