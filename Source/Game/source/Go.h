#pragma once
// The game's run, from the settings file to engine shutdown.
#include "forge/engine/EngineConfiguration.h"

#include <stdexcept>

namespace Kiln
{
    class InputManager;
}

// The input manager Go creates, for the window-message hook; null outside Go's run.
extern Kiln::InputManager* gInputManager;

// Thrown by Go when the engine does not start; its text names what failed.
struct EngineStartFailure : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

// Loads the settings, starts the engine on a borderless desktop-sized window, runs the
// frame loop until the window closes, and shuts the engine down. A settings file that cannot
// be opened throws std::runtime_error naming it; a failed engine start throws
// EngineStartFailure.
void Go(const char* aScenePath);

// Go's edits of the loaded configuration: window position and size, render size from aDesktop (the desktop
// window's rectangle, which need not start at 0), borderless, Go's window-message hook, and
// the file watcher as the only debug feature.
void ConfigureForTheDesktop(Kiln::EngineConfiguration& aConfig, const Plat::Window::Rect& aDesktop);

// The window-message hook Go installs: feeds the input manager and posts the quit message
// on a WM_DESTROY the input manager did not use. Always 0.
Plat::Window::LRESULT GoWindowMessageHook(Kiln::HWND aWindow, Plat::Window::UINT aMessage, Plat::Window::WPARAM aWParam,
                                          Plat::Window::LPARAM aLParam);
