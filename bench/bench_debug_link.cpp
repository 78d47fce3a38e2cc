// The online debug window's link.
//
//   DebugDownloadOnLine/<w>/<h>
//       `h5800 debug-download --erase` of one w x h picture into h5800-sim
//       emulating a 1,228,800 baud line (--baud-delay). Timed from the
//       handshake's answer ("串口已连接!") to the end of the run, so the
//       connection wait is left out; the registry read and write and every
//       acknowledge are in. Counters: pixel bytes per second, all bytes the
//       line carried (both ways) per second, and that as a share of the
//       line's 122,880 bytes per second (ten bits a byte).
//   ChunkedSend/<bytes>
//       DebugSession's chunked sender (hex files, realtime pictures) on a
//       host whose output drains at once: the session's own cost per byte.
//
// h5800 and h5800-sim are taken from beside this program, or from $H5_CLI
// and $H5_SIM.

#include "common/Flash.h"
#include "common/Notifier.h"
#include "link/DebugSession.h"
#include "pictures/PictureList.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

namespace {

constexpr double kLineBytesPerSecond = 1228800.0 / 10;

QString gCli, gSim;
std::unique_ptr<QTemporaryDir> gDir;

// A .tbm holding one w x h picture (a gradient), made once per size.
QString pictureList(int w, int h)
{
    const QString list = gDir->filePath(QStringLiteral("p%1x%2.tbm").arg(w).arg(h));
    if (QFileInfo::exists(list))
        return list;
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x + y) & 0xFF));
    const QString png = gDir->filePath(QStringLiteral("p%1x%2.png").arg(w).arg(h));
    h5::RecordingNotifier notifier;
    h5::PictureList pictures;
    if (!img.save(png) || pictures.addPictures({png}, notifier) != 1 || !pictures.save(list, notifier))
        return QString();
    return list;
}

struct Simulator
{
    QProcess process;
    QString link;

    bool start(const QStringList &args)
    {
        link = gDir->filePath(QStringLiteral("tty"));
        process.start(gSim, QStringList{"--link", link} + args);
        if (!process.waitForStarted(5000))
            return false;
        QDeadlineTimer deadline(5000);
        while (!process.canReadLine() && !deadline.hasExpired())
            process.waitForReadyRead(100);
        return !process.readLine().trimmed().isEmpty();
    }
    ~Simulator()
    {
        process.terminate();
        if (!process.waitForFinished(10000))
            process.kill();
        process.waitForFinished(5000);
    }
};

void DebugDownloadOnLine(benchmark::State &state)
{
    const int w = int(state.range(0));
    const int h = int(state.range(1));
    const QString list = pictureList(w, h);
    Simulator sim;
    if (list.isEmpty() || !sim.start({QStringLiteral("--baud-delay"), QStringLiteral("1228800")})) {
        state.SkipWithError("cannot make the picture list or start h5800-sim");
        return;
    }
    const int64_t pixels = h5::pictureBytes(w, h);
    const int64_t pages = h5::picturePages(w, h);
    // Out: probe, registry read, write command, registry image, header,
    // pixels. Back: '3', the empty registry's terminator, one acknowledge
    // for the write command, each registry page, the header and each page.
    const int64_t wire = 1 + 6 + 7 + 4800 + 15 + pixels + 1 + 4 + 1 + 3 + 1 + pages;
    double seconds = 0;
    for (auto _ : state) {
        QProcess cli;
        cli.start(gCli, {"debug-download", "--erase", "--port", sim.link, "--pictures", list});
        if (!cli.waitForStarted(5000)) {
            state.SkipWithError("cannot start h5800");
            return;
        }
        QElapsedTimer clock;
        QByteArray err;
        bool connected = false;
        while (cli.state() != QProcess::NotRunning) {
            cli.waitForReadyRead(1);
            err += cli.readAllStandardError();
            if (!connected && err.contains(QStringLiteral("串口已连接!").toUtf8())) {
                connected = true;
                clock.start();
            }
        }
        const double elapsed = connected ? double(clock.nsecsElapsed()) / 1e9 : 0;
        err += cli.readAllStandardError();
        if (!connected || cli.exitCode() != 0) {
            state.SkipWithError(("the download failed: " + err.right(200)).constData());
            return;
        }
        state.SetIterationTime(elapsed);
        seconds += elapsed;
    }
    const double n = double(state.iterations());
    state.counters["pixel B/s"] = benchmark::Counter(double(pixels) * n / seconds);
    state.counters["wire B/s"] = benchmark::Counter(double(wire) * n / seconds);
    state.counters["line %"] = benchmark::Counter(100.0 * double(wire) * n / seconds / kLineBytesPerSecond);
}

