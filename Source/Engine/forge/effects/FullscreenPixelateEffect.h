#pragma once
// Shows its own back-buffer-sized texture in square blocks of the pixel size, drawn into
// the back buffer.
#include "forge/effects/FullscreenEffect.h"

#include "Platform/gpu/Types.h"

#include <cstdint>
#include <memory>

namespace Plat::Gpu
{
    class Buffer;
    class Texture2D;
    class ShaderResourceView;
    class RenderTargetView;
}

class FullscreenPixelateEffect : public Kiln::FullscreenEffect
{
public:
    // The layout of its constant buffer (pixel-shader register b13).
    struct ConstantData
    {
        float myPixelSize = 16.0f;
        uint32_t myRenderWidth = 0;
        uint32_t myRenderHeight = 0;
        uint32_t myZero = 0;
    };
    static_assert(sizeof(ConstantData) == 16);
    static constexpr uint32_t CONSTANT_REGISTER = 13;

    explicit FullscreenPixelateEffect(float aPixelSize = 16.0f);
    ~FullscreenPixelateEffect() override;

    bool Init(const std::string& aPixelShaderName) override;
    void Render() override;

    float GetPixelSize() const { return myPixelSize; }
    const ConstantData& GetConstantData() const { return myConstantData; }
    Plat::Gpu::Buffer* GetConstantBuffer() const { return myConstantBuffer.get(); }
    Plat::Gpu::ShaderResourceView* GetShaderResourceView() const { return myShaderResourceView.get(); }
    Plat::Gpu::RenderTargetView* GetRenderTargetView() const { return myRenderTargetView.get(); }
    const Plat::Gpu::Viewport& GetViewport() const { return myViewport; }

private:
    float myPixelSize = 16.0f;
    ConstantData myConstantData;
    std::shared_ptr<Plat::Gpu::Texture2D> myTexture;
    std::shared_ptr<Plat::Gpu::ShaderResourceView> myShaderResourceView;
    std::shared_ptr<Plat::Gpu::RenderTargetView> myRenderTargetView;
    std::shared_ptr<Plat::Gpu::Buffer> myConstantBuffer;
    Plat::Gpu::Viewport myViewport;
};
