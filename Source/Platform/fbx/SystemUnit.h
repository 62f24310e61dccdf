#pragma once
// Length units, as centimetres per unit, and the conversion of a whole scene to a unit.
namespace Plat::Fbx
{
    class Scene;

    // What a unit conversion touches. Only the clusters switch changes anything here:
    // every node is rescaled the same way whatever its inherit type, and limits,
    // lights and cameras are not read.
    struct UnitConversionOptions
    {
        bool mConvertRrsNodes = true;
        bool mConvertLimits = true;
        bool mConvertClusters = true; // scale the translations of skin bind matrices
        bool mConvertLightIntensity = true;
        bool mConvertPhotometricLProperties = true;
        bool mConvertCameraClipPlanes = true;
    };

    class SystemUnit
    {
    public:
        using ConversionOptions = UnitConversionOptions;

        constexpr explicit SystemUnit(double aCentimetresPerUnit = 1.0) : myScaleFactor(aCentimetresPerUnit) {}

        static const SystemUnit mm;
        static const SystemUnit cm;
        static const SystemUnit dm;
        static const SystemUnit m;
        static const SystemUnit km;
        static const SystemUnit Inch;
        static const SystemUnit Foot;

        double GetScaleFactor() const { return myScaleFactor; }
        bool operator==(const SystemUnit& anOther) const;
        bool operator!=(const SystemUnit& anOther) const { return !(*this == anOther); }

        // Rescales every length in the scene (control points, translations and their
        // curves, pivots, offsets, geometric translations, bind matrices, LOD distances)
        // so the scene is expressed in this unit, then records the unit in the scene.
        void ConvertScene(Scene* aScene, const ConversionOptions& someOptions = ConversionOptions()) const;

    private:
        double myScaleFactor;
    };
}
