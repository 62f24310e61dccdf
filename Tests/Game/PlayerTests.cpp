#include "PlayerTestWorld.h"

#include "GameManager.h"
#include "InputMapper.h"

#include "forge/input/InputManager.h"
#include "forge/input/XInput.h"

#include "Platform/runtime/Assert.h"
#include "Platform/window/Messages.h"
#include "Support/FakePads.h"

#include <cmath>

using namespace PlayerTest;
using Vec2 = Kiln::Vector2<float>;
using Vec3 = Kiln::Vector3<float>;

namespace
{
    // The movement cases run with the suggested tuning and with the shipped definition's.
    enum class Tuning
    {
        Suggested,
        Shipped
    };

    class PlayerMovement : public PlayerWorld, public ::testing::WithParamInterface<Tuning>
    {
    protected:
        PlayerConfiguration Tuned(Vec3 aPosition = {0.0f, 50.0f, 0.0f}) const
        {
            return GetParam() == Tuning::Shipped ? ShippedTuning(aPosition) : DefaultTuning(aPosition);
        }
    };
    INSTANTIATE_TEST_SUITE_P(Tunings, PlayerMovement, ::testing::Values(Tuning::Suggested, Tuning::Shipped),
                             [](const auto& anInfo) { return anInfo.param == Tuning::Shipped ? "Shipped" : "Suggested"; });

    // The game's mapper fed by a test keyboard and pad, with the game's bindings; put back
    // as it was (no readers, no bindings) afterwards.
    class GameInput
    {
    public:
        GameInput()
        {
            InputMapper& mapper = InputMapper::GetInstance();
            mapper.ClearInputToEventMappings();
            GameManager::AddBindings(mapper);
            mapper.SetInputManagers(&myKeys, &myReader);
            myPads.connected[0] = true;
        }
        ~GameInput()
        {
            InputMapper::GetInstance().SetInputManagers(nullptr, nullptr);
            InputMapper::GetInstance().ClearInputToEventMappings();
        }
        void Key(uint32_t aKey, bool aDown) { myKeys.UpdateEvents(aDown ? Plat::Window::WM_KEYDOWN : Plat::Window::WM_KEYUP, aKey, 0); }
        Plat::Gamepad::PadReading& Pad() { return myPads.pads[0]; }

    private:
        TestSupport::FakePads myPads;
        Kiln::InputManager myKeys{nullptr};
        Kiln::XInput myReader;
    };

    using PlayerAbilities = PlayerWorld;
    using PlayerHealth = PlayerWorld;
    using PlayerControl = PlayerWorld;

    std::vector<MessageType> Without(std::vector<MessageType> someTypes, MessageType aType)
    {
        std::erase(someTypes, aType);
        return someTypes;
    }
}

TEST_P(PlayerMovement, StandsOnTheFloorAndReachesTopSpeedFromAccelerationAndDampening)
{
    AddFloor();
    const PlayerConfiguration c = Tuned();
    Player& player = MakePlayer(c);
    Run(0.5f);
    EXPECT_EQ(player.GetState(), Player::STATE_GROUNDED);
    EXPECT_TRUE(player.IsGrounded());
    EXPECT_NEAR(player.GetPosition().y, 50.0f, 0.5f) << "the box rests on the floor's top";
    EXPECT_NEAR(player.GetPosition().x, 0.0f, 1e-3f);

    Press(Action::Right);
    Run(2.0f);
    // Steady state of v = (v + a dt) e^(-k dt): the discrete form of a / k.
    const float decay = std::exp(-c.myGroundDampening * FRAME);
    const float topSpeed = c.myGroundAcceleration * FRAME * decay / (1.0f - decay);
    EXPECT_NEAR(player.GetVelocity().x, topSpeed, topSpeed * 0.01f);
    EXPECT_NEAR(topSpeed, c.myGroundAcceleration / c.myGroundDampening, 0.1f * topSpeed);
    const float x = player.GetPosition().x;
    Run(1.0f);
    EXPECT_NEAR(player.GetPosition().x - x, topSpeed, topSpeed * 0.02f) << "one second at top speed";
    EXPECT_NEAR(player.GetPosition().y, 50.0f, 0.5f);
    EXPECT_TRUE(player.IsFacingRight());

    // Turning round: the sprite is mirrored and shifted by its width.
    Release(Action::Right);
    Press(Action::Left);
    Run(1.0f);
    EXPECT_NEAR(player.GetVelocity().x, -topSpeed, topSpeed * 0.01f);
    EXPECT_FALSE(player.IsFacingRight());
    EXPECT_FLOAT_EQ(player.GetSpriteInstance().myTransform(0, 0), -150.0f);

    // Letting go: the dampening stops the player.
    Release(Action::Left);
    Run(1.0f);
    EXPECT_NEAR(player.GetVelocity().x, 0.0f, 1.0f);
}

