// The generated interface content under the runtime tree's game assets: the five menu pages
// read through the game's scene loader (buttons in order, every picture loads, backgrounds
// open where the labels are and the plates under them), the after-the-ending art, the
// options sliders, the splash logo's band, and the prompts, cards and level backgrounds the
// levels name.
#include "CustomSceneObject.h"
#include "MenuManager.h"
#include "SceneLoader.h"

#include "UiContent/UiPaths.h"

#include "Support/RunningEngine.h"
#include "Support/ScopedEngine.h"

#include "ContentKit/Canvas.h"
#include "ContentKit/ImageFiles.h"

#include "forge/engine/Engine.h"
#include "forge/properties/SceneSprite.h"
#include "forge/settings/Settings.h"
#include "forge/texture/TextureManager.h"

#include "Platform/image/DdsReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
    constexpr float ReferenceWidth = 1600.0f;
    constexpr float ReferenceHeight = 900.0f;
    // Labels: the UI face at 30 points on a 100 dpi grid.
    constexpr float LabelSize = 30.0f * 100.0f / 72.0f;

    // A label's width on screen: the engine widens each space by a quarter of an "x".
    float LabelWidth(const ContentKit::Font& aFont, const std::string& aLabel)
    {
        const float spaces = float(std::count(aLabel.begin(), aLabel.end(), ' '));
        return aFont.Measure(aLabel, LabelSize) + spaces * aFont.Measure("x", LabelSize) * 0.25f;
    }

    struct PageButtons
    {
        const char* scene;
        std::vector<std::string> labels;
    };

    const std::vector<PageButtons>& Pages()
    {
        static const std::vector<PageButtons> pages = {
            {"scenes\\mainmenu.ksc", {"1. Play", "2. Level Select", "3. Options", "4. Credits", "5. Exit"}},
            {"scenes\\levelselect.ksc", {"1. Level 1", "2. Level 2", "3. Level 3", "4. Back"}},
            {"scenes\\options.ksc", {"1. Music", "2. SFX", "3. Toggle Fullscreen", "4. Back"}},
            {"scenes\\credits.ksc", {"Back"}},
            {"scenes\\pausemenu.ksc", {"1. Resume", "2. Options", "3. Back", "4. Exit"}},
        };
        return pages;
    }

    // A decoded texture, top row first, RGBA8.
    struct Image
    {
        int width = 0, height = 0;
        std::vector<uint8_t> bytes;

        const uint8_t* At(int x, int y) const
        {
            x = std::clamp(x, 0, width - 1);
            y = std::clamp(y, 0, height - 1);
            return &bytes[(size_t(y) * size_t(width) + size_t(x)) * 4];
        }
    };

    class GeneratedInterface : public RunningEngineTest
    {
    protected:
        void SetUp() override
        {
            RunningEngineTest::SetUp();
            myRoot = Kiln::Settings::GameAssetsPath();
            ASSERT_TRUE(fs::is_directory(myRoot / "scenes")) << myRoot << " holds no generated menu pages";
        }

        static std::vector<CustomSceneObject> Load(const char* aScene)
        {
            SceneLoader loader(aScene);
            return loader.LoadAll();
        }

        static std::vector<const CustomSceneObject*> OfDefinition(const std::vector<CustomSceneObject>& someObjects, std::string_view aDefinition)
        {
            std::vector<const CustomSceneObject*> found;
            for (const CustomSceneObject& object : someObjects)
                if (object.myObjectDefinition.GetView() == aDefinition)
                    found.push_back(&object);
            return found;
        }

        static const CustomSceneObject* Named(const std::vector<CustomSceneObject>& someObjects, const std::string& aName)
        {
            for (const CustomSceneObject& object : someObjects)
                if (object.myName == aName)
                    return &object;
            return nullptr;
        }

        Image Read(const std::string& aGamePath) const
        {
            std::string portable = aGamePath;
            std::replace(portable.begin(), portable.end(), '\\', '/');
            Plat::Image::ImageData data;
            std::string error;
            Image image;
            EXPECT_TRUE(Plat::Image::ReadDdsFile(myRoot / portable, 0, data, &error)) << aGamePath << ": " << error;
            if (data.subresources.empty())
                return image;
            image.width = int(data.width);
            image.height = int(data.height);
            const uint8_t* level0 = data.Data(data.subresources.front());
            image.bytes.assign(level0, level0 + size_t(data.width) * data.height * 4);
            return image;
        }

        static bool LoadsWithoutTheChecker(const std::string& aPath)
        {
            Kiln::TextureManager* manager = Kiln::Engine::GetInstance()->GetTextureManager();
            Kiln::TextureResource* texture = manager->GetTexture(aPath.c_str(), Kiln::TextureSrgbMode::ForceSrgb);
            return texture != nullptr && texture->GetShaderResourceView().get() != manager->GetErrorView();
        }

        // The texel of a picture drawn centred at (x, y) with aSize reference pixels, under the
        // reference point (px, py) (y up).
        static const uint8_t* Under(const Image& anImage, const Kiln::Vector3<float>& aCentre, const Kiln::Vector2<float>& aSize, float px, float py)
        {
            const float u = (px - (aCentre.x - aSize.x * 0.5f)) / aSize.x;
            const float v = ((aCentre.y + aSize.y * 0.5f) - py) / aSize.y;
            return anImage.At(int(u * float(anImage.width)), int(v * float(anImage.height)));
        }

        fs::path myRoot;
    };
}

