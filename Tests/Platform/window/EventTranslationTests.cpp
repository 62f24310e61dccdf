#include "Platform/window/MessageQueue.h"
#include "Platform/window/RawInput.h"
#include "Platform/window/VirtualKeys.h"
#include "Platform/window/Window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

using namespace Plat::Window;

namespace
{
    std::vector<Message>& Dispatched()
    {
        static std::vector<Message> log;
        return log;
    }

    LRESULT Procedure(HWND aWindow, UINT aMessage, WPARAM aWParam, LPARAM aLParam)
    {
        Dispatched().push_back({aWindow, aMessage, aWParam, aLParam, 0, {}});
        if (aMessage == WM_INPUT)
        {
            // Raw packets are readable while their message is dispatched.
            RawInput packet;
            UINT size = sizeof(packet);
            EXPECT_EQ(GetRawInputData(aLParam, RID_INPUT, &packet, &size, sizeof(RawInputHeader)), sizeof(RawInput));
        }
        return DefWindowProc(aWindow, aMessage, aWParam, aLParam);
    }

    class EventTranslation : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            WindowClass windowClass;
            windowClass.procedure = &Procedure;
            windowClass.className = L"EventTestClass";
            RegisterClass(windowClass);
            myWindow = CreateWindow(0, L"EventTestClass", L"events", WS_POPUP | WS_VISIBLE, 0, 0, 320, 200, GetModuleHandle());
            ASSERT_NE(myWindow, nullptr);
            myId = SDL_GetWindowID(GetSdlWindow(myWindow));
            Pump();
            Dispatched().clear();
        }

        // The window goes with its test: a window left open would see the next test's
        // quit events too.
        void TearDown() override
        {
            if (IsWindow(myWindow))
                DestroyWindow(myWindow);
            Pump();
            Dispatched().clear();
        }

        // Dispatches everything pending; returns the messages of the given ids, in order.
        std::vector<Message> Pump(std::vector<UINT> someIds = {})
        {
            std::vector<Message> out;
            Message m;
            while (PeekMessage(m, nullptr, 0, 0, PM_REMOVE))
            {
                if (m.message == WM_QUIT)
                {
                    out.push_back(m);
                    break;
                }
                DispatchMessage(m);
                for (UINT id : someIds)
                    if (m.message == id)
                        out.push_back(m);
            }
            return out;
        }

        void PushKey(Uint32 aType, SDL_Keycode aKey, SDL_Scancode aCode, Uint16 someMods = KMOD_NONE, Uint8 aRepeat = 0)
        {
            SDL_Event e{};
            e.type = aType;
            e.key.windowID = myId;
            e.key.state = aType == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
            e.key.repeat = aRepeat;
            e.key.keysym.sym = aKey;
            e.key.keysym.scancode = aCode;
            e.key.keysym.mod = someMods;
            ASSERT_EQ(SDL_PushEvent(&e), 1);
        }

        void PushButton(Uint32 aType, Uint8 aButton, int aX, int aY)
        {
            SDL_Event e{};
            e.type = aType;
            e.button.windowID = myId;
            e.button.button = aButton;
            e.button.state = aType == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
            e.button.x = aX;
            e.button.y = aY;
            ASSERT_EQ(SDL_PushEvent(&e), 1);
        }

        void PushMotion(int aX, int aY, int aDx, int aDy)
        {
            SDL_Event e{};
            e.type = SDL_MOUSEMOTION;
            e.motion.windowID = myId;
            e.motion.x = aX;
            e.motion.y = aY;
            e.motion.xrel = aDx;
            e.motion.yrel = aDy;
            ASSERT_EQ(SDL_PushEvent(&e), 1);
        }

        HWND myWindow = nullptr;
        Uint32 myId = 0;
    };
}

