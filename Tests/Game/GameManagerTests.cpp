// The game manager's state table, driven frame by frame with keys through the input mapper.
#include "GameShell.h"

#include "StartupLoader.h"
#include "forge/graphics/DX11.h"
#include "forge/scene/GameAssetsRoot.h"
#include "forge/texture/TextureManager.h"
#include "Platform/runtime/Paths.h"

#include "Platform/gamepad/Gamepad.h"
#include "Platform/window/MessageQueue.h"
#include "Platform/window/Window.h"
#include "Support/FakePads.h"

#include "forge/input/XInput.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <thread>
#include <unistd.h>

using namespace GameTest;
using Access = GameManagerTestAccess;

namespace
{
    constexpr const char* IntroSound = "video/VID_Intro_Sound.mp3";
    constexpr const char* OutroSound = "video/VID_Outro_Sound.mp3";

    bool Contains(const std::vector<MessageType>& someTypes, MessageType aType)
    {
        return std::find(someTypes.begin(), someTypes.end(), aType) != someTypes.end();
    }

    // Standard input from /dev/null while it lives, so that a console pause cannot wait
    // even when the tests run from a terminal.
    class NoConsoleInput
    {
    public:
        NoConsoleInput() : mySaved(dup(STDIN_FILENO))
        {
            const int null = open("/dev/null", O_RDONLY);
            dup2(null, STDIN_FILENO);
            close(null);
        }
        ~NoConsoleInput()
        {
            dup2(mySaved, STDIN_FILENO);
            close(mySaved);
        }

    private:
        int mySaved;
    };
}

TEST_F(GameShellTest, InitBindsTheThirtyFourInputsInTheirOrder)
{
    // Every code the game binds, pressed on the keyboard or the pad, raises its actions in
    // binding order.
    std::vector<uint32_t> actions;
    const uint32_t listener = InputMapper::GetInstance().AddInputEventListener([&](const InputEvent& anEvent) {
        const bool* pressed = std::get_if<bool>(&anEvent.value);
        if (!pressed || *pressed)
            actions.push_back(anEvent.action);
    });
    TestSupport::FakePads pads;
    Kiln::XInput reader;
    InputMapper::GetInstance().SetInputManagers(myInput.get(), &reader);

    const std::map<uint32_t, std::vector<uint32_t>> keyboard = {
        {13, {Action::Interact, Action::Select}}, {16, {Action::Dash}},  {17, {Action::Dash}},
        {27, {Action::Back, Action::Pause}},      {32, {Action::Jump, Action::Select}},
        {37, {Action::Left}},                     {38, {Action::Up, Action::Jump}},
        {39, {Action::Right}},                    {40, {Action::Down}},  {65, {Action::Left}},
        {68, {Action::Right}},                    {69, {Action::Interact, Action::Select}},
        {83, {Action::Down}},                     {87, {Action::Up, Action::Jump}},
    };
    InputMapper::GetInstance().Update();
    for (const auto& [key, expected] : keyboard)
    {
        actions.clear();
        KeyDown(key);
        InputMapper::GetInstance().Update();
        KeyUp(key);
        InputMapper::GetInstance().Update();
        EXPECT_EQ(actions, expected) << "key " << key;
    }

    // The pad: the first event also switches the active device (action 11 from code 106).
    pads.connected[0] = true;
    const std::vector<std::pair<uint16_t, std::vector<uint32_t>>> buttons = {
        {0x0001, {Action::Up, Action::Jump}}, {0x0002, {Action::Down}},   {0x0004, {Action::Left}},
        {0x0008, {Action::Right}},            {0x0010, {Action::Pause}},  {0x0020, {Action::Back}},
        {0x1000, {Action::Jump, Action::Select}}, {0x2000, {Action::Back}}, {0x4000, {Action::Dash}},
        {0x8000, {Action::Interact}},         {0x0100, {}},
    };
    actions.clear();
    pads.pads[0].buttons = 0x0040;   // left thumb: bound to nothing, only the device change
    InputMapper::GetInstance().Update();
    EXPECT_EQ(actions, (std::vector<uint32_t>{Action::InputDeviceChanged}));
    pads.pads[0].buttons = 0;
    InputMapper::GetInstance().Update();
    for (const auto& [bit, expected] : buttons)
    {
        actions.clear();
        pads.pads[0].buttons = bit;
        InputMapper::GetInstance().Update();
        pads.pads[0].buttons = 0;
        InputMapper::GetInstance().Update();
        EXPECT_EQ(actions, expected) << "button " << bit;
    }
    actions.clear();
    pads.pads[0].thumbLX = 32767;
    InputMapper::GetInstance().Update();
    EXPECT_EQ(actions, (std::vector<uint32_t>{Action::Move}));
    pads.pads[0].thumbLX = 0;
    InputMapper::GetInstance().Update();
    actions.clear();
    pads.pads[0].thumbRX = 32767;   // the right stick and the triggers are bound to nothing
    pads.pads[0].leftTrigger = 255;
    InputMapper::GetInstance().Update();
    EXPECT_TRUE(actions.empty());

    InputMapper::GetInstance().SetInputManagers(myInput.get(), nullptr);
    InputMapper::GetInstance().RemoveInputEventListener(listener);
}

