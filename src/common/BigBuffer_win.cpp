// The Windows part of BigBuffer: memory committed with VirtualAlloc. (Large
// pages there need a privilege users do not have, so the block takes
// ordinary pages.)

#include "common/BigBuffer.h"

#include <windows.h>

namespace h5::bigbuffer {

BigBuffer::Block allocate(std::size_t size)
{
    BigBuffer::Block block;
    void *mapping = ::VirtualAlloc(nullptr, SIZE_T(size), MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!mapping)
        return block;
    block.data = static_cast<char *>(mapping);
    block.size = size;
    block.mapping = mapping;
    block.mappingSize = size;
    return block;
}

void free(const BigBuffer::Block &block)
{
    if (block.mapping)
        ::VirtualFree(block.mapping, 0, MEM_RELEASE);
}

} // namespace h5::bigbuffer
