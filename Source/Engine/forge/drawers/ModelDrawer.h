#pragma once
// Draws model instances through six model shaders, one per shading model:
//   0 default, 1 animated, 2 PBR, 3 animated PBR, 4 Lambert, 5 animated Lambert.
// The game draws with slots 0, 4 and 5; the Lambert pair reads the screen texture (t6)
// and two colours set per level (data slots 0 and 1).
#include "forge/math/Vector.h"

#include <array>
#include <cstddef>
#include <memory>

namespace Kiln
{
    class AnimatedModelInstance;
    class ModelInstance;
    class ModelShader;

    class ModelDrawer
    {
    public:
        enum Slot : size_t
        {
            DEFAULT = 0,
            ANIMATED = 1,
            PBR = 2,
            ANIMATED_PBR = 3,
            LAMBERT = 4,
            ANIMATED_LAMBERT = 5,
            SHADER_COUNT = 6,
        };

        ModelDrawer();
        ~ModelDrawer();
        ModelDrawer(const ModelDrawer&) = delete;
        ModelDrawer& operator=(const ModelDrawer&) = delete;

        // Creates the shaders in the order 0, 1, 4, 5, 2, 3; false at the first that fails
        // (the ones after it are not created).
        bool Init();

        void Draw(const ModelInstance& anInstance);
        void DrawAnimated(const AnimatedModelInstance& anInstance);
        void DrawLambert(const ModelInstance& anInstance);

        // The two colours of the Lambert shading (data slots 0 and 1 of slots 4 and 5).
        void SetLambertParameters(Vector4<float> aFirst, Vector4<float> aSecond);

        // Null until created.
        ModelShader* GetShader(size_t aSlot) const { return aSlot < SHADER_COUNT ? myShaders[aSlot].get() : nullptr; }

    private:
        std::array<std::unique_ptr<ModelShader>, SHADER_COUNT> myShaders;
    };
}
