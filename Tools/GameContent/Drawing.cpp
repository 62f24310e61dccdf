#include "Drawing.h"

#include <algorithm>
#include <cmath>

namespace GameContent
{
    Pen::Pen(Canvas& aCanvas, const Affine& aDesignToPixels)
        : myCanvas(aCanvas)
        , myTransform(aDesignToPixels)
        , myScale(std::sqrt(std::abs(aDesignToPixels.a * aDesignToPixels.d - aDesignToPixels.b * aDesignToPixels.c)))
    {
    }

    void Pen::Shape(const Path& aPath, const Paint& aPaint, float anOutline)
    {
        const Path mapped = aPath.Transformed(myTransform);
        if (anOutline > 0.0f)
        {
            Path rim;
            for (const auto& contour : mapped.Contours())
                rim.AddPath(StrokeOutline(contour, anOutline * myScale * 2.0f, anOutline * myScale * 2.0f, true));
            rim.AddPath(mapped);
            myCanvas.Fill(rim, Palette::Ink);
        }
        myCanvas.Fill(mapped, aPaint);
    }

    void Pen::Toned(const Path& aPath, Vec2 aCentre, float aRadius, Color aDark, Color aMid, Color aLight, float anOutline)
    {
        const Vec2 lightInPixels = Normalized(myTransform.Apply(LightDirection) - myTransform.Apply({0, 0}));
        Shape(aPath, Paint::Tones(Map(aCentre), aRadius * myScale, lightInPixels, aDark, aMid, aLight), anOutline);
    }

    void Pen::Limb(const std::vector<Vec2>& somePoints, float aStartWidth, float anEndWidth, const Paint& aPaint, float anOutline)
    {
        std::vector<Vec2> mapped;
        for (const Vec2& p : somePoints)
            mapped.push_back(Map(p));
        if (anOutline > 0.0f)
        {
            const float extra = 2.0f * anOutline * myScale;
            myCanvas.Fill(StrokeOutline(mapped, aStartWidth * myScale + extra, anEndWidth * myScale + extra, false), Palette::Ink);
        }
        myCanvas.Fill(StrokeOutline(mapped, aStartWidth * myScale, anEndWidth * myScale, false), aPaint);
    }

    void Pen::Line(const std::vector<Vec2>& somePoints, float aWidth, const Paint& aPaint)
    {
        std::vector<Vec2> mapped;
        for (const Vec2& p : somePoints)
            mapped.push_back(Map(p));
        myCanvas.Fill(StrokeOutline(mapped, aWidth * myScale, aWidth * myScale, false), aPaint);
    }

    void Pen::Puffs(const std::vector<std::pair<Vec2, float>>& someDiscs, const Paint& aPaint, float anOutline)
    {
        Path rim, body;
        for (const auto& [centre, radius] : someDiscs)
        {
            rim.AddCircle(Map(centre), (radius + anOutline) * myScale);
            body.AddCircle(Map(centre), radius * myScale);
        }
        if (anOutline > 0.0f)
            myCanvas.Fill(rim, Palette::Ink);
        myCanvas.Fill(body, aPaint);
    }

    void Pen::TonedPuffs(const std::vector<std::pair<Vec2, float>>& someDiscs, Vec2 aCentre, float aRadius, Color aDark, Color aMid,
                         Color aLight, float anOutline)
    {
        const Vec2 lightInPixels = Normalized(myTransform.Apply(LightDirection) - myTransform.Apply({0, 0}));
        Puffs(someDiscs, Paint::Tones(Map(aCentre), aRadius * myScale, lightInPixels, aDark, aMid, aLight), anOutline);
    }

    void Pen::Glow(Vec2 aCentre, float aRadius, Color aColor, float aStrength)
    {
        const Blend previous = myCanvas.GetBlend();
        myCanvas.SetBlend(Blend::Add);
        const Vec2 centre = Map(aCentre);
        const float radius = aRadius * myScale;
        myCanvas.FillCircle(centre, radius,
                            Paint::Radial(centre, radius,
                                          {{0.0f, WithAlpha(aColor, aStrength)},
                                           {0.35f, WithAlpha(aColor, aStrength * 0.45f)},
                                           {1.0f, WithAlpha(aColor, 0.0f)}}));
        myCanvas.SetBlend(previous);
    }

    Paint Pen::Radial(Vec2 aCentre, float aRadius, std::vector<std::pair<float, Color>> someStops) const
    {
        return Paint::Radial(Map(aCentre), aRadius * myScale, std::move(someStops));
    }

    Vec2 SolveKnee(Vec2 aHip, Vec2 aFoot, float aThigh, float aShin, float aBendSide)
    {
        Vec2 toFoot = aFoot - aHip;
        float distance = Length(toFoot);
        const float reach = (aThigh + aShin) * 0.999f;
        if (distance > reach)
        {
            toFoot = toFoot * (reach / distance);
            distance = reach;
        }
        distance = std::max(distance, 1e-3f);
        const Vec2 dir = toFoot / distance;
        const float along = (aThigh * aThigh - aShin * aShin + distance * distance) / (2.0f * distance);
        const float height = std::sqrt(std::max(0.0f, aThigh * aThigh - along * along));
        Vec2 side = Perpendicular(dir);
        if (side.x * aBendSide < 0.0f)
            side = side * -1.0f;
        return aHip + dir * along + side * height;
    }

    float Clamp01f(float t)
    {
        return std::clamp(t, 0.0f, 1.0f);
    }

    float Smooth01(float t)
    {
        t = Clamp01f(t);
        return t * t * (3.0f - 2.0f * t);
    }
}
