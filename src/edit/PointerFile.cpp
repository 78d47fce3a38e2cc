#include "edit/PointerFile.h"

#include "common/Bytes.h"
#include "common/FileIo.h"

#include <QPainter>
#include <cmath>
#include <cstdio>

namespace h5 {

PointerFileHeader readPointerHeader(const QByteArray &bytes)
{
    QByteArray head = bytes.left(kPointerHeaderSize);
    head.append(kPointerHeaderSize - head.size(), '\0');
    const char *p = head.constData();
    PointerFileHeader h;
    std::size_t n = 0;
    while (n < std::size_t(kPointerNameSize) && p[n] != '\0')
        ++n;
    h.name.assign(p, n);
    h.length = getBe16(p + 50);
    h.tipCut = getBe16(p + 52);
    h.startAngle = static_cast<int16_t>(getBe16(p + 54));
    h.endAngle = static_cast<int16_t>(getBe16(p + 56));
    h.positions = getU8(p + 58);
    return h;
}

bool readPointerFile(const QString &path, PointerFileHeader &out, QString *error)
{
    QByteArray head;
    QString why;
    if (!readFileHead(path, kPointerHeaderSize, head, &why)) {
        if (error)
            *error = why.isEmpty() ? QStringLiteral("%1：无法读取").arg(path) : why;
        return false;
    }
    if (head.size() < kPointerHeaderSize) {
        if (error)
            *error = QStringLiteral("%1：文件长%2字节，指针文件应有%3字节")
                         .arg(path)
                         .arg(head.size())
                         .arg(kPointerHeaderSize);
        return false;
    }
    out = readPointerHeader(head);
    return true;
}

std::string pointerMakerName(int length, int tipCut, int startAngle, int endAngle)
{
    char buf[96];
    std::snprintf(buf, sizeof buf, "Len(%d,%d); %d?-%d", length, tipCut, startAngle, endAngle);
    return buf;
}

PointerFileHeader makePointerHeader(int length, int tipCut, int startAngle, int endAngle)
{
    PointerFileHeader h;
    h.name = pointerMakerName(length, tipCut, startAngle, endAngle);
    h.length = length;
    h.tipCut = tipCut;
    h.startAngle = startAngle;
    h.endAngle = endAngle;
    h.positions = kPointerMakerPositions;
    return h;
}

bool pointerNumbersFit(const PointerFileHeader &h, QString *error)
{
    struct Field { const char *name; int value; int lo, hi; };
    const Field fields[] = {
        {"full length", h.length, 0, 65535},
        {"tip cut", h.tipCut, 0, 65535},
        {"start angle", h.startAngle, -32768, 32767},
        {"end angle", h.endAngle, -32768, 32767},
        {"positions", h.positions, 0, 255},
    };
    for (const Field &f : fields) {
        if (f.value < f.lo || f.value > f.hi) {
            if (error)
                *error = QStringLiteral("%1 %2 does not fit the file (%3 to %4)")
                             .arg(QLatin1String(f.name))
                             .arg(f.value)
                             .arg(f.lo)
                             .arg(f.hi);
            return false;
        }
    }
    return true;
}

QByteArray encodePointerHeader(const PointerFileHeader &h)
{
    QByteArray out;
    ByteWriter w(out);
    const std::size_t n = std::min(h.name.size(), std::size_t(kPointerNameSize));
    w.bytes(h.name.data(), n);
    w.fill('\0', std::size_t(kPointerNameSize) - n);
    w.be16(uint32_t(h.length));
    w.be16(uint32_t(h.tipCut));
    w.be16(uint32_t(h.startAngle));
    w.be16(uint32_t(h.endAngle));
    w.u8(uint32_t(h.positions));
    w.u8(0);
    return out;
}

bool savePointerFile(const QString &path, const PointerFileHeader &h, QString *error)
{
    return writeFileAtomically(path, encodePointerHeader(h), error);
}

QString withMglSuffix(const QString &path)
{
    if (path.right(4) == QLatin1String(".MGL"))
        return path;
    return path + QLatin1String(".MGL");
}

double pointerRadians(double degrees)
{
    return degrees * 2 * 3.1415926535 / 360;
}

QLine needleLine(int cx, int cy, double degrees, int tipCut, int length)
{
    const double a = pointerRadians(degrees);
    const double c = std::cos(a), s = std::sin(a);
    const double outer = double(tipCut) + double(length);
    return QLine(cx - int(std::trunc(tipCut * c)), cy - int(std::trunc(tipCut * s)),
                 cx - int(std::trunc(outer * c)), cy - int(std::trunc(outer * s)));
}

std::vector<double> previewAngles(int startAngle, int endAngle, int positions, bool scaleView)
{
    std::vector<double> angles{double(startAngle), double(endAngle)};
    if (scaleView && positions >= 3) {
        const double step = double(endAngle - startAngle) / double(positions - 1);
        for (int i = 1; i <= positions - 2; ++i)
            angles.push_back(startAngle + i * step);
    }
    return angles;
}

QImage renderPointerPreview(const QSize &size, const PointerPreviewOptions &o)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(73, 73, 73));
    const int cx = size.width() / 2, cy = size.height() / 2;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::white, 1));
    for (double a : previewAngles(o.startAngle, o.endAngle, o.positions, o.scaleView))
        p.drawLine(needleLine(cx, cy, a, o.tipCut, o.length));
    if (o.pointerCircle) {
        p.setPen(QPen(QColor(255, 0, 0), 1));
        p.setBrush(Qt::NoBrush);
        p.drawLine(cx - 5, cy, cx + 5, cy);
        p.drawLine(cx, cy - 5, cx, cy + 5);
        p.drawEllipse(QPoint(cx, cy), o.tipCut, o.tipCut);
        const int outer = o.tipCut + o.length;
        p.drawEllipse(QPoint(cx, cy), outer, outer);
    }
    p.end();
    return image;
}

} // namespace h5
