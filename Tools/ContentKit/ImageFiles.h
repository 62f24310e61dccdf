#pragma once
// Writing canvases as files: DDS for the game (RGBA8, sRGB for colour art, with mips) and
// PNG previews. Files are only rewritten when their bytes change, so a rebuild leaves
// unchanged content untouched.
#include "ContentKit/Canvas.h"

#include <filesystem>
#include <string>
#include <vector>

namespace ContentKit
{
    struct DdsOptions
    {
        bool srgb = true;         // colour art; false for data (normal maps and the like)
        bool mips = true;         // a full chain, so shrunk sprites do not shimmer
        bool bleedColor = true;   // fill transparent texels with nearby colour (no dark fringes)
    };

    // The bytes of a DDS file (DX10 header for sRGB, legacy header otherwise).
    std::vector<uint8_t> EncodeDds(const Canvas& aCanvas, const DdsOptions& someOptions = {});
    bool WriteDds(const std::filesystem::path& aFile, const Canvas& aCanvas, const DdsOptions& someOptions = {});
    bool WritePng(const std::filesystem::path& aFile, const Canvas& aCanvas);

    // Creates the parent folders and writes aBytes unless the file already holds exactly them.
    bool WriteFileIfChanged(const std::filesystem::path& aFile, const std::string& aBytes);
    bool WriteFileIfChanged(const std::filesystem::path& aFile, const std::vector<uint8_t>& aBytes);
}
