// The level backgrounds: one square picture per level of the deep woods, repeating both ways.
// Trunks run through it from top to bottom, lit from the right, with branches and foliage,
// over a darkness that a layering shader treats as see-through: stacked at several sizes,
// the copies make a forest in depth. A dim row of thin trunks stands behind, for the
// picture drawn on its own.
#include "LevelArt.h"

#include "UiPaths.h"

#include "ContentKit/Random.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <thread>
#include <vector>

namespace UiContent
{
    const LevelLook& LookOf(int aLevel)
    {
        static const std::array<LevelLook, 4> looks = {{
            {"The Moonlit Wood", Hex(0x05061a), Hex(0x161a44), Hex(0x1e2560), Hex(0x5a66b4), Hex(0xc4caff), Hex(0x39448e), Hex(0x8e9ae6),
             Hex(0xffd27a), 101},
            {"The Rust Hollow", Hex(0x0f050a), Hex(0x321220), Hex(0x3a161e), Hex(0x8c4a40), Hex(0xffc79a), Hex(0x7e301e), Hex(0xcc7440),
             Hex(0xffb05a), 202},
            {"The Thorn Deep", Hex(0x020c0e), Hex(0x0b2428), Hex(0x103432), Hex(0x347f78), Hex(0xa8ffe8), Hex(0x1f6a5a), Hex(0x78dcb8),
             Hex(0xb8ffe6), 303},
            {"The Ember Heart", Hex(0x0a0204), Hex(0x2c0a0a), Hex(0x2c0c10), Hex(0x8a3424), Hex(0xffb060), Hex(0x6a1a12), Hex(0xe2642a),
             Hex(0xffc86a), 404},
        }};
        return looks[size_t(std::clamp(aLevel, 1, 4) - 1)];
    }

    namespace
    {
        // Draws at a point and one canvas size away in every direction, so the picture repeats
        // seamlessly both ways.
        template <typename F>
        void Wrapped(float aSize, F&& aDraw)
        {
            for (const float dy : {-aSize, 0.0f, aSize})
                for (const float dx : {-aSize, 0.0f, aSize})
                    aDraw(Vec2{dx, dy});
        }

        // A trunk's centre line: a gentle sway that repeats once (or twice) per height.
        std::vector<Vec2> TrunkLine(float x, float aSize, float aSway, int aWaves, float aPhase)
        {
            std::vector<Vec2> line;
            for (int i = -5; i <= 29; ++i)
            {
                const float y = aSize * float(i) / 24.0f;
                line.push_back({x + aSway * std::sin(2.0f * Pi * float(aWaves) * y / aSize + aPhase), y});
            }
            return line;
        }

        std::vector<Vec2> Moved(const std::vector<Vec2>& somePoints, Vec2 anOffset)
        {
            std::vector<Vec2> moved;
            moved.reserve(somePoints.size());
            for (const Vec2& p : somePoints)
                moved.push_back(p + anOffset);
            return moved;
        }

        // Foliage: overlapping puffs, lit from the upper right.
        void Foliage(Canvas& aCanvas, Vec2 aCentre, float aRadius, const LevelLook& aLook, Rng& aRng)
        {
            Path crown;
            for (int i = 0; i < 7; ++i)
                crown.AddCircle(aCentre + Vec2{aRng.Range(-1.0f, 1.0f), aRng.Range(-0.6f, 0.6f)} * aRadius, aRadius * aRng.Range(0.35f, 0.6f));
            aCanvas.Fill(crown.Transformed(Affine::Translate({aRadius * 0.08f, -aRadius * 0.08f})), aLook.leafLight);
            aCanvas.Fill(crown.Transformed(Affine::Translate({-aRadius * 0.04f, aRadius * 0.04f})),
                         Paint::Linear(aCentre - Vec2{aRadius, -aRadius}, aLook.leaf, aCentre + Vec2{aRadius, -aRadius}, Mix(aLook.leaf, aLook.leafLight, 0.5f)));
        }

