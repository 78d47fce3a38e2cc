// The frame table (project/Wire.h) row by row: each frame built by the code
// that sends it (the encoder, the live commands, the download frames) and
// read back by the code that takes it (the terminal's screen and page
// decoders, the stored-header decoder, the virtual terminal) gives the same
// fields, and the length the table states.

#include "support/FuzzReplay.h"
#include "support/TestUtil.h"

#include "../../fuzz/WireCheck.h"

#include "link/Frames.h"
#include "link/LiveCommands.h"
#include "project/Encoding.h"
#include "project/Wire.h"
#include "terminal/PageFrames.h"
#include "terminal/ScreenFrames.h"
#include "terminal/VirtualTerminal.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <iterator>
#include <map>
#include <ostream>
#include <utility>

namespace h5 {
// A row's name in the test output.
void PrintTo(const FrameRow &row, std::ostream *os) { *os << row.name; }
} // namespace h5

using namespace h5;

namespace {

// Colours whose RGB565 values have every field partly set.
constexpr uint16_t kC1 = 0xA5C3;
constexpr uint16_t kC2 = 0x5A3C;
constexpr uint16_t kC3 = 0x1F80;
constexpr uint16_t kC4 = 0xF00F;
constexpr uint16_t kC5 = 0x0FF0;

// Every field of two screen operations.
void expectSameOp(const ScreenOp &got, const ScreenOp &want)
{
    EXPECT_EQ(int(got.kind), int(want.kind));
    EXPECT_EQ(got.colour, want.colour);
    EXPECT_EQ(got.background, want.background);
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.x2, want.x2);
    EXPECT_EQ(got.y2, want.y2);
    EXPECT_EQ(got.rx, want.rx);
    EXPECT_EQ(got.ry, want.ry);
    EXPECT_EQ(got.w, want.w);
    EXPECT_EQ(got.h, want.h);
    EXPECT_EQ(got.toX, want.toX);
    EXPECT_EQ(got.toY, want.toY);
    EXPECT_EQ(got.number, want.number);
    EXPECT_EQ(got.columnSpacing, want.columnSpacing);
    EXPECT_EQ(got.rowSpacing, want.rowSpacing);
    EXPECT_EQ(got.mode, want.mode);
    EXPECT_EQ(got.font, want.font);
    EXPECT_EQ(got.text, want.text);
}

// Every field of two control operations.
void expectSameControl(const ControlOp &got, const ControlOp &want)
{
    EXPECT_EQ(int(got.kind), int(want.kind));
    EXPECT_EQ(got.colour, want.colour);
    EXPECT_EQ(got.background, want.background);
    EXPECT_EQ(got.colour3, want.colour3);
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.x2, want.x2);
    EXPECT_EQ(got.y2, want.y2);
    EXPECT_EQ(got.number, want.number);
    EXPECT_EQ(got.last, want.last);
    EXPECT_EQ(got.font, want.font);
    EXPECT_EQ(got.count, want.count);
    EXPECT_EQ(got.thickness, want.thickness);
    EXPECT_EQ(got.controlId, want.controlId);
    EXPECT_EQ(got.intDigits, want.intDigits);
    EXPECT_EQ(got.decimals, want.decimals);
    EXPECT_EQ(got.dots, want.dots);
    EXPECT_EQ(got.style, want.style);
    EXPECT_EQ(got.columnSpacing, want.columnSpacing);
    EXPECT_EQ(got.rowSpacing, want.rowSpacing);
    EXPECT_EQ(got.minimum, want.minimum);
    EXPECT_EQ(got.maximum, want.maximum);
    EXPECT_EQ(got.outOfRangeColour, want.outOfRangeColour);
    EXPECT_EQ(got.outOfRangeBackground, want.outOfRangeBackground);
    EXPECT_EQ(got.belowShown, want.belowShown);
    EXPECT_EQ(got.aboveShown, want.aboveShown);
    EXPECT_EQ(got.pageTag, want.pageTag);
}

