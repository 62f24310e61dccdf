#include "AllocationCounter.h"

#include "forge/properties/AnimationClipReference.h"
#include "forge/properties/CopyOnWriteWrapper.h"
#include "forge/properties/SceneModel.h"
#include "forge/properties/SceneReference.h"
#include "forge/properties/SceneSprite.h"
#include "forge/stringRegistry/StringRegistry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

using Kiln::CopyOnWriteWrapper;
using Kiln::impl::POOL_BUCKET_SIZE;
using Kiln::impl::POOL_DEFAULT_OBJECT_COUNT;
using Kiln::impl::StaticObjectPool;

namespace
{
    // A value kind of its own per test, so each test starts from a freshly created pool.
    template <int Tag>
    struct Probe
    {
        int myValue = 7;
    };

    template <typename T>
    std::size_t LiveObjects()
    {
        const StaticObjectPool<T>& pool = StaticObjectPool<T>::GetInstance();
        return (pool.GetBucketCount() - 1) * POOL_BUCKET_SIZE + pool.GetUsedInNewestBucket() - pool.GetFreeListSize() - 1;
    }
}

TEST(CopyOnWriteWrapper, DefaultsHoldThePlainRecordsDefaults)
{
    const CopyOnWriteWrapper<Kiln::SceneSprite> sprite;
    EXPECT_EQ(sprite.GetReferenceCount(), POOL_DEFAULT_OBJECT_COUNT);
    EXPECT_EQ(sprite->mySize, Kiln::Vector2<float>(100.0f, 100.0f));
    EXPECT_EQ(sprite->myPivot, Kiln::Vector2<float>(0.5f, 0.5f));
    for (const Kiln::StringId texture : sprite->myTextures)
        EXPECT_TRUE(texture.IsNull());
    EXPECT_EQ(sprite.GetBucket()->GetObjectSize(), 48u);

    const CopyOnWriteWrapper<Kiln::SceneModel> model;
    EXPECT_TRUE(model->myPath.IsNull());
    for (const auto& mesh : model->myTextures)
        for (const Kiln::StringId texture : mesh)
            EXPECT_TRUE(texture.IsNull());
    EXPECT_EQ(model.GetBucket()->GetObjectSize(), 136u);
    EXPECT_EQ(CopyOnWriteWrapper<Kiln::SceneReference>().GetBucket()->GetObjectSize(), 8u);
    EXPECT_EQ(CopyOnWriteWrapper<Kiln::AnimationClipReference>().GetBucket()->GetObjectSize(), 8u);
    EXPECT_EQ(sizeof(CopyOnWriteWrapper<Kiln::SceneModel>), 16u);

    // Every default wrapper shares the one default object.
    EXPECT_EQ(CopyOnWriteWrapper<Kiln::SceneSprite>().GetObject(), sprite.GetObject());
}

TEST(CopyOnWriteWrapper, CopiesOfTheDefaultLeaveItsCountAndTheFreeListAlone)
{
    using Pool = StaticObjectPool<Probe<1>>;
    const CopyOnWriteWrapper<Probe<1>> original;
    const std::size_t freeBefore = Pool::GetInstance().GetFreeListSize();
    {
        std::vector<CopyOnWriteWrapper<Probe<1>>> copies(10, original);
        for (const auto& copy : copies)
            EXPECT_EQ(copy.GetObject(), original.GetObject());
        EXPECT_EQ(original.GetReferenceCount(), POOL_DEFAULT_OBJECT_COUNT);
    }
    EXPECT_EQ(original.GetReferenceCount(), POOL_DEFAULT_OBJECT_COUNT);
    EXPECT_EQ(Pool::GetInstance().GetFreeListSize(), freeBefore);
}

TEST(CopyOnWriteWrapper, EditingASharedValueClonesItAndEditingAnOwnedOneDoesNot)
{
    const Kiln::StringId texture = Kiln::StringRegistry::RegisterOrGetString("CopyOnWriteTests.texture");
    auto first = CopyOnWriteWrapper<Kiln::SceneSprite>::MakeNew();
    first.GetMutable().myTextures[0] = texture;
    EXPECT_EQ(first.GetReferenceCount(), 1u);

    // Count 1: edited in place.
    const Kiln::SceneSprite* owned = first.GetObject();
    first.GetMutable().mySize = {3.0f, 4.0f};
    EXPECT_EQ(first.GetObject(), owned);

    auto second = first;
    EXPECT_EQ(first.GetReferenceCount(), 2u);
    second.GetMutable().mySize = {5.0f, 6.0f};

    EXPECT_NE(second.GetObject(), first.GetObject());
    EXPECT_EQ(first.GetObject(), owned);
    EXPECT_EQ(first.GetReferenceCount(), 1u);
    EXPECT_EQ(second.GetReferenceCount(), 1u);
    EXPECT_EQ(first->mySize, Kiln::Vector2<float>(3.0f, 4.0f));
    EXPECT_EQ(second->mySize, Kiln::Vector2<float>(5.0f, 6.0f));
    EXPECT_EQ(second->myTextures[0], texture); // the clone starts as a copy

    // The default is always cloned and never changes.
    CopyOnWriteWrapper<Kiln::SceneSprite> fromDefault;
    const Kiln::SceneSprite* defaultObject = fromDefault.GetObject();
    fromDefault.GetMutable().myPivot = {0.0f, 1.0f};
    EXPECT_NE(fromDefault.GetObject(), defaultObject);
    EXPECT_EQ(fromDefault.GetReferenceCount(), 1u);
    EXPECT_EQ(CopyOnWriteWrapper<Kiln::SceneSprite>()->myPivot, Kiln::Vector2<float>(0.5f, 0.5f));
    EXPECT_EQ(CopyOnWriteWrapper<Kiln::SceneSprite>().GetReferenceCount(), POOL_DEFAULT_OBJECT_COUNT);
}

