// Drawing of shapes and control placeholders, checked pixel by pixel.

#include "model/DrawTestSupport.h"

#include "model/ElementDraw.h"
#include "model/Page.h"
#include "model/PageRender.h"
#include "project/PageExport.h"

#include <QPixmap>
#include <QTemporaryDir>
#include <climits>
#include <cstdint>

using namespace h5;
using namespace h5test;

namespace {

class DrawShapes : public DrawTest
{
};

const QColor kGrey(128, 128, 128);
const QColor kGreen(0, 255, 0);
const QColor kFace(0, 128, 0);

TEST_F(DrawShapes, LineCoversItsStartButNotItsEnd)
{
    struct Case { QPoint a, b; };
    const Case cases[] = {
        {{10, 5}, {20, 5}},  {{20, 5}, {10, 5}},   {{5, 10}, {5, 30}},
        {{5, 30}, {5, 10}}, {{10, 10}, {30, 20}}, {{30, 20}, {10, 10}},
    };
    for (const Case &c : cases) {
        Canvas canvas;
        CGraph g = shape(Kind::Line, c.a, c.b);
        canvas.draw(g);
        const int length = std::max(std::abs(c.b.x() - c.a.x()), std::abs(c.b.y() - c.a.y()));
        EXPECT_EQ(canvas.at(c.a), kWhite) << c.a.x() << "," << c.a.y();
        EXPECT_EQ(canvas.at(c.b), kBlack) << c.b.x() << "," << c.b.y();
        EXPECT_EQ(canvas.count(kWhite), length) << c.a.x() << "," << c.a.y();
    }
}

TEST_F(DrawShapes, RectangleLeavesOutItsRightAndBottomEdge)
{
    struct Case { int kind; QPoint a, b; bool filled; };
    const Case cases[] = {
        {Kind::HollowRect, {10, 10}, {20, 15}, false},
        {Kind::HollowRect, {20, 15}, {10, 10}, false}, // corners in either order
        {Kind::SolidRect, {10, 10}, {20, 15}, true},
        {Kind::SolidRect, {20, 10}, {10, 15}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.kind);
        Canvas canvas;
        CGraph g = shape(c.kind, c.a, c.b);
        canvas.draw(g);
        for (QPoint outline : {QPoint(10, 10), QPoint(19, 10), QPoint(10, 14), QPoint(19, 14),
                               QPoint(15, 10), QPoint(15, 14), QPoint(10, 12), QPoint(19, 12)})
            EXPECT_EQ(canvas.at(outline), kWhite) << outline.x() << "," << outline.y();
        for (QPoint outside : {QPoint(20, 12), QPoint(15, 15), QPoint(9, 12), QPoint(15, 9)})
            EXPECT_EQ(canvas.at(outside), kBlack) << outside.x() << "," << outside.y();
        EXPECT_EQ(canvas.at(15, 12), c.filled ? kWhite : kBlack);
        EXPECT_EQ(canvas.count(kWhite), c.filled ? 50 : 26);
    }
}

TEST_F(DrawShapes, EllipseAndCircleFillTheirBoxExactly)
{
    struct Case { int kind; QPoint a, b; QRect box; bool filled; };
    const Case cases[] = {
        {Kind::HollowEllipse, {10, 10}, {40, 30}, QRect(10, 10, 30, 20), false},
        {Kind::SolidEllipse, {40, 30}, {10, 10}, QRect(10, 10, 30, 20), true},
        // Radius = truncated distance to the end point: sqrt(3² + 4²) = 5.
        {Kind::HollowCircle, {50, 40}, {53, 44}, QRect(45, 35, 10, 10), false},
        // sqrt(2² + 6²) = 6.32 -> 6
        {Kind::SolidCircle, {50, 40}, {48, 46}, QRect(44, 34, 12, 12), true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.kind);
        Canvas canvas;
        CGraph g = shape(c.kind, c.a, c.b);
        canvas.draw(g);
        EXPECT_EQ(canvas.bounds(kWhite), c.box);
        EXPECT_EQ(canvas.at(c.box.center()), c.filled ? kWhite : kBlack);
    }
}

TEST_F(DrawShapes, GroupBoxHasDarkFrameAndLightInnerLines)
{
    Canvas canvas;
    CGraph g = shape(Kind::GroupBox, {10, 10}, {50, 40}, kWhite);
    g.m_crColor2 = cr(kGrey);
    canvas.draw(g);
    struct Pixel { int x, y; QColor c; };
    const Pixel expected[] = {
        {10, 10, kGrey},  {49, 10, kGrey},  {10, 39, kGrey},  {49, 11, kGrey},
        {11, 11, kWhite}, {48, 11, kWhite}, {11, 38, kWhite}, {11, 39, kGrey},
        {11, 40, kWhite}, {50, 40, kWhite}, {50, 11, kWhite}, {10, 40, kBlack},
        {50, 10, kBlack}, {51, 40, kBlack}, {30, 25, kBlack},
    };
    for (const Pixel &p : expected)
        EXPECT_EQ(canvas.at(p.x, p.y), p.c) << p.x << "," << p.y;
}

TEST_F(DrawShapes, PanelBevelSwapsColoursWhenSunkenAndFaceIsOptional)
{
    struct Case { int attr; int style; QColor topLeft, bottomRight, centre; };
    const Case cases[] = {
        {0, 0x02, kWhite, kGrey, kFace},
        {1, 0x02, kGrey, kWhite, kFace},
        {0, 0x12, kWhite, kGrey, kBlack}, // no face fill
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.attr * 256 + c.style);
        Canvas canvas;
        CGraph g = shape(Kind::Panel, {10, 10}, {50, 40}, kWhite);
        g.m_crColor2 = cr(kGrey);
        g.m_crColor3 = cr(kFace);
        g.m_nAttr = c.attr;
        g.m_nStyle = c.style;
        canvas.draw(g);
        for (QPoint p : {QPoint(20, 10), QPoint(10, 20), QPoint(20, 11), QPoint(11, 20)})
            EXPECT_EQ(canvas.at(p), c.topLeft) << p.x() << "," << p.y();
        for (QPoint p : {QPoint(20, 39), QPoint(49, 20), QPoint(20, 38), QPoint(48, 20),
                         QPoint(49, 39), QPoint(10, 39)})
            EXPECT_EQ(canvas.at(p), c.bottomRight) << p.x() << "," << p.y();
        // The face starts inside the two rings.
        EXPECT_EQ(canvas.at(12, 12), c.centre);
        EXPECT_EQ(canvas.at(30, 25), c.centre);
        EXPECT_EQ(canvas.at(50, 25), kBlack);
    }
}

