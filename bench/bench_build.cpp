// Project build speed on a stress project: 100 pages of 100 elements each
// (shapes, texts, controls with IDs unique across the project, bitmaps) on
// an 800 x 480 screen, showing 50 pictures of 800 x 480, half BMP and half
// JPEG. The project is made once, in a temporary folder.
//
//   OpenAllPages        project.openAllPages alone
//   Build               what "h5800 build" does: openAllPages, then
//                       buildProject (saving and compiling every page,
//                       project data, picture data, control ID check)
//   BuildRewritingEverything
//                       the same build when none of its outputs is current
//                       (every file written, synced and renamed)
//   ConvertPictures     convertPicture on the 50 pictures at 800 x 480,
//                       the picture part of the build on its own
//   BuildFilesFullWithNewCache
//                       buildProjectFiles with an empty cache: what the
//                       first build of the app or of `h5800 watch` costs
//                       (every page compiled, every picture converted)
//   BuildFilesOnePageSaved
//                       the watch's build after one page was saved as the
//                       editor saves it, pictures unchanged, the cache
//                       kept from the build before
//
// (Build - ConvertPictures) / ConvertPictures is what the build costs
// beyond the picture conversion it cannot avoid. The builds convert on all
// cores, ConvertPictures on one: to compare them on equal terms run the
// benchmark on one core (taskset -c 0 bench_build). Build's first run is the project's first
// build in the process: it writes every output and takes its memory fresh
// from the system (later builds reuse it, see common/BigBuffer.h), so its
// mean lies above a steady rebuild. PageChangedSinceBuild and
// PreviewRead (below) measure the preview's check of a build.

#include "common/Gbk.h"
#include "pictures/PictureConvert.h"
#include "project/Build.h"
#include "project/Project.h"
#include "terminal/BuiltProject.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <memory>
#include <string>
#include <vector>

using namespace h5;

namespace {

constexpr int kPages = 100;
constexpr int kElementsPerPage = 100;
constexpr int kPictures = 50;
constexpr int kControlsPerPage = 15;
constexpr int kW = 800;
constexpr int kH = 480;

class CountingNotifier : public Notifier
{
public:
    void message(const QString &text) override
    {
        ++messages;
        last = text;
    }
    bool question(const QString &) override { return true; }
    void status(const QString &) override {}
    int messages = 0;
    QString last;
};

// Gradients, shapes and noise that differ from picture to picture, so no
// two JPEGs compress alike.
QImage makePicture(int index)
{
    QImage img(kW, kH, QImage::Format_RGB32);
    uint32_t seed = 12345u + uint32_t(index) * 7919u;
    for (int y = 0; y < kH; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < kW; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = int((seed >> 16) & 31);
            line[x] = qRgb((x * 255 / kW + index * 5 + noise) & 0xFF,
                           (y * 255 / kH + index * 11 + noise) & 0xFF,
                           ((x ^ (y + index)) + noise) & 0xFF);
        }
    }
    QPainter p(&img);
    p.setBrush(QColor((index * 37) & 0xFF, 40, 90));
    p.drawEllipse(50 + index * 7, 40 + index * 3, 300, 200);
    p.setBrush(QColor(20, (index * 53) & 0xFF, 240));
    p.drawRect(450 - index * 4, 200, 250, 220);
    return img;
}

// Picture i: BMP for odd numbers, JPEG for even ones; every fifth has a
// Chinese name, as pictures in real projects often do.
QString pictureName(int i)
{
    const QString stem = i % 5 == 0 ? QStringLiteral("背景%1").arg(i, 2, 10, QLatin1Char('0'))
                                    : QStringLiteral("pic%1").arg(i, 2, 10, QLatin1Char('0'));
    return stem + (i % 2 ? QStringLiteral(".bmp") : QStringLiteral(".jpg"));
}

CGraph shape(int kind, int x1, int y1, int x2, int y2, int i)
{
    CGraph e;
    e.m_nKind = kind;
    e.m_ptStart = {x1, y1};
    e.m_ptEnd = {x2, y2};
    e.m_crColor1 = RGB(i & 0xFF, (i * 3) & 0xFF, 0x80);
    e.m_crColor2 = RGB(0x40, x2 & 0xFF, y2 & 0xFF);
    e.m_crColor3 = RGB(0xC0, 0xC0, 0xC0);
    e.m_crColor4 = RGB(0xFF, 0, 0);
    return e;
}