TEST_F(GeneratedInterface, EachPageLoadsWithItsButtonsInLabelOrderAndItsPictures)
{
    for (const PageButtons& page : Pages())
    {
        SCOPED_TRACE(page.scene);
        const std::vector<CustomSceneObject> objects = Load(page.scene);
        std::vector<std::string> labels;
        for (const CustomSceneObject* button : OfDefinition(objects, "Button"))
        {
            labels.push_back(button->myName);
            EXPECT_NE(button->Find<Kiln::SceneSprite>("Sprite"), nullptr) << button->myName;
        }
        std::sort(labels.begin(), labels.end());
        EXPECT_EQ(labels, page.labels);
        // Listed from the top: the first label has the largest y.
        std::vector<float> heights;
        for (const std::string& label : page.labels)
            heights.push_back(Named(objects, label)->myPosition.y);
        EXPECT_TRUE(std::is_sorted(heights.rbegin(), heights.rend()));
        EXPECT_EQ(OfDefinition(objects, "KOB_Background").size(), 1u);
        EXPECT_GE(OfDefinition(objects, "KOB_Decal").size(), 1u);
        for (const CustomSceneObject& object : objects)
        {
            EXPECT_GE(object.myPosition.x, 0.0f) << object.myName;
            EXPECT_LE(object.myPosition.x, ReferenceWidth) << object.myName;
            EXPECT_GE(object.myPosition.y, 0.0f) << object.myName;
            EXPECT_LE(object.myPosition.y, ReferenceHeight) << object.myName;
        }
    }
}

TEST_F(GeneratedInterface, EveryTextureOfThePagesTheCursorAndTheSplashLoadsWithoutTheChecker)
{
    std::set<std::string> textures = {"sprites\\UI\\Text\\S_UI_MenuCursor.dds", "sprites/Splashscreen/S_UI_KILNlogo.dds"};
    for (const PageButtons& page : Pages())
    {
        for (const CustomSceneObject& object : Load(page.scene))
        {
            for (const auto& [key, property] : object.myProperties)
            {
                if (const Kiln::SceneSprite* sprite = std::get_if<Kiln::SceneSprite>(&property))
                {
                    EXPECT_FALSE(sprite->myTextures[0].IsNull()) << page.scene << " " << object.myName << " " << key;
                    for (const Kiln::StringId texture : sprite->myTextures)
                        if (!texture.IsNull())
                            textures.insert(texture.GetString());
                }
            }
        }
    }
    EXPECT_GT(textures.size(), 25u);
    for (const std::string& path : textures)
    {
        EXPECT_TRUE(fs::is_regular_file(Kiln::Settings::ResolveAssetPath(path))) << path;
        EXPECT_TRUE(LoadsWithoutTheChecker(path)) << path << " falls back to the checker";
    }
}

