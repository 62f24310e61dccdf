#include "Sound.h"

#include "Levels.h"
#include "Message.h"
#include "PostMaster.h"
#include "ThreadOrHere.h"

#include "forge/audio/AudioClip.h"
#include "forge/audio/AudioOut.h"
#include "forge/settings/Settings.h"

#include "Platform/soundlib/SoundLib.h"

#include "Platform/runtime/Assert.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
    enum class Group
    {
        Music,
        Effects,
    };

    struct ClipRow
    {
        const char* path;
        bool loops;
        Group group;
    };

    // In clip-index order; the indices below name rows of this table.
    constexpr ClipRow kClips[] = {
        {"Sound/Embercrest_1.mp3", true, Group::Music},
        {"Sound/Embercrest_2.mp3", true, Group::Music},
        {"Sound/Embercrest_3.mp3", true, Group::Music},
        {"Sound/Embercrest_main.mp3", true, Group::Music},
        {"Sound/Embercrest_chase.mp3", true, Group::Music},
        {"Sound/SFX_IntroFORGE.mp3", false, Group::Music},
        {"Sound/SFX_IntroVT58.mp3", false, Group::Music},
        {"Sound/SFX_MenuSelect.mp3", false, Group::Effects},
        {"Sound/SFX_Breakablewall.mp3", false, Group::Effects},
        {"Sound/SFX_Checkpoint.mp3", false, Group::Effects},
        {"Sound/SFX_Dash.mp3", false, Group::Effects},
        {"Sound/SFX_DoubleJump.mp3", false, Group::Effects},
        {"Sound/SFX_EnemyDeath.mp3", false, Group::Effects},
        {"Sound/SFX_Exit.mp3", false, Group::Effects},
        {"Sound/SFX_Jump.mp3", false, Group::Effects},
        {"Sound/SFX_Landing.mp3", false, Group::Effects},
        {"Sound/SFX_NPCVoice_1.mp3", false, Group::Effects},
        {"Sound/SFX_NPCVoice_2.mp3", false, Group::Effects},
        {"Sound/SFX_NPCVoice_3.mp3", false, Group::Effects},
        {"Sound/SFX_NPCVoice_4.mp3", false, Group::Effects},
        {"Sound/SFX_NPCVoice_5.mp3", false, Group::Effects},
        {"Sound/SFX_NPCVoice_6.mp3", false, Group::Effects},
        {"Sound/SFX_OpenGate.mp3", false, Group::Effects},
        {"Sound/SFX_PlayerDeath.mp3", false, Group::Effects},
        {"Sound/SFX_PlayerHealing.mp3", false, Group::Effects},
        {"Sound/SFX_PlayerHurt.mp3", false, Group::Effects},
        {"Sound/SFX_PotBreaking.mp3", false, Group::Effects},
        {"Sound/SFX_PowerUp.mp3", false, Group::Effects},
        {"Sound/SFX_PressButton.mp3", false, Group::Effects},
        {"Sound/SFX_EnemyBlob.mp3", true, Group::Effects},
        {"Sound/SFX_EnemyHands.mp3", true, Group::Effects},
        {"Sound/SFX_Enemy_Boss.mp3", true, Group::Effects},
        {"Sound/SFX_PlayerFootstep.mp3", true, Group::Effects},
        {"video/VID_Intro_Sound.mp3", false, Group::Music},
        {"video/VID_Outro_Sound.mp3", false, Group::Music},
    };

    enum Clip : size_t
    {
        Level1Music = 0,
        Level2Music = 1,
        Level3Music = 2,
        MainTheme = 3,
        ChaseMusic = 4,
        IntroLogo = 5,
        IntroTeam = 6,
        MenuSelect = 7,
        BreakableWall = 8,
        Checkpoint = 9,
        Dash = 10,
        DoubleJump = 11,
        EnemyDeath = 12,
        Exit = 13,
        Jump = 14,
        Landing = 15,
        FirstNpcVoice = 16,
        OpenGate = 22,
        PlayerDeath = 23,
        PlayerHealing = 24,
        PlayerHurt = 25,
        PotBreaking = 26,
        PowerUp = 27,
        PressButton = 28,
        EnemyBlob = 29,
        EnemyHands = 30,
        EnemyBoss = 31,
        Footsteps = 32,
        IntroVideo = 33,
        OutroVideo = 34,
    };

    constexpr int32_t kNpcVoiceCount = 6;
    constexpr size_t kMusicClips[] = {MainTheme, Level1Music, Level2Music, Level3Music, ChaseMusic,
                                      IntroLogo, IntroTeam, IntroVideo, OutroVideo};
    constexpr size_t kStoppedWithMusic[] = {Level1Music, Level2Music, Level3Music, ChaseMusic, MainTheme,
                                            EnemyBlob, EnemyHands, EnemyBoss};

    float ClampVolume(float aValue)
    {
        return std::isnan(aValue) ? 0.0f : std::clamp(aValue, 0.0f, 1.0f);
    }
}

