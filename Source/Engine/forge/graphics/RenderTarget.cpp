#include "forge/graphics/RenderTarget.h"

#include "forge/graphics/DX11.h"
#include "forge/graphics/DepthBuffer.h"

#include "Platform/gpu/Context.h"
#include "Platform/gpu/Device.h"
#include "Platform/runtime/Assert.h"

namespace Kiln
{
    RenderTarget RenderTarget::CreateFromTexture(Plat::Gpu::Texture2D* aTexture)
    {
        return Make(aTexture, nullptr);
    }

    RenderTarget RenderTarget::CreateFromTexture(Plat::Gpu::Texture2D* aTexture, Plat::Gpu::Format aFormat)
    {
        Plat::Gpu::RenderTargetViewDesc desc;
        desc.format = aFormat;
        desc.viewDimension = Plat::Gpu::RtvDimension::Texture2D;
        desc.mipSlice = 0;
        return Make(aTexture, &desc);
    }

    RenderTarget RenderTarget::Make(Plat::Gpu::Texture2D* aTexture, const Plat::Gpu::RenderTargetViewDesc* aDesc)
    {
        RenderTarget target;
        if (DX11::Device != nullptr && aTexture != nullptr)
            target.myRenderTargetView = DX11::Device->CreateRenderTargetView(aTexture, aDesc);
        KILN_ASSERT_AS(target.myRenderTargetView != nullptr, "SUCCEEDED(result)");
        if (aTexture != nullptr)
        {
            const auto& desc = aTexture->GetDesc();
            auto viewport = std::make_shared<Plat::Gpu::Viewport>();
            viewport->width = static_cast<float>(desc.width);
            viewport->height = static_cast<float>(desc.height);
            target.myViewport = std::move(viewport);
        }
        return target;
    }

    void RenderTarget::Clear(const Vector4<float>& aColor)
    {
        if (DX11::Context == nullptr || !myRenderTargetView)
            return;
        const float color[4] = {aColor.x, aColor.y, aColor.z, aColor.w};
        DX11::Context->ClearRenderTargetView(myRenderTargetView.get(), color);
    }

    Vector2<uint32_t> RenderTarget::GetResolution() const
    {
        if (!myViewport)
            return {0, 0};
        return {static_cast<uint32_t>(myViewport->width), static_cast<uint32_t>(myViewport->height)};
    }

    void RenderTarget::SetAsActiveTarget(DepthBuffer* aDepthBuffer)
    {
        if (DX11::Context == nullptr)
            return;
        Plat::Gpu::RenderTargetView* views[1] = {myRenderTargetView.get()};
        Plat::Gpu::DepthStencilView* depth = aDepthBuffer != nullptr ? aDepthBuffer->GetDepthStencilView().get() : nullptr;
        DX11::Context->OMSetRenderTargets(1, views, depth);
        if (myViewport)
            DX11::Context->RSSetViewports(1, myViewport.get());
    }
}
