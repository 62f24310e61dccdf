// Upgrade characters: their placement, the two talks and the grant with the real player,
// the ability that switches on, the cards and prompts around them, and their drawing.
#include "PropTestWorld.h"

#include "ContentError.h"
#include "InteractObject.h"
#include "TutorialText.h"

#include "forge/drawers/SpriteDrawer.h"
#include "forge/shaders/SpriteShader.h"


using namespace PropTest;

namespace
{
    constexpr float kPi = 3.14159265f;

    // A controller as a content author writes A_Upgrade: "Idle" (cell 0, looping) and
    // "Fall" (cell 1) on one 2 x 1 sheet, with the path from Idle to Fall.
    AnimationControllerData UpgradeController(Kiln::Texture* aSheet, bool aWithFall = true)
    {
        AnimationControllerData data;
        AnimationController::Animation& idle = data.myAnimations["Idle"];
        idle.myName = "Idle";
        idle.myId = 0;
        idle.myLoop = true;
        idle.myFramesPerSecond = 10.0f;
        if (aWithFall)
        {
            idle.myTransitions = {"Fall"};
            AnimationController::Animation& fall = data.myAnimations["Fall"];
            fall.myName = "Fall";
            fall.myId = 1;
            fall.myStartFrame = 1;
            fall.myEndFrame = 1;
            fall.myFramesPerSecond = 10.0f;
        }
        Kiln::SpriteSharedData sheet;
        sheet.myTextures[0] = aSheet;
        data.mySheets[0] = sheet;
        data.myGrids[0] = {2, 1};
        return data;
    }

    class UpgradeTest : public PropWorld
    {
    protected:
        void SetUp() override
        {
            PropWorld::SetUp();
            myControllers.Install(Upgrade::CONTROLLER_PATH, UpgradeController(nullptr));
        }

        static UpgradeConfiguration At(Vec3 aPosition, int32_t aType)
        {
            UpgradeConfiguration c;
            c.myType = aType;
            c.mySprite = "sprites/npc/S_NPC.dds";
            c.myPosition = aPosition;
            return c;
        }

        // A player standing on the floor at x with the double jump taken away (as a level
        // without "DoubleJump" makes it), and a frame to settle.
        Player& MakeStandingPlayer(float anX)
        {
            if (myBoxes.empty())
                AddFloor();
            Player& player = MakePlayer({anX, 50.0f, 0.0f});
            player.SetMaxJumps(1);
            Run(0.1f);
            return player;
        }

        // Presses interact for one frame.
        void Interact()
        {
            Press(Action::Interact);
            Step();
            Release(Action::Interact);
        }
    };
}

TEST_F(UpgradeTest, PlacementScalesAndTurnsTheQuadAroundItsPivot)
{
    UpgradeConfiguration c = At({100.0f, 200.0f, 5.0f}, 2);
    c.myScale = {1.0f, 2.0f, 1.0f};
    c.myRotation = {0.0f, 0.0f, 90.0f};
    c.myPivot = {0.25f, 0.75f};
    Upgrade& upgrade = AddUpgrade(c);

    // Turned a quarter, then scaled: rows (0, 300, 0) and (-150, 0, 0).
    const Kiln::Matrix4x4<float>& t = upgrade.GetSpriteInstance().myTransform;
    const Vec3 row0 = t.GetRow(0), row1 = t.GetRow(1), row2 = t.GetRow(2);
    EXPECT_NEAR(row0.x, 0.0f, 1e-3f);
    EXPECT_NEAR(row0.y, 300.0f, 1e-3f);
    EXPECT_NEAR(row1.x, -150.0f, 1e-3f);
    EXPECT_NEAR(row1.y, 0.0f, 1e-3f);
    EXPECT_NEAR(row2.z, 150.0f, 1e-3f);
    // The pivot's point of the quad (x 0..1, y -1..0) lands on the position.
    const Vec3 pivot = t.TransformPoint({0.25f, -0.75f, 0.0f});
    EXPECT_NEAR(pivot.x, 100.0f, 1e-3f);
    EXPECT_NEAR(pivot.y, 200.0f, 1e-3f);
    EXPECT_NEAR(pivot.z, 5.0f, 1e-3f);
    EXPECT_EQ(upgrade.GetPivot(), Vec2(0.25f, -0.75f));
    EXPECT_EQ(upgrade.GetPosition(), Vec3(100.0f, 200.0f, 5.0f));
    EXPECT_EQ(upgrade.GetUpgradeType(), 2);

    const Circle& circle = upgrade.GetCollider();
    EXPECT_EQ(circle.GetCenter(), Vec2(100.0f, 200.0f));
    EXPECT_EQ(circle.GetRadius(), 200.0f);
    EXPECT_EQ(upgrade.GetCircle().GetCollisionLayer(), uint32_t(CollisionLayer::Trigger));
    EXPECT_EQ(upgrade.GetCircle().GetCollisionMask(), uint32_t(CollisionLayer::Player));
    EXPECT_EQ(upgrade.GetAnimationController().GetCurrentAnimationName(), "Idle");
    EXPECT_FALSE(upgrade.IsGranted());
    EXPECT_EQ(upgrade.GetInteractions(), 0u);
}

