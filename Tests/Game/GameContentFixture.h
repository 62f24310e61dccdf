#pragma once
// Fixtures for the game's content tests: a temp folder that the scene loader and the
// object definitions read as the game assets path, with writers for definitions, scene
// objects and DDS textures; optionally a started engine whose asset lookup (textures,
// models) also searches that folder. Each test leaves the particle registry and the
// animation library as it found them.
#include "AnimationLibrary.h"
#include "ContentError.h"
#include "ParticleRegistry.h"

#include "Support/ScopedEngine.h"
#include "Support/UniqueTempFolder.h"

#include "forge/scene/GameAssetsRoot.h"
#include "forge/settings/Settings.h"

#include "Platform/image/DdsWriter.h"
#include "Platform/runtime/Paths.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace GameTest
{
    using Json = nlohmann::json;

    // A scene object's file name: a bare GUID made from a number.
    inline std::string Guid(int aNumber)
    {
        char text[40];
        std::snprintf(text, sizeof(text), "1a2b3c4d-0000-4000-8000-%012d", aNumber);
        return text;
    }

    // The message of the ContentError anAction throws, or "no error".
    inline std::string ContentErrorOf(const std::function<void()>& anAction)
    {
        try
        {
            anAction();
        }
        catch (const ContentError& error)
        {
            return error.what();
        }
        return "no error";
    }

    // One property entry of a definition file.
    inline Json DefinitionProperty(const std::string& aName, const std::string& aType, const Json& aValue, bool aPerInstance = true)
    {
        return Json{{"name", aName}, {"type", aType}, {"value", aValue}, {"is-dynamic", false}, {"is-per-instance", aPerInstance}};
    }

    // One property entry of a scene object file.
    inline Json ObjectProperty(const std::string& aName, const std::string& aType, const Json& aValue)
    {
        return Json{{"name", aName}, {"type", aType}, {"value", aValue}};
    }

    // One state of a controller scene written by ContentTest::MakeController.
    struct Block
    {
        std::string myName;
        int myId = 0;
        float myFps = 10.0f;
        int myStart = 0;
        int myEnd = 7;
        bool myLoop = true;
        bool myWait = false;
        int mySheet = 0;
    };

    // One sheet of a controller scene.
    struct Sheet
    {
        int myId = 0;
        int myColumns = 4;
        int myRows = 2;
        std::string myTexture = "sprites/sheet.dds";
    };

    class ContentTest : public ::testing::Test
    {
    protected:
        ContentTest() : myAssets("anim")
        {
            theRoot = myAssets.GetPath();
            Kiln::impl::gGameAssetsPathSource = [] { return theRoot; };
        }

        ~ContentTest() override
        {
            ParticleRegistry::GetInstance().Clear();
            if (!myControllers.empty())
                for (const std::string& path : myControllers)
                    AnimationLibrary::GetInstance()->Unload(path);
            Kiln::impl::gGameAssetsPathSource = nullptr;
        }

        const std::filesystem::path& Root() const { return myAssets.GetPath(); }

        void WriteDefinition(const std::string& aName, const std::vector<Json>& someProperties) const
        {
            const Json document{{"parent-object-definition", ""}, {"properties", someProperties}};
            myAssets.WriteFile("definitions/" + aName + ".kob", document.dump(1));
        }

        // Writes one object file into the folder of aScenePath ("a\\b.ksc").
        void WriteObject(const std::string& aScenePath, int aNumber, const std::string& aName, const std::string& aDefinition,
                         const std::vector<Json>& someProperties = {}, const Json& aTranslation = Json::array({0, 0, 0}),
                         const Json& aRotation = Json::array({0, 0, 0}), const Json& aScale = Json::array({1, 1, 1})) const
        {
            const Json document{{"name", aName},           {"object-definition", aDefinition}, {"translation", aTranslation},
                                {"rotation", aRotation},   {"scale", aScale},                  {"properties", someProperties}};
            myAssets.WriteFile(Plat::Runtime::ToPortableSeparators(aScenePath) + ".leveldata/" + Guid(aNumber), document.dump(1));
        }

        // An RGBA8 texture at aRelativePath whose texels come from aTexel(x, y) as 0xAABBGGRR.
        void WriteTexture(const std::string& aRelativePath, uint32_t aWidth, uint32_t aHeight,
                          const std::function<uint32_t(uint32_t, uint32_t)>& aTexel) const
        {
            Plat::Image::ImageData image = Plat::Image::MakeImage(Plat::Image::DxgiFormat::R8G8B8A8_Unorm, aWidth, aHeight, 1, 1, false);
            for (uint32_t y = 0; y < aHeight; ++y)
            {
                for (uint32_t x = 0; x < aWidth; ++x)
                {
                    const uint32_t texel = aTexel(x, y);
                    uint8_t* at = image.bytes.data() + (static_cast<size_t>(y) * aWidth + x) * 4;
                    for (int channel = 0; channel < 4; ++channel)
                        at[channel] = static_cast<uint8_t>(texel >> (8 * channel));
                }
            }
            const std::filesystem::path file = Root() / aRelativePath;
            std::filesystem::create_directories(file.parent_path());
            ASSERT_TRUE(Plat::Image::WriteDdsFile(file, image, Plat::Image::DdsHeaderKind::Dx10));
        }

        // Loads a controller scene into the library; it is unloaded when the test ends.
        void LoadController(const std::string& aPath)
        {
            myControllers.push_back(aPath);
            AnimationLibrary::GetInstance()->LoadController(aPath);
        }

        // The three controller definitions with every key a controller reads.
        void WriteControllerDefinitions() const
        {
            WriteDefinition("KOB_AnimationBlock", {DefinitionProperty("1. ID", "Int", 0), DefinitionProperty("2. FPS", "Float", 0.0),
                                                   DefinitionProperty("3. Start", "Int", 0), DefinitionProperty("4. End", "Int", 0),
                                                   DefinitionProperty("5. Loop", "Bool", false),
                                                   DefinitionProperty("6. Transition", "Bool", false),
                                                   DefinitionProperty("7. Sheet ID", "Int", 0)});
            WriteDefinition("KOB_AnimationPath", {DefinitionProperty("From", "Int", 0), DefinitionProperty("To", "Int", 0)});
            WriteDefinition("KOB_AnimationSheet", {DefinitionProperty("1. SpriteSheet", "Sprite", Json::object()),
                                                   DefinitionProperty("2. Columns", "Int", 1), DefinitionProperty("3. Rows", "Int", 1),
                                                   DefinitionProperty("4. ID", "Int", 0)});
        }

        // Writes the controller scene aPath (blocks, (from, to) paths, sheets) and loads it
        // into the library.
        std::string MakeController(const std::string& aPath, const std::vector<Block>& someBlocks,
                                   const std::vector<std::pair<int, int>>& somePaths, const std::vector<Sheet>& someSheets = {Sheet()})
        {
            int number = 0;
            for (const Block& b : someBlocks)
            {
                WriteObject(aPath, number++, b.myName, "KOB_AnimationBlock",
                            {ObjectProperty("1. ID", "Int", b.myId), ObjectProperty("2. FPS", "Float", b.myFps),
                             ObjectProperty("3. Start", "Int", b.myStart), ObjectProperty("4. End", "Int", b.myEnd),
                             ObjectProperty("5. Loop", "Bool", b.myLoop), ObjectProperty("6. Transition", "Bool", b.myWait),
                             ObjectProperty("7. Sheet ID", "Int", b.mySheet)});
            }
            for (const auto& [from, to] : somePaths)
            {
                WriteObject(aPath, number++, "Path " + std::to_string(from) + " to " + std::to_string(to), "KOB_AnimationPath",
                            {ObjectProperty("From", "Int", from), ObjectProperty("To", "Int", to)});
            }
            for (const Sheet& s : someSheets)
            {
                WriteObject(aPath, number++, "Sheet " + std::to_string(s.myId), "KOB_AnimationSheet",
                            {ObjectProperty("1. SpriteSheet", "Sprite", Json{{"textures", {s.myTexture}}}),
                             ObjectProperty("2. Columns", "Int", s.myColumns), ObjectProperty("3. Rows", "Int", s.myRows),
                             ObjectProperty("4. ID", "Int", s.myId)});
            }
            LoadController(aPath);
            return aPath;
        }

        // The message of the ContentError anAction throws, or "no error".
        static std::string MessageOf(const std::function<void()>& anAction) { return ContentErrorOf(anAction); }

        KilnTest::UniqueTempFolder myAssets;
        std::vector<std::string> myControllers;
        static inline std::filesystem::path theRoot;
    };

    // ContentTest with a started engine of aWidth x aHeight (window and render size) whose
    // game assets root is the test's folder, so textures and models are found there too.
    class EngineContentTest : public ContentTest
    {
    protected:
        void StartEngine(uint32_t aWidth, uint32_t aHeight)
        {
            const std::filesystem::path bin = Plat::Runtime::ExecutableDirectory();
            const std::string settingsName = "anim_" + Root().filename().string() + ".json";
            const std::filesystem::path settingsFile = bin / "settings" / settingsName;
            {
                const Json settings{{"assets_path",
                                     {{"engine", (bin / "assets/engine").string()},
                                      {"game", Root().string()},
                                      {"cooked", (bin / "assets/cooked").string()}}}};
                std::ofstream(settingsFile) << settings.dump();
            }
            myEngine = std::make_unique<KilnTest::ScopedEngine>([&](Kiln::EngineConfiguration& aConfig) {
                Kiln::LoadSettings(settingsName);
                aConfig.myWindowSize = {aWidth, aHeight};
                aConfig.myRenderSize = {aWidth, aHeight};
                aConfig.myBorderless = true;
                aConfig.myDebugFeatures = 0;
            });
            std::filesystem::remove(settingsFile);
            ASSERT_TRUE(myEngine->Started());
            ASSERT_EQ(Kiln::Settings::GameAssetsPath(), Root());
        }

        void SetUp() override { StartEngine(320, 180); }

        void TearDown() override
        {
            // Particles and loaders hold textures of this engine.
            ParticleRegistry::GetInstance().Clear();
            myEngine.reset();
        }

        std::unique_ptr<KilnTest::ScopedEngine> myEngine;
    };
}
