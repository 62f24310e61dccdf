#include "forge/graphics/GraphicsStateStack.h"

#include "forge/engine/Engine.h"
#include "forge/graphics/DX11.h"
#include "forge/graphics/Texture.h"
#include "forge/texture/TextureManager.h"
#include "forge/texture/TextureResource.h"
#include "Platform/gpu/Context.h"
#include "Platform/gpu/Device.h"
#include "Platform/runtime/Assert.h"

#include <cfloat>
#include <cstring>
#include <memory>

namespace Kiln
{
    namespace
    {
        using namespace Plat::Gpu;

        Device* GetDevice() { return DX11::Device; }
        DeviceContext* GetContext() { return DX11::Context; }

        // The back-buffer size, read from the sRGB back-buffer target as the framework does.
        Vector2<uint32_t> BackBufferResolution()
        {
            return DX11::BackBuffer ? DX11::BackBuffer->GetResolution() : Vector2<uint32_t>{0, 0};
        }

        BlendDesc MakeBlend(bool anEnabled, Blend aSource, Blend aDestination, BlendOp anOp, Blend anAlphaSource,
                            Blend anAlphaDestination, BlendOp anAlphaOp)
        {
            BlendDesc desc;
            desc.alphaToCoverageEnable = false;
            desc.independentBlendEnable = false;
            RenderTargetBlendDesc& rt = desc.renderTarget[0];
            rt.blendEnable = anEnabled;
            rt.srcBlend = aSource;
            rt.destBlend = aDestination;
            rt.blendOp = anOp;
            rt.srcBlendAlpha = anAlphaSource;
            rt.destBlendAlpha = anAlphaDestination;
            rt.blendOpAlpha = anAlphaOp;
            rt.renderTargetWriteMask = ColorWrite::All;
            return desc;
        }

        DepthStencilDesc MakeDepth(DepthWriteMask aWrite, ComparisonFunc aFunction)
        {
            DepthStencilDesc desc;
            desc.depthEnable = true;
            desc.depthWriteMask = aWrite;
            desc.depthFunc = aFunction;
            desc.stencilEnable = false;
            return desc;
        }

        RasterizerDesc MakeRasterizer(FillMode aFill, CullMode aCull, bool aMultisample)
        {
            RasterizerDesc desc;
            desc.fillMode = aFill;
            desc.cullMode = aCull;
            desc.frontCounterClockwise = false;
            desc.depthBias = 0;
            desc.depthBiasClamp = 0.0f;
            desc.slopeScaledDepthBias = 0.0f;
            desc.depthClipEnable = true;
            desc.scissorEnable = false;
            desc.multisampleEnable = aMultisample;
            desc.antialiasedLineEnable = false;
            return desc;
        }

        SamplerDesc MakeSampler(Filter aFilter, TextureAddressMode anAddress)
        {
            SamplerDesc desc;
            desc.filter = aFilter;
            desc.addressU = desc.addressV = desc.addressW = anAddress;
            desc.mipLODBias = 0.0f;
            desc.maxAnisotropy = 16;
            desc.comparisonFunc = ComparisonFunc::Always;
            for (float& c : desc.borderColor)
                c = 0.0f;
            desc.minLOD = 0.0f;
            desc.maxLOD = FLT_MAX;
            return desc;
        }

        std::shared_ptr<Buffer> MakeConstantBuffer(uint32_t aSize)
        {
            BufferDesc desc;
            desc.byteWidth = aSize;
            desc.usage = Usage::Dynamic;
            desc.bindFlags = Bind::ConstantBuffer;
            desc.cpuAccessFlags = CpuAccess::Write;
            return GetDevice()->CreateBuffer(desc);
        }

        void CopyColor(float (&aTarget)[4], const Color& aColor)
        {
            aTarget[0] = aColor.r;
            aTarget[1] = aColor.g;
            aTarget[2] = aColor.b;
            aTarget[3] = aColor.a;
        }

