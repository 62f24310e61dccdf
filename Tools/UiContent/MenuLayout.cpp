#include "MenuLayout.h"

#include <algorithm>
#include <cmath>

namespace UiContent
{
    namespace MenuPaths
    {
        std::string Background(const std::string& aPageKey)
        {
            return "sprites/UI/Menu BG/S_UI_" + aPageKey + "_BG.dds";
        }

        std::string Heading(const std::string& aKey)
        {
            return "sprites/UI/Menu/S_UI_Heading_" + aKey + ".dds";
        }

        std::string Button(const std::string& aPageKey, int anIndex)
        {
            return "sprites/UI/Menu/Buttons/S_UI_Button_" + aPageKey + "_" + std::to_string(anIndex) + ".dds";
        }

        std::string LevelThumbnail(int aLevel)
        {
            return "sprites/UI/Menu/S_UI_Level_" + std::to_string(aLevel) + "_Thumbnail.dds";
        }
    }

    namespace
    {
        // The plate ends this far right of the centre for a label of aWidth pixels. Labels keep
        // their pixel size on every screen while the art scales with it, so the plate leaves
        // room to spare: the label still fits at 0.8 of the reference size (1280 x 720).
        float PlateRight(float aWidth)
        {
            return std::ceil(aWidth * 1.15f + 40.0f);
        }

        // A column of buttons centred on x, the first at aTopY, each the next aSpacing lower;
        // all share one quad width so their left ends (where the cursor points) line up.
        std::vector<ButtonPlace> Column(const Font& aFont, const std::string& aPageKey, const std::vector<std::string>& someLabels, float x,
                                       float aTopY, float aSpacing, float aMinimumHalfWidth = 260.0f)
        {
            std::vector<ButtonPlace> buttons;
            float half = aMinimumHalfWidth;
            for (size_t i = 0; i < someLabels.size(); ++i)
            {
                ButtonPlace button;
                button.label = someLabels[i];
                button.texture = MenuPaths::Button(aPageKey, int(i) + 1);
                button.x = x;
                button.y = aTopY - aSpacing * float(i);
                button.plateRight = PlateRight(LabelWidth(aFont, button.label));
                half = std::max(half, button.plateRight + 12.0f);
                buttons.push_back(button);
            }
            for (ButtonPlace& button : buttons)
                button.halfWidth = std::ceil(half);
            return buttons;
        }

        PicturePlace Heading(const std::string& aKey, float aY)
        {
            return {"KOB_Decal", "Heading", MenuPaths::Heading(aKey), "", 800.0f, aY, PictureSize::HeadingWidth, PictureSize::HeadingHeight};
        }

        PicturePlace FullScreen(const std::string& aName, const std::string& aTexture, const std::string& aTexture2)
        {
            return {"KOB_Background", aName, aTexture, aTexture2, 800.0f, 450.0f, 1600.0f, 900.0f};
        }
    }

    Path ButtonOpening(const ButtonPlace& aButton)
    {
        const auto down = [](float aReferenceY) { return 900.0f - aReferenceY; };
        const float margin = 6.0f;
        const float left = aButton.x - ButtonShape::PlateLead - margin;
        const float right = std::min(aButton.x + aButton.plateRight, aButton.x + aButton.halfWidth - 6.0f) + margin;
        const float top = aButton.y + ButtonShape::PlateTop + margin, bottom = aButton.y - ButtonShape::PlateBottom - margin;
        const float middle = aButton.y + (ButtonShape::PlateTop - ButtonShape::PlateBottom) * 0.5f;
        const float gemX = aButton.x - aButton.halfWidth + ButtonShape::GemInset;
        Path opening;
        opening.AddRoundedRect(left, down(top), right - left, top - bottom, 24.0f);
        opening.AddRect(gemX, down(middle + 6.0f), left - gemX + 20.0f, 12.0f);
        opening.AddCircle({gemX, down(middle)}, 24.0f);
        return opening;
    }

    const PageLayout* MenuPages::Find(const std::string& aScene) const
    {
        for (const PageLayout& page : pages)
            if (page.scene == aScene)
                return &page;
        return nullptr;
    }

