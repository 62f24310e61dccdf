// Lifetime of buffers, textures and views: each deletes its GL names with it.
#include "Platform/gpu/Resources.h"
#include "Platform/gpu/GlBackend.h"

namespace Plat::Gpu
{
    Buffer::Buffer(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, const BufferDesc& aDesc, uint32_t aGlName)
        : Resource(std::move(aDevice))
        , myDesc(aDesc)
        , myGlName(aGlName)
    {
    }

    Buffer::~Buffer()
    {
        if (myGlName != 0 && MakeDeviceCurrent())
        {
            glDeleteBuffers(1, &myGlName);
            myDevice->bindingsStale = true;
        }
    }

    Texture2D::Texture2D(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, const Texture2DDesc& aDesc, uint32_t aGlName,
                         uint32_t aGlTarget)
        : Resource(std::move(aDevice))
        , myDesc(aDesc)
        , myGlName(aGlName)
        , myGlTarget(aGlTarget)
    {
    }

    Texture2D::~Texture2D()
    {
        if (myGlName != 0 && MakeDeviceCurrent())
        {
            glDeleteTextures(1, &myGlName);
            myDevice->bindingsStale = true;
        }
    }

    ShaderResourceView::ShaderResourceView(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, std::shared_ptr<Resource> aResource,
                                           const ShaderResourceViewDesc& aDesc, uint32_t aGlName, uint32_t aGlTarget, bool anOwnsGlName)
        : DeviceChild(std::move(aDevice))
        , myResource(std::move(aResource))
        , myDesc(aDesc)
        , myGlName(aGlName)
        , myGlTarget(aGlTarget)
        , myOwnsGlName(anOwnsGlName)
    {
    }

    ShaderResourceView::~ShaderResourceView()
    {
        if (myOwnsGlName && MakeDeviceCurrent())
        {
            glDeleteTextures(1, &myGlName);
            myDevice->bindingsStale = true;
        }
    }

    RenderTargetView::RenderTargetView(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, std::shared_ptr<Resource> aResource,
                                       const RenderTargetViewDesc& aDesc, uint32_t aGlName, int32_t aGlLevel, int32_t aGlLayer,
                                       bool anOwnsGlName)
        : DeviceChild(std::move(aDevice))
        , myResource(std::move(aResource))
        , myDesc(aDesc)
        , myGlName(aGlName)
        , myGlLevel(aGlLevel)
        , myGlLayer(aGlLayer)
        , myOwnsGlName(anOwnsGlName)
    {
    }

    RenderTargetView::~RenderTargetView()
    {
        if (myOwnsGlName && MakeDeviceCurrent())
        {
            glDeleteTextures(1, &myGlName);
            myDevice->bindingsStale = true;
        }
    }

    DepthStencilView::DepthStencilView(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, std::shared_ptr<Resource> aResource,
                                       const DepthStencilViewDesc& aDesc, uint32_t aGlName, int32_t aGlLevel, int32_t aGlLayer,
                                       bool aHasStencil)
        : DeviceChild(std::move(aDevice))
        , myResource(std::move(aResource))
        , myDesc(aDesc)
        , myGlName(aGlName)
        , myGlLevel(aGlLevel)
        , myGlLayer(aGlLayer)
        , myHasStencil(aHasStencil)
    {
    }

    DepthStencilView::~DepthStencilView() = default;
}