void expectSameHeader(const StoredHeader &got, const StoredHeader &want)
{
    EXPECT_EQ(got.kind, want.kind);
    EXPECT_EQ(got.length, want.length);
    EXPECT_EQ(got.number, want.number);
    EXPECT_EQ(got.pages, want.pages);
    EXPECT_EQ(got.block, want.block);
    EXPECT_EQ(got.width, want.width);
    EXPECT_EQ(got.height, want.height);
}

// A screen frame read by the terminal's screen decoder: the scanner must
// find exactly the whole frame.
void expectScreen(const QByteArray &bytes, const ScreenOp &want)
{
    qsizetype length = 0;
    ASSERT_EQ(scanScreenFrame(bytes.constData(), bytes.size(), length), ScreenScan::Complete);
    ASSERT_EQ(length, bytes.size());
    expectSameOp(decodeScreenFrame(bytes.constData(), length), want);
}

// A frame only pages hold, read as one step of a page stream.
PageStep onlyStep(const QByteArray &bytes)
{
    const QList<PageStep> steps = pageSteps(bytes + QByteArray(8, '\xFF'));
    EXPECT_EQ(steps.size(), 1);
    return steps.value(0);
}

void expectControl(const QByteArray &bytes, const ControlOp &want)
{
    ControlOp got;
    ASSERT_TRUE(decodeControlFrame(bytes.constData(), bytes.size(), got));
    expectSameControl(got, want);
    const PageStep step = onlyStep(bytes);
    EXPECT_EQ(int(step.type), int(PageStep::Type::Control));
    expectSameControl(step.control, want);
}

void expectHeader(const QByteArray &bytes, const StoredHeader &want)
{
    StoredHeader got;
    ASSERT_TRUE(decodeStoredHeader(bytes.constData(), bytes.size(), got));
    expectSameHeader(got, want);
}

ScreenOp op(ScreenOp::Kind kind)
{
    ScreenOp o;
    o.kind = kind;
    return o;
}

ScreenOp shapeOp(ScreenOp::Kind kind, uint16_t colour, int x, int y, int x2, int y2)
{
    ScreenOp o = op(kind);
    o.colour = colour;
    o.x = x;
    o.y = y;
    o.x2 = x2;
    o.y2 = y2;
    return o;
}

ScreenOp roundOp(ScreenOp::Kind kind, uint16_t colour, int x, int y, int rx, int ry)
{
    ScreenOp o = op(kind);
    o.colour = colour;
    o.x = x;
    o.y = y;
    o.rx = rx;
    o.ry = ry;
    return o;
}

ControlOp control(ControlOp::Kind kind)
{
    ControlOp c;
    c.kind = kind;
    return c;
}

StoredHeader header(uint8_t kind)
{
    StoredHeader h;
    h.kind = kind;
    h.length = storedLength(kind);
    return h;
}

// One row's round trip: the bytes as the sending code builds them, and the
// check that the receiving code reads the same fields back.
struct RoundTrip
{
    std::function<QByteArray()> encode;
    std::function<void(const QByteArray &)> decode;
};

using RowKey = std::pair<FrameStart, uint8_t>;