TEST_P(PlayerMovement, JumpApexMatchesTheTuningAndADoubleJumpNeedsTheAbility)
{
    AddFloor();
    const PlayerConfiguration c = Tuned();
    Player& player = MakePlayer(c);
    player.SetMaxJumps(1);
    Run(0.2f);

    // Continuous model of v' = -k v - g from v0: apex after ln(1 + k v0 / g) / k.
    const float v0 = c.myJumpVelocityImpulse, g = c.myGravityAcceleration, k = c.myAirDampening;
    const float apexTime = std::log(1.0f + k * v0 / g) / k;
    const float apexHeight = (v0 + g / k) * (1.0f - std::exp(-k * apexTime)) / k - g / k * apexTime;

    Tap(Action::Jump);
    EXPECT_EQ(player.GetState(), Player::STATE_AIRBORNE);
    EXPECT_EQ(player.GetJumpsUsed(), 1u);
    EXPECT_EQ(player.GetAnimationController().GetCurrentAnimationName(), "Jump_start");
    float apex = player.GetPosition().y;
    bool pressedAgain = false;
    while (player.GetState() != Player::STATE_GROUNDED)
    {
        if (!pressedAgain && player.GetVelocity().y < 0.0f)
        {
            Press(Action::Jump);   // a second jump without the ability does nothing
            pressedAgain = true;
        }
        Step();
        Release(Action::Jump);
        apex = std::max(apex, player.GetPosition().y);
        ASSERT_LT(apex, 1000.0f);
    }
    EXPECT_NEAR(apex - 50.0f, apexHeight, apexHeight * 0.08f);
    EXPECT_EQ(myLog.Count(MessageType::DoubleJump), 1u);
    EXPECT_EQ(myLog.Count(MessageType::Land), 1u);
    EXPECT_EQ(player.GetJumpsUsed(), 0u) << "landing gives the jumps back";

    // With the double jump: a second jump at the apex climbs about as high again; a third
    // press does nothing.
    player.SetMaxJumps(2);
    Run(0.2f);
    const float floorY = player.GetPosition().y;
    Tap(Action::Jump);
    apex = floorY;
    int jumps = 1;
    while (player.GetState() != Player::STATE_GROUNDED)
    {
        if (jumps < 3 && player.GetVelocity().y < 0.0f)
        {
            Press(Action::Jump);
            ++jumps;
        }
        Step();
        Release(Action::Jump);
        apex = std::max(apex, player.GetPosition().y);
        ASSERT_LT(apex, 2000.0f);
    }
    EXPECT_EQ(myLog.Count(MessageType::DoubleJump), 3u) << "one more for the ground jump, one for the double jump";
    EXPECT_GT(apex - floorY, 1.8f * apexHeight);
    EXPECT_LT(apex - floorY, 2.1f * apexHeight);
}

