#pragma once
// Buffers, 2D textures (arrays and cubes included) and the three kinds of views.
// Created by Device; every object reports the description it was created with.
#include "Platform/gpu/DeviceChild.h"
#include "Platform/gpu/Types.h"

#include <cstdint>
#include <vector>

namespace Plat::Gpu
{
    class Resource : public DeviceChild
    {
    public:
        virtual ResourceDimension GetType() const = 0;

    protected:
        using DeviceChild::DeviceChild;
    };

    class Buffer final : public Resource
    {
    public:
        Buffer(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, const BufferDesc& aDesc, uint32_t aGlName);
        ~Buffer() override;

        ResourceDimension GetType() const override { return ResourceDimension::Buffer; }
        const BufferDesc& GetDesc() const { return myDesc; }

    private:
        friend class Device;
        friend class DeviceContext;
        friend struct impl::ContextState;

        BufferDesc myDesc;
        uint32_t myGlName = 0;
        std::vector<uint8_t> myMapMemory;  // CPU copy handed out by Map, uploaded by Unmap
        bool myIsMapped = false;
        MapType myMapType = MapType::WriteDiscard;
    };

    class Texture2D final : public Resource
    {
    public:
        Texture2D(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, const Texture2DDesc& aDesc,
                  uint32_t aGlName, uint32_t aGlTarget);
        ~Texture2D() override;

        ResourceDimension GetType() const override { return ResourceDimension::Texture2D; }
        // The description with mipLevels resolved (0 at creation becomes the full chain count).
        const Texture2DDesc& GetDesc() const { return myDesc; }

    private:
        friend class Device;
        friend class DeviceContext;
        friend struct impl::ContextState;
        friend class SwapChain;

        Texture2DDesc myDesc;
        uint32_t myGlName = 0;
        uint32_t myGlTarget = 0;
        std::vector<uint8_t> myMapMemory;
        int64_t myMappedSubresource = -1;
        MapType myMapType = MapType::WriteDiscard;
    };

    class ShaderResourceView final : public DeviceChild
    {
    public:
        ShaderResourceView(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, std::shared_ptr<Resource> aResource,
                           const ShaderResourceViewDesc& aDesc, uint32_t aGlName, uint32_t aGlTarget, bool anOwnsGlName);
        ~ShaderResourceView() override;

        const ShaderResourceViewDesc& GetDesc() const { return myDesc; }
        const std::shared_ptr<Resource>& GetResource() const { return myResource; }

    private:
        friend class Device;
        friend class DeviceContext;
        friend struct impl::ContextState;

        std::shared_ptr<Resource> myResource;
        ShaderResourceViewDesc myDesc;
        uint32_t myGlName = 0;      // the texture itself, or a GL texture view of it
        uint32_t myGlTarget = 0;
        bool myOwnsGlName = false;
    };

    class RenderTargetView final : public DeviceChild
    {
    public:
        RenderTargetView(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, std::shared_ptr<Resource> aResource,
                         const RenderTargetViewDesc& aDesc, uint32_t aGlName, int32_t aGlLevel, int32_t aGlLayer,
                         bool anOwnsGlName);
        ~RenderTargetView() override;

        const RenderTargetViewDesc& GetDesc() const { return myDesc; }
        const std::shared_ptr<Resource>& GetResource() const { return myResource; }

    private:
        friend class Device;
        friend class DeviceContext;
        friend struct impl::ContextState;

        std::shared_ptr<Resource> myResource;
        RenderTargetViewDesc myDesc;
        uint32_t myGlName = 0;      // attached to the framebuffer (texture or texture view)
        int32_t myGlLevel = 0;
        int32_t myGlLayer = -1;     // -1: not layered
        bool myOwnsGlName = false;
    };

    class DepthStencilView final : public DeviceChild
    {
    public:
        DepthStencilView(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, std::shared_ptr<Resource> aResource,
                         const DepthStencilViewDesc& aDesc, uint32_t aGlName, int32_t aGlLevel, int32_t aGlLayer,
                         bool aHasStencil);
        ~DepthStencilView() override;

        const DepthStencilViewDesc& GetDesc() const { return myDesc; }
        const std::shared_ptr<Resource>& GetResource() const { return myResource; }

    private:
        friend class Device;
        friend class DeviceContext;
        friend struct impl::ContextState;

        std::shared_ptr<Resource> myResource;
        DepthStencilViewDesc myDesc;
        uint32_t myGlName = 0;
        int32_t myGlLevel = 0;
        int32_t myGlLayer = -1;
        bool myHasStencil = false;
    };
}
