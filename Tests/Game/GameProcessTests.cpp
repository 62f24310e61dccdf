// The Game executable run as a child process from a copy of the bin folder.
#include "Platform/runtime/Paths.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace
{
#if defined(__SANITIZE_ADDRESS__)
    constexpr auto ExitBound = 4s;
#else
    constexpr auto ExitBound = 1s;
#endif

    std::string ReadFile(const fs::path& aPath)
    {
        std::ifstream file(aPath, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    class GameProcess : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            std::random_device device;
            myRoot = fs::temp_directory_path() / ("kiln_game_" + std::to_string(::getpid()) + "_" + std::to_string(device()));
            const fs::path bin = Plat::Runtime::ExecutableDirectory();
            ASSERT_TRUE(fs::exists(bin / "Game")) << "build the Game target first";
            fs::create_directories(myRoot / "bin" / "settings");
            fs::create_directories(myRoot / "elsewhere");
            fs::copy_file(bin / "Game", myRoot / "bin" / "Game");
            fs::copy_file(bin / "settings" / "Game.json", myRoot / "bin" / "settings" / "Game.json");
            fs::copy(bin / "assets", myRoot / "bin" / "assets", fs::copy_options::recursive);
        }

        void TearDown() override
        {
            if (myPid > 0)
            {
                kill(myPid, SIGKILL);
                waitpid(myPid, nullptr, 0);
            }
            fs::remove_all(myRoot);
        }

        // Starts bin/Game from another working directory, output to files.
        void Spawn(const std::vector<std::string>& someArguments = {})
        {
            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init(&actions);
            posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
            posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, (myRoot / "out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, (myRoot / "err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            posix_spawn_file_actions_addchdir_np(&actions, (myRoot / "elsewhere").c_str());

            const std::string program = (myRoot / "bin" / "Game").string();
            std::vector<char*> argv{const_cast<char*>(program.c_str())};
            for (const std::string& a : someArguments)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ASSERT_EQ(posix_spawn(&myPid, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
            posix_spawn_file_actions_destroy(&actions);
        }

        // Ready for the signal once SDL has installed its SIGINT and SIGTERM handlers (the
        // window layer started) and the GL driver has started its worker threads (the
        // device exists, so the frame loop is about to run).
        bool WaitUntilRunning(std::chrono::seconds aLimit)
        {
            const auto end = std::chrono::steady_clock::now() + aLimit;
            while (std::chrono::steady_clock::now() < end)
            {
                std::ifstream status("/proc/" + std::to_string(myPid) + "/status");
                std::string line;
                bool caught = false;
                int threads = 0;
                while (std::getline(status, line))
                {
                    if (line.rfind("SigCgt:", 0) == 0)
                    {
                        const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
                        caught = (mask & (1ull << (SIGINT - 1))) && (mask & (1ull << (SIGTERM - 1)));
                    }
                    if (line.rfind("Threads:", 0) == 0)
                        threads = std::stoi(line.substr(8));
                }
                if (caught && threads > 1)
                    return true;
                std::this_thread::sleep_for(10ms);
            }
            return false;
        }

        // Waits for the child; returns its wait status, or -1 after the limit.
        int WaitForExit(std::chrono::milliseconds aLimit)
        {
            const auto end = std::chrono::steady_clock::now() + aLimit;
            while (std::chrono::steady_clock::now() < end)
            {
                int status = 0;
                if (waitpid(myPid, &status, WNOHANG) == myPid)
                {
                    myPid = -1;
                    return status;
                }
                std::this_thread::sleep_for(5ms);
            }
            return -1;
        }

        void RunUntilSignal(int aSignal)
        {
            ASSERT_TRUE(WaitUntilRunning(30s)) << ReadFile(myRoot / "err.txt");
            // Let a few frames run.
            std::this_thread::sleep_for(500ms);
            ASSERT_EQ(kill(myPid, aSignal), 0);
            const int status = WaitForExit(ExitBound);
            ASSERT_NE(status, -1) << "the game did not end within the bound after the signal";
            ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
            EXPECT_EQ(WEXITSTATUS(status), 0) << ReadFile(myRoot / "err.txt");
        }

        fs::path myRoot;
        pid_t myPid = -1;
    };
}

TEST_F(GameProcess, EndsCleanlyOnSigint)
{
    Spawn();
    RunUntilSignal(SIGINT);
    EXPECT_EQ(ReadFile(myRoot / "out.txt"), "argc => 1");
}

TEST_F(GameProcess, EndsCleanlyOnSigtermAndEchoesTheScenePath)
{
    Spawn({"levels\\Level1.ksc"});
    RunUntilSignal(SIGTERM);
    EXPECT_EQ(ReadFile(myRoot / "out.txt"), "argv[1] => levels\\Level1.ksc");
}

TEST_F(GameProcess, AMalformedSettingsFileEndsTheRunWithOneLineAndStatusOne)
{
    std::ofstream(myRoot / "bin" / "settings" / "Game.json", std::ios::trunc) << "{ \"window_settings\": { \"title\": \"x\", }";
    Spawn();
    const int status = WaitForExit(30s);
    ASSERT_NE(status, -1);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);

    const std::string err = ReadFile(myRoot / "err.txt");
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;  // exactly one line
    EXPECT_NE(err.find((myRoot / "bin" / "settings" / "Game.json").string()), std::string::npos) << err;
    EXPECT_NE(err.find("parse_error"), std::string::npos) << err;
}

TEST_F(GameProcess, AMissingRequiredKeyOrWrongTypeEndsTheRunWithStatusOne)
{
    for (const char* document : {R"({ "window_settings": { "borderless": true } })", R"({ "enable_vsync": 1 })"})
    {
        std::ofstream(myRoot / "bin" / "settings" / "Game.json", std::ios::trunc) << document;
        Spawn();
        const int status = WaitForExit(30s);
        ASSERT_NE(status, -1);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1);
        const std::string err = ReadFile(myRoot / "err.txt");
        EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
        EXPECT_NE(err.find("Game.json"), std::string::npos) << err;
        EXPECT_NE(err.find("type_error"), std::string::npos) << err;
    }
}

TEST_F(GameProcess, AMissingSettingsFileRunsOnDefaults)
{
    fs::remove(myRoot / "bin" / "settings" / "Game.json");
    Spawn();
    RunUntilSignal(SIGINT);
}
