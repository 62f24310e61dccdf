#include "Support/ScopedEngine.h"

#include "forge/graphics/DX11.h"
#include "forge/settings/Settings.h"

#include "Platform/window/MessageQueue.h"
#include "Platform/window/Window.h"

#include <epoxy/gl.h>

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
            if (message.message == Plat::Window::WM_QUIT)
                break;
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

namespace KilnTest
{
    std::vector<uint8_t> ReadTexture(Plat::Gpu::Texture2D* aTexture)
    {
        std::vector<uint8_t> bytes;
        if (Kiln::DX11::Context == nullptr || aTexture == nullptr)
            return bytes;
        // Mesa's llvmpipe can hand out a texture's old contents right after a clear through
        // another view of it; waiting for the GPU first makes the read see the clear.
        glFinish();
        Kiln::DX11::Context->ReadSubresource(aTexture, 0, bytes);
        return bytes;
    }

    std::vector<uint8_t> ScopedEngine::ReadBackBuffer() const
    {
        if (Kiln::DX11::SwapChain == nullptr)
            return {};
        return ReadTexture(Kiln::DX11::SwapChain->GetBuffer(0).get());
    }
}
