// The game world's frame: the loading phase, the capped time step, the activation radius,
// music by distance, the camera shake, the follow camera, the models culled to the view
// pyramid, the light pass around the player and a level without a player.
#include "GameWorldFixture.h"

#include "Message.h"
#include "Player.h"
#include "PostMaster.h"
#include "Sound.h"

#include "forge/audio/AudioOut.h"
#include "forge/engine/Engine.h"
#include "forge/settings/Settings.h"
#include "forge/shaders/SpriteShader.h"
#include "forge/texture/TextureManager.h"
#include "forge/texture/TextureResource.h"

#include "Platform/runtime/Paths.h"
#include "Platform/soundlib/SoundLib.h"
#include "Support/SoundFixtures.h"

#include <algorithm>
#include <cmath>
#include <set>

#include <unistd.h>

using namespace WorldTest;

namespace
{
    constexpr const char* LEVEL1 = "levels\\Level1.ksc";
    constexpr const char* OUTRO = "levels\\Level_Outro.ksc";

    class GameWorldFrame : public WorldTest::WorldTest
    {
    protected:
        // A floor 2000 wide whose top is y = 0 around x = 0, and the player standing on it
        // at (0, 50) with a camera that neither sways nor leads.
        void WriteFloorAndPlayer(const char* aLevel, const Vec3& aCameraOffset = {0.0f, 150.0f, -1300.0f})
        {
            Place(aLevel, "Floor", "KOB_Level1_FloorTile", {}, {0.0f, -50.0f, 0.0f}, {}, {20.0f, 1.0f, 1.0f});
            Place(aLevel, "Hero", "KOB_Player",
                  {ObjectProperty("Camera Offset", "Float3", Json::array({aCameraOffset.x, aCameraOffset.y, aCameraOffset.z})),
                   ObjectProperty("Camera Swing Radius", "Float", 0.0), ObjectProperty("View Leading Scale", "Float", 0.0)},
                  {0.0f, 50.0f, 0.0f});
        }

        ProbeEnemy& AddProbe(const Vec3& aPosition, uint32_t aType, bool aDead = false)
        {
            auto probe = std::make_unique<ProbeEnemy>(aPosition, aType, aDead);
            ProbeEnemy& result = *probe;
            Access::Enemies(*myWorld).push_back(std::move(probe));
            return result;
        }
    };
}

TEST_F(GameWorldFrame, WhileLoadingOnlyTheLoaderRunsAndOnlyTheLoadingScreenIsDrawn)
{
    // The fixture's loading picture is red; the level has models in plain view of the still camera.
    for (int i = 0; i < 7; ++i)
        Place(LEVEL1, "Model " + std::to_string(i), "KOB_StaticModel", {}, {0.0f, 0.0f, 1000.0f});

    GameWorld& world = MakeWorld(LEVEL1);
    SceneLoader& loader = *Access::Loader(world);
    std::vector<size_t> models;
    int frames = 0;
    while (!world.IsLevelLoaded() && frames < 20)
    {
        ++frames;
        world.Update(0.5f);
        models.push_back(Access::Models(world).size());
        if (!world.IsLevelLoaded())
        {
            SpriteTest::ScopedTrace trace;
            const SpriteTest::Image image = DrawFrame();
            EXPECT_TRUE(SpriteTest::CallsNamed("DrawIndexed").empty()) << "no model is drawn while loading";
            // The loader sets its screen up when it begins, in the second frame.
            const SpriteTest::Rgba middle = image.At(160, 90);
            if (frames > 1)
            {
                EXPECT_GT(middle.r, 240) << "frame " << frames;
                EXPECT_LT(middle.g + middle.b, 20);
            }
        }
    }
    // Requested, begun, then five objects a frame: the seventh arrives in the fourth frame.
    EXPECT_EQ(frames, 4);
    EXPECT_EQ(models, (std::vector<size_t>{0, 0, 5, 7}));

    // The loading moth ran on the capped step: 0.0333 s each frame.
    const Animated2DSprite& moth = loader.GetMoth();
    const float mothTime = static_cast<float>(moth.GetCurrentFrame()) * moth.GetSecondsPerFrame() + moth.GetFrameTimer();
    EXPECT_NEAR(mothTime, 4.0f * GameWorld::MAX_TIME_STEP, 1e-4f);

    SpriteTest::ScopedTrace trace;
    const SpriteTest::Image image = DrawFrame();
    EXPECT_EQ(SpriteTest::CallsNamed("DrawIndexed").size(), 7u) << "once loaded, the level is drawn";
    EXPECT_LT(image.At(5, 5).r, 100) << "and not the loading picture";
}

