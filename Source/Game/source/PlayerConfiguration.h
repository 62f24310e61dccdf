#pragma once
// The player's tuning, read by the world from the level's "KOB_Player" object.
#include "forge/math/Vector.h"

struct PlayerConfiguration
{
    Kiln::Vector3<float> myPosition;
    float myGroundAcceleration = 0.0f;      // "Ground Acceleration"
    float myAirAcceleration = 0.0f;         // "Air Acceleration"
    float myDashVelocityImpulse = 0.0f;     // "Dash Velocity Impulse"
    float myJumpVelocityImpulse = 0.0f;     // "Jump Velocity Impulse"
    float myGroundDampening = 0.0f;         // "Ground Dampening"
    float myAirDampening = 0.0f;            // "Air Dampening"
    float myDashDampening = 0.0f;           // "Dash Dampening"
    float myGravityAcceleration = 0.0f;     // "Gravity Acceleration"
    float myWalkableAngle = 0.0f;           // "Walkable Angle", degrees
    float myMinimumDashVelocity = 0.0f;     // "Minimum Dash Velocity"
    float myCoyoteTimeDuration = 0.0f;      // "Coyote Time Duration"
};
