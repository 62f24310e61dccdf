// The animation controller scenes: one KOB_AnimationSheet, one KOB_AnimationBlock per state
// (named after it) and one KOB_AnimationPath per allowed transition.
#include "GameContent.h"
#include "Layouts.h"

namespace GameContent
{
    std::vector<ControllerLayout> ControllerLayouts()
    {
        using namespace Sheets;
        const std::string folder = "animations\\controllers\\";
        std::vector<ControllerLayout> layouts;
        layouts.push_back({folder + "A_Hands_Idle.ksc", HandsIdle, {{"Idle", 0, 15, 10.0, true, false}}, {}});
        layouts.push_back({folder + "A_Hands_Dangling.ksc", HandsDangling, {{"Idle", 0, 15, 10.0, true, false}}, {}});
        layouts.push_back({folder + "A_Chasing_Hands.ksc", ChasingHands, {{"Idle", 0, 15, 12.0, true, false}}, {}});
        layouts.push_back({folder + "A_Passive_Enemy.ksc", PassiveEnemy, {{"Walk", 0, 15, 12.0, true, false}}, {}});

        // The hero. Idle, Run and Jump_idle loop; Jump_end and Upgrade_anim wait for their
        // last frame, because an Idle/Run request follows them at once and would otherwise
        // cut them short. Every state may follow every other.
        ControllerLayout player{folder + "A_Player.ksc", Moth, {}, {}, true};
        player.states = {
            {"Idle", IdleStart, IdleEnd, 8.0, true, false},
            {"Run", RunStart, RunEnd, 28.0, true, false},
            {"Jump_start", JumpStartStart, JumpStartEnd, 16.0, false, false},
            {"Jump_idle", JumpIdleStart, JumpIdleEnd, 12.0, true, false},
            {"Jump_end", JumpEndStart, JumpEndEnd, 20.0, false, true},
            {"duble_jump", DoubleJumpStart, DoubleJumpEnd, 20.0, false, false},
            {"Dash", DashStart, DashEnd, 24.0, false, false},
            {"Upgrade_anim", UpgradeStart, UpgradeEnd, 12.0, false, true},
        };
        layouts.push_back(player);

        layouts.push_back({folder + "A_Upgrade.ksc", Upgrade,
                           {{"Idle", 0, UpgradeIdleEnd, 8.0, true, false}, {"Fall", UpgradeFallStart, UpgradeFallEnd, 10.0, false, false}},
                           {{0, 1}}});
        for (int level = 1; level <= 2; ++level)
        {
            for (int kind = 1; kind <= 4; ++kind)
            {
                // Each kind sways at its own pace, so neighbouring clumps do not move in step.
                const double fps = 7.0 + kind;
                layouts.push_back({folder + "Level " + std::to_string(level) + "\\Grass\\A_Grass_" + std::to_string(kind) + ".ksc",
                                   Grass(level, kind), {{"Idle", 0, 15, fps, true, false}}, {}});
            }
        }
        layouts.push_back({folder + "A_Particle_Test.ksc", ParticleTest, {{"Idle", 0, 15, 12.0, true, false}}, {}});
        layouts.push_back({folder + "A_Land_VFX.ksc", Landing, {{"Idle", 0, 15, 24.0, false, false}}, {}});
        layouts.push_back({folder + "A_Dash_VFX.ksc", DashDust, {{"Idle", 0, 15, 24.0, false, false}}, {}});
        layouts.push_back({folder + "A_Damage_Dash_VFX.ksc", DamageDash, {{"Idle", 0, 15, 28.0, false, false}}, {}});
        return layouts;
    }

    void WriteControllers(Output& anOutput)
    {
        for (const ControllerLayout& layout : ControllerLayouts())
        {
            SceneFolder scene(layout.path);
            SceneObjectDesc sheet;
            sheet.name = "Sheet 0";
            sheet.definition = "KOB_AnimationSheet";
            sheet.properties = {SpriteProperty("1. SpriteSheet", Value::Sprite(layout.sheet.texture)),
                                IntProperty("2. Columns", layout.sheet.columns), IntProperty("3. Rows", layout.sheet.rows),
                                IntProperty("4. ID", 0)};
            scene.Add(sheet);
            for (size_t id = 0; id < layout.states.size(); ++id)
            {
                const StateLayout& state = layout.states[id];
                SceneObjectDesc block;
                block.name = state.name;
                block.definition = "KOB_AnimationBlock";
                block.properties = {IntProperty("1. ID", int(id)),          FloatProperty("2. FPS", state.fps),
                                    IntProperty("3. Start", state.start),   IntProperty("4. End", state.end),
                                    BoolProperty("5. Loop", state.loop),    BoolProperty("6. Transition", state.transition),
                                    IntProperty("7. Sheet ID", 0)};
                scene.Add(block);
            }
            std::vector<std::pair<int, int>> paths = layout.paths;
            if (layout.allToAll)
            {
                for (int from = 0; from < int(layout.states.size()); ++from)
                    for (int to = 0; to < int(layout.states.size()); ++to)
                        if (from != to)
                            paths.push_back({from, to});
            }
            for (const auto& [from, to] : paths)
            {
                SceneObjectDesc path;
                path.name = std::string("Path ") + layout.states[size_t(from)].name + " -> " + layout.states[size_t(to)].name;
                path.definition = "KOB_AnimationPath";
                path.properties = {IntProperty("From", from), IntProperty("To", to)};
                scene.Add(path);
            }
            anOutput.Scene(scene);
        }
    }
}
