#pragma once
// Creates a texture and its shader-resource view from a DDS file.
#include "Platform/gpu/Device.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Kiln
{
    // Loader flags shared with the imaging-component loader: the texture manager's sRGB
    // modes 1 and 2 pass these.
    enum TextureLoaderFlags : uint32_t
    {
        TextureLoaderDefault = 0,
        TextureLoaderForceSrgb = 0x1,
        TextureLoaderIgnoreSrgb = 0x2,
    };

    // aMaxSize 0 allows the device's largest texture; a larger file is refused. Returns
    // false for a missing, malformed or unsupported file, leaving the outputs untouched.
    bool CreateDDSTextureFromFileEx(Plat::Gpu::Device* aDevice, const wchar_t* aFileName, size_t aMaxSize,
                                    Plat::Gpu::Usage aUsage, uint32_t someBindFlags, uint32_t someCpuAccessFlags,
                                    uint32_t someMiscFlags, uint32_t someLoadFlags,
                                    std::shared_ptr<Plat::Gpu::Texture2D>* aTexture,
                                    std::shared_ptr<Plat::Gpu::ShaderResourceView>* aView);
}
