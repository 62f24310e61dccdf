#include "forge/scene/GameAssetsRoot.h"

#include "forge/settings/Settings.h"

namespace Kiln::impl
{
    GameAssetsPathSource gGameAssetsPathSource = nullptr;

    std::filesystem::path GetGameAssetsPath()
    {
        return gGameAssetsPathSource != nullptr ? gGameAssetsPathSource() : Settings::GameAssetsPath();
    }
}
