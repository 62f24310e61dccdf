#pragma once
// The game's run, from the settings file to engine shutdown.
#include "forge/engine/EngineConfiguration.h"

namespace Kiln
{
    class InputManager;
}

// The input manager Go creates, for the window-message hook; null outside Go's run.
extern Kiln::InputManager* gInputManager;

// Loads the settings, starts the engine on a borderless desktop-sized window, runs the
// frame loop until the window closes, and shuts the engine down. A failed engine start
// pauses the console and returns.
void Go(const char* aScenePath);

// The window-message hook Go installs: feeds the input manager and posts the quit message
// on a WM_DESTROY the input manager did not use. Always 0.
Plat::Window::LRESULT GoWindowMessageHook(Kiln::HWND aWindow, Plat::Window::UINT aMessage, Plat::Window::WPARAM aWParam,
                                          Plat::Window::LPARAM aLParam);
