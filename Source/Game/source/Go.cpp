#include "Go.h"

#include "GameManager.h"
#include "InputMapper.h"
#include "ParticleRegistry.h"
#include "Sound.h"
#include "Splashscreen.h"

#include "forge/engine/Engine.h"
#include "forge/input/InputManager.h"
#include "forge/input/XInput.h"
#include "forge/settings/Settings.h"

#include "Platform/runtime/Assert.h"
#include "Platform/window/Desktop.h"
#include "Platform/window/MessageQueue.h"
#include "Platform/window/Window.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>

namespace W = Plat::Window;

Kiln::InputManager* gInputManager = nullptr;

W::LRESULT GoWindowMessageHook(Kiln::HWND /*aWindow*/, W::UINT aMessage, W::WPARAM aWParam, W::LPARAM aLParam)
{
    // Every message goes to the input manager first, once it exists; WM_DESTROY is only
    // acted on when the input manager did not use it.
    const bool used = gInputManager && gInputManager->UpdateEvents(aMessage, aWParam, aLParam);
    if (!used && aMessage == W::WM_DESTROY)
        W::PostQuitMessage(0);
    return 0;
}

void ConfigureForTheDesktop(Kiln::EngineConfiguration& aConfig, const W::Rect& aDesktop)
{
    // The desktop's size, not its far corner: a primary display may lie right of or below
    // the screen origin.
    const auto extent = [](int32_t aLow, int32_t aHigh) {
        return static_cast<uint32_t>(std::max<int64_t>(0, int64_t{aHigh} - aLow));
    };
    aConfig.myWindowSize = {extent(aDesktop.left, aDesktop.right), extent(aDesktop.top, aDesktop.bottom)};
    aConfig.myWindowPosition = {aDesktop.left, aDesktop.top};
    aConfig.myRenderSize = aConfig.myWindowSize;
    aConfig.myBorderless = true;
    aConfig.myWinProcCallback = [](Kiln::HWND aWindow, W::UINT aMessage, W::WPARAM aWParam, W::LPARAM aLParam) {
        return GoWindowMessageHook(aWindow, aMessage, aWParam, aLParam);
    };
    aConfig.myDebugFeatures = Kiln::DebugFeature::Filewatcher;
}

void Go(const char* aScenePath)
{
    bool loaded = false;
    {
        // The settings' own assertion is held back: the exception below is the one line.
        struct QuietAssertions
        {
            QuietAssertions() : myPrevious(Plat::Runtime::SetAssertionHandler([](const Plat::Runtime::AssertionReport&) {})) {}
            ~QuietAssertions() { Plat::Runtime::SetAssertionHandler(std::move(myPrevious)); }
            Plat::Runtime::AssertionHandler myPrevious;
        } quiet;
        loaded = Kiln::LoadSettings("Game.json");
    }
    if (!loaded)
    {
        const std::filesystem::path file = Kiln::Settings::ExecutableDirectory() / "settings" / "Game.json";
        throw std::runtime_error("settings file \"" + file.string() + "\" could not be opened");
    }
    // Without its assets and shaders the game could only fail later, less clearly.
    Kiln::Settings::CheckGameFolders();

    W::Rect desktop;
    W::GetWindowRect(W::GetDesktopWindow(), desktop);
    ConfigureForTheDesktop(Kiln::Settings::EngineConfiguration(), desktop);
    // The splash's first frame shows the logo: it is read and made while the engine starts.
    Kiln::Settings::EngineConfiguration().myFirstFrameTextures = {Splashscreen::LOGO_PATH};

    if (!Kiln::Engine::Start())
    {
        // A failed start leaves the engine in place (nothing is shut down), holding the reason.
        throw EngineStartFailure("the engine did not start: " + Kiln::Engine::GetInstance()->GetStartFailure());
    }

    Kiln::Engine* engine = Kiln::Engine::GetInstance();

    // Both readers live on this frame for the whole run: the mapper and the hook keep
    // their addresses.
    Kiln::InputManager inputManager(*engine->GetHWND());
    inputManager.HideCursor();
    Kiln::XInput gamepadReader;
    gamepadReader.SetDeadZones(0.05f, 0.02f);
    InputMapper::GetInstance().SetInputManagers(&inputManager, &gamepadReader);
    gInputManager = &inputManager;

    // The clips decode from here on; the game manager loads them behind the splash screen.
    // A run that ends before that waits for the decoding before the sound output goes.
    Sound::GetInstance().BeginInit();
    struct DecodingGuard
    {
        ~DecodingGuard() { Sound::GetInstance().WaitForDecoding(); }
    } decoding;
    engine->SetClearColor(Kiln::Color(0.0f, 0.0f, 0.0f, 0.0f));
    ParticleRegistry::GetInstance();

    {
        GameManager gameManager;
        gameManager.Init(aScenePath);
        gameManager.Run();
    }

    Kiln::Engine::DestroyInstance();
    // Both readers end with this frame; nothing may reach them afterwards.
    gInputManager = nullptr;
    InputMapper::GetInstance().SetInputManagers(nullptr, nullptr);
}
