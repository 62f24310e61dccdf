// The end-to-end checks on pictures made here, without a display: a check that passes on
// the game's screens must fail where the thing it looks for is missing or elsewhere.
#include "EndToEnd/MenuPage.h"
#include "EndToEnd/Picture.h"
#include "EndToEnd/ScreenChecks.h"
#include "EndToEnd/Screenshot.h"

#include "Platform/image/DdsWriter.h"
#include "Support/UniqueTempFolder.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <functional>
#include <random>

using namespace KilnE2E;

namespace
{
    using Json = nlohmann::json;
    constexpr int W = 1280;
    constexpr int H = 720;

    // An RGBA8 DDS file whose texels come from aTexel(x, y) as {r, g, b, a}.
    void WriteTexture(const std::filesystem::path& aPath, int aWidth, int aHeight, const std::function<std::array<uint8_t, 4>(int, int)>& aTexel)
    {
        Plat::Image::ImageData image = Plat::Image::MakeImage(Plat::Image::DxgiFormat::R8G8B8A8_Unorm_Srgb, uint32_t(aWidth), uint32_t(aHeight), 1, 1, false);
        for (int y = 0; y < aHeight; ++y)
        {
            for (int x = 0; x < aWidth; ++x)
            {
                const std::array<uint8_t, 4> texel = aTexel(x, y);
                std::copy(texel.begin(), texel.end(), image.bytes.begin() + (size_t(y) * size_t(aWidth) + size_t(x)) * 4u);
            }
        }
        std::filesystem::create_directories(aPath.parent_path());
        ASSERT_TRUE(Plat::Image::WriteDdsFile(aPath, image, Plat::Image::DdsHeaderKind::Dx10));
    }

    // A screen of aWidth x aHeight filled by aPixel(x, y).
    Screenshot Screen(const std::function<Rgb(int, int)>& aPixel)
    {
        std::vector<uint8_t> pixels;
        pixels.reserve(size_t(W) * H * 3u);
        for (int y = 0; y < H; ++y)
        {
            for (int x = 0; x < W; ++x)
            {
                const Rgb c = aPixel(x, y);
                pixels.insert(pixels.end(), {uint8_t(c.r), uint8_t(c.g), uint8_t(c.b)});
            }
        }
        return Screenshot(W, H, std::move(pixels));
    }

    // aPicture's texels stretched over aPlace, nearest texel, where they are opaque.
    std::function<Rgb(int, int)> Over(const std::function<Rgb(int, int)>& aBelow, const Picture& aPicture, const Rect& aPlace)
    {
        return [&aPicture, aBelow, aPlace](int x, int y) {
            float texel[4];
            aPicture.Sample(aPlace, x, y, texel);
            return texel[3] >= 128.0f ? Rgb{texel[0], texel[1], texel[2]} : aBelow(x, y);
        };
    }

    Rgb Noise(int x, int y)
    {
        const uint32_t h = uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u;
        return {float(h % 200), float((h / 200) % 200), float((h / 40000) % 200)};
    }

    class Harness : public ::testing::Test
    {
    protected:
        Harness() : myAssets("e2e") {}

        std::filesystem::path Assets() const { return myAssets.GetPath(); }

        // A page of three buttons (written out of label order) and the cursor picture.
        void WritePage()
        {
            const auto stripes = [](uint8_t r, uint8_t g, uint8_t b) {
                return [=](int x, int y) -> std::array<uint8_t, 4> {
                    const bool edge = x < 2 || y < 2;
                    return {uint8_t(edge ? 0 : r), uint8_t(edge ? 0 : g), uint8_t((x / 4) % 2 ? b : 255 - b), 255};
                };
            };
            WriteTexture(Assets() / "sprites/UI/Text/S_UI_MenuCursor.dds", 100, 100,
                         [](int x, int y) -> std::array<uint8_t, 4> { return {240, 235, 250, uint8_t((x - 50) * (x - 50) + (y - 50) * (y - 50) < 1600 ? 255 : 0)}; });
            const struct
            {
                const char* label;
                float y;
                uint8_t r, g, b;
            } buttons[] = {{"3. Third", 300, 200, 40, 40}, {"1. First", 600, 40, 200, 40}, {"2. Second", 450, 40, 40, 200}};
            int number = 0;
            for (const auto& button : buttons)
            {
                const std::string texture = std::string("sprites/button_") + button.label[0] + ".dds";
                WriteTexture(Assets() / texture, 80, 20, stripes(button.r, button.g, button.b));
                const Json sprite{{"size", {400.0, 100.0}}, {"pivot", {0.5, 0.5}}, {"textures", {texture, "", "", ""}}};
                const Json object{{"name", button.label},
                                  {"object-definition", "Button"},
                                  {"translation", {800.0, button.y, 0.0}},
                                  {"rotation", {0.0, 0.0, 0.0}},
                                  {"scale", {1.0, 1.0, 1.0}},
                                  {"properties", {{{"name", "Sprite"}, {"type", "Sprite"}, {"value", sprite}}}}};
                myAssets.WriteFile("scenes/test.ksc.leveldata/object" + std::to_string(++number), object.dump());
            }
        }

