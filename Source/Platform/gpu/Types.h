#pragma once
// Value types of the gpu layer: enums and plain description structs shaped like the
// Direct3D 11 ones. Enum values keep the D3D numbers, so tables written against D3D
// read the same here. Defaults are the D3D defaults, so `BlendDesc{}` is the default
// blend state and so on.
#include "Platform/gpu/Format.h"

#include <cfloat>
#include <cstddef>
#include <cstdint>

struct SDL_Window;

namespace Plat::Gpu
{
    // ---- resources ---------------------------------------------------------------

    enum class Usage : uint32_t
    {
        Default = 0,    // GPU read/write; UpdateSubresource
        Immutable = 1,  // initial data only
        Dynamic = 2,    // CPU writes through Map(WriteDiscard)
        Staging = 3,    // CPU read back through CopyResource + Map(Read)
    };

    namespace Bind
    {
        enum : uint32_t
        {
            VertexBuffer = 0x1,
            IndexBuffer = 0x2,
            ConstantBuffer = 0x4,
            ShaderResource = 0x8,
            StreamOutput = 0x10,
            RenderTarget = 0x20,
            DepthStencil = 0x40,
            UnorderedAccess = 0x80, // accepted; nothing in this layer writes through it
        };
    }

    namespace CpuAccess
    {
        enum : uint32_t
        {
            Write = 0x10000,
            Read = 0x20000,
        };
    }

    namespace ResourceMisc
    {
        enum : uint32_t
        {
            GenerateMips = 0x1,
            TextureCube = 0x4,
        };
    }

    enum class ResourceDimension : uint32_t
    {
        Unknown = 0,
        Buffer = 1,
        Texture2D = 3,
    };

    enum class MapType : uint32_t
    {
        Read = 1,
        Write = 2,
        ReadWrite = 3,
        WriteDiscard = 4,
        WriteNoOverwrite = 5,
    };

    namespace ClearFlag
    {
        enum : uint32_t
        {
            Depth = 0x1,
            Stencil = 0x2,
        };
    }

    struct SampleDesc
    {
        uint32_t count = 1;     // only 1 is supported
        uint32_t quality = 0;
    };

    struct BufferDesc
    {
        uint32_t byteWidth = 0;
        Usage usage = Usage::Default;
        uint32_t bindFlags = 0;       // Bind::...
        uint32_t cpuAccessFlags = 0;  // CpuAccess::...
        uint32_t miscFlags = 0;
        uint32_t structureByteStride = 0;
    };

    struct Texture2DDesc
    {
        uint32_t width = 0;
        uint32_t height = 0;
        uint32_t mipLevels = 1;       // 0: the full chain down to 1x1
        uint32_t arraySize = 1;       // 6 (or 6n) with ResourceMisc::TextureCube for cubes
        Format format = Format::UNKNOWN;
        SampleDesc sampleDesc;
        Usage usage = Usage::Default;
        uint32_t bindFlags = 0;
        uint32_t cpuAccessFlags = 0;
        uint32_t miscFlags = 0;       // ResourceMisc::...
    };

    // Initial data: one entry per subresource (mip + slice * mipLevels); rows top first.
    struct SubresourceData
    {
        const void* sysMem = nullptr;
        uint32_t sysMemPitch = 0;      // bytes per row (block formats: per row of blocks)
        uint32_t sysMemSlicePitch = 0;
    };

    struct MappedSubresource
    {
        void* data = nullptr;          // rows top first
        uint32_t rowPitch = 0;
        uint32_t depthPitch = 0;
    };

    // A region of a subresource for UpdateSubresource (right/bottom/back exclusive).
    struct Box
    {
        uint32_t left = 0;
        uint32_t top = 0;
        uint32_t front = 0;
        uint32_t right = 0;
        uint32_t bottom = 0;
        uint32_t back = 1;
    };

    // Subresource index of a texture: mip + slice * mipLevels.
    constexpr uint32_t CalcSubresource(uint32_t aMipSlice, uint32_t anArraySlice, uint32_t aMipLevels)
    {
        return aMipSlice + anArraySlice * aMipLevels;
    }

    // ---- views -------------------------------------------------------------------

    enum class SrvDimension : uint32_t
    {
        Unknown = 0,
        Texture2D = 4,
        Texture2DArray = 5,
        TextureCube = 9,
        TextureCubeArray = 10,
    };

    enum class RtvDimension : uint32_t
    {
        Unknown = 0,
        Texture2D = 4,
        Texture2DArray = 5,
    };

    enum class DsvDimension : uint32_t
    {
        Unknown = 0,
        Texture2D = 3,
        Texture2DArray = 4,
    };

    constexpr uint32_t AllMipLevels = 0xFFFFFFFFu;

