#include "EndToEnd/Picture.h"

#include "Platform/image/DdsReader.h"
#include "Platform/runtime/Paths.h"

#include <algorithm>

namespace KilnE2E
{
    bool Picture::Load(const std::filesystem::path& aDdsFile)
    {
        using namespace Plat::Image;
        ImageData image;
        if (!ReadDdsFile(Plat::Runtime::ResolveCase(aDdsFile), LoadDefault, image) || image.subresources.empty())
            return false;
        const bool rgba = image.format == DxgiFormat::R8G8B8A8_Unorm || image.format == DxgiFormat::R8G8B8A8_Unorm_Srgb;
        const bool bgra = image.format == DxgiFormat::B8G8R8A8_Unorm || image.format == DxgiFormat::B8G8R8A8_Unorm_Srgb;
        if (!rgba && !bgra)
            return false;
        const Subresource& top = image.subresources[0];
        myWidth = static_cast<int>(top.width);
        myHeight = static_cast<int>(top.height);
        myTexels.resize(static_cast<size_t>(myWidth) * static_cast<size_t>(myHeight) * 4u);
        for (int y = 0; y < myHeight; ++y)
        {
            const uint8_t* row = image.Data(top) + static_cast<size_t>(y) * top.rowPitch;
            uint8_t* out = &myTexels[static_cast<size_t>(y) * static_cast<size_t>(myWidth) * 4u];
            for (int x = 0; x < myWidth; ++x)
            {
                const uint8_t* p = row + x * 4;
                out[x * 4 + 0] = rgba ? p[0] : p[2];
                out[x * 4 + 1] = p[1];
                out[x * 4 + 2] = rgba ? p[2] : p[0];
                out[x * 4 + 3] = p[3];
            }
        }
        return true;
    }

    void Picture::Sample(const Rect& aPlace, int anX, int aY, float someRgba[4]) const
    {
        someRgba[0] = someRgba[1] = someRgba[2] = someRgba[3] = 0.0f;
        if (myTexels.empty() || anX < aPlace.x || aY < aPlace.y || anX >= aPlace.x + aPlace.width || aY >= aPlace.y + aPlace.height)
            return;
        const int u = std::min(myWidth - 1, static_cast<int>((anX - aPlace.x + 0.5f) / aPlace.width * myWidth));
        const int v = std::min(myHeight - 1, static_cast<int>((aY - aPlace.y + 0.5f) / aPlace.height * myHeight));
        const uint8_t* texel = &myTexels[(static_cast<size_t>(v) * static_cast<size_t>(myWidth) + static_cast<size_t>(u)) * 4u];
        for (int i = 0; i < 4; ++i)
            someRgba[i] = static_cast<float>(texel[i]);
    }

    float Picture::MatchShare(const Screenshot& aShot, const Rect& aPlace, float aTolerance, float aMinimumLuma) const
    {
        if (myTexels.empty() || aPlace.width <= 0 || aPlace.height <= 0)
            return 0.0f;
        const int left = std::max(0, aPlace.x), right = std::min(aShot.GetWidth(), aPlace.x + aPlace.width);
        const int top = std::max(0, aPlace.y), bottom = std::min(aShot.GetHeight(), aPlace.y + aPlace.height);
        size_t opaque = 0, matching = 0;
        for (int y = top; y < bottom; ++y)
        {
            const int v = std::min(myHeight - 1, static_cast<int>((y - aPlace.y + 0.5f) / aPlace.height * myHeight));
            for (int x = left; x < right; ++x)
            {
                const int u = std::min(myWidth - 1, static_cast<int>((x - aPlace.x + 0.5f) / aPlace.width * myWidth));
                const uint8_t* texel = &myTexels[(static_cast<size_t>(v) * static_cast<size_t>(myWidth) + static_cast<size_t>(u)) * 4u];
                // Edges blend with what lies below; only the solid inside is compared.
                if (texel[3] < 250)
                    continue;
                const Rgb expected{static_cast<float>(texel[0]), static_cast<float>(texel[1]), static_cast<float>(texel[2])};
                if (expected.Luma() < aMinimumLuma)
                    continue;
                ++opaque;
                matching += aShot.At(x, y).DistanceTo(expected) <= aTolerance ? 1u : 0u;
            }
        }
        return opaque == 0 ? 0.0f : static_cast<float>(matching) / static_cast<float>(opaque);
    }
}
