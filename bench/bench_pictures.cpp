// Picture conversion speed against the decoder's own speed, for an 800 x 480
// BMP and JPEG: converting a file should cost little more than decoding it.
//
//   Decode/<fmt>        QImage loading the file
//   ConvertFile/<fmt>   convertPicture(file) at the picture's own size
//   ConvertImage/<fmt>  the RGB565 pass alone, on the decoded picture

#include "pictures/PictureConvert.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

namespace {

constexpr int kW = 800;
constexpr int kH = 480;

std::unique_ptr<QTemporaryDir> gDir;
QString gBmp;
QString gJpeg;

// Gradients, shapes and noise, so the JPEG is not trivially compressible.
QImage makePicture()
{
    QImage img(kW, kH, QImage::Format_RGB32);
    uint32_t seed = 12345;
    for (int y = 0; y < kH; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < kW; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = int((seed >> 16) & 31);
            line[x] = qRgb((x * 255 / kW + noise) & 0xFF, (y * 255 / kH + noise) & 0xFF,
                           ((x ^ y) + noise) & 0xFF);
        }
    }
    QPainter p(&img);
    p.setBrush(QColor(200, 40, 90));
    p.drawEllipse(100, 80, 300, 200);
    p.setBrush(QColor(20, 180, 240));
    p.drawRect(450, 200, 250, 220);
    return img;
}

void addRate(benchmark::State &state)
{
    state.counters["Mpx/s"] = benchmark::Counter(double(kW) * kH * state.iterations() / 1e6,
                                                 benchmark::Counter::kIsRate);
}

void Decode(benchmark::State &state, const QString *path)
{
    for (auto _ : state) {
        QImage img(*path);
        benchmark::DoNotOptimize(img.constBits());
    }
    addRate(state);
}

void ConvertFile(benchmark::State &state, const QString *path)
{
    QByteArray out;
    for (auto _ : state) {
        if (!h5::convertPicture(*path, kW, kH, out))
            state.SkipWithError("conversion failed");
        benchmark::DoNotOptimize(out.constData());
    }
    addRate(state);
}

void ConvertImage(benchmark::State &state, const QString *path)
{
    const QImage img(*path);
    QByteArray out;
    for (auto _ : state) {
        h5::convertPicture(img, kW, kH, out);
        benchmark::DoNotOptimize(out.constData());
    }
    addRate(state);
}

} // namespace

int main(int argc, char **argv)
{
    gDir = std::make_unique<QTemporaryDir>();
    const QImage picture = makePicture();
    gBmp = gDir->filePath("bench.bmp");
    gJpeg = gDir->filePath("bench.jpg");
    if (!picture.save(gBmp, "BMP") || !picture.save(gJpeg, "JPEG", 90)) {
        std::fprintf(stderr, "could not write the benchmark pictures\n");
        return 1;
    }
    benchmark::RegisterBenchmark("Decode/bmp", Decode, &gBmp);
    benchmark::RegisterBenchmark("ConvertFile/bmp", ConvertFile, &gBmp);
    benchmark::RegisterBenchmark("ConvertImage/bmp", ConvertImage, &gBmp);
    benchmark::RegisterBenchmark("Decode/jpeg", Decode, &gJpeg);
    benchmark::RegisterBenchmark("ConvertFile/jpeg", ConvertFile, &gJpeg);
    benchmark::RegisterBenchmark("ConvertImage/jpeg", ConvertImage, &gJpeg);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gDir.reset();
    return 0;
}
