// Writes the game's films and their soundtracks into <output folder>:
//   VID_VT58.mp4   6.5 s, 640 x 320: the team card the splash screen plays after the logo
//   VID_Intro.mp4  38 s,  512 x 256: the story before the first level (drawn W x W/2)
//   VID_Outro.mp4  85 s,  640 x 360: the homecoming and the credits (drawn full screen)
//   VID_Intro_Sound.mp3, VID_Outro_Sound.mp3: their music, as long as the films
// The films are drawn in code (a night forest, moths, embers, shadow hands, a flame and
// captions in the engine's UI face) at 15 frames a second, several frames at once.
// Usage: tool_MakeGameVideos <output folder>
#include "ContentKit/Canvas.h"
#include "ContentKit/Geometry.h"
#include "ContentKit/Random.h"

#include "Platform/soundlib/Encoder.h"

extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

namespace
{
    using namespace ContentKit;

    constexpr int FrameRate = 15;

    // ---- Small helpers ------------------------------------------------------------------

    float Clamp01(float aValue) { return std::clamp(aValue, 0.0f, 1.0f); }
    float Smooth(float aValue)
    {
        const float t = Clamp01(aValue);
        return t * t * (3.0f - 2.0f * t);
    }
    // 0 before aStart, rising over aIn, 1 until anEnd - anOut, falling to 0 at anEnd.
    float Window(float t, float aStart, float anEnd, float anIn = 0.8f, float anOut = 0.8f)
    {
        return Smooth((t - aStart) / anIn) * Smooth((anEnd - t) / anOut);
    }
    // 0..1 over [aStart, anEnd].
    float Progress(float t, float aStart, float anEnd) { return Smooth((t - aStart) / (anEnd - aStart)); }
    float Hash(uint64_t aValue) { return static_cast<float>(Mix64(aValue) >> 40) / static_cast<float>(1 << 24); }

    const Color NightTop = Hex(0x05070f);
    const Color NightHorizon = Hex(0x1c2442);
    const Color DawnTop = Hex(0x2b2452);
    const Color DawnHorizon = Hex(0xe0915e);
    const Color Ember = Hex(0xff9438);
    const Color EmberCore = Hex(0xffe3a6);
    const Color MothWing = Hex(0xd6ccb2);
    const Color HandColour = Hex(0x090510);
    const Color CaptionColour = Hex(0xf0e6d0);

    // ---- Layers drawn once per film -----------------------------------------------------

    Canvas MakeSky(int aWidth, int aHeight, Color aTop, Color aHorizon, uint64_t aSeed, float aStars)
    {
        Canvas sky(aWidth, aHeight);
        sky.FillRect(0, 0, float(aWidth), float(aHeight), Paint::Linear({0, 0}, aTop, {0, float(aHeight) * 0.85f}, aHorizon));
        Rng rng(aSeed);
        const int stars = static_cast<int>(float(aWidth * aHeight) / 900.0f * aStars);
        for (int i = 0; i < stars; ++i)
        {
            const Vec2 p{rng.Range(0, float(aWidth)), rng.Range(0, float(aHeight) * 0.6f)};
            sky.FillCircle(p, rng.Range(0.4f, 1.1f), WithAlpha(Hex(0xdfe6ff), rng.Range(0.3f, 0.9f)));
        }
        return sky;
    }

    void DrawMoon(Canvas& aCanvas, Vec2 aCentre, float aRadius, float anAlpha)
    {
        aCanvas.FillCircle(aCentre, aRadius * 3.0f, Paint::Radial(aCentre, aRadius * 3.0f, WithAlpha(Hex(0x8fa4d8), 0.25f * anAlpha), Transparent));
        aCanvas.FillCircle(aCentre, aRadius, WithAlpha(Hex(0xe8ecf6), anAlpha));
        aCanvas.FillCircle(aCentre + Vec2{aRadius * 0.35f, -aRadius * 0.2f}, aRadius * 0.85f, WithAlpha(Hex(0xc9d0e2), 0.35f * anAlpha));
    }

    // A band of pine silhouettes that tiles sideways, with the ground below aBase.
    Canvas MakeForest(int aWidth, int aHeight, float aBase, float aMinHeight, float aMaxHeight, float aSpacing, Color aColour,
                      uint64_t aSeed)
    {
        Canvas layer(aWidth, aHeight);
        Rng rng(aSeed);
        const float w = float(aWidth);
        for (float x = 0.0f; x < w; x += aSpacing * rng.Range(0.6f, 1.3f))
        {
            const float height = rng.Range(aMinHeight, aMaxHeight);
            const float half = height * rng.Range(0.18f, 0.26f);
            const float base = aBase + rng.Range(-4.0f, 6.0f);
            for (float offset : {0.0f, -w, w})
            {
                const float cx = x + offset;
                if (cx + half < 0.0f || cx - half > w)
                    continue;
                // Three stacked tiers and a trunk.
                for (int tier = 0; tier < 3; ++tier)
                {
                    const float top = base - height + float(tier) * height * 0.22f;
                    const float bottom = base - height * (0.35f - 0.12f * float(tier));
                    const float spread = half * (0.55f + 0.25f * float(tier));
                    layer.FillPolygon({{cx, top}, {cx + spread, bottom}, {cx - spread, bottom}}, aColour);
                }
                layer.FillRect(cx - half * 0.08f, base - height * 0.3f, half * 0.16f, height * 0.3f, aColour);
            }
        }
        layer.FillRect(0, aBase, w, float(aHeight) - aBase, aColour);
        return layer;
    }

    // Draws a tiling layer scrolled left by anOffset pixels.
    void DrawScrolled(Canvas& aCanvas, const Canvas& aLayer, float anOffset, float anOpacity = 1.0f)
    {
        const int w = aLayer.Width();
        const int x = -static_cast<int>(std::fmod(std::max(anOffset, 0.0f), float(w)));
        aCanvas.Blit(aLayer, x, 0, anOpacity);
        aCanvas.Blit(aLayer, x + w, 0, anOpacity);
    }

    // A title drawn once with its blurred glow beneath.
    Canvas MakeGlowingTitle(const Font& aFont, const std::string& aText, float aSize, int aWidth, int aHeight, Color aGlow)
    {
        Canvas glow(aWidth, aHeight);
        const float width = aFont.Measure(aText, aSize);
        const Vec2 origin{(float(aWidth) - width) * 0.5f, float(aHeight) * 0.5f + aFont.Ascent(aSize) * 0.35f};
        glow.DrawText(aFont, aText, origin, aSize, aGlow);
        glow.Blur(aSize * 0.22f);
        Canvas title(aWidth, aHeight);
        title.Blit(glow, 0, 0);
        title.Blit(glow, 0, 0, 0.8f);
        title.DrawText(aFont, aText, origin, aSize, EmberCore);
        return title;
    }

    // ---- Figures --------------------------------------------------------------------------

