#pragma once
// A 32-bit float depth buffer that shaders can also read, with the viewport covering it.
#include "forge/graphics/Texture.h"
#include "forge/math/Vector.h"

#include "Platform/gpu/Resources.h"
#include "Platform/gpu/Types.h"

#include <memory>

namespace Kiln
{
    class DepthBuffer : public Texture
    {
    public:
        // Failures fail the "SUCCEEDED(result)" assertion and leave parts empty.
        static DepthBuffer Create(const Vector2<uint32_t>& aSize);

        void Clear(float aClearDepthValue = 1.0f, uint8_t aClearStencilValue = 0);

        const std::shared_ptr<Plat::Gpu::DepthStencilView>& GetDepthStencilView() const { return myDepthStencilView; }
        const std::shared_ptr<const Plat::Gpu::Viewport>& GetViewport() const { return myViewport; }

    private:
        std::shared_ptr<Plat::Gpu::DepthStencilView> myDepthStencilView;
        std::shared_ptr<const Plat::Gpu::Viewport> myViewport;
    };
}
