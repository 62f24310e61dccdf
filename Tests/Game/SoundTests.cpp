#include "Message.h"
#include "PostMaster.h"
#include "Sound.h"

#include "forge/audio/AudioOut.h"
#include "forge/settings/Settings.h"

#include "Platform/runtime/Assert.h"
#include "Platform/soundlib/Decoder.h"
#include "Platform/soundlib/SoundLib.h"
#include "Support/SoundFixtures.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <optional>
#include <set>

namespace S = Plat::Sound;

namespace
{
    // The bank's clips by index, with whether they loop.
    constexpr std::array<std::pair<const char*, bool>, 35> kClips = {{
        {"Sound/Embercrest_1.mp3", true},        {"Sound/Embercrest_2.mp3", true},
        {"Sound/Embercrest_3.mp3", true},        {"Sound/Embercrest_main.mp3", true},
        {"Sound/Embercrest_chase.mp3", true},    {"Sound/SFX_IntroFORGE.mp3", false},
        {"Sound/SFX_IntroVT58.mp3", false},      {"Sound/SFX_MenuSelect.mp3", false},
        {"Sound/SFX_Breakablewall.mp3", false},  {"Sound/SFX_Checkpoint.mp3", false},
        {"Sound/SFX_Dash.mp3", false},           {"Sound/SFX_DoubleJump.mp3", false},
        {"Sound/SFX_EnemyDeath.mp3", false},     {"Sound/SFX_Exit.mp3", false},
        {"Sound/SFX_Jump.mp3", false},           {"Sound/SFX_Landing.mp3", false},
        {"Sound/SFX_NPCVoice_1.mp3", false},     {"Sound/SFX_NPCVoice_2.mp3", false},
        {"Sound/SFX_NPCVoice_3.mp3", false},     {"Sound/SFX_NPCVoice_4.mp3", false},
        {"Sound/SFX_NPCVoice_5.mp3", false},     {"Sound/SFX_NPCVoice_6.mp3", false},
        {"Sound/SFX_OpenGate.mp3", false},       {"Sound/SFX_PlayerDeath.mp3", false},
        {"Sound/SFX_PlayerHealing.mp3", false},  {"Sound/SFX_PlayerHurt.mp3", false},
        {"Sound/SFX_PotBreaking.mp3", false},    {"Sound/SFX_PowerUp.mp3", false},
        {"Sound/SFX_PressButton.mp3", false},    {"Sound/SFX_EnemyBlob.mp3", true},
        {"Sound/SFX_EnemyHands.mp3", true},      {"Sound/SFX_Enemy_Boss.mp3", true},
        {"Sound/SFX_PlayerFootstep.mp3", true},  {"video/VID_Intro_Sound.mp3", false},
        {"video/VID_Outro_Sound.mp3", false},
    }};

    constexpr size_t kMainTheme = 3;
    constexpr size_t kBlob = 29;
    constexpr size_t kHands = 30;
    constexpr size_t kBoss = 31;
    constexpr size_t kFootsteps = 32;

    // The game's bank over the real asset tree and the default (dummy) device, loaded
    // once per process. The device is paused so that channels advance only when a test
    // mixes, and every test starts with all channels stopped and both volumes at 0.5.
    class SoundBank : public ::testing::Test
    {
    protected:
        static void SetUpTestSuite()
        {
            TestSupport::LoadGameSoundBank();
        }

        void SetUp() override
        {
            ASSERT_NE(Kiln::AudioOut::GetInstance(), nullptr);
            ASSERT_TRUE(Kiln::AudioOut::GetInstance()->IsInitialised());
            S::Pause();
            StopEverything();
            Send(MessageType::MusicVolume, 0.5f);
            Send(MessageType::SfxVolume, 0.5f);
        }

        static void Send(MessageType aType, float aValue = 0.0f, const char* aText = nullptr)
        {
            Message m;
            m.type = aType;
            m.value = aValue;
            m.text = aText;
            PostMaster::GetInstance().SendMessage(m);
        }

        static std::string PathOf(size_t aClip) { return Kiln::Settings::ResolveAssetPath(kClips[aClip].first); }
        static uint32_t SampleOf(size_t aClip) { return Kiln::AudioOut::GetInstance()->FindSample(PathOf(aClip)); }
        static std::vector<uint32_t> ChannelsOf(size_t aClip)
        {
            return Kiln::AudioOut::GetInstance()->GetChannels(static_cast<int32_t>(SampleOf(aClip)));
        }