    // Rising embers in a box; each loops from the bottom of the box to its top.
    void DrawEmbers(Canvas& aCanvas, float t, int aCount, uint64_t aSeed, float anIntensity, float x0, float y0, float x1, float y1,
                    float aSpeed)
    {
        if (anIntensity <= 0.0f)
            return;
        const Blend before = aCanvas.GetBlend();
        aCanvas.SetBlend(Blend::Add);
        const float h = y1 - y0;
        for (int i = 0; i < aCount; ++i)
        {
            const uint64_t key = aSeed * 7919u + static_cast<uint64_t>(i);
            const float speed = aSpeed * (0.5f + Hash(key));
            const float y = y1 - std::fmod(t * speed + Hash(key + 1) * h, h);
            const float x = x0 + Hash(key + 2) * (x1 - x0) + std::sin(t * (0.8f + Hash(key + 3)) + float(i)) * 6.0f;
            const float size = 0.8f + Hash(key + 4) * 1.4f;
            const float life = 1.0f - (y1 - y) / h;   // fades as it rises
            const float flicker = 0.65f + 0.35f * std::sin(t * (6.0f + 5.0f * Hash(key + 5)) + float(i));
            const float a = anIntensity * flicker * Smooth(life * 3.0f);
            aCanvas.FillCircle({x, y}, size * 3.0f, WithAlpha(Ember, 0.18f * a));
            aCanvas.FillCircle({x, y}, size, WithAlpha(EmberCore, 0.9f * a));
        }
        aCanvas.SetBlend(before);
    }

    // A moth seen from the front: four wings that beat (aBeat 0 folded .. 1 open), a body,
    // feelers and, for the hero, a warm glow.
    void DrawMoth(Canvas& aCanvas, Vec2 aCentre, float aSize, float aBeat, float aTilt, Color aWing, float aGlow, float anAlpha = 1.0f)
    {
        if (anAlpha <= 0.0f)
            return;
        const auto at = [&](float x, float y) { return aCentre + Rotated(Vec2{x, y} * aSize, aTilt); };
        if (aGlow > 0.0f)
        {
            const Blend before = aCanvas.GetBlend();
            aCanvas.SetBlend(Blend::Add);
            aCanvas.FillCircle(aCentre, aSize * 3.2f, Paint::Radial(aCentre, aSize * 3.2f, WithAlpha(Ember, 0.45f * aGlow * anAlpha), Transparent));
            aCanvas.SetBlend(before);
        }
        const float open = 0.25f + 0.75f * Clamp01(aBeat);
        const Color wing = WithAlpha(aWing, anAlpha);
        const Color dark = WithAlpha(Darken(aWing, 0.35f), anAlpha);
        for (float side : {-1.0f, 1.0f})
        {
            aCanvas.FillEllipse(at(side * 0.55f * open, -0.12f), 0.62f * open * aSize, 0.34f * aSize, aTilt + side * 0.45f, wing);
            aCanvas.FillEllipse(at(side * 0.38f * open, 0.28f), 0.4f * open * aSize, 0.24f * aSize, aTilt - side * 0.35f, dark);
            aCanvas.FillCircle(at(side * 0.62f * open, -0.16f), 0.09f * aSize, WithAlpha(Hex(0x5a4a3a), anAlpha));
            aCanvas.DrawPolyline({at(side * 0.05f, -0.42f), at(side * 0.2f, -0.72f), at(side * 0.34f, -0.8f)}, std::max(0.6f, 0.04f * aSize), wing);
        }
        aCanvas.FillEllipse(at(0.0f, 0.05f), 0.13f * aSize, 0.5f * aSize, aTilt, WithAlpha(Hex(0x3b3128), anAlpha));
        if (aGlow > 0.0f)
            aCanvas.FillEllipse(at(0.0f, 0.1f), 0.08f * aSize, 0.3f * aSize, aTilt, WithAlpha(EmberCore, aGlow * anAlpha));
    }

    // A long shadow hand reaching up from aWrist in direction anAngle (radians, -pi/2 is up),
    // with a faint violet rim so that it reads against the night.
    void DrawHand(Canvas& aCanvas, Vec2 aWrist, float aSize, float anAngle, float aCurl, float anAlpha)
    {
        if (anAlpha <= 0.0f)
            return;
        const Vec2 up = FromAngle(anAngle);
        const Vec2 side = Perpendicular(up);
        const auto shape = [&](Color aColour, float aGrow) {
            aCanvas.DrawTapered({aWrist - up * (aSize * 2.5f), aWrist - up * (aSize * 1.0f), aWrist}, aSize * 0.62f + aGrow,
                                aSize * 0.5f + aGrow, aColour);
            const Vec2 palm = aWrist + up * (aSize * 0.42f);
            aCanvas.FillEllipse(palm, aSize * 0.36f + aGrow * 0.5f, aSize * 0.46f + aGrow * 0.5f, anAngle + Pi / 2.0f, aColour);
            for (int finger = 0; finger < 4; ++finger)
            {
                const float across = (float(finger) - 1.5f) * 0.2f;
                const float length = aSize * (0.75f + 0.15f * (1.0f - std::fabs(across) * 3.0f));
                const Vec2 base = palm + side * (across * aSize) + up * (aSize * 0.3f);
                const float bend = aCurl * (0.6f + 0.1f * float(finger));
                const Vec2 mid = base + Rotated(up, across * 0.6f + bend * 0.5f) * (length * 0.5f);
                const Vec2 tip = mid + Rotated(up, across * 0.6f + bend * 1.6f) * (length * 0.5f);
                aCanvas.DrawTapered({base, mid, tip}, aSize * 0.14f + aGrow, aSize * 0.04f + aGrow, aColour);
            }
            const Vec2 thumbBase = palm - side * (aSize * 0.3f);
            aCanvas.DrawTapered({thumbBase, thumbBase + Rotated(up, -0.9f + aCurl) * (aSize * 0.5f)}, aSize * 0.14f + aGrow,
                                aSize * 0.05f + aGrow, aColour);
        };
        shape(WithAlpha(Hex(0x6a4a96), 0.55f * anAlpha), 2.2f);
        shape(WithAlpha(HandColour, anAlpha), 0.0f);
    }

    // A teardrop of flame standing on aBase.
    Path Teardrop(Vec2 aBase, float aRadius, float aHeight, float aSway)
    {
        Path path;
        path.MoveTo(aBase + Vec2{aRadius, 0.0f});
        for (int i = 1; i <= 8; ++i)
        {
            const float a = Pi * float(i) / 8.0f;
            path.LineTo(aBase + Vec2{std::cos(a) * aRadius, std::sin(a) * aRadius * 0.7f});
        }
        const Vec2 tip = aBase + Vec2{aSway, -aHeight};
        path.QuadTo(aBase + Vec2{-aRadius * 1.1f, -aHeight * 0.45f}, tip);
        path.QuadTo(aBase + Vec2{aRadius * 1.1f, -aHeight * 0.45f}, aBase + Vec2{aRadius, 0.0f});
        path.Close();
        return path;
    }

    void DrawFlame(Canvas& aCanvas, Vec2 aBase, float aSize, float t, float aStrength)
    {
        if (aStrength <= 0.01f)
            return;
        const float s = aSize * aStrength;
        const float sway = std::sin(t * 5.3f) * s * 0.12f + std::sin(t * 9.1f) * s * 0.05f;
        const float lick = 1.0f + 0.08f * std::sin(t * 11.0f);
        const Blend before = aCanvas.GetBlend();
        aCanvas.SetBlend(Blend::Add);
        aCanvas.FillCircle(aBase - Vec2{0.0f, s * 0.6f}, s * 3.5f,
                           Paint::Radial(aBase - Vec2{0.0f, s * 0.6f}, s * 3.5f, WithAlpha(Ember, 0.35f * aStrength), Transparent));
        aCanvas.SetBlend(before);
        aCanvas.Fill(Teardrop(aBase, s * 0.55f, s * 1.9f * lick, sway), WithAlpha(Hex(0xe0561c), 0.9f));
        aCanvas.Fill(Teardrop(aBase + Vec2{0.0f, -s * 0.05f}, s * 0.4f, s * 1.4f * lick, sway * 0.8f), WithAlpha(Ember, 0.95f));
        aCanvas.Fill(Teardrop(aBase + Vec2{0.0f, -s * 0.08f}, s * 0.22f, s * 0.8f, sway * 0.5f), EmberCore);
    }

