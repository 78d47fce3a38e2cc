#include "pictures/PictureConvert.h"

#include "pictures/SlotRecord.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>

#include <cstring>

namespace h5 {

namespace {

// No picture can be larger than the terminal's whole picture store (600
// flash blocks); refusing bigger sizes up front also keeps a corrupt size
// field from asking for gigabytes.
constexpr int64_t kMaxPictureBytes = int64_t(kSlotCount) * kFlashBlock;

// Decodes a picture, its format told by its contents rather than its name.
// Pixels come as stored, like the measured size: an orientation tag must not
// turn the picture against the size it was given. Contents that do not
// decode give a null image and, when asked, the reason.
QImage decodePicture(QIODevice *device, QString *reason = nullptr)
{
    QImageReader reader(device);
    reader.setAutoTransform(false);
    QImage image = reader.read();
    if (image.isNull() && reason)
        *reason = device->size() == 0 ? QStringLiteral("文件为空") : QStringLiteral("无法解码图片（%1）").arg(reader.errorString());
    return image;
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

namespace {

// Checks the size a picture is to be converted to; false with the reason
// when it is negative or larger than the terminal's picture store.
bool pictureSizeOk(int w, int h, QString *error)
{
    if (w < 0 || h < 0) {
        setError(error, QStringLiteral("图片尺寸无效：%1×%2").arg(w).arg(h));
        return false;
    }
    if (pictureBytes(w, h) > kMaxPictureBytes) {
        setError(error, QStringLiteral("图片%1×%2超出终端的图片存储容量").arg(w).arg(h));
        return false;
    }
    return true;
}

// The conversion of a decoded picture into w * h * 2 bytes at `out`, the
// size already checked (and neither 0).
bool convertImageInto(const QImage &image, int w, int h, char *out, QString *error)
{
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

    uchar *dst = reinterpret_cast<uchar *>(out);
    for (int y = 0; y < h; ++y) {
        rgb565Row(reinterpret_cast<const QRgb *>(src.constScanLine(y)), w, dst);
        dst += 2 * qsizetype(w);
    }
    return true;
}

} // namespace

bool convertPicture(const QImage &image, int w, int h, QByteArray &out, QString *error)
{
    // resize(0) rather than clear(): the caller's buffer keeps its capacity,
    // so converting picture after picture does not allocate each time.
    out.resize(0);
    if (!pictureSizeOk(w, h, error))
        return false;
    if (w == 0 || h == 0)
        return true;
    // Every byte is written by the conversion: no zero fill first.
    out.resize(pictureBytes(w, h));
    if (!convertImageInto(image, w, h, out.data(), error)) {
        out.resize(0);
        return false;
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
    // An empty, truncated or foreign file is reported, never shipped black
    // in silence. Decoders fill a cut-off BMP or JPEG with grey or black
    // without complaint, so the file's own structure is checked first.
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        setError(error, QStringLiteral("%1: %2").arg(imagePath, file.errorString()));
        return ConvertResult::CannotOpen;
    }
    return convertPictureData(bytes, imagePath, w, h, out, error);
}

void loadPictureDecoders()
{
    static const bool loaded = !QImageReader::supportedImageFormats().isEmpty();
    (void)loaded;
}

namespace {

// JPEG, PNG, or BMP without compression (plain or with bit fields).
bool decoderWritesEveryPixel(const QByteArray &bytes)
{
    const qsizetype size = bytes.size();
    const auto *b = reinterpret_cast<const uchar *>(bytes.constData());
    if (size >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF)
        return true;
    if (size >= 8 && std::memcmp(b, "\x89PNG\r\n\x1A\n", 8) == 0)
        return true;
    if (size >= 34 && b[0] == 'B' && b[1] == 'M') {
        const quint32 compression = qFromLittleEndian<quint32>(b + 30);
        return compression == 0 || compression == 3;
    }
    return false;
}

// Checks and decodes a picture file's bytes; a null image, with the
// reason in `error`, when they are damaged or do not decode. `reuse`, when
// given, is an image whose memory the decoder may take for the pixels.
QImage decodeData(const QByteArray &bytes, const QString &imagePath, QString *error, QImage *reuse)
{
    const QString damage = pictureFileDamage(bytes);
    if (!damage.isEmpty()) {
        setError(error, QStringLiteral("%1: %2").arg(imagePath, damage));
        return {};
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImage start;
    QImage *into = reuse;
    {
        QImageReader reader(&buffer);
        reader.setAutoTransform(false);
        if (!decoderWritesEveryPixel(bytes)) {
            // A decoder that skips pixels (a run-length BMP may jump over
            // some) leaves them as the image held them: the picture starts
            // from zeros in the format it comes in, so it converts the same
            // every time.
            const QSize size = reader.size();
            const QImage::Format format = reader.imageFormat();
            const qint64 limit = qint64(QImageReader::allocationLimit()) << 20;
            if (size.isValid() && !size.isEmpty() && format != QImage::Format_Invalid
                && qint64(size.width()) * size.height() * 8 <= limit) {
                start = QImage(size, format);
                if (!start.isNull())
                    start.fill(0);
            }
            into = &start;
        }
        if (into) {
            if (reader.read(into))
                return *into;
            buffer.seek(0);
        }
    }
    QString reason;
    const QImage image = decodePicture(&buffer, &reason);
    if (image.isNull())
        setError(error, QStringLiteral("%1: %2").arg(imagePath, reason));
    return image;
}

} // namespace

ConvertResult convertPictureData(const QByteArray &bytes, const QString &imagePath, int w, int h,
                                 QByteArray &out, QString *error)
{
    out.resize(0);
    const QImage image = decodeData(bytes, imagePath, error, nullptr);
    if (image.isNull())
        return ConvertResult::CannotRender;
    if (!convertPicture(image, w, h, out, error))
        return ConvertResult::CannotRender;
    return ConvertResult::Ok;
}

ConvertResult convertPictureDataInto(const QByteArray &bytes, const QString &imagePath, int w,
                                     int h, char *out, QString *error, QImage *reuse)
{
    const QImage image = decodeData(bytes, imagePath, error, reuse);
    if (image.isNull())
        return ConvertResult::CannotRender;
    if (!pictureSizeOk(w, h, error))
        return ConvertResult::CannotRender;
    if (w == 0 || h == 0)
        return ConvertResult::Ok;
    return convertImageInto(image, w, h, out, error) ? ConvertResult::Ok
                                                     : ConvertResult::CannotRender;
}

QString pictureFileDamage(const QByteArray &bytes)
{
    const qsizetype size = bytes.size();
    const auto *b = reinterpret_cast<const uchar *>(bytes.constData());
    if (size == 0)
        return QStringLiteral("文件为空");
    if (size >= 2 && b[0] == 'B' && b[1] == 'M') {
        // Uncompressed BMP: the pixel rows the header announces must all be
        // there.
        if (size < 34)
            return QStringLiteral("BMP文件不完整（%1字节）").arg(size);
        const int64_t offset = qFromLittleEndian<quint32>(b + 10);
        const int64_t width = qFromLittleEndian<qint32>(b + 18);
        const int64_t height = qFromLittleEndian<qint32>(b + 22);
        const int bits = qFromLittleEndian<quint16>(b + 28);
        const quint32 compression = qFromLittleEndian<quint32>(b + 30);
        if ((compression == 0 || compression == 3) && width > 0 && bits > 0) {
            const int64_t stride = (width * bits + 31) / 32 * 4;
            const int64_t needed = offset + stride * (height < 0 ? -height : height);
            if (needed > size)
                return QStringLiteral("BMP文件不完整（%1字节，应有%2字节）").arg(size).arg(needed);
        }
        return {};
    }
    if (size >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) {
        // JPEG: the image data (after the last start-of-scan marker) must
        // end with the end-of-image marker.
        const qsizetype sos = bytes.lastIndexOf(QByteArrayLiteral("\xFF\xDA"));
        if (sos < 0 || bytes.indexOf(QByteArrayLiteral("\xFF\xD9"), sos) < 0)
            return QStringLiteral("JPEG文件不完整（缺少结束标记）");
        return {};
    }
    static const char pngSignature[] = "\x89PNG\r\n\x1A\n";
    if (size >= 8 && std::memcmp(b, pngSignature, 8) == 0) {
        if (bytes.lastIndexOf(QByteArrayLiteral("IEND")) < 8)
            return QStringLiteral("PNG文件不完整（缺少结束块）");
        return {};
    }
    return {};
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
