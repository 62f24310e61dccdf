#pragma once
// A started engine whose game assets are a temp folder holding small sprite-sheet
// controller scenes for the level actors (player, its effects, hands, chase wall, walking
// enemy), loaded into the animation library; a recorder of bus messages; and a player
// built from plain tuning. Each sheet has its own colour so pictures tell them apart.
#include "GameContentFixture.h"

#include "Message.h"
#include "Player.h"
#include "PlayerConfiguration.h"
#include "PostMaster.h"
#include "StationaryEnemy.h"
#include "Subscriber.h"

#include "forge/math/Vector.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ActorTest
{
    using GameTest::DefinitionProperty;
    using GameTest::Json;
    using GameTest::ObjectProperty;

    struct StateBlock
    {
        std::string myName;
        int32_t myStart = 0;
        int32_t myEnd = 0;
        float myFramesPerSecond = 10.0f;
        bool myLoop = true;
    };

    // Counts (and keeps the order of) the messages of the types it listens to.
    class MessageRecorder : public Subscriber
    {
    public:
        explicit MessageRecorder(std::vector<MessageType> someTypes) : myTypes(std::move(someTypes))
        {
            for (MessageType type : myTypes)
                PostMaster::GetInstance().Subscribe(type, this);
        }
        ~MessageRecorder() override
        {
            for (MessageType type : myTypes)
                PostMaster::GetInstance().Unsubscribe(type, this);
        }
        MessageRecorder(const MessageRecorder&) = delete;
        MessageRecorder& operator=(const MessageRecorder&) = delete;

        void Receive(const Message& aMessage) override { myReceived.push_back(aMessage.type); }

        int Count(MessageType aType) const
        {
            int count = 0;
            for (MessageType type : myReceived)
                count += type == aType ? 1 : 0;
            return count;
        }

        std::vector<MessageType> myReceived;

    private:
        std::vector<MessageType> myTypes;
    };

    inline void Post(MessageType aType)
    {
        Message message;
        message.type = aType;
        PostMaster::GetInstance().SendMessage(message);
    }

    class ActorTest : public GameTest::EngineContentTest
    {
    protected:
        // Sheet colours (0xAABBGGRR).
        static constexpr uint32_t HANDS_IDLE_COLOR = 0xFF0000FFu;     // red
        static constexpr uint32_t HANDS_DANGLING_COLOR = 0xFF00FF00u; // green
        static constexpr uint32_t CHASE_COLOR = 0xFFFF0000u;          // blue
        static constexpr uint32_t WALKER_COLOR = 0xFF00FFFFu;         // yellow
        static constexpr uint32_t PLAYER_COLOR = 0xFFFFFFFFu;         // white

        void SetUp() override
        {
            GameTest::EngineContentTest::SetUp();
            if (HasFatalFailure())
                return;
            WriteDefinition("KOB_AnimationSheet", {DefinitionProperty("1. SpriteSheet", "Sprite", Json::object()),
                                                   DefinitionProperty("2. Columns", "Int", 1), DefinitionProperty("3. Rows", "Int", 1),
                                                   DefinitionProperty("4. ID", "Int", 0)});
            WriteDefinition("KOB_AnimationBlock",
                            {DefinitionProperty("1. ID", "Int", 0), DefinitionProperty("2. FPS", "Float", 10.0),
                             DefinitionProperty("3. Start", "Int", 0), DefinitionProperty("4. End", "Int", 0),
                             DefinitionProperty("5. Loop", "Bool", true), DefinitionProperty("6. Transition", "Bool", false),
                             DefinitionProperty("7. Sheet ID", "Int", 0)});
            WriteDefinition("KOB_AnimationPath", {DefinitionProperty("From", "Int", 0), DefinitionProperty("To", "Int", 0)});

            const std::vector<StateBlock> idle{{"Idle", 0, 3, 10.0f, true}};
            WriteController("animations\\controllers\\A_Hands_Idle.ksc", "textures/test/hands_idle.dds", HANDS_IDLE_COLOR, idle);
            WriteController("animations\\controllers\\A_Hands_Dangling.ksc", "textures/test/hands_dangling.dds", HANDS_DANGLING_COLOR, idle);
            WriteController("animations\\controllers\\A_Chasing_Hands.ksc", "textures/test/chase.dds", CHASE_COLOR, idle);
            WriteController("animations\\controllers\\A_Passive_Enemy.ksc", "textures/test/walker.dds", WALKER_COLOR,
                            {{"Walk", 0, 3, 10.0f, true}});
            WriteController(Player::CONTROLLER_PATH, "textures/test/player.dds", PLAYER_COLOR,
                            {{"Idle", 0, 1, 10.0f, true},
                             {"Run", 0, 3, 10.0f, true},
                             {"Jump_start", 0, 1, 10.0f, false},
                             {"Jump_idle", 2, 2, 10.0f, true},
                             {"Jump_end", 3, 3, 10.0f, false},
                             {"duble_jump", 0, 1, 10.0f, false},
                             {"Dash", 2, 3, 10.0f, false},
                             {"Upgrade_anim", 0, 3, 10.0f, false}});
            for (const char* effect : {"animations\\controllers\\A_Dash_VFX.ksc", "animations\\controllers\\A_Damage_Dash_VFX.ksc",
                                       "animations\\controllers\\A_Land_VFX.ksc"})
                WriteController(effect, "textures/test/effect.dds", PLAYER_COLOR, {{"Idle", 0, 3, 10.0f, false}});
        }

        void TearDown() override
        {
            // Players and enemies leave the library's sheets and the GPU before both go.
            myPlayers.clear();
            GameTest::EngineContentTest::TearDown();
        }

        // A 2 x 2 sheet in one colour (cells differ only in position) and a controller scene
        // whose states play frames of it; every state may change to every other.
        void WriteController(const std::string& aPath, const std::string& aTexture, uint32_t aColor,
                             const std::vector<StateBlock>& someStates)
        {
            WriteTexture(aTexture, 8, 8, [aColor](uint32_t, uint32_t) { return aColor; });
            WriteControllerScene(aPath, aTexture, 2, 2, someStates);
            // An entry left by another suite would keep its sheets: start from nothing.
            AnimationLibrary::GetInstance()->Unload(aPath);
            LoadController(aPath);
        }

        void WriteControllerScene(const std::string& aPath, const std::string& aTexture, int aColumns, int aRows,
                                  const std::vector<StateBlock>& someStates) const
        {
            int number = 0;
            WriteObject(aPath, number++, "Sheet", "KOB_AnimationSheet",
                        {ObjectProperty("1. SpriteSheet", "Sprite", Json{{"textures", Json::array({aTexture})}}),
                         ObjectProperty("2. Columns", "Int", aColumns), ObjectProperty("3. Rows", "Int", aRows),
                         ObjectProperty("4. ID", "Int", 0)});
            for (std::size_t i = 0; i < someStates.size(); ++i)
            {
                const StateBlock& state = someStates[i];
                WriteObject(aPath, number++, state.myName, "KOB_AnimationBlock",
                            {ObjectProperty("1. ID", "Int", static_cast<int>(i)), ObjectProperty("2. FPS", "Float", state.myFramesPerSecond),
                             ObjectProperty("3. Start", "Int", state.myStart), ObjectProperty("4. End", "Int", state.myEnd),
                             ObjectProperty("5. Loop", "Bool", state.myLoop), ObjectProperty("6. Transition", "Bool", false),
                             ObjectProperty("7. Sheet ID", "Int", 0)});
            }
            for (std::size_t from = 0; from < someStates.size(); ++from)
            {
                for (std::size_t to = 0; to < someStates.size(); ++to)
                {
                    if (from != to)
                        WriteObject(aPath, number++, "Path", "KOB_AnimationPath",
                                    {ObjectProperty("From", "Int", static_cast<int>(from)), ObjectProperty("To", "Int", static_cast<int>(to))});
                }
            }
        }

        // A player at aPosition with the suggested tuning (top ground speed about 1000).
        Player& MakePlayer(const Kiln::Vector3<float>& aPosition, bool aDash = false, bool aDashAttack = false)
        {
            PlayerConfiguration configuration;
            configuration.myPosition = aPosition;
            configuration.myGroundAcceleration = 10000.0f;
            configuration.myAirAcceleration = 8000.0f;
            configuration.myDashVelocityImpulse = 3000.0f;
            configuration.myJumpVelocityImpulse = 1800.0f;
            configuration.myGroundDampening = 10.0f;
            configuration.myAirDampening = 3.0f;
            configuration.myDashDampening = 8.0f;
            configuration.myGravityAcceleration = 4000.0f;
            configuration.myWalkableAngle = 45.0f;
            configuration.myMinimumDashVelocity = 800.0f;
            configuration.myCoyoteTimeDuration = 0.1f;
            auto player = std::make_unique<Player>();
            player->Init(configuration);
            player->SetDashUnlocked(aDash || aDashAttack);
            player->SetDashAttackUnlocked(aDashAttack);
            myPlayers.push_back(std::move(player));
            return *myPlayers.back();
        }

        // Presses dash and runs one frame: the player is dashing afterwards.
        static void StartDash(Player& aPlayer, float aDeltaTime = 1.0f / 60.0f)
        {
            aPlayer.HandleInput({Action::Dash, true});
            aPlayer.Update(aDeltaTime);
            aPlayer.HandleInput({Action::Dash, false});
        }

        static EnemyConfig HandsConfig(const Kiln::Vector3<float>& aPosition, float aRotationZ, bool aWithParticles = false)
        {
            EnemyConfig config;
            config.myPosition = aPosition;
            config.myScale = {1.0f, 1.0f, 1.0f};
            config.myRotation = {0.0f, 0.0f, aRotationZ};
            config.myBoxSize = {125.0f, 125.0f};
            config.myWithParticles = aWithParticles;
            return config;
        }

        static EnemyConfig WalkerConfig(const Kiln::Vector3<float>& aPosition)
        {
            EnemyConfig config;
            config.myPosition = aPosition;
            config.myScale = {512.0f, 512.0f, 512.0f};
            config.myRotation = {0.0f, 0.0f, 0.0f};
            config.myBoxSize = {300.0f, 110.0f};
            config.myWithParticles = true;
            return config;
        }

        std::vector<std::unique_ptr<Player>> myPlayers;
    };
}
