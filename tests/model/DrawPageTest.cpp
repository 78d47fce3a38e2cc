// A whole page drawn into an image: size, background, drawing order.

#include "model/DrawTestSupport.h"

#include "common/Gbk.h"
#include "model/PageRender.h"

using namespace h5;
using namespace h5test;

namespace {

class RenderPage : public DrawTest
{
};

const QColor kGreen(0, 255, 0);

Page pageOf(int resolution, int flags, QColor back)
{
    Page page;
    page.settings = CTypeGraph(resolution, flags, 0, 1024, 0, cr(back));
    return page;
}

TEST_F(RenderPage, MainPageShowsItsBackgroundAndAuxiliaryPageWhite)
{
    struct Case { int flags; QColor back, shown; };
    const Case cases[] = {
        {0, QColor(10, 20, 30), QColor(10, 20, 30)},
        {0x10, kGreen, kGreen}, // a layer number changes nothing
        {1, QColor(10, 20, 30), kWhite},
    };
    for (const Case &c : cases) {
        Page page = pageOf(1, c.flags, c.back);
        const QImage img = renderPage(page, RenderOptions());
        ASSERT_FALSE(img.isNull());
        EXPECT_EQ(img.format(), QImage::Format_RGB32);
        EXPECT_EQ(img.pixelColor(0, 0), c.shown) << c.flags;
        EXPECT_EQ(img.pixelColor(319, 239), c.shown) << c.flags;
    }
}

TEST_F(RenderPage, ImageIsTheProjectsScreenElseThePagesOwn)
{
    struct Case { int project, page; QSize size; };
    const Case cases[] = {
        {-1, 3, {800, 480}}, {1, 3, {320, 240}}, {12, 0, {768, 1024}}, {-1, 7, {272, 480}},
        {-1, 13, {}},        {13, 3, {}},        {-1, -1, {}},
    };
    for (const Case &c : cases) {
        Page page = pageOf(c.page, 0, kBlack);
        RenderOptions options;
        options.resolution = c.project;
        const QImage img = renderPage(page, options);
        EXPECT_EQ(img.isNull(), !c.size.isValid()) << c.project << " " << c.page;
        if (c.size.isValid()) {
            EXPECT_EQ(img.size(), c.size) << c.project << " " << c.page;
        }
    }
}

TEST_F(RenderPage, ElementsAreDrawnInListOrder)
{
    Page page = pageOf(1, 0, kBlack);
    page.elements = {shape(Kind::SolidRect, {10, 10}, {50, 50}, kRed),
                     shape(Kind::SolidRect, {30, 30}, {70, 70}, kGreen),
                     shape(Kind::ReservedCtrl, {0, 0}, {100, 100}, kWhite)};
    const QImage img = renderPage(page, RenderOptions());
    EXPECT_EQ(img.pixelColor(20, 20), kRed);
    EXPECT_EQ(img.pixelColor(40, 40), kGreen);
    EXPECT_EQ(img.pixelColor(60, 60), kGreen);
    EXPECT_EQ(img.pixelColor(80, 80), kBlack);
}

TEST_F(RenderPage, TextWrapsAtTheProjectsScreenWidth)
{
    // Made for 800 x 480, shown in a 320 x 240 project: wraps at 320.
    Page page = pageOf(3, 0, kBlack);
    CGraph text = shape(Kind::Text, {290, 10}, {290, 10}, kWhite);
    text.m_nAttr = 9 << 8;
    text.m_strText2 = toGbk(QStringLiteral("温度计"));
    page.elements = {text};
    RenderOptions options;
    options.resolution = 1;
    const QImage img = renderPage(page, options);
    EXPECT_EQ(page.elements[0].m_ptEnd, QPoint(320, 42));
    int left = 0;
    for (int y = 26; y < 42; ++y)
        for (int x = 0; x < 16; ++x)
            left += img.pixelColor(x, y) == kWhite;
    EXPECT_GT(left, 0);
}

} // namespace