TEST_F(DrawShapes, InvisibleButtonShowsOnlyWithLabels)
{
    struct Case { int style; bool labels; bool bevel, face, outline; };
    const Case cases[] = {
        {0x02, false, true, true, false},
        {0x12, false, true, false, false}, // transparent: bevel only
        {0x22, false, false, false, false}, // invisible: nothing at all
        {0x62, false, false, false, false}, // invisible hides its caption too
        {0x22, true, false, false, true},  // labels: dotted outline and ID
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.style * 2 + c.labels);
        Canvas canvas;
        CGraph g = shape(Kind::ButtonCtrl, {10, 10}, {50, 40}, kWhite);
        g.m_nCtrlID = 3;
        g.m_crColor2 = cr(kGrey);
        g.m_crColor3 = cr(kFace);
        g.m_crColor4 = cr(kGreen);
        g.m_nStyle = c.style;
        g.m_nExtra = 0x11; // 16 dots, centred
        g.m_strText1 = "OK";
        canvas.draw(g, c.labels);
        EXPECT_EQ(canvas.at(20, 10) == kWhite, c.bevel);
        EXPECT_EQ(canvas.at(20, 39) == kGrey, c.bevel);
        EXPECT_EQ(canvas.at(14, 14) == kFace, c.face);
        EXPECT_EQ(canvas.count(kBlue) > 0, c.outline);
        EXPECT_EQ(canvas.count(kBlue, QRect(49, 10, 1, 30)) > 0, c.outline); // right side
        EXPECT_EQ(canvas.count(kRed) > 0, c.labels);
        if (!c.bevel && !c.labels) {
            EXPECT_EQ(canvas.countNot(kBlack), 0);
        }
    }
}

