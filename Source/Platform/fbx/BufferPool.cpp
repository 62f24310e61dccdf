#include "Platform/fbx/BufferPool.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace Plat::Fbx
{
    void BufferPool::Clear()
    {
        std::apply([](auto&... someShelves) { (someShelves.clear(), ...); }, myShelves);
        myBytes = 0;
    }

    void BufferPool::AdviseLarge(const void* aBlock, size_t aBytes)
    {
#if defined(MADV_HUGEPAGE)
        constexpr uintptr_t HugePage = 2u * 1024 * 1024;
        // Below two huge pages the aligned inside of a block may hold none.
        if (aBlock == nullptr || aBytes < 2 * HugePage)
            return;
        const uintptr_t begin = (reinterpret_cast<uintptr_t>(aBlock) + HugePage - 1) & ~(HugePage - 1);
        const uintptr_t end = (reinterpret_cast<uintptr_t>(aBlock) + aBytes) & ~(HugePage - 1);
        if (end > begin)
            (void)madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE); // advice only; failure changes nothing
#else
        (void)aBlock;
        (void)aBytes;
#endif
    }
}
