#pragma once
// Values of the shape forms: line "直线", rectangle "矩形", ellipse "椭圆",
// circle "圆", group box "分类框", panel "面板", and the palette form "颜色".
// Each fills itself from an element and writes itself back; none of them
// creates an element (the shape tools do that without a form).
//
// Coordinate and size boxes are unsigned boxes without a range.

#include "edit/FormValues.h"

namespace h5 {

// "直线" (kind 70): the two end points and the pen colour.
struct LineValues
{
    int startX = 0, startY = 0, endX = 0, endY = 0;
    COLORREF colour = 0;

    static const IntFields<LineValues> &fields();
    // First box whose held value is out of its range, in reading order.
    FormError validate() const { return checkIntFields(*this, fields()); }
    void fromElement(const CGraph &g);
    // Removes the line when both points are equal.
    FormApply toElement(CGraph &g) const;
};

// "矩形" (kinds 90 and 65): top left corner, size and pen colour.
struct RectangleValues
{
    int x = 0, y = 0, width = 0, height = 0;
    COLORREF colour = 0;

    static const IntFields<RectangleValues> &fields();
    // First box whose held value is out of its range, in reading order.
    FormError validate() const { return checkIntFields(*this, fields()); }
    void fromElement(const CGraph &g);
    // Removes the rectangle when its width or height is 0.
    FormApply toElement(CGraph &g) const;
};

// "椭圆" (kinds 73 and 74): centre and the two half axes, each the
// truncated half of the box's extent, so an odd extent shrinks by one.
struct EllipseValues
{
    int centreX = 0, centreY = 0, halfWidth = 0, halfHeight = 0;
    COLORREF colour = 0;

    static const IntFields<EllipseValues> &fields();
    // First box whose held value is out of its range, in reading order.
    FormError validate() const { return checkIntFields(*this, fields()); }
    void fromElement(const CGraph &g);
    FormApply toElement(CGraph &g) const;
};

// "圆" (kinds 89 and 79): centre and radius; the second point is put on the
// circle to the right of the centre.
struct CircleValues
{
    int centreX = 0, centreY = 0, radius = 0;
    COLORREF colour = 0;

    static const IntFields<CircleValues> &fields();
    // First box whose held value is out of its range, in reading order.
    FormError validate() const { return checkIntFields(*this, fields()); }
    void fromElement(const CGraph &g);
    FormApply toElement(CGraph &g) const;
};

// "分类框" (kind 75): position, size, light and dark edge.
struct GroupBoxValues
{
    int x = 0, y = 0, width = 0, height = 0;
    COLORREF light = RGB(255, 255, 255);
    COLORREF dark = RGB(128, 128, 128);

    static const IntFields<GroupBoxValues> &fields();
    // First box whose held value is out of its range, in reading order.
    FormError validate() const { return checkIntFields(*this, fields()); }
    void fromElement(const CGraph &g);
    // Writes nothing when the width or height is 0.
    FormApply toElement(CGraph &g) const;
};

// "面板" (kind 76): position, size, border width 1..16, transparency,
// raised or sunken, and the three colours.
struct PanelValues
{
    int x = 0, y = 0, width = 0, height = 0;
    int borderWidth = 3;
    bool transparent = false;
    int sunken = 0; // 0 raised, 1 sunken
    COLORREF light = RGB(255, 255, 255);
    COLORREF dark = RGB(128, 128, 128);
    COLORREF face = RGB(192, 192, 192);

    static const IntFields<PanelValues> &fields();
    // First box whose held value is out of its range, in reading order.
    FormError validate() const { return checkIntFields(*this, fields()); }
    void fromElement(const CGraph &g);
    // Writes nothing when the width or height is 0.
    FormApply toElement(CGraph &g) const;
};

// "颜色": the view's pen colour and the page's background colour.
struct PaletteValues
{
    COLORREF pen = RGB(255, 255, 255);
    COLORREF background = RGB(0, 0, 0);
};

} // namespace h5
