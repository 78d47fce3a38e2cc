// h5800 export-txt / export-ids: the page's instructions as hexadecimal text
// lines and the list of its control IDs and picture numbers, written as the
// page view's exports write them.

#include "Cli.h"

#include "common/Notifier.h"
#include "model/Page.h"
#include "project/PageExport.h"
#include "project/Project.h"

#include <QDir>
#include <QFileInfo>

using namespace h5cli;

namespace {

enum class ExportKind { Text, Ids };

int exportCommand(QStringList args, ExportKind kind, const QString &name)
{
    const QString output = takeOutput(args);
    expectPositional(args, 1, name);
    const QString pagePath = args.first();
    if (!QFileInfo(pagePath).isFile())
        return badInput(pagePath, QStringLiteral("no such file"));

    h5::Page page;
    QString error;
    if (!page.load(pagePath, &error))
        return badInput(pagePath, error);

    QString path = output;
    if (path.isEmpty()) {
        // The project folder; a page on its own writes beside itself.
        QString folder = QFileInfo(pagePath).absolutePath();
        h5::Project project;
        h5::RecordingNotifier quiet;
        QString projectError;
        if (h5::Project::openForPageFile(pagePath, project, quiet, &projectError))
            folder = project.dir;
        else if (!projectError.isEmpty())
            err() << "h5800: " << projectError << "; writing beside the page" << Qt::endl;
        const int pageNo = page.settings.m_nPageNo;
        path = folder + QLatin1Char('/')
            + (kind == ExportKind::Text ? h5::exportTextFileName(pageNo) : h5::exportIdsFileName(pageNo));
    }

    const QByteArray bytes = kind == ExportKind::Text ? h5::exportTextBytes(page) : h5::exportIdsBytes(page);
    if (!h5::writeExportFile(path, bytes, &error))
        return badInput(path, QStringLiteral("cannot write: %1").arg(error));
    // Said only once the file is written and synced.
    out() << h5::exportSavedToText() << QDir::toNativeSeparators(path) << Qt::endl;
    return ExitOk;
}

const Registrar exportTxtRegistrar{Command{
    QStringLiteral("export-txt"),
    QStringLiteral("write a page's instructions as hexadecimal text"),
    QStringLiteral(
        "usage: h5800 export-txt PAGE.wlp [-o OUT.txt]\n\n"
        "Writes one line per instruction frame of the page: the background line of a\n"
        "main page on layer 0, the frames of lines, rectangles, ellipses, circles,\n"
        "bitmaps, texts, group boxes and panels in drawing order, then the delay and\n"
        "next-page lines. Each byte is two lower-case hex digits and a space; lines\n"
        "end in CR LF. Controls are not listed. Without -o the file is N.txt (N the\n"
        "page number) in the page's project folder, or beside the page when it\n"
        "belongs to no project.\n"
        "Exit status: 1 when the page cannot be read or the file cannot be written."),
    [](const QStringList &args) { return exportCommand(args, ExportKind::Text, QStringLiteral("export-txt")); }}};

const Registrar exportIdsRegistrar{Command{
    QStringLiteral("export-ids"),
    QStringLiteral("list a page's control IDs and picture numbers"),
    QStringLiteral(
        "usage: h5800 export-ids PAGE.wlp [-o OUT.txt]\n\n"
        "Writes the page's control IDs and the picture numbers of its bitmaps, each\n"
        "list sorted ascending under its heading, in GBK with CR LF line ends. A page\n"
        "without controls and pictures gives an empty file. Without -o the file is\n"
        "N_ID.txt (N the page number) in the page's project folder, or beside the\n"
        "page when it belongs to no project.\n"
        "Exit status: 1 when the page cannot be read or the file cannot be written."),
    [](const QStringList &args) { return exportCommand(args, ExportKind::Ids, QStringLiteral("export-ids")); }}};

} // namespace
