#pragma once
// How the world places an enemy.
#include "forge/math/Vector.h"

struct EnemyConfig
{
    Kiln::Vector3<float> myPosition;
    Kiln::Vector3<float> myScale;       // sprite size in world units per axis
    Kiln::Vector3<float> myRotation;    // Euler degrees
    Kiln::Vector2<float> myBoxSize;     // collision box width and height
    bool myWithParticles = false;
};
