#pragma once
// A small level for the player's tests: an engine (for the hurt shader and textures), the
// player's controller scenes (PlayerTestContent.h) installed for the test's length,
// solid boxes and enemies in a collision manager, and a log of the messages the player
// posts. A frame runs the world's order: player, particles, collision pass, camera.
#include "CollisionBox.h"
#include "CollisionManager.h"
#include "CustomCamera.h"
#include "Enemy.h"
#include "InputEvent.h"
#include "Message.h"
#include "ParticleRegistry.h"
#include "Player.h"
#include "PlayerTestContent.h"
#include "PostMaster.h"
#include "Subscriber.h"

#include "Support/ScopedEngine.h"

#include "forge/scene/ObjectDefinitionManager.h"
#include "forge/settings/Settings.h"
#include "forge/stringRegistry/StringRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace PlayerTest
{
    // The tuning of the shipped "KOB_Player" definition, read from the game's assets.
    inline PlayerConfiguration ShippedTuning(Kiln::Vector3<float> aPosition = {0.0f, 50.0f, 0.0f})
    {
        Kiln::ObjectDefinitionManager definitions;
        definitions.LoadDefinitions(Kiln::Settings::GameAssetsPath().string().c_str());
        const Kiln::ObjectDefinition* player = definitions.GetObjectDefinition(Kiln::StringRegistry::RegisterOrGetString("KOB_Player"));
        PlayerConfiguration c;
        c.myPosition = aPosition;
        if (player == nullptr)
        {
            ADD_FAILURE() << "no shipped player definition in " << Kiln::Settings::GameAssetsPath();
            return c;
        }
        using C = PlayerConfiguration;
        const std::pair<const char*, float C::*> keys[] = {
            {"Ground Acceleration", &C::myGroundAcceleration},     {"Air Acceleration", &C::myAirAcceleration},
            {"Dash Velocity Impulse", &C::myDashVelocityImpulse},  {"Jump Velocity Impulse", &C::myJumpVelocityImpulse},
            {"Ground Dampening", &C::myGroundDampening},           {"Air Dampening", &C::myAirDampening},
            {"Dash Dampening", &C::myDashDampening},               {"Gravity Acceleration", &C::myGravityAcceleration},
            {"Walkable Angle", &C::myWalkableAngle},               {"Minimum Dash Velocity", &C::myMinimumDashVelocity},
            {"Coyote Time Duration", &C::myCoyoteTimeDuration}};
        for (const auto& [key, member] : keys)
        {
            const auto found = std::find_if(player->myProperties.begin(), player->myProperties.end(),
                                            [&](const auto& aProperty) { return aProperty.myName.GetString() == std::string(key); });
            if (found == player->myProperties.end())
                ADD_FAILURE() << "the shipped player definition has no " << key;
            else
                c.*member = found->myValue.template GetValue<float>();
        }
        return c;
    }

    // An enemy that stands still: kind 1 hurts, kind 2 (the hands) kills.
    class StandingEnemy : public Enemy
    {
    public:
        explicit StandingEnemy(uint32_t aKind) { myEnemyType = aKind; }
        void Init(const EnemyConfig& aConfig) override
        {
            myPosition = aConfig.myPosition;
            myCollider.Init(this, {myPosition.x, myPosition.y}, aConfig.myBoxSize);
            SetCollisionLayer(CollisionLayer::Enemy);
            SetCollisionMask(CollisionLayer::Player);
        }
        void Update(float) override {}
        void OnCollision(ColliderPossessor& anOther, const Kiln::Vector2<float>& aPush, float aDeltaTime) override
        {
            anOther.OnCollisionWithEnemy(*this, -aPush, aDeltaTime);
        }
        void SwitchOff() { myCollider.SetSize(0.0f, 0.0f); }
    };

    // Every message of the watched types, in order; footstep messages only when they change.
    class MessageLog : public Subscriber
    {
    public:
        static constexpr MessageType WATCHED[] = {
            MessageType::SaveState,  MessageType::RestoreState, MessageType::Dash,         MessageType::Jump,
            MessageType::Land,       MessageType::DoubleJump,   MessageType::PlayerDied,   MessageType::PlayerHurt,
            MessageType::PlayerHealed, MessageType::FootstepsStart, MessageType::FootstepsStop};

        MessageLog()
        {
            for (MessageType type : WATCHED)
                PostMaster::GetInstance().Subscribe(type, this);
        }
        ~MessageLog() override
        {
            for (MessageType type : WATCHED)
                PostMaster::GetInstance().Unsubscribe(type, this);
        }
        void Receive(const Message& aMessage) override
        {
            const bool footsteps = aMessage.type == MessageType::FootstepsStart || aMessage.type == MessageType::FootstepsStop;
            if (footsteps && myLastFootsteps == aMessage.type)
                return;
            if (footsteps)
                myLastFootsteps = aMessage.type;
            myTypes.push_back(aMessage.type);
        }
        size_t Count(MessageType aType) const
        {
            size_t n = 0;
            for (MessageType t : myTypes)
                n += t == aType ? 1 : 0;
            return n;
        }
        std::vector<MessageType> myTypes;

    private:
        std::optional<MessageType> myLastFootsteps;
    };

    class PlayerWorld : public ::testing::Test
    {
    protected:
        static constexpr float FRAME = 1.0f / 60.0f;

        static void SetUpTestSuite()
        {
            theEngine = new KilnTest::ScopedEngine([](Kiln::EngineConfiguration& aConfig) {
                aConfig.myClearColor = {0.0f, 0.0f, 0.0f, 1.0f};
            });
        }
        static void TearDownTestSuite()
        {
            delete theEngine;
            theEngine = nullptr;
        }

        void SetUp() override
        {
            ASSERT_TRUE(theEngine->Started());
            myControllers.Install(Player::CONTROLLER_PATH, PlayerController(mySheet));
            for (const char* effect : {"animations\\controllers\\A_Dash_VFX.ksc", "animations\\controllers\\A_Damage_Dash_VFX.ksc",
                                       "animations\\controllers\\A_Land_VFX.ksc"})
                myControllers.Install(effect, EffectController());
        }

        void TearDown() override
        {
            myPlayer.reset();
            ParticleRegistry::GetInstance().Clear();
        }

        Player& MakePlayer(const PlayerConfiguration& aConfiguration = DefaultTuning())
        {
            myPlayer = std::make_unique<Player>();
            myPlayer->Init(aConfiguration);
            myManager.AddCollider(&myPlayer->GetCollider());
            return *myPlayer;
        }

        CollisionBox& AddBox(Kiln::Vector2<float> aCenter, Kiln::Vector2<float> aSize, float aRotation = 0.0f,
                             uint32_t aLayer = CollisionLayer::Solid)
        {
            myBoxes.push_back(std::make_unique<CollisionBox>());
            CollisionBox& box = *myBoxes.back();
            box.Init(aCenter, aSize, aRotation);
            box.SetCollisionLayer(aLayer);
            box.SetCollisionMask(0);
            myManager.AddCollider(&box.GetCollider());
            return box;
        }

        // A floor whose top is at y 0, from x -10000 to 10000.
        CollisionBox& AddFloor() { return AddBox({0.0f, -50.0f}, {20000.0f, 100.0f}); }

        StandingEnemy& AddEnemy(uint32_t aKind, Kiln::Vector3<float> aPosition, Kiln::Vector2<float> aSize = {100.0f, 100.0f})
        {
            myEnemies.push_back(std::make_unique<StandingEnemy>(aKind));
            StandingEnemy& enemy = *myEnemies.back();
            EnemyConfig config;
            config.myPosition = aPosition;
            config.myBoxSize = aSize;
            enemy.Init(config);
            myManager.AddCollider(&enemy.GetCollider());
            return enemy;
        }

        void Press(uint32_t anAction, bool aPressed = true) { myPlayer->HandleInput({anAction, aPressed}); }
        void Release(uint32_t anAction) { Press(anAction, false); }
        // Pressed for one frame, released after it.
        void Tap(uint32_t anAction) { Press(anAction); Step(); Release(anAction); }

        // One frame in the world's order.
        void Step(float aDeltaTime = FRAME)
        {
            myPlayer->Update(aDeltaTime);
            ParticleRegistry::GetInstance().Update(aDeltaTime);
            myManager.CollisionPass(aDeltaTime);
            if (myCamera)
            {
                myCamera->SetTarget(myPlayer->GetPosition());
                myCamera->Update(aDeltaTime);
            }
        }
        void Run(float aSeconds, float aDeltaTime = FRAME)
        {
            const int frames = static_cast<int>(aSeconds / aDeltaTime + 0.5f);
            for (int i = 0; i < frames; ++i)
                Step(aDeltaTime);
        }

        static void Post(MessageType aType, Kiln::Vector3<float> aPosition = {})
        {
            Message message;
            message.type = aType;
            message.position = aPosition;
            PostMaster::GetInstance().SendMessage(message);
        }

        static inline KilnTest::ScopedEngine* theEngine = nullptr;
        Kiln::Texture* mySheet = nullptr;
        ControllerOverride myControllers;
        MessageLog myLog;
        CollisionManager myManager;
        std::vector<std::unique_ptr<CollisionBox>> myBoxes;
        std::vector<std::unique_ptr<StandingEnemy>> myEnemies;
        std::unique_ptr<CustomCamera> myCamera;
        std::unique_ptr<Player> myPlayer;
    };
}
