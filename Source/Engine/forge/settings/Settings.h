#pragma once
// The project settings file and the asset roots it names.
//
// LoadSettings reads "<executable folder>/settings/<name>" into the global engine
// configuration and the three asset roots. A file that is not valid JSON, a missing
// required key or a value of the wrong type ends the load with an exception: the JSON
// library's (or, for a size that is not a whole number of pixels, a std::runtime_error),
// nested inside a std::runtime_error that names the file (std::throw_with_nested).
#include "forge/engine/EngineConfiguration.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace Kiln
{
    // False when the executable's path cannot be read or the file cannot be opened (the
    // configuration is then untouched); true after a full read.
    bool LoadSettings(const std::string& aSettingsFileName);

    // UTF-8 to wide text (the build's narrow strings are UTF-8).
    std::wstring ToWideString(const std::string& aText);

    namespace Settings
    {
        Kiln::EngineConfiguration& EngineConfiguration();

        const std::filesystem::path& ExecutableDirectory();
        const std::filesystem::path& EngineAssetsPath();
        const std::filesystem::path& GameAssetsPath();
        const std::filesystem::path& CookedPath();

        // The file to open for a relative asset path, first match wins: the executable's
        // "data/" folder, the game assets path, the engine assets path. '\' separates
        // components and letter case is matched loosely (see Plat::Runtime::ResolveCase).
        // Empty when the file is found nowhere.
        std::string ResolveAssetPath(std::string_view aRelativePath);

        // What a game needs of the settings before the engine starts: "assets_path" with a
        // "game" and a "cooked" folder, each named (not "") and able to be listed. Throws
        // std::runtime_error naming the settings file last loaded and the key otherwise.
        void CheckGameFolders();

        // Back to the state before any load: default configuration, no asset roots (tests).
        void ResetSettings();
    }
}
