#include "ContentError.h"

#include "forge/scene/GameAssetsRoot.h"

#include "Platform/runtime/Paths.h"

#include <filesystem>

ContentError::ContentError(const std::string& aMessage) : std::runtime_error(aMessage)
{
}

std::string ContentError::SceneFolder(std::string_view aScenePath)
{
    std::filesystem::path folder = Kiln::impl::GetGameAssetsPath() / Plat::Runtime::ToPortableSeparators(aScenePath);
    folder += ".leveldata";
    return folder.string();
}

std::string ContentError::DescribeSceneFolder(std::string_view aScenePath)
{
    return "Scene folder \"" + SceneFolder(aScenePath) + "\"";
}
