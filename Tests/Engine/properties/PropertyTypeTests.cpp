#include "forge/properties/PropertyType.h"
#include "forge/stringRegistry/StringRegistry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using Kiln::PropertyType;
using Kiln::PropertyTypeBase;
using Kiln::StringRegistry;

namespace
{
    const std::vector<std::string> theTableOrder = {"Model", "Sprite", "Scene", "Animation Clip", "Pose",
                                                    "Bool", "Int", "Float", "Float2", "Float3", "Float4",
                                                    "Color", "StringId"};

    std::vector<const PropertyTypeBase*> Singletons()
    {
        return {&PropertyType<Kiln::CopyOnWriteWrapper<Kiln::SceneModel>>::GetInstance(),
                &PropertyType<Kiln::CopyOnWriteWrapper<Kiln::SceneSprite>>::GetInstance(),
                &PropertyType<Kiln::CopyOnWriteWrapper<Kiln::SceneReference>>::GetInstance(),
                &PropertyType<Kiln::CopyOnWriteWrapper<Kiln::AnimationClipReference>>::GetInstance(),
                &PropertyType<Kiln::PoseAndMotion>::GetInstance(),
                &PropertyType<bool>::GetInstance(),
                &PropertyType<std::int32_t>::GetInstance(),
                &PropertyType<float>::GetInstance(),
                &PropertyType<Kiln::Vector2<float>>::GetInstance(),
                &PropertyType<Kiln::Vector3<float>>::GetInstance(),
                &PropertyType<Kiln::Vector4<float>>::GetInstance(),
                &PropertyType<Kiln::Color>::GetInstance(),
                &PropertyType<Kiln::StringId>::GetInstance()};
    }

    // A type of the test's own; constructing one registers it, so only death-test children do.
    struct ProbeType final : PropertyTypeBase
    {
        using PropertyTypeBase::PropertyTypeBase;
        void Construct(void*) const override {}
        void CopyConstruct(const void*, void*) const override {}
        void MoveConstruct(const void*, void*) const override {}
        void Destruct(void*) const override {}
        void FromJson(void*, const nlohmann::json&) const override {}
        void ToJson(const void*, nlohmann::json&) const override {}
        bool DrawEditor(void*, const char*, const char*) const override { return false; }
    };

    // Runs in a fresh process (threadsafe death tests re-execute the binary), so the
    // registry is still open as it is before the first lookup.
    [[noreturn]] void CheckFinalisationOnFirstLookup()
    {
        bool ok = !PropertyTypeBase::IsRegistryFinalised();
        for (const PropertyTypeBase* type : Singletons())
            ok = ok && type->GetName().IsNull();
        const PropertyTypeBase* found = PropertyTypeBase::GetPropertyType(StringRegistry::RegisterOrGetString("Int"));
        ok = ok && PropertyTypeBase::IsRegistryFinalised() && found == &PropertyType<std::int32_t>::GetInstance();
        for (const PropertyTypeBase* type : Singletons())
            ok = ok && type->GetName() == StringRegistry::RegisterOrGetString(type->GetDisplayName());
        std::fprintf(stderr, ok ? "finalised on first lookup\n" : "wrong registry state\n");
        std::exit(ok ? 0 : 1);
    }

    void RegisterAfterFinalisation()
    {
        PropertyTypeBase::GetPropertyType(StringRegistry::RegisterOrGetString("Float"));
        new ProbeType("Late");
    }

    void RegisterBeyondCapacity()
    {
        for (int i = 0; i < 1000; ++i)
            new ProbeType("Extra");
    }
}

TEST(PropertyType, TheThirteenBuiltInsRegisterBeforeMainInTableOrder)
{
    ASSERT_EQ(PropertyTypeBase::GetRegisteredTypeCount(), theTableOrder.size());
    const std::vector<const PropertyTypeBase*> singletons = Singletons();
    for (std::uint32_t i = 0; i < theTableOrder.size(); ++i)
    {
        const PropertyTypeBase* type = PropertyTypeBase::GetRegisteredType(i);
        ASSERT_NE(type, nullptr);
        EXPECT_EQ(type->GetIndex(), i);
        EXPECT_STREQ(type->GetDisplayName(), theTableOrder[i].c_str());
        EXPECT_EQ(type, singletons[i]);
    }
    EXPECT_EQ(PropertyTypeBase::GetRegisteredType(13), nullptr);
}

