#include "edit/ButtonValues.h"

namespace h5 {

const IntFields<ButtonValues> &ButtonValues::fields()
{
    static const IntFields<ButtonValues> f = {
        {"ctrlId", &ButtonValues::ctrlId, IntCheck::unsignedIn(0, 2047)},
        {"x", &ButtonValues::x, IntCheck::unsignedAny()},
        {"y", &ButtonValues::y, IntCheck::unsignedAny()},
        {"width", &ButtonValues::width, IntCheck::unsignedAny()},
        {"height", &ButtonValues::height, IntCheck::unsignedAny()},
        {"borderWidth", &ButtonValues::borderWidth, IntCheck::unsignedIn(1, 16)},
        {"nextPage", &ButtonValues::nextPage, IntCheck::unsignedIn(0, 1023)},
    };
    return f;
}

void ButtonValues::fromElement(const CGraph &g)
{
    ctrlId = g.m_nCtrlID;
    x = g.m_ptStart.x();
    y = g.m_ptStart.y();
    width = wrapSub(g.m_ptEnd.x(), g.m_ptStart.x());
    height = wrapSub(g.m_ptEnd.y(), g.m_ptStart.y());
    const uint32_t style = uint32_t(g.m_nStyle);
    borderWidth = int(style & 0x0F);
    transparent = (style >> 4) & 1;
    invisible = (style >> 5) & 1;
    showText = (style >> 6) & 1;
    const uint32_t attr = uint32_t(g.m_nAttr);
    sendId = attr & 1;
    switchPage = (attr >> 1) & 1;
    sendCoordinates = ((attr >> 2) & 1) == 0;
    nextPage = g.m_nNumber;
    const uint32_t extra = uint32_t(g.m_nExtra);
    const int position = int(extra & 3);
    textPosition = position < 3 ? position : 1;
    const int size = int((extra >> 4) & 0x0F);
    font.sizeIndex = size < kDotSizeCount ? size : 1;
    font.face = int((extra >> 2) & 3);
    font.fitFace();
    text = g.m_strText1;
    light = g.m_crColor1;
    dark = g.m_crColor2;
    face = g.m_crColor3;
    textColour = g.m_crColor4;
}

FormApply ButtonValues::toElement(CGraph &g) const
{
    if (width == 0 || height == 0)
        return FormApply::Refused;
    write(g);
    return FormApply::Written;
}

void ButtonValues::write(CGraph &g) const
{
    g.m_nCtrlID = ctrlId;
    g.m_ptStart = QPoint(x, y);
    g.m_ptEnd = QPoint(wrapAdd(x, width), wrapAdd(y, height));
    g.m_nStyle = (showText ? 64 : 0) + (invisible ? 32 : 0) + (transparent ? 16 : 0) + borderWidth;
    g.m_nAttr = (sendCoordinates ? 0 : 4) + (switchPage ? 2 : 0) + (sendId ? 1 : 0);
    g.m_nNumber = nextPage;
    g.m_nExtra = font.sizeIndex * 16 + font.face * 4 + textPosition;
    g.m_strText1 = text;
    g.m_crColor1 = light;
    g.m_crColor2 = dark;
    g.m_crColor3 = face;
    g.m_crColor4 = textColour;
}

CGraph ButtonValues::makeElement(const NewElementInfo &info) const
{
    CGraph g = blankElement(Kind::ButtonCtrl, info.source);
    write(g);
    return g;
}

std::optional<CGraph> ButtonValues::newElement(const NewElementInfo &info) const
{
    if (width == 0 || height == 0)
        return std::nullopt;
    return makeElement(info);
}

} // namespace h5
