// Project commands: project new, project info, page save, build.

#include "Cli.h"

#include "common/Bytes.h"
#include "common/FileIo.h"
#include "common/Gbk.h"
#include "pictures/SlotRecord.h"
#include "project/Build.h"
#include "project/Project.h"
#include "project/ProjectFile.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

using namespace h5cli;

namespace h5cli {

// The largest project file there can be: the header and the 1024 page
// slots, then what a build appends: the project header, the page index
// and per page an 11-byte segment header, the page streams and the control
// blocks of 2121 bytes. The page index keeps a page's first flash page in
// 14 bits beside its layer, so all streams together are at most 16,383
// flash pages and the last page's 255. Control blocks: one control table
// per page, and the terminal knows a control by its ID (0..2047), so at
// most 2048 control definitions and 2048 needle tables.
constexpr qint64 kMaxProjectFileBytes = qint64(h5::kProjectDataOffset) + 7 + 2048
    + qint64(h5::kPageSlots) * 11 + qint64(16383 + 255) * h5::kFlashPage
    + qint64(h5::kPageSlots + 2048 + 2048) * (9 + h5::kFlashPage); // 46,114,701

// Judges a project file by its size and its first six bytes (four zero
// bytes, the resolution index 0..12, 0A) before the whole file is read;
// false, told on stderr naming the file, when no project file looks so.
bool projectFileFits(const QString &path)
{
    auto refuse = [&path](const QString &why) {
        badInput(path, why);
        return false;
    };
    const QFileInfo info(path);
    if (!info.isFile())
        return true; // the open says why
    if (info.size() < h5::kProjectDataOffset)
        return refuse(QStringLiteral("不是工程文件：文件长%1字节，工程文件至少有%2字节")
                          .arg(info.size())
                          .arg(h5::kProjectDataOffset));
    if (info.size() > kMaxProjectFileBytes)
        return refuse(QStringLiteral("不是工程文件：文件长%1字节，超过工程文件的上限%2字节")
                          .arg(info.size())
                          .arg(kMaxProjectFileBytes));
    QByteArray head;
    QString error;
    if (!h5::readFileHead(path, h5::kProjectHeaderSize, head, &error))
        return refuse(error);
    if (head.size() < h5::kProjectHeaderSize || head.left(4) != QByteArray(4, '\0')
        || quint8(head[4]) > 12 || head[5] != '\x0A')
        return refuse(QStringLiteral("不是工程文件：文件头应为 00 00 00 00 (00..0C) 0A，实为 %1")
                          .arg(QString::fromLatin1(head.toHex(' ').toUpper())));
    return true;
}

} // namespace h5cli