TEST_F(GameWorldFrame, EnemiesWithinTwoThousandUnitsSidewaysAreUpdatedAndDrawnAndALongFrameIsCapped)
{
    WriteFloorAndPlayer(LEVEL1);
    LoadWorld(LEVEL1);
    const float x = myWorld->GetPlayer()->GetPosition().x;
    ProbeEnemy& right = AddProbe({x + 1999.0f, 5000.0f, 0.0f}, Enemy::TYPE_PASSIVE);
    ProbeEnemy& left = AddProbe({x - 1999.0f, -5000.0f, 0.0f}, Enemy::TYPE_HANDS);
    ProbeEnemy& farRight = AddProbe({x + 2000.0f, 50.0f, 0.0f}, Enemy::TYPE_PASSIVE);
    ProbeEnemy& farLeft = AddProbe({x - 2000.0f, 50.0f, 0.0f}, 7);

    myWorld->Update(0.016f);
    DrawFrame();
    EXPECT_EQ(right.mySteps.size(), 1u) << "only the horizontal distance counts";
    EXPECT_EQ(left.mySteps.size(), 1u);
    EXPECT_TRUE(farRight.mySteps.empty());
    EXPECT_TRUE(farLeft.mySteps.empty());
    EXPECT_EQ(right.myRenders, 1);
    EXPECT_EQ(left.myRenders, 1);
    EXPECT_EQ(farRight.myRenders, 0);
    EXPECT_EQ(farLeft.myRenders, 0);

    // A long frame advances the level by a thirtieth of a second.
    Access::ShakeFunction(*myWorld)(5.0f, 3.0f);
    myWorld->Update(0.5f);
    myWorld->Update(0.01f);
    EXPECT_EQ(right.mySteps, (std::vector<float>{0.016f, GameWorld::MAX_TIME_STEP, 0.01f}));
    EXPECT_FLOAT_EQ(Access::ShakeTimer(*myWorld), GameWorld::MAX_TIME_STEP + 0.01f);
}

namespace
{
    namespace S = Plat::Sound;

    // The game's sound bank over the shipped asset tree, loaded before the test's engine
    // points the asset roots at its own folder; volumes of the enemy loops by their sample.
    class GameWorldMusic : public GameWorldFrame
    {
    protected:
        void SetUp() override
        {
            TestSupport::LoadGameSoundBank();
            for (const char* clip : {"Sound/SFX_EnemyBlob.mp3", "Sound/SFX_EnemyHands.mp3", "Sound/SFX_Enemy_Boss.mp3"})
                mySamples.push_back(Kiln::AudioOut::GetInstance()->FindSample(Kiln::Settings::ResolveAssetPath(clip)));
            GameWorldFrame::SetUp();
            SendVolume(MessageType::SfxVolume, 0.5f);
        }

        static void SendVolume(MessageType aType, float aValue)
        {
            Message message;
            message.type = aType;
            message.value = aValue;
            PostMaster::GetInstance().SendMessage(message);
        }

        // Volume of the newest channel of clip 0 (walkers), 1 (hands) or 2 (boss); -1 when none plays.
        float VolumeOf(size_t aClip) const
        {
            const std::vector<uint32_t> channels = Kiln::AudioOut::GetInstance()->GetChannels(static_cast<int32_t>(mySamples[aClip]));
            float volume = -1.0f;
            if (channels.empty() || !S::ChannelGetAttribute(channels.back(), S::ATTRIB_VOL, &volume))
                return -1.0f;
            return volume;
        }

