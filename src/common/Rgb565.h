#pragma once
// Colours as the system holds them and as the terminal holds them, and the
// one place that converts between the two.
//
// COLORREF: red in bits 0..7, green in 8..15, blue in 16..23 (the form pages
// and the forms keep colours in). RGB565: the terminal's 16-bit colour, red
// in the top five bits, green in the middle six, blue in the low five.
//
// Towards the terminal each 8-bit channel is rounded on its highest dropped
// bit, never past the field's maximum (R 135 -> 17, R 255 -> 31); frames,
// picture data and the colour boxes all use this one rounding.
//
// Back from the terminal there are two forms, for two purposes:
//  - widened (rgbOf565): each channel's bits repeated into the dropped ones
//    (r5 -> r5 << 3 | r5 >> 2), the colour a screen shows; rgb565Of() takes
//    the RGB565 value back from it.
//  - exact (colourOf565): the dropped bits 0, the one COLORREF that
//    colour565() turns back into the same value without rounding; used to
//    put a typed RGB565 value into a frame builder that takes a COLORREF.

#include <QColor>
#include <cstdint>

namespace h5 {

using COLORREF = uint32_t; // red in bits 0..7, green 8..15, blue 16..23

inline constexpr COLORREF RGB(int r, int g, int b)
{
    return COLORREF(r & 0xFF) | (COLORREF(g & 0xFF) << 8) | (COLORREF(b & 0xFF) << 16);
}

// ---- towards the terminal: rounded ----------------------------------------

// One colour of 8-bit channels in RGB565 (bits above 8 are ignored).
uint16_t rgb565(int r, int g, int b);
// The same for a COLORREF (its top byte is ignored).
inline uint16_t colour565(COLORREF colour)
{
    return rgb565(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}
// `count` pixels of a Format_RGB32 row as RGB565, two bytes each, low byte
// first, written to `out`.
void rgb565Row(const QRgb *pixels, int count, unsigned char *out);

// ---- back from the terminal -------------------------------------------------

// Widened to 8 bits a channel by bit replication, as a screen shows it:
// r5 -> r5 << 3 | r5 >> 2, g6 -> g6 << 2 | g6 >> 4, b as r.
QRgb rgbOf565(uint16_t colour);
// The RGB565 colour of a widened one (the top bits of each channel).
inline uint16_t rgb565Of(QRgb rgb)
{
    return uint16_t(((qRed(rgb) >> 3) << 11) | ((qGreen(rgb) >> 2) << 5) | (qBlue(rgb) >> 3));
}
// The widened colour as a COLORREF, for drawing code that takes one.
inline COLORREF widenedColourOf565(uint16_t colour)
{
    const QRgb c = rgbOf565(colour);
    return RGB(qRed(c), qGreen(c), qBlue(c));
}
// The COLORREF whose RGB565 value is exactly `colour`: each channel's
// dropped bits are 0, so colour565() has nothing to round.
inline COLORREF colourOf565(uint16_t colour)
{
    return RGB(((colour >> 11) & 0x1F) << 3, ((colour >> 5) & 0x3F) << 2, (colour & 0x1F) << 3);
}

} // namespace h5
