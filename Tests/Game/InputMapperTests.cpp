#include "GameBindings.h"
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
    using GameTest::AddGameBindings;

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
            AddGameBindings(myMapper);
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
    AddGameBindings(mapper);
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

TEST_F(Mapper, PadButtonsTriggersAndSticks)
{
    myPads.connected[0] = true;
    Pad().buttons = G::BUTTON_A | G::BUTTON_START;
    EXPECT_EQ(Frame(), (Strings{E(Action::Pause, "down"), E(Action::Jump, "down"), E(Action::Select, "down"),
                                E(Action::InputDeviceChanged, "device 1")}));
    EXPECT_EQ(myMapper.GetActiveDevice(), 1u);

    // Triggers and the right stick are produced but bound to nothing: bind them here.
    myMapper.AddInputToEventMapping(102, 50);
    myMapper.AddInputToEventMapping(105, 51);
    Pad().buttons = G::BUTTON_A;
    Pad().leftTrigger = 142;   // (142 - 30) / 225
    EXPECT_EQ(Frame(), (Strings{E(Action::Pause, "up"), E(50, "trigger " + std::to_string(112.0f / 225.0f))}));
    EXPECT_EQ(Frame(), (Strings{E(50, "trigger " + std::to_string(112.0f / 225.0f))})) << "held: every frame";
    Pad().leftTrigger = 30;
    EXPECT_EQ(Frame(), (Strings{E(50, "trigger 0.000000")})) << "released: one last 0";
    EXPECT_TRUE(Frame().empty());

    Pad().thumbLX = 7849;   // at the dead zone's edge: still nothing
    Pad().thumbLY = -7000;
    EXPECT_TRUE(Frame().empty());
    Pad().thumbLX = -32768;
    Pad().thumbLY = 32767;
    const float beyond = (32768.0f - 7849.0f) / (32767.0f - 7849.0f);
    EXPECT_EQ(Frame(), (Strings{E(Action::Move, "stick " + std::to_string(-beyond) + ",1.000000")}));
    Pad().thumbLX = 100;
    Pad().thumbLY = 100;
    EXPECT_EQ(Frame(), (Strings{E(Action::Move, "stick 0.000000,0.000000")})) << "back in the dead zone: one (0, 0)";
    EXPECT_TRUE(Frame().empty());

    Pad().thumbRX = 8690;
    EXPECT_EQ(Frame(), (Strings{E(51, "stick " + std::to_string(1.0f / (32767.0f - 8689.0f)) + ",0.000000")}));
}

TEST_F(Mapper, TheReadersOwnDeadZonesDoNotChangeTheMappersValues)
{
    myPad.SetDeadZones(0.5f, 0.5f);
    myPads.connected[0] = true;
    Pad().thumbLX = 16000;
    const float expected = (16000.0f - 7849.0f) / (32767.0f - 7849.0f);
    const Strings events = Frame();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0], E(Action::Move, "stick " + std::to_string(expected) + ",0.000000"));
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

TEST_F(Mapper, WithoutAPadNoPadEventsComeAndUnpluggingReleasesHeldButtons)
{
    EXPECT_TRUE(Frame().empty());
    myPads.connected[0] = true;
    Pad().buttons = G::BUTTON_X;
    EXPECT_EQ(Frame(), (Strings{E(Action::Dash, "down"), E(Action::InputDeviceChanged, "device 1")}));
    // The reader's record is zeroed when the pad goes: the held button reads as released.
    myPads.connected[0] = false;
    EXPECT_EQ(Frame(), (Strings{E(Action::Dash, "up")}));
    EXPECT_TRUE(Frame().empty());
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
    mapper.SetInputManagers(&input, &reader);
    AddGameBindings(mapper);
    mapper.AddInputToEventMapping(InputCode::RightTrigger, 50);
    Strings events;
    mapper.AddInputEventListener([&](const InputEvent& e) {
        events.push_back(Describe(e));
        menus.OnInput(e, state, manager);
    });
    const auto frame = [&] {
        events.clear();
        mapper.Update();
        return events;
    };
    const auto e = [](uint32_t anAction, const std::string& aValue) { return std::to_string(anAction) + "=" + aValue; };

    TestSupport::VirtualPad pad;
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

    // The left stick inside its dead zone is still; beyond it, it moves from 0.
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 7000);
    EXPECT_TRUE(frame().empty());
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
    EXPECT_EQ(frame(), (Strings{e(Action::Move, "stick 1.000000,0.000000")}));
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    EXPECT_EQ(frame(), (Strings{e(Action::Move, "stick 0.000000,0.000000")}));

    pad.Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    EXPECT_EQ(frame(), (Strings{e(50, "trigger 1.000000")}));

    // Unplugged while the d-pad and the trigger are held: both let go.
    pad.Unplug();
    EXPECT_EQ(frame(), (Strings{e(Action::Left, "up"), e(50, "trigger 0.000000")}));
    EXPECT_TRUE(frame().empty());
}
