#include "forge/graphics/DepthBuffer.h"

#include "forge/graphics/DX11.h"

#include "Platform/gpu/Context.h"
#include "Platform/gpu/Device.h"
#include "Platform/runtime/Assert.h"

namespace Kiln
{
    namespace G = Plat::Gpu;

    DepthBuffer DepthBuffer::Create(const Vector2<uint32_t>& aSize)
    {
        DepthBuffer buffer;
        auto viewport = std::make_shared<G::Viewport>();
        viewport->width = static_cast<float>(aSize.x);
        viewport->height = static_cast<float>(aSize.y);
        buffer.myViewport = std::move(viewport);

        std::shared_ptr<G::Texture2D> texture;
        if (DX11::Device != nullptr)
        {
            G::Texture2DDesc desc;
            desc.width = aSize.x;
            desc.height = aSize.y;
            desc.mipLevels = 1;
            desc.arraySize = 1;
            desc.format = G::Format::R32_TYPELESS;
            desc.sampleDesc = {1, 0};
            desc.usage = G::Usage::Default;
            desc.bindFlags = G::Bind::DepthStencil | G::Bind::ShaderResource;
            texture = DX11::Device->CreateTexture2D(desc);
        }
        KILN_ASSERT_AS(texture != nullptr, "SUCCEEDED(result)");
        if (!texture)
            return buffer;

        G::DepthStencilViewDesc depthDesc;
        depthDesc.format = G::Format::D32_FLOAT;
        depthDesc.viewDimension = G::DsvDimension::Texture2D;
        depthDesc.mipSlice = 0;
        buffer.myDepthStencilView = DX11::Device->CreateDepthStencilView(texture.get(), &depthDesc);
        KILN_ASSERT_AS(buffer.myDepthStencilView != nullptr, "SUCCEEDED(result)");

        G::ShaderResourceViewDesc viewDesc;
        viewDesc.format = G::Format::R32_FLOAT;
        viewDesc.viewDimension = G::SrvDimension::Texture2D;
        viewDesc.mostDetailedMip = 0;
        viewDesc.mipLevels = G::AllMipLevels;
        buffer.myShaderResourceView = DX11::Device->CreateShaderResourceView(texture.get(), &viewDesc);
        KILN_ASSERT_AS(buffer.myShaderResourceView != nullptr, "SUCCEEDED(result)");
        return buffer;
    }

    void DepthBuffer::Clear(float aClearDepthValue, uint8_t aClearStencilValue)
    {
        if (DX11::Context == nullptr || !myDepthStencilView)
            return;
        DX11::Context->ClearDepthStencilView(myDepthStencilView.get(), G::ClearFlag::Depth | G::ClearFlag::Stencil,
                                             aClearDepthValue, aClearStencilValue);
    }
}
