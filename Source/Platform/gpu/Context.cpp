// The immediate context. D3D-side bindings are recorded as they arrive; before each draw
// PrepareDraw brings GL up to date, issuing only the GL calls for what changed.
#include "Platform/gpu/Context.h"
#include "Platform/gpu/GlBackend.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

namespace Plat::Gpu
{
    using impl::Fail;

    namespace impl
    {
        // The upper-left clip origin flips y and GL flips facing with it, so winding keeps
        // its on-screen meaning: D3D's clockwise front face is GL_CW.
        constexpr GLenum ClockwiseFrontFace = GL_CW;
        constexpr GLenum CounterClockwiseFrontFace = GL_CCW;
        constexpr uint32_t GlUnits = 2 * RegistersPerStage;

        struct StageBindings
        {
            std::shared_ptr<Buffer> constantBuffers[DeviceContext::MaxConstantBuffers];
            std::shared_ptr<ShaderResourceView> views[DeviceContext::MaxShaderResources];
            std::shared_ptr<SamplerState> samplers[DeviceContext::MaxSamplers];
        };

        struct ContextState
        {
            // What the caller bound, D3D side.
            std::shared_ptr<InputLayout> layout;
            std::shared_ptr<Buffer> vertexBuffers[DeviceContext::MaxVertexBuffers];
            uint32_t strides[DeviceContext::MaxVertexBuffers] = {};
            uint32_t offsets[DeviceContext::MaxVertexBuffers] = {};
            std::shared_ptr<Buffer> indexBuffer;
            Format indexFormat = Format::UNKNOWN;
            uint32_t indexOffset = 0;
            PrimitiveTopology topology = PrimitiveTopology::Undefined;
            std::shared_ptr<VertexShader> vertexShader;
            std::shared_ptr<PixelShader> pixelShader;
            StageBindings vertexStage;
            StageBindings pixelStage;
            std::shared_ptr<RenderTargetView> renderTarget;
            std::shared_ptr<DepthStencilView> depthStencil;
            std::shared_ptr<BlendState> blendState;
            float blendFactor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
            std::shared_ptr<DepthStencilState> depthStencilState;
            uint32_t stencilRef = 0;
            std::shared_ptr<RasterizerState> rasterizerState;
            Viewport viewport;
            bool hasViewport = false;
            Rect scissor;

            // GL objects of the context.
            GLuint pipeline = 0;
            GLuint drawFramebuffer = 0;
            GLuint clearFramebuffer = 0;
            GLuint emptyVertexArray = 0;

            // What GL holds now.
            bool framebufferDirty = true;
            bool programsDirty = true;
            bool vertexInputDirty = true;
            bool blendDirty = true;
            bool depthDirty = true;
            bool rasterizerDirty = true;
            bool viewportDirty = true;
            // Names bound per GL unit; Unknown when GL may hold something else.
            static constexpr GLuint Unknown = 0xFFFFFFFFu;
            GLuint appliedUniformBuffer[GlUnits] = {};
            GLuint appliedTexture[GlUnits] = {};
            GLenum appliedTextureTarget[GlUnits] = {};
            GLuint appliedSampler[GlUnits] = {};
            bool appliedValid = false;

            void ForgetBoundNames()
            {
                std::fill(std::begin(appliedUniformBuffer), std::end(appliedUniformBuffer), Unknown);
                std::fill(std::begin(appliedTexture), std::end(appliedTexture), Unknown);
                std::fill(std::begin(appliedTextureTarget), std::end(appliedTextureTarget), Unknown);
                std::fill(std::begin(appliedSampler), std::end(appliedSampler), Unknown);
            }

            bool tracing = false;
            std::vector<TraceCall> trace;

            // GL work before a draw; these read the objects' GL names.
            static bool ApplyFramebuffer(ContextState& s);
            static void ApplyBlend(ContextState& s);
            static void ApplyDepthStencil(ContextState& s);
            static void ApplyRasterizer(ContextState& s);
            static void ApplyVertexInput(ContextState& s);
            static void ApplyStageResources(ContextState& s, const StageBindings& aStage, GLuint aBase,
                                            const std::vector<TextureUse>* someTextures);
            static bool PrepareDraw(DeviceState& aDevice, ContextState& s, const char* aCall);
            static void DrawIndexed(DeviceState& aDevice, ContextState& s, const char* aCall, uint32_t anIndexCount,
                                    uint32_t anInstanceCount, uint32_t aStartIndex, int32_t aBaseVertex, uint32_t aStartInstance);
        };

        void AttachColor(GLuint aFramebuffer, GLuint aTexture, int32_t aLevel, int32_t aLayer);
        void AttachDepthStencil(GLuint aFramebuffer, GLuint aTexture, int32_t aLevel, int32_t aLayer, bool aHasStencil);

        namespace
        {
            template <typename T>
            std::shared_ptr<T> Keep(T* anObject)
            {
                if (anObject == nullptr)
                {
                    return nullptr;
                }
                return std::static_pointer_cast<T>(anObject->shared_from_this());
            }

            void Record(ContextState& aState, const char* aName, std::initializer_list<const void*> someObjects,
                        std::initializer_list<int64_t> someValues)
            {
                if (aState.tracing)
                {
                    aState.trace.push_back({aName, someObjects, someValues});
                }
            }

            template <typename T>
            void RecordSlots(ContextState& aState, const char* aName, uint32_t aStart, uint32_t aCount, T* const* someObjects)
            {
                if (!aState.tracing)
                {
                    return;
                }
                TraceCall call{aName, {}, {aStart, aCount}};
                for (uint32_t i = 0; i < aCount; ++i)
                {
                    call.objects.push_back(someObjects ? someObjects[i] : nullptr);
                }
                aState.trace.push_back(std::move(call));
            }

            uint32_t SubresourceCount(const Texture2DDesc& aDesc) { return aDesc.mipLevels * aDesc.arraySize; }
        }
    }

    using impl::Keep;
    using impl::Record;
    using impl::RecordSlots;

    DeviceContext::DeviceContext(CreationKey, std::shared_ptr<impl::DeviceState> aState)
        : myState(std::move(aState))
        , myContextState(std::make_unique<impl::ContextState>())
    {
        impl::ContextState& s = *myContextState;
        glCreateProgramPipelines(1, &s.pipeline);
        glBindProgramPipeline(s.pipeline);
        glCreateFramebuffers(1, &s.drawFramebuffer);
        glCreateFramebuffers(1, &s.clearFramebuffer);
        glCreateVertexArrays(1, &s.emptyVertexArray);
        s.ForgetBoundNames();
    }

    DeviceContext::~DeviceContext()
    {
        impl::ContextState& s = *myContextState;
        if (myState->MakeCurrent())
        {
            glDeleteProgramPipelines(1, &s.pipeline);
            glDeleteFramebuffers(1, &s.drawFramebuffer);
            glDeleteFramebuffers(1, &s.clearFramebuffer);
            glDeleteVertexArrays(1, &s.emptyVertexArray);
        }
        if (myState->context == this)
        {
            myState->context = nullptr;
        }
    }

