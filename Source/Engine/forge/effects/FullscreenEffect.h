#pragma once
// A full-screen pass: one triangle made by "Shaders/PostprocessVS" from the vertex index,
// shaded by the effect's pixel shader into the active target.
#include "forge/graphics/DX11.h"

#include <string>

namespace Kiln
{
    class FullscreenEffect
    {
    public:
        FullscreenEffect() = default;
        virtual ~FullscreenEffect();
        FullscreenEffect(const FullscreenEffect&) = delete;
        FullscreenEffect& operator=(const FullscreenEffect&) = delete;

        // False when either shader cannot be loaded.
        virtual bool Init(const std::string& aPixelShaderName);
        virtual void Render();

        const DX11::VertexShaderEntry* GetVertexShader() const { return myVertexShader; }
        const DX11::PixelShaderEntry* GetPixelShader() const { return myPixelShader; }

    protected:
        const DX11::VertexShaderEntry* myVertexShader = nullptr;
        const DX11::PixelShaderEntry* myPixelShader = nullptr;
    };
}
