// The pages' backgrounds. The game draws them over the buttons, so each page's picture is cut
// open where its buttons are: around every plate, thread and gem the picture fades to clear,
// and the woods fill the rest of the screen. The main page has a night and a dawn version
// (after the ending); the other pages each cut their own openings into one woodland picture;
// the pause page is a veil over the frozen world with the same openings.
#include "MenuLayout.h"

#include "ContentKit/Random.h"

#include <algorithm>
#include <cmath>

namespace UiContent
{
    namespace
    {
        constexpr int Width = 1600;
        constexpr int Height = 900;

        struct Mood
        {
            Color skyTop, skyMid, skyHorizon;
            Color farTree, midTree, nearTree;
            Color rim;    // light catching the near trunks
            Color mist;
            Color light;  // moon or sun
            Color sparks; // fireflies
            bool dawn;
        };

        const Mood Night{Palette::NightDeep, Palette::Night, Hex(0x2c2f6c), Hex(0x30356f), Hex(0x1a1b45), Hex(0x0b0a1c),
                         Hex(0x6a70b8), Palette::Mist, Hex(0xeeeaff), Palette::Ember, false};
        const Mood Dawn{Hex(0x2b2160), Hex(0x8c4f86), Hex(0xffb36e), Hex(0xa06c96), Hex(0x5b3563), Hex(0x1f1128),
                        Hex(0xffbf86), Hex(0xffcf9c), Hex(0xfff3d0), Hex(0xffe2a0), true};

        void Sky(Canvas& aCanvas, const Mood& aMood, Vec2 aLight, float aLightRadius, uint64_t aSeed)
        {
            const float w = float(aCanvas.Width()), h = float(aCanvas.Height());
            aCanvas.FillRect(0, 0, w, h,
                             Paint::Linear({0, 0}, {0, h * 0.75f}, {{0.0f, aMood.skyTop}, {0.55f, aMood.skyMid}, {1.0f, aMood.skyHorizon}}));
            Rng rng(aSeed);
            const int stars = aMood.dawn ? 40 : 420;
            for (int i = 0; i < stars; ++i)
            {
                const Vec2 p{rng.Range(0.0f, w), rng.Range(0.0f, h * 0.6f)};
                const float fade = aMood.dawn ? 0.5f * (1.0f - p.y / (h * 0.6f)) : 1.0f;
                aCanvas.FillCircle(p, rng.Range(0.6f, 1.7f), WithAlpha(Palette::FluffLight, rng.Range(0.25f, 0.9f) * fade));
            }
            Glow(aCanvas, aLight, aLightRadius * 5.5f, aMood.light, aMood.dawn ? 0.55f : 0.3f);
            Glow(aCanvas, aLight, aLightRadius * 2.2f, aMood.light, aMood.dawn ? 0.6f : 0.25f);
            if (aMood.dawn)
            {
                // Long rays fanning up from the rising sun.
                Canvas rays(aCanvas.Width(), aCanvas.Height());
                for (int i = 0; i < 9; ++i)
                {
                    const float a = -Pi * (0.15f + 0.7f * float(i) / 8.0f) + rng.Range(-0.04f, 0.04f);
                    const float spread = 0.035f + 0.02f * rng.Next();
                    rays.FillPolygon({aLight, aLight + FromAngle(a - spread, w), aLight + FromAngle(a + spread, w)},
                                     Paint::Radial(aLight, w * 0.7f, WithAlpha(aMood.light, 0.22f), WithAlpha(aMood.light, 0.0f)));
                }
                rays.Blur(6.0f);
                aCanvas.Blit(rays, 0, 0);
                aCanvas.FillCircle(aLight, aLightRadius, Paint::Radial(aLight, aLightRadius, aMood.light, Hex(0xffd48a)));
            }
            else
            {
                aCanvas.FillCircle(aLight, aLightRadius, Paint::Radial(aLight - Vec2{aLightRadius * 0.3f, aLightRadius * 0.3f}, aLightRadius * 1.3f,
                                                                       Hex(0xfdfaff), Hex(0xc4bde6)));
                // A few soft craters.
                for (int i = 0; i < 5; ++i)
                    aCanvas.FillCircle(aLight + Vec2{rng.Range(-0.5f, 0.5f), rng.Range(-0.5f, 0.5f)} * aLightRadius, aLightRadius * rng.Range(0.1f, 0.2f),
                                       WithAlpha(Hex(0xa9a2d4), 0.35f));
            }
        }

