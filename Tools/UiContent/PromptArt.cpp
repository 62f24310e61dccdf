// The interact prompts (a key cap and a pad button) and the tutorial cards of the three
// upgrades. Cards come in two pages: the Elder Moth's words, then how to use the gift; each
// for the keyboard and for the pad, with the real keys drawn as caps in the text.
#include "UiPaths.h"
#include "UiContent.h"

#include <algorithm>
#include <cmath>

namespace UiContent
{
    namespace
    {
        // Pad button colours, as the buttons are printed.
        Color PadColor(const std::string& aLabel)
        {
            if (aLabel == "A")
                return Hex(0x7ed36b);
            if (aLabel == "B")
                return Hex(0xe8625a);
            if (aLabel == "X")
                return Hex(0x5aa2ef);
            return Hex(0xf2c84b);
        }

        // A keyboard key seen slightly from above: a darker skirt and a lit top with the
        // legend. aBox is the whole key (x, y, width, height).
        void KeyCap(Canvas& aCanvas, const Font& aFont, const std::string& aLegend, float x, float y, float aWidth, float aHeight)
        {
            const float r = aHeight * 0.18f;
            const float skirt = aHeight * 0.14f;
            const float rim = std::max(1.5f, aHeight * 0.035f);
            aCanvas.FillRoundedRect(x - rim, y - rim, aWidth + 2.0f * rim, aHeight + 2.0f * rim, r + rim, Palette::Ink);
            aCanvas.FillRoundedRect(x, y, aWidth, aHeight, r, Paint::Linear({0, y}, Hex(0xa49cc8), {0, y + aHeight}, Hex(0x6a6294)));
            const float inset = aHeight * 0.08f;
            const float topH = aHeight - skirt - inset;
            aCanvas.FillRoundedRect(x + inset, y + inset * 0.6f, aWidth - 2.0f * inset, topH, r * 0.8f,
                                    Paint::Linear({0, y}, Hex(0xf8f5ff), {0, y + topH}, Hex(0xcfc8e8)));
            float size = topH * (aLegend.size() > 1 ? 0.5f : 0.72f);
            const float room = (aWidth - 2.0f * inset) * 0.85f;
            if (const float measured = aFont.Measure(aLegend, size); measured > room)
                size *= room / measured;
            const float textWidth = aFont.Measure(aLegend, size);
            aCanvas.DrawText(aFont, aLegend, {x + aWidth * 0.5f - textWidth * 0.5f, y + inset * 0.6f + topH * 0.5f + size * 0.36f}, size, Palette::Ink);
        }

        // A round pad button with its coloured letter.
        void PadButton(Canvas& aCanvas, const Font& aFont, const std::string& aLetter, Vec2 aCentre, float aRadius)
        {
            const Color tint = PadColor(aLetter);
            const float rim = std::max(1.5f, aRadius * 0.07f);
            aCanvas.FillCircle(aCentre + Vec2{0, aRadius * 0.08f}, aRadius + rim, Palette::Ink);
            aCanvas.FillCircle(aCentre, aRadius, Paint::Linear(aCentre - Vec2{0, aRadius}, Hex(0x4a4868), aCentre + Vec2{0, aRadius}, Hex(0x15142a)));
            aCanvas.StrokeCircle(aCentre, aRadius * 0.9f, aRadius * 0.09f, tint);
            // A gloss along the upper edge.
            aCanvas.FillEllipse(aCentre - Vec2{0, aRadius * 0.5f}, aRadius * 0.55f, aRadius * 0.22f, 0.0f, WithAlpha(Palette::FluffLight, 0.18f));
            const float size = aRadius * 1.15f;
            const float width = aFont.Measure(aLetter, size);
            aCanvas.DrawText(aFont, aLetter, {aCentre.x - width * 0.5f, aCentre.y + size * 0.36f}, size, tint);
        }

        Canvas KeyboardPrompt()
        {
            const int size = 256;
            Canvas canvas(size, size);
            const float s = float(size);
            Glow(canvas, {s * 0.5f, s * 0.52f}, s * 0.5f, Palette::Ember, 0.45f);
            const Font bold(DefaultFontPath(true));
            KeyCap(canvas, bold, "E", s * 0.2f, s * 0.22f, s * 0.6f, s * 0.58f);
            return canvas;
        }

