#include "Platform/window/MessageQueue.h"
#include "Platform/window/Window.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Plat::Window;

namespace
{
    struct Received
    {
        HWND window;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    std::vector<Received>& Log()
    {
        static std::vector<Received> log;
        return log;
    }

    LRESULT RecordingProcedure(HWND aWindow, UINT aMessage, WPARAM aWParam, LPARAM aLParam)
    {
        Log().push_back({aWindow, aMessage, aWParam, aLParam});
        if (aMessage == WM_USER + 7)
            return 42;
        return DefWindowProc(aWindow, aMessage, aWParam, aLParam);
    }

    class MessageQueue : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            Log().clear();
            WindowClass windowClass;
            windowClass.procedure = &RecordingProcedure;
            windowClass.className = L"QueueTestClass";
            RegisterClass(windowClass);
            myWindow = CreateWindow(0, L"QueueTestClass", L"queue test", WS_POPUP, 0, 0, 64, 48, GetModuleHandle());
            ASSERT_NE(myWindow, nullptr);
            Drain();
            Log().clear();
        }

        void TearDown() override
        {
            DestroyWindow(myWindow);
            Drain();
        }

        // Takes every pending message (SDL's own window events included) without dispatching.
        static std::vector<Message> Drain()
        {
            std::vector<Message> out;
            Message m;
            while (PeekMessage(m, nullptr, 0, 0, PM_REMOVE))
            {
                out.push_back(m);
                if (m.message == WM_QUIT)
                    break;
            }
            return out;
        }

        // Posted messages in order, ignoring SDL's window events (WM_SIZE, WM_MOVE, focus).
        static std::vector<UINT> PostedIds(const std::vector<Message>& someMessages)
        {
            std::vector<UINT> ids;
            for (const Message& m : someMessages)
                if (m.message >= WM_USER || m.message == WM_QUIT || m.message == WM_CLOSE)
                    ids.push_back(m.message);
            return ids;
        }

        HWND myWindow = nullptr;
    };
}

TEST_F(MessageQueue, PostedMessagesComeOutInOrderAndFiltersPickTheirOwn)
{
    PostMessage(myWindow, WM_USER + 1, 10, 20);
    PostMessage(nullptr, WM_USER + 2, 0, 0);
    PostMessage(myWindow, WM_USER + 3, 0, 0);

    Message m;
    // A range filter skips earlier messages and leaves them queued.
    ASSERT_TRUE(PeekMessage(m, nullptr, WM_USER + 3, WM_USER + 3, PM_REMOVE));
    EXPECT_EQ(m.message, WM_USER + 3);
    // PM_NOREMOVE looks without taking.
    ASSERT_TRUE(PeekMessage(m, myWindow, WM_USER, WM_USER + 10, PM_NOREMOVE));
    EXPECT_EQ(m.message, WM_USER + 1);
    EXPECT_EQ(m.hwnd, myWindow);
    EXPECT_EQ(m.wParam, 10u);
    EXPECT_EQ(m.lParam, 20);

    EXPECT_EQ(PostedIds(Drain()), (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
    EXPECT_FALSE(PeekMessage(m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, QuitRequestWaitsForQueuedMessagesButPostedQuitKeepsItsPlace)
{
    PostMessage(myWindow, WM_USER + 1, 0, 0);
    PostQuitMessage(3);
    PostMessage(myWindow, WM_USER + 2, 0, 0);
    std::vector<Message> all = Drain();
    ASSERT_EQ(PostedIds(all), (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_QUIT}));
    EXPECT_EQ(all.back().wParam, 3u);
    EXPECT_EQ(all.back().hwnd, nullptr);

    // The request is consumed once handed out.
    Message m;
    EXPECT_FALSE(PeekMessage(m, nullptr, 0, 0, PM_REMOVE));

    PostMessage(myWindow, WM_USER + 1, 0, 0);
    PostMessage(nullptr, WM_QUIT, 0, 0);
    PostMessage(myWindow, WM_USER + 2, 0, 0);
    ASSERT_TRUE(PeekMessage(m, nullptr, 0, 0, PM_REMOVE));
    ASSERT_TRUE(PeekMessage(m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(QueuedMessageCount(), 1u);
}

TEST_F(MessageQueue, DispatchCallsTheClassProcedureAndReturnsItsResult)
{
    PostMessage(myWindow, WM_USER + 7, 5, 6);
    Message m;
    ASSERT_TRUE(PeekMessage(m, nullptr, WM_USER + 7, WM_USER + 7, PM_REMOVE));
    EXPECT_EQ(DispatchMessage(m), 42);
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_EQ(Log()[0].window, myWindow);
    EXPECT_EQ(Log()[0].wParam, 5u);
    EXPECT_EQ(Log()[0].lParam, 6);
    EXPECT_EQ(SendMessage(myWindow, WM_USER + 7, 0, 0), 42);
}

TEST_F(MessageQueue, CloseDestroysTheWindowThroughTheDefaultProcedure)
{
    PostMessage(myWindow, WM_CLOSE, 0, 0);
    PostMessage(myWindow, WM_USER + 1, 0, 0);
    Message m;
    ASSERT_TRUE(PeekMessage(m, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    DispatchMessage(m);

    ASSERT_EQ(Log().size(), 2u);
    EXPECT_EQ(Log()[0].message, WM_CLOSE);
    EXPECT_EQ(Log()[1].message, WM_DESTROY);
    EXPECT_FALSE(IsWindow(myWindow));
    // The dead window's queued messages are gone, and nothing reaches it any more.
    EXPECT_EQ(PostedIds(Drain()), std::vector<UINT>{});
    EXPECT_FALSE(PostMessage(myWindow, WM_USER, 0, 0));
    EXPECT_EQ(SendMessage(myWindow, WM_USER + 7, 0, 0), 0);
    EXPECT_EQ(Log().size(), 2u);
    EXPECT_FALSE(DestroyWindow(myWindow));
}

TEST_F(MessageQueue, AltF4AsksTheWindowToClose)
{
    DefWindowProc(myWindow, WM_SYSKEYDOWN, VK_F4, 0);
    DefWindowProc(myWindow, WM_KEYDOWN, VK_F4, 0);
    EXPECT_EQ(PostedIds(Drain()), std::vector<UINT>{WM_CLOSE});
}
