#include "project/Encoding.h"

#include <algorithm>

namespace h5 {

namespace {

// Starts a frame: escape byte and command byte, with room for `length` bytes.
QByteArray beginFrame(uint8_t command, int length)
{
    QByteArray out;
    out.reserve(length);
    out.append(char(kEscape));
    out.append(static_cast<char>(command));
    return out;
}

QByteArray &endFrame(QByteArray &out)
{
    out.append(kTerminatorBytes, kTerminatorSize);
    return out;
}

// colour, four 16-bit numbers: the shape of F Z A I J.
QByteArray shapeFrame(uint8_t command, COLORREF colour, int a, int b, int c, int d)
{
    QByteArray out = beginFrame(command, FrameLength::Shape);
    ByteWriter w(out);
    writeColour565(w, colour);
    w.le16(uint32_t(a));
    w.le16(uint32_t(b));
    w.le16(uint32_t(c));
    w.le16(uint32_t(d));
    return endFrame(out);
}

QByteArray roundFrame(uint8_t command, COLORREF colour, int cx, int cy, int radius)
{
    QByteArray out = beginFrame(command, FrameLength::Circle);
    ByteWriter w(out);
    writeColour565(w, colour);
    w.le16(uint32_t(cx));
    w.le16(uint32_t(cy));
    w.le16(uint32_t(radius));
    return endFrame(out);
}

uint32_t lowHalf(int32_t v) { return uint32_t(v) & 0xFFFF; }
uint32_t highHalf(int32_t v) { return uint32_t(v) >> 16; }

} // namespace

void writeColour565(ByteWriter &out, COLORREF colour) { out.le16(colour565(colour)); }

uint8_t fontCode(int dotSize, int face)
{
    const int code = dotFontCode(dotSize);
    if (code == 0 || dotSize == 8)
        return uint8_t(dotFontCode(8)); // the 8-dot font has face 0 only
    return static_cast<uint8_t>(code + face);
}

QByteArray backgroundFrame(COLORREF colour)
{
    QByteArray out = beginFrame(Command::Background, FrameLength::Background);
    ByteWriter w(out);
    writeColour565(w, colour);
    return endFrame(out);
}

QByteArray lineFrame(COLORREF colour, int x1, int y1, int x2, int y2)
{
    return shapeFrame(Command::Line, colour, x1, y1, x2, y2);
}

QByteArray rectFrame(COLORREF colour, int x1, int y1, int x2, int y2)
{
    return shapeFrame(Command::Rect, colour, x1, y1, x2, y2);
}

QByteArray filledRectFrame(COLORREF colour, int x1, int y1, int x2, int y2)
{
    return shapeFrame(Command::FilledRect, colour, x1, y1, x2, y2);
}

QByteArray ellipseFrame(COLORREF colour, int cx, int cy, int halfWidth, int halfHeight)
{
    return shapeFrame(Command::Ellipse, colour, cx, cy, halfWidth, halfHeight);
}

QByteArray filledEllipseFrame(COLORREF colour, int cx, int cy, int halfWidth, int halfHeight)
{
    return shapeFrame(Command::FilledEllipse, colour, cx, cy, halfWidth, halfHeight);
}

QByteArray circleFrame(COLORREF colour, int cx, int cy, int radius)
{
    return roundFrame(Command::Circle, colour, cx, cy, radius);
}

QByteArray filledCircleFrame(COLORREF colour, int cx, int cy, int radius)
{
    return roundFrame(Command::FilledCircle, colour, cx, cy, radius);
}

QByteArray pictureFrame(int pictureNumber, int x, int y)
{
    QByteArray out = beginFrame(Command::Picture, FrameLength::Picture);
    ByteWriter w(out);
    w.le16(uint32_t(pictureNumber));
    w.le16(uint32_t(x));
    w.le16(uint32_t(y));
    return endFrame(out);
}

QByteArray textFrame(const TextFrame &f)
{
    QByteArray out = beginFrame(Command::Text, FrameLength::TextBase + int(f.text.size()));
    ByteWriter w(out);
    writeColour565(w, f.colour);
    w.u8(uint32_t(f.columnSpacing));
    w.u8(uint32_t(f.lineSpacing));
    writeColour565(w, f.background);
    w.le16(uint32_t(f.x));
    w.le16(uint32_t(f.y));
    w.u8(uint32_t(f.mode));
    w.u8(uint32_t(f.font));
    w.bytes(f.text);
    return endFrame(out);
}

QByteArray stringControlFrame(const StringControlFrame &f)
{
    QByteArray out = beginFrame(Command::StringCtrl, FrameLength::StringCtrl);
    ByteWriter w(out);
    writeColour565(w, f.colour);
    w.le16(uint32_t(f.x));
    writeColour565(w, f.background);
    w.le16(uint32_t(f.y));
    w.u8(uint32_t(f.font));
    w.u8(uint32_t(f.characters));
    return endFrame(out);
}

QByteArray pointerControlFrame(const PointerControlFrame &f)
{
    QByteArray out = beginFrame(Command::PointerCtrl, FrameLength::PointerCtrl);
    ByteWriter w(out);
    w.le16(uint32_t(f.picture));         // 2
    writeColour565(w, f.needle);         // 4
    w.le16(uint32_t(f.x));               // 6
    writeColour565(w, f.outOfRange);     // 8
    w.le16(uint32_t(f.y));               // 10
    w.le16(lowHalf(f.minimum));          // 12
    w.u8(uint32_t(f.positions));         // 14
    w.u8(2 * uint32_t(f.lineWidth) - 1); // 15
    w.le16(lowHalf(f.maximum));          // 16
    w.le16(uint32_t(f.pageTag));         // 18
    w.le16(uint32_t(f.ctrlId));          // 20
    w.u8(uint32_t(f.style));             // 22
    w.u8(0);                             // 23
    w.le16(uint32_t(f.outOfRangeMin));   // 24
    w.le16(highHalf(f.minimum));         // 26
    w.le16(uint32_t(f.outOfRangeMax));   // 28
    w.le16(highHalf(f.maximum));         // 30
    return endFrame(out);
}

QByteArray numericControlFrame(const NumericControlFrame &f)
{
    QByteArray out = beginFrame(Command::NumericCtrl, FrameLength::NumericCtrl);
    ByteWriter w(out);
    writeColour565(w, f.colour);               // 2
    w.le16(uint32_t(f.x));                     // 4
    writeColour565(w, f.background);           // 6
    w.le16(uint32_t(f.y));                     // 8
    writeColour565(w, f.outOfRangeColour);     // 10
    w.u8(uint32_t(f.integerDigits));           // 12
    w.u8(0);                                   // 13
    writeColour565(w, f.outOfRangeBackground); // 14
    w.u8(uint32_t(f.decimalDigits));           // 16
    w.u8(0);                                   // 17
    w.le16(lowHalf(f.minimum));                // 18
    w.u8(uint32_t(f.dotSize));                 // 20
    w.u8(0);                                   // 21
    w.le16(lowHalf(f.maximum));                // 22
    w.u8(uint32_t(f.format));                  // 24
    w.u8(0);                                   // 25
    w.le16(uint32_t(f.pageTag));               // 26
    w.le16(uint32_t(f.outOfRangeMin));         // 28
    w.le16(highHalf(f.minimum));               // 30
    w.le16(uint32_t(f.outOfRangeMax));         // 32
    w.le16(highHalf(f.maximum));               // 34
    return endFrame(out);
}

QByteArray barControlFrame(const BarControlFrame &f)
{
    QByteArray out = beginFrame(Command::BarCtrl, FrameLength::BarCtrl);
    ByteWriter w(out);
    writeColour565(w, f.background);           // 2
    w.le16(uint32_t(f.x1) + 1);                // 4
    writeColour565(w, f.display);              // 6
    w.le16(uint32_t(f.y1) + 1);                // 8
    writeColour565(w, f.frame);                // 10
    w.le16(uint32_t(f.x2) - 1);                // 12
    writeColour565(w, f.outOfRangeBackground); // 14
    w.le16(uint32_t(f.y2) - 1);                // 16
    writeColour565(w, f.outOfRangeDisplay);    // 18
    w.u8(uint32_t(f.structure));               // 20
    w.u8(0);                                   // 21
    w.le16(lowHalf(f.minimum));                // 22
    w.le16(uint32_t(f.pageTag));               // 24
    w.le16(lowHalf(f.maximum));                // 26
    w.le16(uint32_t(f.outOfRangeMin));         // 28
    w.le16(highHalf(f.minimum));               // 30
    w.le16(uint32_t(f.outOfRangeMax));         // 32
    w.le16(highHalf(f.maximum));               // 34
    return endFrame(out);
}

QByteArray imageControlFrame(const ImageControlFrame &f)
{
    QByteArray out = beginFrame(Command::ImageCtrl, FrameLength::ImageCtrl);
    ByteWriter w(out);
    w.le16(uint32_t(f.x));
    w.le16(uint32_t(f.y));
    w.le16(uint32_t(f.firstPicture));
    w.le16(uint32_t(f.lastPicture));
    w.le16(uint32_t(f.pageTag));
    w.u8(uint32_t(f.style));
    w.u8(0);
    return endFrame(out);
}

QByteArray textControlFrame(const TextControlFrame &f)
{
    QByteArray out = beginFrame(Command::TextCtrl, FrameLength::TextCtrl);
    ByteWriter w(out);
    writeColour565(w, f.colour);
    w.u8(uint32_t(f.columnSpacing));
    w.u8(uint32_t(f.lineSpacing));
    writeColour565(w, f.background);
    w.le16(uint32_t(f.x1));
    w.le16(uint32_t(f.y1));
    w.le16(uint32_t(f.x2));
    w.le16(uint32_t(f.y2));
    w.u8(uint32_t(f.font));
    w.u8(0);
    return endFrame(out);
}

QByteArray buttonControlFrame(const ButtonControlFrame &f)
{
    const int b = f.style & 0x0F;
    QByteArray out = beginFrame(Command::ButtonCtrl, FrameLength::ButtonCtrl);
    ByteWriter w(out);
    writeColour565(w, f.face);
    w.le16(uint32_t(f.x1) + uint32_t(b));
    w.le16(uint32_t(f.y1) + uint32_t(b));
    writeColour565(w, f.light);
    w.le16(uint32_t(f.x2) - uint32_t(b));
    w.le16(uint32_t(f.y2) - uint32_t(b));
    writeColour565(w, f.dark);
    w.u8(uint32_t(f.style));
    return endFrame(out);
}

QByteArray delayFrame(int delay)
{
    QByteArray out = beginFrame(Command::Delay, FrameLength::Delay);
    ByteWriter(out).u8(uint32_t(delay));
    return endFrame(out);
}

QByteArray nextPageFrame(int page)
{
    QByteArray out = beginFrame(Command::NextPage, FrameLength::NextPage);
    const bool none = page < 0 || page >= kNoNextPage;
    ByteWriter(out).le16(none ? 0xFFFFu : uint32_t(page));
    return endFrame(out);
}

QByteArray shortSegmentHeader(uint8_t code, uint16_t p)
{
    QByteArray params;
    ByteWriter(params).le16(p);
    return storedHeaderBytes(code, params);
}

QByteArray longSegmentHeader(uint16_t first, uint16_t count)
{
    QByteArray params;
    ByteWriter w(params);
    w.le16(first);
    w.le16(count);
    return storedHeaderBytes(Segment::PageSegment, params);
}

QByteArray projectHeader() { return storedHeaderBytes(Segment::ProjectHeader); }

QByteArray flashPageBlock(uint8_t code, uint16_t p, const QByteArray &payload)
{
    QByteArray out = shortSegmentHeader(code, p);
    out.reserve(out.size() + kFlashPage);
    const qsizetype n = std::min<qsizetype>(payload.size(), kFlashPage);
    out.append(payload.constData(), n);
    out.append(kFlashPage - n, '\xFF');
    return out;
}

int padToFlashPages(QByteArray &data, qsizetype offset)
{
    const qsizetype n = data.size() - offset;
    const qsizetype pages = qsizetype(ceilDiv(uint64_t(n), kFlashPage));
    data.append(pages * kFlashPage - n, '\xFF');
    return int(pages);
}

} // namespace h5