// A bar graph over (10, 10)-(50, 110) from -25 to 75: the zero level lies a
// quarter of the way from the bottom (or the top, left, right).
TEST_F(DrawShapes, BarGraphZeroLevelFollowsStructureCode)
{
    const QColor bar(255, 0, 0), back(0, 0, 128), frame(0, 255, 0);
    struct Case { int code; QPoint on1, on2, off1, off2; };
    const Case cases[] = {
        {0, {30, 85}, {30, 108}, {30, 84}, {30, 30}},
        {1, {30, 11}, {30, 34}, {30, 35}, {30, 90}},
        {2, {11, 50}, {19, 50}, {20, 50}, {45, 50}},
        {3, {40, 50}, {48, 50}, {39, 50}, {15, 50}},
        {4, {30, 84}, {30, 86}, {30, 83}, {30, 87}},
        {5, {30, 34}, {30, 36}, {30, 33}, {30, 37}},
        {6, {19, 50}, {21, 50}, {18, 50}, {22, 50}},
        {7, {39, 50}, {41, 50}, {38, 50}, {42, 50}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        Canvas canvas(80, 130);
        CGraph g = shape(Kind::BarCtrl, {10, 10}, {50, 110}, bar);
        g.m_crColor2 = cr(back);
        g.m_crColor3 = cr(frame);
        g.m_nAttr = g.m_nStyle = c.code;
        g.m_nValue3 = -25;
        g.m_nValue4 = 75;
        canvas.draw(g);
        EXPECT_EQ(canvas.at(c.on1), bar);
        EXPECT_EQ(canvas.at(c.on2), bar);
        EXPECT_EQ(canvas.at(c.off1), back);
        EXPECT_EQ(canvas.at(c.off2), back);
        EXPECT_EQ(canvas.at(10, 60), frame);
        EXPECT_EQ(canvas.at(49, 109), frame);
    }
}

TEST_F(DrawShapes, BarGraphWithMinimumZeroShowsOnlyFrameAndBackground)
{
    for (int code = 0; code < 8; ++code) {
        Canvas canvas(80, 130);
        CGraph g = shape(Kind::BarCtrl, {10, 10}, {50, 110}, kRed);
        g.m_crColor2 = cr(kGrey);
        g.m_crColor3 = cr(kGreen);
        g.m_nAttr = g.m_nStyle = code;
        g.m_nValue3 = 0;
        g.m_nValue4 = 100;
        canvas.draw(g);
        EXPECT_EQ(canvas.count(kRed), 0) << code;
        EXPECT_EQ(canvas.count(kGreen), 2 * 40 + 2 * 98) << code;
        EXPECT_EQ(canvas.count(kGrey), 38 * 98) << code;
    }
}

// 100 × 2^30 wraps to 0 in 32 bits: the level sits on the bottom edge, where
// wide arithmetic would put it half way up.
TEST_F(DrawShapes, BarGraphZeroLevelUsesWrappingUnsignedProducts)
{
    Canvas canvas(80, 130);
    CGraph g = shape(Kind::BarCtrl, {10, 10}, {50, 110}, kRed);
    g.m_crColor2 = cr(kGrey);
    g.m_crColor3 = cr(kGreen);
    g.m_nValue3 = -(1 << 30);
    g.m_nValue4 = 1 << 30;
    canvas.draw(g);
    EXPECT_EQ(canvas.at(30, 80), kGrey);
    EXPECT_EQ(canvas.at(30, 108), kGrey);
    EXPECT_EQ(canvas.at(30, 109), kRed);
}

TEST_F(DrawShapes, PointerDrawsOneNeedleAtItsStartAngle)
{
    // Gauge (0, 0)-(100, 100): centre (50, 50), inner radius 10, needle 30.
    struct Case { int angle; QPoint inner, outer, beyond; };
    const Case cases[] = {
        {0, {40, 50}, {11, 50}, {10, 50}},   // left
        {90, {50, 40}, {50, 11}, {50, 10}},  // up
        {180, {60, 50}, {89, 50}, {90, 50}}, // right
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.angle);
        Canvas canvas(110, 110);
        CGraph g = shape(Kind::PointerCtrl, {0, 0}, {100, 100}, kRed);
        g.m_nNumber = 10;
        g.m_nAttr = (5 << 24) | (1 << 16) | 30; // 5 positions, width 1, length 30
        g.m_nValue3 = c.angle;
        g.m_nValue4 = c.angle + 90;
        canvas.draw(g);
        EXPECT_EQ(canvas.at(c.inner), kRed);
        EXPECT_EQ(canvas.at(c.outer), kRed);
        EXPECT_EQ(canvas.at(c.beyond), kBlack);
        EXPECT_EQ(canvas.count(kRed), 30);
    }
}

