// Drawing frames executed by the virtual terminal's screen (800 x 480),
// counted in frames per second (items_per_second). The frames are those the
// debug window sends while the user draws: points, lines, rectangles,
// ellipses and circles of a few dozen pixels.
//
//   ScreenFrames/InProcess/0   VirtualTerminal::feed of 1,000 shape frames
//   ScreenFrames/InProcess/1   the same with every tenth frame a 16-dot text of
//                              eight characters (Western and Chinese)
//   ScreenFrames/InProcess/2   full-screen work: fills, large filled ellipses and
//                              rectangles (the worst case, not a usual one)
//   ScreenFrames/Simulator/0   the shape frames written to h5800-sim over its
//                              pseudo-terminal, 1,000 at a time, each batch ended
//                              by a realtime picture header of 0 x 0 pixels whose
//                              answer says everything before it was executed
//   ScreenFrames/Simulator/1   the same with --screenshot: the PNG is written
//                              whenever the simulator has taken what came
//
// h5800-sim is taken from beside this program, or from $H5_SIM.

#include "terminal/VirtualTerminal.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <random>
#include <unistd.h>

namespace {

constexpr int kBatch = 1000;

void le16(QByteArray &b, int v)
{
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}

QByteArray frame(int command, const QByteArray &params)
{
    return QByteArray(1, '\x1B') + char(command) + params + QByteArray("\xFF\xFF\xEE\xFF", 4);
}

QByteArray shapeFrame(int command, int colour, int a, int b, int c, int d, bool circle = false)
{
    QByteArray p;
    le16(p, colour);
    le16(p, a);
    le16(p, b);
    le16(p, c);
    if (!circle)
        le16(p, d);
    return frame(command, p);
}

// A batch of frames: `mix` 0 shapes, 1 shapes and texts, 2 full-screen work.
QByteArray batch(int mix)
{
    std::mt19937 rng(uint32_t(mix) + 1);
    const auto r = [&](int n) { return int(rng() % uint32_t(n)); };
    QByteArray out;
    for (int i = 0; i < kBatch; ++i) {
        const int colour = r(65536);
        const int x = r(740), y = r(420);
        if (mix == 1 && i % 10 == 9) {
            QByteArray p;
            le16(p, colour);
            p.append(char(1)).append(char(2));
            le16(p, 0);
            le16(p, x);
            le16(p, y);
            p.append(char(i % 2)).append(char(0x20));
            p.append("H5800 \xD6\xD0\xCE\xC4", 10);
            out += frame(0x23, p);
            continue;
        }
        if (mix == 2) {
            switch (i % 3) {
            case 0: out += frame(0x42, QByteArray(1, char(colour)) + char(colour >> 8)); break;
            case 1: out += shapeFrame(0x4A, colour, 400, 240, 390, 230); break;
            default: out += shapeFrame(0x41, colour, 0, 0, 800, 480); break;
            }
            continue;
        }
        switch (i % 9) {
        case 0: out += shapeFrame(0x47, colour, x, y, 0, 0); break;
        case 1: out += shapeFrame(0x46, colour, x, y, x + r(60), y + r(60)); break;
        case 2: out += shapeFrame(0x46, colour, x + 50, y, x, y + r(60)); break;
        case 3: out += shapeFrame(0x5A, colour, x, y, x + 1 + r(60), y + 1 + r(60)); break;
        case 4: out += shapeFrame(0x41, colour, x, y, x + 1 + r(60), y + 1 + r(60)); break;
        case 5: out += shapeFrame(0x49, colour, x + 30, y + 30, 1 + r(30), 1 + r(30)); break;
        case 6: out += shapeFrame(0x4A, colour, x + 30, y + 30, 1 + r(30), 1 + r(30)); break;
        case 7: out += shapeFrame(0x59, colour, x + 30, y + 30, 1 + r(30), 0, true); break;
        default: out += shapeFrame(0x4F, colour, x + 30, y + 30, 1 + r(30), 0, true); break;
        }
    }
    return out;
}

void InProcess(benchmark::State &state)
{
    const QByteArray frames = batch(int(state.range(0)));
    h5::VirtualTerminal terminal;
    for (auto _ : state) {
        const QByteArray answer = terminal.feed(frames);
        benchmark::DoNotOptimize(answer.size());
    }
    if (!terminal.idle())
        state.SkipWithError("the terminal did not take every frame");
    state.SetItemsProcessed(int64_t(state.iterations()) * kBatch);
    state.SetBytesProcessed(int64_t(state.iterations()) * frames.size());
}
BENCHMARK(InProcess)->Name("ScreenFrames/InProcess")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// ---- through h5800-sim --------------------------------------------------------

QString gSimPath;

struct Simulator
{
    QProcess process;
    int fd = -1;

    bool start(const QStringList &args)
    {
        process.start(gSimPath, args);
        if (!process.waitForStarted(5000))
            return false;
        QDeadlineTimer deadline(5000);
        while (!process.canReadLine() && !deadline.hasExpired())
            process.waitForReadyRead(100);
        const QByteArray device = process.readLine().trimmed();
        fd = device.isEmpty() ? -1 : ::open(device.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        return fd >= 0;
    }
    ~Simulator()
    {
        if (fd >= 0)
            ::close(fd);
        process.terminate();
        if (!process.waitForFinished(10000))
            process.kill();
        process.waitForFinished(5000);
    }

    bool write(const QByteArray &bytes)
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n <= 0)
                return false;
            done += n;
        }
        return true;
    }
    // The one-byte answer, within 10 s.
    bool answered()
    {
        struct pollfd p = {fd, POLLIN, 0};
        char c = 0;
        return ::poll(&p, 1, 10000) == 1 && ::read(fd, &c, 1) == 1 && c == 0x55;
    }
};

void ThroughSimulator(benchmark::State &state)
{
    QTemporaryDir dir;
    QStringList args;
    if (state.range(0) == 1)
        args << QStringLiteral("--screenshot") << dir.filePath(QStringLiteral("screen.png"));
    Simulator sim;
    if (!sim.start(args)) {
        state.SkipWithError("cannot start or open h5800-sim");
        return;
    }
    // A realtime picture of no pixels: answered once everything before it ran.
    QByteArray sync;
    for (int v : {0, 0, 0, 0})
        le16(sync, v);
    const QByteArray frames = batch(0) + frame(0x24, sync);
    for (auto _ : state) {
        if (!sim.write(frames) || !sim.answered()) {
            state.SkipWithError("h5800-sim did not answer");
            return;
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kBatch);
}
BENCHMARK(ThroughSimulator)
    ->Name("ScreenFrames/Simulator")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts for the text frames
    gSimPath = qEnvironmentVariable("H5_SIM");
    if (gSimPath.isEmpty())
        gSimPath = QCoreApplication::applicationDirPath() + QStringLiteral("/h5800-sim");
    if (!QFileInfo(gSimPath).isExecutable())
        std::fprintf(stderr, "bench_screen: %s not found (build h5800-sim or set H5_SIM); "
                             "the simulator cases are skipped\n",
                     gSimPath.toLocal8Bit().constData());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