    // The old stone bowl the flame lives in.
    void DrawShrine(Canvas& aCanvas, Vec2 aBowl, float aSize, float aWarmth)
    {
        const Color stone = Mix(Hex(0x1c2030), Hex(0x5a3a2a), aWarmth * 0.6f);
        aCanvas.FillPolygon({aBowl + Vec2{-aSize * 0.35f, aSize * 0.15f}, aBowl + Vec2{aSize * 0.35f, aSize * 0.15f},
                             aBowl + Vec2{aSize * 0.5f, aSize * 1.6f}, aBowl + Vec2{-aSize * 0.5f, aSize * 1.6f}},
                            stone);
        aCanvas.FillEllipse(aBowl, aSize * 0.75f, aSize * 0.22f, 0.0f, Lighten(stone, 0.08f));
        aCanvas.FillEllipse(aBowl - Vec2{0.0f, aSize * 0.05f}, aSize * 0.6f, aSize * 0.12f, 0.0f, Mix(Hex(0x07080c), Hex(0x4a1d0a), aWarmth));
    }

    void Dim(Canvas& aCanvas, float anAmount)
    {
        if (anAmount > 0.0f)
            aCanvas.FillRect(0, 0, float(aCanvas.Width()), float(aCanvas.Height()), WithAlpha(Hex(0x000000), Clamp01(anAmount)));
    }

    // A centred line of text with a soft shadow.
    void Caption(Canvas& aCanvas, const Font& aFont, const std::string& aText, float aBaseline, float aSize, float anAlpha,
                 Color aColour = CaptionColour)
    {
        if (anAlpha <= 0.0f || !aFont.IsValid())
            return;
        const float x = (float(aCanvas.Width()) - aFont.Measure(aText, aSize)) * 0.5f;
        aCanvas.DrawText(aFont, aText, {x + 1.0f, aBaseline + 1.5f}, aSize, WithAlpha(Hex(0x000000), 0.75f * anAlpha));
        aCanvas.DrawText(aFont, aText, {x, aBaseline}, aSize, WithAlpha(aColour, anAlpha));
    }

    // A moth wandering on a slow figure-eight around aCentre.
    Vec2 Wander(float t, Vec2 aCentre, Vec2 aReach, float aSpeed, float aPhase)
    {
        return aCentre + Vec2{std::sin(t * aSpeed + aPhase) * aReach.x, std::sin(t * aSpeed * 1.7f + aPhase * 2.0f) * aReach.y};
    }
    float Beat(float t, float aRate, float aPhase) { return std::fabs(std::sin(t * aRate + aPhase)); }

    // ---- The films -------------------------------------------------------------------------

    struct Fonts
    {
        Font regular{DefaultFontPath(false)};
        Font bold{DefaultFontPath(true)};
    };

    // Draws frame time t into the canvas; one per film, shared read-only by the workers.
    using FrameDrawer = std::function<void(Canvas&, float, const Fonts&)>;

    struct TeamCard
    {
        static constexpr int W = 640, H = 320;
        static constexpr float Seconds = 6.5f;
        Canvas title;

        TeamCard()
        {
            Fonts fonts;
            title = MakeGlowingTitle(fonts.bold, "VT58", 120.0f, W, 200, Ember);
        }

        void operator()(Canvas& c, float t, const Fonts& f) const
        {
            c.Clear(Hex(0x080507));
            c.FillRect(0, 0, W, H, Paint::Radial({W * 0.5f, H * 0.5f}, W * 0.6f, WithAlpha(Hex(0x2a140c), Progress(t, 0.0f, 2.0f)), Transparent));
            DrawEmbers(c, t, 40, 58, 1.0f, 0, H * 0.35f, W, H * 0.92f, 40.0f);
            c.Blit(title, 0, 40, Progress(t, 0.4f, 1.8f));
            Caption(c, f.regular, "presents", 235.0f, 26.0f, Progress(t, 2.0f, 3.0f));
            // A moth flutters in and settles above the name.
            const float arrive = Progress(t, 0.0f, 3.2f);
            const Vec2 from{-40.0f, 260.0f}, to{W * 0.5f, 62.0f};
            const Vec2 path = Lerp(from, to, arrive) + Vec2{0.0f, std::sin(arrive * Pi) * -60.0f};
            DrawMoth(c, path + Vec2{0.0f, std::sin(t * 2.0f) * 3.0f}, 18.0f, Beat(t, 9.0f, 0.0f), 0.15f * (1.0f - arrive),
                     MothWing, 0.7f);
            Dim(c, 1.0f - Window(t, 0.0f, Seconds, 0.5f, 0.8f));
        }
    };

    struct Intro
    {
        static constexpr int W = 512, H = 256;
        static constexpr float Seconds = 38.0f;
        Canvas sky = MakeSky(W, H, NightTop, NightHorizon, 1, 1.0f);
        Canvas far = MakeForest(W, H, 200.0f, 60.0f, 115.0f, 26.0f, Hex(0x161c33), 11);
        Canvas mid = MakeForest(W, H, 222.0f, 50.0f, 95.0f, 34.0f, Hex(0x0d1125), 12);
        Canvas near = MakeForest(W, H, 246.0f, 40.0f, 80.0f, 60.0f, Hex(0x04060c), 13);
        Canvas title;

        Intro()
        {
            Fonts fonts;
            title = MakeGlowingTitle(fonts.bold, "KILN", 84.0f, W, 140, Ember);
        }

        void Forest(Canvas& c, float aPan) const
        {
            c = sky;
            DrawMoon(c, {400.0f, 48.0f}, 14.0f, 1.0f);
            DrawScrolled(c, far, aPan * 0.25f);
            DrawScrolled(c, mid, aPan * 0.5f);
        }

