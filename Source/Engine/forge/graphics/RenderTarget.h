#pragma once
// A texture viewed as a render target, with the viewport that covers it.
#include "forge/graphics/Texture.h"
#include "forge/math/Vector.h"

#include "Platform/gpu/Resources.h"
#include "Platform/gpu/Types.h"

#include <memory>

namespace Kiln
{
    class DepthBuffer;

    class RenderTarget : public Texture
    {
    public:
        // A view in the texture's own format, or in aFormat (e.g. the sRGB form of a plain
        // format). A view that cannot be made fails the "SUCCEEDED(result)" assertion and
        // leaves the target empty.
        static RenderTarget CreateFromTexture(Plat::Gpu::Texture2D* aTexture);
        static RenderTarget CreateFromTexture(Plat::Gpu::Texture2D* aTexture, Plat::Gpu::Format aFormat);

        // aColor is linear light.
        void Clear(const Vector4<float>& aColor = {0.0f, 0.0f, 0.0f, 0.0f});
        Vector2<uint32_t> GetResolution() const;
        // Binds this target with aDepthBuffer's depth view (or none) and this viewport.
        void SetAsActiveTarget(DepthBuffer* aDepthBuffer = nullptr);

        const std::shared_ptr<Plat::Gpu::RenderTargetView>& GetRenderTargetView() const { return myRenderTargetView; }
        const std::shared_ptr<const Plat::Gpu::Viewport>& GetViewport() const { return myViewport; }

    private:
        static RenderTarget Make(Plat::Gpu::Texture2D* aTexture, const Plat::Gpu::RenderTargetViewDesc* aDesc);

        std::shared_ptr<Plat::Gpu::RenderTargetView> myRenderTargetView;
        std::shared_ptr<const Plat::Gpu::Viewport> myViewport;
    };
}
