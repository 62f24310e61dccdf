#include "forge/filewatcher/FileWatcher.h"

#include "WatcherTestSetup.h"

#include "Support/Polling.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace
{
    class FileWatcherTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            myFeature.emplace(true);
            myDir = fs::temp_directory_path() / ("kiln_watch_" + std::to_string(::getpid()) + "_" +
                                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
            fs::remove_all(myDir);
            fs::create_directories(myDir);
        }
        void TearDown() override
        {
            fs::remove_all(myDir);
            myFeature.reset();
        }

        std::string MakeFile(const std::string& aName)
        {
            std::ofstream(myDir / aName) << "x";
            return (myDir / aName).string();
        }

        // Flushes once per simulated frame until aDone holds.
        static bool FlushUntil(Kiln::FileWatcher& aWatcher, const std::function<bool()>& aDone)
        {
            return KilnTest::PollUntil([&] { aWatcher.FlushChanges(); }, aDone);
        }

        std::optional<ScopedWatcherFeature> myFeature;
        fs::path myDir;
    };
}

TEST_F(FileWatcherTest, KeysReplaceBothSeparators)
{
    EXPECT_EQ(Kiln::FileWatcher::MakeKey("assets\\Textures/a.dds"), "assets#Textures#a.dds");
    EXPECT_EQ(Kiln::FileWatcher::MakeKey("plain"), "plain");
}

TEST_F(FileWatcherTest, MissingFilesAndTheFeatureSwitchedOffRegisterNothing)
{
    Kiln::FileWatcher watcher;
    EXPECT_FALSE(watcher.WatchFileChange((myDir / "missing.txt").string(), [] {}));
    EXPECT_FALSE(watcher.IsWorkerRunning());

    const std::string file = MakeFile("a.txt");
    myFeature.emplace(false);
    EXPECT_FALSE(watcher.WatchFileChange(file, [] {}));
    EXPECT_FALSE(watcher.IsWorkerRunning());
    myFeature.emplace(true);
    EXPECT_TRUE(watcher.WatchFileChange(file, [] {}));
    EXPECT_TRUE(watcher.IsWorkerRunning());
    EXPECT_EQ(Kiln::FileWatcher::GetLastWriteTime((myDir / "missing.txt").string()), 0u);
}

TEST_F(FileWatcherTest, WithoutAnEngineTheConfigurationsFilewatcherBitOrAllNineBitsSwitchItOn)
{
    const std::string file = MakeFile("a.txt");
    uint32_t& features = Kiln::Settings::EngineConfiguration().myDebugFeatures;
    const auto watches = [&](uint32_t someFeatures) {
        features = someFeatures;
        Kiln::FileWatcher watcher;
        return watcher.WatchFileChange(file, [] {});
    };
    EXPECT_TRUE(watches(0x1FF));
    EXPECT_TRUE(watches(0x3FF));
    EXPECT_TRUE(watches(Kiln::DebugFeature::Filewatcher | 0x200));
    EXPECT_FALSE(watches(0x1DF));
    EXPECT_FALSE(watches(0x3DF));
    EXPECT_FALSE(watches(0x200));
}

TEST_F(FileWatcherTest, BothCallbacksOfAFileRunInOrderOnTheFlushingThreadOnly)
{
    Kiln::FileWatcher watcher;
    const std::string file = MakeFile("a.txt");
    std::vector<int> calls;
    std::vector<std::thread::id> threads;
    ASSERT_TRUE(watcher.WatchFileChange(file, [&] { calls.push_back(1); threads.push_back(std::this_thread::get_id()); }));
    ASSERT_TRUE(watcher.WatchFileChange(file, [&] { calls.push_back(2); threads.push_back(std::this_thread::get_id()); }));

    // Nothing changed: nothing runs.
    ASSERT_TRUE(KilnTest::WaitForAWholeScan(watcher));
    watcher.FlushChanges();
    EXPECT_TRUE(calls.empty());

    // Three changes, seen by two scans, inside one frame are delivered once.
    KilnTest::TouchAhead(file, 10);
    ASSERT_TRUE(KilnTest::WaitForAWholeScan(watcher));
    KilnTest::TouchAhead(file, 20);
    KilnTest::TouchAhead(file, 30);
    ASSERT_TRUE(KilnTest::WaitForAWholeScan(watcher));
    watcher.FlushChanges();
    EXPECT_EQ(calls, (std::vector<int>{1, 2}));
    for (const auto id : threads)
        EXPECT_EQ(id, std::this_thread::get_id());

    // No further change: no further calls. A later change is delivered again.
    ASSERT_TRUE(KilnTest::WaitForAWholeScan(watcher));
    watcher.FlushChanges();
    EXPECT_EQ(calls.size(), 2u);
    KilnTest::TouchAhead(file, 40);
    ASSERT_TRUE(FlushUntil(watcher, [&] { return calls.size() >= 4; }));
    EXPECT_EQ(calls, (std::vector<int>{1, 2, 1, 2}));
}

