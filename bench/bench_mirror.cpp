// The debug window's mirror: one drawing frame drawn on the simulated
// screen (800 x 480 plus its border), as every command the user sends is.
// The target is well under a millisecond a shape.
//
//   Mirror/Shape/N   one frame of shape N (0 point, 1 line, 3 hollow and
//                    4 filled rectangle, 5 hollow and 6 filled ellipse,
//                    7 hollow and 8 filled circle) of a few hundred pixels
//   Mirror/Text      a 24-dot text of eight characters, Western and Chinese

#include "link/LiveCommands.h"
#include "terminal/LiveMirror.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

namespace {

void shape(benchmark::State &state)
{
    const auto kind = h5::LiveShape(state.range(0));
    const QByteArray frame = h5::shapeFrame(kind, 0xFFE0, QPoint(100, 80), QPoint(400, 300)).bytes;
    h5::LiveMirror mirror(800, 480);
    for (auto _ : state)
        benchmark::DoNotOptimize(mirror.draw(frame));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(shape)->Name("Mirror/Shape")->DenseRange(0, 8)->Unit(benchmark::kMicrosecond);

void text(benchmark::State &state)
{
    h5::LiveTextStyle style;
    style.sizeIndex = 2;
    const QByteArray frame = h5::textFrame(style, QPoint(20, 30), QStringLiteral("Live测试ABC中")).bytes;
    h5::LiveMirror mirror(800, 480);
    for (auto _ : state)
        benchmark::DoNotOptimize(mirror.draw(frame));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(text)->Name("Mirror/Text")->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv); // fonts for the text
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
