#pragma once
// Runs a screen test (terminal/Scenario.h) in the process: a VirtualTerminal
// of the scenario's size holds the built project as a download leaves it
// (read through BuiltProject, so a project that is not built, is damaged or
// has a page changed since its build is refused with the preview's
// messages), and the steps drive it on a virtual clock: no line, no real
// waiting. The first step that fails ends the run.
//
// Before any step runs, the scenario is checked whole against the project:
// touch points and screen rectangles inside the screen, every host-file
// readable. A refusal names the line.
//
// expect-screen compares the shown layer in RGB565: a reference pixel's
// RGB565 value is the top bits of its channels (rgb565Of), so a picture
// written as the terminal's screenshots are (bit replication) or with the
// dropped bits 0 reads back exactly. On a failure the rectangle as the
// screen shows it is written beside the scenario as NAME.actual.png, and a
// difference picture NAME.diff.png (the differing pixels red, the rest a
// dim grey of the actual picture), NAME being the reference's name without
// ".png"; the message names the first differing pixel (screen coordinates,
// top to bottom, left to right) with both colours and the count. With
// `update` a reference that does not exist yet is written from the screen
// and the step passes; an existing reference is never replaced. Without
// `update` a missing reference fails the step and the actual picture is
// written, ready to be looked at and copied.
// Files are written atomically.

#include "terminal/Scenario.h"
#include "terminal/TerminalScreen.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <vector>

namespace h5 {

struct ScenarioOptions
{
    bool update = false; // write missing reference pictures
    // Put before the names of the actual and difference pictures
    // ("PREFIX" + NAME + ".actual.png"), so that scenarios of one folder
    // checking the same reference do not write over each other's.
    QString outputPrefix;
};

struct ScenarioResult
{
    enum class Outcome {
        Passed,
        Failed,  // a step's check did not hold
        Refused, // could not run: unreadable or wrong scenario, project not
                 // built or outdated, unreadable reference or host file
    };
    Outcome outcome = Outcome::Passed;
    QString file;     // the scenario as given
    int line = 0;     // the line at fault; 0 for the file as a whole
    QString message;  // why, in Chinese; empty when passed
    int steps = 0;    // steps in the scenario
    int stepsRun = 0; // steps that ran (the failing one included)
    QStringList written; // reference, actual and difference pictures written
    QStringList notes;   // what --update did, for the report
    double seconds = 0;  // real time the run took

    // "FILE:LINE: MESSAGE" (or "FILE: MESSAGE" for line 0).
    QString where() const;
};

ScenarioResult runScenarioFile(const QString &path, const ScenarioOptions &options = {});

// ---- screen comparison, shared with the simulator's control channel --------

struct ScreenComparison
{
    enum class Outcome { Same, Different, SizeDiffers };
    Outcome outcome = Outcome::Same;
    int differing = 0;   // pixels
    QPoint first;        // first differing pixel in screen coordinates
    uint16_t expected = 0;
    uint16_t actual = 0;
    QImage actualImage;  // the compared rectangle as the screen shows it
    QImage diffImage;    // only when Different
};

// Compares `region` (null: the whole screen) of the shown layer with
// `reference`, pixel by pixel in RGB565 within `tolerance` levels a channel.
// `region` must lie inside the screen.
ScreenComparison compareScreen(const TerminalScreen &screen, QRect region, const QImage &reference,
                               int tolerance);

struct ScreenCheck
{
    enum class Outcome { Passed, Failed, Refused };
    Outcome outcome = Outcome::Passed;
    QString message;
    QStringList written;
    QString note; // a reference written by `update`
};

// The expect-screen step `step`: the reference relative to `baseDir`, the
// actual and difference pictures written into `outputDir`, their names
// starting with `outputPrefix`.
ScreenCheck checkScreen(const TerminalScreen &screen, const ScenarioStep &step, const QString &baseDir,
                        const QString &outputDir, bool update, const QString &outputPrefix = {});

// JUnit XML of the results, one test case per scenario, for CI servers.
QByteArray junitXml(const std::vector<ScenarioResult> &results);

} // namespace h5