        // Volume of the clip's newest channel; nothing when it has none.
        static std::optional<float> VolumeOf(size_t aClip)
        {
            const std::vector<uint32_t> channels = ChannelsOf(aClip);
            float volume = -1.0f;
            if (channels.empty() || !S::ChannelGetAttribute(channels.back(), S::ATTRIB_VOL, &volume))
                return std::nullopt;
            return volume;
        }

        // Clip index -> number of channels, for every clip that has any.
        static std::map<size_t, size_t> Playing()
        {
            std::map<size_t, size_t> playing;
            for (size_t i = 0; i < kClips.size(); ++i)
            {
                const size_t n = ChannelsOf(i).size();
                if (n)
                    playing[i] = n;
            }
            return playing;
        }

        static void StopEverything()
        {
            for (size_t i = 0; i < kClips.size(); ++i)
                S::SampleStop(SampleOf(i));
        }
    };

    // Toggles mute back when a test ends, even a failing one.
    struct MuteScope
    {
        MuteScope() { Message m; m.type = MessageType::ToggleMute; PostMaster::GetInstance().SendMessage(m); }
        ~MuteScope() { Message m; m.type = MessageType::ToggleMute; PostMaster::GetInstance().SendMessage(m); }
    };
}

TEST_F(SoundBank, InitLoadedEveryClipWithItsLoopFlag)
{
    for (size_t i = 0; i < kClips.size(); ++i)
    {
        ASSERT_FALSE(PathOf(i).empty()) << kClips[i].first << " is not in the asset tree";
        const uint32_t sample = SampleOf(i);
        ASSERT_NE(sample, 0u) << kClips[i].first;
        S::SampleInfo info;
        ASSERT_TRUE(S::SampleGetInfo(sample, &info));
        EXPECT_EQ(info.flags, kClips[i].second ? 0x14u : 0x20011u) << kClips[i].first;
        EXPECT_EQ(info.max, 3u);
    }
    EXPECT_EQ(Sound::GetInstance().GetMusicVolume(), 0.5f);
    EXPECT_EQ(Sound::GetInstance().GetSfxVolume(), 0.5f);
}

TEST_F(SoundBank, TheSoundsAreDistinctAudibleAndAsLongAsTheyShouldBe)
{
    std::set<std::vector<int16_t>> seen;
    for (size_t i = 0; i < kClips.size(); ++i)
    {
        const S::DecodeResult decoded = S::DecodeFile(PathOf(i), 44100);
        ASSERT_EQ(decoded.error, S::OK) << kClips[i].first;
        const double seconds = decoded.FrameCount() / 44100.0;
        if (i >= 33)
        {
            // The cutscene soundtracks last as long as their films: 38 s and 85 s.
            EXPECT_NEAR(seconds, i == 33 ? 38.0 : 85.0, 0.1) << kClips[i].first;
            EXPECT_TRUE(seen.insert(decoded.samples).second) << kClips[i].first << " sounds like another clip";
            EXPECT_GT(TestSupport::PeakOf(decoded.samples), 3300) << kClips[i].first;
            continue;
        }
        const bool music = i <= 4;
        EXPECT_LE(seconds, music ? 8.1 : 2.05) << kClips[i].first;
        if (music)
        {
            EXPECT_GE(seconds, 4.0) << kClips[i].first;
        }
        // Audible: peaks above about -20 dBFS (the cutscene tracks are mixed quieter).
        EXPECT_GT(TestSupport::PeakOf(decoded.samples), 3300) << kClips[i].first;
        EXPECT_TRUE(seen.insert(decoded.samples).second) << kClips[i].first << " sounds like another clip";
    }
}

