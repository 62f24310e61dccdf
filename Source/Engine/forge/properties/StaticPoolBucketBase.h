#pragma once
// What every pool bucket shares whatever it holds: the slot array's address and stride and
// one reference count per slot, so code holding only a bucket and an index can release or
// clone an object without knowing its type.
#include <cstddef>
#include <cstdint>

namespace Kiln::impl
{
    inline constexpr std::uint32_t POOL_BUCKET_SIZE = 1024;
    // The count of a pool's shared default object: copies and releases leave it untouched.
    inline constexpr std::uint32_t POOL_DEFAULT_OBJECT_COUNT = 2147483647;

    class StaticPoolBucketBase;

    // A (bucket, object) pair: what a property value holds and what the free list stores.
    struct PooledObjectHandle
    {
        StaticPoolBucketBase* myBucket = nullptr;
        void* myObject = nullptr;
    };

    class StaticPoolBucketBase
    {
    public:
        StaticPoolBucketBase(const StaticPoolBucketBase&) = delete;
        StaticPoolBucketBase& operator=(const StaticPoolBucketBase&) = delete;

        // Pushes (this, object[anIndex]) on the pool's free list.
        virtual void FreeSlot(int anIndex) = 0;
        // Copies object[anIndex] into a new slot with count 1 and releases the source once.
        virtual PooledObjectHandle Clone(int anIndex) = 0;
        virtual ~StaticPoolBucketBase() = default;

        std::uint32_t IndexOf(const void* anObject) const
        {
            const std::ptrdiff_t offset = static_cast<const std::byte*>(anObject) - static_cast<const std::byte*>(myObjectArray);
            return static_cast<std::uint32_t>(offset / myObjectSize);
        }
        std::uint32_t& ReferenceCount(const void* anObject) { return myReferenceCounts[IndexOf(anObject)]; }
        std::uint32_t GetObjectSize() const { return myObjectSize; }

    protected:
        StaticPoolBucketBase(void* anObjectArray, std::uint32_t anObjectSize)
            : myObjectArray(anObjectArray), myObjectSize(anObjectSize)
        {
        }

        void* myObjectArray;
        std::uint32_t myObjectSize;
        std::uint32_t myReferenceCounts[POOL_BUCKET_SIZE] = {};
    };
}
