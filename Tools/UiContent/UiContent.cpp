#include "UiContent.h"

#include "ContentKit/Random.h"

#include <algorithm>
#include <cmath>

namespace UiContent
{
    Art::Art(Output& anOutput, bool aKeepCopies)
        : myOutput(anOutput)
        , myKeep(aKeepCopies)
    {
    }

    namespace
    {
        std::string Portable(std::string aPath)
        {
            std::replace(aPath.begin(), aPath.end(), '\\', '/');
            return aPath;
        }
    }

    void Art::Texture(const std::string& aPath, const Canvas& aCanvas)
    {
        myOutput.Texture(aPath, aCanvas);
        if (!myKeep)
            return;
        const std::lock_guard lock(myMutex);
        myCopies[Portable(aPath)] = aCanvas;
    }

    const Canvas* Art::Find(const std::string& aPath) const
    {
        const std::lock_guard lock(myMutex);
        const auto found = myCopies.find(Portable(aPath));
        return found != myCopies.end() ? &found->second : nullptr;
    }

    float LabelWidth(const Font& aFont, const std::string& aLabel)
    {
        const float spaces = float(std::count(aLabel.begin(), aLabel.end(), ' '));
        return aFont.Measure(aLabel, LabelPixelSize) + spaces * aFont.Measure("x", LabelPixelSize) * 0.25f;
    }

    float ShadowedText(Canvas& aCanvas, const Font& aFont, const std::string& aText, float aCentreX, float aBaseline, float aSize,
                       const Paint& aPaint, float aShadow)
    {
        const float width = aFont.Measure(aText, aSize);
        const float left = aCentreX - width * 0.5f;
        const int margin = int(aSize * 0.5f);
        Canvas shadow(int(width) + 2 * margin, int(aSize * 1.5f) + 2 * margin);
        const float localBaseline = float(margin) + aSize * 1.1f;
        shadow.DrawText(aFont, aText, {float(margin), localBaseline}, aSize, WithAlpha(Palette::NightDeep, 1.0f));
        shadow.Blur(std::max(2.0f, aSize * 0.12f));
        shadow.MultiplyAlpha(aShadow);
        aCanvas.Blit(shadow, int(std::lround(left)) - margin + int(aSize * 0.04f), int(std::lround(aBaseline - localBaseline + aSize * 0.06f)));
        aCanvas.DrawText(aFont, aText, {left, aBaseline}, aSize, aPaint);
        return width;
    }

    void GlowingText(Canvas& aCanvas, const Font& aFont, const std::string& aText, float aCentreX, float aBaseline, float aSize, Color aTop,
                     Color aBottom, float anOutline, Color aGlowColor, float aGlowRadius, float aGlowStrength)
    {
        const float width = aFont.Measure(aText, aSize);
        const int margin = int(aGlowRadius * 2.0f + anOutline + 4.0f);
        const float ascent = aSize * 0.73f;
        Canvas text(int(width) + 2 * margin, int(aSize * 1.3f) + 2 * margin);
        const float localBaseline = float(margin) + aSize;
        text.DrawText(aFont, aText, {float(margin), localBaseline},
                      aSize, Paint::Linear({0, localBaseline - ascent}, aTop, {0, localBaseline}, aBottom));
        const int x = int(std::lround(aCentreX - width * 0.5f)) - margin;
        const int y = int(std::lround(aBaseline - localBaseline));
        if (aGlowRadius > 0.0f)
        {
            Canvas glow = text;
            glow.Tint(aGlowColor);
            glow.Blur(aGlowRadius);
            glow.MultiplyAlpha(aGlowStrength);
            const Blend previous = aCanvas.GetBlend();
            aCanvas.SetBlend(Blend::Add);
            aCanvas.Blit(glow, x, y);
            aCanvas.SetBlend(previous);
        }
        aCanvas.Blit(anOutline > 0.0f ? text.Outlined(anOutline, Palette::Ink) : text, x, y);
    }

    void Glow(Canvas& aCanvas, Vec2 aCentre, float aRadius, Color aColor, float aStrength)
    {
        Pen pen(aCanvas, Affine{});
        pen.Glow(aCentre, aRadius, aColor, aStrength);
    }