        void Fir(Canvas& aCanvas, Vec2 aFoot, float aHeight, const Paint& aPaint)
        {
            const float w = aHeight * 0.3f;
            Path tree;
            tree.AddRect(aFoot.x - w * 0.05f, aFoot.y - aHeight * 0.1f, w * 0.1f, aHeight * 0.1f + 4.0f);
            for (int tier = 0; tier < 5; ++tier)
            {
                const float t = float(tier) / 5.0f;
                const float bottom = aFoot.y - aHeight * (0.04f + 0.84f * t);
                const float top = aFoot.y - aHeight * (0.42f + 0.58f * t) - aHeight * 0.05f;
                const float half = w * (1.0f - 0.78f * t);
                const float droop = aHeight * 0.03f;
                tree.AddPolygon({{aFoot.x, top}, {aFoot.x + half, bottom + droop}, {aFoot.x + half * 0.5f, bottom - droop * 0.3f},
                                 {aFoot.x - half * 0.5f, bottom - droop * 0.3f}, {aFoot.x - half, bottom + droop}});
            }
            aCanvas.Fill(tree, aPaint);
        }

        void RoundTree(Canvas& aCanvas, Vec2 aFoot, float aHeight, const Paint& aPaint, Rng& aRng)
        {
            aCanvas.DrawTapered({aFoot + Vec2{0, 4}, aFoot + Vec2{aHeight * 0.02f, -aHeight * 0.55f}}, aHeight * 0.07f, aHeight * 0.03f, aPaint);
            Path crown;
            for (int i = 0; i < 8; ++i)
                crown.AddCircle(aFoot + Vec2{aRng.Range(-0.2f, 0.2f) * aHeight, -aHeight * aRng.Range(0.6f, 0.88f)}, aHeight * aRng.Range(0.11f, 0.17f));
            aCanvas.Fill(crown, aPaint);
        }

        void TreeLine(Canvas& aCanvas, float aHorizon, float aMin, float aMax, int aCount, Color aColor, uint64_t aSeed)
        {
            const float w = float(aCanvas.Width()), h = float(aCanvas.Height());
            Rng rng(aSeed);
            std::vector<Vec2> hill{{0, h}};
            const float phase = rng.Range(0.0f, 6.0f);
            for (int i = 0; i <= 40; ++i)
            {
                const float x = w * float(i) / 40.0f;
                hill.push_back({x, aHorizon - 10.0f * std::sin(x * 0.006f + phase) - 5.0f * std::sin(x * 0.017f)});
            }
            hill.push_back({w, h});
            aCanvas.FillPolygon(hill, aColor);
            for (int i = 0; i < aCount; ++i)
            {
                const float x = w * (float(i) + rng.Range(0.1f, 0.9f)) / float(aCount);
                const float height = rng.Range(aMin, aMax);
                if (rng.Next() < 0.6f)
                    Fir(aCanvas, {x, aHorizon + 6.0f}, height, aColor);
                else
                    RoundTree(aCanvas, {x, aHorizon + 6.0f}, height, aColor, rng);
            }
        }

        void Mist(Canvas& aCanvas, float aY, float aDepth, Color aColor, float anAlpha)
        {
            const float w = float(aCanvas.Width());
            aCanvas.FillRect(0, aY - aDepth, w, aDepth * 1.5f,
                             Paint::Linear({0, aY - aDepth}, {0, aY + aDepth * 0.5f},
                                           {{0.0f, WithAlpha(aColor, 0.0f)}, {0.7f, WithAlpha(aColor, anAlpha)}, {1.0f, WithAlpha(aColor, 0.0f)}}));
        }