        Canvas PadPrompt()
        {
            const int size = 256;
            Canvas canvas(size, size);
            const float s = float(size);
            Glow(canvas, {s * 0.5f, s * 0.5f}, s * 0.5f, Palette::Ember, 0.45f);
            const Font bold(DefaultFontPath(true));
            PadButton(canvas, bold, "Y", {s * 0.5f, s * 0.48f}, s * 0.3f);
            return canvas;
        }

        // One line of text where "[Key]" becomes a key cap and "(A)" a pad button, starting at
        // x; returns its width. With aDraw false it only measures.
        float RichLine(Canvas& aCanvas, const Font& aFont, const Font& aBold, const std::string& aText, float x, float aBaseline, float aSize,
                       Color aColor, bool aDraw)
        {
            const float start = x;
            std::string run;
            const auto flush = [&]() {
                if (run.empty())
                    return;
                if (aDraw)
                    aCanvas.DrawText(aFont, run, {x, aBaseline}, aSize, aColor);
                x += aFont.Measure(run, aSize);
                run.clear();
            };
            for (size_t i = 0; i < aText.size(); ++i)
            {
                const char open = aText[i];
                const char close = open == '[' ? ']' : open == '(' ? ')' : 0;
                const size_t end = close ? aText.find(close, i) : std::string::npos;
                if (end != std::string::npos && end - i <= 8)
                {
                    flush();
                    const std::string inner = aText.substr(i + 1, end - i - 1);
                    if (open == '[')
                    {
                        const float height = aSize * 1.3f;
                        const float width = std::max(height, aBold.Measure(inner, aSize * 0.62f) + aSize * 0.9f);
                        if (aDraw)
                            KeyCap(aCanvas, aBold, inner, x + aSize * 0.15f, aBaseline - aSize * 0.98f, width, height);
                        x += width + aSize * 0.3f;
                    }
                    else
                    {
                        const float radius = aSize * 0.62f;
                        if (aDraw)
                            PadButton(aCanvas, aBold, inner, {x + aSize * 0.15f + radius, aBaseline - aSize * 0.34f}, radius);
                        x += radius * 2.0f + aSize * 0.3f;
                    }
                    i = end;
                    continue;
                }
                run += open;
            }
            flush();
            return x - start;
        }

        float CentredRichLine(Canvas& aCanvas, const Fonts& someFonts, const std::string& aText, float aCentreX, float aBaseline, float aSize, Color aColor)
        {
            const float width = RichLine(aCanvas, someFonts.regular, someFonts.bold, aText, 0.0f, aBaseline, aSize, aColor, false);
            return RichLine(aCanvas, someFonts.regular, someFonts.bold, aText, aCentreX - width * 0.5f, aBaseline, aSize, aColor, true);
        }

        struct CardText
        {
            std::string title;
            std::vector<std::string> lines;
            std::string hint;
        };

        struct Tutorial
        {
            int upgrade;
            CardText words;
            CardText keyboard;
            CardText pad;
        };

        std::vector<Tutorial> Tutorials()
        {
            return {
                {1,
                 {"The Elder Moth", {"Little one, your wings are stronger", "than you know. When the ground", "falls away, rise once more."}, "listen"},
                 {"Double Jump", {"Jump with [Space], then press", "[Space] again in the air", "to rise a second time."}, "take the gift"},
                 {"Double Jump", {"Jump with (A), then press", "(A) again in the air", "to rise a second time."}, "take the gift"}},
                {2,
                 {"The Elder Moth", {"The wind of the old woods is", "yours to ride. Let it carry you", "past the grasping dark."}, "listen"},
                 {"Dash", {"Press [Shift] to dash ahead,", "on the ground or once", "in the air before you land."}, "take the gift"},
                 {"Dash", {"Press (X) to dash ahead,", "on the ground or once", "in the air before you land."}, "take the gift"}},
                {3,
                 {"The Elder Moth", {"Your spark burns bright now.", "Let it strike whatever", "bars your way home."}, "listen"},
                 {"Dash Attack", {"Dash with [Shift] into cracked", "walls and crawling blobs", "to break them apart."}, "take the gift"},
                 {"Dash Attack", {"Dash with (X) into cracked", "walls and crawling blobs", "to break them apart."}, "take the gift"}},
            };
        }

