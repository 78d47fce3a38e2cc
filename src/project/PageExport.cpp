#include "project/PageExport.h"

#include "common/FileIo.h"
#include "common/Gbk.h"
#include "common/Notifier.h"
#include "model/PageRender.h"
#include "project/Compiler.h"
#include "project/Encoding.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace h5 {

namespace {

constexpr char kTextTerminatorLine[] = "0xff 0xff 0xee 0xff \r\n";

void appendHexBytes(QByteArray &out, const QByteArray &bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out.append(kDigits[b >> 4]);
        out.append(kDigits[b & 0x0F]);
        out.append(' ');
    }
}

void appendLine(QByteArray &out, const QByteArray &frame)
{
    appendHexBytes(out, frame);
    out.append("\r\n");
}

bool isExported(int kind)
{
    switch (kind) {
    case Kind::Line:
    case Kind::HollowRect:
    case Kind::SolidRect:
    case Kind::HollowEllipse:
    case Kind::SolidEllipse:
    case Kind::HollowCircle:
    case Kind::SolidCircle:
    case Kind::Bitmap:
    case Kind::Text:
    case Kind::GroupBox:
    case Kind::Panel:
        return true;
    default:
        return false;
    }
}

// The frames the page compiler writes for one element: the element compiled
// alone on an auxiliary page (no background frame), cut off before the
// closing delay and next-page frames, which are the last bytes before the
// FF padding.
QByteArray compiledFrames(const Page &page, const CGraph &e)
{
    Page single;
    single.settings = page.settings;
    single.settings.m_nFlags |= 1;
    single.elements.push_back(e);
    RecordingNotifier quiet;
    const CompiledPage compiled = compilePage(single, single.settings.m_nPageNo, quiet);
    if (!compiled.ok || compiled.instructionFile.isEmpty())
        return QByteArray();
    const QByteArray stream = compiled.instructionFile.left(1 + qsizetype(kFlashPage) * compiled.pageLength).mid(1);
    const QByteArray closing = delayFrame(single.settings.m_nDelay) + nextPageFrame(single.settings.m_nNextPage);
    const qsizetype end = stream.lastIndexOf(closing);
    return end < 0 ? QByteArray() : stream.left(end);
}

void appendElementLines(QByteArray &out, const Page &page, const CGraph &e)
{
    const QByteArray frames = compiledFrames(page, e);
    if (frames.isEmpty())
        return;
    if (e.m_nKind == Kind::Text) {
        const qsizetype body = frames.size() - kTerminatorSize;
        appendHexBytes(out, frames.left(std::max<qsizetype>(body, 0)));
        out.append(kTextTerminatorLine);
        return;
    }
    if (e.m_nKind == Kind::GroupBox || e.m_nKind == Kind::Panel) {
        // Rectangles and lines: every frame has the same length.
        for (qsizetype at = 0; at < frames.size(); at += FrameLength::Shape)
            appendLine(out, frames.mid(at, FrameLength::Shape));
        return;
    }
    appendLine(out, frames);
}

void appendNumberList(QByteArray &out, const QString &title, std::vector<uint32_t> values)
{
    if (values.empty())
        return;
    std::sort(values.begin(), values.end());
    const std::string heading = toGbk(title);
    out.append(heading.data(), qsizetype(heading.size()));
    out.append("\r\n");
    for (size_t i = 0; i < values.size(); ++i) {
        out.append(QByteArray::number(int32_t(values[i])));
        out.append(i + 1 < values.size() ? ",\r\n" : " \r\n");
    }
}

void putU16(QByteArray &b, unsigned v)
{
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}

void putU32(QByteArray &b, uint32_t v)
{
    putU16(b, v & 0xFFFF);
    putU16(b, v >> 16);
}

} // namespace

QString exportSavedToText() { return QStringLiteral("保存路径为"); }
QString bitmapErrorText() { return QStringLiteral("位图生成出错!"); }

QString exportTextFileName(int pageNo) { return QString::number(pageNo) + QStringLiteral(".txt"); }
QString exportIdsFileName(int pageNo)
{
    return QString::number(pageNo) + QStringLiteral("_ID") + QStringLiteral(".txt");
}

