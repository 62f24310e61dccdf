#include "ContentKit/Canvas.h"
#include "ContentKit/ImageFiles.h"
#include "ContentKit/Random.h"
#include "ContentKit/SceneFiles.h"
#include "ContentKit/SpriteSheet.h"

#include "Engine/scene/SceneTestSupport.h"
#include "Support/RunningEngine.h"

#include "forge/graphics/Texture.h"
#include "forge/properties/SceneSprite.h"
#include "forge/scene/ObjectDefinitionManager.h"
#include "forge/scene/SceneSerialize.h"
#include "forge/stringRegistry/StringRegistry.h"
#include "forge/texture/TextureManager.h"

#include "Platform/gpu/Context.h"
#include "Platform/gpu/Device.h"
#include "Platform/guid/Uuid.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace fs = std::filesystem;
using namespace ContentKit;

namespace
{
    float AlphaSum(const Canvas& aCanvas)
    {
        float sum = 0.0f;
        for (int y = 0; y < aCanvas.Height(); ++y)
            for (int x = 0; x < aCanvas.Width(); ++x)
                sum += aCanvas.At(x, y).a;
        return sum;
    }

    std::string ReadFile(const fs::path& aFile)
    {
        std::ifstream in(aFile, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    Kiln::StringId Id(const char* aText)
    {
        return Kiln::StringRegistry::RegisterOrGetString(aText);
    }
}

TEST(ContentKitGuid, IsAValidGuidThatDependsOnlyOnTheName)
{
    const std::string first = StableGuid("levels\\Level1.ksc|Player|0");
    EXPECT_EQ(first, StableGuid("levels\\Level1.ksc|Player|0"));
    Plat::Guid::Uuid parsed;
    EXPECT_TRUE(Plat::Guid::UuidFromString(first, parsed)) << first;
    EXPECT_EQ(first.size(), 36u);
    EXPECT_EQ(first[14], '5');

    std::set<std::string> seen;
    for (int i = 0; i < 5000; ++i)
        seen.insert(StableGuid("object " + std::to_string(i)));
    EXPECT_EQ(seen.size(), 5000u);
    EXPECT_NE(StableGuid("ab"), StableGuid("ba"));
    EXPECT_NE(StableGuid(""), StableGuid(std::string(1, '\0')));
}

TEST(ContentKitCanvas, FilledShapesCoverTheirAreaWithSoftEdges)
{
    Canvas canvas(64, 64);
    canvas.FillCircle({32, 32}, 20, Hex(0xFF8000));
    EXPECT_NEAR(AlphaSum(canvas), Pi * 400.0f, 1.0f);
    EXPECT_FLOAT_EQ(canvas.At(32, 32).a, 1.0f);
    EXPECT_FLOAT_EQ(canvas.At(1, 1).a, 0.0f);
    // A pixel the rim crosses is partly covered.
    const float rim = canvas.At(46, 45).a;
    EXPECT_GT(rim, 0.1f);
    EXPECT_LT(rim, 0.9f);
    EXPECT_NEAR(canvas.At(32, 32).r, 1.0f, 1e-5f);
    EXPECT_NEAR(canvas.At(32, 32).g, 128.0f / 255.0f, 1e-5f);

    Canvas rect(32, 32);
    rect.FillRect(4.5f, 4, 10, 8, Hex(0xFFFFFF));
    EXPECT_NEAR(AlphaSum(rect), 80.0f, 0.01f);
    EXPECT_NEAR(rect.At(4, 6).a, 0.5f, 0.01f);
}

TEST(ContentKitCanvas, StrokesUnionTheirPiecesAndFillRulesDiffer)
{
    // A translucent polyline that doubles back does not get darker where it overlaps.
    Canvas canvas(64, 64);
    canvas.DrawPolyline({{10, 32}, {50, 32}, {10, 33}}, 6, WithAlpha(Hex(0xFFFFFF), 0.5f));
    EXPECT_NEAR(canvas.At(30, 32).a, 0.5f, 0.01f);

    Path rings;
    rings.AddCircle({32, 32}, 20).AddCircle({32, 32}, 10);
    Canvas evenOdd(64, 64), nonZero(64, 64);
    evenOdd.Fill(rings, Hex(0xFFFFFF), FillRule::EvenOdd);
    nonZero.Fill(rings, Hex(0xFFFFFF), FillRule::NonZero);
    EXPECT_FLOAT_EQ(evenOdd.At(32, 32).a, 0.0f);
    EXPECT_FLOAT_EQ(nonZero.At(32, 32).a, 1.0f);
    EXPECT_FLOAT_EQ(evenOdd.At(32, 17).a, 1.0f);
}

TEST(ContentKitCanvas, PaintsBlendsAndOutlines)
{
    Canvas canvas(100, 10);
    canvas.FillRect(0, 0, 100, 10, Paint::Linear({0, 0}, Hex(0x000000), {100, 0}, Hex(0xFFFFFF)));
    EXPECT_LT(canvas.At(5, 5).r, 0.1f);
    EXPECT_NEAR(canvas.At(50, 5).r, 0.5f, 0.02f);
    EXPECT_GT(canvas.At(95, 5).r, 0.9f);

    // Half-transparent red over opaque blue.
    Canvas over(4, 4, Hex(0x0000FF));
    over.FillRect(0, 0, 4, 4, WithAlpha(Hex(0xFF0000), 0.5f));
    EXPECT_NEAR(over.At(1, 1).r, 0.5f, 1e-4f);
    EXPECT_NEAR(over.At(1, 1).b, 0.5f, 1e-4f);
    EXPECT_FLOAT_EQ(over.At(1, 1).a, 1.0f);
    over.SetBlend(Blend::Erase);
    over.FillRect(0, 0, 2, 4, Hex(0));
    EXPECT_FLOAT_EQ(over.At(0, 0).a, 0.0f);
    EXPECT_FLOAT_EQ(over.At(3, 0).a, 1.0f);

    const Paint tones = Paint::Tones({50, 50}, 40, {0, -1}, Hex(0x000010), Hex(0x000080), Hex(0x0000FF));
    EXPECT_NEAR(tones.At({50, 15}).b, 1.0f, 1e-4f);       // facing the light
    EXPECT_NEAR(tones.At({50, 50}).b, 128.0f / 255.0f, 1e-4f);
    EXPECT_NEAR(tones.At({50, 85}).b, 16.0f / 255.0f, 1e-4f);

    Canvas dot(32, 32);
    dot.FillCircle({16, 16}, 6, Hex(0xFFFFFF));
    const Canvas outlined = dot.Outlined(3, Hex(0x101020));
    EXPECT_FLOAT_EQ(dot.At(16, 8).a, 0.0f);
    EXPECT_NEAR(outlined.At(16, 9).a, 1.0f, 0.01f);
    EXPECT_NEAR(outlined.At(16, 9).r, float(0x10) / 255.0f, 1e-4f);
    EXPECT_NEAR(outlined.At(16, 16).r, 1.0f, 1e-4f);
    EXPECT_FLOAT_EQ(outlined.At(16, 2).a, 0.0f);

    Canvas blurred = dot;
    blurred.Blur(4);
    EXPECT_NEAR(AlphaSum(blurred), AlphaSum(dot), 1.0f);
    EXPECT_GT(blurred.At(16, 8).a, 0.0f);
    EXPECT_LT(blurred.At(16, 16).a, 1.0f);
}

TEST(ContentKitCanvas, TextDrawsReadableGlyphsWithTheEngineFace)
{
    const Font font(DefaultFontPath());
    ASSERT_TRUE(font.IsValid()) << DefaultFontPath();
    EXPECT_FALSE(Font("/no/such/font.ttf").IsValid());
    const float width = font.Measure("Moth", 32);
    EXPECT_GT(width, 40.0f);
    EXPECT_LT(width, 120.0f);
    EXPECT_GT(font.Measure("MMMM", 32), font.Measure("iiii", 32));

    Canvas canvas(160, 48);
    const float advance = canvas.DrawText(font, "Moth", {10, 36}, 32, Hex(0xFFFFFF));
    EXPECT_NEAR(advance, width, 0.5f);
    float inked = 0.0f, left = 1e9f, right = 0.0f, top = 1e9f;
    for (int y = 0; y < canvas.Height(); ++y)
    {
        for (int x = 0; x < canvas.Width(); ++x)
        {
            if (canvas.At(x, y).a > 0.5f)
            {
                inked += 1.0f;
                left = std::min(left, float(x));
                right = std::max(right, float(x));
                top = std::min(top, float(y));
            }
        }
    }
    EXPECT_GT(inked, 150.0f);
    EXPECT_GE(left, 10.0f);
    EXPECT_LE(right, 10.0f + width);
    EXPECT_GE(top, 36.0f - font.Ascent(32) - 1.0f);
    // Bytes that are not UTF-8 draw a replacement, never past the buffer.
    Canvas bad(64, 32);
    bad.DrawText(font, std::string("\xC3", 1), {2, 24}, 20, Hex(0xFFFFFF));
    bad.DrawText(font, std::string("\xE2\x82", 2), {2, 24}, 20, Hex(0xFFFFFF));
}

TEST(ContentKitSheet, CellsAreNumberedRowByRowFromTheTopLeft)
{
    SpriteSheet sheet(4, 2, 16, 8);
    EXPECT_EQ(sheet.Image().Width(), 64);
    EXPECT_EQ(sheet.Image().Height(), 16);
    EXPECT_EQ(sheet.Cells(), 8);
    Canvas cell = sheet.NewCell();
    cell.Clear(Hex(0xFF0000));
    sheet.Place(5, cell);
    sheet.Place(8, cell);   // outside the grid: ignored
    EXPECT_FLOAT_EQ(sheet.CellOrigin(5).x, 16.0f);
    EXPECT_FLOAT_EQ(sheet.CellOrigin(5).y, 8.0f);
    EXPECT_FLOAT_EQ(sheet.Image().At(16, 8).a, 1.0f);
    EXPECT_FLOAT_EQ(sheet.Image().At(31, 15).a, 1.0f);
    EXPECT_FLOAT_EQ(sheet.Image().At(15, 8).a, 0.0f);
    EXPECT_FLOAT_EQ(sheet.Image().At(32, 8).a, 0.0f);
}

TEST(ContentKitRandom, SeedsRepeatAndNoiseStaysInRange)
{
    Rng a(42), b(42), c(43);
    bool differs = false;
    for (int i = 0; i < 100; ++i)
    {
        const float va = a.Next();
        EXPECT_EQ(va, b.Next());
        differs |= va != c.Next();
        EXPECT_GE(va, 0.0f);
        EXPECT_LT(va, 1.0f);
    }
    EXPECT_TRUE(differs);
    Rng ints(7);
    std::set<int> values;
    for (int i = 0; i < 200; ++i)
        values.insert(ints.Int(-2, 2));
    EXPECT_EQ(values, (std::set<int>{-2, -1, 0, 1, 2}));
    for (float x = -3.0f; x < 3.0f; x += 0.37f)
    {
        const float n = Fbm(x, x * 0.5f, 4, 9);
        EXPECT_GE(n, 0.0f);
        EXPECT_LE(n, 1.0f);
        EXPECT_NEAR(TileableNoise(x, 1.3f, 4, 5), TileableNoise(x + 4.0f, 1.3f + 8.0f, 4, 5), 1e-5f);
    }
}

class ContentKitFiles : public RunningEngineTest
{
};

TEST_F(ContentKitFiles, DdsRoundTripsThroughTheEngineTextureManager)
{
    Canvas art(64, 32);
    art.FillRect(0, 0, 32, 32, Hex(0xC04020));
    art.FillRect(32, 0, 32, 16, WithAlpha(Hex(0x2040A0), 0.5f));
    const std::string path = TempPath("art.dds");
    ASSERT_TRUE(WriteDds(path, art));
    // Unchanged content is not rewritten.
    const auto stamp = fs::last_write_time(path);
    ASSERT_TRUE(WriteDds(path, art));
    EXPECT_EQ(fs::last_write_time(path), stamp);

    Kiln::TextureManager manager;
    manager.Init();
    Kiln::TextureResource* texture = manager.GetTexture(path.c_str(), Kiln::TextureSrgbMode::ForceSrgb);
    ASSERT_NE(texture, nullptr);
    ASSERT_NE(texture->GetShaderResourceView().get(), manager.GetErrorView());
    const Kiln::Vector2<float> size = Kiln::TextureManager::GetTextureSize(texture->GetShaderResourceView().get(), false);
    EXPECT_EQ(size.x, 64.0f);
    EXPECT_EQ(size.y, 32.0f);
    auto* gpuTexture = static_cast<Plat::Gpu::Texture2D*>(texture->GetShaderResourceView()->GetResource().get());
    std::vector<uint8_t> level0;
    ASSERT_TRUE(Kiln::DX11::Context->ReadSubresource(gpuTexture, 0, level0));
    ASSERT_EQ(level0.size(), 64u * 32u * 4u);
    const auto texel = [&](int x, int y) { return &level0[size_t(y * 64 + x) * 4]; };
    EXPECT_EQ(texel(5, 5)[0], 0xC0);
    EXPECT_EQ(texel(5, 5)[1], 0x40);
    EXPECT_EQ(texel(5, 5)[3], 255);
    EXPECT_EQ(texel(40, 4)[2], 0xA0);
    EXPECT_EQ(texel(40, 4)[3], 128);
    // Transparent texels carry their neighbours' colour, so filtering shows no dark fringe.
    EXPECT_EQ(texel(40, 20)[3], 0);
    EXPECT_GT(texel(40, 20)[2], 0x40);
    // The mip chain goes down to 1 x 1.
    std::vector<uint8_t> smallest;
    EXPECT_TRUE(Kiln::DX11::Context->ReadSubresource(gpuTexture, 6, smallest));
    EXPECT_EQ(smallest.size(), 4u);
}

TEST_F(ContentKitFiles, PngPreviewsDecodeToTheCanvas)
{
    Canvas art(8, 4, Hex(0x102030, 0.75f));
    const std::string path = TempPath("preview.png");
    ASSERT_TRUE(WritePng(path, art));
    const std::string bytes = ReadFile(path);
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
}

using ContentKitScenes = KilnTest::GameAssetsFolder;

TEST_F(ContentKitScenes, SceneFoldersAreReadBackByTheEngine)
{
    SceneFolder scene("animations\\controllers\\Level 1\\Grass\\A_Test.ksc");
    SceneObjectDesc sheet;
    sheet.name = "Sheet";
    sheet.definition = "KOB_AnimationSheet";
    sheet.translation = {1, 2, 3};
    sheet.rotation = {0, 0, 180};
    sheet.scale = {2, 2, 1};
    sheet.properties = {SpriteProperty("1. SpriteSheet", Value::Sprite("sprites/a.dds", 150, 120, 0.5, 1.0)),
                        IntProperty("2. Columns", 8), BoolProperty("Loop", true), FloatProperty("2. FPS", 12.5),
                        Float2Property("range", -1, 1), ColorProperty("tint", 1, 0.5, 0.25, 1),
                        StringIdProperty("Animation", "animations\\controllers\\A_Player.ksc")};
    scene.Add(sheet);
    scene.Add(sheet);   // the same name twice: two objects, two GUIDs
    std::string error;
    ASSERT_TRUE(scene.Write(Root(), &error)) << error;
    EXPECT_NE(scene.GuidOf(0), scene.GuidOf(1));

    const fs::path folder = Root() / "animations/controllers/Level 1/Grass/A_Test.ksc.leveldata";
    ASSERT_TRUE(fs::is_directory(folder));
    // A stale object file of an earlier run is removed; other files stay.
    Write("animations/controllers/Level 1/Grass/A_Test.ksc.leveldata/00000000-0000-0000-0000-000000000000", "{}");
    Write("animations/controllers/Level 1/Grass/A_Test.ksc.leveldata/notes.txt", "keep");
    ASSERT_TRUE(scene.Write(Root(), &error)) << error;
    EXPECT_FALSE(fs::exists(folder / "00000000-0000-0000-0000-000000000000"));
    EXPECT_TRUE(fs::exists(folder / "notes.txt"));
    EXPECT_TRUE(fs::exists(folder / scene.GuidOf(0)));

    Kiln::Scene loaded;
    ASSERT_TRUE(Kiln::LoadScene("animations\\controllers\\Level 1\\Grass\\A_Test.ksc", loaded));
    ASSERT_EQ(loaded.myObjects.size(), 2u);
    const Kiln::SceneObject& object = *loaded.myObjects.begin()->second;
    EXPECT_EQ(object.myName, "Sheet");
    EXPECT_EQ(object.myObjectDefinition, Id("KOB_AnimationSheet"));
    EXPECT_FLOAT_EQ(object.myTransform.myTranslation.y, 2.0f);
    EXPECT_FLOAT_EQ(object.myTransform.myRotation.z, 180.0f);
    EXPECT_FLOAT_EQ(object.myTransform.myScale.x, 2.0f);
    ASSERT_EQ(object.myProperties.size(), 7u);
    const auto& sprite = object.myProperties[0].myValue.GetValue<Kiln::CopyOnWriteWrapper<Kiln::SceneSprite>>().Get();
    EXPECT_STREQ(sprite.myTextures[0].GetString(), "sprites/a.dds");
    EXPECT_TRUE(sprite.myTextures[1].IsNull() || std::string(sprite.myTextures[1].GetString()).empty());
    EXPECT_FLOAT_EQ(sprite.mySize.x, 150.0f);
    EXPECT_FLOAT_EQ(sprite.myPivot.y, 1.0f);
    EXPECT_EQ(object.myProperties[1].myValue.GetValue<std::int32_t>(), 8);
    EXPECT_TRUE(object.myProperties[2].myValue.GetValue<bool>());
    EXPECT_FLOAT_EQ(object.myProperties[3].myValue.GetValue<float>(), 12.5f);
    EXPECT_FLOAT_EQ(object.myProperties[4].myValue.GetValue<Kiln::Vector2<float>>().x, -1.0f);
    EXPECT_FLOAT_EQ(object.myProperties[5].myValue.GetValue<Kiln::Color>().g, 0.5f);
    EXPECT_STREQ(object.myProperties[6].myValue.GetValue<Kiln::StringId>().GetString(), "animations\\controllers\\A_Player.ksc");
}

TEST_F(ContentKitScenes, ObjectDefinitionsAreReadBackByTheEngine)
{
    ObjectDefinitionDesc definition;
    definition.name = "KOB_KitTest";
    definition.properties = {
        {"Speed", Type::Float, Value::Float(3.5), false, false, "Motion", "units per second"},
        {"Look", Type::Sprite, Value::Sprite("sprites/x.dds"), true, false, {}, {}},
        {"Door", Type::Model, Value::Model("models/door.fbx", "tex/door_c.dds"), false, false, {}, {}},
    };
    std::string error;
    ASSERT_TRUE(WriteObjectDefinition(Root() / "objectdefinitions", definition, &error)) << error;

    Kiln::ObjectDefinitionManager manager;
    manager.LoadDefinitions(Root().string().c_str());
    const Kiln::ObjectDefinition* loaded = manager.GetObjectDefinition(Id("KOB_KitTest"));
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(loaded->myParentObjectDefinition.IsNull() || std::string(loaded->myParentObjectDefinition.GetString()).empty());
    ASSERT_EQ(loaded->myProperties.size(), 3u);
    EXPECT_EQ(loaded->myProperties[0].myGroup, Id("Motion"));
    EXPECT_EQ(loaded->myProperties[0].myFlags, 0u);
    EXPECT_FLOAT_EQ(loaded->myProperties[0].myValue.GetValue<float>(), 3.5f);
    EXPECT_EQ(loaded->myProperties[1].myFlags, 2u);
    const auto& model = loaded->myProperties[2].myValue.GetValue<Kiln::CopyOnWriteWrapper<Kiln::SceneModel>>().Get();
    EXPECT_STREQ(model.myPath.GetString(), "models/door.fbx");
    EXPECT_STREQ(model.myTextures[0][0].GetString(), "tex/door_c.dds");
    EXPECT_TRUE(model.myTextures[1][0].IsNull());

    const std::vector<std::string> textures =
        TexturePathsOf(ModelProperty("m", Value::Model("models/door.fbx", "tex/door_c.dds")));
    EXPECT_EQ(textures, std::vector<std::string>{"tex/door_c.dds"});
    EXPECT_EQ(TexturePathsOf(SpriteProperty("s", Value::Sprite("a.dds", 1, 1, 0.5, 0.5, "b.dds"))),
              (std::vector<std::string>{"a.dds", "b.dds"}));
}