BENCHMARK(DebugDownloadOnLine)
    ->Args({800, 480})
    ->Args({320, 240})
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// `h5800 live show-image` of one w x h picture into h5800-sim emulating a
// 1,228,800 baud line: the realtime picture header, the terminal's 'U' and
// the pixels in 3000-byte chunks. Timed over the whole run of the command
// (its start-up and the picture's conversion included, no handshake in
// this command).
void ShowImageOnLine(benchmark::State &state)
{
    const int w = int(state.range(0));
    const int h = int(state.range(1));
    const QString image = gDir->filePath(QStringLiteral("show%1x%2.png").arg(w).arg(h));
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 3) & 0xFF, y & 0xFF, (x ^ y) & 0xFF));
    Simulator sim;
    if (!img.save(image)
        || !sim.start({QStringLiteral("--baud-delay"), QStringLiteral("1228800"), QStringLiteral("--size"),
                       QStringLiteral("800x480")})) {
        state.SkipWithError("cannot make the picture or start h5800-sim");
        return;
    }
    const int64_t pixels = h5::pictureBytes(w, h);
    const int64_t wire = 14 + 1 + pixels;
    double seconds = 0;
    for (auto _ : state) {
        QProcess cli;
        QElapsedTimer clock;
        clock.start();
        cli.start(gCli, {"live", "--port", sim.link, "show-image", image});
        if (!cli.waitForFinished(120000) || cli.exitCode() != 0) {
            state.SkipWithError(("show-image failed: " + cli.readAllStandardError().right(200)).constData());
            return;
        }
        const double elapsed = double(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(elapsed);
        seconds += elapsed;
    }
    const double n = double(state.iterations());
    state.counters["pixel B/s"] = benchmark::Counter(double(pixels) * n / seconds);
    state.counters["line %"] = benchmark::Counter(100.0 * double(wire) * n / seconds / kLineBytesPerSecond);
}

BENCHMARK(ShowImageOnLine)->Args({800, 480})->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);

// A host whose output drains as soon as it is handed over.
class DrainingHost : public h5::LinkHost
{
public:
    void send(const QByteArray &bytes) override { sent += bytes.size(); }
    void discard() override {}
    void discardInput() override {}
    void status(const QString &) override {}
    void message(const QString &) override {}
    bool ask(const QString &) override { return true; }
    void startTimer(int, int) override {}
    void stopTimer(int) override {}
    void closePort() override {}
    int64_t sent = 0;
};

void ChunkedSend(benchmark::State &state)
{
    const QByteArray bytes(qsizetype(state.range(0)), '\x5A');
    DrainingHost host;
    h5::DebugSession session(host);
    bool finished = false;
    session.setSendStatusSink([&finished](const QString &text) {
        if (text == QStringLiteral("下载完毕"))
            finished = true;
    });
    session.portOpened();
    for (auto _ : state) {
        finished = false;
        host.sent = 0;
        session.sendChunked(bytes, h5::LinkState::BulkSend);
        while (!finished)
            session.onOutputDrained();
        if (host.sent != bytes.size()) {
            state.SkipWithError("not every byte was sent");
            return;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes.size());
}

BENCHMARK(ChunkedSend)->Arg(30000)->Arg(1 << 20)->Arg(16 << 20)->Unit(benchmark::kMicrosecond);

QString tool(const char *env, const char *name)
{
    QString path = qEnvironmentVariable(env);
    if (path.isEmpty())
        path = QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(name);
    return QFileInfo(path).isExecutable() ? path : QString();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    gCli = tool("H5_CLI", "h5800");
    gSim = tool("H5_SIM", "h5800-sim");
    if (gCli.isEmpty() || gSim.isEmpty()) {
        std::fprintf(stderr, "bench_debug_link: h5800 or h5800-sim not found (build them or set H5_CLI, H5_SIM)\n");
        return 1;
    }
    gDir = std::make_unique<QTemporaryDir>();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gDir.reset();
    return 0;
}
