#include "forge/effects/FullscreenEffect.h"

#include "forge/engine/Engine.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/graphics/GraphicsStateStack.h"

namespace Kiln
{
    FullscreenEffect::~FullscreenEffect() = default;

    bool FullscreenEffect::Init(const std::string& aPixelShaderName)
    {
        myVertexShader = DX11::GetVertexShader("Shaders/PostprocessVS");
        if (myVertexShader == nullptr)
            return false;
        myPixelShader = DX11::GetPixelShader(aPixelShaderName);
        return myPixelShader != nullptr;
    }

    void FullscreenEffect::Render()
    {
        if (DX11::Context == nullptr || myVertexShader == nullptr || myPixelShader == nullptr)
            return;
        if (Engine* engine = Engine::GetInstance())
        {
            if (GraphicsEngine* graphics = engine->GetGraphicsEngine())
            {
                if (GraphicsStateStack* stack = graphics->GetGraphicsStateStack())
                    stack->UpdateGpuStates(false);
            }
        }
        Plat::Gpu::DeviceContext& context = *DX11::Context;
        context.IASetPrimitiveTopology(Plat::Gpu::PrimitiveTopology::TriangleList);
        context.IASetInputLayout(nullptr);
        Plat::Gpu::Buffer* const noBuffer = nullptr;
        const uint32_t zero = 0;
        context.IASetVertexBuffers(0, 1, &noBuffer, &zero, &zero);
        context.IASetIndexBuffer(nullptr, Plat::Gpu::Format::R32_UINT, 0);
        context.VSSetShader(myVertexShader->myShader.get());
        context.PSSetShader(myPixelShader->myShader.get());
        ++DX11::DrawCallCount;
        context.Draw(3, 0);
    }
}
