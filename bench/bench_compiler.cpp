// Page compiler speed on a large page: 10,000 elements of every drawing kind
// plus a full control table (150 controls, a few of them pointers with a
// dial bitmap each), and the picture position update that follows a save.
//
//   CompilePage/10000          compilePage on the whole page
//   UpdatePicturePositions     writing the page's picture uses into the
//                              1,236,000-byte position file image

#include "project/Compiler.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace h5;

namespace {

class SilentNotifier : public Notifier
{
public:
    void message(const QString &) override {}
    bool question(const QString &) override { return true; }
    void status(const QString &) override {}
};

CGraph make(int kind, int x1, int y1, int x2, int y2)
{
    CGraph e;
    e.m_nKind = kind;
    e.m_ptStart = {x1, y1};
    e.m_ptEnd = {x2, y2};
    e.m_crColor1 = RGB(x1 & 0xFF, y1 & 0xFF, 0x80);
    e.m_crColor2 = RGB(0x40, x2 & 0xFF, y2 & 0xFF);
    e.m_crColor3 = RGB(0xC0, 0xC0, 0xC0);
    return e;
}

Page bigPage(int count)
{
    Page page;
    page.settings.m_nNextPage = 1024;
    page.elements.reserve(std::size_t(count));
    int controls = 0;
    for (int i = 0; page.elements.size() < std::size_t(count); ++i) {
        const int x = (i * 7) % 780;
        const int y = (i * 13) % 460;
        switch (i % 12) {
        case 0: page.elements.push_back(make(Kind::Line, x, y, x + 20, y + 15)); break;
        case 1: page.elements.push_back(make(Kind::HollowRect, x, y, x + 20, y + 15)); break;
        case 2: page.elements.push_back(make(Kind::SolidEllipse, x, y, x + 20, y + 15)); break;
        case 3: page.elements.push_back(make(Kind::HollowCircle, x, y, x + 7, y + 9)); break;
        case 4: {
            CGraph t = make(Kind::Text, x, y, x + 64, y + 16);
            t.m_nAttr = (9 << 8) | (2 << 16);
            t.m_strText1 = "1";
            t.m_strText3 = "2";
            t.m_strText2 = "Temperature \xCE\xC2\xB6\xC8";
            page.elements.push_back(t);
            break;
        }
        case 5: {
            CGraph g = make(Kind::GroupBox, x, y, x + 40, y + 30);
            page.elements.push_back(g);
            break;
        }
        case 6: {
            CGraph p = make(Kind::Panel, x, y, x + 40, y + 30);
            p.m_nStyle = 3;
            p.m_nAttr = i & 1;
            page.elements.push_back(p);
            break;
        }
        case 7: {
            CGraph b = make(Kind::Bitmap, x, y, x + 20, y + 20);
            b.m_nNumber = i % 600;
            b.m_strText1 = "picture" + std::to_string(i % 600) + ".bmp";
            page.elements.push_back(b);
            break;
        }
        default: {
            if (controls >= 150) {
                page.elements.push_back(make(Kind::SolidRect, x, y, x + 10, y + 10));
                break;
            }
            ++controls;
            if (controls % 10 == 0) {
                CGraph dial = make(Kind::Bitmap, x, y, x + 100, y + 100);
                dial.m_strText1 = "dial" + std::to_string(controls) + ".bmp";
                page.elements.push_back(dial);
                CGraph j = make(Kind::PointerCtrl, x, y, x + 100, y + 100);
                j.m_nCtrlID = controls;
                j.m_strText3 = dial.m_strText1;
                j.m_nAttr = 40 | (2 << 16) | (60 << 24);
                j.m_nNumber = 10;
                j.m_nValue4 = 270;
                page.elements.push_back(j);
            } else {
                CGraph o = make(Kind::ButtonCtrl, x, y, x + 60, y + 24);
                o.m_nCtrlID = controls;
                o.m_nStyle = 0x42;
                o.m_nExtra = 0x11;
                o.m_strText1 = "OK";
                page.elements.push_back(o);
            }
            break;
        }
        }
    }
    page.elements.resize(std::size_t(count));
    return page;
}

void CompilePage(benchmark::State &state)
{
    const Page page = bigPage(int(state.range(0)));
    SilentNotifier notifier;
    int64_t bytes = 0;
    for (auto _ : state) {
        CompiledPage r = compilePage(page, 1, notifier);
        bytes += r.instructionFile.size();
        benchmark::DoNotOptimize(r);
    }
    state.SetBytesProcessed(bytes);
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(CompilePage)->Arg(10000)->Unit(benchmark::kMillisecond);

void UpdatePicturePositions(benchmark::State &state)
{
    SilentNotifier notifier;
    const CompiledPage compiled = compilePage(bigPage(10000), 1, notifier);
    QByteArray file(kSlotAreaSize, '\0');
    for (auto _ : state) {
        updatePicturePositions(file, 1, compiled.pictures, nullptr);
        benchmark::DoNotOptimize(file.data());
    }
}
BENCHMARK(UpdatePicturePositions)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
