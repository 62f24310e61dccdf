// The level's objects, made from the scene's objects by definition name.
#include "GameWorld.h"

#include "AnimatedWorldSprite.h"
#include "AnimationLibrary.h"
#include "BreakablePot.h"
#include "BreakableWall.h"
#include "CheckPoints.h"
#include "CollisionBox.h"
#include "ContentError.h"
#include "CustomCamera.h"
#include "CustomSceneObject.h"
#include "Door.h"
#include "DoorButton.h"
#include "EngineAccess.h"
#include "Enemy.h"
#include "EnemyConfig.h"
#include "InteractObject.h"
#include "LevelTransition.h"
#include "ParallaxBackground.h"
#include "ParticleEmitter.h"
#include "ParticleEmitterSettings.h"
#include "PassiveEnemy.h"
#include "Player.h"
#include "PlayerConfiguration.h"
#include "PostMaster.h"
#include "StationaryEnemy.h"
#include "TutorialText.h"
#include "Upgrade.h"
#include "UpgradeConfiguration.h"
#include "WorldSprite.h"

#include "forge/drawers/ModelDrawer.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/model/ModelFactory.h"
#include "forge/stringRegistry/StringRegistry.h"
#include "forge/texture/TextureManager.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <unordered_map>

namespace
{
    constexpr float PI = 3.14159265f;

    enum class Factory
    {
        Player,
        FloorTile,
        StationaryEnemy,
        PassiveEnemy,
        Door,
        DoorButton,
        BreakableWall,
        BreakablePot,
        CheckPoint,
        Upgrade,
        ChaseScene,
        ParticleEmitter,
        ParallaxBackground,
        LevelTransition,
        AnimatedObject,
        InteractText,
        TutorialText,
    };

    Kiln::StringId Intern(const char* aLiteral)
    {
        return Kiln::StringRegistry::RegisterOrGetStringLiteral(aLiteral, std::strlen(aLiteral));
    }

    // The factory of each definition name that has one; every other name is a decoration.
    const std::unordered_map<Kiln::StringId, Factory>& FactoryTable()
    {
        static const std::unordered_map<Kiln::StringId, Factory> table = [] {
            std::unordered_map<Kiln::StringId, Factory> names;
            const std::pair<const char*, Factory> entries[] = {
                {"KOB_Player", Factory::Player},
                {"KOB_Level1_FloorTile", Factory::FloorTile},
                {"KOB_EnemyHands", Factory::StationaryEnemy},
                {"KOB_Enemy1", Factory::PassiveEnemy},
                {"KOB_LockedDoor", Factory::Door},
                {"KOB_Button", Factory::DoorButton},
                {"KOB_BreakableWall", Factory::BreakableWall},
                {"KOB_BreakableVase", Factory::BreakablePot},
                {"KOB_Checkpoint", Factory::CheckPoint},
                {"KOB_Upgrade", Factory::Upgrade},
                {"KOB_ChaseScene", Factory::ChaseScene},
                {"KOB_ParticleEmitter", Factory::ParticleEmitter},
                {"KOB_ParallaxBackground", Factory::ParallaxBackground},
                {"KOB_LevelTransition", Factory::LevelTransition},
                {"KOB_Grass_1", Factory::AnimatedObject},
                {"KOB_Grass_2", Factory::AnimatedObject},
                {"KOB_Grass_3", Factory::AnimatedObject},
                {"KOB_Grass_4", Factory::AnimatedObject},
                {"KOB_Grass_1_2", Factory::AnimatedObject},
                {"KOB_Grass_2_2", Factory::AnimatedObject},
                {"KOB_Grass_3_2", Factory::AnimatedObject},
                {"KOB_Grass_4_2", Factory::AnimatedObject},
                {"KOB_Interact_Text", Factory::InteractText},
                {"KOB_Tutorial_Text", Factory::TutorialText},
            };
            for (const auto& [name, factory] : entries)
                names.emplace(Intern(name), factory);
            return names;
        }();
        return table;
    }

    // "<aKey><aSet>", the per-level model key.
    std::string LevelKey(const char* aKey, int32_t aSet)
    {
        return std::string(aKey) + std::to_string(aSet);
    }

    Kiln::Vector4<float> ToVector4(const Kiln::Color& aColor)
    {
        return {aColor.r, aColor.g, aColor.b, aColor.a};
    }
}

