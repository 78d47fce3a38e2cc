#include "project/Build.h"

#include "common/Bytes.h"
#include "common/Gbk.h"
#include "pictures/PictureConvert.h"
#include "pictures/SlotRecord.h"
#include "project/Compiler.h"
#include "project/Encoding.h"
#include "project/ProjectData.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <thread>

namespace h5 {

namespace {

constexpr int kPageIndexOffset = kProjectDataOffset + kPageIndexAt;     // 102,413
constexpr int kSegmentsOffset = kProjectDataOffset + kFirstSegmentAt; // 104,461
constexpr int kControlTableEntries = 150;

// Appends the project data after the page slots: project header, page
// index, and one segment per page whose instruction file exists.
void appendProjectData(ProjectWork &work, QString &report)
{
    QByteArray &data = work.projectFile.bytes();
    data.truncate(kProjectDataOffset);
    data.reserve(kSegmentsOffset + 64 * kFlashPage);
    data.append(projectHeader());
    data.append(2 * kPageSlots, char(0xFF));
    int first = 0;
    for (int n = 0; n < kPageSlots; ++n) {
        const PageSlot slot = work.projectFile.slot(n);
        if (!slot.used())
            continue;
        const int p = slot.pageNo();
        QByteArray wlc;
        if (p >= kPageSlots || !work.instructionFile(p, wlc) || wlc.isEmpty()) {
            report += QStringLiteral("画面 %1 指令文件丢失!\r\n").arg(p);
            continue;
        }
        const int layer = quint8(wlc.at(0));
        putLe16(data.data() + kPageIndexOffset + 2 * p, uint32_t(layer * 16384) | uint32_t(first));
        data.append(longSegmentHeader(uint16_t(first), uint16_t(slot.length)));
        data.append(wlc.constData() + 1, wlc.size() - 1);
        first += slot.length;
    }
    work.projectFileChanged = true;
}

// One picture of the data area: its record, where its file is, and what
// converting it gave.
struct PictureJob
{
    int number;
    QString name;
    QString path;
    int width;
    int height;
    bool present = false; // the file exists in the project's picture folder
    QByteArray pixels;
    ConvertResult result = ConvertResult::CannotOpen;
    QString error;
};

// Converts the pictures on all cores; each job owns its own decoder and
// buffers, so the conversions share nothing.
void convertAll(std::vector<PictureJob> &jobs)
{
    std::vector<PictureJob *> todo;
    for (PictureJob &job : jobs)
        if (job.present)
            todo.push_back(&job);
    if (todo.empty())
        return;
    std::atomic<std::size_t> next{0};
    auto worker = [&]() {
        for (std::size_t i = next++; i < todo.size(); i = next++) {
            PictureJob &job = *todo[i];
            job.result =
                convertPictureFile(job.path, job.width, job.height, job.pixels, &job.error);
        }
    };
    const unsigned threads =
        std::min<unsigned>(std::max(1u, std::thread::hardware_concurrency()), unsigned(todo.size()));
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t)
        pool.emplace_back(worker);
    worker();
    for (std::thread &t : pool)
        t.join();
}

// Replaces the data area of the picture position file with the pixels of
// every picture some page shows, in number order; frees the records of the
// others. Every used picture keeps its pages in the data area: one whose
// file is missing or does not decode is reported and stays black there, so
// every later picture still starts where the records say.
bool appendPictureData(const Project &project, ProjectWork &work, Notifier &notifier,
                       QString &report, QString *error)
{
    QByteArray &file = work.positionFile;
    file.truncate(kSlotAreaSize);
    std::vector<PictureJob> jobs;
    int64_t totalBytes = 0;
    for (int i = 0; i < kSlotCount; ++i) {
        char *rec = file.data() + i * kSlotSize;
        const SlotRecord record = SlotRecord::fromBytes(rec);
        if (!record.usedByAnyPage()) {
            std::fill(rec, rec + kSlotSize, '\0');
            continue;
        }
        rec[kSlotInUseOffset] = 1;
        const QString name = fromGbk(record.path);
        PictureJob job;
        job.number = i;
        job.name = name;
        job.path = project.picturesDir() + QLatin1Char('/') + name;
        job.width = record.width;
        job.height = record.height;
        job.present = !name.isEmpty() && QFileInfo(job.path).isFile();
        // No picture can be larger than the terminal's whole picture store
        // (600 flash blocks): such a size is a damaged record, and building
        // it would only allocate gigabytes.
        if (pictureBytes(job.width, job.height) > int64_t(kSlotCount) * kFlashBlock) {
            if (error)
                *error = QStringLiteral("%1：图象位置信息文件已损坏（图片%2为%3 x %4，"
                                        "超出终端所能容纳的大小）")
                             .arg(project.positionFilePath())
                             .arg(i)
                             .arg(job.width)
                             .arg(job.height);
            return false;
        }
        totalBytes += picturePages(job.width, job.height) * kFlashPage;
        jobs.push_back(std::move(job));
    }

    convertAll(jobs);

    file.reserve(file.size() + qsizetype(totalBytes));
    for (const PictureJob &job : jobs) {
        const qsizetype bytes = qsizetype(pictureBytes(job.width, job.height));
        if (!job.present) {
            report += QStringLiteral("图片") + job.name + QStringLiteral("丢失!\r\n");
            file.append(bytes, '\0');
        } else if (job.result == ConvertResult::Ok && job.pixels.size() == bytes) {
            file.append(job.pixels);
        } else {
            notifier.message(QStringLiteral("渲染图象失败！") + job.path);
            report += QStringLiteral("图片") + job.name + QStringLiteral("渲染失败!\r\n");
            file.append(bytes, '\0');
        }
        const qsizetype rest = bytes % kFlashPage;
        if (rest)
            file.append(kFlashPage - rest, '\0');
    }
    work.positionFileChanged = true;
    return true;
}

// Reads the control table of every page and reports IDs out of range and
// IDs used by two pages.
void checkControlIds(ProjectWork &work, QString &report)
{
    std::vector<int> owner(2048, 0xFFFF);
    for (int n = 0; n < kPageSlots; ++n) {
        const PageSlot slot = work.projectFile.slot(n);
        if (!slot.used())
            continue;
        const int p = slot.pageNo();
        QByteArray wlc;
        if (p >= kPageSlots || !work.instructionFile(p, wlc))
            continue;
        const qint64 table = qint64(slot.length) * kFlashPage + 1;
        if (wlc.size() == table)
            continue; // no controls
        for (int k = 0; k < kControlTableEntries; ++k) {
            const qint64 at = table + 9 + 14 * k;
            if (at + 2 > wlc.size())
                break;
            const int id = ((getU8(wlc.constData() + at + 1) * 256) & 0x7FFF)
                | getU8(wlc.constData() + at);
            if (id == 0x7FFF)
                break;
            if (id > 2047) {
                report += QStringLiteral("页面 %1 的控件 %2 超出范围0-2047，请修正!\r\n").arg(p).arg(id);
                continue;
            }
            if (owner[id] == 0xFFFF)
                owner[id] = p;
            else
                report += QStringLiteral("页面 %1 与页面 %2 的控件 %3 重复，请修正!\r\n")
                              .arg(p)
                              .arg(owner[id])
                              .arg(id);
        }
    }
}

// The segment of page `page` in project data as appendProjectData writes
// it: the layer of its index entry, the page length of its long header, and
// its bytes after that header up to the next page segment (the stream and
// the page's control blocks). False when the index has no entry for the
// page or no page segment starts at the flash page the entry names.
bool builtSegment(const QByteArray &data, int page, int &layer, int &length, QByteArrayView &body)
{
    if (page < 0 || page >= kPageSlots)
        return false;
    const ProjectDataLayout layout = readProjectData(data, SegmentReading::AsTerminal);
    const int entry = layout.indexEntry(page);
    if (layout.fault != ProjectDataLayout::Fault::None || entry == 0xFFFF)
        return false;
    const int first = entry & 0x3FFF;
    const auto &segments = layout.segments;
    qsizetype i = 0;
    while (i < segments.size() && !(segments[i].isPageSegment() && segments[i].number == first))
        ++i;
    if (i == segments.size())
        return false;
    const ProjectSegment &start = segments[i];
    qint64 end = start.end();
    for (++i; i < segments.size() && !segments[i].isPageSegment(); ++i)
        end = segments[i].end();
    layer = entry >> 14;
    length = start.pages;
    body = QByteArrayView(data.constData() + start.bodyOffset(), qsizetype(end - start.bodyOffset()));
    return true;
}

} // namespace

