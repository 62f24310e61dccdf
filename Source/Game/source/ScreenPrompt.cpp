#include "ScreenPrompt.h"

#include "InputEvent.h"
#include "InputMapper.h"

#include "forge/engine/Engine.h"
#include "forge/texture/TextureManager.h"

Kiln::Vector2<float> GetScreenSize()
{
    const Kiln::Engine* engine = Kiln::Engine::GetInstance();
    if (engine == nullptr)
        return {0.0f, 0.0f};
    const Kiln::Vector2<uint32_t> size = engine->GetRenderSize();
    return {static_cast<float>(size.x), static_cast<float>(size.y)};
}

Kiln::SpriteSharedData LoadScreenPicture(const char* aPath)
{
    Kiln::SpriteSharedData picture;
    const Kiln::Engine* engine = Kiln::Engine::GetInstance();
    if (engine != nullptr && engine->GetTextureManager() != nullptr)
        picture.myTextures[0] = engine->GetTextureManager()->GetTexture(aPath ? aPath : "", Kiln::TextureSrgbMode::ForceSrgb, false);
    return picture;
}

bool IsGamepadActive()
{
    return InputMapper::GetInstance().GetActiveDevice() == InputDevice::Gamepad;
}