        // A weeping fir spray: uneven fronds hang from the bough, longest near the trunk, lit on
        // the side facing the light.
        void FirSpray(Canvas& aCanvas, Vec2 aFrom, Vec2 aTo, float aThickness, const LevelLook& aLook, Rng& aRng)
        {
            const float side = aTo.x >= aFrom.x ? 1.0f : -1.0f;
            struct Frond
            {
                Vec2 root, bend, tip;
                float width;
            };
            std::vector<Frond> fronds;
            for (int i = 0; i < 22; ++i)
            {
                const float t = std::pow(aRng.Next(), 0.8f);
                const Vec2 root = Lerp(aFrom, aTo, t);
                const float length = aThickness * (1.5f - 1.1f * t) * aRng.Range(0.6f, 1.15f);
                const float out = aRng.Range(0.3f, 0.9f);
                fronds.push_back({root, root + Vec2{side * length * out * 0.6f, length * 0.3f},
                                  root + Vec2{side * length * out, length * aRng.Range(0.75f, 1.0f)}, aThickness * aRng.Range(0.14f, 0.26f)});
            }
            for (int pass = 0; pass < 2; ++pass)
            {
                const Vec2 shift = pass == 0 ? Vec2{aThickness * 0.08f * side, -aThickness * 0.07f} : Vec2{};
                for (const Frond& frond : fronds)
                {
                    const Paint paint = pass == 0 ? Paint(aLook.leafLight) : Paint::Linear(frond.root, aLook.leaf, frond.tip, Mix(aLook.leaf, aLook.leafLight, 0.3f));
                    aCanvas.DrawTapered(SmoothCurve({frond.root + shift, frond.bend + shift, frond.tip + shift}, 5), frond.width, frond.width * 0.1f, paint);
                }
            }
        }

        // A branch leaving a trunk to one side and up, ending in foliage (or bare and crooked,
        // with thorns, in the thorny woods and the burnt ones).
        void Bough(Canvas& aCanvas, int aLevel, Vec2 aFrom, float aSide, float aLength, float aWidth, const LevelLook& aLook, Rng& aRng)
        {
            const float rise = aRng.Range(0.25f, 0.7f);
            const Vec2 direction = Normalized(Vec2{aSide, -rise});
            const Vec2 mid = aFrom + direction * (aLength * 0.5f) + Vec2{0, aLength * aRng.Range(-0.08f, 0.08f)};
            const Vec2 end = aFrom + direction * aLength;
            const std::vector<Vec2> limb = SmoothCurve({aFrom, mid, end}, 6);
            aCanvas.DrawTapered(Moved(limb, {aWidth * 0.12f, -aWidth * 0.12f}), aWidth, aWidth * 0.25f, aLook.treeLight);
            aCanvas.DrawTapered(limb, aWidth, aWidth * 0.25f, Paint::Linear(aFrom, aLook.treeDark, end, aLook.tree));
            switch (aLevel)
            {
            case 1:
                FirSpray(aCanvas, aFrom + direction * (aLength * 0.1f), end, aLength * 0.32f, aLook, aRng);
                break;
            case 2:
                Foliage(aCanvas, end, aLength * 0.42f, aLook, aRng);
                break;
            default:
                // Crooked twigs like fingers, with thorns; the outro's smoulder at the tips.
                for (int i = 0; i < 3; ++i)
                {
                    const Vec2 twig = end + FromAngle(std::atan2(direction.y, direction.x) + aRng.Range(-0.9f, 0.9f), aLength * aRng.Range(0.25f, 0.45f));
                    aCanvas.DrawTapered(SmoothCurve({end, Lerp(end, twig, 0.5f) + Vec2{0, -aLength * 0.05f}, twig}, 4), aWidth * 0.4f, 0.8f, aLook.tree);
                    if (aLevel == 4)
                        Glow(aCanvas, twig, aLength * 0.12f, aLook.glow, 0.5f);
                }
                for (int i = 1; i < 4; ++i)
                {
                    const Vec2 at = limb[size_t(i) * limb.size() / 4];
                    aCanvas.DrawTapered({at, at + Vec2{aSide * aWidth * 0.4f, -aWidth * 1.2f}}, aWidth * 0.3f, 0.5f, aLook.tree);
                }
                if (aLevel == 3)
                    Foliage(aCanvas, end, aLength * 0.22f, aLook, aRng);
                break;
            }
        }

        struct Trunk
        {
            float x, width, sway, phase;
            int waves;
            uint64_t seed;
        };

