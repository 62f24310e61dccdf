#pragma once
// File-system paths for data written on Windows: '\' separates components, and a
// component that does not exist with the given letter case is matched without regard
// to case. Path text compared by callers (level names, watcher keys) stays as given.
#include <filesystem>
#include <string>
#include <string_view>

namespace Plat::Runtime
{
    // '\' becomes '/'; nothing else changes.
    std::string ToPortableSeparators(std::string_view aPath);

    // The path that exists on disk for aPath: aPath itself when it exists, else each
    // component matched case-insensitively. When no match exists, returns aPath with
    // portable separators (so callers see an ordinary "file not found").
    std::filesystem::path ResolveCase(const std::filesystem::path& aPath);
    std::filesystem::path ResolveCase(std::string_view aPath);

    // Why aFolder cannot be listed: "does not exist", "is not a folder" or "cannot be read: "
    // and the system's reason. Empty when it can be listed.
    std::string FolderProblem(const std::filesystem::path& aFolder);

    // The running executable's full path and folder (from /proc/self/exe); empty on failure.
    std::filesystem::path ExecutablePath();
    std::filesystem::path ExecutableDirectory();

    // Narrow (UTF-8) <-> wide conversion, in place of the Windows code-page calls.
    std::wstring ToWide(std::string_view aText);
    std::string ToNarrow(std::wstring_view aText);
}
