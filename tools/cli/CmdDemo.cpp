// h5800 demo: a sample project with every element kind the editor makes,
// pictures drawn on the spot (BMP and JPEG), built at the end.

#include "Cli.h"

#include "common/FileIo.h"
#include "common/Gbk.h"
#include "project/Build.h"
#include "project/Project.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QtMath>

using namespace h5cli;
using h5::CGraph;
using h5::RGB;

namespace {

// Pictures the sample uses, drawn without any font so no screen is needed.
bool makePictures(const QString &dir, QString *error)
{
    QDir().mkpath(dir);
    QImage dial(200, 200, QImage::Format_RGB32);
    dial.fill(QColor(30, 30, 40));
    {
        QPainter p(&dial);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(220, 220, 220), 3));
        p.setBrush(QColor(60, 60, 80));
        p.drawEllipse(QPointF(100, 100), 95, 95);
        for (int deg = 0; deg <= 180; deg += 15) {
            const double a = qDegreesToRadians(double(deg));
            const QPointF dir(-std::cos(a), -std::sin(a));
            p.setPen(QPen(deg % 45 ? QColor(200, 200, 200) : QColor(255, 200, 0), deg % 45 ? 2 : 4));
            p.drawLine(QPointF(100, 100) + dir * 80, QPointF(100, 100) + dir * 92);
        }
    }
    QImage logo(160, 60, QImage::Format_RGB32);
    for (int y = 0; y < logo.height(); ++y)
        for (int x = 0; x < logo.width(); ++x)
            logo.setPixel(x, y, qRgb(x * 255 / 159, 80 + y * 2, 255 - x * 255 / 159));
    QImage lampOff(40, 40, QImage::Format_RGB32), lampOn(40, 40, QImage::Format_RGB32);
    for (QImage *img : {&lampOff, &lampOn}) {
        img->fill(Qt::black);
        QPainter p(img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(img == &lampOn ? QColor(40, 230, 60) : QColor(70, 70, 70));
        p.drawEllipse(QPointF(20, 20), 17, 17);
    }
    const struct { const QImage &image; const char *name; const char *format; } files[] = {
        {dial, "表盘.bmp", "BMP"},
        {logo, "logo.jpg", "JPEG"},
        {lampOff, "lamp_off.bmp", "BMP"},
        {lampOn, "lamp_on.bmp", "BMP"},
    };
    for (const auto &f : files) {
        const QString path = dir + QLatin1Char('/') + QString::fromUtf8(f.name);
        QByteArray encoded;
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        // A new picture takes its resolution from the screen when there is
        // one; the files say 72 dots per inch wherever they are made, so
        // the sample is the same bytes with a screen or without.
        QImage image = f.image;
        image.setDotsPerMeterX(2835);
        image.setDotsPerMeterY(2835);
        if (!image.save(&buffer, f.format, 90)) {
            if (error)
                *error = QStringLiteral("%1: cannot encode the picture").arg(path);
            return false;
        }
        if (!h5::writeFileAtomically(path, encoded, error))
            return false;
    }
    return true;
}

CGraph shape(int kind, QPoint a, QPoint b, h5::COLORREF colour)
{
    return CGraph(kind, 0, a, b, 0, 0, colour, colour, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "", "", "");
}

CGraph text(QPoint at, int dots, int face, const QString &s, h5::COLORREF fore, h5::COLORREF back)
{
    static const int sizeCodes[][2] = {{8, 3}, {12, 6}, {16, 9}, {24, 12}, {32, 15}, {48, 21}, {64, 27}};
    int code = 9;
    for (const auto &sc : sizeCodes)
        if (sc[0] == dots)
            code = sc[1];
    const QStringList lines = s.split(QStringLiteral("\r\n"));
    int widest = 0;
    for (const QString &l : lines)
        widest = std::max(widest, int(h5::toGbk(l).size()) * dots / 2);
    return CGraph(h5::Kind::Text, 0, at, at + QPoint(widest, dots * int(lines.size())),
                  1 | (code << 8) | (face << 16), 0, fore, back, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "0",
                  "0", h5::toGbk(s));
}