        // A great trunk rising out of the picture with limbs reaching inwards along the top;
        // lit on the side facing the light.
        void Trunk(Canvas& aCanvas, const Mood& aMood, float aFootX, float aTopX, float aWidth, float aReach, uint64_t aSeed)
        {
            const float h = float(aCanvas.Height());
            Rng rng(aSeed);
            const std::vector<Vec2> spine{{aFootX, h + 20.0f}, {Lerp(Vec2{aFootX, 0}, Vec2{aTopX, 0}, 0.4f).x, h * 0.55f}, {aTopX, -30.0f}};
            const Paint body = Paint::Linear({std::min(aFootX, aTopX) - aWidth, 0}, {std::max(aFootX, aTopX) + aWidth, 0},
                                             {{0.0f, aMood.nearTree}, {0.7f, aMood.nearTree}, {1.0f, Mix(aMood.nearTree, aMood.rim, 0.25f)}});
            // Rim light first, the body over it shifted away from the light.
            aCanvas.Fill(StrokeOutline(SmoothCurve(spine, 10), aWidth * 1.08f, aWidth * 0.7f, false), WithAlpha(aMood.rim, 0.55f));
            std::vector<Vec2> shifted;
            for (const Vec2& p : SmoothCurve(spine, 10))
                shifted.push_back(p - Vec2{aWidth * 0.05f, 0});
            aCanvas.Fill(StrokeOutline(shifted, aWidth, aWidth * 0.64f, false), body);
            // Bark: a few long grooves.
            const std::vector<Vec2> curve = SmoothCurve(spine, 10);
            for (int i = 0; i < 4; ++i)
            {
                const float offset = rng.Range(-0.3f, 0.3f) * aWidth;
                const size_t from = size_t(rng.Range(0.05f, 0.3f) * float(curve.size()));
                const size_t to = size_t(rng.Range(0.6f, 0.95f) * float(curve.size()));
                std::vector<Vec2> groove;
                for (size_t j = from; j < to; ++j)
                {
                    const float t = float(j) / float(curve.size());
                    groove.push_back(curve[j] + Vec2{offset * (1.0f - t * 0.4f) + std::sin(t * 40.0f) * 2.0f, 0});
                }
                if (groove.size() > 1)
                    aCanvas.DrawPolyline(groove, 2.0f, WithAlpha(Palette::NightDeep, 0.6f));
            }
            // Limbs along the top, towards the middle of the picture.
            const float dir = aReach > 0.0f ? 1.0f : -1.0f;
            for (int i = 0; i < 3; ++i)
            {
                const float y = rng.Range(20.0f, 150.0f);
                const Vec2 from{aTopX + (aFootX - aTopX) * (y / h), y};
                const float length = std::abs(aReach) * rng.Range(0.55f, 1.0f);
                const Vec2 to = from + Vec2{dir * length, rng.Range(-40.0f, 50.0f)};
                const Vec2 mid = Lerp(from, to, 0.5f) + Vec2{0, rng.Range(-30.0f, 20.0f)};
                aCanvas.DrawTapered(SmoothCurve({from, mid, to}, 8), aWidth * 0.28f, 3.0f, aMood.nearTree);
                // Leaves hanging off the limb.
                for (int j = 0; j < 10; ++j)
                {
                    const float t = rng.Range(0.2f, 1.0f);
                    const Vec2 at = Lerp(Lerp(from, mid, t), Lerp(mid, to, t), t);
                    aCanvas.FillEllipse(at + Vec2{rng.Range(-8.0f, 8.0f), rng.Range(4.0f, 16.0f)}, rng.Range(7.0f, 14.0f), rng.Range(3.0f, 6.0f),
                                        rng.Range(0.6f, 1.4f) * dir, aMood.nearTree);
                }
            }
        }

