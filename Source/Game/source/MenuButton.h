#pragma once
// A menu button: a sprite with its label (the page object's name) drawn on top.
#include "forge/drawers/Sprite2DInstanceData.h"
#include "forge/drawers/SpriteSharedData.h"
#include "forge/math/Vector.h"
#include "forge/text/Text.h"

#include <string>

class CustomSceneObject;

namespace Kiln
{
    class Engine;
}

class MenuButton
{
public:
    // A button's label is made in the first size, then drawn in the second.
    static constexpr const char* LABEL_FONT = "Text/arial.ttf";
    static constexpr uint32_t LABEL_SIZES[] = {14, 30};

    MenuButton();

    // Reads the "Sprite" property and lays the button out for aRenderSize; the page's
    // 1600 x 900 reference layout is scaled to it.
    void Init(Kiln::Engine& anEngine, const CustomSceneObject& anObject, const Kiln::Vector2<float>& aRenderSize);

    // Where the cursor points at the button: 20 px left of it, at half its height.
    Kiln::Vector2<float> GetCursorAnchor() const;
    std::string GetText() const;
    void Render();

    const Kiln::Sprite2DInstanceData& GetInstance() const { return myInstance; }
    const Kiln::SpriteSharedData& GetSharedData() const { return mySharedData; }
    const Kiln::Vector3<float>& GetMin() const { return myMin; }
    const Kiln::Vector3<float>& GetMax() const { return myMax; }
    const Kiln::Text& GetLabel() const { return myLabel; }

private:
    Kiln::Sprite2DInstanceData myInstance;
    Kiln::SpriteSharedData mySharedData;
    Kiln::Vector3<float> myMin{0.0f, 0.0f, 0.0f};
    Kiln::Vector3<float> myMax{0.0f, 0.0f, 0.0f};
    Kiln::Text myLabel;
};