CGraph button(int id, QPoint a, QPoint b, const QString &caption, int nextPage)
{
    // Border 3, caption shown; caption centred in 16 dots; send the ID and
    // switch to the next page.
    return CGraph(h5::Kind::ButtonCtrl, id, a, b, 1 | 2, nextPage, RGB(255, 255, 255),
                  RGB(128, 128, 128), RGB(212, 208, 200), RGB(0, 0, 0), 0, 0, 0, 0, 0, 0,
                  0x40 | 3, (1 << 4) | 1, h5::toGbk(caption), "", "");
}

int demo(const QStringList &argsIn)
{
    QStringList args = argsIn;
    expectPositional(args, 1, "demo");
    CliNotifier notifier;
    QString error;
    h5::Project project;
    const QString projectDir = QDir::cleanPath(QDir(args[0]).absolutePath() + QStringLiteral("/demo"));
    const bool dirExisted = QFileInfo::exists(projectDir);
    bool created = false;
    auto fail = [&]() {
        if (!error.isEmpty())
            err() << "h5800: " << error << Qt::endl;
        // A failed demo takes away what it made, so running it again works:
        // the whole folder when it made the folder, else the project file
        // (without which the folder is no project, and a new one may start).
        if (created) {
            if (!dirExisted)
                QDir(projectDir).removeRecursively();
            else
                QFile::remove(project.file);
        }
        return ExitBadInput;
    };

    if (!h5::Project::create(QDir(args[0]).absolutePath(), QStringLiteral("demo"), 3, project,
                             notifier, &error))
        return fail();
    created = true;
    const QString sources = project.dir + QStringLiteral("/素材");
    if (!makePictures(sources, &error))
        return fail();

    // Page 0: every shape and control kind.
    h5::NewPageValues v0;
    v0.pageNo = 0;
    v0.nextPage = 1024;
    h5::OpenPage page0;
    if (project.newPage(v0, notifier, page0, nullptr, &error) != h5::Project::NewPageResult::Created)
        return fail();
    page0.page.settings.m_crBack = RGB(0, 0, 64);
    auto &e = page0.page.elements;
    CGraph group = shape(h5::Kind::GroupBox, {10, 10}, {390, 230}, RGB(255, 255, 255));
    group.m_crColor2 = RGB(192, 192, 192);
    group.m_crColor3 = RGB(236, 233, 216);
    group.m_nStyle = 3;
    e.push_back(group);
    e.push_back(text({24, 24}, 24, 2, QStringLiteral("温度监测"), RGB(255, 255, 0), RGB(0, 0, 64)));
    e.push_back(text({24, 60}, 16, 0, QStringLiteral("压力 Pressure\r\n流量 Flow"),
                     RGB(255, 255, 255), RGB(0, 0, 64)));
    e.push_back(shape(h5::Kind::Line, {20, 240}, {780, 240}, RGB(255, 255, 0)));
    e.push_back(shape(h5::Kind::HollowRect, {20, 250}, {120, 330}, RGB(0, 255, 0)));
    e.push_back(shape(h5::Kind::SolidRect, {130, 250}, {230, 330}, RGB(0, 128, 255)));
    e.push_back(shape(h5::Kind::HollowEllipse, {240, 250}, {340, 330}, RGB(255, 128, 0)));
    e.push_back(shape(h5::Kind::SolidEllipse, {350, 250}, {450, 330}, RGB(255, 0, 128)));
    e.push_back(shape(h5::Kind::HollowCircle, {500, 290}, {540, 290}, RGB(0, 255, 255)));
    e.push_back(shape(h5::Kind::SolidCircle, {580, 290}, {605, 290}, RGB(255, 255, 255)));
    CGraph panel = shape(h5::Kind::Panel, {20, 350}, {300, 470}, RGB(255, 255, 255));
    panel.m_crColor2 = RGB(128, 128, 128);
    panel.m_crColor3 = RGB(212, 208, 200);
    panel.m_nStyle = 2;
    e.push_back(panel);
    e.push_back(CGraph(h5::Kind::StringCtrl, 3, {40, 370}, {40 + 16 * 10, 386}, 1 | (10 << 8), 0,
                       RGB(0, 0, 0), RGB(212, 208, 200), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "", "",
                       ""));

    // The dial picture and its pointer control, the lamps for the image
    // control. Each placement is saved at once, as in the editor, so the
    // next picture gets the next free number.
    const struct { const char *file; QPoint at; } placed[] = {
        {"表盘.bmp", {420, 20}}, {"lamp_off.bmp", {700, 260}}, {"lamp_on.bmp", {740, 260}}};
    int lampNumber[2] = {0, 0};
    for (int i = 0; i < 3; ++i) {
        CGraph bitmap;
        if (!project.placePicture(sources + QLatin1Char('/') + QString::fromUtf8(placed[i].file),
                                  placed[i].at, bitmap, notifier, &error))
            return fail();
        if (i > 0)
            lampNumber[i - 1] = bitmap.m_nNumber;
        e.push_back(bitmap);
        if (!project.savePage(page0, notifier, &error))
            return fail();
    }
    const QPoint centre(520, 120);
    const int inner = 10, needle = 80, half = inner + needle + 5;
    e.push_back(CGraph(h5::Kind::PointerCtrl, 5, centre - QPoint(half, half),
                       centre + QPoint(half, half), needle | (2 << 16) | (37 << 24), inner,
                       RGB(255, 0, 0), 0, 0, RGB(255, 0, 255), 0, 0, /*max*/ 100, /*min*/ 0,
                       /*start angle*/ 0, /*end angle*/ 180, 0, 100,
                       h5::toGbk(project.picturesDir() + QStringLiteral("/表盘.bmp")),
                       h5::toGbk(QStringLiteral("表盘.bmp")), ""));
    e.push_back(CGraph(h5::Kind::NumericCtrl, 1, {640, 30}, {712, 54}, (12 << 8) + 1, 0,
                       RGB(255, 255, 255), RGB(0, 0, 64), 0, RGB(255, 0, 0), RGB(0, 0, 64), 0,
                       /*decimals*/ 1, /*integer digits*/ 3, -500, 1500, 1, (0 << 16) | 9999, "",
                       "", "025.0"));
    e.push_back(CGraph(h5::Kind::BarCtrl, 2, {640, 70}, {680, 220}, 0, 0, RGB(0, 255, 0),
                       RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 0, 0), RGB(0, 0, 0), 0, 0, 0, 0,
                       100, 0, 100, "", "", ""));
    e.push_back(CGraph(h5::Kind::ImageCtrl, 4, {700, 310}, {740, 350}, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                       0, lampNumber[0], lampNumber[1], 0, 0, "", "", ""));
    e.push_back(button(6, {650, 400}, {790, 460}, QStringLiteral("下一页"), 1));
    if (!project.savePage(page0, notifier, &error))
        return fail();

    // Page 1: the JPEG logo and a way back.
    h5::NewPageValues v1;
    v1.pageNo = 1;
    v1.nextPage = 0;
    v1.delay = 5;
    h5::OpenPage page1;
    if (project.newPage(v1, notifier, page1, nullptr, &error) != h5::Project::NewPageResult::Created)
        return fail();
    CGraph logo;
    if (!project.placePicture(sources + QStringLiteral("/logo.jpg"), {320, 40}, logo, notifier, &error))
        return fail();
    page1.page.elements.push_back(logo);
    page1.page.elements.push_back(text({250, 140}, 32, 0, QStringLiteral("H5800 智能终端"),
                                       RGB(255, 255, 255), 0));
    page1.page.elements.push_back(button(7, {20, 400}, {160, 460}, QStringLiteral("返回"), 0));
    if (!project.savePage(page1, notifier, &error))
        return fail();

    // Build as "h5800 build" does.
    std::vector<h5::OpenPage> pages = project.openAllPages(notifier, &error);
    const h5::BuildResult result = h5::buildProject(project, pages, notifier);
    if (!result.completed) {
        error = result.error;
        return fail();
    }
    out() << project.file << "\n";
    if (result.report.isEmpty())
        out() << result.finalMessage << "\n";
    else
        out() << result.report;
    return result.report.isEmpty() ? ExitOk : ExitProblems;
}

Registrar regDemo{{
    "demo",
    "create and build a sample project in LOCATION/demo",
    "usage: h5800 demo LOCATION\n\n"
    "Creates LOCATION/demo, a project for an 800x480 terminal with two pages that\n"
    "use every element kind the editor makes (shapes, text, group box, panel,\n"
    "pictures, string, pointer, numeric, bar graph, image and button controls),\n"
    "with pictures it draws itself (BMP and JPEG) in LOCATION/demo/素材, and\n"
    "builds it. Prints the project file and the build result.",
    demo,
}};

} // namespace