int pageChangedSinceBuild(const Project &project, const ProjectFile &projectFile,
                          const QByteArray &builtData)
{
    const QDateTime built = QFileInfo(project.file).lastModified();
    for (int n = 0; n < kPageSlots; ++n) {
        const PageSlot slot = projectFile.slot(n);
        if (!slot.used() || slot.pageNo() >= kPageSlots)
            continue;
        const int p = slot.pageNo();
        const QString path = project.pagePath(p);
        const QFileInfo info(path);
        if (!info.isFile())
            continue;
        // The page as a build compiles it (ProjectWork::savePage): opened
        // with the project's settings, normalised, compiled; a page longer
        // than the slot can record is refused by the build.
        OpenPage open;
        bool compared = false;
        bool same = false;
        if (project.openPage(path, open, nullptr) && open.page.settings.m_nPageNo == p) {
            open.page.normalise(project.resolution);
            RecordingNotifier quiet;
            const CompiledPage compiled = compilePage(open.page, p, quiet);
            if (compiled.ok && !compiled.instructionFile.isEmpty() && compiled.pageLength <= 255) {
                compared = true;
                int layer = 0, length = 0;
                QByteArrayView body;
                const QByteArrayView wlc(compiled.instructionFile);
                // The index entry keeps the layer in its top two bits.
                same = builtSegment(builtData, p, layer, length, body)
                    && layer == (getU8(wlc.data()) & 3) && length == compiled.pageLength
                    && body == wlc.sliced(1);
            }
        }
        if (compared ? !same : info.lastModified() > built)
            return p;
    }
    return -1;
}

