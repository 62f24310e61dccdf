#include "forge/filewatcher/FileWatcher.h"

#include "forge/engine/DebugFeature.h"
#include "forge/engine/Engine.h"
#include "forge/settings/Settings.h"
#include "Platform/runtime/Paths.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>

namespace Kiln
{
    namespace
    {
        constexpr std::chrono::milliseconds thePollInterval{32};
    }

    bool FileWatcher::IsFeatureOn()
    {
        if (const Engine* engine = Engine::GetInstance())
            return engine->IsDebugFeatureOn(DebugFeature::Filewatcher);
        // Before an engine exists the global configuration decides, by the same rule.
        return DebugFeature::IsOn(Settings::EngineConfiguration().myDebugFeatures, DebugFeature::Filewatcher);
    }

    FileWatcher::~FileWatcher()
    {
        myStop = true;
        if (myWorker)
        {
            while (!myStopped)
                std::this_thread::sleep_for(std::chrono::nanoseconds(1));
            myWorker->join();
            myWorker.reset();
        }
    }

    std::string FileWatcher::MakeKey(const std::string& aPath)
    {
        std::string key = aPath;
        std::replace(key.begin(), key.end(), '\\', '#');
        std::replace(key.begin(), key.end(), '/', '#');
        return key;
    }

    uint64_t FileWatcher::GetLastWriteTime(const std::string& aPath)
    {
        const std::filesystem::path path = Plat::Runtime::ResolveCase(std::string_view(aPath));
        std::error_code error;
        if (!std::filesystem::exists(path, error))
            return 0;
        // A file deleted between the two queries counts as missing, not as an error that
        // would end the worker thread.
        const auto time = std::filesystem::last_write_time(path, error);
        if (error)
            return 0;
        return static_cast<uint64_t>(time.time_since_epoch().count());
    }

    bool FileWatcher::WatchFileChange(const std::string& aPath, Callback aCallback)
    {
        if (!IsFeatureOn())
            return false;
        std::error_code error;
        if (!std::filesystem::exists(Plat::Runtime::ResolveCase(std::string_view(aPath)), error))
            return false;

        std::lock_guard<std::mutex> registration(myRegistrationLock);
        myCallbacks[MakeKey(aPath)].push_back(std::move(aCallback));
        const uint64_t time = GetLastWriteTime(aPath);
        {
            std::lock_guard<std::mutex> lock(myLockB);
            myWriteTimes[aPath] = time;
        }
        if (!myWorker)
            myWorker = std::make_unique<std::thread>(&FileWatcher::ThreadLoop, this);
        return true;
    }

    size_t FileWatcher::GetCallbackCount()
    {
        std::lock_guard<std::mutex> registration(myRegistrationLock);
        size_t count = 0;
        for (const auto& [path, callbacks] : myCallbacks)
            count += callbacks.size();
        return count;
    }

    bool FileWatcher::IsWorkerRunning()
    {
        std::lock_guard<std::mutex> registration(myRegistrationLock);
        return myWorker != nullptr;
    }

    void FileWatcher::ThreadLoop()
    {
        while (!myStop)
        {
            {
                std::lock_guard<std::mutex> lockA(myLockA);
                std::lock_guard<std::mutex> lockB(myLockB);
                for (auto& [path, storedTime] : myWriteTimes)
                {
                    const uint64_t now = GetLastWriteTime(path);
                    if (now == storedTime)
                        continue;
                    if (std::find(myPending.begin(), myPending.end(), path) == myPending.end())
                        myPending.push_back(path);
                    storedTime = now;
                }
                ++myScanCount;
            }
            std::this_thread::sleep_until(std::chrono::steady_clock::now() + thePollInterval);
        }
        myStopped = true;
    }

    void FileWatcher::FlushChanges()
    {
        if (!IsFeatureOn() || !IsWorkerRunning())
            return;
        std::lock_guard<std::mutex> lock(myLockA);
        std::swap(myPending, myProcessing);
        for (const std::string& path : myProcessing)
        {
            // A copy: a callback may register further files and grow the map.
            std::vector<Callback> callbacks;
            {
                std::lock_guard<std::mutex> registration(myRegistrationLock);
                const auto found = myCallbacks.find(MakeKey(path));
                if (found != myCallbacks.end())
                    callbacks = found->second;
            }
            for (const Callback& callback : callbacks)
                callback();
        }
        myProcessing.clear();
    }
}
