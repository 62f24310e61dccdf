#pragma once
// Reloads assets while the program runs: a worker thread polls the last-write times of
// registered files every 32 ms and queues the changed ones; their callbacks run on the
// main thread when the engine flushes at the start of a frame.
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Kiln
{
    class FileWatcher
    {
    public:
        using Callback = std::function<void()>;

        FileWatcher() = default;
        ~FileWatcher();
        FileWatcher(const FileWatcher&) = delete;
        FileWatcher& operator=(const FileWatcher&) = delete;

        // false when the "Filewatcher" debug feature is off or the file does not exist.
        bool WatchFileChange(const std::string& aPath, Callback aCallback);
        // Reload callbacks registered, over every file.
        size_t GetCallbackCount();

        // Runs the callbacks of the files changed since the last flush (main thread).
        void FlushChanges();

        // 0 when the path does not exist (also when it vanished while being read).
        static uint64_t GetLastWriteTime(const std::string& aPath);

        // '\' and '/' both become '#': two spellings of one file share one callback list.
        static std::string MakeKey(const std::string& aPath);

        bool IsWorkerRunning();
        // Scans the worker has finished. Two more than now: a whole scan began after now, so
        // every change made before has been queued.
        uint64_t GetScanCount() const { return myScanCount; }

    private:
        static bool IsFeatureOn();
        void ThreadLoop();

        std::unique_ptr<std::thread> myWorker;
        std::vector<std::string> myPending;
        std::vector<std::string> myProcessing;
        std::map<std::string, std::vector<Callback>> myCallbacks;
        std::map<std::string, uint64_t> myWriteTimes;
        std::mutex myLockA; // pending, processing and the worker's scan
        std::mutex myLockB; // the write-time map against registration
        // The callback map and the worker's start: a texture may be asked for (and its file
        // registered) off the main thread while the main thread flushes.
        std::mutex myRegistrationLock;
        std::atomic<bool> myStop{false};
        std::atomic<bool> myStopped{false};
        std::atomic<uint64_t> myScanCount{0};
    };
}
