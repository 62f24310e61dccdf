#pragma once
// The game's global Mersenne-Twister engine, seeded from the platform's random device when
// the program starts. Main thread only.
#include <random>

extern std::mt19937 gRandomEngine;
