// Menu pages on their own: reading a page, its layout, navigation, sliders, drawing order
// and pages that are empty, missing or incomplete.
#include "GameContentFixture.h"
#include "GameShell.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <stdexcept>

using namespace GameTest;

namespace
{
    class Menus : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            TestSupport::LoadGameSoundBank();
            myEngine = std::make_unique<KilnTest::ScopedEngine>();
            ASSERT_TRUE(myEngine->Started());
            myAssets = std::make_unique<MenuAssets>();
            Send(MessageType::MusicVolume, 0.5f);
            Send(MessageType::SfxVolume, 0.5f);
        }

        void TearDown() override
        {
            Send(MessageType::MusicVolume, 0.5f);
            Send(MessageType::SfxVolume, 0.5f);
            myAssets.reset();
            myEngine.reset();
        }

        static InputEvent Press(uint32_t anAction) { return InputEvent{anAction, true}; }
        static InputEvent Release(uint32_t anAction) { return InputEvent{anAction, false}; }

        std::vector<std::string> Labels() const
        {
            std::vector<std::string> labels;
            for (const MenuButton& button : myMenus.GetButtons())
                labels.push_back(button.GetText());
            return labels;
        }

        std::vector<uint8_t> Drawn()
        {
            EXPECT_TRUE((*myEngine)->BeginFrame());
            myMenus.Render();
            std::vector<uint8_t> pixels = myEngine->ReadBackBuffer();
            (*myEngine)->EndFrame();
            return pixels;
        }

        static const uint8_t* At(const std::vector<uint8_t>& somePixels, int aX, int aY)
        {
            return &somePixels[static_cast<size_t>((aY * 320 + aX) * 4)];
        }

        std::unique_ptr<KilnTest::ScopedEngine> myEngine;
        std::unique_ptr<MenuAssets> myAssets;
        MenuManager myMenus;
        GameManager myManager;
    };
}

TEST_F(Menus, ButtonsAreOrderedByLabelAndLaidOutForTheRenderSize)
{
    const std::string texture = myAssets->Texture("b", {10, 10, 200});
    PageObject scaled = MenuAssets::Button("1. First", 400.0f, 450.0f, texture);
    scaled.scaleX = 2.0f;
    scaled.scaleY = 0.5f;
    myAssets->WritePage("mainmenu", {MenuAssets::Button("3. Third", 800.0f, 300.0f, texture),
                                     MenuAssets::Button("10. Tenth", 800.0f, 100.0f, texture), scaled,
                                     MenuAssets::Button("2. Second", 800.0f, 600.0f, texture)});
    ::testing::internal::CaptureStdout();
    myMenus.Init(**myEngine, "mainmenu");
    const std::string out = ::testing::internal::GetCapturedStdout();

    // Byte-wise label order: "10." sorts before "2.".
    EXPECT_EQ(Labels(), (std::vector<std::string>{"1. First", "10. Tenth", "2. Second", "3. Third"}));
    // One line per button with its unscaled position and scale.
    EXPECT_NE(out.find("400 450 2 0.5\n"), std::string::npos) << out;
    EXPECT_NE(out.find("800 100 1 1\n"), std::string::npos) << out;

    // 1600 x 900 scaled to 320 x 200.
    const MenuButton& first = myMenus.GetButtons()[0];
    EXPECT_FLOAT_EQ(first.GetInstance().myPosition.x, 80.0f);
    EXPECT_FLOAT_EQ(first.GetInstance().myPosition.y, 100.0f);
    EXPECT_FLOAT_EQ(first.GetInstance().mySize.x, 300.0f);
    EXPECT_FLOAT_EQ(first.GetInstance().mySizeMultiplier.x, 0.4f);
    EXPECT_FLOAT_EQ(first.GetInstance().mySizeMultiplier.y, 0.5f / 4.5f);
    EXPECT_FLOAT_EQ(first.GetMin().x, 80.0f - 60.0f);
    EXPECT_FLOAT_EQ(first.GetMax().x, 80.0f + 60.0f);
    EXPECT_NEAR(first.GetMin().y, 100.0f - 60.0f * 0.5f / 4.5f / 2.0f, 1e-4f);
    EXPECT_EQ(first.GetLabel().GetPosition().x, 80.0f);
    EXPECT_EQ(first.GetLabel().GetText(), "1. First");
    // The cursor sits 20 px left of the selected (first) button, at half its height.
    EXPECT_NEAR(myMenus.GetCursor().GetPosition().x, 0.0f, 1e-4f);
    EXPECT_NEAR(myMenus.GetCursor().GetPosition().y, 100.0f, 1e-4f);
    EXPECT_EQ(myMenus.GetCursor().GetRecord().myInstance.mySizeMultiplier.x, 0.2f);
}

