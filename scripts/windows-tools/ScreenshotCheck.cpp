// Checks that a screenshot of the main window shows a page: the colours
// that cover most of the page as the editor draws it (h5800 render) must
// cover at least half as much of the screenshot, so a blank window, an
// error box or an empty frame fails. Colours, not positions, are compared:
// where the page window sits, its scroll bars and the glyphs of the
// system's fonts do not matter.
//
//   ScreenshotCheck PAGE.png SCREENSHOT.png     exit 0 when it shows the page

#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: ScreenshotCheck PAGE.png SCREENSHOT.png\n");
        return 2;
    }
    const QImage page = QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_RGB32);
    const QImage shot = QImage(QString::fromLocal8Bit(argv[2])).convertToFormat(QImage::Format_RGB32);
    if (page.isNull() || shot.isNull()) {
        std::fprintf(stderr, "ScreenshotCheck: cannot read %s\n", page.isNull() ? argv[1] : argv[2]);
        return 2;
    }
    const auto histogram = [](const QImage &image) {
        QHash<QRgb, qint64> counts;
        for (int y = 0; y < image.height(); ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                ++counts[line[x] | 0xFF000000u];
        }
        return counts;
    };
    const QHash<QRgb, qint64> pageCounts = histogram(page), shotCounts = histogram(shot);
    std::vector<std::pair<qint64, QRgb>> colours;
    for (auto it = pageCounts.cbegin(); it != pageCounts.cend(); ++it)
        colours.emplace_back(it.value(), it.key());
    std::sort(colours.rbegin(), colours.rend());
    // The colours covering at least 1 % of the page, at most five of them.
    const qint64 least = qint64(page.width()) * page.height() / 100;
    int checked = 0, failed = 0;
    for (const auto &[count, colour] : colours) {
        if (count < least || checked == 5)
            break;
        ++checked;
        const qint64 seen = shotCounts.value(colour);
        const bool ok = seen * 2 >= count;
        failed += ok ? 0 : 1;
        std::printf("%s #%06x: %lld pixels on the page, %lld in the screenshot\n", ok ? "ok  " : "FAIL",
                    unsigned(colour & 0xFFFFFF), count, seen);
    }
    if (checked == 0)
        failed = 1;
    return failed == 0 ? 0 : 1;
}