TEST_P(PlayerMovement, CoyoteTimeAllowsAJumpJustAfterALedgeAndNotLater)
{
    for (const float delay : {0.05f, 0.15f})
    {
        myPlayer.reset();
        myBoxes.clear();
        myManager = CollisionManager();
        // A ledge ending at x 0; far below, a floor to land on.
        AddBox({-1000.0f, -50.0f}, {2000.0f, 100.0f});
        Player& player = MakePlayer(Tuned({-200.0f, 50.0f, 0.0f}));
        player.SetMaxJumps(1);
        Run(0.2f);
        Press(Action::Right);
        int frames = 0;
        while (player.IsGrounded())
        {
            Step();
            ASSERT_LT(++frames, 120) << "the player never left the ledge";
        }
        Release(Action::Right);
        const int wait = static_cast<int>(delay / FRAME);
        for (int i = 0; i < wait; ++i)
            Step();

        const bool inTime = delay < 0.1f;
        EXPECT_EQ(player.GetState(), inTime ? Player::STATE_GROUNDED : Player::STATE_AIRBORNE) << delay;
        EXPECT_EQ(player.GetJumpsUsed(), inTime ? 0u : 1u) << "after the coyote time the jump counts as used";
        Tap(Action::Jump);
        if (inTime)
        {
            EXPECT_GT(player.GetVelocity().y, 1000.0f) << "a jump just after leaving the ledge works";
            EXPECT_EQ(myLog.Count(MessageType::DoubleJump), 1u);
        }
        else
        {
            EXPECT_LT(player.GetVelocity().y, 0.0f) << "a jump after the coyote time does not";
            EXPECT_EQ(myLog.Count(MessageType::DoubleJump), 0u);
        }
        myLog.myTypes.clear();
    }
}

TEST_P(PlayerMovement, WalkableAngleDecidesBetweenSlopeAndWall)
{
    // A 30 degree slope is walkable at 45: the player lands and stays put.
    const float pi = std::acos(-1.0f);
    CollisionBox& gentle = AddBox({0.0f, -200.0f}, {2000.0f, 400.0f}, 30.0f * pi / 180.0f);
    Player& player = MakePlayer(Tuned({0.0f, 200.0f, 0.0f}));
    Run(1.0f);
    EXPECT_EQ(player.GetState(), Player::STATE_GROUNDED);
    EXPECT_TRUE(player.IsGrounded());
    EXPECT_EQ(myLog.Count(MessageType::Land), 1u);
    const Vec3 rest = player.GetPosition();
    Run(1.0f);
    EXPECT_NEAR(player.GetPosition().x, rest.x, 2.0f) << "a walkable slope holds the player";
    EXPECT_NEAR(player.GetPosition().y, rest.y, 2.0f);

    // At 60 degrees the same box is a wall: no landing, the player slides down it.
    gentle.GetCollider().SetRotation(60.0f * pi / 180.0f);
    myLog.myTypes.clear();
    myPlayer.reset();
    myManager = CollisionManager();
    myManager.AddCollider(&gentle.GetCollider());
    Player& slider = MakePlayer(Tuned({0.0f, 300.0f, 0.0f}));
    Run(0.2f);
    const Vec3 start = slider.GetPosition();
    Run(0.5f);
    EXPECT_EQ(myLog.Count(MessageType::Land), 0u);
    EXPECT_NE(slider.GetState(), Player::STATE_GROUNDED);
    EXPECT_LT(slider.GetPosition().y, start.y - 50.0f);
    EXPECT_LT(slider.GetPosition().x, start.x - 20.0f) << "the slope faces up and left";
}

TEST_P(PlayerMovement, NoTunnellingAtTheCappedStep)
{
    const float capped = 0.0333f;
    // A 100-unit floor far below: a long fall at the capped step.
    AddBox({0.0f, -50.0f}, {4000.0f, 100.0f});
    // A 100-unit wall to dash into.
    AddBox({700.0f, 500.0f}, {100.0f, 1000.0f});
    Player& player = MakePlayer(Tuned({0.0f, 5000.0f, 0.0f}));
    player.SetDashUnlocked(true);
    for (int i = 0; i < 150; ++i)
    {
        Step(capped);
        ASSERT_GT(player.GetPosition().y, 40.0f) << "fell through the floor at frame " << i;
    }
    EXPECT_NEAR(player.GetPosition().y, 50.0f, 1.0f);
    EXPECT_EQ(player.GetState(), Player::STATE_GROUNDED);

    // Dash at the wall, again and again.
    Press(Action::Right);
    for (int dash = 0; dash < 5; ++dash)
    {
        Press(Action::Dash);
        for (int i = 0; i < 20; ++i)
        {
            Step(capped);
            ASSERT_LE(player.GetPosition().x, 610.01f) << "dashed through the wall";
        }
    }
    EXPECT_NEAR(player.GetPosition().x, 610.0f, 1.0f) << "pressed against the wall";

    // Knocked back into the wall by an enemy at 2000 units per second: the enemy's push may
    // shove the box partly into the wall for a frame, never past its middle.
    StandingEnemy& enemy = AddEnemy(Enemy::TYPE_PASSIVE, {player.GetPosition().x - 60.0f, 50.0f, 0.0f});
    for (int i = 0; i < 30; ++i)
    {
        Step(capped);
        if (i == 0)
            enemy.SwitchOff();
        ASSERT_LT(player.GetPosition().x, 700.0f);
        ASSERT_GT(player.GetPosition().y, 40.0f);
    }
    EXPECT_LE(player.GetPosition().x, 610.01f);
    EXPECT_EQ(player.GetHealth(), 50);
}