        // The little pictures on the cards, in a box of aSize around aCentre.
        void MothFigure(Canvas& aCanvas, Vec2 aCentre, float aSize, float aHeading, float aGlow)
        {
            Glow(aCanvas, aCentre, aSize * 1.2f, Palette::Ember, aGlow);
            DrawMoth(aCanvas, aCentre, aSize, aHeading, 0.75f, Palette::Wing, Palette::WingLight, Palette::Fluff, aSize * 0.03f);
        }

        void ElderMoth(Canvas& aCanvas, Vec2 aCentre, float aSize)
        {
            Glow(aCanvas, aCentre, aSize * 1.1f, Palette::EmberLight, 0.5f);
            Glow(aCanvas, aCentre, aSize * 0.5f, Palette::Glow, 0.35f);
            DrawMoth(aCanvas, aCentre, aSize, -Pi * 0.5f, 1.0f, Palette::WingLight, Palette::FluffLight, Palette::FluffLight, aSize * 0.025f);
            // Motes of light drifting off the wings.
            for (int i = 0; i < 12; ++i)
            {
                const float a = float(i) * 2.39996f;
                const Vec2 p = aCentre + Vec2{std::cos(a), std::sin(a) * 0.7f} * (aSize * (0.45f + 0.05f * float(i % 4)));
                Glow(aCanvas, p, aSize * 0.05f, Palette::Ember, 0.6f);
                aCanvas.FillCircle(p, aSize * 0.008f, Palette::Glow);
            }
        }

        void DottedArc(Canvas& aCanvas, Vec2 aFrom, Vec2 aPeak, Vec2 aTo, float aDot, Color aColor)
        {
            const std::vector<Vec2> curve = FlattenQuad(aFrom, aPeak * 2.0f - (aFrom + aTo) * 0.5f, aTo, 24);
            for (size_t i = 0; i < curve.size(); i += 2)
                aCanvas.FillCircle(curve[i], aDot, aColor);
        }