TEST_F(EventTranslation, KeysBecomeKeyMessagesWithVirtualKeysAndWin32ParameterBits)
{
    PushKey(SDL_KEYDOWN, SDLK_a, SDL_SCANCODE_A);
    PushKey(SDL_KEYDOWN, SDLK_a, SDL_SCANCODE_A, KMOD_NONE, 1);
    PushKey(SDL_KEYUP, SDLK_a, SDL_SCANCODE_A);
    PushKey(SDL_KEYDOWN, SDLK_RIGHT, SDL_SCANCODE_RIGHT);
    PushKey(SDL_KEYDOWN, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT);
    const auto keys = Pump({WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN});

    ASSERT_EQ(keys.size(), 5u);
    EXPECT_EQ(keys[0].message, WM_KEYDOWN);
    EXPECT_EQ(keys[0].wParam, static_cast<WPARAM>('A'));
    EXPECT_EQ(keys[0].lParam & 0xFFFF, 1);
    EXPECT_EQ((keys[0].lParam >> 30) & 3, 0);          // first press: no previous state
    EXPECT_EQ((keys[1].lParam >> 30) & 1, 1);          // auto-repeat: previous state down
    EXPECT_EQ(keys[2].message, WM_KEYUP);
    EXPECT_EQ((keys[2].lParam >> 30) & 3, 3);          // release: previous down, transition
    EXPECT_EQ(keys[3].wParam, VK_RIGHT);
    EXPECT_EQ((keys[3].lParam >> 24) & 1, 1);          // arrows are extended keys
    EXPECT_EQ(keys[4].message, WM_SYSKEYDOWN);         // with Alt held
    EXPECT_EQ(keys[4].wParam, VK_F4);
    EXPECT_EQ((keys[4].lParam >> 29) & 1, 1);

    // Alt+F4's default handling asked the window to close: it is gone.
    EXPECT_FALSE(IsWindow(myWindow));
}

TEST_F(EventTranslation, MouseButtonsMovesAndTheWheelCarryClientCoordinatesAndButtonIds)
{
    PushMotion(-5, 300, 0, 0);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20);
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 10, 20);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 10, 20);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 1, 2);
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_X2, 1, 2);
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.windowID = myId;
    wheel.wheel.y = -2;
    wheel.wheel.preciseY = -2.0f;
    ASSERT_EQ(SDL_PushEvent(&wheel), 1);

    const auto m = Pump({WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN, WM_XBUTTONDOWN, WM_XBUTTONUP,
                         WM_MOUSEWHEEL, WM_MOUSEHWHEEL});
    ASSERT_EQ(m.size(), 7u);
    EXPECT_EQ(m[0].message, WM_MOUSEMOVE);
    EXPECT_EQ(GET_X_LPARAM(m[0].lParam), -5);
    EXPECT_EQ(GET_Y_LPARAM(m[0].lParam), 300);
    EXPECT_EQ(m[1].message, WM_LBUTTONDOWN);
    EXPECT_EQ(GET_X_LPARAM(m[1].lParam), 10);
    EXPECT_EQ(GET_Y_LPARAM(m[1].lParam), 20);
    EXPECT_EQ(m[2].message, WM_RBUTTONUP);
    EXPECT_EQ(m[3].message, WM_MBUTTONDOWN);
    EXPECT_EQ(m[4].message, WM_XBUTTONDOWN);
    EXPECT_EQ(GET_XBUTTON_WPARAM(m[4].wParam), XBUTTON1);
    EXPECT_EQ(m[5].message, WM_XBUTTONUP);
    EXPECT_EQ(GET_XBUTTON_WPARAM(m[5].wParam), XBUTTON2);
    EXPECT_EQ(m[6].message, WM_MOUSEWHEEL);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(m[6].wParam), -2 * WHEEL_DELTA);
}

