// The level maps: the text format and where each legend character puts its object, the
// messages a malformed map gives (file, line and column), the generator failing the build
// on one, and the shipped maps keeping the rules the game's objects need.
#include "LevelGen/LevelBuilder.h"
#include "LevelGen/LevelMap.h"

#include "Support/UniqueTempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace LevelGen;

namespace
{
    const ContentKit::SceneObjectDesc* Find(const BuiltLevel& aLevel, const std::string& aDefinition, int anOccurrence = 0)
    {
        for (const ContentKit::SceneObjectDesc& object : aLevel.scene.Objects())
            if (object.definition == aDefinition && anOccurrence-- == 0)
                return &object;
        return nullptr;
    }

    const nlohmann::json* Value(const ContentKit::SceneObjectDesc& anObject, const std::string& aKey)
    {
        for (const ContentKit::Property& property : anObject.properties)
            if (property.name == aKey)
                return &property.value;
        return nullptr;
    }

    BuiltLevel Build(const std::string& aText) { return BuildLevel(ParseLevelMap(aText, "Test.txt")); }

    // A small valid level: 8 rows, the floor under the hero at y 300, a pit of hands.
    const char* const theSmallLevel = R"(// a comment
scene levels\Test.ksc
player DoubleJump=true Dash=false
background repeat=2,1 back=0.1,0.2,0.3,1
grass set=2 scale=1.5

map
##..................c...........##
##.....a..........M.............##
##..............................##
##.......###..........?.........##
##.P.."..K...E.......b...X......##
###############...################
###############HHH################
##################################
end

a: emitter preset=mist period=0.5 // drifting
b: upgrade type=2
)";

    // The table the tutorial for b needs, appended so the small level stays readable.
    std::string SmallLevel() { return std::string(theSmallLevel) + "c: tutorial upgrade=2\n"; }
}

TEST(LevelMap, LegendCharactersPlaceTheirObjectsOnTheirCells)
{
    const BuiltLevel level = Build(SmallLevel());
    EXPECT_EQ(level.scene.ScenePath(), "levels\\Test.ksc");

    // Rows count from the bottom (y 0..100) up: the 'P' row's bottom edge is y 300.
    const ContentKit::SceneObjectDesc* player = Find(level, "KOB_Player");
    ASSERT_NE(player, nullptr);
    EXPECT_DOUBLE_EQ(player->translation[0], 350.0);
    EXPECT_DOUBLE_EQ(player->translation[1], 350.0);
    EXPECT_EQ(*Value(*player, "DoubleJump"), true);
    EXPECT_EQ(*Value(*player, "Dash"), false);
    EXPECT_EQ(*Value(*player, "DashAttack"), false);

    const ContentKit::SceneObjectDesc* enemy = Find(level, "KOB_Enemy1");
    ASSERT_NE(enemy, nullptr);
    EXPECT_DOUBLE_EQ(enemy->translation[1], 355.0);

    // Pit hands stand on the pit floor (y 100); ceiling hands hang from their cell's top.
    const ContentKit::SceneObjectDesc* pitHands = Find(level, "KOB_EnemyHands", 1);
    const ContentKit::SceneObjectDesc* ceilingHands = Find(level, "KOB_EnemyHands", 0);
    ASSERT_NE(pitHands, nullptr);
    EXPECT_DOUBLE_EQ(pitHands->translation[1], 250.0);
    EXPECT_DOUBLE_EQ(pitHands->rotation[2], 0.0);
    EXPECT_DOUBLE_EQ(ceilingHands->translation[1], 700.0 - 150.0);
    EXPECT_DOUBLE_EQ(ceilingHands->rotation[2], 180.0);

    // The upgrade character stands on the floor; its prompt and card are at cell centres.
    const ContentKit::SceneObjectDesc* upgrade = Find(level, "KOB_Upgrade");
    EXPECT_DOUBLE_EQ(upgrade->translation[1], 375.0);
    EXPECT_EQ(*Value(*upgrade, "upgradeType"), 2);
    EXPECT_DOUBLE_EQ(Find(level, "KOB_Interact_Text")->translation[1], 450.0);
    EXPECT_EQ((*Value(*Find(level, "KOB_Tutorial_Text"), "keyboardsprite"))["textures"][1], "sprites/UI/Tutorial/S_UI_Card_Dash_2_Keyboard.dds");

    // Grass of set 2 and scale 1.5 roots on the floor: centre = floor + 75.
    const ContentKit::SceneObjectDesc* grass = Find(level, "KOB_Grass_1_2") ? Find(level, "KOB_Grass_1_2")
                                             : Find(level, "KOB_Grass_2_2") ? Find(level, "KOB_Grass_2_2")
                                             : Find(level, "KOB_Grass_3_2") ? Find(level, "KOB_Grass_3_2")
                                                                            : Find(level, "KOB_Grass_4_2");
    ASSERT_NE(grass, nullptr);
    EXPECT_DOUBLE_EQ(grass->translation[1], 375.0);
    EXPECT_DOUBLE_EQ(grass->scale[0], 1.5);

    // The exit's box stands on the floor (pivot y 1); the checkpoint stands on its cell.
    const ContentKit::SceneObjectDesc* exit = Find(level, "KOB_LevelTransition");
    EXPECT_DOUBLE_EQ(exit->translation[1], 300.0);
    EXPECT_EQ((*Value(*exit, "TransistionSprite"))["pivot"][1], 1.0);
    EXPECT_DOUBLE_EQ(Find(level, "KOB_Checkpoint")->translation[1], 300.0);

    // Header lines and table values reach their objects.
    const ContentKit::SceneObjectDesc* background = Find(level, "KOB_ParallaxBackground");
    EXPECT_EQ(*Value(*background, "repetitionSize"), nlohmann::json::array({2.0, 1.0}));
    EXPECT_EQ(*Value(*background, "fadeBackgroundColor"), nlohmann::json::array({0.1, 0.2, 0.3, 1.0}));
    const ContentKit::SceneObjectDesc* emitter = Find(level, "KOB_ParticleEmitter");
    EXPECT_EQ(*Value(*emitter, "spawnFrequency"), 0.5);
    EXPECT_DOUBLE_EQ(emitter->translation[1], 650.0);
}