    void DeviceContext::InvalidateAppliedState()
    {
        impl::ContextState& s = *myContextState;
        s.framebufferDirty = s.programsDirty = s.vertexInputDirty = true;
        s.blendDirty = s.depthDirty = s.rasterizerDirty = s.viewportDirty = true;
        s.appliedValid = false;
        s.ForgetBoundNames();
    }

    // ---- input assembly ----------------------------------------------------------------

    void DeviceContext::IASetInputLayout(InputLayout* aLayout)
    {
        impl::ContextState& s = *myContextState;
        Record(s, "IASetInputLayout", {aLayout}, {});
        s.layout = Keep(aLayout);
        s.vertexInputDirty = true;
    }

    void DeviceContext::IASetVertexBuffers(uint32_t aStartSlot, uint32_t aCount, Buffer* const* someBuffers,
                                           const uint32_t* someStrides, const uint32_t* someOffsets)
    {
        impl::ContextState& s = *myContextState;
        RecordSlots(s, "IASetVertexBuffers", aStartSlot, aCount, someBuffers);
        if (aStartSlot >= MaxVertexBuffers || aCount > MaxVertexBuffers - aStartSlot)
        {
            Fail("IASetVertexBuffers", "slots must lie within 0..15");
            return;
        }
        for (uint32_t i = 0; i < aCount; ++i)
        {
            Buffer* buffer = someBuffers ? someBuffers[i] : nullptr;
            if (buffer != nullptr && (buffer->GetDesc().bindFlags & Bind::VertexBuffer) == 0)
            {
                Fail("IASetVertexBuffers", "a vertex buffer needs Bind::VertexBuffer; slot left empty");
                buffer = nullptr;
            }
            s.vertexBuffers[aStartSlot + i] = Keep(buffer);
            s.strides[aStartSlot + i] = someStrides ? someStrides[i] : 0;
            s.offsets[aStartSlot + i] = someOffsets ? someOffsets[i] : 0;
        }
        s.vertexInputDirty = true;
    }

    void DeviceContext::IASetIndexBuffer(Buffer* aBuffer, Format aFormat, uint32_t anOffset)
    {
        impl::ContextState& s = *myContextState;
        Record(s, "IASetIndexBuffer", {aBuffer}, {static_cast<int64_t>(aFormat), anOffset});
        if (aBuffer != nullptr && aFormat != Format::R16_UINT && aFormat != Format::R32_UINT)
        {
            Fail("IASetIndexBuffer", "the index format must be R16_UINT or R32_UINT");
            aBuffer = nullptr;
        }
        if (aBuffer != nullptr && (aBuffer->GetDesc().bindFlags & Bind::IndexBuffer) == 0)
        {
            Fail("IASetIndexBuffer", "an index buffer needs Bind::IndexBuffer");
            aBuffer = nullptr;
        }
        s.indexBuffer = Keep(aBuffer);
        s.indexFormat = aFormat;
        s.indexOffset = anOffset;
        s.vertexInputDirty = true;
    }

    void DeviceContext::IASetPrimitiveTopology(PrimitiveTopology aTopology)
    {
        impl::ContextState& s = *myContextState;
        Record(s, "IASetPrimitiveTopology", {}, {static_cast<int64_t>(aTopology)});
        s.topology = aTopology;
    }

    // ---- shader stages -----------------------------------------------------------------

    void DeviceContext::VSSetShader(VertexShader* aShader)
    {
        impl::ContextState& s = *myContextState;
        Record(s, "VSSetShader", {aShader}, {});
        s.vertexShader = Keep(aShader);
        s.programsDirty = true;
    }

    void DeviceContext::PSSetShader(PixelShader* aShader)
    {
        impl::ContextState& s = *myContextState;
        Record(s, "PSSetShader", {aShader}, {});
        s.pixelShader = Keep(aShader);
        s.programsDirty = true;
    }

    namespace
    {
        void SetConstantBuffers(const char* aCall, impl::StageBindings& aStage, uint32_t aStart, uint32_t aCount,
                                Buffer* const* someBuffers)
        {
            if (aStart >= DeviceContext::MaxConstantBuffers || aCount > DeviceContext::MaxConstantBuffers - aStart)
            {
                Fail(aCall, "constant-buffer slots must lie within 0..13");
                return;
            }
            for (uint32_t i = 0; i < aCount; ++i)
            {
                Buffer* buffer = someBuffers ? someBuffers[i] : nullptr;
                if (buffer != nullptr && (buffer->GetDesc().bindFlags & Bind::ConstantBuffer) == 0)
                {
                    Fail(aCall, "a constant buffer needs Bind::ConstantBuffer; slot left empty");
                    buffer = nullptr;
                }
                aStage.constantBuffers[aStart + i] = Keep(buffer);
            }
        }

        void SetShaderResources(const char* aCall, impl::StageBindings& aStage, uint32_t aStart, uint32_t aCount,
                                ShaderResourceView* const* someViews)
        {
            if (aStart >= DeviceContext::MaxShaderResources || aCount > DeviceContext::MaxShaderResources - aStart)
            {
                Fail(aCall, "shader-resource slots must lie within 0..15");
                return;
            }
            for (uint32_t i = 0; i < aCount; ++i)
            {
                aStage.views[aStart + i] = Keep(someViews ? someViews[i] : nullptr);
            }
        }

        void SetSamplers(const char* aCall, impl::StageBindings& aStage, uint32_t aStart, uint32_t aCount,
                         SamplerState* const* someSamplers)
        {
            if (aStart >= DeviceContext::MaxSamplers || aCount > DeviceContext::MaxSamplers - aStart)
            {
                Fail(aCall, "sampler slots must lie within 0..15");
                return;
            }
            for (uint32_t i = 0; i < aCount; ++i)
            {
                aStage.samplers[aStart + i] = Keep(someSamplers ? someSamplers[i] : nullptr);
            }
        }
    }

    void DeviceContext::VSSetConstantBuffers(uint32_t aStartSlot, uint32_t aCount, Buffer* const* someBuffers)
    {
        RecordSlots(*myContextState, "VSSetConstantBuffers", aStartSlot, aCount, someBuffers);
        SetConstantBuffers("VSSetConstantBuffers", myContextState->vertexStage, aStartSlot, aCount, someBuffers);
    }

    void DeviceContext::PSSetConstantBuffers(uint32_t aStartSlot, uint32_t aCount, Buffer* const* someBuffers)
    {
        RecordSlots(*myContextState, "PSSetConstantBuffers", aStartSlot, aCount, someBuffers);
        SetConstantBuffers("PSSetConstantBuffers", myContextState->pixelStage, aStartSlot, aCount, someBuffers);
    }

    void DeviceContext::VSSetShaderResources(uint32_t aStartSlot, uint32_t aCount, ShaderResourceView* const* someViews)
    {
        RecordSlots(*myContextState, "VSSetShaderResources", aStartSlot, aCount, someViews);
        SetShaderResources("VSSetShaderResources", myContextState->vertexStage, aStartSlot, aCount, someViews);
    }