        // A lit trunk: its rim, then the body shifted away from the light, bark lines, boughs.
        void DrawTrunk(Canvas& aCanvas, int aLevel, const Trunk& aTrunk, Vec2 anOffset, const LevelLook& aLook)
        {
            const float s = float(aCanvas.Width());
            const std::vector<Vec2> line = Moved(TrunkLine(aTrunk.x, s, aTrunk.sway, aTrunk.waves, aTrunk.phase), anOffset);
            const float w = aTrunk.width;
            aCanvas.Fill(StrokeOutline(line, w, w, false), aLook.treeLight);
            aCanvas.Fill(StrokeOutline(Moved(line, {-w * 0.09f, 0}), w, w, false),
                         Paint::Linear({aTrunk.x + anOffset.x - w * 0.6f, 0}, {aTrunk.x + anOffset.x + w * 0.45f, 0},
                                       {{0.0f, aLook.treeDark}, {0.55f, Mix(aLook.treeDark, aLook.tree, 0.7f)}, {1.0f, aLook.tree}}));
            Rng rng(aTrunk.seed);
            for (int i = 0; i < 3; ++i)
            {
                const float across = rng.Range(-0.32f, 0.2f) * w;
                aCanvas.DrawPolyline(Moved(line, {across, 0}), std::max(1.0f, w * 0.05f), WithAlpha(aLook.treeDark, 0.7f));
            }
            if (aLevel == 4)
            {
                // Glowing cracks in the charred bark.
                for (int i = 0; i < 5; ++i)
                {
                    const float y = rng.Range(0.0f, s);
                    const size_t at = std::min(line.size() - 1, size_t((y / s) * 24.0f) + 5);
                    const Vec2 crack = line[at] + Vec2{rng.Range(-0.2f, 0.2f) * w, 0};
                    for (const float dy : {-s, 0.0f, s})
                    {
                        const Vec2 p = crack + Vec2{0, dy};
                        Glow(aCanvas, p, w * 0.6f, aLook.glow, 0.45f);
                        aCanvas.DrawPolyline({p, p + Vec2{w * 0.1f, -w * 0.3f}, p + Vec2{-w * 0.05f, -w * 0.6f}}, std::max(1.5f, w * 0.05f), Lighten(aLook.glow, 0.4f));
                    }
                }
            }
            const int boughs = rng.Int(2, 4);
            for (int i = 0; i < boughs; ++i)
            {
                const float y = s * (float(i) + rng.Range(0.2f, 0.8f)) / float(boughs);
                const size_t at = std::min(line.size() - 1, size_t((y / s) * 24.0f) + 5);
                const float side = rng.Next() < 0.5f ? -1.0f : 1.0f;
                const uint64_t boughSeed = rng.NextBits();
                const float length = w * rng.Range(2.2f, 3.6f);
                // A bough near the top or the bottom edge shows again on the other side.
                for (const float dy : {-s, 0.0f, s})
                {
                    Rng boughRng(boughSeed);
                    Bough(aCanvas, aLevel, line[at] + Vec2{side * w * 0.3f, dy}, side, length, w * 0.32f, aLook, boughRng);
                }
            }
        }

        // A long strand of moss or vine hanging from nowhere in particular.
        void Vines(Canvas& aCanvas, const LevelLook& aLook, int aCount, uint64_t aSeed)
        {
            const float s = float(aCanvas.Width());
            Rng rng(aSeed);
            for (int i = 0; i < aCount; ++i)
            {
                const Vec2 top{rng.Range(0.0f, s), rng.Range(0.0f, s)};
                const float length = s * rng.Range(0.08f, 0.2f);
                const float sway = rng.Range(-0.05f, 0.05f) * s;
                const bool cocoon = rng.Next() < 0.4f;
                Wrapped(s, [&](Vec2 anOffset) {
                    const std::vector<Vec2> strand = SmoothCurve({top + anOffset, top + anOffset + Vec2{sway * 0.5f, length * 0.5f}, top + anOffset + Vec2{sway, length}}, 8);
                    aCanvas.DrawTapered(strand, s * 0.004f, s * 0.0015f, Mix(aLook.treeDark, aLook.tree, 0.5f));
                    if (cocoon)
                    {
                        const Vec2 c = strand.back() + Vec2{0, s * 0.01f};
                        Glow(aCanvas, c, s * 0.03f, aLook.glow, 0.4f);
                        aCanvas.FillEllipse(c, s * 0.006f, s * 0.012f, 0.0f, Paint::Linear(c - Vec2{0, s * 0.012f}, Palette::FluffLight, c + Vec2{0, s * 0.012f}, Palette::FluffDark));
                    }
                });
            }
        }

        void Embers(Canvas& aCanvas, const LevelLook& aLook, uint64_t aSeed)
        {
            const float s = float(aCanvas.Width());
            Rng rng(aSeed);
            for (int i = 0; i < int(s / 10.0f); ++i)
            {
                const Vec2 p{rng.Range(0.0f, s), rng.Range(0.0f, s)};
                const float size = rng.Range(1.0f, 2.6f) * s / 1024.0f;
                Wrapped(s, [&](Vec2 anOffset) {
                    Glow(aCanvas, p + anOffset, size * 6.0f, aLook.glow, 0.55f);
                    aCanvas.DrawLine(p + anOffset, p + anOffset + Vec2{size, -size * 3.0f}, size, Lighten(aLook.glow, 0.5f));
                });
            }
        }
    }

