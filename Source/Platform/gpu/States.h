#pragma once
// Immutable pipeline state objects. Blend, depth-stencil and rasterizer states are
// descriptions the context applies before a draw; a sampler state is a GL sampler object.
#include "Platform/gpu/DeviceChild.h"
#include "Platform/gpu/Types.h"

namespace Plat::Gpu
{
    class BlendState final : public DeviceChild
    {
    public:
        BlendState(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, const BlendDesc& aDesc);
        const BlendDesc& GetDesc() const { return myDesc; }

    private:
        BlendDesc myDesc;
    };

    class DepthStencilState final : public DeviceChild
    {
    public:
        DepthStencilState(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, const DepthStencilDesc& aDesc);
        const DepthStencilDesc& GetDesc() const { return myDesc; }

    private:
        DepthStencilDesc myDesc;
    };

    class RasterizerState final : public DeviceChild
    {
    public:
        RasterizerState(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, const RasterizerDesc& aDesc);
        const RasterizerDesc& GetDesc() const { return myDesc; }

    private:
        RasterizerDesc myDesc;
    };

    class SamplerState final : public DeviceChild
    {
    public:
        SamplerState(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, const SamplerDesc& aDesc, uint32_t aGlName);
        ~SamplerState() override;
        const SamplerDesc& GetDesc() const { return myDesc; }

    private:
        friend class DeviceContext;
        friend struct impl::ContextState;

        SamplerDesc myDesc;
        uint32_t myGlName = 0;
    };
}