        void operator()(Canvas& c, float t, const Fonts& f) const
        {
            const Vec2 bowl{W * 0.5f, 205.0f};
            if (t < 7.0f)
            {
                // The old forest at night, moths drifting between the pines.
                const float pan = t * 22.0f;
                Forest(c, pan);
                DrawEmbers(c, t, 14, 1, 0.5f, 0, 60, W, H, 14.0f);
                for (int i = 0; i < 3; ++i)
                    DrawMoth(c, Wander(t, {140.0f + 120.0f * float(i), 110.0f}, {50.0f, 25.0f}, 0.6f + 0.1f * float(i), float(i) * 2.0f),
                             9.0f, Beat(t, 11.0f, float(i)), 0.0f, MothWing, 0.0f, 0.9f);
                DrawScrolled(c, near, pan);
                Caption(c, f.regular, "Deep in the old forest, the moths kept a single flame.", 236.0f, 17.0f, Window(t, 1.0f, 6.6f));
                Dim(c, 1.0f - Smooth(t / 1.2f));
            }
            else if (t < 22.0f)
            {
                // The flame, the moths around it; then the hands come and it goes cold.
                Forest(c, 154.0f);
                DrawScrolled(c, near, 154.0f);
                const float dim = Progress(t, 15.0f, 20.5f);
                const float flame = 1.0f - Progress(t, 16.0f, 20.0f);
                DrawShrine(c, bowl, 26.0f, flame);
                DrawFlame(c, bowl - Vec2{0.0f, 4.0f}, 22.0f, t, flame);
                DrawEmbers(c, t, 24, 2, flame, bowl.x - 60.0f, 40.0f, bowl.x + 60.0f, bowl.y - 10.0f, 26.0f);
                for (int i = 0; i < 5; ++i)
                {
                    const float a = t * (0.9f + 0.07f * float(i)) + float(i) * 1.26f;
                    Vec2 p = bowl + Vec2{std::cos(a) * (55.0f + 8.0f * float(i)), std::sin(a) * 18.0f - 62.0f};
                    // They scatter when the hands rise.
                    const float flee = Progress(t, 14.8f, 18.0f);
                    p = p + Normalized(p - bowl) * (flee * 260.0f);
                    DrawMoth(c, p, 8.0f, Beat(t, 12.0f, float(i)), std::cos(a) * 0.3f, MothWing, 0.15f * flame, 1.0f - flee);
                }
                const float rise = Progress(t, 14.0f, 18.5f);
                const float xs[4] = {120.0f, 188.0f, 324.0f, 392.0f};
                for (int i = 0; i < 4; ++i)
                {
                    const float toward = (xs[i] < bowl.x ? 0.35f : -0.35f);
                    DrawHand(c, {xs[i] + std::sin(t * 1.3f + float(i)) * 4.0f, 330.0f - rise * 150.0f}, 30.0f,
                             -Pi / 2.0f + toward, 0.25f + 0.5f * dim, rise);
                }
                Dim(c, 0.35f * dim);
                Caption(c, f.regular, "Its embers warmed the woods and lit the way home.", 236.0f, 17.0f, Window(t, 8.0f, 13.6f));
                Caption(c, f.regular, "Then the hands crept out of the roots, and the light went cold.", 236.0f, 16.0f, Window(t, 15.0f, 21.2f));
                Dim(c, 1.0f - Window(t, 7.0f, 22.0f, 0.5f, 0.6f));
            }
            else if (t < 30.0f)
            {
                // In the ashes one spark is left; it becomes a small glowing moth.
                Forest(c, 154.0f);
                DrawScrolled(c, near, 154.0f);
                DrawShrine(c, bowl, 26.0f, 0.0f);
                const float sink = Progress(t, 22.0f, 24.0f);
                const float xs[4] = {120.0f, 188.0f, 324.0f, 392.0f};
                for (int i = 0; i < 4; ++i)
                    DrawHand(c, {xs[i], 180.0f + sink * 150.0f}, 30.0f, -Pi / 2.0f + (xs[i] < bowl.x ? 0.35f : -0.35f), 0.75f, 1.0f - sink);
                Dim(c, 0.35f);
                const float wake = Progress(t, 23.0f, 25.0f);
                const float fly = Progress(t, 25.0f, 29.5f);
                const Vec2 spark = bowl - Vec2{0.0f, 6.0f};
                const Vec2 p = Lerp(spark, {330.0f, 80.0f}, fly) + Vec2{std::sin(t * 2.5f) * 12.0f * fly, std::sin(fly * Pi) * -30.0f};
                const Blend before = c.GetBlend();
                c.SetBlend(Blend::Add);
                c.FillCircle(spark, 10.0f * wake, Paint::Radial(spark, 10.0f * wake + 0.1f, WithAlpha(Ember, 0.8f * (1.0f - fly)), Transparent));
                c.SetBlend(before);
                DrawMoth(c, p, 4.0f + 6.0f * wake, Beat(t, 13.0f, 0.0f) * wake, std::sin(t) * 0.2f, MothWing, 0.9f, wake);
                DrawEmbers(c, t, 10, 3, fly, p.x - 20.0f, p.y, p.x + 20.0f, p.y + 60.0f, 20.0f);
                Caption(c, f.regular, "Only one small moth still carried a spark.", 236.0f, 17.0f, Window(t, 23.0f, 29.3f));
                Dim(c, 1.0f - Window(t, 22.0f, 30.0f, 0.6f, 0.6f));
            }
            else
            {
                // The title, with the little moth circling it.
                Forest(c, 154.0f + (t - 30.0f) * 4.0f);
                Dim(c, 0.35f);
                DrawEmbers(c, t, 30, 4, 1.0f, 0, 80, W, H, 22.0f);
                c.Blit(title, 0, 40, Progress(t, 30.3f, 32.0f));
                const float a = t * 1.4f;
                const Vec2 p{W * 0.5f + std::cos(a) * 130.0f, 108.0f + std::sin(a) * 40.0f};
                DrawMoth(c, p, 9.0f, Beat(t, 12.0f, 0.0f), std::cos(a) * 0.4f, MothWing, 0.9f);
                Caption(c, f.regular, "Carry the spark home.", 200.0f, 18.0f, Window(t, 32.0f, 37.6f));
                Dim(c, 1.0f - Window(t, 30.0f, Seconds, 0.6f, 1.2f));
            }
        }
    };

    struct Outro
    {
        static constexpr int W = 640, H = 360;
        static constexpr float Seconds = 85.0f;
        Canvas night = MakeSky(W, H, NightTop, NightHorizon, 5, 1.0f);
        Canvas dawn = MakeSky(W, H, DawnTop, DawnHorizon, 6, 0.2f);
        Canvas far = MakeForest(W, H, 282.0f, 80.0f, 150.0f, 30.0f, Hex(0x171d35), 21);
        Canvas mid = MakeForest(W, H, 312.0f, 60.0f, 120.0f, 40.0f, Hex(0x0d1126), 22);
        Canvas near = MakeForest(W, H, 346.0f, 50.0f, 100.0f, 70.0f, Hex(0x04050b), 23);
        Canvas title;

        Outro()
        {
            Fonts fonts;
            title = MakeGlowingTitle(fonts.bold, "KILN", 64.0f, W, 110, Ember);
        }

        void Background(Canvas& c, float aPan, float aDawn) const
        {
            c = night;
            if (aDawn > 0.0f)
                c.Blit(dawn, 0, 0, aDawn);
            DrawMoon(c, {520.0f, 60.0f}, 16.0f, 1.0f - aDawn);
            DrawScrolled(c, far, aPan * 0.25f);
            DrawScrolled(c, mid, aPan * 0.5f);
        }

