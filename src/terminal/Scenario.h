#pragma once
// A screen test: a text file of steps that drive the virtual terminal the
// way the product's controller and its user would, and check what it shows
// and sends. `h5800 test` runs these files (terminal/ScenarioRunner.h); the
// simulator's control channel takes the same steps (terminal/SimControl.h).
//
// UTF-8 text (a byte order mark at the start is allowed), one step a line. Blank lines and everything from a '#' that
// starts a word to the line's end are ignored. Words are separated by
// blanks; a path holding blanks or '#' is written in double quotes (no
// escapes; a path cannot hold '"').
//
//   project PATH.wgc        the built project, relative to the scenario file;
//                           first, once
//   size WxH                the terminal's resolution (one of the terminal's
//                           resolutions); after project, before any step,
//                           once; without it the project's resolution
// Steps:
//   start                   power on: the first page of the project shows;
//                           must be the first step; later it powers the
//                           terminal on again (screen black, first page,
//                           touch mode back to its default)
//   touch X Y               a finger at terminal point (X, Y) on the screen,
//                           reported as the touch mode says (TouchPanel.h);
//                           touching again while held lifts the finger first
//   release                 the finger lifts; only while one is down
//   host HEX...             bytes the controller sends to the terminal;
//                           each word is one or more bytes as pairs of hex
//                           digits ("host 1b 50 01 00 ff ff ee ff")
//   host-file PATH          the bytes of a file (relative to the scenario)
//   wait MS                 MS milliseconds pass (0 to 3,600,000): page
//                           cycles and repeated touch reports come due
//   expect-sent [HEX...]    the terminal sent exactly these bytes since the
//                           last expect-sent (nothing, without bytes)
//   expect-page N           the page shown last is N (0 to 1023)
//   expect-screen FILE.png [X Y W H] [tolerance N]
//                           the screen, or the W x H rectangle at (X, Y),
//                           equals the picture FILE.png (relative to the
//                           scenario), compared in RGB565; with tolerance N
//                           (0 to 63) a pixel passes when no channel of it
//                           differs by more than N levels of RGB565 (red and
//                           blue 0..31, green 0..63)
//
// Reading checks what the words alone can tell (numbers and their ranges,
// hex, quotes, the order of the header and of start, touch before
// release); what needs the project (the screen size for points and
// rectangles) is checked by the runner before any step runs. Every refusal
// names the line.

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <vector>

namespace h5 {

struct ScenarioStep
{
    enum class Kind {
        Start,
        Touch,
        Release,
        Host,
        HostFile,
        Wait,
        ExpectSent,
        ExpectPage,
        ExpectScreen,
    };
    Kind kind = Kind::Start;
    int line = 0;      // 1-based line in its file
    QByteArray bytes;  // Host, ExpectSent
    QString path;      // HostFile, ExpectScreen: as written
    int x = 0;         // Touch
    int y = 0;
    int64_t ms = 0;    // Wait
    int page = 0;      // ExpectPage
    QRect region;      // ExpectScreen: null for the whole screen
    int tolerance = 0; // ExpectScreen

    bool operator==(const ScenarioStep &o) const;
    bool operator!=(const ScenarioStep &o) const { return !(*this == o); }
};

struct Scenario
{
    QString project;    // as written
    int projectLine = 0;
    QSize size;         // empty: the project's
    int sizeLine = 0;
    std::vector<ScenarioStep> steps;
};

// Limits of the words.
inline constexpr int64_t kMaxWaitMs = 3600 * 1000;
inline constexpr int kMaxTolerance = 63;
inline constexpr qsizetype kMaxScenarioBytes = 4 * 1024 * 1024;

// What one line is.
struct ScenarioLine
{
    enum class Kind { Nothing, Project, Size, Step, Bad };
    Kind kind = Kind::Nothing;
    QString path;   // Project
    QSize size;     // Size
    ScenarioStep step;
    QString error;  // Bad: why, in Chinese
};

// One line without its line end; a trailing carriage return is allowed.
// Checks the words only (not the order of lines).
ScenarioLine parseScenarioLine(const QByteArray &line);

// A whole file's bytes. False with the line (1-based, 0 for the file as a
// whole) and the reason when any line is refused; `out` is then unchanged.
bool parseScenario(const QByteArray &text, Scenario &out, int *errorLine, QString *error);

// The text of a scenario, one line a step, that parseScenario reads back as
// the same scenario (line numbers apart).
QByteArray serialiseScenario(const Scenario &scenario);

} // namespace h5
