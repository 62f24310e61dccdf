#pragma once
// The process-wide engine object: owns the window and the graphics services, and runs the
// per-frame protocol (BeginFrame at the top of every frame, EndFrame at the bottom).
// Reached through GetInstance; everything here runs on the main thread.
#include "forge/engine/EngineCallbackLists.h"
#include "forge/engine/EngineConfiguration.h"
#include "forge/engine/StepTimer.h"
#include "forge/math/Color.h"
#include "forge/math/Vector.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Kiln
{
    class DX11;
    class FileWatcher;
    class GraphicsEngine;
    class TextService;
    class TextureManager;
    class WindowsWindow;

    // The six aspect values of a render size: L / S and S / L (L the longer, S the shorter
    // side), then two (x, y) pairs that scale the longer axis.
    struct AspectRatios
    {
        float myAspectRatio = 0.0f;
        float myInverseAspectRatio = 0.0f;
        Vector2<float> myAspectRatioVector;
        Vector2<float> myInverseAspectRatioVector;

        static AspectRatios FromRenderSize(const Vector2<uint32_t>& aRenderSize);
    };

    class Engine
    {
    public:
        // Creates the engine from the global configuration and starts its services. False,
        // doing nothing, when an engine exists; false when a service fails to start (the
        // engine then still exists, for DestroyInstance to tear down).
        static bool Start();
        static void DestroyInstance();
        static Engine* GetInstance() { return ourInstance; }

        // Pumps window messages and prepares the frame. False means quit, for good.
        bool BeginFrame();
        // Advances the step timer, presents, and applies a resize noticed during the frame.
        void EndFrame();

        // True when every feature bit is set, whatever is asked; else when aFeature shares a
        // bit with the configured features.
        bool IsDebugFeatureOn(uint32_t aFeature) const;

        void SetClearColor(const Color& aColor);
        void SetFullScreen(bool aFullScreen);

        // The configuration's window handle slot (dereference it for the handle).
        HWND* GetHWND() const { return myConfiguration.myHwnd; }
        Vector2<uint32_t> GetRenderSize() const { return myConfiguration.myRenderSize; }
        Vector2<uint32_t> GetWindowSize() const { return myConfiguration.myWindowSize; }
        uint32_t GetDebugFeatures() const { return myConfiguration.myDebugFeatures; }
        const Color& GetClearColor() const { return myConfiguration.myClearColor; }
        float GetTotalTime() const { return myTotalTime; }
        float GetDeltaTime() const { return myDeltaTime; }
        const StepTimer& GetStepTimer() const { return myTimer; }
        const AspectRatios& GetAspectRatios() const { return myAspectRatios; }
        int64_t GetStartTime() const { return myStartTime; }
        const EngineCallbackLists& GetCallbackLists() const { return *myCallbackLists; }
        FileWatcher* GetFileWatcher() const { return myFileWatcher.get(); }
        GraphicsEngine* GetGraphicsEngine() const { return myGraphicsEngine.get(); }
        TextureManager* GetTextureManager() const { return myTextureManager.get(); }
        TextService* GetTextService() const { return myTextService.get(); }

        // What stopped the last start (the window, the graphics device, a shader that could not
        // be read or compiled); empty after a successful start.
        const std::string& GetStartFailure() const { return myStartFailure; }

        // Set by the window procedure on WM_SIZE; the resize happens at the end of the frame.
        void SetResizePending() { myIsResizePending = true; }
        bool IsResizePending() const { return myIsResizePending; }

        void UpdateWindowSizeChanges();
        void CalculateRatios();

    private:
        Engine();
        ~Engine();
        Engine(const Engine&) = delete;
        Engine& operator=(const Engine&) = delete;

        bool InternalStart();
        void Update();

        static Engine* ourInstance;

        std::unique_ptr<WindowsWindow> myWindow;
        std::unique_ptr<DX11> myDX11;
        std::unique_ptr<GraphicsEngine> myGraphicsEngine;
        std::unique_ptr<TextureManager> myTextureManager;
        std::unique_ptr<TextService> myTextService;
        EngineConfiguration myConfiguration;
        std::unique_ptr<EngineCallbackLists> myCallbackLists;
        std::unique_ptr<FileWatcher> myFileWatcher;
        bool myIsResizePending = false;
        AspectRatios myAspectRatios;
        int64_t myStartTime = 0;
        float myTotalTime = 0.0f;
        float myDeltaTime = 0.0f;
        StepTimer myTimer;
        bool myHasSeenQuit = false;
        std::string myStartFailure;
    };
}
