// Full-screen and interface pictures: the loading screen, the forest parallax background,
// the interact prompts, the tutorial cards and plain defaults for the menu definitions.
#include "Drawing.h"
#include "Layouts.h"

#include "ContentKit/ContentPaths.h"
#include "ContentKit/Random.h"

#include <cmath>
#include <string>

namespace GameContent
{
    namespace
    {
        // Draws a shape at x and, when tiling, again one width to each side, so a picture
        // repeats seamlessly left to right.
        template <typename F>
        void Tiled(bool aTile, float aWidth, F&& aDraw)
        {
            aDraw(0.0f);
            if (aTile)
            {
                aDraw(-aWidth);
                aDraw(aWidth);
            }
        }

        void Pine(Canvas& aCanvas, Vec2 aFoot, float aHeight, Color aColor)
        {
            const float w = aHeight * 0.28f;
            aCanvas.FillRect(aFoot.x - w * 0.06f, aFoot.y - aHeight * 0.25f, w * 0.12f, aHeight * 0.25f, aColor);
            for (int tier = 0; tier < 4; ++tier)
            {
                const float top = aFoot.y - aHeight * (0.45f + 0.18f * float(tier));
                const float bottom = aFoot.y - aHeight * (0.12f + 0.2f * float(tier));
                const float half = w * (1.0f - 0.2f * float(tier));
                aCanvas.FillPolygon({{aFoot.x, top - aHeight * 0.12f}, {aFoot.x + half, bottom}, {aFoot.x + half * 0.4f, bottom - aHeight * 0.03f},
                                     {aFoot.x - half * 0.4f, bottom - aHeight * 0.03f}, {aFoot.x - half, bottom}},
                                    aColor);
            }
        }

        void RoundTree(Canvas& aCanvas, Vec2 aFoot, float aHeight, Color aColor, Rng& aRng)
        {
            aCanvas.DrawTapered({aFoot, aFoot + Vec2{aHeight * 0.03f, -aHeight * 0.5f}, aFoot + Vec2{-aHeight * 0.02f, -aHeight * 0.75f}},
                                aHeight * 0.09f, aHeight * 0.03f, aColor);
            Path crown;
            for (int i = 0; i < 7; ++i)
                crown.AddCircle(aFoot + Vec2{aRng.Range(-0.22f, 0.22f) * aHeight, -aHeight * aRng.Range(0.62f, 0.9f)},
                                aHeight * aRng.Range(0.12f, 0.2f));
            aCanvas.Fill(crown, aColor);
        }

        // A little moth silhouette with a glow, for skies.
        void SkyMoth(Canvas& aCanvas, Vec2 aAt, float aSize, float aFlap)
        {
            Pen pen(aCanvas, Affine{});
            pen.Glow(aAt, aSize * 3.0f, Palette::EmberLight, 0.25f);
            for (const float side : {-1.0f, 1.0f})
            {
                aCanvas.FillEllipse(aAt + Vec2{side * aSize * 0.7f, -aSize * 0.2f * aFlap}, aSize * 0.75f, aSize * 0.45f, side * (0.5f - aFlap * 0.4f),
                                    WithAlpha(Palette::FluffLight, 0.9f));
            }
            aCanvas.FillEllipse(aAt, aSize * 0.18f, aSize * 0.5f, 0.0f, Palette::Fluff);
        }