    MenuPages BuildMenuPages(const Font& aLabelFont)
    {
        MenuPages result;

        PageLayout main{"scenes\\mainmenu.ksc", "MainMenu", {}, {}, {}};
        main.buttons = Column(aLabelFont, main.key, {"1. Play", "2. Level Select", "3. Options", "4. Credits", "5. Exit"}, 760.0f, 468.0f, 84.0f);
        main.pictures.push_back(FullScreen("Forest", MenuPaths::MainBackground, MenuPaths::MainBackgroundEnding));
        main.pictures.push_back({"KOB_Decal", "Title", MenuPaths::Title, "", 800.0f, 700.0f, PictureSize::TitleWidth, PictureSize::TitleHeight});
        result.pages.push_back(main);

        PageLayout levels{"scenes\\levelselect.ksc", "LevelSelect", {}, {}, {}};
        levels.buttons = Column(aLabelFont, levels.key, {"1. Level 1", "2. Level 2", "3. Level 3", "4. Back"}, 640.0f, 580.0f, 140.0f);
        levels.pictures.push_back(FullScreen("Woods", MenuPaths::Background(levels.key), MenuPaths::Background(levels.key)));
        levels.pictures.push_back(Heading("LevelSelect", 780.0f));
        {
            const ButtonPlace& first = levels.buttons.front();
            const float thumbnailX = first.x + first.halfWidth + 40.0f + PictureSize::ThumbnailWidth * 0.5f;
            for (int level = 1; level <= 3; ++level)
            {
                levels.pictures.push_back({"KOB_Decal", "Level " + std::to_string(level) + " Picture", MenuPaths::LevelThumbnail(level), "",
                                           thumbnailX, levels.buttons[size_t(level - 1)].y + 10.0f, PictureSize::ThumbnailWidth,
                                           PictureSize::ThumbnailHeight});
            }
        }
        result.pages.push_back(levels);

        PageLayout options{"scenes\\options.ksc", "Options", {}, {}, {}};
        options.buttons = Column(aLabelFont, options.key, {"1. Music", "2. SFX", "3. Toggle Fullscreen", "4. Back"}, 660.0f, 560.0f, 104.0f);
        options.pictures.push_back(FullScreen("Woods", MenuPaths::Background(options.key), MenuPaths::Background(options.key)));
        options.pictures.push_back(Heading("Options", 780.0f));
        // The bars sit right of the two volume rows, on the plates' middle line.
        const float barX = 1200.0f;
        options.sliders.push_back({"Music Volume", 0, barX, options.buttons[0].y + 10.0f});
        options.sliders.push_back({"SFX Volume", 1, barX, options.buttons[1].y + 10.0f});
        result.pages.push_back(options);

        PageLayout credits{"scenes\\credits.ksc", "Credits", {}, {}, {}};
        credits.buttons = Column(aLabelFont, credits.key, {"Back"}, 740.0f, 86.0f, 0.0f);
        credits.pictures.push_back(FullScreen("Woods", MenuPaths::Background(credits.key), MenuPaths::Background(credits.key)));
        credits.pictures.push_back(Heading("Credits", 790.0f));
        credits.pictures.push_back({"KOB_Decal", "Credits Text", MenuPaths::CreditsText, "", 800.0f, 425.0f, PictureSize::CreditsWidth,
                                    PictureSize::CreditsHeight});
        result.pages.push_back(credits);

        PageLayout pause{"scenes\\pausemenu.ksc", "Pause", {}, {}, {}};
        pause.buttons = Column(aLabelFont, pause.key, {"1. Resume", "2. Options", "3. Back", "4. Exit"}, 760.0f, 520.0f, 90.0f);
        pause.pictures.push_back(FullScreen("Veil", MenuPaths::Background(pause.key), MenuPaths::Background(pause.key)));
        pause.pictures.push_back(Heading("Pause", 700.0f));
        result.pages.push_back(pause);
        return result;
    }

    SceneFolder ToScene(const PageLayout& aPage)
    {
        SceneFolder scene(aPage.scene);
        for (const ButtonPlace& button : aPage.buttons)
        {
            SceneObjectDesc object;
            object.name = button.label;
            object.definition = "Button";
            object.translation = {button.x, button.y, 0.0};
            object.properties.push_back(SpriteProperty("Sprite", Value::Sprite(button.texture, 2.0 * button.halfWidth, ButtonShape::Height)));
            scene.Add(std::move(object));
        }
        for (const PicturePlace& picture : aPage.pictures)
        {
            SceneObjectDesc object;
            object.name = picture.name;
            object.definition = picture.definition;
            object.translation = {picture.x, picture.y, 0.0};
            object.properties.push_back(
                SpriteProperty("Sprite", Value::Sprite(picture.texture, picture.width, picture.height, 0.5, 0.5, picture.texture2)));
            scene.Add(std::move(object));
        }
        for (const SliderPlace& slider : aPage.sliders)
        {
            SceneObjectDesc object;
            object.name = slider.name;
            object.definition = "KOB_Slider";
            object.translation = {slider.x, slider.y, 0.0};
            object.scale = {slider.scale, slider.scale, 1.0};
            object.properties.push_back(IntProperty("SoundType", slider.soundType));
            object.properties.push_back(SpriteProperty("Slider", Value::Sprite(MenuPaths::SliderBar, PictureSize::BarWidth, PictureSize::BarHeight)));
            object.properties.push_back(
                SpriteProperty("Button", Value::Sprite(MenuPaths::SliderHandle, PictureSize::HandleSize, PictureSize::HandleSize)));
            scene.Add(std::move(object));
        }
        return scene;
    }

    void WriteMenuPages(Output& anOutput, const MenuPages& somePages)
    {
        for (const PageLayout& page : somePages.pages)
            anOutput.Scene(ToScene(page));
    }
}
