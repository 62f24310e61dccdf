#include "CameraSwing.h"

#include "RandomFloat.h"

#include <cmath>

void CameraSwing::Start()
{
    if (myState != STATE_STOPPED)
    {
        myState = STATE_SWINGING;
        return;
    }
    PickNextPoint();
    myTimer = 0.0f;
    myState = STATE_SWINGING;
}

void CameraSwing::PickNextPoint()
{
    Kiln::Vector3<float> r;
    // A direction is needed; the odd draw of exactly (0, 0) would make it NaN.
    do
    {
        r = {RandomFloat(-1.0f, 1.0f), RandomFloat(-1.0f, 1.0f), 0.0f};
    } while (r.LengthSqr() == 0.0f);
    const Kiln::Vector3<float> q = r / r.Length() * myRadius;

    myP0 = myP2;
    myP1 = myNextPoint;
    myP2 = (myNextPoint + q) * 0.5f;
    myNextPoint = q;
}

void CameraSwing::Update(float aDeltaTime)
{
    if (myState == STATE_STOPPED)
        return;
    // A negative (or NaN) speed gives an interval that the loop below would never use up.
    if (!(myInterval > 0.0f))
        return;

    const float timer = myTimer + aDeltaTime;
    if (std::isfinite(timer))
        myTimer = timer;
    // At a large speed, interval by interval would be millions of picks a frame (and a float
    // timer that dwarfs the interval stops shrinking). The curve depends on the last three
    // picks only: far beyond that many intervals, three picks and the remainder do.
    if (myTimer >= LONG_STEP_INTERVALS * myInterval)
    {
        for (int pick = 0; pick < 3; ++pick)
            PickNextPoint();
        myTimer = static_cast<float>(std::fmod(static_cast<double>(myTimer), static_cast<double>(myInterval)));
    }
    while (myTimer >= myInterval)
    {
        PickNextPoint();
        myTimer -= myInterval;
    }

    const float t = myTimer / myInterval;
    const Kiln::Vector3<float> a = myP0 + (myP1 - myP0) * t;
    const Kiln::Vector3<float> b = myP1 + (myP2 - myP1) * t;
    myOffset = a + (b - a) * t;
}
