// Previews for whoever works on the art: each page composited at 1600 x 900 the way the game
// draws it (buttons with their labels, then backgrounds, decals, sliders and the cursor,
// with each object's values merged from its definition as the scene loader does), the
// splash screen, each level's background under the layering shader, and a tutorial card
// with its prompt over a level.
#include "LevelArt.h"
#include "MenuLayout.h"
#include "UiPaths.h"

#include "ContentKit/ImageFiles.h"

#include "Platform/image/DdsReader.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>

namespace UiContent
{
    namespace fs = std::filesystem;

    namespace
    {
        constexpr float ScreenWidth = 1600.0f;
        constexpr float ScreenHeight = 900.0f;

        class Textures
        {
        public:
            Textures(const Art& anArt, fs::path aRoot) : myArt(anArt), myRoot(std::move(aRoot)) {}

            // The canvas drawn this run, or the file under the game root (another generator's).
            const Canvas* Get(const std::string& aPath)
            {
                if (const Canvas* drawn = myArt.Find(aPath))
                    return drawn;
                std::string portable = aPath;
                std::replace(portable.begin(), portable.end(), '\\', '/');
                auto [it, added] = myLoaded.try_emplace(portable);
                if (added)
                {
                    Plat::Image::ImageData image;
                    if (Plat::Image::ReadDdsFile(myRoot / portable, 0, image) && !image.subresources.empty() &&
                        (image.format == Plat::Image::DxgiFormat::R8G8B8A8_Unorm || image.format == Plat::Image::DxgiFormat::R8G8B8A8_Unorm_Srgb))
                        it->second = Canvas::FromRgba8(int(image.width), int(image.height), image.Data(image.subresources.front()));
                    else
                        std::fprintf(stderr, "MakeUiContent preview: %s not found\n", portable.c_str());
                }
                return it->second.Empty() ? nullptr : &it->second;
            }

            const fs::path& Root() const { return myRoot; }

        private:
            const Art& myArt;
            fs::path myRoot;
            std::map<std::string, Canvas> myLoaded;
        };

        struct Sprite
        {
            std::string texture;
            float width = 100.0f, height = 100.0f;
        };

        Sprite FromJson(const nlohmann::json& aValue)
        {
            Sprite sprite;
            if (aValue.contains("textures") && aValue["textures"].is_array() && !aValue["textures"].empty())
                sprite.texture = aValue["textures"][0].get<std::string>();
            if (aValue.contains("size") && aValue["size"].is_array() && aValue["size"].size() == 2)
            {
                sprite.width = aValue["size"][0].get<float>();
                sprite.height = aValue["size"][1].get<float>();
            }
            return sprite;
        }

        // The sprite an object ends up with under aKey: its own value where the definition lets
        // instances choose, the definition's otherwise.
        Sprite Merged(const fs::path& aRoot, const std::string& aDefinition, const std::string& aKey, const nlohmann::json& anOwnValue)
        {
            std::ifstream file(aRoot / "objectdefinitions" / (aDefinition + ".kob"));
            const nlohmann::json definition = nlohmann::json::parse(file, nullptr, false);
            if (definition.is_object() && definition.contains("properties"))
            {
                for (const auto& property : definition["properties"])
                {
                    if (property.value("name", "") == aKey)
                        return FromJson(property.value("is-per-instance", false) ? anOwnValue : property["value"]);
                }
            }
            return FromJson(anOwnValue);
        }

        // Draws a centred sprite given in y-up reference coordinates.
        void Draw(Canvas& aScreen, const Canvas* aTexture, float x, float y, float aWidth, float aHeight)
        {
            if (aTexture)
                aScreen.BlitScaled(*aTexture, x - aWidth * 0.5f, ScreenHeight - y - aHeight * 0.5f, aWidth, aHeight);
        }

        // A label as the engine lays it out: starting at the position, baseline on it, every
        // space a quarter of an "x" wider.
        void Label(Canvas& aScreen, const Font& aFont, const std::string& aText, float x, float y)
        {
            const float extra = aFont.Measure("x", LabelPixelSize) * 0.25f;
            float pen = x;
            size_t start = 0;
            while (start <= aText.size())
            {
                const size_t space = aText.find(' ', start);
                const std::string word = aText.substr(start, space == std::string::npos ? std::string::npos : space - start);
                pen += aScreen.DrawText(aFont, word, {pen, ScreenHeight - y}, LabelPixelSize, Color{1, 1, 1, 1});
                if (space == std::string::npos)
                    break;
                pen += aFont.Measure(" ", LabelPixelSize) + extra;
                start = space + 1;
            }
        }

