#include "Platform/image/DdsReader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>

namespace Plat::Image
{
    namespace
    {
        constexpr uint32_t MakeFourCC(char a, char b, char c, char d)
        {
            return uint32_t(uint8_t(a)) | (uint32_t(uint8_t(b)) << 8) | (uint32_t(uint8_t(c)) << 16) | (uint32_t(uint8_t(d)) << 24);
        }

        constexpr uint32_t theMagic = MakeFourCC('D', 'D', 'S', ' ');
        constexpr size_t theHeaderSize = 124;
        constexpr size_t theDx10HeaderSize = 20;

        // Pixel-format flags of the legacy header.
        constexpr uint32_t PfAlphaPixels = 0x1;
        constexpr uint32_t PfAlpha = 0x2;
        constexpr uint32_t PfFourCC = 0x4;
        constexpr uint32_t PfRgb = 0x40;
        constexpr uint32_t PfLuminance = 0x20000;
        constexpr uint32_t PfBumpDuDv = 0x80000;

        constexpr uint32_t HeaderDepth = 0x800000;
        constexpr uint32_t Caps2Cubemap = 0x200;
        constexpr uint32_t Caps2AllFaces = 0xFC00;
        constexpr uint32_t Caps2Volume = 0x200000;

        constexpr uint32_t Dimension1D = 2;
        constexpr uint32_t Dimension2D = 3;
        constexpr uint32_t Dimension3D = 4;
        constexpr uint32_t MiscTextureCube = 0x4;

        uint32_t ReadU32(const uint8_t* p)
        {
            uint32_t v;
            std::memcpy(&v, p, 4);
            return v;
        }

        bool Fail(std::string* anError, const char* aReason)
        {
            if (anError)
                *anError = aReason;
            return false;
        }

        struct PixelFormat
        {
            uint32_t flags, fourCC, bits, r, g, b, a;
        };

        bool Masks(const PixelFormat& pf, uint32_t r, uint32_t g, uint32_t b, uint32_t a)
        {
            return pf.r == r && pf.g == g && pf.b == b && pf.a == a;
        }