TEST_F(UpgradeTest, TwoTalksThenTheThirdPressGrantsTheDashOnce)
{
    Upgrade& upgrade = AddUpgrade(At({150.0f, 100.0f, 0.0f}, Upgrade::TYPE_DASH));
    Player& player = MakeStandingPlayer(0.0f);
    player.SetDashUnlocked(false);   // as a level without "Dash" builds it

    Interact();
    EXPECT_EQ(myLog.Count(MessageType::NpcTalk), 1u);
    EXPECT_EQ(upgrade.GetInteractions(), 1u);
    EXPECT_TRUE(player.IsFrozen()) << "the player stops to listen";

    // Holding the button counts once.
    Press(Action::Interact);
    Run(0.5f);
    EXPECT_EQ(upgrade.GetInteractions(), 2u);
    Release(Action::Interact);
    Run(0.5f);
    EXPECT_EQ(upgrade.GetInteractions(), 2u);
    EXPECT_EQ(myLog.Count(MessageType::NpcTalk), 2u);
    EXPECT_FALSE(upgrade.IsGranted());

    Interact();
    EXPECT_TRUE(upgrade.IsGranted());
    ASSERT_EQ(myLog.Count(MessageType::UpgradeGranted), 1u);
    for (const MessageLog::Entry& entry : myLog.myEntries)
    {
        if (entry.type == MessageType::UpgradeGranted)
        {
            EXPECT_EQ(entry.position, Vec3(150.0f, 100.0f, 0.0f)) << "posted with the character's position";
        }
    }
    EXPECT_EQ(upgrade.GetCollider().GetRadius(), 0.0f) << "no further contacts";
    EXPECT_EQ(upgrade.GetAnimationController().GetCurrentAnimationName(), "Fall") << "falls from the next update";
    EXPECT_EQ(myLog.Count(MessageType::NpcTalk), 2u);

    // Further presses do nothing.
    for (int press = 0; press < 3; ++press)
        Interact();
    EXPECT_EQ(myLog.Count(MessageType::UpgradeGranted), 1u);
    EXPECT_EQ(myLog.Count(MessageType::NpcTalk), 2u);

    // The upgrade effect plays out, then the player dashes.
    Run(5.5f);
    ASSERT_FALSE(player.IsFrozen());
    Press(Action::Dash);
    Step();
    EXPECT_TRUE(player.IsDashing()) << "the dash is unlocked";
    EXPECT_FALSE(player.IsDashAttacking());
}

TEST_F(UpgradeTest, PressingOutsideTheCircleDoesNothing)
{
    Upgrade& upgrade = AddUpgrade(At({1000.0f, 100.0f, 0.0f}, Upgrade::TYPE_DASH));
    Player& player = MakeStandingPlayer(0.0f);
    for (int press = 0; press < 3; ++press)
        Interact();
    EXPECT_EQ(upgrade.GetInteractions(), 0u);
    EXPECT_EQ(myLog.Count(MessageType::NpcTalk), 0u);
    EXPECT_FALSE(player.IsFrozen());
}

TEST_F(UpgradeTest, EachTypeSwitchesOnItsAbilityAndOtherTypesNone)
{
    // The dash attack rides on the dash, which the level gives before that upgrade.
    struct Case
    {
        int32_t type;
        bool startsWithDash;
        uint32_t maxJumps;
        bool dashAttack;
    };
    for (const Case& c : {Case{1, false, 2, false}, Case{2, false, 1, false}, Case{3, true, 1, true}, Case{7, false, 1, false}})
    {
        SCOPED_TRACE(c.type);
        myUpgrades.clear();
        myBoxes.clear();
        myPlayer.reset();
        myManager = CollisionManager();
        myLog.Clear();
        Upgrade& upgrade = AddUpgrade(At({0.0f, 100.0f, 0.0f}, c.type));
        Player& player = MakeStandingPlayer(0.0f);
        player.SetDashUnlocked(c.startsWithDash);
        for (int press = 0; press < 3; ++press)
            Interact();
        EXPECT_TRUE(upgrade.IsGranted()) << "the talk completes whatever the type";
        EXPECT_EQ(myLog.Count(MessageType::UpgradeGranted), 1u);
        EXPECT_EQ(player.GetMaxJumps(), c.maxJumps);

        // What a dash does shows the two dash abilities.
        Run(5.5f);
        ASSERT_FALSE(player.IsFrozen());
        Press(Action::Dash);
        Step();
        EXPECT_EQ(player.IsDashing(), c.type == Upgrade::TYPE_DASH || c.startsWithDash);
        EXPECT_EQ(player.IsDashAttacking(), c.dashAttack);
        Release(Action::Dash);
    }
}

