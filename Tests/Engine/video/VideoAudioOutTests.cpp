#include "forge/audio/AudioOut.h"
#include "forge/video/VideoAudioOut.h"
#include "Support/Polling.h"
#include "Support/SoundFixtures.h"
#include "Support/TestVideo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
    Plat::WaveOut::WaveFormat Pcm44k()
    {
        Plat::WaveOut::WaveFormat format;
        format.channels = 2;
        format.samplesPerSec = 44100;
        format.bitsPerSample = 16;
        format.blockAlign = 4;
        format.avgBytesPerSec = 44100 * 4;
        return format;
    }

    // Power of one frequency in a mono signal (Goertzel), per sample.
    double PowerAt(const std::vector<double>& someSamples, double aFrequency, double aRate)
    {
        const double coefficient = 2.0 * std::cos(2.0 * 3.14159265358979 * aFrequency / aRate);
        double previous = 0.0, beforePrevious = 0.0;
        for (double sample : someSamples)
        {
            const double current = sample + coefficient * previous - beforePrevious;
            beforePrevious = previous;
            previous = current;
        }
        const double power = previous * previous + beforePrevious * beforePrevious - coefficient * previous * beforePrevious;
        return power / static_cast<double>(someSamples.size() * someSamples.size());
    }

    // A 16-bit mono sine, as bytes.
    std::vector<std::uint8_t> MonoTone(double aFrequency, double aSeconds, std::uint32_t aRate)
    {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(aSeconds * aRate) * 2);
        for (std::size_t i = 0; i < bytes.size() / 2; ++i)
        {
            const auto sample = static_cast<std::int16_t>(9000.0 * std::sin(2.0 * 3.14159265358979 * aFrequency * static_cast<double>(i) / aRate));
            std::memcpy(bytes.data() + i * 2, &sample, 2);
        }
        return bytes;
    }

    // A sound bank output playing a looping tone, and a video's output beside it.
    struct BothOutputs
    {
        explicit BothOutputs(const std::filesystem::path& aFolder)
        {
            const auto clip = aFolder / "bank.mp3";
            EXPECT_TRUE(TestSupport::WriteClip(clip, TestSupport::MakeTone(1000.0, 0.5, 9000)));
            bank = &Kiln::AudioOut::GetOrCreateInstance();
            const std::int32_t sample = bank->Load(clip.string(), true);
            EXPECT_GT(sample, 0);
            std::uint32_t channel = 0;
            EXPECT_TRUE(bank->Play(sample, &channel, 1.0f));
        }
        ~BothOutputs() { delete bank; }
        Kiln::AudioOut* bank = nullptr;
    };
}

TEST(VideoAudioOut, OpensAndPlaysWhileTheSoundBankHoldsTheDevice)
{
    VideoTest::TempFolder folder("bothdummy");
    VideoTest::ScopedAudioDriver driver("dummy");
    BothOutputs outputs(folder.Path());
    ASSERT_TRUE(outputs.bank->IsInitialised());

    // The video's sound plays in its own format at its own rate: eight buffers of 0.1 s
    // through a ring of four take the device about 0.4 s to consume.
    const Plat::WaveOut::WaveFormat format = Pcm44k();
    Kiln::VideoAudioOut out(&format, 4, 4410 * 4);
    ASSERT_TRUE(out.IsOpen());
    std::vector<std::uint8_t> data(4410 * 4 * 8, 7);
    const auto start = std::chrono::steady_clock::now();
    out.Write(data.data(), static_cast<std::int32_t>(data.size()));
    EXPECT_EQ(out.GetBuffersWritten(), 8u);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
}

TEST(VideoAudioOut, TheDiskDriverReceivesTheVideoAndTheSoundBankMixed)
{
    VideoTest::TempFolder folder("bothdisk");
    const auto file = folder / "out.raw";
    {
        VideoTest::ScopedAudioDriver driver("disk", file);
        BothOutputs outputs(folder.Path());
        ASSERT_TRUE(outputs.bank->IsInitialised());

        // Mono at 22,050 Hz: converted to the device's 44,100 Hz stereo.
        Plat::WaveOut::WaveFormat format;
        format.channels = 1;
        format.samplesPerSec = 22050;
        format.bitsPerSample = 16;
        format.blockAlign = 2;
        format.avgBytesPerSec = 22050 * 2;
        Kiln::VideoAudioOut out(&format, 4, 2205 * 2);
        ASSERT_TRUE(out.IsOpen());
        const std::vector<std::uint8_t> tone = MonoTone(440.0, 1.0, 22050);
        out.Write(tone.data(), static_cast<std::int32_t>(tone.size()));
        EXPECT_EQ(out.GetBuffersWritten(), 10u);
        // The last four buffers are still queued. Silence behind them is taken only as the
        // device hands buffers back: once a ring and one more are in, the tone has played,
        // with what the rate converter held back.
        const std::vector<std::uint8_t> silence(2205 * 2 * 5, 0);
        out.Write(silence.data(), static_cast<std::int32_t>(silence.size()));
        EXPECT_EQ(out.GetBuffersWritten(), 15u);
    }

    const std::string played = TestSupport::ReadBytes(file);
    // The left channel of the device's 16-bit stereo, over the middle half second.
    std::vector<double> left;
    for (std::size_t i = 0; i + 4 <= played.size(); i += 4)
    {
        std::int16_t sample;
        std::memcpy(&sample, played.data() + i, 2);
        left.push_back(sample);
    }
    ASSERT_GE(left.size(), 44100u);
    const std::vector<double> middle(left.begin() + 11025, left.begin() + 11025 + 22050);
    const double video = PowerAt(middle, 440.0, 44100.0);
    const double bank = PowerAt(middle, 1000.0, 44100.0);
    const double neither = PowerAt(middle, 700.0, 44100.0);
    EXPECT_GT(video, neither * 100.0) << "the video's tone is missing";
    EXPECT_GT(bank, neither * 100.0) << "the sound bank's tone is missing";
}

