#pragma once
// Private to the gpu layer: the GL context a device owns, the format table and the
// translation of D3D enums to GL. Nothing outside Source/Platform/gpu includes this.
#include "Platform/gpu/Adapter.h"
#include "Platform/gpu/Shaders.h"
#include "Platform/gpu/Types.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <atomic>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace Plat::Gpu
{
    class DeviceContext;

    namespace impl
    {
        // What one device owns: the GL context of its window and facts about the driver.
        struct DeviceState
        {
            ~DeviceState();
            bool MakeCurrent() const;

            SDL_Window* window = nullptr;
            SDL_GLContext glContext = nullptr;
            // A second context sharing the first one's objects, on a hidden window of its
            // own, for one other thread at a time (see LoadingScope).
            SDL_Window* loadingWindow = nullptr;
            SDL_GLContext loadingContext = nullptr;
            std::mutex loadingMutex;
            AdapterDesc adapter;
            bool hasS3tc = false;
            bool hasRgtc = false;
            bool hasBptc = false;
            bool hasAnisotropic = false;
            DeviceContext* context = nullptr;   // the immediate context (not owned)
            // Set when a buffer, texture or sampler is deleted: GL unbinds it and may reuse
            // its name, so the context's record of bound names is no longer true.
            // (A resource may be deleted on a loading thread.)
            std::atomic<bool> bindingsStale{false};
            // Vertex inputs of each vertex shader source, for input layouts.
            std::unordered_map<std::string, std::vector<VertexInput>> vertexInputs;
        };

        // Drops errors left by earlier calls, so the next glGetError speaks of the next call.
        void ClearGlErrors();

        // Prints "gpu: <call>: <rule>" to stderr and returns false.
        bool Fail(const char* aCall, const std::string& aRule);

        enum class FormatKind : uint8_t
        {
            Color,
            Depth,
            DepthStencil,
        };

        struct GlFormat
        {
            Format format = Format::UNKNOWN;
            const char* name = "UNKNOWN";
            uint16_t family = 0;           // formats of one family may view each other
            uint16_t bitsPerPixel = 0;     // block formats: bytes per block * 8 / 16
            uint16_t blockBytes = 0;       // 8 or 16 for block formats
            GLenum internalFormat = 0;     // storage / view format
            GLenum uploadFormat = 0;       // pixel transfer format (0 for block formats)
            GLenum uploadType = 0;
            FormatKind kind = FormatKind::Color;
            bool srgb = false;
            bool typeless = false;
            bool integer = false;          // *_UINT / *_SINT
            bool normalized = false;       // *_UNORM / *_SNORM
            GLint swizzle[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
            bool swapDepthStencil = false; // D24S8: D3D keeps depth in the low 24 bits, GL in the high
        };

        // Null for formats this layer does not know.
        const GlFormat* FindGlFormat(Format aFormat);
        // The GL storage format of a texture, given how it is bound (a typeless depth
        // family is stored as depth when bound as depth-stencil).
        GLenum StorageFormat(const GlFormat& aFormat, uint32_t someBindFlags);
        // The format whose transfer type moves a texture's data: the depth member for a
        // typeless family stored as depth, else the texture's own.
        const GlFormat& TransferFormat(const GlFormat& aFormat, uint32_t someBindFlags);
        // Vertex attribute layout of a format: components (or GL_BGRA), type, normalized.
        bool VertexAttribFormat(Format aFormat, GLint& aSize, GLenum& aType, bool& aNormalized, bool& anInteger);
        bool HasSwizzle(const GlFormat& aFormat);

        // Whether an enum holds one of its defined values (GL_ZERO is 0, so ToGl cannot tell).
        bool IsValid(Blend aBlend);
        bool IsValid(BlendOp anOp);
        bool IsValid(ComparisonFunc aFunc);
        bool IsValid(StencilOp anOp);
        bool IsValid(TextureAddressMode aMode);

        GLenum ToGl(Blend aBlend);
        GLenum ToGl(BlendOp anOp);
        GLenum ToGl(ComparisonFunc aFunc);
        GLenum ToGl(StencilOp anOp);
        GLenum ToGl(TextureAddressMode aMode);
        GLenum ToGl(PrimitiveTopology aTopology);
        // Min filter (with its mip part) and mag filter of a D3D filter code.
        void FilterToGl(Filter aFilter, GLenum& aMin, GLenum& aMag, bool& anAnisotropic, bool& aComparison);

        uint32_t MipCount(uint32_t aWidth, uint32_t aHeight);
    }
}

namespace Plat::Gpu::impl
{
    // GL binding points per stage: D3D register N of a stage is GL binding base + N, so the
    // two stages' registers never share a GL slot.
    constexpr GLuint PixelStageBindingBase = 0;
    constexpr GLuint VertexStageBindingBase = 16;
    constexpr uint32_t RegistersPerStage = 16;

    // Compiles GLSL into a separable program of one stage and maps its registers to the
    // stage's GL bindings. Returns 0 (after printing why) on failure.
    GLuint CreateStageProgram(const char* aCall, GLenum aStage, const void* aBytecode, size_t aLength,
                              std::vector<TextureUse>& someTextures, std::vector<VertexInput>* someInputs);
    // Uploads one subresource region; rows top first, aRowPitch bytes apart.
    void UploadRegion(GLuint aTexture, GLenum aTarget, const GlFormat& aFormat, uint32_t aMip, uint32_t aLayer,
                      uint32_t anX, uint32_t aY, uint32_t aWidth, uint32_t aHeight, const void* someData, uint32_t aRowPitch);
    // Reads one whole subresource packed (RowPitch bytes per row), converted to D3D layout.
    void ReadRegion(GLuint aTexture, GLenum aTarget, const GlFormat& aFormat, uint32_t aMip, uint32_t aLayer,
                    uint32_t aWidth, uint32_t aHeight, std::vector<uint8_t>& someBytes);
}
