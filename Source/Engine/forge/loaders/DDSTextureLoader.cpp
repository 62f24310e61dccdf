#include "forge/loaders/DDSTextureLoader.h"

#include "forge/loaders/ImageTexture.h"
#include "Platform/image/DdsReader.h"
#include "Platform/runtime/Paths.h"

namespace Kiln
{
    bool CreateDDSTextureFromFileEx(Plat::Gpu::Device* aDevice, const wchar_t* aFileName, size_t aMaxSize,
                                    Plat::Gpu::Usage aUsage, uint32_t someBindFlags, uint32_t someCpuAccessFlags,
                                    uint32_t someMiscFlags, uint32_t someLoadFlags,
                                    std::shared_ptr<Plat::Gpu::Texture2D>* aTexture,
                                    std::shared_ptr<Plat::Gpu::ShaderResourceView>* aView)
    {
        if (!aDevice || !aFileName)
            return false;
        Plat::Image::ImageData image;
        if (!Plat::Image::ReadDdsFile(Plat::Runtime::ToNarrow(aFileName), someLoadFlags, image))
            return false;
        if (aMaxSize != 0 && (image.width > aMaxSize || image.height > aMaxSize))
            return false;
        impl::ImageTextureRequest request;
        request.usage = aUsage;
        request.bindFlags = someBindFlags;
        request.cpuAccessFlags = someCpuAccessFlags;
        request.miscFlags = someMiscFlags;
        return impl::CreateTextureFromImageData(*aDevice, image, request, aTexture, aView);
    }
}
