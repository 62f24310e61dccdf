#include "forge/graphics/Texture.h"

namespace Kiln
{
    Vector2<uint32_t> GetTextureSize(const Texture& aTexture)
    {
        const auto& view = aTexture.GetShaderResourceView();
        if (!view || !view->GetResource() || view->GetResource()->GetType() != Plat::Gpu::ResourceDimension::Texture2D)
            return {0, 0};
        const auto& desc = static_cast<const Plat::Gpu::Texture2D&>(*view->GetResource()).GetDesc();
        return {desc.width, desc.height};
    }
}
