#include "AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace
{
    thread_local std::size_t theAllocationCount = 0;

    void* Allocate(std::size_t aSize)
    {
        ++theAllocationCount;
        if (void* memory = std::malloc(aSize == 0 ? 1 : aSize))
            return memory;
        throw std::bad_alloc();
    }

    void* AllocateAligned(std::size_t aSize, std::align_val_t anAlignment)
    {
        ++theAllocationCount;
        const std::size_t alignment = static_cast<std::size_t>(anAlignment);
        const std::size_t size = ((aSize == 0 ? 1 : aSize) + alignment - 1) / alignment * alignment;
        if (void* memory = std::aligned_alloc(alignment, size))
            return memory;
        throw std::bad_alloc();
    }
}

namespace KilnTest
{
    std::size_t GetAllocationCount()
    {
        return theAllocationCount;
    }
}

void* operator new(std::size_t aSize) { return Allocate(aSize); }
void* operator new[](std::size_t aSize) { return Allocate(aSize); }
void* operator new(std::size_t aSize, std::align_val_t anAlignment) { return AllocateAligned(aSize, anAlignment); }
void* operator new[](std::size_t aSize, std::align_val_t anAlignment) { return AllocateAligned(aSize, anAlignment); }

void operator delete(void* aMemory) noexcept { std::free(aMemory); }
void operator delete[](void* aMemory) noexcept { std::free(aMemory); }
void operator delete(void* aMemory, std::size_t) noexcept { std::free(aMemory); }
void operator delete[](void* aMemory, std::size_t) noexcept { std::free(aMemory); }
void operator delete(void* aMemory, std::align_val_t) noexcept { std::free(aMemory); }
void operator delete[](void* aMemory, std::align_val_t) noexcept { std::free(aMemory); }
void operator delete(void* aMemory, std::size_t, std::align_val_t) noexcept { std::free(aMemory); }
void operator delete[](void* aMemory, std::size_t, std::align_val_t) noexcept { std::free(aMemory); }

// The non-throwing forms too: otherwise a library's nothrow allocation comes from the
// default (or a sanitizer's) allocator and is freed by the replacement above.
void* operator new(std::size_t aSize, const std::nothrow_t&) noexcept
{
    try { return Allocate(aSize); } catch (...) { return nullptr; }
}
void* operator new[](std::size_t aSize, const std::nothrow_t&) noexcept
{
    try { return Allocate(aSize); } catch (...) { return nullptr; }
}
void* operator new(std::size_t aSize, std::align_val_t anAlignment, const std::nothrow_t&) noexcept
{
    try { return AllocateAligned(aSize, anAlignment); } catch (...) { return nullptr; }
}
void* operator new[](std::size_t aSize, std::align_val_t anAlignment, const std::nothrow_t&) noexcept
{
    try { return AllocateAligned(aSize, anAlignment); } catch (...) { return nullptr; }
}
void operator delete(void* aMemory, const std::nothrow_t&) noexcept { std::free(aMemory); }
void operator delete[](void* aMemory, const std::nothrow_t&) noexcept { std::free(aMemory); }
void operator delete(void* aMemory, std::align_val_t, const std::nothrow_t&) noexcept { std::free(aMemory); }
void operator delete[](void* aMemory, std::align_val_t, const std::nothrow_t&) noexcept { std::free(aMemory); }
