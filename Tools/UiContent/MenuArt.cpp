// The pieces of the menu pages: button plates fitted to their labels, the moth cursor, the
// volume slider, the game's title, page headings, level pictures and the credits.
#include "LevelArt.h"
#include "MenuLayout.h"

#include "ContentKit/Random.h"

#include <algorithm>
#include <cmath>

namespace UiContent
{
    namespace
    {
        // A soft dark shadow of a shape, drawn first so the shape floats a little.
        void DropShadow(Canvas& aCanvas, const Path& aShape, float anOffset, float aBlur, float anOpacity)
        {
            Canvas shadow(aCanvas.Width(), aCanvas.Height());
            shadow.Fill(aShape.Transformed(Affine::Translate({anOffset * 0.4f, anOffset})), WithAlpha(Palette::NightDeep, anOpacity));
            shadow.Blur(aBlur);
            aCanvas.Blit(shadow, 0, 0);
        }

        // A small ember gem: a rhombus with a lit facet and a glow.
        void Gem(Canvas& aCanvas, Vec2 aCentre, float aRadius, float aGlow)
        {
            Glow(aCanvas, aCentre, aRadius * 3.2f, Palette::Ember, aGlow);
            const std::vector<Vec2> outer{{aCentre.x, aCentre.y - aRadius * 1.25f}, {aCentre.x + aRadius, aCentre.y},
                                          {aCentre.x, aCentre.y + aRadius * 1.25f}, {aCentre.x - aRadius, aCentre.y}};
            Pen pen(aCanvas, Affine{});
            pen.Shape(Path().AddPolygon(outer), Paint::Linear({aCentre.x, aCentre.y - aRadius}, Palette::EmberLight, {aCentre.x, aCentre.y + aRadius},
                                                              Palette::EmberDeep),
                      aRadius * 0.22f);
            aCanvas.FillPolygon({{aCentre.x, aCentre.y - aRadius * 0.95f}, {aCentre.x + aRadius * 0.55f, aCentre.y - aRadius * 0.1f},
                                 {aCentre.x, aCentre.y - aRadius * 0.2f}},
                                WithAlpha(Palette::Glow, 0.85f));
        }

        // Faint moth-wing scales over a plate: rows of small arcs, stronger towards the right.
        void WingScales(Canvas& aCanvas, float aLeft, float aTop, float aRight, float aBottom, float aStep, uint64_t aSeed)
        {
            Rng rng(aSeed);
            for (float y = aTop + aStep * 0.5f; y < aBottom; y += aStep * 0.7f)
            {
                const float shift = std::fmod((y - aTop) / (aStep * 0.7f), 2.0f) < 1.0f ? 0.0f : aStep * 0.5f;
                for (float x = aLeft + shift; x < aRight; x += aStep)
                {
                    const float t = (x - aLeft) / std::max(1.0f, aRight - aLeft);
                    std::vector<Vec2> arc;
                    for (int i = 0; i <= 8; ++i)
                    {
                        const float a = Pi * (0.15f + 0.7f * float(i) / 8.0f);
                        arc.push_back({x + std::cos(a) * aStep * 0.45f, y + std::sin(a) * aStep * 0.4f});
                    }
                    aCanvas.DrawPolyline(arc, aStep * 0.06f, WithAlpha(Palette::MistLight, (0.05f + 0.07f * t) * rng.Range(0.6f, 1.0f)));
                }
            }
        }