TEST_F(GeneratedInterface, TheMainPageHasDifferentArtForAfterTheEnding)
{
    const std::vector<CustomSceneObject> objects = Load("scenes\\mainmenu.ksc");
    const std::vector<const CustomSceneObject*> backgrounds = OfDefinition(objects, "KOB_Background");
    ASSERT_EQ(backgrounds.size(), 1u);
    const Kiln::SceneSprite& sprite = backgrounds[0]->Get<Kiln::SceneSprite>("Sprite");
    ASSERT_FALSE(sprite.myTextures[0].IsNull());
    ASSERT_FALSE(sprite.myTextures[1].IsNull());
    EXPECT_NE(sprite.myTextures[0].GetView(), sprite.myTextures[1].GetView());
    EXPECT_TRUE(LoadsWithoutTheChecker(sprite.myTextures[1].GetString()));

    const Image normal = Read(sprite.myTextures[0].GetString());
    const Image ending = Read(sprite.myTextures[1].GetString());
    ASSERT_EQ(normal.width, ending.width);
    ASSERT_EQ(normal.height, ending.height);
    // Not a copy: the colours differ across much of the picture (dawn against night), while
    // the openings for the buttons are the same.
    size_t different = 0, openingsAlike = 0, openings = 0;
    for (size_t i = 0; i < normal.bytes.size(); i += 4)
    {
        int difference = 0;
        for (int c = 0; c < 3; ++c)
            difference += std::abs(int(normal.bytes[i + size_t(c)]) - int(ending.bytes[i + size_t(c)]));
        different += difference > 60;
        if (normal.bytes[i + 3] < 8)
        {
            ++openings;
            openingsAlike += ending.bytes[i + 3] < 8;
        }
    }
    EXPECT_GT(different, normal.bytes.size() / 4 / 4);
    EXPECT_GT(openings, 10000u);
    EXPECT_EQ(openingsAlike, openings);
}

TEST_F(GeneratedInterface, BackgroundsAreOpenWhereLabelsSitAndEachButtonsArtLiesUnderItsLabel)
{
    // The engine draws buttons and labels first and the backgrounds over them. A label starts
    // at its button's centre with its baseline there: capitals rise ~31 pixels, descenders
    // drop ~9. Labels keep their pixel size while the art scales with the screen, so the
    // plate must still be under the label on a 1280 x 720 screen (0.8 of the reference).
    const ContentKit::Font font(ContentKit::DefaultFontPath(false));
    ASSERT_TRUE(font.IsValid());
    for (const PageButtons& page : Pages())
    {
        SCOPED_TRACE(page.scene);
        const std::vector<CustomSceneObject> objects = Load(page.scene);
        const CustomSceneObject* background = OfDefinition(objects, "KOB_Background").at(0);
        const Kiln::SceneSprite& backgroundSprite = background->Get<Kiln::SceneSprite>("Sprite");
        std::vector<Image> backgroundArt = {Read(backgroundSprite.myTextures[0].GetString())};
        if (std::string_view(page.scene) == "scenes\\mainmenu.ksc")
            backgroundArt.push_back(Read(backgroundSprite.myTextures[1].GetString()));

        for (const std::string& label : page.labels)
        {
            const CustomSceneObject& button = *Named(objects, label);
            const Kiln::SceneSprite& sprite = button.Get<Kiln::SceneSprite>("Sprite");
            const Image art = Read(sprite.myTextures[0].GetString());
            const float width = LabelWidth(font, label);
            for (const float screen : {1.0f, 0.8f})
            {
                const float reach = 1.0f / screen;   // reference pixels per label pixel
                int covered = 0, samples = 0, open = 0;
                for (float dy = -9.0f; dy <= 31.0f; dy += 4.0f)
                {
                    for (float dx = 0.0f; dx <= width; dx += 6.0f)
                    {
                        const float x = button.myPosition.x + dx * reach, y = button.myPosition.y + dy * reach;
                        ++samples;
                        covered += Under(art, button.myPosition, {sprite.mySize.x * button.myScale.x, sprite.mySize.y * button.myScale.y}, x, y)[3] > 230;
                        for (const Image& picture : backgroundArt)
                            open += Under(picture, background->myPosition, backgroundSprite.mySize, x, y)[3] < 12;
                    }
                }
                EXPECT_EQ(covered, samples) << label << ": the label leaves its plate at screen scale " << screen;
                if (screen == 1.0f)
                {
                    EXPECT_EQ(open, samples * int(backgroundArt.size())) << label << ": the background hides the label";
                }
            }
            // The rest of the screen keeps its picture: the corners are covered.
            for (const Image& picture : backgroundArt)
                EXPECT_GT(picture.At(2, 2)[3], 100) << "background corner";
        }
    }
}

