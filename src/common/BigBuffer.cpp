#include "common/BigBuffer.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace h5 {

namespace {

// Blocks let go of, kept for reuse (oldest first).
struct KeptBlocks
{
    std::mutex mutex;
    std::vector<BigBuffer::Block> blocks;
    std::size_t bytes = 0;
};

// Never destroyed, so a buffer let go of while the program ends still
// finds it.
KeptBlocks &kept()
{
    static KeptBlocks *k = new KeptBlocks;
    return *k;
}

// The smallest kept block that holds `size` bytes without wasting more than
// as much again, taken out of the kept ones.
bool takeKept(std::size_t size, BigBuffer::Block &out)
{
    KeptBlocks &k = kept();
    const std::lock_guard<std::mutex> lock(k.mutex);
    auto best = k.blocks.end();
    for (auto it = k.blocks.begin(); it != k.blocks.end(); ++it) {
        if (it->size >= size && it->size / 2 <= size
            && (best == k.blocks.end() || it->size < best->size))
            best = it;
    }
    if (best == k.blocks.end())
        return false;
    out = *best;
    k.bytes -= best->size;
    k.blocks.erase(best);
    return true;
}

// Keeps a block for reuse; the oldest kept ones go back to the system when
// more than kKeptBytes would be kept.
void keep(const BigBuffer::Block &block)
{
    std::vector<BigBuffer::Block> drop;
    {
        KeptBlocks &k = kept();
        const std::lock_guard<std::mutex> lock(k.mutex);
        if (block.size > std::size_t(BigBuffer::kKeptBytes)) {
            drop.push_back(block);
        } else {
            k.blocks.push_back(block);
            k.bytes += block.size;
            while (k.bytes > std::size_t(BigBuffer::kKeptBytes)) {
                drop.push_back(k.blocks.front());
                k.bytes -= k.blocks.front().size;
                k.blocks.erase(k.blocks.begin());
            }
        }
    }
    for (const BigBuffer::Block &b : drop)
        bigbuffer::free(b);
}

} // namespace

BigBuffer::BigBuffer(qsizetype size)
{
    if (size <= 0)
        return;
    if (!takeKept(std::size_t(size), m_block))
        m_block = bigbuffer::allocate(std::size_t(size));
    if (m_block.data)
        m_size = size;
}

void BigBuffer::release()
{
    if (m_block.data)
        keep(m_block);
    m_block = Block();
    m_size = 0;
}

BigBuffer::~BigBuffer()
{
    release();
}

BigBuffer::BigBuffer(BigBuffer &&other) noexcept
    : m_block(std::exchange(other.m_block, Block())), m_size(std::exchange(other.m_size, 0))
{
}

BigBuffer &BigBuffer::operator=(BigBuffer &&other) noexcept
{
    if (this != &other) {
        release();
        m_block = std::exchange(other.m_block, Block());
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

} // namespace h5
