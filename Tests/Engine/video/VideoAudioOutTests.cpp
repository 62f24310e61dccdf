#include "forge/video/VideoAudioOut.h"
#include "Support/TestVideo.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>
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
    EXPECT_LT(elapsed, std::chrono::milliseconds(2500));
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
        // Let the ring play out before the device is closed.
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
    }

    std::ifstream in(file, std::ios::binary);
    const std::vector<char> played(std::istreambuf_iterator<char>(in), {});
    auto begin = std::find_if(played.begin(), played.end(), [](char c) { return c != 0; });
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
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    EXPECT_EQ(out.GetBuffersWritten(), 0u);
}
