#pragma once
// The live commands of the online debug window and of `h5800 live`: one
// frame each, built on the instruction encoding (project/Encoding.h), with
// the checks that decide whether anything is sent. A refused command gives
// its message and no bytes; a command that is silently not sent gives
// neither.
//
// Colours here are RGB565 values already (the window keeps each colour with
// its RGB565 value); 16-bit fields take the low 16 bits, one-byte fields the
// low 8 bits, as typed numbers are read.

#include "link/DebugSession.h"
#include "model/FontFaces.h"   // faceName(): the faces liveFontName() names
#include "model/Resolutions.h" // terminalResolutions(): what layerSwitchRefusal() goes by

#include <QByteArray>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <vector>

namespace h5 {

// ---- fonts of text frames ------------------------------------------------------

// Font code of size index 0..5 (8, 16, 24, 32, 48, 64 dots) and face index
// 0..3 (宋体, 仿宋, 黑体, 楷体); -1 for a combination the terminal lacks.
int liveFontCode(int sizeIndex, int faceIndex);
// "16点阵 宋体" and so on; empty for a combination the terminal lacks.
QString liveFontName(int sizeIndex, int faceIndex);

// ---- device commands ----------------------------------------------------------------

QByteArray pictureSwitchFrame(int number);   // 1B 29 n(2) 00 00 00 00, 12 bytes
QByteArray pageSwitchFrame(int number);      // 1B 50 n(2), 8 bytes
QByteArray clearScreenFrame(uint16_t bg565); // 1B 42 bg(2), 8 bytes
QByteArray calibrationFrame();               // 1B 38, 6 bytes
QByteArray backlightFrame(int level);        // 1B 64 level, 7 bytes
QByteArray layerSwitchFrame(int layer);      // 1B 40 layer, 7 bytes
// Why a layer switch to `layer` is refused at resolution `resolutionIndex`
// ("此分辨率为四层叠加", "此分辨率为两层叠加"); empty when it may be sent.
QString layerSwitchRefusal(int resolutionIndex, int layer);

// ---- drawing --------------------------------------------------------------------------

enum class LiveShape {
    Point = 0,
    Line = 1,
    Polyline = 2,
    HollowRect = 3,
    FilledRect = 4,
    HollowEllipse = 5,
    FilledEllipse = 6,
    HollowCircle = 7,
    FilledCircle = 8,
    Text = 9,
};

// A command's bytes, or why it is not sent: `refusal` holds the message of
// a refused command; both empty means silently nothing.
struct LiveFrame
{
    QByteArray bytes;
    QString refusal;
    bool sent() const { return !bytes.isEmpty(); }
};

// Shapes 0..8 between `start` and `end` in the foreground colour, with the
// checks: rectangles and ellipses with the end before the start are
// refused ("坐标设置错误。"), with a zero width or height silently not sent;
// circles take the radius floor(distance(start, end)) and are not sent for
// radius 0; ellipses take the centre and half sizes rounded down.
LiveFrame shapeFrame(LiveShape shape, uint16_t fg565, QPoint start, QPoint end);

struct LiveTextStyle
{
    uint16_t colour565 = 0xFFFF;     // text colour
    uint16_t background565 = 0x001F; // text background
    int columnSpacing = 0;           // low byte sent
    int rowSpacing = 0;              // low byte sent
    int mode = 0;                    // 0 foreground only, 1 with background
    int sizeIndex = 1;               // 16 dots
    int faceIndex = 0;               // 宋体
};
// The text frame: the text in GBK, 255 bytes at most ("文本过长。"); a
// character GBK cannot hold is refused with a message naming it.
LiveFrame textFrame(const LiveTextStyle &style, QPoint at, const QString &text);

// ---- extension pages -----------------------------------------------------------------

QByteArray realtimePictureHeader(int x, int y, int width, int height); // 1B 24, 14 bytes
QByteArray layerSelectFrame(int sourceLayer, int destinationLayer);    // 1B 40, 7 bytes
QByteArray layerCopyFrame(int sx, int sy, int width, int height, int dx, int dy); // 1B 28, 18 bytes
// The copy page's send: the layer copy alone on the one-layer resolutions,
// else the layer select followed by it (25 bytes).
QByteArray layerCopyCommand(int resolutionIndex, int sourceLayer, int destinationLayer, int sx,
                            int sy, int width, int height, int dx, int dy);
// Touch mode 0..3 (single / continuous, without / with break code).
QByteArray touchModeFrame(int mode);         // 1B 20 mode, 7 bytes
QByteArray touchIntervalFrame(int interval); // 1B 21 interval(2), 8 bytes

// Hex text as the hex page and font files hold it: characters that are not
// hex digits are skipped, then two digits form one byte. A digit not
// followed by a second one is refused (`error` names its position, counted
// from 1 in bytes of `text`, which for hex text are its characters); `out`
// is left as it was then.
bool decodeHexText(const QByteArray &text, QByteArray &out, QString *error);

// The font page's "保存列表": one font segment per entry in list order
// (header 7F 1B 74 number(2) pages(2) FF FF EE FF, then the decoded font
// padded with FF to whole flash pages). Fails with a message naming the
// file that cannot be read or decoded; nothing is written then.
bool fontDownloadBytes(const std::vector<DebugFont> &fonts, QByteArray &out, QString *error);

} // namespace h5