TEST_F(GameShellTest, TheSplashScreenLeadsToTheMainMenuAfterNineAndAHalfSecondsAndCannotBeSkipped)
{
    MessageLog log;
    Access::BeginRun(*myManager);
    ASSERT_NE(Access::Splash(*myManager), nullptr);
    // The menu loads behind the splash screen, not before its first frame.
    EXPECT_TRUE(Menus().GetButtons().empty());
    EXPECT_TRUE(Menus().GetPagePath().empty());
    Frame(5.0f);   // the first update only starts the logo
    EXPECT_EQ(log.Types(), (std::vector<MessageType>{MessageType::IntroLogoSound}));

    // Pause, Back and Select do nothing here (pressed in frames that take no time).
    for (uint32_t key : {Esc, Enter, Space})
        Press(key, 0.0f);
    Advance(9.0f, 0.5f);
    EXPECT_EQ(CurrentState(), State::Splashscreen);
    EXPECT_TRUE(Contains(log.Types(), MessageType::IntroTeamSound));
    EXPECT_FALSE(Contains(log.Types(), MessageType::MainTheme));

    log.Clear();
    Frame(0.5f);   // 9.5 s: not yet below 0
    EXPECT_EQ(CurrentState(), State::Splashscreen);
    Frame(0.1f);
    EXPECT_EQ(CurrentState(), State::MainMenu);
    EXPECT_EQ(Access::Splash(*myManager), nullptr);
    EXPECT_EQ(log.Types(), (std::vector<MessageType>{MessageType::MainTheme}));
    EXPECT_EQ(ChannelsOf("Sound/Embercrest_main.mp3"), 1u);

    // Complete when the splash ends: the main page with its buttons, and every picture of
    // every page already made (asking for one makes nothing new).
    EXPECT_EQ(Menus().GetPagePath(), "scenes\\mainmenu.ksc");
    EXPECT_EQ(Menus().GetButtons().size(), 5u);
    Kiln::TextureManager& textures = *(*myEngine)->GetTextureManager();
    size_t pictures = 0;
    for (const char* page : MenuManager::PAGE_PATHS)
    {
        std::filesystem::path folder = Kiln::impl::GetGameAssetsPath() / Plat::Runtime::ToPortableSeparators(page);
        folder += ".leveldata";
        for (const std::string& path : StartupLoader::ListSceneTextures(Plat::Runtime::ResolveCase(folder)))
        {
            const size_t cached = textures.GetCacheSize();
            const Kiln::TextureResource* texture = textures.GetTexture(path.c_str(), Kiln::TextureSrgbMode::ForceSrgb);
            EXPECT_EQ(textures.GetCacheSize(), cached) << page << ": " << path;
            EXPECT_FALSE(texture->myIsPlaceholder) << page << ": " << path;
            ++pictures;
        }
    }
    EXPECT_GT(pictures, 10u);
}

