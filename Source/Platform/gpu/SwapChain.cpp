// The swap chain: an offscreen back-buffer texture, blitted to the window on Present.
#include "Platform/gpu/SwapChain.h"
#include "Platform/gpu/Context.h"
#include "Platform/gpu/GlBackend.h"

#include <algorithm>

namespace Plat::Gpu
{
    using impl::Fail;

    namespace
    {
        bool IsBackBufferFormat(Format aFormat)
        {
            switch (aFormat)
            {
            case Format::B8G8R8A8_UNORM:
            case Format::B8G8R8A8_UNORM_SRGB:
            case Format::R8G8B8A8_UNORM:
            case Format::R8G8B8A8_UNORM_SRGB:
            case Format::R16G16B16A16_FLOAT:
            case Format::R10G10B10A2_UNORM: return true;
            default: return false;
            }
        }
    }

    SwapChain::SwapChain(CreationKey, std::shared_ptr<impl::DeviceState> aState, const SwapChainDesc& aDesc)
        : myState(std::move(aState))
        , myDesc(aDesc)
        , myIsFullscreen(!aDesc.windowed)
    {
    }

    SwapChain::~SwapChain()
    {
        myBackBuffer.reset();
        if (myState->MakeCurrent())
        {
            glDeleteFramebuffers(1, &myReadFramebuffer);
            glDeleteTextures(1, &myPresentView);
        }
    }