Sound& Sound::GetInstance()
{
    static Sound instance;
    return instance;
}

Sound::Sound()
{
    for (int32_t type = static_cast<int32_t>(MessageType::UpgradeGranted); type <= static_cast<int32_t>(MessageType::IntroTeamSound); ++type)
        PostMaster::GetInstance().Subscribe(static_cast<MessageType>(type), this);
}

Sound::~Sound()
{
    WaitForDecoding();
    while (!myClips.empty())
        myClips.pop_back();
    for (int32_t type = static_cast<int32_t>(MessageType::UpgradeGranted); type <= static_cast<int32_t>(MessageType::IntroTeamSound); ++type)
        PostMaster::GetInstance().Unsubscribe(static_cast<MessageType>(type), this);
}

void Sound::Init()
{
    BeginInit();
    FinishInit();
}

void Sound::BeginInit()
{
    myMusicVolume = 0.5f;
    mySfxVolume = 0.5f;
    myNearDistanceSquared = 40000.0f;
    myFarDistanceSquared = 2890000.0f;
    myIsLoading = true;
    // Without an audio device the clips still load (and a bad file is still named when they
    // do): one line says why nothing is heard.
    const Kiln::AudioOut& output = Kiln::AudioOut::GetOrCreateInstance();
    if (!output.HasDevice())
        std::fprintf(stderr, "No audio device could be opened; the game runs silent\n");
    // The clips decode in parallel, behind whatever the main thread does meanwhile;
    // FinishInit then loads them one by one, in their order.
    myPrefetchPaths.clear();
    for (const ClipRow& row : kClips)
        myPrefetchPaths.push_back(Kiln::Settings::ResolveAssetPath(row.path));
    myIsDecoded = false;
    const auto decode = [this] {
        std::vector<const char*> names;
        for (const std::string& path : myPrefetchPaths)
            names.push_back(path.c_str());
        Plat::Sound::SamplePrefetch(names.data(), static_cast<Plat::Sound::DWORD>(names.size()));
        myIsDecoded = true;
    };
    myPrefetch = RunOnAThreadOrHere(decode);
}

bool Sound::IsDecoded() const
{
    return !myIsLoading || myIsDecoded;
}

void Sound::WaitForDecoding()
{
    if (myPrefetch.joinable())
        myPrefetch.join();
}

void Sound::FinishInit()
{
    WaitForDecoding();
    if (!myIsLoading)
        return;
    const Kiln::AudioOut& output = Kiln::AudioOut::GetOrCreateInstance();
    for (const ClipRow& row : kClips)
    {
        auto clip = std::make_unique<Kiln::AudioClip>();
        clip->Init(row.path, row.loops);
        if (clip->GetSample() == -1 && output.IsInitialised())
            std::fprintf(stderr, "Sound \"%s\" is not found or cannot be read; it stays silent\n", row.path);
        clip->SetVolume(row.group == Group::Music ? myMusicVolume : mySfxVolume);
        myClips.push_back(std::move(clip));
    }
    myIsLoading = false;
    // What was asked to play while the clips were still loading (the studio card's jingle).
    const std::vector<size_t> waiting = std::move(myWaitingPlays);
    myWaitingPlays.clear();
    for (size_t clip : waiting)
        PlayClip(clip);
}

