// The page window's zoom driven through the window: the zoom commands and
// Ctrl + wheel, tools and the status bar in page pixels whatever the zoom,
// fitting the page into the window and the sharp pixels of whole-number
// zooms.

#include "gui/PageViewFixture.h"

#include "edit/Handles.h"
#include "model/PageRender.h"
#include "project/PageExport.h"
#include "shell/Commands.h"

#include <QAction>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace {

class ZoomTest : public h5test::PageViewFixture
{
protected:
    // One wheel turn of `delta` (120 a notch) at a viewport position.
    void wheel(QPoint at, int delta, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        QWidget *target = view->viewport();
        QWheelEvent e(QPointF(at), target->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(target, &e);
    }

    // A window pixel showing page pixel `page` at zoom `zoom` with the
    // current scroll position, worked out here from the zoom and the scroll
    // bars alone: page pixel v covers the window pixels from v * zoom / 100
    // up to (v + 1) * zoom / 100, each rounded up; the one in the middle.
    // Below 100 % not every page pixel has one; multiples of 4 do.
    QPoint windowPixel(QPoint page, int zoom) const
    {
        const QPoint scroll(view->horizontalScrollBar()->value(), view->verticalScrollBar()->value());
        const auto middle = [zoom](int v) {
            const int from = (v * zoom + 99) / 100;
            const int to = ((v + 1) * zoom + 99) / 100;
            EXPECT_LT(from, to) << "no window pixel shows page pixel " << v << " at " << zoom;
            return (from + to - 1) / 2;
        };
        return QPoint(middle(page.x()), middle(page.y())) - scroll;
    }

    // Sets the window around the page view to `size`.
    void resizeWindow(QSize size)
    {
        auto *window = qobject_cast<QMdiSubWindow *>(view->parentWidget());
        ASSERT_NE(window, nullptr);
        window->setFixedSize(size);
        QCoreApplication::processEvents();
    }

    QString statusAt(QPoint page) const
    {
        return QStringLiteral("逻辑坐标：X=%1,Y=%2").arg(page.x()).arg(page.y());
    }
};

// ---- tools in page pixels ----------------------------------------------------------------

TEST_F(ZoomTest, ZoomedDragLandsOnOtherPagePixelsThanUnzoomed)
{
    const struct
    {
        int command; // the shape tool
        QPoint from, to;
    } shapes[] = {
        // Multiples of 4, so 25 % shows each of them.
        {h5::Cmd::ToolFilledRect, {12, 20}, {52, 60}},
        {h5::Cmd::ToolLine, {60, 48}, {12, 4}},
        {h5::Cmd::ToolHollowEllipse, {32, 40}, {76, 72}},
    };
    // Zoom commands from 100 %, then the scroll position (scroll bars at
    // the end of their range where it is shorter).
    const struct
    {
        std::vector<int> commands;
        int zoom;
        QPoint scroll;
    } zooms[] = {
        {{}, 100, {0, 0}},
        {{h5::Cmd::ZoomIn}, 200, {0, 0}},
        {{h5::Cmd::ZoomIn}, 200, {9, 13}},
        {{h5::Cmd::ZoomIn, h5::Cmd::ZoomIn}, 300, {25, 30}},
        {{h5::Cmd::ZoomIn, h5::Cmd::ZoomIn, h5::Cmd::ZoomIn, h5::Cmd::ZoomIn}, 600, {0, 0}},
        {{h5::Cmd::ZoomOut}, 50, {0, 0}},
        {{h5::Cmd::ZoomOut, h5::Cmd::ZoomOut}, 25, {0, 0}},
    };
    for (const auto &s : shapes) {
        for (const auto &z : zooms) {
            SCOPED_TRACE(testing::Message() << s.command << " at " << z.zoom << "%");
            view = openView();
            ASSERT_NE(view, nullptr);
            for (int command : z.commands)
                ASSERT_TRUE(frame->runCommand(command));
            ASSERT_EQ(view->zoom(), z.zoom);
            view->horizontalScrollBar()->setValue(z.scroll.x());
            view->verticalScrollBar()->setValue(z.scroll.y());
            ASSERT_EQ(view->horizontalScrollBar()->value(), z.scroll.x());
            ASSERT_EQ(view->verticalScrollBar()->value(), z.scroll.y());
            ASSERT_TRUE(frame->runCommand(s.command));
            drag(windowPixel(s.from, z.zoom), windowPixel(s.to, z.zoom));

            ASSERT_EQ(view->elements().size(), 1u);
            const h5::CGraph &e = view->elements().front();
            // What the same drag stores at 100 %.
            const QPoint start = s.command == h5::Cmd::ToolLine
                                     ? s.from
                                     : QPoint(qMin(s.from.x(), s.to.x()), qMin(s.from.y(), s.to.y()));
            const QPoint end = s.command == h5::Cmd::ToolLine
                                   ? s.to
                                   : QPoint(qMax(s.from.x(), s.to.x()), qMax(s.from.y(), s.to.y()));
            EXPECT_EQ(e.m_ptStart, start);
            EXPECT_EQ(e.m_ptEnd, end);
        }
    }
}

TEST_F(ZoomTest, ZoomedMoveDragMovesByOtherThanPagePixels)
{
    for (int zoomIns : {0, 1, 3}) {
        SCOPED_TRACE(zoomIns);
        view = openView();
        ASSERT_NE(view, nullptr);
        for (int i = 0; i < zoomIns; ++i)
            ASSERT_TRUE(frame->runCommand(h5::Cmd::ZoomIn));
        const int zoom = view->zoom();
        view->document().appendElement(h5test::element(h5::Kind::HollowRect, 0, {13, 17}, {33, 37}));
        view->refresh();

        press(windowPixel({20, 25}, zoom)); // selects only
        release(windowPixel({20, 25}, zoom));
        ASSERT_EQ(view->editState().selectedIndex, 0);
        press(windowPixel({23, 27}, zoom)); // the centre handle
        moveTo(windowPixel({35, 40}, zoom));
        moveTo(windowPixel({47, 52}, zoom));
        release(windowPixel({47, 52}, zoom));

        // Moved by (24, 25) page pixels, as at 100 %.
        const h5::CGraph &e = view->elements().front();
        EXPECT_EQ(e.m_ptStart, QPoint(37, 42));
        EXPECT_EQ(e.m_ptEnd, QPoint(57, 62));
    }
}

TEST_F(ZoomTest, ZoomedPositionMapsToOtherPagePixel)
{
    view = openView();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(frame->runCommand(h5::Cmd::ZoomIn));
    ASSERT_TRUE(frame->runCommand(h5::Cmd::ZoomIn));
    ASSERT_EQ(view->zoom(), 300);
    view->horizontalScrollBar()->setValue(31);
    view->verticalScrollBar()->setValue(7);
    const struct
    {
        QPoint window, page;
    } cases[] = {
        {{0, 0}, {10, 2}},     // (31, 7) / 3
        {{1, 1}, {10, 2}},     // (32, 8) / 3
        {{2, 2}, {11, 3}},     // (33, 9) / 3
        {{-32, -8}, {-1, -1}}, // left of and above the page: rounded down
        {{-33, -9}, {-1, -1}},
        {{-34, -10}, {-1, -1}},
        {{-35, -11}, {-2, -2}},
        {{5000, 5000}, {319, 239}}, // beyond the page: its last column and row
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.window.x() << "," << c.window.y());
        EXPECT_EQ(view->toPage(c.window), c.page);
    }
}

