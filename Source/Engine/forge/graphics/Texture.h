#pragma once
// A drawable texture: one shader-resource view, shared. Drawers read only this view.
#include "forge/math/Vector.h"

#include "Platform/gpu/Resources.h"

#include <cstdint>
#include <memory>

namespace Kiln
{
    class Texture
    {
    public:
        Texture() = default;
        explicit Texture(std::shared_ptr<Plat::Gpu::ShaderResourceView> aView) : myShaderResourceView(std::move(aView)) {}
        virtual ~Texture() = default;

        const std::shared_ptr<Plat::Gpu::ShaderResourceView>& GetShaderResourceView() const { return myShaderResourceView; }
        // Replacing the view releases the old one.
        void SetShaderResourceView(std::shared_ptr<Plat::Gpu::ShaderResourceView> aView) { myShaderResourceView = std::move(aView); }

    protected:
        std::shared_ptr<Plat::Gpu::ShaderResourceView> myShaderResourceView;
    };

    // The pixel size of the 2D texture behind the view; 0 x 0 when there is none.
    Vector2<uint32_t> GetTextureSize(const Texture& aTexture);
}
