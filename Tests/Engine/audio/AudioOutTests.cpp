#include "forge/audio/AudioClip.h"
#include "forge/audio/AudioOut.h"

#include "Platform/soundlib/Decoder.h"
#include "Platform/soundlib/SoundLib.h"
#include "Support/SoundFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
namespace S = Plat::Sound;
using namespace TestSupport;

namespace
{
    // The output is process-wide; each test makes its own, uses files of its own folder
    // (paths are never loaded twice by accident) and mixes by hand with the output
    // paused, so channels only advance when the test says so.
    class AudioOutTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            myFolder = MakeScratchFolder("audioout");
            Kiln::AudioOut& out = Kiln::AudioOut::GetOrCreateInstance();
            ASSERT_TRUE(out.HasDevice()) << "the test environment provides SDL's dummy audio driver";
            S::Pause();
        }

        // The output goes with the test, so the next one may choose another driver.
        void TearDown() override
        {
            delete Kiln::AudioOut::GetInstance();
            fs::remove_all(myFolder);
        }

        std::string MakeClip(const std::string& aName, double aFrequency, double aSeconds)
        {
            const fs::path path = myFolder / aName;
            EXPECT_TRUE(WriteClip(path, MakeTone(aFrequency, aSeconds, 8000)));
            return path.string();
        }

        static std::vector<int16_t> Decoded(const std::string& aPath)
        {
            return S::DecodeFile(aPath, 44100).samples;
        }

        static float VolumeOf(uint32_t aChannel)
        {
            float volume = -1.0f;
            S::ChannelGetAttribute(aChannel, S::ATTRIB_VOL, &volume);
            return volume;
        }

        fs::path myFolder;
    };
}

TEST_F(AudioOutTest, AClipPlaysItsFileAtTheVolumeSetBeforeInit)
{
    const std::string path = MakeClip("tone.mp3", 440, 0.3);
    Kiln::AudioClip clip;
    EXPECT_FALSE(clip.Play()) << "nothing loaded yet";
    clip.SetVolume(0.25f);
    clip.Init(path.c_str(), false);
    ASSERT_GT(clip.GetSample(), 0);
    EXPECT_EQ(Kiln::AudioOut::GetInstance()->FindSample(path), static_cast<uint32_t>(clip.GetSample()));

    ASSERT_TRUE(clip.Play());
    EXPECT_EQ(VolumeOf(clip.GetChannel()), 0.25f);
    const std::vector<int16_t> data = Decoded(path);
    const std::vector<int16_t> out = Mix(static_cast<uint32_t>(data.size() / 2));
    EXPECT_EQ(out, Scaled(data, 0.25f));
}

TEST_F(AudioOutTest, LoadingAPathTwiceIsReportedAndTheSecondClipStaysSilent)
{
    const std::string path = MakeClip("twice.mp3", 440, 0.2);
    Kiln::AudioClip first;
    Kiln::AudioClip second;
    first.Init(path.c_str(), false);
    testing::internal::CaptureStderr();
    second.Init(path.c_str(), false);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors, "Audio error: " + path + " already loaded\n");
    EXPECT_EQ(second.GetSample(), 0);
    EXPECT_FALSE(second.Play());
    EXPECT_EQ(second.GetChannel(), 0u);
    EXPECT_FALSE(Kiln::AudioOut::GetInstance()->Stop(0, true));
    EXPECT_TRUE(first.Play());
}

TEST_F(AudioOutTest, UnreadableFilesLeaveTheClipUnloadedSilently)
{
    WriteBytes(myFolder / "text.mp3", "not a sound\n");
    WriteBytes(myFolder / "empty.mp3", "");
    const std::string good = MakeClip("good.mp3", 440, 0.5);
    const std::string bytes = ReadBytes(good);
    WriteBytes(myFolder / "cut.mp3", bytes.substr(0, bytes.size() / 3));

    for (const char* name : {"text.mp3", "empty.mp3", "cut.mp3", "missing.mp3"})
    {
        Kiln::AudioClip clip;
        testing::internal::CaptureStderr();
        clip.Init((myFolder / name).string().c_str(), true);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << name;
        EXPECT_EQ(clip.GetSample(), -1) << name;
        EXPECT_FALSE(clip.Play()) << name;
        clip.SetVolume(0.3f);
        EXPECT_EQ(clip.GetVolume(), 0.3f);
        clip.Stop(true);
    }
    // A failed load is not remembered: the same path can load later.
    Kiln::AudioClip retry;
    retry.Init((myFolder / "missing.mp3").string().c_str(), false);
    EXPECT_EQ(retry.GetSample(), -1);
}

