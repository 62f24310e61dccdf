#include "AllocationCounter.h"

#include "forge/properties/Property.h"
#include "forge/stringRegistry/StringRegistry.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <vector>

using Kiln::Property;
using Kiln::PropertyType;

namespace
{
    using ModelValue = Kiln::CopyOnWriteWrapper<Kiln::SceneModel>;
    using SpriteValue = Kiln::CopyOnWriteWrapper<Kiln::SceneSprite>;

    const Kiln::PropertyTypeBase* ModelType() { return &PropertyType<ModelValue>::GetInstance(); }
    const Kiln::PropertyTypeBase* IntType() { return &PropertyType<std::int32_t>::GetInstance(); }

    Property MakeModelProperty(const char* aPath)
    {
        Property property(ModelType());
        property.GetValue<ModelValue>().GetMutable().myPath = Kiln::StringRegistry::RegisterOrGetString(aPath);
        return property;
    }

    bool StorageIsZero(const Property& aProperty)
    {
        const auto* bytes = static_cast<const unsigned char*>(aProperty.GetData());
        for (std::size_t i = 0; i < Kiln::PROPERTY_STORAGE_SIZE; ++i)
            if (bytes[i] != 0)
                return false;
        return true;
    }
}

TEST(Property, ANullTypedPropertyHoldsNothingThroughCopiesAndAssignments)
{
    const Property empty;
    EXPECT_EQ(empty.GetType(), nullptr);
    EXPECT_TRUE(StorageIsZero(empty));

    const Property copy = empty;
    EXPECT_EQ(copy.GetType(), nullptr);
    EXPECT_TRUE(StorageIsZero(copy));

    Property overwritten = MakeModelProperty("PropertyTests/nullAssign.fbx");
    const ModelValue observer = overwritten.GetValue<ModelValue>();
    EXPECT_EQ(observer.GetReferenceCount(), 2u);
    overwritten = empty;
    EXPECT_EQ(overwritten.GetType(), nullptr);
    EXPECT_TRUE(StorageIsZero(overwritten));
    EXPECT_EQ(observer.GetReferenceCount(), 1u);

    EXPECT_EQ(Property::CreateFromJson(nullptr, nlohmann::json(3)).GetType(), nullptr);
}

TEST(Property, ATypedPropertyStartsWithTheTypesDefault)
{
    const Property number(IntType());
    EXPECT_EQ(number.GetValue<std::int32_t>(), 0);

    const Property sprite(&PropertyType<SpriteValue>::GetInstance());
    EXPECT_EQ(sprite.GetValue<SpriteValue>().GetReferenceCount(), Kiln::impl::POOL_DEFAULT_OBJECT_COUNT);
    EXPECT_EQ(sprite.GetValue<SpriteValue>()->mySize, Kiln::Vector2<float>(100.0f, 100.0f));

    const Property color(&PropertyType<Kiln::Color>::GetInstance());
    EXPECT_EQ(color.GetValue<Kiln::Color>(), Kiln::Color(0.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_TRUE(Property(&PropertyType<Kiln::StringId>::GetInstance()).GetValue<Kiln::StringId>().IsNull());
}

TEST(Property, CopiesAndMovesShareThePooledObjectAndTheSourceKeepsItsValue)
{
    Property original = MakeModelProperty("PropertyTests/shared.fbx");
    const ModelValue& value = original.GetValue<ModelValue>();
    ASSERT_EQ(value.GetReferenceCount(), 1u);
    {
        const Property copy = original;
        EXPECT_EQ(value.GetReferenceCount(), 2u);
        const Property moved = std::move(original);
        EXPECT_EQ(value.GetReferenceCount(), 3u);
        EXPECT_EQ(original.GetType(), ModelType());
        EXPECT_EQ(moved.GetValue<ModelValue>().GetObject(), value.GetObject());
        EXPECT_STREQ(moved.GetValue<ModelValue>()->myPath.GetString(), "PropertyTests/shared.fbx");
    }
    EXPECT_EQ(value.GetReferenceCount(), 1u);
}

TEST(Property, AssigningAModelOverAnIntReplacesTheTypeAndCountsTheModel)
{
    const Property model = MakeModelProperty("PropertyTests/overInt.fbx");
    const ModelValue& value = model.GetValue<ModelValue>();
    Property target(IntType());
    target.GetValue<std::int32_t>() = 99;

    target = model;
    EXPECT_EQ(target.GetType(), ModelType());
    EXPECT_EQ(value.GetReferenceCount(), 2u);
    EXPECT_EQ(target.GetValue<ModelValue>().GetObject(), value.GetObject());

    // And back: the model is released before the int is copied in.
    Property number(IntType());
    number.GetValue<std::int32_t>() = 5;
    target = std::move(number);
    EXPECT_EQ(target.GetType(), IntType());
    EXPECT_EQ(target.GetValue<std::int32_t>(), 5);
    EXPECT_EQ(value.GetReferenceCount(), 1u);
}

TEST(Property, SelfAssignmentKeepsTheValueAlive)
{
    Property model = MakeModelProperty("PropertyTests/self.fbx");
    const ModelValue observer = model.GetValue<ModelValue>();
    Property& alias = model;
    model = alias;
    model = std::move(alias);
    EXPECT_EQ(model.GetType(), ModelType());
    EXPECT_EQ(observer.GetReferenceCount(), 2u);
    EXPECT_STREQ(model.GetValue<ModelValue>()->myPath.GetString(), "PropertyTests/self.fbx");
}

TEST(Property, AFailedConstructionFromJsonLeavesNoPooledObjectBehind)
{
    using Pool = Kiln::impl::StaticObjectPool<Kiln::SceneModel>;
    const auto live = [] {
        const Pool& pool = Pool::GetInstance();
        return (pool.GetBucketCount() - 1) * Kiln::impl::POOL_BUCKET_SIZE + pool.GetUsedInNewestBucket() -
               pool.GetFreeListSize();
    };
    const std::size_t before = live();
    // A number is no model description.
    EXPECT_ANY_THROW(Property::CreateFromJson(ModelType(), nlohmann::json(5)));
    EXPECT_EQ(live(), before);
}

TEST(Property, ReadingAsAnotherTypeAsserts)
{
    std::vector<std::string> reports;
    Plat::Runtime::SetAssertionHandler([&](const Plat::Runtime::AssertionReport& aReport) {
        reports.push_back(aReport.expression);
    });
    const Property number(IntType());
    (void)number.GetValue<float>();
    (void)number.GetValue<std::int32_t>();
    Plat::Runtime::SetAssertionHandler({});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("property read as a type it does not hold"), std::string::npos);
}

TEST(Property, CopyingAndDestroyingPooledPropertiesDoesNoHeapWork)
{
    const Property model = MakeModelProperty("PropertyTests/noHeap.fbx");
    const Property sprite(&PropertyType<SpriteValue>::GetInstance());
    Property target(IntType());

    KilnTest::AllocationScope scope;
    for (int i = 0; i < 1000; ++i)
    {
        const Property copy = model;
        Property temporary(sprite);
        Property moved = std::move(temporary);
        target = copy;
        target = moved;
    }
    target = Property();
    EXPECT_EQ(scope.GetCount(), 0u);
    EXPECT_EQ(model.GetValue<ModelValue>().GetReferenceCount(), 1u);
}
