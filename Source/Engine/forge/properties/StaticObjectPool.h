#pragma once
// One process-wide pool per value kind: buckets of 1024 objects that never move, a
// last-in first-out free list and a shared default object in slot 0 of the first bucket.
// Main thread only; only the pool's creation is guarded.
#include "forge/properties/StaticPoolBucketBase.h"

#include <cstdlib>
#include <new>
#include <vector>

namespace Kiln::impl
{
    template <typename T>
    class StaticObjectPool
    {
    public:
        class alignas(32) Bucket final : public StaticPoolBucketBase
        {
        public:
            Bucket() : StaticPoolBucketBase(myObjects, sizeof(T)) {}

            void FreeSlot(int anIndex) override
            {
                GetInstance().myFreeList.push_back(Slot{this, &myObjects[anIndex]});
            }

            PooledObjectHandle Clone(int anIndex) override
            {
                const Slot clone = GetInstance().Clone(Slot{this, &myObjects[anIndex]});
                return PooledObjectHandle{clone.myBucket, clone.myObject};
            }

            T myObjects[POOL_BUCKET_SIZE];
            Bucket* myNext = nullptr;
        };

        // Held through the base class: a value may outlive its bucket (after the exit
        // handler), and nothing may look into a bucket before the shut-down flag is checked.
        struct Slot
        {
            StaticPoolBucketBase* myBucket = nullptr;
            T* myObject = nullptr;
        };

        // Created on first use; its exit handler is registered at the same moment, so it runs
        // before the destructors of statics that were complete before the pool existed.
        static StaticObjectPool& GetInstance()
        {
            static StaticObjectPool* const instance = Create();
            return *instance;
        }

        // The exit handler: sets the shut-down flag first, then frees the free list and every
        // bucket. Values released later find the flag set and touch nothing. Runs once.
        static void OnProcessExit()
        {
            StaticObjectPool& pool = GetInstance();
            if (pool.myIsShutDown)
            {
                return;
            }
            pool.myIsShutDown = true;
            std::vector<Slot>().swap(pool.myFreeList);
            for (Bucket* bucket = pool.myFirstBucket; bucket != nullptr;)
            {
                Bucket* next = bucket->myNext;
                delete bucket;
                bucket = next;
            }
            pool.myFirstBucket = pool.myLastBucket = nullptr;
        }

        // The shared default: object 0 of the first bucket. No count changes.
        Slot GetDefault() const { return Slot{myFirstBucket, &myFirstBucket->myObjects[0]}; }

        // A fresh default-valued object with count 1.
        Slot MakeNew()
        {
            const Slot slot = TakeSlot();
            *slot.myObject = T{};
            slot.myBucket->ReferenceCount(slot.myObject) = 1;
            return slot;
        }

        void AddReference(Slot aSlot)
        {
            if (aSlot.myBucket == nullptr || myIsShutDown)
            {
                return;
            }
            std::uint32_t& count = aSlot.myBucket->ReferenceCount(aSlot.myObject);
            if (count != POOL_DEFAULT_OBJECT_COUNT)
            {
                ++count;
            }
        }

        // The slot's contents stay as they are; it is reinitialised when taken again.
        void Release(Slot aSlot)
        {
            if (aSlot.myBucket == nullptr || myIsShutDown)
            {
                return;
            }
            std::uint32_t& count = aSlot.myBucket->ReferenceCount(aSlot.myObject);
            if (count == POOL_DEFAULT_OBJECT_COUNT || count == 0)
            {
                return;
            }
            if (--count == 0)
            {
                // Capacity for every slot is reserved when a bucket is added, so this never allocates.
                myFreeList.push_back(aSlot);
            }
        }

        // A copy of the source in a new slot with count 1; the source is released once.
        Slot Clone(Slot aSource)
        {
            const Slot slot = TakeSlot();
            *slot.myObject = *aSource.myObject;
            slot.myBucket->ReferenceCount(slot.myObject) = 1;
            Release(aSource);
            return slot;
        }

        std::uint32_t GetReferenceCount(Slot aSlot) const
        {
            if (aSlot.myBucket == nullptr || myIsShutDown)
            {
                return 0;
            }
            return aSlot.myBucket->ReferenceCount(aSlot.myObject);
        }

        // Diagnostics.
        bool IsShutDown() const { return myIsShutDown; }
        std::size_t GetBucketCount() const { return myBucketCount; }
        std::size_t GetFreeListSize() const { return myFreeList.size(); }
        std::uint32_t GetUsedInNewestBucket() const { return myUsed; }

    private:
        StaticObjectPool()
        {
            AppendBucket();
            myFirstBucket->ReferenceCount(&myFirstBucket->myObjects[0]) = POOL_DEFAULT_OBJECT_COUNT;
            myUsed = 1;
        }

        static StaticObjectPool* Create()
        {
            // The pool object itself is never destroyed, so its shut-down flag stays readable
            // by values that outlive the exit handler.
            alignas(StaticObjectPool) static unsigned char storage[sizeof(StaticObjectPool)];
            StaticObjectPool* pool = new (storage) StaticObjectPool();
            std::atexit(&OnProcessExit);
            return pool;
        }

        void AppendBucket()
        {
            Bucket* bucket = new Bucket();
            if (myLastBucket != nullptr)
            {
                myLastBucket->myNext = bucket;
            }
            else
            {
                myFirstBucket = bucket;
            }
            myLastBucket = bucket;
            ++myBucketCount;
            myFreeList.reserve(myBucketCount * POOL_BUCKET_SIZE);
            myUsed = 0;
        }

        Slot TakeSlot()
        {
            if (!myFreeList.empty())
            {
                const Slot slot = myFreeList.back();
                myFreeList.pop_back();
                return slot;
            }
            if (myUsed == POOL_BUCKET_SIZE)
            {
                AppendBucket();
            }
            return Slot{myLastBucket, &myLastBucket->myObjects[myUsed++]};
        }

        Bucket* myFirstBucket = nullptr;
        Bucket* myLastBucket = nullptr;
        std::size_t myBucketCount = 0;
        std::vector<Slot> myFreeList;
        std::uint32_t myUsed = 0;
        bool myIsShutDown = false;
    };
}
