// Doors and door buttons: the door's box from its model, the dash that presses a button,
// the doors a press opens, the sinking, save and restore, and what they draw.
#include "PropTestWorld.h"

#include <cmath>
#include <limits>

using namespace PropTest;

namespace
{
    using DoorTest = PropWorld;
    using DoorButtonTest = PropWorld;

    constexpr float kPi = 3.14159265f;
}

TEST_F(DoorTest, TheBoxStandsOnTheFootAndNonPositiveTimesTakeTheDefaults)
{
    Door& door = AddDoor({500.0f, 0.0f, 0.0f}, 3, 0.0f, -1.0f);
    EXPECT_EQ(door.GetIndex(), 3);
    EXPECT_EQ(door.GetOpenTimer(), 5.0f);
    EXPECT_EQ(door.GetOpenSpeed(), 50.0f);
    EXPECT_EQ(door.GetModelSize(), Vec2(100.0f, 300.0f));
    EXPECT_EQ(door.GetBoxOffset(), Vec2(0.0f, 150.0f));
    EXPECT_EQ(door.GetSlide(), Vec2(0.0f, -100.0f));
    const OBB2D& box = door.GetBox().GetCollider();
    EXPECT_EQ(box.GetCenter(), Vec2(500.0f, 150.0f));
    EXPECT_EQ(box.GetSize(), Vec2(100.0f, 300.0f));
    EXPECT_EQ(box.GetRotation(), 0.0f);
    EXPECT_EQ(door.GetBox().GetCollisionLayer(), uint32_t(CollisionLayer::Solid));
    EXPECT_EQ(door.GetBox().GetCollisionMask(), uint32_t(CollisionLayer::None));
    EXPECT_FALSE(door.IsOpened());

    Door& tuned = AddDoor({0.0f, 0.0f, 0.0f}, 1, 2.0f, 80.0f);
    EXPECT_EQ(tuned.GetOpenTimer(), 2.0f);
    EXPECT_EQ(tuned.GetOpenSpeed(), 80.0f);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Door& broken = AddDoor({0.0f, 0.0f, 0.0f}, 1, nan, nan);
    EXPECT_EQ(broken.GetOpenTimer(), 5.0f) << "not a number would never finish";
    EXPECT_EQ(broken.GetOpenSpeed(), 50.0f);
}

TEST_F(DoorTest, ATurnedDoorTurnsItsBoxAndStandsAlongItsOwnUpAxis)
{
    Door& door = AddDoor({0.0f, 0.0f, 0.0f}, 1, 0.0f, 0.0f, {1.0f, 3.0f, 1.0f}, {0.0f, 0.0f, 30.0f});
    const float s = std::sin(kPi / 6.0f);
    const float c = std::cos(kPi / 6.0f);
    EXPECT_NEAR(door.GetModelSize().x, 100.0f, 1e-3f) << "the rows' lengths, whatever the turn";
    EXPECT_NEAR(door.GetModelSize().y, 300.0f, 1e-3f);
    EXPECT_NEAR(door.GetBoxOffset().x, -s * 150.0f, 1e-3f);
    EXPECT_NEAR(door.GetBoxOffset().y, c * 150.0f, 1e-3f);
    EXPECT_NEAR(door.GetSlide().x, -s * 150.0f, 1e-3f);
    EXPECT_EQ(door.GetSlide().y, -100.0f);
    const OBB2D& box = door.GetBox().GetCollider();
    EXPECT_NEAR(box.GetRotation(), kPi / 6.0f, 1e-5f);
    EXPECT_NEAR(box.GetCenter().x, -s * 150.0f, 1e-3f);
    EXPECT_NEAR(box.GetCenter().y, c * 150.0f, 1e-3f);
}

