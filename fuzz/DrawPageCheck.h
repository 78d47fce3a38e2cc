#pragma once
// Properties of a page loaded from arbitrary bytes and drawn the way
// `h5800 render` and the page bitmap export draw it, before any save could
// clean it up. The drawing must finish without undefined behaviour, give an
// image of exactly the screen size (a null image only for an unknown
// resolution), and draw the same pixels when the page is drawn a second
// time, as every repaint of the editor does.
//
// Checked by fuzz_draw_page and replayed by the tests. The picture folder
// holds a small BMP "1.bmp" and an undecodable "2.bmp", so bitmap elements
// naming them reach the picture drawing and its failure report.

#include "FuzzCheck.h"
#include "FuzzTempFiles.h"

#include "common/Notifier.h"
#include "model/Page.h"
#include "model/PageRender.h"
#include "model/PictureCache.h"
#include "project/PageExport.h"

#include <QDir>
#include <QImage>
#include <cstdint>
#include <cstdlib>

namespace h5fuzz {

// The picture folder the pages are drawn with, made once. Drawing text
// needs a QGuiApplication, which the caller makes.
inline const QString &drawPagePictures()
{
    static const QString dir = [] {
        const QString path = scratchPath(QStringLiteral("pictures"));
        QDir().mkpath(path);
        QImage picture(4, 3, QImage::Format_RGB32);
        picture.fill(qRgb(200, 100, 50));
        picture.setPixel(0, 0, qRgb(0, 0, 255));
        check(picture.save(path + QStringLiteral("/1.bmp"), "BMP"), "the test picture is written");
        writeScratch(path + QStringLiteral("/2.bmp"), QByteArray("BM not a picture"));
        return path;
    }();
    return dir;
}

inline void checkDrawPageInput(const uint8_t *data, size_t size)
{
    using namespace h5;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     qsizetype(size));
    Page page;
    QString error;
    if (!page.fromPageFile(bytes, &error)) {
        check(!error.isEmpty(), "a refused page says why");
        return;
    }

    RenderOptions options;
    options.picturesDir = drawPagePictures();
    // The page's own resolution as a page without its project is drawn;
    // every few inputs the project's, which may differ from the page's.
    if (size % 4 == 3)
        options.resolution = int(size % 13);
    options.labels = size & 1;
    PictureCache cache;
    if (size & 2)
        options.cache = &cache;
    RecordingNotifier notifier;
    options.notifier = &notifier;
    const QSize screen =
        resolutionSize(options.resolution >= 0 ? options.resolution : page.settings.m_nResolution);

    const Page loaded = page;
    const QImage first = renderPage(page, options);
    if (!screen.isValid()) {
        check(first.isNull(), "no image for an unknown resolution");
        return;
    }
    check(first.size() == screen && first.format() == QImage::Format_RGB32,
          "the page is drawn at the screen size");
    check(notifier.messages.size() <= 1, "a failing picture is reported once per drawing");

    // Drawn again (the text end points now set by the first drawing): the
    // same pixels.
    const QImage second = renderPage(page, options);
    check(second == first, "a page drawn again gives the same pixels");

    // The page bitmap export draws a copy of the page, unchanged.
    const QImage bitmap = pageBitmap(loaded, options);
    check(bitmap.size() == screen, "the page bitmap has the screen size");
}

} // namespace h5fuzz
