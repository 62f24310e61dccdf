// On-screen prompts and tutorial cards: where they sit, when the player is near, which
// picture the active device picks, and how talks and granted upgrades page and hide them.
#include "PropTestWorld.h"

#include "InputMapper.h"
#include "InteractObject.h"
#include "TutorialText.h"

#include "forge/drawers/SpriteDrawer.h"
#include "forge/input/InputManager.h"
#include "forge/input/XInput.h"

#include "Platform/window/Messages.h"
#include "Support/FakePads.h"

#include <cmath>

using namespace PropTest;

namespace
{
    // Makes the game's input mapper see a pad or the keyboard as the device used last, and
    // leaves it on the keyboard with no readers, as it was.
    class ActiveDevice
    {
    public:
        ActiveDevice()
        {
            myPads.connected[0] = true;
            InputMapper::GetInstance().SetInputManagers(&myInput, &myPad);
        }
        ~ActiveDevice()
        {
            UseKeyboard();
            InputMapper::GetInstance().SetInputManagers(nullptr, nullptr);
        }
        void UsePad()
        {
            myPads.pads[0].buttons = Plat::Gamepad::BUTTON_A;
            InputMapper::GetInstance().Update();
            myPads.pads[0].buttons = 0;
            InputMapper::GetInstance().Update();
        }
        void UseKeyboard()
        {
            myInput.UpdateEvents(Plat::Window::WM_KEYDOWN, 'E', 0);
            InputMapper::GetInstance().Update();
            myInput.UpdateEvents(Plat::Window::WM_KEYUP, 'E', 0);
            InputMapper::GetInstance().Update();
        }

    private:
        TestSupport::FakePads myPads;
        Kiln::InputManager myInput{nullptr};
        Kiln::XInput myPad;
    };

    constexpr uint32_t kRed = 0xff0000ffu;
    constexpr uint32_t kGreen = 0xff00ff00u;
    constexpr uint32_t kBlue = 0xffff0000u;
    constexpr uint32_t kWhite = 0xffffffffu;

    class PromptTest : public PropWorld
    {
    protected:
        void SetUp() override
        {
            PropWorld::SetUp();
            for (const auto& [path, colour] : {std::pair{"sprites/UI/prompt_keyboard.dds", kRed}, {"sprites/UI/prompt_pad.dds", kBlue},
                                               {"sprites/UI/card_keyboard_1.dds", kRed}, {"sprites/UI/card_keyboard_2.dds", kGreen},
                                               {"sprites/UI/card_pad_1.dds", kBlue}, {"sprites/UI/card_pad_2.dds", kWhite}})
            {
                const uint32_t texel = colour;
                WriteTexture(path, 8, 8, [texel](uint32_t, uint32_t) { return texel; });
            }
        }

        // One frame of screen-space drawing, as the world draws its prompts last.
        SpriteTest::Image DrawScreen(const std::function<void(Kiln::SpriteDrawer&)>& aDraw)
        {
            EXPECT_TRUE((*myEngine)->BeginFrame());
            Kiln::DX11::BackBuffer->SetAsActiveTarget();
            aDraw(*(*myEngine)->GetGraphicsEngine()->GetSpriteDrawer());
            SpriteTest::Image image = SpriteTest::ReadBackBuffer();
            (*myEngine)->EndFrame();
            return image;
        }

        static bool Is(const SpriteTest::Rgba& aPixel, uint32_t aColour)
        {
            return std::abs(aPixel.r - int(aColour & 0xff)) < 3 && std::abs(aPixel.g - int((aColour >> 8) & 0xff)) < 3 &&
                   std::abs(aPixel.b - int((aColour >> 16) & 0xff)) < 3;
        }

        ActiveDevice myDevice;
    };

    // The prompt is a 22.4-pixel square on the 320 x 180 screen, its bottom edge centred on
    // (265.6, 63); the card is 256 x 128, its bottom edge centred on (160, 18).
    constexpr float kPromptX = 265.6f, kPromptY = 74.0f;
    constexpr float kCardX = 160.0f, kCardY = 80.0f;
}

