#include "forge/scene/GameAssetsRoot.h"

namespace Kiln::impl
{
    GameAssetsPathSource gGameAssetsPathSource = nullptr;

    std::filesystem::path GetGameAssetsPath()
    {
        return gGameAssetsPathSource != nullptr ? gGameAssetsPathSource() : std::filesystem::path();
    }
}