TEST_F(Menus, NavigationWrapsAndOnlyPressesAct)
{
    myAssets->WritePage("levelselect", myAssets->ButtonColumn({"1. Level 1", "2. Level 2", "4. Back"}));
    myMenus.Init(**myEngine, "levelselect");
    State state = State::LevelSelect;

    myMenus.OnInput(Press(Action::Up), state, myManager);
    EXPECT_EQ(myMenus.GetSelected(), 2);
    EXPECT_EQ(myMenus.GetCursor().GetPosition().x, myMenus.GetButtons()[2].GetCursorAnchor().x);
    EXPECT_EQ(myMenus.GetCursor().GetPosition().y, myMenus.GetButtons()[2].GetCursorAnchor().y);
    myMenus.OnInput(Press(Action::Down), state, myManager);
    EXPECT_EQ(myMenus.GetSelected(), 0);
    myMenus.OnInput(Press(Action::Left), state, myManager);
    myMenus.OnInput(Press(Action::Right), state, myManager);
    myMenus.OnInput(Press(Action::Right), state, myManager);
    EXPECT_EQ(myMenus.GetSelected(), 1);

    // Releases, sticks and the device change do nothing.
    MessageLog log;
    for (uint32_t action : {Action::Up, Action::Down, Action::Select, Action::Back})
        myMenus.OnInput(Release(action), state, myManager);
    myMenus.OnInput(InputEvent{Action::Move, Kiln::Vector2<float>{0.0f, 1.0f}}, state, myManager);
    myMenus.OnInput(InputEvent{Action::InputDeviceChanged, int32_t{1}}, state, myManager);
    EXPECT_EQ(myMenus.GetSelected(), 1);
    EXPECT_EQ(state, State::LevelSelect);
    EXPECT_TRUE(log.myEntries.empty());

    // A state without a page ignores the input.
    State playing = State::Playing;
    myMenus.OnInput(Press(Action::Down), playing, myManager);
    EXPECT_EQ(myMenus.GetSelected(), 1);

    myMenus.OnInput(Press(Action::Select), state, myManager);
    EXPECT_EQ(state, State::Playing);
    EXPECT_EQ(myManager.GetLevelPath(), "levels\\Level2.ksc");
    EXPECT_EQ(myMenus.GetPagePath(), "scenes\\pausemenu.ksc");
}

TEST_F(Menus, ASelectOnALabelThePageDoesNotKnowOnlySoundsTheClick)
{
    myAssets->WritePage("mainmenu", myAssets->ButtonColumn({"1. Start", "2. Quit"}));
    myMenus.Init(**myEngine, "mainmenu");
    State state = State::MainMenu;
    MessageLog log;
    myMenus.OnInput(Press(Action::Select), state, myManager);
    myMenus.OnInput(Press(Action::Back), state, myManager);
    myMenus.OnInput(Press(Action::Pause), state, myManager);
    EXPECT_EQ(state, State::MainMenu);
    EXPECT_EQ(log.Types(), (std::vector<MessageType>{MessageType::MenuSelect}));
}

