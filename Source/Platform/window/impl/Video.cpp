#include "Platform/window/impl/NativeWindow.h"

#include <SDL.h>

#include <cstdio>
#include <thread>

namespace Plat::Window::impl
{
    namespace
    {
        struct VideoState
        {
            bool started = false;
            bool failed = false;
            std::thread::id thread;
        };

        VideoState& State()
        {
            static VideoState state;
            return state;
        }
    }

    bool EnsureVideo()
    {
        VideoState& state = State();
        if (state.started)
            return true;
        if (state.failed)
            return false;
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
        {
            std::fprintf(stderr, "Window: SDL video could not start: %s\n", SDL_GetError());
            state.failed = true;
            return false;
        }
        state.started = true;
        state.thread = std::this_thread::get_id();
        return true;
    }

    bool IsVideoStarted()
    {
        return State().started;
    }

    bool IsVideoThread()
    {
        return State().started && State().thread == std::this_thread::get_id();
    }

    DWORD TicksNow()
    {
        return static_cast<DWORD>(SDL_GetTicks64());
    }
}
