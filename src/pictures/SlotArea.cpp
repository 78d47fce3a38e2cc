#include "pictures/SlotArea.h"

#include "common/Bytes.h"
#include "pictures/DataAreaWalk.h"

#include <QFile>
#include <algorithm>

namespace h5 {

SlotArea::SlotArea() : m_bytes(kSlotAreaSize, '\0') {}

bool SlotArea::fromBytes(const QByteArray &data, SlotArea &out, QString *error)
{
    if (data.size() < kSlotAreaSize) {
        if (error)
            *error = QStringLiteral("图片列表文件不完整：%1字节，少于%2字节的图片记录区")
                         .arg(data.size())
                         .arg(kSlotAreaSize);
        return false;
    }
    out.m_bytes = data.left(kSlotAreaSize);
    return true;
}

bool SlotArea::load(const QString &path, SlotArea &out, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("图片列表文件%1无法打开：%2").arg(path, file.errorString());
        return false;
    }
    const QByteArray head = file.read(kSlotAreaSize);
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("图片列表文件%1无法读取：%2").arg(path, file.errorString());
        return false;
    }
    if (!fromBytes(head, out, error)) {
        if (error)
            *error = path + QStringLiteral("：") + *error;
        return false;
    }
    return true;
}

SlotRecord SlotArea::slot(int i) const
{
    return SlotRecord::fromBytes(m_bytes.constData() + qsizetype(i) * kSlotSize);
}

bool SlotArea::setSlot(int i, const SlotRecord &record)
{
    return record.writeTo(m_bytes.data() + qsizetype(i) * kSlotSize);
}

void SlotArea::clearSlot(int i)
{
    std::fill_n(m_bytes.data() + qsizetype(i) * kSlotSize, kSlotSize, '\0');
}

int SlotArea::firstFreeSlot() const
{
    for (int i = 0; i < kSlotCount; ++i) {
        const char *p = m_bytes.constData() + qsizetype(i) * kSlotSize;
        if (getBe16(p + kSlotWidthOffset) == 0 && getBe16(p + kSlotHeightOffset) == 0
            && getBe16(p + kSlotNumberOffset) == 0)
            return i;
    }
    return -1;
}

int64_t SlotArea::startPage(int i) const
{
    const std::vector<SlotData> walk = walkDataArea(m_bytes, DataSlots::Sized);
    if (i <= 0)
        return 0;
    if (i >= kSlotCount)
        return walk.back().startPage + walk.back().pages();
    return walk[size_t(i)].startPage;
}

void appendPicturePages(QByteArray &dataArea, const QByteArray &pixels)
{
    dataArea.append(pixels);
    const qsizetype tail = pixels.size() % kFlashPage;
    if (tail != 0)
        dataArea.append(kFlashPage - tail, '\0');
}

bool clearPageUse(QByteArray &image, int pageNo)
{
    if (image.size() < kSlotAreaSize || pageNo < 0 || pageNo >= kSlotPageUseSize)
        return false;
    bool changed = false;
    for (int i = 0; i < kSlotCount; ++i) {
        char &flag = image[qsizetype(i) * kSlotSize + kSlotPageUseOffset + pageNo];
        changed = changed || flag != 0;
        flag = 0;
    }
    return changed;
}

bool releasePage(QByteArray &image, int pageNo)
{
    if (image.size() < kSlotAreaSize || pageNo < 0 || pageNo >= kSlotPageUseSize)
        return false;
    bool changed = false;
    for (int i = 0; i < kSlotCount; ++i) {
        char *rec = image.data() + qsizetype(i) * kSlotSize;
        if (rec[kSlotPageUseOffset + pageNo] != 1)
            continue;
        rec[kSlotPageUseOffset + pageNo] = 0;
        if (!SlotRecord::fromBytes(rec).usedByAnyPage())
            std::fill(rec, rec + kSlotSize, '\0');
        changed = true;
    }
    return changed;
}

} // namespace h5
