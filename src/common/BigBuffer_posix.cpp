// The POSIX part of BigBuffer: an anonymous mapping, aligned to 2 MB and
// marked for huge pages where the system has them (Linux), its pages made
// in one call rather than by a fault each.

#include "common/BigBuffer.h"

#include <cstdint>

#include <sys/mman.h>

namespace h5::bigbuffer {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

} // namespace

BigBuffer::Block allocate(std::size_t size)
{
    BigBuffer::Block block;
    // Whole huge pages, starting on a huge page boundary: only whole
    // aligned 2 MB ranges can be huge pages.
    const bool huge = size >= kHugePage / 2;
    const std::size_t usable = huge ? (size + kHugePage - 1) / kHugePage * kHugePage : size;
    const std::size_t length = huge ? usable + kHugePage : usable;
    void *mapping = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        return block;
    char *data = static_cast<char *>(mapping);
    if (huge) {
        const auto at = reinterpret_cast<std::uintptr_t>(mapping);
        data += (kHugePage - at % kHugePage) % kHugePage;
#ifdef MADV_HUGEPAGE
        // Advice only: without huge pages the block is still good memory.
        ::madvise(data, usable, MADV_HUGEPAGE);
#endif
    }
#ifdef MADV_POPULATE_WRITE
    // Make the pages now, in one call (older kernels refuse the advice; the
    // pages are then made on first touch as usual).
    ::madvise(data, usable, MADV_POPULATE_WRITE);
#endif
    block.data = data;
    block.size = usable;
    block.mapping = mapping;
    block.mappingSize = length;
    return block;
}

void free(const BigBuffer::Block &block)
{
    if (block.mapping)
        ::munmap(block.mapping, block.mappingSize);
}

} // namespace h5::bigbuffer
