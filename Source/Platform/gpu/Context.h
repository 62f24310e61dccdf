#pragma once
// The immediate context: binds state D3D style and issues draws. Bindings are recorded
// and applied to GL just before each draw (only what changed). The context keeps every
// bound object alive until it is unbound.
//
// Conventions (D3D everywhere above this layer):
//   - clip-space depth runs 0..1 and row 0 of every texture and render target is the top
//     row (glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE));
//   - front faces are clockwise on screen unless the rasterizer state says otherwise;
//   - registers: see Shaders.h. Sampler register sN of a stage is bound to every texture
//     unit of that stage whose texture samples with sN (s0 unless the GLSL names it);
//   - a render-target view in an sRGB format renders with GL_FRAMEBUFFER_SRGB on
//     (linear shader output is encoded), a plain view with it off.
#include "Platform/gpu/DeviceChild.h"
#include "Platform/gpu/Resources.h"
#include "Platform/gpu/Shaders.h"
#include "Platform/gpu/States.h"
#include "Platform/gpu/Trace.h"
#include "Platform/gpu/Types.h"

#include <memory>
#include <vector>

namespace Plat::Gpu
{
    namespace impl
    {
        struct ContextState;
    }

    class DeviceContext
    {
    public:
        static constexpr uint32_t MaxVertexBuffers = 16;
        static constexpr uint32_t MaxConstantBuffers = 14;   // b0..b13 per stage
        static constexpr uint32_t MaxShaderResources = 16;   // t0..t15 per stage
        static constexpr uint32_t MaxSamplers = 16;          // s0..s15 per stage

        DeviceContext(CreationKey, std::shared_ptr<impl::DeviceState> aState);
        ~DeviceContext();
        DeviceContext(const DeviceContext&) = delete;
        DeviceContext& operator=(const DeviceContext&) = delete;

        // ---- input assembly ----
        void IASetInputLayout(InputLayout* aLayout);
        void IASetVertexBuffers(uint32_t aStartSlot, uint32_t aCount, Buffer* const* someBuffers,
                                const uint32_t* someStrides, const uint32_t* someOffsets);
        // aFormat: R16_UINT or R32_UINT.
        void IASetIndexBuffer(Buffer* aBuffer, Format aFormat, uint32_t anOffset);
        void IASetPrimitiveTopology(PrimitiveTopology aTopology);

        // ---- shader stages ----
        void VSSetShader(VertexShader* aShader);
        void PSSetShader(PixelShader* aShader);
        void VSSetConstantBuffers(uint32_t aStartSlot, uint32_t aCount, Buffer* const* someBuffers);
        void PSSetConstantBuffers(uint32_t aStartSlot, uint32_t aCount, Buffer* const* someBuffers);
        void VSSetShaderResources(uint32_t aStartSlot, uint32_t aCount, ShaderResourceView* const* someViews);
        void PSSetShaderResources(uint32_t aStartSlot, uint32_t aCount, ShaderResourceView* const* someViews);
        void VSSetSamplers(uint32_t aStartSlot, uint32_t aCount, SamplerState* const* someSamplers);
        void PSSetSamplers(uint32_t aStartSlot, uint32_t aCount, SamplerState* const* someSamplers);

        // ---- output merger and rasterizer ----
        // At most one render target; aCount 0 or a null view binds none.
        void OMSetRenderTargets(uint32_t aCount, RenderTargetView* const* someViews, DepthStencilView* aDepthView);
        // Null state: the default blend state. A null factor means (1, 1, 1, 1).
        void OMSetBlendState(BlendState* aState, const float aBlendFactor[4], uint32_t aSampleMask);
        void OMSetDepthStencilState(DepthStencilState* aState, uint32_t aStencilRef);
        void RSSetState(RasterizerState* aState);   // null: solid, cull back, clockwise front
        void RSSetViewports(uint32_t aCount, const Viewport* someViewports);   // viewport 0 is used
        void RSSetScissorRects(uint32_t aCount, const Rect* someRects);

        // ---- resource access ----
        // Dynamic resources: MapType::WriteDiscard (or WriteNoOverwrite for buffers) gives
        // memory to fill, uploaded at Unmap. Staging resources: MapType::Read.
        // Textures: rows top first, rowPitch = RowPitch(format, mip width).
        bool Map(Resource* aResource, uint32_t aSubresource, MapType aType, uint32_t someFlags, MappedSubresource* aMapped);
        void Unmap(Resource* aResource, uint32_t aSubresource);
        // Default-usage resources only. aBox null: the whole subresource. aRowPitch: bytes
        // per source row (per row of blocks for block formats), rows top first.
        void UpdateSubresource(Resource* aResource, uint32_t aSubresource, const Box* aBox, const void* someData,
                               uint32_t aRowPitch, uint32_t aDepthPitch);
        void CopyResource(Resource* aDestination, Resource* aSource);
        // The view's texture needs ResourceMisc::GenerateMips.
        void GenerateMips(ShaderResourceView* aView);

        // ---- draws ----
        void Draw(uint32_t aVertexCount, uint32_t aStartVertex);
        void DrawIndexed(uint32_t anIndexCount, uint32_t aStartIndex, int32_t aBaseVertex);
        void DrawInstanced(uint32_t aVertexCountPerInstance, uint32_t anInstanceCount, uint32_t aStartVertex,
                           uint32_t aStartInstance);
        void DrawIndexedInstanced(uint32_t anIndexCountPerInstance, uint32_t anInstanceCount, uint32_t aStartIndex,
                                  int32_t aBaseVertex, uint32_t aStartInstance);

        // ---- clears ----
        // aColor is written as given to a plain view and encoded to sRGB for an sRGB view.
        void ClearRenderTargetView(RenderTargetView* aView, const float aColor[4]);
        void ClearDepthStencilView(DepthStencilView* aView, uint32_t someClearFlags, float aDepth, uint8_t aStencil);

        // Unbinds everything and returns every state to its default.
        void ClearState();
        void Flush();

        // ---- readback (tests, screenshots) ----
        // One subresource's bytes in its format's layout (B, G, R, A for B8G8R8A8), rows top
        // first and packed: RowPitch(format, mip width) bytes per row. Works on any texture,
        // the swap chain's back buffer included. False for an invalid subresource.
        bool ReadSubresource(Texture2D* aTexture, uint32_t aSubresource, std::vector<uint8_t>& someBytes);

        // ---- call trace ----
        void SetTraceEnabled(bool anEnabled);
        bool IsTraceEnabled() const;
        const std::vector<TraceCall>& GetTrace() const;
        void ClearTrace();

    private:
        friend class SwapChain;
        // Forgets which GL state is applied, so the next draw applies everything again.
        void InvalidateAppliedState();
        // Adds a call made elsewhere (Present) to the trace when tracing is on.
        void AddToTrace(TraceCall aCall);

        std::shared_ptr<impl::DeviceState> myState;
        std::unique_ptr<impl::ContextState> myContextState;
    };
}
