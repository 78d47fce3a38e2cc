// The Windows part of BigBuffer: memory committed with VirtualAlloc, which
// the system gives zeroed. (Large pages there need a privilege users do not
// have, so the block takes ordinary pages.)

#include "common/BigBuffer.h"

#include <utility>

#include <windows.h>

namespace h5 {

BigBuffer::BigBuffer(qsizetype size)
{
    if (size <= 0)
        return;
    void *mapping = ::VirtualAlloc(nullptr, SIZE_T(size), MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!mapping)
        return;
    m_data = static_cast<char *>(mapping);
    m_size = size;
    m_mapping = mapping;
    m_mappingSize = std::size_t(size);
}

void BigBuffer::release()
{
    if (m_mapping)
        ::VirtualFree(m_mapping, 0, MEM_RELEASE);
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