        // What the bank makes of a squared distance: full within 200 units, none from 1700.
        static float Expected(float aDistance)
        {
            return Sound::InverseLerp(1700.0f * 1700.0f, 200.0f * 200.0f, aDistance * aDistance) * Sound::GetInstance().GetSfxVolume();
        }

        std::vector<uint32_t> mySamples;
    };
}

TEST_F(GameWorldMusic, EnemyLoopsFollowTheNearestLivingEnemyOfEachKindInsideTheRadius)
{
    ASSERT_NE(mySamples[0], 0u);
    WriteFloorAndPlayer(LEVEL1);
    LoadWorld(LEVEL1);
    const Vec3 p = myWorld->GetPlayer()->GetPosition();
    // Walkers at 1000 and 600 units (3-D distance), hands dead at 100 and alive at 1999
    // sideways with 1000 in depth (beyond the loop's reach), another kind at 300.
    AddProbe({p.x + 1000.0f, p.y, p.z}, Enemy::TYPE_PASSIVE);
    AddProbe({p.x - 360.0f, p.y + 480.0f, p.z}, Enemy::TYPE_PASSIVE);
    ProbeEnemy& deadHands = AddProbe({p.x + 100.0f, p.y, p.z}, Enemy::TYPE_HANDS, true);
    AddProbe({p.x + 1999.0f, p.y, p.z + 1000.0f}, Enemy::TYPE_HANDS);
    AddProbe({p.x + 300.0f, p.y, p.z}, 5);

    myWorld->Update(0.016f);
    EXPECT_EQ(deadHands.mySteps.size(), 1u) << "a dead enemy is still updated";
    // The player settles on the floor by a fraction of a unit in its update.
    EXPECT_NEAR(VolumeOf(0), Expected(600.0f), 1e-3f);
    EXPECT_EQ(VolumeOf(1), 0.0f) << "the living hands are beyond 1700, the dead ones do not count";

    // Hands at 2000 sideways are not counted even close in depth; with none left the loop is silent.
    Access::Enemies(*myWorld).clear();
    AddProbe({p.x + 2000.0f, p.y, p.z}, Enemy::TYPE_HANDS);
    AddProbe({p.x + 150.0f, p.y, p.z}, Enemy::TYPE_HANDS);
    myWorld->Update(0.016f);
    EXPECT_NEAR(VolumeOf(1), Sound::GetInstance().GetSfxVolume(), 1e-6f);
    EXPECT_EQ(VolumeOf(0), 0.0f) << "no walker in range";
    EXPECT_EQ(VolumeOf(2), -1.0f) << "no boss loop outside the outro";
}

TEST_F(GameWorldMusic, OnTheOutroOnlyTheBossLoopIsDrivenFromThePlayersPosition)
{
    ASSERT_NE(mySamples[2], 0u);
    Place(OUTRO, "Floor", "KOB_Level1_FloorTile", {}, {6250.0f, -50.0f, 0.0f}, {}, {20.0f, 1.0f, 1.0f});
    Place(OUTRO, "Hero", "KOB_Player", {}, {6250.0f, 50.0f, 0.0f});
    LoadWorld(OUTRO);
    AddProbe({6300.0f, 50.0f, 0.0f}, Enemy::TYPE_PASSIVE);
    myWorld->Update(0.016f);
    const float x = myWorld->GetPlayer()->GetPosition().x;
    EXPECT_NEAR(VolumeOf(2), Sound::InverseLerp(5000.0f, 7500.0f, x) * 2.0f * Sound::GetInstance().GetSfxVolume(), 1e-4f);
    EXPECT_GT(VolumeOf(2), 0.4f);
    EXPECT_EQ(VolumeOf(0), -1.0f) << "the walkers' loop does not play on the outro";
}

