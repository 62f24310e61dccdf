// Writes the game's interface content into the game assets folder: the five menu pages and
// their art, the splash logo, the interact prompts, the tutorial cards and a background per
// level. Usage: tool_MakeUiContent <game assets folder> [<preview folder>]
// With a preview folder, every texture is also written there as PNG, with composites of
// the pages, the splash screen and the level backgrounds as the game shows them.
#include "MenuLayout.h"
#include "UiContent.h"

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
    const std::filesystem::path previews = argc == 3 ? argv[2] : "";
    // Every label and card is written with the UI face: without it the art would be blank.
    const ContentKit::Font labels(ContentKit::DefaultFontPath(false));
    if (!labels.IsValid() || !ContentKit::Font(ContentKit::DefaultFontPath(true)).IsValid())
    {
        std::fprintf(stderr, "MakeUiContent: cannot open the fonts %s and %s\n", ContentKit::DefaultFontPath(false).c_str(),
                     ContentKit::DefaultFontPath(true).c_str());
        return 1;
    }
    GameContent::Output output(argv[1], previews);
    UiContent::Art art(output, !previews.empty());
    const UiContent::MenuPages pages = UiContent::BuildMenuPages(labels);
    UiContent::WriteMenuPages(output, pages);
    {
        std::vector<std::jthread> painters;
        painters.emplace_back([&] { UiContent::WriteMenuArt(art, pages); });
        painters.emplace_back([&] { UiContent::WriteMenuBackgrounds(art, pages); });
        for (auto* paint : {UiContent::WriteSplash, UiContent::WritePrompts, UiContent::WriteParallax})
            painters.emplace_back(paint, std::ref(art));
    }
    if (!previews.empty())
        UiContent::WritePreviews(art, pages, previews);
    for (const std::string& error : output.Errors())
        std::fprintf(stderr, "MakeUiContent: %s\n", error.c_str());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("MakeUiContent: %zu files and objects in %.1f s\n", output.Written(), seconds);
    return output.Ok() ? 0 : 1;
}
