#pragma once
// Pointer (needle) files (.MGL): a 60-byte record of the numbers that
// describe a gauge needle, made by the pointer maker and loaded by the
// pointer control's form, and the geometry of the maker's preview.
//
// Layout: name (GBK, zero-padded, bytes 0..49), full length and tip cut
// (unsigned 16-bit, big-endian, at 50 and 52), start and end angle (signed
// 16-bit, big-endian, at 54 and 56), number of needle positions (byte 58)
// and a zero byte (59).

#include <QByteArray>
#include <QImage>
#include <QLine>
#include <QSize>
#include <QString>
#include <string>
#include <vector>

namespace h5 {

struct PointerFileHeader
{
    std::string name; // GBK
    int length = 0;
    int tipCut = 0;
    int startAngle = 0;
    int endAngle = 0;
    int positions = 0;
};

inline constexpr int kPointerHeaderSize = 60;
inline constexpr int kPointerNameSize = 50;
// The number of positions the pointer maker writes.
inline constexpr int kPointerMakerPositions = 255;

// Reads a header from the start of `bytes`; bytes missing at the end read
// as 0.
PointerFileHeader readPointerHeader(const QByteArray &bytes);
// Reads the header of the file at `path`; fails with a message naming the
// file when it cannot be read or is shorter than 60 bytes.
bool readPointerFile(const QString &path, PointerFileHeader &out, QString *error);

// The name the pointer maker gives a needle: "Len(L,T); S?-E".
std::string pointerMakerName(int length, int tipCut, int startAngle, int endAngle);
// The header the pointer maker writes for the numbers: its name built from
// them and 255 positions.
PointerFileHeader makePointerHeader(int length, int tipCut, int startAngle, int endAngle);

// True when the numbers fit their 16-bit fields (length and tip cut 0..65535,
// angles -32768..32767), so the file holds exactly the numbers of its name.
// Otherwise `error` names the first one that does not.
bool pointerNumbersFit(const PointerFileHeader &h, QString *error);

// The 60 bytes of a header. A name longer than 50 bytes is cut at 50;
// numbers are written modulo 2^16, positions modulo 2^8.
QByteArray encodePointerHeader(const PointerFileHeader &h);
// Replaces `path` atomically with the 60 bytes of `h`.
bool savePointerFile(const QString &path, const PointerFileHeader &h, QString *error);

// The pointer maker's save path: ".MGL" is appended unless the path's last
// four characters are exactly ".MGL" (case-sensitive).
QString withMglSuffix(const QString &path);

// Preview geometry. An angle in degrees in radians, with the pointer maker's
// constant 3.1415926535.
double pointerRadians(double degrees);
// The needle at `degrees` around the pivot (cx, cy): from the tip-cut
// radius to tip cut + length, in the direction (-cos, -sin) with fractions
// dropped, so 0 degrees points left and 90 up.
QLine needleLine(int cx, int cy, double degrees, int tipCut, int length);
// The angles the preview draws, in drawing order: start, end and, with the
// scale view on, the positions - 2 angles between them at equal steps.
// With fewer than 3 positions only start and end are drawn.
std::vector<double> previewAngles(int startAngle, int endAngle, int positions, bool scaleView);

struct PointerPreviewOptions
{
    int length = 20;
    int tipCut = 0;
    int startAngle = 0;
    int endAngle = 180;
    int positions = kPointerMakerPositions;
    bool scaleView = false;
    bool pointerCircle = false;
};
// The preview picture: grey RGB(73, 73, 73) background, white needles one
// pixel wide around the centre (width / 2, height / 2) and, with the
// pointer circle on, a red cross of ±5 pixels and red circles of radius tip
// cut and tip cut + length around it.
QImage renderPointerPreview(const QSize &size, const PointerPreviewOptions &o);

} // namespace h5
