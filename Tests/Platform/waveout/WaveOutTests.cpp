#include "Platform/waveout/WaveOut.h"
#include "Support/Polling.h"
#include "Support/TestVideo.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <vector>

using namespace Plat::WaveOut;

namespace
{
    WaveFormat Stereo16(std::uint32_t aRate = 44100)
    {
        WaveFormat format;
        format.channels = 2;
        format.samplesPerSec = aRate;
        format.bitsPerSample = 16;
        format.blockAlign = 4;
        format.avgBytesPerSec = 4 * aRate;
        return format;
    }

    std::vector<char> ReadAll(const std::filesystem::path& aPath)
    {
        std::ifstream in(aPath, std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(in), {});
    }

    // SDL's disk driver writes what the device plays to a file.
    struct DiskAudio
    {
        VideoTest::TempFolder folder{ "waveout" };
        std::filesystem::path file = folder / "out.raw";
        VideoTest::ScopedAudioDriver driver{ "disk", file };
    };
}

TEST(WaveOut, RejectsFormatsThatAreNotPlainPcm)
{
    VideoTest::ScopedAudioDriver driver("dummy");
    DeviceHandle device = nullptr;
    WaveFormat format = Stereo16();
    format.formatTag = 3;  // float
    EXPECT_EQ(Open(&device, WaveMapper, &format), BadFormat);
    format = Stereo16();
    format.blockAlign = 3;
    EXPECT_EQ(Open(&device, WaveMapper, &format), BadFormat);
    format = Stereo16();
    format.bitsPerSample = 24;
    format.blockAlign = 6;
    format.avgBytesPerSec = 6 * 44100;
    EXPECT_EQ(Open(&device, WaveMapper, &format), BadFormat);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(Open(nullptr, WaveMapper, &format), InvalidParam);
    const WaveFormat good = Stereo16();
    EXPECT_EQ(Open(&device, 1000, &good), BadDeviceId);
}

TEST(WaveOut, HeadersMustBePreparedAndCannotBeRemovedWhileQueued)
{
    VideoTest::ScopedAudioDriver driver("dummy");
    DeviceHandle device = nullptr;
    const WaveFormat format = Stereo16();
    ASSERT_EQ(Open(&device, WaveMapper, &format), NoError);

    std::vector<char> memory(44100 * 4, 1);  // one second: still queued when checked
    WaveHeader header;
    header.data = memory.data();
    header.bufferLength = static_cast<std::uint32_t>(memory.size());
    EXPECT_EQ(Write(device, &header), Unprepared);

    ASSERT_EQ(PrepareHeader(device, &header), NoError);
    EXPECT_TRUE(header.flags & HeaderPrepared);
    ASSERT_EQ(Write(device, &header), NoError);
    EXPECT_TRUE(header.flags & HeaderInQueue);
    EXPECT_FALSE(header.flags & HeaderDone);
    EXPECT_EQ(Write(device, &header), StillPlaying);
    EXPECT_EQ(UnprepareHeader(device, &header), StillPlaying);
    EXPECT_EQ(Close(device), StillPlaying);

    // Reset hands the buffer back at once, done and no longer queued.
    ASSERT_EQ(Reset(device), NoError);
    EXPECT_TRUE(header.flags & HeaderDone);
    EXPECT_FALSE(header.flags & HeaderInQueue);
    EXPECT_EQ(UnprepareHeader(device, &header), NoError);
    EXPECT_FALSE(header.flags & HeaderPrepared);
    EXPECT_EQ(Close(device), NoError);

    EXPECT_EQ(Write(nullptr, &header), InvalidHandle);
    EXPECT_EQ(Reset(nullptr), InvalidHandle);
}

TEST(WaveOut, BuffersFinishInOrderAtThePlaybackRateAndReportDone)
{
    VideoTest::ScopedAudioDriver driver("dummy");
    DeviceHandle device = nullptr;
    const WaveFormat format = Stereo16();
    std::mutex lock;
    std::vector<std::uintptr_t> finished;
    ASSERT_EQ(Open(&device, WaveMapper, &format, [&](WaveHeader& h) {
        std::lock_guard guard(lock);
        finished.push_back(h.user);
    }), NoError);

    // Four buffers of 0.1 s each.
    std::vector<std::vector<char>> memory(4, std::vector<char>(4410 * 4));
    std::vector<WaveHeader> headers(4);
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < headers.size(); ++i)
    {
        headers[i].data = memory[i].data();
        headers[i].bufferLength = static_cast<std::uint32_t>(memory[i].size());
        headers[i].user = i;
        ASSERT_EQ(PrepareHeader(device, &headers[i]), NoError);
        ASSERT_EQ(Write(device, &headers[i]), NoError);
    }
    ASSERT_TRUE(KilnTest::PollUntil([] {}, [&] { return (headers[3].flags & HeaderDone) != 0; }));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    // 0.4 s of sound cannot be played much faster than real time.
    EXPECT_GE(elapsed, std::chrono::milliseconds(300));

    std::lock_guard guard(lock);
    EXPECT_EQ(finished, (std::vector<std::uintptr_t>{ 0, 1, 2, 3 }));
    for (WaveHeader& header : headers)
    {
        EXPECT_EQ(header.flags & (HeaderDone | HeaderInQueue), HeaderDone);
        EXPECT_EQ(UnprepareHeader(device, &header), NoError);
    }
    EXPECT_EQ(Close(device), NoError);
}

TEST(WaveOut, DiskDriverReceivesTheWrittenSamplesInOrder)
{
    DiskAudio disk;
    DeviceHandle device = nullptr;
    const WaveFormat format = Stereo16();
    ASSERT_EQ(Open(&device, WaveMapper, &format), NoError);

    // Never zero, so the data stands out from the silence around it.
    std::vector<char> first(8192), second(8192);
    for (std::size_t i = 0; i < first.size(); ++i)
    {
        first[i] = static_cast<char>(1 + i % 200);
        second[i] = static_cast<char>(1 + (i * 7) % 250);
    }
    WaveHeader a, b;
    a.data = first.data();
    a.bufferLength = 8192;
    b.data = second.data();
    b.bufferLength = 8192;
    ASSERT_EQ(PrepareHeader(device, &a), NoError);
    ASSERT_EQ(PrepareHeader(device, &b), NoError);
    ASSERT_EQ(Write(device, &a), NoError);
    ASSERT_EQ(Write(device, &b), NoError);
    ASSERT_TRUE(KilnTest::PollUntil([] {}, [&] { return (b.flags & HeaderDone) != 0; }));
    UnprepareHeader(device, &a);
    UnprepareHeader(device, &b);
    ASSERT_EQ(Close(device), NoError);

    const std::vector<char> played = ReadAll(disk.file);
    std::vector<char> expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    auto begin = std::find_if(played.begin(), played.end(), [](char c) { return c != 0; });
    ASSERT_GE(played.end() - begin, static_cast<std::ptrdiff_t>(expected.size()));
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), begin));
    EXPECT_TRUE(std::all_of(begin + static_cast<std::ptrdiff_t>(expected.size()), played.end(), [](char c) { return c == 0; }));
}

TEST(WaveOut, OpenWithoutAnAudioDriverFails)
{
    VideoTest::ScopedAudioDriver driver("no-such-driver");
    DeviceHandle device = nullptr;
    const WaveFormat format = Stereo16();
    EXPECT_EQ(Open(&device, WaveMapper, &format), NoDriver);
    EXPECT_EQ(device, nullptr);
}
