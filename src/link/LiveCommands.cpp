#include "link/LiveCommands.h"

#include "common/FileIo.h"
#include "common/Gbk.h"
#include "link/Frames.h"
#include "project/Encoding.h"

#include <QFileInfo>
#include <cmath>

namespace h5 {

namespace {

// 1B, the command, the parameters written by `fill`, the terminator.
template <class Fill>
QByteArray frame(uint8_t command, Fill fill)
{
    QByteArray parameters;
    ByteWriter w(parameters);
    fill(w);
    return commandFrameBytes(command, parameters);
}

QByteArray oneByteFrame(uint8_t command, int value)
{
    return frame(command, [value](ByteWriter &w) { w.u8(uint32_t(value)); });
}

QByteArray numberFrame(uint8_t command, int value)
{
    return frame(command, [value](ByteWriter &w) { w.le16(uint32_t(value)); });
}

// floor(a / 2) also for negative sums.
int halfDown(long long a)
{
    return int(a >= 0 ? a / 2 : -((-a + 1) / 2));
}

// floor(sqrt(v)) for v >= 0, exact for every 64-bit sum of two squared ints.
long long isqrt(long long v)
{
    long long r = (long long)std::sqrt((long double)v);
    while (r > 0 && r * r > v)
        --r;
    while ((r + 1) * (r + 1) <= v)
        ++r;
    return r;
}

const int kDotSizes[] = {8, 16, 24, 32, 48, 64};

} // namespace

// ---- fonts ----

int liveFontCode(int sizeIndex, int faceIndex)
{
    if (sizeIndex < 0 || sizeIndex > 5 || faceIndex < 0 || faceIndex > 3)
        return -1;
    if (sizeIndex == 0 && faceIndex != 0)
        return -1; // the 8-dot font has 宋体 only
    if (sizeIndex >= 4 && faceIndex != 0 && faceIndex != 2)
        return -1; // 48 and 64 dots: 宋体 and 黑体
    return fontCode(kDotSizes[sizeIndex], faceIndex);
}

QString liveFontName(int sizeIndex, int faceIndex)
{
    if (liveFontCode(sizeIndex, faceIndex) < 0)
        return QString();
    return QStringLiteral("%1点阵 %2").arg(kDotSizes[sizeIndex]).arg(faceName(faceIndex));
}

// ---- device commands ----

QByteArray pictureSwitchFrame(int number)
{
    return pictureFrame(number, 0, 0);
}

QByteArray pageSwitchFrame(int number)
{
    // The typed number's low 16 bits, not the page cycle's "no next page".
    return numberFrame(Command::NextPage, number);
}

QByteArray clearScreenFrame(uint16_t bg565)
{
    return backgroundFrame(colourOf565(bg565));
}

QByteArray calibrationFrame()
{
    return frame(Command::Calibration, [](ByteWriter &) {});
}

QByteArray backlightFrame(int level)
{
    return oneByteFrame(Command::Backlight, level);
}

QByteArray layerSwitchFrame(int layer)
{
    return oneByteFrame(Command::Layer, layer);
}

QString layerSwitchRefusal(int resolutionIndex, int layer)
{
    const auto &list = terminalResolutions();
    if (resolutionIndex < 0 || size_t(resolutionIndex) >= list.size())
        return QString();
    const int layers = list[size_t(resolutionIndex)].layers;
    if (layers == 4 && layer > 3)
        return QStringLiteral("此分辨率为四层叠加");
    if (layers == 2 && layer > 1)
        return QStringLiteral("此分辨率为两层叠加");
    return QString(); // one-layer resolutions are not checked
}

// ---- drawing ----

LiveFrame shapeFrame(LiveShape shape, uint16_t fg565, QPoint start, QPoint end)
{
    const COLORREF fg = colourOf565(fg565);
    const int x1 = start.x(), y1 = start.y(), x2 = end.x(), y2 = end.y();
    LiveFrame f;
    switch (shape) {
    case LiveShape::Point:
        // The point carries the end point as well, as the line does.
        f.bytes = frame(Command::Point, [&](ByteWriter &w) {
            w.le16(fg565);
            w.le16(uint32_t(x1));
            w.le16(uint32_t(y1));
            w.le16(uint32_t(x2));
            w.le16(uint32_t(y2));
        });
        return f;
    case LiveShape::Line:
    case LiveShape::Polyline:
        f.bytes = lineFrame(fg, x1, y1, x2, y2);
        return f;
    case LiveShape::HollowRect:
    case LiveShape::FilledRect:
    case LiveShape::HollowEllipse:
    case LiveShape::FilledEllipse:
        if (x2 < x1 || y2 < y1) {
            f.refusal = QStringLiteral("坐标设置错误。");
            return f;
        }
        if (x1 == x2 || y1 == y2)
            return f; // nothing to draw, nothing said
        if (shape == LiveShape::HollowRect) {
            f.bytes = rectFrame(fg, x1, y1, x2, y2);
        } else if (shape == LiveShape::FilledRect) {
            f.bytes = filledRectFrame(fg, x1, y1, x2, y2);
        } else {
            const int cx = halfDown((long long)x1 + x2), cy = halfDown((long long)y1 + y2);
            const int rx = halfDown((long long)x2 - x1), ry = halfDown((long long)y2 - y1);
            f.bytes = shape == LiveShape::HollowEllipse ? ellipseFrame(fg, cx, cy, rx, ry)
                                                        : filledEllipseFrame(fg, cx, cy, rx, ry);
        }
        return f;
    case LiveShape::HollowCircle:
    case LiveShape::FilledCircle: {
        const long long dx = (long long)x1 - x2, dy = (long long)y1 - y2;
        const long long r = isqrt(dx * dx + dy * dy);
        if (r == 0)
            return f;
        f.bytes = shape == LiveShape::HollowCircle ? circleFrame(fg, x1, y1, int(r & 0xFFFF))
                                                   : filledCircleFrame(fg, x1, y1, int(r & 0xFFFF));
        return f;
    }
    case LiveShape::Text:
        break; // textFrame() below
    }
    return f;
}

LiveFrame textFrame(const LiveTextStyle &style, QPoint at, const QString &text)
{
    LiveFrame f;
    // The text goes out in GBK; a character GBK lacks is refused rather
    // than sent as a stand-in.
    if (!isGbkEncodable(text)) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            const QString one = text.mid(i, n);
            if (!isGbkEncodable(one)) {
                f.refusal = QStringLiteral("文本中的字符“%1”(U+%2)不能用GBK表示。")
                                .arg(one)
                                .arg(QString::number(one.toUcs4().value(0), 16).toUpper().rightJustified(4, QLatin1Char('0')));
                return f;
            }
            i += n - 1;
        }
        f.refusal = QStringLiteral("文本不能用GBK表示。");
        return f;
    }
    const int font = liveFontCode(style.sizeIndex, style.faceIndex);
    if (font < 0) {
        f.refusal = QStringLiteral("没有这种字体。");
        return f;
    }
    TextFrame t;
    t.text = toGbk(text);
    if (t.text.size() >= 256) {
        f.refusal = QStringLiteral("文本过长。");
        return f;
    }
    t.colour = colourOf565(style.colour565);
    t.background = colourOf565(style.background565);
    t.columnSpacing = style.columnSpacing;
    t.lineSpacing = style.rowSpacing;
    t.x = at.x();
    t.y = at.y();
    t.mode = style.mode;
    t.font = font;
    f.bytes = h5::textFrame(t);
    return f;
}

