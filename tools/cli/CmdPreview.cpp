// h5800 preview: pages of a built project drawn as the terminal draws them,
// straight from the project's files (terminal/BuiltProject.h): the project
// data in the .wgc and the pictures in the picture position file, executed
// by the virtual terminal's screen (terminal/PageRun.h). No serial line is
// involved.

#include "Cli.h"

#include "common/Flash.h"
#include "terminal/BuiltProject.h"

#include <QDir>

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
    h5::BuiltProject built;
    QString error, faultFile;
    switch (h5::BuiltProject::read(args.first(), built, &faultFile, &error)) {
    case h5::BuiltProject::Status::Ok:
        break;
    case h5::BuiltProject::Status::Damaged:
        // The download's own message, which names the file.
        err() << "h5800: " << error << Qt::endl;
        return ExitBadInput;
    default:
        return badInput(faultFile, error);
    }
    const h5::ProjectPages &pages = built.pages;
    if (pages.pages.isEmpty())
        return badInput(built.projectFile, QStringLiteral("the project data holds no page"));

    if (!all) {
        if (page < 0)
            page = pages.firstPage();
        const QImage image = built.preview(page, &error);
        if (image.isNull())
            return badInput(built.projectFile, error);
        return writePng(output, image) ? ExitOk : ExitBadInput;
    }

    // Every page, drawn before any file is written.
    std::vector<std::pair<QString, QImage>> images;
    for (auto it = pages.pages.constBegin(); it != pages.pages.constEnd(); ++it) {
        const QImage image = built.preview(it.key(), &error);
        if (image.isNull())
            return badInput(built.projectFile, error);
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
        "A project that is not built, or one with a page file whose content\n"
        "changed since its build, is refused: build it first (h5800 build). Every\n"
        "page file is compiled in memory and compared with the build, so a page\n"
        "file saved again unchanged, or a copied project, previews; file times do\n"
        "not count. The .wgc and \"图象位置信息.cbm\" are checked whole as the\n"
        "download checks them: a damaged one is refused with the download's\n"
        "message (\"工程文件已损坏\", \"图片文件已损坏\") and nothing is drawn.\n"
        "Files are replaced only when written completely.\n"
        "Exit status: 1 when the project cannot be read, is damaged, is not built\n"
        "or has a page changed since its build, the page is missing, or an output\n"
        "cannot be written."),
    previewCommand,
    /*needsGui=*/true}};

} // namespace
