#pragma once
// A project's pages as the terminal keeps them in its flash, and the frames
// of a page's instruction stream.
//
// Project data (what the build appends to the .wgc and the download puts
// into the flash, byte for byte):
//   7F 1B 75 FF FF EE FF                     project header
//   1024 x 2 bytes                           page index: layer x 16384 + first
//                                            flash page of page n's stream; FF FF
//                                            when page n has none
//   7F 1B 56 first(2) count(2) FF FF EE FF   a page's stream: count flash pages
//                                            of 2112 bytes
//   7F 1B 70|71|72 p(2) FF FF EE FF          a control block of the page segment
//                                            before it: one flash page (72: the
//                                            needle table of pointer control p)
// A page is found by the first flash page its index entry names; the
// segment with that first page holds its stream.
//
// A page's stream is frames one after the other (1B, command, parameters,
// FF FF EE FF) up to the 0xFF padding of its last flash page. Besides the
// screen frames of terminal/ScreenFrames.h it holds:
//   1B 69 ...   string control        16 bytes
//   1B 6A ...   pointer control       36
//   1B 6B ...   numeric control       40
//   1B 6C ...   bar graph control     40
//   1B 6D ...   image control         18
//   1B 6E ...   text control          22
//   1B 6F ...   button control        21
//   1B 53 d     page delay             7
//   1B 50 n     next page of the cycle (FF FF: none)   8
// Field positions are listed with decodeControlFrame().

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

// The control frame at `p`, `length` bytes (16, 36, 40, 40, 18, 22 or 21 by
// command 69..6F); false for any other command or length.
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