TEST_F(DoorTest, AnOpenedDoorSinksBySpeedTimesTimeAndThenLetsThePlayerPass)
{
    AddFloor();
    Door& door = AddDoor({500.0f, 0.0f, 0.0f}, 1, 3.0f, 100.0f);
    Player& player = MakePlayer();
    Press(Action::Right);
    Run(1.0f);
    EXPECT_NEAR(player.GetPosition().x, 410.0f, 1.0f) << "the closed door is solid";
    Release(Action::Right);

    door.Open();
    EXPECT_EQ(myLog.Count(MessageType::DoorOpened), 1u);
    EXPECT_TRUE(door.IsOpened());
    for (int frame = 1; frame <= 90; ++frame)
    {
        Step();
        ASSERT_NEAR(door.GetPosition().y, -100.0f * FRAME * float(frame), 1e-2f);
        ASSERT_NEAR(door.GetElapsed(), FRAME * float(frame), 1e-4f);
    }
    // The box sinks with the door and slides 100 further over the open time.
    const float slid = (FRAME * 89.0f) / 3.0f;
    EXPECT_NEAR(door.GetBox().GetCollider().GetCenter().y, -150.0f + 150.0f - 100.0f * slid, 1e-2f);
    EXPECT_EQ(door.GetOpenInstance().GetTransform().GetPosition(), door.GetPosition()) << "the open model sinks";

    Run(2.0f);
    EXPECT_NEAR(door.GetPosition().y, -300.0f, 100.0f * FRAME + 1e-2f);
    const float bottom = door.GetPosition().y;
    Run(1.0f);
    EXPECT_EQ(door.GetPosition().y, bottom) << "it stops after its open time";
    EXPECT_LT(door.GetBox().GetCollider().GetCenter().y + 150.0f, 0.0f) << "the box is below the floor";

    Press(Action::Right);
    Run(1.0f);
    EXPECT_GT(player.GetPosition().x, 700.0f);
    EXPECT_EQ(myLog.Count(MessageType::DoorOpened), 1u);
}

TEST_F(DoorTest, OpeningTwicePostsTwiceButSlidesOnce)
{
    Door& door = AddDoor({0.0f, 0.0f, 0.0f}, 1, 0.0f, 0.0f);
    door.Open();
    Run(1.0f);
    door.Open();
    EXPECT_EQ(myLog.Count(MessageType::DoorOpened), 2u);
    EXPECT_NEAR(door.GetElapsed(), 1.0f, 1e-3f) << "the clock keeps counting";
    Run(5.0f);
    EXPECT_NEAR(door.GetPosition().y, -250.0f, 50.0f * FRAME + 1e-2f) << "50 a second for 5 seconds, once";
}

TEST_F(DoorButtonTest, ADashThroughTheButtonOpensEveryDoorOfItsIndex)
{
    AddFloor();
    Door& near = AddDoor({800.0f, 0.0f, 0.0f}, 3);
    Door& far = AddDoor({1200.0f, 0.0f, 0.0f}, 3);
    Door& other = AddDoor({-800.0f, 0.0f, 0.0f}, 4);
    DoorButton& button = AddButton({300.0f, 50.0f, 0.0f}, 3);
    EXPECT_EQ(button.GetDoors(), (std::vector<Door*>{&near, &far}));
    EXPECT_EQ(button.GetIndex(), 3);
    const Circle& circle = button.GetCollider();
    EXPECT_EQ(circle.GetCenter(), Vec2(300.0f, 50.0f));
    EXPECT_EQ(circle.GetRadius(), 75.0f);

    // Walking over it does nothing.
    Player& player = MakePlayer({500.0f, 50.0f, 0.0f});
    Press(Action::Left);
    Run(0.6f);
    Release(Action::Left);
    Run(0.3f);
    ASSERT_LT(player.GetPosition().x, 150.0f);
    EXPECT_FALSE(button.IsPressed());

    player.SetDashUnlocked(true);
    Press(Action::Right);
    Press(Action::Dash);
    Run(0.5f);
    EXPECT_TRUE(button.IsPressed());
    EXPECT_EQ(myLog.Count(MessageType::DoorOpened), 2u);
    EXPECT_TRUE(near.IsOpened());
    EXPECT_TRUE(far.IsOpened());
    EXPECT_FALSE(other.IsOpened());

    // A pressed button stays pressed and presses nothing more.
    Release(Action::Dash);
    Press(Action::Left);
    Press(Action::Dash);
    Run(0.5f);
    EXPECT_EQ(myLog.Count(MessageType::DoorOpened), 2u);
}

