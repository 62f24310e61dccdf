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

        // A keycap or a pad button with a label, centred in a square icon.
        Canvas KeyIcon(const std::string& aLabel, bool aPadButton, int aSize, Color aLabelColor)
        {
            Canvas canvas(aSize, aSize);
            const float s = float(aSize);
            const Font font(DefaultFontPath(true));
            canvas.FillCircle({s * 0.5f, s * 0.5f}, s * 0.48f, Paint::Radial({s * 0.5f, s * 0.5f}, s * 0.48f, WithAlpha(Palette::NightDeep, 0.85f),
                                                                             WithAlpha(Palette::NightDeep, 0.0f)));
            if (aPadButton)
            {
                canvas.FillCircle({s * 0.5f, s * 0.53f}, s * 0.34f, Palette::Ink);
                canvas.FillCircle({s * 0.5f, s * 0.5f}, s * 0.33f, Paint::Linear({0, s * 0.17f}, Hex(0x4a4a66), {0, s * 0.83f}, Hex(0x1c1c2c)));
                canvas.StrokeCircle({s * 0.5f, s * 0.5f}, s * 0.33f, s * 0.025f, aLabelColor);
            }
            else
            {
                canvas.FillRoundedRect(s * 0.16f, s * 0.2f, s * 0.68f, s * 0.66f, s * 0.1f, Palette::Ink);
                canvas.FillRoundedRect(s * 0.17f, s * 0.16f, s * 0.66f, s * 0.62f, s * 0.1f, Hex(0x8f89b8));
                canvas.FillRoundedRect(s * 0.22f, s * 0.19f, s * 0.56f, s * 0.5f, s * 0.08f, Paint::Linear({0, s * 0.19f}, Hex(0xf2eefc), {0, s * 0.69f}, Hex(0xc7c1e0)));
            }
            const float textSize = s * (aLabel.size() > 1 ? 0.2f : 0.36f);
            const float width = font.Measure(aLabel, textSize);
            const float baseline = aPadButton ? s * 0.5f + textSize * 0.36f : s * 0.44f + textSize * 0.36f;
            canvas.DrawText(font, aLabel, {s * 0.5f - width * 0.5f, baseline}, textSize, aPadButton ? aLabelColor : Palette::Ink);
            return canvas;
        }

        // One line of text in which "[Key]" becomes a keycap and "(B)" a pad button.
        void RichLine(Canvas& aCanvas, const Font& aFont, const std::string& aText, float aCentreX, float aBaseline, float aSize, Color aColor)
        {
            struct Piece
            {
                std::string text;
                int kind;   // 0 text, 1 key, 2 pad button
            };
            std::vector<Piece> pieces;
            std::string current;
            for (size_t i = 0; i < aText.size(); ++i)
            {
                const char open = aText[i];
                const char close = open == '[' ? ']' : open == '(' ? ')' : 0;
                const size_t end = close ? aText.find(close, i) : std::string::npos;
                if (close && end != std::string::npos && end - i <= 8)
                {
                    if (!current.empty())
                        pieces.push_back({current, 0});
                    current.clear();
                    pieces.push_back({aText.substr(i + 1, end - i - 1), open == '[' ? 1 : 2});
                    i = end;
                    continue;
                }
                current += open;
            }
            if (!current.empty())
                pieces.push_back({current, 0});
            const auto widthOf = [&](const Piece& aPiece) {
                return aPiece.kind == 0 ? aFont.Measure(aPiece.text, aSize) : (aPiece.kind == 1 ? std::max(aSize * 1.1f, aFont.Measure(aPiece.text, aSize * 0.7f) + aSize * 0.8f) : aSize * 1.5f);
            };
            float total = 0.0f;
            for (const Piece& piece : pieces)
                total += widthOf(piece);
            float x = aCentreX - total * 0.5f;
            for (const Piece& piece : pieces)
            {
                const float width = widthOf(piece);
                if (piece.kind == 0)
                {
                    aCanvas.DrawText(aFont, piece.text, {x, aBaseline}, aSize, aColor);
                }
                else if (piece.kind == 1)
                {
                    const float top = aBaseline - aSize * 0.95f, height = aSize * 1.25f;
                    aCanvas.FillRoundedRect(x + 3, top + 3, width - 6, height, aSize * 0.2f, Palette::Ink);
                    aCanvas.FillRoundedRect(x + 4, top, width - 8, height - 2, aSize * 0.2f, Paint::Linear({0, top}, Hex(0xf2eefc), {0, top + height}, Hex(0xb9b2d6)));
                    const float tw = aFont.Measure(piece.text, aSize * 0.7f);
                    aCanvas.DrawText(aFont, piece.text, {x + (width - tw) * 0.5f, aBaseline - aSize * 0.08f}, aSize * 0.7f, Palette::Ink);
                }
                else
                {
                    const Vec2 c{x + width * 0.5f, aBaseline - aSize * 0.33f};
                    const Color tint = piece.text == "A" ? Hex(0x7ed36b) : piece.text == "B" ? Hex(0xe8625a) : piece.text == "X" ? Hex(0x5aa2ef) : Hex(0xf2c84b);
                    aCanvas.FillCircle(c, aSize * 0.62f, Palette::Ink);
                    aCanvas.FillCircle(c, aSize * 0.58f, Hex(0x2a2a3e));
                    aCanvas.StrokeCircle(c, aSize * 0.58f, aSize * 0.06f, tint);
                    const float tw = aFont.Measure(piece.text, aSize * 0.72f);
                    aCanvas.DrawText(aFont, piece.text, {c.x - tw * 0.5f, c.y + aSize * 0.26f}, aSize * 0.72f, tint);
                }
                x += width;
            }
        }

        // A 2:1 card: translucent night panel, ember frame, a moth mark, title and lines.
        Canvas Card(const std::string& aTitle, const std::vector<std::string>& someLines, int aPage)
        {
            const int w = 1024, h = 512;
            Canvas canvas(w, h);
            canvas.FillRoundedRect(24, 24, float(w) - 48, float(h) - 48, 40, Paint::Linear({0, 24}, WithAlpha(Palette::Night, 0.92f), {0, float(h) - 24}, WithAlpha(Palette::NightDeep, 0.92f)));
            canvas.StrokeRoundedRect(24, 24, float(w) - 48, float(h) - 48, 40, 5, WithAlpha(Palette::Ember, 0.9f));
            canvas.StrokeRoundedRect(40, 40, float(w) - 80, float(h) - 80, 28, 2, WithAlpha(Palette::EmberLight, 0.35f));
            SkyMoth(canvas, {float(w) * 0.5f, 92}, 18.0f, 0.3f);
            const Font bold(DefaultFontPath(true)), regular(DefaultFontPath(false));
            const float titleWidth = bold.Measure(aTitle, 58);
            canvas.DrawText(bold, aTitle, {float(w) * 0.5f - titleWidth * 0.5f, 190}, 58, Palette::EmberLight);
            float baseline = 280.0f;
            for (const std::string& line : someLines)
            {
                RichLine(canvas, regular, line, float(w) * 0.5f, baseline, 38, Palette::FluffLight);
                baseline += 64.0f;
            }
            // Page marks at the bottom.
            for (int page = 1; page <= 2; ++page)
                canvas.FillCircle({float(w) * 0.5f + (float(page) - 1.5f) * 30.0f, float(h) - 60}, 7, page == aPage ? Palette::Ember : WithAlpha(Palette::Mist, 0.8f));
            return canvas;
        }

        struct Tutorial
        {
            std::string title1;
            std::vector<std::string> lines1;
            std::string title2;
            std::vector<std::string> keyboard2;
            std::vector<std::string> controller2;
        };

        std::vector<Tutorial> Tutorials()
        {
            return {
                {"The Elder Moth", {"Its light settles in your wings.", "You can jump a second time."}, "Double Jump",
                 {"Press [Space] to jump,", "and [Space] again while in the air."}, {"Press (A) to jump,", "and (A) again while in the air."}},
                {"The Elder Moth", {"Its light quickens your flight.", "You can dash."}, "Dash",
                 {"Press [Shift] to dash ahead,", "once in the air before you land."}, {"Press (X) to dash ahead,", "once in the air before you land."}},
                {"The Elder Moth", {"Its light burns within you.", "Your dash now strikes."}, "Dash Attack",
                 {"Dash with [Shift] into cracked walls", "and crawling blobs to break them."},
                 {"Dash with (X) into cracked walls", "and crawling blobs to break them."}},
            };
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
        anOutput.Texture(InteractPromptKeyboard, KeyIcon("E", false, 256, Palette::Ink));
        anOutput.Texture(InteractPromptController, KeyIcon("Y", true, 256, Hex(0xf2c84b)));
        const std::vector<Tutorial> tutorials = Tutorials();
        for (int upgrade = 1; upgrade <= 3; ++upgrade)
        {
            const Tutorial& tutorial = tutorials[size_t(upgrade - 1)];
            for (const bool controller : {false, true})
            {
                anOutput.Texture(TutorialCard(upgrade, 1, controller), Card(tutorial.title1, tutorial.lines1, 1));
                anOutput.Texture(TutorialCard(upgrade, 2, controller), Card(tutorial.title2, controller ? tutorial.controller2 : tutorial.keyboard2, 2));
            }
        }
        anOutput.Texture(ButtonDefault, Button());
        anOutput.Texture(MenuBackgroundDefault, MenuFrame());
        anOutput.Texture(SliderBarDefault, SliderBar());
        anOutput.Texture(SliderHandleDefault, SliderHandle());
        anOutput.Texture(DecalDefault, MothEmblem());
        anOutput.Texture(TriggerOutline, TriggerFrame());
    }
}
