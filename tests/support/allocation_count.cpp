#include "support/allocation_count.h"

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <new>

namespace {

std::atomic<std::int64_t> heldBytes{0};

// Keeps the block after it aligned as operator new must.
constexpr std::size_t headerSize = alignof(std::max_align_t);

} // namespace

std::int64_t bytesHeldByNew()
{
    return heldBytes.load();
}

void* operator new(std::size_t size)
{
    void* block = HeapAlloc(GetProcessHeap(), 0, size + headerSize);
    if (!block) {
        throw std::bad_alloc();
    }
    *static_cast<std::size_t*>(block) = size;
    heldBytes += static_cast<std::int64_t>(size);
    return static_cast<char*>(block) + headerSize;
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void operator delete(void* memory) noexcept
{
    if (!memory) {
        return;
    }
    char* block = static_cast<char*>(memory) - headerSize;
    heldBytes -= static_cast<std::int64_t>(*reinterpret_cast<std::size_t*>(block));
    HeapFree(GetProcessHeap(), 0, block);
}

void operator delete[](void* memory) noexcept
{
    operator delete(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    operator delete(memory);
}

void operator delete[](void* memory, std::size_t) noexcept
{
    operator delete(memory);
}
