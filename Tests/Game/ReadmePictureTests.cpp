// The README's picture of the chase in Level 3, drawn in process: the shipped level played
// by its route (getting there takes twenty seconds of frame-exact play, which key presses
// sent to a window at an uneven frame rate cannot repeat) and drawn at 1280 x 720 as the
// game draws it. Runs only when KILN_README_PICTURES names the folder to write to
// (Tools/make_screenshots.sh); the other README pictures come from the game's window
// (Tests/EndToEnd).
#include "LevelPlayFixture.h"

#include "Support/PngFile.h"

#include <cstdlib>

using namespace LevelPlay;

namespace
{
    class ReadmePictures : public LevelPlayTest
    {
    protected:
        static constexpr int WIDTH = 1280;
        static constexpr int HEIGHT = 720;

        ReadmePictures()
        {
            myEngineSetup = [](Kiln::EngineConfiguration& aConfig) {
                aConfig.myWindowSize = {WIDTH, HEIGHT};
                aConfig.myRenderSize = {WIDTH, HEIGHT};
            };
        }

        // The world drawn once more, read back before it is presented.
        std::vector<uint8_t> Draw()
        {
            Kiln::Engine& engine = **myEngine;
            engine.BeginFrame();
            myWorld->Render();
            std::vector<uint8_t> pixels = myEngine->ReadBackBuffer();
            engine.EndFrame();
            return pixels;
        }
    };
}

TEST_F(ReadmePictures, TheChaseInLevelThree)
{
    const char* folder = std::getenv("KILN_README_PICTURES");
    if (!folder || !*folder)
        GTEST_SKIP() << "KILN_README_PICTURES is not set";
    std::string error;
    const std::vector<RouteEvent> route = ParseRoute(ReadFile(std::string(KILN_LEVELS_DIR) + "/Level3.route"), &error);
    ASSERT_TRUE(error.empty()) << error;
    Load("levels\\Level3.ksc");
    ASSERT_FALSE(HasFatalFailure());

    // Five seconds into the chase: the wall of hands has come up behind the hero.
    constexpr float seconds = 5.0f;
    int chaseFrames = -1;
    myAfterFrame = [&] {
        if (chaseFrames < 0 && myCounter->Count(MessageType::ChaseMusic) > 0)
            chaseFrames = 0;
        return chaseFrames < 0 || ++chaseFrames < static_cast<int>(seconds / STEP);
    };
    Play(route, 12.0f);
    ASSERT_GE(chaseFrames, 0) << "the route did not reach the chase; the hero's path:\n" << myTrace.str();

    const std::vector<uint8_t> pixels = Draw();
    ASSERT_EQ(pixels.size(), size_t(WIDTH) * HEIGHT * 4u);
    EXPECT_TRUE(KilnTest::WritePng(std::filesystem::path(folder) / "chase.png", WIDTH, HEIGHT, pixels, "bgra", 640));
}