TEST_F(GameShellTest, PlayShowsTheIntroAndPauseSkipsItIntoTheFirstLevel)
{
    StartAtMainMenu();
    MessageLog log;
    KeyDown(Enter);
    Frame();
    // The press and the intro's first frame: music stopped, cutscene made and updated.
    EXPECT_EQ(CurrentState(), State::IntroVideo);
    ASSERT_NE(Access::Intro(*myManager), nullptr);
    EXPECT_EQ(log.Types(), (std::vector<MessageType>{MessageType::MenuSelect, MessageType::StopMusic}));
    EXPECT_FLOAT_EQ(Access::Intro(*myManager)->GetCountdown(), 38.0f - 0.016f);
    EXPECT_EQ(ChannelsOf(IntroSound), 1u);
    KeyUp(Enter);
    Advance(2.0f);

    log.Clear();
    KeyDown(Esc);   // Back is ignored by the cutscene, Pause skips it
    Frame();
    EXPECT_EQ(ChannelsOf(IntroSound), 0u);
    EXPECT_EQ(CurrentState(), State::Playing);
    EXPECT_EQ(Access::Intro(*myManager), nullptr);
    ASSERT_NE(Access::World(*myManager), nullptr);
    EXPECT_EQ(myManager->GetLevelPath(), "levels\\Level1.ksc");
    ASSERT_EQ(log.myEntries.size(), 1u);
    EXPECT_EQ(log.myEntries[0].type, MessageType::LevelMusic);
    EXPECT_EQ(log.myEntries[0].text, "levels\\Level1.ksc");
    EXPECT_EQ(ChannelsOf("Sound/Embercrest_1.mp3"), 1u);
    // The pause page is ready before the first pause.
    EXPECT_EQ(Menus().GetPagePath(), "scenes\\pausemenu.ksc");

    // Releasing the key that skipped the intro does not pause.
    KeyUp(Esc);
    Frame();
    EXPECT_EQ(CurrentState(), State::Playing);
}

TEST_F(GameShellTest, TheIntroEndsAfterThirtyEightSecondsAndLeavesItsSoundtrackPlaying)
{
    StartAtMainMenu();
    Press(Enter);
    Advance(37.5f, 0.5f);
    EXPECT_EQ(CurrentState(), State::IntroVideo);
    Frame(0.5f);
    EXPECT_EQ(CurrentState(), State::Playing);
    EXPECT_NE(Access::World(*myManager), nullptr);
    EXPECT_EQ(ChannelsOf(IntroSound), 1u);
}

TEST_F(GameShellTest, PauseShowsThePausePageAndResumeBackAndPauseReturnToPlay)
{
    StartAtMainMenu();
    Press(Enter);
    Press(Esc);
    ASSERT_EQ(CurrentState(), State::Playing);
    GameWorld* world = Access::World(*myManager);

    // Without the pause page, play draws nothing of the menus (the clear colour is teal).
    Frame();
    EXPECT_LT(Pixel(305, 12)[2], 50);

    KeyDown(Esc);
    Frame();
    EXPECT_EQ(CurrentState(), State::Paused);
    // The pause page's decal (magenta, top right) over the world.
    EXPECT_GT(Pixel(305, 12)[0], 150);
    EXPECT_GT(Pixel(305, 12)[2], 150);
    EXPECT_LT(Pixel(305, 12)[1], 50);
    KeyUp(Esc);
    Frame();
    EXPECT_EQ(CurrentState(), State::Paused);

    // "1. Resume".
    Press(Enter);
    EXPECT_EQ(CurrentState(), State::Playing);
    // Esc on the pause page resumes: its Back and its Pause are one key press.
    Press(Esc);
    ASSERT_EQ(CurrentState(), State::Paused);
    Press(Esc);
    EXPECT_EQ(CurrentState(), State::Playing);

    // The pad's Back (B) and Start resume too.
    TestSupport::FakePads pads;
    pads.connected[0] = true;
    Kiln::XInput reader;
    InputMapper::GetInstance().SetInputManagers(myInput.get(), &reader);
    for (uint16_t button : {uint16_t(0x2000), uint16_t(0x0010)})
    {
        Press(Esc);
        ASSERT_EQ(CurrentState(), State::Paused);
        pads.pads[0].buttons = button;
        Frame();
        EXPECT_EQ(CurrentState(), State::Playing) << button;
        pads.pads[0].buttons = 0;
        Frame();
    }
    InputMapper::GetInstance().SetInputManagers(myInput.get(), nullptr);
    EXPECT_EQ(Access::World(*myManager), world);
}

