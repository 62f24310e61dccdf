#include "Platform/soundlib/Decoder.h"
#include "Platform/soundlib/SoundLib.h"
#include "Support/Polling.h"
#include "Support/SoundFixtures.h"
#include "Support/TestVideo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;
using namespace Plat::Sound;
using namespace TestSupport;

namespace
{
    constexpr uint32_t kRate = 44100;

    // Each test gets its own output (no device: channels advance only when a test mixes)
    // and its own folder of clips.
    class SoundLib : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            myFolder = MakeScratchFolder("soundlib");
            ASSERT_TRUE(Init(DEVICE_NONE, kRate, 1, nullptr, nullptr));
        }

        void TearDown() override
        {
            Free();
            fs::remove_all(myFolder);
        }

        // A clip file and its decoded samples (what the mixer plays).
        std::vector<int16_t> MakeClip(const std::string& aName, double aFrequency, double aSeconds, int16_t anAmplitude = 8000)
        {
            const fs::path path = myFolder / aName;
            EXPECT_TRUE(WriteClip(path, MakeTone(aFrequency, aSeconds, anAmplitude)));
            DecodeResult decoded = DecodeFile(path.string(), kRate);
            EXPECT_EQ(decoded.error, OK);
            return decoded.samples;
        }

        std::string PathOf(const std::string& aName) const { return (myFolder / aName).string(); }

        fs::path myFolder;
    };

    std::vector<int16_t> Slice(const std::vector<int16_t>& someSamples, size_t aFirstFrame, size_t aFrames)
    {
        const size_t begin = std::min(someSamples.size(), aFirstFrame * 2);
        const size_t end = std::min(someSamples.size(), begin + aFrames * 2);
        return std::vector<int16_t>(someSamples.begin() + static_cast<std::ptrdiff_t>(begin),
                                    someSamples.begin() + static_cast<std::ptrdiff_t>(end));
    }
}

TEST(SoundLibDevice, InitTwiceFreeTwiceCallsBeforeInitAndNoAudioDriver)
{
    {
        VideoTest::ScopedAudioDriver driver("no_such_audio_driver");
        EXPECT_FALSE(Init(DEVICE_DEFAULT, kRate, 1, nullptr, nullptr));
        EXPECT_EQ(ErrorGetCode(), ERROR_DRIVER);
    }
    // Nothing is left half-open: calls before a successful Init fail, and a later Init works.
    EXPECT_EQ(SampleLoad(0, "whatever.mp3", 0, 0, 3, 0), 0u);
    EXPECT_EQ(ErrorGetCode(), ERROR_INIT);
    int16_t buffer[8]{};
    EXPECT_FALSE(MixInto(buffer, 4));

    ASSERT_TRUE(Init(DEVICE_NONE, kRate, 1, nullptr, nullptr));
    EXPECT_EQ(ErrorGetCode(), OK);
    EXPECT_FALSE(Init(DEVICE_NONE, kRate, 1, nullptr, nullptr));
    EXPECT_EQ(ErrorGetCode(), ERROR_ALREADY);
    EXPECT_TRUE(Free());
    EXPECT_FALSE(Free());
    EXPECT_EQ(ErrorGetCode(), ERROR_INIT);

    EXPECT_FALSE(Init(DEVICE_NONE, 0, 0, nullptr, nullptr));
    EXPECT_EQ(ErrorGetCode(), ERROR_ILLPARAM);
    EXPECT_FALSE(Init(-2, kRate, 0, nullptr, nullptr));
    EXPECT_EQ(ErrorGetCode(), ERROR_DEVICE);
}

