#include "GameManager.h"
#include "GameShell.h"
#include "InputMapper.h"

#include "forge/input/InputManager.h"
#include "forge/input/XInput.h"

#include "Platform/runtime/Assert.h"
#include "Platform/window/Messages.h"
#include "Platform/window/impl/RawInputStore.h"
#include "Support/FakePads.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Plat::Window;
namespace G = Plat::Gamepad;

namespace
{
    std::string Describe(const InputEvent& anEvent)
    {
        std::string text = std::to_string(anEvent.action) + "=";
        switch (anEvent.value.index())
        {
        case 0: text += "device " + std::to_string(std::get<int32_t>(anEvent.value)); break;
        case 1: text += std::get<bool>(anEvent.value) ? "down" : "up"; break;
        case 2: text += "mouse"; break;
        case 3: text += "trigger " + std::to_string(std::get<float>(anEvent.value)); break;
        case 4:
        {
            const auto v = std::get<Kiln::Vector2<float>>(anEvent.value);
            text += "stick " + std::to_string(v.x) + "," + std::to_string(v.y);
            break;
        }
        }
        return text;
    }

    // A mapper over a real input manager and pad reader, fed with window messages and a
    // fake pad; records every event as text.
    class Mapper : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            myMapper.SetInputManagers(&myInput, &myPad);
            GameManager::AddBindings(myMapper);
            myMapper.AddInputEventListener([this](const InputEvent& e) { myEvents.push_back(Describe(e)); });
        }

        void Key(uint32_t aKey, bool aDown) { myInput.UpdateEvents(aDown ? WM_KEYDOWN : WM_KEYUP, aKey, 0); }

        std::vector<std::string> Frame()
        {
            myEvents.clear();
            myMapper.Update();
            return myEvents;
        }

        static std::string E(uint32_t anAction, const std::string& aValue) { return std::to_string(anAction) + "=" + aValue; }

        TestSupport::FakePads myPads;
        Kiln::InputManager myInput{nullptr};
        Kiln::XInput myPad;
        InputMapper myMapper;
        std::vector<std::string> myEvents;
        G::PadReading& Pad() { return myPads.pads[0]; }
    };

    using Strings = std::vector<std::string>;
}

TEST_F(Mapper, ACodeRaisesItsActionsInBindingOrderToEveryListener)
{
    Strings second;
    myMapper.AddInputEventListener([&](const InputEvent& e) { second.push_back(Describe(e)); myEvents.push_back("second"); });
    Key(VK_SPACE, true);
    const Strings events = Frame();
    // Jump reaches both listeners before Select reaches either.
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(second, (Strings{E(Action::Jump, "down"), E(Action::Select, "down")}));
    EXPECT_EQ(events[0] == "second" ? events[1] : events[0], E(Action::Jump, "down"));
    EXPECT_EQ(events[2] == "second" ? events[3] : events[2], E(Action::Select, "down"));

    myMapper.RemoveInputEventListener(2);
    Key(VK_SPACE, false);
    Key(VK_UP, true);
    Key(VK_RETURN, true);
    Key(VK_ESCAPE, true);
    EXPECT_EQ(Frame(), (Strings{E(Action::Interact, "down"), E(Action::Select, "down"), E(Action::Back, "down"),
                                E(Action::Pause, "down"), E(Action::Jump, "up"), E(Action::Select, "up"),
                                E(Action::Up, "down"), E(Action::Jump, "down")}))
        << "codes in the order 13, 27, 32, 38";
    EXPECT_TRUE(Frame().empty()) << "held keys raise nothing more";
}

TEST_F(Mapper, ListenerIdsCountFromOneAndBadRemovalsAssert)
{
    InputMapper mapper;
    auto none = [](const InputEvent&) {};
    EXPECT_EQ(mapper.AddInputEventListener(none), 1u);
    EXPECT_EQ(mapper.AddInputEventListener(none), 2u);
    mapper.RemoveInputEventListener(2);
    EXPECT_EQ(mapper.AddInputEventListener(none), 3u) << "ids are not reused";

    std::vector<Plat::Runtime::AssertionReport> reports;
    Plat::Runtime::SetAssertionHandler([&](const Plat::Runtime::AssertionReport& r) { reports.push_back(r); });
    mapper.RemoveInputEventListener(2);
    Plat::Runtime::SetAssertionHandler({});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].expression, "false && \"An invalid input event listener ID was used to attempt removal.\"");
}