TEST(LevelMap, FloorRunsMergeIntoBoxesThatCoverExactlyTheirCells)
{
    const BuiltLevel level = Build(SmallLevel());
    std::set<std::pair<int, int>> covered;
    int boxes = 0;
    for (const ContentKit::SceneObjectDesc& object : level.scene.Objects())
    {
        if (object.definition != "KOB_Level1_FloorTile")
            continue;
        ++boxes;
        const double w = object.scale[0] * 100, h = object.scale[1] * 100;
        EXPECT_EQ((*Value(object, "collisionbox"))["size"], nlohmann::json::array({100.0, 100.0}));
        for (double x = object.translation[0] - w / 2 + 50; x < object.translation[0] + w / 2; x += 100)
            for (double y = object.translation[1] - h / 2 + 50; y < object.translation[1] + h / 2; y += 100)
                EXPECT_TRUE(covered.insert({int(x), int(y)}).second) << "cell " << x << "," << y << " covered twice";
    }
    // 2 side walls, the floating 3-cell step, the two rows split by the pit (merged into 2
    // boxes) and the full bottom row.
    EXPECT_EQ(boxes, 2 + 1 + 2 + 1);
    int cells = 0;
    for (const char c : SmallLevel())
        cells += c == '#';
    EXPECT_EQ(int(covered.size()), cells);
    EXPECT_TRUE(covered.count({950, 450}));    // the step
    EXPECT_FALSE(covered.count({1550, 250}));  // the pit
}

