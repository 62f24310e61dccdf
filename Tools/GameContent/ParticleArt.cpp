// Particle textures (each drawn whole, tinted white by default, so they carry their own
// colour) and the three animated effect sheets the hero's emitters play.
#include "Drawing.h"
#include "Layouts.h"

#include "ContentKit/ContentPaths.h"
#include "ContentKit/Random.h"
#include "ContentKit/SpriteSheet.h"

#include <cmath>
#include <functional>

namespace GameContent
{
    namespace
    {
        // A soft glow: a bright core fading to nothing at the edge.
        Canvas GlowDot(int aSize, Color aCore, Color aEdge, float aCoreSize)
        {
            Canvas canvas(aSize, aSize);
            const Vec2 c{float(aSize) * 0.5f, float(aSize) * 0.5f};
            canvas.FillCircle(c, float(aSize) * 0.5f,
                              Paint::Radial(c, float(aSize) * 0.5f,
                                            {{0.0f, aCore}, {aCoreSize, Mix(aCore, aEdge, 0.4f)}, {aCoreSize * 2.0f, WithAlpha(aEdge, 0.55f)},
                                             {1.0f, WithAlpha(aEdge, 0.0f)}}));
            return canvas;
        }

        // A four-pointed twinkle over a glow.
        Canvas Sparkle(int aSize, Color aCore, Color aEdge)
        {
            Canvas canvas = GlowDot(aSize, WithAlpha(aCore, 0.9f), aEdge, 0.12f);
            const float s = float(aSize);
            const Vec2 c{s * 0.5f, s * 0.5f};
            for (const float angle : {0.0f, Pi * 0.5f})
            {
                const Vec2 d = FromAngle(angle, s * 0.47f), n = FromAngle(angle + Pi * 0.5f, s * 0.06f);
                canvas.FillPolygon({c - d, c + n, c + d, c - n}, Paint::Radial(c, s * 0.47f, WithAlpha(aCore, 1.0f), WithAlpha(aEdge, 0.0f)));
            }
            canvas.FillCircle(c, s * 0.08f, aCore);
            return canvas;
        }

        // A soft, lumpy cloud of smoke or dust.
        Canvas Puff(int aSize, Color aLight, Color aDark, uint64_t aSeed, float aDensity)
        {
            Canvas canvas(aSize, aSize);
            Rng rng(aSeed);
            const float s = float(aSize);
            for (int i = 0; i < 9; ++i)
            {
                const Vec2 p{s * rng.Range(0.3f, 0.7f), s * rng.Range(0.32f, 0.68f)};
                const float r = s * rng.Range(0.13f, 0.22f);
                canvas.FillCircle(p, r, Paint::Linear(p - Vec2{0, r}, aLight, p + Vec2{0, r}, aDark));
            }
            canvas.Blur(s * 0.08f);
            canvas.MultiplyAlpha(aDensity);
            return canvas;
        }

        Canvas DarktangleMote()
        {
            // A knot of dark strands with a faint violet halo, so it reads on a night sky.
            const int size = 64;
            Canvas canvas = GlowDot(size, WithAlpha(Palette::ShadowLight, 0.55f), Palette::Mist, 0.2f);
            Rng rng(17);
            const Vec2 c{32, 32};
            for (int strand = 0; strand < 5; ++strand)
            {
                std::vector<Vec2> points;
                Vec2 p = c + FromAngle(rng.Range(0, 2 * Pi), rng.Range(2, 7));
                float angle = rng.Range(0, 2 * Pi);
                for (int i = 0; i < 9; ++i)
                {
                    points.push_back(p);
                    angle += rng.Range(-1.2f, 1.2f);
                    p = p + FromAngle(angle, 4.5f);
                    if (Length(p - c) > 20.0f)
                        angle += Pi * 0.7f;
                }
                canvas.DrawTapered(SmoothCurve(points, 4), 3.2f, 0.8f, WithAlpha(Palette::Shadow, 0.9f));
            }
            canvas.FillCircle(c, 7.0f, Paint::Radial(c, 7.0f, WithAlpha(Palette::NightDeep, 0.95f), WithAlpha(Palette::Shadow, 0.3f)));
            return canvas;
        }

        Canvas Flame(int aSize)
        {
            // A rising ember flame: a teardrop, hot at the base.
            Canvas canvas = GlowDot(aSize, WithAlpha(Palette::Ember, 0.5f), Palette::EmberDeep, 0.15f);
            const float s = float(aSize);
            Path drop;
            drop.MoveTo({s * 0.5f, s * 0.12f});
            drop.CubicTo({s * 0.62f, s * 0.35f}, {s * 0.75f, s * 0.55f}, {s * 0.5f, s * 0.8f});
            drop.CubicTo({s * 0.25f, s * 0.55f}, {s * 0.38f, s * 0.35f}, {s * 0.5f, s * 0.12f});
            drop.Close();
            canvas.Fill(drop, Paint::Linear({0, s * 0.12f}, {0, s * 0.8f},
                                            {{0.0f, WithAlpha(Palette::EmberDeep, 0.2f)}, {0.5f, Palette::Ember}, {1.0f, Palette::Glow}}));
            canvas.FillCircle({s * 0.5f, s * 0.62f}, s * 0.09f, Palette::Glow);
            return canvas;
        }