TEST_F(PromptTest, APromptIsASmallSquareOnTheRightAndShowsWithinItsRadius)
{
    InteractObject prompt("sprites/UI/prompt_pad.dds", "sprites/UI/prompt_keyboard.dds", {1000.0f, 200.0f, 0.0f});
    const Kiln::Sprite2DInstanceData& sprite = prompt.GetSprite();
    EXPECT_NEAR(sprite.myPosition.x, 0.83f * 320.0f, 1e-3f);
    EXPECT_NEAR(sprite.myPosition.y, 0.35f * 180.0f, 1e-3f);
    EXPECT_NEAR(sprite.mySize.x, 0.07f * 320.0f, 1e-3f);
    EXPECT_NEAR(sprite.mySize.y, 0.07f * 320.0f, 1e-3f);
    EXPECT_EQ(sprite.myPivot, Vec2(0.5f, 1.0f));
    EXPECT_TRUE(prompt.IsEnabled());
    EXPECT_FALSE(prompt.IsNear());

    // Near: closer than the square root of 125000 (353.55) in x and y; depth is ignored.
    prompt.UpdateProximity({1000.0f + 353.0f, 200.0f, 9000.0f});
    EXPECT_TRUE(prompt.IsNear());
    prompt.UpdateProximity({1000.0f + 354.0f, 200.0f, 0.0f});
    EXPECT_FALSE(prompt.IsNear());
    prompt.UpdateProximity({1000.0f + 249.0f, 200.0f - 249.0f, 0.0f});
    EXPECT_TRUE(prompt.IsNear());
    prompt.UpdateProximity({1000.0f + 250.0f, 200.0f + 250.0f, 0.0f});
    EXPECT_FALSE(prompt.IsNear()) << "exactly on the radius is not near";
    prompt.UpdateProximity({1000.0f + 251.0f, 200.0f + 251.0f, 0.0f});
    EXPECT_FALSE(prompt.IsNear());

    const SpriteTest::Image away = DrawScreen([&](Kiln::SpriteDrawer& aDrawer) { prompt.Render(aDrawer); });
    EXPECT_FALSE(Is(away.AtSpritePoint(kPromptX, kPromptY), kRed)) << "nothing while the player is away";

    prompt.UpdateProximity({1000.0f, 200.0f, 0.0f});
    const SpriteTest::Image near = DrawScreen([&](Kiln::SpriteDrawer& aDrawer) { prompt.Render(aDrawer); });
    EXPECT_TRUE(Is(near.AtSpritePoint(kPromptX, kPromptY), kRed)) << "the keyboard picture";
    EXPECT_TRUE(Is(near.AtSpritePoint(256.0f, 65.0f), kRed));
    EXPECT_TRUE(Is(near.AtSpritePoint(275.0f, 84.0f), kRed));
    EXPECT_FALSE(Is(near.AtSpritePoint(252.0f, 74.0f), kRed)) << "left of the square";
    EXPECT_FALSE(Is(near.AtSpritePoint(265.0f, 60.0f), kRed)) << "below its bottom edge";
    EXPECT_FALSE(Is(near.AtSpritePoint(265.0f, 88.0f), kRed)) << "above its top edge";

    myDevice.UsePad();
    ASSERT_EQ(InputMapper::GetInstance().GetActiveDevice(), 1u);
    const SpriteTest::Image pad = DrawScreen([&](Kiln::SpriteDrawer& aDrawer) { prompt.Render(aDrawer); });
    EXPECT_TRUE(Is(pad.AtSpritePoint(kPromptX, kPromptY), kBlue)) << "the gamepad picture";
}

