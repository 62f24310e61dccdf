#include "forge/effects/FullscreenPixelateEffect.h"

#include "forge/engine/Engine.h"

#include <cstring>

FullscreenPixelateEffect::FullscreenPixelateEffect(float aPixelSize) : myPixelSize(aPixelSize)
{
    myConstantData.myPixelSize = aPixelSize;
}

FullscreenPixelateEffect::~FullscreenPixelateEffect() = default;

bool FullscreenPixelateEffect::Init(const std::string& aPixelShaderName)
{
    using Kiln::DX11;
    if (DX11::Device == nullptr || DX11::SwapChain == nullptr)
        return false;

    Plat::Gpu::BufferDesc bufferDesc;
    bufferDesc.byteWidth = sizeof(ConstantData);
    bufferDesc.usage = Plat::Gpu::Usage::Dynamic;
    bufferDesc.bindFlags = Plat::Gpu::Bind::ConstantBuffer;
    bufferDesc.cpuAccessFlags = Plat::Gpu::CpuAccess::Write;
    myConstantBuffer = DX11::Device->CreateBuffer(bufferDesc);
    if (myConstantBuffer == nullptr)
        return false;

    const std::shared_ptr<Plat::Gpu::Texture2D> backBuffer = DX11::SwapChain->GetBuffer(0);
    if (backBuffer == nullptr)
        return false;
    const Plat::Gpu::Texture2DDesc backBufferDesc = backBuffer->GetDesc();

    Plat::Gpu::Texture2DDesc desc;
    desc.width = backBufferDesc.width;
    desc.height = backBufferDesc.height;
    desc.mipLevels = 1;
    desc.arraySize = 1;
    desc.format = backBufferDesc.format;
    desc.usage = Plat::Gpu::Usage::Default;
    desc.bindFlags = Plat::Gpu::Bind::ShaderResource | Plat::Gpu::Bind::RenderTarget | Plat::Gpu::Bind::UnorderedAccess;
    myTexture = DX11::Device->CreateTexture2D(desc);
    if (myTexture == nullptr)
        return false;
    myShaderResourceView = DX11::Device->CreateShaderResourceView(myTexture.get());
    if (myShaderResourceView == nullptr)
        return false;
    myRenderTargetView = DX11::Device->CreateRenderTargetView(myTexture.get());
    if (myRenderTargetView == nullptr)
        return false;

    myViewport = {0.0f, 0.0f, static_cast<float>(desc.width), static_cast<float>(desc.height), 0.0f, 1.0f};
    return FullscreenEffect::Init(aPixelShaderName);
}

void FullscreenPixelateEffect::Render()
{
    using Kiln::DX11;
    if (DX11::Context == nullptr || myConstantBuffer == nullptr)
        return;
    if (DX11::BackBuffer != nullptr)
        DX11::BackBuffer->SetAsActiveTarget(nullptr);

    const Kiln::Engine* engine = Kiln::Engine::GetInstance();
    const Kiln::Vector2<uint32_t> renderSize = engine != nullptr ? engine->GetRenderSize() : Kiln::Vector2<uint32_t>{};
    myConstantData = {myPixelSize, renderSize.x, renderSize.y, 0u};

    Plat::Gpu::DeviceContext& context = *DX11::Context;
    Plat::Gpu::MappedSubresource mapped;
    if (!context.Map(myConstantBuffer.get(), 0, Plat::Gpu::MapType::WriteDiscard, 0, &mapped))
        return;
    std::memcpy(mapped.data, &myConstantData, sizeof(myConstantData));
    context.Unmap(myConstantBuffer.get(), 0);

    Plat::Gpu::Buffer* const buffer = myConstantBuffer.get();
    context.PSSetConstantBuffers(CONSTANT_REGISTER, 1, &buffer);
    Plat::Gpu::ShaderResourceView* const view = myShaderResourceView.get();
    context.PSSetShaderResources(0, 1, &view);
    FullscreenEffect::Render();
}