TEST_F(ZoomTest, StatusBarShowsWindowPixelsWhenZoomed)
{
    view = openView();
    ASSERT_NE(view, nullptr);
    const struct
    {
        int zoomIns, zoomOuts;
        QPoint scroll;
        QPoint window, page;
    } cases[] = {
        {0, 0, {0, 0}, {100, 80}, {100, 80}},
        {1, 0, {0, 0}, {100, 80}, {50, 40}},
        {1, 0, {60, 30}, {100, 80}, {80, 55}},
        {3, 0, {400, 200}, {7, 9}, {101, 52}},
        {0, 1, {0, 0}, {101, 81}, {202, 162}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.page.x() << "," << c.page.y());
        ASSERT_TRUE(frame->runCommand(h5::Cmd::ZoomActual));
        for (int i = 0; i < c.zoomIns; ++i)
            ASSERT_TRUE(frame->runCommand(h5::Cmd::ZoomIn));
        for (int i = 0; i < c.zoomOuts; ++i)
            ASSERT_TRUE(frame->runCommand(h5::Cmd::ZoomOut));
        view->horizontalScrollBar()->setValue(c.scroll.x());
        view->verticalScrollBar()->setValue(c.scroll.y());
        ASSERT_EQ(view->horizontalScrollBar()->value(), c.scroll.x());
        ASSERT_EQ(view->verticalScrollBar()->value(), c.scroll.y());
        prompts.statuses.clear();
        moveTo(c.window);
        ASSERT_FALSE(prompts.statuses.isEmpty());
        EXPECT_EQ(prompts.statuses.last(), statusAt(c.page));
    }
}

