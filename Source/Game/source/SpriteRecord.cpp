#include "SpriteRecord.h"

#include "forge/drawers/SpriteDrawer.h"
#include "forge/engine/Engine.h"
#include "forge/graphics/GraphicsEngine.h"

void DrawSpriteRecord(const Kiln::SpriteSharedData& someSharedData, const Kiln::Sprite2DInstanceData& anInstance)
{
    Kiln::Engine* engine = Kiln::Engine::GetInstance();
    if (!engine || !engine->GetGraphicsEngine() || !engine->GetGraphicsEngine()->GetSpriteDrawer())
        return;
    Kiln::SpriteBatchScope batch = engine->GetGraphicsEngine()->GetSpriteDrawer()->BeginBatch(someSharedData);
    batch.Draw(anInstance);
}
