// The game manager with real level worlds: each level's exit leads to the next (states 3
// and 9) and the outro's exit to the outro video (state 10); bad level data ends the frame
// with one line.
#include "GameContentFixture.h"
#include "GameShell.h"
#include "PlayerTestContent.h"

#include "Player.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

using namespace GameTest;
using Access = GameManagerTestAccess;

namespace
{
    constexpr const char* LEVELS[] = {"levels\\Level1.ksc", "levels\\Level2.ksc", "levels\\Level3.ksc", "levels\\Level_Outro.ksc"};

    nlohmann::json DefinitionKey(const std::string& aName, const std::string& aType, const nlohmann::json& aValue)
    {
        return {{"name", aName}, {"type", aType}, {"value", aValue}, {"is-dynamic", false}, {"is-per-instance", true}};
    }

    class LevelChain : public GameShellTest
    {
    protected:
        void SetUp() override
        {
            GameShellTest::SetUp();
            if (HasFatalFailure())
                return;
            // The player and its effects need their controllers, whatever other suites left
            // in the library.
            myControllers.Install(Player::CONTROLLER_PATH, PlayerTest::PlayerController(nullptr));
            for (const char* effect : {"animations\\controllers\\A_Dash_VFX.ksc", "animations\\controllers\\A_Damage_Dash_VFX.ksc",
                                       "animations\\controllers\\A_Land_VFX.ksc"})
                myControllers.Install(effect, PlayerTest::EffectController());

            std::vector<nlohmann::json> player;
            for (const char* name : {"Ground Acceleration", "Air Acceleration", "Dash Velocity Impulse", "Jump Velocity Impulse",
                                     "Ground Dampening", "Air Dampening", "Dash Dampening", "Gravity Acceleration", "Walkable Angle",
                                     "Minimum Dash Velocity", "Coyote Time Duration", "Camera Anchor Dampening", "View Leading Scale",
                                     "Camera Swing Speed", "Camera Swing Radius"})
                player.push_back(DefinitionKey(name, "Float", 1.0));
            for (const char* name : {"DoubleJump", "Dash", "DashAttack"})
                player.push_back(DefinitionKey(name, "Bool", false));
            player.push_back(DefinitionKey("Camera Offset", "Float3", nlohmann::json::array({0, 150, -1300})));
            WriteDefinition("KOB_Player", player);
            // A tall exit around the player's start: touched on the first frame of play.
            WriteDefinition("KOB_LevelTransition",
                            {DefinitionKey("TransistionSprite", "Sprite", SpriteValue({}, 400.0f, 2000.0f)), DefinitionKey("Duration", "Float", 0.1)});
        }

        void WriteDefinition(const std::string& aName, const std::vector<nlohmann::json>& someKeys) const
        {
            Write("objectdefinitions/" + aName + ".kob", nlohmann::json{{"parent-object-definition", ""}, {"properties", someKeys}});
        }

        void WriteObject(const std::string& aLevel, int aNumber, const std::string& aName, const std::string& aDefinition,
                         const nlohmann::json& someProperties = nlohmann::json::array()) const
        {
            char guid[40];
            std::snprintf(guid, sizeof guid, "1e7e1000-0000-4000-8000-%012d", aNumber);
            std::string folder = aLevel;
            std::replace(folder.begin(), folder.end(), '\\', '/');
            Write(folder + ".leveldata/" + guid, nlohmann::json{{"name", aName},
                                                               {"object-definition", aDefinition},
                                                               {"translation", {0, 0, 0}},
                                                               {"rotation", {0, 0, 0}},
                                                               {"scale", {1, 1, 1}},
                                                               {"properties", someProperties}});
        }

        void Write(const std::string& aRelativePath, const nlohmann::json& aDocument) const
        {
            const std::filesystem::path file = myAssets->Root() / aRelativePath;
            std::filesystem::create_directories(file.parent_path());
            std::ofstream(file) << aDocument.dump(1);
        }

        PlayerTest::ControllerOverride myControllers;
    };
}

TEST_F(LevelChain, EachLevelsExitLeadsToTheNextAndTheOutrosToTheOutroVideo)
{
    for (const char* level : LEVELS)
    {
        WriteObject(level, 1, "Hero", "KOB_Player");
        WriteObject(level, 2, "Exit", "KOB_LevelTransition");
    }
    StartAtMainMenu();
    ChooseMainMenuButton(1);
    Press(Enter);   // "1. Level 1"
    ASSERT_EQ(CurrentState(), State::Playing);

    // Every change of state or level, as the frames go.
    std::vector<std::pair<State, std::string>> steps{{CurrentState(), myManager->GetLevelPath()}};
    for (int frame = 0; frame < 400 && CurrentState() != State::OutroVideo; ++frame)
    {
        Frame(0.02f);
        const std::pair<State, std::string> now{CurrentState(), myManager->GetLevelPath()};
        if (now != steps.back())
            steps.push_back(now);
        if (CurrentState() == State::Playing)
        {
            ASSERT_NE(Access::World(*myManager), nullptr);
        }
    }
    const std::vector<std::pair<State, std::string>> expected{
        {State::Playing, LEVELS[0]}, {State::NextLevel, LEVELS[0]}, {State::Playing, LEVELS[1]}, {State::NextLevel, LEVELS[1]},
        {State::Playing, LEVELS[2]}, {State::NextLevel, LEVELS[2]}, {State::Playing, LEVELS[3]}, {State::NextLevel, LEVELS[3]},
        {State::OutroVideo, LEVELS[3]},
    };
    EXPECT_EQ(steps, expected);
    EXPECT_EQ(Access::World(*myManager), nullptr) << "the outro has no world";
    Frame(0.02f);
    EXPECT_NE(Access::Outro(*myManager), nullptr);
}

TEST_F(LevelChain, ALevelObjectMissingAKeyEndsTheFrameWithOneLineNamingTheLevelTheObjectAndTheKey)
{
    WriteDefinition("KOB_LevelTransition", {DefinitionKey("Duration", "Float", 0.1)});
    WriteObject(LEVELS[0], 1, "Hero", "KOB_Player");
    WriteObject(LEVELS[0], 2, "Way out", "KOB_LevelTransition");
    StartAtMainMenu();
    ChooseMainMenuButton(1);
    Press(Enter);
    ASSERT_EQ(CurrentState(), State::Playing);

    const std::string message = GameTest::ContentErrorOf([&] {
        for (int frame = 0; frame < 10; ++frame)
            Frame(0.02f);
    });
    const std::string file = (myAssets->Root() / "levels" / "Level1.ksc.leveldata" / "1e7e1000-0000-4000-8000-000000000002").string();
    const std::string definition = (myAssets->Root() / "objectdefinitions" / "KOB_LevelTransition.kob").string();
    EXPECT_EQ(message, "Scene object file \"" + file + "\": object \"Way out\" (KOB_LevelTransition, defined in \"" + definition +
                           "\"): key \"TransistionSprite\" is missing (expected Sprite)");
    (*myEngine)->EndFrame();
}
