#pragma once
// Values of the string control "字符串控件" (105), text control "文本控件"
// (110), image control "图象控件" (109) and bar graph control "棒图控件"
// (108) forms. The numeric, pointer and button controls have their own
// files.
//
// Each struct starts from the form's defaults; fromElement fills it from an
// element for the element property command, toElement writes it back (only
// the fields the form names), and newElement builds a new control from it
// with every other field 0 or empty (or nothing, when the form's refusal rule
// applies).

#include "edit/ControlFontValues.h"
#include "edit/FormValues.h"

#include <QSize>
#include <optional>

namespace h5 {

// Cell width and height of a string control's font by dot index 0..5.
QSize stringCellSize(int dotIndex);

struct StringCtrlValues
{
    int ctrlId = 0;
    int x = 0, y = 0;
    int count = 1;    // characters, 1..255
    int dotIndex = 0; // 0..5
    COLORREF foreground = RGB(255, 255, 255);
    COLORREF background = RGB(0, 0, 0);

    static const IntFields<StringCtrlValues> &fields();
    // First box whose held value is out of its range, in reading order.
    FormError validate() const { return checkIntFields(*this, fields()); }
    void fromElement(const CGraph &g);
    FormApply toElement(CGraph &g) const;
    std::optional<CGraph> newElement(const NewElementInfo &info) const;
    // The new element as the form built it, without the refusal rule.
    CGraph makeElement(const NewElementInfo &info) const;
};

// No tool makes a text control; the form edits those that come from page
// files, so there is no newElement.
struct TextCtrlValues
{
    int ctrlId = 0;
    int x = 0, y = 0, width = 0, height = 0;
    ControlFontChoice font{0, 0};
    COLORREF foreground = RGB(255, 255, 255);
    COLORREF background = RGB(0, 0, 0);
    int columnSpacing = 0, lineSpacing = 0; // 0..255 each

    static const IntFields<TextCtrlValues> &fields();
    // First box whose held value is out of its range, in reading order.
    FormError validate() const { return checkIntFields(*this, fields()); }
    void fromElement(const CGraph &g);
    FormApply toElement(CGraph &g) const;
};

struct ImageCtrlValues
{
    int ctrlId = 0;
    int x = 0, y = 0;
    int width = 1, height = 1; // 1..800, 1..600
    int firstPicture = 0, lastPicture = 599; // 0..600 each

    static const IntFields<ImageCtrlValues> &fields();
    // First box whose held value is out of its range, in reading order.
    FormError validate() const { return checkIntFields(*this, fields()); }
    void fromElement(const CGraph &g);
    FormApply toElement(CGraph &g) const;
    // A new image control takes the view's pen and fill colours.
    std::optional<CGraph> newElement(const NewElementInfo &info) const;
    // The new element as the form built it, without the refusal rule.
    CGraph makeElement(const NewElementInfo &info) const;
};

struct BarCtrlValues
{
    int ctrlId = 0;
    int x = 0, y = 0;
    int width = 20, height = 10; // 1..800, 1..600
    int minimum = -32768, maximum = 32767;
    int belowShown = 0, aboveShown = 0; // 0..65280 each
    int horizontal = 0; // "垂直方向" 0 / "水平方向" 1
    int bar = 0;        // "柱状" 0 / "条状" 1
    int reversed = 0;   // "向上/向右" 0 / "向下/向左" 1
    COLORREF display = RGB(255, 255, 255);
    COLORREF background = RGB(0, 0, 0);
    COLORREF frame = RGB(255, 255, 255);
    COLORREF outDisplay = RGB(255, 255, 255);
    COLORREF outBackground = RGB(0, 0, 0);

    // Structure code 0..7 = 2 x horizontal + 4 x bar + reversed.
    int structure() const { return 2 * horizontal + 4 * bar + reversed; }
    void setStructure(int code);

    static const IntFields<BarCtrlValues> &fields();
    // First box whose held value is out of its range, in reading order.
    FormError validate() const { return checkIntFields(*this, fields()); }
    void fromElement(const CGraph &g);
    // Writes nothing when the width or height is 0.
    FormApply toElement(CGraph &g) const;
    // A new bar graph takes the view's picture number into m_nNumber; none
    // is made when the width or height is 0.
    std::optional<CGraph> newElement(const NewElementInfo &info) const;
    // The new element as the form built it, without the refusal rule.
    CGraph makeElement(const NewElementInfo &info) const;

private:
    // Writes every field the form owns.
    void write(CGraph &g) const;
};

} // namespace h5
