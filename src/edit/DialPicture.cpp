#include "edit/DialPicture.h"

#include "common/Gbk.h"
#include "edit/Tools.h"
#include "project/Compiler.h"

#include <QDir>

#include <algorithm>

namespace h5 {

bool pageHasDial(const std::vector<CGraph> &elements, const CGraph &pointer)
{
    return std::any_of(elements.begin(), elements.end(),
                       [&](const CGraph &e) { return showsDialOf(e, pointer); });
}

QString placeDialQuestion(const CGraph &pointer)
{
    return QStringLiteral("指针控件 ID %1 的表盘图片 %2 还不在本页面上，终端上不会显示这个控件。\n"
                          "是否把表盘图片放到控件下面?")
        .arg(pointer.m_nCtrlID)
        .arg(fromGbk(pointer.m_strText3));
}

CGraph dialElement(const CGraph &pointer, const Project::PictureChoice &choice,
                   const ShapeDefaults &defaults)
{
    // The gauge's centre, as the pointer form shows it.
    const QPoint centre = pointer.m_ptStart + (pointer.m_ptEnd - pointer.m_ptStart) / 2;
    const QPoint start(std::max(0, centre.x() - choice.size.width() / 2),
                       std::max(0, centre.y() - choice.size.height() / 2));
    const QPoint end = start + QPoint(choice.size.width(), choice.size.height());
    ShapeDefaults d = defaults;
    d.pictureBlocks = choice.blocks;
    d.pictureNumber = choice.number;
    d.text1 = choice.fileName;
    d.text2 = toGbk(QDir::toNativeSeparators(choice.destination));
    d.text3 = choice.title;
    return newShapeElement(Tool::Bitmap, start, end, d);
}

void insertUnder(EditState &state, int controlIndex, CGraph dial)
{
    std::vector<CGraph> &elements = state.elements();
    controlIndex = std::clamp(controlIndex, 0, int(elements.size()));
    elements.insert(elements.begin() + controlIndex, std::move(dial));
    if (state.selected && state.selectedIndex >= controlIndex)
        ++state.selectedIndex;
}

} // namespace h5
