// Shape forms: how line, rectangle, ellipse, circle, bitmap, group box and
// panel values come out of an element and go back into its words, and when
// OK removes or leaves the element.

#include "edit/BitmapValues.h"
#include "edit/ShapeValues.h"

#include <gtest/gtest.h>

using namespace h5;

namespace {

// An element with every word set to something recognisable, so a write to
// a field the form does not own shows up.
CGraph busy(int kind, QPoint a, QPoint b)
{
    return CGraph(kind, 0, a, b, 11, 12, RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9), RGB(10, 11, 12),
                  RGB(13, 14, 15), 16, 17, 18, 19, 20, 21, 22, "t1", "t3", "t2");
}

} // namespace

TEST(ShapeValues, LineRemovedOnlyWhenBothPointsMeet)
{
    struct Case { QPoint a, b; FormApply expected; };
    const Case cases[] = {
        {{10, 20}, {30, 40}, FormApply::Written},
        {{10, 20}, {10, 20}, FormApply::Remove},
        {{10, 20}, {10, 21}, FormApply::Written},
    };
    for (const Case &c : cases) {
        CGraph g = busy(Kind::Line, {0, 0}, {1, 1});
        LineValues v;
        v.fromElement(busy(Kind::Line, {5, 6}, {7, 8}));
        EXPECT_EQ(v.startX, 5);
        EXPECT_EQ(v.endY, 8);
        v.startX = c.a.x(); v.startY = c.a.y(); v.endX = c.b.x(); v.endY = c.b.y();
        v.colour = RGB(200, 0, 0);
        EXPECT_EQ(v.toElement(g), c.expected);
        if (c.expected == FormApply::Written) {
            EXPECT_EQ(g.m_ptStart, c.a);
            EXPECT_EQ(g.m_ptEnd, c.b);
            EXPECT_EQ(g.m_crColor1, RGB(200, 0, 0));
            EXPECT_EQ(g.m_crColor2, RGB(4, 5, 6)) << "the line form owns colour 1 only";
        }
    }
}

TEST(ShapeValues, RectangleShowsSizeAndIsRemovedWhenFlat)
{
    RectangleValues v;
    v.fromElement(busy(Kind::HollowRect, {10, 20}, {110, 70}));
    EXPECT_EQ(v.x, 10);
    EXPECT_EQ(v.y, 20);
    EXPECT_EQ(v.width, 100);
    EXPECT_EQ(v.height, 50);

    struct Case { int w, h; FormApply expected; };
    const Case cases[] = {{5, 6, FormApply::Written}, {0, 6, FormApply::Remove}, {5, 0, FormApply::Remove}};
    for (const Case &c : cases) {
        CGraph g = busy(Kind::SolidRect, {1, 1}, {2, 2});
        v.width = c.w;
        v.height = c.h;
        EXPECT_EQ(v.toElement(g), c.expected);
        if (c.expected == FormApply::Written) {
            EXPECT_EQ(g.m_ptStart, QPoint(10, 20));
            EXPECT_EQ(g.m_ptEnd, QPoint(15, 26));
        }
    }
}

TEST(ShapeValues, EllipseHalfAxesTruncateSoAnOddWidthShrinks)
{
    struct Case { QPoint a, b; int cx, cy, ha, hb; QPoint a2, b2; };
    const Case cases[] = {
        // width 101 comes back 100 wide
        {{0, 0}, {101, 50}, 50, 25, 50, 25, {0, 0}, {100, 50}},
        {{10, 10}, {30, 40}, 20, 25, 10, 15, {10, 10}, {30, 40}},
        // reversed corners keep their orientation; the halves truncate toward zero
        {{31, 40}, {10, 10}, 20, 25, -10, -15, {30, 40}, {10, 10}},
    };
    for (const Case &c : cases) {
        EllipseValues v;
        v.fromElement(busy(Kind::HollowEllipse, c.a, c.b));
        EXPECT_EQ(v.centreX, c.cx);
        EXPECT_EQ(v.centreY, c.cy);
        EXPECT_EQ(v.halfWidth, c.ha);
        EXPECT_EQ(v.halfHeight, c.hb);
        CGraph g = busy(Kind::SolidEllipse, c.a, c.b);
        EXPECT_EQ(v.toElement(g), FormApply::Written);
        EXPECT_EQ(g.m_ptStart, c.a2);
        EXPECT_EQ(g.m_ptEnd, c.b2);
    }
}

TEST(ShapeValues, CircleRadiusIsTruncatedDistanceAndEndGoesRightOfCentre)
{
    CircleValues v;
    v.fromElement(busy(Kind::HollowCircle, {100, 100}, {103, 104}));
    EXPECT_EQ(v.centreX, 100);
    EXPECT_EQ(v.radius, 5);
    v.fromElement(busy(Kind::HollowCircle, {100, 100}, {107, 107})); // 9.899
    EXPECT_EQ(v.radius, 9);
    CGraph g = busy(Kind::SolidCircle, {0, 0}, {0, 0});
    EXPECT_EQ(v.toElement(g), FormApply::Written);
    EXPECT_EQ(g.m_ptStart, QPoint(100, 100));
    EXPECT_EQ(g.m_ptEnd, QPoint(109, 100));

    // A circle of radius 0 stays, with both points equal.
    v.radius = 0;
    EXPECT_EQ(v.toElement(g), FormApply::Written);
    EXPECT_EQ(g.m_ptStart, g.m_ptEnd);
}

