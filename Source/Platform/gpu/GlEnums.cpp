// Translation of the D3D-valued enums to GL, and the one place failures are printed.
#include "Platform/gpu/GlBackend.h"

#include <cstdio>

namespace Plat::Gpu::impl
{
    void ClearGlErrors()
    {
        for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i)
        {
        }
    }

    bool Fail(const char* aCall, const std::string& aRule)
    {
        std::fprintf(stderr, "gpu: %s: %s\n", aCall, aRule.c_str());
        return false;
    }

    bool IsValid(Blend aBlend)
    {
        const uint32_t value = static_cast<uint32_t>(aBlend);
        return (value >= 1 && value <= 11) || value == 14 || value == 15;
    }

    bool IsValid(BlendOp anOp)
    {
        return static_cast<uint32_t>(anOp) >= 1 && static_cast<uint32_t>(anOp) <= 5;
    }

    bool IsValid(ComparisonFunc aFunc)
    {
        return static_cast<uint32_t>(aFunc) >= 1 && static_cast<uint32_t>(aFunc) <= 8;
    }

    bool IsValid(StencilOp anOp)
    {
        return static_cast<uint32_t>(anOp) >= 1 && static_cast<uint32_t>(anOp) <= 8;
    }

    bool IsValid(TextureAddressMode aMode)
    {
        return static_cast<uint32_t>(aMode) >= 1 && static_cast<uint32_t>(aMode) <= 5;
    }

    GLenum ToGl(Blend aBlend)
    {
        switch (aBlend)
        {
        case Blend::Zero: return GL_ZERO;
        case Blend::One: return GL_ONE;
        case Blend::SrcColor: return GL_SRC_COLOR;
        case Blend::InvSrcColor: return GL_ONE_MINUS_SRC_COLOR;
        case Blend::SrcAlpha: return GL_SRC_ALPHA;
        case Blend::InvSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
        case Blend::DestAlpha: return GL_DST_ALPHA;
        case Blend::InvDestAlpha: return GL_ONE_MINUS_DST_ALPHA;
        case Blend::DestColor: return GL_DST_COLOR;
        case Blend::InvDestColor: return GL_ONE_MINUS_DST_COLOR;
        case Blend::SrcAlphaSat: return GL_SRC_ALPHA_SATURATE;
        case Blend::BlendFactor: return GL_CONSTANT_COLOR;
        case Blend::InvBlendFactor: return GL_ONE_MINUS_CONSTANT_COLOR;
        }
        return 0;
    }

    GLenum ToGl(BlendOp anOp)
    {
        switch (anOp)
        {
        case BlendOp::Add: return GL_FUNC_ADD;
        case BlendOp::Subtract: return GL_FUNC_SUBTRACT;
        case BlendOp::RevSubtract: return GL_FUNC_REVERSE_SUBTRACT;
        case BlendOp::Min: return GL_MIN;
        case BlendOp::Max: return GL_MAX;
        }
        return 0;
    }

    GLenum ToGl(ComparisonFunc aFunc)
    {
        switch (aFunc)
        {
        case ComparisonFunc::Never: return GL_NEVER;
        case ComparisonFunc::Less: return GL_LESS;
        case ComparisonFunc::Equal: return GL_EQUAL;
        case ComparisonFunc::LessEqual: return GL_LEQUAL;
        case ComparisonFunc::Greater: return GL_GREATER;
        case ComparisonFunc::NotEqual: return GL_NOTEQUAL;
        case ComparisonFunc::GreaterEqual: return GL_GEQUAL;
        case ComparisonFunc::Always: return GL_ALWAYS;
        }
        return 0;
    }

    GLenum ToGl(StencilOp anOp)
    {
        switch (anOp)
        {
        case StencilOp::Keep: return GL_KEEP;
        case StencilOp::Zero: return GL_ZERO;
        case StencilOp::Replace: return GL_REPLACE;
        case StencilOp::IncrSat: return GL_INCR;
        case StencilOp::DecrSat: return GL_DECR;
        case StencilOp::Invert: return GL_INVERT;
        case StencilOp::Incr: return GL_INCR_WRAP;
        case StencilOp::Decr: return GL_DECR_WRAP;
        }
        return 0;
    }

    GLenum ToGl(TextureAddressMode aMode)
    {
        switch (aMode)
        {
        case TextureAddressMode::Wrap: return GL_REPEAT;
        case TextureAddressMode::Mirror: return GL_MIRRORED_REPEAT;
        case TextureAddressMode::Clamp: return GL_CLAMP_TO_EDGE;
        case TextureAddressMode::Border: return GL_CLAMP_TO_BORDER;
        case TextureAddressMode::MirrorOnce: return GL_MIRROR_CLAMP_TO_EDGE;
        }
        return 0;
    }

    GLenum ToGl(PrimitiveTopology aTopology)
    {
        switch (aTopology)
        {
        case PrimitiveTopology::PointList: return GL_POINTS;
        case PrimitiveTopology::LineList: return GL_LINES;
        case PrimitiveTopology::LineStrip: return GL_LINE_STRIP;
        case PrimitiveTopology::TriangleList: return GL_TRIANGLES;
        case PrimitiveTopology::TriangleStrip: return GL_TRIANGLE_STRIP;
        case PrimitiveTopology::Undefined: break;
        }
        return 0;
    }

    void FilterToGl(Filter aFilter, GLenum& aMin, GLenum& aMag, bool& anAnisotropic, bool& aComparison)
    {
        const uint32_t code = static_cast<uint32_t>(aFilter);
        aComparison = (code & 0x80) != 0;
        anAnisotropic = (code & 0x40) != 0;
        const bool mipLinear = (code & 0x01) != 0;
        const bool magLinear = (code & 0x04) != 0;
        const bool minLinear = (code & 0x10) != 0;
        aMag = magLinear ? GL_LINEAR : GL_NEAREST;
        if (minLinear)
        {
            aMin = mipLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_NEAREST;
        }
        else
        {
            aMin = mipLinear ? GL_NEAREST_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST;
        }
    }
}
