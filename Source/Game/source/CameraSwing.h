#pragma once
// A slow random sway: a chain of quadratic Bezier segments through the neighbourhood of
// random points on a circle of the swing radius, one segment per interval.
#include "forge/math/Vector.h"

#include <cstdint>

class CameraSwing
{
public:
    static constexpr uint32_t STATE_STOPPED = 0;
    static constexpr uint32_t STATE_SWINGING = 1;

    // Picks the first point when stopped; otherwise only keeps swinging.
    void Start();
    void Update(float aDeltaTime);

    const Kiln::Vector3<float>& GetOffset() const { return myOffset; }
    void SetRadius(float aRadius) { myRadius = aRadius; }
    // Segments per second; the swing keeps the seconds per segment.
    void SetSpeed(float aSpeed) { myInterval = 1.0f / aSpeed; }

    float GetRadius() const { return myRadius; }
    float GetInterval() const { return myInterval; }
    uint32_t GetState() const { return myState; }

private:
    // Intervals in one update beyond which the skipped points are not drawn.
    static constexpr float LONG_STEP_INTERVALS = 1024.0f;

    void PickNextPoint();

    Kiln::Vector3<float> myP0;
    Kiln::Vector3<float> myP1;
    Kiln::Vector3<float> myP2;
    Kiln::Vector3<float> myNextPoint;
    Kiln::Vector3<float> myOffset;
    float myInterval = 1.0f;
    float myTimer = 0.0f;
    float myRadius = 0.0f;
    uint32_t myState = STATE_STOPPED;
};