TEST_F(DoorButtonTest, ButtonsWithoutDoorsOrSharingAnIndex)
{
    AddDoor({2000.0f, 0.0f, 0.0f}, 5);
    DoorButton& lonely = AddButton({0.0f, 50.0f, 0.0f}, 9);
    DoorButton& first = AddButton({3000.0f, 50.0f, 0.0f}, 5);
    DoorButton& second = AddButton({6000.0f, 50.0f, 0.0f}, 5);
    // Linking again after every batch adds no door twice; nothing is not a door.
    LinkButtons();
    first.AddDoor(nullptr);
    EXPECT_TRUE(lonely.GetDoors().empty());
    EXPECT_EQ(first.GetDoors().size(), 1u);
    EXPECT_EQ(second.GetDoors().size(), 1u);

    // A dashing player appears on each button in turn.
    Player& player = MakePlayer({0.0f, 50.0f, 0.0f});
    player.SetDashUnlocked(true);
    Press(Action::Dash);
    Step();
    ASSERT_TRUE(player.IsDashing());
    EXPECT_TRUE(lonely.IsPressed());
    EXPECT_EQ(myLog.Count(MessageType::DoorOpened), 0u) << "no door of index 9";

    Door& door = *myDoors.front();
    myPlayer.reset();
    myManager = CollisionManager();
    for (DoorButton* button : {&lonely, &first, &second})
        myManager.AddCollider(&button->GetCollider());
    myManager.AddCollider(&door.GetCollider());
    for (const float x : {3000.0f, 6000.0f})
    {
        Player& dasher = MakePlayer({x, 50.0f, 0.0f});
        dasher.SetDashUnlocked(true);
        Press(Action::Dash);
        Step();
        Release(Action::Dash);
        myManager = CollisionManager();
        for (DoorButton* button : {&lonely, &first, &second})
            myManager.AddCollider(&button->GetCollider());
    }
    EXPECT_TRUE(first.IsPressed());
    EXPECT_TRUE(second.IsPressed());
    EXPECT_EQ(myLog.Count(MessageType::DoorOpened), 2u) << "each press opens the shared door";
    Run(6.0f);
    EXPECT_NEAR(door.GetPosition().y, -250.0f, 50.0f * FRAME + 1e-2f) << "slid once";
}

TEST_F(DoorButtonTest, ARespawnRestoresDoorsAndButtonsAsTheyWereSaved)
{
    AddFloor();
    // 200 tall: down 200 and its box 100 more once open.
    Door& door = AddDoor({600.0f, 0.0f, 0.0f}, 2, 2.0f, 100.0f, {1.0f, 2.0f, 1.0f});
    DoorButton& button = AddButton({200.0f, 50.0f, 0.0f}, 2);
    Player& player = MakePlayer({0.0f, 50.0f, 0.0f});
    player.SetDashUnlocked(true);
    Run(0.2f);
    Post(MessageType::SaveState);
    const Vec2 closedBox = door.GetBox().GetCollider().GetCenter();

    Press(Action::Right);
    Press(Action::Dash);
    Run(0.3f);
    Release(Action::Dash);
    Release(Action::Right);
    ASSERT_TRUE(button.IsPressed());
    Run(1.0f);
    ASSERT_LT(door.GetPosition().y, -50.0f);

    // Pressed and opened after the save: closed and unpressed again.
    Post(MessageType::RestoreState);
    EXPECT_FALSE(button.IsPressed());
    EXPECT_FALSE(door.IsOpened());
    EXPECT_EQ(door.GetElapsed(), 0.0f);
    EXPECT_EQ(door.GetPosition(), Vec3(600.0f, 0.0f, 0.0f));
    EXPECT_EQ(door.GetBox().GetCollider().GetCenter(), closedBox);
    Run(0.5f);
    EXPECT_EQ(door.GetPosition().y, 0.0f) << "a restored door stays shut";

    // The button works again; the door opens from the start.
    Press(Action::Right);
    Press(Action::Dash);
    Run(0.3f);
    Release(Action::Dash);
    Release(Action::Right);
    ASSERT_TRUE(button.IsPressed());
    Run(3.0f);
    const float bottom = door.GetPosition().y;
    EXPECT_NEAR(bottom, -200.0f, 100.0f * FRAME + 1e-2f);

    // Saved once open: a respawn finds the door down, its box where it was, and the way free.
    Post(MessageType::SaveState);
    const Vec2 openBox = door.GetBox().GetCollider().GetCenter();
    Post(MessageType::RestoreState);
    EXPECT_TRUE(button.IsPressed());
    EXPECT_TRUE(door.IsOpened());
    EXPECT_EQ(door.GetPosition().y, bottom);
    EXPECT_EQ(door.GetBox().GetCollider().GetCenter(), openBox);
    Press(Action::Right);
    Run(1.5f);
    EXPECT_GT(player.GetPosition().x, 800.0f) << "the restored open door does not block";
}

