#pragma once
// How a ParticleEmitter spawns: a level's "KOB_ParticleEmitter" object fills it by key, the
// player and the level actors fill it in code. Intervals are (min, max).
#include "forge/math/Color.h"
#include "forge/math/Vector.h"
#include "forge/stringRegistry/StringId.h"

#include <cstdint>
#include <string>

struct ParticleEmitterSettings
{
    // The most particles a level's emitter may ask for in one burst ("spawnAmount"); the
    // timed bursts of one update spawn no more than that many either.
    static constexpr int32_t MAX_SPAWN_AMOUNT = 1000;

    Kiln::Vector3<float> myPosition{0.0f, 0.0f, 0.0f};
    // Seconds of spawning; 0 or less: spawns for ever ("emitterLifetime").
    float myEmitterLifetime = 0.0f;
    // Colour texture of "particletexture"; also the particle's registry group.
    Kiln::StringId myTexturePath;
    // Particle size before the start scale ("particletexture" size).
    Kiln::Vector2<float> mySize{20.0f, 20.0f};
    int32_t mySpawnAmount = 1;          // per burst ("spawnAmount")
    // Seconds between timed bursts ("spawnFrequency"); 0 or less: one burst per update.
    float mySpawnFrequency = 1.0f;
    Kiln::Vector2<float> myLifetimeInterval{2.0f, 2.0f};      // s ("lifetimeInterval")
    Kiln::Vector2<float> mySpeedInterval{100.0f, 100.0f};     // units/s ("speedInterval")
    Kiln::Vector2<float> myAngleInterval{0.0f, 0.0f};         // degrees from the rotation ("angleInterval")
    Kiln::Vector2<float> myAccelerationInterval{0.0f, 0.0f};  // speed lost per second ("accelerationInterval")
    Kiln::Vector2<float> myDampingInterval{0.0f, 0.0f};       // exponential decay rate
    Kiln::Vector2<float> myStartScaleInterval{1.0f, 1.0f};
    Kiln::Color myColorStart{1.0f, 1.0f, 1.0f, 1.0f};         // "colorStart"
    Kiln::Color myColorEnd{1.0f, 1.0f, 1.0f, 1.0f};           // "colorEnd"
    Kiln::Vector2<float> myXOffsetInterval{0.0f, 0.0f};       // along the emitter's x axis ("xOffsetInterval")
    Kiln::Vector2<float> myYOffsetInterval{0.0f, 0.0f};       // along its y axis ("yOffsetInterval")
    Kiln::Vector2<float> myBaseOffset{0.0f, 0.0f};            // not rotated
    float myRotation = 0.0f;                                  // radians
    float myScaleEnd = 1.0f;                                  // size factor at death ("scaleEnd")
    bool myIsAlphaBlend = true;                               // else additive ("isAlphaBlend")
    // When set, particles glide to this point (it must outlive them).
    const Kiln::Vector3<float>* mySeekTarget = nullptr;
    bool myHasAnimation = false;
    std::string myControllerPath;
    Kiln::Vector2<float> myAccelerationChangeInterval{0.0f, 0.0f}; // per second ("accelAccelerationInterval")
    bool mySizeDynamic = false;                               // sine size curve ("sizeDynamic")
};
