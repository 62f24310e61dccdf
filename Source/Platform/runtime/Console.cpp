#include "Platform/runtime/Console.h"

#include <cstdio>
#include <unistd.h>

namespace Plat::Runtime
{
    bool PauseConsole()
    {
        if (isatty(STDIN_FILENO) == 0)
            return false;
        std::fputs("Press Enter to continue . . . ", stdout);
        std::fflush(stdout);
        int c = 0;
        while ((c = std::getchar()) != '\n' && c != EOF)
        {
        }
        return true;
    }
}
