#pragma once
// Values of the button control form "按钮控件" (kind 111).
//
// Style word: show text x 64 + invisible x 32 + transparent x 16 + border
// width. Action bits: send ID (bit 0), switch page (bit 1), and bit 2 set
// when the touch coordinates are NOT sent; the form shows "发送坐标" as the
// inverse of bit 2. Caption word: dot size index x 16 + face x 4 + text
// position.

#include "edit/ControlFontValues.h"
#include "edit/FormValues.h"

#include <optional>

namespace h5 {

struct ButtonValues
{
    int ctrlId = 0;
    int x = 0, y = 0, width = 0, height = 0;
    int borderWidth = 3; // 1..16
    bool transparent = false;
    bool invisible = false;
    bool showText = false;
    bool sendId = true;
    bool switchPage = false;
    bool sendCoordinates = false;
    int nextPage = 0;     // 0..1023
    int textPosition = 1; // 0 top left, 1 centre, 2 bottom right
    ControlFontChoice font{1, 0};
    std::string text; // GBK, CR LF between lines
    COLORREF light = RGB(255, 255, 255);
    COLORREF dark = RGB(192, 192, 192);
    COLORREF face = 0xD8E9EC;
    COLORREF textColour = RGB(0, 0, 0);

    static const IntFields<ButtonValues> &fields();
    // First box whose held value is out of its range, in reading order.
    FormError validate() const { return checkIntFields(*this, fields()); }
    void fromElement(const CGraph &g);
    // Writes nothing when the width or height is 0.
    FormApply toElement(CGraph &g) const;
    // None is made when the width or height is 0.
    std::optional<CGraph> newElement(const NewElementInfo &info) const;
    // The new element as the form built it, without the refusal rule.
    CGraph makeElement(const NewElementInfo &info) const;

private:
    // Writes every field the form owns.
    void write(CGraph &g) const;
};

} // namespace h5