namespace {

int projectNew(const QStringList &argsIn)
{
    QStringList args = argsIn;
    QString size = takeOption(args, "size");
    if (size.isNull())
        size = QStringLiteral("800x600");
    expectPositional(args, 2, "project new");
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^(\\d+)[x*X](\\d+)$")).match(size);
    const int index = m.hasMatch() ? h5::resolutionIndex(m.captured(1).toInt(), m.captured(2).toInt())
                                   : -1;
    if (index < 0)
        throw UsageError{QStringLiteral("--size %1 is not one of the terminal's sizes "
                                        "(320x234 320x240 640x480 800x480 800x600 1024x768 480x272 "
                                        "272x480 480x640 240x320 480x800 600x800 768x1024)")
                             .arg(size)};
    CliNotifier notifier;
    h5::Project project;
    QString error;
    if (!h5::Project::create(args[0], args[1], index, project, notifier, &error)) {
        if (!error.isEmpty())
            err() << "h5800: " << error << Qt::endl;
        return ExitBadInput;
    }
    out() << project.file << Qt::endl;
    return ExitOk;
}

// The project that holds a page file: the .wgc named after its folder, as
// when a page file is opened from the file manager.
bool projectOfPage(const QString &pagePath, h5::Project &project, CliNotifier &notifier,
                   QString *error)
{
    return h5::Project::openForPageFile(pagePath, project, notifier, error);
}

int pageSave(const QStringList &argsIn)
{
    QStringList args = argsIn;
    expectPositional(args, 1, "page save");
    const QString path = QFileInfo(args[0]).absoluteFilePath();
    CliNotifier notifier;
    h5::Project project;
    QString error;
    if (!projectOfPage(path, project, notifier, &error)) {
        if (!error.isEmpty())
            err() << "h5800: " << error << Qt::endl;
        return ExitBadInput;
    }
    h5::OpenPage page;
    if (!project.openPage(path, page, &error) || !project.savePage(page, notifier, &error)) {
        err() << "h5800: " << error << Qt::endl;
        return ExitBadInput;
    }
    return ExitOk;
}

int build(const QStringList &argsIn)
{
    QStringList args = argsIn;
    expectPositional(args, 1, "build");
    if (!projectFileFits(args[0]))
        return ExitBadInput;
    CliNotifier notifier;
    h5::Project project;
    QString error;
    if (!h5::Project::open(args[0], project, &error)) {
        err() << "h5800: " << error << Qt::endl;
        return ExitBadInput;
    }
    int failures = 0;
    std::vector<h5::OpenPage> pages = project.openAllPages(notifier, &error, &failures);
    if (!error.isEmpty()) {
        err() << "h5800: " << error << Qt::endl;
        return ExitBadInput;
    }
    const h5::BuildResult result = h5::buildProject(project, pages, notifier);
    if (!result.completed) {
        err() << "h5800: " << result.error << Qt::endl;
        return ExitBadInput;
    }
    // The report keeps its CR LF line ends.
    if (result.report.isEmpty())
        out() << result.finalMessage << "\n";
    else
        out() << result.report;
    return result.report.isEmpty() && failures == 0 ? ExitOk : ExitProblems;
}

int projectInfo(const QStringList &argsIn)
{
    QStringList args = argsIn;
    const bool json = takeFlag(args, "json");
    expectPositional(args, 1, "project info");
    if (!projectFileFits(args[0]))
        return ExitBadInput;
    h5::Project project;
    h5::ProjectFile pf;
    QString error;
    if (!h5::Project::open(args[0], project, &error) || !pf.load(project.file, &error)) {
        err() << "h5800: " << error << Qt::endl;
        return ExitBadInput;
    }
    const QSize size = h5::resolutionSize(project.resolution);
    QJsonArray pages;
    for (int n = 0; n < h5::kPageSlots; ++n) {
        const h5::PageSlot slot = pf.slot(n);
        if (slot.used())
            pages.append(QJsonObject{{"slot", n}, {"page", slot.pageNo()}, {"length", slot.length}});
    }
    QJsonArray pictures;
    QByteArray positions;
    // Only the slot area is read: the pixel data after it is not shown.
    const bool havePositions = h5::readFileHead(project.positionFilePath(), h5::kSlotAreaSize, positions, nullptr)
        && positions.size() >= h5::kSlotAreaSize;
    if (havePositions) {
        for (int i = 0; i < h5::kSlotCount; ++i) {
            const h5::SlotRecord rec = h5::SlotRecord::fromBytes(positions.constData() + i * h5::kSlotSize);
            QJsonArray usedBy;
            for (int k = 0; k < h5::kSlotPageUseSize; ++k) {
                if (rec.pageUse[size_t(k)] == 1)
                    usedBy.append(k);
            }
            if (usedBy.isEmpty())
                continue;
            pictures.append(QJsonObject{
                {"number", i},
                {"name", h5::fromGbk(rec.path)},
                {"width", rec.width},
                {"height", rec.height},
                {"blocks", rec.blocks},
                {"pages", usedBy},
            });
        }
    }
    if (json) {
        QJsonObject root{{"resolution", project.resolution},
                         {"width", size.width()},
                         {"height", size.height()},
                         {"pages", pages},
                         {"pictures", pictures}};
        out() << QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
        return ExitOk;
    }
    out() << "project: " << project.file << "\n"
          << "resolution: " << project.resolution << " (" << size.width() << "x" << size.height()
          << ")\n"
          << "pages: " << pages.size() << "\n";
    for (const QJsonValue &v : pages) {
        const QJsonObject o = v.toObject();
        out() << "  page " << o["page"].toInt() << "\tlength " << o["length"].toInt() << "\n";
    }
    if (!havePositions)
        out() << "pictures: (" << h5::positionFileName() << " missing or damaged)\n";
    else
        out() << "pictures: " << pictures.size() << "\n";
    for (const QJsonValue &v : pictures) {
        const QJsonObject o = v.toObject();
        QStringList users;
        for (const QJsonValue &u : o["pages"].toArray())
            users << QString::number(u.toInt());
        out() << "  " << o["number"].toInt() << "\t" << o["name"].toString() << "\t"
              << o["width"].toInt() << "x" << o["height"].toInt() << "\tblocks "
              << o["blocks"].toInt() << "\tpages " << users.join(',') << "\n";
    }
    return ExitOk;
}

Registrar regNew{{
    "project new",
    "create a project folder LOCATION/NAME",
    "usage: h5800 project new LOCATION NAME [--size WxH]\n\n"
    "Creates LOCATION/NAME with NAME.wgc (1024 free page slots), the folders\n"
    "\"指令wlc文件\" and \"图片文件\" and an empty \"图象位置信息.cbm\".\n"
    "--size is one of 320x234 320x240 640x480 800x480 800x600 1024x768 480x272\n"
    "272x480 480x640 240x320 480x800 600x800 768x1024 (default 800x600).\n"
    "An existing project is never overwritten.",
    projectNew,
}};

Registrar regInfo{{
    "project info",
    "show a project's size, pages and pictures",
    "usage: h5800 project info [--json] PROJECT.wgc\n\n"
    "Prints the resolution, the used page slots with page numbers and lengths,\n"
    "and the pictures the pages use (from \"图象位置信息.cbm\").\n"
    "A file whose first bytes are no project file's, or larger than a project can\n"
    "be (46,114,701 bytes), is refused unread, exit status 1.",
    projectInfo,
}};

Registrar regSave{{
    "page save",
    "save a page as the editor does (normalise, compile)",
    "usage: h5800 page save PAGE.wlp\n\n"
    "Opens the page within its project (the folder holding it and its .wgc) and\n"
    "saves it: delete markers and off-screen elements are dropped, corners\n"
    "ordered, and when the page has a slot in the project it is compiled into\n"
    "\"指令wlc文件\" and its length recorded in the project file.",
    pageSave,
}};

Registrar regBuild{{
    "build",
    "save and compile every page, then build the project data",
    "usage: h5800 build PROJECT.wgc\n\n"
    "Opens every page of the project's slots, saves each, appends the project\n"
    "data to the project file and the picture data to \"图象位置信息.cbm\", and\n"
    "checks control IDs. Prints the build report (or \"编译完成!\").\n"
    "Exit status: 0 report empty, 3 report lists problems, 1 project unreadable.",
    build,
}};

} // namespace
