#pragma once
// Axis systems, each a signed world axis for "right", "up" and "front" (the direction a
// model faces toward a viewer), and the deep conversion of a scene between two.
#include "Platform/fbx/Matrix.h"

namespace Plat::Fbx
{
    class Scene;

    class AxisSystem
    {
    public:
        enum class EPreDefinedAxisSystem : int
        {
            MayaZUp = 0,
            MayaYUp = 1,
            Max = 2,
            MotionBuilder = 3,
            OpenGL = 4,
            DirectX = 5, // right +X, up +Y, front -Z: left-handed
            Lightwave = 6,
        };

        // A world axis 0 (X), 1 (Y) or 2 (Z) with a sign of +1 or -1.
        struct SignedAxis
        {
            int axis = 0;
            int sign = 1;
            bool operator==(const SignedAxis&) const = default;
        };

        AxisSystem() : AxisSystem(EPreDefinedAxisSystem::MayaYUp) {}
        explicit AxisSystem(EPreDefinedAxisSystem aPreset);
        AxisSystem(SignedAxis aRight, SignedAxis anUp, SignedAxis aFront);

        SignedAxis Right() const { return myRight; }
        SignedAxis Up() const { return myUp; }
        SignedAxis Front() const { return myFront; }
        // True when the three axes are distinct.
        bool IsValid() const;

        bool operator==(const AxisSystem&) const = default;

        // The signed permutation taking points of aFrom into this system (rows: where
        // each source axis goes).
        AMatrix ConversionFrom(const AxisSystem& aFrom) const;

        // Rewrites every node transform, animation channel, control point, normal,
        // tangent, binormal and bind matrix so the scene is in this system.
        void DeepConvertScene(Scene* aScene) const;

    private:
        SignedAxis myRight;
        SignedAxis myUp;
        SignedAxis myFront;
    };
}
