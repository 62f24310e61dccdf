#include "forge/properties/Property.h"
#include "forge/stringRegistry/StringRegistry.h"

#include "Support/JsonErrors.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <limits>
#include <string>

using Kiln::Property;
using Kiln::PropertyType;
using nlohmann::json;

namespace
{
    using ModelValue = Kiln::CopyOnWriteWrapper<Kiln::SceneModel>;
    using SpriteValue = Kiln::CopyOnWriteWrapper<Kiln::SceneSprite>;
    using SceneValue = Kiln::CopyOnWriteWrapper<Kiln::SceneReference>;
    using ClipValue = Kiln::CopyOnWriteWrapper<Kiln::AnimationClipReference>;

    template <typename T>
    const Kiln::PropertyTypeBase* TypeOf()
    {
        return &PropertyType<T>::GetInstance();
    }

    template <typename T>
    T Read(const json& aJson)
    {
        const Property property = Property::CreateFromJson(TypeOf<T>(), aJson);
        return property.GetValue<T>();
    }

    template <typename T>
    json Write(const T& aValue)
    {
        Property property(TypeOf<T>());
        property.GetValue<T>() = aValue;
        json out;
        property.GetType()->ToJson(property.GetData(), out);
        return out;
    }

    json WriteProperty(const Property& aProperty)
    {
        json out;
        aProperty.GetType()->ToJson(aProperty.GetData(), out);
        return out;
    }

    // The exception raised by reading aJson as T: our own message, or the kind of the JSON library's error.
    template <typename T>
    std::string ErrorOf(const json& aJson)
    {
        try
        {
            (void)Property::CreateFromJson(TypeOf<T>(), aJson);
        }
        catch (const std::exception& anError)
        {
            return KilnTest::OurWords(anError);
        }
        return "no error";
    }

    Kiln::StringId Id(const char* aText)
    {
        return Kiln::StringRegistry::RegisterOrGetString(aText);
    }

    json Parse(const char* aText)
    {
        return json::parse(aText);
    }
}

TEST(PropertyEncoding, BoolReadsOnlyBooleans)
{
    EXPECT_TRUE(Read<bool>(true));
    EXPECT_FALSE(Read<bool>(false));
    for (const json& other : {json(1), json("true"), json()})
        EXPECT_EQ(ErrorOf<bool>(other), "[type_error]") << other;
    EXPECT_EQ(Write(true), json(true));
    EXPECT_TRUE(Write(false).is_boolean());
}