TEST_P(PlayerMovement, DashCoversItsDistanceAndEndsBelowTheMinimumVelocity)
{
    AddFloor();
    const PlayerConfiguration c = Tuned();
    Player& player = MakePlayer(c);
    Run(0.2f);
    Press(Action::Dash);
    Step();
    EXPECT_EQ(player.GetState(), Player::STATE_GROUNDED) << "no dash before it is unlocked";
    EXPECT_EQ(myLog.Count(MessageType::Dash), 0u);

    player.SetDashUnlocked(true);
    Press(Action::Dash);   // held from before: a fresh press is needed
    const float startX = player.GetPosition().x;
    Step();
    EXPECT_TRUE(player.IsDashing());
    EXPECT_FALSE(player.IsDashAttacking());
    EXPECT_EQ(player.GetAnimationController().GetCurrentAnimationName(), "Dash");
    int frames = 1;
    float lastDashingSpeed = 0.0f;
    while (player.IsDashing())
    {
        lastDashingSpeed = std::abs(player.GetVelocity().x);
        Step();
        ASSERT_LT(++frames, 60);
    }
    const float distance = player.GetPosition().x - startX;
    // Continuous: D e^(-k t) until it drops below the minimum m.
    const float d = c.myDashVelocityImpulse, k = c.myDashDampening, m = c.myMinimumDashVelocity;
    const float expected = d / k * (1.0f - m / d);
    EXPECT_NEAR(distance, expected, expected * 0.15f);
    EXPECT_GE(lastDashingSpeed, m * std::exp(-k * FRAME) - 1.0f);
    EXPECT_EQ(player.GetState(), Player::STATE_GROUNDED);
    EXPECT_EQ(myLog.Count(MessageType::Dash), 1u);

    // Holding the button does not dash again.
    Run(0.5f);
    EXPECT_EQ(myLog.Count(MessageType::Dash), 1u);
    Release(Action::Dash);

    // In the air one dash until landing.
    Tap(Action::Jump);
    while (player.GetVelocity().y > 0.0f)
        Step();
    Press(Action::Dash);
    Step();
    EXPECT_TRUE(player.IsDashing());
    Release(Action::Dash);
    while (player.IsDashing())
        Step();
    ASSERT_EQ(player.GetState(), Player::STATE_AIRBORNE);
    Press(Action::Dash);
    Step();
    EXPECT_FALSE(player.IsDashing()) << "the air dash is used up";
    EXPECT_EQ(myLog.Count(MessageType::Dash), 2u);
    Release(Action::Dash);
    Run(1.0f);
    EXPECT_EQ(player.GetState(), Player::STATE_GROUNDED);
    EXPECT_EQ(player.GetDashesUsed(), 0u);
}

TEST_F(PlayerAbilities, DashAttackBreaksThroughWallsOnlyWhenUnlocked)
{
    AddFloor();
    // A breakable wall: layer 4, taking the player out of contact only during a dash attack.
    AddBox({400.0f, 200.0f}, {100.0f, 400.0f}, 0.0f, CollisionLayer::BreakableWall);
    Player& player = MakePlayer();
    player.SetDashUnlocked(true);
    Run(0.2f);
    Press(Action::Right);
    Press(Action::Dash);
    Run(0.6f);
    EXPECT_NEAR(player.GetPosition().x, 310.0f, 1.0f) << "a plain dash stops at the wall";
    Release(Action::Dash);
    Release(Action::Right);

    player.SetDashAttackUnlocked(true);
    Press(Action::Left);
    Run(0.1f);
    Release(Action::Left);
    Run(0.3f);
    const float startX = player.GetPosition().x;
    EXPECT_GT(startX, 200.0f);
    Press(Action::Right);
    Press(Action::Dash);
    Step();
    EXPECT_TRUE(player.IsDashAttacking());
    float furthest = startX;
    while (player.IsDashing())
    {
        furthest = std::max(furthest, player.GetPosition().x);
        Step();
    }
    EXPECT_GT(furthest, 380.0f) << "the dash attack passes into the wall";
}