// ---- extension pages ----

QByteArray realtimePictureHeader(int x, int y, int width, int height)
{
    return frame(Command::RealtimePicture, [&](ByteWriter &w) {
        w.le16(uint32_t(x));
        w.le16(uint32_t(y));
        w.le16(uint32_t(width));
        w.le16(uint32_t(height));
    });
}

QByteArray layerSelectFrame(int sourceLayer, int destinationLayer)
{
    return oneByteFrame(Command::Layer, sourceLayer * 4 + destinationLayer);
}

QByteArray layerCopyFrame(int sx, int sy, int width, int height, int dx, int dy)
{
    return frame(Command::LayerCopy, [&](ByteWriter &w) {
        for (const int v : {sx, sy, width, height, dx, dy})
            w.le16(uint32_t(v));
    });
}

QByteArray layerCopyCommand(int resolutionIndex, int sourceLayer, int destinationLayer, int sx,
                            int sy, int width, int height, int dx, int dy)
{
    const auto &list = terminalResolutions();
    const bool oneLayer = resolutionIndex >= 0 && size_t(resolutionIndex) < list.size()
                          && list[size_t(resolutionIndex)].layers == 1;
    const QByteArray copy = layerCopyFrame(sx, sy, width, height, dx, dy);
    if (oneLayer)
        return copy;
    return layerSelectFrame(sourceLayer, destinationLayer) + copy;
}

QByteArray touchModeFrame(int mode)
{
    return oneByteFrame(Command::TouchMode, mode);
}

QByteArray touchIntervalFrame(int interval)
{
    return numberFrame(Command::TouchInterval, interval);
}

bool decodeHexText(const QByteArray &text, QByteArray &out, QString *error)
{
    QByteArray bytes;
    bytes.reserve(text.size() / 2);
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const int hi = hexDigit(text[i]);
        if (hi < 0) {
            ++i;
            continue;
        }
        const int lo = i + 1 < n ? hexDigit(text[i + 1]) : -1;
        if (lo < 0) {
            if (error)
                *error = QStringLiteral("第%1个字符“%2”是不成对的十六进制数字")
                             .arg(i + 1)
                             .arg(QLatin1Char(text[i]));
            return false;
        }
        bytes.append(char(hi * 16 + lo));
        i += 2;
    }
    out = bytes;
    return true;
}

bool fontDownloadBytes(const std::vector<DebugFont> &fonts, QByteArray &out, QString *error)
{
    auto fail = [error](const QString &path, const QString &what) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, what);
        return false;
    };
    QByteArray all;
    for (const DebugFont &font : fonts) {
        if (!QFileInfo(font.path).isFile())
            return fail(font.path, QStringLiteral("文件不存在!"));
        QByteArray text;
        QString why;
        if (!readWholeFile(font.path, text, &why))
            return fail(font.path, QStringLiteral("文件无法打开! %1").arg(why));
        QByteArray data;
        if (!decodeHexText(text, data, &why))
            return fail(font.path, why);
        if (data.isEmpty())
            return fail(font.path, QStringLiteral("文件无数据!"));
        all += fontSegment(font.number, data);
    }
    out = all;
    return true;
}

} // namespace h5