std::map<RowKey, RoundTrip> roundTrips()
{
    using K = ScreenOp::Kind;
    using C = ControlOp::Kind;
    const auto cmd = [](uint8_t code) { return RowKey{FrameStart::Command, code}; };
    const auto stored = [](uint8_t code) { return RowKey{FrameStart::Stored, code}; };
    std::map<RowKey, RoundTrip> t;

    // ---- screen instructions ----
    t[cmd(Command::Background)] = {[] { return backgroundFrame(colourOf565(kC1)); },
                                   [](const QByteArray &b) {
                                       ScreenOp o = op(K::Fill);
                                       o.colour = kC1;
                                       expectScreen(b, o);
                                       EXPECT_EQ(clearScreenFrame(kC1), b);
                                   }};
    t[cmd(Command::Point)] = {[] { return shapeFrame(LiveShape::Point, kC2, QPoint(-3, 4), QPoint(700, -800)).bytes; },
                              [](const QByteArray &b) { expectScreen(b, shapeOp(K::Point, kC2, -3, 4, 700, -800)); }};
    t[cmd(Command::Line)] = {[] { return lineFrame(colourOf565(kC3), -5, 6, 1023, -7); },
                             [](const QByteArray &b) { expectScreen(b, shapeOp(K::Line, kC3, -5, 6, 1023, -7)); }};
    t[cmd(Command::Rect)] = {[] { return rectFrame(colourOf565(kC4), 1, 2, 300, 400); },
                             [](const QByteArray &b) { expectScreen(b, shapeOp(K::HollowRect, kC4, 1, 2, 300, 400)); }};
    t[cmd(Command::FilledRect)] = {[] { return filledRectFrame(colourOf565(kC5), -1, -2, 3, 4); },
                                   [](const QByteArray &b) { expectScreen(b, shapeOp(K::FilledRect, kC5, -1, -2, 3, 4)); }};
    t[cmd(Command::Ellipse)] = {[] { return ellipseFrame(colourOf565(kC1), 100, -50, 60, 30); },
                                [](const QByteArray &b) { expectScreen(b, roundOp(K::HollowEllipse, kC1, 100, -50, 60, 30)); }};
    t[cmd(Command::FilledEllipse)] = {[] { return filledEllipseFrame(colourOf565(kC2), -100, 50, 65535, 2); },
                                      [](const QByteArray &b) {
                                          expectScreen(b, roundOp(K::FilledEllipse, kC2, -100, 50, 65535, 2));
                                      }};
    t[cmd(Command::Circle)] = {[] { return circleFrame(colourOf565(kC3), 7, 8, 9); },
                               [](const QByteArray &b) { expectScreen(b, roundOp(K::HollowCircle, kC3, 7, 8, 9, 9)); }};
    t[cmd(Command::FilledCircle)] = {[] { return filledCircleFrame(colourOf565(kC4), -7, -8, 40000); },
                                     [](const QByteArray &b) {
                                         expectScreen(b, roundOp(K::FilledCircle, kC4, -7, -8, 40000, 40000));
                                     }};
    t[cmd(Command::Text)] = {[] {
                                 TextFrame f;
                                 f.colour = colourOf565(kC1);
                                 f.columnSpacing = 2;
                                 f.lineSpacing = 250;
                                 f.background = colourOf565(kC2);
                                 f.x = -1;
                                 f.y = 40;
                                 f.mode = 1;
                                 f.font = 0x21;
                                 f.text = "AB\xB0\xA1\r";
                                 return textFrame(f);
                             },
                             [](const QByteArray &b) {
                                 ScreenOp o = op(K::Text);
                                 o.colour = kC1;
                                 o.columnSpacing = 2;
                                 o.rowSpacing = 250;
                                 o.background = kC2;
                                 o.x = -1;
                                 o.y = 40;
                                 o.mode = 1;
                                 o.font = 0x21;
                                 o.text = QByteArray("AB\xB0\xA1\r");
                                 expectScreen(b, o);
                             }};
    t[cmd(Command::Picture)] = {[] { return pictureFrame(599, -3, 17); },
                                [](const QByteArray &b) {
                                    ScreenOp o = op(K::Picture);
                                    o.number = 599;
                                    o.x = -3;
                                    o.y = 17;
                                    expectScreen(b, o);
                                    EXPECT_EQ(pictureSwitchFrame(599).left(4), b.left(4));
                                }};
    t[cmd(Command::NextPage)] = {[] { return pageSwitchFrame(1023); },
                                 [](const QByteArray &b) {
                                     ScreenOp o = op(K::Page);
                                     o.number = 1023;
                                     expectScreen(b, o);
                                     // In a page: the next page of the cycle, FF FF for none.
                                     const PageStep next = onlyStep(nextPageFrame(1023));
                                     EXPECT_EQ(int(next.type), int(PageStep::Type::NextPage));
                                     EXPECT_EQ(next.value, 1023);
                                     EXPECT_EQ(onlyStep(nextPageFrame(kNoNextPage)).value, -1);
                                 }};
    t[cmd(Command::Layer)] = {[] { return layerSelectFrame(2, 1); },
                              [](const QByteArray &b) {
                                  ScreenOp o = op(K::Layer);
                                  o.number = 9;
                                  expectScreen(b, o);
                                  o.number = 3;
                                  expectScreen(layerSwitchFrame(3), o);
                              }};
    t[cmd(Command::LayerCopy)] = {[] { return layerCopyFrame(-1, 2, 300, 200, 10, -20); },
                                  [](const QByteArray &b) {
                                      ScreenOp o = op(K::LayerCopy);
                                      o.x = -1;
                                      o.y = 2;
                                      o.w = 300;
                                      o.h = 200;
                                      o.toX = 10;
                                      o.toY = -20;
                                      expectScreen(b, o);
                                  }};
    t[cmd(Command::Backlight)] = {[] { return backlightFrame(63); },
                                  [](const QByteArray &b) {
                                      ScreenOp o = op(K::Backlight);
                                      o.number = 63;
                                      expectScreen(b, o);
                                  }};
    t[cmd(Command::Calibration)] = {[] { return calibrationFrame(); },
                                    [](const QByteArray &b) { expectScreen(b, op(K::Calibration)); }};
    t[cmd(Command::TouchMode)] = {[] { return touchModeFrame(3); },
                                  [](const QByteArray &b) {
                                      ScreenOp o = op(K::TouchMode);
                                      o.number = 3;
                                      expectScreen(b, o);
                                  }};
    t[cmd(Command::TouchInterval)] = {[] { return touchIntervalFrame(0x1234); },
                                      [](const QByteArray &b) {
                                          ScreenOp o = op(K::TouchInterval);
                                          o.number = 0x1234;
                                          expectScreen(b, o);
                                      }};
    t[cmd(Command::RealtimePicture)] = {[] { return realtimePictureHeader(-2, 5, 320, 240); },
                                        [](const QByteArray &b) {
                                            ScreenOp o = op(K::RealtimePicture);
                                            o.x = -2;
                                            o.y = 5;
                                            o.w = 320;
                                            o.h = 240;
                                            expectScreen(b, o);
                                        }};

    // ---- frames only pages hold ----
    t[cmd(Command::StringCtrl)] = {[] {
                                       StringControlFrame f;
                                       f.colour = colourOf565(kC1);
                                       f.background = colourOf565(kC2);
                                       f.x = 10;
                                       f.y = -20;
                                       f.font = 0x20;
                                       f.characters = 12;
                                       return stringControlFrame(f);
                                   },
                                   [](const QByteArray &b) {
                                       ControlOp c = control(C::String);
                                       c.colour = kC1;
                                       c.background = kC2;
                                       c.x = 10;
                                       c.y = -20;
                                       c.font = 0x20;
                                       c.count = 12;
                                       expectControl(b, c);
                                   }};
    t[cmd(Command::PointerCtrl)] = {[] {
                                        PointerControlFrame f;
                                        f.picture = 7;
                                        f.needle = colourOf565(kC1);
                                        f.outOfRange = colourOf565(kC2);
                                        f.x = 100;
                                        f.y = -50;
                                        f.minimum = -70000;
                                        f.maximum = 123456;
                                        f.positions = 90;
                                        f.lineWidth = 2;
                                        f.pageTag = 3;
                                        f.ctrlId = 2047;
                                        f.style = 5;
                                        f.outOfRangeMin = 11;
                                        f.outOfRangeMax = 65280;
                                        return pointerControlFrame(f);
                                    },
                                    [](const QByteArray &b) {
                                        ControlOp c = control(C::Pointer);
                                        c.number = 7;
                                        c.colour = kC1;
                                        c.background = kC2;
                                        c.x = 100;
                                        c.y = -50;
                                        c.minimum = -70000;
                                        c.maximum = 123456;
                                        c.count = 90;
                                        c.thickness = 3; // 2 x line width - 1
                                        c.pageTag = 3;
                                        c.controlId = 2047;
                                        c.style = 5;
                                        c.belowShown = 11;
                                        c.aboveShown = 65280;
                                        expectControl(b, c);
                                    }};
    t[cmd(Command::NumericCtrl)] = {[] {
                                        NumericControlFrame f;
                                        f.colour = colourOf565(kC1);
                                        f.background = colourOf565(kC2);
                                        f.outOfRangeColour = colourOf565(kC3);
                                        f.outOfRangeBackground = colourOf565(kC4);
                                        f.x = -4;
                                        f.y = 300;
                                        f.integerDigits = 5;
                                        f.decimalDigits = 2;
                                        f.minimum = -2147483647 - 1;
                                        f.maximum = 2147483647;
                                        f.dotSize = 24;
                                        f.format = 0x4E;
                                        f.pageTag = 9;
                                        f.outOfRangeMin = 1;
                                        f.outOfRangeMax = 2;
                                        return numericControlFrame(f);
                                    },
                                    [](const QByteArray &b) {
                                        ControlOp c = control(C::Numeric);
                                        c.colour = kC1;
                                        c.background = kC2;
                                        c.outOfRangeColour = kC3;
                                        c.outOfRangeBackground = kC4;
                                        c.x = -4;
                                        c.y = 300;
                                        c.intDigits = 5;
                                        c.decimals = 2;
                                        c.minimum = -2147483647 - 1;
                                        c.maximum = 2147483647;
                                        c.dots = 24;
                                        c.style = 0x4E;
                                        c.pageTag = 9;
                                        c.belowShown = 1;
                                        c.aboveShown = 2;
                                        expectControl(b, c);
                                    }};
    t[cmd(Command::BarCtrl)] = {[] {
                                    BarControlFrame f;
                                    f.display = colourOf565(kC1);
                                    f.background = colourOf565(kC2);
                                    f.frame = colourOf565(kC3);
                                    f.outOfRangeDisplay = colourOf565(kC4);
                                    f.outOfRangeBackground = colourOf565(kC5);
                                    f.x1 = 10;
                                    f.y1 = 20;
                                    f.x2 = 110;
                                    f.y2 = 40;
                                    f.structure = 7;
                                    f.minimum = -100;
                                    f.maximum = 100000;
                                    f.pageTag = 4;
                                    f.outOfRangeMin = 5;
                                    f.outOfRangeMax = 6;
                                    return barControlFrame(f);
                                },
                                [](const QByteArray &b) {
                                    ControlOp c = control(C::Bar);
                                    c.colour = kC1;
                                    c.background = kC2;
                                    c.colour3 = kC3;
                                    c.outOfRangeColour = kC4;
                                    c.outOfRangeBackground = kC5;
                                    // The frame carries the rectangle one pixel inside.
                                    c.x = 11;
                                    c.y = 21;
                                    c.x2 = 109;
                                    c.y2 = 39;
                                    c.style = 7;
                                    c.minimum = -100;
                                    c.maximum = 100000;
                                    c.pageTag = 4;
                                    c.belowShown = 5;
                                    c.aboveShown = 6;
                                    expectControl(b, c);
                                }};
    t[cmd(Command::ImageCtrl)] = {[] {
                                      ImageControlFrame f;
                                      f.x = -10;
                                      f.y = 20;
                                      f.firstPicture = 3;
                                      f.lastPicture = 599;
                                      f.pageTag = 8;
                                      f.style = 0x81;
                                      return imageControlFrame(f);
                                  },
                                  [](const QByteArray &b) {
                                      ControlOp c = control(C::Image);
                                      c.x = -10;
                                      c.y = 20;
                                      c.number = 3;
                                      c.last = 599;
                                      c.pageTag = 8;
                                      c.style = 0x81;
                                      expectControl(b, c);
                                  }};
    t[cmd(Command::TextCtrl)] = {[] {
                                     TextControlFrame f;
                                     f.colour = colourOf565(kC1);
                                     f.background = colourOf565(kC2);
                                     f.columnSpacing = 3;
                                     f.lineSpacing = 4;
                                     f.x1 = 1;
                                     f.y1 = -2;
                                     f.x2 = 300;
                                     f.y2 = 200;
                                     f.font = 0x62;
                                     return textControlFrame(f);
                                 },
                                 [](const QByteArray &b) {
                                     ControlOp c = control(C::TextArea);
                                     c.colour = kC1;
                                     c.background = kC2;
                                     c.columnSpacing = 3;
                                     c.rowSpacing = 4;
                                     c.x = 1;
                                     c.y = -2;
                                     c.x2 = 300;
                                     c.y2 = 200;
                                     c.font = 0x62;
                                     expectControl(b, c);
                                 }};
    t[cmd(Command::ButtonCtrl)] = {[] {
                                       ButtonControlFrame f;
                                       f.face = colourOf565(kC1);
                                       f.light = colourOf565(kC2);
                                       f.dark = colourOf565(kC3);
                                       f.x1 = 10;
                                       f.y1 = 20;
                                       f.x2 = 110;
                                       f.y2 = 70;
                                       f.style = 0x43; // border width 3
                                       return buttonControlFrame(f);
                                   },
                                   [](const QByteArray &b) {
                                       ControlOp c = control(C::Button);
                                       c.colour = kC1;
                                       c.background = kC2;
                                       c.colour3 = kC3;
                                       // The frame carries the box less the border.
                                       c.x = 13;
                                       c.y = 23;
                                       c.x2 = 107;
                                       c.y2 = 67;
                                       c.style = 0x43;
                                       expectControl(b, c);
                                   }};
    t[cmd(Command::Delay)] = {[] { return delayFrame(0x1C8); },
                              [](const QByteArray &b) {
                                  const PageStep step = onlyStep(b);
                                  EXPECT_EQ(int(step.type), int(PageStep::Type::Delay));
                                  EXPECT_EQ(step.value, 0xC8); // the low byte
                              }};

    // ---- requests ----
    t[cmd(Command::RegistryRead)] = {[] { return registryReadRequest(); },
                                     [](const QByteArray &b) {
                                         // The terminal answers it with its registry
                                         // records and the terminator.
                                         VirtualTerminal terminal(320, 240);
                                         const QByteArray reply = terminal.feed(b);
                                         EXPECT_TRUE(reply.endsWith(frameTerminator()));
                                         EXPECT_TRUE(terminal.idle());
                                     }};

    // ---- stored-data headers ----
    t[stored(Segment::ProjectHeader)] = {[] { return projectHeader(); },
                                         [](const QByteArray &b) { expectHeader(b, header(Segment::ProjectHeader)); }};
    t[stored(Segment::PageSegment)] = {[] { return longSegmentHeader(1000, 260); },
                                       [](const QByteArray &b) {
                                           StoredHeader h = header(Segment::PageSegment);
                                           h.number = 1000;
                                           h.pages = 260;
                                           expectHeader(b, h);
                                       }};
    for (const uint8_t kind : {Segment::ControlDefinition, Segment::ControlTable, Segment::NeedleTable}) {
        t[stored(kind)] = {[kind] { return flashPageBlock(kind, 2047, "needles"); },
                           [kind](const QByteArray &b) {
                               StoredHeader h = header(kind);
                               h.number = 2047;
                               h.pages = 1;
                               expectHeader(b, h);
                               EXPECT_EQ(b.size(), kShortSegmentHeader + kFlashPage);
                           }};
    }
    t[stored(Segment::RegistryWrite)] = {[] { return registryWriteCommand(); },
                                         [](const QByteArray &b) { expectHeader(b, header(Segment::RegistryWrite)); }};
    t[stored(Segment::Picture)] = {[] { return pictureHeader(599, 530, 1024, 768); },
                                   [](const QByteArray &b) {
                                       StoredHeader h = header(Segment::Picture);
                                       h.number = 599;
                                       h.block = 530;
                                       h.width = 1024;
                                       h.height = 768;
                                       expectHeader(b, h);
                                   }};
    t[stored(Segment::Font)] = {[] { return fontSegment(12, QByteArray(kFlashPage + 1, 'x')); },
                                [](const QByteArray &b) {
                                    StoredHeader h = header(Segment::Font);
                                    h.number = 12;
                                    h.pages = 2;
                                    expectHeader(b, h);
                                    SegmentHeader s;
                                    ASSERT_TRUE(fontSegmentAt(b, 0, s));
                                    EXPECT_EQ(s.pages, 2);
                                }};
    return t;
}

