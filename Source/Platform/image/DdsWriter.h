#pragma once
// Writes an ImageData as a DDS file: with a DX10 header, or with a legacy header for
// the formats that have one. Used by the asset generator and the tests.
#include "Platform/image/ImageData.h"

#include <filesystem>
#include <vector>

namespace Plat::Image
{
    enum class DdsHeaderKind
    {
        Legacy,
        Dx10,
    };

    // false when a legacy header is asked for a format that has none.
    bool EncodeDds(const ImageData& anImage, DdsHeaderKind aKind, std::vector<uint8_t>& anOut);
    bool WriteDdsFile(const std::filesystem::path& aPath, const ImageData& anImage, DdsHeaderKind aKind);

    // A zero-filled, tightly packed image of one format with its subresource table.
    ImageData MakeImage(DxgiFormat aFormat, uint32_t aWidth, uint32_t aHeight, uint32_t aMipCount, uint32_t anArraySize, bool anIsCube);
}
