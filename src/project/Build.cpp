#include "project/Build.h"

#include "common/Bytes.h"
#include "common/Gbk.h"
#include "pictures/PictureConvert.h"
#include "project/Encoding.h"

#include <QFileInfo>

namespace h5 {

namespace {

constexpr int kPageIndexOffset = kProjectDataOffset + 7;        // 102,413
constexpr int kSegmentsOffset = kPageIndexOffset + 2 * kPageSlots; // 104,461
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

// Replaces the data area of the picture position file with the pixels of
// every picture some page shows; frees the records of the others.
void appendPictureData(const Project &project, ProjectWork &work, Notifier &notifier,
                       QString &report, const BuildProgress &progress, int &done, int total)
{
    QByteArray &file = work.positionFile;
    file.truncate(kSlotAreaSize);
    QByteArray pixels;
    for (int i = 0; i < kSlotCount; ++i) {
        char *rec = file.data() + i * kSlotSize;
        bool used = false;
        for (int k = 0; k < 1024 && !used; ++k)
            used = rec[1026 + k] == 1;
        if (!used) {
            std::fill(rec, rec + kSlotSize, '\0');
            continue;
        }
        rec[0] = 1;
        const char *nameStart = rec + 2;
        const std::size_t nameLen = qstrnlen(nameStart, 1024);
        const QString name = fromGbk(nameStart, nameLen);
        const int w = getBe16(rec + 2050);
        const int h = getBe16(rec + 2052);
        const QString path = project.picturesDir() + QLatin1Char('/') + name;
        if (name.isEmpty() || !QFileInfo(path).isFile()) {
            report += QStringLiteral("图片") + name + QStringLiteral("丢失!\r\n");
        } else {
            QString why;
            if (!convertPicture(path, w, h, pixels, &why)) {
                // The picture's place in the data area is kept (black), so
                // every later picture still starts where the records say.
                notifier.message(QStringLiteral("渲染图象失败！"));
                pixels = QByteArray(qsizetype(w) * h * 2, '\0');
            }
            file.append(pixels);
            const qsizetype rest = pixels.size() % kFlashPage;
            if (rest)
                file.append(kFlashPage - rest, '\0');
        }
        if (progress)
            progress(++done, total);
    }
    work.positionFileChanged = true;
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

} // namespace

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
    if (!work.begin(&result.error))
        return result;

    // Count the pictures for progress: pages first, then every used record.
    int total = int(pages.size());
    int done = 0;
    for (OpenPage &page : pages) {
        if (!work.savePage(page, notifier, &result.error))
            return result;
        if (progress)
            progress(++done, total);
    }
    int pictures = 0;
    for (int i = 0; i < kSlotCount; ++i) {
        const char *rec = work.positionFile.constData() + i * kSlotSize;
        for (int k = 0; k < 1024; ++k) {
            if (rec[1026 + k] == 1) {
                ++pictures;
                break;
            }
        }
    }
    total += pictures;

    QString missingPages, missingPictures, ids;
    appendProjectData(work, missingPages);
    appendPictureData(project, work, notifier, missingPictures, progress, done, total);
    checkControlIds(work, ids);
    if (!work.commit(&result.error))
        return result;

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