TEST_F(AudioOutTest, EachPlayStartsAnotherChannelAndVolumeFollowsTheNewest)
{
    const std::string path = MakeClip("three.mp3", 440, 0.4);
    Kiln::AudioClip clip;
    clip.Init(path.c_str(), false);
    ASSERT_TRUE(clip.Play());
    const uint32_t first = clip.GetChannel();
    ASSERT_TRUE(clip.Play());
    const uint32_t second = clip.GetChannel();
    EXPECT_NE(first, second);

    clip.SetVolume(0.5f);
    EXPECT_EQ(VolumeOf(first), 1.0f);
    EXPECT_EQ(VolumeOf(second), 0.5f);
    EXPECT_EQ(Kiln::AudioOut::GetInstance()->GetChannels(clip.GetSample()).size(), 2u);

    ASSERT_TRUE(clip.Play());
    EXPECT_EQ(Kiln::AudioOut::GetInstance()->GetChannels(clip.GetSample()).size(), 3u);
    // A fourth playback takes over the channel that has played furthest.
    Mix(100);
    const uint32_t third = clip.GetChannel();
    EXPECT_TRUE(clip.Play());
    EXPECT_EQ(Kiln::AudioOut::GetInstance()->GetChannels(clip.GetSample()).size(), 3u);
    EXPECT_EQ(S::ChannelIsActive(third), S::ACTIVE_PLAYING);
    EXPECT_EQ(VolumeOf(clip.GetChannel()), 0.5f);

    clip.Stop(true);
    EXPECT_TRUE(Kiln::AudioOut::GetInstance()->GetChannels(clip.GetSample()).empty());
    EXPECT_EQ(S::ChannelIsActive(second), S::ACTIVE_STOPPED);
}

TEST_F(AudioOutTest, StopWithoutImmediatelyOnlyEndsOneLoopAfterItsPass)
{
    const std::string shot = MakeClip("shot.mp3", 880, 0.3);
    Kiln::AudioClip once;
    once.Init(shot.c_str(), false);
    once.Play();
    EXPECT_FALSE(Kiln::AudioOut::GetInstance()->Stop(once.GetSample(), false));
    EXPECT_EQ(S::ChannelIsActive(once.GetChannel()), S::ACTIVE_PLAYING) << "a one-shot is left alone";
    once.Stop(true);

    const std::string loopPath = MakeClip("loop.mp3", 220, 0.25);
    Kiln::AudioClip loop;
    loop.Init(loopPath.c_str(), true);
    S::SampleInfo info;
    ASSERT_TRUE(S::SampleGetInfo(static_cast<S::HSAMPLE>(loop.GetSample()), &info));
    EXPECT_EQ(info.flags, 0x14u);
    loop.Play();
    const uint32_t a = loop.GetChannel();
    loop.Play();
    const uint32_t b = loop.GetChannel();

    EXPECT_TRUE(Kiln::AudioOut::GetInstance()->Stop(loop.GetSample(), false));
    EXPECT_EQ(S::ChannelFlags(a, 0, 0) & S::SAMPLE_LOOP, 0u);
    EXPECT_EQ(S::ChannelFlags(b, 0, 0) & S::SAMPLE_LOOP, S::SAMPLE_LOOP);

    const uint32_t frames = info.length / 4;
    Mix(frames + 10);
    EXPECT_EQ(S::ChannelIsActive(a), S::ACTIVE_STOPPED);
    EXPECT_EQ(S::ChannelIsActive(b), S::ACTIVE_PLAYING);

    EXPECT_TRUE(Kiln::AudioOut::GetInstance()->StopLooping(loop.GetSample()));
    EXPECT_FALSE(Kiln::AudioOut::GetInstance()->StopLooping(loop.GetSample())) << "no looping channel left";
    loop.Stop(true);
}
