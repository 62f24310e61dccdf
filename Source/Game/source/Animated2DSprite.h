#pragma once
// A looping flip-book from a sprite sheet of equal cells, read row by row from the top
// left: one sprite instance, its shared data with the sprite's own shader, and a frame
// clock. The current cell goes to the shader in the instance's custom data; the texture
// rectangle stays the whole texture.
#include "forge/drawers/Sprite2DInstanceData.h"
#include "forge/drawers/SpriteSharedData.h"
#include "forge/math/Vector.h"

#include <cstdint>

namespace Kiln
{
    class SpriteDrawer;
    class SpriteShader;
    class TextureResource;
}

class Animated2DSprite
{
public:
    // Defaults: one cell, one frame, one frame per second; the shader is
    // "shaders/instanced_sprite_shader_vs" with "shaders/AlphaSpriteShaderPS".
    Animated2DSprite();
    ~Animated2DSprite();
    Animated2DSprite(const Animated2DSprite&) = delete;
    Animated2DSprite& operator=(const Animated2DSprite&) = delete;

    // Texture slot 0; the instance size becomes one cell of it in pixels.
    void SetTexture(Kiln::TextureResource* aTexture);
    // Zero counts or a zero rate are refused (asserted) and change nothing.
    void SetRowsAndColumns(uint32_t aRowCount, uint32_t aColumnCount);
    void SetFrames(uint32_t aFramesCount);
    void SetFrameRate(float someFramesPerSecond);
    void SetPivot(const Kiln::Vector2<float>& aPivot) { myInstance.myPivot = aPivot; }
    // The size multiplier.
    void SetScale(const Kiln::Vector2<float>& aScale) { myInstance.mySizeMultiplier = aScale; }
    void SetPosition(const Kiln::Vector2<float>& aPosition) { myInstance.myPosition = aPosition; }

    // Advances the clock (several cells after a long frame, in bounded work for any step)
    // and writes the current cell.
    void Update(float aDeltaTime);
    // One batch with the shared data and the one instance.
    void Render(Kiln::SpriteDrawer& aSpriteDrawer) const;

    const Kiln::Sprite2DInstanceData& GetInstance() const { return myInstance; }
    const Kiln::SpriteSharedData& GetSharedData() const { return mySharedData; }
    uint32_t GetCurrentFrame() const { return myCurrentFrame; }
    float GetFrameTimer() const { return myFrameTimer; }
    float GetSecondsPerFrame() const { return mySecondsPerFrame; }
    uint32_t GetRows() const { return myRows; }
    uint32_t GetColumns() const { return myColumns; }
    uint32_t GetFrameCount() const { return myFrameCount; }

private:
    // Periods in one step beyond which the clock skips whole periods at once.
    static constexpr float LONG_STEP_PERIODS = 1024.0f;

    void UpdateCellSize();

    Kiln::Sprite2DInstanceData myInstance;
    Kiln::SpriteSharedData mySharedData;
    float myCellWidth = 0.0f;   // UV
    float myCellHeight = 0.0f;  // UV
    float mySecondsPerFrame = 1.0f;
    float myFrameTimer = 0.0f;
    uint32_t myRows = 1;
    uint32_t myColumns = 1;
    uint32_t myFrameCount = 1;
    uint32_t myCurrentFrame = 0;
};