TEST_F(Mapper, AListenerRemovedDuringADispatchIsNotCalledForTheRestOfIt)
{
    InputMapper mapper;
    Kiln::InputManager input(nullptr);
    mapper.SetInputManagers(&input, nullptr);
    GameManager::AddBindings(mapper);
    Strings log;
    uint32_t victim = 0;
    uint32_t remover = 0;
    // Whichever of the two runs first removes the other (the map's order is not fixed).
    remover = mapper.AddInputEventListener([&](const InputEvent& e) {
        log.push_back("remover " + Describe(e));
        if (victim)
        {
            mapper.RemoveInputEventListener(victim);
            victim = 0;
        }
    });
    victim = mapper.AddInputEventListener([&](const InputEvent& e) {
        log.push_back("victim " + Describe(e));
        if (remover)
        {
            mapper.RemoveInputEventListener(remover);
            remover = 0;
        }
    });
    input.UpdateEvents(WM_KEYDOWN, VK_SPACE, 0);
    mapper.Update();
    ASSERT_EQ(log.size(), 2u) << "one listener ran for Jump, the other was gone; Select reached the survivor";
    EXPECT_EQ(log[0].substr(log[0].find(' ')), " 5=down");
    EXPECT_EQ(log[1].substr(log[1].find(' ')), " 8=down");
    EXPECT_EQ(log[0].substr(0, log[0].find(' ')), log[1].substr(0, log[1].find(' ')));
}

TEST_F(Mapper, MouseMovementIsCodeZeroAndOnlyWhenTheMouseMoved)
{
    myMapper.AddInputToEventMapping(0, Action::Move);
    MouseInput seen;
    myMapper.AddInputEventListener([&](const InputEvent& e) {
        if (e.value.index() == 2)
            seen = std::get<MouseInput>(e.value);
    });
    myInput.UpdateEvents(WM_MOUSEMOVE, 0, MAKELPARAM(300, 200));
    EXPECT_TRUE(Frame().empty()) << "a position without raw motion is no movement";

    RawInput packet;
    packet.header.type = RIM_TYPEMOUSE;
    packet.mouse.lastX = 4;
    packet.mouse.lastY = -3;
    myInput.UpdateEvents(WM_INPUT, RIM_INPUT, impl::StoreRawPacket(packet));
    myInput.UpdateEvents(WM_MOUSEMOVE, 0, MAKELPARAM(304, 197));
    EXPECT_EQ(Frame(), (Strings{E(Action::Move, "mouse")}));
    EXPECT_EQ(seen.position, (Kiln::Vector2<float>{304.0f, 197.0f}));
    EXPECT_EQ(seen.movement, (Kiln::Vector2<float>{4.0f, -3.0f}));
    EXPECT_TRUE(Frame().empty());
}

TEST_F(Mapper, TheActiveDeviceFollowsTheLastInputUsed)
{
    EXPECT_EQ(myMapper.GetActiveDevice(), 0u);
    Key('A', true);
    EXPECT_EQ(Frame(), (Strings{E(Action::Left, "down")})) << "already on keyboard: no change event";

    myPads.connected[0] = true;
    Pad().buttons = G::BUTTON_DPAD_RIGHT;
    EXPECT_EQ(Frame(), (Strings{E(Action::Right, "down"), E(Action::InputDeviceChanged, "device 1")}));

    Key('A', false);
    EXPECT_EQ(Frame(), (Strings{E(Action::Left, "up"), E(Action::InputDeviceChanged, "device 0")}));
    EXPECT_EQ(myMapper.GetActiveDevice(), 0u);

    // Pad active, then a key and a pad button in one frame: the key's events and a change
    // to 0, then the pad's events and a change back to 1.
    Pad().buttons = 0;
    Frame();
    ASSERT_EQ(myMapper.GetActiveDevice(), 1u);
    Key('D', true);
    Pad().buttons = G::BUTTON_B;
    EXPECT_EQ(Frame(), (Strings{E(Action::Right, "down"), E(Action::InputDeviceChanged, "device 0"),
                                E(Action::Back, "down"), E(Action::InputDeviceChanged, "device 1")}));
    EXPECT_EQ(myMapper.GetActiveDevice(), 1u);
}

