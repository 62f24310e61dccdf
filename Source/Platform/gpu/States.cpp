// Pipeline state objects: descriptions kept for the context; samplers own a GL sampler.
#include "Platform/gpu/States.h"
#include "Platform/gpu/GlBackend.h"

namespace Plat::Gpu
{
    BlendState::BlendState(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, const BlendDesc& aDesc)
        : DeviceChild(std::move(aDevice))
        , myDesc(aDesc)
    {
    }

    DepthStencilState::DepthStencilState(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, const DepthStencilDesc& aDesc)
        : DeviceChild(std::move(aDevice))
        , myDesc(aDesc)
    {
    }

    RasterizerState::RasterizerState(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, const RasterizerDesc& aDesc)
        : DeviceChild(std::move(aDevice))
        , myDesc(aDesc)
    {
    }

    SamplerState::SamplerState(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, const SamplerDesc& aDesc, uint32_t aGlName)
        : DeviceChild(std::move(aDevice))
        , myDesc(aDesc)
        , myGlName(aGlName)
    {
    }

    SamplerState::~SamplerState()
    {
        if (myGlName != 0 && MakeDeviceCurrent())
        {
            glDeleteSamplers(1, &myGlName);
            myDevice->bindingsStale = true;
        }
    }
}