    Canvas ParallaxLayer(int aLevel, int aSize)
    {
        const LevelLook& look = LookOf(aLevel);
        const float s = float(aSize);
        Canvas canvas(aSize, aSize, look.deep);
        // Soft banks of fog in the dark (dim enough to stay see-through for the layering).
        for (int y = 0; y < aSize; ++y)
        {
            for (int x = 0; x < aSize; ++x)
            {
                const float n = TileableNoise(float(x) / s * 4.0f, float(y) / s * 4.0f, 4, uint32_t(look.seed));
                canvas.At(x, y) = Mix(look.deep, look.fog, std::clamp(n * 1.3f - 0.2f, 0.0f, 1.0f));
            }
        }
        Rng rng(look.seed);
        // The dim row behind: thin, unlit trunks.
        LevelLook far = look;
        far.treeDark = Mix(look.deep, look.treeDark, 0.5f);
        far.tree = Mix(look.fog, look.treeDark, 0.7f);
        far.treeLight = Mix(look.fog, look.tree, 0.45f);
        far.leaf = Mix(look.fog, look.leaf, 0.5f);
        far.leafLight = Mix(look.fog, look.leafLight, 0.4f);
        const int backCount = 8;
        for (int i = 0; i < backCount; ++i)
        {
            const Trunk trunk{s * (float(i) + rng.Range(0.1f, 0.9f)) / float(backCount), s * rng.Range(0.012f, 0.022f), s * rng.Range(0.0f, 0.012f),
                              rng.Range(0.0f, 6.0f), rng.Int(1, 2), rng.NextBits()};
            for (const float dx : {-s, 0.0f, s})
                DrawTrunk(canvas, aLevel, trunk, {dx, 0.0f}, far);
        }
        Vines(canvas, far, 10, look.seed + 1);
        // The lit trunks in front.
        const int frontCount = 4;
        for (int i = 0; i < frontCount; ++i)
        {
            const Trunk trunk{s * (float(i) + rng.Range(0.25f, 0.75f)) / float(frontCount), s * rng.Range(0.035f, 0.06f), s * rng.Range(0.005f, 0.02f),
                              rng.Range(0.0f, 6.0f), 1, rng.NextBits()};
            for (const float dx : {-s, 0.0f, s})
                DrawTrunk(canvas, aLevel, trunk, {dx, 0.0f}, look);
        }
        Vines(canvas, look, 8, look.seed + 2);
        if (aLevel == 4)
            Embers(canvas, look, look.seed + 3);
        Rng flies(look.seed + 4);
        for (int i = 0; i < int(s / 30.0f); ++i)
        {
            const Vec2 p{flies.Range(0.0f, s), flies.Range(0.0f, s)};
            const float size = flies.Range(0.7f, 1.5f) * s / 1024.0f;
            Wrapped(s, [&](Vec2 anOffset) {
                Glow(canvas, p + anOffset, 9.0f * size, look.glow, 0.5f);
                canvas.FillCircle(p + anOffset, 1.4f * size, Lighten(look.glow, 0.6f));
            });
        }
        return canvas;
    }

    namespace
    {
        float ToLinear(float c) { return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f); }
        float ToSrgb(float c)
        {
            c = std::clamp(c, 0.0f, 1.0f);
            return c <= 0.0031308f ? c * 12.92f : 1.055f * std::pow(c, 1.0f / 2.4f) - 0.055f;
        }

        struct Linear
        {
            float r, g, b, a;
        };

        // A repeating, bilinear sample in linear light.
        Linear SampleWrapped(const Canvas& aCanvas, float u, float v)
        {
            const float w = float(aCanvas.Width()), h = float(aCanvas.Height());
            const float x = (u - std::floor(u)) * w - 0.5f, y = (v - std::floor(v)) * h - 0.5f;
            const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
            const float tx = x - float(x0), ty = y - float(y0);
            Linear sum{0, 0, 0, 0};
            for (int j = 0; j < 2; ++j)
            {
                for (int i = 0; i < 2; ++i)
                {
                    const int sx = ((x0 + i) % aCanvas.Width() + aCanvas.Width()) % aCanvas.Width();
                    const int sy = ((y0 + j) % aCanvas.Height() + aCanvas.Height()) % aCanvas.Height();
                    const float weight = (i ? tx : 1.0f - tx) * (j ? ty : 1.0f - ty);
                    const Color& c = aCanvas.At(sx, sy);
                    sum.r += ToLinear(c.r) * weight;
                    sum.g += ToLinear(c.g) * weight;
                    sum.b += ToLinear(c.b) * weight;
                    sum.a += c.a * weight;
                }
            }
            return sum;
        }

