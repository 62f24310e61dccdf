#include "forge/video/VideoAudioOut.h"
#include "forge/video/VideoPlayer.h"
#include "Support/Polling.h"
#include "Support/TestVideo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

using Kiln::VideoPlayer;
using VideoTest::TestVideoSpec;

namespace
{
    std::filesystem::path MakeVideo(const VideoTest::TempFolder& aFolder, const std::string& aName, const TestVideoSpec& aSpec)
    {
        const auto path = aFolder / aName;
        std::string error;
        EXPECT_TRUE(VideoTest::WriteTestVideo(path, aSpec, &error)) << error;
        return path;
    }

    // Decodes to the end, converting each frame into a 128 x 64 area; returns the frame numbers.
    std::vector<int> DecodeAll(VideoPlayer& aPlayer, int aLimit = 1000)
    {
        std::vector<int> numbers;
        std::vector<std::uint8_t> pixels(128 * 64 * 4);
        while (aLimit-- > 0 && aPlayer.DecodeNextFrame() >= 0)
        {
            EXPECT_TRUE(aPlayer.ConvertFrame(pixels.data(), 128, 64, 128 * 4));
            numbers.push_back(VideoTest::ReadFrameNumber(pixels.data(), 128 * 4, 64, 48));
        }
        return numbers;
    }

    std::vector<int> Sequence(int aCount)
    {
        std::vector<int> numbers(static_cast<std::size_t>(aCount));
        for (int i = 0; i < aCount; ++i) numbers[static_cast<std::size_t>(i)] = i;
        return numbers;
    }
}

TEST(VideoPlayer, OpenTellsMissingFilesFromFilesItCannotPlay)
{
    VideoTest::TempFolder folder("player_open");
    VideoPlayer missing;
    EXPECT_EQ(missing.Open((folder / "nothing.mp4").c_str(), false), VideoPlayer::OpenFileMissing);
    EXPECT_EQ(missing.Open(nullptr, false), VideoPlayer::OpenFileMissing);

    std::ofstream(folder / "text.mp4") << "this is not a video at all, just some words\n";
    VideoPlayer text;
    EXPECT_EQ(text.Open((folder / "text.mp4").c_str(), false), VideoPlayer::OpenFailure);
    EXPECT_LT(text.DecodeNextFrame(), 0);
    std::vector<std::uint8_t> pixels(16);
    EXPECT_FALSE(text.ConvertFrame(pixels.data(), 2, 2, 8));
    EXPECT_EQ(text.GetFrameRate(), 0.0);

    std::ofstream(folder / "empty.mp4");
    VideoPlayer empty;
    EXPECT_EQ(empty.Open((folder / "empty.mp4").c_str(), false), VideoPlayer::OpenFailure);

    // An audio-only file has no picture to show.
    TestVideoSpec audioOnly;
    audioOnly.videoStreams.clear();
    audioOnly.audioTones = { 440.0 };
    const auto sound = MakeVideo(folder, "sound.mp4", audioOnly);
    VideoPlayer noVideo;
    EXPECT_EQ(noVideo.Open(sound.c_str(), false), VideoPlayer::OpenFailure);
}

TEST(VideoPlayer, DecodesEveryFrameInOrderIncludingTheDecodersDelayedOnes)
{
    VideoTest::TempFolder folder("player_decode");
    for (const char* codec : { "mpeg4", "libx264" })
    {
        TestVideoSpec spec;
        spec.codec = codec;
        spec.frameCount = 20;
        const auto path = MakeVideo(folder, std::string(codec) + ".mp4", spec);
        VideoPlayer player;
        ASSERT_EQ(player.Open(path.c_str(), false), VideoPlayer::OpenSuccess) << codec;
        EXPECT_EQ(player.GetFrameRate(), 25.0);
        EXPECT_EQ(DecodeAll(player), Sequence(20)) << codec;
        EXPECT_EQ(player.GetFramesConverted(), 20u);
        EXPECT_EQ(player.GetFrameWidth(), 64u);
        EXPECT_EQ(player.GetFrameHeight(), 48u);

        // At the end the last picture stays and converts again.
        EXPECT_LT(player.DecodeNextFrame(), 0);
        std::vector<std::uint8_t> pixels(128 * 64 * 4);
        ASSERT_TRUE(player.ConvertFrame(pixels.data(), 128, 64, 512));
        EXPECT_EQ(VideoTest::ReadFrameNumber(pixels.data(), 512, 64, 48), 19);

        player.Rewind();
        EXPECT_EQ(DecodeAll(player, 3), Sequence(3)) << codec;
        player.SeekToStart();
        EXPECT_EQ(DecodeAll(player, 2), Sequence(2)) << codec;
    }
}