TEST_F(EventTranslation, RawMouseMotionArrivesAsWmInputOnlyOnceRegistered)
{
    PushMotion(1, 1, 3, 4);
    EXPECT_TRUE(Pump({WM_INPUT}).empty());

    const RawInputDevice mouse{HID_USAGE_PAGE_GENERIC, HID_USAGE_GENERIC_MOUSE, RIDEV_INPUTSINK, myWindow};
    ASSERT_TRUE(RegisterRawInputDevices(&mouse, 1, sizeof(mouse)));
    PushMotion(2, 2, 3, 4);
    PushMotion(3, 3, -7, 1);
    const auto raw = Pump({WM_INPUT});
    ASSERT_EQ(raw.size(), 2u);
    EXPECT_EQ(raw[0].hwnd, myWindow);

    // The last packet stays readable after its message was taken; an earlier one does not.
    RawInput packet;
    UINT size = 0;
    EXPECT_EQ(GetRawInputData(raw[1].lParam, RID_INPUT, nullptr, &size, sizeof(RawInputHeader)), 0u);
    EXPECT_EQ(size, 48u);
    EXPECT_EQ(GetRawInputData(raw[1].lParam, RID_INPUT, &packet, &size, sizeof(RawInputHeader)), 48u);
    EXPECT_EQ(packet.header.type, RIM_TYPEMOUSE);
    EXPECT_EQ(packet.mouse.lastX, -7);
    EXPECT_EQ(packet.mouse.lastY, 1);
    EXPECT_EQ(GetRawInputData(raw[0].lParam, RID_INPUT, &packet, &size, sizeof(RawInputHeader)), static_cast<UINT>(-1));
    // A small buffer or a wrong header size is refused.
    UINT small = 24;
    EXPECT_EQ(GetRawInputData(raw[1].lParam, RID_INPUT, &packet, &small, sizeof(RawInputHeader)), static_cast<UINT>(-1));
    EXPECT_EQ(GetRawInputData(raw[1].lParam, RID_HEADER, &packet, &small, sizeof(RawInputHeader)), 24u);
    EXPECT_EQ(GetRawInputData(raw[1].lParam, RID_INPUT, &packet, &size, 16), static_cast<UINT>(-1));

    const RawInputDevice removal{HID_USAGE_PAGE_GENERIC, HID_USAGE_GENERIC_MOUSE, RIDEV_REMOVE, nullptr};
    ASSERT_TRUE(RegisterRawInputDevices(&removal, 1, sizeof(removal)));
    PushMotion(4, 4, 1, 1);
    EXPECT_TRUE(Pump({WM_INPUT}).empty());
    // Only the mouse is supported.
    const RawInputDevice keyboard{HID_USAGE_PAGE_GENERIC, 6, 0, nullptr};
    EXPECT_FALSE(RegisterRawInputDevices(&keyboard, 1, sizeof(keyboard)));
}

TEST_F(EventTranslation, SdlQuitClosesTheWindowSoWmDestroyReachesItsProcedure)
{
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    Pump();

    std::vector<UINT> seen;
    for (const Message& m : Dispatched())
        if (m.message == WM_CLOSE || m.message == WM_DESTROY)
            seen.push_back(m.message);
    EXPECT_EQ(seen, (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
    EXPECT_FALSE(IsWindow(myWindow));

    // With no window left, a quit event becomes the quit message itself.
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    const auto after = Pump();
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].message, WM_QUIT);
}

TEST_F(EventTranslation, ResizingTheWindowSendsWmSizeWithTheClientSize)
{
    SDL_SetWindowSize(GetSdlWindow(myWindow), 400, 250);
    const auto sizes = Pump({WM_SIZE});
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back().wParam, SIZE_RESTORED);
    EXPECT_EQ(LOWORD(static_cast<uint64_t>(sizes.back().lParam)), 400);
    EXPECT_EQ(HIWORD(static_cast<uint64_t>(sizes.back().lParam)), 250);
}

TEST(VirtualKeys, LettersFollowTheLayoutAndEverythingElseThePosition)
{
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_q, SDL_SCANCODE_A), 'Q');      // AZERTY: the key says 'q'
    EXPECT_EQ(VirtualKeyFromSdl(0xE5, SDL_SCANCODE_LEFTBRACKET), VK_OEM_4);
    EXPECT_EQ(VirtualKeyFromSdl('&', SDL_SCANCODE_1), '1');        // AZERTY top row
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_0, SDL_SCANCODE_0), '0');
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_SPACE, SDL_SCANCODE_SPACE), VK_SPACE);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RSHIFT, SDL_SCANCODE_RSHIFT), VK_SHIFT);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RCTRL, SDL_SCANCODE_RCTRL), VK_CONTROL);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LALT, SDL_SCANCODE_LALT), VK_MENU);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_7, SDL_SCANCODE_KP_7), VK_NUMPAD1 + 6);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_0, SDL_SCANCODE_KP_0), VK_NUMPAD0);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F12, SDL_SCANCODE_F12), VK_F12);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F24, SDL_SCANCODE_F24), VK_F24);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), VK_ESCAPE);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN), VK_NEXT);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_AUDIOPLAY, SDL_SCANCODE_AUDIOPLAY), 0);
    EXPECT_TRUE(IsExtendedKey(SDL_SCANCODE_RCTRL));
    EXPECT_FALSE(IsExtendedKey(SDL_SCANCODE_LCTRL));
}
