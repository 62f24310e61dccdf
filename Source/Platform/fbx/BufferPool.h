#pragma once
// Large arrays of earlier imports, kept for the next one. A fresh array costs a page fault
// per 4 KiB the first time it is written, which on some systems costs more than filling
// it; an array taken from here was written before. One pool per manager, main thread only.
#include <cstddef>
#include <cstdint>
#include <tuple>
#include <vector>

namespace Plat::Fbx
{
    class BufferPool
    {
    public:
        // Arrays smaller than this are not worth keeping: the heap recycles them anyway.
        static constexpr size_t MinBytes = 64 * 1024;
        // Most memory the pool holds between imports.
        static constexpr size_t MaxBytes = 128u * 1024 * 1024;

        // An empty array with room for at least aCount values: the smallest kept one that
        // fits, else a new one.
        template <class T>
        std::vector<T> Take(size_t aCount)
        {
            std::vector<T> out = TakeKept<T>(aCount);
            out.clear();
            return out;
        }

        // An array of aCount values for a caller that writes every one of them: what a kept
        // array held stays in place instead of being cleared first.
        template <class T>
        std::vector<T> TakeToOverwrite(size_t aCount)
        {
            std::vector<T> out = TakeKept<T>(aCount);
            out.resize(aCount);
            return out;
        }

        // Keeps the array's memory for a later Take; small arrays, and any beyond the
        // pool's limit, are freed.
        template <class T>
        void Give(std::vector<T>&& aVector)
        {
            const size_t bytes = aVector.capacity() * sizeof(T);
            std::vector<T> held = std::move(aVector);
            if (bytes < MinBytes || myBytes + bytes > MaxBytes)
                return;
            myBytes += bytes;
            std::get<std::vector<std::vector<T>>>(myShelves).push_back(std::move(held));
        }

        size_t GetHeldBytes() const { return myBytes; }
        void Clear();

        // Asks the system to back a large, freshly reserved block with huge pages (where it
        // can), so touching it faults once per 2 MiB instead of once per 4 KiB.
        static void AdviseLarge(const void* aBlock, size_t aBytes);

    private:
        template <class T>
        std::vector<T> TakeKept(size_t aCount)
        {
            std::vector<std::vector<T>>& shelf = std::get<std::vector<std::vector<T>>>(myShelves);
            size_t best = shelf.size();
            for (size_t i = 0; i < shelf.size(); ++i)
                if (shelf[i].capacity() >= aCount && (best == shelf.size() || shelf[i].capacity() < shelf[best].capacity()))
                    best = i;
            std::vector<T> out;
            if (best != shelf.size())
            {
                out = std::move(shelf[best]);
                shelf[best] = std::move(shelf.back());
                shelf.pop_back();
                myBytes -= out.capacity() * sizeof(T);
            }
            else
            {
                out.reserve(aCount);
                AdviseLarge(out.data(), out.capacity() * sizeof(T));
            }
            return out;
        }

        std::tuple<std::vector<std::vector<double>>, std::vector<std::vector<float>>, std::vector<std::vector<int32_t>>,
                   std::vector<std::vector<int64_t>>, std::vector<std::vector<uint8_t>>, std::vector<std::vector<uint32_t>>,
                   std::vector<std::vector<uint64_t>>, std::vector<std::vector<char>>>
            myShelves;
        size_t myBytes = 0;
    };

    // Take, TakeToOverwrite and Give for code that may have no pool: then plain new arrays,
    // freed when given back.
    template <class T>
    std::vector<T> TakeFrom(BufferPool* aPool, size_t aCount)
    {
        if (aPool != nullptr)
            return aPool->Take<T>(aCount);
        std::vector<T> out;
        out.reserve(aCount);
        return out;
    }

    template <class T>
    std::vector<T> TakeToOverwriteFrom(BufferPool* aPool, size_t aCount)
    {
        if (aPool != nullptr)
            return aPool->TakeToOverwrite<T>(aCount);
        return std::vector<T>(aCount);
    }

    template <class T>
    void GiveTo(BufferPool* aPool, std::vector<T>& someItems)
    {
        if (aPool != nullptr)
            aPool->Give(std::move(someItems));
        else
            std::vector<T>().swap(someItems);
    }
}
