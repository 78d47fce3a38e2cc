// h5800 pictures list / pictures save: reading and writing picture list
// files (.tbm, .cbm, .wbm) with the same operations the debug window uses.

#include "Cli.h"

#include "common/Gbk.h"
#include "pictures/PictureList.h"
#include "pictures/SlotRecord.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

using namespace h5cli;

namespace {

// A JSON string literal with the escapes JSON needs.
QString jsonString(const QString &text)
{
    const QByteArray quoted = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(quoted.mid(1, quoted.size() - 2)); // drop [ and ]
}

int listPictures(QStringList args)
{
    const bool json = takeFlag(args, QStringLiteral("json"));
    expectPositional(args, 1, QStringLiteral("pictures list"));
    const QString path = args.first();
    if (!QFileInfo::exists(path))
        return badInput(path, QStringLiteral("no such file"));

    CliNotifier notifier;
    h5::PictureList list;
    if (!list.open(path, notifier))
        return ExitBadInput;

    if (json) {
        // Written by hand so the fields keep the order of the text lines.
        QStringList rows;
        for (const h5::PictureEntry &e : list.entries()) {
            rows << QStringLiteral("  {\"number\": %1, \"path\": %2, \"width\": %3, "
                                   "\"height\": %4, \"blocks\": %5, \"start\": %6}")
                        .arg(e.number)
                        .arg(jsonString(h5::fromGbk(e.path)))
                        .arg(e.width)
                        .arg(e.height)
                        .arg(h5::pictureBlocks(e.width, e.height))
                        .arg(e.start);
        }
        out() << (rows.isEmpty() ? QStringLiteral("[]\n")
                                 : QStringLiteral("[\n%1\n]\n").arg(rows.join(QStringLiteral(",\n"))));
        return ExitOk;
    }
    for (const h5::PictureEntry &e : list.entries()) {
        out() << e.number << '\t' << h5::fromGbk(e.path) << '\t' << e.width << '\t' << e.height
              << '\t' << h5::pictureBlocks(e.width, e.height) << '\t' << e.start << '\n';
    }
    return ExitOk;
}

int savePictures(QStringList args)
{
    const QString first = takeOption(args, QStringLiteral("first"));
    int next = 0;
    if (!first.isNull()) {
        bool ok = false;
        next = first.toInt(&ok);
        if (!ok || next < 0 || next > h5::kSlotCount - 1)
            throw UsageError{QStringLiteral("--first takes a picture number 0..599, got '%1'")
                                 .arg(first)};
    }
    for (const QString &a : args) {
        if (a.startsWith(QLatin1String("--")))
            throw UsageError{QStringLiteral("unknown option %1 for pictures save").arg(a)};
    }
    if (args.size() < 2)
        throw UsageError{QStringLiteral("pictures save needs the output file and at least one IMAGE")};
    const QString target = args.takeFirst();

    CliNotifier notifier;
    h5::PictureList list;
    list.setNextNumber(next);
    // One file at a time, so every file left out is named: the core tells
    // a path it cannot keep and numbers running out; a file that is
    // missing or does not open it skips silently, as the window's add does.
    int added = 0;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (list.nextNumber() > h5::kSlotCount - 1) {
            // Out of numbers: the rest goes to the core together, which
            // names the paths it could not keep anyway, says "图片编号超出！"
            // and adds nothing more.
            list.addPictures(args.mid(i), notifier);
            break;
        }
        const QString &image = args[i];
        const int told = notifier.messageCount();
        if (list.addPictures(QStringList{image}, notifier) == 1) {
            ++added;
            continue;
        }
        if (notifier.messageCount() == told) {
            const QFileInfo info(image);
            badInput(image, !info.exists() ? QStringLiteral("no such file")
                            : info.isDir() ? QStringLiteral("a folder, not a picture")
                                           : QStringLiteral("cannot be opened"));
        }
    }
    if (added == 0) {
        // Nothing to keep: an existing list stays as it was and no file is
        // made.
        err() << "h5800: no picture added, " << target << " not written" << Qt::endl;
        return ExitBadInput;
    }
    if (added < args.size())
        err() << "h5800: " << (args.size() - added) << " of " << args.size()
              << " picture(s) not added" << Qt::endl;

    QString saved;
    if (!list.save(target, notifier, &saved))
        return ExitBadInput;
    err() << "h5800: " << list.entries().size() << " picture(s) saved to " << saved << Qt::endl;
    return added < args.size() ? ExitProblems : ExitOk;
}

const Registrar listCommand{Command{
    QStringLiteral("pictures list"),
    QStringLiteral("list the pictures of a .tbm/.cbm/.wbm picture list"),
    QStringLiteral(
        "usage: h5800 pictures list [--json] LIST\n\n"
        "Prints one line per picture of the picture list file LIST:\n"
        "  number<TAB>path<TAB>width<TAB>height<TAB>blocks<TAB>start\n"
        "blocks is the number of 135,168-byte flash blocks the picture needs, start its\n"
        "first flash page in the list's data area (0 for a .wbm). LIST ending exactly in\n"
        ".wbm is read as a plain record list, anything else as a 600-slot list.\n"
        "--json prints an array of {number, path, width, height, blocks, start}.\n"
        "A list larger than any can be (a .tbm/.cbm over 1,236,000 + 600 x 135,168\n"
        "bytes, a .wbm of more than 600 records) is refused unread, exit status 1."),
    listPictures}};

const Registrar saveCommand{Command{
    QStringLiteral("pictures save"),
    QStringLiteral("make a .tbm picture list from image files"),
    QStringLiteral(
        "usage: h5800 pictures save OUT[.tbm] [--first N] IMAGE...\n\n"
        "Numbers the BMP/JPEG/PNG files IMAGE... from N on (default 0) and saves them\n"
        "as a picture list with their converted pixel data (\".tbm\" is appended to OUT\n"
        "when missing). A file that is missing or cannot be opened, a folder, a path\n"
        "over 1024 GBK bytes or with a character GBK lacks is named and left out; the\n"
        "others are saved and the exit status is 3. When no picture is left, nothing\n"
        "is written (an existing OUT stays as it was) and the exit status is 1. An\n"
        "existing OUT is replaced only when the save succeeds; exit status 1 when it\n"
        "fails."),
    savePictures}};

} // namespace
