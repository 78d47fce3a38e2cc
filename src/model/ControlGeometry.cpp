#include "model/ControlGeometry.h"

#include <cmath>
#include <cstdint>

namespace h5 {

int dotSizeOfSizeCode(int sizeCode)
{
    switch (sizeCode) {
    case 3: return 8;
    case 6: return 12;
    case 9: return 16;
    case 12: return 24;
    case 15: return 32;
    case 21: return 48;
    case 27: return 64;
    default: return 0;
    }
}

int leadingInteger(const std::string &text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value < (int64_t(1) << 32))
            value = value * 10 + (text[i] - '0');
    }
    return int(negative ? -value : value);
}

ControlFont controlFont(int sizeIndex, int face)
{
    switch (sizeIndex) {
    case 1: return {16, 0x20 + face};
    case 2: return {24, 0x30 + face};
    case 3: return {32, 0x40 + face};
    case 4: return {48, face == 1 ? 0x62 : 0x60};
    case 5: return {64, face == 1 ? 0x82 : 0x80};
    default: return {8, 0x0C};
    }
}

QSize textBlockSize(const std::string &text, int cell, bool eightDot)
{
    // 32-bit sums that wrap around, as the terminal's own do, so a caption
    // of millions of characters gives the same low bits and never overflows.
    const auto wrapped = [](uint32_t v) { return int32_t(v); };
    uint32_t width = 0;
    uint32_t widest = 0;
    uint32_t lines = 1;
    const uint32_t full = uint32_t(cell), half = uint32_t(eightDot ? cell : cell / 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0xA0) {
            width += full;
            ++i;
        } else if (c == '\r') {
            width = 0;
            ++lines;
        } else if (c != '\n') {
            width += half;
        }
        if (wrapped(width) > wrapped(widest))
            widest = width;
    }
    return {wrapped(widest), wrapped(full * lines)};
}

ButtonCaption buttonCaption(const CGraph &e)
{
    ButtonCaption t;
    t.sizeIndex = (e.m_nExtra >> 4) & 0x0F;
    t.face = (e.m_nExtra >> 2) & 3;
    t.align = e.m_nExtra & 3;
    t.font = controlFont(t.sizeIndex, t.face);
    t.block = textBlockSize(e.m_strText1, t.font.cell, t.font.cell == 8);

    // 64-bit sums so odd values from a page file cannot overflow.
    const int64_t b = e.m_nStyle & 0x0F;
    const int64_t x1 = e.m_ptStart.x(), y1 = e.m_ptStart.y();
    const int64_t x2 = e.m_ptEnd.x(), y2 = e.m_ptEnd.y();
    int64_t x = x1 + b;
    int64_t y = y1 + b;
    if (t.align == 1) {
        // Centre: the sums are halved as unsigned numbers.
        x = uint32_t(x1 + x2 - t.block.width()) >> 1;
        y = uint32_t(y1 + y2 - t.block.height()) >> 1;
    } else if (t.align == 2) {
        x = x2 - b - t.block.width();
        y = y2 - b - t.block.height();
    }
    t.origin = QPoint(int(x), int(y));
    return t;
}

QLine needleAt(const CGraph &e, double degrees)
{
    const int64_t x1 = e.m_ptStart.x(), y1 = e.m_ptStart.y();
    const int64_t cx = x1 + (e.m_ptEnd.x() - x1) / 2;
    const int64_t cy = y1 + (e.m_ptEnd.y() - y1) / 2;
    const int r0 = e.m_nNumber & 0xFF;
    const int r1 = r0 + (e.m_nAttr & 0xFFFF);
    const double radians = degrees * 2 * 3.141592653589793 / 360;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    return QLine(int(cx - int64_t(r0 * c)), int(cy - int64_t(r0 * s)),
                 int(cx - int64_t(r1 * c)), int(cy - int64_t(r1 * s)));
}

} // namespace h5