        float Coverage(const Linear& aTexel)
        {
            const float luminance = 0.2126f * aTexel.r + 0.7152f * aTexel.g + 0.0722f * aTexel.b;
            const float t = std::clamp((luminance - 0.04f) / 0.26f, 0.0f, 1.0f);
            return aTexel.a * t * t * (3.0f - 2.0f * t);
        }
    }

    namespace
    {
        // How the layering shader grades a layer by depth so the picture stays behind the
        // playfield: dimmed, and the farther, the greyer, bluer and hazier.
        struct Depth
        {
            float rate, tiling;
            float brightness, saturation, coolness, haze;
        };

        Linear Recede(Linear aTexel, const Depth& aDepth)
        {
            constexpr float cool[3] = {0.55f, 0.68f, 1.0f};
            constexpr float haze[3] = {0.006f, 0.009f, 0.03f};
            constexpr float coolLuminance = 0.2126f * cool[0] + 0.7152f * cool[1] + 0.0722f * cool[2];
            float c[3] = {aTexel.r, aTexel.g, aTexel.b};
            for (float& channel : c)
                channel /= 1.0f + 0.6f * channel;
            const float luminance = 0.2126f * c[0] + 0.7152f * c[1] + 0.0722f * c[2];
            for (int i = 0; i < 3; ++i)
            {
                const float grey = luminance * (1.0f - aDepth.coolness + aDepth.coolness * cool[i] / coolLuminance);
                const float graded = (grey + (c[i] - grey) * aDepth.saturation) * aDepth.brightness;
                c[i] = graded + (haze[i] - graded) * aDepth.haze;
            }
            return {c[0], c[1], c[2], aTexel.a};
        }
    }

    Canvas LevelPicture(const Canvas& aLayer, int aWidth, int aHeight, float aScroll)
    {
        // The quad is as tall as it is wide (the layer is square) and stands on the screen's
        // bottom edge, so the screen shows its lower part.
        Canvas picture(aWidth, aHeight);
        const float quad = float(aWidth);
        const Depth far{0.2f, 2.0f, 0.08f, 0.35f, 0.85f, 0.45f}, middle{0.5f, 1.5f, 0.17f, 0.6f, 0.55f, 0.25f},
            near{1.0f, 1.0f, 0.36f, 0.85f, 0.25f, 0.08f};
        for (int y = 0; y < aHeight; ++y)
        {
            const float v = (quad - float(aHeight) + float(y) + 0.5f) / quad;
            for (int x = 0; x < aWidth; ++x)
            {
                const float u = (float(x) + 0.5f) / quad;
                Linear f = SampleWrapped(aLayer, u * far.tiling + aScroll * far.rate, v * far.tiling);
                const Linear m = SampleWrapped(aLayer, u * middle.tiling + aScroll * middle.rate, v * middle.tiling);
                const Linear n = SampleWrapped(aLayer, u * near.tiling + aScroll * near.rate, v * near.tiling);
                f = {f.r * f.a, f.g * f.a, f.b * f.a, f.a};
                const Linear fc = Recede(f, far), mc = Recede(m, middle), nc = Recede(n, near);
                const float mCover = Coverage(m), nCover = Coverage(n);
                float rgb[3] = {fc.r, fc.g, fc.b};
                const float mid[3] = {mc.r, mc.g, mc.b};
                const float front[3] = {nc.r, nc.g, nc.b};
                for (int c = 0; c < 3; ++c)
                {
                    rgb[c] = rgb[c] + (mid[c] - rgb[c]) * mCover;
                    rgb[c] = rgb[c] + (front[c] - rgb[c]) * nCover;
                }
                picture.At(x, y) = {ToSrgb(rgb[0]), ToSrgb(rgb[1]), ToSrgb(rgb[2]), 1.0f};
            }
        }
        return picture;
    }

    void WriteParallax(Art& anArt)
    {
        // Large pictures: one painter each.
        std::vector<std::jthread> painters;
        int level = 0;
        for (const UiPaths::LevelBackground& background : UiPaths::LevelBackgrounds())
        {
            ++level;
            painters.emplace_back([&anArt, level, path = background.texture] { anArt.Texture(path, ParallaxLayer(level, 1536)); });
        }
    }
}
