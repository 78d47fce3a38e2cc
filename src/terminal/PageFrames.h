#pragma once
// A project's pages as the terminal keeps them in its flash, and the frames
// of a page's instruction stream.
//
// Project data is read by the one project-data reader (project/ProjectData.h),
// the way the terminal reads it. A page is found by the first flash page its
// index entry names; the segment with that first page holds its stream, and
// the needle tables (7F 1B 72) after it belong to its pointer controls.
//
// A page's stream is frames one after the other (1B, command, parameters,
// FF FF EE FF) up to the 0xFF padding of its last flash page: the screen
// frames of terminal/ScreenFrames.h, and the frames only pages hold (the
// Page role of the frame table, project/Wire.h, which gives their lengths):
//   1B 69 ...   string control
//   1B 6A ...   pointer control
//   1B 6B ...   numeric control
//   1B 6C ...   bar graph control
//   1B 6D ...   image control
//   1B 6E ...   text control
//   1B 6F ...   button control
//   1B 53 d     page delay
//   1B 50 n     next page of the cycle (FF FF: none)
// Field positions are those of the builders in project/Encoding.h.

#include "terminal/LiveDraw.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <cstdint>

namespace h5 {

// A control frame of a page, decoded. Which fields a kind fills is said per
// field; the rest stay 0.
struct ControlOp
{
    enum class Kind {
        String,  // 1B 69
        Pointer, // 1B 6A
        Numeric, // 1B 6B
        Bar,     // 1B 6C
        Image,   // 1B 6D
        TextArea,// 1B 6E
        Button,  // 1B 6F
    };
    Kind kind = Kind::String;
    // String: text colour; pointer: needle colour; numeric: foreground;
    // bar: display colour; text control: foreground; button: face colour.
    uint16_t colour = 0;
    // String, numeric, bar, text control: background; button: light edge;
    // pointer: out-of-range colour.
    uint16_t background = 0;
    // Bar: frame colour; button: dark edge.
    uint16_t colour3 = 0;
    // String, numeric, image, pointer: (x, y) (the pointer's: the dial
    // picture's). Bar: x1 + 1, y1 + 1 .. x2 - 1, y2 - 1 as sent; text
    // control: x1, y1, x2, y2; button: x1 + b, y1 + b, x2 - b, y2 - b.
    int x = 0, y = 0, x2 = 0, y2 = 0;
    int number = 0;     // image: first picture; pointer: dial picture
    int last = 0;       // image: last picture
    int font = 0;       // string, text control: font code
    int count = 0;      // string: characters; pointer: needle positions N
    int thickness = 0;  // pointer: needle thickness
    int controlId = 0;  // pointer
    int intDigits = 0;  // numeric
    int decimals = 0;   // numeric
    int dots = 0;       // numeric: dot size
    int style = 0;      // numeric: format byte; bar: structure code; image,
                        // pointer, button: style byte
    int columnSpacing = 0, rowSpacing = 0; // text control
    int32_t minimum = 0, maximum = 0;      // pointer, numeric, bar
    // Numeric: the out-of-range foreground and background; bar: the
    // out-of-range display colour and background. (The pointer's one
    // out-of-range colour is `background`.)
    uint16_t outOfRangeColour = 0, outOfRangeBackground = 0;
    int belowShown = 0, aboveShown = 0;    // pointer, numeric, bar: shown out of range
    int pageTag = 0;                       // pointer, numeric, bar, image
};

// One step of a page's stream.
struct PageStep
{
    enum class Type {
        Screen,   // a screen frame (`screen`)
        Control,  // a control frame (`control`)
        Delay,    // 1B 53: `value` is the delay
        NextPage, // 1B 50 inside a page: `value` is the page, -1 for none
        Unknown,  // a frame of a command no page holds, skipped to its terminator
    };
    Type type = Type::Unknown;
    ScreenOp screen;
    ControlOp control;
    int value = 0;
};

// The frames of a page stream, in order; the 0xFF padding (or anything
// that does not start with 1B) ends it. A frame of an unknown command is
// kept as an Unknown step and skipped up to its terminator; bytes that end
// before a frame does are left out.
QList<PageStep> pageSteps(const QByteArray &stream);

// The control frame at `p`, `length` bytes (its length in the frame table);
// false for any other command or length.
bool decodeControlFrame(const char *p, qsizetype length, ControlOp &out);

// A project's pages, read out of its project data.
struct ProjectPages
{
    struct Page
    {
        int layer = 0;
        int firstFlashPage = 0;
        QByteArray stream;             // count x 2112 bytes of the segment
        QMap<int, QByteArray> needles; // needle tables of the segment's pointers by control ID
    };
    QMap<int, Page> pages; // by page number, only pages whose segment was found
    // Page 0, else the lowest page present; -1 when there is none.
    int firstPage() const;
    bool has(int page) const { return pages.contains(page); }
};

// Reads the page index and the segments of project data. Fails with a
// reason when the data does not start with the project header and a whole
// page index; a damaged segment ends the reading (pages found before it
// stay), an index entry whose segment is missing leaves that page out.
bool readProjectPages(const QByteArray &projectData, ProjectPages &out, QString *error);

} // namespace h5