TEST_F(FileWatcherTest, SlashAndBackslashSpellingsShareOneListButArePolledTwice)
{
    Kiln::FileWatcher watcher;
    MakeFile("b.txt");
    const std::string slash = myDir.string() + "/b.txt";
    const std::string backslash = myDir.string() + "\\b.txt";
    std::vector<char> calls;
    ASSERT_TRUE(watcher.WatchFileChange(slash, [&] { calls.push_back('s'); }));
    ASSERT_TRUE(watcher.WatchFileChange(backslash, [&] { calls.push_back('b'); }));

    KilnTest::TouchAhead(slash, 10);
    ASSERT_TRUE(FlushUntil(watcher, [&] { return calls.size() >= 4; }));
    EXPECT_EQ(calls, (std::vector<char>{'s', 'b', 's', 'b'}));
}

TEST_F(FileWatcherTest, AFileThatDisappearsAndComesBackChangesTwice)
{
    Kiln::FileWatcher watcher;
    const std::string file = MakeFile("c.txt");
    int calls = 0;
    ASSERT_TRUE(watcher.WatchFileChange(file, [&] { ++calls; }));
    fs::remove(file);
    ASSERT_TRUE(FlushUntil(watcher, [&] { return calls == 1; }));
    MakeFile("c.txt");
    KilnTest::TouchAhead(file, 10);
    ASSERT_TRUE(FlushUntil(watcher, [&] { return calls == 2; }));
}

TEST_F(FileWatcherTest, ACallbackMayRegisterAnotherFile)
{
    Kiln::FileWatcher watcher;
    const std::string first = MakeFile("d.txt");
    const std::string second = MakeFile("e.txt");
    int secondCalls = 0;
    bool registered = false;
    ASSERT_TRUE(watcher.WatchFileChange(first, [&] {
        if (!registered)
            registered = watcher.WatchFileChange(second, [&] { ++secondCalls; });
    }));
    KilnTest::TouchAhead(first, 10);
    ASSERT_TRUE(FlushUntil(watcher, [&] { return registered; }));
    KilnTest::TouchAhead(second, 10);
    ASSERT_TRUE(FlushUntil(watcher, [&] { return secondCalls == 1; }));
}

TEST_F(FileWatcherTest, DestructionStopsAndJoinsTheWorker)
{
    const std::string file = MakeFile("f.txt");
    for (int i = 0; i < 3; ++i)
    {
        auto watcher = std::make_unique<Kiln::FileWatcher>();
        ASSERT_TRUE(watcher->WatchFileChange(file, [] {}));
        const auto start = std::chrono::steady_clock::now();
        watcher.reset();
        const auto took = std::chrono::steady_clock::now() - start;
        // Returning is the check: a worker that never sees the stop hangs here. The bound
        // only flags one that stops after a long wait.
        EXPECT_LT(took, 30s);
    }
}

TEST_F(FileWatcherTest, AChangeMadeWhileCallbacksRunIsDeliveredByALaterFlush)
{
    Kiln::FileWatcher watcher;
    const std::string first = MakeFile("g.txt");
    const std::string second = MakeFile("h.txt");
    int firstCalls = 0;
    int secondCalls = 0;
    ASSERT_TRUE(watcher.WatchFileChange(first, [&] {
        ++firstCalls;
        // The worker cannot scan while callbacks run, so this change waits for its next scan.
        KilnTest::TouchAhead(second, 10);
        std::this_thread::sleep_for(100ms);
    }));
    ASSERT_TRUE(watcher.WatchFileChange(second, [&] { ++secondCalls; }));
    KilnTest::TouchAhead(first, 10);
    ASSERT_TRUE(FlushUntil(watcher, [&] { return firstCalls == 1; }));
    EXPECT_EQ(secondCalls, 0);
    ASSERT_TRUE(FlushUntil(watcher, [&] { return secondCalls == 1; }));
    EXPECT_EQ(firstCalls, 1);
}