TEST(SoundLibDevice, TheDiskDriverReceivesWhatTheChannelsPlay)
{
    const fs::path folder = MakeScratchFolder("soundlib_disk");
    const fs::path clip = folder / "tone.mp3";
    ASSERT_TRUE(WriteClip(clip, MakeTone(523.25, 0.5, 9000)));
    const DecodeResult decoded = DecodeFile(clip.string(), kRate);
    ASSERT_EQ(decoded.error, OK);

    const fs::path raw = folder / "out.raw";
    {
        VideoTest::ScopedAudioDriver driver("disk", raw);
        ASSERT_TRUE(Init(DEVICE_DEFAULT, kRate, 1, nullptr, nullptr));
    }

    const HSAMPLE sample = SampleLoad(0, clip.c_str(), 0, 0, 3, 0x20001);
    ASSERT_NE(sample, 0u);
    const HCHANNEL channel = SampleGetChannel(sample, 0);
    ASSERT_TRUE(ChannelSetAttribute(channel, ATTRIB_VOL, 0.5f));
    ASSERT_TRUE(ChannelPlay(channel, 0));
    // The device plays in real time: wait until the channel has played its pass and the
    // file holds it, at half volume.
    const std::vector<int16_t> expected = Scaled(decoded.samples, 0.5f);
    const auto played = [&] {
        const std::string bytes = ReadBytes(raw);
        std::vector<int16_t> output(bytes.size() / 2);
        std::memcpy(output.data(), bytes.data(), output.size() * 2);
        return FindFrames(output, expected, decoded.FrameCount(), 0) >= 0;
    };
    EXPECT_TRUE(KilnTest::PollUntil([] {}, [&] { return ChannelIsActive(channel) == ACTIVE_STOPPED && played(); }))
        << "the channel did not stop, or the clip at half volume is not in the device's output";
    ASSERT_TRUE(Free());
    fs::remove_all(folder);
}

TEST_F(SoundLib, FilesThatAreNotSoundLoadAsNothing)
{
    const std::vector<int16_t> good = MakeClip("good.mp3", 440, 1.0);
    const std::string bytes = ReadBytes(myFolder / "good.mp3");

    WriteBytes(myFolder / "empty.mp3", "");
    WriteBytes(myFolder / "text.mp3", "This is a text file that only pretends to be a sound.\n");
    WriteBytes(myFolder / "cut.mp3", bytes.substr(0, bytes.size() / 2));
    WriteBytes(myFolder / "header.mp3", bytes.substr(0, 64));
    std::string noise(5000, '\0');
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    WriteBytes(myFolder / "noise.mp3", noise);

    const struct { const char* name; int error; } cases[] = {
        {"missing.mp3", ERROR_FILEOPEN},
        {"empty.mp3", ERROR_FILEFORM},
        {"text.mp3", ERROR_FILEFORM},
        {"cut.mp3", ERROR_CODEC},
        {"header.mp3", ERROR_FILEFORM},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(SampleLoad(0, PathOf(c.name).c_str(), 0, 0, 3, 0), 0u) << c.name;
        EXPECT_EQ(ErrorGetCode(), c.error) << c.name;
    }
    EXPECT_EQ(SampleLoad(0, PathOf("noise.mp3").c_str(), 0, 0, 3, 0), 0u);
    EXPECT_NE(ErrorGetCode(), OK);
    EXPECT_EQ(SampleLoad(0, nullptr, 0, 0, 3, 0), 0u);
    EXPECT_EQ(ErrorGetCode(), ERROR_ILLPARAM);
    EXPECT_EQ(SampleLoad(0, PathOf("good.mp3").c_str(), 0, 0, 0, 0), 0u);
    EXPECT_EQ(ErrorGetCode(), ERROR_ILLPARAM);
    EXPECT_EQ(SampleLoad(1, PathOf("good.mp3").c_str(), 0, 0, 3, 0), 0u);
    EXPECT_EQ(ErrorGetCode(), ERROR_NOTAVAIL);

    // The good file still loads, found through a Windows-style path.
    const std::string windowsStyle = myFolder.string() + "\\GOOD.MP3";
    EXPECT_NE(SampleLoad(0, windowsStyle.c_str(), 0, 0, 3, 0), 0u);
}

TEST_F(SoundLib, SampleInfoKeepsTheLoadFlagsWithSoftwareMixing)
{
    const std::vector<int16_t> data = MakeClip("a.mp3", 330, 0.4);
    const HSAMPLE looping = SampleLoad(0, PathOf("a.mp3").c_str(), 0, 0, 3, SAMPLE_LOOP);
    const HSAMPLE once = SampleLoad(0, PathOf("a.mp3").c_str(), 0, 0, 3, 0x20001);
    ASSERT_NE(looping, 0u);
    ASSERT_NE(once, 0u);
    EXPECT_NE(looping, once);
    EXPECT_LT(looping, 0x80000000u);

    SampleInfo info;
    ASSERT_TRUE(SampleGetInfo(looping, &info));
    EXPECT_EQ(info.flags, 0x14u);
    EXPECT_EQ(info.max, 3u);
    EXPECT_EQ(info.freq, kRate);
    EXPECT_EQ(info.chans, 2u);
    EXPECT_EQ(info.length, data.size() * 2);
    ASSERT_TRUE(SampleGetInfo(once, &info));
    EXPECT_EQ(info.flags, 0x20011u);

    EXPECT_FALSE(SampleGetInfo(12345, &info));
    EXPECT_EQ(ErrorGetCode(), ERROR_HANDLE);
    EXPECT_TRUE(SampleFree(once));
    EXPECT_FALSE(SampleGetInfo(once, &info));
    EXPECT_EQ(ErrorGetCode(), ERROR_HANDLE);
}

