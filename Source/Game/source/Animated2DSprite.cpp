#include "Animated2DSprite.h"

#include "forge/drawers/SpriteDrawer.h"
#include "forge/graphics/Texture.h"
#include "forge/shaders/SpriteShader.h"
#include "forge/texture/TextureResource.h"

#include "Platform/runtime/Assert.h"

#include <cmath>

Animated2DSprite::Animated2DSprite()
{
    auto* shader = new Kiln::SpriteShader();
    shader->Init("shaders/instanced_sprite_shader_vs", "shaders/AlphaSpriteShaderPS");
    mySharedData.myCustomShader = shader;
}

Animated2DSprite::~Animated2DSprite()
{
    delete mySharedData.myCustomShader;
}

void Animated2DSprite::SetTexture(Kiln::TextureResource* aTexture)
{
    mySharedData.myTextures[0] = aTexture;
    UpdateCellSize();
}

void Animated2DSprite::SetRowsAndColumns(uint32_t aRowCount, uint32_t aColumnCount)
{
    KILN_ASSERT(aRowCount != 0u && aColumnCount != 0u && "Animated2DSprite::SetRowsAndColumns() received an argument with a zero value");
    // A zero count would divide by zero in every update: keep the grid we have.
    if (aRowCount == 0u || aColumnCount == 0u)
        return;
    myRows = aRowCount;
    myColumns = aColumnCount;
    UpdateCellSize();
}

void Animated2DSprite::SetFrames(uint32_t aFramesCount)
{
    KILN_ASSERT(aFramesCount != 0u && "Animated2DSprite::SetFrames() was called with a zero value");
    if (aFramesCount == 0u)
        return;
    myFrameCount = aFramesCount;
    if (myCurrentFrame >= myFrameCount)
        myCurrentFrame = 0;
}

void Animated2DSprite::SetFrameRate(float someFramesPerSecond)
{
    KILN_ASSERT(someFramesPerSecond != 0.0f && "Animated2DSprite::SetFrameRate() was called with a zero value");
    // The clock needs a period above zero: zero, negative, NaN and infinite rates keep the old one.
    const float seconds = 1.0f / someFramesPerSecond;
    if (!(someFramesPerSecond > 0.0f) || !(seconds > 0.0f))
        return;
    mySecondsPerFrame = seconds;
}

void Animated2DSprite::UpdateCellSize()
{
    myCellWidth = 1.0f / static_cast<float>(myColumns);
    myCellHeight = 1.0f / static_cast<float>(myRows);
    if (const Kiln::Texture* texture = mySharedData.myTextures[0])
    {
        const Kiln::Vector2<uint32_t> pixels = Kiln::GetTextureSize(*texture);
        myInstance.mySize = {static_cast<float>(pixels.x) * myCellWidth, static_cast<float>(pixels.y) * myCellHeight};
    }
}

void Animated2DSprite::Update(float aDeltaTime)
{
    // A step that is not a number (or infinite) leaves the clock as it is.
    const float timer = myFrameTimer + aDeltaTime;
    if (std::isfinite(timer))
        myFrameTimer = timer;
    // Frame by frame, a huge step would take for ever (and a float timer that dwarfs the
    // period stops shrinking): far beyond a loop's worth, whole periods are skipped at once.
    if (myFrameTimer >= LONG_STEP_PERIODS * mySecondsPerFrame)
    {
        const double periods = std::floor(static_cast<double>(myFrameTimer) / mySecondsPerFrame);
        const auto frames = static_cast<uint64_t>(std::fmod(periods, static_cast<double>(myFrameCount)));
        myCurrentFrame = static_cast<uint32_t>((myCurrentFrame + frames) % myFrameCount);
        myFrameTimer = static_cast<float>(std::fmod(static_cast<double>(myFrameTimer), static_cast<double>(mySecondsPerFrame)));
    }
    while (myFrameTimer >= mySecondsPerFrame)
    {
        myFrameTimer -= mySecondsPerFrame;
        myCurrentFrame = myCurrentFrame + 1 >= myFrameCount ? 0 : myCurrentFrame + 1;
    }

    const uint32_t column = myCurrentFrame % myColumns;
    const uint32_t row = myCurrentFrame / myColumns;
    const float left = static_cast<float>(column) * myCellWidth;
    const float top = static_cast<float>(row) * myCellHeight;
    myInstance.myCustomData = {left, top, left + myCellWidth, top + myCellHeight};
}

void Animated2DSprite::Render(Kiln::SpriteDrawer& aSpriteDrawer) const
{
    Kiln::SpriteBatchScope batch = aSpriteDrawer.BeginBatch(mySharedData);
    batch.Draw(myInstance);
}