CGraph background(int picture, const std::string &name)
{
    CGraph b = shape(Kind::Bitmap, 0, 0, kW, kH, picture);
    b.m_nNumber = picture;
    b.m_nAttr = int(pictureBlocks(kW, kH));
    b.m_strText1 = name;
    return b;
}

CGraph control(int k, int id, int x, int y, const std::string &caption)
{
    switch (k % 5) {
    case 0: {
        CGraph s = shape(Kind::StringCtrl, x, y, x + 80, y + 16, id);
        s.m_nAttr = 1 | (10 << 8);
        s.m_nCtrlID = id;
        return s;
    }
    case 1: {
        CGraph n = shape(Kind::NumericCtrl, x, y, x + 48, y + 16, id);
        n.m_nCtrlID = id;
        n.m_nValue1 = 1;
        n.m_nValue2 = 4;
        n.m_nValue4 = 9999;
        return n;
    }
    case 2: {
        CGraph l = shape(Kind::BarCtrl, x, y, x + 100, y + 14, id);
        l.m_nCtrlID = id;
        l.m_nValue4 = 100;
        return l;
    }
    case 3: {
        CGraph o = shape(Kind::ButtonCtrl, x, y, x + 60, y + 24, id);
        o.m_nCtrlID = id;
        o.m_nStyle = 0x42;
        o.m_nExtra = 0x11;
        o.m_nNumber = 1024;
        o.m_strText1 = caption;
        return o;
    }
    default: {
        CGraph t = shape(Kind::TextCtrl, x, y, x + 120, y + 40, id);
        t.m_nCtrlID = id;
        t.m_nAttr = 1 << 8;
        return t;
    }
    }
}

// Page p shows picture p % 50 as its background and a second picture over
// it, so every picture is used by several pages.
Page stressPage(int p, const std::vector<std::string> &names)
{
    const std::vector<std::string> captions = {
        "OK", toGbk(QStringLiteral("温度")), "Speed rpm", toGbk(QStringLiteral("报警记录")),
        toGbk(QStringLiteral("设置")), "0.00",
    };
    Page page;
    page.settings = CTypeGraph(3, (p % 3) * 4, p, p + 1 < kPages ? p + 1 : 1024, 0, 0);
    page.elements.push_back(background(p % kPictures, names[std::size_t(p % kPictures)]));
    const int second = (p * 7 + 3) % kPictures;
    page.elements.push_back(background(second, names[std::size_t(second)]));
    int controls = 0;
    for (int i = 2; i < kElementsPerPage; ++i) {
        const int x = (i * 37 + p * 11) % 700;
        const int y = (i * 23 + p * 5) % 420;
        const std::string &caption = captions[std::size_t(i + p) % captions.size()];
        if (i % 6 == 0 && controls < kControlsPerPage) {
            page.elements.push_back(control(controls, p * kControlsPerPage + controls, x, y, caption));
            ++controls;
            continue;
        }
        switch (i % 8) {
        case 0: page.elements.push_back(shape(Kind::Line, x, y, x + 50, y + 20, i)); break;
        case 1: page.elements.push_back(shape(Kind::HollowRect, x, y, x + 60, y + 30, i)); break;
        case 2: page.elements.push_back(shape(Kind::SolidRect, x, y, x + 40, y + 20, i)); break;
        case 3: page.elements.push_back(shape(Kind::SolidEllipse, x, y, x + 30, y + 20, i)); break;
        case 4: page.elements.push_back(shape(Kind::HollowCircle, x, y, x + 12, y + 12, i)); break;
        default: {
            CGraph t = shape(Kind::Text, x, y, x + 64, y + 16, i);
            t.m_nAttr = (9 << 8) | (2 << 16);
            t.m_strText1 = "1";
            t.m_strText3 = "2";
            t.m_strText2 = caption;
            page.elements.push_back(t);
            break;
        }
        }
    }
    return page;
}

struct StressProject
{
    QTemporaryDir tmp;
    Project project;
    std::vector<QString> picturePaths;
    QString error;

