#include "Platform/runtime/QuitSignals.h"

#include <csignal>

namespace Plat::Runtime
{
    void UnblockQuitSignals()
    {
        sigset_t quit;
        sigemptyset(&quit);
        sigaddset(&quit, SIGINT);
        sigaddset(&quit, SIGTERM);
        pthread_sigmask(SIG_UNBLOCK, &quit, nullptr);
    }
}