TEST(VideoAudioOut, KeepsPartialBuffersAndWaitsForTheDeviceWhenTheRingIsFull)
{
    VideoTest::ScopedAudioDriver driver("dummy");
    const Plat::WaveOut::WaveFormat format = Pcm44k();
    Kiln::VideoAudioOut out(&format, 4, 4410 * 4);  // four buffers of 0.1 s
    ASSERT_TRUE(out.IsOpen());

    std::vector<std::uint8_t> data(4410 * 4 * 10, 7);  // one second
    out.Write(data.data(), 4410 * 4 - 1);
    EXPECT_EQ(out.GetBuffersWritten(), 0u);  // not full yet
    out.Write(data.data(), 1);
    EXPECT_EQ(out.GetBuffersWritten(), 1u);
    out.Write(data.data(), 0);
    EXPECT_EQ(out.GetBuffersWritten(), 1u);

    // Ten more buffers through a ring of four: the writer has to wait for about six of
    // them (0.6 s) to finish playing.
    const auto start = std::chrono::steady_clock::now();
    out.Write(data.data(), static_cast<std::int32_t>(data.size()));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(out.GetBuffersWritten(), 11u);
    EXPECT_GE(elapsed, std::chrono::milliseconds(450));
    EXPECT_LT(elapsed, std::chrono::seconds(30));  // a hang guard
}

TEST(VideoAudioOut, WaitingForBuffersDoesNotSpinTheCpu)
{
    VideoTest::ScopedAudioDriver driver("dummy");
    const Plat::WaveOut::WaveFormat format = Pcm44k();
    Kiln::VideoAudioOut out(&format, 2, 4410 * 4);
    std::vector<std::uint8_t> data(4410 * 4 * 6, 7);

    const std::clock_t cpuStart = std::clock();
    const auto start = std::chrono::steady_clock::now();
    out.Write(data.data(), static_cast<std::int32_t>(data.size()));
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    ASSERT_GE(wall, 0.3);
    // The process clock includes SDL's audio thread; a spinning writer would use ~100%.
    EXPECT_LT(cpu, wall * 0.5);
}

TEST(VideoAudioOut, DiskDriverPlaysEveryFullBufferInOrder)
{
    VideoTest::TempFolder folder("audioout");
    const auto file = folder / "out.raw";
    std::vector<char> expected;
    const auto nonZero = [](char c) { return c != 0; };
    {
        VideoTest::ScopedAudioDriver driver("disk", file);
        const Plat::WaveOut::WaveFormat format = Pcm44k();
        Kiln::VideoAudioOut out(&format, 3, 4096);
        std::vector<std::uint8_t> data(4096 * 5 + 100);
        for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(1 + i % 199);
        // Odd-sized writes cross buffer boundaries.
        std::size_t at = 0;
        for (std::int32_t piece : { 1000, 5000, 3, 9000, 5577 })
        {
            out.Write(data.data() + at, piece);
            at += static_cast<std::size_t>(piece);
        }
        ASSERT_EQ(at, data.size());
        EXPECT_EQ(out.GetBuffersWritten(), 5u);
        expected.assign(data.begin(), data.begin() + 4096 * 5);
        // No byte written is 0: the ring has played out once the file holds that many others.
        EXPECT_TRUE(KilnTest::PollUntil([] {}, [&] { return std::ranges::count_if(TestSupport::ReadBytes(file), nonZero) >= std::ssize(expected); }));
    }

    const std::string played = TestSupport::ReadBytes(file);
    auto begin = std::find_if(played.begin(), played.end(), nonZero);
    ASSERT_GE(played.end() - begin, static_cast<std::ptrdiff_t>(expected.size()));
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), begin));
    // The 100 bytes of the unfinished buffer never reached the device.
    EXPECT_TRUE(std::all_of(begin + static_cast<std::ptrdiff_t>(expected.size()), played.end(), [](char c) { return c == 0; }));
}

TEST(VideoAudioOut, WithoutADeviceWritesAreDroppedInsteadOfWaitingForever)
{
    VideoTest::ScopedAudioDriver driver("no-such-driver");
    const Plat::WaveOut::WaveFormat format = Pcm44k();
    Kiln::VideoAudioOut out(&format, 2, 1024);
    EXPECT_FALSE(out.IsOpen());
    std::vector<std::uint8_t> data(1024 * 10, 1);
    const auto start = std::chrono::steady_clock::now();
    out.Write(data.data(), static_cast<std::int32_t>(data.size()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));  // a hang guard
    EXPECT_EQ(out.GetBuffersWritten(), 0u);
}
