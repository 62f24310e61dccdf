// The format table: every DXGI format the layer knows, its GL storage and transfer
// formats, and the family it may be viewed within.
#include "Platform/gpu/Format.h"
#include "Platform/gpu/GlBackend.h"

#include <array>

namespace Plat::Gpu::impl
{
    namespace
    {
        enum Family : uint16_t
        {
            FNone,
            F128,
            F96,
            F64Half,
            F64Float,
            FD32S8,
            F1010102,
            F11_11_10,
            FRgba8,
            F32Half,
            FR32,
            FD24S8,
            FRg8,
            FR16,
            FR8,
            FA8,
            FRgb9E5,
            FBc1,
            FBc2,
            FBc3,
            FBc4,
            FBc5,
            F565,
            F5551,
            FBgra8,
            FBgrx8,
            FBc6,
            FBc7,
            F4444,
        };

        struct Row
        {
            Format format;
            const char* name;
            uint16_t family;
            uint16_t bits;
            uint16_t blockBytes;
            GLenum internalFormat;
            GLenum uploadFormat;
            GLenum uploadType;
            FormatKind kind;
            char flavour;   // 't' typeless, 'u' unorm, 's' snorm, 'f' float, 'i' integer, 'r' srgb, 'x' other
        };

        constexpr FormatKind C = FormatKind::Color;
        constexpr FormatKind D = FormatKind::Depth;
        constexpr FormatKind DS = FormatKind::DepthStencil;