TEST_F(SoundLib, PrefetchedClipsLoadAsTheyDecodeOneByOneAndOnlyOnce)
{
    const std::vector<std::vector<int16_t>> clips = {MakeClip("a.mp3", 330, 0.3), MakeClip("b.mp3", 440, 0.2),
                                                     MakeClip("c.mp3", 550, 0.25)};
    const std::string paths[] = {PathOf("a.mp3"), PathOf("b.mp3"), PathOf("c.mp3"), PathOf("missing.mp3")};
    const char* names[] = {paths[0].c_str(), paths[1].c_str(), paths[2].c_str(), paths[3].c_str()};
    EXPECT_FALSE(SamplePrefetch(nullptr, 2));
    ASSERT_TRUE(SamplePrefetch(names, 4));
    // Taken from what was decoded ahead: the files are gone by now.
    for (size_t i = 0; i < 3; ++i)
        fs::remove(paths[i]);
    for (size_t i = 0; i < 3; ++i)
    {
        const HSAMPLE sample = SampleLoad(0, names[i], 0, 0, 3, 0);
        const HCHANNEL channel = SampleGetChannel(sample, 0);
        ASSERT_TRUE(ChannelPlay(channel, 0)) << i;
        const uint32_t frames = static_cast<uint32_t>(clips[i].size() / 2);
        EXPECT_EQ(Slice(Mix(frames), 0, frames), clips[i]) << i;
        EXPECT_EQ(SampleLoad(0, names[i], 0, 0, 3, 0), 0u) << "taken twice: " << i;
        EXPECT_EQ(ErrorGetCode(), ERROR_FILEOPEN);
    }
    EXPECT_EQ(SampleLoad(0, names[3], 0, 0, 3, 0), 0u);
    EXPECT_EQ(ErrorGetCode(), ERROR_FILEOPEN);
    ASSERT_TRUE(Free());
    EXPECT_FALSE(SamplePrefetch(names, 4));
    EXPECT_EQ(ErrorGetCode(), ERROR_INIT);
    ASSERT_TRUE(Init(DEVICE_NONE, kRate, 1, nullptr, nullptr));
}

TEST_F(SoundLib, AChannelPlaysTheDecodedClipAtItsVolumeAndThenEnds)
{
    const std::vector<int16_t> data = MakeClip("a.mp3", 440, 0.3);
    const uint32_t frames = static_cast<uint32_t>(data.size() / 2);
    const HSAMPLE sample = SampleLoad(0, PathOf("a.mp3").c_str(), 0, 0, 3, 0x20001);
    const HCHANNEL channel = SampleGetChannel(sample, 0);
    ASSERT_NE(channel, 0u);
    EXPECT_NE(channel & 0x80000000u, 0u);

    // Created but not started: nothing is heard.
    EXPECT_EQ(ChannelIsActive(channel), ACTIVE_STOPPED);
    EXPECT_EQ(PeakOf(Mix(1000)), 0);

    ASSERT_TRUE(ChannelSetAttribute(channel, ATTRIB_VOL, 0.5f));
    float volume = 0;
    ASSERT_TRUE(ChannelGetAttribute(channel, ATTRIB_VOL, &volume));
    EXPECT_FLOAT_EQ(volume, 0.5f);
    EXPECT_FALSE(ChannelSetAttribute(channel, 99, 0.5f));
    EXPECT_EQ(ErrorGetCode(), ERROR_ILLTYPE);

    ASSERT_TRUE(ChannelPlay(channel, 0));
    EXPECT_EQ(ChannelIsActive(channel), ACTIVE_PLAYING);
    const std::vector<int16_t> out = Mix(frames + 1000);
    EXPECT_EQ(Slice(out, 0, frames), Scaled(data, 0.5f));
    EXPECT_EQ(PeakOf(out, static_cast<size_t>(frames) * 2), 0);

    // Its pass is over: the handle is stale.
    EXPECT_EQ(ChannelIsActive(channel), ACTIVE_STOPPED);
    EXPECT_FALSE(ChannelPlay(channel, 0));
    EXPECT_EQ(ErrorGetCode(), ERROR_HANDLE);
    EXPECT_EQ(SampleGetChannels(sample, nullptr), 0);
}