        // A button: an ember gem where the cursor points, a silk thread leading to a night-blue
        // plate, and the plate the label sits on (it starts just left of the centre).
        Canvas ButtonPlate(const ButtonPlace& aButton, uint64_t aSeed)
        {
            const float k = ButtonShape::TexelsPerPixel;
            const int width = int(2.0f * aButton.halfWidth * k), height = int(ButtonShape::Height * k);
            Canvas canvas(width, height);
            const float centreX = aButton.halfWidth * k, centreY = ButtonShape::Height * 0.5f * k;
            const float top = centreY - ButtonShape::PlateTop * k, bottom = centreY + ButtonShape::PlateBottom * k;
            const float left = centreX - ButtonShape::PlateLead * k;
            const float right = std::min(centreX + aButton.plateRight * k, float(width) - 6.0f * k);
            const float middle = (top + bottom) * 0.5f;
            const float radius = (bottom - top) * 0.3f;

            // A dark ground fills the opening the background leaves for the button, so what is
            // seen around the plate does not depend on the colour the screen was cleared to.
            {
                const Affine toTexture = Affine::Scale(k, k) * Affine::Translate({-(aButton.x - aButton.halfWidth), -(900.0f - aButton.y - ButtonShape::Height * 0.5f)});
                const Path opening = ButtonOpening(aButton).Transformed(toTexture);
                Path grown = opening;
                for (const auto& contour : opening.Contours())
                    grown.AddPath(StrokeOutline(contour, 20.0f * k, 20.0f * k, true));
                Canvas ground(width, height);
                ground.Fill(grown, Palette::NightDeep);
                ground.Blur(4.0f * k);
                for (int y = 0; y < height; ++y)
                    for (int x = 0; x < width; ++x)
                        ground.At(x, y).a = std::min(1.0f, ground.At(x, y).a * 1.6f);
                canvas.Blit(ground, 0, 0);
            }

            const Vec2 gem{ButtonShape::GemInset * k, middle};
            // The thread sags a little and glows faintly near the gem.
            const std::vector<Vec2> thread = FlattenCubic(gem + Vec2{8.0f * k, 0.0f}, {gem.x + (left - gem.x) * 0.35f, middle + 5.0f * k},
                                                          {gem.x + (left - gem.x) * 0.7f, middle + 5.0f * k}, {left + 2.0f * k, middle}, 40);
            canvas.Fill(StrokeOutline(thread, 4.2f * k, 4.2f * k, false), WithAlpha(Palette::Ink, 0.85f));
            canvas.Fill(StrokeOutline(thread, 1.8f * k, 1.8f * k, false),
                        Paint::Linear(gem, WithAlpha(Palette::EmberLight, 0.95f), {left, middle}, WithAlpha(Palette::FluffDark, 0.7f)));
            for (float t : {0.3f, 0.62f})
            {
                const Vec2 bead = thread[size_t(t * float(thread.size() - 1))];
                canvas.FillCircle(bead, 3.2f * k, Palette::Ink);
                canvas.FillCircle(bead, 2.2f * k, Mix(Palette::EmberLight, Palette::FluffLight, t));
            }

            Path plate;
            plate.AddRoundedRect(left, top, right - left, bottom - top, radius);
            DropShadow(canvas, plate, 4.0f * k, 5.0f * k, 0.75f);
            Pen pen(canvas, Affine{});
            pen.Shape(plate,
                      Paint::Linear({0, top}, {0, bottom},
                                    {{0.0f, WithAlpha(Hex(0x34306e), 0.97f)}, {0.45f, WithAlpha(Palette::Night, 0.97f)}, {1.0f, WithAlpha(Hex(0x0e0c22), 0.97f)}}),
                      2.6f * k);
            WingScales(canvas, left + radius, top + 5.0f * k, right - radius * 0.5f, bottom - 4.0f * k, 13.0f * k, aSeed);
            // A lit upper rim and an ember line along the foot.
            canvas.StrokeRoundedRect(left + 3.5f * k, top + 3.5f * k, right - left - 7.0f * k, bottom - top - 7.0f * k, radius * 0.75f, 1.2f * k,
                                     Paint::Linear({0, top}, WithAlpha(Palette::FluffLight, 0.32f), {0, bottom}, WithAlpha(Palette::FluffLight, 0.0f)));
            canvas.DrawLine({left + radius, bottom - 3.0f * k}, {right - radius, bottom - 3.0f * k}, 1.6f * k,
                            Paint::Linear({left, 0}, {right, 0},
                                          {{0.0f, WithAlpha(Palette::Ember, 0.0f)}, {0.25f, WithAlpha(Palette::Ember, 0.8f)},
                                           {0.8f, WithAlpha(Palette::EmberLight, 0.55f)}, {1.0f, WithAlpha(Palette::Ember, 0.0f)}}));
            // The plate's left end carries a small notch of ember, like a bookmark.
            canvas.FillRoundedRect(left + 7.0f * k, top + 10.0f * k, 4.0f * k, bottom - top - 20.0f * k, 2.0f * k,
                                   Paint::Linear({0, top}, Palette::EmberLight, {0, bottom}, Palette::EmberDeep));
            Gem(canvas, gem, 9.0f * k, 0.45f);
            return canvas;
        }

        // The cursor: a small moth flying right, wings swept back into an arrow head, with its
        // own glow. The game draws it at a fifth of its size centred 20 pixels left of a
        // button, level with the button's centre: the moth sits a little right of that and
        // higher, level with the plate, its antennae just short of the gem.
        Canvas Cursor()
        {
            const int size = 400;
            Canvas canvas(size, size);
            const Vec2 centre{250.0f, 200.0f - 10.0f * 5.0f};
            Glow(canvas, centre, 140.0f, Palette::Ember, 0.55f);
            Glow(canvas, centre, 80.0f, Palette::EmberLight, 0.35f);
            DrawMoth(canvas, centre, 330.0f, 0.0f, 0.1f, Palette::Wing, Palette::FluffLight, Palette::Fluff, 9.0f);
            return canvas;
        }

