// The splash screen and the cutscenes: their clocks, their messages and what they draw.
#include "GameShell.h"

#include "forge/video/Video.h"
#include "forge/video/VideoPlayer.h"

#include <gtest/gtest.h>

using namespace GameTest;

namespace
{
    constexpr float W = 320.0f;
    constexpr float H = 200.0f;

    class Screens : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            TestSupport::LoadGameSoundBank();
            myEngine = std::make_unique<KilnTest::ScopedEngine>();
            ASSERT_TRUE(myEngine->Started());
        }

        void TearDown() override
        {
            Sound::GetInstance().StopIntroVideoSound();
            Sound::GetInstance().StopOutroVideoSound();
            Send(MessageType::StopMusic);
            myEngine.reset();
        }

        // Draws with aRender in one frame and returns the back buffer (B, G, R, A).
        template <typename Draw>
        std::vector<uint8_t> Drawn(Draw aRender)
        {
            EXPECT_TRUE((*myEngine)->BeginFrame());
            aRender();
            std::vector<uint8_t> pixels = myEngine->ReadBackBuffer();
            (*myEngine)->EndFrame();
            return pixels;
        }

        static const uint8_t* At(const std::vector<uint8_t>& somePixels, int aX, int aY)
        {
            return &somePixels[static_cast<size_t>((aY * 320 + aX) * 4)];
        }

        // The engine's clear colour (3, 153, 176) in the test configuration.
        static bool IsClear(const uint8_t* aPixel) { return aPixel[2] < 10 && aPixel[1] > 140 && aPixel[0] > 160; }

        std::unique_ptr<KilnTest::ScopedEngine> myEngine;
    };
}

TEST_F(Screens, TheSplashLogoShowsThreeAndAHalfSecondsFromTheSecondUpdateThenTheVideoUntilNineAndAHalf)
{
    MessageLog log;
    Splashscreen splash;
    splash.Init();
    State state = State::Splashscreen;

    splash.Update(2.0f, state);   // the first update only starts the jingle
    EXPECT_EQ(log.Types(), (std::vector<MessageType>{MessageType::IntroLogoSound}));
    EXPECT_EQ(splash.GetLogoTime(), 3.5f);
    EXPECT_EQ(splash.GetTotalTime(), 9.5f);

    for (int i = 0; i < 7; ++i)
        splash.Update(0.5f, state);
    EXPECT_EQ(splash.GetLogoTime(), 0.0f);
    EXPECT_FALSE(splash.HasVideoStarted());
    EXPECT_EQ(log.myEntries.size(), 1u);

    splash.Update(0.5f, state);
    EXPECT_TRUE(splash.HasVideoStarted());
    EXPECT_EQ(log.Types(), (std::vector<MessageType>{MessageType::IntroLogoSound, MessageType::IntroTeamSound}));
    ASSERT_NE(splash.GetVideo(), nullptr);
    EXPECT_TRUE(splash.GetVideo()->IsPlaying());

    // 6 s of video.
    for (int i = 0; i < 11; ++i)
        splash.Update(0.5f, state);
    EXPECT_EQ(splash.GetTotalTime(), 0.0f);
    EXPECT_EQ(state, State::Splashscreen);
    splash.Update(0.5f, state);
    EXPECT_EQ(state, State::MainMenu);
    EXPECT_FALSE(splash.GetVideo()->IsPlaying());
    EXPECT_EQ(log.myEntries.size(), 2u);
}

TEST_F(Screens, TheSplashDrawsTheLogoThenTheVideoFrame)
{
    Splashscreen splash;
    splash.Init();
    State state = State::Splashscreen;
    splash.Update(0.0f, state);

    // The logo W x W, centred: the whole screen, with the ember of its fire and name.
    const std::vector<uint8_t> logo = Drawn([&] { splash.Render(); });
    int ember = 0;
    for (int y = 0; y < 200; y += 2)
        for (int x = 0; x < 320; x += 2)
        {
            const uint8_t* p = At(logo, x, y);
            EXPECT_FALSE(IsClear(p)) << x << "," << y;
            ember += p[2] > 200 && p[1] > 60 && p[1] < 190 && p[0] < 110;
        }
    EXPECT_GT(ember, 100);

    // The video W wide and W/2 tall from a quarter of its texture's height above the
    // middle: the top band of the screen stays clear.
    splash.Update(3.6f, state);
    splash.Update(0.5f, state);
    ASSERT_TRUE(splash.HasVideoStarted());
    const Kiln::Video& video = *splash.GetVideo();
    const float quadHeight = (W / 2.0f) / static_cast<float>(video.GetHeight()) * static_cast<float>(video.GetTextureHeight());
    const int top = static_cast<int>(H - (H / 2.0f + 0.25f * quadHeight));   // client rows, y down
    ASSERT_GT(top, 2);
    const std::vector<uint8_t> frame = Drawn([&] { splash.Render(); });
    EXPECT_TRUE(IsClear(At(frame, 160, top - 2)));
    EXPECT_TRUE(IsClear(At(frame, 10, top - 2)));
    int drawn = 0;
    for (int y = top + 2; y < std::min(200, top + 150); y += 4)
        for (int x = 0; x < 320; x += 8)
            drawn += !IsClear(At(frame, x, y));
    EXPECT_GT(drawn, 1000);
}

