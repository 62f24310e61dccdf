#pragma once
// Turns a decoded image into a GPU texture and a shader-resource view over all of it.
#include "Platform/gpu/Device.h"
#include "Platform/image/ImageData.h"

#include <memory>

namespace Kiln::impl
{
    struct ImageTextureRequest
    {
        Plat::Gpu::Usage usage = Plat::Gpu::Usage::Default;
        uint32_t bindFlags = Plat::Gpu::Bind::ShaderResource;
        uint32_t cpuAccessFlags = 0;
        uint32_t miscFlags = 0;
        // With a context, a single-level image gets its full mip chain generated on the GPU.
        Plat::Gpu::DeviceContext* generateMipsWith = nullptr;
    };

    bool CreateTextureFromImageData(Plat::Gpu::Device& aDevice, const Plat::Image::ImageData& anImage,
                                    const ImageTextureRequest& aRequest,
                                    std::shared_ptr<Plat::Gpu::Texture2D>* aTexture,
                                    std::shared_ptr<Plat::Gpu::ShaderResourceView>* aView);
}