TEST_F(GeneratedInterface, TheOptionsSlidersSitBesideMusicAndSfx)
{
    const std::vector<CustomSceneObject> objects = Load("scenes\\options.ksc");
    const std::vector<const CustomSceneObject*> sliders = OfDefinition(objects, "KOB_Slider");
    ASSERT_EQ(sliders.size(), 2u);
    const ContentKit::Font font(ContentKit::DefaultFontPath(false));
    std::map<int32_t, const CustomSceneObject*> byType;
    for (const CustomSceneObject* slider : sliders)
    {
        byType[slider->Get<int32_t>("SoundType")] = slider;
        EXPECT_TRUE(LoadsWithoutTheChecker(slider->Get<Kiln::SceneSprite>("Slider").myTextures[0].GetString()));
        EXPECT_TRUE(LoadsWithoutTheChecker(slider->Get<Kiln::SceneSprite>("Button").myTextures[0].GetString()));
    }
    ASSERT_EQ(byType.size(), 2u);
    for (const auto& [type, row] : std::map<int32_t, std::string>{{0, "1. Music"}, {1, "2. SFX"}})
    {
        const CustomSceneObject& slider = *byType.at(type);
        const CustomSceneObject& button = *Named(objects, row);
        const float barHalf = slider.Get<Kiln::SceneSprite>("Slider").mySize.x * slider.myScale.x * 0.5f;
        // Level with its row, right of the row's label, on the screen.
        EXPECT_LT(std::abs(slider.myPosition.y - button.myPosition.y), 30.0f) << row;
        EXPECT_GT(slider.myPosition.x - barHalf, button.myPosition.x + LabelWidth(font, row) * 1.25f) << row;
        EXPECT_LT(slider.myPosition.x + barHalf, ReferenceWidth) << row;
    }
}

TEST_F(GeneratedInterface, TheSplashLogoCoversTheScreenAndKeepsItsArtInTheMiddleBand)
{
    // Drawn W x W in the middle of the screen: a 16:9 screen shows the middle 56% of its rows.
    const Image logo = Read("sprites/Splashscreen/S_UI_KILNlogo.dds");
    ASSERT_EQ(logo.width, logo.height);
    const int bandTop = int(float(logo.height) * 0.22f), bandBottom = int(float(logo.height) * 0.78f);
    size_t emberInside = 0, emberOutside = 0;
    int lowestAlpha = 255;
    for (int y = 0; y < logo.height; ++y)
    {
        for (int x = 0; x < logo.width; ++x)
        {
            const uint8_t* p = logo.At(x, y);
            lowestAlpha = std::min(lowestAlpha, int(p[3]));
            // The fire and the lettering: strong orange.
            const bool ember = p[0] > 200 && p[1] > 60 && p[1] < 190 && p[2] < 110;
            (y >= bandTop && y < bandBottom ? emberInside : emberOutside) += ember;
        }
    }
    EXPECT_EQ(lowestAlpha, 255);
    EXPECT_GT(emberInside, 5000u);
    EXPECT_EQ(emberOutside, 0u);
}