TEST_F(GameWorldFrame, AShakeEndsWhenItsTimeIsUpOrIsReplacedAndTheCameraFollowsThePlayerWithItsOffset)
{
    WriteFloorAndPlayer(LEVEL1);
    LoadWorld(LEVEL1);
    GameWorld& world = *myWorld;
    Access::ShakeFunction(world)(0.5f, 10.0f);
    EXPECT_EQ(Access::ShakeTimer(world), 0.0f);
    for (int i = 0; i < 15; ++i)
        world.Update(1.0f / 32.0f);
    EXPECT_EQ(Access::ShakeDuration(world), 0.5f);
    world.Update(1.0f / 32.0f);
    EXPECT_EQ(Access::ShakeDuration(world), -1.0f) << "ends on the frame the time reaches 0.5";
    EXPECT_EQ(Access::ShakeTimer(world), 0.0f);
    const Vec3 last = Access::ShakeOffset(world);
    EXPECT_GT(std::abs(last.x) + std::abs(last.y), 0.0f);
    world.Update(1.0f / 32.0f);
    EXPECT_EQ(Access::ShakeOffset(world), last) << "an ended shake keeps its last offset";

    // Duration 0: no end of its own; a new call (as the chase makes) replaces it.
    Access::ShakeFunction(world)(0.0f, 4.0f);
    for (int i = 0; i < 100; ++i)
        world.Update(0.03f);
    EXPECT_EQ(Access::ShakeDuration(world), 0.0f);
    EXPECT_NEAR(Access::ShakeTimer(world), 3.0f, 1e-3f);
    Access::ShakeFunction(world)(-1.0f, 4.0f);
    world.Update(0.03f);
    EXPECT_NEAR(Access::ShakeTimer(world), 3.0f, 1e-3f) << "a stopped shake no longer counts";

    // The camera follows the player with the shake offset, in x and y only.
    Access::ShakeFunction(world)(0.0f, 7.0f);
    world.Update(0.016f);
    const float time = (*myEngine)->GetTotalTime();
    const Vec3 offset = Access::ShakeOffset(world);
    EXPECT_FLOAT_EQ(offset.x, std::cos(time * 50.0f) * 7.0f);
    EXPECT_FLOAT_EQ(offset.y, std::cos(time * 70.0f) * 7.0f);
    EXPECT_EQ(offset.z, 0.0f);
    const Vec3 player = world.GetPlayer()->GetPosition();
    EXPECT_EQ(world.GetCamera()->GetTarget(), player + offset);

    // Without a shake the camera settles on the player plus the level's camera offset.
    Access::ShakeFunction(world)(-1.0f, 0.0f);
    Access::ShakeOffset(world) = {};
    for (int i = 0; i < 120; ++i)
        world.Update(0.016f);
    const Vec3 camera = world.GetCamera()->GetPosition();
    const Vec3 expected = world.GetPlayer()->GetPosition() + Vec3{0.0f, 150.0f, -1300.0f};
    EXPECT_NEAR(camera.x, expected.x, 0.01f);
    EXPECT_NEAR(camera.y, expected.y, 0.01f);
    EXPECT_NEAR(camera.z, expected.z, 0.01f);
}