int32_t GameWorld::GetModelSet(ModelSetRule aRule, const char* aLevelPath)
{
    const Levels::Level* level = Levels::Find(aLevelPath != nullptr ? aLevelPath : "");
    if (level != nullptr && level->myModelSet != 0)
        return level->myModelSet;
    return aRule == ModelSetRule::FallBackToSet1 ? 1 : 3;
}

void GameWorld::LinkDoorButtons()
{
    for (const std::unique_ptr<DoorButton>& button : myDoorButtons)
    {
        for (const std::unique_ptr<Door>& door : myDoors)
        {
            if (door->GetIndex() == button->GetIndex())
                button->AddDoor(door.get());
        }
    }
}

void GameWorld::CreateObject(CustomSceneObject& anObject)
{
    const auto& table = FactoryTable();
    const auto found = table.find(anObject.myObjectDefinition);
    if (found == table.end())
    {
        CreateSceneVisual(anObject);
        return;
    }
    switch (found->second)
    {
    case Factory::Player: CreatePlayer(anObject); break;
    case Factory::FloorTile: CreateCollisionBox(anObject, myLevelPath); break;
    case Factory::StationaryEnemy: CreateStationaryEnemy(anObject); break;
    case Factory::PassiveEnemy: CreatePassiveEnemy(anObject); break;
    case Factory::Door: CreateDoor(anObject, myLevelPath); break;
    case Factory::DoorButton: CreateDoorButton(anObject, myLevelPath); break;
    case Factory::BreakableWall: CreateBreakableWall(anObject, myLevelPath); break;
    case Factory::BreakablePot: CreateBreakablePot(anObject, myLevelPath); break;
    case Factory::CheckPoint: CreateCheckPoint(anObject, myLevelPath); break;
    case Factory::Upgrade: CreateUpgrade(anObject); break;
    case Factory::ChaseScene: CreateChaseScene(anObject); break;
    case Factory::ParticleEmitter: CreateParticleEmitter(anObject); break;
    case Factory::ParallaxBackground: CreateParallaxBackground(anObject); break;
    case Factory::LevelTransition: CreateLevelTransition(anObject, *myState); break;
    case Factory::AnimatedObject: CreateAnimatedObject(anObject); break;
    case Factory::InteractText: CreateInteractObject(anObject); break;
    case Factory::TutorialText: CreateTutorialText(anObject); break;
    }
}

void GameWorld::CreatePlayer(CustomSceneObject& anObject)
{
    // A second hero would leave the first one's shape in the collision pass.
    if (myPlayer)
        throw ContentError(anObject.Describe("a second player object; a level has exactly one"));

    PlayerConfiguration configuration;
    configuration.myPosition = anObject.myPosition;
    configuration.myGroundAcceleration = anObject.Get<float>("Ground Acceleration");
    configuration.myAirAcceleration = anObject.Get<float>("Air Acceleration");
    configuration.myDashVelocityImpulse = anObject.Get<float>("Dash Velocity Impulse");
    configuration.myJumpVelocityImpulse = anObject.Get<float>("Jump Velocity Impulse");
    configuration.myGroundDampening = anObject.Get<float>("Ground Dampening");
    configuration.myAirDampening = anObject.Get<float>("Air Dampening");
    configuration.myDashDampening = anObject.Get<float>("Dash Dampening");
    configuration.myGravityAcceleration = anObject.Get<float>("Gravity Acceleration");
    configuration.myWalkableAngle = anObject.Get<float>("Walkable Angle");
    configuration.myMinimumDashVelocity = anObject.Get<float>("Minimum Dash Velocity");
    configuration.myCoyoteTimeDuration = anObject.Get<float>("Coyote Time Duration");
    const bool doubleJump = anObject.Get<bool>("DoubleJump");
    const bool dash = anObject.Get<bool>("Dash");
    const bool dashAttack = anObject.Get<bool>("DashAttack");
    const Kiln::Vector3<float> cameraOffset = anObject.Get<Kiln::Vector3<float>>("Camera Offset");
    const float anchorDampening = anObject.Get<float>("Camera Anchor Dampening");
    const float viewLeadingScale = anObject.Get<float>("View Leading Scale");
    const float swingSpeed = anObject.Get<float>("Camera Swing Speed");
    const float swingRadius = anObject.Get<float>("Camera Swing Radius");

    myPlayer = std::make_unique<Player>();
    myPlayer->Init(configuration);
    myPlayer->SetMaxJumps(doubleJump ? 2 : 1);
    myPlayer->SetDashUnlocked(dash);
    myPlayer->SetDashAttackUnlocked(dashAttack);
    myCollisionManager.AddCollider(&myPlayer->GetCollider());

    myCamera->SetAnchor(anObject.myPosition);
    myCamera->SetOffset(cameraOffset);
    myCamera->SetAnchorDampening(anchorDampening);
    myCamera->SetViewLeadingScale(viewLeadingScale);
    myCamera->SetSwingSpeed(swingSpeed);
    myCamera->SetSwingRadius(swingRadius);
    myCamera->StartSwing();
}

