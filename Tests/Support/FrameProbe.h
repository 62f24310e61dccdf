#pragma once
// Tells from outside when a running game has begun a frame: the engine's file watcher
// reloads a watched file only inside Engine::BeginFrame, so changing the file's write time
// and seeing it read again (inotify) means a frame began after the change.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace KilnTest
{
    class FrameProbe
    {
    public:
        FrameProbe() = default;
        ~FrameProbe();
        FrameProbe(const FrameProbe&) = delete;
        FrameProbe& operator=(const FrameProbe&) = delete;

        // Starts watching aFile, a file the game loads at start-up and watches.
        bool Watch(const std::filesystem::path& aFile);

        // aStillRunning is asked while waiting: a game that has ended will not read anything.
        using RunningCheck = std::function<bool()>;

        // Waits until the start-up has read the file.
        bool WaitForStartupRead(std::chrono::steady_clock::time_point aDeadline, const RunningCheck& aStillRunning);
        // Gives the file a write time the watcher has not seen and waits for it to be read
        // again: when this returns true, the game has flushed its file changes since the call.
        // That frame may have read its input before the call (the flush can wait for the
        // watcher's scan); the next frame reads it after.
        bool WaitForFrame(std::chrono::steady_clock::time_point aDeadline, const RunningCheck& aStillRunning);

    private:
        bool WaitForEvent(uint32_t aMask, std::chrono::steady_clock::time_point aDeadline, const RunningCheck& aStillRunning);

        std::filesystem::path myFile;
        int myInotify = -1;
        std::vector<uint32_t> myEvents;
        int64_t myLastStamp = 0;
    };
}
