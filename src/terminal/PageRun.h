#pragma once
// Pages run by the terminal: a page's instruction stream from the project
// data executed on the screen, and pages following each other after their
// delay. The virtual terminal runs them from its flash; `h5800 preview` and
// the windows run them from a built project's files.
//
// Running page n:
//   - the page's layer (from its page index entry) is shown and drawn on,
//     when the resolution has it; otherwise the shown layer is drawn on
//   - its frames in order: shapes, text, stored pictures and the other
//     screen frames as they are executed from the line (TerminalScreen),
//     control frames in their initial state (below), page delay and next
//     page remembered for the cycle; a frame of unknown command, and a
//     realtime picture (whose pixels a page cannot carry), is skipped and
//     counted (TerminalScreen::Record::framesSkipped)
//   - a main page starts with its background fill (1B 42); an auxiliary
//     page has none and draws over what the screen shows
//
// Controls in their initial state:
//   string control   the area of its characters in its background colour:
//                    count characters of the font's Western width (half a
//                    cell, 8 dots in the 8-dot font) by one cell, filled and
//                    outlined as the editor draws a string control; no text
//   pointer control  the dial picture at its position, then the needle at
//                    the first position of its needle table (the start
//                    angle, the minimum): thickness 1 (or a thickness byte
//                    of 0x80 and more) a one-pixel line by the line rule,
//                    thicker a line with round ends, as the editor draws it
//   numeric control  its minimum (0 for a negative minimum) formatted as the
//                    editor's preview text of the control (sign place,
//                    digits, decimal point, leading zeros, alignment), drawn
//                    as a text in the control's dot size, face 宋体, on its
//                    background colour
//   bar graph        frame and background over the box (x1 + 1 .. x2 - 1 of
//                    the frame widened by one on every side); with a negative
//                    minimum the bar stands at 0, filled from its base to the
//                    zero level, which is what the editor draws
//   image control    its first picture at its position
//   text control     its area filled and outlined in its background colour;
//                    no text
//   button           bevel in its light and dark edge colours and face, as
//                    the editor draws a button (invisible and transparent
//                    buttons included); the caption is the text frame that
//                    follows it in the stream
// A control that cannot be drawn is drawn as a one-pixel outline (hollow
// rectangle) and counted (Record::controlsOutlined): a string control of a
// font code the terminal has no font for (its count of 8-dot half cells by
// 16), a numeric control of a dot size it has no font for (the preview
// text's length in 8-dot half cells by 16), a bar graph of a structure code
// above 7 (its box, in the frame colour), a pointer control whose dial
// picture the store lacks (16 x 16 at the dial's position) or whose needle
// table is missing or empty (the dial's box; both in the needle colour),
// an image control whose first picture the store lacks (16 x 16, white).
//
// Page cycle: after a page ran, its delay (1B 53 d) counts in seconds; when
// d seconds have passed and the page named a next page (1B 50 n) that the
// project holds, page n runs and its own delay starts. A delay of 0, no
// next page (FF FF) or a next page the project lacks keep the page shown.
// Time is told, never read: tests use a virtual clock, the simulator its
// real one.

#include "terminal/PageFrames.h"
#include "terminal/TerminalScreen.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>

namespace h5 {

// How a page run ended.
struct PageEnd
{
    bool found = false; // the project holds the page
    int delay = 0;      // the page's delay, 0 when it sent none
    int next = -1;      // the next page it named, -1 for none
};

// Runs page `page` of `pages` on `screen` as described above.
PageEnd runPage(TerminalScreen &screen, const ProjectPages &pages, int page,
                const TerminalScreen::PictureLookup &pictures);

// Which page a screen shows, and when the next one is due.
class PagePlayer
{
public:
    // Reads the project data; an unreadable one holds no pages.
    void setProject(const QByteArray &projectData);
    const ProjectPages &pages() const { return m_pages; }

    // Runs page 0 (or the first page present); false when there is none.
    bool start(TerminalScreen &screen, const TerminalScreen::PictureLookup &pictures,
               int64_t nowMs);
    // Runs page n at `nowMs`; false (nothing drawn) when the project lacks it.
    bool showPage(TerminalScreen &screen, int page,
                  const TerminalScreen::PictureLookup &pictures, int64_t nowMs);
    // Runs the pages whose time has come by `nowMs`, each at the moment its
    // predecessor's delay ran out; returns how many ran.
    int tick(TerminalScreen &screen, const TerminalScreen::PictureLookup &pictures,
             int64_t nowMs);

    // The page shown last, -1 before any.
    int currentPage() const { return m_current; }
    // When the next page is due, -1 when none is.
    int64_t dueMs() const { return m_due; }

private:
    void ran(const PageEnd &end, int page, int64_t startMs);

    ProjectPages m_pages;
    int m_current = -1;
    int m_next = -1;
    int64_t m_due = -1;
};

// Page `page` of the project data as the terminal draws it, on a black
// screen of `screenSize` (one of the terminal's resolutions, else one
// layer): the shown layer widened (TerminalScreen::screenshot). A null
// image with the reason when the data holds no such page.
QImage previewPage(const QByteArray &projectData, QSize screenSize,
                   const TerminalScreen::PictureLookup &pictures, int page, QString *error);
// The same for pages read already.
QImage previewPage(const ProjectPages &pages, QSize screenSize,
                   const TerminalScreen::PictureLookup &pictures, int page, QString *error);

// Stored pictures of a picture position file or picture list file image
// (the project's "图象位置信息.cbm" after a build): picture j is record j's
// width x height, its pixels in the data area from offset 1,236,000 where
// walkDataArea's Sized rule places them (pictures/DataAreaWalk.h).
TerminalScreen::PictureLookup positionFilePictures(const QByteArray &positionFile);

} // namespace h5
