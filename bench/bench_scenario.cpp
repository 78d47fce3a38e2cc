// Screen tests (h5800 test) on the demo project, 800 x 480: a scenario of
// 100 steps with 20 full-screen checks (page switches, touches and their
// reports, waits, RGB565 comparison with reference PNGs read from disk).
//
//   ScenarioRun       runScenarioFile in this process: reading the scenario
//                     and the project (every page compiled again to check
//                     the build is current), the steps, 20 PNG references
//                     decoded and compared; target under 1 s
//   TestCommand       `h5800 test` of the same scenario as a process, wall
//                     time including start-up
//
// h5800 is taken from beside this program, or from $H5_CLI.

#include "terminal/ScenarioRunner.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

QString gCli;
QString gScenario;

// 20 rounds of 5 steps: a page switch (or the power-on), a touch, its
// release, the report it sent, and the whole screen against a reference
// of its own (20 PNG files of 800 x 480 read and decoded per run).
QByteArray hundredSteps()
{
    QByteArray s = "project demo/demo.wgc\nsize 800x480\n";
    for (int i = 0; i < 20; ++i) {
        const int page = i % 2;
        s += i == 0 ? QByteArray("start\n")
                    : "host 1b 50 0" + QByteArray::number(page) + " 00 ff ff ee ff\n";
        const int x = 100 + i, y = 200;
        s += "touch " + QByteArray::number(x) + ' ' + QByteArray::number(y) + '\n';
        s += "release\n";
        s += "expect-sent fe fe " + QByteArray::number(x, 16).rightJustified(2, '0') + " 00 c8 00\n";
        // A reference file of its own for every check, as a real suite has.
        s += "expect-screen check" + QByteArray::number(i) + ".png\n";
    }
    return s;
}

void ScenarioRun(benchmark::State &state)
{
    for (auto _ : state) {
        const h5::ScenarioResult r = h5::runScenarioFile(gScenario);
        if (r.outcome != h5::ScenarioResult::Outcome::Passed) {
            state.SkipWithError(r.where().toLocal8Bit().constData());
            return;
        }
    }
    state.counters["steps"] = 100;
    state.counters["screen_checks"] = 20;
}
BENCHMARK(ScenarioRun)->Unit(benchmark::kMillisecond);

void TestCommand(benchmark::State &state)
{
    for (auto _ : state) {
        QProcess p;
        p.start(gCli, {QStringLiteral("test"), gScenario});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) {
            state.SkipWithError("h5800 test failed");
            return;
        }
    }
}
BENCHMARK(TestCommand)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts for the pages' texts
    gCli = qEnvironmentVariable("H5_CLI");
    if (gCli.isEmpty())
        gCli = QCoreApplication::applicationDirPath() + QStringLiteral("/h5800");
    if (!QFileInfo(gCli).isExecutable()) {
        std::fprintf(stderr, "bench_scenario: %s not found (build h5800 or set H5_CLI)\n",
                     gCli.toLocal8Bit().constData());
        return 1;
    }
    QTemporaryDir dir;
    QProcess make;
    make.start(gCli, {QStringLiteral("demo"), dir.path()});
    if (!make.waitForFinished(60000) || make.exitCode() != 0) {
        std::fprintf(stderr, "bench_scenario: h5800 demo failed\n");
        return 1;
    }
    gScenario = dir.filePath(QStringLiteral("hundred.scenario"));
    QFile f(gScenario);
    if (!f.open(QIODevice::WriteOnly) || f.write(hundredSteps()) < 0 || !f.flush()) {
        std::fprintf(stderr, "bench_scenario: cannot write the scenario\n");
        return 1;
    }
    f.close();
    // The references, written once from the screen.
    h5::ScenarioOptions update;
    update.update = true;
    const h5::ScenarioResult first = h5::runScenarioFile(gScenario, update);
    if (first.outcome != h5::ScenarioResult::Outcome::Passed) {
        std::fprintf(stderr, "bench_scenario: %s\n", first.where().toLocal8Bit().constData());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
