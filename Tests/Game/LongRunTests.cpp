// Long runs of the shipped levels, in process and headless: Level 1 played by its scripted
// route over and over with every frame drawn, resident memory sampled as it goes; and the
// level chain loaded and unloaded ten times, counting what the engine and the game hold.
//
// KILN_LONG_RUN_FRAMES sets the played frames (default 3,000; CTest's "long" run plays
// 20,000 in the normal build).
#include "LevelPlayFixture.h"

#include "forge/filewatcher/FileWatcher.h"
#include "forge/model/ModelFactory.h"
#include "forge/texture/TextureManager.h"

#include <cstdlib>
#include <unistd.h>

using namespace LevelPlay;

namespace
{
    int PlayedFrames()
    {
        if (const char* text = std::getenv("KILN_LONG_RUN_FRAMES"))
        {
            const int frames = std::atoi(text);
            if (frames > 0)
                return frames;
        }
        return 3000;
    }

    // Resident set size of this process, bytes.
    size_t ResidentBytes()
    {
        std::ifstream statm("/proc/self/statm");
        size_t pages = 0, resident = 0;
        statm >> pages >> resident;
        return resident * static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    }

    std::string LevelFile(const char* aName, const char* anExtension) { return std::string(KILN_LEVELS_DIR) + "/" + aName + anExtension; }

    // What the engine and the game hold between levels.
    struct Holdings
    {
        size_t textures = 0;
        size_t models = 0;
        size_t modelsHeld = 0;
        size_t animations = 0;
        size_t particles = 0;
        size_t inputListeners = 0;
        size_t subscriptions = 0;
        size_t fileWatches = 0;

        bool operator==(const Holdings&) const = default;
    };

    std::ostream& operator<<(std::ostream& anOut, const Holdings& aHoldings)
    {
        return anOut << "textures " << aHoldings.textures << ", models " << aHoldings.models << " (" << aHoldings.modelsHeld
                     << " held), animations " << aHoldings.animations << ", particles " << aHoldings.particles
                     << ", input listeners " << aHoldings.inputListeners << ", bus subscriptions " << aHoldings.subscriptions
                     << ", file watches " << aHoldings.fileWatches;
    }

    class LongRun : public LevelPlayTest
    {
    protected:
        Holdings Count() const
        {
            Kiln::Engine& engine = **myEngine;
            Holdings holdings;
            holdings.textures = engine.GetTextureManager()->GetCacheSize();
            const Kiln::ModelFactory& models = Kiln::ModelFactory::GetInstance();
            holdings.models = models.GetModelCacheSize();
            holdings.modelsHeld = models.GetModelsHeldCount();
            holdings.animations = models.GetAnimationCacheSize();
            holdings.particles = ParticleRegistry::GetInstance().GetParticleCount();
            holdings.inputListeners = InputMapper::GetInstance().GetListenerCount();
            holdings.subscriptions = PostMaster::GetInstance().GetSubscriptionCount();
            holdings.fileWatches = engine.GetFileWatcher() ? engine.GetFileWatcher()->GetCallbackCount() : 0;
            return holdings;
        }

        // The keys a route ends holding (it runs into the exit) are let go, so that the next
        // round's first press is a press again.
        void ReleaseRouteKeys(const std::vector<RouteEvent>& aRoute)
        {
            for (const RouteEvent& event : aRoute)
                myInput->UpdateEvents(Plat::Window::WM_KEYUP, event.key, 0);
            InputMapper::GetInstance().Update();
        }

        // One frame drawn as the game draws it, after the world's update.
        void Draw()
        {
            Kiln::Engine& engine = **myEngine;
            engine.BeginFrame();
            myWorld->Render();
            engine.EndFrame();
        }
    };
}

