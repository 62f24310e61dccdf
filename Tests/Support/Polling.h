#pragma once
// Waiting on files and watchers in tests.
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

namespace KilnTest
{
    // Runs aTick, then checks aDone, every 5 ms until it holds; false after a hang guard of 30 s.
    inline bool PollUntil(const std::function<void()>& aTick, const std::function<bool()>& aDone)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < end)
        {
            aTick();
            if (aDone())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    // Waits until aWatcher has run a whole scan begun after the call, so every change made
    // before it has been seen: only then does "nothing was delivered" mean anything.
    template <class Watcher>
    bool WaitForAWholeScan(const Watcher& aWatcher)
    {
        const auto from = aWatcher.GetScanCount();
        return PollUntil([] {}, [&] { return aWatcher.GetScanCount() >= from + 2; });
    }

    // Moves the file's time aSeconds ahead of now, so every touch is a change whatever the clock's grain.
    inline void TouchAhead(const std::filesystem::path& aPath, int aSeconds)
    {
        std::filesystem::last_write_time(aPath, std::filesystem::file_time_type::clock::now() + std::chrono::seconds(aSeconds));
    }
}