TEST_F(DrawShapes, PointerNeedleWidthIsTwiceLineWidthLessOne)
{
    Canvas canvas(110, 110);
    CGraph g = shape(Kind::PointerCtrl, {0, 0}, {100, 100}, kRed);
    g.m_nNumber = 10;
    g.m_nAttr = (5 << 24) | (3 << 16) | 30; // line width 3: a 5-pixel needle
    canvas.draw(g);
    int rows = 0;
    for (int y = 40; y <= 60; ++y)
        rows += canvas.at(25, y) == kRed;
    EXPECT_EQ(rows, 5);
    EXPECT_EQ(canvas.at(25, 50), kRed);
}

TEST_F(DrawShapes, PointerOutlineAndLabelOnlyWithLabels)
{
    for (bool labels : {false, true}) {
        Canvas canvas(110, 110);
        CGraph g = shape(Kind::PointerCtrl, {0, 0}, {100, 100}, kGreen);
        g.m_nCtrlID = 12;
        g.m_nNumber = 10;
        g.m_nAttr = (5 << 24) | (1 << 16) | 30;
        canvas.draw(g, labels);
        EXPECT_EQ(canvas.count(kBlue) > 0, labels);
        EXPECT_EQ(canvas.count(kBlue, QRect(99, 0, 1, 100)) > 0, labels); // right side
        EXPECT_EQ(canvas.count(kRed) > 0, labels);
    }
}

TEST_F(DrawShapes, FloodFillStopsAtTheBorderColourOnly)
{
    struct Case { const char *name; QPoint seed; QPoint offset; int filled; };
    const Case cases[] = {
        {"inside", {20, 15}, {0, 0}, 29 * 19},
        {"on the border", {10, 15}, {0, 0}, 0},
        {"outside the image", {200, 15}, {0, 0}, 0},
        {"scrolled painter", {15, 10}, {5, 5}, 29 * 19},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(60, 40);
        QPainter p(&canvas.image);
        p.translate(c.offset);
        const QPoint o = -c.offset;
        CGraph box = shape(Kind::HollowRect, QPoint(10, 10) + o, QPoint(41, 31) + o, kRed);
        // Other colours inside do not stop the fill, nor does the fill colour.
        CGraph stripe = shape(Kind::Line, QPoint(15, 20) + o, QPoint(35, 20) + o, kBlue);
        CGraph patch = shape(Kind::SolidRect, QPoint(30, 12) + o, QPoint(35, 16) + o, kGreen);
        CGraph fill = shape(Kind::Fill, {0, 0}, c.seed, kRed);
        fill.m_crColor2 = cr(kGreen);
        for (CGraph *g : {&box, &stripe, &patch, &fill})
            drawElement(*g, p, false, DrawContext());
        p.end();
        const int greenBefore = 5 * 4;
        EXPECT_EQ(canvas.count(kGreen), c.filled ? c.filled : greenBefore);
        EXPECT_EQ(canvas.count(kRed), 2 * 31 + 2 * 19);
        EXPECT_EQ(canvas.at(5, 5), kBlack);
        EXPECT_EQ(canvas.at(50, 35), kBlack);
    }
}

