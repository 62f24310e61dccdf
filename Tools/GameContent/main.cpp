// Writes the game's content into the game assets folder: object definitions, the animation
// controller scenes and every sprite sheet, particle and screen texture they and the game
// name. Usage: tool_MakeGameContent <game assets folder> [<preview folder for PNG copies>]
#include "GameContent.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3)
    {
        std::fprintf(stderr, "usage: %s <game assets folder> [<preview folder>]\n", argv[0]);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    GameContent::Output output(argv[1], argc == 3 ? argv[2] : "");
    GameContent::WriteDefinitions(output);
    GameContent::WriteControllers(output);
    // The pictures are independent of each other: paint them side by side.
    {
        std::vector<std::jthread> painters;
        for (auto* paint : {GameContent::WritePlayerArt, GameContent::WriteEnemyArt, GameContent::WriteNpcArt, GameContent::WriteGrassArt,
                            GameContent::WriteParticleArt, GameContent::WriteScreenArt})
            painters.emplace_back(paint, std::ref(output));
    }
    for (const std::string& error : output.Errors())
        std::fprintf(stderr, "MakeGameContent: %s\n", error.c_str());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("MakeGameContent: %zu files and objects in %.1f s\n", output.Written(), seconds);
    return output.Ok() ? 0 : 1;
}
