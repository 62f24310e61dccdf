#pragma once
// Reader of DirectDraw Surface files: legacy and DX10 headers, 2D textures with mip
// chains, arrays and cube maps. Every size in the header is checked against the bytes
// that are actually there; a file that does not add up is refused with a reason.
#include "Platform/image/ImageData.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

namespace Plat::Image
{
    bool ParseDds(std::span<const uint8_t> someBytes, uint32_t someLoadFlags, ImageData& anOut, std::string* anError = nullptr);
    bool ReadDdsFile(const std::filesystem::path& aPath, uint32_t someLoadFlags, ImageData& anOut, std::string* anError = nullptr);

    // Reads a whole file; false when it cannot be opened or is larger than aMaxBytes.
    bool ReadFileBytes(const std::filesystem::path& aPath, std::vector<uint8_t>& anOut, uint64_t aMaxBytes = uint64_t(1) << 32);

    // A whole file in memory that was not zeroed before the read filled it.
    struct FileBytes
    {
        std::unique_ptr<uint8_t[]> data;
        size_t size = 0;
        std::span<const uint8_t> Bytes() const { return {data.get(), size}; }
    };
    bool ReadFileBytes(const std::filesystem::path& aPath, FileBytes& anOut, uint64_t aMaxBytes = uint64_t(1) << 32);
}
