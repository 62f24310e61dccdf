#include "EngineAccess.h"

#include "forge/engine/Engine.h"
#include "forge/texture/TextureManager.h"

Kiln::GraphicsEngine* GetGraphicsEngine()
{
    Kiln::Engine* engine = Kiln::Engine::GetInstance();
    return engine != nullptr ? engine->GetGraphicsEngine() : nullptr;
}

Kiln::TextureResource* GetColourTexture(const char* aPath)
{
    Kiln::Engine* engine = Kiln::Engine::GetInstance();
    if (engine == nullptr || engine->GetTextureManager() == nullptr)
        return nullptr;
    return engine->GetTextureManager()->GetTexture(aPath, Kiln::TextureSrgbMode::ForceSrgb, false);
}
