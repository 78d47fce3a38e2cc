#include "common/Rgb565.h"

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

} // namespace

uint16_t rgb565(int r, int g, int b)
{
    return static_cast<uint16_t>(kTables.red[r & 0xFF] | kTables.green[g & 0xFF] | kTables.blue[b & 0xFF]);
}

void rgb565Row(const QRgb *pixels, int count, unsigned char *out)
{
    for (int x = 0; x < count; ++x) {
        const QRgb p = pixels[x];
        const uint16_t v = static_cast<uint16_t>(kTables.red[(p >> 16) & 0xFF] | kTables.green[(p >> 8) & 0xFF]
                                                 | kTables.blue[p & 0xFF]);
        out[0] = static_cast<unsigned char>(v & 0xFF);
        out[1] = static_cast<unsigned char>(v >> 8);
        out += 2;
    }
}

QRgb rgbOf565(uint16_t colour)
{
    const int r5 = (colour >> 11) & 0x1F;
    const int g6 = (colour >> 5) & 0x3F;
    const int b5 = colour & 0x1F;
    return qRgb((r5 << 3) | (r5 >> 2), (g6 << 2) | (g6 >> 4), (b5 << 3) | (b5 >> 2));
}

} // namespace h5
