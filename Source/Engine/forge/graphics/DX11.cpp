#include "forge/graphics/DX11.h"

#include "forge/settings/Settings.h"
#include "forge/window/WindowsWindow.h"

#include "Platform/runtime/Assert.h"
#include "Platform/runtime/Paths.h"
#include "Platform/window/Window.h"

#include <fstream>
#include <iterator>
#include <utility>

namespace Kiln
{
    namespace G = Plat::Gpu;

    G::Device* DX11::Device = nullptr;
    G::DeviceContext* DX11::Context = nullptr;
    G::SwapChain* DX11::SwapChain = nullptr;
    RenderTarget* DX11::BackBuffer = nullptr;
    RenderTarget* DX11::LinearBackBuffer = nullptr;
    DepthBuffer* DX11::MainDepthBuffer = nullptr;
    bool DX11::IsCreated = false;
    std::thread::id DX11::RenderThreadId;
    uint32_t DX11::DrawCallCount = 0;
    uint32_t DX11::LastFrameDrawCallCount = 0;

    namespace
    {
        ShaderCache<G::PixelShader>& PixelShaders()
        {
            static ShaderCache<G::PixelShader> cache;
            return cache;
        }

        ShaderCache<G::VertexShader>& VertexShaders()
        {
            static ShaderCache<G::VertexShader> cache;
            return cache;
        }

        void NullHandles()
        {
            DX11::Device = nullptr;
            DX11::Context = nullptr;
            DX11::SwapChain = nullptr;
            DX11::BackBuffer = nullptr;
            DX11::LinearBackBuffer = nullptr;
            DX11::MainDepthBuffer = nullptr;
        }

        std::string& LastShaderFailure()
        {
            static std::string text;
            return text;
        }

        bool ReadShaderFile(const std::filesystem::path& aPath, std::vector<uint8_t>& someBytes)
        {
            std::ifstream file(aPath, std::ios::binary);
            if (!file.is_open())
                return false;
            someBytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
            return !someBytes.empty();
        }

        // Looks up, or loads and caches, one stage's shader; failures leave no entry.
        template <typename ShaderType, typename Create>
        const ShaderCacheEntry<ShaderType>* LoadShader(ShaderCache<ShaderType>& aCache, const std::string& aName, Create aCreate)
        {
            auto [it, inserted] = aCache.try_emplace(aName);
            ShaderCacheEntry<ShaderType>& entry = it->second;
            const std::string relative = Plat::Runtime::ToPortableSeparators(aName + ".glsl");
            const std::filesystem::path path = Plat::Runtime::ResolveCase(Settings::CookedPath() / relative);
            const bool read = ReadShaderFile(path, entry.myByteCode);
            if (read && DX11::Device != nullptr)
                entry.myShader = aCreate(entry.myByteCode);
            if (!entry.myShader)
            {
                LastShaderFailure() = "shader \"" + path.string() + "\" could not be " + (read ? "compiled" : "read");
                aCache.erase(it);
                return nullptr;
            }
            return &entry;
        }
    }

    DX11::DX11()
    {
        KILN_ASSERT(IsCreated == false);
        IsCreated = true;
        myIsRunning = true;
        NullHandles();
    }

    DX11::~DX11()
    {
        if (myIsRunning)
            Shutdown();
    }

    std::optional<G::AdapterDesc> DX11::FindBestAdapter()
    {
        const std::vector<G::AdapterDesc> adapters = G::EnumerateAdapters();
        if (adapters.empty())
            return std::nullopt;

        size_t chosen = 0;
        uint64_t bestMemory = 0;
        for (size_t i = 0; i < adapters.size(); ++i)
        {
            const uint64_t megabytes = adapters[i].dedicatedVideoMemory >> 20;
            const std::string& description = adapters[i].description;
            const bool preferred = description.find("NVIDIA") != std::string::npos || description.find("ATI") != std::string::npos;
            if (preferred && megabytes > bestMemory)
            {
                chosen = i;
                bestMemory = megabytes;
            }
        }
        return adapters[chosen];
    }

    bool DX11::Init(const WindowsWindow& aWindow)
    {
        const std::optional<G::AdapterDesc> adapter = FindBestAdapter();
        if (!adapter)
            return false;

        G::SwapChainDesc desc;
        desc.width = 0;
        desc.height = 0;
        desc.refreshRate = {0, 0};
        desc.format = G::Format::B8G8R8A8_UNORM;
        desc.sampleDesc = {1, 0};
        desc.bufferUsage = G::BufferUsage::RenderTargetOutput;
        desc.bufferCount = 1;
        desc.outputWindow = Plat::Window::GetSdlWindow(aWindow.GetHandle());
        desc.windowed = true;
        desc.swapEffect = G::SwapEffect::Discard;
        desc.flags = 0;
        if (desc.outputWindow == nullptr)
            return false;

        myBackBuffer = {};
        myLinearBackBuffer = {};
        myDepthBuffer = {};
        mySwapChain.reset();
        myContext.reset();
        myDevice.reset();
        if (!G::CreateDeviceAndSwapChain(&*adapter, desc, &mySwapChain, &myDevice, &myContext))
            return false;

        Device = myDevice.get();
        Context = myContext.get();
        SwapChain = mySwapChain.get();

        if (!CreateBackBufferTargets())
            return false;
        myBackBuffer.SetAsActiveTarget(&myDepthBuffer);
        PublishHandles();
        RenderThreadId = std::this_thread::get_id();
        return true;
    }