        void operator()(Canvas& c, float t, const Fonts& f) const
        {
            const Vec2 bowl{W * 0.5f, 292.0f};
            const float xs[4] = {150.0f, 232.0f, 408.0f, 490.0f};
            if (t < 10.0f)
            {
                // The glowing moth flies home over the forest towards a far light.
                const float pan = t * 40.0f;
                Background(c, pan, 0.0f);
                const Vec2 glow{620.0f, 250.0f};
                const Blend before = c.GetBlend();
                c.SetBlend(Blend::Add);
                c.FillCircle(glow, 160.0f, Paint::Radial(glow, 160.0f, WithAlpha(Ember, 0.12f + 0.2f * Progress(t, 0.0f, 10.0f)), Transparent));
                c.SetBlend(before);
                const Vec2 p{220.0f + std::sin(t * 0.7f) * 30.0f, 150.0f + std::sin(t * 1.9f) * 12.0f};
                DrawEmbers(c, t, 16, 7, 0.8f, p.x - 80.0f, p.y - 10.0f, p.x + 10.0f, p.y + 40.0f, 12.0f);
                DrawMoth(c, p, 16.0f, Beat(t, 10.0f, 0.0f), 0.25f, MothWing, 0.9f);
                DrawScrolled(c, near, pan);
                Caption(c, f.regular, "Past the thorns and the grasping dark...", 332.0f, 22.0f, Window(t, 1.0f, 8.6f));
                Dim(c, 1.0f - Window(t, 0.0f, 10.0f, 1.0f, 0.6f));
            }
            else if (t < 22.0f)
            {
                // The cold shrine; the moth lands and the flame comes back.
                Background(c, 400.0f, 0.0f);
                DrawScrolled(c, near, 400.0f);
                const float lit = Progress(t, 14.0f, 16.0f);
                const float retreat = Progress(t, 15.0f, 19.0f);
                for (int i = 0; i < 4; ++i)
                {
                    const float toward = xs[i] < bowl.x ? 0.4f : -0.4f;
                    DrawHand(c, {xs[i] + std::sin(t * 1.1f + float(i)) * 5.0f, 250.0f + retreat * 200.0f}, 40.0f,
                             -Pi / 2.0f + toward * (1.0f - retreat), 0.3f + 0.5f * retreat, 1.0f - retreat * 0.7f);
                }
                DrawShrine(c, bowl, 34.0f, lit);
                DrawFlame(c, bowl - Vec2{0.0f, 5.0f}, 30.0f, t, lit);
                // The landing.
                const float land = Progress(t, 10.0f, 13.6f);
                const Vec2 p = Lerp({-30.0f, 120.0f}, bowl - Vec2{0.0f, 20.0f}, land) + Vec2{0.0f, std::sin(land * Pi) * -50.0f};
                DrawMoth(c, p, 14.0f - 4.0f * land, Beat(t, 10.0f, 0.0f) * (1.0f - 0.7f * lit), 0.2f * (1.0f - land), MothWing,
                         0.9f * (1.0f - lit), 1.0f - lit);
                // Sparks burst out when the flame catches.
                if (t >= 14.0f && t < 17.5f)
                {
                    const float age = t - 14.0f;
                    const Blend before = c.GetBlend();
                    c.SetBlend(Blend::Add);
                    for (int i = 0; i < 48; ++i)
                    {
                        const float angle = -Pi * Hash(900 + i);
                        const float speed = 60.0f + 120.0f * Hash(950 + i);
                        const Vec2 q = bowl + FromAngle(angle, speed * age) + Vec2{0.0f, 40.0f * age * age - 10.0f};
                        const float a = Clamp01(1.0f - age / 3.0f);
                        c.FillCircle(q, 4.0f, WithAlpha(Ember, 0.25f * a));
                        c.FillCircle(q, 1.4f, WithAlpha(EmberCore, a));
                    }
                    c.FillRect(0, 0, W, H, WithAlpha(Hex(0xffb060), 0.35f * Clamp01(1.0f - age / 1.2f)));
                    c.SetBlend(before);
                }
                DrawEmbers(c, t, 26, 8, lit, bowl.x - 80.0f, 60.0f, bowl.x + 80.0f, bowl.y - 20.0f, 30.0f);
                Dim(c, 0.3f * (1.0f - lit));
                Caption(c, f.regular, "...the little moth gave its spark back to the flame.", 332.0f, 21.0f, Window(t, 15.6f, 21.5f));
                Dim(c, 1.0f - Window(t, 10.0f, 22.0f, 0.6f, 0.5f));
            }
            else if (t < 36.0f)
            {
                // Dawn; the moths come back.
                const float dawn = Progress(t, 22.0f, 32.0f);
                Background(c, 400.0f, dawn);
                DrawScrolled(c, near, 400.0f);
                DrawShrine(c, bowl, 34.0f, 1.0f);
                DrawFlame(c, bowl - Vec2{0.0f, 5.0f}, 30.0f + 6.0f * dawn, t, 1.0f);
                // What is left of the hands rises as dark motes and fades.
                const float motes = 1.0f - Progress(t, 22.0f, 27.0f);
                for (int i = 0; i < 60 && motes > 0.0f; ++i)
                {
                    const float x = xs[i % 4] + (Hash(300 + i) - 0.5f) * 60.0f;
                    const float y = 340.0f - std::fmod((t - 22.0f) * (20.0f + 30.0f * Hash(400 + i)) + Hash(500 + i) * 80.0f, 200.0f);
                    c.FillCircle({x, y}, 1.5f + 2.0f * Hash(600 + i), WithAlpha(HandColour, 0.8f * motes));
                }
                const int moths = 1 + static_cast<int>(Progress(t, 22.5f, 30.0f) * 11.0f);
                for (int i = 0; i < moths; ++i)
                {
                    const float come = Progress(t, 22.5f + float(i) * 0.6f, 25.0f + float(i) * 0.6f);
                    const float a = t * (0.5f + 0.05f * float(i)) + float(i) * 0.57f;
                    const Vec2 orbit = bowl + Vec2{std::cos(a) * (70.0f + 9.0f * float(i)), std::sin(a) * 26.0f - 90.0f - 4.0f * float(i)};
                    const Vec2 from{i % 2 ? W + 40.0f : -40.0f, 60.0f + 20.0f * float(i)};
                    DrawMoth(c, Lerp(from, orbit, come), 9.0f, Beat(t, 11.0f, float(i)), std::cos(a) * 0.3f, MothWing, i == 0 ? 0.8f : 0.1f);
                }
                DrawEmbers(c, t, 30, 9, 1.0f, bowl.x - 90.0f, 50.0f, bowl.x + 90.0f, bowl.y - 20.0f, 30.0f);
                Caption(c, f.regular, "The hands let go, and the forest remembered its light.", 332.0f, 21.0f, Window(t, 24.0f, 34.0f));
                Dim(c, 1.0f - Window(t, 22.0f, 36.0f, 0.5f, 0.6f));
            }
            else
            {
                // Credits over the waking forest.
                const float pan = 400.0f + (t - 36.0f) * 10.0f;
                Background(c, pan, 1.0f);
                for (int i = 0; i < 8; ++i)
                    DrawMoth(c, Wander(t, {80.0f + 70.0f * float(i), 150.0f + 30.0f * float(i % 3)}, {40.0f, 30.0f}, 0.5f + 0.04f * float(i),
                                       float(i) * 1.7f),
                             7.0f + float(i % 3), Beat(t, 11.0f, float(i)), 0.0f, MothWing, 0.15f);
                DrawEmbers(c, t, 24, 10, 0.8f, 0, 150, W, H, 20.0f);
                DrawScrolled(c, near, pan);
                // A soft dark column behind the text.
                c.FillRect(W * 0.2f, 0, W * 0.3f, H, Paint::Linear({W * 0.2f, 0}, WithAlpha(Hex(0x000000), 0.0f), {W * 0.5f, 0},
                                                                    WithAlpha(Hex(0x000000), 0.45f)));
                c.FillRect(W * 0.5f, 0, W * 0.3f, H, Paint::Linear({W * 0.5f, 0}, WithAlpha(Hex(0x000000), 0.45f), {W * 0.8f, 0},
                                                                    WithAlpha(Hex(0x000000), 0.0f)));

                const float top = 380.0f - std::min(t - 36.0f, 40.0f) * 23.0f;
                const auto fade = [&](float y) { return Smooth((y - 20.0f) / 50.0f) * Smooth((H - 10.0f - y) / 50.0f); };
                c.Blit(title, 0, static_cast<int>(top - 55.0f), fade(top));
                Caption(c, f.regular, "a tale of moths and embers", top + 50.0f, 20.0f, fade(top + 50.0f));
                const char* const roles[][2] = {{"Story", "The moths of Embercrest"},
                                                {"Engine", "Kiln"},
                                                {"Levels", "Three dark woods and the way home"},
                                                {"Music", "The Embercrest themes"},
                                                {"Films", "Drawn in code, frame by frame"},
                                                {"Moths", "Too many to count"}};
                float y = top + 150.0f;
                for (const auto& role : roles)
                {
                    Caption(c, f.regular, role[0], y, 15.0f, 0.8f * fade(y), Hex(0xe8a060));
                    Caption(c, f.regular, role[1], y + 26.0f, 22.0f, fade(y + 26.0f));
                    y += 80.0f;
                }
                Caption(c, f.bold, "Thank you for playing", top + 720.0f, 30.0f, fade(top + 720.0f));
                // Then fade to black and the end.
                Dim(c, std::max(1.0f - Smooth((t - 36.0f) / 0.6f), Progress(t, 80.0f, 82.0f)));
                Caption(c, f.bold, "The End", H * 0.5f + 10.0f, 34.0f, Window(t, 81.0f, Seconds, 1.2f, 1.0f));
            }
        }
    };

