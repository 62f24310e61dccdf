#pragma once
// The thread's message queue and the pump calls, as the Win32 loop uses them:
//
//   Message m;
//   while (PeekMessage(m, nullptr, 0, 0, PM_REMOVE)) { TranslateMessage(m); DispatchMessage(m); }
//
// PeekMessage first turns SDL's pending events into queued messages (see
// EventTranslation.h for the mapping), then hands out the oldest matching one. A quit
// request (PostQuitMessage) is handed out as WM_QUIT once no other message matches, as in
// Win32; WM_QUIT posted with PostMessage keeps its place in the queue.
#include "Platform/window/Messages.h"

#include <cstddef>

namespace Plat::Window
{
    // aWindow null: any window's messages and thread messages; otherwise only that window's.
    // aFilterMin and aFilterMax both 0: every message id; otherwise the inclusive range.
    bool PeekMessage(Message& aMessage, HWND aWindow, UINT aFilterMin, UINT aFilterMax, UINT aRemove);

    // Character messages come from SDL's text input already (WM_CHAR), so nothing is posted
    // here; returns true for key messages, as Win32 does.
    bool TranslateMessage(const Message& aMessage);

    // Calls the window procedure of the message's window; 0 when the window is gone or the
    // message has none (thread messages such as WM_QUIT).
    LRESULT DispatchMessage(const Message& aMessage);

    // Appends a message. False for a handle that is neither null nor a live window.
    bool PostMessage(HWND aWindow, UINT aMessage, WPARAM aWParam, LPARAM aLParam);

    // Calls the window procedure at once. 0 for a dead window.
    LRESULT SendMessage(HWND aWindow, UINT aMessage, WPARAM aWParam, LPARAM aLParam);

    // Asks for WM_QUIT (wParam = aExitCode) after the messages already queued.
    void PostQuitMessage(int anExitCode);

    // Default handling: WM_CLOSE destroys the window (so WM_DESTROY reaches its procedure);
    // Alt+F4 (WM_SYSKEYDOWN with VK_F4) posts WM_CLOSE; everything else returns 0.
    LRESULT DefWindowProc(HWND aWindow, UINT aMessage, WPARAM aWParam, LPARAM aLParam);

    // Number of queued messages (a quit request not counted); for tests and diagnostics.
    size_t QueuedMessageCount();
}
