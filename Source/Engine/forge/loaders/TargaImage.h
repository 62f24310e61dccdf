#pragma once
// The engine's own reader of uncompressed 32-bit Targa files.
#include <cstdint>
#include <memory>
#include <vector>

namespace Kiln
{
    struct TargaImage
    {
        uint16_t myWidth = 0;
        uint16_t myHeight = 0;
        uint8_t myBitsPerPixel = 0;
        // width x height pixels, R, G, B, A, top row first.
        std::vector<uint8_t> myPixels;
    };

    // Reads the 18-byte header (width at 12, height at 14, bits per pixel at 16) and the
    // B, G, R, A pixels that follow it, bottom row first. Nothing when the file cannot be
    // opened, is not 32 bits per pixel, or holds fewer pixels than its header says.
    std::unique_ptr<TargaImage> LoadTargaImage(const wchar_t* aPath);
}