    // ---- Encoding ------------------------------------------------------------------------

    // One encoder feeding one muxer stream.
    class Output
    {
    public:
        ~Output()
        {
            av_packet_free(&myPacket);
            avcodec_free_context(&myCodec);
            if (myFormat != nullptr)
            {
                if (myFormat->pb != nullptr) avio_closep(&myFormat->pb);
                avformat_free_context(myFormat);
            }
        }

        bool Begin(const std::filesystem::path& aPath, AVCodecContext* aCodec)
        {
            myCodec = aCodec;
            myPacket = av_packet_alloc();
            if (avformat_alloc_output_context2(&myFormat, nullptr, nullptr, aPath.c_str()) < 0 || myPacket == nullptr)
                return false;
            if (myFormat->oformat->flags & AVFMT_GLOBALHEADER)
                myCodec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
            if (avcodec_open2(myCodec, myCodec->codec, nullptr) < 0)
                return false;
            myStream = avformat_new_stream(myFormat, nullptr);
            if (myStream == nullptr)
                return false;
            myStream->time_base = myCodec->time_base;
            avcodec_parameters_from_context(myStream->codecpar, myCodec);
            return avio_open(&myFormat->pb, aPath.c_str(), AVIO_FLAG_WRITE) >= 0 && avformat_write_header(myFormat, nullptr) >= 0;
        }

        bool Send(AVFrame* aFrame, std::int64_t aDuration)
        {
            if (avcodec_send_frame(myCodec, aFrame) < 0)
                return false;
            for (;;)
            {
                const int result = avcodec_receive_packet(myCodec, myPacket);
                if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
                if (result < 0) return false;
                if (myPacket->duration == 0) myPacket->duration = aDuration;
                av_packet_rescale_ts(myPacket, myCodec->time_base, myStream->time_base);
                myPacket->stream_index = myStream->index;
                if (av_interleaved_write_frame(myFormat, myPacket) < 0) return false;
            }
        }

        bool End(std::int64_t aDuration) { return Send(nullptr, aDuration) && av_write_trailer(myFormat) >= 0; }

    private:
        AVFormatContext* myFormat = nullptr;
        AVCodecContext* myCodec = nullptr;
        AVStream* myStream = nullptr;
        AVPacket* myPacket = nullptr;
    };

    std::uint8_t ToByte(float aValue) { return static_cast<std::uint8_t>(std::lround(Clamp01(aValue) * 255.0f)); }

    // A picture as 4:2:0 planes (BT.601 limited range), rows packed: Y, then U, then V.
    void ToYuv(const Canvas& aPicture, std::vector<std::uint8_t>& somePlanes)
    {
        const int w = aPicture.Width(), h = aPicture.Height();
        somePlanes.resize(static_cast<size_t>(w * h + 2 * (w / 2) * (h / 2)));
        std::uint8_t* luma = somePlanes.data();
        std::uint8_t* u = luma + w * h;
        std::uint8_t* v = u + (w / 2) * (h / 2);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
            {
                const Color& p = aPicture.At(x, y);
                const int r = ToByte(p.r * p.a), g = ToByte(p.g * p.a), b = ToByte(p.b * p.a);
                luma[y * w + x] = static_cast<std::uint8_t>(16 + (66 * r + 129 * g + 25 * b + 128) / 256);
            }
        for (int y = 0; y < h / 2; ++y)
            for (int x = 0; x < w / 2; ++x)
            {
                float r = 0, g = 0, b = 0;
                for (int dy = 0; dy < 2; ++dy)
                    for (int dx = 0; dx < 2; ++dx)
                    {
                        const Color& p = aPicture.At(2 * x + dx, 2 * y + dy);
                        r += p.r * p.a * 0.25f;
                        g += p.g * p.a * 0.25f;
                        b += p.b * p.a * 0.25f;
                    }
                const int R = ToByte(r), G = ToByte(g), B = ToByte(b);
                u[y * (w / 2) + x] = static_cast<std::uint8_t>(128 + (-38 * R - 74 * G + 112 * B + 128) / 256);
                v[y * (w / 2) + x] = static_cast<std::uint8_t>(128 + (112 * R - 94 * G - 18 * B + 128) / 256);
            }
    }

    void CopyPlanes(const std::vector<std::uint8_t>& somePlanes, int aWidth, int aHeight, AVFrame* aFrame)
    {
        const std::uint8_t* source = somePlanes.data();
        const int widths[3] = {aWidth, aWidth / 2, aWidth / 2};
        const int heights[3] = {aHeight, aHeight / 2, aHeight / 2};
        for (int plane = 0; plane < 3; ++plane)
            for (int y = 0; y < heights[plane]; ++y, source += widths[plane])
                std::copy(source, source + widths[plane], aFrame->data[plane] + y * aFrame->linesize[plane]);
    }

