// Repainting a busy page: 1,000 elements, 20 of them full-screen 800 x 480
// pictures (10 BMP, 10 JPEG), drawn into an 800 x 480 image.
//
//   Repaint/cache_warm   pictures come decoded and stretched from the cache
//   Repaint/no_cache     every picture file is read and decoded on every
//                        repaint (what drawing without a cache costs)
//   Repaint/no_pictures  the other 980 elements alone
//
// and the page exports of the same page:
//
//   Export/page_bitmap   the page bitmap command: draw without labels on the
//                        page colour (warm cache) and build the 24-bit BMP
//   Export/bmp24         building the BMP bytes of an 800 x 480 image alone
//   Export/hex_text      the instruction hex text

#include "common/Gbk.h"
#include "model/ElementDraw.h"
#include "model/Page.h"
#include "model/PageRender.h"
#include "model/PictureCache.h"
#include "project/PageExport.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

using namespace h5;

namespace {

constexpr int kW = 800;
constexpr int kH = 480;

std::unique_ptr<QTemporaryDir> gDir;
std::vector<CGraph> gPage;
std::vector<CGraph> gShapesOnly;

QImage makePicture(int n)
{
    QImage img(kW, kH, QImage::Format_RGB32);
    for (int y = 0; y < kH; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < kW; ++x)
            line[x] = qRgb((x + n * 13) & 0xFF, (y + n * 29) & 0xFF, ((x ^ y) + n) & 0xFF);
    }
    QPainter p(&img);
    p.setBrush(QColor(200, 40, 90));
    p.drawEllipse(100 + n * 10, 80, 300, 200);
    return img;
}

CGraph make(int kind, QPoint a, QPoint b, COLORREF c1, COLORREF c2 = 0)
{
    return CGraph(kind, 0, a, b, 0, 0, c1, c2, RGB(200, 200, 200), RGB(0, 0, 0), 0, 0, 0, 0, 0,
                  0, 0, 0, "", "", "");
}

// 980 elements of every drawn kind at pseudo-random places.
std::vector<CGraph> makeShapes()
{
    std::vector<CGraph> out;
    uint32_t seed = 7;
    auto rnd = [&](int n) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) % uint32_t(n));
    };
    const std::string text = toGbk(QStringLiteral("温度 25.0"));
    for (int i = 0; i < 980; ++i) {
        const QPoint a(rnd(kW - 100), rnd(kH - 60));
        const QPoint b = a + QPoint(20 + rnd(80), 10 + rnd(50));
        const COLORREF c = RGB(rnd(256), rnd(256), rnd(256));
        CGraph g;
        switch (i % 14) {
        case 0: g = make(Kind::Line, a, b, c); break;
        case 1: g = make(Kind::HollowRect, a, b, c); break;
        case 2: g = make(Kind::SolidRect, a, b, c); break;
        case 3: g = make(Kind::HollowEllipse, a, b, c); break;
        case 4: g = make(Kind::SolidCircle, a, a + QPoint(8, 6), c); break;
        case 5:
        case 6:
            g = make(Kind::Text, a, a, c, RGB(0, 0, 80));
            g.m_nAttr = ((i % 4) << 16) | ((i % 2 ? 9 : 12) << 8) | (i % 3 == 0);
            g.m_strText1 = "1";
            g.m_strText3 = "0";
            g.m_strText2 = text;
            break;
        case 7: g = make(Kind::GroupBox, a, b, RGB(255, 255, 255), RGB(192, 192, 192)); break;
        case 8:
            g = make(Kind::Panel, a, b, RGB(255, 255, 255), RGB(128, 128, 128));
            g.m_nStyle = 2;
            break;
        case 9:
            g = make(Kind::ButtonCtrl, a, b, RGB(255, 255, 255), RGB(128, 128, 128));
            g.m_nStyle = 0x42;
            g.m_nExtra = 0x11;
            g.m_strText1 = toGbk(QStringLiteral("确定"));
            break;
        case 10:
            g = make(Kind::BarCtrl, a, b, c, RGB(0, 0, 0));
            g.m_nValue3 = -20;
            g.m_nValue4 = 80;
            g.m_nAttr = g.m_nStyle = i % 8;
            break;
        case 11:
            g = make(Kind::NumericCtrl, a, a, c, RGB(0, 0, 0));
            g.m_nAttr = (9 << 8) | 1;
            g.m_strText2 = "0025.5";
            break;
        case 12: g = make(Kind::StringCtrl, a, b, c, RGB(30, 30, 30)); break;
        default:
            g = make(Kind::PointerCtrl, a, a + QPoint(100, 100), c);
            g.m_nNumber = 10;
            g.m_nAttr = (10 << 24) | (2 << 16) | 35;
            g.m_nValue3 = 30;
            break;
        }
        out.push_back(g);
    }
    return out;
}

