#pragma once
// A started engine (320 x 200 back buffer on the offscreen driver, render size 1280 x 720,
// file watcher on) and a temp folder of the test's own, for tests that need the GPU.
#include "Support/ScopedEngine.h"

#include "forge/engine/DebugFeature.h"
#include "forge/graphics/DX11.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

class RunningEngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        myEngine = std::make_unique<KilnTest::ScopedEngine>([](Kiln::EngineConfiguration& aConfig) {
            aConfig.myDebugFeatures = Kiln::DebugFeature::Filewatcher;
            aConfig.myRenderSize = {1280, 720};
        });
        ASSERT_TRUE(myEngine->Started());
        myTempDir = std::filesystem::temp_directory_path() /
                    ("kiln_" + std::to_string(::getpid()) + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(myTempDir);
        std::filesystem::create_directories(myTempDir);
    }

    void TearDown() override
    {
        myEngine.reset();
        std::filesystem::remove_all(myTempDir);
    }

    std::string TempPath(const std::string& aName) const { return (myTempDir / aName).string(); }

    std::unique_ptr<KilnTest::ScopedEngine> myEngine;
    std::filesystem::path myTempDir;
};
