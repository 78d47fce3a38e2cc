// Picture data pushed through CMSComm into h5800-sim over a pseudo-terminal,
// stop and wait: one 2112-byte packet out, one acknowledge back. The rate is
// the host and simulator cost per packet with no line speed emulated; at
// 1,228,800 baud the line itself carries about 0.12 MB/s.
//
//   PicturePackets/<w>/<h>/0   one picture (header and its packets) per iteration
//   PicturePackets/<w>/<h>/1   the same into a simulator keeping its flash in a
//                              file, saved after every picture; each picture
//                              goes to fresh blocks so the file keeps growing
//
// h5800-sim is taken from beside this program, or from $H5_SIM.

#include "port/CMSComm.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

namespace {

struct Simulator
{
    QProcess process;
    h5::CMSComm line;

    bool start(const QString &path, const QStringList &args)
    {
        process.start(path, args);
        if (!process.waitForStarted(5000))
            return false;
        QDeadlineTimer deadline(5000);
        while (!process.canReadLine() && !deadline.hasExpired())
            process.waitForReadyRead(100);
        const QString device = QString::fromLocal8Bit(process.readLine()).trimmed();
        if (device.isEmpty())
            return false;
        line.setDevice(device);
        line.setSettings(QStringLiteral("1228800,n,8,1"));
        return line.open();
    }
    ~Simulator()
    {
        line.close();
        process.terminate();
        if (!process.waitForFinished(10000))
            process.kill();
        process.waitForFinished(5000);
    }
};

std::unique_ptr<Simulator> gSims[2]; // without and with a flash file
h5::CMSComm *gLine = nullptr;

// Sends `bytes` and waits (at most 5 s) for the one-byte answer.
bool exchange(const QByteArray &bytes, QEventLoop &loop, QByteArray &answer)
{
    answer.clear();
    gLine->output(bytes);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    guard.start(5000);
    while (answer.isEmpty() && guard.isActive()) {
        answer += gLine->input();
        if (answer.isEmpty())
            loop.exec();
    }
    return answer == QByteArray(1, 0x55);
}

void PicturePackets(benchmark::State &state)
{
    const int w = int(state.range(0));
    const int h = int(state.range(1));
    gLine = &gSims[state.range(2)]->line;
    const QByteArray pixels(w * h * 2, '\x11');
    const int blocks = int((pixels.size() + 135167) / 135168);
    const auto header = [w, h](int block) {
        QByteArray f = QByteArray::fromHex("7F1B1C");
        for (int v : {1, block, w, h})
            f.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
        return f + QByteArray::fromHex("FFFFEEFF");
    };

    QEventLoop loop;
    const auto wake = QObject::connect(gLine, &h5::CMSComm::received, &loop, &QEventLoop::quit);
    QByteArray answer;
    int64_t packets = 0;
    int block = 0;
    for (auto _ : state) {
        if (block + blocks > 600)
            block = 0;
        const bool sent = exchange(header(block), loop, answer);
        block += blocks;
        if (!sent) {
            state.SkipWithError("no acknowledge for the picture header");
            break;
        }
        for (qsizetype at = 0; at < pixels.size(); at += 2112) {
            if (!exchange(pixels.mid(at, 2112), loop, answer)) {
                state.SkipWithError("no acknowledge for a picture packet");
                break;
            }
            ++packets;
        }
    }
    QObject::disconnect(wake);
    state.SetBytesProcessed(int64_t(state.iterations()) * pixels.size());
    state.counters["s/packet"] = benchmark::Counter(double(packets),
                                                     benchmark::Counter::kIsRate
                                                         | benchmark::Counter::kInvert);
}

// 800 x 480: 768,000 bytes, 364 packets; 27 of them make about 20 MB.
BENCHMARK(PicturePackets)
    ->Args({800, 480, 0})
    ->Args({800, 480, 1})
    ->Iterations(27)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(PicturePackets)->Args({100, 100, 0})->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString sim = qEnvironmentVariable("H5_SIM");
    if (sim.isEmpty())
        sim = QCoreApplication::applicationDirPath() + QStringLiteral("/h5800-sim");
    if (!QFileInfo(sim).isExecutable()) {
        std::fprintf(stderr, "bench_sim: %s not found (build h5800-sim or set H5_SIM)\n",
                     sim.toLocal8Bit().constData());
        return 1;
    }
    QTemporaryDir dir;
    const QStringList args[2] = {{}, {QStringLiteral("--flash"), dir.filePath(QStringLiteral("flash"))}};
    for (int i = 0; i < 2; ++i) {
        gSims[i] = std::make_unique<Simulator>();
        if (!gSims[i]->start(sim, args[i])) {
            std::fprintf(stderr, "bench_sim: cannot start or open %s\n", sim.toLocal8Bit().constData());
            return 1;
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (auto &s : gSims)
        s.reset();
    return 0;
}