TEST(VideoPlayer, ConvertFillsTheTopLeftAndClearsTheRestWithinTheRowPitch)
{
    VideoTest::TempFolder folder("player_convert");
    TestVideoSpec spec;
    spec.videoStreams[0] = { 48, 32, 30, 60, 220 };
    spec.frameCount = 6;
    const auto path = MakeVideo(folder, "v.mp4", spec);
    VideoPlayer player;
    ASSERT_EQ(player.Open(path.c_str(), false), VideoPlayer::OpenSuccess);
    for (int i = 0; i < 6; ++i) ASSERT_GE(player.DecodeNextFrame(), 0);

    // 64 x 32 texels with 16 spare bytes per row that belong to nobody.
    const std::uint32_t pitch = 64 * 4 + 16;
    std::vector<std::uint8_t> pixels(pitch * 32, 0xAB);
    ASSERT_TRUE(player.ConvertFrame(pixels.data(), 64, 32, pitch));
    EXPECT_EQ(VideoTest::ReadFrameNumber(pixels.data(), pitch, 48, 32), 5);
    for (std::uint32_t row = 0; row < 32; ++row)
    {
        const std::uint8_t* line = pixels.data() + row * pitch;
        for (std::uint32_t column = 0; column < 64; ++column)
        {
            const std::uint8_t* texel = line + column * 4;
            if (column < 48)
            {
                EXPECT_EQ(texel[3], 255) << row << "," << column;
                if (row >= 20)  // the stream colour in the lower half
                {
                    EXPECT_NEAR(texel[0], 30, 12);
                    EXPECT_NEAR(texel[1], 60, 12);
                    EXPECT_NEAR(texel[2], 220, 12);
                }
            }
            else
            {
                EXPECT_EQ(texel[0] | texel[1] | texel[2] | texel[3], 0) << row << "," << column;
            }
        }
        for (std::uint32_t spare = 64 * 4; spare < pitch; ++spare) EXPECT_EQ(line[spare], 0xAB);
    }

    // A texture smaller than the picture gets only what fits.
    std::vector<std::uint8_t> small(16 * 4 * 8 + 64, 0xCD);
    ASSERT_TRUE(player.ConvertFrame(small.data(), 16, 8, 16 * 4));
    EXPECT_TRUE(std::all_of(small.end() - 64, small.end(), [](std::uint8_t b) { return b == 0xCD; }));
}

TEST(VideoPlayer, TheLastVideoStreamIsTheOneShown)
{
    VideoTest::TempFolder folder("player_streams");
    TestVideoSpec spec;
    spec.videoStreams = { { 64, 48, 220, 30, 30 }, { 32, 32, 30, 30, 220 } };
    spec.frameCount = 4;
    const auto path = MakeVideo(folder, "two.mkv", TestVideoSpec{ spec.videoStreams, {}, 25, 4, "mpeg4", "matroska" });
    VideoPlayer player;
    ASSERT_EQ(player.Open(path.c_str(), false), VideoPlayer::OpenSuccess);
    ASSERT_GE(player.DecodeNextFrame(), 0);
    EXPECT_EQ(player.GetFrameWidth(), 32u);
    EXPECT_EQ(player.GetFrameHeight(), 32u);
    std::vector<std::uint8_t> pixels(32 * 32 * 4);
    ASSERT_TRUE(player.ConvertFrame(pixels.data(), 32, 32, 128));
    const std::uint8_t* lower = pixels.data() + 28 * 128 + 16 * 4;
    EXPECT_GT(lower[2], 150);
    EXPECT_LT(lower[0], 80);
}

