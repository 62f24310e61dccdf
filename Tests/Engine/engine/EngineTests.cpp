#include "forge/engine/Engine.h"
#include "forge/graphics/DX11.h"
#include "forge/settings/Settings.h"

#include "Support/ScopedEngine.h"

#include "Platform/gpu/Adapter.h"
#include "Platform/window/Desktop.h"
#include "Platform/window/MessageQueue.h"
#include "Platform/window/Window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using KilnTest::ScopedEngine;
namespace W = Plat::Window;

TEST(Engine, ASecondStartIsRefusedAndLeavesTheFirstEngineAlone)
{
    ScopedEngine engine;
    ASSERT_TRUE(engine.Started());
    Kiln::Engine* first = Kiln::Engine::GetInstance();
    const W::HWND window = engine.Window();
    ASSERT_NE(window, nullptr);

    EXPECT_FALSE(Kiln::Engine::Start());
    EXPECT_EQ(Kiln::Engine::GetInstance(), first);
    EXPECT_EQ(engine.Window(), window);
    EXPECT_TRUE(Kiln::DX11::IsCreated);
    EXPECT_EQ(engine->GetRenderSize(), Kiln::Vector2<uint32_t>(320, 200));
}

TEST(Engine, DestroyInstanceReleasesEverything)
{
    {
        ScopedEngine engine;
        ASSERT_TRUE(engine.Started());
        EXPECT_NE(Kiln::DX11::Device, nullptr);
    }
    EXPECT_EQ(Kiln::Engine::GetInstance(), nullptr);
    EXPECT_FALSE(Kiln::DX11::IsCreated);
    EXPECT_EQ(Kiln::DX11::Device, nullptr);
    EXPECT_EQ(Kiln::DX11::BackBuffer, nullptr);

    // A new engine starts after the old one is gone.
    ScopedEngine again;
    EXPECT_TRUE(again.Started());
}

TEST(Engine, AFailedStartKeepsTheEngineForTeardownRefusesASecondStartAndNamesItsCause)
{
    Plat::Gpu::SetAdapterEnumerator([] { return std::vector<Plat::Gpu::AdapterDesc>{}; });
    {
        ScopedEngine engine;
        EXPECT_FALSE(engine.Started());
        ASSERT_NE(Kiln::Engine::GetInstance(), nullptr);
        EXPECT_EQ(Kiln::Engine::GetInstance()->GetStartFailure(), "the graphics device could not be made");
        EXPECT_FALSE(Kiln::Engine::Start());
        // The window was closed when the graphics failed.
        EXPECT_FALSE(W::IsWindow(engine.Window()));
    }
    Plat::Gpu::SetAdapterEnumerator({});
    EXPECT_EQ(Kiln::Engine::GetInstance(), nullptr);
    EXPECT_FALSE(Kiln::DX11::IsCreated);

    // A window wider than any the platform makes: the window is the cause, not the device.
    ::testing::internal::CaptureStderr();
    {
        ScopedEngine wide([](Kiln::EngineConfiguration& aConfig) { aConfig.myWindowSize = aConfig.myRenderSize = {16400, 8}; });
        EXPECT_FALSE(wide.Started());
        ASSERT_NE(Kiln::Engine::GetInstance(), nullptr);
        EXPECT_EQ(Kiln::Engine::GetInstance()->GetStartFailure(), "the window could not be made");
    }
    ::testing::internal::GetCapturedStderr();
}

TEST(Engine, StartMaximizedOrFullScreenUsesThePrimaryScreenSize)
{
    const Kiln::Vector2<uint32_t> screen{static_cast<uint32_t>(W::GetSystemMetrics(W::SM_CXSCREEN)),
                                         static_cast<uint32_t>(W::GetSystemMetrics(W::SM_CYSCREEN))};
    for (const bool fullScreen : {false, true})
    {
        ScopedEngine engine([&](Kiln::EngineConfiguration& aConfig) {
            aConfig.myWindowSize = {1280, 720};
            aConfig.myRenderSize = {1280, 720};
            aConfig.myBorderless = false;
            aConfig.myStartMaximized = !fullScreen;
            aConfig.myStartInFullScreen = fullScreen;
        });
        ASSERT_TRUE(engine.Started());
        EXPECT_EQ(engine->GetRenderSize(), screen);
        W::Rect client;
        W::GetClientRect(engine.Window(), client);
        EXPECT_EQ(static_cast<uint32_t>(client.right), screen.x);
        EXPECT_EQ(static_cast<uint32_t>(client.bottom), screen.y);
    }
}

