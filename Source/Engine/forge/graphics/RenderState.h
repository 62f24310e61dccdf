#pragma once
// One entry of the graphics state stack: the render state every draw uses. The defaults
// are those of the frame's default state.
#include "forge/graphics/Camera.h"
#include "forge/math/Color.h"
#include "forge/math/Matrix4x4.h"
#include "forge/math/Vector.h"

#include <array>
#include <cstdint>

namespace Kiln
{
    class Texture;

    struct PointLight
    {
        Vector3<float> myPosition;
        Color myColor{1.0f, 1.0f, 1.0f, 1.0f};   // sRGB
        float myRange = 1000.0f;
        float myFourthValue = 0.0f;               // uploaded beside the range
    };

    inline constexpr int MaxPointLights = 8;

    struct RenderState
    {
        uint32_t myBlendState = 1;          // 0 off, 1 alpha, 2 additive
        uint32_t myDepthStencilState = 0;   // 0 to 3
        uint32_t myRasterizerState = 1;     // 0 to 3
        uint32_t mySamplerFilter = 2;       // 0 point, 1 bilinear, 2 trilinear
        uint32_t mySamplerAddress = 1;      // 0 clamp, 1 wrap, 2 mirror
        uint32_t myCustomDataChangeId = 0;
        float myCustomScalar = 0.0f;
        Vector4<float> myCustomVector;
        uint32_t myLightChangeId = 0;
        int32_t myPointLightCount = 0;      // 0 to 8
        std::array<PointLight, MaxPointLights> myPointLights{};
        Matrix4x4<float> myLightMatrix;
        Color myLightColorA{0.0f, 0.0f, 0.0f, 0.0f};
        float myLightScalar = 0.0f;
        Color myLightColorB{1.0f, 1.0f, 1.0f, 1.0f};
        uint32_t myEnvironmentMapMode = 0;  // 0 white cube map, 1 horizon cube map, 2 custom texture
        Texture* myCustomEnvironmentTexture = nullptr;
        uint32_t myCameraChangeId = 0;
        Camera myCamera;
        Matrix4x4<float> myWorldTransform;
    };
}