TEST_F(SoundLib, ThreeChannelsPerSampleAndVolumeOnlyOnTheOneAddressed)
{
    const std::vector<int16_t> data = MakeClip("a.mp3", 440, 0.5, 6000);
    const HSAMPLE sample = SampleLoad(0, PathOf("a.mp3").c_str(), 0, 0, 3, 0);
    HCHANNEL channels[3];
    for (HCHANNEL& c : channels)
    {
        c = SampleGetChannel(sample, 0);
        ASSERT_NE(c, 0u);
        ASSERT_TRUE(ChannelPlay(c, 0));
    }
    EXPECT_EQ(SampleGetChannel(sample, 0), 0u);
    EXPECT_EQ(ErrorGetCode(), ERROR_NOCHAN);

    HCHANNEL listed[3]{};
    ASSERT_EQ(SampleGetChannels(sample, listed), 3);
    EXPECT_EQ(listed[0], channels[0]);
    EXPECT_EQ(listed[2], channels[2]);

    // The newest at 0, the others at 1: two copies are heard.
    ASSERT_TRUE(ChannelSetAttribute(channels[2], ATTRIB_VOL, 0.0f));
    std::vector<int16_t> out = Mix(2000);
    EXPECT_EQ(out, Scaled(Slice(data, 0, 2000), 2.0f));

    // Stopping all ends every channel; new ones can be had again.
    ASSERT_TRUE(SampleStop(sample));
    EXPECT_EQ(SampleGetChannels(sample, nullptr), 0);
    EXPECT_EQ(ChannelIsActive(channels[0]), ACTIVE_STOPPED);
    EXPECT_EQ(PeakOf(Mix(100)), 0);
    EXPECT_NE(SampleGetChannel(sample, 0), 0u);
}

TEST_F(SoundLib, OverrideByPositionReusesTheChannelThatPlayedFurthest)
{
    const std::vector<int16_t> data = MakeClip("a.mp3", 440, 0.5);
    const HSAMPLE sample = SampleLoad(0, PathOf("a.mp3").c_str(), 0, 0, 2, SAMPLE_OVER_POS);
    const HCHANNEL first = SampleGetChannel(sample, 0);
    ChannelPlay(first, 0);
    Mix(3000);
    const HCHANNEL second = SampleGetChannel(sample, 0);
    ChannelPlay(second, 0);
    Mix(1000);

    EXPECT_EQ(SampleGetChannel(sample, 1), 0u) << "only new channels were asked for";
    const HCHANNEL third = SampleGetChannel(sample, 0);
    ASSERT_NE(third, 0u);
    EXPECT_EQ(ChannelIsActive(first), ACTIVE_STOPPED) << "the furthest-played channel was taken over";
    EXPECT_EQ(ChannelIsActive(second), ACTIVE_PLAYING);
    EXPECT_EQ(ChannelGetPosition(third, POS_BYTE), 0u);
}

