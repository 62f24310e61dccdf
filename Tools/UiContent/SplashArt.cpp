// The splash logo: a beehive kiln glowing in the dark woods, a moth rising from its fire, and
// the game's name. The game draws it W x W in the middle of the screen, so only the middle
// band shows (56% of its height on a 16:9 screen): everything that must be seen stays inside
// the middle half, and the ground fills the whole square.
#include "UiContent.h"

#include "ContentKit/Random.h"

#include <cmath>

namespace UiContent
{
    namespace
    {
        Path Dome(Vec2 aBase, float aRadiusX, float aRadiusY)
        {
            Path dome;
            dome.MoveTo({aBase.x - aRadiusX, aBase.y});
            dome.CubicTo({aBase.x - aRadiusX, aBase.y - aRadiusY * 0.75f}, {aBase.x - aRadiusX * 0.55f, aBase.y - aRadiusY},
                         {aBase.x, aBase.y - aRadiusY});
            dome.CubicTo({aBase.x + aRadiusX * 0.55f, aBase.y - aRadiusY}, {aBase.x + aRadiusX, aBase.y - aRadiusY * 0.75f},
                         {aBase.x + aRadiusX, aBase.y});
            dome.Close();
            return dome;
        }

        Canvas Logo()
        {
            const int size = 2048;
            const float s = float(size);
            Canvas canvas(size, size);
            canvas.FillRect(0, 0, s, s, Paint::Radial({s * 0.5f, s * 0.47f}, s * 0.62f,
                                                      {{0.0f, Hex(0x221d4a)}, {0.45f, Palette::Night}, {1.0f, Hex(0x05040d)}}));
            Rng rng(7);
            for (int i = 0; i < 500; ++i)
                canvas.FillCircle({rng.Range(0.0f, s), rng.Range(0.0f, s)}, rng.Range(0.8f, 2.2f), WithAlpha(Palette::FluffLight, rng.Range(0.1f, 0.5f)));

            const Vec2 base{s * 0.5f, s * 0.555f};
            const float rx = s * 0.12f, ry = s * 0.2f;
            // Firelight on the ground and the woods around.
            Glow(canvas, {base.x, base.y - s * 0.04f}, s * 0.42f, Palette::Ember, 0.45f);
            // Tree silhouettes either side, low and far.
            for (const float side : {-1.0f, 1.0f})
            {
                for (int i = 0; i < 7; ++i)
                {
                    const float x = base.x + side * s * (0.2f + 0.045f * float(i)) + rng.Range(-10.0f, 10.0f);
                    const float h = s * rng.Range(0.12f, 0.22f);
                    const float w = h * 0.28f;
                    Path fir;
                    for (int tier = 0; tier < 4; ++tier)
                    {
                        const float t = float(tier) / 4.0f;
                        const float bottom = base.y - h * (0.1f + 0.75f * t);
                        const float half = w * (1.0f - 0.75f * t);
                        fir.AddPolygon({{x, bottom - h * 0.36f}, {x + half, bottom}, {x - half, bottom}});
                    }
                    fir.AddRect(x - w * 0.06f, base.y - h * 0.12f, w * 0.12f, h * 0.12f + 4.0f);
                    canvas.Fill(fir, Mix(Hex(0x1c1840), Palette::NightDeep, float(i) / 7.0f));
                }
            }
            canvas.FillRect(0, base.y, s, s - base.y, Paint::Linear({0, base.y}, Hex(0x120f26), {0, s}, Hex(0x05040d)));
            canvas.FillEllipse({base.x, base.y + s * 0.01f}, s * 0.32f, s * 0.025f, 0.0f,
                               Paint::Radial({base.x, base.y}, s * 0.32f, WithAlpha(Palette::Ember, 0.35f), WithAlpha(Palette::Ember, 0.0f)));

            // The kiln: a dome of bricks, a chimney, and an arched mouth full of fire.
            Pen pen(canvas, Affine{});
            const Path dome = Dome(base, rx, ry);
            pen.Shape(Path().AddRect(base.x - s * 0.025f, base.y - ry - s * 0.06f, s * 0.05f, s * 0.08f),
                      Paint::Linear({base.x - s * 0.025f, 0}, Hex(0x3a2a4a), {base.x + s * 0.025f, 0}, Hex(0x6a4a5e)), 5.0f);
            pen.Shape(dome, Paint::Linear({base.x - rx, 0}, {base.x + rx, 0}, {{0.0f, Hex(0x2e2040)}, {0.6f, Hex(0x5a3a52)}, {1.0f, Hex(0x8a5a5a)}}), 6.0f);
            {
                Canvas bricks(size, size);
                const float course = ry / 7.0f;
                for (int row = 0; row < 8; ++row)
                {
                    const float y = base.y - course * float(row);
                    bricks.DrawLine({base.x - rx, y}, {base.x + rx, y}, 4.0f, WithAlpha(Palette::Ink, 0.7f));
                    const float brick = s * 0.032f;
                    for (float x = base.x - rx + (row % 2 ? brick * 0.5f : 0.0f); x < base.x + rx; x += brick)
                        bricks.DrawLine({x, y}, {x, y - course}, 3.5f, WithAlpha(Palette::Ink, 0.6f));
                    bricks.DrawLine({base.x - rx, y - 5.0f}, {base.x + rx, y - 5.0f}, 2.0f, WithAlpha(Palette::EmberLight, 0.12f));
                }
                Canvas mask(size, size);
                mask.Fill(dome, Color{1, 1, 1, 1});
                bricks.MaskBy(mask);
                canvas.Blit(bricks, 0, 0);
            }
            // Warm light on the dome's right flank.
            {
                Canvas light(size, size);
                light.Fill(dome, Paint::Radial({base.x + rx * 0.3f, base.y - ry * 0.15f}, rx * 1.1f, WithAlpha(Palette::Ember, 0.35f), WithAlpha(Palette::Ember, 0.0f)));
                canvas.Blit(light, 0, 0);
            }
            const float mouthW = rx * 0.42f, mouthH = ry * 0.42f;
            Path mouth;
            mouth.MoveTo({base.x - mouthW, base.y});
            mouth.LineTo({base.x - mouthW, base.y - mouthH * 0.55f});
            mouth.CubicTo({base.x - mouthW, base.y - mouthH * 1.1f}, {base.x + mouthW, base.y - mouthH * 1.1f}, {base.x + mouthW, base.y - mouthH * 0.55f});
            mouth.LineTo({base.x + mouthW, base.y});
            mouth.Close();
            pen.Shape(mouth, Paint::Linear({0, base.y - mouthH}, Palette::Glow, {0, base.y}, Palette::Ember), 6.0f);
            // Flames.
            for (int i = 0; i < 5; ++i)
            {
                const float x = base.x + (float(i) - 2.0f) * mouthW * 0.38f;
                const float h = mouthH * (0.45f + 0.3f * std::sin(float(i) * 2.3f + 1.0f));
                const float w = mouthW * 0.22f;
                canvas.FillPolygon(SmoothCurve({{x - w, base.y}, {x - w * 0.6f, base.y - h * 0.5f}, {x + w * 0.2f, base.y - h}, {x + w * 0.5f, base.y - h * 0.45f}, {x + w, base.y}}, 6),
                                   Paint::Linear({0, base.y - h}, Palette::Glow, {0, base.y}, Palette::EmberDeep));
            }
            Glow(canvas, {base.x, base.y - mouthH * 0.4f}, mouthW * 2.4f, Palette::EmberLight, 0.6f);
            // Sparks climbing from the chimney (not past the band that shows).
            for (int i = 0; i < 26; ++i)
            {
                const Vec2 p{base.x + rng.Range(-0.04f, 0.06f) * s + float(i) * 2.0f, base.y - ry - s * 0.07f - rng.Range(0.0f, 0.045f) * s};
                Glow(canvas, p, rng.Range(8.0f, 20.0f), Palette::Ember, 0.6f);
                canvas.FillCircle(p, rng.Range(1.5f, 3.5f), Palette::Glow);
            }
            // The moth that rises from the fire, lit from below.
            Glow(canvas, {base.x + s * 0.16f, base.y - ry * 0.95f}, s * 0.09f, Palette::EmberLight, 0.35f);
            DrawMoth(canvas, {base.x + s * 0.16f, base.y - ry * 0.95f}, s * 0.12f, -Pi * 0.3f, 0.95f, Palette::Wing, Palette::FluffLight, Palette::Fluff, 6.0f);

            const Fonts fonts;
            GlowingText(canvas, fonts.bold, GameTitle, s * 0.5f, s * 0.685f, s * 0.115f, Palette::Glow, Palette::EmberDeep, 8.0f, Palette::Ember, 40.0f, 0.8f);
            ShadowedText(canvas, fonts.regular, GameSubtitle, s * 0.5f, s * 0.735f, s * 0.028f, Palette::Fluff, 1.0f);
            return canvas;
        }
    }

    void WriteSplash(Art& anArt)
    {
        anArt.Texture(SplashLogoPath, Logo());
    }
}
