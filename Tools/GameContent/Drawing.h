#pragma once
// Drawing helpers the character and effect painters share: parts with an ink outline,
// cel-shaded fills, two-bone legs and soft glows, all in a design space mapped onto a cell.
#include "GameContent.h"

#include "ContentKit/Geometry.h"

namespace GameContent
{
    // Draws in design units mapped onto a canvas by an affine transform (scale and offset,
    // optionally a lean), so a character is authored once at the size its quad has in the
    // world and rendered at any cell size.
    class Pen
    {
    public:
        Pen(Canvas& aCanvas, const Affine& aDesignToPixels);

        Canvas& Target() { return myCanvas; }
        const Affine& Transform() const { return myTransform; }
        float Scale() const { return myScale; }   // pixels per design unit
        Vec2 Map(Vec2 aPoint) const { return myTransform.Apply(aPoint); }

        // A closed shape with an ink rim of anOutline design units (0: none).
        void Shape(const Path& aPath, const Paint& aPaint, float anOutline);
        // Cel-shaded shape: light from the upper front, three tones around aCentre.
        void Toned(const Path& aPath, Vec2 aCentre, float aRadius, Color aDark, Color aMid, Color aLight, float anOutline);
        // A tapered limb or strand along somePoints, with an ink rim.
        void Limb(const std::vector<Vec2>& somePoints, float aStartWidth, float anEndWidth, const Paint& aPaint, float anOutline);
        void Line(const std::vector<Vec2>& somePoints, float aWidth, const Paint& aPaint);
        // A cloud of overlapping discs with one rim around the whole (fluff, smoke, foliage).
        void Puffs(const std::vector<std::pair<Vec2, float>>& someDiscs, const Paint& aPaint, float anOutline);
        void TonedPuffs(const std::vector<std::pair<Vec2, float>>& someDiscs, Vec2 aCentre, float aRadius, Color aDark, Color aMid,
                        Color aLight, float anOutline);
        // A soft radial glow (drawn additively).
        void Glow(Vec2 aCentre, float aRadius, Color aColor, float aStrength);
        // A design-space paint centred at aCentre.
        Paint Radial(Vec2 aCentre, float aRadius, std::vector<std::pair<float, Color>> someStops) const;

    private:
        Canvas& myCanvas;
        Affine myTransform;
        float myScale;
    };

    // The light falls from the upper front (right) in every picture.
    inline const Vec2 LightDirection{0.55f, -0.85f};

    // The knee of a two-bone limb from aHip to aFoot, bending towards aBendSide (+1: the knee
    // points forward, to +x).
    Vec2 SolveKnee(Vec2 aHip, Vec2 aFoot, float aThigh, float aShin, float aBendSide);

    float Smooth01(float t);
    float Clamp01f(float t);
}
