// h5800 render: a page drawn to a PNG file with the editor's own drawing, or
// to a .bmp file exactly as the page view's page bitmap command writes it.

#include "Cli.h"

#include "model/ElementDraw.h"
#include "model/Page.h"
#include "model/PageRender.h"
#include "model/PictureCache.h"
#include "project/PageExport.h"
#include "project/Project.h"

#include <QFileInfo>
#include <QImage>

#include <cstdio>
#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

using namespace h5cli;

namespace {

// libpng writes its errors straight to the process's stderr ("libpng
// error: IHDR: CRC error"), past Qt's message handler. The page is drawn
// with stderr on the null device, so the only lines about a picture are
// the ones printed after the drawing, which name it.
class QuietStderr
{
public:
    QuietStderr()
    {
        std::fflush(stderr);
        m_saved = dup(2);
#ifdef _WIN32
        const int null = open("NUL", O_WRONLY);
#else
        const int null = open("/dev/null", O_WRONLY);
#endif
        if (m_saved >= 0 && null >= 0)
            dup2(null, 2);
        if (null >= 0)
            close(null);
    }
    ~QuietStderr()
    {
        std::fflush(stderr);
        if (m_saved >= 0) {
            dup2(m_saved, 2);
            close(m_saved);
        }
    }
    QuietStderr(const QuietStderr &) = delete;
    QuietStderr &operator=(const QuietStderr &) = delete;

private:
    int m_saved = -1;
};

int renderCommand(QStringList args)
{
    const bool labels = takeFlag(args, QStringLiteral("labels"));
    const QString output = takeOutput(args);
    expectPositional(args, 1, QStringLiteral("render"));
    if (output.isEmpty())
        throw UsageError{QStringLiteral("render needs -o OUT.png or -o OUT.bmp")};
    // The page bitmap: written by the export's own code, never with labels.
    const bool pageBitmap = output.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive);
    if (pageBitmap && labels)
        throw UsageError{QStringLiteral("--labels does not apply to a page bitmap (.bmp)")};
    const QString pagePath = args.first();
    if (!QFileInfo(pagePath).isFile())
        return badInput(pagePath, QStringLiteral("no such file"));

    h5::Page page;
    QString error;
    if (!page.load(pagePath, &error))
        return badInput(pagePath, error);

    // The project the page belongs to gives the screen size and the picture
    // folder; a page on its own uses its recorded resolution and the picture
    // folder beside it.
    h5::RenderOptions options;
    options.labels = labels;
    h5::Project project;
    h5::RecordingNotifier quiet; // "请放入工程中!" is no error here
    QString projectError;
    if (h5::Project::openForPageFile(pagePath, project, quiet, &projectError)) {
        options.resolution = project.resolution;
        options.picturesDir = project.picturesDir();
    } else {
        if (!projectError.isEmpty())
            err() << "h5800: " << projectError << "; using the page's own settings" << Qt::endl;
        options.resolution = page.settings.m_nResolution;
        options.picturesDir = QFileInfo(pagePath).absolutePath() + QLatin1Char('/')
            + h5::picturesDirName();
    }
    h5::PictureCache cache;
    options.cache = &cache;
    // Pictures that do not draw are told by name, each once, below.
    std::vector<h5::PictureProblem> problems;
    options.pictureProblems = &problems;

    QImage image;
    {
        const QuietStderr quiet;
        image = pageBitmap ? h5::pageBitmap(page, options) : h5::renderPage(page, options);
    }
    if (image.isNull())
        return badInput(pagePath, QStringLiteral("unknown resolution index %1").arg(options.resolution));
    QStringList told;
    for (const h5::PictureProblem &p : problems) {
        if (told.contains(p.path))
            continue;
        told << p.path;
        err() << "h5800: " << p.path << ": "
              << (p.missing ? QStringLiteral("图片") + QFileInfo(p.path).fileName() + QStringLiteral("丢失!")
                            : QStringLiteral("渲染图象失败！"))
              << Qt::endl;
    }
    if (pageBitmap) {
        if (!h5::writeExportFile(output, h5::bmp24Bytes(image), &error))
            return badInput(output, QStringLiteral("cannot write: %1").arg(error));
    } else if (!writePng(output, image)) {
        return ExitBadInput;
    }
    // The page was drawn, but without the pictures named above.
    return told.isEmpty() ? ExitOk : ExitProblems;
}

const Registrar renderRegistrar{Command{
    QStringLiteral("render"),
    QStringLiteral("draw a page into a PNG file or its page bitmap (BMP)"),
    QStringLiteral(
        "usage: h5800 render PAGE.wlp -o OUT.png [--labels]\n"
        "       h5800 render PAGE.wlp -o OUT.bmp\n\n"
        "Draws the page as the editor shows it into a PNG of the screen size. The\n"
        "project is the .wgc named after the page's folder; it gives the screen size\n"
        "and the picture folder \"图片文件\". Without one, the page's own resolution\n"
        "and the \"图片文件\" folder beside the page are used. A main page is drawn on\n"
        "its background colour, an auxiliary page on white. --labels adds control IDs,\n"
        "picture numbers and the dotted outlines of invisible items.\n"
        "With OUT.bmp the page bitmap of the editor's \"页面生成bmp位图\" is written:\n"
        "a 24-bit BMP without labels, on the page's own background colour (an\n"
        "auxiliary page too). The output is replaced only when it is written\n"
        "completely.\n"
        "A picture the page shows that is missing from the picture folder\n"
        "(\"图片NAME丢失!\") or does not decode (\"渲染图象失败！\") is named on stderr;\n"
        "the page is still drawn and written without it.\n"
        "Exit status: 1 when the page cannot be read or the output cannot be\n"
        "written; 3 when the output was written but a picture could not be drawn."),
    renderCommand,
    /*needsGui=*/true}};

} // namespace