        DxgiFormat FormatFromLegacy(const PixelFormat& pf)
        {
            if (pf.flags & PfRgb)
            {
                switch (pf.bits)
                {
                case 32:
                    if (Masks(pf, 0x000000ff, 0x0000ff00, 0x00ff0000, 0xff000000)) return DxgiFormat::R8G8B8A8_Unorm;
                    if (Masks(pf, 0x00ff0000, 0x0000ff00, 0x000000ff, 0xff000000)) return DxgiFormat::B8G8R8A8_Unorm;
                    if (Masks(pf, 0x00ff0000, 0x0000ff00, 0x000000ff, 0)) return DxgiFormat::B8G8R8X8_Unorm;
                    if (Masks(pf, 0x3ff00000, 0x000ffc00, 0x000003ff, 0xc0000000)) return DxgiFormat::R10G10B10A2_Unorm;
                    if (Masks(pf, 0x0000ffff, 0xffff0000, 0, 0)) return DxgiFormat::R16G16_Unorm;
                    if (Masks(pf, 0xffffffff, 0, 0, 0)) return DxgiFormat::R32_Float;
                    break;
                case 16:
                    if (Masks(pf, 0xf800, 0x07e0, 0x001f, 0)) return DxgiFormat::B5G6R5_Unorm;
                    if (Masks(pf, 0x7c00, 0x03e0, 0x001f, 0x8000)) return DxgiFormat::B5G5R5A1_Unorm;
                    if (Masks(pf, 0x0f00, 0x00f0, 0x000f, 0xf000)) return DxgiFormat::B4G4R4A4_Unorm;
                    break;
                default: break;
                }
                return DxgiFormat::Unknown;
            }
            if (pf.flags & PfLuminance)
            {
                if (pf.bits == 8 && pf.r == 0xff) return DxgiFormat::R8_Unorm;
                if (pf.bits == 16 && pf.r == 0xffff) return DxgiFormat::R16_Unorm;
                if (pf.bits == 16 && pf.r == 0x00ff && pf.a == 0xff00) return DxgiFormat::R8G8_Unorm;
                return DxgiFormat::Unknown;
            }
            if (pf.flags & PfAlpha)
                return pf.bits == 8 ? DxgiFormat::A8_Unorm : DxgiFormat::Unknown;
            if (pf.flags & PfBumpDuDv)
            {
                if (pf.bits == 16 && Masks(pf, 0x00ff, 0xff00, 0, 0)) return DxgiFormat::R8G8_Snorm;
                if (pf.bits == 32 && Masks(pf, 0x000000ff, 0x0000ff00, 0x00ff0000, 0xff000000)) return DxgiFormat::R8G8B8A8_Snorm;
                if (pf.bits == 32 && Masks(pf, 0x0000ffff, 0xffff0000, 0, 0)) return DxgiFormat::R16G16_Snorm;
                return DxgiFormat::Unknown;
            }
            if (pf.flags & PfFourCC)
            {
                switch (pf.fourCC)
                {
                case MakeFourCC('D', 'X', 'T', '1'): return DxgiFormat::BC1_Unorm;
                case MakeFourCC('D', 'X', 'T', '2'):
                case MakeFourCC('D', 'X', 'T', '3'): return DxgiFormat::BC2_Unorm;
                case MakeFourCC('D', 'X', 'T', '4'):
                case MakeFourCC('D', 'X', 'T', '5'): return DxgiFormat::BC3_Unorm;
                case MakeFourCC('A', 'T', 'I', '1'):
                case MakeFourCC('B', 'C', '4', 'U'): return DxgiFormat::BC4_Unorm;
                case MakeFourCC('B', 'C', '4', 'S'): return DxgiFormat::BC4_Snorm;
                case MakeFourCC('A', 'T', 'I', '2'):
                case MakeFourCC('B', 'C', '5', 'U'): return DxgiFormat::BC5_Unorm;
                case MakeFourCC('B', 'C', '5', 'S'): return DxgiFormat::BC5_Snorm;
                // Older writers store a D3D9 format number in the FourCC field.
                case 36: return DxgiFormat::R16G16B16A16_Unorm;
                case 110: return DxgiFormat::R16G16B16A16_Snorm;
                case 111: return DxgiFormat::R16_Float;
                case 112: return DxgiFormat::R16G16_Float;
                case 113: return DxgiFormat::R16G16B16A16_Float;
                case 114: return DxgiFormat::R32_Float;
                case 115: return DxgiFormat::R32G32_Float;
                case 116: return DxgiFormat::R32G32B32A32_Float;
                default: break;
                }
            }
            return DxgiFormat::Unknown;
        }

        uint32_t FullMipCount(uint32_t aWidth, uint32_t aHeight)
        {
            uint32_t count = 1;
            uint32_t size = aWidth > aHeight ? aWidth : aHeight;
            while (size > 1)
            {
                size >>= 1;
                ++count;
            }
            return count;
        }
    }

    DxgiFormat ApplySrgbFlags(DxgiFormat aFormat, uint32_t someFlags)
    {
        if (someFlags & LoadForceSrgb)
            return MakeSrgb(aFormat);
        if (someFlags & LoadIgnoreSrgb)
            return MakeLinear(aFormat);
        return aFormat;
    }

