#include "edit/BitmapValues.h"

namespace h5 {

const IntFields<BitmapValues> &BitmapValues::fields()
{
    static const IntFields<BitmapValues> f = {
        {"x", &BitmapValues::x, IntCheck::unsignedAny()},
        {"y", &BitmapValues::y, IntCheck::unsignedAny()},
        {"width", &BitmapValues::width, IntCheck::unsignedAny()},
        {"height", &BitmapValues::height, IntCheck::unsignedAny()},
    };
    return f;
}

void BitmapValues::fromElement(const CGraph &g)
{
    title = g.m_strText3;
    x = g.m_ptStart.x();
    y = g.m_ptStart.y();
    width = wrapSub(g.m_ptEnd.x(), g.m_ptStart.x());
    height = wrapSub(g.m_ptEnd.y(), g.m_ptStart.y());
    blocks = g.m_nAttr;
    pictureNumber = g.m_nNumber;
}

FormApply BitmapValues::toElement(CGraph &g) const
{
    g.m_ptStart = QPoint(x, y);
    g.m_ptEnd = QPoint(wrapAdd(x, width), wrapAdd(y, height));
    g.m_nNumber = pictureNumber;
    g.m_nAttr = pictureBlockCount(width, height);
    return FormApply::Written;
}

} // namespace h5