BuildResult buildProject(const Project &project, std::vector<OpenPage> &pages, Notifier &notifier,
                         const BuildProgress &progress)
{
    BuildResult result;
    notifier.status(QStringLiteral("正在编译，请稍后............"));
    if (pages.empty()) {
        notifier.status(QStringLiteral("编译完成"));
        result.completed = true;
        result.finalMessage = QStringLiteral("无画面，编译完成!");
        return result;
    }

    ProjectWork work(project);
    if (!work.begin(&result.error, /*slotAreaOnly=*/true))
        return result;

    // Progress: one step per page saved, then pictures, then writing.
    const int total = int(pages.size()) + 2;
    int done = 0;
    for (OpenPage &page : pages) {
        if (!work.savePage(page, notifier, &result.error))
            return result;
        if (progress)
            progress(++done, total);
    }

    QString missingPages, missingPictures, ids;
    appendProjectData(work, missingPages);
    if (!appendPictureData(project, work, notifier, missingPictures, &result.error))
        return result;
    if (progress)
        progress(++done, total);
    checkControlIds(work, ids);
    if (!work.commit(&result.error))
        return result;
    if (progress)
        progress(++done, total);

    result.completed = true;
    result.report = missingPages + missingPictures + ids;
    if (result.report.isEmpty()) {
        notifier.status(QStringLiteral("编译完成"));
        result.finalMessage = QStringLiteral("编译完成!");
    } else {
        result.finalMessage = result.report;
    }
    return result;
}

} // namespace h5
