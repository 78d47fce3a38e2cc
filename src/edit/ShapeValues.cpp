#include "edit/ShapeValues.h"

namespace h5 {

namespace {

QPoint plus(int x, int y, int w, int h) { return QPoint(wrapAdd(x, w), wrapAdd(y, h)); }

} // namespace

// ---- line -------------------------------------------------------------------

const IntFields<LineValues> &LineValues::fields()
{
    static const IntFields<LineValues> f = {
        {"startX", &LineValues::startX, IntCheck::unsignedAny()},
        {"startY", &LineValues::startY, IntCheck::unsignedAny()},
        {"endX", &LineValues::endX, IntCheck::unsignedAny()},
        {"endY", &LineValues::endY, IntCheck::unsignedAny()},
    };
    return f;
}

void LineValues::fromElement(const CGraph &g)
{
    startX = g.m_ptStart.x();
    startY = g.m_ptStart.y();
    endX = g.m_ptEnd.x();
    endY = g.m_ptEnd.y();
    colour = g.m_crColor1;
}

FormApply LineValues::toElement(CGraph &g) const
{
    g.m_ptStart = QPoint(startX, startY);
    g.m_ptEnd = QPoint(endX, endY);
    g.m_crColor1 = colour;
    return g.m_ptStart == g.m_ptEnd ? FormApply::Remove : FormApply::Written;
}

// ---- rectangle --------------------------------------------------------------

const IntFields<RectangleValues> &RectangleValues::fields()
{
    static const IntFields<RectangleValues> f = {
        {"x", &RectangleValues::x, IntCheck::unsignedAny()},
        {"y", &RectangleValues::y, IntCheck::unsignedAny()},
        {"width", &RectangleValues::width, IntCheck::unsignedAny()},
        {"height", &RectangleValues::height, IntCheck::unsignedAny()},
    };
    return f;
}

void RectangleValues::fromElement(const CGraph &g)
{
    x = g.m_ptStart.x();
    y = g.m_ptStart.y();
    width = wrapSub(g.m_ptEnd.x(), g.m_ptStart.x());
    height = wrapSub(g.m_ptEnd.y(), g.m_ptStart.y());
    colour = g.m_crColor1;
}

FormApply RectangleValues::toElement(CGraph &g) const
{
    if (width == 0 || height == 0)
        return FormApply::Remove;
    g.m_ptStart = QPoint(x, y);
    g.m_ptEnd = plus(x, y, width, height);
    g.m_crColor1 = colour;
    return FormApply::Written;
}

// ---- ellipse ----------------------------------------------------------------

const IntFields<EllipseValues> &EllipseValues::fields()
{
    static const IntFields<EllipseValues> f = {
        {"centreX", &EllipseValues::centreX, IntCheck::unsignedAny()},
        {"centreY", &EllipseValues::centreY, IntCheck::unsignedAny()},
        {"halfWidth", &EllipseValues::halfWidth, IntCheck::unsignedAny()},
        {"halfHeight", &EllipseValues::halfHeight, IntCheck::unsignedAny()},
    };
    return f;
}

void EllipseValues::fromElement(const CGraph &g)
{
    const int x1 = g.m_ptStart.x(), y1 = g.m_ptStart.y();
    const int x2 = g.m_ptEnd.x(), y2 = g.m_ptEnd.y();
    centreX = int((int64_t(x1) + x2) / 2);
    centreY = int((int64_t(y1) + y2) / 2);
    halfWidth = int((int64_t(x2) - x1) / 2);
    halfHeight = int((int64_t(y2) - y1) / 2);
    colour = g.m_crColor1;
}

FormApply EllipseValues::toElement(CGraph &g) const
{
    g.m_ptStart = QPoint(wrapSub(centreX, halfWidth), wrapSub(centreY, halfHeight));
    g.m_ptEnd = plus(centreX, centreY, halfWidth, halfHeight);
    g.m_crColor1 = colour;
    return FormApply::Written;
}

// ---- circle -----------------------------------------------------------------

const IntFields<CircleValues> &CircleValues::fields()
{
    static const IntFields<CircleValues> f = {
        {"centreX", &CircleValues::centreX, IntCheck::unsignedAny()},
        {"centreY", &CircleValues::centreY, IntCheck::unsignedAny()},
        {"radius", &CircleValues::radius, IntCheck::unsignedAny()},
    };
    return f;
}

void CircleValues::fromElement(const CGraph &g)
{
    centreX = g.m_ptStart.x();
    centreY = g.m_ptStart.y();
    radius = pointDistance(g.m_ptStart, g.m_ptEnd);
    colour = g.m_crColor1;
}

FormApply CircleValues::toElement(CGraph &g) const
{
    g.m_ptStart = QPoint(centreX, centreY);
    g.m_ptEnd = QPoint(wrapAdd(centreX, radius), centreY);
    g.m_crColor1 = colour;
    return FormApply::Written;
}

// ---- group box --------------------------------------------------------------

const IntFields<GroupBoxValues> &GroupBoxValues::fields()
{
    static const IntFields<GroupBoxValues> f = {
        {"x", &GroupBoxValues::x, IntCheck::unsignedAny()},
        {"y", &GroupBoxValues::y, IntCheck::unsignedAny()},
        {"width", &GroupBoxValues::width, IntCheck::unsignedAny()},
        {"height", &GroupBoxValues::height, IntCheck::unsignedAny()},
    };
    return f;
}

void GroupBoxValues::fromElement(const CGraph &g)
{
    x = g.m_ptStart.x();
    y = g.m_ptStart.y();
    width = wrapSub(g.m_ptEnd.x(), g.m_ptStart.x());
    height = wrapSub(g.m_ptEnd.y(), g.m_ptStart.y());
    light = g.m_crColor1;
    dark = g.m_crColor2;
}

FormApply GroupBoxValues::toElement(CGraph &g) const
{
    if (width == 0 || height == 0)
        return FormApply::Refused;
    g.m_ptStart = QPoint(x, y);
    g.m_ptEnd = plus(x, y, width, height);
    g.m_crColor1 = light;
    g.m_crColor2 = dark;
    return FormApply::Written;
}

// ---- panel ------------------------------------------------------------------

const IntFields<PanelValues> &PanelValues::fields()
{
    static const IntFields<PanelValues> f = {
        {"x", &PanelValues::x, IntCheck::unsignedAny()},
        {"y", &PanelValues::y, IntCheck::unsignedAny()},
        {"width", &PanelValues::width, IntCheck::unsignedAny()},
        {"height", &PanelValues::height, IntCheck::unsignedAny()},
        {"borderWidth", &PanelValues::borderWidth, IntCheck::unsignedIn(1, 16)},
    };
    return f;
}

void PanelValues::fromElement(const CGraph &g)
{
    x = g.m_ptStart.x();
    y = g.m_ptStart.y();
    width = wrapSub(g.m_ptEnd.x(), g.m_ptStart.x());
    height = wrapSub(g.m_ptEnd.y(), g.m_ptStart.y());
    borderWidth = g.m_nStyle & 0x0F;
    transparent = (uint32_t(g.m_nStyle) >> 4) != 0;
    sunken = g.m_nAttr == 1 ? 1 : 0;
    light = g.m_crColor1;
    dark = g.m_crColor2;
    face = g.m_crColor3;
}

FormApply PanelValues::toElement(CGraph &g) const
{
    if (width == 0 || height == 0)
        return FormApply::Refused;
    g.m_ptStart = QPoint(x, y);
    g.m_ptEnd = plus(x, y, width, height);
    g.m_nStyle = (transparent ? 16 : 0) + borderWidth;
    g.m_nAttr = sunken;
    g.m_crColor1 = light;
    g.m_crColor2 = dark;
    g.m_crColor3 = face;
    return FormApply::Written;
}

} // namespace h5
