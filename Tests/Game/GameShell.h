#pragma once
// A started engine (320 x 200), the game's menu pages in a game assets folder of the test's
// own, the sound bank, and a game manager driven frame by frame with keys fed to the
// input mapper through a real input manager.
#include "MenuPages.h"

#include "AnimationLibrary.h"
#include "Go.h"
#include "Cutscene.h"
#include "GameManager.h"
#include "GameWorld.h"
#include "InputMapper.h"
#include "MenuManager.h"
#include "Message.h"
#include "PostMaster.h"
#include "Sound.h"
#include "Splashscreen.h"
#include "Subscriber.h"

#include "forge/audio/AudioOut.h"
#include "forge/engine/Engine.h"
#include "forge/input/InputManager.h"
#include "forge/settings/Settings.h"

#include "Platform/window/Messages.h"
#include "Support/ScopedEngine.h"
#include "Support/SoundFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// Reaches into the manager to drive single frames and look at what it holds.
class GameManagerTestAccess
{
public:
    static State& StateOf(GameManager& aManager) { return aManager.myState; }
    static GameWorld* World(GameManager& aManager) { return aManager.myWorld.get(); }
    static MenuManager* Menus(GameManager& aManager) { return aManager.myMenuManager.get(); }
    static Splashscreen* Splash(GameManager& aManager) { return aManager.mySplashscreen.get(); }
    static Cutscene* Intro(GameManager& aManager) { return aManager.myIntroCutscene.get(); }
    static Cutscene* Outro(GameManager& aManager) { return aManager.myOutroCutscene.get(); }
    static void BeginRun(GameManager& aManager) { aManager.BeginRun(); }
    static bool RunFrame(GameManager& aManager, float aDeltaTime) { return aManager.RunFrame(aDeltaTime); }
};

namespace GameTest
{
    // Records the messages of the types the screens and menus send.
    class MessageLog : public Subscriber
    {
    public:
        struct Entry
        {
            MessageType type;
            std::string text;
            float value;
        };

        MessageLog()
        {
            for (int type = 19; type <= 28; ++type)
                PostMaster::GetInstance().Subscribe(static_cast<MessageType>(type), this);
        }
        ~MessageLog() override
        {
            for (int type = 19; type <= 28; ++type)
                PostMaster::GetInstance().Unsubscribe(static_cast<MessageType>(type), this);
        }
        void Receive(const Message& aMessage) override
        {
            myEntries.push_back({aMessage.type, aMessage.text ? aMessage.text : "", aMessage.value});
        }

        std::vector<MessageType> Types() const
        {
            std::vector<MessageType> types;
            for (const Entry& entry : myEntries)
                types.push_back(entry.type);
            return types;
        }
        void Clear() { myEntries.clear(); }

        std::vector<Entry> myEntries;
    };

    inline void Send(MessageType aType, float aValue = 0.0f)
    {
        Message message;
        message.type = aType;
        message.value = aValue;
        PostMaster::GetInstance().SendMessage(message);
    }

    // Channels of the sound bank's clip loaded from aPath.
    inline size_t ChannelsOf(const char* aPath)
    {
        Kiln::AudioOut* out = Kiln::AudioOut::GetInstance();
        if (!out)
            return 0;
        const uint32_t sample = out->FindSample(Kiln::Settings::ResolveAssetPath(aPath));
        return sample ? out->GetChannels(static_cast<int32_t>(sample)).size() : 0;
    }

    // Virtual-key codes.
    enum Key : uint32_t
    {
        Enter = 13,
        Esc = 27,
        Space = 32,
        Left = 37,
        Up = 38,
        Right = 39,
        Down = 40,
    };

