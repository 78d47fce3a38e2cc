#pragma once
// The download protocol on the PC's side: the terminal's one-byte replies,
// the frames the PC composes for a download (built from the frame table in
// project/Wire.h, which the virtual terminal reads them by as well), and the
// receive text in which the serial windows keep what the terminal answered
// ("%02x " per byte).

#include "project/ProjectData.h"
#include "project/Wire.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace h5 {

inline constexpr char kConnectionProbe = char(0xAA);
inline constexpr uint8_t kConnectionReply = 0x33; // '3'
inline constexpr uint8_t kAcknowledge = 0x55;     // 'U'

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

// The font segment header at `at`: 7F 1B 74 font(2) pages(2) FF FF EE FF.
SegmentFault readFontSegment(const QByteArray &data, qint64 at, SegmentHeader &out);
// The same, as yes or no.
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