TEST(PropertyEncoding, IntTruncatesTowardZeroAcceptsBooleansAndSaturates)
{
    EXPECT_EQ(Read<std::int32_t>(2.9), 2);
    EXPECT_EQ(Read<std::int32_t>(-2.9), -2);
    EXPECT_EQ(Read<std::int32_t>(true), 1);
    EXPECT_EQ(Read<std::int32_t>(false), 0);
    EXPECT_EQ(Read<std::int32_t>(-17), -17);
    EXPECT_EQ(Read<std::int32_t>(Parse("4000000000")), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(Read<std::int32_t>(Parse("-9000000000")), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(Read<std::int32_t>(Parse("1e300")), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(Read<std::int32_t>(Parse("-1e300")), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ErrorOf<std::int32_t>("3"), "[type_error]");
    EXPECT_EQ(ErrorOf<std::int32_t>(json::array()), "[type_error]");

    const json written = Write<std::int32_t>(-42);
    EXPECT_TRUE(written.is_number_integer());
    EXPECT_EQ(written.get<int>(), -42);
}

TEST(PropertyEncoding, FloatReadsNumbersAndBooleans)
{
    EXPECT_FLOAT_EQ(Read<float>(1.25), 1.25f);
    EXPECT_FLOAT_EQ(Read<float>(-3), -3.0f);
    EXPECT_FLOAT_EQ(Read<float>(Parse("18446744073709551615")), 1.8446744e19f);
    EXPECT_FLOAT_EQ(Read<float>(true), 1.0f);
    EXPECT_FLOAT_EQ(Read<float>(Parse("-3.4e38")), -3.4e38f);
    // Past the float range a value would be infinite: refused, as are the vectors made of floats.
    EXPECT_EQ(ErrorOf<float>(Parse("1e39")), "the number 1e+39 is not a finite float");
    EXPECT_EQ(ErrorOf<float>(Parse("-1e300")), "the number -1e+300 is not a finite float");
    EXPECT_EQ(ErrorOf<Kiln::Vector3<float>>(Parse("[0, 1e308, 0]")), "the number 1e+308 is not a finite float");
    for (const json& other : {json(), json::object()})
        EXPECT_EQ(ErrorOf<float>(other), "[type_error]") << other;

    const json written = Write(0.5f);
    EXPECT_TRUE(written.is_number_float());
    EXPECT_EQ(written.get<double>(), 0.5);
}

TEST(PropertyEncoding, VectorsAndColorsReadTheFirstNElementsOfAnArray)
{
    EXPECT_EQ(Read<Kiln::Vector2<float>>(Parse("[1, 2, 99]")), Kiln::Vector2<float>(1, 2));
    EXPECT_EQ(Read<Kiln::Vector3<float>>(Parse("[1.5, true, -3]")), Kiln::Vector3<float>(1.5f, 1, -3));
    EXPECT_EQ(Read<Kiln::Vector4<float>>(Parse("[1, 2, 3, 4, 5, 6]")), Kiln::Vector4<float>(1, 2, 3, 4));
    EXPECT_EQ(Read<Kiln::Color>(Parse("[0.25, 0.5, 0.75, 1]")), Kiln::Color(0.25f, 0.5f, 0.75f, 1.0f));

    EXPECT_EQ(ErrorOf<Kiln::Vector3<float>>(Parse(R"({"x": 1})")), "[type_error]");
    EXPECT_EQ(ErrorOf<Kiln::Color>(3), "[type_error]");
    EXPECT_EQ(ErrorOf<Kiln::Vector2<float>>(json()), "[type_error]");
    // A short array is refused at its first missing element instead of being read past.
    EXPECT_EQ(ErrorOf<Kiln::Vector4<float>>(Parse("[1, 2, 3]")), "[out_of_range]");
    EXPECT_EQ(ErrorOf<Kiln::Color>(json::array()), "[out_of_range]");
    EXPECT_EQ(ErrorOf<Kiln::Vector2<float>>(Parse(R"([1, "2"])")), "[type_error]");

    EXPECT_EQ(Write(Kiln::Vector2<float>(1, 2)), Parse("[1.0, 2.0]"));
    EXPECT_EQ(Write(Kiln::Vector3<float>(1, 2, 3)), Parse("[1.0, 2.0, 3.0]"));
    EXPECT_EQ(Write(Kiln::Vector4<float>(1, 2, 3, 4)), Parse("[1.0, 2.0, 3.0, 4.0]"));
    const json color = Write(Kiln::Color(0.5f, 0.25f, 0.0f, 1.0f));
    EXPECT_EQ(color, Parse("[0.5, 0.25, 0.0, 1.0]"));
    EXPECT_TRUE(color[2].is_number_float());
}

TEST(PropertyEncoding, StringIdInternsTextAndWritesNullAsEmpty)
{
    EXPECT_EQ(Read<Kiln::StringId>("PropertyEncoding/name"), Id("PropertyEncoding/name"));
    EXPECT_TRUE(Read<Kiln::StringId>("").IsNull());
    EXPECT_EQ(ErrorOf<Kiln::StringId>(5), "[type_error]");
    EXPECT_EQ(ErrorOf<Kiln::StringId>(json()), "[type_error]");
    // The string registry keeps 1023 characters; a longer text is refused, not turned into no text.
    EXPECT_EQ(Read<Kiln::StringId>(std::string(1023, 'k')).GetString(), std::string(1023, 'k'));
    EXPECT_EQ(ErrorOf<Kiln::StringId>(std::string(1024, 'k')), "the text is 1024 characters long; at most 1023 are allowed");
    EXPECT_EQ(ErrorOf<ModelValue>(json{{"path", std::string(5000, 'm')}}), "the text is 5000 characters long; at most 1023 are allowed");
    EXPECT_EQ(ErrorOf<SceneValue>(json{{"scene_path", std::string(1024, 's')}}), "the text is 1024 characters long; at most 1023 are allowed");
    EXPECT_EQ(Write(Id("PropertyEncoding/written")), json("PropertyEncoding/written"));
    EXPECT_EQ(Write(Kiln::StringId()), json(""));
}

TEST(PropertyEncoding, PoseIgnoresItsJsonAndWritesNull)
{
    for (const json& input : {json(5), Parse(R"({"a": [1, 2]})"), json("pose"), json()})
    {
        const Property pose = Property::CreateFromJson(TypeOf<Kiln::PoseAndMotion>(), input);
        const auto& value = pose.GetValue<Kiln::PoseAndMotion>();
        EXPECT_EQ(value.myData[0], 0u);
        EXPECT_EQ(value.myData[1], 0u);
        EXPECT_TRUE(WriteProperty(pose).is_null());
    }
}

TEST(PropertyEncoding, SceneAndClipReferencesReadTheirPathKey)
{
    EXPECT_EQ(Read<SceneValue>(Parse(R"({"scene_path": "levels\\L1.ksc"})"))->myScenePath, Id("levels\\L1.ksc"));
    EXPECT_TRUE(Read<SceneValue>(json::object())->myScenePath.IsNull());
    EXPECT_EQ(Read<ClipValue>(Parse(R"({"clip_path": "anim/run.kacl", "other": 1})"))->myClipPath, Id("anim/run.kacl"));
    EXPECT_TRUE(Read<ClipValue>(json::object())->myClipPath.IsNull());

    EXPECT_EQ(ErrorOf<SceneValue>("levels/L1.ksc"), "[type_error]");
    EXPECT_EQ(ErrorOf<ClipValue>(json::array()), "[type_error]");
    EXPECT_EQ(ErrorOf<ClipValue>(Parse(R"({"clip_path": 3})")), "[type_error]");

    const Property scene = Property::CreateFromJson(TypeOf<SceneValue>(), Parse(R"({"scene_path": "s.ksc"})"));
    EXPECT_EQ(WriteProperty(scene), Parse(R"({"scene_path": "s.ksc"})"));
    EXPECT_EQ(WriteProperty(Property(TypeOf<ClipValue>())), Parse(R"({"clip_path": ""})"));

    // Keys are written into the target, keeping what it holds.
    json target = Parse(R"({"keep": true})");
    scene.GetType()->ToJson(scene.GetData(), target);
    EXPECT_EQ(target, Parse(R"({"keep": true, "scene_path": "s.ksc"})"));
}

TEST(PropertyEncoding, ModelReadsItsPathAndUpToFourByFourTextures)
{
    const json input = Parse(R"({
        "path": "models/tree.fbx",
        "textures": [
            ["c0", "n0", "m0", "e0", "x4", "x5"],
            ["c1"],
            [],
            ["c3", "n3"],
            ["c4", "n4", "m4", "e4"]
        ]
    })");
    const ModelValue model = Read<ModelValue>(input);
    EXPECT_EQ(model->myPath, Id("models/tree.fbx"));
    EXPECT_EQ(model->myTextures[0][0], Id("c0"));
    EXPECT_EQ(model->myTextures[0][3], Id("e0"));
    EXPECT_EQ(model->myTextures[1][0], Id("c1"));
    EXPECT_TRUE(model->myTextures[1][1].IsNull());
    EXPECT_TRUE(model->myTextures[2][0].IsNull());
    EXPECT_EQ(model->myTextures[3][1], Id("n3"));
    EXPECT_TRUE(model->myTextures[3][2].IsNull());

    // The fifth mesh array and the fifth and sixth strings leave no trace.
    const json written = Write(model);
    EXPECT_EQ(written["textures"].size(), 4u);
    EXPECT_EQ(written["textures"][0], Parse(R"(["c0", "n0", "m0", "e0"])"));
    EXPECT_EQ(written["textures"][3], Parse(R"(["c3", "n3", "", ""])"));

    const json fallback = Write(Read<ModelValue>(json::object()));
    EXPECT_EQ(fallback["path"], json(""));
    EXPECT_EQ(fallback["textures"], Parse(R"([["","","",""],["","","",""],["","","",""],["","","",""]])"));

    for (const json& other : {json(5), Parse(R"({"textures": [[1]]})"), Parse(R"({"textures": ["c0"]})")})
        EXPECT_EQ(ErrorOf<ModelValue>(other), "[type_error]") << other;
}

TEST(PropertyEncoding, SpriteReadsOnlyObjectsAndLetsTexturesWinOverTexturePath)
{
    const SpriteValue fromText = Read<SpriteValue>("x");
    for (const Kiln::StringId texture : fromText->myTextures)
        EXPECT_TRUE(texture.IsNull());
    EXPECT_EQ(fromText->mySize, Kiln::Vector2<float>(100, 100));
    EXPECT_EQ(fromText->myPivot, Kiln::Vector2<float>(0.5f, 0.5f));

    const SpriteValue both = Read<SpriteValue>(Parse(R"({"texturePath": "old.dds", "textures": ["new.dds", "n.dds"]})"));
    EXPECT_EQ(both->myTextures[0], Id("new.dds"));
    EXPECT_EQ(both->myTextures[1], Id("n.dds"));
    EXPECT_TRUE(both->myTextures[2].IsNull());

    const SpriteValue full = Read<SpriteValue>(Parse(R"({"texturePath": "only.dds", "pivot": [0, 1], "size": [64, 32, 7]})"));
    EXPECT_EQ(full->myTextures[0], Id("only.dds"));
    EXPECT_EQ(full->myPivot, Kiln::Vector2<float>(0, 1));
    EXPECT_EQ(full->mySize, Kiln::Vector2<float>(64, 32));

    EXPECT_EQ(Write(full), Parse(R"({"textures": ["only.dds", "", "", ""], "pivot": [0.0, 1.0], "size": [64.0, 32.0]})"));
    EXPECT_EQ(ErrorOf<SpriteValue>(Parse(R"({"textures": ["a", false]})")), "[type_error]");
    EXPECT_EQ(ErrorOf<SpriteValue>(Parse(R"({"size": [1]})")), "[out_of_range]");
}

TEST(PropertyEncoding, EveryTypeRoundTripsThroughItsWrittenForm)
{
    const json inputs[] = {
        Parse(R"({"path": "m.fbx", "textures": [["a", "b", "c", "d"], ["e"], [], []]})"),
        Parse(R"({"textures": ["t0", "t1", "t2", "t3"], "pivot": [0.25, 0.75], "size": [10, 20]})"),
        Parse(R"({"scene_path": "scenes/menu.ksc"})"),
        Parse(R"({"clip_path": "clips/jump.kacl"})"),
        json(),
        json(true),
        json(-12),
        json(2.5),
        Parse("[1, 2]"),
        Parse("[1, 2, 3]"),
        Parse("[1, 2, 3, 4]"),
        Parse("[0.5, 0.5, 0.5, 1]"),
        json("RoundTrip/text"),
    };
    ASSERT_EQ(Kiln::PropertyTypeBase::GetRegisteredTypeCount(), std::size(inputs));
    for (std::uint32_t index = 0; index < std::size(inputs); ++index)
    {
        const Kiln::PropertyTypeBase* type = Kiln::PropertyTypeBase::GetRegisteredType(index);
        const Property first = Property::CreateFromJson(type, inputs[index]);
        const json written = WriteProperty(first);
        const Property second = Property::CreateFromJson(type, written);
        EXPECT_EQ(WriteProperty(second), written) << type->GetDisplayName();
    }
}

TEST(PropertyEncoding, ReadingOverAPooledValueReleasesTheOldObjectOnly)
{
    Property original = Property::CreateFromJson(TypeOf<SceneValue>(), Parse(R"({"scene_path": "first.ksc"})"));
    EXPECT_EQ(original.GetValue<SceneValue>().GetReferenceCount(), 1u);
    Property copy = original;
    EXPECT_EQ(original.GetValue<SceneValue>().GetReferenceCount(), 2u);

    copy.GetType()->FromJson(copy.GetData(), Parse(R"({"scene_path": "second.ksc"})"));
    EXPECT_EQ(original.GetValue<SceneValue>().GetReferenceCount(), 1u);
    EXPECT_EQ(copy.GetValue<SceneValue>().GetReferenceCount(), 1u);
    EXPECT_EQ(original.GetValue<SceneValue>()->myScenePath, Id("first.ksc"));
    EXPECT_EQ(copy.GetValue<SceneValue>()->myScenePath, Id("second.ksc"));
}
