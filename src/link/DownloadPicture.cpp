#include "link/DownloadPicture.h"

#include "common/Bytes.h"
#include "pictures/SlotRecord.h"

namespace h5 {

std::vector<DownloadPicture> readDownloadPictures(const QByteArray &listFile)
{
    std::vector<DownloadPicture> out;
    if (listFile.size() < kSlotAreaSize)
        return out;
    int64_t page = 0;
    for (int j = 0; j < kSlotCount; ++j) {
        const char *slot = listFile.constData() + qsizetype(j) * kSlotSize;
        DownloadPicture p;
        p.number = j;
        p.width = getBe16(slot + kSlotWidthOffset);
        p.height = getBe16(slot + kSlotHeightOffset);
        if (p.width == 0 || p.height == 0)
            continue;
        p.startPage = page;
        page += p.pages();
        out.push_back(p);
    }
    return out;
}

int64_t dataAreaPages(qint64 listFileLength)
{
    return listFileLength <= kSlotAreaSize ? 0 : (listFileLength - kSlotAreaSize + kFlashPage - 1) / kFlashPage;
}

bool dataAreaHoldsPictures(qint64 listFileLength, const std::vector<DownloadPicture> &pictures)
{
    if (pictures.empty())
        return true;
    const DownloadPicture &last = pictures.back();
    return last.dataOffset() + last.bytes() <= listFileLength;
}

} // namespace h5
