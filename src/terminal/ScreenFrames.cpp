#include "terminal/ScreenFrames.h"

#include "common/Bytes.h"
#include "project/Wire.h"

namespace h5 {

namespace {

// 1B 23 and the twelve parameter bytes before the text.
constexpr int kTextHead = FrameLength::TextBase - kTerminatorSize;

uint8_t at(const char *p, qsizetype i) { return static_cast<uint8_t>(p[i]); }

// Length of the frame of a fixed-length screen instruction (the table's
// Screen role), 0 for a text frame, -1 for a command byte that is no screen
// instruction.
int fixedLength(uint8_t command)
{
    const FrameRow *row = commandFrame(command);
    if (!row || row->role != FrameRole::Screen)
        return -1;
    return row->rule == LengthRule::PlusText ? 0 : row->length;
}

int s16(const char *p) { return int(int16_t(getLe16(p))); }
int u16(const char *p) { return int(getLe16(p)); }

} // namespace

ScreenScan scanScreenFrame(const char *p, qsizetype n, qsizetype &length)
{
    if (n < 1 || at(p, 0) != kEscape)
        return ScreenScan::NotAFrame;
    if (n < 2)
        return ScreenScan::NeedMore;
    const int fixed = fixedLength(at(p, 1));
    if (fixed < 0)
        return ScreenScan::NotAFrame;
    if (fixed > 0) {
        for (qsizetype i = fixed - kTerminatorSize; i < fixed && i < n; ++i) {
            if (p[i] != kTerminatorBytes[i - (fixed - kTerminatorSize)])
                return ScreenScan::NotAFrame;
        }
        if (n < fixed)
            return ScreenScan::NeedMore;
        length = fixed;
        return ScreenScan::Complete;
    }
    // Text: the first FF FF EE FF after the parameters ends it (a text never
    // holds it).
    const qsizetype limit = kTextHead + kMaxTextBytes + kTerminatorSize;
    for (qsizetype end = kTextHead + kTerminatorSize; end <= limit; ++end) {
        if (end > n)
            return ScreenScan::NeedMore;
        if (terminatorAt(p + end - kTerminatorSize)) {
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
    case Command::Background:
        op.kind = K::Fill;
        op.colour = getLe16(q);
        break;
    case Command::Point:
    case Command::Line:
    case Command::Rect:
    case Command::FilledRect:
        shape(command == Command::Point ? K::Point
              : command == Command::Line ? K::Line
              : command == Command::Rect ? K::HollowRect
                                         : K::FilledRect);
        op.x2 = s16(q + 6);
        op.y2 = s16(q + 8);
        break;
    case Command::Ellipse:
    case Command::FilledEllipse:
        shape(command == Command::Ellipse ? K::HollowEllipse : K::FilledEllipse);
        op.rx = u16(q + 6);
        op.ry = u16(q + 8);
        break;
    case Command::Circle:
    case Command::FilledCircle:
        shape(command == Command::Circle ? K::HollowCircle : K::FilledCircle);
        op.rx = op.ry = u16(q + 6);
        break;
    case Command::Text:
        op.kind = K::Text;
        op.colour = getLe16(q);
        op.columnSpacing = at(q, 2);
        op.rowSpacing = at(q, 3);
        op.background = getLe16(q + 4);
        op.x = s16(q + 6);
        op.y = s16(q + 8);
        op.mode = at(q, 10);
        op.font = at(q, 11);
        op.text = QByteArray(p + kTextHead, length - kTextHead - kTerminatorSize);
        break;
    case Command::Picture:
        op.kind = K::Picture;
        op.number = u16(q);
        op.x = s16(q + 2);
        op.y = s16(q + 4);
        break;
    case Command::NextPage:
        op.kind = K::Page;
        op.number = u16(q);
        break;
    case Command::Layer:
        op.kind = K::Layer;
        op.number = at(q, 0);
        break;
    case Command::LayerCopy:
        op.kind = K::LayerCopy;
        op.x = s16(q);
        op.y = s16(q + 2);
        op.w = u16(q + 4);
        op.h = u16(q + 6);
        op.toX = s16(q + 8);
        op.toY = s16(q + 10);
        break;
    case Command::Backlight:
        op.kind = K::Backlight;
        op.number = at(q, 0);
        break;
    case Command::Calibration:
        op.kind = K::Calibration;
        break;
    case Command::TouchMode:
        op.kind = K::TouchMode;
        op.number = at(q, 0);
        break;
    case Command::TouchInterval:
        op.kind = K::TouchInterval;
        op.number = u16(q);
        break;
    case Command::RealtimePicture:
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