TEST(LevelMap, MalformedMapsNameFileLineAndColumn)
{
    struct Case
    {
        std::string from, to;   // a replacement in the small level
        int line, column;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"##.P..", "##.P.Z", 12, 6, "unknown map character 'Z'"},
        {"##.P..", "##.Pq.", 12, 5, "tag 'q' has no table entry"},
        {"b: upgrade type=2", "b: upgrade type=4", 19, 12, "'type' wants a whole number from 1 to 3"},
        {"b: upgrade type=2", "b: upgrade type=two", 19, 12, "'type' wants a number, not 'two'"},
        {"b: upgrade type=2", "b: upgrade colour=2", 19, 12, "'colour' is not a value of a upgrade"},
        {"b: upgrade type=2", "b: upgrayde type=2", 19, 1, "unknown object kind 'upgrayde'"},
        {"a: emitter preset=mist period=0.5", "a: emitter preset=mist period=0", 18, 24, "period must be above 0"},
        {"a: emitter preset=mist period=0.5", "a: emitter preset=smoke", 18, 12, "unknown emitter preset 'smoke'"},
        {"background repeat=2,1", "background repeat=2", 4, 12, "'repeat' wants 2 comma-separated numbers"},
        {"background repeat=2,1", "background repeat=\"2,1", 4, 19, "no closing quote"},
        {"grass set=2", "grass set=2 set=1", 5, 13, "'set' is given twice"},
        {"scene levels", "scenery levels", 2, 1, "unknown line"},
        {"##.P..", "##.PP.", 12, 5, "a second player start"},
        {"...X...", ".......", 8, 1, "the map has no exit"},
        {"##.P..", "##.D..", 8, 1, "the map has no player start"},
        {"##.P..\"..K", "##.P..\"..D", 12, 10, "no button opens this door (index 1)"},
        {"##.......###....", "##.......###E...", 11, 13, "a walking enemy needs a floor at least 4 cells wide"},
        {"###..........?", "###...........", 12, 22, "an upgrade needs an interact prompt"},
        {"c: tutorial upgrade=2", "c: tutorial upgrade=1", 12, 22, "a tutorial with its cards (upgrade=2)"},
        {"a: emitter", "d: sprite\na: emitter", 18, 1, "tag 'd' is not used in the map"},
        {"end\n\na: emitter preset=mist period=0.5 // drifting\nb: upgrade type=2\nc: tutorial upgrade=2\n", "", 7, 1,
         "the map block has no 'end' line"},
    };
    for (const Case& testCase : cases)
    {
        std::string text = SmallLevel();
        const size_t at = text.find(testCase.from);
        ASSERT_NE(at, std::string::npos) << testCase.from;
        text.replace(at, testCase.from.size(), testCase.to);
        SCOPED_TRACE(testCase.message);
        try
        {
            Build(text);
            ADD_FAILURE() << "no error";
        }
        catch (const LevelError& error)
        {
            EXPECT_NE(error.Message().find(testCase.message), std::string::npos) << error.what();
            EXPECT_EQ(error.Pos().line, testCase.line) << error.what();
            EXPECT_EQ(error.Pos().column, testCase.column) << error.what();
            EXPECT_EQ(std::string(error.what()).rfind("Test.txt:" + std::to_string(testCase.line) + ":" + std::to_string(testCase.column) + ": ", 0), 0u)
                << error.what();
        }
    }
}

TEST(LevelMap, TheGeneratorStopsOnAMalformedMapAndNamesIt)
{
    KilnTest::UniqueTempFolder folder("levelgen");
    std::string text = SmallLevel();
    text.replace(text.find("##.P.."), 6, "##.P.%");
    folder.WriteFile("maps/Broken.txt", text);
    const fs::path tool = fs::current_path() / "tool_MakeLevels";
    ASSERT_TRUE(fs::exists(tool)) << tool;
    const std::string command = tool.string() + " \"" + (folder.GetPath() / "maps").string() + "\" \"" + (folder.GetPath() / "out").string() +
                                "\" 2> \"" + (folder.GetPath() / "err.txt").string() + "\"";
    const int status = std::system(command.c_str());
    EXPECT_NE(status, 0);
    std::ifstream errors(folder.GetPath() / "err.txt");
    std::stringstream message;
    message << errors.rdbuf();
    EXPECT_NE(message.str().find("Broken.txt:12:6: unknown map character '%'"), std::string::npos) << message.str();
    EXPECT_FALSE(fs::exists(folder.GetPath() / "out" / "levels")) << "nothing is written for a broken map";

    // A second map naming the same scene is refused, and nothing is written either.
    folder.WriteFile("maps/Broken.txt", SmallLevel());
    folder.WriteFile("maps/Twin.txt", SmallLevel());
    EXPECT_NE(std::system((command).c_str()), 0);
    std::ifstream twinErrors(folder.GetPath() / "err.txt");
    std::stringstream twinMessage;
    twinMessage << twinErrors.rdbuf();
    EXPECT_NE(twinMessage.str().find("Twin.txt:2:1: scene levels\\Test.ksc is also written by"), std::string::npos) << twinMessage.str();
    EXPECT_FALSE(fs::exists(folder.GetPath() / "out" / "levels"));
    fs::remove(folder.GetPath() / "maps" / "Twin.txt");

    // Fixed, the same folder generates the scene.
    folder.WriteFile("maps/Broken.txt", SmallLevel());
    EXPECT_EQ(std::system((tool.string() + " \"" + (folder.GetPath() / "maps").string() + "\" \"" + (folder.GetPath() / "out").string() + "\"").c_str()), 0);
    const BuiltLevel expected = Build(SmallLevel());
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder.GetPath() / "out" / "levels" / "Test.ksc.leveldata"))
        ++files;
    EXPECT_EQ(files, expected.scene.Objects().size());
}

