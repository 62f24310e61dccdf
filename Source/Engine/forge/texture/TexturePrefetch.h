#pragma once
// Reads and decodes texture files on worker threads ahead of their use and, given a maker,
// makes their GPU textures there too; otherwise the main thread makes them. Files are taken
// by the texture manager's key (path and sRGB mode); a file that cannot be read is dropped
// here and reported by the request that asks for it later, as if it had never been fetched
// ahead.
#include "Platform/image/ImageData.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace Plat::Gpu
{
    class ShaderResourceView;
}

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
            Plat::Image::ImageData image;   // emptied once the view is made
            std::shared_ptr<Plat::Gpu::ShaderResourceView> view;
        };

        // Makes a file's texture on the worker that read it; null leaves that to the caller.
        using Maker = std::function<std::shared_ptr<Plat::Gpu::ShaderResourceView>(const Plat::Image::ImageData&)>;

        TexturePrefetch() = default;
        ~TexturePrefetch();
        TexturePrefetch(const TexturePrefetch&) = delete;
        TexturePrefetch& operator=(const TexturePrefetch&) = delete;

        // Queues a file; a key already queued, in flight or fetched is not queued again.
        // Safe from any thread.
        void Add(const std::string& aKey, const std::string& aPath, uint32_t someLoadFlags);

        // Files read from now on are made into textures by aMaker (see Maker).
        void SetMaker(Maker aMaker);

        // The fetched file under aKey, waiting for it while it is read; nothing when the key
        // was never queued, was taken already or could not be read.
        std::optional<Fetched> Take(const std::string& aKey);

        // Fetched files in the order they were queued, up to aMaxBytes of pixels still to be
        // made into textures (at least one file when any is ready), without waiting.
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
        Maker myMaker;
        bool myStopping = false;
    };
}
