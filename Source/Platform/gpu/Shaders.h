#pragma once
// Vertex and pixel shaders and input layouts.
//
// Shader "bytecode" is GLSL 4.50 source text. Each shader is a separable program, so
// the vertex and pixel stages bind independently, as in D3D. Register mapping, written
// in GLSL with layout(binding = N) using the D3D register number:
//   bN (uniform block)       constant-buffer register N of the shader's stage
//   tN (sampler uniform)     texture register N of the shader's stage
//   sampler register         s0 for every texture, unless the sampler uniform's name ends
//                            in "_s<K>" (e.g. "lut_s1"), which samples with register sK
// The layer renumbers the GL bindings per stage internally, so a vertex-shader b4 and a
// pixel-shader b4 are different slots, as in D3D; registers 0..15 exist per stage.
//
// Vertex inputs are matched to input layout elements by name: a vertex shader input is
// named after its semantic and index, e.g. `in vec4 POSITION0;`, `in vec2 TEXCOORD5;`,
// `in vec4 BONES0;` (case-insensitive, like D3D semantics).
//
// A texture register is sampled with one sampler register per shader (GL keeps one
// sampler per texture unit). Vertex-shader outputs meet pixel-shader inputs by name or
// by layout(location). Redeclaring gl_PerVertex is not needed.
#include "Platform/gpu/DeviceChild.h"
#include "Platform/gpu/Types.h"

#include <string>
#include <vector>

namespace Plat::Gpu
{
    namespace impl
    {
        // One texture the program samples: its D3D texture register and sampler register.
        struct TextureUse
        {
            uint32_t textureRegister = 0;
            uint32_t samplerRegister = 0;
        };

        // One active vertex input of a vertex shader.
        struct VertexInput
        {
            std::string name;        // e.g. "TEXCOORD5"
            int32_t location = -1;
            uint32_t glType = 0;     // GL_FLOAT_VEC4, GL_UNSIGNED_INT_VEC4, ...
        };
    }

    class VertexShader final : public DeviceChild
    {
    public:
        VertexShader(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, uint32_t aGlProgram,
                     std::vector<impl::TextureUse> someTextures, std::vector<impl::VertexInput> someInputs);
        ~VertexShader() override;

    private:
        friend class Device;
        friend class DeviceContext;
        friend struct impl::ContextState;

        uint32_t myGlProgram = 0;
        std::vector<impl::TextureUse> myTextures;
        std::vector<impl::VertexInput> myInputs;
    };

    class PixelShader final : public DeviceChild
    {
    public:
        PixelShader(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, uint32_t aGlProgram,
                    std::vector<impl::TextureUse> someTextures);
        ~PixelShader() override;

    private:
        friend class DeviceContext;
        friend struct impl::ContextState;

        uint32_t myGlProgram = 0;
        std::vector<impl::TextureUse> myTextures;
    };

    // The vertex-array layout of one vertex shader's inputs. Use it with the vertex shader
    // it was created from (or one whose inputs sit at the same locations).
    class InputLayout final : public DeviceChild
    {
    public:
        static constexpr uint32_t MaxSlots = 16;

        InputLayout(CreationKey, std::shared_ptr<impl::DeviceState> aDevice, uint32_t aGlVertexArray,
                    uint32_t aUsedSlotMask, std::vector<InputElementDesc> someElements);
        ~InputLayout() override;

        // The elements as given at creation (semantic names point into the layout's own copy).
        const std::vector<InputElementDesc>& GetElements() const { return myElements; }

    private:
        friend class DeviceContext;
        friend struct impl::ContextState;

        uint32_t myGlVertexArray = 0;
        uint32_t myUsedSlotMask = 0;   // bit per input slot the matched elements read
        std::vector<InputElementDesc> myElements;
        std::vector<std::string> mySemanticNames;
    };
}