TEST_F(PlayerHealth, DamageKnocksBackThenHealsAfterTenSeconds)
{
    AddFloor();
    Player& player = MakePlayer();
    Post(MessageType::SaveState);
    Run(0.2f);
    StandingEnemy& enemy = AddEnemy(Enemy::TYPE_PASSIVE, {70.0f, 50.0f, 0.0f});
    Step();
    EXPECT_EQ(player.GetHealth(), 50);
    EXPECT_EQ(myLog.Count(MessageType::PlayerHurt), 1u);
    EXPECT_NEAR(player.GetVelocity().x, -2000.0f, 1.0f) << "knocked straight away from the enemy";
    EXPECT_EQ(player.GetJumpsUsed(), 1u);
    EXPECT_LT(player.GetPosition().x, -20.0f + 1.0f) << "pushed out of the enemy";

    // Within the invulnerability: pushed again but no damage.
    Run(0.3f);
    enemy.SetPosition(player.GetPosition().x + 70.0f, 50.0f, 0.0f);
    enemy.GetCollider().SetPosition({player.GetPosition().x + 70.0f, 50.0f});
    Step();
    EXPECT_EQ(player.GetHealth(), 50);
    EXPECT_EQ(myLog.Count(MessageType::PlayerHurt), 1u);
    enemy.SwitchOff();

    // Ten seconds after the last hit: whole again.
    Run(9.0f);
    EXPECT_EQ(player.GetHealth(), 50);
    EXPECT_EQ(myLog.Count(MessageType::PlayerHealed), 0u);
    Run(1.0f);
    EXPECT_EQ(player.GetHealth(), 100);
    EXPECT_EQ(myLog.Count(MessageType::PlayerHealed), 1u);
    Run(1.0f);
    EXPECT_EQ(myLog.Count(MessageType::PlayerHealed), 1u);
}

TEST_F(PlayerHealth, TwoHitsKillAndTheRespawnComesOneAndAHalfSecondsLaterAtTheSavedPosition)
{
    AddFloor();
    Player& player = MakePlayer(DefaultTuning({-500.0f, 50.0f, 0.0f}));
    Run(0.2f);
    Post(MessageType::SaveState);
    EXPECT_NEAR(player.GetSavedPosition().x, -500.0f, 1e-3f);

    Press(Action::Right);
    Run(0.6f);
    Release(Action::Right);
    StandingEnemy& enemy = AddEnemy(Enemy::TYPE_PASSIVE, {player.GetPosition().x + 60.0f, 50.0f, 0.0f});
    Step();
    EXPECT_EQ(player.GetHealth(), 50);
    Run(2.0f);   // out of invulnerability
    enemy.SetPosition(player.GetPosition() + Vec3{60.0f, 0.0f, 0.0f});
    enemy.GetCollider().SetPosition({player.GetPosition().x + 60.0f, player.GetPosition().y});
    Step();
    enemy.SwitchOff();
    EXPECT_EQ(player.GetState(), Player::STATE_DEAD);
    EXPECT_EQ(myLog.Count(MessageType::PlayerDied), 1u);
    EXPECT_EQ(myLog.Count(MessageType::PlayerHurt), 1u) << "the killing hit is not a hurt";
    EXPECT_EQ(player.GetVelocity(), Vec3());
    const Vec3 deathPlace = player.GetPosition();

    // Dead: input piles up, nothing moves, no respawn before 1.5 s.
    Press(Action::Jump);
    int frames = 0;
    while (myLog.Count(MessageType::RestoreState) == 0)
    {
        EXPECT_NEAR(player.GetPosition().x, deathPlace.x, 1e-3f);
        Step();
        ASSERT_LT(++frames, 200);
    }
    EXPECT_NEAR(static_cast<float>(frames) * FRAME, 1.5f, 2.5f * FRAME);
    EXPECT_NEAR(player.GetPosition().x, -500.0f, 1e-3f);
    EXPECT_EQ(player.GetState(), Player::STATE_GROUNDED);
    EXPECT_EQ(player.GetHealth(), 100);
    Step();
    EXPECT_GT(player.GetVelocity().y, 0.0f) << "a jump pressed while dead happens right after the respawn";
    Release(Action::Jump);

    // The hurt's heal is void after the respawn; a second death shows its 1.5 s again.
    Run(10.5f);
    EXPECT_EQ(myLog.Count(MessageType::PlayerHealed), 0u) << "the respawn ends the pending heal";
    StandingEnemy& hands = AddEnemy(Enemy::TYPE_HANDS, player.GetPosition());
    Step();
    hands.SwitchOff();
    ASSERT_EQ(player.GetState(), Player::STATE_DEAD);
    frames = 0;
    while (myLog.Count(MessageType::RestoreState) == 1)
    {
        Step();
        ASSERT_LT(++frames, 200);
    }
    EXPECT_EQ(myLog.Count(MessageType::PlayerDied), 2u);
    EXPECT_NEAR(static_cast<float>(frames) * FRAME, 1.5f, 2.5f * FRAME) << "the second respawn waits as long";
}

