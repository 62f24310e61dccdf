#pragma once
// Runs aWork on a thread of its own, or here and now when no thread can be had: the thread
// returned is then empty (not joinable).
#include <system_error>
#include <thread>

template <typename Work>
std::thread RunOnAThreadOrHere(const Work& aWork)
{
    try
    {
        return std::thread(aWork);
    }
    catch (const std::system_error&)
    {
        aWork();
        return {};
    }
}