    // Checks the headers at the start of a file of aFileSize bytes and describes its image
    // in anImage (all but the pixels); aPayloadOffset and aPayloadSize say where they lie.
    static bool ParseDdsHeader(std::span<const uint8_t> someBytes, uint64_t aFileSize, uint32_t someLoadFlags, ImageData& anImage,
                               size_t& aPayloadOffset, size_t& aPayloadSize, std::string* anError)
    {
        if (aFileSize < 4 + theHeaderSize || someBytes.size() < 4 + theHeaderSize)
            return Fail(anError, "file shorter than a DDS header");
        const uint8_t* data = someBytes.data();
        if (ReadU32(data) != theMagic)
            return Fail(anError, "no DDS signature");
        const uint8_t* h = data + 4;
        if (ReadU32(h) != theHeaderSize || ReadU32(h + 72) != 32)
            return Fail(anError, "bad DDS header size");

        const uint32_t headerFlags = ReadU32(h + 4);
        const uint32_t height = ReadU32(h + 8);
        const uint32_t width = ReadU32(h + 12);
        const uint32_t depth = ReadU32(h + 20);
        uint32_t mipCount = ReadU32(h + 24);
        const PixelFormat pf{ReadU32(h + 76), ReadU32(h + 80), ReadU32(h + 84), ReadU32(h + 88),
                             ReadU32(h + 92), ReadU32(h + 96), ReadU32(h + 100)};
        const uint32_t caps2 = ReadU32(h + 108);
        if (mipCount == 0)
            mipCount = 1;

        size_t payloadOffset = 4 + theHeaderSize;
        DxgiFormat format = DxgiFormat::Unknown;
        uint32_t arraySize = 1;
        bool isCube = false;

        if ((pf.flags & PfFourCC) && pf.fourCC == MakeFourCC('D', 'X', '1', '0'))
        {
            if (aFileSize < payloadOffset + theDx10HeaderSize || someBytes.size() < payloadOffset + theDx10HeaderSize)
                return Fail(anError, "file shorter than its DX10 header");
            const uint8_t* x = data + payloadOffset;
            format = static_cast<DxgiFormat>(ReadU32(x));
            const uint32_t dimension = ReadU32(x + 4);
            const uint32_t misc = ReadU32(x + 8);
            arraySize = ReadU32(x + 12);
            payloadOffset += theDx10HeaderSize;
            if (dimension == Dimension1D || dimension == Dimension3D)
                return Fail(anError, "only 2D textures are supported");
            if (dimension != Dimension2D)
                return Fail(anError, "unknown resource dimension");
            if (arraySize == 0)
                return Fail(anError, "array size 0");
            if (misc & MiscTextureCube)
            {
                isCube = true;
                if (arraySize > MaxTextureArraySize / 6)
                    return Fail(anError, "too many cube maps");
                arraySize *= 6;
            }
        }
        else
        {
            format = FormatFromLegacy(pf);
            if ((headerFlags & HeaderDepth) || (caps2 & Caps2Volume) || depth > 1)
                return Fail(anError, "volume textures are not supported");
            if (caps2 & Caps2Cubemap)
            {
                if ((caps2 & Caps2AllFaces) != Caps2AllFaces)
                    return Fail(anError, "cube map without all six faces");
                isCube = true;
                arraySize = 6;
            }
        }

        if (!IsKnownFormat(format))
            return Fail(anError, "unsupported pixel format");
        if (width == 0 || height == 0)
            return Fail(anError, "zero width or height");
        if (width > MaxTextureDimension || height > MaxTextureDimension)
            return Fail(anError, "texture larger than 16384 pixels");
        if (arraySize > MaxTextureArraySize)
            return Fail(anError, "array larger than 2048 slices");
        if (isCube && width != height)
            return Fail(anError, "cube map faces are not square");
        if (mipCount > MaxMipLevels || mipCount > FullMipCount(width, height))
            return Fail(anError, "more mip levels than the size allows");

        ImageData image;
        image.format = ApplySrgbFlags(format, someLoadFlags);
        image.width = width;
        image.height = height;
        image.mipCount = mipCount;
        image.arraySize = arraySize;
        image.isCube = isCube;
        image.subresources.reserve(size_t(arraySize) * mipCount);

        // Every size is at most 16384 x 16384 x 16 bytes per mip and 2048 slices, so the
        // running total fits in 64 bits; it is checked against the file before any copy.
        uint64_t offset = 0;
        for (uint32_t slice = 0; slice < arraySize; ++slice)
        {
            uint32_t w = width, h2 = height;
            for (uint32_t mip = 0; mip < mipCount; ++mip)
            {
                const SurfaceLayout layout = GetSurfaceLayout(format, w, h2);
                Subresource sub;
                sub.offset = size_t(offset);
                sub.rowPitch = uint32_t(layout.rowPitch);
                sub.slicePitch = uint32_t(layout.sliceBytes);
                sub.width = w;
                sub.height = h2;
                image.subresources.push_back(sub);
                offset += layout.sliceBytes;
                if (offset > aFileSize - payloadOffset)
                    return Fail(anError, "file shorter than its header says");
                w = w > 1 ? w / 2 : 1;
                h2 = h2 > 1 ? h2 / 2 : 1;
            }
        }

        anImage = std::move(image);
        aPayloadOffset = payloadOffset;
        aPayloadSize = size_t(offset);
        return true;
    }