        // Moss strands hanging from the top, some with a glowing cocoon.
        void HangingMoss(Canvas& aCanvas, const Mood& aMood, float aFromX, float aToX, int aCount, uint64_t aSeed)
        {
            Rng rng(aSeed);
            for (int i = 0; i < aCount; ++i)
            {
                const float x = rng.Range(aFromX, aToX);
                const float length = rng.Range(40.0f, 150.0f);
                const float sway = rng.Range(-12.0f, 12.0f);
                const std::vector<Vec2> strand = SmoothCurve({{x, -5.0f}, {x + sway * 0.5f, length * 0.5f}, {x + sway, length}}, 8);
                aCanvas.DrawTapered(strand, rng.Range(3.0f, 6.0f), 1.0f, aMood.nearTree);
                if (rng.Next() < 0.35f)
                {
                    const Vec2 c = strand.back() + Vec2{0, 12.0f};
                    Glow(aCanvas, c, 40.0f, aMood.sparks, 0.35f);
                    Pen pen(aCanvas, Affine{});
                    pen.Toned(Path().AddEllipse(c, 7.0f, 13.0f), c, 13.0f, Palette::FluffDark, Palette::Fluff, Palette::FluffLight, 1.5f);
                }
            }
        }

        // Ferns, grass and a few glowing mushrooms along the bottom edge.
        void Undergrowth(Canvas& aCanvas, const Mood& aMood, float aFromX, float aToX, float aGroundY, uint64_t aSeed)
        {
            const float h = float(aCanvas.Height());
            Rng rng(aSeed);
            std::vector<Vec2> ground{{aFromX - 40.0f, h + 5.0f}};
            for (float x = aFromX - 40.0f; x <= aToX + 40.0f; x += 20.0f)
                ground.push_back({x, aGroundY + rng.Range(-6.0f, 6.0f)});
            ground.push_back({aToX + 40.0f, h + 5.0f});
            aCanvas.FillPolygon(ground, aMood.nearTree);
            for (float x = aFromX; x < aToX; x += rng.Range(14.0f, 34.0f))
            {
                const float tall = rng.Range(25.0f, 70.0f);
                const float lean = rng.Range(-0.5f, 0.5f);
                aCanvas.DrawTapered(SmoothCurve({{x, aGroundY + 6.0f}, {x + lean * tall * 0.3f, aGroundY - tall * 0.5f}, {x + lean * tall, aGroundY - tall}}, 6),
                                    4.0f, 0.8f, aMood.nearTree);
            }
            // Fern fronds: a curled stem with leaflets.
            for (int f = 0; f < int((aToX - aFromX) / 120.0f) + 1; ++f)
            {
                const Vec2 root{rng.Range(aFromX, aToX), aGroundY + 8.0f};
                const float length = rng.Range(60.0f, 110.0f);
                const float side = rng.Next() < 0.5f ? -1.0f : 1.0f;
                const std::vector<Vec2> stem = SmoothCurve({root, root + Vec2{side * length * 0.3f, -length * 0.6f}, root + Vec2{side * length * 0.8f, -length * 0.75f}}, 10);
                aCanvas.DrawTapered(stem, 3.5f, 1.0f, aMood.nearTree);
                for (size_t i = 2; i + 1 < stem.size(); i += 2)
                {
                    const Vec2 dir = Normalized(stem[i + 1] - stem[i]);
                    const float leaf = 14.0f * (1.0f - float(i) / float(stem.size()));
                    for (const float s : {-1.0f, 1.0f})
                        aCanvas.DrawTapered({stem[i], stem[i] + Rotated(dir, s * 1.1f) * leaf}, 3.5f, 0.8f, aMood.nearTree);
                }
            }
            for (int m = 0; m < 3; ++m)
            {
                const Vec2 foot{rng.Range(aFromX + 20.0f, aToX - 20.0f), aGroundY + 4.0f};
                const float size = rng.Range(9.0f, 16.0f);
                const Color cap = aMood.dawn ? Hex(0xffb070) : Hex(0x79e6d2);
                Glow(aCanvas, foot - Vec2{0, size}, size * 5.0f, cap, 0.4f);
                aCanvas.DrawTapered({foot, foot - Vec2{0, size * 1.1f}}, size * 0.35f, size * 0.25f, Palette::Fluff);
                Pen pen(aCanvas, Affine{});
                pen.Shape(Path().AddEllipse(foot - Vec2{0, size * 1.2f}, size, size * 0.55f), Paint::Linear(foot - Vec2{0, size * 1.8f}, Lighten(cap, 0.4f),
                                                                                                              foot - Vec2{0, size * 0.8f}, cap),
                          1.5f);
            }
        }

