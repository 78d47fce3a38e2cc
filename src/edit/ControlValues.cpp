#include "edit/ControlValues.h"

namespace h5 {

namespace {

QPoint plus(int x, int y, int w, int h) { return QPoint(wrapAdd(x, w), wrapAdd(y, h)); }

} // namespace

QSize stringCellSize(int dotIndex)
{
    static const QSize cells[kDotSizeCount] = {{8, 8}, {8, 16}, {12, 24}, {16, 32}, {24, 48}, {32, 64}};
    return dotIndex >= 0 && dotIndex < kDotSizeCount ? cells[dotIndex] : cells[0];
}

// ---- string control ---------------------------------------------------------

const IntFields<StringCtrlValues> &StringCtrlValues::fields()
{
    static const IntFields<StringCtrlValues> f = {
        {"ctrlId", &StringCtrlValues::ctrlId, IntCheck::unsignedIn(0, 2047)},
        {"x", &StringCtrlValues::x, IntCheck::unsignedIn(0, 2000)},
        {"y", &StringCtrlValues::y, IntCheck::unsignedIn(0, 2000)},
        {"count", &StringCtrlValues::count, IntCheck::unsignedIn(1, 255)},
    };
    return f;
}

void StringCtrlValues::fromElement(const CGraph &g)
{
    ctrlId = g.m_nCtrlID;
    x = g.m_ptStart.x();
    y = g.m_ptStart.y();
    count = (g.m_nAttr >> 8) & 0xFF;
    const int index = g.m_nAttr & 0xFF;
    dotIndex = index < kDotSizeCount ? index : 0;
    foreground = g.m_crColor1;
    background = g.m_crColor2;
}

FormApply StringCtrlValues::toElement(CGraph &g) const
{
    const QSize cell = stringCellSize(dotIndex);
    g.m_nCtrlID = ctrlId;
    g.m_ptStart = QPoint(x, y);
    g.m_ptEnd = plus(x, y, count * cell.width(), cell.height());
    g.m_nAttr = count * 256 + dotIndex;
    g.m_crColor1 = foreground;
    g.m_crColor2 = background;
    return FormApply::Written;
}

CGraph StringCtrlValues::makeElement(const NewElementInfo &info) const
{
    CGraph g = blankElement(Kind::StringCtrl, info.source);
    toElement(g);
    return g;
}

std::optional<CGraph> StringCtrlValues::newElement(const NewElementInfo &info) const { return makeElement(info); }

// ---- text control -----------------------------------------------------------

const IntFields<TextCtrlValues> &TextCtrlValues::fields()
{
    static const IntFields<TextCtrlValues> f = {
        {"ctrlId", &TextCtrlValues::ctrlId, IntCheck::unsignedIn(0, 2048)},
        {"x", &TextCtrlValues::x, IntCheck::unsignedIn(0, 2000)},
        {"y", &TextCtrlValues::y, IntCheck::unsignedIn(0, 2000)},
        {"width", &TextCtrlValues::width, IntCheck::unsignedIn(0, 2000)},
        {"height", &TextCtrlValues::height, IntCheck::unsignedIn(0, 2000)},
        {"columnSpacing", &TextCtrlValues::columnSpacing, IntCheck::unsignedIn(0, 255)},
        {"lineSpacing", &TextCtrlValues::lineSpacing, IntCheck::unsignedIn(0, 255)},
    };
    return f;
}

void TextCtrlValues::fromElement(const CGraph &g)
{
    ctrlId = g.m_nCtrlID;
    x = g.m_ptStart.x();
    y = g.m_ptStart.y();
    width = wrapSub(g.m_ptEnd.x(), g.m_ptStart.x());
    height = wrapSub(g.m_ptEnd.y(), g.m_ptStart.y());
    const int size = (g.m_nAttr >> 8) & 0xFF;
    font.sizeIndex = size < kDotSizeCount ? size : 0;
    font.face = g.m_nAttr & 0xFF;
    font.fitFace();
    foreground = g.m_crColor1;
    background = g.m_crColor2;
    columnSpacing = (g.m_nNumber >> 8) & 0xFF;
    lineSpacing = g.m_nNumber & 0xFF;
}

FormApply TextCtrlValues::toElement(CGraph &g) const
{
    g.m_nCtrlID = ctrlId;
    g.m_ptStart = QPoint(x, y);
    g.m_ptEnd = plus(x, y, width, height);
    g.m_nAttr = font.sizeIndex * 256 + font.face;
    g.m_crColor1 = foreground;
    g.m_crColor2 = background;
    g.m_nNumber = columnSpacing * 256 + lineSpacing;
    return FormApply::Written;
}

// ---- image control ----------------------------------------------------------

const IntFields<ImageCtrlValues> &ImageCtrlValues::fields()
{
    static const IntFields<ImageCtrlValues> f = {
        {"ctrlId", &ImageCtrlValues::ctrlId, IntCheck::unsignedIn(0, 2047)},
        {"x", &ImageCtrlValues::x, IntCheck::unsignedIn(0, 65535)},
        {"y", &ImageCtrlValues::y, IntCheck::unsignedIn(0, 65535)},
        {"width", &ImageCtrlValues::width, IntCheck::unsignedIn(1, 800)},
        {"height", &ImageCtrlValues::height, IntCheck::unsignedIn(1, 600)},
        {"firstPicture", &ImageCtrlValues::firstPicture, IntCheck::unsignedIn(0, 600)},
        {"lastPicture", &ImageCtrlValues::lastPicture, IntCheck::unsignedIn(0, 600)},
    };
    return f;
}

void ImageCtrlValues::fromElement(const CGraph &g)
{
    ctrlId = g.m_nCtrlID;
    x = g.m_ptStart.x();
    y = g.m_ptStart.y();
    width = wrapSub(g.m_ptEnd.x(), g.m_ptStart.x());
    height = wrapSub(g.m_ptEnd.y(), g.m_ptStart.y());
    firstPicture = g.m_nValue3;
    lastPicture = g.m_nValue4;
}

FormApply ImageCtrlValues::toElement(CGraph &g) const
{
    g.m_nCtrlID = ctrlId;
    g.m_ptStart = QPoint(x, y);
    g.m_ptEnd = plus(x, y, width, height);
    g.m_nValue3 = firstPicture;
    g.m_nValue4 = lastPicture;
    return FormApply::Written;
}

std::optional<CGraph> ImageCtrlValues::newElement(const NewElementInfo &info) const { return makeElement(info); }

CGraph ImageCtrlValues::makeElement(const NewElementInfo &info) const
{
    CGraph g = blankElement(Kind::ImageCtrl, info.source);
    toElement(g);
    g.m_crColor1 = info.pen;
    g.m_crColor2 = info.fill;
    return g;
}

// ---- bar graph control ------------------------------------------------------

void BarCtrlValues::setStructure(int code)
{
    if (code < 0 || code >= 8)
        code = 0;
    reversed = code & 1;
    horizontal = (code >> 1) & 1;
    bar = (code >> 2) & 1;
}

const IntFields<BarCtrlValues> &BarCtrlValues::fields()
{
    static const IntFields<BarCtrlValues> f = {
        {"ctrlId", &BarCtrlValues::ctrlId, IntCheck::unsignedIn(0, 2047)},
        {"x", &BarCtrlValues::x, IntCheck::unsignedIn(0, 65535)},
        {"y", &BarCtrlValues::y, IntCheck::unsignedIn(0, 65535)},
        {"width", &BarCtrlValues::width, IntCheck::unsignedIn(1, 800)},
        {"height", &BarCtrlValues::height, IntCheck::unsignedIn(1, 600)},
        {"minimum", &BarCtrlValues::minimum, IntCheck::signedAny()},
        {"maximum", &BarCtrlValues::maximum, IntCheck::signedAny()},
        {"belowShown", &BarCtrlValues::belowShown, IntCheck::unsignedIn(0, 65280)},
        {"aboveShown", &BarCtrlValues::aboveShown, IntCheck::unsignedIn(0, 65280)},
    };
    return f;
}

void BarCtrlValues::fromElement(const CGraph &g)
{
    ctrlId = g.m_nCtrlID;
    x = g.m_ptStart.x();
    y = g.m_ptStart.y();
    width = wrapSub(g.m_ptEnd.x(), g.m_ptStart.x());
    height = wrapSub(g.m_ptEnd.y(), g.m_ptStart.y());
    minimum = g.m_nValue3;
    maximum = g.m_nValue4;
    belowShown = outOfRangeBelow(g.m_nExtra);
    aboveShown = outOfRangeAbove(g.m_nExtra);
    setStructure(g.m_nAttr);
    display = g.m_crColor1;
    background = g.m_crColor2;
    frame = g.m_crColor3;
    outDisplay = g.m_crColor4;
    outBackground = g.m_crColor5;
}

FormApply BarCtrlValues::toElement(CGraph &g) const
{
    if (width == 0 || height == 0)
        return FormApply::Refused;
    write(g);
    return FormApply::Written;
}

void BarCtrlValues::write(CGraph &g) const
{
    g.m_nCtrlID = ctrlId;
    g.m_ptStart = QPoint(x, y);
    g.m_ptEnd = plus(x, y, width, height);
    g.m_nValue3 = minimum;
    g.m_nValue4 = maximum;
    g.m_nExtra = packOutOfRange(belowShown, aboveShown);
    g.m_nAttr = structure();
    g.m_nStyle = structure();
    g.m_crColor1 = display;
    g.m_crColor2 = background;
    g.m_crColor3 = frame;
    g.m_crColor4 = outDisplay;
    g.m_crColor5 = outBackground;
}

CGraph BarCtrlValues::makeElement(const NewElementInfo &info) const
{
    CGraph g = blankElement(Kind::BarCtrl, info.source);
    write(g);
    g.m_nNumber = info.pictureNumber;
    return g;
}

std::optional<CGraph> BarCtrlValues::newElement(const NewElementInfo &info) const
{
    if (width == 0 || height == 0)
        return std::nullopt;
    return makeElement(info);
}

} // namespace h5