TEST_F(Menus, SlidersStartAtTheBankVolumeAndStopAtTheirEnds)
{
    Send(MessageType::MusicVolume, 0.3f);
    const std::string bar = myAssets->Texture("bar", {90, 90, 90});
    std::vector<PageObject> page = myAssets->ButtonColumn({"1. Music", "2. SFX"});
    page.push_back(MenuAssets::Slider(0, 800.0f, 450.0f, bar, bar));
    page.push_back(MenuAssets::Slider(1, 800.0f, 300.0f, bar, bar));
    page.push_back(MenuAssets::Slider(7, 800.0f, 150.0f, bar, bar));
    myAssets->WritePage("options", page);

    MessageLog log;
    myMenus.Init(**myEngine, "options");
    // Each slider with a sound type sends the volume it stands at; the third does not.
    // (Sliders keep the page's object order, which the scene does not promise.)
    ASSERT_EQ(log.myEntries.size(), 2u);
    std::map<MessageType, float> sent;
    for (const MessageLog::Entry& entry : log.myEntries)
        sent[entry.type] = entry.value;
    EXPECT_NEAR(sent[MessageType::MusicVolume], 0.3f, 1e-5f);
    EXPECT_NEAR(sent[MessageType::SfxVolume], 0.5f, 1e-5f);

    ASSERT_EQ(myMenus.GetSliders().size(), 3u);
    const auto slider = [&](uint32_t aType) -> const MenuSlider& {
        for (const MenuSlider& candidate : myMenus.GetSliders())
            if (candidate.GetType() == aType)
                return candidate;
        throw std::runtime_error("no slider of that type");
    };
    const MenuSlider& music = slider(0);
    // Bar: 500 reference pixels wide, scaled by 320 / 1600, centred at 160.
    EXPECT_FLOAT_EQ(music.GetMin().x, 110.0f);
    EXPECT_FLOAT_EQ(music.GetMax().x, 210.0f);
    EXPECT_NEAR(music.GetHandleInstance().myPosition.x, 140.0f, 1e-4f);
    EXPECT_EQ(music.GetHandleInstance().myPosition.y, music.GetBarInstance().myPosition.y);
    EXPECT_FLOAT_EQ(slider(7).GetHandleInstance().myPosition.x, 110.0f);

    State state = State::Options;
    log.Clear();
    for (int i = 0; i < 10; ++i)
        myMenus.OnInput(Press(Action::Right), state, myManager);
    EXPECT_FLOAT_EQ(music.GetHandleInstance().myPosition.x, 210.0f);
    EXPECT_EQ(log.myEntries.size(), 10u);
    EXPECT_EQ(log.myEntries.back().value, 1.0f);   // past the end: still sent, at 1
    EXPECT_EQ(Sound::GetInstance().GetMusicVolume(), 1.0f);
    EXPECT_NEAR(Sound::GetInstance().GetSfxVolume(), 0.5f, 1e-5f);

    myMenus.OnInput(Press(Action::Down), state, myManager);
    for (int i = 0; i < 8; ++i)
        myMenus.OnInput(Press(Action::Left), state, myManager);
    EXPECT_EQ(Sound::GetInstance().GetSfxVolume(), 0.0f);
    EXPECT_FLOAT_EQ(slider(1).GetHandleInstance().myPosition.x, 110.0f);
    EXPECT_FLOAT_EQ(slider(7).GetHandleInstance().myPosition.x, 110.0f);
}

TEST_F(Menus, ButtonsAndLabelsAreDrawnThenBackgroundsDecalsSlidersAndTheCursorOverThem)
{
    const std::string blue = myAssets->Texture("blue", {0, 0, 230});
    std::vector<PageObject> page = {MenuAssets::Button("1. Left", 400.0f, 450.0f, blue),
                                    MenuAssets::Button("2. Right", 1200.0f, 450.0f, blue)};
    // A background over the right button: drawn after it, so it hides it.
    page.push_back(MenuAssets::Picture("KOB_Background", 1200.0f, 450.0f, 400.0f, 200.0f, {myAssets->Texture("red", {230, 0, 0})}));
    page.push_back(MenuAssets::Picture("KOB_Decal", 1200.0f, 700.0f, 100.0f, 100.0f, {myAssets->Texture("yellow", {230, 230, 0})}));
    myAssets->WritePage("credits", page);
    myMenus.Init(**myEngine, "credits");
    const std::vector<uint8_t> pixels = Drawn();

    // The left button's sprite is blue (x 50 to 110), with its white label starting at its
    // centre.
    EXPECT_GT(At(pixels, 75, 100)[0], 150);
    EXPECT_LT(At(pixels, 75, 100)[2], 50);
    int white = 0;
    for (int y = 85; y < 100; ++y)
        for (int x = 80; x < 140; ++x)
            white += At(pixels, x, y)[0] > 200 && At(pixels, x, y)[1] > 200 && At(pixels, x, y)[2] > 200;
    EXPECT_GT(white, 20);
    // The right button lies under the red background.
    EXPECT_GT(At(pixels, 240, 100)[2], 150);
    EXPECT_LT(At(pixels, 240, 100)[0], 50);
    // The decal.
    EXPECT_GT(At(pixels, 240, 45)[1], 150);
    EXPECT_GT(At(pixels, 240, 45)[2], 150);
    // The cursor (the generated moth, pale wings) at the selected button's anchor.
    const Kiln::Vector2<float> anchor = myMenus.GetButtons()[0].GetCursorAnchor();
    int pale = 0;
    for (int y = 200 - static_cast<int>(anchor.y) - 15; y < 200 - static_cast<int>(anchor.y) + 10; ++y)
        for (int x = static_cast<int>(anchor.x) - 15; x < static_cast<int>(anchor.x) + 25; ++x)
            pale += At(pixels, x, y)[0] > 200 && At(pixels, x, y)[1] > 200 && At(pixels, x, y)[2] > 200;
    EXPECT_GT(pale, 5);
}