// ---- zoom commands and the wheel --------------------------------------------------------

TEST_F(ZoomTest, CtrlWheelLeavesTheStepsOrTheRange)
{
    view = openView();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->zoom(), 100);
    const QPoint at(100, 80);
    const struct
    {
        int delta;
        Qt::KeyboardModifiers modifiers;
        int turns;
        int zoom;
    } steps[] = {
        {120, Qt::ControlModifier, 1, 200},
        {120, Qt::ControlModifier, 1, 300},
        {-120, Qt::ControlModifier, 2, 100},
        {-120, Qt::ControlModifier, 1, 50},
        {-120, Qt::ControlModifier, 1, 25},
        {-120, Qt::ControlModifier, 5, 25}, // held at the smallest
        {120, Qt::NoModifier, 3, 25},       // without Ctrl the wheel scrolls
        {60, Qt::ControlModifier, 1, 25},   // half a notch does nothing yet
        {60, Qt::ControlModifier, 1, 50},   // the other half makes a step
        {240, Qt::ControlModifier, 1, 200}, // two notches in one turn
        {120, Qt::ControlModifier, 10, 800},
        {120, Qt::ControlModifier, 3, 800}, // held at the largest
        {-120, Qt::ControlModifier, 1, 600},
    };
    int n = 0;
    for (const auto &s : steps) {
        SCOPED_TRACE(n++);
        for (int i = 0; i < s.turns; ++i)
            wheel(at, s.delta, s.modifiers);
        EXPECT_EQ(view->zoom(), s.zoom);
        EXPECT_EQ(frame->action(h5::Cmd::ZoomIn)->isEnabled(), s.zoom < 800);
        EXPECT_EQ(frame->action(h5::Cmd::ZoomOut)->isEnabled(), s.zoom > 25);
    }
}

TEST_F(ZoomTest, CtrlWheelMovesThePagePixelUnderThePointer)
{
    view = openView();
    ASSERT_NE(view, nullptr);
    const QPoint at(100, 80);
    const QPoint page = view->toPage(at);
    ASSERT_EQ(page, QPoint(100, 80));
    for (int zoom : {200, 300, 400, 600, 800}) {
        SCOPED_TRACE(zoom);
        wheel(at, 120);
        ASSERT_EQ(view->zoom(), zoom);
        EXPECT_EQ(view->toPage(at), page);
        prompts.statuses.clear();
        moveTo(at);
        ASSERT_FALSE(prompts.statuses.isEmpty());
        EXPECT_EQ(prompts.statuses.last(), statusAt(page));
    }
    for (int zoom : {600, 400, 300, 200}) {
        SCOPED_TRACE(zoom);
        wheel(at, -120);
        ASSERT_EQ(view->zoom(), zoom);
        EXPECT_EQ(view->toPage(at), page);
    }
}

