#include "forge/shaders/Shader.h"

#include "forge/engine/Engine.h"
#include "forge/graphics/GraphicsEngine.h"
#include "forge/graphics/GraphicsStateStack.h"

#include <cstdlib>

namespace Kiln
{
    namespace
    {
        using Plat::Gpu::Format;
        using Plat::Gpu::InputClassification;
        using Plat::Gpu::InputElementDesc;
        constexpr uint32_t APPEND = Plat::Gpu::AppendAlignedElement;

        // 20 bytes per vertex in slot 0, 72 bytes per instance in slot 1.
        const InputElementDesc DEFAULT_LAYOUT[] = {
            {"POSITION", 0, Format::R32G32B32_FLOAT, 0, 0, InputClassification::PerVertexData, 0},
            {"TEXCOORD", 0, Format::R32G32_FLOAT, 0, APPEND, InputClassification::PerVertexData, 0},
            {"TEXCOORD", 1, Format::R32G32_FLOAT, 1, 0, InputClassification::PerInstanceData, 1},
            {"TEXCOORD", 2, Format::R32G32B32A32_FLOAT, 1, APPEND, InputClassification::PerInstanceData, 1},
            {"TEXCOORD", 3, Format::R32G32B32A32_FLOAT, 1, APPEND, InputClassification::PerInstanceData, 1},
            {"TEXCOORD", 4, Format::R32G32B32A32_FLOAT, 1, APPEND, InputClassification::PerInstanceData, 1},
            {"TEXCOORD", 5, Format::R32G32B32A32_FLOAT, 1, APPEND, InputClassification::PerInstanceData, 1},
        };
    }

    Shader::Shader() : myId(std::rand() % 100) {}

    Shader::~Shader() = default;

    bool Shader::Init()
    {
        return false;
    }

    bool Shader::CreateInputLayout(const ByteCode&)
    {
        return false;
    }

    bool Shader::BuildInputLayout(const InputElementDesc* someElements, uint32_t aCount, const ByteCode& aByteCode)
    {
        myInputLayout.reset();
        if (DX11::Device == nullptr)
            return false;
        myInputLayout = DX11::Device->CreateInputLayout(someElements, aCount, aByteCode.data(), aByteCode.size());
        return myInputLayout != nullptr;
    }

    bool Shader::CreateShaders(const std::string& aVertexShaderName, const std::string& aPixelShaderName,
                               LayoutFunction aLayoutFunction)
    {
        // The function object is released on every path, as it goes out of scope here.
        const LayoutFunction layoutFunction = std::move(aLayoutFunction);

        myIsLoaded = false;
        myVertexShaderName = aVertexShaderName;
        myPixelShaderName = aPixelShaderName;

        myVertexShader = DX11::GetVertexShader(aVertexShaderName);
        if (myVertexShader == nullptr)
            return false;
        myPixelShader = DX11::GetPixelShader(aPixelShaderName);
        if (myPixelShader == nullptr)
            return false;

        myInputLayout.reset();
        if (layoutFunction)
        {
            layoutFunction(myVertexShader->myByteCode);
        }
        else if (!CreateInputLayout(myVertexShader->myByteCode))
        {
            if (!BuildInputLayout(DEFAULT_LAYOUT, static_cast<uint32_t>(std::size(DEFAULT_LAYOUT)),
                                  myVertexShader->myByteCode))
                return false;
        }

        myIsLoaded = true;
        return true;
    }

    bool Shader::PrepareRender()
    {
        if (myVertexShader == nullptr || myPixelShader == nullptr || !myIsLoaded || DX11::Context == nullptr)
            return false;

        Plat::Gpu::DeviceContext& context = *DX11::Context;
        context.VSSetShader(myVertexShader->myShader.get());
        context.PSSetShader(myPixelShader->myShader.get());
        context.IASetInputLayout(myInputLayout.get());
        context.IASetPrimitiveTopology(Plat::Gpu::PrimitiveTopology::TriangleList);

        if (Engine* engine = Engine::GetInstance())
        {
            if (GraphicsEngine* graphics = engine->GetGraphicsEngine())
            {
                if (GraphicsStateStack* stack = graphics->GetGraphicsStateStack())
                    stack->UpdateGpuStates(false);
            }
        }
        return true;
    }
}
