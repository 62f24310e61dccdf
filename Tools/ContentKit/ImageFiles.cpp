#include "ContentKit/ImageFiles.h"

#include "Platform/image/DdsWriter.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace ContentKit
{
    namespace fs = std::filesystem;

    namespace
    {
        // Transparent texels take the colour of their nearest visible neighbours (a few
        // rounds of dilation), so filtering at a sprite's edge never pulls in black.
        Canvas BleedColor(const Canvas& aCanvas)
        {
            Canvas result = aCanvas;
            const int w = aCanvas.Width(), h = aCanvas.Height();
            std::vector<uint8_t> known(size_t(w) * size_t(h));
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    known[size_t(y) * size_t(w) + size_t(x)] = aCanvas.At(x, y).a > 0.0f;
            for (int round = 0; round < 8; ++round)
            {
                std::vector<uint8_t> next = known;
                bool changed = false;
                for (int y = 0; y < h; ++y)
                {
                    for (int x = 0; x < w; ++x)
                    {
                        if (known[size_t(y) * size_t(w) + size_t(x)])
                            continue;
                        float r = 0, g = 0, b = 0;
                        int count = 0;
                        for (int dy = -1; dy <= 1; ++dy)
                        {
                            for (int dx = -1; dx <= 1; ++dx)
                            {
                                const int sx = x + dx, sy = y + dy;
                                if (sx < 0 || sy < 0 || sx >= w || sy >= h || !known[size_t(sy) * size_t(w) + size_t(sx)])
                                    continue;
                                const Color& c = result.At(sx, sy);
                                r += c.r; g += c.g; b += c.b;
                                ++count;
                            }
                        }
                        if (count > 0)
                        {
                            result.At(x, y) = {r / float(count), g / float(count), b / float(count), 0.0f};
                            next[size_t(y) * size_t(w) + size_t(x)] = 1;
                            changed = true;
                        }
                    }
                }
                known.swap(next);
                if (!changed)
                    break;
            }
            return result;
        }

        // Half-size level: premultiplied 2x2 average (odd edges repeat their last texel).
        Canvas HalfSize(const Canvas& aCanvas)
        {
            const int w = std::max(1, aCanvas.Width() / 2), h = std::max(1, aCanvas.Height() / 2);
            Canvas result(w, h);
            for (int y = 0; y < h; ++y)
            {
                for (int x = 0; x < w; ++x)
                {
                    float r = 0, g = 0, b = 0, a = 0, cr = 0, cg = 0, cb = 0;
                    for (int j = 0; j < 2; ++j)
                    {
                        for (int i = 0; i < 2; ++i)
                        {
                            const Color& c = aCanvas.At(std::min(x * 2 + i, aCanvas.Width() - 1), std::min(y * 2 + j, aCanvas.Height() - 1));
                            r += c.r * c.a; g += c.g * c.a; b += c.b * c.a; a += c.a;
                            cr += c.r; cg += c.g; cb += c.b;
                        }
                    }
                    result.At(x, y) = a > 1e-6f ? Color{r / a, g / a, b / a, a / 4.0f} : Color{cr / 4.0f, cg / 4.0f, cb / 4.0f, 0.0f};
                }
            }
            return result;
        }
    }

    std::vector<uint8_t> EncodeDds(const Canvas& aCanvas, const DdsOptions& someOptions)
    {
        using namespace Plat::Image;
        std::vector<Canvas> levels;
        levels.push_back(someOptions.bleedColor ? BleedColor(aCanvas) : aCanvas);
        if (someOptions.mips)
        {
            while (levels.back().Width() > 1 || levels.back().Height() > 1)
                levels.push_back(HalfSize(levels.back()));
        }
        const DxgiFormat format = someOptions.srgb ? DxgiFormat::R8G8B8A8_Unorm_Srgb : DxgiFormat::R8G8B8A8_Unorm;
        ImageData image = MakeImage(format, uint32_t(aCanvas.Width()), uint32_t(aCanvas.Height()), uint32_t(levels.size()), 1, false);
        for (size_t mip = 0; mip < levels.size(); ++mip)
        {
            const std::vector<uint8_t> bytes = levels[mip].ToRgba8();
            std::copy(bytes.begin(), bytes.end(), image.bytes.begin() + std::ptrdiff_t(image.subresources[mip].offset));
        }
        std::vector<uint8_t> out;
        if (!Plat::Image::EncodeDds(image, someOptions.srgb ? DdsHeaderKind::Dx10 : DdsHeaderKind::Legacy, out))
            return {};
        return out;
    }

    bool WriteDds(const fs::path& aFile, const Canvas& aCanvas, const DdsOptions& someOptions)
    {
        if (aCanvas.Empty())
            return false;
        const std::vector<uint8_t> bytes = EncodeDds(aCanvas, someOptions);
        return !bytes.empty() && WriteFileIfChanged(aFile, bytes);
    }

    bool WritePng(const fs::path& aFile, const Canvas& aCanvas)
    {
        if (aCanvas.Empty())
            return false;
        const std::vector<uint8_t> pixels = aCanvas.ToRgba8();
        std::vector<uint8_t> encoded;
        const auto append = [](void* aContext, void* someData, int aSize) {
            auto* out = static_cast<std::vector<uint8_t>*>(aContext);
            out->insert(out->end(), static_cast<uint8_t*>(someData), static_cast<uint8_t*>(someData) + aSize);
        };
        if (!stbi_write_png_to_func(append, &encoded, aCanvas.Width(), aCanvas.Height(), 4, pixels.data(), aCanvas.Width() * 4))
            return false;
        return WriteFileIfChanged(aFile, encoded);
    }

    bool WriteFileIfChanged(const fs::path& aFile, const std::vector<uint8_t>& aBytes)
    {
        return WriteFileIfChanged(aFile, std::string(aBytes.begin(), aBytes.end()));
    }

    bool WriteFileIfChanged(const fs::path& aFile, const std::string& aBytes)
    {
        std::error_code error;
        if (aFile.has_parent_path())
            fs::create_directories(aFile.parent_path(), error);
        {
            std::ifstream in(aFile, std::ios::binary);
            if (in)
            {
                const std::string existing{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
                if (existing == aBytes)
                    return true;
            }
        }
        std::ofstream out(aFile, std::ios::binary | std::ios::trunc);
        out.write(aBytes.data(), std::streamsize(aBytes.size()));
        return bool(out);
    }
}
