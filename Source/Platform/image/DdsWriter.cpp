#include "Platform/image/DdsWriter.h"

#include <cstring>
#include <fstream>

namespace Plat::Image
{
    namespace
    {
        constexpr uint32_t FourCC(char a, char b, char c, char d)
        {
            return uint32_t(uint8_t(a)) | (uint32_t(uint8_t(b)) << 8) | (uint32_t(uint8_t(c)) << 16) | (uint32_t(uint8_t(d)) << 24);
        }

        struct LegacyFormat
        {
            DxgiFormat format;
            uint32_t flags, fourCC, bits, r, g, b, a;
        };

        constexpr LegacyFormat theLegacyFormats[] = {
            {DxgiFormat::R8G8B8A8_Unorm, 0x41, 0, 32, 0x000000ff, 0x0000ff00, 0x00ff0000, 0xff000000},
            {DxgiFormat::B8G8R8A8_Unorm, 0x41, 0, 32, 0x00ff0000, 0x0000ff00, 0x000000ff, 0xff000000},
            {DxgiFormat::B8G8R8X8_Unorm, 0x40, 0, 32, 0x00ff0000, 0x0000ff00, 0x000000ff, 0},
            {DxgiFormat::R8_Unorm, 0x20000, 0, 8, 0xff, 0, 0, 0},
            {DxgiFormat::R16_Unorm, 0x20000, 0, 16, 0xffff, 0, 0, 0},
            {DxgiFormat::A8_Unorm, 0x2, 0, 8, 0, 0, 0, 0xff},
            {DxgiFormat::B5G6R5_Unorm, 0x40, 0, 16, 0xf800, 0x07e0, 0x001f, 0},
            {DxgiFormat::BC1_Unorm, 0x4, FourCC('D', 'X', 'T', '1'), 0, 0, 0, 0, 0},
            {DxgiFormat::BC2_Unorm, 0x4, FourCC('D', 'X', 'T', '3'), 0, 0, 0, 0, 0},
            {DxgiFormat::BC3_Unorm, 0x4, FourCC('D', 'X', 'T', '5'), 0, 0, 0, 0, 0},
            {DxgiFormat::BC4_Unorm, 0x4, FourCC('A', 'T', 'I', '1'), 0, 0, 0, 0, 0},
            {DxgiFormat::BC5_Unorm, 0x4, FourCC('A', 'T', 'I', '2'), 0, 0, 0, 0, 0},
            {DxgiFormat::R16_Float, 0x4, 111, 0, 0, 0, 0, 0},
            {DxgiFormat::R32_Float, 0x4, 114, 0, 0, 0, 0, 0},
            {DxgiFormat::R16G16B16A16_Float, 0x4, 113, 0, 0, 0, 0, 0},
            {DxgiFormat::R32G32B32A32_Float, 0x4, 116, 0, 0, 0, 0, 0},
        };

        void Put(std::vector<uint8_t>& out, size_t at, uint32_t v) { std::memcpy(out.data() + at, &v, 4); }
    }

    ImageData MakeImage(DxgiFormat aFormat, uint32_t aWidth, uint32_t aHeight, uint32_t aMipCount, uint32_t anArraySize, bool anIsCube)
    {
        ImageData image;
        image.format = aFormat;
        image.width = aWidth;
        image.height = aHeight;
        image.mipCount = aMipCount;
        image.arraySize = anArraySize;
        image.isCube = anIsCube;
        size_t offset = 0;
        for (uint32_t slice = 0; slice < anArraySize; ++slice)
        {
            uint32_t w = aWidth, h = aHeight;
            for (uint32_t mip = 0; mip < aMipCount; ++mip)
            {
                const SurfaceLayout layout = GetSurfaceLayout(aFormat, w, h);
                image.subresources.push_back({offset, uint32_t(layout.rowPitch), uint32_t(layout.sliceBytes), w, h});
                offset += size_t(layout.sliceBytes);
                w = w > 1 ? w / 2 : 1;
                h = h > 1 ? h / 2 : 1;
            }
        }
        image.bytes.assign(offset, 0);
        return image;
    }

    bool EncodeDds(const ImageData& anImage, DdsHeaderKind aKind, std::vector<uint8_t>& anOut)
    {
        const LegacyFormat* legacy = nullptr;
        if (aKind == DdsHeaderKind::Legacy)
        {
            for (const LegacyFormat& f : theLegacyFormats)
                if (f.format == MakeLinear(anImage.format))
                    legacy = &f;
            if (!legacy || (anImage.arraySize != 1 && !(anImage.isCube && anImage.arraySize == 6)))
                return false;
        }

        const size_t headerBytes = 4 + 124 + (aKind == DdsHeaderKind::Dx10 ? 20 : 0);
        anOut.assign(headerBytes, 0);
        Put(anOut, 0, FourCC('D', 'D', 'S', ' '));
        Put(anOut, 4, 124);
        // caps, height, width, pixel format, mip count (+ linear size not written)
        Put(anOut, 8, 0x1 | 0x2 | 0x4 | 0x1000 | (anImage.mipCount > 1 ? 0x20000 : 0));
        Put(anOut, 12, anImage.height);
        Put(anOut, 16, anImage.width);
        Put(anOut, 28, anImage.mipCount);
        Put(anOut, 76, 32);
        uint32_t caps = 0x1000 | (anImage.mipCount > 1 ? 0x400008 : 0);
        uint32_t caps2 = 0;
        if (anImage.isCube)
        {
            caps |= 0x8;
            caps2 = 0x200 | 0xFC00;
        }
        Put(anOut, 108, caps);
        Put(anOut, 112, caps2);
        if (legacy)
        {
            Put(anOut, 80, legacy->flags);
            Put(anOut, 84, legacy->fourCC);
            Put(anOut, 88, legacy->bits);
            Put(anOut, 92, legacy->r);
            Put(anOut, 96, legacy->g);
            Put(anOut, 100, legacy->b);
            Put(anOut, 104, legacy->a);
        }
        else
        {
            Put(anOut, 80, 0x4);
            Put(anOut, 84, FourCC('D', 'X', '1', '0'));
            Put(anOut, 128, static_cast<uint32_t>(anImage.format));
            Put(anOut, 132, 3);
            Put(anOut, 136, anImage.isCube ? 0x4 : 0);
            Put(anOut, 140, anImage.isCube ? anImage.arraySize / 6 : anImage.arraySize);
        }
        anOut.insert(anOut.end(), anImage.bytes.begin(), anImage.bytes.end());
        return true;
    }

    bool WriteDdsFile(const std::filesystem::path& aPath, const ImageData& anImage, DdsHeaderKind aKind)
    {
        std::vector<uint8_t> bytes;
        if (!EncodeDds(anImage, aKind, bytes))
            return false;
        std::ofstream file(aPath, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return bool(file);
    }
}
