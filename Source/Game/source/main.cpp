#include "Go.h"

#include "Platform/runtime/Console.h"
#include "Platform/runtime/ExceptionChain.h"
#include "Platform/runtime/QuitSignals.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv)
{
    Plat::Runtime::UnblockQuitSignals();
    try
    {
        if (argc < 2)
        {
            std::printf("argc => %d", argc);
            Go("scene.ksc");
        }
        else
        {
            std::printf("argv[1] => %s", argv[1]);
            Go(argv[1]);
        }
    }
    catch (const std::exception& error)
    {
        // Bad content (a malformed file, a missing key, a ContentError) and a failed start
        // (no settings file, an unreadable shader) end the run with one line naming what was
        // wrong, and status 1.
        const std::string text = Plat::Runtime::DescribeExceptionChain(error);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        std::fprintf(stderr, "Game: %s\n", text.c_str());
        // A console opened for the game stays until the reason is read.
        if (dynamic_cast<const EngineStartFailure*>(&error) != nullptr)
            Plat::Runtime::PauseConsole();
        return 1;
    }
    return 0;
}
