#pragma once
// The terminal's instruction encoding: font codes, one builder per
// instruction frame, and the segment headers that cut stored data into
// flash pages. Everything here is a pure function. Command bytes and
// lengths come from the frame table (project/Wire.h).
//
// Frame shape: 0x1B, command byte, parameters, terminator FF FF EE FF.
// 16-bit numbers are the low 16 bits of the value, low byte first (so -1 is
// FF FF); one-byte parameters are the low 8 bits. A 32-bit minimum or maximum
// is split into its low and high 16-bit halves, which the frames carry at
// separate positions.

#include "common/Bytes.h"
#include "common/Flash.h"
#include "model/CGraph.h"
#include "project/Wire.h"

#include <QByteArray>
#include <cstdint>
#include <string>

namespace h5 {

inline constexpr int kNoNextPage = 1024;    // page settings value for "no next page"

// ---- colours and fonts ------------------------------------------------------

// Writes colour565(colour) (common/Rgb565.h), low byte first.
void writeColour565(ByteWriter &out, COLORREF colour);

// Font code for a dot size (8, 12, 16, 24, 32, 48, 64) and a face number
// (0 宋体, 1 仿宋, 2 黑体, 3 楷体). The 8-dot font has only face 0, so the face
// is ignored there. A dot size outside the list gives the 8-dot font.
uint8_t fontCode(int dotSize, int face);

// ---- frames -----------------------------------------------------------------

QByteArray backgroundFrame(COLORREF colour);                                   // B
QByteArray lineFrame(COLORREF colour, int x1, int y1, int x2, int y2);         // F
QByteArray rectFrame(COLORREF colour, int x1, int y1, int x2, int y2);         // Z
QByteArray filledRectFrame(COLORREF colour, int x1, int y1, int x2, int y2);   // A
QByteArray ellipseFrame(COLORREF colour, int cx, int cy, int halfWidth, int halfHeight);       // I
QByteArray filledEllipseFrame(COLORREF colour, int cx, int cy, int halfWidth, int halfHeight); // J
QByteArray circleFrame(COLORREF colour, int cx, int cy, int radius);           // Y
QByteArray filledCircleFrame(COLORREF colour, int cx, int cy, int radius);     // O
QByteArray pictureFrame(int pictureNumber, int x, int y);                      // )

// '#': 18 + text length bytes.
struct TextFrame
{
    COLORREF colour = 0;
    int columnSpacing = 0; // dots added after each character (one byte)
    int lineSpacing = 0;   // dots added between lines (one byte)
    COLORREF background = 0;
    int x = 0;
    int y = 0;
    int mode = 0;          // 0 characters only, nonzero on the background colour
    int font = 0x0C;       // font code
    std::string text;      // GBK bytes
};
QByteArray textFrame(const TextFrame &f);

// 'i'
struct StringControlFrame
{
    COLORREF colour = 0;
    COLORREF background = 0;
    int x = 0;
    int y = 0;
    int font = 0x0C;     // font code, size base only
    int characters = 0;  // one byte
};
QByteArray stringControlFrame(const StringControlFrame &f);

// 'j'
struct PointerControlFrame
{
    int picture = 0;          // number of the dial picture
    COLORREF needle = 0;
    COLORREF outOfRange = 0;
    int x = 0;                // dial picture top left
    int y = 0;
    int32_t minimum = 0;
    int32_t maximum = 0;
    int positions = 0;        // needle positions N (one byte)
    int lineWidth = 1;        // sent as the needle thickness 2 * lineWidth - 1
    int pageTag = 0;
    int ctrlId = 0;
    int style = 0;            // one byte
    int outOfRangeMin = 0;    // value displayed below the minimum
    int outOfRangeMax = 0;    // value displayed above the maximum
};
QByteArray pointerControlFrame(const PointerControlFrame &f);

// 'k'
struct NumericControlFrame
{
    COLORREF colour = 0;
    COLORREF background = 0;
    COLORREF outOfRangeColour = 0;
    COLORREF outOfRangeBackground = 0;
    int x = 0;
    int y = 0;
    int integerDigits = 0;
    int decimalDigits = 0;
    int32_t minimum = 0;
    int32_t maximum = 0;
    int dotSize = 8;          // 8, 12, 16, 24, 32, 48 or 64
    int format = 0;           // sign mode, hexadecimal, alignment, leading zeros
    int pageTag = 0;
    int outOfRangeMin = 0;
    int outOfRangeMax = 0;
};
QByteArray numericControlFrame(const NumericControlFrame &f);

// 'l'. The rectangle is the bar graph's outer rectangle; the frame carries
// it shrunk by one pixel on every side.
struct BarControlFrame
{
    COLORREF display = 0;
    COLORREF background = 0;
    COLORREF frame = 0;
    COLORREF outOfRangeDisplay = 0;
    COLORREF outOfRangeBackground = 0;
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    int structure = 0;        // 0..7
    int32_t minimum = 0;
    int32_t maximum = 0;
    int pageTag = 0;
    int outOfRangeMin = 0;
    int outOfRangeMax = 0;
};
QByteArray barControlFrame(const BarControlFrame &f);

// 'm'
struct ImageControlFrame
{
    int x = 0;
    int y = 0;
    int firstPicture = 0;
    int lastPicture = 0;
    int pageTag = 0;
    int style = 0;            // one byte
};
QByteArray imageControlFrame(const ImageControlFrame &f);

// 'n'
struct TextControlFrame
{
    COLORREF colour = 0;
    COLORREF background = 0;
    int columnSpacing = 0;    // one byte
    int lineSpacing = 0;      // one byte
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    int font = 0x0C;          // font code
};
QByteArray textControlFrame(const TextControlFrame &f);

// 'o'. The rectangle is the button's outer rectangle; the frame carries it
// shrunk by the border width (low four bits of the style byte).
struct ButtonControlFrame
{
    COLORREF face = 0;
    COLORREF light = 0;
    COLORREF dark = 0;
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    int style = 0;            // one byte
};
QByteArray buttonControlFrame(const ButtonControlFrame &f);

// 'S': the low byte of the delay.
QByteArray delayFrame(int delay);
// 'P': the next page of the cycle. Anything outside 0..1023 (1024 is how
// the page settings say "none") is sent as FF FF.
QByteArray nextPageFrame(int page);

// ---- segment headers ----------------------------------------------------------

// 7F 1B code p0 p1 FF FF EE FF; one flash page follows.
QByteArray shortSegmentHeader(uint8_t code, uint16_t p);
// 7F 1B 56 s0 s1 c0 c1 FF FF EE FF; `count` flash pages of instructions follow.
QByteArray longSegmentHeader(uint16_t first, uint16_t count);
// 7F 1B 75 FF FF EE FF; the page index follows.
QByteArray projectHeader();

// A short header followed by one flash page holding `payload`, the rest
// filled with FF (2121 bytes). A payload longer than a flash page is cut.
QByteArray flashPageBlock(uint8_t code, uint16_t p, const QByteArray &payload);

// Appends FF bytes until `data.size() - offset` is a whole number of flash
// pages. Returns that number of pages.
int padToFlashPages(QByteArray &data, qsizetype offset = 0);

} // namespace h5