void GameWorld::CreateCollisionBox(CustomSceneObject& anObject, const char* aLevelPath)
{
    const Kiln::SceneSprite& box = anObject.Get<Kiln::SceneSprite>("collisionbox");
    const float width = box.mySize.x * anObject.myScale.x;
    const float height = box.mySize.y * anObject.myScale.y;
    const float a = (0.5f - box.myPivot.x) * width;
    const float b = (0.5f - box.myPivot.y) * -height;
    const Kiln::Vector3<float> axis = anObject.myTransform.GetRow(0);
    const float length = axis.Length();
    const float c = length > 0.0f ? axis.x / length : 1.0f;
    const float s = length > 0.0f ? axis.y / length : 0.0f;
    const Kiln::Vector2<float> center{anObject.myPosition.x + c * a - s * b, anObject.myPosition.y + s * a + c * b};
    const float angle = PI * anObject.myRotation.z / 180.0f;

    auto solid = std::make_unique<CollisionBox>();
    solid->Init(center, {width, height}, angle);
    solid->SetCollisionLayer(CollisionLayer::Solid);
    solid->SetCollisionMask(CollisionLayer::None);
    myCollisionManager.AddCollider(&solid->GetCollider());
    myCollisionBoxes.push_back(std::move(solid));

    const std::string path = "models/environment assets/platform/SM_FloorTile_Level_" +
                             std::to_string(GetModelSet(ModelSetRule::FallBackToSet3, aLevelPath)) + ".fbx";
    Kiln::ModelInstance instance = Kiln::ModelFactory::GetInstance().GetModelInstance(path);
    Kiln::TextureResource* atlas = GetColourTexture("textures/asset textures/T_ColorAtlas01.dds");
    if (instance.GetModel())
    {
        for (size_t mesh = 0; mesh < instance.GetModel()->GetMeshes().size() && mesh < instance.GetTextureSets().size(); ++mesh)
            instance.GetTextureSets()[mesh][0] = atlas;
    }
    instance.SetTransform(anObject.myTransform);
    myModelInstances.push_back(std::move(instance));
}

void GameWorld::CreateStationaryEnemy(CustomSceneObject& anObject)
{
    EnemyConfig config;
    config.myPosition = anObject.myPosition;
    config.myScale = anObject.myScale;
    config.myRotation = anObject.myRotation;
    config.myBoxSize = {anObject.myScale.x * 125.0f, anObject.myScale.y * 125.0f};
    config.myWithParticles = true;

    auto enemy = std::make_unique<StationaryEnemy>();
    enemy->SetPosition(anObject.myPosition);
    enemy->Init(config);
    myCollisionManager.AddCollider(&enemy->GetCollider());
    myEnemies.push_back(std::move(enemy));
}

void GameWorld::CreatePassiveEnemy(CustomSceneObject& anObject)
{
    EnemyConfig config;
    config.myPosition = anObject.myPosition;
    config.myScale = {512.0f, 512.0f, 512.0f};
    config.myRotation = anObject.myRotation;
    config.myBoxSize = {300.0f, 110.0f};
    config.myWithParticles = true;

    auto enemy = std::make_unique<PassiveEnemy>();
    enemy->SetPosition(anObject.myPosition);
    enemy->Init(config);
    myCollisionManager.AddCollider(&enemy->GetHitBoxCollider());
    myCollisionManager.AddCollider(&enemy->GetAttackBoxCollider());
    myCollisionManager.AddCollider(&enemy->GetCollider());
    myEnemies.push_back(std::move(enemy));
}

