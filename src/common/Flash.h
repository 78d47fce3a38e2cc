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

} // namespace h5