TEST_F(Screens, ASplashWithoutItsVideoKeepsTimeAndShowsNothingAfterTheLogo)
{
    Kiln::Settings::ResetSettings();   // no asset roots: the video is not found
    Splashscreen splash;
    splash.Init();
    State state = State::Splashscreen;
    splash.Update(0.0f, state);
    splash.Update(4.0f, state);
    EXPECT_TRUE(splash.HasVideoStarted());
    const std::vector<uint8_t> pixels = Drawn([&] { splash.Render(); });
    for (int y = 0; y < 200; y += 10)
        for (int x = 0; x < 320; x += 10)
            EXPECT_TRUE(IsClear(At(pixels, x, y))) << x << "," << y;
    splash.Update(5.6f, state);
    EXPECT_EQ(state, State::MainMenu);
}

TEST_F(Screens, TheIntroPlaysThirtyEightSecondsAcrossTheMiddleOfTheScreen)
{
    Cutscene intro;
    intro.InitIntro();
    EXPECT_EQ(intro.GetCountdown(), 38.0f);
    EXPECT_EQ(ChannelsOf("video/VID_Intro_Sound.mp3"), 1u);
    ASSERT_NE(intro.GetVideo(), nullptr);
    const Kiln::Video& video = *intro.GetVideo();
    ASSERT_GT(video.GetWidth(), 0u);
    EXPECT_TRUE(video.IsPlaying());

    const Kiln::Sprite2DInstanceData& frame = intro.GetFrameInstance();
    EXPECT_EQ(frame.myPosition.x, 0.0f);
    EXPECT_EQ(frame.myPosition.y, H / 2.0f);
    EXPECT_EQ(frame.myPivot.x, 0.0f);
    EXPECT_EQ(frame.myPivot.y, 0.5f);
    EXPECT_FLOAT_EQ(frame.mySize.x, W / static_cast<float>(video.GetWidth()) * static_cast<float>(video.GetTextureWidth()));
    EXPECT_FLOAT_EQ(frame.mySize.y,
                    (W / 2.0f) / static_cast<float>(video.GetHeight()) * static_cast<float>(video.GetTextureHeight()));

    // The picture is drawn (not the clear colour) in the middle of the screen.
    State state = State::IntroVideo;
    intro.UpdateIntro(1.0f, state);
    const std::vector<uint8_t> pixels = Drawn([&] { intro.Render(); });
    EXPECT_FALSE(IsClear(At(pixels, 160, 100)));

    for (int i = 0; i < 73; ++i)
        intro.UpdateIntro(0.5f, state);
    EXPECT_EQ(state, State::IntroVideo);
    EXPECT_FLOAT_EQ(intro.GetCountdown(), 0.5f);
    intro.UpdateIntro(0.6f, state);
    EXPECT_EQ(state, State::Playing);
    EXPECT_FALSE(video.IsPlaying());
    // Left to end by itself.
    EXPECT_EQ(ChannelsOf("video/VID_Intro_Sound.mp3"), 1u);
}