void GameWorld::CreateDoor(CustomSceneObject& anObject, const char* aLevelPath)
{
    const int32_t set = GetModelSet(ModelSetRule::FallBackToSet1, aLevelPath);
    const Kiln::ModelInstance& closed = anObject.Get<Kiln::ModelInstance>(LevelKey("closedModelLevel", set));
    const Kiln::ModelInstance& open = anObject.Get<Kiln::ModelInstance>(LevelKey("openModelLevel", set));
    const int32_t index = anObject.Get<int32_t>("doorIndex");
    const float openTimer = anObject.Get<float>("openTimer");
    const float openSpeed = anObject.Get<float>("openSpeed");

    auto door = std::make_unique<Door>();
    door->SetPosition(anObject.myPosition);
    // The closed model is the one a closed door shows and sizes its box from.
    door->Init(closed, open, index, openTimer, openSpeed);
    myCollisionManager.AddCollider(&door->GetCollider());
    myDoors.push_back(std::move(door));
}

void GameWorld::CreateDoorButton(CustomSceneObject& anObject, const char* aLevelPath)
{
    const int32_t set = GetModelSet(ModelSetRule::FallBackToSet1, aLevelPath);
    const Kiln::ModelInstance& unpressed = anObject.Get<Kiln::ModelInstance>(LevelKey("unPressedModelLevel", set));
    const Kiln::ModelInstance& pressed = anObject.Get<Kiln::ModelInstance>(LevelKey("pressedModelLevel", set));
    const int32_t index = anObject.Get<int32_t>("buttonIndex");

    auto button = std::make_unique<DoorButton>();
    button->SetPosition(anObject.myPosition);
    button->Init(unpressed, pressed, index);
    myCollisionManager.AddCollider(&button->GetCollider());
    myDoorButtons.push_back(std::move(button));
}

void GameWorld::CreateBreakableWall(CustomSceneObject& anObject, const char* aLevelPath)
{
    const int32_t set = GetModelSet(ModelSetRule::FallBackToSet1, aLevelPath);
    const Kiln::ModelInstance& whole = anObject.Get<Kiln::ModelInstance>(LevelKey("wholeModelLevel", set));
    const Kiln::ModelInstance& broken = anObject.Get<Kiln::ModelInstance>(LevelKey("brokenModelLevel", set));
    const Kiln::SceneSprite& particle = anObject.Get<Kiln::SceneSprite>("breakParticle");
    const Kiln::Vector4<float> colour =
        set == 2 ? Kiln::Vector4<float>(0.357f, 0.25f, 0.264f, 1.0f) : Kiln::Vector4<float>(0.345f, 0.353f, 0.455f, 1.0f);

    auto wall = std::make_unique<BreakableWall>();
    wall->SetPosition(anObject.myPosition.x, anObject.myPosition.y);
    wall->Init(whole, broken, particle.myTextures[0], colour);
    myCollisionManager.AddCollider(&wall->GetCollider());
    myBreakableWalls.push_back(std::move(wall));
}

void GameWorld::CreateBreakablePot(CustomSceneObject& anObject, const char* aLevelPath)
{
    const int32_t set = GetModelSet(ModelSetRule::FallBackToSet3, aLevelPath);
    const Kiln::ModelInstance& whole = anObject.Get<Kiln::ModelInstance>(LevelKey("WholeModelLevel", set));
    const Kiln::ModelInstance& broken = anObject.Get<Kiln::ModelInstance>(LevelKey("BrokenModelLevel", set));

    auto pot = std::make_unique<BreakablePot>();
    pot->SetPosition(anObject.myPosition);
    pot->Init(whole, broken);
    myCollisionManager.AddCollider(&pot->GetCollider());
    myBreakablePots.push_back(std::move(pot));
}

void GameWorld::CreateCheckPoint(CustomSceneObject& anObject, const char* aLevelPath)
{
    const int32_t set = GetModelSet(ModelSetRule::FallBackToSet1, aLevelPath);
    const Kiln::ModelInstance& off = anObject.Get<Kiln::ModelInstance>(LevelKey("offModelLevel", set));
    const Kiln::ModelInstance& on = anObject.Get<Kiln::ModelInstance>(LevelKey("onModelLevel", set));

    auto checkpoint = std::make_unique<CheckPoints>();
    checkpoint->SetPosition(anObject.myPosition);
    checkpoint->Init(off, on);
    myCollisionManager.AddCollider(&checkpoint->GetCollider());
    myCheckPoints.push_back(std::move(checkpoint));
}