TEST(PropertyType, LookupFindsInternedNamesAndNothingElse)
{
    const PropertyTypeBase* float2 = PropertyTypeBase::GetPropertyType(StringRegistry::RegisterOrGetString("Float2"));
    EXPECT_EQ(float2, &PropertyType<Kiln::Vector2<float>>::GetInstance());
    EXPECT_EQ(PropertyTypeBase::GetPropertyType(StringRegistry::RegisterOrGetString(std::string("Float2"))), float2);

    EXPECT_EQ(PropertyTypeBase::GetPropertyType(StringRegistry::RegisterOrGetString("float2")), nullptr);
    EXPECT_EQ(PropertyTypeBase::GetPropertyType(StringRegistry::RegisterOrGetString("FLOAT2")), nullptr);
    EXPECT_EQ(PropertyTypeBase::GetPropertyType(StringRegistry::RegisterOrGetString("Float5")), nullptr);
    EXPECT_EQ(PropertyTypeBase::GetPropertyType(Kiln::StringId()), nullptr);

    const PropertyTypeBase* clip = PropertyTypeBase::GetPropertyType(StringRegistry::RegisterOrGetString("Animation Clip"));
    EXPECT_EQ(clip, &PropertyType<Kiln::CopyOnWriteWrapper<Kiln::AnimationClipReference>>::GetInstance());
    EXPECT_STREQ(clip->GetName().GetString(), "Animation Clip");
}

TEST(PropertyType, TheNameListIsSortedByTheTexts)
{
    const std::vector<Kiln::StringId>& names = PropertyTypeBase::GetSortedTypeNames();
    std::vector<std::string> texts;
    for (const Kiln::StringId name : names)
        texts.emplace_back(name.GetString());
    const std::vector<std::string> expected = {"Animation Clip", "Bool", "Color", "Float", "Float2",
                                               "Float3", "Float4", "Int", "Model", "Pose",
                                               "Scene", "Sprite", "StringId"};
    EXPECT_EQ(texts, expected);
}

// Each in a child process of its own: the first lookup finalises the registry, after which
// a registration aborts, as does one beyond 512 types.
TEST(PropertyTypeDeathTest, TheFirstLookupFinalisesTheRegistryAndLateOrExcessRegistrationsAbort)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(CheckFinalisationOnFirstLookup(), testing::ExitedWithCode(0), "finalised on first lookup");
    EXPECT_DEATH(RegisterAfterFinalisation(), "\"Late\" registered after the registry was finalised");
    EXPECT_DEATH(RegisterBeyondCapacity(), "\"Extra\" does not fit: the registry holds 512 types");
}

TEST(PropertyType, ValueOperationsBuildCopyAndDestroyInPlace)
{
    const PropertyTypeBase& floats = PropertyType<Kiln::Vector3<float>>::GetInstance();
    alignas(16) unsigned char a[16];
    alignas(16) unsigned char b[16];
    std::memset(a, 0xAB, sizeof(a));
    floats.Construct(a);
    EXPECT_EQ(*reinterpret_cast<Kiln::Vector3<float>*>(a), Kiln::Vector3<float>(0.0f, 0.0f, 0.0f));
    *reinterpret_cast<Kiln::Vector3<float>*>(a) = {1.0f, 2.0f, 3.0f};
    floats.MoveConstruct(a, b);
    EXPECT_EQ(*reinterpret_cast<Kiln::Vector3<float>*>(b), Kiln::Vector3<float>(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(*reinterpret_cast<Kiln::Vector3<float>*>(a), Kiln::Vector3<float>(1.0f, 2.0f, 3.0f));

    const PropertyTypeBase& pose = PropertyType<Kiln::PoseAndMotion>::GetInstance();
    std::memset(a, 0xAB, sizeof(a));
    pose.Construct(a);
    for (const unsigned char byte : a)
        EXPECT_EQ(byte, 0);

    // Moving a pooled value copies it: both hold the object afterwards.
    using Model = Kiln::CopyOnWriteWrapper<Kiln::SceneModel>;
    const PropertyTypeBase& models = PropertyType<Model>::GetInstance();
    const Model owned = Model::MakeNew();
    models.MoveConstruct(&owned, b);
    EXPECT_EQ(owned.GetReferenceCount(), 2u);
    models.Destruct(b);
    EXPECT_EQ(owned.GetReferenceCount(), 1u);
}
