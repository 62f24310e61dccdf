// Adapter enumeration: the GL renderer is the one adapter. Without a current context a
// hidden window and context are made just long enough to ask the driver.
#include "Platform/gpu/Adapter.h"
#include "Platform/gpu/GlBackend.h"
#include "Platform/gpu/WindowSetup.h"

#include <mutex>

namespace Plat::Gpu
{
    namespace
    {
        constexpr GLenum DedicatedVideoMemoryNvx = 0x9047; // GL_GPU_MEMORY_INFO_DEDICATED_VIDMEM_NVX, in KiB

        AdapterEnumerator& CurrentEnumerator()
        {
            static AdapterEnumerator enumerator;
            return enumerator;
        }

        bool IsCore45()
        {
            GLint major = 0;
            GLint minor = 0;
            glGetIntegerv(GL_MAJOR_VERSION, &major);
            glGetIntegerv(GL_MINOR_VERSION, &minor);
            return major > 4 || (major == 4 && minor >= 5);
        }

        AdapterDesc DescribeCurrentContext()
        {
            AdapterDesc desc;
            const GLubyte* renderer = glGetString(GL_RENDERER);
            desc.description = renderer ? reinterpret_cast<const char*>(renderer) : "OpenGL";
            if (epoxy_has_gl_extension("GL_NVX_gpu_memory_info"))
            {
                GLint kib = 0;
                glGetIntegerv(DedicatedVideoMemoryNvx, &kib);
                desc.dedicatedVideoMemory = static_cast<uint64_t>(kib > 0 ? kib : 0) * 1024u;
            }
            return desc;
        }

        std::vector<AdapterDesc> QueryDriver()
        {
            if (SDL_GL_GetCurrentContext() != nullptr)
            {
                if (!IsCore45())
                {
                    return {};
                }
                return {DescribeCurrentContext()};
            }
            if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
            {
                return {};
            }
            std::vector<AdapterDesc> result;
            PrepareWindowCreation();
            SDL_Window* window = SDL_CreateWindow("adapter query", 0, 0, 1, 1, WindowCreationFlags() | SDL_WINDOW_HIDDEN);
            if (window != nullptr)
            {
                SDL_GLContext context = SDL_GL_CreateContext(window);
                if (context != nullptr)
                {
                    if (IsCore45())
                    {
                        result.push_back(DescribeCurrentContext());
                    }
                    SDL_GL_MakeCurrent(nullptr, nullptr);
                    SDL_GL_DeleteContext(context);
                }
                SDL_DestroyWindow(window);
            }
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            return result;
        }

        // The driver does not change while the program runs: ask it once.
        std::vector<AdapterDesc> RealAdapters()
        {
            static std::mutex mutex;
            static std::vector<AdapterDesc> cached;
            std::lock_guard lock(mutex);
            if (cached.empty())
            {
                cached = QueryDriver();
            }
            return cached;
        }
    }

    std::vector<AdapterDesc> EnumerateAdapters()
    {
        if (CurrentEnumerator())
        {
            return CurrentEnumerator()();
        }
        return RealAdapters();
    }

    void SetAdapterEnumerator(AdapterEnumerator anEnumerator)
    {
        CurrentEnumerator() = std::move(anEnumerator);
    }
}
