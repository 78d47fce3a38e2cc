#pragma once
// Small pictures made on the fly for the picture tests.

#include <QColor>
#include <QFile>
#include <QImage>
#include <QString>
#include <vector>

namespace h5test {

// A w x h picture whose pixels all differ a little, so a wrong pixel order
// or a lost row shows.
inline QImage patternImage(int w, int h, int seed = 0)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 37 + seed * 11) & 0xFF, (y * 53 + seed * 7) & 0xFF,
                                    (x * y + seed * 3) & 0xFF));
    return img;
}

inline QImage solidImage(int w, int h, QColor colour)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

// Saves `img` at `path` in the format named by `format` ("BMP", "PNG",
// "JPEG"); returns the path.
inline QString saveImage(const QImage &img, const QString &path, const char *format)
{
    if (!img.save(path, format, format == QByteArray("JPEG") ? 100 : -1))
        return QString();
    return path;
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

// The terminal bytes of a colour, worked out with the rounding rule itself
// (not with the code under test).
inline std::vector<unsigned char> expected565(int R, int G, int B)
{
    int r = R >> 3, g = G >> 2, b = B >> 3;
    if (r != 31 && (R & 4))
        ++r;
    if (g != 63 && (G & 2))
        ++g;
    if (b != 31 && (B & 4))
        ++b;
    const int v = (r << 11) | (g << 5) | b;
    return {static_cast<unsigned char>(v & 0xFF), static_cast<unsigned char>(v >> 8)};
}

inline QByteArray expectedPixels(const QImage &img)
{
    QByteArray out;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            for (unsigned char c : expected565(qRed(p), qGreen(p), qBlue(p)))
                out.append(static_cast<char>(c));
        }
    return out;
}

} // namespace h5test