TEST(Engine, DebugFeaturesAreOnByBitOrAllAtOnce)
{
    {
        ScopedEngine engine([](Kiln::EngineConfiguration& aConfig) { aConfig.myDebugFeatures = 0x1FF; });
        ASSERT_TRUE(engine.Started());
        EXPECT_TRUE(engine->IsDebugFeatureOn(Kiln::DebugFeature::Fps));
        EXPECT_TRUE(engine->IsDebugFeatureOn(0x200));
        EXPECT_TRUE(engine->IsDebugFeatureOn(0));
    }
    {
        ScopedEngine engine([](Kiln::EngineConfiguration& aConfig) { aConfig.myDebugFeatures = 0x1FE; });
        ASSERT_TRUE(engine.Started());
        EXPECT_FALSE(engine->IsDebugFeatureOn(Kiln::DebugFeature::Fps));
        EXPECT_TRUE(engine->IsDebugFeatureOn(Kiln::DebugFeature::Mem));
        EXPECT_TRUE(engine->IsDebugFeatureOn(Kiln::DebugFeature::Fps | Kiln::DebugFeature::Filewatcher));
        EXPECT_FALSE(engine->IsDebugFeatureOn(0x200));
    }
    {
        // A bit outside the nine does not hide "All".
        ScopedEngine engine([](Kiln::EngineConfiguration& aConfig) { aConfig.myDebugFeatures = 0x3FF; });
        ASSERT_TRUE(engine.Started());
        EXPECT_TRUE(engine->IsDebugFeatureOn(0));
        EXPECT_TRUE(engine->IsDebugFeatureOn(0x400));
        EXPECT_TRUE(engine->IsDebugFeatureOn(Kiln::DebugFeature::MemoryTrackingAllAllocations));
    }
    {
        ScopedEngine engine([](Kiln::EngineConfiguration& aConfig) { aConfig.myDebugFeatures = 0x3FE; });
        ASSERT_TRUE(engine.Started());
        EXPECT_FALSE(engine->IsDebugFeatureOn(Kiln::DebugFeature::Fps));
        EXPECT_FALSE(engine->IsDebugFeatureOn(0));
        EXPECT_TRUE(engine->IsDebugFeatureOn(0x200));
    }
}

TEST(Engine, WmQuitInABurstEndsTheFrameAtOnceAndForGood)
{
    ScopedEngine engine;
    ASSERT_TRUE(engine.Started());
    ASSERT_TRUE(engine->BeginFrame());
    engine->EndFrame();

    W::PostMessage(engine.Window(), W::WM_USER + 1, 0, 0);
    W::PostMessage(nullptr, W::WM_QUIT, 0, 0);
    W::PostMessage(engine.Window(), W::WM_USER + 2, 0, 0);
    EXPECT_FALSE(engine->BeginFrame());

    // The message after WM_QUIT is still queued, and stays there: the quit is final.
    W::Message m;
    ASSERT_TRUE(W::PeekMessage(m, nullptr, W::WM_USER + 2, W::WM_USER + 2, W::PM_NOREMOVE));
    EXPECT_FALSE(engine->BeginFrame());
    EXPECT_TRUE(W::PeekMessage(m, nullptr, W::WM_USER + 2, W::WM_USER + 2, W::PM_NOREMOVE));
}

TEST(Engine, AHookSeesMessagesFirstAndWmDestroyEndsTheLoop)
{
    static std::vector<W::UINT> seen;
    seen.clear();
    ScopedEngine engine([](Kiln::EngineConfiguration& aConfig) {
        aConfig.myWinProcCallback = [](W::HWND, W::UINT aMessage, W::WPARAM, W::LPARAM) -> W::LRESULT {
            seen.push_back(aMessage);
            return 0;
        };
    });
    ASSERT_TRUE(engine.Started());
    ASSERT_TRUE(engine->BeginFrame());
    engine->EndFrame();

    // A close request (what SIGINT and the window's close button become).
    W::PostMessage(engine.Window(), W::WM_CLOSE, 0, 0);
    EXPECT_FALSE(engine->BeginFrame());
    EXPECT_NE(std::find(seen.begin(), seen.end(), W::WM_CLOSE), seen.end());
    EXPECT_NE(std::find(seen.begin(), seen.end(), W::WM_DESTROY), seen.end());
}

