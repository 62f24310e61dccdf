#include "EndToEnd/MenuPage.h"

#include "Platform/image/DdsReader.h"
#include "Platform/runtime/Paths.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>

namespace KilnE2E
{
    namespace
    {
        using Json = nlohmann::json;

        constexpr float ReferenceWidth = 1600.0f;
        constexpr float ReferenceHeight = 900.0f;
        constexpr const char* CursorTexture = "sprites/UI/Text/S_UI_MenuCursor.dds";

        bool ReadJson(const std::filesystem::path& aPath, Json& anOut)
        {
            std::ifstream file(aPath);
            anOut = Json::parse(file, nullptr, false);
            return !anOut.is_discarded() && anOut.is_object();
        }

        // The "Sprite" property of an object, else the default its definition gives.
        const Json* FindSprite(const Json& someProperties)
        {
            if (!someProperties.is_array())
                return nullptr;
            for (const Json& property : someProperties)
            {
                if (property.is_object() && property.value("name", "") == "Sprite" && property.contains("value"))
                    return &property["value"];
            }
            return nullptr;
        }

        float Component(const Json& anArray, size_t anIndex, float aDefault)
        {
            return anArray.is_array() && anArray.size() > anIndex && anArray[anIndex].is_number() ? anArray[anIndex].get<float>() : aDefault;
        }
    }

    bool DominantColour(const std::filesystem::path& aDdsFile, Rgb& anOut, int* aWidth, int* aHeight)
    {
        Plat::Image::ImageData image;
        if (!Plat::Image::ReadDdsFile(Plat::Runtime::ResolveCase(aDdsFile), Plat::Image::LoadDefault, image) || image.subresources.empty())
            return false;
        const bool rgba = image.format == Plat::Image::DxgiFormat::R8G8B8A8_Unorm || image.format == Plat::Image::DxgiFormat::R8G8B8A8_Unorm_Srgb;
        const bool bgra = image.format == Plat::Image::DxgiFormat::B8G8R8A8_Unorm || image.format == Plat::Image::DxgiFormat::B8G8R8A8_Unorm_Srgb;
        if (!rgba && !bgra)
            return false;
        const Plat::Image::Subresource& top = image.subresources[0];
        struct Bin
        {
            size_t count = 0;
            double r = 0.0, g = 0.0, b = 0.0;
        };
        std::map<int, Bin> bins;
        for (uint32_t y = 0; y < top.height; ++y)
        {
            const uint8_t* row = image.Data(top) + static_cast<size_t>(y) * top.rowPitch;
            for (uint32_t x = 0; x < top.width; ++x)
            {
                const uint8_t* p = row + x * 4u;
                if (p[3] < 128)
                    continue;
                const int r = rgba ? p[0] : p[2], g = p[1], b = rgba ? p[2] : p[0];
                Bin& bin = bins[(r / 16) * 256 + (g / 16) * 16 + b / 16];
                ++bin.count;
                bin.r += r;
                bin.g += g;
                bin.b += b;
            }
        }
        if (bins.empty())
            return false;
        const auto best = std::max_element(bins.begin(), bins.end(), [](const auto& a, const auto& b) { return a.second.count < b.second.count; });
        const double n = static_cast<double>(best->second.count);
        anOut = {static_cast<float>(best->second.r / n), static_cast<float>(best->second.g / n), static_cast<float>(best->second.b / n)};
        if (aWidth)
            *aWidth = static_cast<int>(top.width);
        if (aHeight)
            *aHeight = static_cast<int>(top.height);
        return true;
    }

    MenuPage MenuPage::Read(const std::filesystem::path& aGameAssets, const std::string& aPage, int aScreenWidth, int aScreenHeight)
    {
        MenuPage page;
        const std::filesystem::path folder = aGameAssets / "scenes" / (aPage + ".ksc.leveldata");
        std::error_code error;
        if (!std::filesystem::is_directory(folder, error))
        {
            page.myError = folder.string() + " is not there";
            return page;
        }
        Json definition;
        const Json* defaultSprite = nullptr;
        if (ReadJson(aGameAssets / "objectdefinitions" / "Button.kob", definition))
            defaultSprite = FindSprite(definition["properties"]);

        const float width = static_cast<float>(aScreenWidth);
        const float height = static_cast<float>(aScreenHeight);
        for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(folder))
        {
            Json object;
            if (!entry.is_regular_file() || !ReadJson(entry.path(), object) || object.value("object-definition", "") != "Button")
                continue;
            const Json* sprite = object.contains("properties") ? FindSprite(object["properties"]) : nullptr;
            if (!sprite)
                sprite = defaultSprite;
            if (!sprite || !sprite->is_object())
            {
                page.myError = entry.path().string() + ": a button without a sprite";
                return page;
            }
            const Json& translation = object["translation"];
            const Json& scale = object["scale"];
            const float x = Component(translation, 0, 0.0f) / ReferenceWidth * width;
            const float y = Component(translation, 1, 0.0f) / ReferenceHeight * height;
            const float w = Component((*sprite)["size"], 0, 0.0f) * Component(scale, 0, 1.0f) / ReferenceWidth * width;
            const float h = Component((*sprite)["size"], 1, 0.0f) * Component(scale, 1, 1.0f) / ReferenceHeight * height;

            MenuButtonLayout button;
            button.label = object.value("name", "");
            // The game's y runs up from the bottom; the screen's rows run down from the top.
            button.bounds = {static_cast<int>(std::lround(x - w * 0.5f)), static_cast<int>(std::lround(height - y - h * 0.5f)),
                             static_cast<int>(std::lround(w)), static_cast<int>(std::lround(h))};
            const Json& textures = (*sprite)["textures"];
            const std::string texture = textures.is_array() && !textures.empty() && textures[0].is_string() ? textures[0].get<std::string>() : "";
            if (texture.empty() || !DominantColour(aGameAssets / Plat::Runtime::ToPortableSeparators(texture), button.colour))
            {
                page.myError = entry.path().string() + ": the button picture \"" + texture + "\" cannot be read";
                return page;
            }
            page.myButtons.push_back(button);
        }
        // The game orders buttons by label, byte-wise.
        std::sort(page.myButtons.begin(), page.myButtons.end(), [](const auto& a, const auto& b) { return a.label < b.label; });
        if (page.myButtons.empty())
            page.myError = folder.string() + " has no buttons";
        else if (!DominantColour(aGameAssets / CursorTexture, page.myCursorColour, &page.myCursorWidth, &page.myCursorHeight))
            page.myError = std::string("the cursor picture ") + CursorTexture + " cannot be read";
        return page;
    }

    int MenuPage::Find(const std::string& aLabel) const
    {
        for (size_t i = 0; i < myButtons.size(); ++i)
            if (myButtons[i].label == aLabel)
                return static_cast<int>(i);
        return -1;
    }

    Rect MenuPage::CursorArea(int anIndex) const
    {
        if (anIndex < 0 || anIndex >= static_cast<int>(myButtons.size()))
            return {};
        const Rect& button = myButtons[static_cast<size_t>(anIndex)].bounds;
        // Drawn at 0.2 of the picture's pixel size, centred on the anchor.
        const int w = static_cast<int>(std::lround(myCursorWidth * 0.2f));
        const int h = static_cast<int>(std::lround(myCursorHeight * 0.2f));
        const int anchorX = button.x - 20;
        const int anchorY = button.y + button.height / 2;
        return {anchorX - w / 2, anchorY - h / 2, w, h};
    }
}
