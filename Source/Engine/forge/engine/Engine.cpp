#include "forge/engine/Engine.h"

#include "forge/engine/DebugFeature.h"

#include "forge/graphics/DX11.h"
#include "forge/filewatcher/FileWatcher.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/graphics/GraphicsStateStack.h"
#include "forge/model/ModelFactory.h"
#include "forge/text/TextService.h"
#include "forge/texture/TextureManager.h"
#include "forge/settings/Settings.h"
#include "forge/window/WindowsWindow.h"

#include "Platform/window/Desktop.h"
#include "Platform/window/MessageQueue.h"
#include "Platform/window/Window.h"

#include <algorithm>
#include <chrono>

namespace Kiln
{
    namespace W = Plat::Window;

    Engine* Engine::ourInstance = nullptr;

    AspectRatios AspectRatios::FromRenderSize(const Vector2<uint32_t>& aRenderSize)
    {
        const float w = static_cast<float>(aRenderSize.x);
        const float h = static_cast<float>(aRenderSize.y);
        const float longer = std::max(w, h);
        const float shorter = std::min(w, h);

        AspectRatios ratios;
        ratios.myAspectRatio = longer / shorter;
        ratios.myInverseAspectRatio = shorter / longer;
        ratios.myAspectRatioVector = {1.0f, 1.0f};
        ratios.myInverseAspectRatioVector = {1.0f, 1.0f};
        if (w >= h)
        {
            ratios.myAspectRatioVector.y = longer / shorter;
            ratios.myInverseAspectRatioVector.y = shorter / longer;
        }
        else
        {
            ratios.myAspectRatioVector.x = longer / shorter;
            ratios.myInverseAspectRatioVector.x = shorter / longer;
        }
        return ratios;
    }

    Engine::Engine()
    {
        myConfiguration = Settings::EngineConfiguration();
        if (myConfiguration.myStartInFullScreen || myConfiguration.myStartMaximized)
        {
            const Vector2<uint32_t> screen{static_cast<uint32_t>(W::GetSystemMetrics(W::SM_CXSCREEN)),
                                           static_cast<uint32_t>(W::GetSystemMetrics(W::SM_CYSCREEN))};
            myConfiguration.myWindowSize = screen;
            myConfiguration.myRenderSize = screen;
        }

        myCallbackLists = std::make_unique<EngineCallbackLists>();
        if (myConfiguration.myCallback1)
            myCallbackLists->myCallbacks1.push_back(myConfiguration.myCallback1);
        if (myConfiguration.myCallback2)
            myCallbackLists->myCallbacks2.push_back(myConfiguration.myCallback2);
    }

    Engine::~Engine()
    {
        // Reverse order of declaration, each service only when it was made. The watcher
        // goes first: its thread stops before the services its callbacks reach are gone.
        myFileWatcher.reset();
        myCallbackLists.reset();
        myConfiguration = {};
        myTextService.reset();
        myTextureManager.reset();
        myGraphicsEngine.reset();
        if (myDX11)
        {
            myDX11->Shutdown();
            myDX11.reset();
        }
        myWindow.reset();
    }

    bool Engine::Start()
    {
        if (ourInstance != nullptr)
            return false;
        // Published before the services start, so they can reach the engine.
        ourInstance = new Engine();
        return ourInstance->InternalStart();
    }

    void Engine::DestroyInstance()
    {
        // The model factory goes first: it shuts the model importer down.
        ModelFactory::DestroyInstance();
        delete ourInstance;
        ourInstance = nullptr;
    }

