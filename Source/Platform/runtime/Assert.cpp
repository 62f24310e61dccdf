#include "Platform/runtime/Assert.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace Plat::Runtime
{
    namespace
    {
        std::mutex& HandlerMutex()
        {
            static std::mutex m;
            return m;
        }

        AssertionHandler& Handler()
        {
            static AssertionHandler h;
            return h;
        }
    }

    AssertionHandler SetAssertionHandler(AssertionHandler aHandler)
    {
        std::lock_guard lock(HandlerMutex());
        std::swap(Handler(), aHandler);
        return aHandler;
    }

    void ReportAssertion(const char* anExpression, const char* aFile, int aLine)
    {
        AssertionReport report{anExpression ? anExpression : "", aFile ? aFile : "", aLine};
        AssertionHandler handler;
        {
            std::lock_guard lock(HandlerMutex());
            handler = Handler();
        }
        if (handler)
        {
            handler(report);
            return;
        }
        std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n",
                     report.expression.c_str(), report.file.c_str(), report.line);
        std::fflush(stderr);
    }
}