TEST_F(Menus, APageWithoutButtonsShowsItsPicturesAndOnlyBackLeadsOn)
{
    myAssets->WritePage("levelselect", {MenuAssets::Picture("KOB_Decal", 800.0f, 450.0f, 100.0f, 100.0f,
                                                            {myAssets->Texture("yellow", {230, 230, 0})})});
    myAssets->WritePage("mainmenu", myAssets->ButtonColumn({"1. Play"}));
    myMenus.Init(**myEngine, "levelselect");
    EXPECT_TRUE(myMenus.GetButtons().empty());
    EXPECT_EQ(myMenus.GetDecals().size(), 1u);
    EXPECT_TRUE(myMenus.GetCursor().GetRecord().myInstance.myIsHidden);

    State state = State::LevelSelect;
    MessageLog log;
    for (uint32_t action : {Action::Up, Action::Down, Action::Left, Action::Right, Action::Select})
        myMenus.OnInput(Press(action), state, myManager);
    EXPECT_EQ(state, State::LevelSelect);
    EXPECT_EQ(log.Types(), (std::vector<MessageType>{MessageType::MenuSelect}));
    const std::vector<uint8_t> pixels = Drawn();
    EXPECT_GT(At(pixels, 160, 100)[1], 150);

    myMenus.OnInput(Press(Action::Back), state, myManager);
    EXPECT_EQ(state, State::MainMenu);
    EXPECT_EQ(myMenus.GetButtons().size(), 1u);
    EXPECT_FALSE(myMenus.GetCursor().GetRecord().myInstance.myIsHidden);
}

TEST_F(Menus, AMissingPageIsAWarningAndAnEmptyPageButAGameWithoutAMainMenuCannotGoOn)
{
    // Back leaves any other page: the game goes on, and the line reads as a warning.
    ::testing::internal::CaptureStderr();
    myMenus.Init(**myEngine, "pausemenu");
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "Menu page folder \"" + (myAssets->Root() / "scenes" / "pausemenu.ksc.leveldata").string() +
                       "\" does not exist; the page stays empty and Back leaves it\n");
    EXPECT_TRUE(myMenus.GetButtons().empty());
    State state = State::Paused;
    myMenus.OnInput(Press(Action::Select), state, myManager);
    myMenus.OnInput(Press(Action::Down), state, myManager);
    EXPECT_EQ(state, State::Paused);
    Drawn();
    myMenus.OnInput(Press(Action::Pause), state, myManager);
    EXPECT_EQ(state, State::Playing);

    // Without the main page, or with one that has no button, there is nothing to choose.
    const auto refusal = [this] { return ContentErrorOf([this] { MenuManager().Init(**myEngine, "mainmenu"); }); };
    const std::string folder = (myAssets->Root() / "scenes" / "mainmenu.ksc.leveldata").string();
    EXPECT_EQ(refusal(), "menu page folder \"" + folder + "\" does not exist; the game has no main menu");
    myAssets->WritePage("mainmenu", {MenuAssets::Picture("KOB_Background", 800.0f, 450.0f, 100.0f, 100.0f, {myAssets->Texture("art", {9, 9, 9})})});
    EXPECT_EQ(refusal(), "Scene folder \"" + folder + "\": the main menu has no button (no object of the definition \"Button\"); the game cannot go on");
}

TEST_F(Menus, APageObjectMissingAKeyItsDefinitionNeedsEndsTheLoadNamingTheObjectAndTheKey)
{
    // A slider whose object definition has no "SoundType".
    myAssets->WritePage("options", {MenuAssets::Slider(0, 800.0f, 450.0f, "", "")});
    std::filesystem::remove(myAssets->Root() / "objectdefinitions" / "KOB_Slider.kob");
    myAssets->Texture("unused", {0, 0, 0});
    std::ofstream(myAssets->Root() / "objectdefinitions" / "KOB_Slider.kob")
        << R"({"parent-object-definition": "", "properties": [
              {"name": "Slider", "type": "Sprite", "value": {}, "is-dynamic": false, "is-per-instance": true},
              {"name": "Button", "type": "Sprite", "value": {}, "is-dynamic": false, "is-per-instance": true}]})";
    const std::string message = ContentErrorOf([this] { myMenus.Init(**myEngine, "options"); });
    EXPECT_TRUE(message.starts_with("Scene object file \"" + (myAssets->Root() / "scenes" / "options.ksc.leveldata").string() + "/")) << message;
    EXPECT_TRUE(message.ends_with("KOB_Slider.kob\"): key \"SoundType\" is missing (expected Int)")) << message;
}