// The shipped levels.
class ShippedLevels : public ::testing::Test
{
protected:
    static std::map<std::string, BuiltLevel> Levels()
    {
        std::map<std::string, BuiltLevel> levels;
        for (const char* name : {"Level1", "Level2", "Level3", "Level_Outro"})
            levels[name] = BuildLevel(LoadLevelMap(std::string(KILN_LEVELS_DIR) + "/" + name + ".txt"));
        return levels;
    }

    // The top of the floor box right under (x, y), or NaN.
    static double FloorTopUnder(const BuiltLevel& aLevel, double x, double y, double* aWidth = nullptr)
    {
        double best = std::nan("");
        for (const Placement& p : aLevel.placements)
        {
            if (p.kind != "floor" || std::abs(p.x - x) > p.width / 2)
                continue;
            const double top = p.y + p.height / 2;
            if (top <= y + 1e-6 && (std::isnan(best) || top > best))
            {
                best = top;
                if (aWidth)
                    *aWidth = p.width;
            }
        }
        return best;
    }
};

TEST_F(ShippedLevels, EachLevelHasWhatTheGameNeeds)
{
    const std::map<std::string, BuiltLevel> levels = Levels();
    std::set<std::string> definitions;
    std::set<int> upgrades;
    for (const auto& [name, level] : levels)
    {
        SCOPED_TRACE(name);
        EXPECT_EQ(level.scene.ScenePath(), "levels\\" + name + ".ksc");
        EXPECT_EQ(level.CountOfKind("player"), 1);
        EXPECT_EQ(level.CountOfKind("exit"), 1);
        EXPECT_EQ(level.CountOfKind("background"), 1);
        EXPECT_GE(level.CountOfKind("checkpoint"), 2);
        EXPECT_GE(level.CountOfKind("sprite"), 1);
        EXPECT_GE(level.CountOfKind("model") + level.CountOfKind("animodel"), 1);
        for (const auto& [definition, count] : level.CountByDefinition())
            definitions.insert(definition);
        for (const Placement& p : level.placements)
            if (p.kind == "upgrade")
                upgrades.insert(p.index);

        // The hero stands on a floor (y = top + 50), walkers on wide ones (y = top + 55).
        const Placement* player = level.FirstOfKind("player");
        EXPECT_DOUBLE_EQ(player->y - FloorTopUnder(level, player->x, player->y), 50.0);
        for (const Placement& p : level.placements)
        {
            if (p.kind != "enemy")
                continue;
            double width = 0.0;
            EXPECT_DOUBLE_EQ(p.y - FloorTopUnder(level, p.x, p.y, &width), 55.0);
            EXPECT_GT(width, 320.0);
        }

        // Floor under the whole walk-out after the exit (0.07 x 10000 units/s for 1.5 s).
        const Placement* exit = level.FirstOfKind("exit");
        for (double x = exit->x; x < exit->x + 1050; x += 50)
            EXPECT_DOUBLE_EQ(FloorTopUnder(level, x, exit->y), exit->y) << "x " << x;
        // The start lies left of the exit, and the hero starts facing it.
        EXPECT_LT(player->x, exit->x);
    }

    // Every factory of the level loader is used somewhere.
    for (const char* definition :
         {"KOB_Player", "KOB_Level1_FloorTile", "KOB_EnemyHands", "KOB_Enemy1", "KOB_LockedDoor", "KOB_Button", "KOB_BreakableWall",
          "KOB_BreakableVase", "KOB_Checkpoint", "KOB_Upgrade", "KOB_ChaseScene", "KOB_ParticleEmitter", "KOB_ParallaxBackground",
          "KOB_LevelTransition", "KOB_Interact_Text", "KOB_Tutorial_Text", "KOB_Decal_Sprite", "KOB_StaticModel", "KOB_AnimatedModel"})
        EXPECT_TRUE(definitions.count(definition)) << definition;
    for (int level = 1; level <= 2; ++level)
        for (int kind = 1; kind <= 4; ++kind)
            EXPECT_TRUE(definitions.count("KOB_Grass_" + std::to_string(kind) + (level == 2 ? "_2" : ""))) << kind << " set " << level;
    EXPECT_EQ(upgrades, (std::set<int>{1, 2, 3}));

    // Walkers in every level but the last; hands in walls and ceilings.
    for (const char* name : {"Level1", "Level2", "Level3"})
        EXPECT_GE(levels.at(name).CountOfKind("enemy"), 1) << name;
    int wallHands = 0, ceilingHands = 0;
    for (const auto& [name, level] : levels)
    {
        wallHands += level.CountOfKind("hands");
        ceilingHands += level.CountOfKind("ceilinghands");
    }
    EXPECT_GT(wallHands, 0);
    EXPECT_GT(ceilingHands, 0);
}