    bool SwapChain::CreateBackBuffer()
    {
        if (!myState->MakeCurrent())
        {
            return Fail("SwapChain", "the device's GL context cannot be made current");
        }
        int drawableWidth = 0;
        int drawableHeight = 0;
        SDL_GL_GetDrawableSize(myState->window, &drawableWidth, &drawableHeight);
        const uint32_t width = myDesc.width != 0 ? myDesc.width : static_cast<uint32_t>(drawableWidth > 0 ? drawableWidth : 1);
        const uint32_t height = myDesc.height != 0 ? myDesc.height : static_cast<uint32_t>(drawableHeight > 0 ? drawableHeight : 1);
        if (width > 16384 || height > 16384)
        {
            return Fail("SwapChain", "back-buffer width and height must be 1..16384");
        }
        const impl::GlFormat* format = impl::FindGlFormat(myDesc.format);
        Texture2DDesc desc;
        desc.width = width;
        desc.height = height;
        desc.format = myDesc.format;
        desc.bindFlags = Bind::RenderTarget | Bind::ShaderResource;
        GLuint name = 0;
        glCreateTextures(GL_TEXTURE_2D, 1, &name);
        glTextureStorage2D(name, 1, format->internalFormat, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
        glTextureParameteri(name, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTextureParameteri(name, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTextureParameteri(name, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTextureParameteri(name, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTextureParameteri(name, GL_TEXTURE_MAX_LEVEL, 0);
        myBackBuffer = std::make_shared<Texture2D>(CreationKey{}, myState, desc, name, GL_TEXTURE_2D);
        if (myReadFramebuffer == 0)
        {
            glCreateFramebuffers(1, &myReadFramebuffer);
        }
        // An sRGB back buffer is read through a plain view: Present copies the stored bytes.
        glDeleteTextures(1, &myPresentView);
        myPresentView = 0;
        GLuint readName = name;
        if (format->srgb)
        {
            glGenTextures(1, &myPresentView);
            glTextureView(myPresentView, GL_TEXTURE_2D, name, GL_RGBA8, 0, 1, 0, 1);
            readName = myPresentView;
        }
        glNamedFramebufferTexture(myReadFramebuffer, GL_COLOR_ATTACHMENT0, readName, 0);
        glNamedFramebufferReadBuffer(myReadFramebuffer, GL_COLOR_ATTACHMENT0);
        myDesc.width = width;
        myDesc.height = height;
        return true;
    }

    bool SwapChain::Present(uint32_t aSyncInterval, uint32_t someFlags)
    {
        (void)someFlags;
        // The record is built only while tracing, so presenting allocates nothing.
        if (myState->context != nullptr && myState->context->IsTraceEnabled())
        {
            // Present belongs to the frame's calls, so it shows in the context's trace.
            myState->context->AddToTrace({"Present", {this}, {aSyncInterval}});
        }
        if (!myBackBuffer || !myState->MakeCurrent())
        {
            return Fail("Present", "the swap chain has no back buffer or its GL context is lost");
        }
        const int interval = aSyncInterval > 0 ? 1 : 0;
        if (interval != myAppliedSwapInterval)
        {
            SDL_GL_SetSwapInterval(interval);
            myAppliedSwapInterval = interval;
        }
        int windowWidth = 0;
        int windowHeight = 0;
        SDL_GL_GetDrawableSize(myState->window, &windowWidth, &windowHeight);
        const GLint width = static_cast<GLint>(myDesc.width);
        const GLint height = static_cast<GLint>(myDesc.height);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glDisable(GL_FRAMEBUFFER_SRGB);
        glDisable(GL_SCISSOR_TEST);
        glColorMaski(0, GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        // Our row 0 is the top; the window's row 0 is the bottom.
        glBlitNamedFramebuffer(myReadFramebuffer, 0, 0, 0, width, height, 0, windowHeight, windowWidth, 0, GL_COLOR_BUFFER_BIT,
                               (width == windowWidth && height == windowHeight) ? GL_NEAREST : GL_LINEAR);
        SDL_GL_SwapWindow(myState->window);
        if (myState->context != nullptr)
        {
            myState->context->InvalidateAppliedState();
        }
        return true;
    }

    std::shared_ptr<Texture2D> SwapChain::GetBuffer(uint32_t anIndex) const
    {
        if (anIndex != 0)
        {
            Fail("GetBuffer", "only buffer 0 (the back buffer) can be read");
            return nullptr;
        }
        return myBackBuffer;
    }

    bool SwapChain::ResizeBuffers(uint32_t aBufferCount, uint32_t aWidth, uint32_t aHeight, Format aFormat, uint32_t someFlags)
    {
        (void)someFlags;
        if (aFormat != Format::UNKNOWN && !IsBackBufferFormat(aFormat))
        {
            return Fail("ResizeBuffers",
                        "format must be UNKNOWN (keep), B8G8R8A8, R8G8B8A8 (UNORM or _SRGB), R16G16B16A16_FLOAT or R10G10B10A2_UNORM");
        }
        if (aWidth > 16384 || aHeight > 16384)
        {
            return Fail("ResizeBuffers", "width and height must be at most 16384");
        }
        const SwapChainDesc previous = myDesc;
        if (aBufferCount != 0)
        {
            myDesc.bufferCount = aBufferCount;
        }
        if (aFormat != Format::UNKNOWN)
        {
            myDesc.format = aFormat;
        }
        const bool fromWindow = aWidth == 0 || aHeight == 0;
        myDesc.width = fromWindow ? 0 : aWidth;
        myDesc.height = fromWindow ? 0 : aHeight;
        if (!CreateBackBuffer())
        {
            myDesc = previous;
            return false;
        }
        return true;
    }

    bool SwapChain::ReadPresentedImage(std::vector<uint8_t>& someBytes, uint32_t& aWidth, uint32_t& aHeight)
    {
        someBytes.clear();
        aWidth = 0;
        aHeight = 0;
        if (!myState->MakeCurrent())
        {
            return Fail("ReadPresentedImage", "the device's GL context cannot be made current");
        }
        int width = 0;
        int height = 0;
        SDL_GL_GetDrawableSize(myState->window, &width, &height);
        if (width <= 0 || height <= 0)
        {
            return false;
        }
        std::vector<uint8_t> bottomUp(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
        const size_t row = static_cast<size_t>(width) * 4;
        someBytes.resize(bottomUp.size());
        for (int y = 0; y < height; ++y)
        {
            std::copy_n(bottomUp.data() + static_cast<size_t>(height - 1 - y) * row, row, someBytes.data() + static_cast<size_t>(y) * row);
        }
        aWidth = static_cast<uint32_t>(width);
        aHeight = static_cast<uint32_t>(height);
        return true;
    }

    bool SwapChain::SetFullscreenState(bool aFullscreen)
    {
        if (SDL_SetWindowFullscreen(myState->window, aFullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0)
        {
            return Fail("SetFullscreenState", std::string("the window cannot change its full-screen state: ") + SDL_GetError());
        }
        myIsFullscreen = aFullscreen;
        return true;
    }

    bool SwapChain::GetFullscreenState() const
    {
        return myIsFullscreen;
    }
}