TEST_F(ZoomTest, ZoomCommandsEnabledWithoutAPageWindowOrWrongAtTheirEnds)
{
    const int commands[] = {h5::Cmd::ZoomIn, h5::Cmd::ZoomOut, h5::Cmd::ZoomActual,
                            h5::Cmd::ZoomFit};
    ASSERT_TRUE(newProject(QStringLiteral("p"), 1));
    for (int id : commands) {
        SCOPED_TRACE(id);
        ASSERT_NE(frame->action(id), nullptr);
        EXPECT_FALSE(frame->action(id)->isEnabled());
    }
    view = openView();
    ASSERT_NE(view, nullptr);
    for (int id : commands)
        EXPECT_TRUE(frame->action(id)->isEnabled()) << id;

    // Out to the smallest, in to the largest, back to 1:1; the window title
    // tells the zoom unless it is 100 %.
    auto *window = qobject_cast<QMdiSubWindow *>(view->parentWidget());
    ASSERT_NE(window, nullptr);
    for (int expected : {50, 25, 25}) {
        frame->runCommand(h5::Cmd::ZoomOut);
        EXPECT_EQ(view->zoom(), expected);
    }
    EXPECT_FALSE(frame->action(h5::Cmd::ZoomOut)->isEnabled());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("1.wlp (25%)"));
    for (int expected : {50, 100, 200, 300, 400, 600, 800, 800}) {
        frame->runCommand(h5::Cmd::ZoomIn);
        EXPECT_EQ(view->zoom(), expected);
    }
    EXPECT_FALSE(frame->action(h5::Cmd::ZoomIn)->isEnabled());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("1.wlp (800%)"));
    ASSERT_TRUE(frame->runCommand(h5::Cmd::ZoomActual));
    EXPECT_EQ(view->zoom(), 100);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("1.wlp"));
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 0);

    // The menu texts and keys.
    EXPECT_EQ(frame->action(h5::Cmd::ZoomIn)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Plus));
    EXPECT_EQ(frame->action(h5::Cmd::ZoomOut)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Minus));
    EXPECT_EQ(frame->action(h5::Cmd::ZoomActual)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_0));
    EXPECT_TRUE(frame->action(h5::Cmd::ZoomFit)->text().startsWith(QStringLiteral("适合窗口")));
}

TEST_F(ZoomTest, FitDoesNotChooseTheLargestZoomShowingTheWholePage)
{
    view = openView();
    ASSERT_NE(view, nullptr);
    const QSize sizes[] = {{700, 300}, {500, 520}, {1000, 800}, {330, 260}, {90, 90}, {3000, 2500}};
    for (const QSize &size : sizes) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        resizeWindow(size);
        ASSERT_TRUE(frame->runCommand(h5::Cmd::ZoomIn)); // somewhere else first
        ASSERT_TRUE(frame->runCommand(h5::Cmd::ZoomFit));
        const QSize area = view->maximumViewportSize();
        // The largest whole percent whose page fits the area, within the range.
        int expected = 25;
        for (int z = 800; z >= 25; --z) {
            if ((320 * z + 99) / 100 <= area.width() && (240 * z + 99) / 100 <= area.height()) {
                expected = z;
                break;
            }
        }
        EXPECT_EQ(view->zoom(), expected);
        if (expected > 25 && expected < 800) {
            // The whole page shows: no scrolling, the last page pixel in view.
            EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
            EXPECT_EQ(view->verticalScrollBar()->maximum(), 0);
            EXPECT_EQ(view->toPage(windowPixel({319, 239}, expected)), QPoint(319, 239));
        }
    }
}

// ---- drawing -----------------------------------------------------------------------------

