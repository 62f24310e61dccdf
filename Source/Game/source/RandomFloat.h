#pragma once
// The game's uniform random numbers: min + (max - min) x a 24-bit fraction from this
// thread's own Mersenne-Twister engine, seeded once from the random device on the thread's
// first call. In [min, max); min when min == max.
float RandomFloat(float aMin, float aMax);