    bool WriteFilm(const std::filesystem::path& aPath, int aWidth, int aHeight, float aSeconds, const FrameDrawer& aDraw)
    {
        const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
        if (codec == nullptr) codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
        if (codec == nullptr) return false;
        AVCodecContext* context = avcodec_alloc_context3(codec);
        context->width = aWidth;
        context->height = aHeight;
        context->pix_fmt = AV_PIX_FMT_YUV420P;
        context->time_base = {1, FrameRate};
        context->framerate = {FrameRate, 1};
        context->gop_size = FrameRate * 2;
        context->bit_rate = 900000;
        if (codec->id == AV_CODEC_ID_H264)
        {
            av_opt_set(context->priv_data, "preset", "veryfast", 0);
            av_opt_set(context->priv_data, "crf", "21", 0);
        }
        Output output;
        if (!output.Begin(aPath, context)) return false;

        AVFrame* frame = av_frame_alloc();
        frame->format = AV_PIX_FMT_YUV420P;
        frame->width = aWidth;
        frame->height = aHeight;
        bool ok = av_frame_get_buffer(frame, 0) >= 0;

        // Frames are drawn a batch at a time on every core, then encoded in order.
        const int frameCount = static_cast<int>(std::lround(aSeconds * FrameRate));
        const int workers = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
        const int batch = workers * 4;
        std::vector<Canvas> pictures(static_cast<size_t>(batch), Canvas(aWidth, aHeight));
        std::vector<std::vector<std::uint8_t>> planes(static_cast<size_t>(batch));
        for (int first = 0; ok && first < frameCount; first += batch)
        {
            const int count = std::min(batch, frameCount - first);
            std::vector<std::thread> threads;
            for (int worker = 0; worker < workers; ++worker)
                threads.emplace_back([&, worker] {
                    const Fonts fonts;
                    for (int i = worker; i < count; i += workers)
                    {
                        Canvas& picture = pictures[static_cast<size_t>(i)];
                        picture.SetBlend(Blend::Over);
                        aDraw(picture, static_cast<float>(first + i) / FrameRate, fonts);
                        ToYuv(picture, planes[static_cast<size_t>(i)]);
                    }
                });
            for (std::thread& thread : threads)
                thread.join();
            for (int i = 0; ok && i < count; ++i)
            {
                ok = av_frame_make_writable(frame) >= 0;
                CopyPlanes(planes[static_cast<size_t>(i)], aWidth, aHeight, frame);
                frame->pts = first + i;
                ok = ok && output.Send(frame, 1);
            }
        }
        av_frame_free(&frame);
        return ok && output.End(1);
    }

    // ---- Music -------------------------------------------------------------------------------

    constexpr int SampleRate = 44100;

    enum class Voice
    {
        Pad,    // soft, slow swell
        Bell,   // struck, long decay
        Pluck,  // short and bright
        Bass,   // low sine
    };

    struct Note
    {
        float start;
        float length;
        int midi;
        Voice voice;
        float gain;
    };

    float Frequency(int aMidi) { return 440.0f * std::pow(2.0f, float(aMidi - 69) / 12.0f); }

    struct Score
    {
        std::vector<Note> notes;
        void Add(float aStart, float aLength, int aMidi, Voice aVoice, float aGain) { notes.push_back({aStart, aLength, aMidi, aVoice, aGain}); }
        void Chord(float aStart, float aLength, std::initializer_list<int> someMidi, Voice aVoice, float aGain)
        {
            for (int midi : someMidi)
                Add(aStart, aLength, midi, aVoice, aGain);
        }
        // Up and down the chord in even steps.
        void Arpeggio(float aStart, float aLength, std::initializer_list<int> someMidi, float aStep, float aGain)
        {
            const std::vector<int> tones(someMidi);
            int i = 0;
            for (float t = aStart; t < aStart + aLength - 0.01f; t += aStep, ++i)
            {
                const int n = static_cast<int>(tones.size());
                const int k = i % (2 * n - 2 > 0 ? 2 * n - 2 : 1);
                Add(t, aStep * 2.0f, tones[static_cast<size_t>(k < n ? k : 2 * n - 2 - k)], Voice::Pluck, aGain);
            }
        }
    };

    // Renders the score to stereo PCM of exactly aSeconds, peak-normalised, with a short echo.
    std::vector<int16_t> Render(const Score& aScore, float aSeconds, float aFadeOut)
    {
        const size_t frames = static_cast<size_t>(aSeconds * SampleRate);
        std::vector<float> left(frames), right(frames);
        for (const Note& note : aScore.notes)
        {
            const float f = Frequency(note.midi);
            const float tail = note.voice == Voice::Bell ? 2.5f : note.voice == Voice::Pad ? 1.5f : note.voice == Voice::Pluck ? 0.6f : 0.4f;
            const size_t first = static_cast<size_t>(note.start * SampleRate);
            const size_t count = static_cast<size_t>((note.length + tail) * SampleRate);
            const float pan = 0.5f + 0.35f * std::sin(float(note.midi) * 1.7f);
            for (size_t i = 0; i < count && first + i < frames; ++i)
            {
                const float t = float(i) / SampleRate;
                const float phase = 2.0f * Pi * f * t;
                float v = 0.0f;
                switch (note.voice)
                {
                case Voice::Pad:
                {
                    const float env = Smooth(t / 0.9f) * (t < note.length ? 1.0f : std::exp(-(t - note.length) * 3.0f));
                    v = env * (std::sin(phase) + 0.3f * std::sin(2.0f * phase + 0.3f * std::sin(t * 3.0f)) + 0.12f * std::sin(3.0f * phase)) *
                        (0.85f + 0.15f * std::sin(t * 4.0f));
                    break;
                }
                case Voice::Bell:
                {
                    const float env = std::min(1.0f, t * 300.0f) * std::exp(-t * 1.6f);
                    v = env * (std::sin(phase) + 0.35f * std::sin(2.0f * phase) * std::exp(-t * 2.0f) + 0.2f * std::sin(5.04f * phase) * std::exp(-t * 4.0f));
                    break;
                }
                case Voice::Pluck:
                {
                    const float env = std::min(1.0f, t * 400.0f) * std::exp(-t * 5.0f);
                    v = env * (std::sin(phase) + 0.25f * std::sin(2.0f * phase) + 0.1f * std::sin(3.0f * phase));
                    break;
                }
                case Voice::Bass:
                {
                    const float env = Smooth(t / 0.05f) * (t < note.length ? 1.0f : std::exp(-(t - note.length) * 8.0f));
                    v = env * (std::sin(phase) + 0.2f * std::sin(2.0f * phase));
                    break;
                }
                }
                v *= note.gain;
                left[first + i] += v * (1.0f - pan) * 2.0f;
                right[first + i] += v * pan * 2.0f;
            }
        }
        // A quiet echo, for the forest.
        const size_t delay = static_cast<size_t>(0.37f * SampleRate);
        for (size_t i = delay; i < frames; ++i)
        {
            left[i] += 0.28f * right[i - delay];
            right[i] += 0.28f * left[i - delay];
        }
        float peak = 1e-6f;
        for (size_t i = 0; i < frames; ++i)
            peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
        std::vector<int16_t> pcm(frames * 2);
        for (size_t i = 0; i < frames; ++i)
        {
            const float t = float(i) / SampleRate;
            const float fade = Smooth(t / 0.05f) * Smooth((aSeconds - t) / aFadeOut);
            pcm[i * 2] = static_cast<int16_t>(std::lround(left[i] / peak * 0.72f * fade * 32767.0f));
            pcm[i * 2 + 1] = static_cast<int16_t>(std::lround(right[i] / peak * 0.72f * fade * 32767.0f));
        }
        return pcm;
    }