void repaint(benchmark::State &state, std::vector<CGraph> &elements, PictureCache *cache)
{
    QImage image(kW, kH, QImage::Format_RGB32);
    if (cache) {
        // Warm: the first paint decodes; the measured ones must not.
        QPainter p(&image);
        DrawContext ctx;
        ctx.picturesDir = gDir->path();
        ctx.screenWidth = kW;
        ctx.cache = cache;
        drawElements(elements, p, false, ctx);
    }
    const int decodesBefore = cache ? cache->decodes() : 0;
    for (auto _ : state) {
        image.fill(Qt::black);
        QPainter p(&image);
        DrawContext ctx;
        ctx.picturesDir = gDir->path();
        ctx.screenWidth = kW;
        ctx.cache = cache;
        drawElements(elements, p, false, ctx);
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    if (cache && cache->decodes() != decodesBefore)
        state.SkipWithError("a warm repaint decoded a picture again");
}

void RepaintWarm(benchmark::State &state)
{
    PictureCache cache;
    repaint(state, gPage, &cache);
}

void RepaintNoCache(benchmark::State &state) { repaint(state, gPage, nullptr); }

void RepaintNoPictures(benchmark::State &state) { repaint(state, gShapesOnly, nullptr); }

Page exportPage()
{
    Page page;
    page.settings = CTypeGraph(3, 0, 0, 1024, 0, RGB(0, 0, 0));
    page.elements = gPage;
    return page;
}

void ExportPageBitmap(benchmark::State &state)
{
    const Page page = exportPage();
    PictureCache cache;
    RenderOptions options;
    options.resolution = 3;
    options.picturesDir = gDir->path();
    options.cache = &cache;
    pageBitmap(page, options); // warm the cache
    for (auto _ : state) {
        const QByteArray bytes = bmp24Bytes(pageBitmap(page, options));
        benchmark::DoNotOptimize(bytes.constData());
    }
}

void ExportBmp24(benchmark::State &state)
{
    QImage image(kW, kH, QImage::Format_RGB32);
    image.fill(QColor(10, 20, 30));
    for (auto _ : state) {
        const QByteArray bytes = bmp24Bytes(image);
        benchmark::DoNotOptimize(bytes.constData());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kW * kH * 3);
}

void ExportHexText(benchmark::State &state)
{
    const Page page = exportPage();
    for (auto _ : state) {
        const QByteArray text = exportTextBytes(page);
        benchmark::DoNotOptimize(text.constData());
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts
    benchmark::Initialize(&argc, argv);

    gDir = std::make_unique<QTemporaryDir>();
    for (int n = 0; n < 20; ++n) {
        const bool jpeg = n % 2;
        const QString name = QStringLiteral("pic%1.%2").arg(n).arg(jpeg ? "jpg" : "bmp");
        if (!makePicture(n).save(gDir->filePath(name), jpeg ? "JPEG" : "BMP")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
            return 1;
        }
        CGraph g = make(Kind::Bitmap, {0, 0}, {kW, kH}, 0);
        g.m_nNumber = n;
        g.m_strText1 = toGbk(name);
        gPage.push_back(g);
    }
    gShapesOnly = makeShapes();
    // Pictures spread through the page, as a real page places them.
    std::vector<CGraph> page;
    for (std::size_t i = 0, p = 0; i < gShapesOnly.size(); ++i) {
        if (i % 49 == 0 && p < gPage.size())
            page.push_back(gPage[p++]);
        page.push_back(gShapesOnly[i]);
    }
    gPage = page;

    benchmark::RegisterBenchmark("Repaint/cache_warm", RepaintWarm)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Repaint/no_cache", RepaintNoCache)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Repaint/no_pictures", RepaintNoPictures)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Export/page_bitmap", ExportPageBitmap)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Export/bmp24", ExportBmp24)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Export/hex_text", ExportHexText)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