        void Vignette(Canvas& aCanvas, float aStrength)
        {
            const float w = float(aCanvas.Width()), h = float(aCanvas.Height());
            aCanvas.FillRect(0, 0, w, h, Paint::Radial({w * 0.5f, h * 0.5f}, w * 0.62f,
                                                       {{0.55f, WithAlpha(Palette::NightDeep, 0.0f)}, {1.0f, WithAlpha(Palette::NightDeep, aStrength)}}));
        }

        // Clears the picture where aPage's buttons are drawn (plate, thread and gem, a little
        // larger), with a soft edge, so the buttons under it show.
        void CutOpenings(Canvas& aCanvas, const PageLayout& aPage, float aScale)
        {
            Path openings;
            for (const ButtonPlace& button : aPage.buttons)
                openings.AddPath(ButtonOpening(button).Transformed(Affine::Scale(aScale, aScale)));
            Canvas mask(aCanvas.Width(), aCanvas.Height());
            mask.Fill(openings, Color{1, 1, 1, 1});
            mask.Blur(5.0f * aScale);
            for (int py = 0; py < aCanvas.Height(); ++py)
                for (int px = 0; px < aCanvas.Width(); ++px)
                    aCanvas.At(px, py).a *= 1.0f - std::min(1.0f, mask.At(px, py).a * 1.15f);
        }

        // A few moths drifting about the sky.
        void Moths(Canvas& aCanvas, const Mood& aMood, const std::vector<Vec2>& somePlaces, uint64_t aSeed)
        {
            Rng rng(aSeed);
            for (const Vec2& p : somePlaces)
            {
                const float size = rng.Range(18.0f, 30.0f);
                Glow(aCanvas, p, size * 2.5f, aMood.sparks, 0.3f);
                DrawMoth(aCanvas, p, size, rng.Range(-Pi, Pi), rng.Range(0.6f, 1.0f), aMood.dawn ? Hex(0xc08bb0) : Palette::WingLight, Palette::FluffLight,
                         Palette::Fluff, 1.2f);
            }
        }

        struct Glade
        {
            Vec2 light;          // moon or sun
            float lightRadius;
            bool bigTrunks;      // the main page frames its clearing with great trunks
            uint64_t seed;
        };