TEST_F(DrawShapes, FloodFillOnADeviceWithoutPixelsDoesNothing)
{
    QPixmap pixmap(40, 40);
    pixmap.fill(Qt::black);
    QPainter p(&pixmap);
    CGraph fill = shape(Kind::Fill, {0, 0}, {20, 20}, kRed);
    fill.m_crColor2 = cr(kGreen);
    drawElement(fill, p, false, DrawContext());
    p.end();
    EXPECT_EQ(pixmap.toImage().pixelColor(20, 20), kBlack);
}

TEST_F(DrawShapes, StringAndTextControlsAreFilledBoxesInColourTwo)
{
    for (int kind : {int(Kind::StringCtrl), int(Kind::TextCtrl)}) {
        Canvas canvas;
        CGraph g = shape(kind, {10, 10}, {30, 20}, kWhite);
        g.m_crColor2 = cr(kGrey);
        canvas.draw(g);
        EXPECT_EQ(canvas.count(kGrey), 20 * 10) << kind;
        EXPECT_EQ(canvas.count(kWhite), 0) << kind;
    }
}

TEST_F(DrawShapes, ImageControlAppearsOnlyWithLabels)
{
    for (bool labels : {false, true}) {
        Canvas canvas(60, 40, kGrey);
        CGraph g = shape(Kind::ImageCtrl, {10, 10}, {40, 30}, kGreen);
        g.m_nCtrlID = 4;
        canvas.draw(g, labels);
        if (!labels) {
            EXPECT_EQ(canvas.countNot(kGrey), 0);
            continue;
        }
        EXPECT_EQ(canvas.at(9, 9), kBlue);   // dotted outline one pixel outside
        EXPECT_EQ(canvas.at(39, 29), kGreen); // outline in colour 1
        EXPECT_EQ(canvas.at(30, 25), kWhite); // white inside
        EXPECT_GT(canvas.count(kBlue, QRect(40, 9, 1, 23)), 0); // its right side
        EXPECT_GT(canvas.count(kRed), 0);
    }
}

TEST_F(DrawShapes, LabelIsRedOnWhiteAtTheStartPoint)
{
    Canvas canvas(80, 60);
    CGraph g = shape(Kind::StringCtrl, {20, 20}, {70, 50}, kBlack);
    g.m_crColor2 = cr(kGrey);
    g.m_nCtrlID = 2047;
    canvas.draw(g, true);
    const QRect red = canvas.bounds(kRed);
    ASSERT_FALSE(red.isEmpty());
    EXPECT_GE(red.left(), 20);
    EXPECT_GE(red.top(), 20);
    EXPECT_LE(red.bottom(), 30);
    EXPECT_EQ(canvas.at(20, 20), kWhite);
    // Four digits take more room than one.
    Canvas one(80, 60);
    CGraph g1 = g;
    g1.m_nCtrlID = 7;
    one.draw(g1, true);
    EXPECT_GT(red.width(), one.bounds(kRed).width());
}

TEST_F(DrawShapes, DrawingLeavesThePainterAsItWas)
{
    const int kinds[] = {Kind::Line, Kind::HollowRect, Kind::SolidRect, Kind::HollowEllipse,
                         Kind::SolidEllipse, Kind::HollowCircle, Kind::SolidCircle, Kind::Fill,
                         Kind::Text, Kind::GroupBox, Kind::Panel, Kind::StringCtrl,
                         Kind::PointerCtrl, Kind::NumericCtrl, Kind::BarCtrl, Kind::ImageCtrl,
                         Kind::TextCtrl, Kind::ButtonCtrl, Kind::Bitmap};
    Canvas canvas;
    QPainter p(&canvas.image);
    const QPen pen(Qt::yellow, 3);
    const QBrush brush(Qt::cyan);
    QFont font;
    font.setPixelSize(13);
    p.setPen(pen);
    p.setBrush(brush);
    p.setFont(font);
    p.translate(2, 3);
    p.setRenderHint(QPainter::Antialiasing, true);
    for (int kind : kinds) {
        CGraph g = shape(kind, {5, 5}, {40, 30}, kRed);
        g.m_nStyle = 0x42;
        g.m_nAttr = (2 << 24) | (2 << 16) | (9 << 8) | 1;
        g.m_strText1 = g.m_strText2 = "12";
        drawElement(g, p, true, DrawContext());
        EXPECT_EQ(p.pen(), pen) << kind;
        EXPECT_EQ(p.brush(), brush) << kind;
        EXPECT_EQ(p.font(), font) << kind;
        EXPECT_EQ(p.transform(), QTransform::fromTranslate(2, 3)) << kind;
        EXPECT_TRUE(p.testRenderHint(QPainter::Antialiasing)) << kind;
    }
}

