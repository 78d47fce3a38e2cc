#include "link/DownloadPicture.h"

#include "pictures/DataAreaWalk.h"

namespace h5 {

std::vector<DownloadPicture> readDownloadPictures(const QByteArray &listFile)
{
    std::vector<DownloadPicture> out;
    for (const SlotData &s : walkDataArea(listFile, DataSlots::Sized)) {
        if (!s.hasData)
            continue;
        DownloadPicture p;
        p.number = s.number;
        p.width = s.width;
        p.height = s.height;
        p.startPage = s.startPage;
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