TEST(VideoPlayer, FrameRateComesFromTheStreamAndIsZeroWhenNoneIsUsable)
{
    VideoTest::TempFolder folder("player_rate");
    TestVideoSpec spec;
    spec.frameRate = 30;
    const auto thirty = MakeVideo(folder, "thirty.mp4", spec);
    VideoPlayer player;
    ASSERT_EQ(player.Open(thirty.c_str(), false), VideoPlayer::OpenSuccess);
    EXPECT_DOUBLE_EQ(player.GetFrameRate(), 30.0);

    // A single JPEG picture in MP4 carries neither a frame rate nor a codec time base.
    spec.frameRate = 25;
    spec.frameCount = 1;
    spec.timed = false;
    spec.codec = "mjpeg";
    const auto still = MakeVideo(folder, "still.mp4", spec);
    VideoPlayer single;
    ASSERT_EQ(single.Open(still.c_str(), false), VideoPlayer::OpenSuccess);
    EXPECT_EQ(single.GetFrameRate(), 0.0);
    EXPECT_EQ(DecodeAll(single), Sequence(1));
    EXPECT_EQ(single.GetFrameRate(), 0.0);

    // MPEG-4 part 2 states its own time base in the stream, which serves once decoding has begun.
    spec.codec = "mpeg4";
    const auto timedByCodec = MakeVideo(folder, "codec.mp4", spec);
    VideoPlayer codecRate;
    ASSERT_EQ(codecRate.Open(timedByCodec.c_str(), false), VideoPlayer::OpenSuccess);
    ASSERT_GE(codecRate.DecodeNextFrame(), 0);
    EXPECT_DOUBLE_EQ(codecRate.GetFrameRate(), 25.0);

    VideoPlayer closed;
    EXPECT_EQ(closed.GetFrameRate(), 0.0);
}

TEST(VideoPlayer, DamagedStreamsEndPlaybackWithoutCrashing)
{
    VideoTest::TempFolder folder("player_damaged");
    TestVideoSpec spec;
    spec.frameCount = 40;
    spec.container = "mpegts";
    const auto whole = MakeVideo(folder, "whole.ts", spec);
    std::ifstream in(whole, std::ios::binary);
    const std::vector<char> bytes(std::istreambuf_iterator<char>(in), {});
    ASSERT_GT(bytes.size(), 2000u);

    // Cut in the middle of the stream: what is there plays, then the stream ends.
    {
        std::ofstream(folder / "cut.ts", std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size() / 2));
        VideoPlayer player;
        ASSERT_EQ(player.Open((folder / "cut.ts").c_str(), false), VideoPlayer::OpenSuccess);
        const std::vector<int> numbers = DecodeAll(player);
        EXPECT_GT(numbers.size(), 5u);
        EXPECT_LT(numbers.size(), 40u);
        EXPECT_LT(player.DecodeNextFrame(), 0);
    }
    // Garbage over the middle of the stream: decoding skips it and reaches the end.
    {
        std::vector<char> damaged = bytes;
        for (std::size_t i = damaged.size() / 3; i < damaged.size() / 3 + 1500; ++i) damaged[i] = static_cast<char>(i * 131);
        std::ofstream(folder / "damaged.ts", std::ios::binary).write(damaged.data(), static_cast<std::streamsize>(damaged.size()));
        VideoPlayer player;
        ASSERT_EQ(player.Open((folder / "damaged.ts").c_str(), false), VideoPlayer::OpenSuccess);
        const std::vector<int> numbers = DecodeAll(player);
        EXPECT_GT(numbers.size(), 20u);
        EXPECT_EQ(numbers.back(), 39);
    }
    // An MP4 cut before its index cannot be opened.
    {
        spec.container = "mp4";
        const auto mp4 = MakeVideo(folder, "whole.mp4", spec);
        std::ifstream full(mp4, std::ios::binary);
        const std::vector<char> data(std::istreambuf_iterator<char>(full), {});
        std::ofstream(folder / "cut.mp4", std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size() / 2));
        VideoPlayer player;
        EXPECT_EQ(player.Open((folder / "cut.mp4").c_str(), false), VideoPlayer::OpenFailure);
    }
}