    StressProject()
    {
        CountingNotifier notifier;
        if (!Project::create(tmp.path(), QStringLiteral("stress"), 3, project, notifier, &error)) {
            error = QStringLiteral("cannot create the project: ") + error;
            return;
        }
        std::vector<std::string> names;
        for (int i = 0; i < kPictures; ++i) {
            const QString name = pictureName(i);
            const QString path = project.picturesDir() + QLatin1Char('/') + name;
            const bool bmp = i % 2 != 0;
            if (!makePicture(i).save(path, bmp ? "BMP" : "JPEG", 90)) {
                error = QStringLiteral("cannot write ") + path;
                return;
            }
            picturePaths.push_back(path);
            names.push_back(toGbk(name));
        }
        // All pages go in through one piece of project work: one write of
        // the project and picture position files instead of a hundred.
        ProjectWork work(project);
        if (!work.begin(&error))
            return;
        for (int p = 0; p < kPages; ++p) {
            work.projectFile.setSlot(p, 1);
            work.projectFileChanged = true;
            OpenPage page{stressPage(p, names), project.pagePath(p)};
            if (!work.savePage(page, notifier, &error))
                return;
        }
        if (!work.commit(&error))
            return;
        if (notifier.messages)
            error = QStringLiteral("saving the pages said: ") + notifier.last;
    }
};

std::unique_ptr<StressProject> gProject;

const StressProject *stressProject(benchmark::State &state)
{
    if (!gProject)
        gProject = std::make_unique<StressProject>();
    if (!gProject->error.isEmpty()) {
        state.SkipWithError(gProject->error.toStdString().c_str());
        return nullptr;
    }
    return gProject.get();
}

void OpenAllPages(benchmark::State &state)
{
    const StressProject *s = stressProject(state);
    if (!s)
        return;
    for (auto _ : state) {
        CountingNotifier notifier;
        QString error;
        int failures = 0;
        std::vector<OpenPage> pages = s->project.openAllPages(notifier, &error, &failures);
        if (pages.size() != std::size_t(kPages) || failures) {
            state.SkipWithError("not every page opened");
            break;
        }
        benchmark::DoNotOptimize(pages.data());
    }
}
BENCHMARK(OpenAllPages)->Iterations(3)->Unit(benchmark::kMillisecond);

void Build(benchmark::State &state)
{
    const StressProject *s = stressProject(state);
    if (!s)
        return;
    for (auto _ : state) {
        CountingNotifier notifier;
        QString error;
        int failures = 0;
        std::vector<OpenPage> pages = s->project.openAllPages(notifier, &error, &failures);
        const BuildResult r = buildProject(s->project, pages, notifier);
        if (!r.completed || !r.report.isEmpty() || failures || notifier.messages) {
            const QString why = !r.completed ? r.error
                : !r.report.isEmpty()         ? r.report
                                              : notifier.last;
            state.SkipWithError(("build failed: " + why.toStdString()).c_str());
            break;
        }
    }
    state.counters["pages"] = kPages;
    state.counters["pictures"] = kPictures;
}
BENCHMARK(Build)->Iterations(3)->Unit(benchmark::kMillisecond);

// A build that must write everything again: before each run (untimed) the
// picture data and project data of the last build are cut off, so the run
// stages and syncs the whole picture position file (about 41 MB) and the
// project file before replacing them. The plain Build above mostly finds
// its outputs unchanged and only compares them.
void BuildRewritingEverything(benchmark::State &state)
{
    const StressProject *s = stressProject(state);
    if (!s)
        return;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::resize(s->project.positionFilePath(), kSlotAreaSize);
        QFile::resize(s->project.file, kProjectDataOffset);
        state.ResumeTiming();
        CountingNotifier notifier;
        QString error;
        std::vector<OpenPage> pages = s->project.openAllPages(notifier, &error);
        const BuildResult r = buildProject(s->project, pages, notifier);
        if (!r.completed || !r.report.isEmpty()) {
            state.SkipWithError(("build failed: " + (r.completed ? r.report : r.error).toStdString()).c_str());
            break;
        }
    }
}
BENCHMARK(BuildRewritingEverything)->Iterations(3)->Unit(benchmark::kMillisecond);

void ConvertPictures(benchmark::State &state)
{
    const StressProject *s = stressProject(state);
    if (!s)
        return;
    QByteArray out;
    for (auto _ : state) {
        for (const QString &path : s->picturePaths) {
            QString error;
            if (!convertPicture(path, kW, kH, out, &error)) {
                state.SkipWithError(("conversion failed: " + error.toStdString()).c_str());
                return;
            }
            benchmark::DoNotOptimize(out.constData());
        }
    }
    state.counters["pictures"] = kPictures;
}
BENCHMARK(ConvertPictures)->Iterations(3)->Unit(benchmark::kMillisecond);