        Canvas ComposePage(Textures& someTextures, const Font& aFont, const PageLayout& aPage, bool anAfterTheEnding, const Canvas* aWorld)
        {
            Canvas screen(int(ScreenWidth), int(ScreenHeight), Color{0, 0, 0, 1});
            if (aWorld)
                screen.Blit(*aWorld, 0, 0);
            std::vector<ButtonPlace> buttons = aPage.buttons;
            std::sort(buttons.begin(), buttons.end(), [](const ButtonPlace& a, const ButtonPlace& b) { return a.label < b.label; });
            for (const ButtonPlace& button : buttons)
            {
                Draw(screen, someTextures.Get(button.texture), button.x, button.y, 2.0f * button.halfWidth, ButtonShape::Height);
                Label(screen, aFont, button.label, button.x, button.y);
            }
            for (const char* kind : {"KOB_Background", "KOB_Decal"})
            {
                for (const PicturePlace& picture : aPage.pictures)
                {
                    if (picture.definition != kind)
                        continue;
                    const bool second = anAfterTheEnding && picture.definition == "KOB_Background" && aPage.scene == "scenes\\mainmenu.ksc";
                    Draw(screen, someTextures.Get(second ? picture.texture2 : picture.texture), picture.x, picture.y, picture.width, picture.height);
                }
            }
            for (const SliderPlace& slider : aPage.sliders)
            {
                const Sprite bar = Merged(someTextures.Root(), "KOB_Slider", "Slider",
                                          Value::Sprite(MenuPaths::SliderBar, PictureSize::BarWidth, PictureSize::BarHeight));
                const Sprite handle = Merged(someTextures.Root(), "KOB_Slider", "Button",
                                             Value::Sprite(MenuPaths::SliderHandle, PictureSize::HandleSize, PictureSize::HandleSize));
                Draw(screen, someTextures.Get(bar.texture), slider.x, slider.y, bar.width * slider.scale, bar.height * slider.scale);
                // Both volumes start at one half.
                Draw(screen, someTextures.Get(handle.texture), slider.x, slider.y, handle.width * slider.scale, handle.height * slider.scale);
            }
            if (const Canvas* cursor = someTextures.Get(MenuPaths::Cursor); cursor && !buttons.empty())
            {
                const ButtonPlace& first = buttons.front();
                Draw(screen, cursor, first.x - first.halfWidth - 20.0f, first.y, float(cursor->Width()) * 0.2f, float(cursor->Height()) * 0.2f);
            }
            return screen;
        }

        std::string FileName(std::string aText)
        {
            for (char& c : aText)
                if (c == '\\' || c == '/' || c == ' ' || c == '.')
                    c = '_';
            return aText;
        }
    }

    void WritePreviews(const Art& anArt, const MenuPages& somePages, const fs::path& aFolder)
    {
        Textures textures(anArt, anArt.Root());
        const Font font(DefaultFontPath(false));
        const int w = int(ScreenWidth), h = int(ScreenHeight);

        const Canvas level1 = LevelPicture(*textures.Get(UiPaths::ParallaxLevel1), w, h, 0.3f);
        for (const PageLayout& page : somePages.pages)
        {
            const bool overWorld = page.scene == "scenes\\pausemenu.ksc";
            WritePng(aFolder / ("page_" + FileName(page.key) + ".png"), ComposePage(textures, font, page, false, overWorld ? &level1 : nullptr));
            if (page.scene == "scenes\\mainmenu.ksc")
                WritePng(aFolder / "page_MainMenu_after_the_ending.png", ComposePage(textures, font, page, true, nullptr));
        }

        if (const Canvas* logo = textures.Get(SplashLogoPath))
        {
            Canvas screen(w, h, Color{0, 0, 0, 1});
            screen.BlitScaled(*logo, 0.0f, ScreenHeight * 0.5f - ScreenWidth * 0.5f, ScreenWidth, ScreenWidth);
            WritePng(aFolder / "splash.png", screen);
        }

        int index = 0;
        for (const UiPaths::LevelBackground& level : UiPaths::LevelBackgrounds())
        {
            ++index;
            const Canvas* layer = textures.Get(level.texture);
            if (!layer)
                continue;
            const Canvas picture = LevelPicture(*layer, w, h, 0.1f * float(index));
            WritePng(aFolder / ("level_" + std::to_string(index) + "_layered.png"), picture);
            Canvas plain(w, h, Color{0, 0, 0, 1});
            plain.BlitScaled(*layer, 0.0f, ScreenHeight - ScreenWidth, ScreenWidth, ScreenWidth);
            WritePng(aFolder / ("level_" + std::to_string(index) + "_plain.png"), plain);
            if (index <= 3)
            {
                // The card (0.8 W x 0.4 W, its foot 0.1 H above the bottom) and the prompt
                // (0.07 W square, its foot at 0.35 H, at 0.83 W) over the level.
                for (const bool pad : {false, true})
                {
                    Canvas screen = picture;
                    if (const Canvas* card = textures.Get(UiPaths::TutorialCard(index, 2, pad)))
                        screen.BlitScaled(*card, ScreenWidth * 0.1f, ScreenHeight * 0.9f - ScreenWidth * 0.4f, ScreenWidth * 0.8f, ScreenWidth * 0.4f);
                    if (const Canvas* prompt = textures.Get(pad ? UiPaths::InteractPromptController : UiPaths::InteractPromptKeyboard))
                        screen.BlitScaled(*prompt, ScreenWidth * 0.83f - ScreenWidth * 0.035f, ScreenHeight * 0.65f - ScreenWidth * 0.07f, ScreenWidth * 0.07f,
                                          ScreenWidth * 0.07f);
                    WritePng(aFolder / ("level_" + std::to_string(index) + (pad ? "_card_pad.png" : "_card_keyboard.png")), screen);
                }
            }
        }
    }
}