TEST_F(GeneratedInterface, PromptsCardsAndLevelBackgroundsNamedForTheLevelsLoad)
{
    for (const char* prompt : {UiPaths::InteractPromptKeyboard, UiPaths::InteractPromptController})
    {
        EXPECT_TRUE(LoadsWithoutTheChecker(prompt)) << prompt;
        const Image image = Read(prompt);
        EXPECT_EQ(image.width, image.height) << prompt;
        EXPECT_GT(image.At(image.width / 2, image.height / 2)[3], 250) << prompt;
    }

    std::set<std::string> cards;
    for (int upgrade = 1; upgrade <= 3; ++upgrade)
    {
        for (const bool pad : {false, true})
        {
            const std::string first = UiPaths::TutorialCard(upgrade, 1, pad), second = UiPaths::TutorialCard(upgrade, 2, pad);
            cards.insert(first);
            cards.insert(second);
            for (const std::string& card : {first, second})
            {
                EXPECT_TRUE(LoadsWithoutTheChecker(card)) << card;
                const Image image = Read(card);
                EXPECT_EQ(image.width, 2 * image.height) << card;
            }
            EXPECT_NE(Read(first).bytes, Read(second).bytes) << "the two pages of " << first;
        }
        // The second page names the device's own keys.
        EXPECT_NE(Read(UiPaths::TutorialCard(upgrade, 2, false)).bytes, Read(UiPaths::TutorialCard(upgrade, 2, true)).bytes);
    }
    EXPECT_EQ(cards.size(), 12u);

    std::set<std::vector<int>> palettes;
    for (const UiPaths::LevelBackground& level : UiPaths::LevelBackgrounds())
    {
        SCOPED_TRACE(level.texture);
        EXPECT_TRUE(LoadsWithoutTheChecker(level.texture));
        const Image image = Read(level.texture);
        ASSERT_EQ(image.width, image.height);
        // It repeats both ways: across each wrap the colours step no more than between
        // neighbours inside the picture.
        const auto step = [&](int x0, int y0, int x1, int y1) {
            return std::abs(int(image.At(x0, y0)[0]) - int(image.At(x1, y1)[0])) + std::abs(int(image.At(x0, y0)[1]) - int(image.At(x1, y1)[1])) +
                   std::abs(int(image.At(x0, y0)[2]) - int(image.At(x1, y1)[2]));
        };
        long acrossWrapX = 0, insideX = 0, acrossWrapY = 0, insideY = 0;
        for (int i = 0; i < image.width; ++i)
        {
            acrossWrapX += step(image.width - 1, i, 0, i);
            insideX += step(image.width / 2 - 1, i, image.width / 2, i);
            acrossWrapY += step(i, image.height - 1, i, 0);
            insideY += step(i, image.height / 2 - 1, i, image.height / 2);
        }
        EXPECT_LT(acrossWrapX, insideX * 2 + image.width * 2);
        EXPECT_LT(acrossWrapY, insideY * 2 + image.width * 2);
        // Each level has its own palette: the average colour tells them apart.
        std::vector<long> sum(3, 0);
        for (size_t i = 0; i < image.bytes.size(); i += 4)
            for (size_t c = 0; c < 3; ++c)
                sum[c] += image.bytes[i + c];
        const long count = long(image.bytes.size() / 4);
        palettes.insert({int(sum[0] / count / 8), int(sum[1] / count / 8), int(sum[2] / count / 8)});
    }
    EXPECT_EQ(palettes.size(), UiPaths::LevelBackgrounds().size());
}

namespace
{
    // The main page as the menus draw it on a 1600 x 900 screen, the reference size.
    class MainMenuPicture : public ::testing::Test
    {
    protected:
        static constexpr int Width = 1600;
        static constexpr int Height = 900;

        void SetUp() override
        {
            myEngine = std::make_unique<KilnTest::ScopedEngine>([](Kiln::EngineConfiguration& aConfig) {
                aConfig.myWindowSize = {uint32_t(Width), uint32_t(Height)};
                aConfig.myRenderSize = {uint32_t(Width), uint32_t(Height)};
            });
            ASSERT_TRUE(myEngine->Started());
            ::testing::internal::CaptureStdout();   // the page prints its layout
            myMenus.Init(**myEngine, "mainmenu");
            ::testing::internal::GetCapturedStdout();
            ASSERT_EQ(myMenus.GetButtons().size(), 5u);
            ASSERT_TRUE((*myEngine)->BeginFrame());
            myMenus.Render();
            myPixels = myEngine->ReadBackBuffer();
            (*myEngine)->EndFrame();
            ASSERT_EQ(myPixels.size(), size_t(Width) * Height * 4);
            if (const char* dump = std::getenv("KILN_DUMP_MENU"))
            {
                std::vector<uint8_t> rgba = myPixels;
                for (size_t i = 0; i < rgba.size(); i += 4)
                    std::swap(rgba[i], rgba[i + 2]);
                ContentKit::WritePng(dump, ContentKit::Canvas::FromRgba8(Width, Height, rgba.data()));
            }
        }