TEST_F(DrawShapes, MarkersAndReservedKindDrawNothing)
{
    for (int kind : {int(Kind::DeleteMarker), int(Kind::ReservedCtrl), 0, 200}) {
        Canvas canvas;
        CGraph g = shape(kind, {5, 5}, {40, 30}, kWhite);
        g.m_crColor2 = cr(kWhite);
        canvas.draw(g, true);
        EXPECT_EQ(canvas.countNot(kBlack), 0) << kind;
    }
}

// Every kind the editor draws, each with the fields that pick its other
// ways of drawing (labels are switched on by the tests).
struct KindCase
{
    const char *name;
    int kind;
    void (*setUp)(CGraph &);
};

void textFields(CGraph &g)
{
    g.m_nAttr = (9 << 8) | 1; // 16 dots, opaque
    g.m_strText1 = "2";       // column spacing
    g.m_strText3 = "-3";      // line spacing
    g.m_strText2 = "A\xd6\xd0" "B\rC";
}

const KindCase kEveryKind[] = {
    {"line", Kind::Line, [](CGraph &) {}},
    {"hollow rectangle", Kind::HollowRect, [](CGraph &) {}},
    {"solid rectangle", Kind::SolidRect, [](CGraph &) {}},
    {"hollow ellipse", Kind::HollowEllipse, [](CGraph &) {}},
    {"solid ellipse", Kind::SolidEllipse, [](CGraph &) {}},
    {"hollow circle", Kind::HollowCircle, [](CGraph &) {}},
    {"solid circle", Kind::SolidCircle, [](CGraph &) {}},
    {"fill", Kind::Fill, [](CGraph &) {}},
    {"group box", Kind::GroupBox, [](CGraph &) {}},
    {"raised panel", Kind::Panel, [](CGraph &g) { g.m_nStyle = 0x03; }},
    {"sunken panel", Kind::Panel, [](CGraph &g) { g.m_nStyle = 0x0F; g.m_nAttr = 1; }},
    {"picture", Kind::Bitmap, [](CGraph &g) { g.m_strText1 = "p.bmp"; g.m_nNumber = 12; }},
    {"missing picture", Kind::Bitmap, [](CGraph &g) { g.m_strText1 = "none.bmp"; }},
    {"text", Kind::Text, textFields},
    {"numeric control", Kind::NumericCtrl, textFields},
    {"string control", Kind::StringCtrl, [](CGraph &) {}},
    {"text control", Kind::TextCtrl, [](CGraph &) {}},
    {"image control", Kind::ImageCtrl, [](CGraph &) {}},
    {"button, caption top left", Kind::ButtonCtrl,
     [](CGraph &g) { g.m_nStyle = 0x4F; g.m_nExtra = 0x10; g.m_strText1 = "OK\r\xd6\xd0"; }},
    {"button, caption centred", Kind::ButtonCtrl,
     [](CGraph &g) { g.m_nStyle = 0x43; g.m_nExtra = 0x21; g.m_strText1 = "OK"; }},
    {"button, caption bottom right", Kind::ButtonCtrl,
     [](CGraph &g) { g.m_nStyle = 0x52; g.m_nExtra = 0x02; g.m_strText1 = "OK"; }},
    {"invisible button", Kind::ButtonCtrl, [](CGraph &g) { g.m_nStyle = 0x60; }},
    {"thin pointer", Kind::PointerCtrl, [](CGraph &g) { g.m_nAttr = (1 << 16) | 40; g.m_nNumber = 5; }},
    {"wide pointer", Kind::PointerCtrl,
     [](CGraph &g) { g.m_nAttr = (4 << 16) | 0xFFFF; g.m_nNumber = 255; g.m_nValue3 = 45; }},
    {"bar up", Kind::BarCtrl, [](CGraph &g) { g.m_nAttr = 0; g.m_nValue3 = INT_MIN; g.m_nValue4 = INT_MAX; }},
    {"bar down", Kind::BarCtrl, [](CGraph &g) { g.m_nAttr = 1; g.m_nValue3 = -100; g.m_nValue4 = 100; }},
    {"bar right", Kind::BarCtrl, [](CGraph &g) { g.m_nAttr = 2; g.m_nValue3 = -1; g.m_nValue4 = 1; }},
    {"bar left", Kind::BarCtrl, [](CGraph &g) { g.m_nAttr = 3; g.m_nValue3 = -7; g.m_nValue4 = 3; }},
    {"bar level up", Kind::BarCtrl, [](CGraph &g) { g.m_nAttr = 4; g.m_nValue3 = -5; g.m_nValue4 = 5; }},
    {"bar level down", Kind::BarCtrl, [](CGraph &g) { g.m_nAttr = 5; g.m_nValue3 = -5; g.m_nValue4 = 5; }},
    {"bar level right", Kind::BarCtrl, [](CGraph &g) { g.m_nAttr = 6; g.m_nValue3 = -5; g.m_nValue4 = 50; }},
    {"bar level left", Kind::BarCtrl, [](CGraph &g) { g.m_nAttr = 7; g.m_nValue3 = INT_MIN; g.m_nValue4 = -1; }},
    {"reserved control", Kind::ReservedCtrl, [](CGraph &) {}},
    {"delete marker", Kind::DeleteMarker, [](CGraph &) {}},
};

