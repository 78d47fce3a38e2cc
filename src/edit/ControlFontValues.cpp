#include "edit/ControlFontValues.h"

namespace h5 {

namespace {
constexpr int kSizeCodes[kDotSizeCount] = {3, 9, 12, 15, 21, 27};
}

int sizeCodeOfIndex(int sizeIndex)
{
    return sizeIndex >= 0 && sizeIndex < kDotSizeCount ? kSizeCodes[sizeIndex] : 0;
}

int indexOfSizeCode(int sizeCode)
{
    for (int i = 0; i < kDotSizeCount; ++i) {
        if (kSizeCodes[i] == sizeCode)
            return i;
    }
    return -1;
}

QStringList dotSizeItems()
{
    return {QStringLiteral("8点阵"),  QStringLiteral("16点阵"), QStringLiteral("24点阵"),
            QStringLiteral("32点阵"), QStringLiteral("48点阵"), QStringLiteral("64点阵")};
}

QStringList ControlFontChoice::faceItems() const
{
    if (sizeIndex <= 0)
        return {QStringLiteral("ASCII")};
    if (sizeIndex > 3)
        return {faceName(0), faceName(2)};
    return faceNames();
}

void ControlFontChoice::fitFace()
{
    if (face < 0 || face >= faceItems().size())
        face = 0;
}

void ControlFontChoice::setSize(int index)
{
    sizeIndex = index;
    fitFace();
}

int ControlFontChoice::faceNumberOfItem(int item) const
{
    const QStringList items = faceItems();
    if (item < 0 || item >= items.size())
        return -1;
    if (sizeIndex <= 0)
        return 0; // "ASCII" stands for 宋体
    return int(faceNames().indexOf(items.at(item)));
}

void ControlFontChoice::chooseFace(int index)
{
    face = index;
    // 仿宋 and 楷体 (face numbers 1 and 3) have no 48- and 64-dot fonts: a
    // choice of them takes the size down to 16 dots. The rule goes by the
    // face, not by the item's place, since at 48 and 64 dots item 1 is 黑体.
    const int number = faceNumberOfItem(index);
    if ((number == 1 || number == 3) && sizeIndex > 3) {
        sizeIndex = 1;
        face = number;
    }
    fitFace();
}

} // namespace h5
