#include "ParallaxBackground.h"

#include "forge/drawers/SpriteDrawer.h"
#include "forge/engine/Engine.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/graphics/GraphicsStateStack.h"
#include "forge/graphics/Texture.h"
#include "forge/shaders/SpriteShader.h"
#include "forge/texture/TextureManager.h"
#include "forge/texture/TextureResource.h"

ParallaxBackground::ParallaxBackground(const std::string& aTexturePath, const Kiln::Vector2<float>& aRepetitionSize)
    : myRepetitionSize(aRepetitionSize)
{
    myInstance.myPivot = {0.5f, 0.5f};
    myInstance.mySizeMultiplier = {1.0f, 1.0f};
    myInstance.myTextureRect = {0.0f, 0.0f, 1.0f, 1.0f};
    myInstance.myColor = {1.0f, 1.0f, 1.0f, 1.0f};
    myInstance.myCustomData = {0.0f, 0.0f, 1.0f, 1.0f};
    myInstance.myRotation = 0.0f;
    myInstance.myIsHidden = false;

    Kiln::Engine* engine = Kiln::Engine::GetInstance();
    // Read as plain 8-bit values, which the software rasteriser filters several times faster
    // than sRGB texels; the pixel shader turns them into linear light itself.
    if (engine != nullptr)
        mySharedData.myTextures[0] = engine->GetTextureManager()->GetTexture(aTexturePath.c_str(), Kiln::TextureSrgbMode::IgnoreSrgb, false);

    myShader = std::make_unique<Kiln::SpriteShader>();
    // Without its pixel shader the background still shows, unscrolled.
    if (myShader->Init("shaders/instanced_sprite_shader_vs", PIXEL_SHADER))
        mySharedData.myCustomShader = myShader.get();

    const float width = engine != nullptr ? static_cast<float>(engine->GetRenderSize().x) : 0.0f;
    float height = width;
    if (const Kiln::Texture* texture = mySharedData.myTextures[0])
    {
        const Kiln::Vector2<uint32_t> pixels = Kiln::GetTextureSize(*texture);
        if (pixels.x > 0)
            height = width * static_cast<float>(pixels.y) / static_cast<float>(pixels.x);
    }
    myInstance.mySize = {width, height};
    myInstance.myPosition = {width / 2.0f, height / 2.0f};
}

ParallaxBackground::~ParallaxBackground() = default;

void ParallaxBackground::Render(Kiln::SpriteDrawer& aSpriteDrawer, const Kiln::Vector3<float>& aCameraPosition)
{
    myShader->SetDataBufferVector4({aCameraPosition.x, aCameraPosition.y, myRepetitionSize.x, myRepetitionSize.y}, 0);
    // The backdrop is opaque and drawn first: no blending with what is below, and one mip
    // level per sample, as each layer keeps one scale on screen.
    Kiln::Engine* engine = Kiln::Engine::GetInstance();
    Kiln::GraphicsStateStack* states = engine != nullptr && engine->GetGraphicsEngine() != nullptr
                                           ? engine->GetGraphicsEngine()->GetGraphicsStateStack()
                                           : nullptr;
    if (states != nullptr)
    {
        states->Push();
        states->SetBlendState(0u);
        states->SetSamplerState(1u, 1u);
    }
    {
        Kiln::SpriteBatchScope batch = aSpriteDrawer.BeginBatch(mySharedData);
        batch.Draw(myInstance);
    }
    if (states != nullptr)
        states->Pop();
}
