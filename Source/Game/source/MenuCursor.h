#pragma once
// The pointer drawn beside the selected menu button.
#include "SpriteRecord.h"

#include "forge/math/Vector.h"

namespace Kiln
{
    class Engine;
}

class MenuCursor
{
public:
    // Loads the cursor picture, drawn at a fifth of its pixel size, and parks it off screen.
    void Init(Kiln::Engine& anEngine);
    void SetPosition(const Kiln::Vector2<float>& aPosition) { myRecord.myInstance.myPosition = aPosition; }
    const Kiln::Vector2<float>& GetPosition() const { return myRecord.myInstance.myPosition; }
    void SetHidden(bool aHidden) { myRecord.myInstance.myIsHidden = aHidden; }
    void Render();

    const SpriteRecord& GetRecord() const { return myRecord; }

private:
    SpriteRecord myRecord;
};
