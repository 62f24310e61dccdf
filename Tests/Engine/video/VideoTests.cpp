#include "forge/graphics/DX11.h"
#include "forge/graphics/Texture.h"
#include "forge/video/Video.h"
#include "forge/video/VideoAudioOut.h"
#include "forge/video/VideoPlayer.h"
#include "Support/GpuTestContext.h"
#include "Support/TestVideo.h"

#include "Platform/runtime/Paths.h"

#include <gtest/gtest.h>

#include <fstream>

using Kiln::Video;
using VideoTest::TestVideoSpec;

// A little over one period at 25 fps: 0.04f itself is just below 1 / 25 in double
// precision, which the frame loop compares in.
constexpr float OneFrame = 0.041f;

namespace
{
    // A GL device on a hidden window, published through the engine's device handles as the
    // framework does, so Video creates and maps its texture as in the game.
    class VideoGpu : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            ASSERT_TRUE(myGpu.IsValid());
            Kiln::DX11::Device = &myGpu.Device();
            Kiln::DX11::Context = &myGpu.Context();
        }

        void TearDown() override
        {
            Kiln::DX11::Device = nullptr;
            Kiln::DX11::Context = nullptr;
        }

        std::filesystem::path Make(const std::string& aName, const TestVideoSpec& aSpec)
        {
            const auto path = myFolder / aName;
            std::string error;
            EXPECT_TRUE(VideoTest::WriteTestVideo(path, aSpec, &error)) << error;
            return path;
        }

        // The frame texture's texels, rows top first, 4 bytes each.
        std::vector<std::uint8_t> ReadBack(const Video& aVideo)
        {
            std::vector<std::uint8_t> texels;
            const auto& resource = aVideo.GetTexture()->GetShaderResourceView()->GetResource();
            EXPECT_TRUE(myGpu.Context().ReadSubresource(static_cast<Plat::Gpu::Texture2D*>(resource.get()), 0, texels));
            return texels;
        }

        int ShownFrame(const Video& aVideo)
        {
            const std::vector<std::uint8_t> texels = ReadBack(aVideo);
            return VideoTest::ReadFrameNumber(texels.data(), aVideo.GetTextureWidth() * 4, static_cast<int>(aVideo.GetWidth()),
                                              static_cast<int>(aVideo.GetHeight()));
        }

        std::uint32_t Converted(const Video& aVideo) { return aVideo.GetPlayer()->GetFramesConverted(); }

        KilnTest::GpuTestContext myGpu;
        VideoTest::TempFolder myFolder{ "video" };
    };
}

TEST_F(VideoGpu, A720pVideoFillsTheTopLeftOfA2048By1024Texture)
{
    TestVideoSpec spec;
    spec.videoStreams[0] = { 1280, 720, 40, 90, 200 };
    spec.frameCount = 3;
    spec.codec = "libx264";
    Video video;
    ASSERT_TRUE(video.Init(Make("hd.mp4", spec).c_str(), false));
    EXPECT_EQ(video.GetStatus(), Video::Ready);
    EXPECT_EQ(video.GetWidth(), 1280u);
    EXPECT_EQ(video.GetHeight(), 720u);
    ASSERT_NE(video.GetTexture(), nullptr);
    const Kiln::Vector2<std::uint32_t> size = Kiln::GetTextureSize(*video.GetTexture());
    EXPECT_EQ(size.x, 2048u);
    EXPECT_EQ(size.y, 1024u);
    EXPECT_EQ(Converted(video), 0u);  // the priming pass uploads nothing at 25 fps

    video.Play(false);
    video.Update(OneFrame);
    EXPECT_EQ(Converted(video), 1u);
    const std::vector<std::uint8_t> texels = ReadBack(video);
    ASSERT_EQ(texels.size(), 2048u * 1024u * 4u);
    EXPECT_EQ(VideoTest::ReadFrameNumber(texels.data(), 2048 * 4, 1280, 720), 1);
    auto texel = [&](int x, int y) { return texels.data() + (static_cast<std::size_t>(y) * 2048 + static_cast<std::size_t>(x)) * 4; };
    // The lower half of the picture has the stream colour, up to its last row and column.
    for (auto [x, y] : { std::pair{ 0, 719 }, std::pair{ 1279, 719 }, std::pair{ 640, 500 } })
    {
        EXPECT_NEAR(texel(x, y)[0], 40, 12) << x << "," << y;
        EXPECT_NEAR(texel(x, y)[1], 90, 12) << x << "," << y;
        EXPECT_NEAR(texel(x, y)[2], 200, 12) << x << "," << y;
        EXPECT_EQ(texel(x, y)[3], 255);
    }
    // Outside it the texture is clear.
    for (auto [x, y] : { std::pair{ 1280, 0 }, std::pair{ 2047, 719 }, std::pair{ 0, 720 }, std::pair{ 2047, 1023 } })
        EXPECT_EQ(texel(x, y)[0] | texel(x, y)[1] | texel(x, y)[2] | texel(x, y)[3], 0) << x << "," << y;
}

