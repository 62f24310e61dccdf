#pragma once
// The level's background: one screen-wide quad behind everything whose pixel shader
// scrolls and repeats the texture in layers as the camera moves. The quad itself never
// moves; it keeps the texture's aspect ratio and starts at the bottom of the screen.
#include "forge/drawers/Sprite2DInstanceData.h"
#include "forge/drawers/SpriteSharedData.h"
#include "forge/math/Vector.h"

#include <memory>
#include <string>

namespace Kiln
{
    class SpriteDrawer;
    class SpriteShader;
}

class ParallaxBackground
{
public:
    static constexpr const char* PIXEL_SHADER = "shaders/ParallaxBackground_PS";

    // aRepetitionSize: camera travel (world units, x and y) over which the nearest layer
    // scrolls by one whole texture.
    ParallaxBackground(const std::string& aTexturePath, const Kiln::Vector2<float>& aRepetitionSize);
    ~ParallaxBackground();
    ParallaxBackground(const ParallaxBackground&) = delete;
    ParallaxBackground& operator=(const ParallaxBackground&) = delete;

    void Render(Kiln::SpriteDrawer& aSpriteDrawer, const Kiln::Vector3<float>& aCameraPosition);

    const Kiln::Sprite2DInstanceData& GetInstance() const { return myInstance; }
    const Kiln::SpriteSharedData& GetSharedData() const { return mySharedData; }
    const Kiln::Vector2<float>& GetRepetitionSize() const { return myRepetitionSize; }

private:
    Kiln::Sprite2DInstanceData myInstance;
    Kiln::SpriteSharedData mySharedData;
    std::unique_ptr<Kiln::SpriteShader> myShader;
    Kiln::Vector2<float> myRepetitionSize;
};