TEST_F(GameWorldFrame, TheLightPassFollowsThePlayerGlowsWarmAroundItAndDimsTheRestButNotThePromptsDrawnAfterIt)
{
    // A plain grey backdrop: a parallax picture of one colour filling the screen. The light
    // pass reads the screen texture from register 6.
    WriteTexture("textures/test/grey.dds", 4, 4, [](uint32_t, uint32_t) { return 0xFF808080u; });
    WriteTexture(GameWorld::SCREEN_TEXTURE, 4, 4, [](uint32_t, uint32_t) { return 0xFFFFFFFFu; });
    WriteTexture("textures/test/white.dds", 4, 4, [](uint32_t, uint32_t) { return 0xFFFFFFFFu; });
    const Json white{{"textures", Json::array({"textures/test/white.dds"})}};
    WriteFloorAndPlayer(LEVEL1);
    Place(LEVEL1, "Sky", "KOB_ParallaxBackground",
          {ObjectProperty("sprite", "Sprite", Json{{"textures", Json::array({"textures/test/grey.dds"})}})});
    Place(LEVEL1, "Prompt", "KOB_Interact_Text",
          {ObjectProperty("controllersprite", "Sprite", white), ObjectProperty("keyboardsprite", "Sprite", white)}, {100.0f, 50.0f, 0.0f});
    Place("levels\\Level2.ksc", "Floor", "KOB_Level1_FloorTile", {}, {0.0f, -50.0f, 0.0f}, {}, {20.0f, 1.0f, 1.0f});
    Place("levels\\Level2.ksc", "Hero", "KOB_Player",
          {ObjectProperty("Camera Offset", "Float3", Json::array({3000, 150, -1300})), ObjectProperty("Camera Swing Radius", "Float", 0.0),
           ObjectProperty("View Leading Scale", "Float", 0.0)},
          {0.0f, 50.0f, 0.0f});
    LoadWorld(LEVEL1);
    Kiln::Camera lens;
    lens.SetPerspectiveProjection(90.0f, {320.0f, 180.0f}, 0.1f, 50000.0f);
    EXPECT_EQ(myWorld->GetCamera()->GetProjection(), lens.GetProjection()) << "near plane 0.1, far plane 50000";
    myWorld->Update(0.016f);
    SpriteTest::ScopedTrace trace;
    const SpriteTest::Image image = DrawFrame();
    // 90 degrees across: 1300 back, x maps 1:1 and y by the aspect (320 / 180). The player
    // is 150 below the camera: ndc y = -150 x 16/9 / 1300.
    const float expectedY = -150.0f * (320.0f / 180.0f) / 1300.0f * 0.5f + 0.5f;
    const Kiln::Vector4<float> light = myWorld->GetLightShader()->GetData()[0];
    EXPECT_EQ(light, (Kiln::Vector4<float>{light.x, light.y, 0.0f, 1.0f}));
    EXPECT_NEAR(light.x, 0.5f, 1e-3f);
    EXPECT_NEAR(light.y, expectedY, 1e-3f);
    // The light shader's own draw binds the screen texture at register 6.
    const void* screen = (*myEngine)->GetTextureManager()->GetTexture(GameWorld::SCREEN_TEXTURE, Kiln::TextureSrgbMode::ForceSrgb)
                             ->GetShaderResourceView().get();
    const void* lightData = myWorld->GetLightShader()->GetConstantBuffer();
    const void* atSix = nullptr;
    bool inLightPass = false;
    for (const Plat::Gpu::TraceCall& call : Kiln::DX11::Context->GetTrace())
    {
        inLightPass = inLightPass || (call.name == "PSSetConstantBuffers" && call.objects.at(0) == lightData);
        if (inLightPass && atSix == nullptr && call.name == "PSSetShaderResources" && call.values.at(0) == 6)
            atSix = call.objects.at(0);
    }
    EXPECT_EQ(atSix, screen);
    const uint32_t lightX = static_cast<uint32_t>(light.x * 320.0f);
    const uint32_t lightRow = static_cast<uint32_t>((1.0f - light.y) * 180.0f);

    const auto sum = [](const SpriteTest::Rgba& p) { return p.r + p.g + p.b; };
    // Beside the player's sprite, in the glow: warm (more red than blue) and bright.
    const SpriteTest::Rgba glow = image.At(lightX + 25, lightRow - 5);
    const SpriteTest::Rgba corner = image.At(2, 2);
    const SpriteTest::Rgba edge = image.At(318, 90);
    EXPECT_GT(glow.r, glow.b + 15) << "warm around the hero";
    EXPECT_GT(sum(glow), sum(corner) + 120) << "the rest is dimmer";
    EXPECT_GT(sum(glow), sum(edge) + 60);
    EXPECT_GT(sum(edge), sum(corner)) << "darkest in the far corner";
    // Dim, but readable: the grey backdrop (128, dimmed by the background to about 65) keeps
    // a good part of its light in the far corner.
    EXPECT_GT(sum(corner), 3 * 30);
    EXPECT_LT(sum(corner), 3 * 52);
    // The prompt (lower right, 22 across, standing on 35 % of the height) at full white.
    const SpriteTest::Rgba prompt = image.AtSpritePoint(0.83f * 320.0f, 0.35f * 180.0f + 11.0f);
    EXPECT_EQ(sum(prompt), 3 * 255);

    // The camera 3000 to the right: the player is far off the left edge.
    LoadWorld("levels\\Level2.ksc");
    myWorld->Update(0.016f);
    DrawFrame();
    const Kiln::Vector4<float> offScreen = myWorld->GetLightShader()->GetData()[0];
    EXPECT_NEAR(offScreen.x, -3000.0f / 1300.0f * 0.5f + 0.5f, 1e-3f);
    EXPECT_NEAR(offScreen.y, expectedY, 1e-3f);
}

