#include "EndToEnd/MenuPage.h"

#include "Platform/runtime/Paths.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace KilnE2E
{
    namespace
    {
        using Json = nlohmann::json;

        constexpr float ReferenceWidth = 1600.0f;
        constexpr float ReferenceHeight = 900.0f;
        constexpr const char* CursorTexture = "sprites/UI/Text/S_UI_MenuCursor.dds";
        constexpr float CursorScale = 0.2f;
        // Filtering and the labels drawn over the buttons leave part of a picture off.
        constexpr float ColourTolerance = 40.0f;
        constexpr float ButtonShown = 0.5f;
        constexpr float CursorShown = 0.5f;
        constexpr float CursorAbsent = 0.2f;
        // The cursor's light wings, not its dark outline, tell it from the page below.
        constexpr float CursorLuma = 100.0f;

        bool ReadJson(const std::filesystem::path& aPath, Json& anOut)
        {
            std::ifstream file(aPath);
            anOut = Json::parse(file, nullptr, false);
            return !anOut.is_discarded() && anOut.is_object();
        }

        // The value of the object's "Sprite" property, or null.
        const Json* FindSprite(const Json& anObject)
        {
            const auto properties = anObject.find("properties");
            if (properties == anObject.end() || !properties->is_array())
                return nullptr;
            for (const Json& property : *properties)
            {
                if (property.is_object() && property.value("name", "") == "Sprite" && property.contains("value") && property["value"].is_object())
                    return &property["value"];
            }
            return nullptr;
        }

        float Component(const Json& anObject, const char* aKey, size_t anIndex, float aDefault)
        {
            const auto array = anObject.find(aKey);
            if (array == anObject.end() || !array->is_array() || array->size() <= anIndex || !(*array)[anIndex].is_number())
                return aDefault;
            return (*array)[anIndex].get<float>();
        }
    }

    MenuPage MenuPage::Read(const std::filesystem::path& aGameAssets, const std::string& aPage, int aScreenWidth, int aScreenHeight)
    {
        MenuPage page;
        page.myName = aPage;
        const std::filesystem::path folder = aGameAssets / "scenes" / (aPage + ".ksc.leveldata");
        std::error_code error;
        if (!std::filesystem::is_directory(folder, error))
        {
            page.myError = folder.string() + " is not there";
            return page;
        }
        // A button without its own sprite takes the definition's.
        Json definition;
        const Json* defaultSprite = ReadJson(aGameAssets / "objectdefinitions" / "Button.kob", definition) ? FindSprite(definition) : nullptr;

        const float width = static_cast<float>(aScreenWidth);
        const float height = static_cast<float>(aScreenHeight);
        for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(folder))
        {
            Json object;
            if (!entry.is_regular_file() || !ReadJson(entry.path(), object) || object.value("object-definition", "") != "Button")
                continue;
            const Json* sprite = FindSprite(object);
            if (!sprite)
                sprite = defaultSprite;
            if (!sprite)
            {
                page.myError = entry.path().string() + ": a button without a sprite";
                return page;
            }
            const float x = Component(object, "translation", 0, 0.0f) / ReferenceWidth * width;
            const float y = Component(object, "translation", 1, 0.0f) / ReferenceHeight * height;
            const float w = Component(*sprite, "size", 0, 0.0f) * Component(object, "scale", 0, 1.0f) / ReferenceWidth * width;
            const float h = Component(*sprite, "size", 1, 0.0f) * Component(object, "scale", 1, 1.0f) / ReferenceHeight * height;

            MenuButtonLayout button;
            button.label = object.value("name", "");
            // The page's y runs up from the bottom; the screen's rows run down from the top.
            button.bounds = {static_cast<int>(std::lround(x - w * 0.5f)), static_cast<int>(std::lround(height - y - h * 0.5f)),
                             static_cast<int>(std::lround(w)), static_cast<int>(std::lround(h))};
            const auto textures = sprite->find("textures");
            const std::string texture =
                textures != sprite->end() && textures->is_array() && !textures->empty() && (*textures)[0].is_string() ? (*textures)[0].get<std::string>() : "";
            button.picture = std::make_shared<Picture>();
            if (texture.empty() || !button.picture->Load(aGameAssets / Plat::Runtime::ToPortableSeparators(texture)))
            {
                page.myError = entry.path().string() + ": the button picture \"" + texture + "\" cannot be read";
                return page;
            }
            page.myButtons.push_back(std::move(button));
        }
        // The game orders buttons by label, byte-wise.
        std::sort(page.myButtons.begin(), page.myButtons.end(), [](const auto& a, const auto& b) { return a.label < b.label; });
        if (page.myButtons.empty())
            page.myError = folder.string() + " has no buttons";
        else if (!page.myCursor.Load(aGameAssets / CursorTexture))
            page.myError = std::string("the cursor picture ") + CursorTexture + " cannot be read";
        return page;
    }

    int MenuPage::Find(const std::string& aLabel) const
    {
        for (size_t i = 0; i < myButtons.size(); ++i)
        {
            if (myButtons[i].label == aLabel)
                return static_cast<int>(i);
        }
        return -1;
    }

    Rect MenuPage::CursorArea(int anIndex) const
    {
        if (anIndex < 0 || anIndex >= static_cast<int>(myButtons.size()))
            return {};
        const Rect& button = myButtons[static_cast<size_t>(anIndex)].bounds;
        const int w = static_cast<int>(std::lround(myCursor.GetWidth() * CursorScale));
        const int h = static_cast<int>(std::lround(myCursor.GetHeight() * CursorScale));
        const int anchorX = button.x - 20;
        const int anchorY = button.y + button.height / 2;
        return {anchorX - w / 2, anchorY - h / 2, w, h};
    }

    MenuMatch MatchMenu(const Screenshot& aShot, const MenuPage& aPage)
    {
        MenuMatch match;
        for (size_t i = 0; i < aPage.GetButtons().size(); ++i)
        {
            const MenuButtonLayout& button = aPage.GetButtons()[i];
            match.buttons.push_back(button.picture->MatchShare(aShot, button.bounds, ColourTolerance));
            match.cursor.push_back(aPage.GetCursor().MatchShare(aShot, aPage.CursorArea(static_cast<int>(i)), ColourTolerance, CursorLuma));
        }
        return match;
    }

    std::string MenuMatch::Describe(const MenuPage& aPage) const
    {
        std::string text = "page " + aPage.GetName() + ":";
        for (size_t i = 0; i < buttons.size() && i < aPage.GetButtons().size(); ++i)
        {
            char line[160];
            std::snprintf(line, sizeof(line), "\n  \"%s\": button picture %.0f%% in place, cursor picture %.0f%%", aPage.GetButtons()[i].label.c_str(),
                          buttons[i] * 100.0f, cursor[i] * 100.0f);
            text += line;
        }
        return text;
    }

    bool ShowsMenu(const Screenshot& aShot, const MenuPage& aPage, int aSelected)
    {
        const MenuMatch match = MatchMenu(aShot, aPage);
        if (match.buttons.empty() || aSelected < 0 || aSelected >= static_cast<int>(match.buttons.size()))
            return false;
        for (size_t i = 0; i < match.buttons.size(); ++i)
        {
            if (match.buttons[i] < ButtonShown)
                return false;
            const bool selected = static_cast<int>(i) == aSelected;
            if (selected ? match.cursor[i] < CursorShown : match.cursor[i] > CursorAbsent)
                return false;
        }
        return true;
    }
}