        Canvas SliderBar()
        {
            const float k = 2.0f;
            const int width = int(PictureSize::BarWidth * k), height = int(PictureSize::BarHeight * k);
            Canvas canvas(width, height);
            const float w = float(width), h = float(height);
            const float inset = 12.0f * k;   // the handle's centre reaches the bar's ends
            Path groove;
            groove.AddRoundedRect(4.0f * k, h * 0.5f - 8.0f * k, w - 8.0f * k, 16.0f * k, 8.0f * k);
            DropShadow(canvas, groove, 3.0f * k, 4.0f * k, 0.7f);
            Pen pen(canvas, Affine{});
            pen.Shape(groove, Paint::Linear({0, h * 0.5f - 8.0f * k}, Palette::NightDeep, {0, h * 0.5f + 8.0f * k}, Palette::Night), 2.2f * k);
            // The glow rises from quiet on the left to loud on the right.
            canvas.FillRoundedRect(9.0f * k, h * 0.5f - 3.5f * k, w - 18.0f * k, 7.0f * k, 3.5f * k,
                                   Paint::Linear({9.0f * k, 0}, {w - 9.0f * k, 0},
                                                 {{0.0f, WithAlpha(Palette::EmberDeep, 0.35f)}, {0.6f, Palette::Ember}, {1.0f, Palette::EmberLight}}));
            // A tick for each of the ten steps.
            for (int i = 0; i <= 10; ++i)
            {
                const float x = 4.0f * k + inset * 0.0f + (w - 8.0f * k) * float(i) / 10.0f;
                const float tall = i % 5 == 0 ? 9.0f * k : 5.0f * k;
                const float clampedX = std::clamp(x, 6.0f * k, w - 6.0f * k);
                canvas.DrawLine({clampedX, h * 0.5f - 8.0f * k - tall}, {clampedX, h * 0.5f - 9.5f * k}, 1.6f * k, WithAlpha(Palette::FluffLight, 0.7f));
            }
            return canvas;
        }

        Canvas SliderHandle()
        {
            const float k = 2.0f;
            const int size = int(PictureSize::HandleSize * k);
            Canvas canvas(size, size);
            const float s = float(size);
            const Vec2 c{s * 0.5f, s * 0.5f};
            Glow(canvas, c, s * 0.5f, Palette::Ember, 0.6f);
            Pen pen(canvas, Affine{});
            pen.Toned(Path().AddCircle(c, s * 0.22f), c, s * 0.22f, Palette::EmberDeep, Palette::Ember, Palette::EmberLight, 2.4f * k);
            canvas.FillCircle(c + Vec2{s * 0.06f, -s * 0.07f}, s * 0.06f, WithAlpha(Palette::Glow, 0.9f));
            return canvas;
        }

        // A page heading: the word in pale fluff with an ember glow, between two silk threads
        // that end in gems.
        Canvas Heading(const Fonts& someFonts, const std::string& aText)
        {
            const float k = 1.5f;
            const int width = int(PictureSize::HeadingWidth * k), height = int(PictureSize::HeadingHeight * k);
            Canvas canvas(width, height);
            const float w = float(width), h = float(height);
            const float size = 74.0f * k;
            const float baseline = h * 0.5f + size * 0.36f;
            const float textWidth = someFonts.bold.Measure(aText, size);
            for (const float side : {-1.0f, 1.0f})
            {
                const float from = w * 0.5f + side * (textWidth * 0.5f + 26.0f * k);
                const float to = w * 0.5f + side * (textWidth * 0.5f + 150.0f * k);
                const float y = h * 0.5f + 4.0f * k;
                canvas.DrawLine({from, y}, {to, y}, 5.0f * k, WithAlpha(Palette::Ink, 0.8f));
                canvas.DrawLine({from, y}, {to, y}, 2.0f * k, Paint::Linear({from, 0}, Palette::EmberLight, {to, 0}, WithAlpha(Palette::Ember, 0.2f)));
                Gem(canvas, {from - side * 2.0f * k, y}, 7.0f * k, 0.5f);
            }
            GlowingText(canvas, someFonts.bold, aText, w * 0.5f, baseline, size, Palette::FluffLight, Palette::FluffDark, 3.0f * k, Palette::Ember,
                        14.0f * k, 0.55f);
            return canvas;
        }