    bool DX11::CreateBackBufferTargets()
    {
        const std::shared_ptr<G::Texture2D> backBuffer = mySwapChain->GetBuffer(0);
        if (!backBuffer)
            return false;
        myBackBuffer = RenderTarget::CreateFromTexture(backBuffer.get(), G::Format::B8G8R8A8_UNORM_SRGB);
        myLinearBackBuffer = RenderTarget::CreateFromTexture(backBuffer.get());
        const auto& desc = backBuffer->GetDesc();
        myDepthBuffer = DepthBuffer::Create({desc.width, desc.height});
        return true;
    }

    void DX11::PublishHandles()
    {
        BackBuffer = &myBackBuffer;
        LinearBackBuffer = &myLinearBackBuffer;
        MainDepthBuffer = &myDepthBuffer;
    }

    void DX11::Shutdown()
    {
        KILN_ASSERT(IsCreated == true);
        IsCreated = false;
        myIsRunning = false;
        NullHandles();
        // Cached shaders belong to this device; a later device must not be handed them.
        PixelShaders().clear();
        VertexShaders().clear();
        myBackBuffer = {};
        myLinearBackBuffer = {};
        myDepthBuffer = {};
        mySwapChain.reset();
        myContext.reset();
        myDevice.reset();
    }

    void DX11::BeginFrame(const Color& aClearColor)
    {
        const Color linear = aClearColor.AsLinear();
        myBackBuffer.Clear({linear.r, linear.g, linear.b, linear.a});
        myDepthBuffer.Clear(1.0f, 0);
        myBackBuffer.SetAsActiveTarget(nullptr);
    }

    void DX11::Present(bool anEnableVSync)
    {
        if (mySwapChain)
            mySwapChain->Present(anEnableVSync ? 1 : 0, 0);
    }

    bool DX11::Resize()
    {
        if (myContext)
        {
            G::RenderTargetView* none[1] = {nullptr};
            myContext->OMSetRenderTargets(1, none, nullptr);
            myContext->OMSetDepthStencilState(nullptr, 0);
            myContext->ClearState();
        }
        if (!mySwapChain)
            return false;

        myBackBuffer = {};
        myLinearBackBuffer = {};
        myDepthBuffer = {};
        myContext->Flush();

        // A swap chain that cannot take the new size keeps its old buffer: the targets are
        // rebuilt on it, so the game goes on drawing at the previous size.
        const bool resized = mySwapChain->ResizeBuffers(0, 0, 0, G::Format::UNKNOWN, 0);
        if (!CreateBackBufferTargets())
            return false;
        myBackBuffer.SetAsActiveTarget(&myDepthBuffer);
        PublishHandles();
        return resized;
    }

    Vector2<uint32_t> DX11::GetResolution() const
    {
        return myBackBuffer.GetResolution();
    }

    bool DX11::IsOnMainThread()
    {
        return std::this_thread::get_id() == RenderThreadId;
    }

    const DX11::PixelShaderEntry* DX11::GetPixelShader(const std::string& aName)
    {
        const auto found = PixelShaders().find(aName);
        if (found != PixelShaders().end())
            return &found->second;
        return LoadPixelShader(aName);
    }

    const DX11::VertexShaderEntry* DX11::GetVertexShader(const std::string& aName)
    {
        const auto found = VertexShaders().find(aName);
        if (found != VertexShaders().end())
            return &found->second;
        return LoadVertexShader(aName);
    }

    std::string DX11::TakeLastShaderFailure()
    {
        return std::exchange(LastShaderFailure(), std::string());
    }

    const DX11::PixelShaderEntry* DX11::LoadPixelShader(const std::string& aName)
    {
        return LoadShader(PixelShaders(), aName, [](const std::vector<uint8_t>& someBytes) {
            return Device->CreatePixelShader(someBytes.data(), someBytes.size());
        });
    }

    const DX11::VertexShaderEntry* DX11::LoadVertexShader(const std::string& aName)
    {
        return LoadShader(VertexShaders(), aName, [](const std::vector<uint8_t>& someBytes) {
            return Device->CreateVertexShader(someBytes.data(), someBytes.size());
        });
    }
}