QByteArray exportTextBytes(const Page &page)
{
    QByteArray out;
    const CTypeGraph &s = page.settings;
    if (s.m_nFlags == 0)
        appendLine(out, backgroundFrame(s.m_crBack));
    for (const CGraph &e : page.elements) {
        if (e.m_nKind != Kind::DeleteMarker && isExported(e.m_nKind))
            appendElementLines(out, page, e);
    }

    // Delay: the low 16 bits in "%02x", so values above 255 take more digits.
    out.append(QByteArray::number(kEscape, 16) + ' ' + QByteArray::number(Command::Delay, 16) + ' ');
    out.append(QByteArray::number(s.m_nDelay & 0xFFFF, 16).rightJustified(2, '0'));
    out.append(' ');
    appendLine(out, frameTerminator());

    const unsigned next = s.m_nNextPage == kNoNextPage ? 0xFFFFu : unsigned(s.m_nNextPage) & 0xFFFFu;
    QByteArray nextNumber;
    putU16(nextNumber, next);
    appendLine(out, commandFrameBytes(Command::NextPage, nextNumber));
    return out;
}

QByteArray exportIdsBytes(const Page &page)
{
    std::vector<uint32_t> ids;
    std::vector<uint32_t> pictures;
    for (const CGraph &e : page.elements) {
        if (isControlKind(e.m_nKind))
            ids.push_back(uint32_t(e.m_nCtrlID));
        else if (e.m_nKind == Kind::Bitmap)
            pictures.push_back(uint32_t(e.m_nNumber));
    }
    QByteArray out;
    appendNumberList(out, QStringLiteral("控件ID编号："), std::move(ids));
    appendNumberList(out, QStringLiteral("图片编号："), std::move(pictures));
    return out;
}

QString withBmpExtension(const QString &path)
{
    return path.endsWith(QLatin1String(".bmp"), Qt::CaseSensitive) ? path : path + QStringLiteral(".bmp");
}

QByteArray bmp24Bytes(const QImage &image)
{
    if (image.isNull())
        return QByteArray();
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int width = rgb.width();
    const int height = rgb.height();
    const uint32_t rowBytes = ((uint32_t(width) * 24 + 31) / 32) * 4;
    const uint32_t imageSize = rowBytes * uint32_t(height);
    const uint32_t offset = 14 + 40;

    QByteArray b;
    b.reserve(qsizetype(offset + imageSize));
    b.append("BM", 2);
    putU32(b, offset + imageSize);
    putU16(b, 0);
    putU16(b, 0);
    putU32(b, offset);

    putU32(b, 40);
    putU32(b, uint32_t(width));
    putU32(b, uint32_t(height));
    putU16(b, 1);  // planes
    putU16(b, 24); // bits per pixel
    putU32(b, 0);  // uncompressed
    putU32(b, imageSize);
    putU32(b, 0);
    putU32(b, 0);
    putU32(b, 0); // no colour table at 24 bits
    putU32(b, 0);

    // Rows bottom-up, each blue, green, red per pixel and zero-padded to four
    // bytes; written straight into the sized buffer.
    const qsizetype header = b.size();
    b.resize(header + qsizetype(imageSize), '\0');
    auto *out = reinterpret_cast<uchar *>(b.data()) + header;
    for (int y = height - 1; y >= 0; --y, out += rowBytes) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        uchar *p = out;
        for (int x = 0; x < width; ++x, p += 3) {
            p[0] = uchar(qBlue(line[x]));
            p[1] = uchar(qGreen(line[x]));
            p[2] = uchar(qRed(line[x]));
        }
    }
    return b;
}

bool writeExportFile(const QString &path, const QByteArray &bytes, QString *error)
{
    return writeFileAtomically(path, bytes, error);
}

QImage pageBitmap(const Page &page, const RenderOptions &options)
{
    // The canvas takes the page's own background colour; drawing never
    // changes the page, but renderPage takes it by reference.
    Page copy = page;
    copy.settings.m_nFlags &= ~1;
    RenderOptions plain = options;
    plain.labels = false;
    return renderPage(copy, plain);
}

QImage screenshotRect(const QImage &window, int left, int top, int right, int bottom)
{
    const int64_t width = int64_t(right) - left;
    const int64_t height = int64_t(bottom) - top;
    if (window.isNull() || width <= 0 || height <= 0 || width > 0x7FFF || height > 0x7FFF)
        return QImage();
    return window.convertToFormat(QImage::Format_RGB32).copy(left, top, int(width), int(height));
}

bool writePageBitmap(const Page &page, const RenderOptions &options, const QString &path,
                     QString *error)
{
    const QImage image = pageBitmap(page, options);
    if (image.isNull()) {
        if (error)
            *error = QStringLiteral("unknown resolution");
        return false;
    }
    return writeExportFile(path, bmp24Bytes(image), error);
}

} // namespace h5
