#pragma once
// The control channel of h5800-sim: text lines written into a FIFO tell the
// virtual terminal to do what a real terminal does on its own, such as
// sending a report to the PC. One command a line:
//
//   report HEX...   send these bytes to the PC now, as a terminal report;
//                   each word is one or more bytes as pairs of hex digits
//                   ("report fe fe 01 02 03 04", "report fefe01020304")
//   screenshot PATH write the screen to the PNG file PATH (the rest of the
//                   line, blanks around it dropped; it may hold blanks of its
//                   own), once every byte the PC wrote before the line came
//                   is executed
//   windowshot PATH the same for the picture the simulator's window shows
//                   (the screen dimmed by the backlight), with --window only
//   touch X Y       a touch at terminal point (X, Y), decimal 0..65535: the
//                   terminal sends its touch report (touchReport below), as a
//                   click in the simulator's window does
//   quit            stop the simulator
//
// and the steps of a screen test (terminal/Scenario.h), in the same words:
//   start           power on again: the first page of the flash's project
//   touch X Y       (above) the touch report as the touch mode says, the
//   release         finger held until release (break code, repeats)
//   host HEX...     bytes taken as if the PC had sent them; the answers go
//   host-file PATH  to the PC
//   wait MS         the lines after it wait MS milliseconds
//   expect-sent [HEX...], expect-page N, expect-screen FILE.png [X Y W H]
//   [tolerance N]   checked against what the terminal sent the PC since the
//                   last expect-sent, the page shown, the screen (after every
//                   byte the PC wrote before the line); the result is told
//                   on stderr; a failing screen writes NAME.actual.png and
//                   NAME.diff.png beside the reference. Paths are relative
//                   to the simulator's working folder.
//
// Blank lines and lines starting with '#' are ignored. Anything else is a
// bad line: it gets a reason and changes nothing.

#include "terminal/Scenario.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace h5 {

struct SimControlCommand
{
    enum class Kind {
        Nothing, // blank line or comment
        Report,     // send `bytes` to the PC
        Screenshot, // write the screen to `path`
        WindowShot, // write the window's picture to `path`
        Touch,      // a touch at (`x`, `y`)
        Quit,       // stop the simulator
        Step,       // a screen test step other than touch: `step`
        Bad,     // not a command; `error` says why
    };
    Kind kind = Kind::Nothing;
    QByteArray bytes;
    QByteArray path; // file name bytes as written in the line
    int x = 0;
    int y = 0;
    QString error;
    ScenarioStep step;
};

// The simulator's touch report for a touch at (x, y): FE FE, then x and y
// as 16-bit numbers, low byte first (six bytes, which the debug window
// frames as one touch report).
QByteArray touchReport(int x, int y);

// One line, without its line end. A trailing carriage return and blanks
// around the words are allowed.
SimControlCommand parseSimControlLine(const QByteArray &line);

// Cuts the bytes read from the FIFO into lines, however the reads split
// them. A line longer than kMaxLine is not kept whole: it comes out as one
// Bad command once its end arrives.
class SimControlReader
{
public:
    static constexpr qsizetype kMaxLine = 65536;

    // The commands of every line completed by `bytes`, in order.
    std::vector<SimControlCommand> feed(const QByteArray &bytes);
    // The bytes of the line not ended yet.
    qsizetype pending() const { return m_line.size(); }

private:
    QByteArray m_line;
    bool m_overlong = false;
};

} // namespace h5
