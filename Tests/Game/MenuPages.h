#pragma once
// Menu pages for the menu and game-manager suites: a game assets folder of the test's own
// (taken by the scene loader for the length of the test) holding the menu object
// definitions, page scene folders and one-colour DDS textures.
#include "Support/UniqueTempFolder.h"

#include "forge/scene/GameAssetsRoot.h"

#include "Platform/image/DdsWriter.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace GameTest
{
    struct Rgb
    {
        uint8_t r = 0, g = 0, b = 0;
    };

    // One page object in the 1600 x 900 reference layout.
    struct PageObject
    {
        std::string name;
        std::string definition;
        float x = 0.0f, y = 0.0f;
        float scaleX = 1.0f, scaleY = 1.0f;
        nlohmann::json properties = nlohmann::json::array();
    };

    inline nlohmann::json SpriteValue(const std::vector<std::string>& someTextures, float aWidth, float aHeight)
    {
        nlohmann::json textures = nlohmann::json::array();
        for (int slot = 0; slot < 4; ++slot)
            textures.push_back(slot < static_cast<int>(someTextures.size()) ? someTextures[static_cast<size_t>(slot)] : "");
        return {{"textures", textures}, {"size", {aWidth, aHeight}}, {"pivot", {0.5f, 0.5f}}};
    }

    inline nlohmann::json Property(const std::string& aName, const std::string& aType, const nlohmann::json& aValue)
    {
        return {{"name", aName}, {"type", aType}, {"value", aValue}};
    }

    class MenuAssets
    {
    public:
        // Buttons 300 x 60, sliders 500 x 20 with a 20 x 40 handle (reference pixels).
        static constexpr float ButtonWidth = 300.0f;
        static constexpr float ButtonHeight = 60.0f;
        static constexpr float BarWidth = 500.0f;

        MenuAssets() : myFolder("menus")
        {
            theRoot = myFolder.GetPath();
            Kiln::impl::gGameAssetsPathSource = [] { return theRoot; };
            WriteDefinitions();
        }
        ~MenuAssets() { Kiln::impl::gGameAssetsPathSource = nullptr; }
        MenuAssets(const MenuAssets&) = delete;
        MenuAssets& operator=(const MenuAssets&) = delete;

        const std::filesystem::path& Root() const { return myFolder.GetPath(); }

        // The absolute path of a 4 x 4 texture of one colour, written on first use.
        std::string Texture(const std::string& aName, Rgb aColour)
        {
            const std::filesystem::path path = Root() / "textures" / (aName + ".dds");
            if (!std::filesystem::exists(path))
            {
                std::filesystem::create_directories(path.parent_path());
                Plat::Image::ImageData image = Plat::Image::MakeImage(Plat::Image::DxgiFormat::R8G8B8A8_Unorm, 4, 4, 1, 1, false);
                for (size_t i = 0; i + 3 < image.bytes.size(); i += 4)
                {
                    image.bytes[i] = aColour.r;
                    image.bytes[i + 1] = aColour.g;
                    image.bytes[i + 2] = aColour.b;
                    image.bytes[i + 3] = 255;
                }
                Plat::Image::WriteDdsFile(path, image, Plat::Image::DdsHeaderKind::Legacy);
            }
            return path.string();
        }

        static PageObject Button(const std::string& aLabel, float aX, float aY, const std::string& aTexture)
        {
            return {aLabel, "Button", aX, aY, 1.0f, 1.0f,
                    nlohmann::json::array({Property("Sprite", "Sprite", SpriteValue({aTexture}, ButtonWidth, ButtonHeight))})};
        }

        static PageObject Picture(const std::string& aDefinition, float aX, float aY, float aWidth, float aHeight,
                                  const std::vector<std::string>& someTextures)
        {
            return {"picture", aDefinition, aX, aY, 1.0f, 1.0f,
                    nlohmann::json::array({Property("Sprite", "Sprite", SpriteValue(someTextures, aWidth, aHeight))})};
        }

        static PageObject Slider(int aSoundType, float aX, float aY, const std::string& aBar, const std::string& aHandle)
        {
            return {"slider", "KOB_Slider", aX, aY, 1.0f, 1.0f,
                    nlohmann::json::array({Property("SoundType", "Int", aSoundType),
                                           Property("Slider", "Sprite", SpriteValue({aBar}, BarWidth, 20.0f)),
                                           Property("Button", "Sprite", SpriteValue({aHandle}, 20.0f, 40.0f))})};
        }

        // Writes "scenes/<aPage>.ksc.leveldata/" with one file per object, replacing any earlier page.
        void WritePage(const std::string& aPage, const std::vector<PageObject>& someObjects)
        {
            const std::filesystem::path folder = Root() / "scenes" / (aPage + ".ksc.leveldata");
            std::filesystem::remove_all(folder);
            std::filesystem::create_directories(folder);
            for (const PageObject& object : someObjects)
            {
                const nlohmann::json document = {{"name", object.name},
                                                 {"object-definition", object.definition},
                                                 {"translation", {object.x, object.y, 0.0f}},
                                                 {"rotation", {0.0f, 0.0f, 0.0f}},
                                                 {"scale", {object.scaleX, object.scaleY, 1.0f}},
                                                 {"properties", object.properties}};
                myFolder.WriteFile(std::filesystem::path("scenes") / (aPage + ".ksc.leveldata") / NextGuid(), document.dump(2));
            }
        }

        // Buttons stacked from the top in the given order, 100 reference pixels apart.
        std::vector<PageObject> ButtonColumn(const std::vector<std::string>& someLabels)
        {
            std::vector<PageObject> objects;
            float y = 750.0f;
            for (const std::string& label : someLabels)
            {
                objects.push_back(Button(label, 800.0f, y, Texture("button", {40, 40, 200})));
                y -= 100.0f;
            }
            return objects;
        }

        // The game's five pages, with the labels the game acts on. The main page has a small
        // background in the top-left corner: red art, and green art for after the ending.
        void WriteGamePages()
        {
            std::vector<PageObject> main = ButtonColumn({"1. Play", "2. Level Select", "3. Options", "4. Credits", "5. Exit"});
            main.push_back(Picture("KOB_Background", 100.0f, 850.0f, 200.0f, 100.0f,
                                   {Texture("art", {220, 0, 0}), Texture("art_after", {0, 220, 0})}));
            WritePage("mainmenu", main);
            WritePage("levelselect", ButtonColumn({"1. Level 1", "2. Level 2", "3. Level 3", "4. Back"}));
            std::vector<PageObject> options = ButtonColumn({"1. Music", "2. SFX", "3. Toggle Fullscreen", "4. Back"});
            options.push_back(Slider(0, 1250.0f, 750.0f, Texture("bar", {90, 90, 90}), Texture("handle", {250, 250, 250})));
            options.push_back(Slider(1, 1250.0f, 650.0f, Texture("bar", {90, 90, 90}), Texture("handle", {250, 250, 250})));
            WritePage("options", options);
            std::vector<PageObject> credits = ButtonColumn({"Back"});
            credits.push_back(Picture("KOB_Decal", 1500.0f, 100.0f, 200.0f, 100.0f, {Texture("credits", {200, 200, 0})}));
            WritePage("credits", credits);
            std::vector<PageObject> pause = ButtonColumn({"1. Resume", "2. Options", "3. Back", "4. Exit"});
            pause.push_back(Picture("KOB_Decal", 1500.0f, 850.0f, 200.0f, 100.0f, {Texture("paused", {200, 0, 200})}));
            WritePage("pausemenu", pause);
        }

    private:
        void WriteDefinitions()
        {
            const auto definition = [](const nlohmann::json& someProperties) {
                nlohmann::json properties = nlohmann::json::array();
                for (const nlohmann::json& property : someProperties)
                {
                    nlohmann::json entry = property;
                    entry["is-dynamic"] = false;
                    entry["is-per-instance"] = true;
                    properties.push_back(entry);
                }
                return nlohmann::json{{"parent-object-definition", ""}, {"properties", properties}}.dump(2);
            };
            const nlohmann::json sprite = Property("Sprite", "Sprite", SpriteValue({}, 100.0f, 100.0f));
            myFolder.WriteFile("objectdefinitions/Button.kob", definition(nlohmann::json::array({sprite})));
            myFolder.WriteFile("objectdefinitions/KOB_Background.kob", definition(nlohmann::json::array({sprite})));
            myFolder.WriteFile("objectdefinitions/KOB_Decal.kob", definition(nlohmann::json::array({sprite})));
            myFolder.WriteFile("objectdefinitions/KOB_Slider.kob",
                               definition(nlohmann::json::array({Property("SoundType", "Int", 0),
                                                               Property("Slider", "Sprite", SpriteValue({}, 100.0f, 10.0f)),
                                                               Property("Button", "Sprite", SpriteValue({}, 10.0f, 10.0f))})));
        }

        std::string NextGuid()
        {
            char text[40];
            std::snprintf(text, sizeof text, "6d656e75-0000-4000-8000-%012d", ++myObjectCount);
            return text;
        }

        KilnTest::UniqueTempFolder myFolder;
        int myObjectCount = 0;
        static inline std::filesystem::path theRoot;
    };
}