TEST_F(SoundBank, TheMainThemeMessageIsHeardInTheMix)
{
    Send(MessageType::MainTheme);
    EXPECT_EQ(Playing(), (std::map<size_t, size_t>{{kMainTheme, 1}}));
    EXPECT_EQ(VolumeOf(kMainTheme), 0.5f);

    const S::DecodeResult theme = S::DecodeFile(PathOf(kMainTheme), 44100);
    ASSERT_EQ(theme.error, S::OK);
    const std::vector<int16_t> out = TestSupport::Mix(theme.FrameCount() + 44100);
    // The whole track at the music volume, then it loops.
    EXPECT_EQ(TestSupport::FindFrames(out, TestSupport::Scaled(theme.samples, 0.5f), theme.FrameCount(), 0), 0);
    EXPECT_EQ(TestSupport::FindFrames(out, TestSupport::Scaled(theme.samples, 0.5f), 44100, 0, 1),
              static_cast<int64_t>(theme.FrameCount()));

    // A second MainTheme restarts it rather than layering it.
    Send(MessageType::MainTheme);
    EXPECT_EQ(Playing(), (std::map<size_t, size_t>{{kMainTheme, 1}}));
    Send(MessageType::StopMusic);
    EXPECT_TRUE(Playing().empty());
    EXPECT_EQ(TestSupport::PeakOf(TestSupport::Mix(4410)), 0);
}

TEST_F(SoundBank, EachMessagePlaysItsClipsAndTheFootstepsLoopUntilStopped)
{
    const std::vector<std::pair<MessageType, std::map<size_t, size_t>>> table = {
        {MessageType::UpgradeGranted, {{27, 1}}},   {MessageType::CheckpointReached, {{9, 1}}},
        {MessageType::WallBroken, {{8, 1}}},        {MessageType::PotBroken, {{26, 1}}},
        {MessageType::Dash, {{10, 1}}},             {MessageType::Jump, {{14, 1}}},
        {MessageType::Land, {{15, 1}}},             {MessageType::DoubleJump, {{11, 1}}},
        {MessageType::EnemyDied, {{12, 1}}},        {MessageType::LevelExit, {{13, 1}}},
        {MessageType::DoorOpened, {{22, 1}, {28, 1}}},
        {MessageType::PlayerDied, {{23, 1}}},       {MessageType::PlayerHurt, {{25, 1}}},
        {MessageType::PlayerHealed, {{24, 1}}},     {MessageType::FootstepsStart, {{kFootsteps, 1}}},
        {MessageType::MenuSelect, {{7, 1}}},        {MessageType::IntroLogoSound, {{5, 1}}},
        {MessageType::IntroTeamSound, {{6, 1}}},    {MessageType::SaveState, {}},
        {MessageType::RestoreState, {}},
    };
    for (const auto& [type, clips] : table)
    {
        StopEverything();
        Send(type);
        EXPECT_EQ(Playing(), clips) << "message " << static_cast<int>(type);
    }
    // Effects play at the effects volume, intro jingles at the music volume.
    Send(MessageType::SfxVolume, 0.3f);
    Send(MessageType::Dash);
    Send(MessageType::IntroTeamSound);
    EXPECT_EQ(VolumeOf(10), 0.3f);
    EXPECT_EQ(VolumeOf(6), 0.5f);

    // The footsteps loop until stopped; the one-shots above end meanwhile.
    Send(MessageType::FootstepsStart);
    TestSupport::Mix(3 * 44100);
    EXPECT_EQ(Playing(), (std::map<size_t, size_t>{{kFootsteps, 1}})) << "still looping after three passes";
    Send(MessageType::FootstepsStop);
    EXPECT_TRUE(Playing().empty());
}

TEST_F(SoundBank, NpcVoicesCycleThroughTheSix)
{
    std::vector<size_t> voices;
    for (int talk = 0; talk < 7; ++talk)
    {
        StopEverything();
        Send(MessageType::NpcTalk);
        const std::map<size_t, size_t> playing = Playing();
        ASSERT_EQ(playing.size(), 1u);
        voices.push_back(playing.begin()->first);
    }
    for (size_t i = 0; i < voices.size(); ++i)
    {
        EXPECT_GE(voices[i], 16u);
        EXPECT_LE(voices[i], 21u);
        if (i > 0)
        {
            EXPECT_EQ(voices[i], 16 + (voices[i - 1] - 16 + 1) % 6);
        }
    }
    EXPECT_EQ(voices[6], voices[0]);
}