TEST_F(LongRun, Level1PlayedByItsRouteInALoopKeepsResidentMemoryFlat)
{
    const int frames = PlayedFrames();
    std::string error;
    const std::vector<RouteEvent> route = ParseRoute(ReadFile(LevelFile("Level1", ".route")), &error);
    ASSERT_TRUE(error.empty()) << error;

    int frame = 0;
    std::vector<std::pair<int, size_t>> samples;
    myAfterFrame = [&] {
        Draw();
        ++frame;
        if (frame % 1000 == 0)
            samples.emplace_back(frame, ResidentBytes());
        return frame < frames;
    };
    int rounds = 0;
    while (frame < frames)
    {
        Load("levels\\Level1.ksc");
        ASSERT_FALSE(HasFatalFailure());
        const bool finished = Play(route, 12.0f);
        ++rounds;
        if (frame < frames)
        {
            ASSERT_TRUE(finished) << "round " << rounds << ": the exit was not reached; the hero's path:\n" << myTrace.str();
        }
        EXPECT_EQ(myCounter->Count(MessageType::PlayerDied), 0) << "round " << rounds;
        // As the game does at a level's end: the world goes, a new one is made.
        myWorld.reset();
        ReleaseRouteKeys(route);
    }

    std::string report;
    for (const auto& [at, bytes] : samples)
        report += "  frame " + std::to_string(at) + ": " + std::to_string(bytes / 1024) + " KiB\n";
    std::printf("%d frames in %d rounds; resident memory:\n%s", frame, rounds, report.c_str());
    ASSERT_GE(samples.size(), 2u) << "too few frames to compare";

#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer keeps freed blocks in quarantine, so its resident size grows by design:
    // here the run is only to be clean.
    std::printf("resident memory is not compared under AddressSanitizer\n");
#else
    // From frame 2,000 on (the caches are warm by then) the process must not grow.
    const auto base = std::find_if(samples.begin(), samples.end(), [](const auto& aSample) { return aSample.first >= 2000; });
    ASSERT_NE(base, samples.end()) << "fewer than 2,000 frames played";
    size_t highest = base->second;
    for (auto it = base; it != samples.end(); ++it)
        highest = std::max(highest, it->second);
    EXPECT_LT(highest - base->second, size_t(5) << 20) << report;
#endif
}

TEST_F(LongRun, TheLevelChainLoadedTenTimesHoldsNoMoreThanOnce)
{
    const char* chain[] = {"levels\\Level1.ksc", "levels\\Level2.ksc", "levels\\Level3.ksc", "levels\\Level_Outro.ksc"};
    // The sound bank lives for the whole process (the game makes it before any level); its
    // subscriptions are not the levels'.
    Sound::GetInstance();
    const Holdings before = Count();
    std::vector<Holdings> afterRounds;
    for (int round = 0; round < 10; ++round)
    {
        for (const char* level : chain)
        {
            Load(level);
            ASSERT_FALSE(HasFatalFailure());
            // A second of play, drawn, so the level's particles, sounds and sprites are in use.
            for (int frame = 0; frame < 60; ++frame)
            {
                InputMapper::GetInstance().Update();
                myWorld->Update(STEP);
                Draw();
            }
            if (round == 0)
            {
                const Holdings loaded = Count();
                EXPECT_GT(loaded.particles, 0u) << level << ": the level's emitters should be running";
                EXPECT_GT(loaded.inputListeners, before.inputListeners) << level << ": the hero listens to input";
            }
            myWorld.reset();
        }
        afterRounds.push_back(Count());
        // What a level registers goes with its world.
        EXPECT_EQ(afterRounds.back().particles, 0u) << "round " << round;
        EXPECT_EQ(afterRounds.back().modelsHeld, before.modelsHeld) << "round " << round;
        EXPECT_EQ(afterRounds.back().inputListeners, before.inputListeners) << "round " << round;
        EXPECT_EQ(afterRounds.back().subscriptions, before.subscriptions) << "round " << round;
    }
    // The caches fill during the first round and stay as they are.
    for (size_t round = 1; round < afterRounds.size(); ++round)
        EXPECT_EQ(afterRounds[round], afterRounds[0]) << "round " << round << " holds " << afterRounds[round] << "\nround 0 held "
                                                      << afterRounds[0];
    std::cout << "before the first level: " << before << "\nafter each round: " << afterRounds[0] << "\n";
}