TEST_F(DoorButtonTest, ARespawnHalfwayResumesTheSinkingFromTheSave)
{
    Door& door = AddDoor({0.0f, 0.0f, 0.0f}, 1, 2.0f, 100.0f);
    door.Open();
    Run(1.0f);
    Post(MessageType::SaveState);
    const Vec3 saved = door.GetPosition();
    const Vec2 savedBox = door.GetBox().GetCollider().GetCenter();
    Run(2.0f);
    Post(MessageType::RestoreState);
    EXPECT_EQ(door.GetPosition(), saved);
    EXPECT_EQ(door.GetBox().GetCollider().GetCenter(), savedBox);
    EXPECT_EQ(door.GetOpenInstance().GetTransform().GetPosition(), saved) << "the model goes back up with it";
    Run(2.0f);
    EXPECT_NEAR(door.GetPosition().y, -200.0f, 100.0f * FRAME + 1e-2f) << "the rest of the way, once";
}

TEST_F(DoorButtonTest, DoorsAndButtonsDrawTheModelOfTheirState)
{
    Door& door = AddDoor({0.0f, 0.0f, 0.0f}, 1, 3.0f, 100.0f);
    myButtons.push_back(std::make_unique<DoorButton>());
    DoorButton& button = *myButtons.back();
    button.SetPosition({400.0f, 0.0f, 0.0f});
    // Unpressed: a 100-unit cube; pressed: 30 units tall.
    button.Init(Cube(Placement({400.0f, 0.0f, 0.0f})), Cube(Placement({400.0f, 0.0f, 0.0f}, {1.0f, 0.3f, 1.0f})), 1);
    myManager.AddCollider(&button.GetCollider());
    LinkButtons();

    const auto draw = [&] {
        door.Render();
        button.Render();
    };
    const SpriteTest::Image closed = DrawWorld({0.0f, 0.0f}, draw);
    EXPECT_TRUE(IsDrawnAt(closed, {0.0f, 100.0f}));
    EXPECT_FALSE(IsDrawnAt(closed, {0.0f, -250.0f}));
    EXPECT_TRUE(IsDrawnAt(closed, {400.0f, 40.0f}));

    Player& player = MakePlayer({400.0f, 50.0f, 0.0f});
    player.SetDashUnlocked(true);
    Press(Action::Dash);
    Step();
    ASSERT_TRUE(button.IsPressed());
    myPlayer.reset();
    myManager = CollisionManager();
    Run(3.5f);
    const SpriteTest::Image open = DrawWorld({0.0f, 0.0f}, draw);
    EXPECT_FALSE(IsDrawnAt(open, {0.0f, 100.0f})) << "the open model sank 300";
    EXPECT_TRUE(IsDrawnAt(open, {0.0f, -250.0f}));
    EXPECT_FALSE(IsDrawnAt(open, {400.0f, 40.0f}));
    EXPECT_TRUE(IsDrawnAt(open, {400.0f, 0.0f}));
}
