#pragma once
// How the world places an upgrade character.
#include "forge/math/Vector.h"

#include <cstdint>
#include <string>

struct UpgradeConfiguration
{
    // 1 double jump, 2 dash, 3 dash attack; any other value grants nothing.
    int32_t myType = 0;
    // Colour texture path of the level object's sprite (the drawing comes from the controller).
    std::string mySprite;
    Kiln::Vector3<float> myPosition;
    // The sprite's pivot, in units of its size.
    Kiln::Vector2<float> myPivot{0.5f, 0.5f};
    Kiln::Vector3<float> myScale{1.0f, 1.0f, 1.0f};
    Kiln::Vector3<float> myRotation;    // Euler degrees
};
