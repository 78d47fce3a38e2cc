// The POSIX part of BigBuffer: an anonymous mapping, aligned to 2 MB and
// marked for huge pages where the system has them (Linux), its pages made
// in one call rather than by a fault each.

#include "common/BigBuffer.h"

#include <cstdint>
#include <utility>

#include <sys/mman.h>

namespace h5 {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

} // namespace

BigBuffer::BigBuffer(qsizetype size)
{
    if (size <= 0)
        return;
    // Room to start the block on a huge page boundary: only whole aligned
    // 2 MB ranges can be huge pages.
    const std::size_t wanted = std::size_t(size);
    const std::size_t length = size >= qsizetype(kHugePage) ? wanted + kHugePage : wanted;
    void *mapping = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        return;
    char *data = static_cast<char *>(mapping);
    if (length != wanted) {
        const auto at = reinterpret_cast<std::uintptr_t>(mapping);
        data += (kHugePage - at % kHugePage) % kHugePage;
#ifdef MADV_HUGEPAGE
        // Advice only: without huge pages the block is still good memory.
        ::madvise(data, wanted, MADV_HUGEPAGE);
#endif
    }
#ifdef MADV_POPULATE_WRITE
    // Make the pages now, in one call (older kernels refuse the advice; the
    // pages are then made on first touch as usual).
    ::madvise(data, wanted, MADV_POPULATE_WRITE);
#endif
    m_data = data;
    m_size = size;
    m_mapping = mapping;
    m_mappingSize = length;
}

void BigBuffer::release()
{
    if (m_mapping)
        ::munmap(m_mapping, m_mappingSize);
    m_data = nullptr;
    m_size = 0;
    m_mapping = nullptr;
    m_mappingSize = 0;
}

BigBuffer::~BigBuffer()
{
    release();
}

BigBuffer::BigBuffer(BigBuffer &&other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)),
      m_size(std::exchange(other.m_size, 0)),
      m_mapping(std::exchange(other.m_mapping, nullptr)),
      m_mappingSize(std::exchange(other.m_mappingSize, 0))
{
}

BigBuffer &BigBuffer::operator=(BigBuffer &&other) noexcept
{
    if (this != &other) {
        release();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_mapping = std::exchange(other.m_mapping, nullptr);
        m_mappingSize = std::exchange(other.m_mappingSize, 0);
    }
    return *this;
}

} // namespace h5