// Coordinates from a page file can be anything 32 bits hold, and opening a
// page or `h5800 render` draws them before a save could clean them up.
class WildCoordinates : public DrawShapes
{
protected:
    QTemporaryDir dir;
    DrawContext ctx;

    void SetUp() override
    {
        DrawShapes::SetUp();
        QImage picture(3, 2, QImage::Format_RGB32);
        picture.fill(kWhite);
        ASSERT_TRUE(picture.save(dir.filePath(QStringLiteral("p.bmp")), "BMP"));
        ctx.picturesDir = dir.path();
        ctx.screenWidth = 120;
    }

    CGraph wild(const KindCase &k, QPoint a, QPoint b) const
    {
        CGraph g = shape(k.kind, a, b, kWhite);
        g.m_crColor2 = cr(kGrey);
        g.m_crColor3 = cr(kBlue);
        g.m_crColor4 = cr(kWhite);
        k.setUp(g);
        return g;
    }
};

TEST_F(WildCoordinates, EveryKindDrawsWithoutOverflowAndLeavesThePainterWorking)
{
    const QPoint pairs[][2] = {
        {{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}},
        {{INT_MAX, INT_MAX}, {INT_MIN, INT_MIN}},
        {{-5, 7}, {INT_MAX, -3}},
        {{2000000000, 5}, {-2000000000, 60}},
        {{10, 10}, {INT_MIN, INT_MAX}},
        {{INT_MAX, INT_MIN}, {INT_MAX, INT_MIN}},
        {{INT_MIN, 40}, {INT_MIN + 200, 60}},
    };
    const QRect sane(30, 20, 30, 20);
    for (const KindCase &k : kEveryKind) {
        for (const auto &pts : pairs) {
            for (bool labels : {false, true}) {
                SCOPED_TRACE(testing::Message() << k.name << " (" << pts[0].x() << ", " << pts[0].y()
                                                << ") - (" << pts[1].x() << ", " << pts[1].y()
                                                << ") labels " << labels);
                Canvas canvas;
                CGraph g = wild(k, pts[0], pts[1]);
                CGraph box = shape(Kind::SolidRect, sane.topLeft(), sane.bottomRight() + QPoint(1, 1),
                                   kGreen);
                {
                    QPainter p(&canvas.image);
                    drawElement(g, p, labels, ctx);
                    // The same painter still draws a plain box exactly.
                    drawElement(box, p, false, ctx);
                }
                EXPECT_EQ(canvas.image.size(), QSize(120, 80));
                EXPECT_EQ(canvas.count(kGreen, sane), sane.width() * sane.height());
                if (k.kind == Kind::Text || k.kind == Kind::NumericCtrl) {
                    // The end point follows the text without wrapping round.
                    EXPECT_GE(int64_t(g.m_ptEnd.y()), int64_t(g.m_ptStart.y()));
                }
            }
        }
    }
}