TEST_F(GameWorldFrame, ALevelWithoutAPlayerLoadsAndShowsItsStaticLevelWithAStillCameraAndNoLightPass)
{
    WriteTexture("textures/test/grey.dds", 4, 4, [](uint32_t, uint32_t) { return 0xFF808080u; });
    Place(LEVEL1, "Sky", "KOB_ParallaxBackground",
          {ObjectProperty("sprite", "Sprite", Json{{"textures", Json::array({"textures/test/grey.dds"})}})});
    Place(LEVEL1, "Box", "KOB_StaticModel", {}, {0.0f, 0.0f, 1000.0f});
    Place(LEVEL1, "Exit", "KOB_LevelTransition", {}, {0.0f, 0.0f, 0.0f});
    Place(LEVEL1, "Chase", "KOB_ChaseScene", {}, {0.0f, 0.0f, 0.0f});
    LoadWorld(LEVEL1);
    ASSERT_EQ(myWorld->GetPlayer(), nullptr);
    const Kiln::Matrix4x4<float> before = myWorld->GetCamera()->GetTransform();
    for (int i = 0; i < 30; ++i)
        myWorld->Update(0.016f);
    EXPECT_EQ(myWorld->GetCamera()->GetTransform(), before) << "nothing to follow";
    EXPECT_EQ(Access::Chase(*myWorld)->GetState(), ChasingHands::STATE_IDLE);
    EXPECT_GT(ParticleRegistry::GetInstance().GetParticleCount(), 0u) << "the ambient motes still fall";
    EXPECT_EQ(myState, State::Playing);

    SpriteTest::ScopedTrace trace;
    const SpriteTest::Image image = DrawFrame();
    EXPECT_EQ(SpriteTest::CallsNamed("DrawIndexed").size(), 1u) << "the model in front of the camera";
    // The backdrop is the same grey everywhere: no light pass darkens the edges.
    const SpriteTest::Rgba corner = image.At(2, 2);
    const SpriteTest::Rgba middle = image.At(160, 10);
    EXPECT_NEAR(corner.r, middle.r, 2);
    EXPECT_NEAR(corner.g, middle.g, 2);
    // Grey 128 as the background draws it, dimmed behind the playfield (about 65), and
    // nothing taken away on top.
    EXPECT_GT(corner.r, 58);
}