        KilnTest::UniqueTempFolder myAssets;
    };
}

TEST_F(Harness, MenuButtonsAndTheCursorAreWhereTheGameLaysThemOut)
{
    WritePage();
    const MenuPage page = MenuPage::Read(Assets(), "test", W, H);
    ASSERT_TRUE(page.GetError().empty()) << page.GetError();
    ASSERT_EQ(page.GetButtons().size(), 3u);
    // In label order; 1600 x 900 with y up becomes 1280 x 720 with y down.
    EXPECT_EQ(page.GetButtons()[0].label, "1. First");
    EXPECT_EQ(page.GetButtons()[2].label, "3. Third");
    const Rect first = page.GetButtons()[0].bounds;
    EXPECT_EQ(first.x, 640 - 160);
    EXPECT_EQ(first.width, 320);
    EXPECT_EQ(first.height, 80);
    EXPECT_EQ(first.y, 720 - 480 - 40);
    // The cursor: a fifth of its 100-pixel picture, centred 20 pixels left of the button.
    const Rect cursor = page.CursorArea(0);
    EXPECT_EQ(cursor.width, 20);
    EXPECT_EQ(cursor.x + cursor.width / 2, first.x - 20);
    EXPECT_EQ(cursor.y + cursor.height / 2, first.y + first.height / 2);
    EXPECT_EQ(page.Find("2. Second"), 1);
    EXPECT_EQ(page.Find("Second"), -1);

    EXPECT_FALSE(MenuPage::Read(Assets(), "missing", W, H).GetError().empty());
}

TEST_F(Harness, AMenuShowsOnlyWithEveryButtonInPlaceAndTheCursorAtTheSelectedOne)
{
    WritePage();
    const MenuPage page = MenuPage::Read(Assets(), "test", W, H);
    ASSERT_TRUE(page.GetError().empty()) << page.GetError();

    std::function<Rgb(int, int)> screen = Noise;
    for (const MenuButtonLayout& button : page.GetButtons())
        screen = Over(screen, *button.picture, button.bounds);
    const std::function<Rgb(int, int)> withoutCursor = screen;
    const Screenshot onSecond = Screen(Over(screen, page.GetCursor(), page.CursorArea(1)));

    EXPECT_TRUE(ShowsMenu(onSecond, page, 1));
    EXPECT_FALSE(ShowsMenu(onSecond, page, 0));
    EXPECT_FALSE(ShowsMenu(Screen(withoutCursor), page, 1)) << "no cursor drawn";
    // The cursor at a second place as well.
    EXPECT_FALSE(ShowsMenu(Screen(Over(Over(screen, page.GetCursor(), page.CursorArea(1)), page.GetCursor(), page.CursorArea(2))), page, 1));
    // A button missing, or drawn elsewhere.
    std::function<Rgb(int, int)> twoButtons = Noise;
    for (size_t i = 0; i < 2; ++i)
        twoButtons = Over(twoButtons, *page.GetButtons()[i].picture, page.GetButtons()[i].bounds);
    EXPECT_FALSE(ShowsMenu(Screen(Over(twoButtons, page.GetCursor(), page.CursorArea(1))), page, 1));
    Rect moved = page.GetButtons()[2].bounds;
    moved.x += 200;
    EXPECT_FALSE(ShowsMenu(Screen(Over(Over(twoButtons, *page.GetButtons()[2].picture, moved), page.GetCursor(), page.CursorArea(1))), page, 1));
}

TEST_F(Harness, APictureMatchesWhereItIsDrawnAndNotBesideIt)
{
    std::mt19937 random(7);
    WriteTexture(Assets() / "p.dds", 64, 32, [&](int x, int) -> std::array<uint8_t, 4> {
        return {uint8_t(random() % 256), uint8_t(random() % 256), uint8_t(random() % 256), uint8_t(x < 8 ? 0 : 255)};
    });
    Picture picture;
    ASSERT_TRUE(picture.Load(Assets() / "p.dds"));
    const Rect place{100, 50, 256, 128};
    const Screenshot shot = Screen(Over(Noise, picture, place));
    // Only the opaque part counts: the transparent left eighth shows the noise below.
    EXPECT_FLOAT_EQ(picture.MatchShare(shot, place, 4.0f), 1.0f);
    EXPECT_LT(picture.MatchShare(shot, {place.x + 16, place.y, place.width, place.height}, 4.0f), 0.1f);
    EXPECT_LT(picture.MatchShare(Screen(Noise), place, 4.0f), 0.1f);
    // With a brightness floor no texel reaches, nothing is compared.
    EXPECT_EQ(picture.MatchShare(shot, place, 4.0f, 256.0f), 0.0f);
    // Off screen there is nothing to compare.
    EXPECT_EQ(picture.MatchShare(shot, {-400, -400, 100, 100}, 4.0f), 0.0f);
    EXPECT_FALSE(Picture().Load(Assets() / "none.dds"));
}

