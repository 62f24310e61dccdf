#include "forge/texture/TexturePrefetch.h"

#include "forge/settings/Settings.h"

#include "Platform/image/DdsReader.h"

#include <algorithm>

namespace Kiln::impl
{
    namespace
    {
        // Reading is bound by page faults and the disk more than by the processor: a few
        // threads are enough, and leave the rest of the machine to the main thread.
        constexpr unsigned theMaxWorkers = 4;
    }

    TexturePrefetch::~TexturePrefetch()
    {
        {
            std::lock_guard lock(myMutex);
            myStopping = true;
        }
        myChanged.notify_all();
        for (std::thread& worker : myWorkers)
            worker.join();
    }

    void TexturePrefetch::Add(const std::string& aKey, const std::string& aPath, uint32_t someLoadFlags)
    {
        {
            std::lock_guard lock(myMutex);
            if (myStopping)
                return;
            for (const Job& job : myJobs)
                if (job.key == aKey)
                    return;
            Job& job = myJobs.emplace_back();
            job.key = aKey;
            job.path = aPath;
            job.flags = someLoadFlags;
            myQueue.push_back(&job);
            const unsigned wanted = std::min<unsigned>(theMaxWorkers, std::max(1u, std::thread::hardware_concurrency() / 2));
            if (myWorkers.size() < wanted && myWorkers.size() < myQueue.size())
            {
                try
                {
                    myWorkers.emplace_back([this] { Work(); });
                }
                catch (const std::system_error&)
                {
                    // No thread to be had: the workers there are (or the request) read it.
                }
            }
        }
        myChanged.notify_all();
    }

    void TexturePrefetch::SetMaker(Maker aMaker)
    {
        std::lock_guard lock(myMutex);
        myMaker = std::move(aMaker);
    }

    void TexturePrefetch::Work()
    {
        std::unique_lock lock(myMutex);
        for (;;)
        {
            myChanged.wait(lock, [this] { return myStopping || !myQueue.empty(); });
            if (myStopping)
                return;
            Job* job = myQueue.front();
            myQueue.pop_front();
            const std::string path = job->path;
            const uint32_t flags = job->flags;
            const Maker maker = myMaker;
            lock.unlock();

            Fetched fetched;
            fetched.path = path;
            fetched.resolved = Settings::ResolveAssetPath(path);
            const bool read = !fetched.resolved.empty() && Plat::Image::ReadDdsFile(fetched.resolved, flags, fetched.image);
            if (read && maker)
            {
                fetched.view = maker(fetched.image);
                if (fetched.view)
                    Plat::Image::ByteBuffer().swap(fetched.image.bytes);
            }

            lock.lock();
            fetched.key = job->key;
            job->fetched = std::move(fetched);
            job->read = read;
            job->done = true;
            myChanged.notify_all();
        }
    }

    std::optional<TexturePrefetch::Fetched> TexturePrefetch::Take(const std::string& aKey)
    {
        std::unique_lock lock(myMutex);
        const auto found = std::find_if(myJobs.begin(), myJobs.end(), [&](const Job& aJob) { return aJob.key == aKey; });
        if (found == myJobs.end())
            return std::nullopt;
        const auto queued = std::find(myQueue.begin(), myQueue.end(), &*found);
        if (queued != myQueue.end())
        {
            // Not started: the request reads it itself rather than wait behind other files.
            myQueue.erase(queued);
            myJobs.erase(found);
            return std::nullopt;
        }
        myChanged.wait(lock, [&] { return found->done; });
        std::optional<Fetched> result;
        if (found->read)
            result = std::move(found->fetched);
        myJobs.erase(found);
        return result;
    }

    std::vector<TexturePrefetch::Fetched> TexturePrefetch::TakeReady(size_t aMaxBytes)
    {
        std::vector<Fetched> taken;
        size_t bytes = 0;
        std::lock_guard lock(myMutex);
        for (auto job = myJobs.begin(); job != myJobs.end();)
        {
            if (!job->done)
                break;
            if (!job->read)
            {
                job = myJobs.erase(job);
                continue;
            }
            if (!taken.empty() && !job->fetched.view && bytes + job->fetched.image.bytes.size() > aMaxBytes)
                break;
            bytes += job->fetched.image.bytes.size();
            taken.push_back(std::move(job->fetched));
            job = myJobs.erase(job);
        }
        return taken;
    }

    size_t TexturePrefetch::Outstanding() const
    {
        std::lock_guard lock(myMutex);
        return myJobs.size();
    }
}
