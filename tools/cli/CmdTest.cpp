// h5800 test: screen tests (terminal/Scenario.h) run in the process on the
// virtual terminal (terminal/ScenarioRunner.h), one line a scenario and a
// summary, JUnit XML for CI servers on request.

#include "Cli.h"

#include "common/FileIo.h"
#include "terminal/ScenarioRunner.h"

#include <QFileInfo>

#include <map>
#include <set>

using namespace h5cli;

namespace {

int testCommand(QStringList args)
{
    const bool update = takeFlag(args, QStringLiteral("update"));
    const QString junit = takeOption(args, QStringLiteral("junit"));
    if (!junit.isNull() && junit.isEmpty())
        throw UsageError{QStringLiteral("--junit needs a file name")};
    for (const QString &a : args) {
        if (a.startsWith(QLatin1Char('-')) && a.size() > 1)
            throw UsageError{QStringLiteral("test: unknown option '%1'").arg(a)};
    }
    if (args.isEmpty())
        throw UsageError{QStringLiteral("test needs at least one scenario file")};

    h5::ScenarioOptions options;
    options.update = update;
    // Scenarios of one folder write their actual and difference pictures
    // into that folder: when several of them run, each name starts with
    // its scenario's file name, so two checking the same reference keep
    // their own.
    std::map<QString, std::set<QString>> scenariosIn; // folder -> scenario files
    for (const QString &file : args) {
        const QFileInfo info(file);
        scenariosIn[info.absolutePath()].insert(info.absoluteFilePath());
    }
    std::vector<h5::ScenarioResult> results;
    int passed = 0, failed = 0, refused = 0;
    for (const QString &file : args) {
        const QFileInfo info(file);
        options.outputPrefix = scenariosIn[info.absolutePath()].size() > 1
            ? info.fileName() + QLatin1Char('.')
            : QString();
        const h5::ScenarioResult r = h5::runScenarioFile(file, options);
        results.push_back(r);
        switch (r.outcome) {
        case h5::ScenarioResult::Outcome::Passed:
            ++passed;
            out() << QStringLiteral("通过 %1（%2 步）").arg(file).arg(r.steps) << "\n";
            break;
        case h5::ScenarioResult::Outcome::Failed:
            ++failed;
            out() << QStringLiteral("失败 %1").arg(r.where()) << "\n";
            break;
        case h5::ScenarioResult::Outcome::Refused:
            ++refused;
            out() << QStringLiteral("无法运行 %1").arg(r.where()) << "\n";
            break;
        }
        for (const QString &note : r.notes)
            out() << "  " << note << "\n";
    }
    out() << QStringLiteral("共 %1 个场景：%2 个通过，%3 个失败，%4 个无法运行")
                 .arg(results.size())
                 .arg(passed)
                 .arg(failed)
                 .arg(refused)
          << Qt::endl;

    if (!junit.isNull()) {
        QString why;
        if (!h5::writeFileAtomically(junit, h5::junitXml(results), &why))
            return badInput(junit, why);
    }
    if (refused > 0)
        return ExitBadInput;
    return failed > 0 ? ExitProblems : ExitOk;
}

const Registrar testRegistrar{Command{
    QStringLiteral("test"),
    QStringLiteral("run screen tests (scenario files) on the virtual terminal"),
    QStringLiteral(
        "usage: h5800 test [--update] [--junit FILE] SCENARIO...\n\n"
        "Runs each scenario file in this process on the virtual terminal, on a\n"
        "virtual clock (no serial line, no real waiting), and prints one line per\n"
        "scenario (通过 / 失败 / 无法运行, with FILE:LINE and the reason) and a\n"
        "summary. A scenario is UTF-8 text, one step a line, '#' starts a comment:\n\n"
        "  project PATH.wgc          the built project, relative to the scenario (first)\n"
        "  size WxH                  the terminal's resolution (default: the project's)\n"
        "  start                     power on: the first page shows (the first step)\n"
        "  touch X Y / release       a finger down at (X, Y) / lifted, reported under\n"
        "                            the touch mode the controller set (1B 20, 1B 21)\n"
        "  host HEX...               bytes the controller sends (1b 50 01 00 ff ff ee ff)\n"
        "  host-file PATH            the bytes of a file\n"
        "  wait MS                   time passes: page delays, repeated touch reports\n"
        "  expect-sent [HEX...]      the terminal sent exactly these bytes since the\n"
        "                            last expect-sent\n"
        "  expect-page N             the page shown last is N\n"
        "  expect-screen FILE.png [X Y W H] [tolerance N]\n"
        "                            the screen (or a rectangle) equals the picture,\n"
        "                            compared in RGB565; tolerance N lets each channel\n"
        "                            differ by N levels\n\n"
        "A failing screen check writes NAME.actual.png and NAME.diff.png (differing\n"
        "pixels in red) beside the scenario and names the first differing pixel.\n"
        "When several scenarios of one folder run, the names start with the\n"
        "scenario's file name (SCENARIO.NAME.actual.png), so that two checking\n"
        "the same reference keep their own pictures.\n"
        "--update writes a reference picture that does not exist yet from the\n"
        "screen; an existing one is never replaced (a difference fails as usual).\n"
        "--junit FILE writes the results as JUnit XML for CI servers.\n"
        "A project that is not built, or with a page changed since its build, is\n"
        "refused with h5800 preview's message. A step with a wrong argument is\n"
        "refused with its file and line before any step runs.\n"
        "Exit status: 0 when every scenario passed, 3 when a check failed, 1 when\n"
        "a scenario could not run (unreadable or wrong scenario, project not built\n"
        "or changed, unreadable reference) or the JUnit file cannot be written."),
    testCommand,
    /*needsGui=*/true}};

} // namespace
