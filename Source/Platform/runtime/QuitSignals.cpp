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

        struct sigaction term{};
        if (sigaction(SIGTERM, nullptr, &term) == 0 && term.sa_handler == SIG_IGN)
        {
            struct sigaction byDefault{};
            byDefault.sa_handler = SIG_DFL;
            sigaction(SIGTERM, &byDefault, nullptr);
        }
    }
}