TEST_F(PlayerHealth, TheHandsKillAtOnceEvenWhileDashing)
{
    AddFloor();
    Player& player = MakePlayer();
    player.SetDashUnlocked(true);
    player.SetDashAttackUnlocked(true);
    Run(0.2f);
    AddEnemy(Enemy::TYPE_HANDS, {250.0f, 50.0f, 0.0f});
    // A walking enemy on the way is no danger to a dash attack.
    AddEnemy(Enemy::TYPE_PASSIVE, {120.0f, 50.0f, 0.0f}, {40.0f, 100.0f});
    Press(Action::Dash);
    Step();
    int frames = 0;
    while (player.GetState() != Player::STATE_DEAD)
    {
        ASSERT_TRUE(player.IsDashAttacking()) << "the dash ended before the hands";
        Step();
        ASSERT_LT(++frames, 30);
    }
    EXPECT_EQ(player.GetHealth(), 100);
    EXPECT_EQ(myLog.Count(MessageType::PlayerHurt), 0u);
    EXPECT_EQ(myLog.Count(MessageType::PlayerDied), 1u);
    Run(0.5f);
    EXPECT_EQ(myLog.Count(MessageType::PlayerDied), 1u) << "a dead player is not killed again";
}

TEST_F(PlayerControl, FrozenWhileTalkingAndLeavingTheLevel)
{
    AddFloor();
    Player& player = MakePlayer();
    Run(0.2f);
    Press(Action::Right);
    Run(0.3f);
    Post(MessageType::NpcTalk);
    EXPECT_TRUE(player.IsFrozen());
    EXPECT_EQ(player.GetVelocity().x, 0.0f);
    EXPECT_EQ(myLog.myTypes.back(), MessageType::FootstepsStop);
    const float x = player.GetPosition().x;
    const size_t logged = myLog.myTypes.size();
    Press(Action::Jump);
    Run(1.0f);
    EXPECT_NEAR(player.GetPosition().x, x, 1e-3f) << "input does not move a frozen player";
    EXPECT_NEAR(player.GetPosition().y, 50.0f, 0.5f);
    EXPECT_EQ(myLog.myTypes.size(), logged) << "no jump and no footsteps while frozen";
    Release(Action::Right);

    // The upgrade effect unfreezes after its two phases and saves the state.
    Post(MessageType::UpgradeGranted, {-1000.0f, 0.0f, 0.0f});
    Run(1.9f);
    EXPECT_TRUE(player.IsFrozen());
    Run(0.2f);
    EXPECT_EQ(player.GetAnimationController().GetCurrentAnimationName(), "Upgrade_anim");
    EXPECT_FALSE(player.IsFacingRight()) << "turned towards the upgrade";
    Run(2.9f);
    EXPECT_TRUE(player.IsFrozen());
    EXPECT_EQ(myLog.Count(MessageType::SaveState), 0u);
    Run(0.2f);
    EXPECT_FALSE(player.IsFrozen());
    EXPECT_EQ(myLog.Count(MessageType::SaveState), 1u);
    EXPECT_NEAR(player.GetSavedPosition().x, player.GetPosition().x, 1e-3f);

    // Leaving the level: frozen, walking out at 0.07 x the ground acceleration.
    Press(Action::Left);
    player.BeginLevelExit();
    EXPECT_EQ(myLog.myTypes.back(), MessageType::FootstepsStart);
    const float exitX = player.GetPosition().x;
    Run(1.0f);
    EXPECT_TRUE(player.IsFrozen());
    EXPECT_NEAR(player.GetVelocity().x, 700.0f, 1e-3f);
    EXPECT_NEAR(player.GetPosition().x - exitX, 700.0f, 15.0f);

    player.Freeze();
    EXPECT_EQ(player.GetVelocity().x, 0.0f);
    player.Unfreeze();
    EXPECT_FALSE(player.IsFrozen());
}