        // A clearing in the woods: sky and light, two tree lines in mist, trunks at the sides
        // with limbs and moss along the top, undergrowth along the bottom, fireflies and moths.
        Canvas Woodland(const Mood& aMood, const Glade& aGlade)
        {
            Canvas canvas(Width, Height);
            const uint64_t seed = aGlade.seed;
            Sky(canvas, aMood, aGlade.light, aGlade.lightRadius, seed + 1);
            Mist(canvas, 560.0f, 120.0f, aMood.mist, 0.35f);
            TreeLine(canvas, 600.0f, 150.0f, 270.0f, 26, aMood.farTree, seed + 2);
            Mist(canvas, 720.0f, 110.0f, aMood.mist, 0.3f);
            TreeLine(canvas, 770.0f, 260.0f, 430.0f, 16, aMood.midTree, seed + 3);
            if (aGlade.bigTrunks)
            {
                Trunk(canvas, aMood, 120.0f, 70.0f, 120.0f, 420.0f, seed + 4);
                Trunk(canvas, aMood, 250.0f, 300.0f, 60.0f, 300.0f, seed + 5);
                Trunk(canvas, aMood, 1500.0f, 1540.0f, 130.0f, -440.0f, seed + 6);
                Trunk(canvas, aMood, 1370.0f, 1330.0f, 58.0f, -260.0f, seed + 7);
            }
            else
            {
                Trunk(canvas, aMood, 50.0f, 30.0f, 90.0f, 380.0f, seed + 4);
                Trunk(canvas, aMood, 1560.0f, 1585.0f, 95.0f, -400.0f, seed + 6);
            }
            HangingMoss(canvas, aMood, 180.0f, 560.0f, 9, seed + 8);
            HangingMoss(canvas, aMood, 1080.0f, 1420.0f, 8, seed + 9);
            Undergrowth(canvas, aMood, 0.0f, 1600.0f, 862.0f, seed + 10);
            Fireflies(canvas, 0, 380, 1600, 480, 40, seed + 11, aMood.sparks);
            Moths(canvas, aMood, {{230.0f, 300.0f}, {1190.0f, 250.0f}, {1440.0f, 560.0f}, {120.0f, 600.0f}}, seed + 12);
            Vignette(canvas, 0.7f);
            return canvas;
        }

        // The pause page lies over the frozen level: a veil that darkens the world, most at the
        // edges, cleared where the buttons are.
        Canvas PauseVeil(const PageLayout& aPage)
        {
            const float scale = 0.5f;
            const int w = int(Width * scale), h = int(Height * scale);
            Canvas canvas(w, h);
            for (int y = 0; y < h; ++y)
            {
                for (int x = 0; x < w; ++x)
                {
                    const float dx = ((float(x) + 0.5f) / float(w) - 0.5f) * 2.0f, dy = ((float(y) + 0.5f) / float(h) - 0.5f) * 2.0f;
                    const float edge = std::clamp(std::sqrt(dx * dx * 0.7f + dy * dy) - 0.2f, 0.0f, 1.0f);
                    canvas.At(x, y) = WithAlpha(Mix(Palette::Night, Palette::NightDeep, edge), 0.55f + 0.35f * edge);
                }
            }
            Fireflies(canvas, 10, 20, 120, 400, 6, 65, Palette::Ember, 0.6f);
            Fireflies(canvas, 680, 20, 110, 400, 6, 66, Palette::Ember, 0.6f);
            CutOpenings(canvas, aPage, scale);
            return canvas;
        }
    }

    void WriteMenuBackgrounds(Art& anArt, const MenuPages& somePages)
    {
        // One woodland for the level select, options and credits, each cut for its buttons.
        const Canvas woodland = Woodland(Night, {{250.0f, 120.0f}, 44.0f, false, 20});
        for (const PageLayout& page : somePages.pages)
        {
            if (page.key == "MainMenu")
            {
                const Glade glade{{1300.0f, 170.0f}, 64.0f, true, 10};
                Canvas night = Woodland(Night, glade);
                CutOpenings(night, page, 1.0f);
                anArt.Texture(MenuPaths::MainBackground, night);
                Canvas dawn = Woodland(Dawn, {{1300.0f, 400.0f}, 80.0f, true, 10});
                CutOpenings(dawn, page, 1.0f);
                anArt.Texture(MenuPaths::MainBackgroundEnding, dawn);
            }
            else if (page.key == "Pause")
            {
                anArt.Texture(MenuPaths::Background(page.key), PauseVeil(page));
            }
            else
            {
                Canvas woods = woodland;
                CutOpenings(woods, page, 1.0f);
                anArt.Texture(MenuPaths::Background(page.key), woods);
            }
        }
    }
}