        // Writes aData through a discard map; false when the buffer cannot be mapped.
        template <typename T>
        bool Upload(Buffer* aBuffer, const T& aData)
        {
            MappedSubresource mapped;
            if (!aBuffer || !GetContext()->Map(aBuffer, 0, MapType::WriteDiscard, 0, &mapped) || !mapped.data)
                return false;
            std::memcpy(mapped.data, &aData, sizeof(T));
            GetContext()->Unmap(aBuffer, 0);
            return true;
        }

        template <typename T, size_t N>
        T* Pick(const std::array<std::shared_ptr<T>, N>& someStates, uint32_t anIndex)
        {
            return anIndex < N ? someStates[anIndex].get() : nullptr;
        }
    }

    GraphicsStateStack::GraphicsStateStack() = default;
    GraphicsStateStack::~GraphicsStateStack() = default;

    bool GraphicsStateStack::Init(TextureManager* aTextureManager)
    {
        Device* device = GetDevice();
        if (!device || !GetContext())
            return false;

        myBlendStates[0] = device->CreateBlendState(MakeBlend(false, Blend::Zero, Blend::Zero, BlendOp::Add, Blend::Zero, Blend::Zero, BlendOp::Add));
        myBlendStates[1] = device->CreateBlendState(MakeBlend(true, Blend::SrcAlpha, Blend::InvSrcAlpha, BlendOp::Add, Blend::One, Blend::One, BlendOp::Max));
        myBlendStates[2] = device->CreateBlendState(MakeBlend(true, Blend::SrcAlpha, Blend::One, BlendOp::Add, Blend::One, Blend::One, BlendOp::Max));
        for (const auto& state : myBlendStates)
            if (!state)
                return false;

        myDepthStencilStates[0] = device->CreateDepthStencilState(MakeDepth(DepthWriteMask::All, ComparisonFunc::Less));
        myDepthStencilStates[1] = device->CreateDepthStencilState(MakeDepth(DepthWriteMask::All, ComparisonFunc::LessEqual));
        myDepthStencilStates[2] = device->CreateDepthStencilState(MakeDepth(DepthWriteMask::Zero, ComparisonFunc::Less));
        myDepthStencilStates[3] = device->CreateDepthStencilState(MakeDepth(DepthWriteMask::Zero, ComparisonFunc::LessEqual));
        for (const auto& state : myDepthStencilStates)
            if (!state)
                return false;

        // Entry 0 stays empty: binding it restores the device default (solid, back culling).
        myRasterizerStates[1] = device->CreateRasterizerState(MakeRasterizer(FillMode::Solid, CullMode::None, true));
        myRasterizerStates[2] = device->CreateRasterizerState(MakeRasterizer(FillMode::Wireframe, CullMode::Back, false));
        myRasterizerStates[3] = device->CreateRasterizerState(MakeRasterizer(FillMode::Wireframe, CullMode::None, false));
        for (uint32_t i = 1; i < RasterizerStateCount; ++i)
            if (!myRasterizerStates[i])
                return false;

        const Filter filters[3] = {Filter::MinMagMipPoint, Filter::MinMagLinearMipPoint, Filter::MinMagMipLinear};
        const TextureAddressMode addresses[3] = {TextureAddressMode::Clamp, TextureAddressMode::Wrap, TextureAddressMode::Mirror};
        for (uint32_t filter = 0; filter < 3; ++filter)
        {
            for (uint32_t address = 0; address < 3; ++address)
            {
                auto& sampler = mySamplerStates[filter * 3 + address];
                sampler = device->CreateSamplerState(MakeSampler(filters[filter], addresses[address]));
                if (!sampler)
                    return false;
            }
        }

        myCustomBuffer = MakeConstantBuffer(sizeof(CustomBufferData));
        if (!myCustomBuffer)
            return false;
        myFrameBuffer = MakeConstantBuffer(sizeof(FrameBufferData));
        if (!myFrameBuffer)
            return false;
        myLightsBuffer = MakeConstantBuffer(sizeof(LightsBufferData));
        if (!myLightsBuffer)
            return false;
        myCameraBuffer = MakeConstantBuffer(sizeof(CameraBufferData));
        if (!myCameraBuffer)
            return false;

        myRenderStateStack.assign(1, RenderState());

        if (aTextureManager)
        {
            myWhiteCubeMap = aTextureManager->GetTexture("Textures/whiteCubeMap.dds", TextureSrgbMode::AsStored, false);
            myHorizonCubeMap = aTextureManager->GetTexture("Textures/horizonCubeMap.dds", TextureSrgbMode::AsStored, false);
        }

        ResetToDefault(true);
        return true;
    }