TEST_F(GameWorldFrame, ALevelFolderThatIsMissingAFileOrUnreadableEndsTheLoadWithOneLineNamingIt)
{
    // An empty level would leave the player nothing to play and no way on.
    const std::filesystem::path levels = Root() / "levels";
    std::filesystem::create_directories(levels);
    std::ofstream(levels / "Flat.ksc.leveldata") << "not a folder";
    std::filesystem::create_directories(levels / "Locked.ksc.leveldata");
    std::filesystem::permissions(levels / "Locked.ksc.leveldata", std::filesystem::perms::none);
    // A name longer than the file system allows cannot be read, even by root.
    const std::string tooLong = "levels\\" + std::string(300, 'x') + ".ksc";
    std::vector<std::pair<std::string, std::string>> cases = {
        {"levels\\Nowhere.ksc", "does not exist"},
        {"levels\\Flat.ksc", "is not a folder"},
        {tooLong, "cannot be read: "},
    };
    // Root lists a folder whatever its permissions.
    if (::geteuid() != 0)
        cases.emplace_back("levels\\Locked.ksc", "cannot be read: ");
    for (const auto& [path, problem] : cases)
    {
        MakeWorld(path.c_str());
        const std::string message = MessageOf([&] {
            for (int frame = 0; frame < 10 && !myWorld->IsLevelLoaded(); ++frame)
                myWorld->Update(1.0f / 60.0f);
        });
        const std::string folder = (Root() / Plat::Runtime::ToPortableSeparators(path)).string() + ".leveldata";
        EXPECT_EQ(message.rfind("level folder \"" + folder + "\" " + problem, 0), 0u) << message;
        EXPECT_TRUE(message.ends_with("; the level cannot be played")) << message;
        EXPECT_FALSE(myWorld->IsLevelLoaded());
    }
    std::filesystem::permissions(levels / "Locked.ksc.leveldata", std::filesystem::perms::owner_all);
}

TEST_F(GameWorldFrame, ModelsAreDrawnWhenTheirSphereMeetsTheViewPyramidOnly)
{
    // Without a player the camera stays at the origin looking along +z. Each model is a
    // 200 x 200 quad standing on its origin: a sphere of radius 141.4 around (0, 100).
    // The right side plane keeps centres with x - z <= 200 (from 0.7071 (z - x) >= -141.4).
    struct Placement
    {
        const char* name;
        Vec3 position;
        bool drawn;
    };
    const Placement placements[] = {
        {"ahead", {0.0f, 0.0f, 1000.0f}, true},
        {"touching", {1190.0f, 0.0f, 1000.0f}, true},
        {"beside", {1250.0f, 0.0f, 1000.0f}, false},
        {"behind", {0.0f, 0.0f, -1000.0f}, false},
        {"around the camera", {0.0f, -100.0f, 0.0f}, true},
        {"below", {0.0f, -1500.0f, 1000.0f}, false},
        {"far ahead", {0.0f, 0.0f, 40000.0f}, true},
    };
    for (const Placement& placement : placements)
    {
        const std::string path = std::string("models/") + placement.name + ".fbx";
        WriteQuadModel(path, 200.0f, 200.0f);
        Place(LEVEL1, placement.name, "KOB_StaticModel", {ObjectProperty("model", "Model", Json{{"path", path}})}, placement.position);
    }
    // A scaled model: twice the size reaches further.
    WriteQuadModel("models/big.fbx", 200.0f, 200.0f);
    Place(LEVEL1, "big", "KOB_StaticModel", {ObjectProperty("model", "Model", Json{{"path", "models/big.fbx"}})}, {1300.0f, 0.0f, 1000.0f},
          {}, {2.0f, 2.0f, 2.0f});
    LoadWorld(LEVEL1);
    myWorld->Update(0.016f);

    SpriteTest::ScopedTrace trace;
    DrawFrame();
    std::set<const void*> bound;
    for (const Plat::Gpu::TraceCall& call : SpriteTest::CallsNamed("IASetIndexBuffer"))
        if (!call.objects.empty())
            bound.insert(call.objects[0]);
    int drawn = 0;
    ASSERT_EQ(Access::Models(*myWorld).size(), std::size(placements) + 1);
    for (const Kiln::ModelInstance& instance : Access::Models(*myWorld))
    {
        ASSERT_NE(instance.GetModel(), nullptr);
        const std::string name = std::filesystem::path(instance.GetModel()->GetPath()).stem().string();
        const bool expected = name == "big" || std::any_of(std::begin(placements), std::end(placements), [&](const Placement& p) {
                                  return p.name == name && p.drawn;
                              });
        const bool wasDrawn = bound.count(instance.GetModel()->GetMeshes()[0].myIndexBuffer.get()) > 0;
        EXPECT_EQ(wasDrawn, expected) << name;
        drawn += wasDrawn ? 1 : 0;
    }
    EXPECT_EQ(SpriteTest::CallsNamed("DrawIndexed").size(), static_cast<size_t>(drawn));
}

