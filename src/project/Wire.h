#pragma once
// The terminal's wire: every frame that travels between the PC and the
// terminal or sits in the terminal's flash, in one table. The encoder
// (project/Encoding.h), the build, the PC's sessions and live commands
// (link/), the terminal's decoders (terminal/ScreenFrames.h, PageFrames.h,
// VirtualTerminal) and the fuzz targets all take command bytes, lengths and
// the terminator from here, so the two ends cannot disagree.
//
// Two frame shapes:
//   1B command parameters FF FF EE FF        a command frame
//   7F 1B kind parameters FF FF EE FF        a stored-data header: the data
//                                            it announces follows it
// Parameters are 16-bit numbers low byte first or single bytes.
//
// The table lives in project/ because the encoder is the lowest code that
// needs it; link/ and terminal/ sit above project/ and read it from there.

#include <QByteArray>
#include <QtGlobal>
#include <cstdint>

namespace h5 {

inline constexpr uint8_t kEscape = 0x1B;     // starts a command frame
inline constexpr uint8_t kStoredMark = 0x7F; // starts a stored-data header (7F 1B kind)

// FF FF EE FF, the end of every frame.
inline constexpr char kTerminatorBytes[4] = {char(0xFF), char(0xFF), char(0xEE), char(0xFF)};
inline constexpr int kTerminatorSize = 4;
// Whether the four bytes at `p` are the terminator.
inline bool terminatorAt(const char *p)
{
    return p[0] == kTerminatorBytes[0] && p[1] == kTerminatorBytes[1] && p[2] == kTerminatorBytes[2]
        && p[3] == kTerminatorBytes[3];
}
// The terminator as bytes.
QByteArray frameTerminator();

// The command byte after 1B.
namespace Command {
enum : uint8_t {
    Background = 0x42,      // B  fill the screen
    Point = 0x47,           // G
    Line = 0x46,            // F
    Rect = 0x5A,            // Z  hollow rectangle
    FilledRect = 0x41,      // A
    Ellipse = 0x49,         // I  hollow ellipse
    FilledEllipse = 0x4A,   // J
    Circle = 0x59,          // Y  hollow circle
    FilledCircle = 0x4F,    // O
    Text = 0x23,            // #
    Picture = 0x29,         // )  stored picture
    NextPage = 0x50,        // P  page switch; in a page, the next page of the cycle
    Layer = 0x40,           // @  layer switch, or the layer select of a copy
    LayerCopy = 0x28,       // (
    Backlight = 0x64,       // d
    Calibration = 0x38,     // 8  touch panel calibration
    TouchMode = 0x20,       // space
    TouchInterval = 0x21,   // !
    RealtimePicture = 0x24, // $  w x h pixels follow
    RegistryRead = 0x27,    // '  the terminal answers with its registry records
    StringCtrl = 0x69,      // i
    PointerCtrl = 0x6A,     // j
    NumericCtrl = 0x6B,     // k
    BarCtrl = 0x6C,         // l
    ImageCtrl = 0x6D,       // m
    TextCtrl = 0x6E,        // n
    ButtonCtrl = 0x6F,      // o
    Delay = 0x53,           // S  page delay
};
}

// The kind byte after 7F 1B.
namespace Segment {
enum : uint8_t {
    ControlDefinition = 0x70, // p = control ID; one flash page follows
    ControlTable = 0x71,      // p = page number; one flash page follows
    NeedleTable = 0x72,       // p = control ID; one flash page follows
    RegistryWrite = 0x73,     // the registry image follows
    Font = 0x74,              // font number, page count; the pages follow
    ProjectHeader = 0x75,     // the page index follows
    PageSegment = 0x56,       // long form: first flash page, page count; the pages follow
    Picture = 0x1C,           // number, first block, width, height; the pixels follow
};
}

enum class FrameStart : uint8_t {
    Command, // 1B code
    Stored,  // 7F 1B code
};

// What a frame is for, which also says which decoder takes it.
enum class FrameRole : uint8_t {
    Screen,  // the terminal's screen carries it out, from the line or from a page
             // (terminal/ScreenFrames.h)
    Page,    // only inside a page's stream: controls and the delay
             // (terminal/PageFrames.h)
    Request, // asks the terminal for an answer
    Header,  // a stored-data header (decodeStoredHeader)
};

enum class LengthRule : uint8_t {
    Fixed,    // `length` bytes, terminator included
    PlusText, // `length` bytes plus the text bytes before the terminator
};

// What comes after the frame on the line, outside any frame.
enum class Follows : uint8_t {
    Nothing,
    PageIndex,      // the 2048-byte page index
    CountedPages,   // as many flash pages as bytes 5..6 say
    OnePage,        // one flash page
    RegistryImage,  // the registry image, in flash-page packets
    PicturePixels,  // width x height x 2 bytes of pixels
};

struct FrameRow
{
    FrameStart start;
    uint8_t code;
    const char *name;
    int length; // terminator included; for PlusText the length without the text
    LengthRule rule;
    FrameRole role;
    Follows follows;
};

// Every frame of the system. Names are those the logs and tests use.
inline constexpr FrameRow kFrames[] = {
    // screen instructions (from the line, and inside pages)
    {FrameStart::Command, Command::Background, "fill", 8, LengthRule::Fixed, FrameRole::Screen, Follows::Nothing},
    {FrameStart::Command, Command::Point, "point", 16, LengthRule::Fixed, FrameRole::Screen, Follows::Nothing},
    {FrameStart::Command, Command::Line, "line", 16, LengthRule::Fixed, FrameRole::Screen, Follows::Nothing},
    {FrameStart::Command, Command::Rect, "hollow rectangle", 16, LengthRule::Fixed, FrameRole::Screen, Follows::Nothing},
    {FrameStart::Command, Command::FilledRect, "filled rectangle", 16, LengthRule::Fixed, FrameRole::Screen, Follows::Nothing},
    {FrameStart::Command, Command::Ellipse, "hollow ellipse", 16, LengthRule::Fixed, FrameRole::Screen, Follows::Nothing},
    {FrameStart::Command, Command::FilledEllipse, "filled ellipse", 16, LengthRule::Fixed, FrameRole::Screen, Follows::Nothing},
    {FrameStart::Command, Command::Circle, "hollow circle", 14, LengthRule::Fixed, FrameRole::Screen, Follows::Nothing},
    {FrameStart::Command, Command::FilledCircle, "filled circle", 14, LengthRule::Fixed, FrameRole::Screen, Follows::Nothing},
    {FrameStart::Command, Command::Text, "text", 18, LengthRule::PlusText, FrameRole::Screen, Follows::Nothing},
    {FrameStart::Command, Command::Picture, "stored picture", 12, LengthRule::Fixed, FrameRole::Screen, Follows::Nothing},
    {FrameStart::Command, Command::NextPage, "page", 8, LengthRule::Fixed, FrameRole::Screen, Follows::Nothing},
    {FrameStart::Command, Command::Layer, "layer", 7, LengthRule::Fixed, FrameRole::Screen, Follows::Nothing},
    {FrameStart::Command, Command::LayerCopy, "layer copy", 18, LengthRule::Fixed, FrameRole::Screen, Follows::Nothing},
    {FrameStart::Command, Command::Backlight, "backlight", 7, LengthRule::Fixed, FrameRole::Screen, Follows::Nothing},
    {FrameStart::Command, Command::Calibration, "calibration", 6, LengthRule::Fixed, FrameRole::Screen, Follows::Nothing},
    {FrameStart::Command, Command::TouchMode, "touch mode", 7, LengthRule::Fixed, FrameRole::Screen, Follows::Nothing},
    {FrameStart::Command, Command::TouchInterval, "touch interval", 8, LengthRule::Fixed, FrameRole::Screen, Follows::Nothing},
    {FrameStart::Command, Command::RealtimePicture, "realtime picture", 14, LengthRule::Fixed, FrameRole::Screen, Follows::PicturePixels},
    // only in a page's stream
    {FrameStart::Command, Command::StringCtrl, "string control", 16, LengthRule::Fixed, FrameRole::Page, Follows::Nothing},
    {FrameStart::Command, Command::PointerCtrl, "pointer control", 36, LengthRule::Fixed, FrameRole::Page, Follows::Nothing},
    {FrameStart::Command, Command::NumericCtrl, "numeric control", 40, LengthRule::Fixed, FrameRole::Page, Follows::Nothing},
    {FrameStart::Command, Command::BarCtrl, "bar graph control", 40, LengthRule::Fixed, FrameRole::Page, Follows::Nothing},
    {FrameStart::Command, Command::ImageCtrl, "image control", 18, LengthRule::Fixed, FrameRole::Page, Follows::Nothing},
    {FrameStart::Command, Command::TextCtrl, "text control", 22, LengthRule::Fixed, FrameRole::Page, Follows::Nothing},
    {FrameStart::Command, Command::ButtonCtrl, "button control", 21, LengthRule::Fixed, FrameRole::Page, Follows::Nothing},
    {FrameStart::Command, Command::Delay, "page delay", 7, LengthRule::Fixed, FrameRole::Page, Follows::Nothing},
    // requests
    {FrameStart::Command, Command::RegistryRead, "registry read", 6, LengthRule::Fixed, FrameRole::Request, Follows::Nothing},
    // stored-data headers
    {FrameStart::Stored, Segment::ProjectHeader, "project header", 7, LengthRule::Fixed, FrameRole::Header, Follows::PageIndex},
    {FrameStart::Stored, Segment::PageSegment, "page segment", 11, LengthRule::Fixed, FrameRole::Header, Follows::CountedPages},
    {FrameStart::Stored, Segment::ControlDefinition, "control definition", 9, LengthRule::Fixed, FrameRole::Header, Follows::OnePage},
    {FrameStart::Stored, Segment::ControlTable, "control table", 9, LengthRule::Fixed, FrameRole::Header, Follows::OnePage},
    {FrameStart::Stored, Segment::NeedleTable, "needle table", 9, LengthRule::Fixed, FrameRole::Header, Follows::OnePage},
    {FrameStart::Stored, Segment::RegistryWrite, "registry write", 7, LengthRule::Fixed, FrameRole::Header, Follows::RegistryImage},
    {FrameStart::Stored, Segment::Picture, "picture header", 15, LengthRule::Fixed, FrameRole::Header, Follows::PicturePixels},
    {FrameStart::Stored, Segment::Font, "font segment", 11, LengthRule::Fixed, FrameRole::Header, Follows::CountedPages},
};

// The index of a frame's row in kFrames; -1 for a code the table lacks.
// Searched by index, not by pointer: compared addresses are no constant
// expressions under the undefined-behaviour sanitizer.
constexpr int frameIndex(FrameStart start, uint8_t code)
{
    for (int i = 0; i < int(sizeof kFrames / sizeof kFrames[0]); ++i) {
        if (kFrames[i].start == start && kFrames[i].code == code)
            return i;
    }
    return -1;
}
// The row of a frame; null for a code the table lacks.
inline const FrameRow *findFrame(FrameStart start, uint8_t code)
{
    const int i = frameIndex(start, code);
    return i < 0 ? nullptr : &kFrames[i];
}
inline const FrameRow *commandFrame(uint8_t command) { return findFrame(FrameStart::Command, command); }
inline const FrameRow *storedFrame(uint8_t kind) { return findFrame(FrameStart::Stored, kind); }
// The table's length of a frame; 0 for a code the table lacks.
constexpr int commandLength(uint8_t command)
{
    const int i = frameIndex(FrameStart::Command, command);
    return i < 0 ? 0 : kFrames[i].length;
}
constexpr int storedLength(uint8_t kind)
{
    const int i = frameIndex(FrameStart::Stored, kind);
    return i < 0 ? 0 : kFrames[i].length;
}

// Frame lengths by name, terminator included, from the table.
namespace FrameLength {
enum : int {
    Background = commandLength(Command::Background),
    Shape = commandLength(Command::Line), // F Z A I J, and the point G
    Circle = commandLength(Command::Circle),
    Picture = commandLength(Command::Picture),
    TextBase = commandLength(Command::Text), // plus the text bytes
    StringCtrl = commandLength(Command::StringCtrl),
    PointerCtrl = commandLength(Command::PointerCtrl),
    NumericCtrl = commandLength(Command::NumericCtrl),
    BarCtrl = commandLength(Command::BarCtrl),
    ImageCtrl = commandLength(Command::ImageCtrl),
    TextCtrl = commandLength(Command::TextCtrl),
    ButtonCtrl = commandLength(Command::ButtonCtrl),
    Delay = commandLength(Command::Delay),
    NextPage = commandLength(Command::NextPage),
};
}

// Header lengths by name, from the table.
inline constexpr int kProjectHeaderBytes = storedLength(Segment::ProjectHeader); // 7F 1B 75 FF FF EE FF
inline constexpr int kLongSegmentHeader = storedLength(Segment::PageSegment);    // 7F 1B 56 first(2) count(2) FF FF EE FF
inline constexpr int kShortSegmentHeader = storedLength(Segment::ControlDefinition); // 7F 1B 7x p(2) FF FF EE FF
inline constexpr int kFontSegmentHeader = storedLength(Segment::Font);           // 7F 1B 74 font(2) pages(2) FF FF EE FF
inline constexpr int kPictureHeaderBytes = storedLength(Segment::Picture);       // 7F 1B 1C n(2) block(2) w(2) h(2) FF FF EE FF
inline constexpr int kRegistryWriteBytes = storedLength(Segment::RegistryWrite); // 7F 1B 73 FF FF EE FF
inline constexpr int kRegistryReadBytes = commandLength(Command::RegistryRead);   // 1B 27 FF FF EE FF
inline constexpr int kScreenPictureBytes = commandLength(Command::RealtimePicture); // 1B 24 x(2) y(2) w(2) h(2) FF FF EE FF
// The page index after the project header: 1024 entries of two bytes.
inline constexpr int kPageIndexBytes = 2048;

// Whether a 7F 1B kind announces a short segment header (one page follows).
constexpr bool isShortSegmentKind(uint8_t kind)
{
    const int i = frameIndex(FrameStart::Stored, kind);
    return i >= 0 && kFrames[i].follows == Follows::OnePage;
}

// ---- font codes ------------------------------------------------------------------

// The terminal's dot fonts: the code of a font is the code of its size plus
// the face number (0 宋体, 1 仿宋, 2 黑体, 3 楷体; the 8-dot font has face 0
// only).
struct DotFont
{
    int dots;     // cell height
    uint8_t code; // code of face 0
};
inline constexpr DotFont kDotFonts[] = {
    {8, 0x0C}, {12, 0x14}, {16, 0x20}, {24, 0x30}, {32, 0x40}, {48, 0x60}, {64, 0x80},
};
inline constexpr int kFacesPerFont = 4;
// The code of face 0 at `dots`; 0 for a size the terminal has no font for.
constexpr int dotFontCode(int dots)
{
    for (const DotFont &f : kDotFonts) {
        if (f.dots == dots)
            return f.code;
    }
    return 0;
}
// The dot font a code belongs to (code .. code + 3); null for none.
constexpr const DotFont *dotFontOfCode(int code)
{
    for (const DotFont &f : kDotFonts) {
        if (code >= f.code && code < f.code + kFacesPerFont)
            return &f;
    }
    return nullptr;
}

// ---- building frames ------------------------------------------------------------

// 1B, `command`, `parameters`, FF FF EE FF.
QByteArray commandFrameBytes(uint8_t command, const QByteArray &parameters = {});
// 7F 1B, `kind`, `parameters`, FF FF EE FF.
QByteArray storedHeaderBytes(uint8_t kind, const QByteArray &parameters = {});

// ---- reading stored-data headers -----------------------------------------------

// A stored-data header's fields. Which ones a kind has:
//   project header, registry write   none
//   page segment                     number = first flash page, pages = page count
//   control blocks 70 71 72          number = p (control ID or page number), pages = 1
//   picture header                   number, block = first flash block, width, height
//   font segment                     number = font number, pages = page count
struct StoredHeader
{
    uint8_t kind = 0;
    int length = 0; // header bytes
    int number = 0;
    int pages = 0;
    int block = 0;
    int width = 0;
    int height = 0;
};

// The header at `p` of `n` available bytes: 7F 1B, a kind of the table,
// and the terminator at the table's length. False when it is none of them
// (or is cut short); `out` is set only on true.
bool decodeStoredHeader(const char *p, qsizetype n, StoredHeader &out);

} // namespace h5
