#pragma once
// Values of the numeric control form "数值控件" (kind 107), the preview text
// the editor shows for a numeric control and the control's box.
//
// The preview is the minimum formatted as the terminal will format it; the
// control's second point follows from its length and the cell size, so the
// box on the page matches what the terminal will draw.

#include "edit/FormValues.h"
#include "model/NumericFormat.h"

#include <optional>

namespace h5 {

// Cell height of a size code (3 and 9: 16, 6: 12, 12: 24, 15: 32, 21: 48,
// 27: 64); 16 for a code no form offers.
int numericCellHeight(int sizeCode);
// Second point of a numeric control at `start` showing `length` characters:
// half a cell wide per character, one cell high (8 for the 8-dot font).
QPoint numericBoxEnd(QPoint start, int sizeCode, int length);

struct NumericValues
{
    int ctrlId = 0;
    int sizeIndex = 1; // "8*8" .. "64*32"
    int x = 0, y = 0;
    int intDigits = 1;  // 0..10
    int decimals = 0;   // 0..10
    int signMode = 0;   // 0 unsigned, 1 minus only, 2 both signs
    bool hex = false;
    int align = 0;      // 0 left, 1 right
    bool leadingZeros = false;
    int minimum = -32768, maximum = 32767;
    int belowShown = 0, aboveShown = 0; // 0..65280 each
    COLORREF foreground = RGB(255, 255, 255);
    COLORREF background = RGB(0, 0, 0);
    COLORREF outForeground = RGB(255, 255, 255);
    COLORREF outBackground = RGB(0, 0, 0);

    // Items of the dot size combo.
    static QStringList sizeItems();
    int sizeCode() const;
    NumericFormat format() const { return {intDigits, decimals, signMode, hex, align, leadingZeros}; }
    std::string previewText() const { return numericPreviewText(minimum, format()); }

    static const IntFields<NumericValues> &fields();
    // First box whose held value is out of its range, in reading order.
    FormError validate() const { return checkIntFields(*this, fields()); }
    void fromElement(const CGraph &g);
    FormApply toElement(CGraph &g) const;
    // A new numeric control takes the view's picture number into m_nNumber.
    std::optional<CGraph> newElement(const NewElementInfo &info) const;
    // The new element as the form built it, without the refusal rule.
    CGraph makeElement(const NewElementInfo &info) const;
};

} // namespace h5
