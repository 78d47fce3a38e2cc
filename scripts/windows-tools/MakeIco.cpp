// Draws an SVG at the sizes Windows asks of an icon and packs them, as PNG
// images, into one .ico file.
#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QtEndian>
#include <cstdio>
int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) { std::fprintf(stderr, "usage: make_ico SVG ICO\n"); return 2; }
    const int sizes[] = {16, 20, 24, 32, 40, 48, 64, 256};
    QList<QByteArray> pngs;
    for (int size : sizes) {
        QImageReader reader(QString::fromLocal8Bit(argv[1]));
        reader.setScaledSize(QSize(size, size));
        QImage image = reader.read();
        if (image.isNull()) { std::fprintf(stderr, "cannot read %s: %s\n", argv[1], qPrintable(reader.errorString())); return 1; }
        QByteArray png; QBuffer buffer(&png); buffer.open(QIODevice::WriteOnly);
        image.convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG");
        pngs << png;
    }
    QByteArray ico;
    auto u16 = [&ico](quint16 v) { ico.append(char(v & 0xFF)); ico.append(char(v >> 8)); };
    auto u32 = [&](quint32 v) { u16(quint16(v & 0xFFFF)); u16(quint16(v >> 16)); };
    u16(0); u16(1); u16(quint16(pngs.size()));
    quint32 offset = 6 + 16 * quint32(pngs.size());
    for (int i = 0; i < pngs.size(); ++i) {
        const int size = sizes[i];
        ico.append(char(size >= 256 ? 0 : size)); ico.append(char(size >= 256 ? 0 : size));
        ico.append(char(0)); ico.append(char(0));
        u16(1); u16(32); u32(quint32(pngs[i].size())); u32(offset);
        offset += quint32(pngs[i].size());
    }
    for (const QByteArray &png : pngs) ico += png;
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) || out.write(ico) != ico.size() || !out.flush()) { std::fprintf(stderr, "cannot write %s\n", argv[2]); return 1; }
    return 0;
}
