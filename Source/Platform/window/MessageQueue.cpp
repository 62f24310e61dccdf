#include "Platform/window/MessageQueue.h"

#include "Platform/window/EventTranslation.h"
#include "Platform/window/RawInput.h"
#include "Platform/window/Window.h"
#include "Platform/window/impl/NativeWindow.h"
#include "Platform/window/impl/RawInputStore.h"

#include <deque>
#include <mutex>

namespace Plat::Window
{
    namespace
    {
        struct Queue
        {
            std::mutex mutex;
            std::deque<Message> messages;
            bool quitRequested = false;
            int exitCode = 0;
        };

        Queue& TheQueue()
        {
            static Queue queue;
            return queue;
        }

        bool InRange(UINT aMessage, UINT aMin, UINT aMax)
        {
            return (aMin == 0 && aMax == 0) || (aMessage >= aMin && aMessage <= aMax);
        }

        void Append(HWND aWindow, UINT aMessage, WPARAM aWParam, LPARAM aLParam)
        {
            Message m;
            m.hwnd = aWindow;
            m.message = aMessage;
            m.wParam = aWParam;
            m.lParam = aLParam;
            m.time = impl::TicksNow();
            m.pt = impl::CursorScreenPosition();
            Queue& q = TheQueue();
            std::lock_guard lock(q.mutex);
            q.messages.push_back(m);
        }
    }

    namespace impl
    {
        void DropQueuedMessages(HWND aWindow)
        {
            Queue& q = TheQueue();
            std::lock_guard lock(q.mutex);
            for (auto it = q.messages.begin(); it != q.messages.end();)
            {
                if (it->hwnd == aWindow)
                {
                    if (it->message == WM_INPUT)
                        ReleaseRawPacket(it->lParam);
                    it = q.messages.erase(it);
                }
                else
                {
                    ++it;
                }
            }
        }

        void PostRawInput(HWND aWindow, WPARAM aWParam, const RawMouse& aMouse)
        {
            RawInput packet;
            packet.header.type = RIM_TYPEMOUSE;
            packet.header.size = sizeof(RawInput);
            packet.header.wParam = aWParam;
            packet.mouse = aMouse;
            Append(aWindow, WM_INPUT, aWParam, StoreRawPacket(packet));
        }

        Point& CursorScreenPosition()
        {
            static Point position;
            return position;
        }
    }

    bool PeekMessage(Message& aMessage, HWND aWindow, UINT aFilterMin, UINT aFilterMax, UINT aRemove)
    {
        if (impl::IsVideoThread())
            TranslateSdlEvents();

        Queue& q = TheQueue();
        std::lock_guard lock(q.mutex);
        for (auto it = q.messages.begin(); it != q.messages.end(); ++it)
        {
            if ((aWindow != nullptr && it->hwnd != aWindow) || !InRange(it->message, aFilterMin, aFilterMax))
                continue;
            aMessage = *it;
            if ((aRemove & PM_REMOVE) != 0)
            {
                if (it->message == WM_INPUT)
                    impl::MarkRawPacketFetched(it->lParam);
                q.messages.erase(it);
            }
            return true;
        }
        if (q.quitRequested && aWindow == nullptr && InRange(WM_QUIT, aFilterMin, aFilterMax))
        {
            aMessage = Message{};
            aMessage.message = WM_QUIT;
            aMessage.wParam = static_cast<WPARAM>(q.exitCode);
            aMessage.time = impl::TicksNow();
            if ((aRemove & PM_REMOVE) != 0)
                q.quitRequested = false;
            return true;
        }
        return false;
    }

    bool TranslateMessage(const Message& aMessage)
    {
        switch (aMessage.message)
        {
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
            return true;
        default:
            return false;
        }
    }

    LRESULT DispatchMessage(const Message& aMessage)
    {
        if (aMessage.hwnd == nullptr)
            return 0;
        return SendMessage(aMessage.hwnd, aMessage.message, aMessage.wParam, aMessage.lParam);
    }

    bool PostMessage(HWND aWindow, UINT aMessage, WPARAM aWParam, LPARAM aLParam)
    {
        if (aWindow != nullptr && !IsWindow(aWindow))
            return false;
        Append(aWindow, aMessage, aWParam, aLParam);
        return true;
    }

    LRESULT SendMessage(HWND aWindow, UINT aMessage, WPARAM aWParam, LPARAM aLParam)
    {
        if (!IsWindow(aWindow) || aWindow->procedure == nullptr)
            return 0;
        return aWindow->procedure(aWindow, aMessage, aWParam, aLParam);
    }

    void PostQuitMessage(int anExitCode)
    {
        Queue& q = TheQueue();
        std::lock_guard lock(q.mutex);
        q.quitRequested = true;
        q.exitCode = anExitCode;
    }

    LRESULT DefWindowProc(HWND aWindow, UINT aMessage, WPARAM aWParam, LPARAM /*aLParam*/)
    {
        switch (aMessage)
        {
        case WM_CLOSE:
            DestroyWindow(aWindow);
            return 0;
        case WM_SYSKEYDOWN:
            if (aWParam == VK_F4)
                PostMessage(aWindow, WM_CLOSE, 0, 0);
            return 0;
        default:
            return 0;
        }
    }

    size_t QueuedMessageCount()
    {
        Queue& q = TheQueue();
        std::lock_guard lock(q.mutex);
        return q.messages.size();
    }
}