        Canvas Debris()
        {
            // A pale chip of stone, tinted by the wall's colour in the game.
            Canvas canvas(64, 64);
            Pen pen(canvas, Affine{});
            const std::vector<Vec2> chip = {{14, 24}, {30, 10}, {50, 18}, {54, 38}, {40, 54}, {18, 48}};
            pen.Toned(Path().AddPolygon(chip), {34, 32}, 26, Hex(0x8a8a96), Hex(0xc8c8d2), Hex(0xf4f4fa), 1.5f);
            pen.Line({{30, 10}, {34, 32}, {54, 38}}, 1.5f, WithAlpha(Hex(0x6a6a78), 0.8f));
            pen.Line({{34, 32}, {18, 48}}, 1.5f, WithAlpha(Hex(0x6a6a78), 0.8f));
            return canvas;
        }

        // A sheet whose last cell stays empty: aFrame(cell, t) draws cells 0..N-2, t in 0..1.
        Canvas EffectSheet(const SheetLayout& aLayout, const std::function<void(Pen&, float)>& aFrame)
        {
            SpriteSheet sheet(aLayout.columns, aLayout.rows, aLayout.cellSize, aLayout.cellSize);
            const int drawn = sheet.Cells() - 1;
            for (int i = 0; i < drawn; ++i)
            {
                Canvas cell = sheet.NewCell();
                const float pixels = float(aLayout.cellSize) / 150.0f;
                Pen pen(cell, Affine::Scale(pixels, pixels));
                aFrame(pen, float(i) / float(drawn - 1));
                sheet.Place(i, cell);
            }
            return sheet.Image();
        }

        // A soft dust cloud drawn into a pen (design units), fading with aFade.
        void DustCloud(Pen& aPen, Vec2 aCentre, float aRadius, float anAlpha, uint64_t aSeed)
        {
            Rng rng(aSeed);
            Canvas& target = aPen.Target();
            Canvas layer(target.Width(), target.Height());
            Pen layerPen(layer, aPen.Transform());
            for (int i = 0; i < 6; ++i)
            {
                const Vec2 p = aCentre + Vec2{rng.Range(-0.6f, 0.6f) * aRadius, rng.Range(-0.35f, 0.25f) * aRadius};
                const float r = aRadius * rng.Range(0.35f, 0.6f);
                layerPen.Shape(Path().AddCircle(p, r), Paint::Linear(aPen.Map(p - Vec2{0, r}), Hex(0xd8d2ee), aPen.Map(p + Vec2{0, r}), Hex(0x8d86b4)),
                               0.0f);
            }
            layer.Blur(aRadius * aPen.Scale() * 0.12f);
            layer.MultiplyAlpha(anAlpha);
            target.Blit(layer, 0, 0);
        }

        Canvas LandingSheet()
        {
            // Dust bursting sideways from the feet along the ground, spreading and fading.
            return EffectSheet(Sheets::Landing, [](Pen& aPen, float t) {
                const float ground = 112.0f;
                const float spread = 12.0f + 36.0f * Smooth01(std::sqrt(t));
                const float alpha = 0.95f * (1.0f - Smooth01(t));
                const Vec2 c = aPen.Map({75, ground});
                aPen.Target().StrokeEllipse(c, (spread + 6.0f) * aPen.Scale(), (4.0f + 6.0f * t) * aPen.Scale(), 0.0f, 2.5f * aPen.Scale(),
                                            WithAlpha(Palette::FluffLight, 0.6f * (1.0f - t)));
                for (const float side : {-1.0f, 1.0f})
                {
                    DustCloud(aPen, {75.0f + side * spread, ground - 6.0f - 8.0f * t}, 11.0f + 9.0f * t, alpha, side > 0 ? 3 : 5);
                    DustCloud(aPen, {75.0f + side * spread * 0.55f, ground - 4.0f - 4.0f * t}, 9.0f + 9.0f * t, alpha * 0.8f, side > 0 ? 7 : 9);
                }
            });
        }