TEST_F(SoundBank, LevelMusicPicksTheTrackByTheExactLevelPathAndTheChaseReplacesIt)
{
    Send(MessageType::LevelMusic, 0, "levels\\Level1.ksc");
    EXPECT_EQ(Playing(), (std::map<size_t, size_t>{{0, 1}, {kBlob, 1}, {kHands, 1}}));
    EXPECT_EQ(VolumeOf(kBlob), 0.0f);
    EXPECT_EQ(VolumeOf(kHands), 0.0f);
    EXPECT_EQ(VolumeOf(0), 0.5f);

    Send(MessageType::LevelMusic, 0, "levels\\Level2.ksc");
    EXPECT_EQ(Playing(), (std::map<size_t, size_t>{{1, 1}, {kBlob, 1}, {kHands, 1}})) << "the previous music stopped";
    Send(MessageType::LevelMusic, 0, "levels\\Level3.ksc");
    EXPECT_EQ(Playing(), (std::map<size_t, size_t>{{2, 1}, {kBlob, 1}, {kHands, 1}}));
    Send(MessageType::LevelMusic, 0, "levels\\Level_Outro.ksc");
    EXPECT_EQ(Playing(), (std::map<size_t, size_t>{{kBoss, 1}}));
    EXPECT_EQ(VolumeOf(kBoss), 0.0f);

    for (const char* other : {"levels/Level1.ksc", "LEVELS\\LEVEL1.KSC", "scenes\\mainmenu.ksc", ""})
    {
        Send(MessageType::LevelMusic, 0, other);
        EXPECT_EQ(Playing(), (std::map<size_t, size_t>{{kMainTheme, 1}})) << other;
    }
    Send(MessageType::LevelMusic, 0, nullptr);
    EXPECT_EQ(Playing(), (std::map<size_t, size_t>{{kMainTheme, 1}})) << "no path";

    // The chase music replaces a level's and starts the enemy loops silent.
    Send(MessageType::LevelMusic, 0, "levels\\Level2.ksc");
    Send(MessageType::ChaseMusic);
    EXPECT_EQ(Playing(), (std::map<size_t, size_t>{{4, 1}, {kBlob, 1}, {kHands, 1}}));
    EXPECT_EQ(VolumeOf(kBlob), 0.0f);
    EXPECT_EQ(VolumeOf(4), 0.5f);
}

TEST_F(SoundBank, VolumesAreClampedAndReachOnlyTheirGroupAndTheBossLoopFollowsThePlayer)
{
    Sound& bank = Sound::GetInstance();
    Send(MessageType::MainTheme);
    Send(MessageType::FootstepsStart);
    Send(MessageType::LevelMusic, 0, "levels\\Level_Outro.ksc");
    Send(MessageType::FootstepsStart);
    Send(MessageType::IntroLogoSound);
    bank.UpdateBossVolume(4999.0f);
    EXPECT_EQ(VolumeOf(kBoss), 0.0f) << "the boss loop rises with the player's position";
    bank.UpdateBossVolume(6250.0f);
    EXPECT_NEAR(VolumeOf(kBoss).value_or(-1.0f), 0.5f, 1e-6f) << "halfway: 0.5 x 2 x 0.5";

    Send(MessageType::MusicVolume, 1.7f);
    EXPECT_EQ(bank.GetMusicVolume(), 1.0f);
    EXPECT_EQ(VolumeOf(5), 1.0f);
    EXPECT_EQ(VolumeOf(kFootsteps), 0.5f);
    Send(MessageType::MusicVolume, -0.2f);
    EXPECT_EQ(bank.GetMusicVolume(), 0.0f);
    EXPECT_EQ(VolumeOf(5), 0.0f);

    Send(MessageType::SfxVolume, 0.8f);
    EXPECT_FLOAT_EQ(bank.GetSfxVolume(), 0.8f);
    EXPECT_NEAR(VolumeOf(kFootsteps).value_or(-1.0f), 0.8f, 1e-6f);
    EXPECT_NEAR(VolumeOf(kBoss).value_or(-1.0f), 0.5f, 1e-6f) << "the boss loop follows the player, not the slider";
    Send(MessageType::SfxVolume, 3.0f);
    EXPECT_EQ(bank.GetSfxVolume(), 1.0f);
    bank.UpdateBossVolume(7500.0f);
    EXPECT_NEAR(VolumeOf(kBoss).value_or(-1.0f), 2.0f, 1e-6f) << "from 7500 on: twice the effects volume";
}