TEST_F(UpgradeTest, TalksTurnTheNearbyCardAndTheGrantPutsCardAndPromptAway)
{
    TutorialText card("", "", "", "", {0.0f, 0.0f, 0.0f});
    TutorialText farCard("", "", "", "", {8000.0f, 0.0f, 0.0f});
    InteractObject prompt("", "", {0.0f, 100.0f, 0.0f});
    AddUpgrade(At({0.0f, 100.0f, 0.0f}, Upgrade::TYPE_DOUBLE_JUMP));
    Player& player = MakeStandingPlayer(100.0f);
    // The world's order: the player moves, then the proximity tests, then the contacts.
    const auto frame = [&] {
        player.Update(FRAME);
        for (auto* t : {&card, &farCard})
            t->UpdateProximity(player.GetPosition());
        prompt.UpdateProximity(player.GetPosition());
        ParticleRegistry::GetInstance().Update(FRAME);
        myManager.CollisionPass(FRAME);
    };
    frame();
    EXPECT_TRUE(prompt.IsNear());
    EXPECT_TRUE(prompt.IsEnabled());

    Press(Action::Interact);
    frame();
    Release(Action::Interact);
    EXPECT_EQ(card.GetPage(), 1u);
    EXPECT_TRUE(card.IsVisible());
    EXPECT_EQ(farCard.GetPage(), 0u) << "beyond 5000 units";
    Press(Action::Interact);
    frame();
    Release(Action::Interact);
    EXPECT_EQ(card.GetPage(), 2u);

    Press(Action::Interact);
    frame();
    Release(Action::Interact);
    EXPECT_EQ(card.GetPage(), 0u);
    EXPECT_FALSE(card.IsVisible());
    EXPECT_FALSE(prompt.IsEnabled()) << "the prompt has done its job";
    EXPECT_EQ(player.GetMaxJumps(), 2u);
}

TEST_F(UpgradeTest, AControllerWithoutFallIsAContentError)
{
    myControllers.Install(Upgrade::CONTROLLER_PATH, UpgradeController(nullptr, false));
    Upgrade upgrade;
    const std::string message = MessageOf([&] { upgrade.Init(At({0.0f, 0.0f, 0.0f}, 1)); });
    EXPECT_NE(message.find("A_Upgrade.ksc"), std::string::npos) << message;
    EXPECT_NE(message.find("\"Fall\""), std::string::npos) << message;
}

TEST_F(UpgradeTest, DrawsItsCellWithItsOwnCutOutShaderAroundThePivot)
{
    // Cell 0 red, cell 1 green, each with a see-through right quarter.
    WriteTexture("sprites/npc/sheet.dds", 64, 32, [](uint32_t x, uint32_t) {
        if (x % 32 >= 24)
            return 0x00000000u;
        return x < 32 ? 0xff0000ffu : 0xff00ff00u;
    });
    Kiln::TextureResource* sheet = (*myEngine)->GetTextureManager()->GetTexture("sprites/npc/sheet.dds", Kiln::TextureSrgbMode::ForceSrgb);
    myControllers.Install(Upgrade::CONTROLLER_PATH, UpgradeController(sheet));

    UpgradeConfiguration c = At({0.0f, 0.0f, 0.0f}, Upgrade::TYPE_DASH);
    c.myScale = {2.0f, 2.0f, 1.0f};   // a 300 x 300 quad centred on the position
    Upgrade& upgrade = AddUpgrade(c);
    ASSERT_NE(upgrade.GetShader(), nullptr);
    EXPECT_TRUE(upgrade.GetShader()->IsLoaded());
    EXPECT_EQ(upgrade.GetShader()->GetPixelShaderName(), "shaders/AlphaSpriteShaderPS");

    Kiln::SpriteDrawer& drawer = *(*myEngine)->GetGraphicsEngine()->GetSpriteDrawer();
    const auto red = [&](const SpriteTest::Image& anImage, Vec2 aPoint) {
        const SpriteTest::Rgba p = WorldPixel(anImage, aPoint);
        return p.r > 200 && p.g < 40;
    };
    const auto green = [&](const SpriteTest::Image& anImage, Vec2 aPoint) {
        const SpriteTest::Rgba p = WorldPixel(anImage, aPoint);
        return p.g > 200 && p.r < 40;
    };
    const SpriteTest::Image idle = DrawWorld({0.0f, 0.0f}, [&] { upgrade.Render(drawer); });
    EXPECT_TRUE(red(idle, {0.0f, 0.0f}));
    EXPECT_TRUE(red(idle, {-140.0f, 140.0f}));
    EXPECT_TRUE(red(idle, {60.0f, -140.0f}));
    EXPECT_FALSE(IsDrawnAt(idle, {120.0f, 0.0f})) << "the see-through quarter is cut out";
    EXPECT_FALSE(IsDrawnAt(idle, {-170.0f, 0.0f})) << "outside the quad";
    EXPECT_FALSE(IsDrawnAt(idle, {0.0f, 170.0f}));

    // Granted: it falls, and the next frame shows the fall's cell.
    MakeStandingPlayer(0.0f);
    for (int press = 0; press < 3; ++press)
        Interact();
    ASSERT_TRUE(upgrade.IsGranted());
    const SpriteTest::Image fall = DrawWorld({0.0f, 0.0f}, [&] { upgrade.Render(drawer); });
    EXPECT_TRUE(green(fall, {0.0f, 0.0f}));
    EXPECT_FALSE(red(fall, {0.0f, 0.0f}));
}
