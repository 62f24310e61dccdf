#pragma once
// The game's screen states. Screens, the world and the level exit report the end of their
// work by writing the State the game manager hands them; the manager acts on it after the
// handler returns.
#include <cstdint>

enum class State : int32_t
{
    Splashscreen = 0,
    MainMenu = 1,
    IntroVideo = 2,
    Playing = 3,
    Paused = 4,
    LevelSelect = 5,
    Options = 6,
    Credits = 7,
    Reserved = 8,
    NextLevel = 9,
    OutroVideo = 10,
    Quit = 11,
};