TEST_F(GameShellTest, OptionsFromThePausePageReturnThereAndBackKeepsTheWorldUntilANewOneIsMade)
{
    StartAtMainMenu();
    Press(Enter);
    Press(Esc);
    Press(Esc);
    ASSERT_EQ(CurrentState(), State::Paused);

    Press(Down);
    Press(Enter);   // "2. Options"
    EXPECT_EQ(CurrentState(), State::Options);
    EXPECT_EQ(Menus().GetPagePath(), "scenes\\options.ksc");
    Press(Esc);     // Back, back to the pause page (its Pause does not resume the game)
    EXPECT_EQ(CurrentState(), State::Paused);
    EXPECT_EQ(Menus().GetPagePath(), "scenes\\pausemenu.ksc");
    Press(Down);
    Press(Enter);
    ASSERT_EQ(CurrentState(), State::Options);
    ChooseMainMenuButton(3);   // "4. Back"
    EXPECT_EQ(CurrentState(), State::Paused);

    MessageLog log;
    Press(Down);
    Press(Down);
    Press(Enter);   // "3. Back"
    EXPECT_EQ(CurrentState(), State::MainMenu);
    EXPECT_EQ(log.Types(), (std::vector<MessageType>{MessageType::MenuSelect, MessageType::StopMusic, MessageType::MainTheme}));
    EXPECT_NE(Access::World(*myManager), nullptr);
    EXPECT_EQ(Menus().GetPagePath(), "scenes\\mainmenu.ksc");

    // Play again: the old world goes (its music stop) before the new one starts its music.
    Press(Enter);
    log.Clear();
    Press(Esc);
    EXPECT_EQ(CurrentState(), State::Playing);
    EXPECT_EQ(log.Types(), (std::vector<MessageType>{MessageType::StopMusic, MessageType::LevelMusic}));
}

TEST_F(GameShellTest, ExitOnThePausePageOrTheMainPageEndsTheLoop)
{
    StartAtMainMenu();
    Press(Enter);
    Press(Esc);
    Press(Esc);
    MessageLog log;
    Press(Down);
    Press(Down);
    Press(Down);
    KeyDown(Enter);
    EXPECT_FALSE(Frame());   // "4. Exit"
    EXPECT_EQ(CurrentState(), State::Quit);
    EXPECT_EQ(log.Types(), (std::vector<MessageType>{MessageType::MenuSelect, MessageType::StopMusic}));
}

TEST_F(GameShellTest, TheLevelSelectStartsTheChosenLevelInTheSameFrameReplacingAHeldWorld)
{
    // A world held from the pause page's "3. Back": its hero stops listening while the
    // very key press that replaces it is being handed out.
    StartAtMainMenu();
    Press(Enter);
    Press(Esc);
    Press(Esc);
    ChooseMainMenuButton(2);
    ASSERT_EQ(CurrentState(), State::MainMenu);
    ChooseMainMenuButton(1);
    ASSERT_EQ(CurrentState(), State::LevelSelect);
    EXPECT_EQ(Menus().GetPagePath(), "scenes\\levelselect.ksc");

    // Back, and back in.
    Press(Esc);
    EXPECT_EQ(CurrentState(), State::MainMenu);
    ChooseMainMenuButton(1);
    ASSERT_EQ(CurrentState(), State::LevelSelect);

    MessageLog log;
    Press(Down);
    KeyDown(Enter);   // "2. Level 2"
    Frame();
    EXPECT_EQ(CurrentState(), State::Playing);
    EXPECT_NE(Access::World(*myManager), nullptr);
    EXPECT_EQ(myManager->GetLevelPath(), "levels\\Level2.ksc");
    EXPECT_EQ(Menus().GetPagePath(), "scenes\\pausemenu.ksc");
    EXPECT_EQ(log.Types(), (std::vector<MessageType>{MessageType::MenuSelect, MessageType::StopMusic, MessageType::LevelMusic}));
    EXPECT_EQ(log.myEntries.back().text, "levels\\Level2.ksc");
    KeyUp(Enter);
    Frame();
    EXPECT_EQ(CurrentState(), State::Playing);
}

