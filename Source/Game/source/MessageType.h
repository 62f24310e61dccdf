#pragma once
// The events that travel over the message bus.
#include <cstdint>

enum class MessageType : int32_t
{
    SaveState = 0,
    RestoreState = 1,
    UpgradeGranted = 2,
    NpcTalk = 3,
    CheckpointReached = 4,
    WallBroken = 5,
    PotBroken = 6,
    Dash = 7,
    Jump = 8,
    Land = 9,
    DoubleJump = 10,
    EnemyDied = 11,
    LevelExit = 12,
    DoorOpened = 13,
    PlayerDied = 14,
    PlayerHurt = 15,
    PlayerHealed = 16,
    FootstepsStart = 17,
    FootstepsStop = 18,
    MenuSelect = 19,
    StopMusic = 20,
    MainTheme = 21,
    LevelMusic = 22,
    ChaseMusic = 23,
    ToggleMute = 24,
    MusicVolume = 25,
    SfxVolume = 26,
    IntroLogoSound = 27,
    IntroTeamSound = 28,
};

constexpr int32_t MESSAGE_TYPE_COUNT = 29;