TEST(MapperOverSdl, AVirtualPadsDpadSticksTriggersAndUnpluggingReachTheListenersAndMoveAMenu)
{
    TestSupport::LoadGameSoundBank();
    KilnTest::ScopedEngine engine;
    ASSERT_TRUE(engine.Started());
    GameTest::MenuAssets assets;
    assets.WritePage("levelselect", assets.ButtonColumn({"1. Level 1", "2. Level 2", "4. Back"}));
    MenuManager menus;
    menus.Init(*engine, "levelselect");
    GameManager manager;
    State state = State::LevelSelect;

    InputMapper mapper;
    Kiln::InputManager input(nullptr);
    Kiln::XInput reader;
    reader.SetDeadZones(0.5f, 0.5f);   // the reader's own: they do not change the mapper's values
    mapper.SetInputManagers(&input, &reader);
    GameManager::AddBindings(mapper);
    // Triggers and the right stick are produced but bound to nothing: bind them here.
    mapper.AddInputToEventMapping(InputCode::RightTrigger, 50);
    mapper.AddInputToEventMapping(InputCode::RightStick, 51);
    Strings events;
    bool menuListens = true;
    mapper.AddInputEventListener([&](const InputEvent& e) {
        events.push_back(Describe(e));
        if (menuListens)
            menus.OnInput(e, state, manager);
    });
    const auto frame = [&] {
        events.clear();
        mapper.Update();
        return events;
    };
    const auto e = [](uint32_t anAction, const std::string& aValue) { return std::to_string(anAction) + "=" + aValue; };

    TestSupport::VirtualPad pad;
    EXPECT_TRUE(frame().empty()) << "no pad, no pad events";
    ASSERT_TRUE(pad.Plug()) << SDL_GetError();
    EXPECT_TRUE(frame().empty()) << "a pad at rest raises nothing";
    pad.Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    EXPECT_EQ(frame(), (Strings{e(Action::Down, "down"), e(Action::InputDeviceChanged, "device 1")}));
    EXPECT_EQ(menus.GetSelected(), 1) << "the d-pad moves down the page";
    pad.Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
    pad.Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    EXPECT_EQ(frame(), (Strings{e(Action::Down, "up"), e(Action::Left, "down")}));
    EXPECT_EQ(menus.GetSelected(), 0);
    pad.Button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    frame();
    pad.Button(SDL_CONTROLLER_BUTTON_DPAD_UP, false);
    frame();
    EXPECT_EQ(menus.GetSelected(), 2) << "up from the top wraps to the bottom";
    menuListens = false;

    pad.Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
    pad.Button(SDL_CONTROLLER_BUTTON_A, true);
    pad.Button(SDL_CONTROLLER_BUTTON_START, true);
    EXPECT_EQ(frame(), (Strings{e(Action::Left, "up"), e(Action::Pause, "down"), e(Action::Jump, "down"), e(Action::Select, "down")}));

    // The sticks: nothing up to the dead zone's edge, then from 0; one (0, 0) back inside.
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 7849);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, 7000);
    EXPECT_TRUE(frame().empty());
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 16000);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);   // SDL's up
    EXPECT_EQ(frame(), (Strings{e(Action::Move, "stick " + std::to_string((16000.0f - 7849.0f) / (32767.0f - 7849.0f)) + ",1.000000")}));
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 100);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, 100);
    EXPECT_EQ(frame(), (Strings{e(Action::Move, "stick 0.000000,0.000000")}));
    EXPECT_TRUE(frame().empty());
    pad.Axis(SDL_CONTROLLER_AXIS_RIGHTX, 8690);
    EXPECT_EQ(frame(), (Strings{e(51, "stick " + std::to_string(1.0f / (32767.0f - 8689.0f)) + ",0.000000")}));
    pad.Axis(SDL_CONTROLLER_AXIS_RIGHTX, 0);
    frame();

    pad.Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    EXPECT_EQ(frame(), (Strings{e(50, "trigger 1.000000")}));
    EXPECT_EQ(frame(), (Strings{e(50, "trigger 1.000000")})) << "held: every frame";

    // Unplugged while buttons and the trigger are held: the reader's record is zeroed, so
    // they let go.
    pad.Unplug();
    EXPECT_EQ(frame(), (Strings{e(Action::Pause, "up"), e(Action::Jump, "up"), e(Action::Select, "up"), e(50, "trigger 0.000000")}));
    EXPECT_TRUE(frame().empty());
    // Plugged in again: read from rest.
    ASSERT_TRUE(pad.Plug()) << SDL_GetError();
    pad.Button(SDL_CONTROLLER_BUTTON_Y, true);
    EXPECT_EQ(frame(), (Strings{e(Action::Interact, "down")}));
}
