#include "PlayerTestWorld.h"

#include "forge/drawers/SpriteDrawer.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/shaders/SpriteShader.h"

#include "Engine/drawers/RenderTestHelpers.h"

#include <cmath>

using namespace PlayerTest;
using Vec3 = Kiln::Vector3<float>;

namespace
{
    using PlayerHero = PlayerWorld;
    using PlayerRender = PlayerWorld;
}

TEST_F(PlayerRender, DrawsTheSheetCellAndTurnsRedWhenHurt)
{
    // An 8 x 1 sheet of opaque white cells.
    const auto sheet = SpriteTest::MakeTexture(8, 1, std::vector<uint32_t>(8, 0xFFFFFFFFu));
    ASSERT_NE(sheet, nullptr);
    myControllers.Install(Player::CONTROLLER_PATH, PlayerController(sheet.get()));
    Player& player = MakePlayer(DefaultTuning({160.0f, 60.0f, 0.0f}));
    ASSERT_NE(player.GetHurtShader(), nullptr);
    ASSERT_TRUE(player.GetHurtShader()->IsLoaded());
    Kiln::SpriteDrawer& drawer = *(*theEngine)->GetGraphicsEngine()->GetSpriteDrawer();

    const auto draw = [&] {
        EXPECT_TRUE((*theEngine)->BeginFrame());
        player.Render(drawer);
        return SpriteTest::ReadBackBuffer();
    };

    // Unhurt: the white sheet as it is, over the 150 x 150 quad hanging from (85, 157.5).
    SpriteTest::Image image = draw();
    SpriteTest::Rgba inside = image.AtSpritePoint(160, 100);
    EXPECT_GE(inside.r, 250);
    EXPECT_GE(inside.g, 250);
    EXPECT_TRUE(image.IsLit(90, static_cast<uint32_t>(image.height - 150)));
    EXPECT_FALSE(image.IsLit(80, static_cast<uint32_t>(image.height - 100), 30)) << "left of the quad";
    EXPECT_FALSE(image.IsLit(240, static_cast<uint32_t>(image.height - 100), 30)) << "right of the quad";
    EXPECT_FALSE(image.IsLit(160, static_cast<uint32_t>(image.height - 165), 30)) << "above the quad";

    // Hurt: the hurt shader tints it red.
    AddEnemy(Enemy::TYPE_PASSIVE, {230.0f, 60.0f, 0.0f});
    Step(0.0f);
    ASSERT_EQ(player.GetHealth(), 50);
    Step(0.0f);   // the knock-back to the left turns the sprite
    image = draw();
    inside = image.AtSpritePoint(player.GetPosition().x, 100);
    EXPECT_GE(inside.r, 200);
    EXPECT_GE(inside.r - inside.g, 100) << "a hurt player is drawn red";

    // Facing left, the mirrored quad covers the same place.
    EXPECT_FALSE(player.IsFacingRight());
    EXPECT_TRUE(image.IsLit(static_cast<uint32_t>(player.GetPosition().x - 70.0f), static_cast<uint32_t>(image.height - 100)));
    EXPECT_TRUE(image.IsLit(static_cast<uint32_t>(player.GetPosition().x + 70.0f), static_cast<uint32_t>(image.height - 100)));

    // Dead: nothing is drawn.
    AddEnemy(Enemy::TYPE_HANDS, player.GetPosition());
    Step(0.0f);
    ASSERT_EQ(player.GetState(), Player::STATE_DEAD);
    image = draw();
    EXPECT_FALSE(image.IsLit(static_cast<uint32_t>(player.GetPosition().x), static_cast<uint32_t>(image.height - 100), 30));
}