        void Figure(Canvas& aCanvas, int anUpgrade, Vec2 aCentre, float aSize)
        {
            const float s = aSize;
            const Color ground = Hex(0x3a3470);
            aCanvas.FillRoundedRect(aCentre.x - s * 0.5f, aCentre.y + s * 0.3f, s, s * 0.06f, s * 0.03f, ground);
            switch (anUpgrade)
            {
            case 1:
            {
                // Two hops: up from the ground, then again from the top of the first.
                const Vec2 start{aCentre.x - s * 0.4f, aCentre.y + s * 0.22f};
                const Vec2 first{aCentre.x - s * 0.12f, aCentre.y - s * 0.05f};
                const Vec2 second{aCentre.x + s * 0.2f, aCentre.y - s * 0.32f};
                DottedArc(aCanvas, start, {aCentre.x - s * 0.28f, aCentre.y - s * 0.02f}, first, s * 0.012f, WithAlpha(Palette::FluffLight, 0.7f));
                DottedArc(aCanvas, first, {aCentre.x + s * 0.02f, aCentre.y - s * 0.32f}, second, s * 0.012f, WithAlpha(Palette::EmberLight, 0.9f));
                Glow(aCanvas, first, s * 0.12f, Palette::EmberLight, 0.6f);
                aCanvas.StrokeEllipse(first, s * 0.07f, s * 0.025f, 0.0f, s * 0.01f, WithAlpha(Palette::EmberLight, 0.9f));
                MothFigure(aCanvas, start, s * 0.16f, -Pi * 0.5f, 0.0f);
                MothFigure(aCanvas, second, s * 0.24f, -Pi * 0.35f, 0.45f);
                break;
            }
            case 2:
            {
                // A quick streak forward.
                const Vec2 at{aCentre.x + s * 0.2f, aCentre.y};
                for (int i = 0; i < 5; ++i)
                {
                    const float y = at.y - s * 0.08f + s * 0.04f * float(i);
                    const float length = s * (0.28f + 0.08f * float((i * 3) % 5));
                    aCanvas.DrawTapered({{at.x - s * 0.14f - length, y}, {at.x - s * 0.14f, y}}, 1.0f, s * 0.014f, WithAlpha(Palette::EmberLight, 0.85f));
                }
                for (int i = 1; i <= 3; ++i)
                {
                    Canvas ghost(aCanvas.Width(), aCanvas.Height());
                    DrawMoth(ghost, at - Vec2{s * 0.13f * float(i), 0}, s * 0.26f, 0.0f, 0.15f, Palette::Wing, Palette::WingLight, Palette::Fluff, 0.0f);
                    ghost.MultiplyAlpha(0.35f / float(i));
                    aCanvas.Blit(ghost, 0, 0);
                }
                Glow(aCanvas, at, s * 0.25f, Palette::Ember, 0.5f);
                DrawMoth(aCanvas, at, s * 0.28f, 0.0f, 0.15f, Palette::Wing, Palette::WingLight, Palette::Fluff, s * 0.008f);
                break;
            }
            default:
            {
                // A dash breaking a cracked wall into shards.
                const float wallX = aCentre.x + s * 0.18f;
                Pen pen(aCanvas, Affine{});
                for (int row = 0; row < 5; ++row)
                {
                    const float y = aCentre.y - s * 0.34f + s * 0.128f * float(row);
                    for (int col = 0; col < 2; ++col)
                    {
                        const float x = wallX + s * 0.11f * float(col) + (row % 2 ? s * 0.05f : 0.0f);
                        pen.Shape(Path().AddRoundedRect(x, y, s * 0.1f, s * 0.115f, s * 0.015f), Paint::Linear({x, y}, Hex(0x6c6890), {x, y + s * 0.11f}, Hex(0x3c3860)),
                                  s * 0.005f);
                    }
                }
                aCanvas.DrawPolyline({{wallX + s * 0.02f, aCentre.y - s * 0.25f}, {wallX + s * 0.07f, aCentre.y - s * 0.1f}, {wallX + s * 0.03f, aCentre.y},
                                      {wallX + s * 0.09f, aCentre.y + s * 0.14f}},
                                     s * 0.012f, Palette::Ink);
                for (int i = 0; i < 7; ++i)
                {
                    const Vec2 shard{wallX - s * 0.02f + s * 0.03f * float(i % 3), aCentre.y - s * 0.12f + s * 0.06f * float(i % 4)};
                    const float a = float(i) * 1.7f;
                    aCanvas.FillPolygon({shard + FromAngle(a, s * 0.03f), shard + FromAngle(a + 2.2f, s * 0.025f), shard + FromAngle(a + 4.0f, s * 0.03f)},
                                        Hex(0x8a86b0));
                }
                const Vec2 at{aCentre.x - s * 0.08f, aCentre.y - s * 0.02f};
                for (int i = 0; i < 4; ++i)
                {
                    const float y = at.y - s * 0.06f + s * 0.04f * float(i);
                    aCanvas.DrawTapered({{at.x - s * 0.42f, y}, {at.x - s * 0.12f, y}}, 1.0f, s * 0.014f, WithAlpha(Palette::EmberLight, 0.85f));
                }
                Glow(aCanvas, at + Vec2{s * 0.1f, 0}, s * 0.28f, Palette::Ember, 0.7f);
                DrawMoth(aCanvas, at, s * 0.28f, 0.0f, 0.15f, Palette::Wing, Palette::WingLight, Palette::Fluff, s * 0.008f);
                break;
            }
            }
        }