TEST(CopyOnWriteWrapper, AssignmentCountsTheNewObjectAndReleasesTheOld)
{
    auto a = CopyOnWriteWrapper<Probe<2>>::MakeNew();
    auto b = CopyOnWriteWrapper<Probe<2>>::MakeNew();
    const std::size_t live = LiveObjects<Probe<2>>();
    b = a;
    EXPECT_EQ(a.GetReferenceCount(), 2u);
    EXPECT_EQ(LiveObjects<Probe<2>>(), live - 1); // b's old object went back to the pool
    b = b;
    EXPECT_EQ(a.GetReferenceCount(), 2u);
    b = CopyOnWriteWrapper<Probe<2>>();
    EXPECT_EQ(a.GetReferenceCount(), 1u);
}

TEST(StaticObjectPool, The1025thObjectOpensABucketAndFreedSlotsAreReusedLastFreedFirst)
{
    using Value = Probe<3>;
    using Pool = StaticObjectPool<Value>;
    std::vector<CopyOnWriteWrapper<Value>> held;
    held.reserve(POOL_BUCKET_SIZE + 2);
    const CopyOnWriteWrapper<Value> defaultValue;
    EXPECT_EQ(Pool::GetInstance().GetBucketCount(), 1u);
    EXPECT_EQ(Pool::GetInstance().GetUsedInNewestBucket(), 1u); // slot 0 is the default

    for (std::uint32_t i = 1; i < POOL_BUCKET_SIZE; ++i)
    {
        held.push_back(CopyOnWriteWrapper<Value>::MakeNew());
        ASSERT_EQ(held.back().GetBucket(), defaultValue.GetBucket());
    }
    EXPECT_EQ(Pool::GetInstance().GetBucketCount(), 1u);

    held.push_back(CopyOnWriteWrapper<Value>::MakeNew()); // the 1025th live object
    EXPECT_EQ(Pool::GetInstance().GetBucketCount(), 2u);
    EXPECT_NE(held.back().GetBucket(), defaultValue.GetBucket());
    EXPECT_EQ(held.back().GetObject(), &static_cast<const Pool::Bucket*>(held.back().GetBucket())->myObjects[0]);

    // Free two objects; new ones take the last freed first, reinitialised to the default value.
    const Value* firstFreed = held[10].GetObject();
    const Value* secondFreed = held[20].GetObject();
    held[10].GetMutable().myValue = 100;
    held[20].GetMutable().myValue = 200;
    held[10] = defaultValue;
    held[20] = defaultValue;
    EXPECT_EQ(Pool::GetInstance().GetFreeListSize(), 2u);

    const auto reuseA = CopyOnWriteWrapper<Value>::MakeNew();
    const auto reuseB = CopyOnWriteWrapper<Value>::MakeNew();
    EXPECT_EQ(reuseA.GetObject(), secondFreed);
    EXPECT_EQ(reuseB.GetObject(), firstFreed);
    EXPECT_EQ(reuseA->myValue, 7);
    EXPECT_EQ(reuseB->myValue, 7);
    EXPECT_EQ(Pool::GetInstance().GetFreeListSize(), 0u);
    EXPECT_EQ(Pool::GetInstance().GetBucketCount(), 2u);
}