TEST_F(GameShellTest, LevelsFollowEachOtherIntoTheOutroAndBackToTheMainMenuWithItsLaterArtAlsoAfterTheCredits)
{
    StartAtMainMenu();
    ChooseMainMenuButton(1);
    Press(Enter);   // "1. Level 1"
    ASSERT_EQ(CurrentState(), State::Playing);

    MessageLog log;
    for (const char* next : {"levels\\Level2.ksc", "levels\\Level3.ksc", "levels\\Level_Outro.ksc"})
    {
        log.Clear();
        CurrentState() = State::NextLevel;   // as the level's exit writes it
        Frame();
        EXPECT_EQ(CurrentState(), State::Playing);
        EXPECT_EQ(myManager->GetLevelPath(), next);
        ASSERT_NE(Access::World(*myManager), nullptr);
        // The old world's stop, the manager's, then the new level's music.
        EXPECT_EQ(log.Types(), (std::vector<MessageType>{MessageType::StopMusic, MessageType::StopMusic, MessageType::LevelMusic}));
        EXPECT_EQ(log.myEntries.back().text, next);
    }

    log.Clear();
    CurrentState() = State::NextLevel;
    Frame();
    EXPECT_EQ(CurrentState(), State::OutroVideo);
    EXPECT_EQ(Access::World(*myManager), nullptr);
    EXPECT_EQ(log.Types(), (std::vector<MessageType>{MessageType::StopMusic, MessageType::StopMusic}));

    // First outro frame: the cutscene is made, with its soundtrack.
    Frame();
    ASSERT_NE(Access::Outro(*myManager), nullptr);
    EXPECT_EQ(ChannelsOf(OutroSound), 1u);
    EXPECT_FLOAT_EQ(Access::Outro(*myManager)->GetCountdown(), 85.0f - 0.016f);

    // The main page before: red corner art.
    log.Clear();
    Press(Esc);   // skips
    EXPECT_EQ(ChannelsOf(OutroSound), 0u);
    EXPECT_EQ(CurrentState(), State::MainMenu);
    EXPECT_EQ(Access::Outro(*myManager), nullptr);
    EXPECT_TRUE(Contains(log.Types(), MessageType::MainTheme));
    EXPECT_TRUE(Menus().IsAfterTheEnding());
    Frame();
    EXPECT_GT(Pixel(10, 5)[1], 150);   // green: the after-the-ending art
    EXPECT_LT(Pixel(10, 5)[2], 50);

    // Via the credits (left with Back or with their one button) and back, the art stays.
    ChooseMainMenuButton(3);
    ASSERT_EQ(CurrentState(), State::Credits);
    EXPECT_EQ(Menus().GetDecals().size(), 1u);
    Press(Esc);
    EXPECT_EQ(CurrentState(), State::MainMenu);
    ChooseMainMenuButton(3);
    Press(Down);    // one button: stays on "Back"
    Press(Enter);
    ASSERT_EQ(CurrentState(), State::MainMenu);
    Frame();
    EXPECT_GT(Pixel(10, 5)[1], 150);
}

