#include "edit/NumericValues.h"

#include "edit/ControlFontValues.h"

namespace h5 {

int numericCellHeight(int sizeCode)
{
    switch (sizeCode) {
    case 6: return 12;
    case 12: return 24;
    case 15: return 32;
    case 21: return 48;
    case 27: return 64;
    default: return 16; // 3 and 9, and codes no form offers
    }
}

QPoint numericBoxEnd(QPoint start, int sizeCode, int length)
{
    const int h = numericCellHeight(sizeCode);
    return QPoint(wrapAdd(start.x(), length * h / 2), wrapAdd(start.y(), sizeCode == 3 ? 8 : h));
}

QStringList NumericValues::sizeItems()
{
    return {QStringLiteral("8*8"), QStringLiteral("16*8"), QStringLiteral("24*12"),
            QStringLiteral("32*16"), QStringLiteral("48*24"), QStringLiteral("64*32")};
}

int NumericValues::sizeCode() const { return sizeCodeOfIndex(sizeIndex); }

const IntFields<NumericValues> &NumericValues::fields()
{
    static const IntFields<NumericValues> f = [] {
        IntFields<NumericValues> list = {
            {"ctrlId", &NumericValues::ctrlId, IntCheck::unsignedIn(0, 2047)},
            {"x", &NumericValues::x, IntCheck::unsignedIn(0, 1280)},
            {"y", &NumericValues::y, IntCheck::unsignedIn(0, 1024)},
            {"intDigits", &NumericValues::intDigits, IntCheck::unsignedIn(0, 10)},
            {"decimals", &NumericValues::decimals, IntCheck::unsignedIn(0, 10)},
            {"minimum", &NumericValues::minimum, IntCheck::signedAny()},
            {"maximum", &NumericValues::maximum, IntCheck::signedAny()},
            {"belowShown", &NumericValues::belowShown, IntCheck::unsignedIn(0, 65280)},
            {"aboveShown", &NumericValues::aboveShown, IntCheck::unsignedIn(0, 65280)},
        };
        return list;
    }();
    return f;
}

void NumericValues::fromElement(const CGraph &g)
{
    ctrlId = g.m_nCtrlID;
    const int index = indexOfSizeCode((g.m_nAttr >> 8) & 0xFF);
    if (index >= 0)
        sizeIndex = index;
    x = g.m_ptStart.x();
    y = g.m_ptStart.y();
    decimals = g.m_nValue1;
    intDigits = g.m_nValue2;
    minimum = g.m_nValue3;
    maximum = g.m_nValue4;
    belowShown = outOfRangeBelow(g.m_nExtra);
    aboveShown = outOfRangeAbove(g.m_nExtra);
    const NumericFormat f = NumericFormat::ofStyle(g.m_nStyle, intDigits, decimals);
    signMode = f.signMode;
    hex = f.hex;
    align = f.align;
    leadingZeros = f.leadingZeros;
    foreground = g.m_crColor1;
    background = g.m_crColor2;
    outForeground = g.m_crColor4;
    outBackground = g.m_crColor5;
}

FormApply NumericValues::toElement(CGraph &g) const
{
    g.m_nCtrlID = ctrlId;
    g.m_ptStart = QPoint(x, y);
    g.m_nAttr = sizeCode() * 256 + 1;
    g.m_nValue1 = decimals;
    g.m_nValue2 = intDigits;
    g.m_nValue3 = minimum;
    g.m_nValue4 = maximum;
    g.m_nExtra = packOutOfRange(belowShown, aboveShown);
    g.m_nStyle = format().style();
    g.m_crColor1 = foreground;
    g.m_crColor2 = background;
    g.m_crColor4 = outForeground;
    g.m_crColor5 = outBackground;
    g.m_strText2 = previewText();
    g.m_ptEnd = numericBoxEnd(g.m_ptStart, sizeCode(), int(g.m_strText2.size()));
    return FormApply::Written;
}

std::optional<CGraph> NumericValues::newElement(const NewElementInfo &info) const { return makeElement(info); }

CGraph NumericValues::makeElement(const NewElementInfo &info) const
{
    CGraph g = blankElement(Kind::NumericCtrl, info.source);
    toElement(g);
    g.m_nNumber = info.pictureNumber;
    return g;
}

} // namespace h5