TEST_F(WildCoordinates, ElementsFarOffTheScreenDrawNothingOnIt)
{
    // Both points near the same end of the range: no overflow may bring any
    // part of the element (caption, label, needle, bar, text) onto the
    // screen. Near the lower end a centred caption is the exception: its
    // sums are halved as unsigned 32-bit numbers, the terminal's own rule,
    // and wrap round to small positions.
    struct Case { QPoint a, b; bool nearMinimum; };
    const Case cases[] = {
        {{INT_MAX - 100, INT_MAX - 90}, {INT_MAX, INT_MAX}, false},
        {{INT_MAX, INT_MAX}, {INT_MAX - 100, INT_MAX - 90}, false},
        {{INT_MIN, INT_MAX - 100}, {INT_MIN + 100, INT_MAX}, true},
        {{20, INT_MIN}, {60, INT_MIN + 50}, true},
        {{INT_MIN, 20}, {INT_MIN + 100, 60}, true},
    };
    for (const KindCase &k : kEveryKind) {
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message() << k.name << " (" << c.a.x() << ", " << c.a.y()
                                            << ") - (" << c.b.x() << ", " << c.b.y() << ")");
            Canvas canvas;
            CGraph g = wild(k, c.a, c.b);
            const bool centredCaption = k.kind == Kind::ButtonCtrl && (g.m_nStyle & 0x40)
                && (g.m_nExtra & 3) == 1;
            if (c.nearMinimum && centredCaption)
                continue;
            canvas.draw(g, true, ctx);
            EXPECT_EQ(canvas.countNot(kBlack), 0);
        }
    }
}

TEST_F(WildCoordinates, LineTowardAFarPointKeepsItsDirection)
{
    // Slope 1/2 from (10, 10): far beyond the screen the end point is cut
    // back, but on the screen the line is where it would be.
    struct Case { QPoint a, b; };
    const Case cases[] = {
        {{10, 10}, {10 + (1 << 30), 10 + (1 << 29)}},
        {{10 + (1 << 30), 10 + (1 << 29)}, {10, 10}},
        {{INT_MIN + 10, INT_MIN / 2 + 10}, {INT_MAX - 1, INT_MAX / 2 + 4}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.a.x());
        Canvas canvas;
        CGraph g = shape(Kind::Line, c.a, c.b, kWhite);
        canvas.draw(g, false, ctx);
        int drawn = 0;
        for (int y = 0; y < 80; ++y) {
            for (int x = 0; x < 120; ++x) {
                if (canvas.at(x, y) != kWhite)
                    continue;
                ++drawn;
                const double ideal = 10 + (x - 10) / 2.0;
                EXPECT_LE(std::abs(y - ideal), 1.0) << x << "," << y;
            }
        }
        // One pixel per column from x = 10 on (its end point left out).
        EXPECT_GE(drawn, 109);
    }
}

TEST_F(WildCoordinates, PageOfWildElementsRendersAtTheScreenSize)
{
    Page page;
    page.settings.m_nResolution = 0;
    const QSize screen = resolutionSize(0);
    for (const KindCase &k : kEveryKind) {
        page.elements.push_back(wild(k, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}));
        page.elements.push_back(wild(k, {INT_MAX - 3, 17}, {-9, INT_MIN + 1}));
    }
    page.elements.push_back(shape(Kind::SolidRect, {30, 20}, {60, 40}, kGreen));
    for (bool labels : {false, true}) {
        SCOPED_TRACE(labels);
        RenderOptions options;
        options.picturesDir = dir.path();
        options.labels = labels;
        Page copy = page;
        const QImage image = renderPage(copy, options);
        ASSERT_EQ(image.size(), screen);
        EXPECT_EQ(image.pixelColor(45, 30), kGreen);
        EXPECT_EQ(pageBitmap(page, options).size(), screen);
    }
}

} // namespace