void GameWorld::CreateUpgrade(CustomSceneObject& anObject)
{
    const Kiln::SceneSprite& sprite = anObject.Get<Kiln::SceneSprite>("S_NPC");
    UpgradeConfiguration configuration;
    configuration.myType = anObject.Get<int32_t>("upgradeType");
    configuration.mySprite = sprite.myTextures[0].GetString();
    configuration.myPosition = anObject.myPosition;
    configuration.myPivot = sprite.myPivot;
    configuration.myScale = anObject.myScale;
    configuration.myRotation = anObject.myRotation;

    auto upgrade = std::make_unique<Upgrade>();
    upgrade->Init(configuration);
    myCollisionManager.AddCollider(&upgrade->GetCollider());
    myUpgrades.push_back(std::move(upgrade));
}

void GameWorld::CreateChaseScene(CustomSceneObject& anObject)
{
    // A second chase would leave the first one's shapes in the collision pass.
    if (myChasingHands)
        throw ContentError(anObject.Describe("a second chase scene; a level has at most one"));
    myChasingHands = ChasingHands::Create(anObject);
    myCollisionManager.AddCollider(&myChasingHands->GetCollider());
    myCollisionManager.AddCollider(&myChasingHands->GetKillCollider());
}

void GameWorld::CreateParticleEmitter(CustomSceneObject& anObject)
{
    ParticleEmitterSettings settings;
    settings.myPosition = anObject.myPosition;
    const Kiln::SceneSprite& texture = anObject.Get<Kiln::SceneSprite>("particletexture");
    settings.myTexturePath = texture.myTextures[0];
    settings.mySize = texture.mySize;
    settings.myEmitterLifetime = anObject.Get<float>("emitterLifetime");
    settings.mySpawnAmount = anObject.Get<int32_t>("spawnAmount");
    if (settings.mySpawnAmount < 0 || settings.mySpawnAmount > ParticleEmitterSettings::MAX_SPAWN_AMOUNT)
    {
        throw ContentError(anObject.Describe("key \"spawnAmount\" is " + std::to_string(settings.mySpawnAmount) + "; an emitter spawns 0 to " +
                                             std::to_string(ParticleEmitterSettings::MAX_SPAWN_AMOUNT) + " particles a burst"));
    }
    settings.mySpawnFrequency = anObject.Get<float>("spawnFrequency");
    settings.myLifetimeInterval = anObject.Get<Kiln::Vector2<float>>("lifetimeInterval");
    settings.mySpeedInterval = anObject.Get<Kiln::Vector2<float>>("speedInterval");
    settings.myAccelerationInterval = anObject.Get<Kiln::Vector2<float>>("accelerationInterval");
    settings.myAngleInterval = anObject.Get<Kiln::Vector2<float>>("angleInterval");
    settings.myColorStart = anObject.Get<Kiln::Color>("colorStart");
    settings.myColorEnd = anObject.Get<Kiln::Color>("colorEnd");
    settings.myXOffsetInterval = anObject.Get<Kiln::Vector2<float>>("xOffsetInterval");
    settings.myYOffsetInterval = anObject.Get<Kiln::Vector2<float>>("yOffsetInterval");
    settings.myAccelerationChangeInterval = anObject.Get<Kiln::Vector2<float>>("accelAccelerationInterval");
    settings.myIsAlphaBlend = anObject.Get<bool>("isAlphaBlend");
    settings.myScaleEnd = anObject.Get<float>("scaleEnd");
    settings.mySizeDynamic = anObject.Get<bool>("sizeDynamic");
    myParticleEmitters.push_back(std::make_unique<ParticleEmitter>(settings));
}

void GameWorld::CreateParallaxBackground(CustomSceneObject& anObject)
{
    const Kiln::SceneSprite& sprite = anObject.Get<Kiln::SceneSprite>("sprite");
    const Kiln::Vector2<float> repetition = anObject.Get<Kiln::Vector2<float>>("repetitionSize");
    const Kiln::Color background = anObject.Get<Kiln::Color>("fadeBackgroundColor");
    const Kiln::Color foreground = anObject.Get<Kiln::Color>("fadeForgroundColor");
    if (Kiln::GraphicsEngine* graphics = GetGraphicsEngine(); graphics != nullptr && graphics->GetModelDrawer() != nullptr)
        graphics->GetModelDrawer()->SetLambertParameters(ToVector4(background), ToVector4(foreground));
    myParallaxBackground = std::make_unique<ParallaxBackground>(sprite.myTextures[0].GetString(), repetition);
}