        void TearDown() override { myEngine.reset(); }

        // Blue, green, red of the pixel at (x, y) with y up, as the menus place things.
        const uint8_t* At(float x, float y) const
        {
            const int column = std::clamp(int(x), 0, Width - 1), row = std::clamp(Height - 1 - int(y), 0, Height - 1);
            return &myPixels[(size_t(row) * Width + size_t(column)) * 4];
        }

        static bool IsWhite(const uint8_t* aPixel) { return aPixel[0] > 200 && aPixel[1] > 200 && aPixel[2] > 200; }

        // Pixels of a label in the box [x0, x1] x [y0, y1] (y up).
        int WhiteIn(float x0, float x1, float y0, float y1) const
        {
            int count = 0;
            for (float y = y0; y <= y1; y += 1.0f)
                for (float x = x0; x <= x1; x += 1.0f)
                    count += IsWhite(At(x, y));
            return count;
        }

        // The night-blue of a button's plate: blue leads, and it is not the black of the
        // screen behind an opening.
        bool IsPlate(float x, float y) const
        {
            const uint8_t* p = At(x, y);
            return p[0] >= p[2] + 10 && p[0] > 30;
        }

        std::unique_ptr<KilnTest::ScopedEngine> myEngine;
        MenuManager myMenus;
        std::vector<uint8_t> myPixels;
    };
}

TEST_F(MainMenuPicture, EveryLabelShowsOnItsPlateAndTheCursorPointsAtPlay)
{
    const ContentKit::Font font(ContentKit::DefaultFontPath(false));
    for (const MenuButton& button : myMenus.GetButtons())
    {
        const std::string label = button.GetText();
        SCOPED_TRACE(label);
        const Kiln::Vector2<float> centre = button.GetInstance().myPosition;
        const float width = LabelWidth(font, label);
        // The label is drawn and not covered by the background: white strokes from the
        // centre rightwards, capitals above the centre line.
        EXPECT_GT(WhiteIn(centre.x, centre.x + width, centre.y - 9.0f, centre.y + 31.0f), int(width * 2.0f));
        // On its plate: the plate shows just before the label, after it, and above and below.
        EXPECT_TRUE(IsPlate(centre.x - 14.0f, centre.y + 12.0f));
        EXPECT_TRUE(IsPlate(centre.x + width + 12.0f, centre.y + 12.0f));
        EXPECT_TRUE(IsPlate(centre.x + width * 0.5f, centre.y + 38.0f));
        EXPECT_TRUE(IsPlate(centre.x + width * 0.5f, centre.y - 16.0f));
        // Nothing white beyond the label's end on its row.
        EXPECT_EQ(WhiteIn(centre.x + width + 8.0f, centre.x + width + 40.0f, centre.y - 9.0f, centre.y + 31.0f), 0);
    }
    // The cursor's moth is beside "1. Play" (its first button) and beside no other.
    ASSERT_EQ(myMenus.GetButtons().front().GetText(), "1. Play");
    const auto cursorPixels = [&](const MenuButton& aButton) {
        const Kiln::Vector2<float> anchor = aButton.GetCursorAnchor();
        return WhiteIn(anchor.x - 40.0f, anchor.x + 24.0f, anchor.y - 30.0f, anchor.y + 40.0f);
    };
    EXPECT_GT(cursorPixels(myMenus.GetButtons()[0]), 60);
    for (size_t i = 1; i < myMenus.GetButtons().size(); ++i)
        EXPECT_LT(cursorPixels(myMenus.GetButtons()[i]), 5) << myMenus.GetButtons()[i].GetText();
    // The woods fill the rest of the screen, and the title shows above the buttons.
    const uint8_t* corner = At(20.0f, 880.0f);
    EXPECT_GT(int(corner[0]) + corner[1] + corner[2], 15);
    int ember = 0;
    for (float y = 600.0f; y < 850.0f; y += 2.0f)
        for (float x = 500.0f; x < 1100.0f; x += 2.0f)
            ember += At(x, y)[2] > 200 && At(x, y)[0] < 140;
    EXPECT_GT(ember, 2000);
}
