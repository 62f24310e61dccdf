#pragma once
// The DXGI format numbers the image readers produce. The values are the ones the
// texture formats carry everywhere (files, the gpu layer), so a format passes between
// layers as a plain number.
#include <cstdint>

namespace Plat::Image
{
    enum class DxgiFormat : uint32_t
    {
        Unknown = 0,
        R32G32B32A32_Float = 2,
        R32G32B32_Float = 6,
        R16G16B16A16_Float = 10,
        R16G16B16A16_Unorm = 11,
        R16G16B16A16_Snorm = 13,
        R32G32_Float = 16,
        R10G10B10A2_Unorm = 24,
        R11G11B10_Float = 26,
        R8G8B8A8_Unorm = 28,
        R8G8B8A8_Unorm_Srgb = 29,
        R8G8B8A8_Snorm = 31,
        R16G16_Float = 34,
        R16G16_Unorm = 35,
        R16G16_Snorm = 37,
        R32_Float = 41,
        R8G8_Unorm = 49,
        R8G8_Snorm = 51,
        R16_Float = 54,
        R16_Unorm = 56,
        R8_Unorm = 61,
        R8_Snorm = 63,
        A8_Unorm = 65,
        BC1_Unorm = 71,
        BC1_Unorm_Srgb = 72,
        BC2_Unorm = 74,
        BC2_Unorm_Srgb = 75,
        BC3_Unorm = 77,
        BC3_Unorm_Srgb = 78,
        BC4_Unorm = 80,
        BC4_Snorm = 81,
        BC5_Unorm = 83,
        BC5_Snorm = 84,
        B5G6R5_Unorm = 85,
        B5G5R5A1_Unorm = 86,
        B8G8R8A8_Unorm = 87,
        B8G8R8X8_Unorm = 88,
        B8G8R8A8_Unorm_Srgb = 91,
        B8G8R8X8_Unorm_Srgb = 93,
        BC6H_UF16 = 95,
        BC6H_SF16 = 96,
        BC7_Unorm = 98,
        BC7_Unorm_Srgb = 99,
        B4G4R4A4_Unorm = 115,
    };

    // Bytes per texel, or per 4x4 block for block-compressed formats; 0 for formats
    // the readers do not produce.
    uint32_t BytesPerElement(DxgiFormat aFormat);
    bool IsBlockCompressed(DxgiFormat aFormat);
    bool IsKnownFormat(DxgiFormat aFormat);
    bool IsSrgb(DxgiFormat aFormat);
    // The sRGB twin of a format, or the format itself when it has none.
    DxgiFormat MakeSrgb(DxgiFormat aFormat);
    // The plain twin of an sRGB format, or the format itself.
    DxgiFormat MakeLinear(DxgiFormat aFormat);

    // Row pitch and row count (rows of blocks for compressed formats) of one mip level.
    struct SurfaceLayout
    {
        uint64_t rowPitch = 0;
        uint64_t rowCount = 0;
        uint64_t sliceBytes = 0;
    };
    SurfaceLayout GetSurfaceLayout(DxgiFormat aFormat, uint32_t aWidth, uint32_t aHeight);
}