    bool ParseDds(std::span<const uint8_t> someBytes, uint32_t someLoadFlags, ImageData& anOut, std::string* anError)
    {
        ImageData image;
        size_t payloadOffset = 0;
        size_t payloadSize = 0;
        if (!ParseDdsHeader(someBytes, someBytes.size(), someLoadFlags, image, payloadOffset, payloadSize, anError))
            return false;
        image.bytes.assign(someBytes.data() + payloadOffset, someBytes.data() + payloadOffset + payloadSize);
        anOut = std::move(image);
        return true;
    }

    // Opens aPath for reading from its start: false unless it is a regular file of at most
    // aMaxBytes.
    static bool OpenSized(const std::filesystem::path& aPath, uint64_t aMaxBytes, std::ifstream& aFile, size_t& aSize)
    {
        std::error_code error;
        if (!std::filesystem::is_regular_file(aPath, error))
            return false;
        aFile.open(aPath, std::ios::binary | std::ios::ate);
        if (!aFile)
            return false;
        const std::streamoff size = aFile.tellg();
        if (size < 0 || uint64_t(size) > aMaxBytes)
            return false;
        aSize = size_t(size);
        aFile.seekg(0);
        return true;
    }

    bool ReadFileBytes(const std::filesystem::path& aPath, std::vector<uint8_t>& anOut, uint64_t aMaxBytes)
    {
        std::ifstream file;
        size_t size = 0;
        if (!OpenSized(aPath, aMaxBytes, file, size))
            return false;
        anOut.resize(size);
        return size == 0 || file.read(reinterpret_cast<char*>(anOut.data()), std::streamsize(size));
    }

    bool ReadFileBytes(const std::filesystem::path& aPath, FileBytes& anOut, uint64_t aMaxBytes)
    {
        std::ifstream file;
        size_t size = 0;
        if (!OpenSized(aPath, aMaxBytes, file, size))
            return false;
        // Zeroing first would touch every page of a large texture once more before the read.
        anOut.data = std::make_unique_for_overwrite<uint8_t[]>(size);
        anOut.size = size;
        return size == 0 || file.read(reinterpret_cast<char*>(anOut.data.get()), std::streamsize(size));
    }

    bool ReadDdsFile(const std::filesystem::path& aPath, uint32_t someLoadFlags, ImageData& anOut, std::string* anError)
    {
        std::ifstream file;
        size_t size = 0;
        if (!OpenSized(aPath, uint64_t(1) << 32, file, size))
            return Fail(anError, "cannot read file");
        // The headers first, then the pixels straight into the image: a large texture's
        // bytes are read once, not into one buffer and copied to another.
        std::array<uint8_t, 4 + theHeaderSize + theDx10HeaderSize> header{};
        const size_t headerBytes = std::min(size, header.size());
        if (!file.read(reinterpret_cast<char*>(header.data()), std::streamsize(headerBytes)))
            return Fail(anError, "cannot read file");
        ImageData image;
        size_t payloadOffset = 0;
        size_t payloadSize = 0;
        if (!ParseDdsHeader({header.data(), headerBytes}, size, someLoadFlags, image, payloadOffset, payloadSize, anError))
            return false;
        image.bytes.resize(payloadSize);
        file.seekg(std::streamoff(payloadOffset));
        if (payloadSize != 0 && !file.read(reinterpret_cast<char*>(image.bytes.data()), std::streamsize(payloadSize)))
            return Fail(anError, "cannot read file");
        anOut = std::move(image);
        return true;
    }
}
