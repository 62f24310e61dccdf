#include "MenuCursor.h"

#include "forge/engine/Engine.h"
#include "forge/texture/TextureManager.h"

void MenuCursor::Init(Kiln::Engine& anEngine)
{
    if (Kiln::TextureManager* textures = anEngine.GetTextureManager())
    {
        Kiln::TextureResource* texture = textures->GetTexture("sprites\\UI\\Text\\S_UI_MenuCursor.dds", Kiln::TextureSrgbMode::ForceSrgb);
        myRecord.mySharedData.myTextures[0] = texture;
        const Kiln::Vector2<uint32_t> size = Kiln::GetTextureSize(*texture);
        myRecord.myInstance.mySize = {static_cast<float>(size.x), static_cast<float>(size.y)};
    }
    myRecord.myInstance.mySizeMultiplier = {0.2f, 0.2f};
    myRecord.myInstance.myPosition = {-100.0f, -100.0f};
}

void MenuCursor::Render()
{
    DrawSpriteRecord(myRecord);
}
