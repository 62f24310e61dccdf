// The device's GL context and the base of the objects created on it.
#include "Platform/gpu/DeviceChild.h"
#include "Platform/gpu/GlBackend.h"

namespace Plat::Gpu
{
    namespace impl
    {
        DeviceState::~DeviceState()
        {
            if (loadingContext != nullptr)
            {
                if (SDL_GL_GetCurrentContext() == loadingContext)
                {
                    SDL_GL_MakeCurrent(nullptr, nullptr);
                }
                SDL_GL_DeleteContext(loadingContext);
            }
            if (loadingWindow != nullptr)
            {
                SDL_DestroyWindow(loadingWindow);
            }
            if (glContext != nullptr)
            {
                if (SDL_GL_GetCurrentContext() == glContext)
                {
                    SDL_GL_MakeCurrent(nullptr, nullptr);
                }
                SDL_GL_DeleteContext(glContext);
            }
        }

        bool DeviceState::MakeCurrent() const
        {
            if (glContext == nullptr)
            {
                return false;
            }
            const SDL_GLContext current = SDL_GL_GetCurrentContext();
            // A thread in a loading scope works on the loading context, which shares the objects.
            if (current == glContext || (current != nullptr && current == loadingContext))
            {
                return true;
            }
            return SDL_GL_MakeCurrent(window, glContext) == 0;
        }
    }

    DeviceChild::DeviceChild(std::shared_ptr<impl::DeviceState> aDevice)
        : myDevice(std::move(aDevice))
    {
    }

    DeviceChild::~DeviceChild() = default;

    bool DeviceChild::MakeDeviceCurrent() const
    {
        return myDevice && myDevice->MakeCurrent();
    }
}
