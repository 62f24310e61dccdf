#pragma once
// Pictures written as PNG files through ImageMagick (/usr/bin/convert: another convert may
// come first on PATH): for captures kept from a run and for the README's pictures.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace KilnTest
{
    // somePixels: aWidth x aHeight pixels, top row first, in aLayout ("rgb", "bgra", ...
    // as ImageMagick names raw layouts). With aScaledWidth above 0 the picture is scaled to
    // that width. False when the file could not be written.
    bool WritePng(const std::filesystem::path& aPath, int aWidth, int aHeight, const std::vector<uint8_t>& somePixels,
                  const std::string& aLayout, int aScaledWidth = 0);
}
