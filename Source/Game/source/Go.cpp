#include "Go.h"

#include "forge/engine/Engine.h"
#include "forge/settings/Settings.h"

#include "Platform/runtime/Console.h"
#include "Platform/window/Desktop.h"
#include "Platform/window/MessageQueue.h"
#include "Platform/window/Window.h"

namespace W = Plat::Window;

W::LRESULT GoWindowMessageHook(Kiln::HWND /*aWindow*/, W::UINT aMessage, W::WPARAM /*aWParam*/, W::LPARAM /*aLParam*/)
{
    // Every message goes to the input manager first, once it exists; WM_DESTROY is only
    // acted on when the input manager did not use it.
    if (aMessage == W::WM_DESTROY)
        W::PostQuitMessage(0);
    return 0;
}

void Go(const char* /*aScenePath*/)
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

    // The input manager, gamepad dead zones, input mapper, sound bank, transparent clear
    // colour, particle registry and the game manager (which owns the frame loop and
    // receives aScenePath) are set up here once they exist. Until then the loop only
    // clears and presents frames.
    Kiln::Engine* engine = Kiln::Engine::GetInstance();
    while (engine->BeginFrame())
        engine->EndFrame();

    Kiln::Engine::DestroyInstance();
}
