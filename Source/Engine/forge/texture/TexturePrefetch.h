#pragma once
// Reads and decodes texture files on worker threads ahead of their use, so that the main
// thread only makes the GPU objects. Files are taken by the texture manager's key (path and
// sRGB mode); a file that cannot be read is dropped here and reported by the request that
// asks for it later, as if it had never been fetched ahead.
#include "Platform/image/ImageData.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace Kiln::impl
{
    class TexturePrefetch
    {
    public:
        struct Fetched
        {
            std::string key;
            std::string path;       // as asked for
            std::string resolved;   // the file read
            Plat::Image::ImageData image;
        };

        TexturePrefetch() = default;
        ~TexturePrefetch();
        TexturePrefetch(const TexturePrefetch&) = delete;
        TexturePrefetch& operator=(const TexturePrefetch&) = delete;

        // Queues a file; a key already queued, in flight or fetched is not queued again.
        // Safe from any thread.
        void Add(const std::string& aKey, const std::string& aPath, uint32_t someLoadFlags);

        // The fetched file under aKey, waiting for it while it is read; nothing when the key
        // was never queued, was taken already or could not be read.
        std::optional<Fetched> Take(const std::string& aKey);

        // Fetched files in the order they were queued, up to aMaxBytes of pixels (at least
        // one file when any is ready), without waiting.
        std::vector<Fetched> TakeReady(size_t aMaxBytes);

        // Files queued or in flight, and fetched files not taken yet.
        size_t Outstanding() const;

    private:
        struct Job
        {
            std::string key;
            std::string path;
            uint32_t flags = 0;
            bool done = false;
            bool read = false;
            Fetched fetched;
        };

        void Work();

        mutable std::mutex myMutex;
        std::condition_variable myChanged;
        std::list<Job> myJobs;              // in the order queued; taken jobs are erased
        std::deque<Job*> myQueue;           // not started yet
        std::vector<std::thread> myWorkers;
        bool myStopping = false;
    };
}
