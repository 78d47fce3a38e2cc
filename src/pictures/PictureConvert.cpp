#include "pictures/PictureConvert.h"

#include "pictures/SlotRecord.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>

namespace h5 {

namespace {

// Rounds an 8-bit channel to `bits` bits on the highest dropped bit, never
// past the field's maximum.
constexpr int roundChannel(int v, int bits)
{
    const int shift = 8 - bits;
    const int max = (1 << bits) - 1;
    int r = v >> shift;
    if (r != max && (v & (1 << (shift - 1))))
        ++r;
    return r;
}

// Each channel's rounded value already shifted into its place in the
// 16-bit pixel, so a pixel is three lookups and two ORs.
struct ChannelTables
{
    uint16_t red[256];
    uint16_t green[256];
    uint16_t blue[256];

    constexpr ChannelTables() : red(), green(), blue()
    {
        for (int v = 0; v < 256; ++v) {
            red[v] = static_cast<uint16_t>(roundChannel(v, 5) << 11);
            green[v] = static_cast<uint16_t>(roundChannel(v, 6) << 5);
            blue[v] = static_cast<uint16_t>(roundChannel(v, 5));
        }
    }
};

constexpr ChannelTables kTables;

// No picture can be larger than the terminal's whole picture store (600
// flash blocks); refusing bigger sizes up front also keeps a corrupt size
// field from asking for gigabytes.
constexpr int64_t kMaxPictureBytes = int64_t(kSlotCount) * kFlashBlock;

// Decodes a picture, its format told by its contents rather than its name.
// Pixels come as stored, like the measured size: an orientation tag must not
// turn the picture against the size it was given. Contents that do not
// decode give a null image, which converts to black.
QImage decodePicture(QIODevice *device)
{
    QImageReader reader(device);
    reader.setAutoTransform(false);
    return reader.read();
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

uint16_t rgb565(int r, int g, int b)
{
    return static_cast<uint16_t>(kTables.red[r & 0xFF] | kTables.green[g & 0xFF]
                                 | kTables.blue[b & 0xFF]);
}

bool convertPicture(const QImage &image, int w, int h, QByteArray &out, QString *error)
{
    // resize(0) rather than clear(): the caller's buffer keeps its capacity,
    // so converting picture after picture does not allocate each time.
    out.resize(0);
    if (w < 0 || h < 0) {
        setError(error, QStringLiteral("图片尺寸无效：%1×%2").arg(w).arg(h));
        return false;
    }
    if (w == 0 || h == 0)
        return true;
    if (pictureBytes(w, h) > kMaxPictureBytes) {
        setError(error, QStringLiteral("图片%1×%2超出终端的图片存储容量").arg(w).arg(h));
        return false;
    }

    QImage src;
    if (!image.isNull() && image.size() == QSize(w, h) && !image.hasAlphaChannel()) {
        // Already the right size and fully opaque: drawing it onto black
        // would change nothing, so only the pixel format is unified.
        src = image.format() == QImage::Format_RGB32 ? image
                                                     : image.convertToFormat(QImage::Format_RGB32);
    } else {
        QImage canvas(w, h, QImage::Format_RGB32);
        if (canvas.isNull()) {
            setError(error, QStringLiteral("无法生成%1×%2的图象").arg(w).arg(h));
            return false;
        }
        canvas.fill(Qt::black);
        if (!image.isNull()) {
            QPainter painter(&canvas);
            if (!painter.isActive()) {
                setError(error, QStringLiteral("无法在%1×%2的图象上绘图").arg(w).arg(h));
                return false;
            }
            // Nearest pixel, like the terminal would show it: no blending
            // of neighbouring pixels.
            painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
            painter.drawImage(QRect(0, 0, w, h), image);
        }
        src = canvas;
    }
    if (src.isNull()) {
        setError(error, QStringLiteral("无法生成%1×%2的图象").arg(w).arg(h));
        return false;
    }

    out.resize(pictureBytes(w, h));
    uchar *dst = reinterpret_cast<uchar *>(out.data());
    for (int y = 0; y < h; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(src.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb p = line[x];
            const uint16_t v = static_cast<uint16_t>(kTables.red[(p >> 16) & 0xFF]
                                                     | kTables.green[(p >> 8) & 0xFF]
                                                     | kTables.blue[p & 0xFF]);
            qToLittleEndian<quint16>(v, dst);
            dst += 2;
        }
    }
    return true;
}

ConvertResult convertPictureFile(const QString &imagePath, int w, int h, QByteArray &out,
                                 QString *error)
{
    out.resize(0);
    QFile file(imagePath);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("%1: %2").arg(imagePath, file.errorString()));
        return ConvertResult::CannotOpen;
    }
    // The decoder reads straight from the file.
    if (!convertPicture(decodePicture(&file), w, h, out, error))
        return ConvertResult::CannotRender;
    return ConvertResult::Ok;
}

bool convertPicture(const QString &imagePath, int w, int h, QByteArray &out, QString *error)
{
    return convertPictureFile(imagePath, w, h, out, error) == ConvertResult::Ok;
}

bool measurePicture(const QString &path, int &w, int &h)
{
    w = 0;
    h = 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QSize size;
    {
        // BMP, JPEG and PNG readers know the size from the header alone.
        QImageReader reader(&file);
        size = reader.size();
    }
    if (!size.isValid() || size.isEmpty()) {
        // Formats that do not tell their size up front: decode the picture.
        file.seek(0);
        const QImage image = decodePicture(&file);
        size = image.isNull() ? QSize(0, 0) : image.size();
    }
    w = size.width();
    h = size.height();
    return true;
}

} // namespace h5
