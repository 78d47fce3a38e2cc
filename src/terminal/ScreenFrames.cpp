#include "terminal/ScreenFrames.h"

#include "common/Bytes.h"

namespace h5 {

namespace {

constexpr uint8_t kEsc = 0x1B;
const uint8_t kEnd[4] = {0xFF, 0xFF, 0xEE, 0xFF};
constexpr int kTextHead = 14; // 1B 23 and the twelve parameter bytes before the text

uint8_t at(const char *p, qsizetype i) { return static_cast<uint8_t>(p[i]); }

// Length of the frame of a fixed-length command, 0 for a text frame, -1 for
// a command byte that is no screen instruction.
int fixedLength(uint8_t command)
{
    switch (command) {
    case 0x42: return 8;  // fill
    case 0x47:            // point
    case 0x46:            // line
    case 0x5A:            // hollow rectangle
    case 0x41:            // filled rectangle
    case 0x49:            // hollow ellipse
    case 0x4A: return 16; // filled ellipse
    case 0x59:            // hollow circle
    case 0x4F: return 14; // filled circle
    case 0x23: return 0;  // text
    case 0x29: return 12; // stored picture
    case 0x50: return 8;  // page
    case 0x40: return 7;  // layer
    case 0x28: return 18; // layer copy
    case 0x64: return 7;  // backlight
    case 0x38: return 6;  // calibration
    case 0x20: return 7;  // touch mode
    case 0x21: return 8;  // touch interval
    case 0x24: return 14; // realtime picture
    default: return -1;
    }
}

int s16(const char *p) { return int(int16_t(getLe16(p))); }
int u16(const char *p) { return int(getLe16(p)); }

} // namespace

ScreenScan scanScreenFrame(const char *p, qsizetype n, qsizetype &length)
{
    if (n < 1 || at(p, 0) != kEsc)
        return ScreenScan::NotAFrame;
    if (n < 2)
        return ScreenScan::NeedMore;
    const int fixed = fixedLength(at(p, 1));
    if (fixed < 0)
        return ScreenScan::NotAFrame;
    if (fixed > 0) {
        for (qsizetype i = fixed - 4; i < fixed && i < n; ++i) {
            if (at(p, i) != kEnd[i - (fixed - 4)])
                return ScreenScan::NotAFrame;
        }
        if (n < fixed)
            return ScreenScan::NeedMore;
        length = fixed;
        return ScreenScan::Complete;
    }
    // Text: the first FF FF EE FF after the parameters ends it (a text never
    // holds it).
    const qsizetype limit = kTextHead + kMaxTextBytes + 4;
    for (qsizetype end = kTextHead + 4; end <= limit; ++end) {
        if (end > n)
            return ScreenScan::NeedMore;
        if (at(p, end - 4) == 0xFF && at(p, end - 3) == 0xFF && at(p, end - 2) == 0xEE
            && at(p, end - 1) == 0xFF) {
            length = end;
            return ScreenScan::Complete;
        }
    }
    return ScreenScan::NotAFrame;
}

ScreenOp decodeScreenFrame(const char *p, qsizetype length)
{
    using K = ScreenOp::Kind;
    ScreenOp op;
    const uint8_t command = at(p, 1);
    const char *q = p + 2; // the parameters
    auto shape = [&](K kind) {
        op.kind = kind;
        op.colour = getLe16(q);
        op.x = s16(q + 2);
        op.y = s16(q + 4);
    };
    switch (command) {
    case 0x42:
        op.kind = K::Fill;
        op.colour = getLe16(q);
        break;
    case 0x47:
    case 0x46:
    case 0x5A:
    case 0x41:
        shape(command == 0x47 ? K::Point
              : command == 0x46 ? K::Line
              : command == 0x5A ? K::HollowRect
                                : K::FilledRect);
        op.x2 = s16(q + 6);
        op.y2 = s16(q + 8);
        break;
    case 0x49:
    case 0x4A:
        shape(command == 0x49 ? K::HollowEllipse : K::FilledEllipse);
        op.rx = u16(q + 6);
        op.ry = u16(q + 8);
        break;
    case 0x59:
    case 0x4F:
        shape(command == 0x59 ? K::HollowCircle : K::FilledCircle);
        op.rx = op.ry = u16(q + 6);
        break;
    case 0x23:
        op.kind = K::Text;
        op.colour = getLe16(q);
        op.columnSpacing = at(q, 2);
        op.rowSpacing = at(q, 3);
        op.background = getLe16(q + 4);
        op.x = s16(q + 6);
        op.y = s16(q + 8);
        op.mode = at(q, 10);
        op.font = at(q, 11);
        op.text = QByteArray(p + kTextHead, length - kTextHead - 4);
        break;
    case 0x29:
        op.kind = K::Picture;
        op.number = u16(q);
        op.x = s16(q + 2);
        op.y = s16(q + 4);
        break;
    case 0x50:
        op.kind = K::Page;
        op.number = u16(q);
        break;
    case 0x40:
        op.kind = K::Layer;
        op.number = at(q, 0);
        break;
    case 0x28:
        op.kind = K::LayerCopy;
        op.x = s16(q);
        op.y = s16(q + 2);
        op.w = u16(q + 4);
        op.h = u16(q + 6);
        op.toX = s16(q + 8);
        op.toY = s16(q + 10);
        break;
    case 0x64:
        op.kind = K::Backlight;
        op.number = at(q, 0);
        break;
    case 0x38:
        op.kind = K::Calibration;
        break;
    case 0x20:
        op.kind = K::TouchMode;
        op.number = at(q, 0);
        break;
    case 0x21:
        op.kind = K::TouchInterval;
        op.number = u16(q);
        break;
    case 0x24:
        op.kind = K::RealtimePicture;
        op.x = s16(q);
        op.y = s16(q + 2);
        op.w = u16(q + 4);
        op.h = u16(q + 6);
        break;
    default:
        break;
    }
    return op;
}

} // namespace h5