TEST_F(ZoomTest, WholeNumberZoomSmearsOrShiftsPagePixels)
{
    view = openView();
    ASSERT_NE(view, nullptr);
    // Single-pixel detail of several colours.
    h5::CGraph red = h5test::element(h5::Kind::Line, 0, {3, 4}, {90, 61});
    red.m_crColor1 = h5::RGB(255, 0, 0);
    h5::CGraph green = h5test::element(h5::Kind::HollowRect, 0, {20, 7}, {71, 33});
    green.m_crColor1 = h5::RGB(0, 255, 0);
    h5::CGraph blue = h5test::element(h5::Kind::HollowEllipse, 0, {40, 30}, {110, 70});
    blue.m_crColor1 = h5::RGB(0, 0, 255);
    for (const h5::CGraph &e : {red, green, blue})
        view->document().appendElement(e);
    view->refresh();
    const QImage page = view->canvas();
    const struct
    {
        int zoomIns;
        QPoint scroll;
    } cases[] = {{1, {0, 0}}, {1, {17, 5}}, {2, {33, 12}}, {3, {0, 0}}};
    for (const auto &c : cases) {
        ASSERT_TRUE(frame->runCommand(h5::Cmd::ZoomActual));
        for (int i = 0; i < c.zoomIns; ++i)
            ASSERT_TRUE(frame->runCommand(h5::Cmd::ZoomIn));
        const int zoom = view->zoom();
        const int factor = zoom / 100;
        SCOPED_TRACE(zoom);
        view->horizontalScrollBar()->setValue(c.scroll.x());
        view->verticalScrollBar()->setValue(c.scroll.y());
        ASSERT_EQ(view->horizontalScrollBar()->value(), c.scroll.x());
        ASSERT_EQ(view->verticalScrollBar()->value(), c.scroll.y());
        const QImage shown = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(shown.size(), view->viewport()->size());
        int wrong = 0;
        QString first;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                // Each page pixel fills factor * factor window pixels of
                // exactly its colour.
                const QPoint p((x + c.scroll.x()) / factor, (y + c.scroll.y()) / factor);
                if (shown.pixel(x, y) != page.pixel(p) && wrong++ == 0)
                    first = QStringLiteral("window (%1,%2) page (%3,%4)")
                                .arg(x).arg(y).arg(p.x()).arg(p.y());
            }
        }
        EXPECT_EQ(wrong, 0) << first.toStdString();
    }
}

TEST_F(ZoomTest, ZoomedOutPageEdgeVanishesInItsBackground)
{
    view = openView();
    ASSERT_NE(view, nullptr);
    {
        h5::CTypeGraph settings = view->settings();
        settings.m_crBack = h5::RGB(0, 0, 160);
        view->document().replaceSettings(settings);
    }
    view->refresh();
    const QColor back(0, 0, 160);
    const QColor grey(view->palette().color(QPalette::Dark).rgb()); // as painted, 8 bits a channel
    ASSERT_NE(grey, back);
    // The window is made larger than the page so the view has room beyond
    // it at every zoom; window pixels inside the page and beyond its right
    // and bottom edges. At 1:1 the background goes on beyond the page, as
    // on the terminal.
    resizeWindow(QSize(700, 560));
    const struct
    {
        int zoomOuts, zoomIns, zoom;
        QPoint inside, right, below;
        QColor beyond;
    } cases[] = {
        {1, 0, 50, {159, 119}, {161, 60}, {80, 121}, grey},
        {2, 0, 25, {79, 59}, {81, 30}, {40, 61}, grey},
        {0, 1, 200, {639, 479}, {641, 100}, {100, 481}, grey},
        {0, 0, 100, {319, 239}, {321, 100}, {100, 241}, back},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.zoom);
        ASSERT_TRUE(frame->runCommand(h5::Cmd::ZoomActual));
        for (int i = 0; i < c.zoomOuts; ++i)
            ASSERT_TRUE(frame->runCommand(h5::Cmd::ZoomOut));
        for (int i = 0; i < c.zoomIns; ++i)
            ASSERT_TRUE(frame->runCommand(h5::Cmd::ZoomIn));
        ASSERT_EQ(view->zoom(), c.zoom);
        ASSERT_EQ(view->horizontalScrollBar()->value(), 0);
        ASSERT_EQ(view->verticalScrollBar()->value(), 0);
        const QImage shown = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_TRUE(shown.rect().contains(c.right) && shown.rect().contains(c.below))
            << shown.width() << "x" << shown.height();
        EXPECT_EQ(shown.pixelColor(c.inside), back);
        EXPECT_EQ(shown.pixelColor(c.right), c.beyond);
        EXPECT_EQ(shown.pixelColor(c.below), c.beyond);
    }
}