        Canvas DashDustSheet()
        {
            // Puffs kicked up behind a dash, drifting right (the game mirrors them for a
            // dash to the right) and thinning out.
            return EffectSheet(Sheets::DashDust, [](Pen& aPen, float t) {
                const float alpha = 0.9f * (1.0f - Smooth01(t));
                for (int i = 0; i < 4; ++i)
                {
                    const float lag = float(i) * 0.12f;
                    const float local = std::max(0.0f, t - lag);
                    const float x = 40.0f + 18.0f * float(i) + 55.0f * Smooth01(local * 1.4f);
                    DustCloud(aPen, {x, 128.0f - 6.0f * float(i % 2) - 10.0f * local}, 9.0f + 12.0f * local + 2.0f * float(i), alpha,
                              uint64_t(11 + i));
                }
            });
        }

        Canvas DamageDashSheet()
        {
            // An ember blade of light pointing left: it flashes out from the tip, then thins
            // and fades along its tail.
            return EffectSheet(Sheets::DamageDash, [](Pen& aPen, float t) {
                const float grow = Smooth01(t * 4.0f);
                const float fade = 1.0f - Smooth01((t - 0.3f) / 0.7f);
                const float length = 100.0f * grow;
                const float thickness = 26.0f * fade + 4.0f;
                const Vec2 tip{30.0f, 75.0f};
                Path blade;
                blade.MoveTo(tip);
                blade.QuadTo(tip + Vec2{length * 0.5f, -thickness}, tip + Vec2{length, -thickness * 0.4f});
                blade.QuadTo(tip + Vec2{length * 0.8f, 0.0f}, tip + Vec2{length, thickness * 0.4f});
                blade.QuadTo(tip + Vec2{length * 0.5f, thickness}, tip);
                blade.Close();
                aPen.Glow(tip + Vec2{std::max(length * 0.35f, 12.0f), 0}, 38.0f, Palette::Ember, 0.6f * fade);
                aPen.Shape(blade, Paint::Linear(aPen.Map(tip), aPen.Map(tip + Vec2{length, 0}),
                                                {{0.0f, WithAlpha(Palette::Glow, fade)},
                                                 {0.35f, WithAlpha(Palette::EmberLight, fade)},
                                                 {1.0f, WithAlpha(Palette::EmberDeep, 0.0f)}}),
                           0.0f);
                // Hot core line.
                aPen.Line({tip + Vec2{4, 0}, tip + Vec2{length * 0.7f, 0}}, 3.0f * fade + 0.5f, WithAlpha(Palette::Glow, fade));
            });
        }

        Canvas ParticleTestSheet()
        {
            // A pulsing ember orb, for trying out animated particles.
            SpriteSheet sheet(Sheets::ParticleTest.columns, Sheets::ParticleTest.rows, Sheets::ParticleTest.cellSize, Sheets::ParticleTest.cellSize);
            for (int i = 0; i < sheet.Cells(); ++i)
            {
                const float pulse = 0.6f + 0.4f * std::sin(2.0f * Pi * float(i) / float(sheet.Cells()));
                Canvas cell = sheet.NewCell();
                const int size = int(float(sheet.CellWidth()) * pulse);
                cell.Blit(GlowDot(size, Palette::Glow, Palette::Ember, 0.2f), (sheet.CellWidth() - size) / 2, (sheet.CellHeight() - size) / 2);
                sheet.Place(i, cell);
            }
            return sheet.Image();
        }
    }

    void WriteParticleArt(Output& anOutput)
    {
        using namespace ContentKit::Paths;
        anOutput.Texture(Darktangle, DarktangleMote());
        anOutput.Texture(Dustcloud, Puff(32, Hex(0xd6d0ea), Hex(0x8e88b0), 3, 0.85f));
        anOutput.Texture(Ember, GlowDot(32, Palette::Glow, Palette::Ember, 0.12f));
        anOutput.Texture(WallDebris, Debris());
        anOutput.Texture("sprites/VFX/S_VFX_spark_jump.dds", Sparkle(64, Palette::Glow, Palette::Ember));
        anOutput.Texture("sprites/VFX/S_VFX_spark_doubleJump.dds", Sparkle(64, Hex(0xf4f0ff), Hex(0x8f9cf0)));
        anOutput.Texture("sprites/VFX/S_VFX_spark_dash.dds", GlowDot(32, Palette::Glow, Palette::EmberDeep, 0.15f));
        anOutput.Texture("sprites/VFX/S_VFX_heal_death.dds", GlowDot(64, Hex(0xfff6dc), Hex(0xffb46a), 0.1f));
        anOutput.Texture("sprites/VFX/S_VFX_smoke_landing.dds", Puff(32, Hex(0xcfc8e6), Hex(0x6e6896), 8, 0.8f));
        anOutput.Texture("sprites/VFX/S_VFX_checkpoint.dds", Flame(64));
        anOutput.Texture(Sheets::Landing.texture, LandingSheet());
        anOutput.Texture(Sheets::DashDust.texture, DashDustSheet());
        anOutput.Texture(Sheets::DamageDash.texture, DamageDashSheet());
        anOutput.Texture(Sheets::ParticleTest.texture, ParticleTestSheet());
    }
}
