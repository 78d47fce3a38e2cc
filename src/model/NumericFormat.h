#pragma once
// The text a numeric control shows: its value formatted as the terminal
// formats it. The editor's numeric control form shows it as the preview
// (the minimum), and the terminal's screen draws a page's numeric control
// with it, so both show the same characters.

#include <string>

namespace h5 {

// How a numeric control formats its value.
struct NumericFormat
{
    int intDigits = 1;  // 0..10
    int decimals = 0;   // 0..10
    int signMode = 0;   // 0 unsigned, 1 minus only, 2 both signs
    bool hex = false;
    int align = 0;      // 0 left, 1 right
    bool leadingZeros = false;

    // The format of a control's style byte (the element's m_nStyle, the
    // numeric frame's format byte): bits 0..1 the sign mode (3 counts as
    // 0), bit 2 hexadecimal, bit 3 right alignment, bit 6 leading zeros.
    static NumericFormat ofStyle(int style, int intDigits, int decimals);
    // The style byte of this format.
    int style() const { return (leadingZeros ? 64 : 0) + align * 8 + (hex ? 4 : 0) + signMode; }
};

// The minimum formatted by `f`: sign place, digits padded with zeros to the
// digit count, the decimal point, and the leading zeros of the integer part
// (all but the last) turned into spaces on the aligned side unless leading
// zeros are shown. A negative minimum shows as 0.
std::string numericPreviewText(int minimum, const NumericFormat &f);

} // namespace h5
