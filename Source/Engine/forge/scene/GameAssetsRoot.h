#pragma once
// The folder that scene paths and object definitions are read under: the settings' game
// assets path, unless a source is installed here (tests point it at a temp folder).
#include <filesystem>

namespace Kiln::impl
{
    using GameAssetsPathSource = std::filesystem::path (*)();
    extern GameAssetsPathSource gGameAssetsPathSource;

    std::filesystem::path GetGameAssetsPath();
}
