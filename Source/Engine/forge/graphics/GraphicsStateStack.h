#pragma once
// The render state every draw uses, as a stack: push a copy, change the top through the
// setters, draw, pop. Setters never touch the device; UpdateGpuStates, run before each
// draw, issues only the calls for what differs from the state applied last.
#include "forge/graphics/RenderState.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Plat::Gpu
{
    class Buffer;
    class BlendState;
    class DepthStencilState;
    class RasterizerState;
    class SamplerState;
}

namespace Kiln
{
    class TextureResource;
    class TextureManager;

    class GraphicsStateStack
    {
    public:
        GraphicsStateStack();
        ~GraphicsStateStack();

        // States, constant buffers, one entry, the two cube maps (from aTextureManager, the
        // engine's; none without one), then a forced reset.
        bool Init(TextureManager* aTextureManager);

        void Push();
        void Pop();

        // Start of a frame: uploads the frame constants, then a forced reset to the default.
        void ResetForFrame();
        void ResetToDefault(bool aForce);
        void UpdateGpuStates(bool aForce);

        void SetBlendState(uint32_t aBlendState);
        void SetDepthStencilState(uint32_t aDepthStencilState);
        void SetSamplerState(uint32_t aFilter, uint32_t anAddress);
        void SetCamera(const Camera& aCamera);
        // Identity transform, orthographic over the back buffer (0..width, 0..height, -1..1).
        void SetDefaultCamera();

        const Camera& GetCamera() const { return myRenderStateStack.back().myCamera; }
        Matrix4x4<float>& GetTransform() { return myRenderStateStack.back().myWorldTransform; }
        const RenderState& GetTop() const { return myRenderStateStack.back(); }
        size_t GetDepth() const { return myRenderStateStack.size(); }

        // The constant-buffer layouts the shaders read (registers b0 to b3).
        struct FrameBufferData
        {
            float myBackBufferWidth = 0.0f;
            float myBackBufferHeight = 0.0f;
            float myTotalTime = 0.0f;
            float myDeltaTime = 0.0f;
        };
        struct CameraBufferData
        {
            Matrix4x4<float> myView;
            Matrix4x4<float> myTransform;
            Matrix4x4<float> myProjection;
            Matrix4x4<float> myInverseProjection;
            float myNearValue = 0.0f;
            float myFarValue = 0.0f;
            float myUnused[2] = {};
        };
        struct PointLightData
        {
            float myPosition[3] = {};
            float myPadding0 = 0.0f;
            float myColor[4] = {};
            float myRange = 0.0f;
            float myFourthValue = 0.0f;
            float myPadding1[2] = {};
        };
        struct LightsBufferData
        {
            PointLightData myLights[MaxPointLights];
            int32_t myLightCount = 0;
            float myLightScalar = 0.0f;
            float myZero[2] = {};
            float myColorB[4] = {};
            float myColorA[4] = {};
            Matrix4x4<float> myLightMatrix;
        };
        struct CustomBufferData
        {
            float myVector[4] = {};
            float myScalar = 0.0f;
            float myUnused[3] = {};
        };

        static constexpr uint32_t BlendStateCount = 3;
        static constexpr uint32_t DepthStencilStateCount = 4;
        static constexpr uint32_t RasterizerStateCount = 4;
        static constexpr uint32_t SamplerStateCount = 9;

    private:
        Camera MakeDefaultCamera() const;

        RenderState myLastApplied;
        std::vector<RenderState> myRenderStateStack;
        uint32_t myCustomDataCounter = 0;
        uint32_t myLightCounter = 0;
        uint32_t myCameraCounter = 0;
        std::array<std::shared_ptr<Plat::Gpu::SamplerState>, SamplerStateCount> mySamplerStates;
        std::array<std::shared_ptr<Plat::Gpu::DepthStencilState>, DepthStencilStateCount> myDepthStencilStates;
        std::array<std::shared_ptr<Plat::Gpu::RasterizerState>, RasterizerStateCount> myRasterizerStates;
        std::array<std::shared_ptr<Plat::Gpu::BlendState>, BlendStateCount> myBlendStates;
        std::shared_ptr<Plat::Gpu::Buffer> myCustomBuffer;
        std::shared_ptr<Plat::Gpu::Buffer> myFrameBuffer;
        std::shared_ptr<Plat::Gpu::Buffer> myCameraBuffer;
        std::shared_ptr<Plat::Gpu::Buffer> myLightsBuffer;
        TextureResource* myWhiteCubeMap = nullptr;
        TextureResource* myHorizonCubeMap = nullptr;
    };

    static_assert(sizeof(GraphicsStateStack::FrameBufferData) == 16);
    static_assert(sizeof(GraphicsStateStack::CameraBufferData) == 272);
    static_assert(sizeof(GraphicsStateStack::PointLightData) == 48);
    static_assert(sizeof(GraphicsStateStack::LightsBufferData) == 496);
    static_assert(offsetof(GraphicsStateStack::LightsBufferData, myLightCount) == 384);
    static_assert(offsetof(GraphicsStateStack::LightsBufferData, myColorB) == 400);
    static_assert(offsetof(GraphicsStateStack::LightsBufferData, myLightMatrix) == 432);
    static_assert(sizeof(GraphicsStateStack::CustomBufferData) == 32);
}
