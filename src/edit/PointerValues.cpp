#include "edit/PointerValues.h"

#include "common/Bytes.h"
#include "common/FileIo.h"
#include "common/Gbk.h"

#include <QFileInfo>

namespace h5 {

void PointerCtrlValues::applyPointerFile(const PointerFileHeader &h)
{
    pointerName = h.name;
    length = h.length;
    tipCut = h.tipCut;
    startAngle = h.startAngle;
    endAngle = h.endAngle;
    positions = h.positions;
}

void PointerCtrlValues::chooseDial(const QString &path)
{
    dialPath = toGbk(path);
    dialName = toGbk(QFileInfo(path).fileName());
}

const IntFields<PointerCtrlValues> &PointerCtrlValues::fields()
{
    static const IntFields<PointerCtrlValues> f = {
        {"ctrlId", &PointerCtrlValues::ctrlId, IntCheck::unsignedIn(0, 2047)},
        {"centreX", &PointerCtrlValues::centreX, IntCheck::unsignedIn(0, 800)},
        {"centreY", &PointerCtrlValues::centreY, IntCheck::unsignedIn(0, 600)},
        {"lineWidth", &PointerCtrlValues::lineWidth, IntCheck::unsignedIn(1, 10)},
        {"minimum", &PointerCtrlValues::minimum, IntCheck::signedAny()},
        {"maximum", &PointerCtrlValues::maximum, IntCheck::signedAny()},
        {"belowShown", &PointerCtrlValues::belowShown, IntCheck::unsignedIn(0, 65280)},
        {"aboveShown", &PointerCtrlValues::aboveShown, IntCheck::unsignedIn(0, 65280)},
    };
    return f;
}

void PointerCtrlValues::fromElement(const CGraph &g)
{
    ctrlId = g.m_nCtrlID;
    centreX = wrapAdd(g.m_ptStart.x(), wrapSub(g.m_ptEnd.x(), g.m_ptStart.x()) / 2);
    centreY = wrapAdd(g.m_ptStart.y(), wrapSub(g.m_ptEnd.y(), g.m_ptStart.y()) / 2);
    const uint32_t attr = uint32_t(g.m_nAttr);
    length = int(attr & 0xFFFF);
    lineWidth = int((attr >> 16) & 0xFF);
    positions = int(attr >> 24);
    tipCut = g.m_nNumber;
    maximum = g.m_nValue1;
    minimum = g.m_nValue2;
    startAngle = g.m_nValue3;
    endAngle = g.m_nValue4;
    belowShown = outOfRangeBelow(g.m_nExtra);
    aboveShown = outOfRangeAbove(g.m_nExtra);
    needle = g.m_crColor1;
    outNeedle = g.m_crColor4;
    pointerName = g.m_strText2;
    dialPath = g.m_strText1;
    dialName = g.m_strText3;
}

FormApply PointerCtrlValues::toElement(CGraph &g) const
{
    const int k = wrapAdd(wrapAdd(length, tipCut), 5);
    g.m_nCtrlID = ctrlId;
    g.m_ptStart = QPoint(wrapSub(centreX, k), wrapSub(centreY, k));
    g.m_ptEnd = QPoint(wrapAdd(centreX, k), wrapAdd(centreY, k));
    g.m_nAttr = int((uint32_t(length) & 0xFFFF) | ((uint32_t(lineWidth) & 0xFF) << 16)
                    | ((uint32_t(positions) & 0xFF) << 24));
    g.m_nNumber = tipCut;
    g.m_nValue1 = maximum;
    g.m_nValue2 = minimum;
    g.m_nValue3 = startAngle;
    g.m_nValue4 = endAngle;
    g.m_nExtra = packOutOfRange(belowShown, aboveShown);
    g.m_crColor1 = needle;
    g.m_crColor4 = outNeedle;
    g.m_strText2 = pointerName;
    g.m_strText1 = dialPath;
    g.m_strText3 = dialName;
    return FormApply::Written;
}

QString PointerCtrlValues::missingParts() const
{
    QString text;
    if (pointerName.empty())
        text += QStringLiteral("请加载指针!");
    if (dialName.empty())
        text += QStringLiteral("请选择位图!");
    return text;
}

CGraph PointerCtrlValues::makeElement(const NewElementInfo &info) const
{
    CGraph g = blankElement(Kind::PointerCtrl, info.source);
    toElement(g);
    return g;
}

std::optional<CGraph> PointerCtrlValues::newElement(const NewElementInfo &info) const
{
    if (!missingParts().isEmpty())
        return std::nullopt;
    return makeElement(info);
}

} // namespace h5
