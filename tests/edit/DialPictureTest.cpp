// The dial the editor places under a pointer control: where it goes on the
// page and in the element list, and which bitmaps count as the dial.

#include "support/TestUtil.h"

#include "edit/DialPicture.h"

#include <gtest/gtest.h>

using namespace h5;
using h5test::element;

namespace {

CGraph pointerAt(QPoint centre, int halfSide, const std::string &dial)
{
    CGraph p = element(Kind::PointerCtrl, 3, centre - QPoint(halfSide, halfSide),
                       centre + QPoint(halfSide, halfSide));
    p.m_strText3 = dial;
    return p;
}

Project::PictureChoice picture(int width, int height)
{
    Project::PictureChoice c;
    c.size = QSize(width, height);
    c.number = 7;
    c.blocks = 2;
    c.fileName = "dial.bmp";
    c.title = "dial";
    c.destination = QStringLiteral("/p/图片/dial.bmp");
    return c;
}

} // namespace

TEST(DialPicture, TheDialIsCentredOnTheGaugeAndKeptInsideThePage)
{
    const struct
    {
        QPoint centre;
        QPoint start;
    } cases[] = {
        {{100, 100}, {70, 80}}, // 60 x 40 around the centre
        {{20, 10}, {0, 0}},     // would start left of and above the page
        {{20, 100}, {0, 80}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.centre.x());
        const CGraph dial = dialElement(pointerAt(c.centre, 40, "dial.bmp"), picture(60, 40), {});
        EXPECT_EQ(dial.m_nKind, Kind::Bitmap);
        EXPECT_EQ(dial.m_ptStart, c.start);
        EXPECT_EQ(dial.m_ptEnd, c.start + QPoint(60, 40));
        EXPECT_EQ(dial.m_nNumber, 7);
        EXPECT_EQ(dial.m_nAttr, 2);
        EXPECT_EQ(dial.m_strText1, "dial.bmp");
    }
}

TEST(DialPicture, OnlyABitmapOfTheNamedFileCountsAsTheDial)
{
    const CGraph pointer = pointerAt({100, 100}, 40, "dial.bmp");
    CGraph other = element(Kind::Bitmap, 0, {0, 0}, {10, 10});
    other.m_strText1 = "logo.bmp";
    CGraph rect = element(Kind::SolidRect, 0, {0, 0}, {10, 10});
    rect.m_strText1 = "dial.bmp";
    EXPECT_FALSE(pageHasDial({pointer, other, rect}, pointer));
    CGraph dial = other;
    dial.m_strText1 = "dial.bmp";
    EXPECT_TRUE(pageHasDial({pointer, other, dial}, pointer));
}

TEST(DialPicture, InsertedUnderTheControlTheSelectionStaysOnItsElement)
{
    Page page;
    page.elements = {element(Kind::SolidRect, 0, {0, 0}, {5, 5}),
                     pointerAt({100, 100}, 40, "dial.bmp"),
                     element(Kind::Line, 0, {0, 0}, {9, 9})};
    EditState state(page);
    state.selected = true;
    state.selectedIndex = 2; // the line
    insertUnder(state, 1, element(Kind::Bitmap, 0, {70, 80}, {130, 120}));
    ASSERT_EQ(page.elements.size(), 4u);
    EXPECT_EQ(page.elements[1].m_nKind, Kind::Bitmap);
    EXPECT_EQ(page.elements[2].m_nKind, Kind::PointerCtrl);
    EXPECT_EQ(state.selectedIndex, 3);
    EXPECT_EQ(page.elements[size_t(state.selectedIndex)].m_nKind, Kind::Line);
}
