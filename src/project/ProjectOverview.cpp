#include "project/ProjectOverview.h"

#include "common/Bytes.h"
#include "common/Flash.h"
#include "common/Gbk.h"
#include "pictures/SlotArea.h"

#include <QFile>
#include <QFileInfo>

namespace h5 {

namespace {

// Layer and page kind from the flags byte at offset 20 of a page file
// (flags = layer * 4 + 1 for an auxiliary page).
bool readPageKind(const QString &path, OverviewPage &row)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray prefix = f.read(21);
    if (prefix.size() < 21)
        return false;
    const int flags = getU8(prefix.constData() + 20);
    row.layer = (flags >> 2) & 0x3F;
    row.auxiliary = (flags & 1) != 0;
    return true;
}

} // namespace

bool readProjectOverview(const Project &project, const std::set<int> &openPages,
                         ProjectOverview &out, QString *error)
{
    ProjectFile pf;
    if (!pf.load(project.file, error))
        return false;
    ProjectOverview overview;
    for (int n = 0; n < kPageSlots; ++n) {
        const PageSlot slot = pf.slot(n);
        if (!slot.used())
            continue;
        OverviewPage row;
        row.pageNo = n;
        row.length = slot.length;
        row.open = openPages.count(n) != 0;
        const QString pagePath = project.pagePath(n);
        row.fileMissing = !QFileInfo(pagePath).isFile();
        if (!row.fileMissing)
            readPageKind(pagePath, row);
        row.instructionMissing = !QFileInfo(project.instructionPath(n)).isFile();
        overview.pages.push_back(row);
    }

    SlotArea area;
    QString pictureError;
    if (!SlotArea::load(project.positionFilePath(), area, &pictureError)) {
        overview.pictureError = pictureError.isEmpty() ? QStringLiteral("图象位置信息文件丢失!")
                                                       : pictureError;
    } else {
        for (int i = 0; i < kSlotCount; ++i) {
            const SlotRecord rec = area.slot(i);
            if (!rec.occupied() && !rec.usedByAnyPage())
                continue;
            OverviewPicture row;
            row.number = i;
            row.file = fromGbk(rec.path);
            row.width = rec.width;
            row.height = rec.height;
            row.blocks = int(pictureBlocks(rec.width, rec.height));
            for (int k = 0; k < kSlotPageUseSize; ++k)
                if (rec.pageUse[size_t(k)] == 1)
                    row.pages.push_back(k);
            row.missing = row.file.isEmpty()
                          || !QFileInfo(project.picturesDir() + QLatin1Char('/') + row.file).isFile();
            overview.pictures.push_back(std::move(row));
        }
    }
    out = std::move(overview);
    return true;
}

} // namespace h5
