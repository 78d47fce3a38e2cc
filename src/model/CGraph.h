#pragma once
// One element of a page: a drawable shape or a control. The record is
// generic; what each field means depends on the kind code (see Kind below).

#include "common/Bytes.h"
#include "common/Flash.h"
#include "common/Rgb565.h"

#include <QPoint>
#include <QString>
#include <cstdint>
#include <string>

namespace h5 {

// Kind codes. Drawable kinds use the terminal's own command byte.
namespace Kind {
enum : int {
    DeleteMarker = 7,
    Fill = 42,          // '*'
    Bitmap = 43,        // '+'
    Text = 49,          // '1'
    SolidRect = 65,     // 'A'
    Line = 70,          // 'F'
    HollowEllipse = 73, // 'I'
    SolidEllipse = 74,  // 'J'
    GroupBox = 75,      // 'K'
    Panel = 76,         // 'L'
    SolidCircle = 79,   // 'O'
    HollowCircle = 89,  // 'Y'
    HollowRect = 90,    // 'Z'
    StringCtrl = 105,   // 'i'
    PointerCtrl = 106,  // 'j'
    NumericCtrl = 107,  // 'k'
    BarCtrl = 108,      // 'l'
    ImageCtrl = 109,    // 'm'
    TextCtrl = 110,     // 'n'
    ButtonCtrl = 111,   // 'o'
    ReservedCtrl = 118, // 'v'
};
}

// Codes above 104 are controls: they carry a control ID.
inline bool isControlKind(int kind) { return kind > 104; }

// Kinds whose two points are opposite corners and get ordered on save.
bool hasOrderedCorners(int kind);


class CGraph
{
public:
    CGraph() = default;
    CGraph(int kind, int ctrlId, QPoint start, QPoint end, int attr, int number, COLORREF color1,
           COLORREF color2, COLORREF color3, COLORREF color4, COLORREF color5, int source,
           int value1, int value2, int value3, int value4, int style, int extra,
           std::string text1, std::string text3, std::string text2);

    // Archive layout: 18 little-endian 32-bit words (80 bytes) then
    // text 1, text 3, text 2 with their length prefixes.
    void Serialize(ByteWriter &out) const;
    // Reads the layout back. Returns false (with a reason) when the data
    // ends early or a string length is impossible.
    bool Serialize(ByteReader &in, QString *error);

    bool operator==(const CGraph &o) const;
    bool operator!=(const CGraph &o) const { return !(*this == o); }

    QPoint m_ptStart;
    QPoint m_ptEnd;
    COLORREF m_crColor1 = 0;
    COLORREF m_crColor2 = 0;
    COLORREF m_crColor3 = 0;
    COLORREF m_crColor4 = 0;
    COLORREF m_crColor5 = 0;
    int m_nKind = 0;
    int m_nAttr = 0;
    int m_nNumber = 0;
    int m_nCtrlID = 0;
    int m_nStyle = 0;
    int m_nExtra = 0;
    int m_nValue1 = 0;
    int m_nValue2 = 0;
    int m_nValue3 = 0;
    int m_nValue4 = 0;
    int m_nSource = 0;
    std::string m_strText1; // GBK bytes
    std::string m_strText2; // GBK bytes
    std::string m_strText3; // GBK bytes
};

// The instruction stream of one page can be at most this long: a page slot
// records the page's length in flash pages in one byte (255 pages).
inline constexpr int64_t kMaxPageStreamBytes = int64_t(255) * kFlashPage; // 538,560

// The longest text an element can hold. The texts the terminal shows (a
// text element's characters, a button's caption) travel inside the page's
// instruction stream and cannot be longer than it; the others are names
// and paths, far shorter. The record's 32-bit length form could announce
// 4 GB; anything above this is damage and is refused before it is read.
inline constexpr int64_t kMaxElementTextBytes = kMaxPageStreamBytes;

// Archive string: length (1 byte below 255; FF + 16 bits below 0xFFFE;
// FF FFFF + 32 bits otherwise) then the bytes. Reading refuses a length
// above kMaxElementTextBytes.
void writeArchiveString(ByteWriter &out, const std::string &s);
bool readArchiveString(ByteReader &in, std::string &s, QString *error);

} // namespace h5
