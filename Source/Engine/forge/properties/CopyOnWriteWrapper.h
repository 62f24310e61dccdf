#pragma once
// A 16-byte handle to a pooled value. Copies share the object and count references; an
// edit through GetMutable clones the object first when anyone else holds it. A default
// wrapper shares the pool's default object, which is never counted or freed.
#include "forge/properties/StaticObjectPool.h"

#include <cstdint>

namespace Kiln
{
    template <typename T>
    class CopyOnWriteWrapper
    {
        using Pool = impl::StaticObjectPool<T>;
        using Slot = typename Pool::Slot;

    public:
        // The shared default value; no count changes.
        CopyOnWriteWrapper() : CopyOnWriteWrapper(Pool::GetInstance().GetDefault()) {}

        // A fresh default-valued object of its own (count 1), ready to be filled in.
        static CopyOnWriteWrapper MakeNew() { return CopyOnWriteWrapper(Pool::GetInstance().MakeNew()); }

        // Moving is copying: the source keeps its value, as the property operations expect.
        CopyOnWriteWrapper(const CopyOnWriteWrapper& anOther)
            : myBucket(anOther.myBucket), myObject(anOther.myObject)
        {
            if (myBucket != nullptr)
            {
                Pool::GetInstance().AddReference(GetSlot());
            }
        }

        CopyOnWriteWrapper& operator=(const CopyOnWriteWrapper& anOther)
        {
            // Count the new object before releasing the old one, so sharing one object is safe.
            if (anOther.myBucket != nullptr)
            {
                Pool::GetInstance().AddReference(anOther.GetSlot());
            }
            if (myBucket != nullptr)
            {
                Pool::GetInstance().Release(GetSlot());
            }
            myBucket = anOther.myBucket;
            myObject = anOther.myObject;
            return *this;
        }

        ~CopyOnWriteWrapper()
        {
            if (myBucket != nullptr)
            {
                Pool::GetInstance().Release(GetSlot());
            }
        }

        // A zeroed wrapper (null bucket) reads as the default value.
        const T& Get() const { return myObject != nullptr ? *myObject : *Pool::GetInstance().GetDefault().myObject; }
        const T* operator->() const { return &Get(); }

        // The object to edit: cloned first when shared (count 2 or more, or the default);
        // a zeroed wrapper gets a fresh object.
        T& GetMutable()
        {
            Pool& pool = Pool::GetInstance();
            if (myBucket == nullptr)
            {
                *this = MakeNew();
            }
            else if (pool.GetReferenceCount(GetSlot()) >= 2)
            {
                const Slot clone = pool.Clone(GetSlot());
                myBucket = clone.myBucket;
                myObject = clone.myObject;
            }
            return *myObject;
        }

        // Diagnostics: the object's reference count (POOL_DEFAULT_OBJECT_COUNT for the default,
        // 0 for a zeroed wrapper) and where it lives.
        std::uint32_t GetReferenceCount() const { return Pool::GetInstance().GetReferenceCount(GetSlot()); }
        const impl::StaticPoolBucketBase* GetBucket() const { return myBucket; }
        const T* GetObject() const { return myObject; }

    private:
        explicit CopyOnWriteWrapper(Slot aSlot) : myBucket(aSlot.myBucket), myObject(aSlot.myObject) {}

        Slot GetSlot() const { return Slot{myBucket, myObject}; }

        impl::StaticPoolBucketBase* myBucket;
        T* myObject;
    };
}