TEST_F(GameShellTest, TheMainPageShowsItsFirstArtBeforeTheEndingAndItsExitEndsTheLoop)
{
    StartAtMainMenu();
    Frame();
    EXPECT_GT(Pixel(10, 5)[2], 150);   // red
    EXPECT_LT(Pixel(10, 5)[1], 50);
    // The cursor (an error checker without its picture) sits left of "1. Play".
    const Kiln::Vector2<float> cursor = Menus().GetCursor().GetPosition();
    EXPECT_FLOAT_EQ(cursor.x, 800.0f / 5.0f - 30.0f - 20.0f);

    MessageLog log;
    Press(Up);   // from "1. Play" up to the last button, "5. Exit", which ends the loop
    KeyDown(Enter);
    EXPECT_FALSE(Frame());
    EXPECT_EQ(CurrentState(), State::Quit);
    EXPECT_EQ(log.Types(), (std::vector<MessageType>{MessageType::MenuSelect, MessageType::StopMusic}));
}

TEST_F(GameShellTest, TheOutroRunsEightyFiveSeconds)
{
    StartAtMainMenu();
    ChooseMainMenuButton(1);
    Press(Enter);
    myManager->SetLevelPath("levels\\Level_Outro.ksc");
    CurrentState() = State::NextLevel;
    Frame();
    ASSERT_EQ(CurrentState(), State::OutroVideo);
    MessageLog log;
    Advance(84.5f, 0.5f);
    EXPECT_EQ(CurrentState(), State::OutroVideo);
    Advance(1.0f, 0.5f);
    EXPECT_EQ(CurrentState(), State::MainMenu);
    EXPECT_TRUE(Contains(log.Types(), MessageType::MainTheme));
    EXPECT_EQ(ChannelsOf(OutroSound), 1u);   // left to end by itself
}

TEST_F(GameShellTest, AnUnknownLevelPathGoesToTheMainMenuWithoutAMessage)
{
    StartAtMainMenu();
    ChooseMainMenuButton(1);
    Press(Enter);
    myManager->SetLevelPath("levels\\Bonus.ksc");
    CurrentState() = State::NextLevel;
    MessageLog log;
    Frame();
    EXPECT_EQ(CurrentState(), State::MainMenu);
    EXPECT_EQ(Access::World(*myManager), nullptr);
    // Only the world's own stop.
    EXPECT_EQ(log.Types(), (std::vector<MessageType>{MessageType::StopMusic}));
}

TEST_F(GameShellTest, TheOptionsSlidersStepTheVolumesByATenthAndTheThirdRowTogglesFullScreen)
{
    StartAtMainMenu();
    ChooseMainMenuButton(2);
    ASSERT_EQ(CurrentState(), State::Options);
    ASSERT_EQ(Menus().GetSliders().size(), 2u);

    MessageLog log;
    Press(Right);
    EXPECT_NEAR(Sound::GetInstance().GetMusicVolume(), 0.6f, 1e-5f);
    EXPECT_NEAR(Sound::GetInstance().GetSfxVolume(), 0.5f, 1e-5f);
    EXPECT_EQ(log.Types(), (std::vector<MessageType>{MessageType::MusicVolume}));
    for (int i = 0; i < 6; ++i)
        Press(Right);
    EXPECT_FLOAT_EQ(Sound::GetInstance().GetMusicVolume(), 1.0f);
    Press(Left);
    Press(Left);
    EXPECT_NEAR(Sound::GetInstance().GetMusicVolume(), 0.8f, 1e-5f);

    Press(Down);   // "2. SFX": a select sound with each step
    log.Clear();
    Press(Left);
    EXPECT_NEAR(Sound::GetInstance().GetSfxVolume(), 0.4f, 1e-5f);
    EXPECT_EQ(log.Types(), (std::vector<MessageType>{MessageType::MenuSelect, MessageType::SfxVolume}));
    for (int i = 0; i < 6; ++i)
        Press(Left);
    EXPECT_EQ(Sound::GetInstance().GetSfxVolume(), 0.0f);

    // Other rows do not step; the third switches full screen on and off.
    Press(Down);
    log.Clear();
    Press(Right);
    EXPECT_TRUE(log.myEntries.empty());
    EXPECT_NEAR(Sound::GetInstance().GetMusicVolume(), 0.8f, 1e-5f);
    ASSERT_FALSE(Kiln::DX11::SwapChain->GetFullscreenState());
    Press(Enter);
    EXPECT_TRUE(Kiln::DX11::SwapChain->GetFullscreenState());
    EXPECT_EQ(CurrentState(), State::Options);
    Press(Enter);
    EXPECT_FALSE(Kiln::DX11::SwapChain->GetFullscreenState());

    // The sliders start from the bank's volumes when the page is opened again.
    Press(Esc);
    ChooseMainMenuButton(2);
    ASSERT_EQ(CurrentState(), State::Options);
    const MenuSlider& music = Menus().GetSliders()[0].GetType() == 0 ? Menus().GetSliders()[0] : Menus().GetSliders()[1];
    const float left = music.GetMin().x;
    const float width = music.GetMax().x - music.GetMin().x;
    EXPECT_NEAR(music.GetHandleInstance().myPosition.x, left + 0.8f * width, 1e-3f);
}

