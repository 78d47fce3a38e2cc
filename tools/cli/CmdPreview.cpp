// h5800 preview: pages of a built project drawn as the terminal draws them,
// straight from the project's files: the project data in the .wgc and the
// pictures in the picture position file, executed by the virtual terminal's
// screen (terminal/PageRun.h). No serial line is involved.

#include "Cli.h"

#include "common/FileIo.h"
#include "model/CTypeGraph.h"
#include "project/Project.h"
#include "project/ProjectFile.h"
#include "terminal/PageRun.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace h5cli;

namespace {

int previewCommand(QStringList args)
{
    const bool all = takeFlag(args, QStringLiteral("all"));
    const QString pageText = takeOption(args, QStringLiteral("page"));
    const QString output = takeOutput(args);
    expectPositional(args, 1, QStringLiteral("preview"));
    if (output.isEmpty())
        throw UsageError{QStringLiteral("preview needs -o OUT.png (or -o OUTDIR with --all)")};
    if (all && !pageText.isNull())
        throw UsageError{QStringLiteral("--page and --all exclude each other")};
    int page = -1;
    if (!pageText.isNull()) {
        bool ok = false;
        page = pageText.toInt(&ok);
        if (!ok || page < 0 || page >= h5::kPageSlots)
            throw UsageError{QStringLiteral("--page needs a page number 0..1023")};
    }
    const QString projectPath = args.first();
    if (!QFileInfo(projectPath).isFile())
        return badInput(projectPath, QStringLiteral("no such file"));

    h5::Project project;
    QString error;
    if (!h5::Project::open(projectPath, project, &error))
        return badInput(projectPath, error);
    h5::ProjectFile file;
    if (!file.load(project.file, &error))
        return badInput(project.file, error);
    const QSize screen = h5::resolutionSize(file.resolution());
    if (!screen.isValid())
        return badInput(project.file, QStringLiteral("unknown resolution index %1").arg(file.resolution()));

    // Only a build that is newer than every page file shows the pages.
    if (file.bytes().size() <= h5::kProjectDataOffset)
        return badInput(project.file, QStringLiteral("工程未编译，请先编译工程"));
    const QDateTime built = QFileInfo(project.file).lastModified();
    for (int n = 0; n < h5::kPageSlots; ++n) {
        const h5::PageSlot slot = file.slot(n);
        if (!slot.used())
            continue;
        const QFileInfo pageFile(project.pagePath(slot.pageNo()));
        if (pageFile.exists() && pageFile.lastModified() > built)
            return badInput(pageFile.filePath(),
                            QStringLiteral("页面文件比工程编译新，请先编译工程"));
    }

    h5::ProjectPages pages;
    if (!h5::readProjectPages(file.bytes().mid(h5::kProjectDataOffset), pages, &error))
        return badInput(project.file, error);
    if (pages.pages.isEmpty())
        return badInput(project.file, QStringLiteral("the project data holds no page"));

    QByteArray positions;
    {
        QFile f(project.positionFilePath());
        if (f.exists()) {
            if (!f.open(QIODevice::ReadOnly))
                return badInput(f.fileName(), QStringLiteral("cannot read: %1").arg(f.errorString()));
            positions = f.readAll();
        }
    }
    const h5::TerminalScreen::PictureLookup pictures = h5::positionFilePictures(positions);

    if (!all) {
        if (page < 0)
            page = pages.firstPage();
        const QImage image = h5::previewPage(pages, screen, pictures, page, &error);
        if (image.isNull())
            return badInput(project.file, error);
        return writePng(output, image) ? ExitOk : ExitBadInput;
    }

    // Every page, drawn before any file is written.
    std::vector<std::pair<QString, QImage>> images;
    for (auto it = pages.pages.constBegin(); it != pages.pages.constEnd(); ++it) {
        const QImage image = h5::previewPage(pages, screen, pictures, it.key(), &error);
        if (image.isNull())
            return badInput(project.file, error);
        images.emplace_back(QStringLiteral("page_%1.png").arg(it.key()), image);
    }
    if (!QDir().mkpath(output))
        return badInput(output, QStringLiteral("cannot create the folder"));
    for (const auto &[name, image] : images) {
        if (!writePng(QDir(output).filePath(name), image))
            return ExitBadInput;
    }
    return ExitOk;
}

const Registrar previewRegistrar{Command{
    QStringLiteral("preview"),
    QStringLiteral("draw pages of a built project as the terminal draws them"),
    QStringLiteral(
        "usage: h5800 preview PROJECT.wgc [--page N] -o OUT.png\n"
        "       h5800 preview PROJECT.wgc --all -o OUTDIR\n\n"
        "Runs a page's instruction stream from the project data of the built\n"
        "project (the .wgc) with the pictures of its picture position file\n"
        "\"图象位置信息.cbm\", as the terminal runs it on start-up or on a page switch,\n"
        "on a black screen of the project's size: shapes, texts, pictures, and the\n"
        "controls in their initial state (see the README). The PNG holds the\n"
        "terminal's RGB565 colours widened to 8 bits a channel by bit replication,\n"
        "as h5800-sim's screenshot. Without --page the page is 0, or the first page\n"
        "present. --all writes page_N.png into OUTDIR for every page.\n"
        "A project that is not built, or one with a page file newer than its build,\n"
        "is refused: build it first (h5800 build). Files are replaced only when\n"
        "written completely.\n"
        "Exit status: 1 when the project cannot be read, is not built or is older\n"
        "than a page file, the page is missing, or an output cannot be written."),
    previewCommand,
    /*needsGui=*/true}};

} // namespace
