#include "Platform/image/ImageDecoder.h"

#include "Platform/image/DdsReader.h"

#include <stb/stb_image.h>

#include <climits>
#include <cstring>
#include <memory>

namespace Plat::Image
{
    namespace
    {
        bool Fail(std::string* anError, const char* aReason)
        {
            if (anError)
                *anError = aReason;
            return false;
        }

        // A PNG that carries an sRGB chunk before its pixel data declares sRGB content.
        bool PngDeclaresSrgb(std::span<const uint8_t> someBytes)
        {
            size_t at = 8;
            while (at + 8 <= someBytes.size())
            {
                const uint8_t* c = someBytes.data() + at;
                const uint32_t length = (uint32_t(c[0]) << 24) | (uint32_t(c[1]) << 16) | (uint32_t(c[2]) << 8) | c[3];
                if (std::memcmp(c + 4, "sRGB", 4) == 0)
                    return true;
                if (std::memcmp(c + 4, "IDAT", 4) == 0 || std::memcmp(c + 4, "IEND", 4) == 0)
                    return false;
                if (length > someBytes.size() - at - 8)
                    return false;
                at += 12 + size_t(length);
            }
            return false;
        }

        // stb fills a JPEG that ends early with grey rather than failing, so walk the
        // segments and the entropy-coded data up to the end-of-image marker first.
        bool JpegIsComplete(std::span<const uint8_t> b)
        {
            size_t at = 2;
            while (at + 1 < b.size())
            {
                if (b[at] != 0xFF)
                    return false;
                while (at + 1 < b.size() && b[at + 1] == 0xFF)
                    ++at;
                if (at + 1 >= b.size())
                    return false;
                const uint8_t marker = b[at + 1];
                if (marker == 0xD9)
                    return true;
                if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
                {
                    at += 2;
                    continue;
                }
                if (at + 4 > b.size())
                    return false;
                const size_t length = (size_t(b[at + 2]) << 8) | b[at + 3];
                if (length < 2 || length > b.size() - at - 2)
                    return false;
                at += 2 + length;
                if (marker != 0xDA)
                    continue;
                // Entropy-coded data runs to the next marker that is not a stuffed zero
                // or a restart marker.
                for (;;)
                {
                    if (at + 1 >= b.size())
                        return false;
                    if (b[at] == 0xFF && b[at + 1] != 0x00 && !(b[at + 1] >= 0xD0 && b[at + 1] <= 0xD7))
                        break;
                    ++at;
                }
            }
            return false;
        }

        struct StbFree
        {
            void operator()(void* p) const { stbi_image_free(p); }
        };
    }

    ContainerKind DetectContainer(std::span<const uint8_t> b)
    {
        static const uint8_t png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
        if (b.size() >= 8 && std::memcmp(b.data(), png, 8) == 0)
            return ContainerKind::Png;
        if (b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF)
            return ContainerKind::Jpeg;
        if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M')
            return ContainerKind::Bmp;
        if (b.size() >= 6 && (std::memcmp(b.data(), "GIF87a", 6) == 0 || std::memcmp(b.data(), "GIF89a", 6) == 0))
            return ContainerKind::Gif;
        return ContainerKind::Unknown;
    }

    bool DecodeImage(std::span<const uint8_t> someBytes, uint32_t someLoadFlags, ImageData& anOut, std::string* anError)
    {
        const ContainerKind kind = DetectContainer(someBytes);
        if (kind == ContainerKind::Unknown)
            return Fail(anError, "not a PNG, JPEG, BMP or GIF file");
        if (someBytes.size() > size_t(INT_MAX))
            return Fail(anError, "file too large");
        if (kind == ContainerKind::Jpeg && !JpegIsComplete(someBytes))
            return Fail(anError, "JPEG data ends before its end-of-image marker");
        const auto* data = someBytes.data();
        const int length = int(someBytes.size());

        // Check the size before decoding so a lying header cannot make us allocate.
        int w = 0, h = 0, comp = 0;
        if (!stbi_info_from_memory(data, length, &w, &h, &comp))
            return Fail(anError, stbi_failure_reason() ? stbi_failure_reason() : "undecodable image");
        if (w <= 0 || h <= 0)
            return Fail(anError, "zero width or height");
        if (uint32_t(w) > MaxTextureDimension || uint32_t(h) > MaxTextureDimension)
            return Fail(anError, "image larger than 16384 pixels");

        const bool sixteenBit = kind == ContainerKind::Png && stbi_is_16_bit_from_memory(data, length);
        const bool grey = comp == 1;
        const int wanted = grey ? 1 : 4;
        const uint32_t bytesPerChannel = sixteenBit ? 2 : 1;

        std::unique_ptr<void, StbFree> pixels;
        int dw = 0, dh = 0, dc = 0;
        if (sixteenBit)
            pixels.reset(stbi_load_16_from_memory(data, length, &dw, &dh, &dc, wanted));
        else
            pixels.reset(stbi_load_from_memory(data, length, &dw, &dh, &dc, wanted));
        if (!pixels)
            return Fail(anError, stbi_failure_reason() ? stbi_failure_reason() : "undecodable image");
        if (dw != w || dh != h)
            return Fail(anError, "image size changed while decoding");

        DxgiFormat format;
        if (sixteenBit)
            format = grey ? DxgiFormat::R16_Unorm : DxgiFormat::R16G16B16A16_Unorm;
        else
            format = grey ? DxgiFormat::R8_Unorm : DxgiFormat::R8G8B8A8_Unorm;

        if (someLoadFlags & LoadForceSrgb)
            format = MakeSrgb(format);
        else if (!(someLoadFlags & LoadIgnoreSrgb) && kind == ContainerKind::Png && PngDeclaresSrgb(someBytes))
            format = MakeSrgb(format);

        ImageData image;
        image.format = format;
        image.width = uint32_t(w);
        image.height = uint32_t(h);
        const uint32_t rowPitch = uint32_t(w) * uint32_t(wanted) * bytesPerChannel;
        const size_t total = size_t(rowPitch) * size_t(h);
        const auto* src = static_cast<const uint8_t*>(pixels.get());
        image.bytes.assign(src, src + total);
        image.subresources.push_back({0, rowPitch, uint32_t(total), image.width, image.height});
        anOut = std::move(image);
        return true;
    }

    bool DecodeImageFile(const std::filesystem::path& aPath, uint32_t someLoadFlags, ImageData& anOut, std::string* anError)
    {
        FileBytes bytes;
        if (!ReadFileBytes(aPath, bytes, uint64_t(INT_MAX)))
            return Fail(anError, "cannot read file");
        return DecodeImage(bytes.Bytes(), someLoadFlags, anOut, anError);
    }
}
