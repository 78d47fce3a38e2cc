#pragma once
// A large block of memory that starts out zero, for the build's picture data
// (every converted picture of a build, the picture files it read) and other
// buffers of many megabytes that are filled at once.
//
// Memory fresh from the system costs a page fault on its first touch of
// every 4 KB page; for tens of megabytes that is ten thousand faults, which
// on some (virtual) machines costs more than filling the memory. On Linux the
// block therefore asks for transparent huge pages (2 MB each) and has its
// pages made at once; elsewhere it is ordinary zeroed memory from the system.
// One implementation per platform: BigBuffer_posix.cpp and BigBuffer_win.cpp.

#include <QtGlobal>

#include <cstddef>

namespace h5 {

class BigBuffer
{
public:
    BigBuffer() = default;
    // `size` zero bytes; null (data() == nullptr) when the system has not
    // that much memory to give.
    explicit BigBuffer(qsizetype size);
    ~BigBuffer();
    BigBuffer(const BigBuffer &) = delete;
    BigBuffer &operator=(const BigBuffer &) = delete;
    BigBuffer(BigBuffer &&other) noexcept;
    BigBuffer &operator=(BigBuffer &&other) noexcept;

    bool isNull() const { return m_data == nullptr; }
    char *data() { return m_data; }
    const char *data() const { return m_data; }
    qsizetype size() const { return m_size; }

private:
    void release();

    char *m_data = nullptr;
    qsizetype m_size = 0;
    void *m_mapping = nullptr; // what the system gave (may start before m_data)
    std::size_t m_mappingSize = 0;
};

} // namespace h5
