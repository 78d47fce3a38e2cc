#pragma once
// A large block of memory for buffers of many megabytes that are filled at
// once: the build's picture data (every converted picture of a build, the
// picture files it read), the slices a large file is compared through.
//
// Memory fresh from the system costs a page fault on the first touch of
// every 4 KB page, and on a virtual machine the host may have to find the
// memory too; for tens of megabytes that costs more than filling them. So
// a block is taken from the system at once (on Linux in huge pages of 2 MB,
// made in one call), and a block let go of is kept for the next one asked
// for, up to kKeptBytes in all: a second build reuses the memory of the
// first instead of asking the system again.
//
// The content of a new block is undefined (like Qt::Uninitialized): the
// caller writes every byte it reads.
//
// What the system is asked for sits in BigBuffer_posix.cpp and
// BigBuffer_win.cpp.

#include <QtGlobal>

#include <cstddef>

namespace h5 {

class BigBuffer
{
public:
    // The most memory kept for reuse once let go of.
    static constexpr qsizetype kKeptBytes = qsizetype(128) << 20;

    BigBuffer() = default;
    // At least `size` bytes; null (data() == nullptr) when the system has
    // not that much memory to give.
    explicit BigBuffer(qsizetype size);
    ~BigBuffer();
    BigBuffer(const BigBuffer &) = delete;
    BigBuffer &operator=(const BigBuffer &) = delete;
    BigBuffer(BigBuffer &&other) noexcept;
    BigBuffer &operator=(BigBuffer &&other) noexcept;

    bool isNull() const { return m_block.data == nullptr; }
    char *data() { return m_block.data; }
    const char *data() const { return m_block.data; }
    qsizetype size() const { return m_size; }

    // What the system gave for one block.
    struct Block
    {
        char *data = nullptr;    // where the usable bytes start
        std::size_t size = 0;    // how many there are
        void *mapping = nullptr; // what to give back
        std::size_t mappingSize = 0;
    };

private:
    void release();

    Block m_block;
    qsizetype m_size = 0;
};

namespace bigbuffer {

// A block of at least `size` bytes from the system, or one with data null.
BigBuffer::Block allocate(std::size_t size);
// Gives a block back to the system.
void free(const BigBuffer::Block &block);

} // namespace bigbuffer

} // namespace h5
