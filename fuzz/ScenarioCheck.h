#pragma once
// What must hold for any bytes read as a screen test (terminal/Scenario.h):
// reading never crashes; a refused file names a line that exists (or 0 for
// the file as a whole) and says why, and leaves the scenario it was given
// alone; a scenario read and written back reads as the same scenario, and
// writing that again gives the same text. Every line alone is read the
// same way the whole file reads it. Run by fuzz_scenario and by the test
// replaying its kept inputs (tests/terminal/ScenarioReaderTest.cpp).

#include "FuzzCheck.h"

#include "terminal/Scenario.h"

#include <QByteArray>
#include <QList>

namespace h5fuzz {

inline bool sameScenario(const h5::Scenario &a, const h5::Scenario &b)
{
    if (a.project != b.project || a.size != b.size || a.steps.size() != b.steps.size())
        return false;
    for (size_t i = 0; i < a.steps.size(); ++i) {
        if (a.steps[i] != b.steps[i])
            return false;
    }
    return true;
}

inline void checkScenarioInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    h5::Scenario scenario;
    scenario.project = QStringLiteral("untouched");
    int line = -1;
    QString why;
    const bool read = h5::parseScenario(input, scenario, &line, &why);
    if (!read) {
        check(!why.isEmpty(), "a refusal without a reason");
        check(line >= 0 && line <= input.count('\n') + 1, "a refusal names a line the file lacks");
        check(scenario.project == QStringLiteral("untouched") && scenario.steps.empty(),
              "a refused file changed the scenario");
        if (line > 0) {
            const QByteArray text = input.split('\n')[line - 1];
            // The line refused by its words alone, or by where it stands.
            const h5::ScenarioLine alone = h5::parseScenarioLine(text);
            check(alone.kind != h5::ScenarioLine::Kind::Nothing, "a blank or comment line was refused");
        }
        return;
    }
    check(!scenario.steps.empty() && scenario.steps.front().kind == h5::ScenarioStep::Kind::Start,
          "a scenario read without start first");
    for (const h5::ScenarioStep &s : scenario.steps) {
        check(s.line >= 1 && s.line <= input.count('\n') + 1, "a step on a line the file lacks");
        check(s.ms >= 0 && s.ms <= h5::kMaxWaitMs, "a wait out of its range");
        check(s.tolerance >= 0 && s.tolerance <= h5::kMaxTolerance, "a tolerance out of its range");
    }

    const QByteArray written = h5::serialiseScenario(scenario);
    h5::Scenario again;
    const bool reread = h5::parseScenario(written, again, &line, &why);
    check(reread, "a scenario written back is refused");
    if (!reread)
        return;
    check(sameScenario(scenario, again), "a scenario written back reads differently");
    check(h5::serialiseScenario(again) == written, "writing a scenario again gives other text");
}

} // namespace h5fuzz