// The bytes a row's frame must start with.
QByteArray startOf(const FrameRow &row)
{
    if (row.start == FrameStart::Command)
        return QByteArray(1, char(kEscape)) + char(row.code);
    return QByteArray(1, char(kStoredMark)) + char(kEscape) + char(row.code);
}

} // namespace

// One test per row of the table, named after the row.
class WireRoundTrip : public ::testing::TestWithParam<FrameRow>
{
};

TEST_P(WireRoundTrip, FrameReadsBackTheFieldsItWasBuiltWith)
{
    const FrameRow &row = GetParam();
    static const auto trips = roundTrips();
    const auto it = trips.find({row.start, row.code});
    ASSERT_NE(it, trips.end()) << "the table has a frame no round trip covers";
    const QByteArray bytes = it->second.encode();
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_TRUE(bytes.startsWith(startOf(row))) << h5test::toHex(bytes.left(4));
    // The length the table states, terminator at its end; data after a
    // stored header is not part of the frame.
    qsizetype length = row.length;
    if (row.rule == LengthRule::PlusText)
        length = bytes.size();
    EXPECT_GE(length, row.length);
    if (row.follows == Follows::Nothing || row.start == FrameStart::Command) {
        EXPECT_EQ(bytes.size(), length);
    }
    ASSERT_GE(bytes.size(), length);
    EXPECT_EQ(bytes.mid(length - kTerminatorSize, kTerminatorSize), frameTerminator());
    it->second.decode(bytes);
}

