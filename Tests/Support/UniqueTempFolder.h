#pragma once
// A fresh folder under the system's temp folder for one test, removed with everything in
// it when the object goes. Names carry the process id and a counter, so tests running in
// parallel never share one.
#include <filesystem>
#include <string>
#include <string_view>

namespace KilnTest
{
    class UniqueTempFolder
    {
    public:
        explicit UniqueTempFolder(std::string_view aTag = "test");
        ~UniqueTempFolder();
        UniqueTempFolder(const UniqueTempFolder&) = delete;
        UniqueTempFolder& operator=(const UniqueTempFolder&) = delete;

        const std::filesystem::path& GetPath() const { return myPath; }

        // Writes aText to the file at aRelativePath, creating the folders on the way.
        std::filesystem::path WriteFile(const std::filesystem::path& aRelativePath, std::string_view aText) const;

    private:
        std::filesystem::path myPath;
    };
}