void BuildFilesFullWithNewCache(benchmark::State &state)
{
    const StressProject *s = stressProject(state);
    if (!s)
        return;
    for (auto _ : state) {
        BuildCache cache;
        CountingNotifier notifier;
        const BuildResult r = buildProjectFiles(s->project, cache, notifier);
        if (!r.completed || !r.report.isEmpty() || notifier.messages) {
            state.SkipWithError(("build failed: " + (r.completed ? r.report : r.error).toStdString()).c_str());
            break;
        }
        state.counters["converted"] = cache.picturesConverted();
        state.counters["compiled"] = cache.pagesCompiled();
    }
}
BENCHMARK(BuildFilesFullWithNewCache)->Iterations(3)->Unit(benchmark::kMillisecond);

void BuildFilesOnePageSaved(benchmark::State &state)
{
    const StressProject *s = stressProject(state);
    if (!s)
        return;
    BuildCache cache;
    CountingNotifier notifier;
    if (!buildProjectFiles(s->project, cache, notifier).completed) {
        state.SkipWithError("first build failed");
        return;
    }
    // Files written less than two seconds ago are compared rather than
    // trusted; a user's pictures are older than that.
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Page 50 saved with one shape's colour changed, as the editor
        // saves it (page file, instruction file, page slot).
        OpenPage page;
        QString error;
        if (!s->project.openPage(s->project.pagePath(50), page, &error)) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
        page.page.elements[5].m_crColor1 = RGB(++round & 0xFF, 1, 2);
        if (!s->project.savePage(page, notifier, &error)) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
        state.ResumeTiming();
        const BuildResult r = buildProjectFiles(s->project, cache, notifier);
        if (!r.completed || !r.report.isEmpty() || cache.picturesConverted() != 0
            || cache.pagesCompiled() != 1) {
            state.SkipWithError(("build failed or redid too much: " + (r.completed ? r.report : r.error).toStdString()).c_str());
            break;
        }
        state.counters["trusted"] = cache.positionFileTrusted();
    }
}
BENCHMARK(BuildFilesOnePageSaved)->Iterations(10)->Unit(benchmark::kMillisecond);

// What `h5800 preview` and 终端预览 do before they draw, on the built stress
// project with nothing changed since the build:
//   PageChangedSinceBuild  every page file compiled in memory and compared
//                          with its segment of the project data
//   PreviewRead            BuiltProject::read: the .wgc and the picture
//                          position file read and checked whole, then the
//                          comparison above
void builtOnce(benchmark::State &state, const StressProject *s)
{
    if (QFileInfo(s->project.file).size() > kProjectDataOffset)
        return;
    CountingNotifier notifier;
    QString error;
    std::vector<OpenPage> pages = s->project.openAllPages(notifier, &error);
    const BuildResult r = buildProject(s->project, pages, notifier);
    if (!r.completed || !r.report.isEmpty())
        state.SkipWithError(("build failed: " + (r.completed ? r.report : r.error).toStdString()).c_str());
}

void PageChangedSinceBuild(benchmark::State &state)
{
    const StressProject *s = stressProject(state);
    if (!s)
        return;
    builtOnce(state, s);
    ProjectFile file;
    QString error;
    if (!file.load(s->project.file, &error)) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    const QByteArray data = file.bytes().mid(kProjectDataOffset);
    for (auto _ : state) {
        if (pageChangedSinceBuild(s->project, file, data) != -1) {
            state.SkipWithError("a page counts as changed right after the build");
            break;
        }
    }
    state.counters["pages"] = kPages;
}
BENCHMARK(PageChangedSinceBuild)->Iterations(3)->Unit(benchmark::kMillisecond);

void PreviewRead(benchmark::State &state)
{
    const StressProject *s = stressProject(state);
    if (!s)
        return;
    builtOnce(state, s);
    for (auto _ : state) {
        BuiltProject built;
        QString fault, error;
        if (BuiltProject::read(s->project.file, built, &fault, &error) != BuiltProject::Status::Ok) {
            state.SkipWithError((fault + ": " + error).toStdString().c_str());
            break;
        }
        benchmark::DoNotOptimize(built.pages.pages.size());
    }
}
BENCHMARK(PreviewRead)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gProject.reset();
    return 0;
}
