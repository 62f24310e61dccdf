#include "forge/loaders/ImageTexture.h"

#include "Platform/gpu/Context.h"

#include <vector>

namespace Kiln::impl
{
    namespace
    {
        Plat::Gpu::ShaderResourceViewDesc ViewOf(const Plat::Image::ImageData& anImage, Plat::Gpu::Format aFormat)
        {
            using Plat::Gpu::SrvDimension;
            Plat::Gpu::ShaderResourceViewDesc view;
            view.format = aFormat;
            view.mostDetailedMip = 0;
            view.mipLevels = Plat::Gpu::AllMipLevels;
            if (anImage.isCube)
            {
                view.viewDimension = anImage.arraySize > 6 ? SrvDimension::TextureCubeArray : SrvDimension::TextureCube;
                view.arraySize = anImage.arraySize / 6;
            }
            else if (anImage.arraySize > 1)
            {
                view.viewDimension = SrvDimension::Texture2DArray;
                view.arraySize = anImage.arraySize;
            }
            else
            {
                view.viewDimension = SrvDimension::Texture2D;
            }
            return view;
        }
    }

    bool CreateTextureFromImageData(Plat::Gpu::Device& aDevice, const Plat::Image::ImageData& anImage,
                                    const ImageTextureRequest& aRequest,
                                    std::shared_ptr<Plat::Gpu::Texture2D>* aTexture,
                                    std::shared_ptr<Plat::Gpu::ShaderResourceView>* aView)
    {
        using namespace Plat::Gpu;
        const auto format = static_cast<Format>(anImage.format);
        if (!aDevice.IsFormatSupported(format) || anImage.subresources.size() != size_t(anImage.arraySize) * anImage.mipCount)
            return false;

        Texture2DDesc desc;
        desc.width = anImage.width;
        desc.height = anImage.height;
        desc.mipLevels = anImage.mipCount;
        desc.arraySize = anImage.arraySize;
        desc.format = format;
        desc.usage = aRequest.usage;
        desc.bindFlags = aRequest.bindFlags;
        desc.cpuAccessFlags = aRequest.cpuAccessFlags;
        desc.miscFlags = aRequest.miscFlags | (anImage.isCube ? ResourceMisc::TextureCube : 0u);

        std::shared_ptr<Texture2D> texture;
        std::shared_ptr<ShaderResourceView> view;

        // Mips generated on the GPU need a render-target-capable texture; a format that
        // cannot be one keeps its single level.
        const bool autoGenerate = aRequest.generateMipsWith && anImage.mipCount == 1 && anImage.arraySize == 1 &&
                                  aRequest.usage == Usage::Default && !IsBlockCompressed(format);
        if (autoGenerate)
        {
            Texture2DDesc full = desc;
            full.mipLevels = 0;
            full.bindFlags |= Bind::RenderTarget;
            full.miscFlags |= ResourceMisc::GenerateMips;
            texture = aDevice.CreateTexture2D(full);
            if (texture)
            {
                view = aDevice.CreateShaderResourceView(texture.get(), nullptr);
                if (view)
                {
                    const auto& sub = anImage.subresources[0];
                    aRequest.generateMipsWith->UpdateSubresource(texture.get(), 0, nullptr, anImage.Data(sub), sub.rowPitch, sub.slicePitch);
                    aRequest.generateMipsWith->GenerateMips(view.get());
                }
                else
                {
                    texture.reset();
                }
            }
        }

        if (!texture)
        {
            std::vector<SubresourceData> initial;
            initial.reserve(anImage.subresources.size());
            for (const auto& sub : anImage.subresources)
                initial.push_back({anImage.Data(sub), sub.rowPitch, sub.slicePitch});
            texture = aDevice.CreateTexture2D(desc, initial.data());
            if (!texture)
                return false;
            const ShaderResourceViewDesc viewDesc = ViewOf(anImage, format);
            view = aDevice.CreateShaderResourceView(texture.get(), &viewDesc);
            if (!view)
                return false;
        }

        if (aTexture)
            *aTexture = texture;
        if (aView)
            *aView = view;
        return true;
    }
}
