// tool_MakeGameModels <game assets folder> [stamp file]
// Writes the game's models (binary FBX 7.4) and their colour atlas into the game assets
// folder; see ModelPaths.h for the file names. The stamp file, when given, is touched
// once everything was written, so the build reruns the tool only when it changes.
#include "GameModelSet.h"

#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::cerr << "usage: tool_MakeGameModels <game assets folder> [stamp file]\n";
        return 1;
    }
    if (GameModels::WriteGameModels(argv[1]) != 0)
        return 1;
    if (argc >= 3)
    {
        std::ofstream stamp(argv[2], std::ios::trunc);
        stamp << "game models written\n";
        if (!stamp)
        {
            std::cerr << "tool_MakeGameModels: cannot write " << argv[2] << "\n";
            return 1;
        }
    }
    return 0;
}
