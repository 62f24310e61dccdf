#pragma once
// One screen sprite with the batch data it is drawn with, as the screens and menus keep
// their pictures.
#include "forge/drawers/Sprite2DInstanceData.h"
#include "forge/drawers/SpriteSharedData.h"

struct SpriteRecord
{
    Kiln::Sprite2DInstanceData myInstance;
    Kiln::SpriteSharedData mySharedData;
};

// Draws one instance in a sprite batch of its own with the engine's sprite drawer.
void DrawSpriteRecord(const Kiln::SpriteSharedData& someSharedData, const Kiln::Sprite2DInstanceData& anInstance);
inline void DrawSpriteRecord(const SpriteRecord& aRecord)
{
    DrawSpriteRecord(aRecord.mySharedData, aRecord.myInstance);
}