TEST(VideoPlayer, SoundIsDecodedOnlyWhenAskedFor)
{
    VideoTest::ScopedAudioDriver driver("dummy");
    VideoTest::TempFolder folder("player_audio");
    TestVideoSpec spec;
    spec.audioTones = { 440.0 };
    spec.frameCount = 10;
    const auto path = MakeVideo(folder, "talk.mp4", spec);

    VideoPlayer silent;
    ASSERT_EQ(silent.Open(path.c_str(), false), VideoPlayer::OpenSuccess);
    EXPECT_FALSE(silent.HasAudioStream());
    EXPECT_EQ(DecodeAll(silent), Sequence(10));
    EXPECT_EQ(silent.GetAudioOut(), nullptr);

    VideoPlayer loud;
    ASSERT_EQ(loud.Open(path.c_str(), true), VideoPlayer::OpenSuccess);
    EXPECT_TRUE(loud.HasAudioStream());
    EXPECT_EQ(DecodeAll(loud), Sequence(10));
    ASSERT_NE(loud.GetAudioOut(), nullptr);
    // 0.4 s of 44,100 Hz stereo 16-bit is about 70 KB: at least 16 full 4 KB buffers.
    EXPECT_GE(loud.GetAudioOut()->GetBuffersWritten(), 16u);
}

namespace
{
    // Plays a video's sound into SDL's disk driver and returns the tone's frequency,
    // estimated from the zero crossings of the left channel.
    double PlayedFrequency(const std::filesystem::path& aVideo, const VideoTest::TempFolder& aFolder)
    {
        const auto raw = aFolder / (aVideo.stem().string() + ".raw");
        std::vector<std::int16_t> left;
        // Only the loud part counts: the device plays silence before and after.
        std::size_t first = 0, last = 0, crossings = 0;
        bool started = false;
        const auto readLeft = [&] {
            std::ifstream in(raw, std::ios::binary);
            const std::vector<char> bytes(std::istreambuf_iterator<char>(in), {});
            left.assign(bytes.size() / 4, 0);
            for (std::size_t i = 0; i < left.size(); ++i)
                std::memcpy(&left[i], bytes.data() + i * 4, 2);
            started = false;
            for (std::size_t i = 1; i < left.size(); ++i)
            {
                if (std::abs(left[i]) > 8000)
                {
                    if (!started) first = i;
                    started = true;
                    last = i;
                }
            }
        };
        {
            VideoTest::ScopedAudioDriver driver("disk", raw);
            VideoPlayer player;
            EXPECT_EQ(player.Open(aVideo.c_str(), true), VideoPlayer::OpenSuccess);
            while (player.DecodeNextFrame() >= 0) {}
            // The queued sound has played out once a tenth of a second of silence follows it.
            EXPECT_TRUE(KilnTest::PollUntil(readLeft, [&] { return started && left.size() - last > 4410; }));
        }
        if (!started || last <= first) return 0.0;
        for (std::size_t i = first + 1; i <= last; ++i)
            if ((left[i - 1] < 0) != (left[i] < 0)) ++crossings;
        return static_cast<double>(crossings) / 2.0 / (static_cast<double>(last - first) / 44100.0);
    }
}

TEST(VideoPlayer, OnlyTheFirstAudioStreamIsPlayed)
{
    VideoTest::TempFolder folder("player_tones");
    TestVideoSpec spec;
    spec.frameCount = 25;  // one second
    spec.audioTones = { 440.0, 1000.0 };
    const auto two = MakeVideo(folder, "two.mp4", spec);
    EXPECT_NEAR(PlayedFrequency(two, folder), 440.0, 20.0);

    spec.audioTones = { 1000.0 };
    const auto one = MakeVideo(folder, "one.mp4", spec);
    EXPECT_NEAR(PlayedFrequency(one, folder), 1000.0, 30.0);
}
