#pragma once
// Counts the calls to the global operator new made by this thread, so a test can show
// that some piece of work does no heap work. The replacement operators live in
// AllocationCounter.cpp and only count; they allocate with malloc as usual.
#include <cstddef>

namespace KilnTest
{
    std::size_t GetAllocationCount();

    // Allocations made on this thread since construction.
    class AllocationScope
    {
    public:
        AllocationScope() : myStart(GetAllocationCount()) {}
        std::size_t GetCount() const { return GetAllocationCount() - myStart; }

    private:
        std::size_t myStart;
    };
}
