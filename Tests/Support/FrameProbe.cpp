#include "Support/FrameProbe.h"

#include <algorithm>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace KilnTest
{
    FrameProbe::~FrameProbe()
    {
        if (myInotify >= 0)
            close(myInotify);
    }

    bool FrameProbe::Watch(const std::filesystem::path& aFile)
    {
        myFile = aFile;
        myInotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        return myInotify >= 0 && inotify_add_watch(myInotify, myFile.c_str(), IN_OPEN | IN_CLOSE_NOWRITE) >= 0;
    }

    bool FrameProbe::WaitForEvent(uint32_t aMask, std::chrono::steady_clock::time_point aDeadline, const RunningCheck& aStillRunning)
    {
        while (std::chrono::steady_clock::now() < aDeadline)
        {
            while (!myEvents.empty())
            {
                const uint32_t mask = myEvents.front();
                myEvents.erase(myEvents.begin());
                if ((mask & aMask) != 0)
                    return true;
            }
            if (aStillRunning && !aStillRunning())
                return false;
            pollfd fd{myInotify, POLLIN, 0};
            if (poll(&fd, 1, 20) <= 0)
                continue;
            alignas(inotify_event) char buffer[4096];
            const ssize_t size = read(myInotify, buffer, sizeof(buffer));
            for (ssize_t at = 0; at < size;)
            {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                myEvents.push_back(event->mask);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return false;
    }

    bool FrameProbe::WaitForStartupRead(std::chrono::steady_clock::time_point aDeadline, const RunningCheck& aStillRunning)
    {
        return WaitForEvent(IN_CLOSE_NOWRITE, aDeadline, aStillRunning);
    }

    bool FrameProbe::WaitForFrame(std::chrono::steady_clock::time_point aDeadline, const RunningCheck& aStillRunning)
    {
        // Events from before this call (a read still being finished) do not count.
        alignas(inotify_event) char buffer[4096];
        while (read(myInotify, buffer, sizeof(buffer)) > 0)
        {
        }
        myEvents.clear();
        // A write time the watcher has not seen yet: whole seconds ahead of the clock, of the
        // last one given and of the file's own (an earlier probe may have stamped it ahead).
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        myLastStamp = std::max(myLastStamp + 1, static_cast<int64_t>(std::chrono::duration_cast<std::chrono::seconds>(now).count()) + 1);
        struct stat status{};
        if (stat(myFile.c_str(), &status) == 0)
            myLastStamp = std::max(myLastStamp, static_cast<int64_t>(status.st_mtim.tv_sec) + 1);
        const timespec times[2] = {{static_cast<time_t>(myLastStamp), 0}, {static_cast<time_t>(myLastStamp), 0}};
        if (utimensat(AT_FDCWD, myFile.c_str(), times, 0) != 0)
            return false;
        return WaitForEvent(IN_OPEN, aDeadline, aStillRunning) && WaitForEvent(IN_CLOSE_NOWRITE, aDeadline, aStillRunning);
    }
}