TEST_F(PromptTest, AnUpgradeGrantedNearbyHidesThePromptForGood)
{
    InteractObject nearby("sprites/UI/prompt_pad.dds", "sprites/UI/prompt_keyboard.dds", {0.0f, 0.0f, 0.0f});
    InteractObject elsewhere("sprites/UI/prompt_pad.dds", "sprites/UI/prompt_keyboard.dds", {5000.0f, 0.0f, 0.0f});
    nearby.UpdateProximity({100.0f, 0.0f, 0.0f});
    elsewhere.UpdateProximity({100.0f, 0.0f, 0.0f});
    Post(MessageType::NpcTalk);
    EXPECT_TRUE(nearby.IsEnabled()) << "talking is not granting";
    Post(MessageType::UpgradeGranted, {0.0f, 0.0f, 0.0f});
    EXPECT_FALSE(nearby.IsEnabled());
    EXPECT_TRUE(elsewhere.IsEnabled()) << "the player was not near it";

    nearby.UpdateProximity({0.0f, 0.0f, 0.0f});
    EXPECT_TRUE(nearby.IsNear());
    const SpriteTest::Image image = DrawScreen([&](Kiln::SpriteDrawer& aDrawer) { nearby.Render(aDrawer); });
    EXPECT_FALSE(Is(image.AtSpritePoint(kPromptX, kPromptY), kRed)) << "near again, still hidden";

    elsewhere.UpdateProximity({5000.0f, 0.0f, 0.0f});
    const SpriteTest::Image other = DrawScreen([&](Kiln::SpriteDrawer& aDrawer) { elsewhere.Render(aDrawer); });
    EXPECT_TRUE(Is(other.AtSpritePoint(kPromptX, kPromptY), kRed));
}

TEST_F(PromptTest, MissingPicturesShowThePlaceholder)
{
    InteractObject prompt(nullptr, "", {0.0f, 0.0f, 0.0f});
    const Kiln::Texture* pad = prompt.GetControllerSprite().myTextures[0];
    const Kiln::Texture* keyboard = prompt.GetKeyboardSprite().myTextures[0];
    ASSERT_NE(pad, nullptr);
    EXPECT_EQ(pad, keyboard) << "both are the empty path's placeholder";
    EXPECT_TRUE(static_cast<const Kiln::TextureResource*>(pad)->myIsPlaceholder);

    prompt.UpdateProximity({0.0f, 0.0f, 0.0f});
    const SpriteTest::Image image = DrawScreen([&](Kiln::SpriteDrawer& aDrawer) { prompt.Render(aDrawer); });
    const SpriteTest::Image none = DrawScreen([](Kiln::SpriteDrawer&) {});
    const SpriteTest::Rgba drawn = image.AtSpritePoint(kPromptX, kPromptY);
    const SpriteTest::Rgba clear = none.AtSpritePoint(kPromptX, kPromptY);
    EXPECT_TRUE(drawn.r != clear.r || drawn.g != clear.g || drawn.b != clear.b) << "the checker is drawn";
}