        // A night forest: sky, moon, stars, three layers of trees in mist, fireflies and moths.
        Canvas Forest(int aWidth, int aHeight, uint64_t aSeed, bool aTile, bool aMoon)
        {
            const float w = float(aWidth), h = float(aHeight);
            Canvas canvas(aWidth, aHeight);
            canvas.FillRect(0, 0, w, h,
                            Paint::Linear({0, 0}, {0, h},
                                          {{0.0f, Palette::NightDeep}, {0.55f, Palette::Night}, {0.8f, Palette::NightMid}, {1.0f, Palette::Night}}));
            Rng rng(aSeed);
            for (int i = 0; i < int(w * h / 4000.0f); ++i)
            {
                const Vec2 star{rng.Range(0, w), rng.Range(0, h * 0.55f)};
                canvas.FillCircle(star, rng.Range(0.6f, 1.6f), WithAlpha(Palette::FluffLight, rng.Range(0.3f, 0.9f)));
            }
            if (aMoon)
            {
                const Vec2 moon{w * 0.72f, h * 0.2f};
                Pen pen(canvas, Affine{});
                pen.Glow(moon, h * 0.35f, Palette::MistLight, 0.35f);
                canvas.FillCircle(moon, h * 0.07f, Paint::Radial(moon - Vec2{h * 0.02f, h * 0.02f}, h * 0.09f, Hex(0xfbf6ff), Hex(0xc9c2ea)));
            }
            struct Layer
            {
                float horizon, minHeight, maxHeight;
                Color color;
                int count;
            };
            const Layer layers[] = {{0.72f, 0.22f, 0.4f, Hex(0x2f3470), 16},
                                    {0.84f, 0.28f, 0.48f, Hex(0x1d1f4c), 12},
                                    {0.97f, 0.36f, 0.62f, Hex(0x0e0d22), 8}};
            for (const Layer& layer : layers)
            {
                const float horizon = h * layer.horizon;
                // Mist over the layer behind, then the hills and trees of this one.
                canvas.FillRect(0, horizon - h * 0.25f, w, h * 0.3f,
                                Paint::Linear({0, horizon - h * 0.25f}, {0, horizon + h * 0.05f},
                                              {{0.0f, WithAlpha(Palette::Mist, 0.0f)}, {1.0f, WithAlpha(Palette::Mist, 0.3f)}}));
                std::vector<Vec2> hill{{-w, h}};
                for (int i = 0; i <= 32; ++i)
                {
                    const float x = w * float(i) / 32.0f;
                    const float wave = aTile ? std::sin(2.0f * Pi * x / w * 2.0f + layer.horizon * 10.0f) : std::sin(x * 0.004f + layer.horizon * 10.0f);
                    hill.push_back({x, horizon - h * 0.02f * wave});
                }
                hill.push_back({2.0f * w, h});
                canvas.FillPolygon(hill, layer.color);
                canvas.FillRect(0, horizon, w, h - horizon, layer.color);
                for (int t = 0; t < layer.count; ++t)
                {
                    const float x = w * (float(t) + rng.Range(0.1f, 0.9f)) / float(layer.count);
                    const float height = h * rng.Range(layer.minHeight, layer.maxHeight);
                    const bool pine = rng.Next() < 0.6f;
                    Rng treeRng(rng.NextBits());
                    Tiled(aTile, w, [&](float anOffset) {
                        Rng local = treeRng;
                        if (pine)
                            Pine(canvas, {x + anOffset, horizon + h * 0.01f}, height, layer.color);
                        else
                            RoundTree(canvas, {x + anOffset, horizon + h * 0.01f}, height, layer.color, local);
                    });
                }
            }
            // Fireflies and moths.
            Pen pen(canvas, Affine{});
            for (int i = 0; i < int(w / 40.0f); ++i)
            {
                const Vec2 p{rng.Range(0, w), rng.Range(h * 0.45f, h * 0.95f)};
                Tiled(aTile, w, [&](float anOffset) {
                    pen.Glow(p + Vec2{anOffset, 0}, rng.Range(6.0f, 14.0f), Palette::Ember, 0.5f);
                });
                canvas.FillCircle(p, 1.5f, Palette::Glow);
            }
            for (int i = 0; i < 4; ++i)
                SkyMoth(canvas, {w * (0.15f + 0.2f * float(i)) + rng.Range(-30, 30), h * rng.Range(0.25f, 0.5f)}, h * 0.012f, rng.Next());
            return canvas;
        }

        Canvas LoadingScreen()
        {
            const int w = 1600, h = 900;
            Canvas canvas = Forest(w, h, 5, false, true);
            // "Loading" sits at the bottom right, to the left of the running moth.
            const Font font(DefaultFontPath(true));
            const float size = 44.0f;
            const std::string text = "Loading";
            const float right = float(w) - 0.23f * float(h);
            const float width = font.Measure(text, size);
            Canvas label(w, h);
            label.DrawText(font, text, {right - width, float(h) - 0.11f * float(h)}, size, Palette::FluffLight);
            for (int dot = 0; dot < 3; ++dot)
                label.FillCircle({right + 10.0f + 14.0f * float(dot), float(h) - 0.11f * float(h) - 4.0f}, 4.0f, Palette::Ember);
            Canvas shadow = label;
            shadow.Tint(Palette::NightDeep);
            shadow.Blur(6.0f);
            canvas.Blit(shadow, 2, 3);
            canvas.Blit(label, 0, 0);
            return canvas;
        }

