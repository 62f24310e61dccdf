#pragma once
// Base of every object a device creates. Objects are reference counted through
// std::shared_ptr; each keeps the device's GL state alive, so objects may outlive the
// Device handle itself. The context keeps what is bound alive, as D3D does.
#include <memory>

namespace Plat::Gpu
{
    namespace impl
    {
        struct DeviceState;
        struct ContextState;
    }

    class Device;
    class DeviceContext;
    class SwapChain;
    struct AdapterDesc;
    struct SwapChainDesc;

    // Only the device, the context and the swap chain construct layer objects.
    class CreationKey
    {
        friend class Device;
        friend class DeviceContext;
        friend class SwapChain;
        friend bool CreateDeviceAndSwapChain(const AdapterDesc*, const SwapChainDesc&, std::shared_ptr<SwapChain>*,
                                             std::shared_ptr<Device>*, std::shared_ptr<DeviceContext>*);
        CreationKey() = default;
    };

    class DeviceChild : public std::enable_shared_from_this<DeviceChild>
    {
    public:
        virtual ~DeviceChild();
        DeviceChild(const DeviceChild&) = delete;
        DeviceChild& operator=(const DeviceChild&) = delete;

    protected:
        explicit DeviceChild(std::shared_ptr<impl::DeviceState> aDevice);
        // Makes the owning GL context current before GL names are deleted.
        bool MakeDeviceCurrent() const;

        std::shared_ptr<impl::DeviceState> myDevice;
    };
}