        // clang-format off
        const Row theRows[] = {
            {Format::R32G32B32A32_TYPELESS, "R32G32B32A32_TYPELESS", F128, 128, 0, GL_RGBA32F, GL_RGBA, GL_FLOAT, C, 't'},
            {Format::R32G32B32A32_FLOAT, "R32G32B32A32_FLOAT", F128, 128, 0, GL_RGBA32F, GL_RGBA, GL_FLOAT, C, 'f'},
            {Format::R32G32B32A32_UINT, "R32G32B32A32_UINT", F128, 128, 0, GL_RGBA32UI, GL_RGBA_INTEGER, GL_UNSIGNED_INT, C, 'i'},
            {Format::R32G32B32A32_SINT, "R32G32B32A32_SINT", F128, 128, 0, GL_RGBA32I, GL_RGBA_INTEGER, GL_INT, C, 'i'},
            {Format::R32G32B32_TYPELESS, "R32G32B32_TYPELESS", F96, 96, 0, GL_RGB32F, GL_RGB, GL_FLOAT, C, 't'},
            {Format::R32G32B32_FLOAT, "R32G32B32_FLOAT", F96, 96, 0, GL_RGB32F, GL_RGB, GL_FLOAT, C, 'f'},
            {Format::R32G32B32_UINT, "R32G32B32_UINT", F96, 96, 0, GL_RGB32UI, GL_RGB_INTEGER, GL_UNSIGNED_INT, C, 'i'},
            {Format::R32G32B32_SINT, "R32G32B32_SINT", F96, 96, 0, GL_RGB32I, GL_RGB_INTEGER, GL_INT, C, 'i'},
            {Format::R16G16B16A16_TYPELESS, "R16G16B16A16_TYPELESS", F64Half, 64, 0, GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT, C, 't'},
            {Format::R16G16B16A16_FLOAT, "R16G16B16A16_FLOAT", F64Half, 64, 0, GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT, C, 'f'},
            {Format::R16G16B16A16_UNORM, "R16G16B16A16_UNORM", F64Half, 64, 0, GL_RGBA16, GL_RGBA, GL_UNSIGNED_SHORT, C, 'u'},
            {Format::R16G16B16A16_UINT, "R16G16B16A16_UINT", F64Half, 64, 0, GL_RGBA16UI, GL_RGBA_INTEGER, GL_UNSIGNED_SHORT, C, 'i'},
            {Format::R16G16B16A16_SNORM, "R16G16B16A16_SNORM", F64Half, 64, 0, GL_RGBA16_SNORM, GL_RGBA, GL_SHORT, C, 's'},
            {Format::R16G16B16A16_SINT, "R16G16B16A16_SINT", F64Half, 64, 0, GL_RGBA16I, GL_RGBA_INTEGER, GL_SHORT, C, 'i'},
            {Format::R32G32_TYPELESS, "R32G32_TYPELESS", F64Float, 64, 0, GL_RG32F, GL_RG, GL_FLOAT, C, 't'},
            {Format::R32G32_FLOAT, "R32G32_FLOAT", F64Float, 64, 0, GL_RG32F, GL_RG, GL_FLOAT, C, 'f'},
            {Format::R32G32_UINT, "R32G32_UINT", F64Float, 64, 0, GL_RG32UI, GL_RG_INTEGER, GL_UNSIGNED_INT, C, 'i'},
            {Format::R32G32_SINT, "R32G32_SINT", F64Float, 64, 0, GL_RG32I, GL_RG_INTEGER, GL_INT, C, 'i'},
            {Format::R32G8X24_TYPELESS, "R32G8X24_TYPELESS", FD32S8, 64, 0, GL_DEPTH32F_STENCIL8, GL_DEPTH_STENCIL, GL_FLOAT_32_UNSIGNED_INT_24_8_REV, DS, 't'},
            {Format::D32_FLOAT_S8X24_UINT, "D32_FLOAT_S8X24_UINT", FD32S8, 64, 0, GL_DEPTH32F_STENCIL8, GL_DEPTH_STENCIL, GL_FLOAT_32_UNSIGNED_INT_24_8_REV, DS, 'x'},
            {Format::R32_FLOAT_X8X24_TYPELESS, "R32_FLOAT_X8X24_TYPELESS", FD32S8, 64, 0, GL_DEPTH32F_STENCIL8, GL_DEPTH_STENCIL, GL_FLOAT_32_UNSIGNED_INT_24_8_REV, DS, 'x'},
            {Format::R10G10B10A2_TYPELESS, "R10G10B10A2_TYPELESS", F1010102, 32, 0, GL_RGB10_A2, GL_RGBA, GL_UNSIGNED_INT_2_10_10_10_REV, C, 't'},
            {Format::R10G10B10A2_UNORM, "R10G10B10A2_UNORM", F1010102, 32, 0, GL_RGB10_A2, GL_RGBA, GL_UNSIGNED_INT_2_10_10_10_REV, C, 'u'},
            {Format::R10G10B10A2_UINT, "R10G10B10A2_UINT", F1010102, 32, 0, GL_RGB10_A2UI, GL_RGBA_INTEGER, GL_UNSIGNED_INT_2_10_10_10_REV, C, 'i'},
            {Format::R11G11B10_FLOAT, "R11G11B10_FLOAT", F11_11_10, 32, 0, GL_R11F_G11F_B10F, GL_RGB, GL_UNSIGNED_INT_10F_11F_11F_REV, C, 'f'},
            {Format::R8G8B8A8_TYPELESS, "R8G8B8A8_TYPELESS", FRgba8, 32, 0, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, C, 't'},
            {Format::R8G8B8A8_UNORM, "R8G8B8A8_UNORM", FRgba8, 32, 0, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, C, 'u'},
            {Format::R8G8B8A8_UNORM_SRGB, "R8G8B8A8_UNORM_SRGB", FRgba8, 32, 0, GL_SRGB8_ALPHA8, GL_RGBA, GL_UNSIGNED_BYTE, C, 'r'},
            {Format::R8G8B8A8_UINT, "R8G8B8A8_UINT", FRgba8, 32, 0, GL_RGBA8UI, GL_RGBA_INTEGER, GL_UNSIGNED_BYTE, C, 'i'},
            {Format::R8G8B8A8_SNORM, "R8G8B8A8_SNORM", FRgba8, 32, 0, GL_RGBA8_SNORM, GL_RGBA, GL_BYTE, C, 's'},
            {Format::R8G8B8A8_SINT, "R8G8B8A8_SINT", FRgba8, 32, 0, GL_RGBA8I, GL_RGBA_INTEGER, GL_BYTE, C, 'i'},
            {Format::R16G16_TYPELESS, "R16G16_TYPELESS", F32Half, 32, 0, GL_RG16F, GL_RG, GL_HALF_FLOAT, C, 't'},
            {Format::R16G16_FLOAT, "R16G16_FLOAT", F32Half, 32, 0, GL_RG16F, GL_RG, GL_HALF_FLOAT, C, 'f'},
            {Format::R16G16_UNORM, "R16G16_UNORM", F32Half, 32, 0, GL_RG16, GL_RG, GL_UNSIGNED_SHORT, C, 'u'},
            {Format::R16G16_UINT, "R16G16_UINT", F32Half, 32, 0, GL_RG16UI, GL_RG_INTEGER, GL_UNSIGNED_SHORT, C, 'i'},
            {Format::R16G16_SNORM, "R16G16_SNORM", F32Half, 32, 0, GL_RG16_SNORM, GL_RG, GL_SHORT, C, 's'},
            {Format::R16G16_SINT, "R16G16_SINT", F32Half, 32, 0, GL_RG16I, GL_RG_INTEGER, GL_SHORT, C, 'i'},
            {Format::R32_TYPELESS, "R32_TYPELESS", FR32, 32, 0, GL_R32F, GL_RED, GL_FLOAT, C, 't'},
            {Format::D32_FLOAT, "D32_FLOAT", FR32, 32, 0, GL_DEPTH_COMPONENT32F, GL_DEPTH_COMPONENT, GL_FLOAT, D, 'x'},
            {Format::R32_FLOAT, "R32_FLOAT", FR32, 32, 0, GL_R32F, GL_RED, GL_FLOAT, C, 'f'},
            {Format::R32_UINT, "R32_UINT", FR32, 32, 0, GL_R32UI, GL_RED_INTEGER, GL_UNSIGNED_INT, C, 'i'},
            {Format::R32_SINT, "R32_SINT", FR32, 32, 0, GL_R32I, GL_RED_INTEGER, GL_INT, C, 'i'},
            {Format::R24G8_TYPELESS, "R24G8_TYPELESS", FD24S8, 32, 0, GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, DS, 't'},
            {Format::D24_UNORM_S8_UINT, "D24_UNORM_S8_UINT", FD24S8, 32, 0, GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, DS, 'x'},
            {Format::R24_UNORM_X8_TYPELESS, "R24_UNORM_X8_TYPELESS", FD24S8, 32, 0, GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, DS, 'x'},
            {Format::R8G8_TYPELESS, "R8G8_TYPELESS", FRg8, 16, 0, GL_RG8, GL_RG, GL_UNSIGNED_BYTE, C, 't'},
            {Format::R8G8_UNORM, "R8G8_UNORM", FRg8, 16, 0, GL_RG8, GL_RG, GL_UNSIGNED_BYTE, C, 'u'},
            {Format::R8G8_UINT, "R8G8_UINT", FRg8, 16, 0, GL_RG8UI, GL_RG_INTEGER, GL_UNSIGNED_BYTE, C, 'i'},
            {Format::R8G8_SNORM, "R8G8_SNORM", FRg8, 16, 0, GL_RG8_SNORM, GL_RG, GL_BYTE, C, 's'},
            {Format::R8G8_SINT, "R8G8_SINT", FRg8, 16, 0, GL_RG8I, GL_RG_INTEGER, GL_BYTE, C, 'i'},
            {Format::R16_TYPELESS, "R16_TYPELESS", FR16, 16, 0, GL_R16F, GL_RED, GL_HALF_FLOAT, C, 't'},
            {Format::R16_FLOAT, "R16_FLOAT", FR16, 16, 0, GL_R16F, GL_RED, GL_HALF_FLOAT, C, 'f'},
            {Format::D16_UNORM, "D16_UNORM", FR16, 16, 0, GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, D, 'x'},
            {Format::R16_UNORM, "R16_UNORM", FR16, 16, 0, GL_R16, GL_RED, GL_UNSIGNED_SHORT, C, 'u'},
            {Format::R16_UINT, "R16_UINT", FR16, 16, 0, GL_R16UI, GL_RED_INTEGER, GL_UNSIGNED_SHORT, C, 'i'},
            {Format::R16_SNORM, "R16_SNORM", FR16, 16, 0, GL_R16_SNORM, GL_RED, GL_SHORT, C, 's'},
            {Format::R16_SINT, "R16_SINT", FR16, 16, 0, GL_R16I, GL_RED_INTEGER, GL_SHORT, C, 'i'},
            {Format::R8_TYPELESS, "R8_TYPELESS", FR8, 8, 0, GL_R8, GL_RED, GL_UNSIGNED_BYTE, C, 't'},
            {Format::R8_UNORM, "R8_UNORM", FR8, 8, 0, GL_R8, GL_RED, GL_UNSIGNED_BYTE, C, 'u'},
            {Format::R8_UINT, "R8_UINT", FR8, 8, 0, GL_R8UI, GL_RED_INTEGER, GL_UNSIGNED_BYTE, C, 'i'},
            {Format::R8_SNORM, "R8_SNORM", FR8, 8, 0, GL_R8_SNORM, GL_RED, GL_BYTE, C, 's'},
            {Format::R8_SINT, "R8_SINT", FR8, 8, 0, GL_R8I, GL_RED_INTEGER, GL_BYTE, C, 'i'},
            {Format::A8_UNORM, "A8_UNORM", FA8, 8, 0, GL_R8, GL_RED, GL_UNSIGNED_BYTE, C, 'u'},
            {Format::R9G9B9E5_SHAREDEXP, "R9G9B9E5_SHAREDEXP", FRgb9E5, 32, 0, GL_RGB9_E5, GL_RGB, GL_UNSIGNED_INT_5_9_9_9_REV, C, 'f'},
            {Format::BC1_TYPELESS, "BC1_TYPELESS", FBc1, 4, 8, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0, C, 't'},
            {Format::BC1_UNORM, "BC1_UNORM", FBc1, 4, 8, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0, C, 'u'},
            {Format::BC1_UNORM_SRGB, "BC1_UNORM_SRGB", FBc1, 4, 8, GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT1_EXT, 0, 0, C, 'r'},
            {Format::BC2_TYPELESS, "BC2_TYPELESS", FBc2, 8, 16, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0, C, 't'},
            {Format::BC2_UNORM, "BC2_UNORM", FBc2, 8, 16, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0, C, 'u'},
            {Format::BC2_UNORM_SRGB, "BC2_UNORM_SRGB", FBc2, 8, 16, GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT3_EXT, 0, 0, C, 'r'},
            {Format::BC3_TYPELESS, "BC3_TYPELESS", FBc3, 8, 16, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0, C, 't'},
            {Format::BC3_UNORM, "BC3_UNORM", FBc3, 8, 16, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0, C, 'u'},
            {Format::BC3_UNORM_SRGB, "BC3_UNORM_SRGB", FBc3, 8, 16, GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT5_EXT, 0, 0, C, 'r'},
            {Format::BC4_TYPELESS, "BC4_TYPELESS", FBc4, 4, 8, GL_COMPRESSED_RED_RGTC1, 0, 0, C, 't'},
            {Format::BC4_UNORM, "BC4_UNORM", FBc4, 4, 8, GL_COMPRESSED_RED_RGTC1, 0, 0, C, 'u'},
            {Format::BC4_SNORM, "BC4_SNORM", FBc4, 4, 8, GL_COMPRESSED_SIGNED_RED_RGTC1, 0, 0, C, 's'},
            {Format::BC5_TYPELESS, "BC5_TYPELESS", FBc5, 8, 16, GL_COMPRESSED_RG_RGTC2, 0, 0, C, 't'},
            {Format::BC5_UNORM, "BC5_UNORM", FBc5, 8, 16, GL_COMPRESSED_RG_RGTC2, 0, 0, C, 'u'},
            {Format::BC5_SNORM, "BC5_SNORM", FBc5, 8, 16, GL_COMPRESSED_SIGNED_RG_RGTC2, 0, 0, C, 's'},
            {Format::B5G6R5_UNORM, "B5G6R5_UNORM", F565, 16, 0, GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, C, 'u'},
            {Format::B5G5R5A1_UNORM, "B5G5R5A1_UNORM", F5551, 16, 0, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, C, 'u'},
            {Format::B8G8R8A8_UNORM, "B8G8R8A8_UNORM", FBgra8, 32, 0, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, C, 'u'},
            {Format::B8G8R8X8_UNORM, "B8G8R8X8_UNORM", FBgrx8, 32, 0, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, C, 'u'},
            {Format::B8G8R8A8_TYPELESS, "B8G8R8A8_TYPELESS", FBgra8, 32, 0, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, C, 't'},
            {Format::B8G8R8A8_UNORM_SRGB, "B8G8R8A8_UNORM_SRGB", FBgra8, 32, 0, GL_SRGB8_ALPHA8, GL_BGRA, GL_UNSIGNED_BYTE, C, 'r'},
            {Format::B8G8R8X8_TYPELESS, "B8G8R8X8_TYPELESS", FBgrx8, 32, 0, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, C, 't'},
            {Format::B8G8R8X8_UNORM_SRGB, "B8G8R8X8_UNORM_SRGB", FBgrx8, 32, 0, GL_SRGB8_ALPHA8, GL_BGRA, GL_UNSIGNED_BYTE, C, 'r'},
            {Format::BC6H_TYPELESS, "BC6H_TYPELESS", FBc6, 8, 16, GL_COMPRESSED_RGB_BPTC_UNSIGNED_FLOAT, 0, 0, C, 't'},
            {Format::BC6H_UF16, "BC6H_UF16", FBc6, 8, 16, GL_COMPRESSED_RGB_BPTC_UNSIGNED_FLOAT, 0, 0, C, 'f'},
            {Format::BC6H_SF16, "BC6H_SF16", FBc6, 8, 16, GL_COMPRESSED_RGB_BPTC_SIGNED_FLOAT, 0, 0, C, 'f'},
            {Format::BC7_TYPELESS, "BC7_TYPELESS", FBc7, 8, 16, GL_COMPRESSED_RGBA_BPTC_UNORM, 0, 0, C, 't'},
            {Format::BC7_UNORM, "BC7_UNORM", FBc7, 8, 16, GL_COMPRESSED_RGBA_BPTC_UNORM, 0, 0, C, 'u'},
            {Format::BC7_UNORM_SRGB, "BC7_UNORM_SRGB", FBc7, 8, 16, GL_COMPRESSED_SRGB_ALPHA_BPTC_UNORM, 0, 0, C, 'r'},
            {Format::B4G4R4A4_UNORM, "B4G4R4A4_UNORM", F4444, 16, 0, GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, C, 'u'},
        };
        // clang-format on