    void GraphicsStateStack::Push()
    {
        myRenderStateStack.push_back(myRenderStateStack.back());
    }

    void GraphicsStateStack::Pop()
    {
        KILN_ASSERT(myRenderStateStack.size() > 1);
        if (myRenderStateStack.size() > 1)
            myRenderStateStack.pop_back();
    }

    void GraphicsStateStack::ResetForFrame()
    {
        KILN_ASSERT(myRenderStateStack.size() == 1);

        FrameBufferData frame;
        const auto resolution = BackBufferResolution();
        frame.myBackBufferWidth = static_cast<float>(resolution.x);
        frame.myBackBufferHeight = static_cast<float>(resolution.y);
        if (const Engine* engine = Engine::GetInstance())
        {
            frame.myTotalTime = engine->GetTotalTime();
            frame.myDeltaTime = engine->GetDeltaTime();
        }
        if (!Upload(myFrameBuffer.get(), frame))
            return;
        ResetToDefault(true);
    }

    Camera GraphicsStateStack::MakeDefaultCamera() const
    {
        const auto resolution = BackBufferResolution();
        Camera camera;
        camera.SetOrthographicProjection(0.0f, static_cast<float>(resolution.x), 0.0f, static_cast<float>(resolution.y), -1.0f, 1.0f);
        return camera;
    }

    void GraphicsStateStack::ResetToDefault(bool aForce)
    {
        RenderState state;
        state.myCamera = MakeDefaultCamera();
        if (aForce)
        {
            myCustomDataCounter = 0;
            myLightCounter = 0;
            myCameraCounter = 0;
        }
        else
        {
            const RenderState& top = myRenderStateStack.back();
            state.myCustomDataChangeId = top.myCustomDataChangeId;
            state.myLightChangeId = top.myLightChangeId;
            state.myCameraChangeId = top.myCameraChangeId;
        }
        myRenderStateStack.back() = state;
        UpdateGpuStates(aForce);
    }

