#pragma once
// Creates a texture and its shader-resource view from a PNG, JPEG, BMP or GIF file.
#include "forge/loaders/DDSTextureLoader.h"

namespace Kiln
{
    // With a context, the texture gets a full mip chain generated from the image. An
    // image larger than aMaxSize (0: the device's largest texture) is refused.
    bool CreateWICTextureFromFileEx(Plat::Gpu::Device* aDevice, Plat::Gpu::DeviceContext* aContext,
                                    const wchar_t* aFileName, size_t aMaxSize, Plat::Gpu::Usage aUsage,
                                    uint32_t someBindFlags, uint32_t someCpuAccessFlags, uint32_t someMiscFlags,
                                    uint32_t someLoadFlags, std::shared_ptr<Plat::Gpu::Texture2D>* aTexture,
                                    std::shared_ptr<Plat::Gpu::ShaderResourceView>* aView);
}