    void DeviceContext::PSSetShaderResources(uint32_t aStartSlot, uint32_t aCount, ShaderResourceView* const* someViews)
    {
        RecordSlots(*myContextState, "PSSetShaderResources", aStartSlot, aCount, someViews);
        SetShaderResources("PSSetShaderResources", myContextState->pixelStage, aStartSlot, aCount, someViews);
    }

    void DeviceContext::VSSetSamplers(uint32_t aStartSlot, uint32_t aCount, SamplerState* const* someSamplers)
    {
        RecordSlots(*myContextState, "VSSetSamplers", aStartSlot, aCount, someSamplers);
        SetSamplers("VSSetSamplers", myContextState->vertexStage, aStartSlot, aCount, someSamplers);
    }

    void DeviceContext::PSSetSamplers(uint32_t aStartSlot, uint32_t aCount, SamplerState* const* someSamplers)
    {
        RecordSlots(*myContextState, "PSSetSamplers", aStartSlot, aCount, someSamplers);
        SetSamplers("PSSetSamplers", myContextState->pixelStage, aStartSlot, aCount, someSamplers);
    }

    // ---- output merger and rasterizer ------------------------------------------------

    void DeviceContext::OMSetRenderTargets(uint32_t aCount, RenderTargetView* const* someViews, DepthStencilView* aDepthView)
    {
        impl::ContextState& s = *myContextState;
        RenderTargetView* view = (aCount > 0 && someViews != nullptr) ? someViews[0] : nullptr;
        Record(s, "OMSetRenderTargets", {view, aDepthView}, {aCount});
        if (aCount > 1)
        {
            Fail("OMSetRenderTargets", "one render target at most; the others are ignored");
        }
        s.renderTarget = Keep(view);
        s.depthStencil = Keep(aDepthView);
        s.framebufferDirty = true;
    }

    void DeviceContext::OMSetBlendState(BlendState* aState, const float aBlendFactor[4], uint32_t aSampleMask)
    {
        impl::ContextState& s = *myContextState;
        Record(s, "OMSetBlendState", {aState}, {aSampleMask});
        s.blendState = Keep(aState);
        for (int i = 0; i < 4; ++i)
        {
            s.blendFactor[i] = aBlendFactor ? aBlendFactor[i] : 1.0f;
        }
        s.blendDirty = true;
    }

    void DeviceContext::OMSetDepthStencilState(DepthStencilState* aState, uint32_t aStencilRef)
    {
        impl::ContextState& s = *myContextState;
        Record(s, "OMSetDepthStencilState", {aState}, {aStencilRef});
        s.depthStencilState = Keep(aState);
        s.stencilRef = aStencilRef;
        s.depthDirty = true;
    }

    void DeviceContext::RSSetState(RasterizerState* aState)
    {
        impl::ContextState& s = *myContextState;
        Record(s, "RSSetState", {aState}, {});
        s.rasterizerState = Keep(aState);
        s.rasterizerDirty = true;
    }

    void DeviceContext::RSSetViewports(uint32_t aCount, const Viewport* someViewports)
    {
        impl::ContextState& s = *myContextState;
        if (s.tracing)
        {
            TraceCall call{"RSSetViewports", {}, {aCount}};
            if (aCount > 0 && someViewports != nullptr)
            {
                const Viewport& v = someViewports[0];
                call.values.insert(call.values.end(), {static_cast<int64_t>(v.topLeftX), static_cast<int64_t>(v.topLeftY),
                                                       static_cast<int64_t>(v.width), static_cast<int64_t>(v.height)});
            }
            s.trace.push_back(std::move(call));
        }
        s.hasViewport = aCount > 0 && someViewports != nullptr;
        if (s.hasViewport)
        {
            s.viewport = someViewports[0];
        }
        s.viewportDirty = true;
    }

    void DeviceContext::RSSetScissorRects(uint32_t aCount, const Rect* someRects)
    {
        impl::ContextState& s = *myContextState;
        Record(s, "RSSetScissorRects", {}, {aCount});
        s.scissor = (aCount > 0 && someRects != nullptr) ? someRects[0] : Rect{};
        s.rasterizerDirty = true;
    }

    // ---- applying state ------------------------------------------------------------------

    namespace impl
    {
        void AttachColor(GLuint aFramebuffer, GLuint aTexture, int32_t aLevel, int32_t aLayer)
        {
            if (aTexture == 0)
            {
                glNamedFramebufferTexture(aFramebuffer, GL_COLOR_ATTACHMENT0, 0, 0);
            }
            else if (aLayer >= 0)
            {
                glNamedFramebufferTextureLayer(aFramebuffer, GL_COLOR_ATTACHMENT0, aTexture, aLevel, aLayer);
            }
            else
            {
                glNamedFramebufferTexture(aFramebuffer, GL_COLOR_ATTACHMENT0, aTexture, aLevel);
            }
        }

        void AttachDepthStencil(GLuint aFramebuffer, GLuint aTexture, int32_t aLevel, int32_t aLayer, bool aHasStencil)
        {
            glNamedFramebufferTexture(aFramebuffer, GL_DEPTH_STENCIL_ATTACHMENT, 0, 0);
            if (aTexture == 0)
            {
                return;
            }
            const GLenum attachment = aHasStencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
            if (aLayer >= 0)
            {
                glNamedFramebufferTextureLayer(aFramebuffer, attachment, aTexture, aLevel, aLayer);
            }
            else
            {
                glNamedFramebufferTexture(aFramebuffer, attachment, aTexture, aLevel);
            }
        }
    }

