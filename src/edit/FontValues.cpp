#include "edit/FontValues.h"

#include "edit/ControlFontValues.h"
#include "model/ControlGeometry.h"

namespace h5 {

FontValues FontValues::forNewText(QPoint start, const TextToolState &last)
{
    FontValues v;
    v.x = start.x();
    v.y = start.y();
    v.foreground = last.foreground;
    v.background = last.background;
    v.setAttr(last.attr);
    v.columnSpacing = last.columnSpacing;
    v.lineSpacing = last.lineSpacing;
    return v;
}

void FontValues::storeIn(TextToolState &last) const
{
    last.foreground = foreground;
    last.background = background;
    last.attr = attr();
    last.columnSpacing = columnSpacing;
    last.lineSpacing = lineSpacing;
}

int FontValues::sizeCode() const { return sizeCodeOfIndex(sizeIndex); }

void FontValues::setAttr(int a)
{
    const uint32_t w = uint32_t(a);
    const int mode = int(w & 0xFF);
    displayMode = mode == 1 ? 1 : 0;
    const int index = indexOfSizeCode(int((w >> 8) & 0xFF));
    sizeIndex = index >= 0 ? index : 0;
    const int f = int((w >> 16) & 0xFF);
    face = f <= 3 ? f : 0;
}

void FontValues::chooseSize(int index)
{
    sizeIndex = index;
    if (index == 0)
        face = 0;
    else if (index >= 4 && (face == 1 || face == 3))
        face = 0;
}

bool FontValues::faceEnabled(int f) const
{
    if (sizeIndex == 0)
        return f == 0;
    if (sizeIndex >= 4)
        return f == 0 || f == 2;
    return true;
}

bool FontValues::refusedAtEightDots() const { return sizeCode() == 3 && hasDoubleByteCharacter(text); }

const IntFields<FontValues> &FontValues::fields()
{
    static const IntFields<FontValues> f = {
        {"x", &FontValues::x, IntCheck::unsignedAny()},
        {"y", &FontValues::y, IntCheck::unsignedAny()},
        {"columnSpacing", &FontValues::columnSpacing, IntCheck::unsignedIn(0, 250)},
        {"lineSpacing", &FontValues::lineSpacing, IntCheck::unsignedIn(0, 250)},
    };
    return f;
}

FormError FontValues::readTexts(const FieldTexts &texts)
{
    if (FormError e = checkTextLength(QStringLiteral("text"), text, kTextLimit))
        return e;
    return readIntFields(*this, fields(), texts);
}

FormError FontValues::validate() const
{
    if (FormError e = checkTextLength(QStringLiteral("text"), text, kTextLimit))
        return e;
    return checkIntFields(*this, fields());
}

void FontValues::fromElement(const CGraph &g)
{
    text = g.m_strText2;
    setAttr(g.m_nAttr);
    x = g.m_ptStart.x();
    y = g.m_ptStart.y();
    foreground = g.m_crColor1;
    background = g.m_crColor2;
    columnSpacing = leadingInteger(g.m_strText1);
    lineSpacing = leadingInteger(g.m_strText3);
}

FormApply FontValues::toElement(CGraph &g) const
{
    g.m_strText2 = text;
    g.m_nAttr = attr();
    g.m_ptStart = QPoint(x, y);
    g.m_crColor1 = foreground;
    g.m_crColor2 = background;
    g.m_strText1 = std::to_string(columnSpacing);
    g.m_strText3 = std::to_string(lineSpacing);
    if (text.empty() || refusedAtEightDots())
        return FormApply::Remove;
    return FormApply::Written;
}

std::optional<CGraph> FontValues::newElement(const NewElementInfo &info) const
{
    if (text.empty() || refusedAtEightDots())
        return std::nullopt;
    return makeElement(info);
}

CGraph FontValues::makeElement(const NewElementInfo &info) const
{
    CGraph g = blankElement(Kind::Text, info.source);
    toElement(g);
    g.m_ptEnd = g.m_ptStart;
    return g;
}

} // namespace h5