        constexpr size_t TableSize = 128;

        std::array<GlFormat, TableSize> BuildTable()
        {
            std::array<GlFormat, TableSize> table{};
            for (const Row& row : theRows)
            {
                GlFormat& f = table[static_cast<size_t>(row.format)];
                f.format = row.format;
                f.name = row.name;
                f.family = row.family;
                f.bitsPerPixel = row.bits;
                f.blockBytes = row.blockBytes;
                f.internalFormat = row.internalFormat;
                f.uploadFormat = row.uploadFormat;
                f.uploadType = row.uploadType;
                f.kind = row.kind;
                f.srgb = row.flavour == 'r';
                f.typeless = row.flavour == 't';
                f.integer = row.flavour == 'i';
                f.normalized = row.flavour == 'u' || row.flavour == 's' || row.flavour == 'r';
                f.swapDepthStencil = row.family == FD24S8;
            }
            // A8 reads its one channel as alpha; the X8 formats read alpha as one.
            table[static_cast<size_t>(Format::A8_UNORM)].swizzle[0] = GL_ZERO;
            table[static_cast<size_t>(Format::A8_UNORM)].swizzle[1] = GL_ZERO;
            table[static_cast<size_t>(Format::A8_UNORM)].swizzle[2] = GL_ZERO;
            table[static_cast<size_t>(Format::A8_UNORM)].swizzle[3] = GL_RED;
            table[static_cast<size_t>(Format::B8G8R8X8_UNORM)].swizzle[3] = GL_ONE;
            table[static_cast<size_t>(Format::B8G8R8X8_UNORM_SRGB)].swizzle[3] = GL_ONE;
            return table;
        }