        bool impl::ContextState::ApplyFramebuffer(impl::ContextState& s)
        {
            RenderTargetView* color = s.renderTarget.get();
            DepthStencilView* depth = s.depthStencil.get();
            impl::AttachColor(s.drawFramebuffer, color ? color->myGlName : 0, color ? color->myGlLevel : 0,
                              color ? color->myGlLayer : -1);
            impl::AttachDepthStencil(s.drawFramebuffer, depth ? depth->myGlName : 0, depth ? depth->myGlLevel : 0,
                                     depth ? depth->myGlLayer : -1, depth && depth->myHasStencil);
            glNamedFramebufferDrawBuffer(s.drawFramebuffer, color ? GL_COLOR_ATTACHMENT0 : GL_NONE);
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, s.drawFramebuffer);
            if (color && IsSrgb(color->GetDesc().format))
            {
                glEnable(GL_FRAMEBUFFER_SRGB);
            }
            else
            {
                glDisable(GL_FRAMEBUFFER_SRGB);
            }
            const GLenum status = glCheckNamedFramebufferStatus(s.drawFramebuffer, GL_DRAW_FRAMEBUFFER);
            if (status != GL_FRAMEBUFFER_COMPLETE)
            {
                Fail("Draw", "the bound render target and depth view do not make a complete framebuffer");
                return false;
            }
            return true;
        }

        void impl::ContextState::ApplyBlend(impl::ContextState& s)
        {
            static const BlendDesc defaults{};
            const BlendDesc& desc = s.blendState ? s.blendState->GetDesc() : defaults;
            const RenderTargetBlendDesc& rt = desc.renderTarget[0];
            if (rt.blendEnable)
            {
                glEnablei(GL_BLEND, 0);
                glBlendFuncSeparatei(0, impl::ToGl(rt.srcBlend), impl::ToGl(rt.destBlend), impl::ToGl(rt.srcBlendAlpha),
                                     impl::ToGl(rt.destBlendAlpha));
                glBlendEquationSeparatei(0, impl::ToGl(rt.blendOp), impl::ToGl(rt.blendOpAlpha));
            }
            else
            {
                glDisablei(GL_BLEND, 0);
            }
            const uint8_t mask = rt.renderTargetWriteMask;
            glColorMaski(0, (mask & ColorWrite::Red) != 0, (mask & ColorWrite::Green) != 0, (mask & ColorWrite::Blue) != 0,
                         (mask & ColorWrite::Alpha) != 0);
            glBlendColor(s.blendFactor[0], s.blendFactor[1], s.blendFactor[2], s.blendFactor[3]);
            if (desc.alphaToCoverageEnable)
            {
                glEnable(GL_SAMPLE_ALPHA_TO_COVERAGE);
            }
            else
            {
                glDisable(GL_SAMPLE_ALPHA_TO_COVERAGE);
            }
        }

        void impl::ContextState::ApplyDepthStencil(impl::ContextState& s)
        {
            static const DepthStencilDesc defaults{};
            const DepthStencilDesc& desc = s.depthStencilState ? s.depthStencilState->GetDesc() : defaults;
            if (desc.depthEnable)
            {
                glEnable(GL_DEPTH_TEST);
                glDepthFunc(impl::ToGl(desc.depthFunc));
                glDepthMask(desc.depthWriteMask == DepthWriteMask::All ? GL_TRUE : GL_FALSE);
            }
            else
            {
                glDisable(GL_DEPTH_TEST);
                glDepthMask(GL_FALSE);
            }
            if (desc.stencilEnable)
            {
                glEnable(GL_STENCIL_TEST);
                const GLint ref = static_cast<GLint>(s.stencilRef & 0xFF);
                glStencilFuncSeparate(GL_FRONT, impl::ToGl(desc.frontFace.stencilFunc), ref, desc.stencilReadMask);
                glStencilFuncSeparate(GL_BACK, impl::ToGl(desc.backFace.stencilFunc), ref, desc.stencilReadMask);
                glStencilOpSeparate(GL_FRONT, impl::ToGl(desc.frontFace.stencilFailOp), impl::ToGl(desc.frontFace.stencilDepthFailOp),
                                    impl::ToGl(desc.frontFace.stencilPassOp));
                glStencilOpSeparate(GL_BACK, impl::ToGl(desc.backFace.stencilFailOp), impl::ToGl(desc.backFace.stencilDepthFailOp),
                                    impl::ToGl(desc.backFace.stencilPassOp));
                glStencilMask(desc.stencilWriteMask);
            }
            else
            {
                glDisable(GL_STENCIL_TEST);
            }
        }

        void impl::ContextState::ApplyRasterizer(impl::ContextState& s)
        {
            static const RasterizerDesc defaults{};
            const RasterizerDesc& desc = s.rasterizerState ? s.rasterizerState->GetDesc() : defaults;
            glPolygonMode(GL_FRONT_AND_BACK, desc.fillMode == FillMode::Wireframe ? GL_LINE : GL_FILL);
            if (desc.cullMode == CullMode::None)
            {
                glDisable(GL_CULL_FACE);
            }
            else
            {
                glEnable(GL_CULL_FACE);
                glCullFace(desc.cullMode == CullMode::Front ? GL_FRONT : GL_BACK);
            }
            glFrontFace(desc.frontCounterClockwise ? impl::CounterClockwiseFrontFace : impl::ClockwiseFrontFace);
            if (desc.depthBias != 0 || desc.slopeScaledDepthBias != 0.0f)
            {
                glEnable(GL_POLYGON_OFFSET_FILL);
                glEnable(GL_POLYGON_OFFSET_LINE);
                glPolygonOffset(desc.slopeScaledDepthBias, static_cast<float>(desc.depthBias));
            }
            else
            {
                glDisable(GL_POLYGON_OFFSET_FILL);
                glDisable(GL_POLYGON_OFFSET_LINE);
            }
            if (desc.depthClipEnable)
            {
                glDisable(GL_DEPTH_CLAMP);
            }
            else
            {
                glEnable(GL_DEPTH_CLAMP);
            }
            if (desc.scissorEnable)
            {
                glEnable(GL_SCISSOR_TEST);
                glScissor(s.scissor.left, s.scissor.top, std::max(0, s.scissor.right - s.scissor.left),
                          std::max(0, s.scissor.bottom - s.scissor.top));
            }
            else
            {
                glDisable(GL_SCISSOR_TEST);
            }
        }

        void impl::ContextState::ApplyVertexInput(impl::ContextState& s)
        {
            const GLuint vao = s.layout ? s.layout->myGlVertexArray : s.emptyVertexArray;
            glBindVertexArray(vao);
            if (s.layout)
            {
                for (uint32_t slot = 0; slot < DeviceContext::MaxVertexBuffers; ++slot)
                {
                    if ((s.layout->myUsedSlotMask & (1u << slot)) == 0)
                    {
                        continue;
                    }
                    const Buffer* buffer = s.vertexBuffers[slot].get();
                    glVertexArrayVertexBuffer(vao, slot, buffer ? buffer->myGlName : 0, static_cast<GLintptr>(s.offsets[slot]),
                                              static_cast<GLsizei>(s.strides[slot]));
                }
            }
            glVertexArrayElementBuffer(vao, s.indexBuffer ? s.indexBuffer->myGlName : 0);
        }

        void impl::ContextState::ApplyStageResources(impl::ContextState& s, const impl::StageBindings& aStage, GLuint aBase,
                                 const std::vector<impl::TextureUse>* someTextures)
        {
            for (uint32_t slot = 0; slot < DeviceContext::MaxConstantBuffers; ++slot)
            {
                const GLuint name = aStage.constantBuffers[slot] ? aStage.constantBuffers[slot]->myGlName : 0;
                GLuint& applied = s.appliedUniformBuffer[aBase + slot];
                if (applied != name)
                {
                    glBindBufferBase(GL_UNIFORM_BUFFER, aBase + slot, name);
                    applied = name;
                }
            }
            if (someTextures == nullptr)
            {
                return;
            }
            for (const impl::TextureUse& use : *someTextures)
            {
                const uint32_t unit = aBase + use.textureRegister;
                const ShaderResourceView* view = aStage.views[use.textureRegister].get();
                const GLuint texture = view ? view->myGlName : 0;
                const GLenum target = view ? view->myGlTarget : 0;
                if (s.appliedTexture[unit] != texture || s.appliedTextureTarget[unit] != target)
                {
                    // Unbinding first clears every target of the unit, so a texture of
                    // another kind left there cannot be sampled by mistake.
                    if (s.appliedTexture[unit] != 0)
                    {
                        glBindTextureUnit(unit, 0);
                    }
                    if (texture != 0)
                    {
                        glBindTextureUnit(unit, texture);
                    }
                    s.appliedTexture[unit] = texture;
                    s.appliedTextureTarget[unit] = target;
                }
                const SamplerState* sampler = aStage.samplers[use.samplerRegister].get();
                const GLuint samplerName = sampler ? sampler->myGlName : 0;
                if (s.appliedSampler[unit] != samplerName)
                {
                    glBindSampler(unit, samplerName);
                    s.appliedSampler[unit] = samplerName;
                }
            }
        }

    // Brings GL up to date for a draw; false when the draw cannot happen.
    bool impl::ContextState::PrepareDraw(impl::DeviceState& aDevice, impl::ContextState& s, const char* aCall)
    {
        if (!aDevice.MakeCurrent())
        {
            return Fail(aCall, "the device's GL context cannot be made current");
        }
        if (!s.renderTarget && !s.depthStencil)
        {
            return false;   // as in D3D: nothing to draw into
        }
        if (s.topology == PrimitiveTopology::Undefined)
        {
            return Fail(aCall, "no primitive topology set (IASetPrimitiveTopology)");
        }
        if (!s.vertexShader)
        {
            return Fail(aCall, "no vertex shader set (VSSetShader)");
        }
        if (!s.hasViewport)
        {
            return Fail(aCall, "no viewport set (RSSetViewports)");
        }
        if (aDevice.bindingsStale)
        {
            s.ForgetBoundNames();
            aDevice.bindingsStale = false;
        }
        if (!s.appliedValid)
        {
            glBindProgramPipeline(s.pipeline);
        }
        if (s.framebufferDirty || !s.appliedValid)
        {
            if (!ApplyFramebuffer(s))
            {
                return false;
            }
            s.framebufferDirty = false;
        }
        if (s.programsDirty || !s.appliedValid)
        {
            glUseProgramStages(s.pipeline, GL_VERTEX_SHADER_BIT, s.vertexShader->myGlProgram);
            glUseProgramStages(s.pipeline, GL_FRAGMENT_SHADER_BIT, s.pixelShader ? s.pixelShader->myGlProgram : 0);
            s.programsDirty = false;
        }
        if (s.vertexInputDirty || !s.appliedValid)
        {
            ApplyVertexInput(s);
            s.vertexInputDirty = false;
        }
        if (s.blendDirty || !s.appliedValid)
        {
            ApplyBlend(s);
            s.blendDirty = false;
        }
        if (s.depthDirty || !s.appliedValid)
        {
            ApplyDepthStencil(s);
            s.depthDirty = false;
        }
        if (s.rasterizerDirty || !s.appliedValid)
        {
            ApplyRasterizer(s);
            s.rasterizerDirty = false;
        }
        if (s.viewportDirty || !s.appliedValid)
        {
            glViewportIndexedf(0, s.viewport.topLeftX, s.viewport.topLeftY, s.viewport.width, s.viewport.height);
            glDepthRangeIndexed(0, s.viewport.minDepth, s.viewport.maxDepth);
            s.viewportDirty = false;
        }
        ApplyStageResources(s, s.vertexStage, impl::VertexStageBindingBase, &s.vertexShader->myTextures);
        ApplyStageResources(s, s.pixelStage, impl::PixelStageBindingBase, s.pixelShader ? &s.pixelShader->myTextures : nullptr);
        s.appliedValid = true;
        return true;
    }

    // ---- draws -------------------------------------------------------------------------

    void DeviceContext::Draw(uint32_t aVertexCount, uint32_t aStartVertex)
    {
        impl::ContextState& s = *myContextState;
        Record(s, "Draw", {}, {aVertexCount, aStartVertex});
        if (impl::ContextState::PrepareDraw(*myState, s, "Draw"))
        {
            glDrawArraysInstancedBaseInstance(impl::ToGl(s.topology), static_cast<GLint>(aStartVertex),
                                              static_cast<GLsizei>(aVertexCount), 1, 0);
        }
    }

    void DeviceContext::DrawInstanced(uint32_t aVertexCountPerInstance, uint32_t anInstanceCount, uint32_t aStartVertex,
                                      uint32_t aStartInstance)
    {
        impl::ContextState& s = *myContextState;
        Record(s, "DrawInstanced", {}, {aVertexCountPerInstance, anInstanceCount, aStartVertex, aStartInstance});
        if (anInstanceCount > 0 && impl::ContextState::PrepareDraw(*myState, s, "DrawInstanced"))
        {
            glDrawArraysInstancedBaseInstance(impl::ToGl(s.topology), static_cast<GLint>(aStartVertex),
                                              static_cast<GLsizei>(aVertexCountPerInstance), static_cast<GLsizei>(anInstanceCount),
                                              aStartInstance);
        }
    }

    void impl::ContextState::DrawIndexed(impl::DeviceState& aDevice, impl::ContextState& s, const char* aCall, uint32_t anIndexCount,
                                uint32_t anInstanceCount, uint32_t aStartIndex, int32_t aBaseVertex, uint32_t aStartInstance)
    {
        if (anInstanceCount == 0 || !PrepareDraw(aDevice, s, aCall))
        {
            return;
        }
        if (!s.indexBuffer)
        {
            Fail(aCall, "no index buffer set (IASetIndexBuffer)");
            return;
        }
        const bool wide = s.indexFormat == Format::R32_UINT;
        const uintptr_t offset = s.indexOffset + static_cast<uintptr_t>(aStartIndex) * (wide ? 4u : 2u);
        glDrawElementsInstancedBaseVertexBaseInstance(impl::ToGl(s.topology), static_cast<GLsizei>(anIndexCount),
                                                      wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                                                      reinterpret_cast<const void*>(offset), static_cast<GLsizei>(anInstanceCount),
                                                      aBaseVertex, aStartInstance);
    }

    void DeviceContext::DrawIndexed(uint32_t anIndexCount, uint32_t aStartIndex, int32_t aBaseVertex)
    {
        impl::ContextState& s = *myContextState;
        Record(s, "DrawIndexed", {}, {anIndexCount, aStartIndex, aBaseVertex});
        impl::ContextState::DrawIndexed(*myState, s, "DrawIndexed", anIndexCount, 1, aStartIndex, aBaseVertex, 0);
    }

    void DeviceContext::DrawIndexedInstanced(uint32_t anIndexCountPerInstance, uint32_t anInstanceCount, uint32_t aStartIndex,
                                             int32_t aBaseVertex, uint32_t aStartInstance)
    {
        impl::ContextState& s = *myContextState;
        Record(s, "DrawIndexedInstanced", {}, {anIndexCountPerInstance, anInstanceCount, aStartIndex, aBaseVertex, aStartInstance});
        impl::ContextState::DrawIndexed(*myState, s, "DrawIndexedInstanced", anIndexCountPerInstance, anInstanceCount, aStartIndex, aBaseVertex,
                        aStartInstance);
    }

    // ---- clears ------------------------------------------------------------------------

    void DeviceContext::ClearRenderTargetView(RenderTargetView* aView, const float aColor[4])
    {
        impl::ContextState& s = *myContextState;
        Record(s, "ClearRenderTargetView", {aView}, {});
        if (aView == nullptr || aColor == nullptr)
        {
            Fail("ClearRenderTargetView", "the view and the colour must not be null");
            return;
        }
        if (!myState->MakeCurrent())
        {
            return;
        }
        // Clears ignore write masks and scissor in D3D; GL applies them, so lift them here
        // and let the next draw restore its state.
        impl::AttachColor(s.clearFramebuffer, aView->myGlName, aView->myGlLevel, aView->myGlLayer);
        impl::AttachDepthStencil(s.clearFramebuffer, 0, 0, -1, false);
        glNamedFramebufferDrawBuffer(s.clearFramebuffer, GL_COLOR_ATTACHMENT0);
        if (IsSrgb(aView->GetDesc().format))
        {
            glEnable(GL_FRAMEBUFFER_SRGB);
        }
        else
        {
            glDisable(GL_FRAMEBUFFER_SRGB);
        }
        glColorMaski(0, GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDisable(GL_SCISSOR_TEST);
        glClearNamedFramebufferfv(s.clearFramebuffer, GL_COLOR, 0, aColor);
        s.framebufferDirty = s.blendDirty = s.rasterizerDirty = true;
    }

    void DeviceContext::ClearDepthStencilView(DepthStencilView* aView, uint32_t someClearFlags, float aDepth, uint8_t aStencil)
    {
        impl::ContextState& s = *myContextState;
        Record(s, "ClearDepthStencilView", {aView}, {someClearFlags, static_cast<int64_t>(aDepth * 1000000.0f), aStencil});
        if (aView == nullptr)
        {
            Fail("ClearDepthStencilView", "the view must not be null");
            return;
        }
        if (!myState->MakeCurrent())
        {
            return;
        }
        impl::AttachColor(s.clearFramebuffer, 0, 0, -1);
        impl::AttachDepthStencil(s.clearFramebuffer, aView->myGlName, aView->myGlLevel, aView->myGlLayer, aView->myHasStencil);
        glNamedFramebufferDrawBuffer(s.clearFramebuffer, GL_NONE);
        glDepthMask(GL_TRUE);
        glStencilMask(0xFF);
        glDisable(GL_SCISSOR_TEST);
        const bool depth = (someClearFlags & ClearFlag::Depth) != 0;
        const bool stencil = (someClearFlags & ClearFlag::Stencil) != 0 && aView->myHasStencil;
        if (depth && stencil)
        {
            glClearNamedFramebufferfi(s.clearFramebuffer, GL_DEPTH_STENCIL, 0, aDepth, aStencil);
        }
        else if (depth)
        {
            glClearNamedFramebufferfv(s.clearFramebuffer, GL_DEPTH, 0, &aDepth);
        }
        else if (stencil)
        {
            const GLint value = aStencil;
            glClearNamedFramebufferiv(s.clearFramebuffer, GL_STENCIL, 0, &value);
        }
        s.depthDirty = s.rasterizerDirty = true;
    }

    // ---- resource access -----------------------------------------------------------------

    bool DeviceContext::Map(Resource* aResource, uint32_t aSubresource, MapType aType, uint32_t someFlags, MappedSubresource* aMapped)
    {
        impl::ContextState& s = *myContextState;
        Record(s, "Map", {aResource}, {aSubresource, static_cast<int64_t>(aType), someFlags});
        const char* call = "Map";
        if (aResource == nullptr || aMapped == nullptr)
        {
            return Fail(call, "the resource and the mapped-subresource output must not be null");
        }
        *aMapped = MappedSubresource{};
        if (!myState->MakeCurrent())
        {
            return Fail(call, "the device's GL context cannot be made current");
        }
        const auto checkUsage = [&](Usage aUsage, uint32_t someCpuAccess, bool aBuffer) -> bool {
            if (aUsage == Usage::Dynamic)
            {
                if (aType == MapType::WriteDiscard || (aBuffer && aType == MapType::WriteNoOverwrite))
                {
                    return true;
                }
                return Fail(call, aBuffer ? "a dynamic buffer maps with WriteDiscard or WriteNoOverwrite"
                                          : "a dynamic texture maps with WriteDiscard");
            }
            if (aUsage == Usage::Staging)
            {
                const bool reads = aType == MapType::Read || aType == MapType::ReadWrite;
                const bool writes = aType == MapType::Write || aType == MapType::ReadWrite;
                if ((reads && (someCpuAccess & CpuAccess::Read) == 0) || (writes && (someCpuAccess & CpuAccess::Write) == 0))
                {
                    return Fail(call, "a staging resource maps only with the CPU access it was created with");
                }
                if (!reads && !writes)
                {
                    return Fail(call, "a staging resource maps with Read, Write or ReadWrite");
                }
                return true;
            }
            return Fail(call, "only dynamic and staging resources can be mapped");
        };

        if (auto* buffer = dynamic_cast<Buffer*>(aResource))
        {
            const BufferDesc& desc = buffer->GetDesc();
            if (!checkUsage(desc.usage, desc.cpuAccessFlags, true))
            {
                return false;
            }
            if (aSubresource != 0)
            {
                return Fail(call, "a buffer has one subresource (0)");
            }
            if (buffer->myIsMapped)
            {
                return Fail(call, "the buffer is already mapped");
            }
            if (aType == MapType::Read || aType == MapType::ReadWrite)
            {
                glGetNamedBufferSubData(buffer->myGlName, 0, desc.byteWidth, buffer->myMapMemory.data());
            }
            buffer->myIsMapped = true;
            buffer->myMapType = aType;
            aMapped->data = buffer->myMapMemory.data();
            aMapped->rowPitch = desc.byteWidth;
            aMapped->depthPitch = desc.byteWidth;
            return true;
        }
        auto* texture = dynamic_cast<Texture2D*>(aResource);
        if (texture == nullptr)
        {
            return Fail(call, "unknown resource kind");
        }
        const Texture2DDesc& desc = texture->GetDesc();
        if (!checkUsage(desc.usage, desc.cpuAccessFlags, false))
        {
            return false;
        }
        if (aSubresource >= impl::SubresourceCount(desc))
        {
            return Fail(call, "subresource must be below mipLevels * arraySize");
        }
        if (texture->myMappedSubresource >= 0)
        {
            return Fail(call, "the texture already has a mapped subresource");
        }
        const uint32_t mip = aSubresource % desc.mipLevels;
        const uint32_t layer = aSubresource / desc.mipLevels;
        const uint32_t width = std::max(1u, desc.width >> mip);
        const uint32_t height = std::max(1u, desc.height >> mip);
        const impl::GlFormat& format = impl::TransferFormat(*impl::FindGlFormat(desc.format), desc.bindFlags);
        const uint32_t pitch = RowPitch(desc.format, width);
        if (aType == MapType::Read || aType == MapType::ReadWrite)
        {
            impl::ReadRegion(texture->myGlName, texture->myGlTarget, format, mip, layer, width, height, texture->myMapMemory);
        }
        else
        {
            texture->myMapMemory.resize(static_cast<size_t>(pitch) * RowCount(desc.format, height));
        }
        texture->myMappedSubresource = aSubresource;
        texture->myMapType = aType;
        aMapped->data = texture->myMapMemory.data();
        aMapped->rowPitch = pitch;
        aMapped->depthPitch = static_cast<uint32_t>(texture->myMapMemory.size());
        return true;
    }

    void DeviceContext::Unmap(Resource* aResource, uint32_t aSubresource)
    {
        impl::ContextState& s = *myContextState;
        Record(s, "Unmap", {aResource}, {aSubresource});
        if (aResource == nullptr || !myState->MakeCurrent())
        {
            return;
        }
        if (auto* buffer = dynamic_cast<Buffer*>(aResource))
        {
            if (!buffer->myIsMapped)
            {
                Fail("Unmap", "the buffer is not mapped");
                return;
            }
            buffer->myIsMapped = false;
            if (buffer->myMapType == MapType::Read)
            {
                return;
            }
            if (buffer->myMapType == MapType::WriteDiscard)
            {
                glInvalidateBufferData(buffer->myGlName);
            }
            glNamedBufferSubData(buffer->myGlName, 0, buffer->GetDesc().byteWidth, buffer->myMapMemory.data());
            return;
        }
        auto* texture = dynamic_cast<Texture2D*>(aResource);
        if (texture == nullptr)
        {
            return;
        }
        if (texture->myMappedSubresource != static_cast<int64_t>(aSubresource))
        {
            Fail("Unmap", "that subresource of the texture is not mapped");
            return;
        }
        texture->myMappedSubresource = -1;
        if (texture->myMapType == MapType::Read)
        {
            return;
        }
        const Texture2DDesc& desc = texture->GetDesc();
        const uint32_t mip = aSubresource % desc.mipLevels;
        const uint32_t layer = aSubresource / desc.mipLevels;
        const uint32_t width = std::max(1u, desc.width >> mip);
        const uint32_t height = std::max(1u, desc.height >> mip);
        const impl::GlFormat& format = impl::TransferFormat(*impl::FindGlFormat(desc.format), desc.bindFlags);
        impl::UploadRegion(texture->myGlName, texture->myGlTarget, format, mip, layer, 0, 0, width, height,
                           texture->myMapMemory.data(), RowPitch(desc.format, width));
    }

    void DeviceContext::UpdateSubresource(Resource* aResource, uint32_t aSubresource, const Box* aBox, const void* someData,
                                          uint32_t aRowPitch, uint32_t aDepthPitch)
    {
        impl::ContextState& s = *myContextState;
        Record(s, "UpdateSubresource", {aResource}, {aSubresource, aRowPitch, aDepthPitch});
        const char* call = "UpdateSubresource";
        if (aResource == nullptr || someData == nullptr)
        {
            Fail(call, "the resource and the data must not be null");
            return;
        }
        if (!myState->MakeCurrent())
        {
            return;
        }
        if (auto* buffer = dynamic_cast<Buffer*>(aResource))
        {
            const BufferDesc& desc = buffer->GetDesc();
            if (desc.usage != Usage::Default && desc.usage != Usage::Staging)
            {
                Fail(call, "only default-usage and staging resources can be updated");
                return;
            }
            if (aSubresource != 0)
            {
                Fail(call, "a buffer has one subresource (0)");
                return;
            }
            uint32_t left = 0;
            uint32_t right = desc.byteWidth;
            if (aBox != nullptr)
            {
                if ((desc.bindFlags & Bind::ConstantBuffer) != 0)
                {
                    Fail(call, "a constant buffer is updated whole (box must be null)");
                    return;
                }
                left = aBox->left;
                right = aBox->right;
            }
            if (left >= right || right > desc.byteWidth)
            {
                Fail(call, "the box must lie within the buffer and not be empty");
                return;
            }
            glNamedBufferSubData(buffer->myGlName, left, right - left, someData);
            return;
        }
        auto* texture = dynamic_cast<Texture2D*>(aResource);
        if (texture == nullptr)
        {
            return;
        }
        const Texture2DDesc& desc = texture->GetDesc();
        if (desc.usage != Usage::Default && desc.usage != Usage::Staging)
        {
            Fail(call, "only default-usage and staging resources can be updated");
            return;
        }
        if ((desc.bindFlags & Bind::DepthStencil) != 0)
        {
            Fail(call, "depth-stencil textures cannot be updated");
            return;
        }
        if (aSubresource >= impl::SubresourceCount(desc))
        {
            Fail(call, "subresource must be below mipLevels * arraySize");
            return;
        }
        const uint32_t mip = aSubresource % desc.mipLevels;
        const uint32_t layer = aSubresource / desc.mipLevels;
        const uint32_t width = std::max(1u, desc.width >> mip);
        const uint32_t height = std::max(1u, desc.height >> mip);
        Box box{0, 0, 0, width, height, 1};
        if (aBox != nullptr)
        {
            box = *aBox;
        }
        if (box.left >= box.right || box.top >= box.bottom || box.right > width || box.bottom > height || box.front != 0
            || box.back != 1)
        {
            Fail(call, "the box must lie within the subresource, not be empty, and have front 0, back 1");
            return;
        }
        const bool blocks = IsBlockCompressed(desc.format);
        if (blocks
            && (box.left % 4 != 0 || box.top % 4 != 0 || (box.right % 4 != 0 && box.right != width)
                || (box.bottom % 4 != 0 && box.bottom != height)))
        {
            Fail(call, "a block-compressed box must be aligned to 4x4 blocks");
            return;
        }
        const uint32_t regionWidth = box.right - box.left;
        if (aRowPitch < RowPitch(desc.format, regionWidth))
        {
            Fail(call, "rowPitch is smaller than one row of the box");
            return;
        }
        impl::UploadRegion(texture->myGlName, texture->myGlTarget, *impl::FindGlFormat(desc.format), mip, layer, box.left, box.top,
                           regionWidth, box.bottom - box.top, someData, aRowPitch);
    }

    void DeviceContext::CopyResource(Resource* aDestination, Resource* aSource)
    {
        impl::ContextState& s = *myContextState;
        Record(s, "CopyResource", {aDestination, aSource}, {});
        const char* call = "CopyResource";
        if (aDestination == nullptr || aSource == nullptr || aDestination == aSource)
        {
            Fail(call, "needs two different resources");
            return;
        }
        if (!myState->MakeCurrent())
        {
            return;
        }
        auto* dstBuffer = dynamic_cast<Buffer*>(aDestination);
        auto* srcBuffer = dynamic_cast<Buffer*>(aSource);
        if (dstBuffer != nullptr && srcBuffer != nullptr)
        {
            if (dstBuffer->GetDesc().byteWidth != srcBuffer->GetDesc().byteWidth)
            {
                Fail(call, "buffers must have the same byteWidth");
                return;
            }
            if (dstBuffer->GetDesc().usage == Usage::Immutable)
            {
                Fail(call, "the destination cannot be immutable");
                return;
            }
            glCopyNamedBufferSubData(srcBuffer->myGlName, dstBuffer->myGlName, 0, 0, srcBuffer->GetDesc().byteWidth);
            if (!dstBuffer->myMapMemory.empty())
            {
                glGetNamedBufferSubData(dstBuffer->myGlName, 0, dstBuffer->GetDesc().byteWidth, dstBuffer->myMapMemory.data());
            }
            return;
        }
        auto* dst = dynamic_cast<Texture2D*>(aDestination);
        auto* src = dynamic_cast<Texture2D*>(aSource);
        if (dst == nullptr || src == nullptr)
        {
            Fail(call, "both resources must be of one kind");
            return;
        }
        const Texture2DDesc& d = dst->GetDesc();
        const Texture2DDesc& a = src->GetDesc();
        if (d.width != a.width || d.height != a.height || d.mipLevels != a.mipLevels || d.arraySize != a.arraySize)
        {
            Fail(call, "textures must have the same size, mipLevels and arraySize");
            return;
        }
        const impl::GlFormat* df = impl::FindGlFormat(d.format);
        const impl::GlFormat* sf = impl::FindGlFormat(a.format);
        if (d.format != a.format && (df->family == 0 || df->family != sf->family))
        {
            Fail(call, "texture formats must be of one family");
            return;
        }
        if (d.usage == Usage::Immutable)
        {
            Fail(call, "the destination cannot be immutable");
            return;
        }
        for (uint32_t mip = 0; mip < d.mipLevels; ++mip)
        {
            const GLsizei width = static_cast<GLsizei>(std::max(1u, d.width >> mip));
            const GLsizei height = static_cast<GLsizei>(std::max(1u, d.height >> mip));
            glCopyImageSubData(src->myGlName, src->myGlTarget, static_cast<GLint>(mip), 0, 0, 0, dst->myGlName, dst->myGlTarget,
                               static_cast<GLint>(mip), 0, 0, 0, width, height, static_cast<GLsizei>(d.arraySize));
        }
    }

    void DeviceContext::GenerateMips(ShaderResourceView* aView)
    {
        impl::ContextState& s = *myContextState;
        Record(s, "GenerateMips", {aView}, {});
        if (aView == nullptr)
        {
            Fail("GenerateMips", "the view must not be null");
            return;
        }
        auto* texture = dynamic_cast<Texture2D*>(aView->GetResource().get());
        if (texture == nullptr || (texture->GetDesc().miscFlags & ResourceMisc::GenerateMips) == 0)
        {
            Fail("GenerateMips", "the view's texture needs ResourceMisc::GenerateMips");
            return;
        }
        if (myState->MakeCurrent())
        {
            glGenerateTextureMipmap(aView->myGlName);
        }
    }

    // ---- state reset -----------------------------------------------------------------------

    void DeviceContext::ClearState()
    {
        impl::ContextState& s = *myContextState;
        Record(s, "ClearState", {}, {});
        s.layout.reset();
        for (uint32_t i = 0; i < MaxVertexBuffers; ++i)
        {
            s.vertexBuffers[i].reset();
            s.strides[i] = 0;
            s.offsets[i] = 0;
        }
        s.indexBuffer.reset();
        s.indexFormat = Format::UNKNOWN;
        s.indexOffset = 0;
        s.topology = PrimitiveTopology::Undefined;
        s.vertexShader.reset();
        s.pixelShader.reset();
        s.vertexStage = impl::StageBindings{};
        s.pixelStage = impl::StageBindings{};
        s.renderTarget.reset();
        s.depthStencil.reset();
        s.blendState.reset();
        std::fill(std::begin(s.blendFactor), std::end(s.blendFactor), 1.0f);
        s.depthStencilState.reset();
        s.stencilRef = 0;
        s.rasterizerState.reset();
        s.viewport = Viewport{};
        s.hasViewport = false;
        s.scissor = Rect{};
        InvalidateAppliedState();
        if (myState->MakeCurrent())
        {
            // Drop GL's references to what was bound, so released objects really go.
            impl::AttachColor(s.drawFramebuffer, 0, 0, -1);
            impl::AttachDepthStencil(s.drawFramebuffer, 0, 0, -1, false);
            impl::AttachColor(s.clearFramebuffer, 0, 0, -1);
            impl::AttachDepthStencil(s.clearFramebuffer, 0, 0, -1, false);
        }
    }

    void DeviceContext::Flush()
    {
        Record(*myContextState, "Flush", {}, {});
        if (myState->MakeCurrent())
        {
            glFlush();
        }
    }

    // ---- readback ------------------------------------------------------------------------

    bool DeviceContext::ReadSubresource(Texture2D* aTexture, uint32_t aSubresource, std::vector<uint8_t>& someBytes)
    {
        someBytes.clear();
        if (aTexture == nullptr)
        {
            return Fail("ReadSubresource", "the texture must not be null");
        }
        const Texture2DDesc& desc = aTexture->GetDesc();
        if (aSubresource >= impl::SubresourceCount(desc))
        {
            return Fail("ReadSubresource", "subresource must be below mipLevels * arraySize");
        }
        if (!myState->MakeCurrent())
        {
            return Fail("ReadSubresource", "the device's GL context cannot be made current");
        }
        // llvmpipe can hand back texels from before a clear or draw still in flight
        // unless the pipeline has finished.
        glFinish();
        const uint32_t mip = aSubresource % desc.mipLevels;
        const uint32_t layer = aSubresource / desc.mipLevels;
        const impl::GlFormat& format = impl::TransferFormat(*impl::FindGlFormat(desc.format), desc.bindFlags);
        impl::ReadRegion(aTexture->myGlName, aTexture->myGlTarget, format, mip, layer, std::max(1u, desc.width >> mip),
                         std::max(1u, desc.height >> mip), someBytes);
        return true;
    }

    // ---- trace -------------------------------------------------------------------------------

    void DeviceContext::AddToTrace(TraceCall aCall)
    {
        if (myContextState->tracing)
        {
            myContextState->trace.push_back(std::move(aCall));
        }
    }

    void DeviceContext::SetTraceEnabled(bool anEnabled) { myContextState->tracing = anEnabled; }
    bool DeviceContext::IsTraceEnabled() const { return myContextState->tracing; }
    const std::vector<TraceCall>& DeviceContext::GetTrace() const { return myContextState->trace; }
    void DeviceContext::ClearTrace() { myContextState->trace.clear(); }
}