        // The game's title: the name in ember letters over a great pale moth, the subtitle
        // beneath.
        Canvas Title(const Fonts& someFonts)
        {
            const float k = 2.0f;
            const int width = int(PictureSize::TitleWidth * k), height = int(PictureSize::TitleHeight * k);
            Canvas canvas(width, height);
            const float w = float(width), h = float(height);
            // The shape of a great moth behind the letters, one soft colour, wings open.
            {
                Canvas moth(width, height);
                DrawMoth(moth, {w * 0.5f, h * 0.44f}, h * 1.2f, -Pi * 0.5f, 0.95f, Palette::Wing, Palette::Wing, Palette::Wing, 0.0f);
                moth.Tint(Palette::WingLight);
                moth.Blur(3.0f * k);
                moth.MultiplyAlpha(0.3f);
                Glow(canvas, {w * 0.5f, h * 0.42f}, h * 0.6f, Palette::MistLight, 0.3f);
                canvas.Blit(moth, 0, 0);
            }
            const float size = 190.0f * k;
            GlowingText(canvas, someFonts.bold, GameTitle, w * 0.5f, h * 0.62f, size, Palette::Glow, Palette::EmberDeep, 5.0f * k, Palette::Ember,
                        26.0f * k, 0.9f);
            ShadowedText(canvas, someFonts.regular, GameSubtitle, w * 0.5f, h * 0.9f, 34.0f * k, Palette::Fluff, 1.0f);
            for (const float side : {-1.0f, 1.0f})
            {
                const float half = someFonts.regular.Measure(GameSubtitle, 34.0f * k) * 0.5f;
                const float y = h * 0.9f - 11.0f * k;
                Gem(canvas, {w * 0.5f + side * (half + 26.0f * k), y}, 5.5f * k, 0.4f);
            }
            return canvas;
        }

        // A framed picture of a level's woods with its name.
        Canvas LevelThumbnail(const Fonts& someFonts, int aLevel)
        {
            const float k = 2.0f;
            const int width = int(PictureSize::ThumbnailWidth * k), height = int(PictureSize::ThumbnailHeight * k);
            Canvas canvas(width, height);
            const float w = float(width), h = float(height);
            const float radius = 14.0f * k;
            // A slice of the level's own background, as wide as the frame.
            const Canvas layer = ParallaxLayer(aLevel, 768);
            Canvas picture(width, height);
            picture.BlitScaled(layer, 0.0f, -w * 0.3f, w, w);
            // The name on a dark band along the foot.
            picture.FillRect(0, h - 46.0f * k, w, 46.0f * k,
                             Paint::Linear({0, h - 46.0f * k}, WithAlpha(Palette::NightDeep, 0.0f), {0, h - 22.0f * k}, WithAlpha(Palette::NightDeep, 0.85f)));
            Canvas mask(width, height);
            mask.FillRoundedRect(4.0f * k, 4.0f * k, w - 8.0f * k, h - 8.0f * k, radius, Color{1, 1, 1, 1});
            picture.MaskBy(mask);
            Path frame;
            frame.AddRoundedRect(4.0f * k, 4.0f * k, w - 8.0f * k, h - 8.0f * k, radius);
            DropShadow(canvas, frame, 4.0f * k, 5.0f * k, 0.8f);
            canvas.Blit(picture, 0, 0);
            ShadowedText(canvas, someFonts.bold, LookOf(aLevel).name, w * 0.5f, h - 16.0f * k, 21.0f * k, Palette::FluffLight, 1.0f);
            canvas.StrokeRoundedRect(4.0f * k, 4.0f * k, w - 8.0f * k, h - 8.0f * k, radius, 2.6f * k, Palette::Ink);
            canvas.StrokeRoundedRect(5.5f * k, 5.5f * k, w - 11.0f * k, h - 11.0f * k, radius - 1.5f * k, 1.4f * k,
                                     Paint::Linear({0, 0}, WithAlpha(Palette::EmberLight, 0.9f), {0, h}, WithAlpha(Palette::Ember, 0.6f)));
            return canvas;
        }

