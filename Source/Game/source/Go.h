#pragma once
// The game's run, from the settings file to engine shutdown.
#include "forge/engine/EngineConfiguration.h"

// Loads the settings, starts the engine on a borderless desktop-sized window, runs the
// frame loop until the window closes, and shuts the engine down. A failed engine start
// pauses the console and returns.
void Go(const char* aScenePath);

// The window-message hook Go installs: posts the quit message on WM_DESTROY. Always 0.
Plat::Window::LRESULT GoWindowMessageHook(Kiln::HWND aWindow, Plat::Window::UINT aMessage, Plat::Window::WPARAM aWParam,
                                          Plat::Window::LPARAM aLParam);
