// Writes the engine's built-in DDS textures into the given folder (the engine assets'
// "Textures" folder of the runtime tree):
//   whiteCubeMap.dds    white environment cube, 8x8 faces with mips
//   horizonCubeMap.dds  sky above, ground below, a bright horizon band; sRGB, 32x32 faces
//   T_Default_c.dds     colour: white
//   T_Default_n.dds     normal: flat, (128, 128, 255)
//   T_Default_m.dds     material: occlusion 1, roughness 1, metalness 0
//   T_Default_fx.dds    effects: none (black)
//   ScreenTexture/T_ScreenTexture.dds  a grey paper grain the Lambert model shader tiles
//                       over the screen, 64x64, averaging mid grey
#include "Platform/image/DdsWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;
using namespace Plat::Image;

namespace
{
    ImageData Solid(DxgiFormat aFormat, uint32_t aSize, uint32_t aMips, uint32_t aSlices, bool aCube, std::array<uint8_t, 4> aColor)
    {
        ImageData image = MakeImage(aFormat, aSize, aSize, aMips, aSlices, aCube);
        for (size_t i = 0; i < image.bytes.size(); i += 4)
            std::copy(aColor.begin(), aColor.end(), image.bytes.begin() + std::ptrdiff_t(i));
        return image;
    }

    // The direction through texel (u, v) in -1..1 (v down) of a cube face, D3D face order.
    std::array<float, 3> FaceDirection(uint32_t aFace, float u, float v)
    {
        switch (aFace)
        {
        case 0: return {1.0f, -v, -u};
        case 1: return {-1.0f, -v, u};
        case 2: return {u, 1.0f, v};
        case 3: return {u, -1.0f, -v};
        case 4: return {u, -v, 1.0f};
        default: return {-u, -v, -1.0f};
        }
    }

    uint8_t ToByte(float aValue) { return uint8_t(std::clamp(aValue, 0.0f, 1.0f) * 255.0f + 0.5f); }

    ImageData Horizon()
    {
        constexpr uint32_t size = 32;
        ImageData image = MakeImage(DxgiFormat::R8G8B8A8_Unorm_Srgb, size, size, 1, 6, true);
        const float sky[3] = {0.42f, 0.62f, 0.88f};
        const float zenith[3] = {0.20f, 0.36f, 0.70f};
        const float horizon[3] = {0.92f, 0.90f, 0.84f};
        const float ground[3] = {0.26f, 0.23f, 0.20f};
        for (uint32_t face = 0; face < 6; ++face)
        {
            uint8_t* texels = image.bytes.data() + image.subresources[face].offset;
            for (uint32_t y = 0; y < size; ++y)
            {
                for (uint32_t x = 0; x < size; ++x)
                {
                    const float u = (float(x) + 0.5f) / size * 2.0f - 1.0f;
                    const float v = (float(y) + 0.5f) / size * 2.0f - 1.0f;
                    const auto d = FaceDirection(face, u, v);
                    const float up = d[1] / std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
                    float c[3];
                    for (int i = 0; i < 3; ++i)
                    {
                        if (up >= 0.0f)
                        {
                            const float toSky = std::pow(up, 0.5f);
                            const float toZenith = up * up;
                            c[i] = horizon[i] + (sky[i] - horizon[i]) * toSky + (zenith[i] - sky[i]) * toZenith;
                        }
                        else
                        {
                            c[i] = horizon[i] + (ground[i] - horizon[i]) * std::pow(-up, 0.35f);
                        }
                    }
                    uint8_t* texel = texels + (y * size + x) * 4;
                    texel[0] = ToByte(c[0]);
                    texel[1] = ToByte(c[1]);
                    texel[2] = ToByte(c[2]);
                    texel[3] = 255;
                }
            }
        }
        return image;
    }

    // Smoothed hash noise in 0..1 around 0.5, the same on every run.
    ImageData PaperGrain()
    {
        constexpr uint32_t size = 64;
        ImageData image = MakeImage(DxgiFormat::R8G8B8A8_Unorm, size, size, 1, 1, false);
        const auto hash = [](uint32_t x, uint32_t y) {
            uint32_t h = (x % size) * 374761393u + (y % size) * 668265263u;
            h = (h ^ (h >> 13)) * 1274126177u;
            return float((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
        };
        for (uint32_t y = 0; y < size; ++y)
        {
            for (uint32_t x = 0; x < size; ++x)
            {
                // A 3x3 average of the noise keeps the grain soft and tileable.
                float sum = 0.0f;
                for (uint32_t dy = 0; dy < 3; ++dy)
                    for (uint32_t dx = 0; dx < 3; ++dx)
                        sum += hash(x + dx + size - 1, y + dy + size - 1);
                const float value = 0.5f + (sum / 9.0f - 0.5f) * 1.5f;
                uint8_t* texel = image.bytes.data() + (y * size + x) * 4;
                texel[0] = texel[1] = texel[2] = ToByte(value);
                texel[3] = 255;
            }
        }
        return image;
    }

    bool Write(const fs::path& aFolder, const char* aName, const ImageData& anImage, DdsHeaderKind aKind)
    {
        if (!WriteDdsFile(aFolder / aName, anImage, aKind))
        {
            std::fprintf(stderr, "MakeEngineTextures: cannot write %s\n", (aFolder / aName).string().c_str());
            return false;
        }
        return true;
    }
}

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const fs::path folder = argv[1];
    std::error_code error;
    fs::create_directories(folder, error);

    const auto rgba = DxgiFormat::R8G8B8A8_Unorm;
    bool ok = true;
    ok &= Write(folder, "whiteCubeMap.dds", Solid(rgba, 8, 4, 6, true, {255, 255, 255, 255}), DdsHeaderKind::Legacy);
    ok &= Write(folder, "horizonCubeMap.dds", Horizon(), DdsHeaderKind::Dx10);
    ok &= Write(folder, "T_Default_c.dds", Solid(rgba, 4, 1, 1, false, {255, 255, 255, 255}), DdsHeaderKind::Legacy);
    ok &= Write(folder, "T_Default_n.dds", Solid(rgba, 4, 1, 1, false, {128, 128, 255, 255}), DdsHeaderKind::Legacy);
    ok &= Write(folder, "T_Default_m.dds", Solid(rgba, 4, 1, 1, false, {255, 255, 0, 255}), DdsHeaderKind::Legacy);
    ok &= Write(folder, "T_Default_fx.dds", Solid(rgba, 4, 1, 1, false, {0, 0, 0, 255}), DdsHeaderKind::Legacy);
    fs::create_directories(folder / "ScreenTexture", error);
    ok &= Write(folder, "ScreenTexture/T_ScreenTexture.dds", PaperGrain(), DdsHeaderKind::Legacy);
    return ok ? 0 : 1;
}