        const std::array<GlFormat, TableSize>& Table()
        {
            static const std::array<GlFormat, TableSize> table = BuildTable();
            return table;
        }
    }

    const GlFormat* FindGlFormat(Format aFormat)
    {
        const size_t index = static_cast<size_t>(aFormat);
        if (index >= TableSize || Table()[index].format == Format::UNKNOWN)
        {
            return nullptr;
        }
        return &Table()[index];
    }

    GLenum StorageFormat(const GlFormat& aFormat, uint32_t someBindFlags)
    {
        const bool depthBound = (someBindFlags & Bind::DepthStencil) != 0;
        if (depthBound && aFormat.format == Format::R32_TYPELESS)
        {
            return GL_DEPTH_COMPONENT32F;
        }
        if (depthBound && aFormat.format == Format::R16_TYPELESS)
        {
            return GL_DEPTH_COMPONENT16;
        }
        return aFormat.internalFormat;
    }

    const GlFormat& TransferFormat(const GlFormat& aFormat, uint32_t someBindFlags)
    {
        const bool depthBound = (someBindFlags & Bind::DepthStencil) != 0;
        if (depthBound && aFormat.format == Format::R32_TYPELESS)
        {
            return *FindGlFormat(Format::D32_FLOAT);
        }
        if (depthBound && aFormat.format == Format::R16_TYPELESS)
        {
            return *FindGlFormat(Format::D16_UNORM);
        }
        return aFormat;
    }