void Sound::PlayClip(size_t anIndex)
{
    if (myIsLoading)
    {
        if (std::find(myWaitingPlays.begin(), myWaitingPlays.end(), anIndex) == myWaitingPlays.end())
            myWaitingPlays.push_back(anIndex);
        return;
    }
    if (anIndex < myClips.size())
        myClips[anIndex]->Play();
}

void Sound::StopClip(size_t anIndex)
{
    myWaitingPlays.erase(std::remove(myWaitingPlays.begin(), myWaitingPlays.end(), anIndex), myWaitingPlays.end());
    if (anIndex < myClips.size())
        myClips[anIndex]->Stop(true);
}

void Sound::SetClipVolume(size_t anIndex, float aVolume)
{
    if (anIndex < myClips.size())
        myClips[anIndex]->SetVolume(aVolume);
}

void Sound::PlayIntroVideoSound() { PlayClip(IntroVideo); }
void Sound::PlayOutroVideoSound() { PlayClip(OutroVideo); }
void Sound::StopIntroVideoSound() { StopClip(IntroVideo); }
void Sound::StopOutroVideoSound() { StopClip(OutroVideo); }

void Sound::StopMusic()
{
    for (size_t clip : kStoppedWithMusic)
        StopClip(clip);
}

void Sound::PlayLevelMusic(const char* aLevelPath)
{
    StopMusic();
    const Levels::Level* level = aLevelPath != nullptr ? Levels::Find(aLevelPath) : nullptr;
    size_t track = MainTheme;
    if (level != nullptr)
    {
        switch (level->myMusic)
        {
        case Levels::Music::Level1Theme: track = Level1Music; break;
        case Levels::Music::Level2Theme: track = Level2Music; break;
        case Levels::Music::Level3Theme: track = Level3Music; break;
        case Levels::Music::BossLoopOnly:
            // Silent until the player nears.
            PlayClip(EnemyBoss);
            SetClipVolume(EnemyBoss, 0.0f);
            return;
        }
    }

    PlayClip(track);
    if (track != MainTheme)
    {
        PlayClip(EnemyBlob);
        PlayClip(EnemyHands);
        SetClipVolume(EnemyBlob, 0.0f);
        SetClipVolume(EnemyHands, 0.0f);
    }
}

void Sound::ApplyMusicVolume()
{
    if (myMuted)
        return;
    for (size_t clip : kMusicClips)
        SetClipVolume(clip, myMusicVolume);
}

void Sound::ApplySfxVolume()
{
    if (myMuted)
        return;
    for (size_t clip = MenuSelect; clip <= PressButton; ++clip)
        SetClipVolume(clip, mySfxVolume);
    SetClipVolume(Footsteps, mySfxVolume);
}

void Sound::UpdateBossVolume(float aPlayerX)
{
    float volume;
    if (aPlayerX < 5000.0f)
        volume = 0.0f;
    else if (aPlayerX < 7500.0f)
        volume = (aPlayerX - 5000.0f) / 2500.0f * mySfxVolume * 2.0f;
    else
        volume = 2.0f * mySfxVolume;
    SetClipVolume(EnemyBoss, volume);
}