        // A 2:1 card: a night panel in an ember frame, a picture on the left, the title and
        // the lines on the right, the key that goes on at the foot, page marks in the corner.
        Canvas Card(const Fonts& someFonts, int anUpgrade, const CardText& aText, int aPage, bool aPad)
        {
            const int width = 1280, height = 640;
            const float w = float(width), h = float(height);
            Canvas canvas(width, height);
            Path panel;
            panel.AddRoundedRect(24, 24, w - 48, h - 48, 44);
            {
                Canvas shadow(width, height);
                shadow.Fill(panel.Transformed(Affine::Translate({4, 10})), WithAlpha(Palette::NightDeep, 0.7f));
                shadow.Blur(10.0f);
                canvas.Blit(shadow, 0, 0);
            }
            canvas.Fill(panel, Paint::Linear({0, 24}, {0, h - 24}, {{0.0f, WithAlpha(Hex(0x242257), 0.95f)}, {1.0f, WithAlpha(Palette::NightDeep, 0.95f)}}));
            // The picture sits in a round window of light on the left.
            const Vec2 figure{w * 0.22f, h * 0.5f};
            canvas.FillCircle(figure, h * 0.36f, Paint::Radial(figure, h * 0.36f, {{0.0f, WithAlpha(Hex(0x3b3480), 0.9f)}, {1.0f, WithAlpha(Hex(0x1b1940), 0.0f)}}));
            if (aPage == 1)
                ElderMoth(canvas, figure, h * 0.48f);
            else
                Figure(canvas, anUpgrade, figure, h * 0.62f);
            canvas.StrokeRoundedRect(24, 24, w - 48, h - 48, 44, 6, Paint::Linear({0, 24}, Palette::EmberLight, {0, h - 24}, Palette::EmberDeep));
            canvas.StrokeRoundedRect(40, 40, w - 80, h - 80, 32, 2, WithAlpha(Palette::EmberLight, 0.3f));
            for (const Vec2 corner : {Vec2{40, 40}, Vec2{w - 40, 40}, Vec2{40, h - 40}, Vec2{w - 40, h - 40}})
            {
                Glow(canvas, corner, 22, Palette::Ember, 0.6f);
                canvas.FillPolygon({corner + Vec2{0, -9}, corner + Vec2{7, 0}, corner + Vec2{0, 9}, corner + Vec2{-7, 0}}, Palette::EmberLight);
            }

            const float textCentre = w * 0.62f;
            GlowingText(canvas, someFonts.bold, aText.title, textCentre, 160, 66, Palette::Glow, Palette::Ember, 3.0f, Palette::Ember, 12.0f, 0.5f);
            float baseline = 268.0f;
            for (const std::string& line : aText.lines)
            {
                CentredRichLine(canvas, someFonts, line, textCentre, baseline, 40, Palette::FluffLight);
                baseline += 66.0f;
            }
            // What the next press of interact does.
            const std::string hint = std::string(aPad ? "(Y)" : "[E]") + "  " + aText.hint;
            CentredRichLine(canvas, someFonts, hint, textCentre, h - 74, 30, WithAlpha(Palette::FluffDark, 1.0f));
            for (int page = 1; page <= 2; ++page)
            {
                const Vec2 dot{w - 104 + 30.0f * float(page - 1), h - 84};
                canvas.FillCircle(dot, 9, Palette::Ink);
                canvas.FillCircle(dot, 7, page == aPage ? Palette::Ember : WithAlpha(Palette::Mist, 0.9f));
            }
            return canvas;
        }
    }

    void WritePrompts(Art& anArt)
    {
        anArt.Texture(UiPaths::InteractPromptKeyboard, KeyboardPrompt());
        anArt.Texture(UiPaths::InteractPromptController, PadPrompt());
        const Fonts fonts;
        for (const Tutorial& tutorial : Tutorials())
        {
            for (const bool pad : {false, true})
            {
                anArt.Texture(UiPaths::TutorialCard(tutorial.upgrade, 1, pad), Card(fonts, tutorial.upgrade, tutorial.words, 1, pad));
                anArt.Texture(UiPaths::TutorialCard(tutorial.upgrade, 2, pad), Card(fonts, tutorial.upgrade, pad ? tutorial.pad : tutorial.keyboard, 2, pad));
            }
        }
    }
}
