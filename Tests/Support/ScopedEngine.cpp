#include "Support/ScopedEngine.h"

#include "forge/settings/Settings.h"

#include "Platform/window/MessageQueue.h"
#include "Platform/window/Window.h"

namespace KilnTest
{
    ScopedEngine::ScopedEngine(const std::function<void(Kiln::EngineConfiguration&)>& aConfigure)
    {
        Kiln::Settings::ResetSettings();
        Kiln::LoadSettings("Game.json");
        Kiln::EngineConfiguration& config = Kiln::Settings::EngineConfiguration();
        config.myWindowSize = {320, 200};
        config.myRenderSize = {320, 200};
        config.myBorderless = true;
        if (aConfigure)
            aConfigure(config);
        myStarted = Kiln::Engine::Start();
    }

    ScopedEngine::~ScopedEngine()
    {
        const Kiln::HWND window = Window();
        Kiln::Engine::DestroyInstance();
        // The engine leaves its native window open, as a program ending would; a test closes it.
        if (window != nullptr)
            Plat::Window::DestroyWindow(window);
        Plat::Window::Message message;
        while (Plat::Window::PeekMessage(message, nullptr, 0, 0, Plat::Window::PM_REMOVE))
        {
            if (message.message == Plat::Window::WM_QUIT)
                break;
        }
        Kiln::Settings::ResetSettings();
    }

    Kiln::HWND ScopedEngine::Window() const
    {
        Kiln::Engine* engine = Kiln::Engine::GetInstance();
        if (engine == nullptr || engine->GetHWND() == nullptr)
            return nullptr;
        return *engine->GetHWND();
    }
}