    // A null desc pointer at creation views the whole resource in its own format.
    struct ShaderResourceViewDesc
    {
        Format format = Format::UNKNOWN;
        SrvDimension viewDimension = SrvDimension::Texture2D;
        uint32_t mostDetailedMip = 0;
        uint32_t mipLevels = AllMipLevels;
        uint32_t firstArraySlice = 0;  // arrays; for cube arrays the first 2D face
        uint32_t arraySize = 1;        // arrays: slices; cube arrays: number of cubes
    };

    struct RenderTargetViewDesc
    {
        Format format = Format::UNKNOWN;
        RtvDimension viewDimension = RtvDimension::Texture2D;
        uint32_t mipSlice = 0;
        uint32_t firstArraySlice = 0;  // Texture2DArray only; one slice is rendered
        uint32_t arraySize = 1;
    };

    struct DepthStencilViewDesc
    {
        Format format = Format::UNKNOWN;
        DsvDimension viewDimension = DsvDimension::Texture2D;
        uint32_t flags = 0;
        uint32_t mipSlice = 0;
        uint32_t firstArraySlice = 0;
        uint32_t arraySize = 1;
    };

    // ---- pipeline states ---------------------------------------------------------

    enum class Blend : uint32_t
    {
        Zero = 1,
        One = 2,
        SrcColor = 3,
        InvSrcColor = 4,
        SrcAlpha = 5,
        InvSrcAlpha = 6,
        DestAlpha = 7,
        InvDestAlpha = 8,
        DestColor = 9,
        InvDestColor = 10,
        SrcAlphaSat = 11,
        BlendFactor = 14,
        InvBlendFactor = 15,
    };

    enum class BlendOp : uint32_t
    {
        Add = 1,
        Subtract = 2,
        RevSubtract = 3,
        Min = 4,
        Max = 5,
    };

    namespace ColorWrite
    {
        enum : uint8_t
        {
            Red = 1,
            Green = 2,
            Blue = 4,
            Alpha = 8,
            All = 15,
        };
    }

    struct RenderTargetBlendDesc
    {
        bool blendEnable = false;
        Blend srcBlend = Blend::One;
        Blend destBlend = Blend::Zero;
        BlendOp blendOp = BlendOp::Add;
        Blend srcBlendAlpha = Blend::One;
        Blend destBlendAlpha = Blend::Zero;
        BlendOp blendOpAlpha = BlendOp::Add;
        uint8_t renderTargetWriteMask = ColorWrite::All;
    };

    struct BlendDesc
    {
        bool alphaToCoverageEnable = false;
        bool independentBlendEnable = false;  // only target 0 exists here; entry 0 is used
        RenderTargetBlendDesc renderTarget[8];
    };

    enum class ComparisonFunc : uint32_t
    {
        Never = 1,
        Less = 2,
        Equal = 3,
        LessEqual = 4,
        Greater = 5,
        NotEqual = 6,
        GreaterEqual = 7,
        Always = 8,
    };

    enum class DepthWriteMask : uint32_t
    {
        Zero = 0,
        All = 1,
    };

    enum class StencilOp : uint32_t
    {
        Keep = 1,
        Zero = 2,
        Replace = 3,
        IncrSat = 4,
        DecrSat = 5,
        Invert = 6,
        Incr = 7,
        Decr = 8,
    };

    struct DepthStencilOpDesc
    {
        StencilOp stencilFailOp = StencilOp::Keep;
        StencilOp stencilDepthFailOp = StencilOp::Keep;
        StencilOp stencilPassOp = StencilOp::Keep;
        ComparisonFunc stencilFunc = ComparisonFunc::Always;
    };

    struct DepthStencilDesc
    {
        bool depthEnable = true;
        DepthWriteMask depthWriteMask = DepthWriteMask::All;
        ComparisonFunc depthFunc = ComparisonFunc::Less;
        bool stencilEnable = false;
        uint8_t stencilReadMask = 0xFF;
        uint8_t stencilWriteMask = 0xFF;
        DepthStencilOpDesc frontFace;
        DepthStencilOpDesc backFace;
    };

    enum class FillMode : uint32_t
    {
        Wireframe = 2,
        Solid = 3,
    };

    enum class CullMode : uint32_t
    {
        None = 1,
        Front = 2,
        Back = 3,
    };

    // Front faces are clockwise on screen (y down) unless frontCounterClockwise is set,
    // as in D3D.
    struct RasterizerDesc
    {
        FillMode fillMode = FillMode::Solid;
        CullMode cullMode = CullMode::Back;
        bool frontCounterClockwise = false;
        int32_t depthBias = 0;
        float depthBiasClamp = 0.0f;
        float slopeScaledDepthBias = 0.0f;
        bool depthClipEnable = true;
        bool scissorEnable = false;
        bool multisampleEnable = false;       // single-sampled targets only: no effect
        bool antialiasedLineEnable = false;   // no effect
    };

