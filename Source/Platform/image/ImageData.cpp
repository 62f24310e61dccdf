#include "Platform/image/ImageData.h"

#include <cstdlib>

#include <sys/mman.h>

namespace Plat::Image
{
    namespace
    {
        constexpr size_t HUGE_PAGE_BYTES = size_t(2) << 20;
    }

    void* AllocateLarge(size_t aByteCount)
    {
        const size_t rounded = (aByteCount + HUGE_PAGE_BYTES - 1) / HUGE_PAGE_BYTES * HUGE_PAGE_BYTES;
        void* memory = std::aligned_alloc(HUGE_PAGE_BYTES, rounded);
        if (memory == nullptr)
            throw std::bad_alloc();
        // Only advice: without huge pages the memory works the same.
        madvise(memory, rounded, MADV_HUGEPAGE);
        return memory;
    }

    void FreeLarge(void* aPointer) noexcept
    {
        std::free(aPointer);
    }
}
