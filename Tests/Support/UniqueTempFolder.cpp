#include "Support/UniqueTempFolder.h"

#include <atomic>
#include <fstream>
#include <random>
#include <stdexcept>

#include <unistd.h>

namespace KilnTest
{
    UniqueTempFolder::UniqueTempFolder(std::string_view aTag)
    {
        static std::atomic<unsigned> counter{0};
        std::random_device device;
        for (int attempt = 0; attempt < 100; ++attempt)
        {
            const std::string name = "kiln-" + std::string(aTag) + "-" + std::to_string(::getpid()) + "-" +
                                     std::to_string(counter++) + "-" + std::to_string(device() % 1000000u);
            const std::filesystem::path candidate = std::filesystem::temp_directory_path() / name;
            if (std::filesystem::create_directory(candidate))
            {
                myPath = candidate;
                return;
            }
        }
        throw std::runtime_error("could not create a unique temp folder");
    }

    UniqueTempFolder::~UniqueTempFolder()
    {
        std::error_code ignored;
        std::filesystem::permissions(myPath, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(myPath, ignored);
    }

    std::filesystem::path UniqueTempFolder::WriteFile(const std::filesystem::path& aRelativePath, std::string_view aText) const
    {
        const std::filesystem::path file = myPath / aRelativePath;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(aText.data(), static_cast<std::streamsize>(aText.size()));
        if (!out)
            throw std::runtime_error("could not write " + file.string());
        return file;
    }
}
