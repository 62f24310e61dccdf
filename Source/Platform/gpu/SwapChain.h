#pragma once
// The swap chain: one offscreen back buffer (a texture, so views of its sRGB and plain
// formats can both be made), presented by a blit to the window, flipped to the window's
// bottom-up orientation. Rows of the back buffer are top first, like every texture here.
#include "Platform/gpu/DeviceChild.h"
#include "Platform/gpu/Resources.h"
#include "Platform/gpu/Types.h"

#include <memory>
#include <vector>

namespace Plat::Gpu
{
    class SwapChain
    {
    public:
        SwapChain(CreationKey, std::shared_ptr<impl::DeviceState> aState, const SwapChainDesc& aDesc);
        ~SwapChain();
        SwapChain(const SwapChain&) = delete;
        SwapChain& operator=(const SwapChain&) = delete;

        // Blits the back buffer to the window (scaled when sizes differ) and swaps.
        // aSyncInterval 0 presents at once, 1 or more waits for vertical sync.
        bool Present(uint32_t aSyncInterval, uint32_t someFlags = 0);

        // Buffer 0 is the back buffer; any other index gives null.
        std::shared_ptr<Texture2D> GetBuffer(uint32_t anIndex) const;

        // Replaces the back buffer with a new texture. Width or height 0 take the window's
        // drawable size; Format::UNKNOWN keeps the format; aBufferCount 0 keeps the count.
        // Views of the old buffer stay valid but refer to the old texture: release them
        // and make new ones from GetBuffer(0).
        bool ResizeBuffers(uint32_t aBufferCount, uint32_t aWidth, uint32_t aHeight, Format aFormat, uint32_t someFlags = 0);

        // Full screen is the window made full-screen at desktop resolution.
        bool SetFullscreenState(bool aFullscreen);
        bool GetFullscreenState() const;

        const SwapChainDesc& GetDesc() const { return myDesc; }

        // What the window shows after the last Present, as R, G, B, A bytes, top row first
        // (tests of Present; the back buffer itself is read with ReadSubresource).
        bool ReadPresentedImage(std::vector<uint8_t>& someBytes, uint32_t& aWidth, uint32_t& aHeight);

    private:
        friend bool CreateDeviceAndSwapChain(const AdapterDesc*, const SwapChainDesc&, std::shared_ptr<SwapChain>*,
                                             std::shared_ptr<Device>*, std::shared_ptr<DeviceContext>*);
        bool CreateBackBuffer();

        std::shared_ptr<impl::DeviceState> myState;
        SwapChainDesc myDesc;
        std::shared_ptr<Texture2D> myBackBuffer;
        uint32_t myReadFramebuffer = 0;
        uint32_t myPresentView = 0;    // plain-format view of an sRGB back buffer, so the blit copies bytes
        int32_t myAppliedSwapInterval = -2;
        bool myIsFullscreen = false;
    };
}