        // The team's credits: who made what, in two columns, with the title and a thank-you.
        Canvas Credits(const Fonts& someFonts)
        {
            const float k = 1.5f;
            const int width = int(PictureSize::CreditsWidth * k), height = int(PictureSize::CreditsHeight * k);
            Canvas canvas(width, height);
            const float w = float(width), h = float(height);
            // A quiet panel behind the text so it reads over the woods.
            Path panel;
            panel.AddRoundedRect(10.0f * k, 10.0f * k, w - 20.0f * k, h - 20.0f * k, 30.0f * k);
            DropShadow(canvas, panel, 5.0f * k, 10.0f * k, 0.6f);
            canvas.Fill(panel, Paint::Linear({0, 0}, WithAlpha(Palette::Night, 0.82f), {0, h}, WithAlpha(Palette::NightDeep, 0.88f)));
            canvas.StrokeRoundedRect(10.0f * k, 10.0f * k, w - 20.0f * k, h - 20.0f * k, 30.0f * k, 2.0f * k, WithAlpha(Palette::Ember, 0.7f));
            canvas.StrokeRoundedRect(22.0f * k, 22.0f * k, w - 44.0f * k, h - 44.0f * k, 20.0f * k, 1.0f * k, WithAlpha(Palette::FluffLight, 0.15f));

            GlowingText(canvas, someFonts.bold, GameTitle, w * 0.5f, 92.0f * k, 56.0f * k, Palette::Glow, Palette::EmberDeep, 2.5f * k, Palette::Ember,
                        10.0f * k, 0.6f);
            ShadowedText(canvas, someFonts.regular, std::string(GameSubtitle) + " \xE2\x80\x94 a game by VT58", w * 0.5f, 130.0f * k, 22.0f * k,
                         Palette::Fluff, 0.8f);

            struct Role
            {
                const char* what;
                const char* who;
            };
            const Role roles[] = {{"Story", "The moths of Embercrest"},      {"Engine", "Kiln, by the VT58 team"},
                                  {"Levels", "Three dark woods and the way home"}, {"Music", "The Embercrest themes"},
                                  {"Art", "Drawn in code, stroke by stroke"},  {"Films", "Drawn in code, frame by frame"},
                                  {"Moths", "Too many to count"}};
            float baseline = 196.0f * k;
            const float gutter = w * 0.36f;
            for (const Role& role : roles)
            {
                const float roleSize = 24.0f * k, nameSize = 27.0f * k;
                const float roleWidth = someFonts.bold.Measure(role.what, roleSize);
                canvas.DrawText(someFonts.bold, role.what, {gutter - 16.0f * k - roleWidth, baseline}, roleSize, Palette::EmberLight);
                canvas.DrawText(someFonts.regular, role.who, {gutter + 16.0f * k, baseline}, nameSize, Palette::FluffLight);
                canvas.FillCircle({gutter, baseline - 8.0f * k}, 3.0f * k, WithAlpha(Palette::Ember, 0.8f));
                baseline += 44.0f * k;
            }
            GlowingText(canvas, someFonts.bold, "Thank you for playing", w * 0.5f, h - 46.0f * k, 30.0f * k, Palette::FluffLight, Palette::Fluff,
                        0.0f, Palette::Ember, 8.0f * k, 0.5f);
            DrawMoth(canvas, {w - 70.0f * k, 70.0f * k}, 70.0f * k, -Pi * 0.3f, 0.8f, Palette::Wing, Palette::WingLight, Palette::Fluff, 2.0f * k);
            DrawMoth(canvas, {70.0f * k, h - 80.0f * k}, 52.0f * k, -Pi * 0.62f, 0.6f, Palette::Wing, Palette::WingLight, Palette::Fluff, 2.0f * k);
            return canvas;
        }
    }

    void WriteMenuArt(Art& anArt, const MenuPages& somePages)
    {
        const Fonts fonts;
        uint64_t seed = 1;
        for (const PageLayout& page : somePages.pages)
            for (const ButtonPlace& button : page.buttons)
                anArt.Texture(button.texture, ButtonPlate(button, seed++));
        anArt.Texture(MenuPaths::Cursor, Cursor());
        anArt.Texture(MenuPaths::SliderBar, SliderBar());
        anArt.Texture(MenuPaths::SliderHandle, SliderHandle());
        anArt.Texture(MenuPaths::Title, Title(fonts));
        anArt.Texture(MenuPaths::Heading("LevelSelect"), Heading(fonts, "Level Select"));
        anArt.Texture(MenuPaths::Heading("Options"), Heading(fonts, "Options"));
        anArt.Texture(MenuPaths::Heading("Credits"), Heading(fonts, "Credits"));
        anArt.Texture(MenuPaths::Heading("Pause"), Heading(fonts, "Paused"));
        for (int level = 1; level <= 3; ++level)
            anArt.Texture(MenuPaths::LevelThumbnail(level), LevelThumbnail(fonts, level));
        anArt.Texture(MenuPaths::CreditsText, Credits(fonts));
    }
}