TEST_F(ZoomTest, SelectionHandlesGrowOrShrinkWithTheZoom)
{
    view = openView();
    ASSERT_NE(view, nullptr);
    view->document().appendElement(h5test::element(h5::Kind::HollowRect, 0, {40, 30}, {60, 50}));
    view->document().select(0);
    view->refresh();
    ASSERT_TRUE(view->editState().selectedElement() != nullptr);
    const h5::SelectionMarks marks = h5::selectionMarks(*view->editState().selectedElement());
    ASSERT_FALSE(marks.squares.empty());
    // The top left handle: its square is red all over, the window pixels
    // just left of it and just above it (outside the element) are not.
    const QPoint handle = *std::min_element(
        marks.squares.begin(), marks.squares.end(),
        [](QPoint a, QPoint b) { return a.x() + a.y() < b.x() + b.y(); });
    auto checkSquare = [&](int zoom) {
        SCOPED_TRACE(zoom);
        const QImage shown = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QPoint from = view->toViewport(handle);
        const QPoint to = view->toViewport(handle + QPoint(1, 1));
        const QRect square = h5::handleSquare(from + (to - from) / 2);
        ASSERT_TRUE(shown.rect().contains(square.adjusted(-1, -1, 0, 0)));
        const QColor red(255, 0, 0);
        for (int y = square.top(); y <= square.bottom(); ++y)
            for (int x = square.left(); x <= square.right(); ++x)
                ASSERT_EQ(shown.pixelColor(x, y), red) << x << "," << y;
        EXPECT_NE(shown.pixelColor(square.left() - 1, square.center().y()), red);
        EXPECT_NE(shown.pixelColor(square.center().x(), square.top() - 1), red);
    };
    checkSquare(100);
    for (int zoom : {200, 400}) {
        ASSERT_TRUE(frame->runCommand(h5::Cmd::ZoomIn));
        if (view->zoom() != zoom) {
            ASSERT_TRUE(frame->runCommand(h5::Cmd::ZoomIn));
        }
        ASSERT_EQ(view->zoom(), zoom);
        view->horizontalScrollBar()->setValue(0);
        view->verticalScrollBar()->setValue(0);
        checkSquare(zoom);
    }
}

} // namespace

