#include "Platform/runtime/Console.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <unistd.h>

TEST(Console, PauseDoesNotWaitWithoutATerminal)
{
    // Standard input from /dev/null (as under CI or a pipe): no prompt, no wait.
    const int saved = dup(STDIN_FILENO);
    const int null = open("/dev/null", O_RDONLY);
    ASSERT_GE(null, 0);
    dup2(null, STDIN_FILENO);
    const auto start = std::chrono::steady_clock::now();
    const bool waited = Plat::Runtime::PauseConsole();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    dup2(saved, STDIN_FILENO);
    close(null);
    close(saved);
    EXPECT_FALSE(waited);
    EXPECT_LT(elapsed, std::chrono::seconds(30));  // a hang guard: a wait would never end
}
