#pragma once
// A volume slider: a bar and a handle. Setting its value moves the handle and sends the
// music or effects volume over the message bus.
#include "forge/drawers/Sprite2DInstanceData.h"
#include "forge/drawers/SpriteSharedData.h"
#include "forge/math/Vector.h"

#include <cstdint>

class CustomSceneObject;

namespace Kiln
{
    class Engine;
}

class MenuSlider
{
public:
    enum SoundType : uint32_t
    {
        Music = 0,
        Effects = 1,
    };

    // Reads "Slider" (the bar) and "Button" (the handle) and places the handle at the
    // bank's current volume of aSoundType (at the left end for any other type).
    void Init(Kiln::Engine& anEngine, const CustomSceneObject& anObject, const Kiln::Vector2<float>& aRenderSize,
              uint32_t aSoundType);

    // Moves the handle to screen x aX, clamped to the bar, and sends the volume it stands
    // for (0 at the left end, 1 at the right).
    void SetValue(float aX);
    // Moves the handle by aFraction of the bar's width.
    void Step(float aFraction);
    uint32_t GetType() const { return mySoundType; }
    void Render();

    const Kiln::Sprite2DInstanceData& GetBarInstance() const { return myBarInstance; }
    const Kiln::Sprite2DInstanceData& GetHandleInstance() const { return myHandleInstance; }
    const Kiln::Vector3<float>& GetMin() const { return myMin; }
    const Kiln::Vector3<float>& GetMax() const { return myMax; }

private:
    float HalfWidth() const;

    Kiln::Sprite2DInstanceData myBarInstance;
    Kiln::Sprite2DInstanceData myHandleInstance;
    Kiln::SpriteSharedData myBarSharedData;
    Kiln::SpriteSharedData myHandleSharedData;
    Kiln::Vector3<float> myMin{0.0f, 0.0f, 0.0f};
    Kiln::Vector3<float> myMax{0.0f, 0.0f, 0.0f};
    uint32_t mySoundType = Music;
};