TEST(Engine, ResizeIsAppliedAtTheEndOfTheFrameAfterPresent)
{
    ScopedEngine engine;
    ASSERT_TRUE(engine.Started());
    ASSERT_TRUE(engine->BeginFrame());
    engine->EndFrame();

    W::SetWindowPos(engine.Window(), 0, 0, 1920, 1080, W::SWP_NOMOVE | W::SWP_NOZORDER);
    ASSERT_TRUE(engine->BeginFrame());
    EXPECT_TRUE(engine->IsResizePending());
    // Nothing changes during the frame.
    EXPECT_EQ(engine->GetRenderSize(), Kiln::Vector2<uint32_t>(320, 200));
    EXPECT_EQ(Kiln::DX11::BackBuffer->GetResolution(), Kiln::Vector2<uint32_t>(320, 200));

    Kiln::DX11::Context->SetTraceEnabled(true);
    engine->EndFrame();
    Kiln::DX11::Context->SetTraceEnabled(false);
    // The frame is presented at the old size; the rebuild (which starts with ClearState) follows.
    const auto& trace = Kiln::DX11::Context->GetTrace();
    const auto present = std::find_if(trace.begin(), trace.end(), [](const auto& aCall) { return aCall.name == "Present"; });
    const auto clearState = std::find_if(trace.begin(), trace.end(), [](const auto& aCall) { return aCall.name == "ClearState"; });
    ASSERT_NE(present, trace.end());
    ASSERT_NE(clearState, trace.end());
    EXPECT_LT(present - trace.begin(), clearState - trace.begin());
    Kiln::DX11::Context->ClearTrace();

    EXPECT_FALSE(engine->IsResizePending());
    EXPECT_EQ(engine->GetRenderSize(), Kiln::Vector2<uint32_t>(1920, 1080));
    EXPECT_EQ(engine->GetWindowSize(), Kiln::Vector2<uint32_t>(1920, 1080));
    EXPECT_EQ(Kiln::DX11::BackBuffer->GetResolution(), Kiln::Vector2<uint32_t>(1920, 1080));
    EXPECT_EQ(Kiln::DX11::LinearBackBuffer->GetResolution(), Kiln::Vector2<uint32_t>(1920, 1080));
    EXPECT_EQ(Kiln::GetTextureSize(*Kiln::DX11::MainDepthBuffer), Kiln::Vector2<uint32_t>(1920, 1080));
    EXPECT_FLOAT_EQ(engine->GetAspectRatios().myAspectRatio, 1920.0f / 1080.0f);

    // The next frame draws at the new size.
    ASSERT_TRUE(engine->BeginFrame());
    EXPECT_EQ(engine.ReadBackBuffer().size(), 1920u * 1080u * 4u);
    engine->EndFrame();
}

TEST(Engine, EveryFrameClearsToTheClearColourAndTimeAdvances)
{
    ScopedEngine engine([](Kiln::EngineConfiguration& aConfig) { aConfig.myClearColor = {0.2f, 0.6f, 0.9f, 1.0f}; });
    ASSERT_TRUE(engine.Started());

    Kiln::DX11::DrawCallCount = 5;
    ASSERT_TRUE(engine->BeginFrame());
    EXPECT_EQ(Kiln::DX11::LastFrameDrawCallCount, 5u);
    EXPECT_EQ(Kiln::DX11::DrawCallCount, 0u);

    // The sRGB colour reads back as itself from the B8G8R8A8 back buffer.
    std::vector<uint8_t> pixels = engine.ReadBackBuffer();
    ASSERT_EQ(pixels.size(), 320u * 200u * 4u);
    for (size_t offset : {size_t{0}, pixels.size() / 2, pixels.size() - 4})
    {
        EXPECT_NEAR(pixels[offset + 2], 0.2 * 255, 1.0) << offset;
        EXPECT_NEAR(pixels[offset + 1], 0.6 * 255, 1.0) << offset;
        EXPECT_NEAR(pixels[offset + 0], 0.9 * 255, 1.0) << offset;
        EXPECT_EQ(pixels[offset + 3], 255) << offset;
    }
    engine->EndFrame();
    EXPECT_GT(engine->GetDeltaTime(), 0.0f);
    EXPECT_LE(engine->GetDeltaTime(), 0.1f);

    engine->SetClearColor({0.0f, 0.0f, 0.0f, 0.0f});
    ASSERT_TRUE(engine->BeginFrame());
    pixels = engine.ReadBackBuffer();
    ASSERT_FALSE(pixels.empty());
    EXPECT_EQ(pixels[0], 0);
    EXPECT_EQ(pixels[3], 0);
    const float before = engine->GetTotalTime();
    engine->EndFrame();
    EXPECT_GT(engine->GetTotalTime(), before);
    EXPECT_EQ(engine->GetStepTimer().GetFrameCount(), 2u);
}

TEST(Engine, OnlyTheCallbacksThatAreSetReachTheCallbackLists)
{
    static int calls = 0;
    calls = 0;
    ScopedEngine engine([](Kiln::EngineConfiguration& aConfig) {
        aConfig.myCallback1 = [] { ++calls; };
        aConfig.myCallback2 = nullptr;
    });
    ASSERT_TRUE(engine.Started());
    const Kiln::EngineCallbackLists& lists = engine->GetCallbackLists();
    ASSERT_EQ(lists.myCallbacks1.size(), 1u);
    EXPECT_TRUE(lists.myCallbacks2.empty());
    // The list holds a copy of the configured callback; nothing runs it on its own.
    EXPECT_EQ(calls, 0);
    lists.myCallbacks1[0]();
    EXPECT_EQ(calls, 1);
}