TEST_F(SoundBank, MuteSilencesEverythingAndUnmuteAppliesTheStoredVolumes)
{
    Send(MessageType::MainTheme);
    Send(MessageType::FootstepsStart);
    {
        MuteScope muted;
        EXPECT_EQ(VolumeOf(kMainTheme), 0.0f);
        EXPECT_EQ(VolumeOf(kFootsteps), 0.0f);
        // A new playback while muted starts silent too: every clip's stored volume is 0.
        Send(MessageType::Dash);
        EXPECT_EQ(VolumeOf(10), 0.0f);

        Send(MessageType::MusicVolume, 0.8f);
        Send(MessageType::SfxVolume, 0.3f);
        EXPECT_EQ(VolumeOf(kMainTheme), 0.0f) << "while muted a volume is only stored";
        EXPECT_FLOAT_EQ(Sound::GetInstance().GetMusicVolume(), 0.8f);
    }
    EXPECT_NEAR(VolumeOf(kMainTheme).value_or(-1.0f), 0.8f, 1e-6f);
    EXPECT_NEAR(VolumeOf(kFootsteps).value_or(-1.0f), 0.3f, 1e-6f);
    EXPECT_NEAR(VolumeOf(10).value_or(-1.0f), 0.3f, 1e-6f);
}

TEST_F(SoundBank, EnemyLoopsFollowTheDistanceToTheNearestEnemy)
{
    Sound& bank = Sound::GetInstance();
    const float none = 4000000.0f;
    Send(MessageType::LevelMusic, 0, "levels\\Level1.ksc");

    bank.UpdateEnemyVolumes(none, 40000.0f, 2890000.0f);
    EXPECT_NEAR(VolumeOf(kBlob).value_or(-1.0f), 0.5f, 1e-6f) << "200 units: the full effects volume";
    EXPECT_NEAR(VolumeOf(kHands).value_or(-1.0f), 0.0f, 1e-6f) << "1700 units: silent";

    bank.UpdateEnemyVolumes(none, (40000.0f + 2890000.0f) / 2.0f, 10000.0f);
    EXPECT_NEAR(VolumeOf(kBlob).value_or(-1.0f), 0.25f, 1e-6f) << "linear in squared distance";
    EXPECT_NEAR(VolumeOf(kHands).value_or(-1.0f), 0.5f, 1e-6f);

    {
        MuteScope muted;
        bank.UpdateEnemyVolumes(none, 10000.0f, none);
        EXPECT_EQ(VolumeOf(kBlob), 0.0f) << "muted: left as mute set it";
        EXPECT_EQ(VolumeOf(kHands), 0.0f);
    }
    bank.UpdateEnemyVolumes(none, none, 9000000.0f);
    EXPECT_EQ(VolumeOf(kBlob), 0.0f) << "no such enemy";
    EXPECT_EQ(VolumeOf(kHands), 0.0f) << "beyond 1700 units";
}

TEST_F(SoundBank, CutsceneSoundtracksPlayAndStopOnRequest)
{
    Sound& bank = Sound::GetInstance();
    bank.PlayIntroVideoSound();
    EXPECT_EQ(Playing(), (std::map<size_t, size_t>{{33, 1}}));
    bank.StopIntroVideoSound();
    bank.PlayOutroVideoSound();
    EXPECT_EQ(Playing(), (std::map<size_t, size_t>{{34, 1}}));
    EXPECT_EQ(VolumeOf(34), 0.5f);
    bank.StopOutroVideoSound();
    EXPECT_TRUE(Playing().empty());
}

TEST(SoundMath, InverseLerp)
{
    EXPECT_EQ(Sound::InverseLerp(2890000.0f, 40000.0f, 40000.0f), 1.0f);
    EXPECT_EQ(Sound::InverseLerp(2890000.0f, 40000.0f, 2890000.0f), 0.0f);
    EXPECT_FLOAT_EQ(Sound::InverseLerp(0.0f, 4.0f, 1.0f), 0.25f);

    std::vector<Plat::Runtime::AssertionReport> reports;
    Plat::Runtime::SetAssertionHandler([&](const Plat::Runtime::AssertionReport& r) { reports.push_back(r); });
    EXPECT_EQ(Sound::InverseLerp(3.0f, 3.0f, 5.0f), 0.0f);
    Plat::Runtime::SetAssertionHandler({});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].expression, "aStart != aEnd");
}
