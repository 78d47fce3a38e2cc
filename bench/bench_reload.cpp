// Hot reload from the save to the page on the screen, for the demo project
// (`h5800 demo`, made once in a temporary folder by the h5800 beside this
// program) with one page changed, into the terminal built into the
// program on the real clock:
//
//   SaveToPageShownBuiltin   page 1 saved as the editor saves it (untimed),
//                            then timed: the watcher's settling wait
//                            (50 ms), the build, the download of the
//                            project data and the page switch, until the
//                            terminal shows page 1 drawn from the new data
//   RoundBuiltin             the same without the settling wait (the app
//                            asking for the round after its own save)
//
//   SaveToPageShownSim       from outside, as a user sees it: `h5800 watch
//                            --port PTY --baud 1228800` against `h5800-sim
//                            --baud-delay 1228800 --screenshot PNG`, both
//                            started by this program; timed from the page
//                            save to the simulator's screenshot showing
//                            the new page

#include "common/Notifier.h"
#include "port/BuiltinTerminal.h"
#include "port/HotReload.h"
#include "port/LineClock.h"
#include "port/PortLine.h"
#include "project/Project.h"
#include "terminal/VirtualTerminal.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QDateTime>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

using namespace h5;

namespace {

QString gCli;

struct Rig
{
    QTemporaryDir tmp;
    Project project;
    PortLine line;
    std::unique_ptr<HotReload> reload;
    int rounds = 0;
    HotReload::Round last;
    QString error;
    int shade = 0;

    Rig()
    {
        QProcess demo;
        demo.start(gCli, {QStringLiteral("demo"), tmp.path()});
        if (!demo.waitForFinished(60000) || demo.exitCode() != 0) {
            error = QStringLiteral("h5800 demo failed: ") + QString::fromLocal8Bit(demo.readAllStandardError());
            return;
        }
        if (!Project::open(tmp.filePath(QStringLiteral("demo/demo.wgc")), project, &error))
            return;
        BuiltinTerminal::setShared(std::make_unique<BuiltinTerminal>(LineClock::real(), QString()));
        line.setDevice(QStringLiteral("builtin"));
        if (!line.open()) {
            error = line.errorString();
            return;
        }
        reload = std::make_unique<HotReload>(project, line);
        QObject::connect(reload.get(), &HotReload::roundDone, [this](const HotReload::Round &r) {
            ++rounds;
            last = r;
        });
        reload->start();
        if (!waitRounds(1) || last.result != HotReload::Round::Result::Sent)
            error = QStringLiteral("first round: ") + last.text();
    }

    ~Rig()
    {
        reload.reset();
        line.close();
        BuiltinTerminal::setShared(nullptr);
    }

    bool waitRounds(int n)
    {
        QElapsedTimer t;
        t.start();
        while (rounds < n && t.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        return rounds >= n;
    }

    // Page 1 saved by the editor with a shape of a new colour.
    bool savePage()
    {
        OpenPage page;
        RecordingNotifier notifier;
        if (!project.openPage(project.pagePath(1), page, &error))
            return false;
        CGraph rect;
        rect.m_nKind = Kind::SolidRect;
        rect.m_ptStart = {600, 400};
        rect.m_ptEnd = {640, 440};
        rect.m_crColor1 = RGB(++shade & 0xFF, 0x40, 0x80);
        page.page.elements.push_back(rect);
        return project.savePage(page, notifier, &error);
    }

    // Waits until the terminal shows page 1 of the project data just built.
    bool waitShown()
    {
        QElapsedTimer t;
        t.start();
        VirtualTerminal &vt = BuiltinTerminal::shared().terminal();
        while (t.elapsed() < 20000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            if (vt.currentPage() == 1 && vt.projectData() == reload->cache().projectData()
                && !reload->busy())
                return true;
        }
        return false;
    }
};

std::unique_ptr<Rig> gRig;

Rig *rig(benchmark::State &state)
{
    if (!gRig)
        gRig = std::make_unique<Rig>();
    if (!gRig->error.isEmpty()) {
        state.SkipWithError(gRig->error.toStdString().c_str());
        return nullptr;
    }
    return gRig.get();
}

void measure(benchmark::State &state, bool throughWatcher)
{
    Rig *r = rig(state);
    if (!r)
        return;
    for (auto _ : state) {
        state.PauseTiming();
        // Another page first, so showing page 1 is news.
        BuiltinTerminal::shared().terminal().showPage(0);
        const int before = r->rounds;
        if (!r->savePage()) {
            state.SkipWithError(r->error.toStdString().c_str());
            break;
        }
        state.ResumeTiming();
        if (throughWatcher)
            r->reload->filesChanged({r->project.pagePath(1)});
        else
            r->reload->requestRound();
        if (!r->waitShown() || !r->waitRounds(before + 1)) {
            state.SkipWithError(("page not shown: " + r->last.text()).toStdString().c_str());
            break;
        }
        state.counters["round_ms"] = double(r->last.totalMs);
        state.counters["build_ms"] = double(r->last.buildMs);
    }
}

void SaveToPageShownBuiltin(benchmark::State &state) { measure(state, true); }
BENCHMARK(SaveToPageShownBuiltin)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

void RoundBuiltin(benchmark::State &state) { measure(state, false); }
BENCHMARK(RoundBuiltin)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

// h5800-sim and h5800 watch as two programs on a pseudo-terminal.
struct SimRig
{
    QTemporaryDir tmp;
    Project project;
    QProcess sim;
    QProcess watch;
    QString screenshot;
    QString error;
    int shade = 0;