TEST_F(Screens, PausePressedOrReleasedSkipsACutsceneAndOtherActionsDoNot)
{
    Cutscene intro;
    intro.InitIntro();
    State state = State::IntroVideo;
    for (uint32_t action : {Action::Back, Action::Select, Action::Jump})
        intro.OnInputIntro(InputEvent{action, true});
    intro.UpdateIntro(0.1f, state);
    EXPECT_EQ(state, State::IntroVideo);
    EXPECT_EQ(ChannelsOf("video/VID_Intro_Sound.mp3"), 1u);

    intro.OnInputIntro(InputEvent{Action::Pause, false});
    EXPECT_EQ(intro.GetCountdown(), 0.0f);
    EXPECT_EQ(ChannelsOf("video/VID_Intro_Sound.mp3"), 0u);
    EXPECT_FALSE(intro.GetVideo()->IsPlaying());
    intro.UpdateIntro(0.016f, state);
    EXPECT_EQ(state, State::Playing);

    MessageLog log;
    Cutscene outro;
    outro.InitOutro();
    EXPECT_EQ(ChannelsOf("video/VID_Outro_Sound.mp3"), 1u);
    outro.OnInputOutro(InputEvent{Action::Pause, true});
    EXPECT_EQ(ChannelsOf("video/VID_Outro_Sound.mp3"), 0u);
    state = State::OutroVideo;
    outro.UpdateOutro(0.016f, state);
    EXPECT_EQ(state, State::MainMenu);
    EXPECT_EQ(log.Types(), (std::vector<MessageType>{MessageType::MainTheme}));
}

TEST_F(Screens, TheOutroFillsTheScreenForEightyFiveSeconds)
{
    MessageLog log;
    Cutscene outro;
    outro.InitOutro();
    EXPECT_EQ(outro.GetCountdown(), 85.0f);
    const Kiln::Video& video = *outro.GetVideo();
    const Kiln::Sprite2DInstanceData& frame = outro.GetFrameInstance();
    EXPECT_EQ(frame.myPosition.x, 0.0f);
    EXPECT_EQ(frame.myPosition.y, H);
    EXPECT_EQ(frame.myPivot.x, 0.0f);
    EXPECT_EQ(frame.myPivot.y, 0.0f);
    EXPECT_FLOAT_EQ(frame.mySize.x, W / static_cast<float>(video.GetWidth()) * static_cast<float>(video.GetTextureWidth()));
    EXPECT_FLOAT_EQ(frame.mySize.y, H / static_cast<float>(video.GetHeight()) * static_cast<float>(video.GetTextureHeight()));

    State state = State::OutroVideo;
    outro.UpdateOutro(20.0f, state);
    const std::vector<uint8_t> pixels = Drawn([&] { outro.Render(); });
    for (int y = 1; y < 200; y += 20)
        for (int x = 1; x < 320; x += 20)
            EXPECT_FALSE(IsClear(At(pixels, x, y))) << x << "," << y;

    outro.UpdateOutro(64.9f, state);
    EXPECT_EQ(state, State::OutroVideo);
    EXPECT_TRUE(log.myEntries.empty());
    outro.UpdateOutro(0.2f, state);
    EXPECT_EQ(state, State::MainMenu);
    EXPECT_EQ(log.Types(), (std::vector<MessageType>{MessageType::MainTheme}));
}

TEST_F(Screens, ACutsceneWithoutItsVideoStillEndsOnTime)
{
    Kiln::Settings::ResetSettings();
    Cutscene intro;
    intro.InitIntro();
    State state = State::IntroVideo;
    intro.UpdateIntro(10.0f, state);
    const std::vector<uint8_t> pixels = Drawn([&] { intro.Render(); });
    EXPECT_TRUE(IsClear(At(pixels, 160, 100)));
    intro.UpdateIntro(28.1f, state);
    EXPECT_EQ(state, State::Playing);
}

TEST(Films, EachFilmLastsAsLongAsTheScreenThatShowsIt)
{
    Kiln::Settings::ResetSettings();
    Kiln::LoadSettings("Game.json");
    struct Film
    {
        const char* path;
        double seconds;   // at least
        double aspect;    // width / height
    };
    for (const Film& film : {Film{"video/VID_VT58.mp4", 6.0, 2.0}, Film{"video/VID_Intro.mp4", 38.0, 2.0},
                             Film{"video/VID_Outro.mp4", 85.0, 16.0 / 9.0}})
    {
        const std::string path = Kiln::Settings::ResolveAssetPath(film.path);
        ASSERT_FALSE(path.empty()) << film.path;
        Kiln::VideoPlayer player;
        ASSERT_EQ(player.Open(path.c_str(), false), Kiln::VideoPlayer::OpenSuccess) << film.path;
        int frames = 0;
        while (player.DecodeNextFrame() >= 0)
            ++frames;
        ASSERT_GT(player.GetFrameRate(), 0.0);
        EXPECT_GE(frames / player.GetFrameRate(), film.seconds) << film.path;
        EXPECT_LE(frames / player.GetFrameRate(), film.seconds + 1.0) << film.path;
        EXPECT_NEAR(double(player.GetFrameWidth()) / player.GetFrameHeight(), film.aspect, 0.01) << film.path;
        player.Close();
    }
    Kiln::Settings::ResetSettings();
}