TEST(ShapeValues, GroupBoxAndPanelOfZeroSizeAreLeftUnchanged)
{
    const CGraph original = busy(Kind::GroupBox, {10, 10}, {50, 50});
    GroupBoxValues gb;
    gb.fromElement(original);
    gb.width = 0;
    CGraph g = original;
    EXPECT_EQ(gb.toElement(g), FormApply::Refused);
    EXPECT_EQ(g, original);

    PanelValues p;
    p.fromElement(original);
    p.height = 0;
    EXPECT_EQ(p.toElement(g), FormApply::Refused);
    EXPECT_EQ(g, original);
}

TEST(ShapeValues, GroupBoxEdgesAreColoursOneAndTwo)
{
    CGraph g = busy(Kind::GroupBox, {10, 10}, {50, 50});
    GroupBoxValues v;
    v.fromElement(g);
    EXPECT_EQ(v.light, RGB(1, 2, 3));
    EXPECT_EQ(v.dark, RGB(4, 5, 6));
    v.light = RGB(9, 9, 9);
    v.dark = RGB(8, 8, 8);
    v.x = 20;
    v.width = 5;
    EXPECT_EQ(v.toElement(g), FormApply::Written);
    EXPECT_EQ(g.m_ptStart, QPoint(20, 10));
    EXPECT_EQ(g.m_ptEnd, QPoint(25, 50));
    EXPECT_EQ(g.m_crColor1, RGB(9, 9, 9));
    EXPECT_EQ(g.m_crColor2, RGB(8, 8, 8));
    EXPECT_EQ(g.m_crColor3, RGB(7, 8, 9));
    EXPECT_EQ(g.m_nStyle, 21) << "the group box form leaves the style alone";
}

TEST(ShapeValues, PanelStyleHoldsBorderWidthAndTransparency)
{
    struct Case { int style, attr; int border; bool transparent; int sunken; };
    const Case read[] = {
        {3, 0, 3, false, 0},
        {0x15, 1, 5, true, 1},
        {0x2F, 0, 15, true, 0}, // any bit from 4 up counts as transparent
        {0x10, 2, 0, true, 0},  // a state other than 1 shows raised
    };
    for (const Case &c : read) {
        CGraph g = busy(Kind::Panel, {0, 0}, {10, 10});
        g.m_nStyle = c.style;
        g.m_nAttr = c.attr;
        PanelValues v;
        v.fromElement(g);
        EXPECT_EQ(v.borderWidth, c.border) << c.style;
        EXPECT_EQ(v.transparent, c.transparent) << c.style;
        EXPECT_EQ(v.sunken, c.sunken) << c.style;
    }

    struct Pack { int border; bool transparent; int sunken; int style; };
    const Pack packs[] = {{1, false, 0, 1}, {16, false, 1, 16}, {5, true, 1, 21}, {16, true, 0, 32}};
    for (const Pack &c : packs) {
        CGraph g = busy(Kind::Panel, {0, 0}, {10, 10});
        PanelValues v;
        v.fromElement(g);
        v.borderWidth = c.border;
        v.transparent = c.transparent;
        v.sunken = c.sunken;
        v.face = RGB(1, 1, 1);
        EXPECT_EQ(v.toElement(g), FormApply::Written);
        EXPECT_EQ(g.m_nStyle, c.style);
        EXPECT_EQ(g.m_nAttr, c.sunken);
        EXPECT_EQ(g.m_crColor3, RGB(1, 1, 1));
    }
}

TEST(ShapeValues, PanelBorderWidthIsCheckedAgainstOneToSixteen)
{
    PanelValues v;
    v.borderWidth = 17;
    const FormError e = v.validate();
    EXPECT_EQ(e.field, QStringLiteral("borderWidth"));
    EXPECT_EQ(e.message, QStringLiteral("“请填入一个在1和16之间的整数。”"));
    v.borderWidth = 0;
    EXPECT_EQ(v.validate().field, QStringLiteral("borderWidth"));
}

TEST(ShapeValues, BitmapBlockCountFollowsTheFormSizeNotTheOldCount)
{
    CGraph g = busy(Kind::Bitmap, {10, 20}, {330, 260});
    g.m_nAttr = 1;
    g.m_nNumber = 7;
    g.m_strText3 = "logo";
    BitmapValues v;
    v.fromElement(g);
    EXPECT_EQ(v.title, "logo");
    EXPECT_EQ(v.width, 320);
    EXPECT_EQ(v.height, 240);
    EXPECT_EQ(v.blocks, 1);
    EXPECT_EQ(v.pictureNumber, 7);

    v.width = 800;
    v.height = 480;
    v.pictureNumber = 599;
    v.blocks = 42; // shown only; never written
    EXPECT_EQ(v.toElement(g), FormApply::Written);
    EXPECT_EQ(g.m_ptEnd, QPoint(810, 500));
    EXPECT_EQ(g.m_nAttr, 6);
    EXPECT_EQ(g.m_nNumber, 599);
    EXPECT_EQ(g.m_strText1, "t1") << "the picture file is not touched";
    EXPECT_EQ(g.m_strText2, "t2");
}

TEST(ShapeValues, CoordinateBoxesHaveNoRange)
{
    LineValues line;
    line.startX = int(0xFFFFFFF0u);
    EXPECT_FALSE(line.validate());
    RectangleValues rect;
    rect.width = 100000;
    EXPECT_FALSE(rect.validate());
}
