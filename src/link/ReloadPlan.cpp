#include "link/ReloadPlan.h"

#include "common/Flash.h"
#include "pictures/SlotRecord.h"

#include <QStringList>
#include <algorithm>

namespace h5 {

QString ReloadPlan::summary() const
{
    if (!send)
        return QStringLiteral("无变化");
    QString text = QStringLiteral("工程数据");
    if (!pictures.empty()) {
        QStringList numbers;
        for (const int n : pictures)
            numbers << QString::number(n);
        text += QStringLiteral(" + 图片 ") + numbers.join(QLatin1Char(','));
    }
    return text;
}

namespace {

// The lowest page whose use flag is set in picture `number`'s record.
int firstPageShowing(const QByteArray &records, int number)
{
    if (records.size() < kSlotAreaSize)
        return -1;
    const char *rec = records.constData() + qsizetype(number) * kSlotSize;
    for (int p = 0; p < kSlotPageUseSize; ++p)
        if (rec[kSlotPageUseOffset + p] == 1)
            return p;
    return -1;
}

} // namespace

BuildChanges mergeChanges(const BuildChanges &a, const BuildChanges &b)
{
    BuildChanges m;
    m.known = a.known && b.known;
    m.projectData = a.projectData || b.projectData;
    auto join = [](std::vector<int> x, const std::vector<int> &y) {
        x.insert(x.end(), y.begin(), y.end());
        std::sort(x.begin(), x.end());
        x.erase(std::unique(x.begin(), x.end()), x.end());
        return x;
    };
    m.pages = join(a.pages, b.pages);
    m.pictures = join(a.pictures, b.pictures);
    return m;
}

bool planReload(const BuildCache &cache, const BuildChanges &changes, bool everything,
                const std::vector<int> &savedPages, ReloadPlan &out, QString *error)
{
    ReloadPlan plan;
    const QByteArray &records = cache.pictureRecords();

    if (everything || !changes.known) {
        for (int n = 0; n < kSlotCount; ++n) {
            QByteArray pixels;
            int w = 0, h = 0;
            if (cache.picturePixels(n, pixels, w, h) && w > 0 && h > 0)
                plan.pictures.push_back(n);
        }
    } else {
        plan.pictures = changes.pictures;
    }
    plan.send = everything || !changes.known || changes.projectData || !plan.pictures.empty();
    if (!plan.send) {
        out = std::move(plan);
        return true;
    }

    plan.data.hasProject = true;
    plan.data.project = cache.projectData();
    if (!plan.pictures.empty()) {
        // A picture list of the records and, in its data area, only the
        // pictures sent, one after another from page 0: the terminal keeps
        // the pictures it is not sent.
        PictureListFile &list = plan.data.pictures;
        list.bytes = records;
        int64_t page = 0;
        std::vector<int> sent;
        for (const int n : plan.pictures) {
            QByteArray pixels;
            int w = 0, h = 0;
            if (!cache.picturePixels(n, pixels, w, h) || w <= 0 || h <= 0)
                continue; // no longer used, or without a size: nothing to send
            DownloadPicture p;
            p.number = n;
            p.width = w;
            p.height = h;
            p.startPage = page;
            list.bytes.append(pixels);
            const qsizetype rest = pixels.size() % kFlashPage;
            if (rest)
                list.bytes.append(kFlashPage - rest, '\0');
            page += p.pages();
            list.pictures.push_back(p);
            sent.push_back(n);
        }
        plan.pictures = sent;
        plan.data.hasPictures = !list.pictures.empty();
    }
    if (!checkDownloadData(plan.data, error))
        return false;

    // The page to show.
    const auto changed = [&](int p) {
        return std::find(changes.pages.begin(), changes.pages.end(), p) != changes.pages.end();
    };
    for (auto it = savedPages.rbegin(); it != savedPages.rend() && plan.page < 0; ++it)
        if (changed(*it))
            plan.page = *it;
    if (plan.page < 0 && !changes.pages.empty())
        plan.page = changes.pages.front();
    for (const int n : plan.pictures) {
        if (plan.page >= 0)
            break;
        plan.page = firstPageShowing(records, n);
    }
    if (plan.page < 0 && everything) {
        // The first round: the first page of the project.
        const int entries = int(std::min<qsizetype>(2048, plan.data.project.size() - 7)) / 2;
        for (int p = 0; p < entries && plan.page < 0; ++p) {
            const auto *b = reinterpret_cast<const uchar *>(plan.data.project.constData()) + 7 + 2 * p;
            if (b[0] != 0xFF || b[1] != 0xFF)
                plan.page = p;
        }
    }
    out = std::move(plan);
    return true;
}

} // namespace h5