TEST_F(PlayerControl, AFrozenHeroFallsIsNotKnockedAwayAndTakesNoJumpPressedWhileFrozen)
{
    AddFloor();
    Player& player = MakePlayer(DefaultTuning({0.0f, 400.0f, 0.0f}));
    player.Freeze();
    Press(Action::Jump);   // held from the freeze's start
    Run(1.0f);
    EXPECT_NEAR(player.GetPosition().y, 50.0f, 0.5f) << "a frozen hero in the air falls to the floor";

    // Hurt while frozen: pushed out of the enemy, never carried off.
    StandingEnemy& enemy = AddEnemy(Enemy::TYPE_PASSIVE, {70.0f, 50.0f, 0.0f});
    Step();
    enemy.SwitchOff();
    EXPECT_EQ(player.GetHealth(), 50);
    Run(2.0f);
    EXPECT_GT(player.GetPosition().x, -80.0f) << "slid more than a body length";
    EXPECT_NEAR(player.GetPosition().y, 50.0f, 0.5f);

    // Standing, still frozen: a tap, then a press held until after the freeze.
    Release(Action::Jump);
    Step();
    Tap(Action::Jump);
    Press(Action::Jump);
    Run(0.2f);
    player.Unfreeze();
    Run(0.5f);
    EXPECT_EQ(myLog.Count(MessageType::DoubleJump), 0u) << "a jump pressed while frozen is not taken afterwards";
    EXPECT_NEAR(player.GetPosition().y, 50.0f, 0.5f);
    Release(Action::Jump);
    Tap(Action::Jump);
    EXPECT_EQ(myLog.Count(MessageType::DoubleJump), 1u) << "a press once free is taken";
}

TEST_F(PlayerControl, TheDirectionFollowsWhatIsHeldThroughTheGamesBindings)
{
    using namespace Plat::Window;
    AddFloor();
    Player& player = MakePlayer();
    GameInput input;
    constexpr uint32_t dpadLeft = 1000, stickRight = 1001;
    // Each step: an input goes down or up, time passes, then (after a while) the hero runs
    // that way at over half its top speed, or rests.
    const struct
    {
        uint32_t code;
        bool down;
        float seconds;
        int way;
    } steps[] = {
        {VK_LEFT, true, 0.0f, 0},     {'A', true, 0.5f, -1},       {VK_LEFT, false, 0.0f, 0},    {'A', false, 1.0f, 0},        // together
        {'A', true, 0.2f, -1},        {VK_LEFT, true, 0.2f, -1},   {'A', false, 0.3f, -1},       {VK_LEFT, false, 1.0f, 0},    // overlapping
        {'D', true, 0.2f, 1},         {VK_RIGHT, true, FRAME, 1},  {VK_RIGHT, false, 0.3f, 1},   {'D', false, 1.0f, 0},        // a tap while held
        {VK_LEFT, true, 0.0f, 0},     {dpadLeft, true, 0.3f, -1},  {VK_LEFT, false, 0.3f, -1},   {dpadLeft, false, 1.0f, 0},   // key and d-pad
        {stickRight, true, 0.0f, 0},  {'D', true, 0.3f, 1},        {'D', false, 0.3f, 1},        {stickRight, false, 1.0f, 0}, // key and stick
        {'A', true, 0.0f, 0},         {'D', true, 0.3f, 0},        {'A', false, 0.3f, 1},        {'A', false, 0.3f, 1},        // left and right cancel;
        {'D', false, 1.0f, 0},        {VK_RIGHT, false, 0.3f, 0},                                                             // stray releases
    };
    for (size_t i = 0; i < std::size(steps); ++i)
    {
        const auto& step = steps[i];
        if (step.code == dpadLeft)
            input.Pad().buttons = step.down ? Plat::Gamepad::BUTTON_DPAD_LEFT : 0;
        else if (step.code == stickRight)
            input.Pad().thumbLX = step.down ? 32767 : 0;
        else
            input.Key(step.code, step.down);
        for (int f = 0; f < static_cast<int>(step.seconds / FRAME + 0.5f); ++f)
        {
            InputMapper::GetInstance().Update();
            Step();
        }
        if (step.seconds < 0.2f)
            continue;
        if (step.way == 0)
            EXPECT_NEAR(player.GetVelocity().x, 0.0f, 1.0f) << "step " << i;
        else
            EXPECT_GT(static_cast<float>(step.way) * player.GetVelocity().x, 500.0f) << "step " << i;
    }
}

