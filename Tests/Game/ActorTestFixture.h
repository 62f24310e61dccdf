#pragma once
// A started engine whose game assets are a temp folder holding small sprite-sheet
// controller scenes for the level actors (player, its effects, hands, chase wall, walking
// enemy), loaded into the animation library; a recorder of bus messages; and players with
// the suggested tuning. Each sheet has its own colour so pictures tell them apart.
#include "GameContentFixture.h"

#include "Message.h"
#include "Player.h"
#include "PlayerTestContent.h"
#include "PostMaster.h"
#include "StationaryEnemy.h"
#include "Subscriber.h"

#include "forge/math/Vector.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace ActorTest
{
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
            WriteControllerDefinitions();

            const std::vector<GameTest::Block> idle{Looping("Idle", 0, 3)};
            WriteController("animations\\controllers\\A_Hands_Idle.ksc", "textures/test/hands_idle.dds", HANDS_IDLE_COLOR, idle);
            WriteController("animations\\controllers\\A_Hands_Dangling.ksc", "textures/test/hands_dangling.dds", HANDS_DANGLING_COLOR, idle);
            WriteController("animations\\controllers\\A_Chasing_Hands.ksc", "textures/test/chase.dds", CHASE_COLOR, idle);
            WriteController("animations\\controllers\\A_Passive_Enemy.ksc", "textures/test/walker.dds", WALKER_COLOR,
                            {Looping("Walk", 0, 3)});
            WriteController(Player::CONTROLLER_PATH, "textures/test/player.dds", PLAYER_COLOR,
                            {Looping("Idle", 0, 1), Looping("Run", 0, 3), Once("Jump_start", 0, 1), Looping("Jump_idle", 2, 2),
                             Once("Jump_end", 3, 3), Once("duble_jump", 0, 1), Once("Dash", 2, 3), Once("Upgrade_anim", 0, 3)});
            for (const char* effect : {"animations\\controllers\\A_Dash_VFX.ksc", "animations\\controllers\\A_Damage_Dash_VFX.ksc",
                                       "animations\\controllers\\A_Land_VFX.ksc"})
                WriteController(effect, "textures/test/effect.dds", PLAYER_COLOR, {Once("Idle", 0, 3)});
        }

        void TearDown() override
        {
            // Players and enemies leave the library's sheets and the GPU before both go.
            myPlayers.clear();
            GameTest::EngineContentTest::TearDown();
        }

        static GameTest::Block Looping(const std::string& aName, int aStart, int anEnd)
        {
            GameTest::Block block;
            block.myName = aName;
            block.myStart = aStart;
            block.myEnd = anEnd;
            return block;
        }

        static GameTest::Block Once(const std::string& aName, int aStart, int anEnd)
        {
            GameTest::Block block = Looping(aName, aStart, anEnd);
            block.myLoop = false;
            return block;
        }

        // A controller scene on one aColumns x aRows sheet whose states may all change to
        // each other, loaded fresh (an entry left by another suite would keep its sheets).
        void LoadFreshController(const std::string& aPath, const std::string& aTexture, int aColumns, int aRows,
                                 std::vector<GameTest::Block> someStates)
        {
            std::vector<std::pair<int, int>> paths;
            for (std::size_t from = 0; from < someStates.size(); ++from)
            {
                someStates[from].myId = static_cast<int>(from);
                for (std::size_t to = 0; to < someStates.size(); ++to)
                    if (from != to)
                        paths.emplace_back(static_cast<int>(from), static_cast<int>(to));
            }
            AnimationLibrary::GetInstance()->Unload(aPath);
            GameTest::Sheet sheet;
            sheet.myColumns = aColumns;
            sheet.myRows = aRows;
            sheet.myTexture = aTexture;
            MakeController(aPath, someStates, paths, {sheet});
        }

        // A 2 x 2 sheet in one colour (cells differ only in position) and its controller.
        void WriteController(const std::string& aPath, const std::string& aTexture, uint32_t aColor,
                             const std::vector<GameTest::Block>& someStates)
        {
            WriteTexture(aTexture, 8, 8, [aColor](uint32_t, uint32_t) { return aColor; });
            LoadFreshController(aPath, aTexture, 2, 2, someStates);
        }

        // A player at aPosition with the suggested tuning (top ground speed about 1000).
        Player& MakePlayer(const Kiln::Vector3<float>& aPosition, bool aDash = false, bool aDashAttack = false)
        {
            auto player = std::make_unique<Player>();
            player->Init(PlayerTest::DefaultTuning(aPosition));
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