void GameWorld::CreateLevelTransition(CustomSceneObject& anObject, State& aState)
{
    // A second exit would leave the first one's box in the collision pass.
    if (myLevelTransition)
        throw ContentError(anObject.Describe("a second level transition; a level has at most one"));
    const Kiln::SceneSprite& sprite = anObject.Get<Kiln::SceneSprite>("TransistionSprite");
    const float duration = anObject.Get<float>("Duration");
    const Kiln::Vector2<float> size{sprite.mySize.x * anObject.myScale.x, sprite.mySize.y * anObject.myScale.y};

    myLevelTransition = std::make_unique<LevelTransition>();
    myLevelTransition->Init(anObject.myPosition, sprite.myPivot, size, duration);
    myLevelTransition->SetOnTriggered([this] {
        if (myPlayer)
            myPlayer->BeginLevelExit();
        PostMaster::Send(MessageType::FootstepsStart);
    });
    State* state = &aState;
    myLevelTransition->SetOnFinished([state] {
        *state = State::NextLevel;
        PostMaster::Send(MessageType::FootstepsStop);
    });
    myCollisionManager.AddCollider(&myLevelTransition->GetCollider());
}

void GameWorld::CreateAnimatedObject(CustomSceneObject& anObject)
{
    const Kiln::StringId controller = anObject.Get<Kiln::StringId>("Animation");
    // Any other text would give an empty controller, which fails later for want of a state.
    const std::string_view path = controller.GetView();
    if (std::find(std::begin(AnimationLibrary::CONTROLLER_PATHS), std::end(AnimationLibrary::CONTROLLER_PATHS), path) ==
        std::end(AnimationLibrary::CONTROLLER_PATHS))
    {
        throw ContentError(anObject.Describe("key \"Animation\" is \"" + std::string(path) +
                                             "\", which names none of the game's animation controllers"));
    }
    auto decoration = std::make_unique<AnimatedWorldSprite>();
    decoration->Init(controller.GetString(), anObject);
    myAnimatedWorldSprites.push_back(std::move(decoration));
}

void GameWorld::CreateInteractObject(CustomSceneObject& anObject)
{
    const Kiln::SceneSprite& controller = anObject.Get<Kiln::SceneSprite>("controllersprite");
    const Kiln::SceneSprite& keyboard = anObject.Get<Kiln::SceneSprite>("keyboardsprite");
    myInteractObjects.push_back(
        std::make_unique<InteractObject>(controller.myTextures[0].GetString(), keyboard.myTextures[0].GetString(), anObject.myPosition));
}

void GameWorld::CreateTutorialText(CustomSceneObject& anObject)
{
    // Two pages of each picture set: page 1 in a sprite's colour slot, page 2 in its next one.
    const Kiln::SceneSprite& controller = anObject.Get<Kiln::SceneSprite>("controllersprite");
    const Kiln::SceneSprite& keyboard = anObject.Get<Kiln::SceneSprite>("keyboardsprite");
    myTutorialTexts.push_back(std::make_unique<TutorialText>(controller.myTextures[0].GetString(), controller.myTextures[1].GetString(),
                                                             keyboard.myTextures[0].GetString(), keyboard.myTextures[1].GetString(),
                                                             anObject.myPosition));
}

void GameWorld::CreateSceneVisual(CustomSceneObject& anObject)
{
    if (anObject.Has("sprite"))
    {
        auto sprite = std::make_unique<WorldSprite>();
        sprite->Init(anObject.Get<Kiln::SceneSprite>("sprite"), anObject.myPosition, anObject.myScale, anObject.myRotation);
        myWorldSprites.push_back(std::move(sprite));
    }
    else if (anObject.Has("model"))
    {
        myModelInstances.push_back(anObject.Get<Kiln::ModelInstance>("model"));
    }
    else if (anObject.Has("animodel"))
    {
        AnimatedModelRecord record = anObject.Get<AnimatedModelRecord>("animodel");
        record.GetPlayer().SetLooping(true);
        record.GetPlayer().SetState(Kiln::AnimationPlayer::STATE_PLAYING);
        myAnimatedModels.push_back(std::move(record));
    }
}