TEST_F(PromptTest, ACardTurnsItsPagesOnTalksNearbyAndHidesOnAGrant)
{
    TutorialText card("sprites/UI/card_pad_1.dds", "sprites/UI/card_pad_2.dds", "sprites/UI/card_keyboard_1.dds",
                      "sprites/UI/card_keyboard_2.dds", {0.0f, 0.0f, 0.0f});
    const Kiln::Sprite2DInstanceData& sprite = card.GetSprite();
    EXPECT_NEAR(sprite.myPosition.x, 160.0f, 1e-3f);
    EXPECT_NEAR(sprite.myPosition.y, 18.0f, 1e-3f);
    EXPECT_NEAR(sprite.mySize.x, 256.0f, 1e-3f);
    EXPECT_NEAR(sprite.mySize.y, 128.0f, 1e-3f);
    EXPECT_EQ(sprite.myPivot, Vec2(0.5f, 1.0f));
    EXPECT_EQ(card.GetPage(), 0u);
    EXPECT_FALSE(card.IsVisible());
    const auto draw = [&] { return DrawScreen([&](Kiln::SpriteDrawer& aDrawer) { card.Render(aDrawer); }); };

    // Within 5000 units in three dimensions.
    card.UpdateProximity({3000.0f, 0.0f, 4000.0f});
    EXPECT_TRUE(card.IsNear());
    card.UpdateProximity({3000.0f, 0.0f, 4001.0f});
    EXPECT_FALSE(card.IsNear());
    Post(MessageType::NpcTalk);
    EXPECT_EQ(card.GetPage(), 0u) << "a talk far away";
    EXPECT_FALSE(card.IsVisible());
    EXPECT_FALSE(Is(draw().AtSpritePoint(kCardX, kCardY), kRed));

    card.UpdateProximity({100.0f, 0.0f, 0.0f});
    Post(MessageType::NpcTalk);
    EXPECT_EQ(card.GetPage(), 1u);
    EXPECT_TRUE(card.IsVisible());
    const SpriteTest::Image first = draw();
    EXPECT_TRUE(Is(first.AtSpritePoint(kCardX, kCardY), kRed)) << "keyboard page 1";
    EXPECT_TRUE(Is(first.AtSpritePoint(35.0f, 20.0f), kRed));
    EXPECT_TRUE(Is(first.AtSpritePoint(285.0f, 144.0f), kRed));
    EXPECT_FALSE(Is(first.AtSpritePoint(28.0f, 80.0f), kRed)) << "left of the card";
    EXPECT_FALSE(Is(first.AtSpritePoint(160.0f, 15.0f), kRed)) << "below it";
    EXPECT_FALSE(Is(first.AtSpritePoint(160.0f, 150.0f), kRed)) << "above it";

    myDevice.UsePad();
    EXPECT_TRUE(Is(draw().AtSpritePoint(kCardX, kCardY), kBlue)) << "gamepad page 1";
    Post(MessageType::NpcTalk);
    EXPECT_EQ(card.GetPage(), 2u);
    EXPECT_TRUE(Is(draw().AtSpritePoint(kCardX, kCardY), kWhite)) << "gamepad page 2";
    myDevice.UseKeyboard();
    EXPECT_TRUE(Is(draw().AtSpritePoint(kCardX, kCardY), kGreen)) << "keyboard page 2";

    // A grant anywhere puts every card away.
    card.UpdateProximity({90000.0f, 0.0f, 0.0f});
    Post(MessageType::UpgradeGranted, {90000.0f, 0.0f, 0.0f});
    EXPECT_EQ(card.GetPage(), 0u);
    EXPECT_FALSE(card.IsVisible());
    EXPECT_FALSE(Is(draw().AtSpritePoint(kCardX, kCardY), kGreen));
}

TEST_F(PromptTest, ATalkBeyondTheSecondPageShowsNothing)
{
    TutorialText card("sprites/UI/card_pad_1.dds", "sprites/UI/card_pad_2.dds", "sprites/UI/card_keyboard_1.dds",
                      "sprites/UI/card_keyboard_2.dds", {0.0f, 0.0f, 0.0f});
    card.UpdateProximity({0.0f, 0.0f, 0.0f});
    for (int talk = 0; talk < 3; ++talk)
        Post(MessageType::NpcTalk);
    EXPECT_EQ(card.GetPage(), 3u);
    EXPECT_TRUE(card.IsVisible());
    const SpriteTest::Image image = DrawScreen([&](Kiln::SpriteDrawer& aDrawer) { card.Render(aDrawer); });
    const SpriteTest::Rgba p = image.AtSpritePoint(kCardX, kCardY);
    EXPECT_FALSE(Is(p, kRed) || Is(p, kGreen)) << "no third page";

    // The next grant starts it over.
    Post(MessageType::UpgradeGranted);
    Post(MessageType::NpcTalk);
    EXPECT_EQ(card.GetPage(), 1u);
}
