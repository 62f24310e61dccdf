#include "Support/PngFile.h"

#include "Support/ChildProcess.h"

#include <chrono>
#include <fstream>

namespace KilnTest
{
    bool WritePng(const std::filesystem::path& aPath, int aWidth, int aHeight, const std::vector<uint8_t>& somePixels,
                  const std::string& aLayout, int aScaledWidth)
    {
        if (aWidth <= 0 || aHeight <= 0 || somePixels.empty())
            return false;
        std::error_code ignored;
        if (aPath.has_parent_path())
            std::filesystem::create_directories(aPath.parent_path(), ignored);
        const std::filesystem::path raw = aPath.string() + ".raw";
        {
            std::ofstream file(raw, std::ios::binary | std::ios::trunc);
            file.write(reinterpret_cast<const char*>(somePixels.data()), static_cast<std::streamsize>(somePixels.size()));
            if (!file)
                return false;
        }
        std::vector<std::string> command{"/usr/bin/convert", "-size", std::to_string(aWidth) + "x" + std::to_string(aHeight), "-depth", "8",
                                         aLayout + ":" + raw.string(), "-alpha", "off"};
        if (aScaledWidth > 0)
            command.insert(command.end(), {"-filter", "Triangle", "-resize", std::to_string(aScaledWidth) + "x"});
        // Small files for the repository: no timestamps, the strongest compression.
        command.insert(command.end(), {"-strip", "-define", "png:compression-level=9", "png:" + aPath.string()});
        const CommandResult result = RunCommand(command, std::chrono::seconds(60));
        std::filesystem::remove(raw, ignored);
        return result.Succeeded();
    }
}
