#include "model/PageRender.h"

#include "model/ElementDraw.h"

#include <QPainter>

namespace h5 {

QColor pageBackground(const CTypeGraph &settings)
{
    return settings.isAuxiliary() ? QColor(255, 255, 255) : colorOf(settings.m_crBack);
}

QImage renderPage(Page &page, const RenderOptions &options)
{
    QSize size = resolutionSize(options.resolution >= 0 ? options.resolution
                                                        : page.settings.m_nResolution);
    if (!size.isValid())
        return QImage();
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(pageBackground(page.settings));

    DrawContext ctx;
    ctx.picturesDir = options.picturesDir;
    ctx.screenWidth = size.width();
    ctx.cache = options.cache;
    ctx.notifier = options.notifier;
    ctx.pictureProblems = options.pictureProblems;
    QPainter p(&image);
    drawElements(page.elements, p, options.labels, ctx);
    p.end();
    return image;
}

} // namespace h5