TEST_F(SoundLib, ClearingTheLoopFlagEndsThatChannelAfterItsPass)
{
    const std::vector<int16_t> data = MakeClip("loop.mp3", 220, 0.25);
    const uint32_t frames = static_cast<uint32_t>(data.size() / 2);
    const HSAMPLE sample = SampleLoad(0, PathOf("loop.mp3").c_str(), 0, 0, 3, SAMPLE_LOOP);
    const HCHANNEL a = SampleGetChannel(sample, 0);
    const HCHANNEL b = SampleGetChannel(sample, 0);
    ASSERT_TRUE(ChannelPlay(a, 0));
    ASSERT_TRUE(ChannelPlay(b, 0));
    EXPECT_EQ(ChannelFlags(a, 0, 0) & SAMPLE_LOOP, SAMPLE_LOOP);

    Mix(frames / 2);
    EXPECT_EQ(ChannelFlags(a, 0, SAMPLE_LOOP) & SAMPLE_LOOP, 0u);
    EXPECT_EQ(ChannelFlags(b, 0, 0) & SAMPLE_LOOP, SAMPLE_LOOP) << "only the addressed channel changes";

    // Rest of the pass: both; then only b, which wraps to the start.
    const uint32_t rest = frames - frames / 2;
    const std::vector<int16_t> out = Mix(rest + 1000);
    EXPECT_EQ(Slice(out, 0, rest), Scaled(Slice(data, frames / 2, rest), 2.0f));
    EXPECT_EQ(Slice(out, rest, 1000), Slice(data, 0, 1000));
    EXPECT_EQ(ChannelIsActive(a), ACTIVE_STOPPED);
    EXPECT_EQ(ChannelIsActive(b), ACTIVE_PLAYING);
    EXPECT_EQ(ChannelFlags(a, 0, 0), ~DWORD{0});
    EXPECT_EQ(ErrorGetCode(), ERROR_HANDLE);
}

TEST_F(SoundLib, PositionsAreBytesOfStereoSixteenBitData)
{
    const std::vector<int16_t> data = MakeClip("a.mp3", 440, 0.3);
    const uint32_t frames = static_cast<uint32_t>(data.size() / 2);
    const HSAMPLE sample = SampleLoad(0, PathOf("a.mp3").c_str(), 0, 0, 3, 0);
    const HCHANNEL channel = SampleGetChannel(sample, 0);
    ChannelPlay(channel, 0);
    Mix(100);
    EXPECT_EQ(ChannelGetPosition(channel, POS_BYTE), 400u);

    ASSERT_TRUE(ChannelSetPosition(channel, 4000, POS_BYTE));
    EXPECT_EQ(Mix(50), Slice(data, 1000, 50));
    EXPECT_FALSE(ChannelSetPosition(channel, static_cast<QWORD>(frames) * 4, POS_BYTE));
    EXPECT_EQ(ErrorGetCode(), ERROR_POSITION);
    EXPECT_FALSE(ChannelSetPosition(channel, 0, 7));
    EXPECT_EQ(ErrorGetCode(), ERROR_ILLTYPE);

    // Restart plays from the beginning, a plain play continues.
    ASSERT_TRUE(ChannelPlay(channel, 1));
    EXPECT_EQ(ChannelGetPosition(channel, POS_BYTE), 0u);
}

TEST_F(SoundLib, MixingSaturatesInsteadOfWrapping)
{
    MakeClip("loud.mp3", 100, 0.3, 30000);
    const HSAMPLE sample = SampleLoad(0, PathOf("loud.mp3").c_str(), 0, 0, 3, 0);
    for (int i = 0; i < 3; ++i)
    {
        const HCHANNEL c = SampleGetChannel(sample, 0);
        ChannelSetAttribute(c, ATTRIB_VOL, 2.0f);
        ChannelPlay(c, 0);
    }
    const std::vector<int16_t> out = Mix(4000);
    const auto [lo, hi] = std::minmax_element(out.begin(), out.end());
    EXPECT_EQ(*hi, 32767);
    EXPECT_EQ(*lo, -32768);
    // A wrapped sum would flip sign next to the peak; saturation keeps the sign of the wave.
    for (size_t i = 0; i + 2 < out.size(); i += 2)
        EXPECT_FALSE(out[i] == 32767 && out[i + 2] < -16000) << i;
}

TEST_F(SoundLib, FreeInvalidatesEveryHandle)
{
    MakeClip("a.mp3", 440, 0.2);
    const HSAMPLE sample = SampleLoad(0, PathOf("a.mp3").c_str(), 0, 0, 3, 0);
    const HCHANNEL channel = SampleGetChannel(sample, 0);
    ASSERT_TRUE(Free());
    ASSERT_TRUE(Init(DEVICE_NONE, kRate, 1, nullptr, nullptr));
    const HSAMPLE again = SampleLoad(0, PathOf("a.mp3").c_str(), 0, 0, 3, 0);
    ASSERT_NE(again, 0u);
    EXPECT_NE(again, sample);
    EXPECT_FALSE(ChannelPlay(channel, 0));
    EXPECT_EQ(SampleGetChannels(sample, nullptr), -1);
    EXPECT_EQ(ErrorGetCode(), ERROR_HANDLE);
}
