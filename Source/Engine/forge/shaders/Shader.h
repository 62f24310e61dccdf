#pragma once
// Base of every drawing class: a vertex and a pixel shader from the shader caches and the
// input layout that feeds the vertex shader.
#include "forge/graphics/DX11.h"

#include "Platform/gpu/Shaders.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Kiln
{
    class Shader
    {
    public:
        using ByteCode = std::vector<uint8_t>;
        using LayoutFunction = std::function<void(const ByteCode&)>;

        Shader();
        virtual ~Shader();
        Shader(const Shader&) = delete;
        Shader& operator=(const Shader&) = delete;

        virtual bool Init();
        // Builds the shader's input layout from the vertex shader's bytes; false asks
        // CreateShaders for the default layout.
        virtual bool CreateInputLayout(const ByteCode& aVertexShaderByteCode);

        // Looks both shaders up by name and builds the input layout: with aLayoutFunction
        // when given (its result is not looked at), else through CreateInputLayout.
        bool CreateShaders(const std::string& aVertexShaderName, const std::string& aPixelShaderName,
                           LayoutFunction aLayoutFunction = {});

        // Binds the shaders and the layout for a triangle-list draw and brings the graphics
        // state stack up to date. False, binding nothing, unless the shader is loaded.
        bool PrepareRender();

        bool IsLoaded() const { return myIsLoaded; }
        int32_t GetId() const { return myId; }
        const std::string& GetVertexShaderName() const { return myVertexShaderName; }
        const std::string& GetPixelShaderName() const { return myPixelShaderName; }
        Plat::Gpu::InputLayout* GetInputLayout() const { return myInputLayout.get(); }

    protected:
        // Replaces the shader's input layout; false when the device refuses it.
        bool BuildInputLayout(const Plat::Gpu::InputElementDesc* someElements, uint32_t aCount,
                              const ByteCode& aVertexShaderByteCode);

        const DX11::VertexShaderEntry* myVertexShader = nullptr;
        const DX11::PixelShaderEntry* myPixelShader = nullptr;
        std::shared_ptr<Plat::Gpu::InputLayout> myInputLayout;
        bool myIsLoaded = false;
        int32_t myId = 0;
        std::string myVertexShaderName;
        std::string myPixelShaderName;
    };
}
