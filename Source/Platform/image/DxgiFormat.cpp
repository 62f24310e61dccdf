#include "Platform/image/DxgiFormat.h"

namespace Plat::Image
{
    uint32_t BytesPerElement(DxgiFormat aFormat)
    {
        switch (aFormat)
        {
        case DxgiFormat::R32G32B32A32_Float: return 16;
        case DxgiFormat::R32G32B32_Float: return 12;
        case DxgiFormat::R16G16B16A16_Float:
        case DxgiFormat::R16G16B16A16_Unorm:
        case DxgiFormat::R16G16B16A16_Snorm:
        case DxgiFormat::R32G32_Float: return 8;
        case DxgiFormat::R10G10B10A2_Unorm:
        case DxgiFormat::R11G11B10_Float:
        case DxgiFormat::R8G8B8A8_Unorm:
        case DxgiFormat::R8G8B8A8_Unorm_Srgb:
        case DxgiFormat::R8G8B8A8_Snorm:
        case DxgiFormat::R16G16_Float:
        case DxgiFormat::R16G16_Unorm:
        case DxgiFormat::R16G16_Snorm:
        case DxgiFormat::R32_Float:
        case DxgiFormat::B8G8R8A8_Unorm:
        case DxgiFormat::B8G8R8X8_Unorm:
        case DxgiFormat::B8G8R8A8_Unorm_Srgb:
        case DxgiFormat::B8G8R8X8_Unorm_Srgb: return 4;
        case DxgiFormat::R8G8_Unorm:
        case DxgiFormat::R8G8_Snorm:
        case DxgiFormat::R16_Float:
        case DxgiFormat::R16_Unorm:
        case DxgiFormat::B5G6R5_Unorm:
        case DxgiFormat::B5G5R5A1_Unorm:
        case DxgiFormat::B4G4R4A4_Unorm: return 2;
        case DxgiFormat::R8_Unorm:
        case DxgiFormat::R8_Snorm:
        case DxgiFormat::A8_Unorm: return 1;
        case DxgiFormat::BC1_Unorm:
        case DxgiFormat::BC1_Unorm_Srgb:
        case DxgiFormat::BC4_Unorm:
        case DxgiFormat::BC4_Snorm: return 8;
        case DxgiFormat::BC2_Unorm:
        case DxgiFormat::BC2_Unorm_Srgb:
        case DxgiFormat::BC3_Unorm:
        case DxgiFormat::BC3_Unorm_Srgb:
        case DxgiFormat::BC5_Unorm:
        case DxgiFormat::BC5_Snorm:
        case DxgiFormat::BC6H_UF16:
        case DxgiFormat::BC6H_SF16:
        case DxgiFormat::BC7_Unorm:
        case DxgiFormat::BC7_Unorm_Srgb: return 16;
        case DxgiFormat::Unknown: break;
        }
        return 0;
    }

    bool IsKnownFormat(DxgiFormat aFormat) { return BytesPerElement(aFormat) != 0; }

    bool IsBlockCompressed(DxgiFormat aFormat)
    {
        const auto v = static_cast<uint32_t>(aFormat);
        return (v >= 71 && v <= 84) || (v >= 95 && v <= 99);
    }

    namespace
    {
        struct SrgbPair
        {
            DxgiFormat linear;
            DxgiFormat srgb;
        };
        constexpr SrgbPair theSrgbPairs[] = {
            {DxgiFormat::R8G8B8A8_Unorm, DxgiFormat::R8G8B8A8_Unorm_Srgb},
            {DxgiFormat::BC1_Unorm, DxgiFormat::BC1_Unorm_Srgb},
            {DxgiFormat::BC2_Unorm, DxgiFormat::BC2_Unorm_Srgb},
            {DxgiFormat::BC3_Unorm, DxgiFormat::BC3_Unorm_Srgb},
            {DxgiFormat::B8G8R8A8_Unorm, DxgiFormat::B8G8R8A8_Unorm_Srgb},
            {DxgiFormat::B8G8R8X8_Unorm, DxgiFormat::B8G8R8X8_Unorm_Srgb},
            {DxgiFormat::BC7_Unorm, DxgiFormat::BC7_Unorm_Srgb},
        };
    }

    bool IsSrgb(DxgiFormat aFormat)
    {
        for (const SrgbPair& p : theSrgbPairs)
            if (p.srgb == aFormat)
                return true;
        return false;
    }

    DxgiFormat MakeSrgb(DxgiFormat aFormat)
    {
        for (const SrgbPair& p : theSrgbPairs)
            if (p.linear == aFormat)
                return p.srgb;
        return aFormat;
    }

    DxgiFormat MakeLinear(DxgiFormat aFormat)
    {
        for (const SrgbPair& p : theSrgbPairs)
            if (p.srgb == aFormat)
                return p.linear;
        return aFormat;
    }

    SurfaceLayout GetSurfaceLayout(DxgiFormat aFormat, uint32_t aWidth, uint32_t aHeight)
    {
        SurfaceLayout layout;
        const uint64_t bytes = BytesPerElement(aFormat);
        if (IsBlockCompressed(aFormat))
        {
            const uint64_t blocksWide = aWidth > 0 ? (uint64_t(aWidth) + 3) / 4 : 0;
            const uint64_t blocksHigh = aHeight > 0 ? (uint64_t(aHeight) + 3) / 4 : 0;
            layout.rowPitch = blocksWide * bytes;
            layout.rowCount = blocksHigh;
        }
        else
        {
            layout.rowPitch = uint64_t(aWidth) * bytes;
            layout.rowCount = aHeight;
        }
        layout.sliceBytes = layout.rowPitch * layout.rowCount;
        return layout;
    }
}
