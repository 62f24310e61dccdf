// The collision pass over a level-like set of registered shapes (floor tiles, platforms,
// walking enemies with their edge probes, hands, breakable walls, triggers and buttons, one
// player box) at 200, 1,000 and 5,000 shapes: microseconds per pass beside the number of
// pairs whose layer and mask match (what testing every pair would test). The pass tests
// only the pairs whose bounds meet, so its cost should grow about as the shape count does;
// the summary gives the time per shape at each size. Also the player's own frame:
// Player::Update and its contacts against a floor of tiles.
//
// No library in Debian's packages runs this game's pass (layer and mask double dispatch
// with sub-stepped player push-out), so there is no peer here: the growth is the measure.
//
// Run headless: SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ./bench_CollisionPass
#include "CollisionBox.h"
#include "CollisionCircle.h"
#include "CollisionLayer.h"
#include "CollisionManager.h"
#include "ParticleRegistry.h"
#include "Player.h"

#include "Game/PlayerTestContent.h"
#include "Support/ScopedEngine.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{
    // One level's shapes and the manager they are registered with.
    struct Level
    {
        std::vector<std::unique_ptr<CollisionBox>> boxes;
        std::vector<std::unique_ptr<CollisionCircle>> circles;
        CollisionManager manager;
        uint64_t pairTests = 0;

        CollisionBox& Box(Kiln::Vector2<float> aCenter, Kiln::Vector2<float> aSize, uint32_t aLayer, uint32_t aMask)
        {
            boxes.push_back(std::make_unique<CollisionBox>());
            CollisionBox& box = *boxes.back();
            box.Init(aCenter, aSize);
            box.SetCollisionLayer(aLayer);
            box.SetCollisionMask(aMask);
            manager.AddCollider(&box.GetCollider());
            return box;
        }
        void Round(Kiln::Vector2<float> aCenter, float aRadius)
        {
            circles.push_back(std::make_unique<CollisionCircle>());
            CollisionCircle& circle = *circles.back();
            circle.Init(aCenter, aRadius);
            circle.SetCollisionLayer(CollisionLayer::Trigger);
            circle.SetCollisionMask(CollisionLayer::Player);
            manager.AddCollider(&circle.GetCollider());
        }
    };

    // About 60 % floor tiles and platforms, 15 % walking enemies (a body and two probes
    // each), 5 % hands, 5 % breakable walls, 15 % triggers and buttons, and the player.
    std::unique_ptr<Level> MakeLevel(int aShapeCount)
    {
        auto level = std::make_unique<Level>();
        std::mt19937 random(1234);
        const int tiles = aShapeCount * 60 / 100;
        const float length = static_cast<float>(tiles) * 400.0f;
        std::uniform_real_distribution<float> along(0.0f, length);
        std::uniform_real_distribution<float> height(50.0f, 600.0f);

        level->Box({200.0f, 50.0f}, {80.0f, 100.0f}, CollisionLayer::Player,
                   CollisionLayer::Solid | CollisionLayer::BreakableWall | CollisionLayer::Enemy);
        for (int i = 0; i < tiles; ++i)
        {
            const bool platform = i % 4 == 3;
            level->Box({400.0f * static_cast<float>(i) + 200.0f, platform ? 350.0f : -50.0f}, {400.0f, 100.0f},
                       CollisionLayer::Solid, 0);
        }
        int made = 1 + tiles;
        while (made < aShapeCount)
        {
            const float x = along(random);
            switch (made % 7)
            {
            case 0:
            case 1:
                if (made + 3 <= aShapeCount)
                {
                    // A walking enemy standing on the floor, with its two edge probes.
                    level->Box({x, 55.0f}, {300.0f, 110.0f}, CollisionLayer::Enemy,
                               CollisionLayer::Solid | CollisionLayer::BreakableWall | CollisionLayer::Player);
                    level->Box({x - 154.0f, -4.0f}, {8.0f, 8.0f}, CollisionLayer::Trigger, CollisionLayer::Solid);
                    level->Box({x + 154.0f, -4.0f}, {8.0f, 8.0f}, CollisionLayer::Trigger, CollisionLayer::Solid);
                    made += 3;
                    break;
                }
                [[fallthrough]];
            case 2:
                level->Box({x, height(random)}, {125.0f, 125.0f}, CollisionLayer::Enemy, CollisionLayer::Player);
                ++made;
                break;
            case 3:
                level->Box({x, 200.0f}, {100.0f, 400.0f}, CollisionLayer::BreakableWall, CollisionLayer::Player);
                ++made;
                break;
            case 4:
                level->Round({x, 75.0f}, 75.0f);
                ++made;
                break;
            default:
                level->Box({x, 400.0f}, {84.0f, 800.0f}, CollisionLayer::Trigger, CollisionLayer::Player);
                ++made;
                break;
            }
        }

        // The pairs the pass hands to the shape tests.
        const std::vector<Collider*>& shapes = level->manager.GetColliders();
        for (size_t i = 0; i < shapes.size(); ++i)
        {
            for (size_t j = i + 1; j < shapes.size(); ++j)
            {
                const ColliderPossessor* a = shapes[i]->GetOwner();
                const ColliderPossessor* b = shapes[j]->GetOwner();
                if ((a->GetCollisionMask() & b->GetCollisionLayer()) != 0 || (b->GetCollisionMask() & a->GetCollisionLayer()) != 0)
                    ++level->pairTests;
            }
        }
        return level;
    }

    void BM_CollisionPass(benchmark::State& aState)
    {
        const int count = static_cast<int>(aState.range(0));
        const std::unique_ptr<Level> level = MakeLevel(count);
        for (auto _ : aState)
        {
            level->manager.CollisionPass(1.0f / 60.0f);
            benchmark::ClobberMemory();
        }
        const double pairs = static_cast<double>(count) * static_cast<double>(count - 1) / 2.0;
        aState.counters["shapes"] = static_cast<double>(level->manager.GetColliders().size());
        aState.counters["pair_tests"] = static_cast<double>(level->pairTests);
        aState.counters["pairs_visited"] = pairs;
        aState.SetItemsProcessed(aState.iterations() * static_cast<int64_t>(level->pairTests));
    }

    // The player running back and forth on a floor.
    struct RunningPlayer
    {
        PlayerTest::ControllerOverride controllers;
        CollisionManager manager;
        std::vector<std::unique_ptr<CollisionBox>> floor;
        std::unique_ptr<Player> player;
        int frame = 0;

        RunningPlayer()
        {
            controllers.Install(Player::CONTROLLER_PATH, PlayerTest::PlayerController(nullptr));
            for (const char* effect : {"animations\\controllers\\A_Dash_VFX.ksc", "animations\\controllers\\A_Damage_Dash_VFX.ksc",
                                       "animations\\controllers\\A_Land_VFX.ksc"})
                controllers.Install(effect, PlayerTest::EffectController());
            player = std::make_unique<Player>();
            player->Init(PlayerTest::DefaultTuning({0.0f, 50.0f, 0.0f}));
            manager.AddCollider(&player->GetCollider());
            for (int i = 0; i < 50; ++i)
            {
                floor.push_back(std::make_unique<CollisionBox>());
                floor.back()->Init({-10000.0f + 400.0f * static_cast<float>(i), -50.0f}, {400.0f, 100.0f});
                floor.back()->SetCollisionLayer(CollisionLayer::Solid);
                manager.AddCollider(&floor.back()->GetCollider());
            }
            player->HandleInput({Action::Right, true});
        }
        ~RunningPlayer()
        {
            player.reset();
            ParticleRegistry::GetInstance().Clear();
        }
        // Turns at either end of a 2,000-unit stretch of the floor.
        void Steer()
        {
            ++frame;
            const float x = player->GetPosition().x;
            if (goingRight && x > 1000.0f)
            {
                player->HandleInput({Action::Right, false});
                player->HandleInput({Action::Left, true});
                goingRight = false;
            }
            else if (!goingRight && x < -1000.0f)
            {
                player->HandleInput({Action::Left, false});
                player->HandleInput({Action::Right, true});
                goingRight = true;
            }
        }
        bool goingRight = true;
    };

    KilnTest::ScopedEngine& Engine()
    {
        static KilnTest::ScopedEngine engine;
        return engine;
    }

    // One frame of the player running on its floor: Player::Update, then the pass over the
    // player and 50 tiles (its contacts re-solved in 12 sub-steps). The update's own share
    // is timed separately and reported as update_us.
    void BM_PlayerFrame(benchmark::State& aState)
    {
        if (!Engine().Started())
        {
            aState.SkipWithError("the engine did not start");
            return;
        }
        RunningPlayer world;
        const float dt = 1.0f / 60.0f;
        std::chrono::steady_clock::duration updating{};
        for (auto _ : aState)
        {
            world.Steer();
            const auto before = std::chrono::steady_clock::now();
            world.player->Update(dt);
            updating += std::chrono::steady_clock::now() - before;
            world.manager.CollisionPass(dt);
            if (world.frame % 1024 == 0)
            {
                // Footstep dust piles up without the world's particle update.
                aState.PauseTiming();
                ParticleRegistry::GetInstance().Clear();
                aState.ResumeTiming();
            }
        }
        aState.counters["update_us"] = std::chrono::duration<double, std::micro>(updating).count() / static_cast<double>(aState.iterations());
        aState.counters["grounded"] = world.player->GetState() == Player::STATE_GROUNDED ? 1.0 : 0.0;
    }

    // Keeps each run's real time per iteration in microseconds.
    class GrowthReporter : public benchmark::ConsoleReporter
    {
    public:
        void ReportRuns(const std::vector<Run>& someRuns) override
        {
            for (const Run& run : someRuns)
            {
                if (run.run_type != Run::RT_Iteration)
                    continue;
                Entry& entry = myEntries[run.benchmark_name()];
                entry.micros = run.GetAdjustedRealTime() * (run.time_unit == benchmark::kMicrosecond ? 1.0 : 1e-3);
                const auto tests = run.counters.find("pair_tests");
                if (tests != run.counters.end())
                    entry.pairTests = tests->second.value;
            }
            ConsoleReporter::ReportRuns(someRuns);
        }

        struct Entry
        {
            double micros = 0.0;
            double pairTests = 0.0;
        };
        std::map<std::string, Entry> myEntries;
    };
}

BENCHMARK(BM_CollisionPass)->Arg(200)->Arg(1000)->Arg(5000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlayerFrame)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    GrowthReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto& e = reporter.myEntries;
    const auto small = e.find("BM_CollisionPass/200");
    const auto medium = e.find("BM_CollisionPass/1000");
    const auto large = e.find("BM_CollisionPass/5000");
    if (small != e.end() && medium != e.end() && large != e.end())
    {
        std::printf("collision pass: 200 -> 1000 shapes x%.1f time (pair tests x%.1f), 1000 -> 5000 x%.1f time (pair tests x%.1f)\n",
                    medium->second.micros / small->second.micros, medium->second.pairTests / small->second.pairTests,
                    large->second.micros / medium->second.micros, large->second.pairTests / medium->second.pairTests);
        std::printf("collision pass: %.1f ns per shape at 200 shapes, %.1f at 1000, %.1f at 5000\n",
                    small->second.micros * 1e3 / 200.0, medium->second.micros * 1e3 / 1000.0, large->second.micros * 1e3 / 5000.0);
    }
    return 0;
}