TEST(HarnessChecks, TheHeroIsFoundUnderItsLightInTheMiddleOnly)
{
    // Cool night colours; a warm light with the pale moth at its centre.
    const auto level = [](float aLightX, float aLightY) {
        return Screen([=](int x, int y) {
            const float d = std::hypot(x - aLightX, y - aLightY);
            const float light = std::max(0.0f, 1.0f - d / 250.0f);
            if (d < 25.0f)
                return Rgb{215, 205, 240};
            return Rgb{30 + 150 * light, 30 + 100 * light, 80 - 40 * light};
        });
    };
    const HeroSighting middle = FindHero(level(650, 420));
    EXPECT_NEAR(middle.x, 650, 15);
    EXPECT_NEAR(middle.y, 420, 15);
    EXPECT_TRUE(HeroNearCentre(middle, W, H)) << middle.Describe();
    EXPECT_FALSE(HeroNearCentre(FindHero(level(250, 420)), W, H));
    EXPECT_FALSE(HeroNearCentre(FindHero(level(650, 150)), W, H));
    // A warm picture with no light spot: the warmth is spread over the screen.
    EXPECT_FALSE(HeroNearCentre(FindHero(Screen([](int x, int) { return Rgb{float(100 + x % 50), 60, 40}; })), W, H));
    // The light without the moth.
    EXPECT_FALSE(HeroNearCentre(FindHero(Screen([](int x, int y) {
                                    const float light = std::max(0.0f, 1.0f - std::hypot(x - 650.0f, y - 420.0f) / 250.0f);
                                    return Rgb{30 + 150 * light, 30 + 100 * light, 80 - 40 * light};
                                })),
                                W, H));
}

TEST_F(Harness, AVeilOverBlackIsNotLitAndOverAPictureItIs)
{
    WriteTexture(Assets() / "veil.dds", 16, 9, [](int, int) -> std::array<uint8_t, 4> { return {20, 18, 50, 200}; });
    Picture veil;
    ASSERT_TRUE(veil.Load(Assets() / "veil.dds"));
    const Rect whole{0, 0, W, H};
    // What the veil gives over black, blended in linear light (the back buffer is sRGB).
    const auto blend = [](float aTop, float aBelow, float anAlpha) {
        const auto linear = [](float c) { return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f); };
        const auto srgb = [](float c) { return c <= 0.0031308f ? c * 12.92f : 1.055f * std::pow(c, 1.0f / 2.4f) - 0.055f; };
        return 255.0f * srgb(anAlpha * linear(aTop / 255.0f) + (1.0f - anAlpha) * linear(aBelow / 255.0f));
    };
    const float alpha = 200.0f / 255.0f;
    const Screenshot overBlack = Screen([&](int, int) { return Rgb{blend(20, 0, alpha), blend(18, 0, alpha), blend(50, 0, alpha)}; });
    EXPECT_EQ(ShareLitThroughVeil(overBlack, veil, whole, whole), 0.0f);
    const Screenshot overLevel = Screen([&](int x, int) {
        const float below = x < W / 2 ? 200.0f : 0.0f;
        return Rgb{blend(20, below, alpha), blend(18, below, alpha), blend(50, below, alpha)};
    });
    EXPECT_NEAR(ShareLitThroughVeil(overLevel, veil, whole, whole), 0.5f, 0.01f);
}

TEST(HarnessChecks, TheSideShiftOfTheSceneryIsFound)
{
    // Posts of different heights and brightness along the ground.
    const auto scenery = [](int anOffset) {
        return Screen([=](int x, int y) {
            const int u = x - anOffset;
            const bool post = (u % 97 + 97) % 97 < 12 && y > 300 + (u / 97 % 5) * 20;
            return post ? Rgb{float(120 + (u / 97 % 7) * 15), 100, 90} : Rgb{20, 20, 60};
        });
    };
    const Rect band{0, 300, W, 200};
    EXPECT_EQ(HorizontalShift(scenery(0), scenery(0), band, 300), 0);
    EXPECT_EQ(HorizontalShift(scenery(0), scenery(-130), band, 300), -130);
    EXPECT_EQ(HorizontalShift(scenery(0), scenery(75), band, 300), 75);
}