TEST_F(GameWorldFrame, AnAnimatedModelLoopsFromTheFirstLoadedFrameAndIsCulledLikeTheOthers)
{
    ModelTest::FbxModelSpec bar = ModelTest::BentBar(45.0f);
    bar.myRotations = {{1, 0.0f, 90.0f}};
    bar.myDurationSeconds = 1.0f;
    ModelTest::WriteFbx(Root() / "models/bar.fbx", bar);
    WriteDefinition("KOB_AnimatedModel", {DefinitionProperty("animodel", "Model", Json{{"path", "models/bar.fbx"}})});
    Place(LEVEL1, "Dancer", "KOB_AnimatedModel", {}, {0.0f, 0.0f, 500.0f});
    Place(LEVEL1, "Hidden dancer", "KOB_AnimatedModel", {}, {0.0f, 0.0f, -500.0f});
    LoadWorld(LEVEL1);
    ASSERT_EQ(Access::AnimatedModels(*myWorld).size(), 2u);
    const AnimatedModelRecord& record = Access::AnimatedModels(*myWorld)[0];
    EXPECT_TRUE(record.GetPlayer().IsLooping());
    EXPECT_EQ(record.GetPlayer().GetState(), Kiln::AnimationPlayer::STATE_PLAYING);

    const Kiln::Matrix4x4<float> restingBend = record.GetInstance().GetBones()[1];
    myWorld->Update(0.02f);
    EXPECT_NEAR(record.GetPlayer().GetTime(), 0.02f, 1e-5f);
    EXPECT_NE(record.GetInstance().GetBones()[1], restingBend) << "the pose reaches the bones";
    for (int i = 0; i < 40; ++i)
        myWorld->Update(0.03f);
    EXPECT_EQ(record.GetPlayer().GetState(), Kiln::AnimationPlayer::STATE_PLAYING) << "still playing past its end";
    EXPECT_LT(record.GetPlayer().GetTime(), 1.0f);

    SpriteTest::ScopedTrace trace;
    DrawFrame();
    EXPECT_EQ(SpriteTest::CallsNamed("DrawIndexed").size(), 1u) << "the one behind the camera is not drawn";
}

TEST_F(GameWorldFrame, EndingALevelStopsItsMusicAndClearsItsParticlesBeforeThePlayerGoes)
{
    WriteFloorAndPlayer(LEVEL1);
    Place(LEVEL1, "Checkpoint", "KOB_Checkpoint", {}, {0.0f, 0.0f, 0.0f});
    LoadWorld(LEVEL1);
    for (int i = 0; i < 30; ++i)
        myWorld->Update(0.016f);
    ASSERT_GT(ParticleRegistry::GetInstance().GetParticleCount(), 0u);
    ASSERT_EQ(CheckPoints::GetCurrent(), Access::CheckPointsOf(*myWorld)[0].get()) << "touched where the player stands";
    ::ActorTest::MessageRecorder log({MessageType::StopMusic, MessageType::SaveState});
    EXPECT_EQ(myWorld->GetCollisionManager().GetColliders().size(), 3u) << "the floor, the player and the checkpoint";
    myWorld.reset();
    EXPECT_EQ(log.myReceived, (std::vector<MessageType>{MessageType::StopMusic}));
    EXPECT_EQ(ParticleRegistry::GetInstance().GetParticleCount(), 0u);
    // The next level's objects start from nothing: no checkpoint of the old level is current.
    EXPECT_EQ(CheckPoints::GetCurrent(), nullptr);
}