TEST_F(VideoGpu, FramesAreUploadedOnePerFramePeriodOfAccumulatedTime)
{
    TestVideoSpec spec;
    spec.frameCount = 20;
    Video video;
    ASSERT_TRUE(video.Init(Make("pace.mp4", spec).c_str(), false));

    video.Update(0.5f);  // not playing yet
    EXPECT_EQ(Converted(video), 0u);
    EXPECT_EQ(video.GetTime(), 0.0f);

    video.Play(false);
    video.Update(0.1f);
    EXPECT_EQ(Converted(video), 2u);
    EXPECT_NEAR(video.GetTime(), 0.02f, 1e-5);
    EXPECT_EQ(ShownFrame(video), 2);

    video.Update(0.01f);
    EXPECT_EQ(Converted(video), 2u);
    EXPECT_NEAR(video.GetTime(), 0.03f, 1e-5);

    video.Update(0.011f);
    EXPECT_EQ(Converted(video), 3u);
    EXPECT_EQ(ShownFrame(video), 3);
}

TEST_F(VideoGpu, AtTheEndTheLastFrameStaysAndStopRewindsToTheStart)
{
    TestVideoSpec spec;
    spec.frameCount = 5;
    Video video;
    ASSERT_TRUE(video.Init(Make("short.mp4", spec).c_str(), false));
    video.Play(false);
    video.Update(OneFrame * 4);
    EXPECT_EQ(ShownFrame(video), 4);
    EXPECT_EQ(video.GetStatus(), Video::Ready);

    video.Update(OneFrame);
    EXPECT_EQ(video.GetStatus(), Video::Ended);
    EXPECT_TRUE(video.IsPlaying());
    EXPECT_EQ(ShownFrame(video), 4);
    video.Update(5 * OneFrame);
    EXPECT_EQ(ShownFrame(video), 4);
    EXPECT_EQ(video.GetStatus(), Video::Ended);

    video.Stop();
    EXPECT_EQ(video.GetStatus(), Video::Stopped);
    EXPECT_FALSE(video.IsPlaying());
    video.Update(5 * OneFrame);
    EXPECT_EQ(ShownFrame(video), 4);  // stopped: nothing new

    video.Play(false);
    video.Update(OneFrame);
    EXPECT_EQ(ShownFrame(video), 0);
    video.Update(OneFrame);
    EXPECT_EQ(ShownFrame(video), 1);
}

TEST_F(VideoGpu, ALoopingVideoRewindsAndKeepsTheEndedStatusUntilStopped)
{
    TestVideoSpec spec;
    spec.frameCount = 4;
    spec.codec = "libx264";
    Video video;
    ASSERT_TRUE(video.Init(Make("loop.mp4", spec).c_str(), true));
    video.Play(true);
    std::vector<int> shown;
    for (int i = 0; i < 12; ++i)
    {
        video.Update(OneFrame);
        shown.push_back(ShownFrame(video));
    }
    // Frames 1 to 3, then the end (the last frame again) and the start once more.
    EXPECT_EQ(shown, (std::vector<int>{ 1, 2, 3, 3, 0, 1, 2, 3, 3, 0, 1, 2 }));
    EXPECT_EQ(video.GetStatus(), Video::Ended);
    EXPECT_TRUE(video.IsPlaying());
    video.Stop();
    EXPECT_EQ(video.GetStatus(), Video::Stopped);
}

