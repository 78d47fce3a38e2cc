// Pages run by the terminal's screen (800 x 480).
//
//   PageRun/1000      runPage of a page of 1,000 elements: a background fill,
//                     700 shapes (lines, rectangles, ellipses, circles of a
//                     few dozen pixels), 100 texts of six characters
//                     (four Western, two Chinese, 16 dots), 100 stored pictures of
//                     40 x 30 and 100 controls (bar graphs, buttons, text and
//                     string controls, numeric controls with 16-dot digits,
//                     image controls); target under 20 ms
//   PreviewCommand    `h5800 preview` of the demo project's page 0 as a
//                     process, wall time including start-up; target under
//                     200 ms
//
// h5800 is taken from beside this program, or from $H5_CLI.

#include "common/Flash.h"
#include "terminal/PageRun.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <random>

namespace {

QString gCli;

void le16(QByteArray &b, int v)
{
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}

QByteArray frame(int command, const QByteArray &params)
{
    return QByteArray(1, '\x1B') + char(command) + params + QByteArray("\xFF\xFF\xEE\xFF", 4);
}

QByteArray params(std::initializer_list<int> words)
{
    QByteArray p;
    for (int w : words)
        le16(p, w);
    return p;
}

QByteArray thousandElements()
{
    std::mt19937 rng(7);
    auto r = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    QByteArray s = frame(0x42, params({0x0010}));
    for (int i = 0; i < 700; ++i) {
        const int x = r(0, 740), y = r(0, 420), c = r(0, 0xFFFF);
        switch (i % 7) {
        case 0: s += frame(0x46, params({c, x, y, x + r(5, 60), y + r(5, 60)})); break;
        case 1: s += frame(0x5A, params({c, x, y, x + r(5, 60), y + r(5, 60)})); break;
        case 2: s += frame(0x41, params({c, x, y, x + r(5, 60), y + r(5, 60)})); break;
        case 3: s += frame(0x49, params({c, x + 30, y + 30, r(3, 30), r(3, 30)})); break;
        case 4: s += frame(0x4A, params({c, x + 30, y + 30, r(3, 30), r(3, 30)})); break;
        case 5: s += frame(0x59, params({c, x + 30, y + 30, r(3, 30)})); break;
        default: s += frame(0x4F, params({c, x + 30, y + 30, r(3, 30)})); break;
        }
    }
    const QByteArray text = QByteArray("Temp") + QByteArray::fromHex("CEC2B6C8"); // "Temp温度" in GBK
    for (int i = 0; i < 100; ++i) {
        QByteArray p = params({0xFFFF});
        p += char(1);
        p += char(0);
        le16(p, 0x001F);
        le16(p, r(0, 700));
        le16(p, r(0, 440));
        p += char(i % 2);
        p += char(0x20);
        s += frame(0x23, p + text);
    }
    for (int i = 0; i < 100; ++i)
        s += frame(0x29, params({1, r(0, 760), r(0, 450)}));
    for (int i = 0; i < 100; ++i) {
        const int x = r(0, 700), y = r(0, 400);
        switch (i % 6) {
        case 0:
            s += frame(0x6C, params({0x001F, x + 1, 0xF800, y + 1, 0xFFFF, x + 39, 0, y + 79, 0})
                                 + QByteArray(2, 0) + params({-50, 0, 50, 0, 0xFFFF, 0, 0}));
            break;
        case 1: s += frame(0x6F, params({0x8410, x + 3, y + 3, 0xFFFF, x + 77, y + 37, 0x4208}) + char(3)); break;
        case 2: s += frame(0x6E, params({0xFFFF}) + QByteArray(2, 1) + params({0x07E0, x, y, x + 90, y + 40}) + char(0x20) + char(0)); break;
        case 3: s += frame(0x69, params({0xFFFF, x, 0x001F, y}) + char(0x20) + char(8)); break;
        case 4:
            s += frame(0x6B, params({0xFFFF, x, 0x001F, y, 0xF800}) + char(4) + char(0) + params({0}) + char(1)
                                 + char(0) + params({123}) + char(16) + char(0) + params({9999}) + char(0)
                                 + char(0) + params({0, 0, 0, 0, 0}));
            break;
        default: s += frame(0x6D, params({x, y, 1, 2, 0}) + QByteArray(2, 0)); break;
        }
    }
    return s + frame(0x53, QByteArray(1, 0)) + frame(0x50, params({0xFFFF}));
}

QByteArray projectOf(const QByteArray &stream)
{
    QByteArray data = QByteArray::fromHex("7F1B75FFFFEEFF");
    QByteArray index(2 * h5::kPageSlots, '\xFF');
    index[0] = 0;
    index[1] = 0;
    QByteArray body = stream;
    const int pages = int((body.size() + h5::kFlashPage - 1) / h5::kFlashPage);
    body.append(QByteArray(qsizetype(pages) * h5::kFlashPage - body.size(), '\xFF'));
    return data + index + QByteArray::fromHex("7F1B560000") + char(pages) + char(0)
           + QByteArray::fromHex("FFFFEEFF") + body;
}

bool picture(int number, h5::TerminalScreen::Picture &out)
{
    if (number != 1)
        return false;
    out.width = 40;
    out.height = 30;
    static const QByteArray pixels = [] {
        QByteArray b;
        for (int i = 0; i < 40 * 30; ++i)
            le16(b, i * 37);
        return b;
    }();
    out.read = [](int64_t offset, int64_t length) { return pixels.mid(qsizetype(offset), qsizetype(length)); };
    return true;
}

void PageRun(benchmark::State &state)
{
    h5::ProjectPages pages;
    if (!h5::readProjectPages(projectOf(thousandElements()), pages, nullptr) || !pages.has(0)) {
        state.SkipWithError("the page could not be read");
        return;
    }
    h5::TerminalScreen screen(800, 480);
    for (auto _ : state) {
        const h5::PageEnd end = h5::runPage(screen, pages, 0, picture);
        benchmark::DoNotOptimize(end);
    }
    state.counters["controls_outlined"] = screen.record().controlsOutlined;
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(PageRun)->Arg(1000)->Unit(benchmark::kMillisecond);

QTemporaryDir *gDemo = nullptr;

void PreviewCommand(benchmark::State &state)
{
    const QString wgc = gDemo->filePath(QStringLiteral("demo/demo.wgc"));
    const QString out = gDemo->filePath(QStringLiteral("page.png"));
    for (auto _ : state) {
        QProcess p;
        p.start(gCli, {QStringLiteral("preview"), wgc, QStringLiteral("--page"), QStringLiteral("0"),
                       QStringLiteral("-o"), out});
        if (!p.waitForFinished(30000) || p.exitCode() != 0) {
            state.SkipWithError("h5800 preview failed");
            return;
        }
    }
}
BENCHMARK(PreviewCommand)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts for texts and numeric controls
    gCli = qEnvironmentVariable("H5_CLI");
    if (gCli.isEmpty())
        gCli = QCoreApplication::applicationDirPath() + QStringLiteral("/h5800");
    if (!QFileInfo(gCli).isExecutable()) {
        std::fprintf(stderr, "bench_page_exec: %s not found (build h5800 or set H5_CLI)\n",
                     gCli.toLocal8Bit().constData());
        return 1;
    }
    QTemporaryDir demo;
    gDemo = &demo;
    QProcess make;
    make.start(gCli, {QStringLiteral("demo"), demo.path()});
    if (!make.waitForFinished(60000) || make.exitCode() != 0) {
        std::fprintf(stderr, "bench_page_exec: h5800 demo failed\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