TEST(StaticObjectPool, BucketOperationsReleaseAndCloneThroughTheBaseClass)
{
    using Value = Probe<4>;
    using Pool = StaticObjectPool<Value>;
    auto shared = CopyOnWriteWrapper<Value>::MakeNew();
    shared.GetMutable().myValue = 42;
    auto other = shared;
    ASSERT_EQ(shared.GetReferenceCount(), 2u);

    Kiln::impl::StaticPoolBucketBase* bucket = const_cast<Kiln::impl::StaticPoolBucketBase*>(shared.GetBucket());
    const int index = static_cast<int>(bucket->IndexOf(shared.GetObject()));
    // Clone copies into a new slot with count 1 and releases the source once.
    const Kiln::impl::PooledObjectHandle clone = bucket->Clone(index);
    EXPECT_NE(clone.myObject, shared.GetObject());
    EXPECT_EQ(static_cast<Value*>(clone.myObject)->myValue, 42);
    EXPECT_EQ(clone.myBucket->ReferenceCount(clone.myObject), 1u);
    EXPECT_EQ(shared.GetReferenceCount(), 1u);

    // FreeSlot hands the slot back: the next new object is that one.
    const std::size_t freeBefore = Pool::GetInstance().GetFreeListSize();
    clone.myBucket->ReferenceCount(clone.myObject) = 0;
    clone.myBucket->FreeSlot(static_cast<int>(clone.myBucket->IndexOf(clone.myObject)));
    EXPECT_EQ(Pool::GetInstance().GetFreeListSize(), freeBefore + 1);
    EXPECT_EQ(CopyOnWriteWrapper<Value>::MakeNew().GetObject(), clone.myObject);
    (void)other;
}

TEST(StaticObjectPool, ValuesReleasedAfterTheExitHandlerTouchNothing)
{
    using Value = Probe<5>;
    using Pool = StaticObjectPool<Value>;
    std::optional<CopyOnWriteWrapper<Value>> owned = CopyOnWriteWrapper<Value>::MakeNew();
    std::optional<CopyOnWriteWrapper<Value>> copy = *owned;
    std::optional<CopyOnWriteWrapper<Value>> defaultValue{std::in_place};
    EXPECT_EQ(owned->GetReferenceCount(), 2u);

    Pool::OnProcessExit();
    EXPECT_TRUE(Pool::GetInstance().IsShutDown());
    EXPECT_EQ(Pool::GetInstance().GetFreeListSize(), 0u);

    // The buckets are gone: copies, assignments and releases must not reach them (the
    // sanitizer build turns any touch into a failure).
    CopyOnWriteWrapper<Value> late = *copy;
    late = *defaultValue;
    owned.reset();
    copy.reset();
    defaultValue.reset();
    EXPECT_EQ(late.GetReferenceCount(), 0u);
    Pool::OnProcessExit(); // a second run does nothing
    EXPECT_TRUE(Pool::GetInstance().IsShutDown());
}

namespace
{
    using ExitProbe = Probe<6>;

    // A static that is complete before the pool exists is destroyed after the pool's exit
    // handler, the order a property held by an early static meets at process exit.
    struct EarlyStatic
    {
        std::optional<CopyOnWriteWrapper<ExitProbe>> myValue;
        ~EarlyStatic()
        {
            std::fprintf(stderr, "released after shut-down: %d\n",
                         StaticObjectPool<ExitProbe>::GetInstance().IsShutDown() ? 1 : 0);
            myValue.reset();
            std::fprintf(stderr, "release done\n");
        }
    };

    [[noreturn]] void ExitWithAnEarlyStaticHoldingAValue()
    {
        static EarlyStatic early;
        early.myValue = CopyOnWriteWrapper<ExitProbe>::MakeNew();
        std::exit(0);
    }
}

TEST(StaticObjectPoolDeathTest, AtProcessExitTheHandlerRunsBeforeEarlierStaticsRelease)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(ExitWithAnEarlyStaticHoldingAValue(), testing::ExitedWithCode(0),
                "released after shut-down: 1\nrelease done");
}

TEST(CopyOnWriteWrapper, CopyingAndDestroyingPooledValuesDoesNoHeapWork)
{
    auto model = CopyOnWriteWrapper<Kiln::SceneModel>::MakeNew();
    const CopyOnWriteWrapper<Kiln::SceneSprite> sprite;
    alignas(CopyOnWriteWrapper<Kiln::SceneModel>) unsigned char storage[64][16];

    KilnTest::AllocationScope scope;
    for (int round = 0; round < 100; ++round)
    {
        for (auto& slot : storage)
            new (slot) CopyOnWriteWrapper<Kiln::SceneModel>(model);
        for (auto& slot : storage)
            std::launder(reinterpret_cast<CopyOnWriteWrapper<Kiln::SceneModel>*>(slot))->~CopyOnWriteWrapper();
        CopyOnWriteWrapper<Kiln::SceneSprite> spriteCopy = sprite;
        spriteCopy = sprite;
    }
    // Releasing the last holder frees the object onto the free list, and a new value
    // takes it back: still no heap work.
    {
        auto last = CopyOnWriteWrapper<Kiln::SceneModel>::MakeNew();
    }
    auto reused = CopyOnWriteWrapper<Kiln::SceneModel>::MakeNew();
    EXPECT_EQ(scope.GetCount(), 0u);
    EXPECT_EQ(model.GetReferenceCount(), 1u);
}
