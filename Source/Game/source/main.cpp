#include "Go.h"

#include <cstdio>
#include <exception>
#include <string>

namespace
{
    // "outer: inner: innermost" for an exception and the ones nested inside it.
    void AppendMessages(const std::exception& anError, std::string& aText)
    {
        aText += anError.what();
        try
        {
            std::rethrow_if_nested(anError);
        }
        catch (const std::exception& inner)
        {
            aText += ": ";
            AppendMessages(inner, aText);
        }
        catch (...)
        {
            aText += ": unknown error";
        }
    }
}

int main(int argc, char** argv)
{
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
        // Bad content ends the run with one line naming what was wrong.
        std::string text;
        AppendMessages(error, text);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        std::fprintf(stderr, "Game: %s\n", text.c_str());
        return 1;
    }
    return 0;
}
