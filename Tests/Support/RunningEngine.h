#pragma once
// A started engine (window, device and back buffer on the offscreen driver) for tests that
// need the GPU, with the project settings of the runtime tree loaded.
#include "forge/engine/DebugFeature.h"
#include "forge/engine/Engine.h"
#include "forge/graphics/DX11.h"
#include "forge/settings/Settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

class RunningEngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Kiln::LoadSettings("Game");
        Kiln::Settings::EngineConfiguration().myDebugFeatures = Kiln::DebugFeature::Filewatcher;
        Kiln::Settings::EngineConfiguration().myWindowSize = {320, 180};
        Kiln::Settings::EngineConfiguration().myRenderSize = {1280, 720};
        ASSERT_TRUE(Kiln::Engine::Start());
        myTempDir = std::filesystem::temp_directory_path() /
                    ("kiln_" + std::to_string(::getpid()) + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(myTempDir);
        std::filesystem::create_directories(myTempDir);
    }

    void TearDown() override
    {
        Kiln::Engine::DestroyInstance();
        std::filesystem::remove_all(myTempDir);
    }

    std::string TempPath(const std::string& aName) const { return (myTempDir / aName).string(); }

    std::filesystem::path myTempDir;
};
