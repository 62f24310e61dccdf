#include "Go.h"

#include "GameManager.h"
#include "InputMapper.h"
#include "ParticleRegistry.h"
#include "Sound.h"

#include "forge/engine/Engine.h"
#include "forge/input/InputManager.h"
#include "forge/input/XInput.h"
#include "forge/settings/Settings.h"

#include "Platform/runtime/Console.h"
#include "Platform/window/Desktop.h"
#include "Platform/window/MessageQueue.h"
#include "Platform/window/Window.h"

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

void Go(const char* aScenePath)
{
    Kiln::LoadSettings("Game.json");

    Kiln::EngineConfiguration& config = Kiln::Settings::EngineConfiguration();
    W::Rect desktop;
    W::GetWindowRect(W::GetDesktopWindow(), desktop);
    config.myWindowSize = {static_cast<uint32_t>(desktop.right), static_cast<uint32_t>(desktop.bottom)};
    config.myRenderSize = config.myWindowSize;
    config.myBorderless = true;
    config.myWinProcCallback = [](Kiln::HWND aWindow, W::UINT aMessage, W::WPARAM aWParam, W::LPARAM aLParam) {
        return GoWindowMessageHook(aWindow, aMessage, aWParam, aLParam);
    };
    config.myDebugFeatures = Kiln::DebugFeature::Filewatcher;

    if (!Kiln::Engine::Start())
    {
        Plat::Runtime::PauseConsole();
        return;
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

    Sound::GetInstance().Init();
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