    void DrawMoth(Canvas& aCanvas, Vec2 aCentre, float aSize, float aHeading, float aSpread, Color aWing, Color aWingLight, Color aBody,
                  float anOutline)
    {
        // Designed with the head towards +x and a span of 1 (scaled here, so curves are
        // flattened for the size they are drawn at), then turned into place.
        Pen pen(aCanvas, Affine::Translate(aCentre) * Affine::Rotate(aHeading));
        const auto at = [aSize](float x, float y) { return Vec2{x, y} * aSize; };
        const float sweep = Pi * 0.5f + (1.0f - std::clamp(aSpread, 0.0f, 1.0f)) * Pi * 0.36f;
        for (const float side : {-1.0f, 1.0f})
        {
            const auto wing = [&](Vec2 aRoot, float anAngle, float aLength, float aWidth) {
                const Vec2 dir = FromAngle(anAngle * side);
                const Vec2 across = Vec2{dir.y, -dir.x} * side;   // towards the front edge
                const Vec2 tip = aRoot + dir * aLength;
                return SmoothCurve({(aRoot + Vec2{0.06f, 0.0f}) * aSize, (aRoot + dir * (aLength * 0.45f) + across * (aWidth * 0.55f)) * aSize,
                                    (tip + across * (aWidth * 0.2f)) * aSize, (tip - across * (aWidth * 0.25f)) * aSize,
                                    (aRoot + dir * (aLength * 0.5f) - across * (aWidth * 0.45f)) * aSize, (aRoot - Vec2{0.08f, 0.0f}) * aSize},
                                   8);
            };
            // Hind wing under the fore wing.
            pen.Shape(Path().AddPolygon(wing({-0.04f, 0.0f}, sweep + 0.35f, 0.34f, 0.26f)),
                      Paint::Linear(pen.Map({0, 0}), Darken(aWing, 0.25f), pen.Map(FromAngle((sweep + 0.35f) * side, 0.34f * aSize)), aWing), anOutline);
            const Vec2 tip = FromAngle(sweep * side, 0.5f * aSize);
            pen.Shape(Path().AddPolygon(wing({0.04f, 0.0f}, sweep, 0.5f, 0.3f)), Paint::Linear(pen.Map({0, 0}), aWing, pen.Map(tip), aWingLight), anOutline);
            // An ember eye spot and a pale vein on each fore wing.
            const Vec2 spot = FromAngle(sweep * side, 0.3f * aSize) + at(0.02f, 0.0f);
            pen.Shape(Path().AddCircle(spot, 0.055f * aSize), Paint::Radial(pen.Map(spot), 0.055f * aSize, Palette::EmberLight, Palette::Ember), anOutline * 0.6f);
            pen.Line({at(0.05f, 0.0f), FromAngle(sweep * side, 0.42f * aSize)}, 0.012f * aSize, WithAlpha(aWingLight, 0.55f));
            // Feathered antennae sweeping forward.
            pen.Line(SmoothCurve({at(0.2f, 0.025f * side), at(0.3f, 0.07f * side), at(0.38f, 0.15f * side)}, 6), 0.02f * aSize, Palette::Ink);
        }
        pen.Toned(Path().AddEllipse({0.0f, 0.0f}, 0.21f * aSize, 0.065f * aSize), at(0.02f, 0.0f), 0.21f * aSize, Darken(aBody, 0.35f), aBody,
                  Lighten(aBody, 0.35f), anOutline);
        pen.Toned(Path().AddCircle(at(0.19f, 0.0f), 0.055f * aSize), at(0.19f, 0.0f), 0.06f * aSize, Darken(aBody, 0.2f), aBody, Lighten(aBody, 0.5f),
                  anOutline);
    }

    void Fireflies(Canvas& aCanvas, float x, float y, float aWidth, float aHeight, int aCount, uint64_t aSeed, Color aColor, float aScale)
    {
        Rng rng(aSeed);
        Pen pen(aCanvas, Affine{});
        for (int i = 0; i < aCount; ++i)
        {
            const Vec2 p{x + rng.Range(0.0f, aWidth), y + rng.Range(0.0f, aHeight)};
            const float size = rng.Range(0.6f, 1.4f) * aScale;
            pen.Glow(p, 9.0f * size, aColor, rng.Range(0.35f, 0.7f));
            aCanvas.FillCircle(p, 1.4f * size, Lighten(aColor, 0.6f));
        }
    }
}
