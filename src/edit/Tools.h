#pragma once
// The drawing tools of the page view: their codes and the classes of tools
// that decide what a press does. The codes of the drawing tools are the kind
// codes of the elements they make; their commands are in edit/CommandIds.h.

namespace h5 {

namespace Tool {
enum : int {
    Pointer = 1,    // selects, moves and resizes
    PickColour = 6, // takes the colour under the pointer as pen colour
    Line = 70,
    HollowRect = 90,
    SolidRect = 65,
    HollowEllipse = 73,
    SolidEllipse = 74,
    HollowCircle = 89,
    SolidCircle = 79,
    Characters = 49,
    Bitmap = 43,
    GroupBox = 75,
    Panel = 76,
    StringCtrl = 105,
    PointerCtrl = 106,
    NumericCtrl = 107,
    BarCtrl = 108,
    ImageCtrl = 109,
    ButtonCtrl = 111,
};
}

// Codes below 11: pointer and pick colour.
inline bool isNonDrawingTool(int code) { return code < 11; }
// Codes 11..95 except the characters tool: line, rectangles, ellipses,
// circles, bitmap, group box, panel.
inline bool isShapeTool(int code) { return code >= 11 && code <= 95 && code != Tool::Characters; }
// Codes above 95.
inline bool isControlTool(int code) { return code > 95; }

} // namespace h5