    bool HasSwizzle(const GlFormat& aFormat)
    {
        return aFormat.swizzle[0] != GL_RED || aFormat.swizzle[1] != GL_GREEN || aFormat.swizzle[2] != GL_BLUE
            || aFormat.swizzle[3] != GL_ALPHA;
    }

    bool VertexAttribFormat(Format aFormat, GLint& aSize, GLenum& aType, bool& aNormalized, bool& anInteger)
    {
        const GlFormat* f = FindGlFormat(aFormat);
        if (f == nullptr || f->blockBytes != 0 || f->kind != FormatKind::Color || f->typeless || f->srgb)
        {
            return false;
        }
        switch (f->uploadFormat)
        {
        case GL_RED:
        case GL_RED_INTEGER: aSize = 1; break;
        case GL_RG:
        case GL_RG_INTEGER: aSize = 2; break;
        case GL_RGB:
        case GL_RGB_INTEGER: aSize = 3; break;
        case GL_RGBA:
        case GL_RGBA_INTEGER: aSize = 4; break;
        case GL_BGRA: aSize = GL_BGRA; break;
        default: return false;
        }
        switch (f->uploadType)
        {
        case GL_FLOAT:
        case GL_HALF_FLOAT:
        case GL_UNSIGNED_BYTE:
        case GL_BYTE:
        case GL_UNSIGNED_SHORT:
        case GL_SHORT:
        case GL_UNSIGNED_INT:
        case GL_INT:
        case GL_UNSIGNED_INT_2_10_10_10_REV:
        case GL_UNSIGNED_INT_10F_11F_11F_REV: break;
        default: return false;
        }
        if (aSize == GL_BGRA && f->uploadType != GL_UNSIGNED_BYTE)
        {
            return false;
        }
        aType = f->uploadType;
        aNormalized = f->normalized;
        anInteger = f->integer;
        return true;
    }

