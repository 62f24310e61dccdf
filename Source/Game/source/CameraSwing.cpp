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

    myTimer += aDeltaTime;
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