    SimRig()
    {
        QProcess demo;
        demo.start(gCli, {QStringLiteral("demo"), tmp.path()});
        if (!demo.waitForFinished(60000) || demo.exitCode() != 0) {
            error = QStringLiteral("h5800 demo failed");
            return;
        }
        if (!Project::open(tmp.filePath(QStringLiteral("demo/demo.wgc")), project, &error))
            return;
        const QString tty = tmp.filePath(QStringLiteral("tty"));
        screenshot = tmp.filePath(QStringLiteral("screen.png"));
        sim.start(QFileInfo(gCli).absolutePath() + QStringLiteral("/h5800-sim"),
                  {QStringLiteral("--baud-delay"), QStringLiteral("1228800"), QStringLiteral("--link"), tty,
                   QStringLiteral("--screenshot"), screenshot});
        QElapsedTimer t;
        t.start();
        while (!QFileInfo::exists(tty) && t.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        watch.start(gCli, {QStringLiteral("watch"), project.file, QStringLiteral("--port"), tty,
                           QStringLiteral("--baud"), QStringLiteral("1228800")});
        if (!nextLine().contains(QStringLiteral("已发送")))
            error = QStringLiteral("first round failed: ") + QString::fromLocal8Bit(watch.readAllStandardError());
    }

    ~SimRig()
    {
        watch.terminate();
        watch.waitForFinished(5000);
        sim.terminate();
        sim.waitForFinished(5000);
    }

    QString nextLine()
    {
        QElapsedTimer t;
        t.start();
        while (!watch.canReadLine() && t.elapsed() < 60000)
            watch.waitForReadyRead(100);
        return QString::fromUtf8(watch.readLine());
    }

    bool savePage()
    {
        OpenPage page;
        RecordingNotifier notifier;
        if (!project.openPage(project.pagePath(1), page, &error))
            return false;
        CGraph rect;
        rect.m_nKind = Kind::SolidRect;
        rect.m_ptStart = {600, 400};
        rect.m_ptEnd = {640, 440};
        rect.m_crColor1 = rect.m_crColor2 = RGB((shade += 40) & 0xFF, 0x40, 0x80);
        page.page.elements.push_back(rect);
        return project.savePage(page, notifier, &error);
    }
};

std::unique_ptr<SimRig> gSim;

void SaveToPageShownSim(benchmark::State &state)
{
    if (!gSim)
        gSim = std::make_unique<SimRig>();
    if (!gSim->error.isEmpty()) {
        state.SkipWithError(gSim->error.toStdString().c_str());
        return;
    }
    SimRig &r = *gSim;
    for (auto _ : state) {
        if (!r.savePage()) {
            state.SkipWithError(r.error.toStdString().c_str());
            break;
        }
        // The simulator rewrites its screenshot once the page has run: the
        // new rectangle in its new colour.
        const int red = r.shade & 0xFF;
        QElapsedTimer t;
        t.start();
        bool shown = false;
        while (!shown && t.elapsed() < 20000) {
            const QImage screen(r.screenshot);
            if (!screen.isNull() && screen.width() > 620) {
                const QRgb c = screen.pixel(620, 420);
                shown = std::abs(qRed(c) - red) <= 8 && std::abs(qGreen(c) - 0x40) <= 8
                    && std::abs(qBlue(c) - 0x80) <= 8;
            }
            if (!shown)
                QThread::usleep(1000);
        }
        if (!shown) {
            state.SkipWithError("the new page never showed");
            break;
        }
        state.PauseTiming();
        const QString line = r.nextLine();
        if (!line.contains(QStringLiteral("显示画面 1"))) {
            state.SkipWithError(("round: " + line).toStdString().c_str());
            break;
        }
        state.ResumeTiming();
    }
}
BENCHMARK(SaveToPageShownSim)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    gCli = QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/h5800")).absoluteFilePath();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gRig.reset();
    gSim.reset();
    return 0;
}