    class GameShellTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            TestSupport::LoadGameSoundBank();
            // The game's window hook, feeding the test's input manager once it exists.
            myEngine = std::make_unique<KilnTest::ScopedEngine>([](Kiln::EngineConfiguration& aConfig) {
                aConfig.myWinProcCallback = [](Kiln::HWND aWindow, Plat::Window::UINT aMessage, Plat::Window::WPARAM aWParam,
                                               Plat::Window::LPARAM aLParam) {
                    return GoWindowMessageHook(aWindow, aMessage, aWParam, aLParam);
                };
            });
            ASSERT_TRUE(myEngine->Started());
            // The library loads once per process; from the shipped tree, not this test's.
            AnimationLibrary::GetInstance();
            myAssets = std::make_unique<MenuAssets>();
            myAssets->WriteGamePages();
            // Empty levels, but there: a level folder that is missing ends the game.
            for (const char* level : {"Level1", "Level2", "Level3", "Level_Outro"})
                std::filesystem::create_directories(myAssets->Root() / "levels" / (std::string(level) + ".ksc.leveldata"));
            ResetSound();

            InputMapper::GetInstance().ClearInputToEventMappings();
            myInput = std::make_unique<Kiln::InputManager>(myEngine->Window());
            InputMapper::GetInstance().SetInputManagers(myInput.get(), nullptr);
            gInputManager = myInput.get();
            myManager = std::make_unique<GameManager>();
            myManager->Init("scene.ksc");
        }

        void TearDown() override
        {
            myManager.reset();
            InputMapper::GetInstance().SetInputManagers(nullptr, nullptr);
            InputMapper::GetInstance().ClearInputToEventMappings();
            gInputManager = nullptr;
            myInput.reset();
            ResetSound();
            myAssets.reset();
            myEngine.reset();
        }

        static void ResetSound()
        {
            Send(MessageType::StopMusic);
            Sound::GetInstance().StopIntroVideoSound();
            Sound::GetInstance().StopOutroVideoSound();
            Send(MessageType::MusicVolume, 0.5f);
            Send(MessageType::SfxVolume, 0.5f);
        }

        State& CurrentState() { return GameManagerTestAccess::StateOf(*myManager); }
        MenuManager& Menus() { return *GameManagerTestAccess::Menus(*myManager); }

        // One frame as the manager's loop runs it; false once the game quits.
        bool Frame(float aDeltaTime = 0.016f)
        {
            EXPECT_TRUE((*myEngine)->BeginFrame());
            const bool goOn = GameManagerTestAccess::RunFrame(*myManager, aDeltaTime);
            myLastFrame = myEngine->ReadBackBuffer();
            (*myEngine)->EndFrame();
            return goOn;
        }

        void KeyDown(uint32_t aKey) { myInput->UpdateEvents(Plat::Window::WM_KEYDOWN, aKey, 0); }
        void KeyUp(uint32_t aKey) { myInput->UpdateEvents(Plat::Window::WM_KEYUP, aKey, 0); }

        // Press in one frame, release in the next.
        bool Press(uint32_t aKey, float aDeltaTime = 0.016f)
        {
            KeyDown(aKey);
            const bool goOn = Frame(aDeltaTime);
            KeyUp(aKey);
            return Frame(aDeltaTime) && goOn;
        }

        // Frames of aStep seconds until aSeconds have passed.
        void Advance(float aSeconds, float aStep = 0.25f)
        {
            for (float t = 0.0f; t < aSeconds; t += aStep)
                Frame(aStep);
        }

        // Splash screen through to the main menu.
        void StartAtMainMenu()
        {
            GameManagerTestAccess::BeginRun(*myManager);
            Frame(0.0f);
            Advance(10.0f, 0.5f);
            ASSERT_EQ(CurrentState(), State::MainMenu);
        }

        // From the main menu: Down aIndex times, then Enter.
        void ChooseMainMenuButton(int aIndex)
        {
            for (int i = 0; i < aIndex; ++i)
                Press(Down);
            Press(Enter);
        }

        // The back-buffer pixel (B, G, R, A) at client coordinates x right, y down.
        const uint8_t* Pixel(int aX, int aY) const { return &myLastFrame[static_cast<size_t>((aY * 320 + aX) * 4)]; }

        std::unique_ptr<KilnTest::ScopedEngine> myEngine;
        std::unique_ptr<MenuAssets> myAssets;
        std::unique_ptr<Kiln::InputManager> myInput;
        std::unique_ptr<GameManager> myManager;
        std::vector<uint8_t> myLastFrame;
    };
}