void Sound::UpdateEnemyVolume(size_t aClip, float aNone, float aDistanceSquared)
{
    if (aDistanceSquared == aNone)
    {
        SetClipVolume(aClip, 0.0f);
        return;
    }
    if (myMuted)
        return;
    if (aDistanceSquared < myNearDistanceSquared)
        SetClipVolume(aClip, mySfxVolume);
    else if (aDistanceSquared < myFarDistanceSquared)
        SetClipVolume(aClip, InverseLerp(myFarDistanceSquared, myNearDistanceSquared, aDistanceSquared) * mySfxVolume);
    else
        SetClipVolume(aClip, 0.0f);
}

void Sound::UpdateEnemyVolumes(const float& aNone, const float& aBlobDistanceSquared, const float& aHandsDistanceSquared)
{
    UpdateEnemyVolume(EnemyBlob, aNone, aBlobDistanceSquared);
    UpdateEnemyVolume(EnemyHands, aNone, aHandsDistanceSquared);
}

float Sound::InverseLerp(float aStart, float aEnd, float aValue)
{
    KILN_ASSERT(aStart != aEnd);
    if (aStart == aEnd)
        return 0.0f;
    return (aValue - aStart) / (aEnd - aStart);
}

void Sound::Receive(const Message& aMessage)
{
    switch (aMessage.type)
    {
    case MessageType::UpgradeGranted: PlayClip(PowerUp); break;
    case MessageType::NpcTalk:
        PlayClip(FirstNpcVoice + static_cast<size_t>(myNpcVoiceIndex));
        myNpcVoiceIndex = (myNpcVoiceIndex + 1) % kNpcVoiceCount;
        break;
    case MessageType::CheckpointReached: PlayClip(Checkpoint); break;
    case MessageType::WallBroken: PlayClip(BreakableWall); break;
    case MessageType::PotBroken: PlayClip(PotBreaking); break;
    case MessageType::Dash: PlayClip(Dash); break;
    case MessageType::Jump: PlayClip(Jump); break;
    case MessageType::Land: PlayClip(Landing); break;
    case MessageType::DoubleJump: PlayClip(DoubleJump); break;
    case MessageType::EnemyDied: PlayClip(EnemyDeath); break;
    case MessageType::LevelExit: PlayClip(Exit); break;
    case MessageType::DoorOpened:
        PlayClip(OpenGate);
        PlayClip(PressButton);
        break;
    case MessageType::PlayerDied: PlayClip(PlayerDeath); break;
    case MessageType::PlayerHurt: PlayClip(PlayerHurt); break;
    case MessageType::PlayerHealed: PlayClip(PlayerHealing); break;
    case MessageType::FootstepsStart: PlayClip(Footsteps); break;
    case MessageType::FootstepsStop: StopClip(Footsteps); break;
    case MessageType::MenuSelect: PlayClip(MenuSelect); break;
    case MessageType::StopMusic: StopMusic(); break;
    case MessageType::MainTheme:
        StopMusic();
        PlayClip(MainTheme);
        break;
    case MessageType::LevelMusic: PlayLevelMusic(aMessage.text); break;
    case MessageType::ChaseMusic:
        StopMusic();
        PlayClip(ChaseMusic);
        PlayClip(EnemyBlob);
        PlayClip(EnemyHands);
        SetClipVolume(EnemyBlob, 0.0f);
        SetClipVolume(EnemyHands, 0.0f);
        break;
    case MessageType::ToggleMute:
        if (!myMuted)
        {
            myMuted = true;
            for (size_t clip = 0; clip < myClips.size(); ++clip)
                SetClipVolume(clip, 0.0f);
        }
        else
        {
            myMuted = false;
            ApplyMusicVolume();
            ApplySfxVolume();
        }
        break;
    case MessageType::MusicVolume:
        myMusicVolume = ClampVolume(aMessage.value);
        ApplyMusicVolume();
        break;
    case MessageType::SfxVolume:
        mySfxVolume = ClampVolume(aMessage.value);
        ApplySfxVolume();
        break;
    case MessageType::IntroLogoSound: PlayClip(IntroLogo); break;
    case MessageType::IntroTeamSound: PlayClip(IntroTeam); break;
    default: break;
    }
}