INSTANTIATE_TEST_SUITE_P(EveryFrame, WireRoundTrip, ::testing::ValuesIn(kFrames),
                         [](const ::testing::TestParamInfo<FrameRow> &info) {
                             std::string name;
                             bool upper = true;
                             for (const char *c = info.param.name; *c; ++c) {
                                 if (*c == ' ') {
                                     upper = true;
                                     continue;
                                 }
                                 name += upper ? char(std::toupper(static_cast<unsigned char>(*c))) : *c;
                                 upper = false;
                             }
                             return name;
                         });

TEST(WireTable, EveryRoundTripNamesARowOfTheTable)
{
    for (const auto &trip : roundTrips()) {
        EXPECT_NE(findFrame(trip.first.first, trip.first.second), nullptr)
            << "code " << int(trip.first.second) << " is in no row";
    }
}

TEST(WireTable, HoldsEachFrameOnceWithRoomForItsTerminator)
{
    for (size_t i = 0; i < std::size(kFrames); ++i) {
        SCOPED_TRACE(kFrames[i].name);
        const int prefix = kFrames[i].start == FrameStart::Command ? 2 : 3;
        EXPECT_GE(kFrames[i].length, prefix + kTerminatorSize);
        for (size_t j = i + 1; j < std::size(kFrames); ++j) {
            EXPECT_FALSE(kFrames[i].start == kFrames[j].start && kFrames[i].code == kFrames[j].code)
                << kFrames[j].name << " repeats the code";
        }
    }
}

TEST(WireTable, KeptFuzzInputsKeepTheWireProperties)
{
    EXPECT_GT(h5test::replayFuzzInputs(QStringLiteral("fuzz_wire"), h5fuzz::checkWireInput), 0);
}