TEST_F(PlayerControl, MessagesComeInTheOrderOfTheMoves)
{
    AddFloor();
    Player& player = MakePlayer();
    player.SetDashUnlocked(true);
    Run(0.2f);
    Press(Action::Right);
    Run(0.3f);
    Tap(Action::Jump);
    while (player.GetState() != Player::STATE_GROUNDED)
        Step();
    Run(0.2f);
    Press(Action::Dash);
    Step();
    Release(Action::Dash);
    Run(0.5f);
    Release(Action::Right);
    Run(1.0f);

    using M = MessageType;
    EXPECT_EQ(myLog.myTypes, (std::vector<M>{M::FootstepsStop, M::FootstepsStart, M::DoubleJump, M::FootstepsStop, M::Land,
                                             M::FootstepsStart, M::Dash, M::FootstepsStop, M::FootstepsStart, M::FootstepsStop}))
        << "running, jumping, landing, dashing (footsteps stop during the dash), running on, stopping";
    EXPECT_EQ(Without(myLog.myTypes, M::FootstepsStop).size(), 6u);
}

TEST_F(PlayerControl, TheStickAddsToTheKeysClampedAndAnInteractPressLastsAFrame)
{
    AddFloor();
    Player& player = MakePlayer();
    // The stick: its x drives the analog axis; digital input adds to it, clamped to 1.
    player.HandleInput({Action::Move, Vec2{-0.5f, 0.8f}});
    Run(2.0f);
    const float half = player.GetVelocity().x;
    EXPECT_LT(half, -300.0f);
    player.HandleInput({Action::Move, Vec2{-1.1f, 0.0f}});
    Press(Action::Left);
    Run(2.0f);
    EXPECT_NEAR(player.GetVelocity().x, 2.0f * half, 0.05f * std::abs(half)) << "clamped to full speed";
    player.HandleInput({Action::Move, 0.0f});
    Release(Action::Left);
    player.HandleInput({Action::Interact, int32_t(1)});   // not a button: ignored
    EXPECT_FALSE(player.IsInteractPressed());
    player.HandleInput({Action::Interact, true});
    EXPECT_TRUE(player.IsInteractPressed());
    Step();
    EXPECT_TRUE(player.IsInteractPressed()) << "a press lasts through the frame's contacts";
    Step();
    EXPECT_FALSE(player.IsInteractPressed());
}

TEST_F(PlayerControl, InitRegistersOneInputListenerThatTheDestructorRemoves)
{
    Player& player = MakePlayer();
    const uint32_t id = player.GetInputListenerId();
    EXPECT_NE(id, 0u);
    myPlayer.reset();
    std::vector<std::string> reports;
    Plat::Runtime::SetAssertionHandler([&](const Plat::Runtime::AssertionReport& r) { reports.push_back(r.expression); });
    InputMapper::GetInstance().RemoveInputEventListener(id);
    Plat::Runtime::SetAssertionHandler({});
    EXPECT_EQ(reports.size(), 1u) << "the player's listener is already gone";
    EXPECT_EQ(myLog.myTypes.back(), MessageType::FootstepsStop) << "a player that goes stops its footsteps";
}
