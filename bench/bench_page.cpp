// Page file speed on a large page: 10,000 elements of a realistic mix of
// shapes, texts (short captions, some of them Chinese in GBK), bitmaps and
// controls.
//
//   PageToFile/10000     Page::toPageFile, bytes in memory
//   PageFromFile/10000   Page::fromPageFile from bytes in memory
//   PageSave/10000       Page::save into a temporary folder (atomic replace)
//   PageLoad/10000       Page::load from that file

#include "common/Gbk.h"
#include "model/Page.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace h5;

namespace {

CGraph shape(int kind, int x1, int y1, int x2, int y2, int i)
{
    CGraph e;
    e.m_nKind = kind;
    e.m_ptStart = {x1, y1};
    e.m_ptEnd = {x2, y2};
    e.m_crColor1 = RGB(i & 0xFF, (i >> 3) & 0xFF, 0x80);
    e.m_crColor2 = RGB(0x40, x2 & 0xFF, y2 & 0xFF);
    e.m_crColor3 = RGB(0xC0, 0xC0, 0xC0);
    return e;
}

// A page as an engineer would draw it, scaled up: mostly shapes, a fifth
// texts, some pictures and a control now and then.
Page bigPage(int count)
{
    const std::vector<std::string> captions = {
        "OK",
        "Cancel",
        toGbk(QStringLiteral("温度")),
        toGbk(QStringLiteral("压力 (kPa)")),
        "Speed rpm",
        toGbk(QStringLiteral("报警记录")),
        toGbk(QStringLiteral("设置")),
        "0.00",
    };
    Page page;
    page.settings = CTypeGraph(3, 0, 1, 1024, 0, RGB(0, 0, 64));
    page.elements.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        const int x = (i * 7) % 760;
        const int y = (i * 13) % 440;
        const std::string &caption = captions[std::size_t(i) % captions.size()];
        switch (i % 20) {
        case 0: case 1: case 2:
            page.elements.push_back(shape(Kind::Line, x, y, x + 30, y + 12, i));
            break;
        case 3: case 4:
            page.elements.push_back(shape(Kind::HollowRect, x, y, x + 40, y + 20, i));
            break;
        case 5: case 6:
            page.elements.push_back(shape(Kind::SolidRect, x, y, x + 40, y + 20, i));
            break;
        case 7:
            page.elements.push_back(shape(Kind::SolidEllipse, x, y, x + 24, y + 16, i));
            break;
        case 8:
            page.elements.push_back(shape(Kind::HollowCircle, x, y, x + 9, y + 9, i));
            break;
        case 9: {
            CGraph p = shape(Kind::Panel, x, y, x + 60, y + 30, i);
            p.m_nStyle = 2;
            page.elements.push_back(p);
            break;
        }
        case 10: case 11: case 12: case 13: {
            CGraph t = shape(Kind::Text, x, y, x + 64, y + 16, i);
            t.m_nAttr = (9 << 8) | (2 << 16);
            t.m_strText1 = "1";
            t.m_strText3 = "2";
            t.m_strText2 = caption;
            page.elements.push_back(t);
            break;
        }
        case 14: case 15: {
            CGraph b = shape(Kind::Bitmap, x, y, x + 32, y + 32, i);
            b.m_nNumber = i % 600;
            b.m_nAttr = 1;
            b.m_strText1 = "icon" + std::to_string(i % 600) + ".bmp";
            b.m_strText3 = "icon" + std::to_string(i % 600);
            b.m_strText2 = "/home/user/project/pictures/" + b.m_strText1;
            page.elements.push_back(b);
            break;
        }
        case 16: {
            CGraph o = shape(Kind::ButtonCtrl, x, y, x + 60, y + 24, i);
            o.m_nCtrlID = i % 2048;
            o.m_nStyle = 0x42;
            o.m_nExtra = 0x11;
            o.m_strText1 = caption;
            page.elements.push_back(o);
            break;
        }
        case 17: {
            CGraph k = shape(Kind::NumericCtrl, x, y, x + 48, y + 16, i);
            k.m_nCtrlID = i % 2048;
            k.m_nValue1 = 1;
            k.m_nValue2 = 4;
            k.m_nValue4 = 9999;
            page.elements.push_back(k);
            break;
        }
        case 18: {
            CGraph s = shape(Kind::StringCtrl, x, y, x + 80, y + 16, i);
            s.m_nCtrlID = i % 2048;
            s.m_nAttr = 1 | (10 << 8);
            page.elements.push_back(s);
            break;
        }
        default: {
            CGraph l = shape(Kind::BarCtrl, x, y, x + 100, y + 14, i);
            l.m_nCtrlID = i % 2048;
            l.m_nValue4 = 100;
            page.elements.push_back(l);
            break;
        }
        }
    }
    return page;
}

void PageToFile(benchmark::State &state)
{
    const Page page = bigPage(int(state.range(0)));
    int64_t bytes = 0;
    for (auto _ : state) {
        const QByteArray data = page.toPageFile();
        bytes += data.size();
        benchmark::DoNotOptimize(data.constData());
    }
    state.SetBytesProcessed(bytes);
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(PageToFile)->Arg(10000)->Unit(benchmark::kMillisecond);

void PageFromFile(benchmark::State &state)
{
    const QByteArray data = bigPage(int(state.range(0))).toPageFile();
    for (auto _ : state) {
        Page page;
        QString error;
        if (!page.fromPageFile(data, &error)) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
        benchmark::DoNotOptimize(page.elements.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * data.size());
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(PageFromFile)->Arg(10000)->Unit(benchmark::kMillisecond);

void PageSave(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("1.wlp");
    const Page page = bigPage(int(state.range(0)));
    for (auto _ : state) {
        QString error;
        if (!page.save(path, &error)) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(PageSave)->Arg(10000)->Unit(benchmark::kMillisecond);

void PageLoad(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("1.wlp");
    QString error;
    if (!bigPage(int(state.range(0))).save(path, &error)) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    for (auto _ : state) {
        Page page;
        if (!page.load(path, &error)) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
        benchmark::DoNotOptimize(page.elements.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(PageLoad)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
