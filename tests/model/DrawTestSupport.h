#pragma once
// Helpers of the drawing tests: the GUI application that fonts need, a small
// canvas to draw elements on and read pixels back, and elements with chosen
// colours.

#include "support/TestUtil.h"

#include "model/ElementDraw.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace h5test {

// Fonts need a QGuiApplication; the test binary has none of its own. False
// when another test already made a plain QCoreApplication.
inline bool ensureGuiApp()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        return qobject_cast<QGuiApplication *>(app) != nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QDir::tempPath() + QStringLiteral("/h5tests-runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                           | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    }
    static int argc = 1;
    static char name[] = "h5tests";
    static char *argv[] = {name, nullptr};
    new QGuiApplication(argc, argv); // lives until the process ends
    return true;
}

class DrawTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!ensureGuiApp())
            GTEST_SKIP() << "a non-GUI application object exists; fonts cannot be used";
    }
};

const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

// An RGB32 image filled with one colour, to draw on and read back.
struct Canvas
{
    QImage image;

    explicit Canvas(int w = 120, int h = 80, QColor back = kBlack)
        : image(w, h, QImage::Format_RGB32)
    {
        image.fill(back);
    }

    void draw(h5::CGraph &g, bool labels = false, const h5::DrawContext &ctx = h5::DrawContext())
    {
        QPainter p(&image);
        h5::drawElement(g, p, labels, ctx);
    }

    QColor at(int x, int y) const { return image.pixelColor(x, y); }
    QColor at(QPoint p) const { return at(p.x(), p.y()); }

    // Pixels of colour `c` inside `area` (the whole image when empty).
    int count(QColor c, QRect area = QRect()) const
    {
        if (area.isEmpty())
            area = image.rect();
        area &= image.rect();
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += image.pixelColor(x, y) == c;
        return n;
    }

    // Pixels that are not `back`.
    int countNot(QColor back, QRect area = QRect()) const
    {
        if (area.isEmpty())
            area = image.rect();
        area &= image.rect();
        return area.width() * area.height() - count(back, area);
    }

    // Smallest rectangle holding every pixel of colour `c` (empty if none).
    QRect bounds(QColor c) const
    {
        QRect r;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == c)
                    r |= QRect(x, y, 1, 1);
        return r;
    }
};

inline h5::COLORREF cr(const QColor &c) { return h5::RGB(c.red(), c.green(), c.blue()); }

// An element of `kind` over a to b in colour 1 `c1` (colour 2 black).
inline h5::CGraph shape(int kind, QPoint a, QPoint b, QColor c1 = kWhite)
{
    h5::CGraph g = element(kind, 0, a, b);
    g.m_crColor1 = cr(c1);
    g.m_crColor2 = cr(kBlack);
    return g;
}

} // namespace h5test
