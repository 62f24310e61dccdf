#pragma once
// Decodes the formats the platform's imaging component decodes (PNG, JPEG, BMP, GIF),
// through stb_image. Anything else, Targa included, is refused so that the engine's
// own readers get their turn.
#include "Platform/image/ImageData.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace Plat::Image
{
    enum class ContainerKind
    {
        Unknown,
        Png,
        Jpeg,
        Bmp,
        Gif,
    };

    ContainerKind DetectContainer(std::span<const uint8_t> someBytes);

    // One subresource, no mips. 8-bit grey gives R8, 16-bit PNGs R16 or R16G16B16A16,
    // everything else R8G8B8A8 (sRGB when the flags force it or a PNG says so).
    bool DecodeImage(std::span<const uint8_t> someBytes, uint32_t someLoadFlags, ImageData& anOut, std::string* anError = nullptr);
    bool DecodeImageFile(const std::filesystem::path& aPath, uint32_t someLoadFlags, ImageData& anOut, std::string* anError = nullptr);
}