    void GraphicsStateStack::UpdateGpuStates(bool aForce)
    {
        DeviceContext* context = GetContext();
        if (!context || myRenderStateStack.empty())
            return;
        RenderState& top = myRenderStateStack.back();
        const RenderState& last = myLastApplied;

        if (aForce || top.myBlendState != last.myBlendState)
            context->OMSetBlendState(Pick(myBlendStates, top.myBlendState), nullptr, 0xFFFFFFFFu);
        if (aForce || top.myDepthStencilState != last.myDepthStencilState)
            context->OMSetDepthStencilState(Pick(myDepthStencilStates, top.myDepthStencilState), 0);
        if (aForce || top.myRasterizerState != last.myRasterizerState)
            context->RSSetState(Pick(myRasterizerStates, top.myRasterizerState));
        if (aForce || top.mySamplerFilter != last.mySamplerFilter || top.mySamplerAddress != last.mySamplerAddress)
        {
            // Filter and address outside their tables bind no sampler rather than a neighbour.
            SamplerState* sampler = top.mySamplerFilter < 3 && top.mySamplerAddress < 3
                                        ? mySamplerStates[top.mySamplerFilter * 3 + top.mySamplerAddress].get()
                                        : nullptr;
            context->PSSetSamplers(0, 1, &sampler);
        }

        if (aForce || top.myCustomDataChangeId != last.myCustomDataChangeId)
        {
            CustomBufferData custom;
            custom.myVector[0] = top.myCustomVector.x;
            custom.myVector[1] = top.myCustomVector.y;
            custom.myVector[2] = top.myCustomVector.z;
            custom.myVector[3] = top.myCustomVector.w;
            custom.myScalar = top.myCustomScalar;
            if (!Upload(myCustomBuffer.get(), custom))
                return;
        }

        if (aForce || top.myCameraChangeId != last.myCameraChangeId)
        {
            CameraBufferData camera;
            camera.myView = Matrix4x4<float>::GetFastInverse(top.myCamera.GetTransform());
            camera.myTransform = top.myCamera.GetTransform();
            camera.myProjection = top.myCamera.GetProjection();
            camera.myInverseProjection = Matrix4x4<float>::GetInverse(top.myCamera.GetProjection());
            camera.myNearValue = top.myCamera.GetNearValue();
            camera.myFarValue = top.myCamera.GetFarValue();
            if (!Upload(myCameraBuffer.get(), camera))
                return;
            top.myCamera.SetUpdatedFlag(true);
        }

        if (aForce || top.myLightChangeId != last.myLightChangeId)
        {
            LightsBufferData lights{};
            const int32_t count = top.myPointLightCount < 0 ? 0 : (top.myPointLightCount > MaxPointLights ? MaxPointLights : top.myPointLightCount);
            for (int32_t i = 0; i < count; ++i)
            {
                const PointLight& light = top.myPointLights[size_t(i)];
                PointLightData& data = lights.myLights[i];
                data.myPosition[0] = light.myPosition.x;
                data.myPosition[1] = light.myPosition.y;
                data.myPosition[2] = light.myPosition.z;
                CopyColor(data.myColor, light.myColor.AsLinear());
                data.myRange = light.myRange;
                data.myFourthValue = light.myFourthValue;
            }
            lights.myLightCount = count;
            lights.myLightScalar = top.myLightScalar;
            CopyColor(lights.myColorB, top.myLightColorB.AsLinear());
            CopyColor(lights.myColorA, top.myLightColorA.AsLinear());
            lights.myLightMatrix = top.myLightMatrix;
            if (!Upload(myLightsBuffer.get(), lights))
                return;

            ShaderResourceView* environment = nullptr;
            if (top.myEnvironmentMapMode == 0 && myWhiteCubeMap)
                environment = myWhiteCubeMap->GetShaderResourceView().get();
            else if (top.myEnvironmentMapMode == 1 && myHorizonCubeMap)
                environment = myHorizonCubeMap->GetShaderResourceView().get();
            else if (top.myEnvironmentMapMode == 2 && top.myCustomEnvironmentTexture)
                environment = top.myCustomEnvironmentTexture->GetShaderResourceView().get();
            context->PSSetShaderResources(0, 1, &environment);
        }

        if (aForce)
        {
            Buffer* buffers[4] = {myFrameBuffer.get(), myCameraBuffer.get(), myLightsBuffer.get(), myCustomBuffer.get()};
            context->VSSetConstantBuffers(0, 4, buffers);
            context->PSSetConstantBuffers(0, 4, buffers);
        }

        myLastApplied = top;
    }

    void GraphicsStateStack::SetBlendState(uint32_t aBlendState)
    {
        myRenderStateStack.back().myBlendState = aBlendState;
    }

    void GraphicsStateStack::SetDepthStencilState(uint32_t aDepthStencilState)
    {
        myRenderStateStack.back().myDepthStencilState = aDepthStencilState;
    }

    void GraphicsStateStack::SetSamplerState(uint32_t aFilter, uint32_t anAddress)
    {
        myRenderStateStack.back().mySamplerFilter = aFilter;
        myRenderStateStack.back().mySamplerAddress = anAddress;
    }

    void GraphicsStateStack::SetCamera(const Camera& aCamera)
    {
        ++myCameraCounter;
        myRenderStateStack.back().myCameraChangeId = myCameraCounter;
        myRenderStateStack.back().myCamera = aCamera;
    }

    void GraphicsStateStack::SetDefaultCamera()
    {
        SetCamera(MakeDefaultCamera());
    }
}