    // D3D filter encoding: bit 0 mip linear, bit 2 mag linear, bit 4 min linear,
    // 0x55 anisotropic, +0x80 comparison.
    enum class Filter : uint32_t
    {
        MinMagMipPoint = 0x00,
        MinMagPointMipLinear = 0x01,
        MinPointMagLinearMipPoint = 0x04,
        MinPointMagMipLinear = 0x05,
        MinLinearMagMipPoint = 0x10,
        MinLinearMagPointMipLinear = 0x11,
        MinMagLinearMipPoint = 0x14,
        MinMagMipLinear = 0x15,
        Anisotropic = 0x55,
        ComparisonMinMagMipPoint = 0x80,
        ComparisonMinMagLinearMipPoint = 0x94,
        ComparisonMinMagMipLinear = 0x95,
        ComparisonAnisotropic = 0xD5,
    };

    enum class TextureAddressMode : uint32_t
    {
        Wrap = 1,
        Mirror = 2,
        Clamp = 3,
        Border = 4,
        MirrorOnce = 5,
    };

    struct SamplerDesc
    {
        Filter filter = Filter::MinMagMipLinear;
        TextureAddressMode addressU = TextureAddressMode::Clamp;
        TextureAddressMode addressV = TextureAddressMode::Clamp;
        TextureAddressMode addressW = TextureAddressMode::Clamp;
        float mipLODBias = 0.0f;
        uint32_t maxAnisotropy = 1;           // 1..16
        ComparisonFunc comparisonFunc = ComparisonFunc::Never;
        float borderColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
        float minLOD = -FLT_MAX;
        float maxLOD = FLT_MAX;
    };

    // ---- input assembly ----------------------------------------------------------

    enum class PrimitiveTopology : uint32_t
    {
        Undefined = 0,
        PointList = 1,
        LineList = 2,
        LineStrip = 3,
        TriangleList = 4,
        TriangleStrip = 5,
    };

    enum class InputClassification : uint32_t
    {
        PerVertexData = 0,
        PerInstanceData = 1,
    };

    // alignedByteOffset value: directly after the previous element of the same slot.
    constexpr uint32_t AppendAlignedElement = 0xFFFFFFFFu;

    struct InputElementDesc
    {
        const char* semanticName = nullptr;   // "POSITION", "TEXCOORD", ...
        uint32_t semanticIndex = 0;
        Format format = Format::UNKNOWN;
        uint32_t inputSlot = 0;               // 0..15
        uint32_t alignedByteOffset = AppendAlignedElement;
        InputClassification inputSlotClass = InputClassification::PerVertexData;
        uint32_t instanceDataStepRate = 0;    // per-instance elements: instances per element
    };

    // ---- output ------------------------------------------------------------------

    // Top-left origin; depth 0..1 as in D3D.
    struct Viewport
    {
        float topLeftX = 0.0f;
        float topLeftY = 0.0f;
        float width = 0.0f;
        float height = 0.0f;
        float minDepth = 0.0f;
        float maxDepth = 1.0f;
    };

    struct Rect
    {
        int32_t left = 0;
        int32_t top = 0;
        int32_t right = 0;
        int32_t bottom = 0;
    };

    // ---- swap chain --------------------------------------------------------------

    struct Rational
    {
        uint32_t numerator = 0;
        uint32_t denominator = 0;
    };

    enum class SwapEffect : uint32_t
    {
        Discard = 0,
        Sequential = 1,
        FlipSequential = 3,
        FlipDiscard = 4,
    };

    namespace BufferUsage
    {
        enum : uint32_t
        {
            ShaderInput = 0x10,
            RenderTargetOutput = 0x20,
        };
    }

    struct SwapChainDesc
    {
        uint32_t width = 0;                   // 0: the window's drawable size
        uint32_t height = 0;
        Rational refreshRate;                 // ignored: the display drives presentation
        Format format = Format::B8G8R8A8_UNORM; // B8G8R8A8_UNORM(_SRGB) or R8G8B8A8_UNORM(_SRGB)
        SampleDesc sampleDesc;                // count 1 only
        uint32_t bufferUsage = BufferUsage::RenderTargetOutput;
        uint32_t bufferCount = 1;
        SDL_Window* outputWindow = nullptr;   // created with SDL_WINDOW_OPENGL (see WindowSetup.h)
        bool windowed = true;
        SwapEffect swapEffect = SwapEffect::Discard;
        uint32_t flags = 0;
    };
}