TEST_F(ShippedLevels, AbilitiesArriveBeforeTheObjectsThatNeedThem)
{
    const std::map<std::string, BuiltLevel> levels = Levels();
    for (const auto& [name, level] : levels)
    {
        SCOPED_TRACE(name);
        const LevelMap map = LoadLevelMap(std::string(KILN_LEVELS_DIR) + "/" + name + ".txt");
        const Param* dash = map.FindDirective("player")->params.Find("Dash");
        const Param* attack = map.FindDirective("player")->params.Find("DashAttack");
        // Where each power becomes the hero's: at the start, at its character, or never.
        auto from = [&](const Param* aFlag, int anUpgrade) {
            if (aFlag && aFlag->value == "true")
                return -1e9;
            for (const Placement& p : level.placements)
                if (p.kind == "upgrade" && p.index == anUpgrade)
                    return p.x;
            return 1e9;
        };
        const double dashFrom = from(dash, 2), attackFrom = from(attack, 3);
        for (const Placement& p : level.placements)
        {
            if (p.kind == "button" || p.kind == "pot")
            {
                EXPECT_GT(p.x, dashFrom) << p.kind << " at " << p.x;
            }
            if (p.kind == "wall")
            {
                EXPECT_GT(p.x, attackFrom) << "wall at " << p.x;
            }
        }
    }
}

TEST_F(ShippedLevels, TheChaseAndTheBossHallFitTheirRules)
{
    const std::map<std::string, BuiltLevel> levels = Levels();
    const BuiltLevel& level3 = levels.at("Level3");
    ASSERT_EQ(level3.CountOfKind("chase"), 1);
    const Placement* chase = level3.FirstOfKind("chase");
    const double endX = chase->x + chase->width / 2;
    // The exit button inside the area, a door 10 before its end, 2000 units of run-out.
    bool button = false, door = false;
    for (const Placement& p : level3.placements)
    {
        if (p.kind == "button" && p.index == 10)
            button = std::abs(p.x - chase->x) < chase->width / 2;
        if (p.kind == "door" && p.index == 10)
            door = p.x < endX && p.x > chase->x - chase->width / 2;
    }
    EXPECT_TRUE(button);
    EXPECT_TRUE(door);
    EXPECT_GE(level3.FirstOfKind("exit")->x - endX, 2000.0);
    // The area covers the path: the floor under its left edge is inside it.
    const double floorTop = FloorTopUnder(level3, chase->x - chase->width / 2 + 50, chase->y);
    EXPECT_LE(chase->y - chase->height / 2, floorTop);
    EXPECT_GE(chase->y + chase->height / 2, floorTop + 100);

    const BuiltLevel& outro = levels.at("Level_Outro");
    EXPECT_GT(outro.FirstOfKind("exit")->x, 7500.0);
    bool bossVisual = false;
    for (const Placement& p : outro.placements)
        bossVisual = bossVisual || (p.kind == "sprite" && p.x >= 7500.0);
    EXPECT_TRUE(bossVisual);
    EXPECT_EQ(outro.CountOfKind("chase"), 0);

    // Upgrade characters stay more than 5000 units apart within a level.
    for (const auto& [name, level] : levels)
        for (const Placement& a : level.placements)
            for (const Placement& b : level.placements)
                if (&a < &b && a.kind == "upgrade" && b.kind == "upgrade")
                {
                    EXPECT_GT(std::hypot(a.x - b.x, a.y - b.y), 5000.0) << name;
                }
}

TEST_F(ShippedLevels, GeneratedFoldersHoldOneFilePerMapObject)
{
    for (const auto& [name, level] : Levels())
    {
        const fs::path folder = fs::current_path() / "assets" / "game" / "levels" / (name + ".ksc.leveldata");
        ASSERT_TRUE(fs::is_directory(folder)) << folder;
        std::set<std::string> files;
        for (const auto& entry : fs::directory_iterator(folder))
            files.insert(entry.path().filename().string());
        std::set<std::string> expected;
        for (size_t i = 0; i < level.scene.Objects().size(); ++i)
            expected.insert(level.scene.GuidOf(i));
        EXPECT_EQ(files, expected) << name;
    }
}