    uint32_t MipCount(uint32_t aWidth, uint32_t aHeight)
    {
        uint32_t size = aWidth > aHeight ? aWidth : aHeight;
        uint32_t count = 1;
        while (size > 1)
        {
            size >>= 1;
            ++count;
        }
        return count;
    }
}

namespace Plat::Gpu
{
    uint32_t BitsPerPixel(Format aFormat)
    {
        const impl::GlFormat* f = impl::FindGlFormat(aFormat);
        return f ? f->bitsPerPixel : 0;
    }

    bool IsBlockCompressed(Format aFormat)
    {
        const impl::GlFormat* f = impl::FindGlFormat(aFormat);
        return f && f->blockBytes != 0;
    }

    uint32_t BlockBytes(Format aFormat)
    {
        const impl::GlFormat* f = impl::FindGlFormat(aFormat);
        return f ? f->blockBytes : 0;
    }

    bool IsSrgb(Format aFormat)
    {
        const impl::GlFormat* f = impl::FindGlFormat(aFormat);
        return f && f->srgb;
    }

    bool IsTypeless(Format aFormat)
    {
        const impl::GlFormat* f = impl::FindGlFormat(aFormat);
        return f && f->typeless;
    }

    bool IsDepthFormat(Format aFormat)
    {
        const impl::GlFormat* f = impl::FindGlFormat(aFormat);
        return f && f->kind != impl::FormatKind::Color;
    }

    uint32_t RowPitch(Format aFormat, uint32_t aWidth)
    {
        const impl::GlFormat* f = impl::FindGlFormat(aFormat);
        if (f == nullptr)
        {
            return 0;
        }
        if (f->blockBytes != 0)
        {
            return ((aWidth + 3) / 4) * f->blockBytes;
        }
        return aWidth * (f->bitsPerPixel / 8);
    }

    uint32_t RowCount(Format aFormat, uint32_t aHeight)
    {
        return IsBlockCompressed(aFormat) ? (aHeight + 3) / 4 : aHeight;
    }

    const char* FormatName(Format aFormat)
    {
        const impl::GlFormat* f = impl::FindGlFormat(aFormat);
        return f ? f->name : "UNKNOWN";
    }
}