TEST_F(VideoGpu, InitRefusesMissingUnreadableAndRepeatedFiles)
{
    Video missing;
    EXPECT_FALSE(missing.Init((myFolder / "none.mp4").c_str(), false));
    EXPECT_EQ(missing.GetTexture(), nullptr);
    missing.Play(true);
    missing.Update(1.0f);  // nothing to play, nothing breaks
    EXPECT_FALSE(missing.Init((myFolder / "none.mp4").c_str(), false));

    std::ofstream(myFolder / "notes.mp4") << "not a video";
    Video text;
    EXPECT_FALSE(text.Init((myFolder / "notes.mp4").c_str(), false));
    EXPECT_EQ(text.GetTexture(), nullptr);

    TestVideoSpec spec;
    const auto good = Make("good.mp4", spec);
    Video video;
    ASSERT_TRUE(video.Init(good.c_str(), false));
    Kiln::Texture* texture = video.GetTexture();
    EXPECT_FALSE(video.Init(good.c_str(), false));
    EXPECT_EQ(video.GetTexture(), texture);
}

TEST_F(VideoGpu, AStreamWithoutAFrameRatePlaysAtTheFallbackRate)
{
    TestVideoSpec spec;
    spec.frameCount = 1;
    spec.timed = false;
    spec.codec = "mjpeg";
    Video video;
    ASSERT_TRUE(video.Init(Make("still.mp4", spec).c_str(), false));
    ASSERT_EQ(video.GetPlayer()->GetFrameRate(), 0.0);
    video.Play(false);
    video.Update(1.01f);  // returns, after 25 periods
    EXPECT_EQ(Converted(video), 25u);
    EXPECT_EQ(video.GetStatus(), Video::Ended);
    EXPECT_EQ(ShownFrame(video), 0);
}

TEST_F(VideoGpu, SoundReachesTheWaveOutputOnlyWhenAskedFor)
{
    VideoTest::ScopedAudioDriver driver("dummy");
    TestVideoSpec spec;
    spec.frameCount = 10;
    spec.audioTones = { 440.0 };
    const auto path = Make("talk.mp4", spec);

    Video quiet;
    ASSERT_TRUE(quiet.Init(path.c_str(), false));
    quiet.Play(false);
    quiet.Update(0.41f);
    EXPECT_EQ(quiet.GetPlayer()->GetAudioOut(), nullptr);

    Video loud;
    ASSERT_TRUE(loud.Init(path.c_str(), true));
    loud.Play(false);
    loud.Update(0.41f);
    ASSERT_NE(loud.GetPlayer()->GetAudioOut(), nullptr);
    EXPECT_GT(loud.GetPlayer()->GetAudioOut()->GetBuffersWritten(), 10u);
    EXPECT_EQ(ShownFrame(loud), 9);
}

TEST(Video, WithoutAGraphicsDeviceInitFails)
{
    VideoTest::TempFolder folder("video_nodevice");
    const auto path = folder / "v.mp4";
    ASSERT_TRUE(VideoTest::WriteTestVideo(path, TestVideoSpec{}));
    ASSERT_EQ(Kiln::DX11::Device, nullptr);
    Video video;
    EXPECT_FALSE(video.Init(path.c_str(), false));
    EXPECT_EQ(video.GetTexture(), nullptr);
    video.Play(false);
    video.Update(0.5f);
}

TEST_F(VideoGpu, TheGamesGeneratedVideosPlayAnimatedForTheirScreensLength)
{
    // Each film lasts as long as the screen that shows it: the splash film at least 6 s,
    // the intro 38 s and the outro 85 s.
    struct Film { const char* name; float minSeconds; float maxSeconds; };
    const auto folder = Plat::Runtime::ExecutableDirectory() / "assets" / "game" / "video";
    for (const Film& film : { Film{ "VID_VT58.mp4", 6.0f, 9.0f }, Film{ "VID_Intro.mp4", 37.5f, 39.5f },
                              Film{ "VID_Outro.mp4", 84.5f, 86.5f } })
    {
        Video video;
        ASSERT_TRUE(video.Init((folder / film.name).c_str(), false)) << film.name;
        EXPECT_EQ(Kiln::GetTextureSize(*video.GetTexture()).x, std::bit_ceil(video.GetWidth()));
        video.Play(false);
        video.Update(OneFrame);
        const std::vector<std::uint8_t> first = ReadBack(video);
        int updates = 1;
        while (video.GetStatus() != Video::Ended && updates < 5000)
        {
            video.Update(OneFrame);
            ++updates;
        }
        const float seconds = static_cast<float>(updates) * OneFrame;
        EXPECT_GE(seconds, film.minSeconds) << film.name;
        EXPECT_LE(seconds, film.maxSeconds) << film.name;
        EXPECT_NE(ReadBack(video), first) << film.name;
    }
}