    // A minor, slow: the old forest, the flame, the hands (darker chords and a drone), the
    // lone spark (single bells) and the title (the theme in full).
    Score IntroScore()
    {
        Score s;
        const float bar = 3.2f;
        const int am[] = {57, 60, 64}, f[] = {53, 57, 60}, c[] = {55, 60, 64}, g[] = {55, 59, 62}, dm[] = {53, 57, 62}, e[] = {56, 59, 64};
        const int* calm[] = {am, f, c, g};
        for (int i = 0; i < 4; ++i)   // 0 - 12.8
        {
            const int* chord = calm[i];
            s.Chord(bar * float(i), bar, {chord[0], chord[1], chord[2]}, Voice::Pad, 0.12f);
            s.Add(bar * float(i), bar, chord[0] - 12, Voice::Bass, 0.22f);
        }
        const int theme[] = {69, 72, 76, 74, 72, 71, 72, 69};
        for (int i = 0; i < 8; ++i)
            s.Add(3.2f + 0.8f * float(i), 0.7f, theme[i], Voice::Bell, 0.16f);
        s.Arpeggio(6.4f, 6.4f, {69, 72, 76, 81}, 0.4f, 0.07f);
        const int* dark[] = {am, dm, e, am};
        for (int i = 0; i < 3; ++i)   // 12.8 - 22.4: the hands
        {
            const int* chord = dark[i];
            s.Chord(12.8f + bar * float(i), bar, {chord[0], chord[1], chord[2]}, Voice::Pad, 0.13f);
            s.Add(12.8f + bar * float(i), bar, 33, Voice::Bass, 0.3f);
            for (int k = 0; k < 8; ++k)
                s.Add(12.8f + bar * float(i) + 0.4f * float(k), 0.2f, chord[0] - 12 + (k % 2) * 1, Voice::Pluck, 0.06f);
        }
        const int spark[] = {81, 76, 79, 84, 83};
        for (int i = 0; i < 5; ++i)   // 23 - 30: one spark
            s.Add(23.0f + 1.4f * float(i), 1.2f, spark[i], Voice::Bell, 0.14f);
        s.Chord(22.4f, 7.6f, {45, 52}, Voice::Pad, 0.1f);
        for (int i = 0; i < 2; ++i)   // 30 - 38: the title
        {
            const int* chord = calm[i * 2];
            s.Chord(30.0f + bar * float(i), bar + (i == 1 ? 1.6f : 0.0f), {chord[0], chord[1], chord[2], chord[0] + 12}, Voice::Pad, 0.12f);
            s.Add(30.0f + bar * float(i), bar, chord[0] - 12, Voice::Bass, 0.25f);
        }
        for (int i = 0; i < 8; ++i)
            s.Add(30.4f + 0.8f * float(i), 0.7f, theme[i], Voice::Bell, 0.17f);
        s.Chord(36.8f, 1.0f, {57, 64, 69}, Voice::Bell, 0.1f);
        return s;
    }

    // From A minor to C major as the light comes back, then a gentle credits theme.
    Score OutroScore()
    {
        Score s;
        const float bar = 2.8f;
        const int am[] = {57, 60, 64}, f[] = {53, 57, 60}, c[] = {48, 55, 64}, g[] = {55, 59, 62}, em[] = {52, 55, 59};
        // 0 - 11.2: the flight.
        const int* flight[] = {am, f, c, g};
        for (int i = 0; i < 4; ++i)
        {
            s.Chord(bar * float(i), bar, {flight[i][0], flight[i][1], flight[i][2]}, Voice::Pad, 0.11f);
            s.Add(bar * float(i), bar, flight[i][0] - 12, Voice::Bass, 0.22f);
            s.Arpeggio(bar * float(i), bar, {flight[i][0] + 12, flight[i][1] + 12, flight[i][2] + 12}, 0.35f, 0.06f);
        }
        // 11.2 - 14: the cold shrine, held; 14: the flame catches.
        s.Chord(11.2f, 2.8f, {45, 52, 57}, Voice::Pad, 0.12f);
        s.Chord(14.0f, 2.0f, {72, 76, 79, 84, 86}, Voice::Bell, 0.1f);
        // 14 - 36: C major, the dawn.
        const int* dawn[] = {c, g, am, f, c, em, f, g};
        for (int i = 0; i < 8; ++i)
        {
            const float at = 14.0f + bar * float(i);
            s.Chord(at, bar, {dawn[i][0], dawn[i][1], dawn[i][2]}, Voice::Pad, 0.12f);
            s.Add(at, bar, dawn[i][0] - 12 + (dawn[i][0] < 50 ? 12 : 0), Voice::Bass, 0.22f);
        }
        const int theme[] = {76, 79, 84, 83, 79, 76, 77, 79, 81, 79, 76, 74};
        for (int i = 0; i < 12; ++i)
            s.Add(19.6f + 0.7f * float(i), 0.6f, theme[i], Voice::Bell, 0.15f);
        // 36 - 80: the credits theme, twice with a variation.
        const int* credits[] = {c, g, am, f, c, g, f, c};
        for (int round = 0; round < 2; ++round)
        {
            for (int i = 0; i < 8; ++i)
            {
                const float at = 36.0f + float(round) * 22.4f + bar * float(i);
                s.Chord(at, bar, {credits[i][0], credits[i][1], credits[i][2]}, Voice::Pad, 0.11f);
                s.Add(at, bar, credits[i][0] - 12 + (credits[i][0] < 50 ? 12 : 0), Voice::Bass, 0.2f);
                s.Arpeggio(at, bar, {credits[i][0] + 12, credits[i][1] + 12, credits[i][2] + 12}, 0.35f, 0.05f);
            }
            for (int i = 0; i < 12; ++i)
                s.Add(36.0f + float(round) * 22.4f + 2.8f + 1.2f * float(i), 1.0f, theme[i] + (round == 1 && i % 3 == 2 ? 2 : 0), Voice::Bell, 0.14f);
        }
        // 80.8 - 85: the last chord.
        s.Chord(80.8f, 3.0f, {48, 55, 60, 64, 67, 72}, Voice::Pad, 0.11f);
        s.Chord(80.8f, 1.0f, {72, 76, 79}, Voice::Bell, 0.1f);
        return s;
    }

    bool WriteSoundtrack(const std::filesystem::path& aPath, const Score& aScore, float aSeconds)
    {
        const std::vector<int16_t> pcm = Render(aScore, aSeconds, 2.5f);
        return Plat::Sound::EncodeFile(aPath.string(), pcm.data(), static_cast<uint32_t>(pcm.size() / 2), 2, SampleRate);
    }
}

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    av_log_set_level(AV_LOG_ERROR);
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);

    const TeamCard teamCard;
    const Intro intro;
    const Outro outro;
    struct Job
    {
        const char* name;
        std::function<bool(const std::filesystem::path&)> write;
    };
    const Job jobs[] = {
        {"VID_VT58.mp4", [&](const auto& aPath) { return WriteFilm(aPath, TeamCard::W, TeamCard::H, TeamCard::Seconds, std::cref(teamCard)); }},
        {"VID_Intro.mp4", [&](const auto& aPath) { return WriteFilm(aPath, Intro::W, Intro::H, Intro::Seconds, std::cref(intro)); }},
        {"VID_Outro.mp4", [&](const auto& aPath) { return WriteFilm(aPath, Outro::W, Outro::H, Outro::Seconds, std::cref(outro)); }},
        {"VID_Intro_Sound.mp3", [](const auto& aPath) { return WriteSoundtrack(aPath, IntroScore(), Intro::Seconds); }},
        {"VID_Outro_Sound.mp3", [](const auto& aPath) { return WriteSoundtrack(aPath, OutroScore(), Outro::Seconds); }},
    };
    int failures = 0;
    for (const Job& job : jobs)
    {
        const auto start = std::chrono::steady_clock::now();
        if (!job.write(folder / job.name))
        {
            std::fprintf(stderr, "MakeGameVideos: could not write %s\n", (folder / job.name).c_str());
            ++failures;
            continue;
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        std::printf("MakeGameVideos: %s (%.1f s)\n", job.name, took.count());
    }
    return failures == 0 ? 0 : 1;
}
