#pragma once
// The level's follow camera: an anchor that lags behind the target, a fixed offset, a view
// that leads in the direction of motion and a slow random sway. A RestoreState message
// makes the next update jump to the target instead of gliding.
#include "CameraSwing.h"
#include "Subscriber.h"

#include "forge/graphics/Camera.h"
#include "forge/math/Vector.h"

class CustomCamera : public Subscriber, public Kiln::Camera
{
public:
    CustomCamera();
    ~CustomCamera() override;
    CustomCamera(const CustomCamera&) = delete;
    CustomCamera& operator=(const CustomCamera&) = delete;

    void Receive(const Message& aMessage) override;

    void SetAnchor(const Kiln::Vector3<float>& anAnchor) { myAnchor = anAnchor; }
    void SetAnchorDampening(float aDampening) { myAnchorDampening = aDampening; }
    void SetOffset(const Kiln::Vector3<float>& anOffset) { myOffset = anOffset; }
    void SetTarget(const Kiln::Vector3<float>& aTarget) { myTarget = aTarget; }
    void SetViewLeadingScale(float aScale) { myViewLeadingScale = aScale; }
    void SetSwingRadius(float aRadius) { mySwing.SetRadius(aRadius); }
    void SetSwingSpeed(float aSpeed) { mySwing.SetSpeed(aSpeed); }
    void StartSwing() { mySwing.Start(); }

    void Update(float aDeltaTime);

    const Kiln::Vector3<float>& GetAnchor() const { return myAnchor; }
    const Kiln::Vector3<float>& GetTarget() const { return myTarget; }
    const CameraSwing& GetSwing() const { return mySwing; }
    bool IsSnapPending() const { return mySnap; }

private:
    CameraSwing mySwing;
    Kiln::Vector3<float> myTarget;
    Kiln::Vector3<float> myOffset;
    Kiln::Vector3<float> myAnchor;
    float myAnchorDampening = 0.0f;
    float myViewLeadingScale = 0.0f;
    bool mySnap = false;
};