    bool Engine::InternalStart()
    {
        myFileWatcher = std::make_unique<FileWatcher>();

        myWindow = std::make_unique<WindowsWindow>();
        if (!myWindow->Init(myConfiguration, myConfiguration.myHInstance, myConfiguration.myHwnd))
        {
            myStartFailure = "the window could not be made";
            return false;
        }

        myDX11 = std::make_unique<DX11>();
        if (!myDX11->Init(*myWindow))
        {
            // A window that could not be made (too large, say) only shows here, as a null handle.
            myStartFailure = myWindow->GetHandle() == nullptr ? "the window could not be made"
                                                              : "the graphics device could not be made";
            myWindow->Close();
            return false;
        }

        myTextureManager = std::make_unique<TextureManager>(myFileWatcher.get());
        if (!myConfiguration.myFirstFrameTextures.empty())
        {
            myTextureManager->MakePrefetchedOnWorkers();
            myTextureManager->PrefetchTextures(myConfiguration.myFirstFrameTextures, TextureSrgbMode::ForceSrgb);
        }
        myGraphicsEngine = std::make_unique<GraphicsEngine>();
        if (!myGraphicsEngine->Init())
        {
            myStartFailure = myGraphicsEngine->GetInitFailure();
            myWindow->Close();
            return false;
        }
        myTextureManager->Init();
        myTextService = std::make_unique<TextService>();
        myTextService->Init();

        CalculateRatios();
        myStartTime = std::chrono::duration_cast<std::chrono::nanoseconds>(
                          std::chrono::steady_clock::now().time_since_epoch())
                          .count();
        return true;
    }

    bool Engine::BeginFrame()
    {
        if (myHasSeenQuit)
            return false;

        W::Message message;
        while (W::PeekMessage(message, nullptr, 0, 0, W::PM_REMOVE))
        {
            W::TranslateMessage(message);
            W::DispatchMessage(message);
            if (message.message == W::WM_QUIT)
            {
                myHasSeenQuit = true;
                return false;
            }
        }

        if (myFileWatcher)
            myFileWatcher->FlushChanges();

        if (myDX11)
            myDX11->BeginFrame(myConfiguration.myClearColor);

        if (myGraphicsEngine && myGraphicsEngine->GetGraphicsStateStack())
            myGraphicsEngine->GetGraphicsStateStack()->ResetForFrame();

        DX11::LastFrameDrawCallCount = DX11::DrawCallCount;
        DX11::DrawCallCount = 0;
        return true;
    }

    void Engine::EndFrame()
    {
        myTimer.Tick([this] { Update(); });
        if (myDX11)
            myDX11->Present(myConfiguration.myEnableVSync);
        if (myIsResizePending)
        {
            UpdateWindowSizeChanges();
            myIsResizePending = false;
        }
    }

    void Engine::Update()
    {
        myDeltaTime = static_cast<float>(static_cast<double>(myTimer.GetElapsedTicks()) / 1e7);
        myTotalTime += myDeltaTime;
    }

    bool Engine::IsDebugFeatureOn(uint32_t aFeature) const
    {
        return DebugFeature::IsOn(myConfiguration.myDebugFeatures, aFeature);
    }

    void Engine::SetClearColor(const Color& aColor)
    {
        myConfiguration.myClearColor = aColor;
    }

    void Engine::SetFullScreen(bool aFullScreen)
    {
        if (myGraphicsEngine)
            myGraphicsEngine->SetFullScreen(aFullScreen);
    }

    void Engine::UpdateWindowSizeChanges()
    {
        // A failed resize keeps the sizes the game lays out against, rather than 0 x 0.
        if (!myDX11 || !myDX11->Resize())
            return;
        if (DX11::BackBuffer != nullptr)
            DX11::BackBuffer->SetAsActiveTarget(nullptr);
        myConfiguration.myRenderSize = myDX11->GetResolution();

        W::Rect outer;
        if (myConfiguration.myHwnd != nullptr && W::GetWindowRect(*myConfiguration.myHwnd, outer))
            myConfiguration.myWindowSize = {static_cast<uint32_t>(outer.right - outer.left),
                                            static_cast<uint32_t>(outer.bottom - outer.top)};
        CalculateRatios();
    }

    void Engine::CalculateRatios()
    {
        myAspectRatios = AspectRatios::FromRenderSize(myConfiguration.myRenderSize);
    }
}
