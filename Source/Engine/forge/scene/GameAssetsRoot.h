#pragma once
// The folder that scene paths and object definitions are read under: the settings' game
// assets path. The settings own that value; they install a source here once they exist.
// Until a source is set the path is empty, so scene paths are taken as given.
#include <filesystem>

namespace Kiln::impl
{
    using GameAssetsPathSource = std::filesystem::path (*)();
    extern GameAssetsPathSource gGameAssetsPathSource;

    std::filesystem::path GetGameAssetsPath();
}
