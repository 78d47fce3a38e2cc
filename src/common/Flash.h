#pragma once
// Units of the terminal's flash memory and of the picture position file,
// shared by the compiler, the build, the picture lists and the downloads.

#include <cstdint>

namespace h5 {

inline constexpr int kFlashPage = 2112;             // bytes in one flash page
inline constexpr int kFlashBlock = 64 * kFlashPage; // 135,168 bytes

inline constexpr int kSlotSize = 2060;   // one picture record
inline constexpr int kSlotCount = 600;   // picture numbers 0..599
inline constexpr int kSlotAreaSize = kSlotSize * kSlotCount; // 1,236,000: data area starts here

inline constexpr int kPageSlots = 1024;  // page numbers 0..1023

// Bytes, flash pages and flash blocks of a w x h picture at two bytes per
// pixel; 0 for an empty or negative size.
inline int64_t pictureBytes(int width, int height)
{
    return width <= 0 || height <= 0 ? 0 : int64_t(width) * int64_t(height) * 2;
}
inline int64_t picturePages(int width, int height)
{
    return (pictureBytes(width, height) + kFlashPage - 1) / kFlashPage;
}
inline int64_t pictureBlocks(int width, int height)
{
    return (pictureBytes(width, height) + kFlashBlock - 1) / kFlashBlock;
}

} // namespace h5