TEST_F(GameShellTest, AStateOutsideTheTablePrintsTheCrashLineEveryFrameAndGoesOnWhileTheReservedOneDoesNothing)
{
    StartAtMainMenu();
    NoConsoleInput noInput;
    CurrentState() = static_cast<State>(42);
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(Frame());
    EXPECT_TRUE(Frame());
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::string line = "Game crashed! Catastrophic error. Need to force shutdown and restart program.\n";
    EXPECT_EQ(out, line + line);

    // A valid state written later is acted on.
    CurrentState() = State::MainMenu;
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(Frame());
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    CurrentState() = static_cast<State>(-1);
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(Frame());
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), line);

    // The reserved state is in the table and does nothing, whatever is pressed.
    CurrentState() = State::Reserved;
    MessageLog log;
    ::testing::internal::CaptureStdout();
    Press(Enter);
    Press(Esc);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(CurrentState(), State::Reserved);
    EXPECT_TRUE(log.myEntries.empty());
}

// The real loop, on the wall clock. Keys and the window's close arrive from another
// thread through the message queue, as the window system posts them.
class GameRun : public GameShellTest
{
protected:
    void Post(uint32_t aMessage, uint64_t aKey = 0) { Plat::Window::PostMessage(myEngine->Window(), aMessage, aKey, 0); }
    // The state as another thread sees it while the loop runs; only for waiting on a screen.
    State ObservedState() { return std::atomic_ref<State>(CurrentState()).load(std::memory_order_relaxed); }
};

TEST_F(GameRun, ClosingTheWindowEndsTheRunAndDestroysTheWindow)
{
    const Kiln::HWND window = myEngine->Window();
    std::thread closer([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        Post(Plat::Window::WM_CLOSE);
    });
    const auto start = std::chrono::steady_clock::now();
    myManager->Run();
    const auto took = std::chrono::steady_clock::now() - start;
    closer.join();
    EXPECT_EQ(CurrentState(), State::Splashscreen);
    // A run that missed the close would never end: only a hang misses this.
    EXPECT_LT(took, std::chrono::seconds(120));
    EXPECT_FALSE(Plat::Window::IsWindow(window));
}

TEST_F(GameRun, ExitFromTheMainPageEndsTheRun)
{
    // The splash screen takes 9.5 s of wall clock (longer on a loaded machine); once the main
    // page shows, Up (to "5. Exit") and Enter.
    std::atomic<bool> done{false};
    std::thread player([&] {
        const auto wait = [&](int aMilliseconds) {
            for (int i = 0; i < aMilliseconds / 10 && !done; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        };
        for (int i = 0; i < 6000 && !done && ObservedState() != State::MainMenu; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        wait(300);
        for (uint32_t key : {uint32_t(Up), uint32_t(Enter)})
        {
            Post(Plat::Window::WM_KEYDOWN, key);
            wait(400);
            Post(Plat::Window::WM_KEYUP, key);
            wait(400);
        }
        // Should the keys not have been taken, the window closes so that the test ends.
        wait(10000);
        if (!done)
            Post(Plat::Window::WM_CLOSE);
    });
    myManager->Run();
    done = true;
    player.join();
    EXPECT_EQ(CurrentState(), State::Quit);
    EXPECT_TRUE(Plat::Window::IsWindow(myEngine->Window()));
}