namespace {

TEST_F(ZoomTest, RubberBandAtAZoomMissesItsWindowPixels)
{
    view = openView();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(frame->runCommand(h5::Cmd::ZoomIn));
    ASSERT_TRUE(frame->runCommand(h5::Cmd::ZoomIn));
    ASSERT_TRUE(frame->runCommand(h5::Cmd::ZoomIn));
    ASSERT_EQ(view->zoom(), 400);
    view->horizontalScrollBar()->setValue(0);
    view->verticalScrollBar()->setValue(0);
    ASSERT_TRUE(frame->runCommand(h5::Cmd::ToolButton)); // a control: a dotted band
    // Half way through a drag from page pixel (10, 12) to (20, 17).
    press(windowPixel({10, 12}, 400));
    moveTo(windowPixel({15, 14}, 400));
    moveTo(windowPixel({20, 17}, 400));
    ASSERT_TRUE(view->band().has_value());
    EXPECT_EQ(view->band()->from, QPoint(10, 12));
    EXPECT_EQ(view->band()->to, QPoint(20, 17));
    const QImage shown = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb back = view->canvas().pixel(0, 0);
    auto marked = [&](int x0, int x1, int y) {
        int n = 0;
        for (int x = x0; x <= x1; ++x)
            n += shown.pixel(x, y) != back;
        return n;
    };
    // One window pixel wide, along the first band pixel's top edge; the
    // bottom line just past the last band pixel, as at 100 %.
    const int left = 40, right = 21 * 4, top = 48, bottom = 18 * 4;
    EXPECT_GT(marked(left, right, top), 0);
    EXPECT_EQ(marked(left, right, top - 1), 0);
    EXPECT_EQ(marked(left + 1, right - 1, top + 1), 0);
    EXPECT_GT(marked(left, right, bottom), 0);
    EXPECT_EQ(marked(left + 1, right - 1, bottom - 1), 0);
    EXPECT_EQ(marked(left, right, bottom + 1), 0);
    // (No release: that would open the button's form.)
}

TEST_F(ZoomTest, ExportsAtAZoomTakeTheWrongPicture)
{
    view = openView();
    ASSERT_NE(view, nullptr);
    h5::CGraph red = h5test::element(h5::Kind::SolidRect, 0, {20, 15}, {60, 40});
    red.m_crColor1 = h5::RGB(255, 0, 0);
    view->document().appendElement(red);
    view->document().appendElement(h5test::element(h5::Kind::HollowRect, 0, {5, 5}, {40, 30}));
    view->document().select(1);
    ASSERT_TRUE(frame->runCommand(h5::Cmd::ShowGrid));
    view->setGridSpacing(10, 10);
    view->refresh();
    ASSERT_TRUE(frame->runCommand(h5::Cmd::ZoomIn));
    ASSERT_EQ(view->zoom(), 200);
    view->horizontalScrollBar()->setValue(0);
    view->verticalScrollBar()->setValue(0);

    // Grid dots are whole page pixels: (10, 10) and (140, 100) white, the
    // pixels beside them black.
    const QImage zoomed = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (const QPoint dot : {QPoint(20, 20), QPoint(280, 200)}) {
        SCOPED_TRACE(testing::Message() << dot.x() << "," << dot.y());
        ASSERT_TRUE(zoomed.rect().contains(dot + QPoint(2, 2)));
        for (const QPoint d : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)})
            EXPECT_EQ(zoomed.pixelColor(dot + d), QColor(255, 255, 255));
        for (const QPoint d : {QPoint(2, 0), QPoint(0, 2), QPoint(2, 2), QPoint(-1, -1)})
            EXPECT_EQ(zoomed.pixelColor(dot + d), QColor(0, 0, 0));
    }

    // Scrolled: page pixel (60, 60) shows at window pixel (20, 20).
    view->horizontalScrollBar()->setValue(100);
    view->verticalScrollBar()->setValue(100);
    const QImage scrolled = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(scrolled.pixelColor(21, 21), QColor(255, 255, 255));
    EXPECT_EQ(scrolled.pixelColor(22, 22), QColor(0, 0, 0));
    view->horizontalScrollBar()->setValue(0);
    view->verticalScrollBar()->setValue(0);

    // The page bitmap stays the page at 1:1.
    prompts.bitmapFile = dir.filePath(QStringLiteral("whole.bmp"));
    ASSERT_TRUE(frame->runCommand(h5::Cmd::ExportBitmap));
    QImage written(prompts.bitmapFile, "BMP");
    ASSERT_FALSE(written.isNull());
    h5::RenderOptions options;
    options.resolution = app->resolution();
    EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32), h5::pageBitmap(view->page(), options));

    // The screenshot takes window pixels, zoom and marks included.
    const QImage shown = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    prompts.screenshotAnswer = h5::ScreenshotValues{50, 40, 130, 90};
    prompts.bitmapFile = dir.filePath(QStringLiteral("cut.bmp"));
    ASSERT_TRUE(frame->runCommand(h5::Cmd::Screenshot));
    QImage cut(prompts.bitmapFile, "BMP");
    ASSERT_FALSE(cut.isNull());
    EXPECT_EQ(cut.convertToFormat(QImage::Format_RGB32), shown.copy(50, 40, 80, 50));
    // Window pixel (51, 41) is page pixel (25, 20): inside the red box.
    EXPECT_EQ(cut.pixelColor(1, 1), QColor(255, 0, 0));
    EXPECT_TRUE(prompts.messages.isEmpty()) << prompts.messages.join(QLatin1Char('|')).toStdString();

    const QString out = qEnvironmentVariable("H5_SCREENSHOT_DIR");
    if (!out.isEmpty()) {
        EXPECT_TRUE(shown.save(out + QStringLiteral("/page-window-zoom-200.png")));
    }
}

} // namespace