TEST_F(PlayerHero, RunsJumpsDoubleJumpsDashesIsHurtDiesAndRespawns)
{
    // A floor of twenty 400-unit tiles, top at y 0, and a ledge-free level.
    for (int i = 0; i < 20; ++i)
        AddBox({-2000.0f + 400.0f * static_cast<float>(i), -50.0f}, {400.0f, 100.0f});
    Player& player = MakePlayer(DefaultTuning({-1800.0f, 50.0f, 0.0f}));
    player.SetMaxJumps(2);
    player.SetDashUnlocked(true);
    myCamera = std::make_unique<CustomCamera>();
    myCamera->SetAnchor(player.GetPosition());
    myCamera->SetOffset({0.0f, 150.0f, -1300.0f});
    myCamera->SetAnchorDampening(5.0f);
    myCamera->SetViewLeadingScale(0.5f);
    myCamera->SetSwingRadius(20.0f);
    myCamera->SetSwingSpeed(0.5f);
    myCamera->StartSwing();
    Post(MessageType::SaveState);   // the level has loaded
    Run(0.2f);
    ASSERT_EQ(player.GetState(), Player::STATE_GROUNDED);

    // Run across the tile seams.
    Press(Action::Right);
    Run(1.5f);
    EXPECT_GT(player.GetVelocity().x, 850.0f) << "no seam catches the player";
    EXPECT_NEAR(player.GetPosition().y, 50.0f, 0.5f);
    EXPECT_EQ(player.GetAnimationController().GetCurrentAnimationName(), "Run");
    EXPECT_GT(myCamera->GetPosition().x, player.GetPosition().x) << "the view leads the run";

    // Jump, then double jump at the apex.
    Press(Action::Jump);
    Step();
    Release(Action::Jump);
    EXPECT_EQ(player.GetState(), Player::STATE_AIRBORNE);
    while (player.GetVelocity().y > 0.0f)
        Step();
    const float firstApex = player.GetPosition().y;
    EXPECT_GT(firstApex, 200.0f);
    Press(Action::Jump);
    Step();
    Release(Action::Jump);
    EXPECT_EQ(player.GetJumpsUsed(), 2u);
    EXPECT_EQ(player.GetAnimationController().GetCurrentAnimationName(), "duble_jump");
    while (player.GetVelocity().y > 0.0f)
        Step();
    EXPECT_GT(player.GetPosition().y, firstApex + 150.0f);

    // Dash through the air, then land.
    Press(Action::Dash);
    Step();
    Release(Action::Dash);
    EXPECT_TRUE(player.IsDashing());
    EXPECT_NEAR(player.GetVelocity().x, 3000.0f * std::exp(-8.0f * FRAME), 1.0f);
    while (player.GetState() != Player::STATE_GROUNDED)
        Step();
    EXPECT_EQ(player.GetDashesUsed(), 0u);
    Release(Action::Right);
    Run(1.0f);

    // A walking enemy hurts.
    const Vec3 here = player.GetPosition();
    StandingEnemy& walker = AddEnemy(Enemy::TYPE_PASSIVE, here + Vec3{80.0f, 0.0f, 0.0f});
    Step();
    walker.SwitchOff();
    EXPECT_EQ(player.GetHealth(), 50);
    Run(0.5f);

    // The hands kill.
    AddEnemy(Enemy::TYPE_HANDS, player.GetPosition() + Vec3{-60.0f, 0.0f, 0.0f});
    Step();
    EXPECT_EQ(player.GetState(), Player::STATE_DEAD);
    Run(1.0f);
    EXPECT_EQ(myLog.Count(MessageType::RestoreState), 0u);
    Run(0.6f);

    // Respawned at the start, whole, with the camera on the player.
    EXPECT_EQ(myLog.Count(MessageType::RestoreState), 1u);
    EXPECT_EQ(player.GetState(), Player::STATE_GROUNDED);
    EXPECT_EQ(player.GetHealth(), 100);
    EXPECT_NEAR(player.GetPosition().x, -1800.0f, 5.0f);
    EXPECT_NEAR(myCamera->GetAnchor().x, player.GetPosition().x, 5.0f) << "the camera snapped instead of gliding";
    EXPECT_LT(std::abs(myCamera->GetPosition().x - player.GetPosition().x), 25.0f);

    using M = MessageType;
    const std::vector<M> story = {M::SaveState, M::DoubleJump, M::DoubleJump, M::Dash,         M::Land,
                                  M::PlayerHurt, M::PlayerDied, M::RestoreState};
    std::vector<M> happened;
    for (M type : myLog.myTypes)
        if (type != M::FootstepsStart && type != M::FootstepsStop)
            happened.push_back(type);
    EXPECT_EQ(happened, story);
}