        Canvas Button()
        {
            Canvas canvas(512, 128);
            canvas.FillRoundedRect(8, 10, 496, 110, 30, Palette::Ink);
            canvas.FillRoundedRect(8, 6, 496, 108, 30, Paint::Linear({0, 6}, Hex(0x3a3670), {0, 114}, Hex(0x1b1a3e)));
            canvas.StrokeRoundedRect(8, 6, 496, 108, 30, 4, WithAlpha(Palette::Ember, 0.85f));
            canvas.StrokeRoundedRect(20, 16, 472, 88, 22, 2, WithAlpha(Palette::FluffLight, 0.18f));
            return canvas;
        }

        Canvas MenuFrame()
        {
            // A vignette that darkens the edges and leaves the middle clear for the buttons.
            const int w = 1600, h = 900;
            Canvas canvas(w, h);
            for (int y = 0; y < h; ++y)
            {
                for (int x = 0; x < w; ++x)
                {
                    const float dx = (float(x) / float(w) - 0.5f) * 2.0f, dy = (float(y) / float(h) - 0.5f) * 2.0f;
                    const float edge = Smooth01((std::sqrt(dx * dx * 0.8f + dy * dy) - 0.7f) / 0.6f);
                    canvas.At(x, y) = WithAlpha(Palette::NightDeep, 0.9f * edge);
                }
            }
            return canvas;
        }

        Canvas SliderBar()
        {
            Canvas canvas(512, 48);
            canvas.FillRoundedRect(4, 12, 504, 24, 12, Palette::Ink);
            canvas.FillRoundedRect(8, 16, 496, 16, 8, Paint::Linear({8, 0}, Palette::EmberDeep, {504, 0}, Palette::EmberLight));
            return canvas;
        }

        Canvas SliderHandle()
        {
            Canvas canvas(96, 96);
            Pen pen(canvas, Affine{});
            pen.Glow({48, 48}, 46, Palette::Ember, 0.5f);
            canvas.FillCircle({48, 48}, 22, Palette::Ink);
            canvas.FillCircle({48, 48}, 19, Paint::Radial({42, 42}, 24, Palette::Glow, Palette::Ember));
            return canvas;
        }

        Canvas MothEmblem()
        {
            Canvas canvas(256, 256);
            Pen pen(canvas, Affine{});
            pen.Glow({128, 128}, 120, Palette::Ember, 0.3f);
            canvas.StrokeCircle({128, 128}, 100, 6, WithAlpha(Palette::Ember, 0.8f));
            for (const float side : {-1.0f, 1.0f})
            {
                pen.Toned(Path().AddEllipse({128 + side * 42, 108}, 44, 30, side * 0.5f), {128 + side * 42, 108}, 44, Palette::WingDark, Palette::Wing,
                          Palette::WingLight, 2.5f);
                pen.Toned(Path().AddEllipse({128 + side * 30, 150}, 28, 20, -side * 0.5f), {128 + side * 30, 150}, 28, Palette::WingDark,
                          Palette::Wing, Palette::WingLight, 2.5f);
                canvas.FillCircle({128 + side * 52, 104}, 9, Palette::Ember);
            }
            pen.Toned(Path().AddEllipse({128, 130}, 14, 40, 0), {128, 130}, 30, Palette::FluffDark, Palette::Fluff, Palette::FluffLight, 2.5f);
            return canvas;
        }

        Canvas TriggerFrame()
        {
            // Never drawn by the game (trigger and collision sizes only); a dashed frame
            // for anyone previewing the data.
            Canvas canvas(64, 64);
            for (int i = 0; i < 8; ++i)
            {
                const float a = 4.0f + 7.0f * float(i);
                for (const auto& [from, to] : {std::pair{Vec2{a, 3}, Vec2{a + 4, 3}}, std::pair{Vec2{a, 61}, Vec2{a + 4, 61}},
                                               std::pair{Vec2{3, a}, Vec2{3, a + 4}}, std::pair{Vec2{61, a}, Vec2{61, a + 4}}})
                    canvas.DrawLine(from, to, 2.5f, WithAlpha(Palette::Ember, 0.9f));
            }
            return canvas;
        }
    }

    void WriteScreenArt(Output& anOutput)
    {
        using namespace ContentKit::Paths;
        anOutput.Texture(LoadingBackground, LoadingScreen());
        anOutput.Texture(ParallaxForest, Forest(1024, 1024, 9, true, true));
        anOutput.Texture(ButtonDefault, Button());
        anOutput.Texture(MenuBackgroundDefault, MenuFrame());
        anOutput.Texture(SliderBarDefault, SliderBar());
        anOutput.Texture(SliderHandleDefault, SliderHandle());
        anOutput.Texture(DecalDefault, MothEmblem());
        anOutput.Texture(TriggerOutline, TriggerFrame());
    }
}
