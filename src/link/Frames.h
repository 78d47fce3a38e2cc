#pragma once
// The one definition of the download protocol's bytes: the frames the PC
// sends, the terminal's one-byte replies, and the receive text in which the
// serial windows keep what the terminal answered ("%02x " per byte). The PC's
// sessions compose frames from these, and the virtual terminal recognises
// them by the same bytes.

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace h5 {

inline constexpr char kConnectionProbe = char(0xAA);
inline constexpr uint8_t kConnectionReply = 0x33; // '3'
inline constexpr uint8_t kAcknowledge = 0x55;     // 'U'

// Frame starts: stored data (7F 1B kind ...) and direct commands (1B kind ...).
inline constexpr uint8_t kStoredMark = 0x7F;
inline constexpr uint8_t kEscape = 0x1B;

// The kind byte after 7F 1B.
inline constexpr uint8_t kProjectHeaderKind = 0x75;  // 7F 1B 75 FF FF EE FF
inline constexpr uint8_t kLongSegmentKind = 0x56;    // 7F 1B 56 first(2) count(2) FF FF EE FF
inline constexpr uint8_t kControlDefinitionKind = 0x70; // short segment headers:
inline constexpr uint8_t kControlTableKind = 0x71;      // 7F 1B 7x p(2) FF FF EE FF,
inline constexpr uint8_t kNeedleTableKind = 0x72;       // one flash page follows
inline constexpr uint8_t kRegistryWriteKind = 0x73;  // 7F 1B 73 FF FF EE FF
inline constexpr uint8_t kPictureKind = 0x1C;        // 7F 1B 1C n(2) block(2) w(2) h(2) FF FF EE FF
inline constexpr uint8_t kFontSegmentKind = 0x74;    // 7F 1B 74 font(2) pages(2) FF FF EE FF
// The command byte after 1B.
inline constexpr uint8_t kRegistryReadCommand = 0x27;  // 1B 27 FF FF EE FF
inline constexpr uint8_t kScreenPictureCommand = 0x24; // 1B 24 x(2) y(2) w(2) h(2) FF FF EE FF

// FF FF EE FF, as bytes.
inline constexpr char kTerminatorBytes[4] = {char(0xFF), char(0xFF), char(0xEE), char(0xFF)};
inline constexpr int kTerminatorSize = 4;

inline constexpr int kProjectHeaderBytes = 7;  // 7F 1B 75 FF FF EE FF
inline constexpr int kPageIndexBytes = 2048;
inline constexpr int kLongSegmentHeader = 11;  // 7F 1B 56 first(2) count(2) FF FF EE FF
inline constexpr int kShortSegmentHeader = 9;  // one flash page follows
inline constexpr int kFontSegmentHeader = 11;  // bytes 5..6: flash pages that follow
inline constexpr int kPictureHeaderBytes = 15;
inline constexpr int kRegistryWriteBytes = 7;
inline constexpr int kRegistryReadBytes = 6;
inline constexpr int kScreenPictureBytes = 14;

// Whether a 7F 1B kind announces a short segment header (one page follows).
inline bool isShortSegmentKind(uint8_t kind)
{
    return kind == kControlDefinitionKind || kind == kControlTableKind || kind == kNeedleTableKind;
}

// FF FF EE FF, the end of every command frame the PC composes.
QByteArray frameTerminator();
// 7F 1B 73 FF FF EE FF: the registry packets follow.
QByteArray registryWriteCommand();
// 1B 27 FF FF EE FF: the terminal answers with its registry records.
QByteArray registryReadRequest();
// 7F 1B 1C, number, first block, width, height (16 bits each, low byte
// first), FF FF EE FF.
QByteArray pictureHeader(int number, int firstBlock, int width, int height);

// A picture record: its 15-byte header followed by its w x h x 2 pixel
// bytes, the unit a picture download streams page by page.
QByteArray pictureRecord(int number, int firstBlock, int width, int height, const QByteArray &pixels);
// A font segment: 7F 1B 74 font(2) pages(2) FF FF EE FF, then `data`
// padded with FF to whole flash pages (an empty font still takes no page).
QByteArray fontSegment(int number, const QByteArray &data);
// Page `index` of the data after a `headerBytes` header in a record or
// segment: 2112 bytes, or fewer for the last page; empty past the end.
QByteArray segmentPage(const QByteArray &record, int headerBytes, int64_t index);

// One segment header inside project data or a font file: how many bytes the
// header takes and how many flash pages follow it.
struct SegmentHeader
{
    int size = 0;
    int pages = 0;
};

// What is wrong with a segment header, if anything.
enum class SegmentFault {
    None,
    CutShort,   // the data ends inside the header
    NotAHeader, // no 7F 1B mark, an unknown kind, or no FF FF EE FF at its end
    NoPages,    // it announces no page at all
    TooManyPages, // a long project header with a page count above 255
    PastEnd,    // it announces more pages than the data still holds
};

// The project data segment header at `at`. The long form, 7F 1B 56 first(2)
// count(2) FF FF EE FF, announces the pages in byte 5 (the byte the PC
// reads; byte 6 must be 0, since the terminal reads both); the short form of
// a control block, 7F 1B 70|71|72 n(2) FF FF EE FF, one page. `out` is set
// only when the fault is None.
SegmentFault readProjectSegment(const QByteArray &data, qint64 at, SegmentHeader &out);
// The font segment header at `at`: 7F 1B 74 font(2) pages(2) FF FF EE FF.
SegmentFault readFontSegment(const QByteArray &data, qint64 at, SegmentHeader &out);
// The same, as yes or no.
bool projectSegmentAt(const QByteArray &data, qint64 at, SegmentHeader &out);
bool fontSegmentAt(const QByteArray &data, qint64 at, SegmentHeader &out);

// Appends "%02x " for every byte: two lower-case hex digits and a blank.
void appendReceiveText(QByteArray &text, const QByteArray &bytes);
// The bytes a receive text stands for: two characters per byte followed by
// a blank; a character that is not a hex digit counts as 16.
QByteArray decodeReceiveText(const QByteArray &text);

// The value of one hexadecimal digit, either case; -1 for any other
// character.
int hexDigit(char c);

// a / b as a single-precision float, times 100, truncated; the progress
// figure of every status text. A zero total counts as done.
int percent(int64_t a, int64_t b);

} // namespace h5
