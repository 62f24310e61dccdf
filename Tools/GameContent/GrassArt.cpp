// Grass for the two grassy levels, four kinds each: tall blades, a low tuft, curling ferns
// and flowering stalks with glowing bulbs. Every sheet is a 16-frame sway loop; the roots
// sit on the cell's bottom edge (the quad is centred on the object, 100 x scale units).
#include "Drawing.h"
#include "Layouts.h"

#include "ContentKit/Random.h"
#include "ContentKit/SpriteSheet.h"

#include <cmath>

namespace GameContent
{
    namespace
    {
        struct GrassColors
        {
            Color dark, mid, light, tip, bloom;
        };

        GrassColors ColorsOf(int aLevel)
        {
            // Level 1: a blue-green forest floor. Level 2: dusky violet ruins, warmer tips.
            if (aLevel == 1)
                return {Hex(0x15293d), Hex(0x22506a), Hex(0x3d8496), Hex(0x8ccfc9), Palette::EmberLight};
            return {Hex(0x2a1737), Hex(0x55295a), Hex(0x8a4676), Hex(0xe0917a), Hex(0xffe3a6)};
        }

        // A blade from aRoot, leaning by aLean and bending more towards the tip by aBend.
        std::vector<Vec2> Blade(Vec2 aRoot, float aHeight, float aLean, float aBend)
        {
            std::vector<Vec2> points{aRoot};
            float angle = -Pi * 0.5f + aLean;
            const int segments = 7;
            for (int i = 1; i <= segments; ++i)
            {
                const float t = float(i) / float(segments);
                angle += aBend * t * 0.45f;
                points.push_back(points.back() + FromAngle(angle, aHeight / float(segments)));
            }
            return points;
        }

        Canvas GrassCell(int aLevel, int aKind, int aFrame, int aCellSize)
        {
            const GrassColors colors = ColorsOf(aLevel);
            Canvas art(aCellSize, aCellSize);
            const float pixels = float(aCellSize) / 100.0f;
            Pen pen(art, Affine::Scale(pixels, pixels));
            const float phase = 2.0f * Pi * float(aFrame) / 16.0f;
            Rng rng(uint64_t(aLevel * 10 + aKind));
            const float ground = 99.0f;
            const auto wind = [&](float x, float aStrength) { return aStrength * (std::sin(phase + x * 0.06f) + 0.3f * std::sin(2.0f * phase + x * 0.11f)); };

            const auto bladePaint = [&](const std::vector<Vec2>& somePoints) {
                return Paint::Linear(pen.Map(somePoints.front()), pen.Map(somePoints.back()),
                                     {{0.0f, colors.dark}, {0.55f, colors.mid}, {0.85f, colors.light}, {1.0f, colors.tip}});
            };

            if (aKind == 1 || aKind == 2)
            {
                // Blades: tall and thin (1) or low and dense (2), back row darker.
                const int count = aKind == 1 ? 13 : 20;
                for (int i = 0; i < count; ++i)
                {
                    const float x = 14.0f + 72.0f * (float(i) + rng.Range(-0.4f, 0.4f)) / float(count - 1);
                    const float height = aKind == 1 ? rng.Range(45.0f, 80.0f) : rng.Range(22.0f, 44.0f);
                    const float lean = (x - 50.0f) * 0.008f + rng.Range(-0.15f, 0.15f);
                    const auto blade = Blade({x, ground}, height, lean, wind(x, aKind == 1 ? 0.55f : 0.35f) + rng.Range(-0.2f, 0.2f));
                    const bool back = i % 2 == 1;
                    std::vector<Vec2> mapped = blade;
                    pen.Limb(mapped, aKind == 1 ? 5.0f : 6.0f, 0.6f, back ? Paint(Darken(colors.mid, 0.35f)) : bladePaint(blade), 0.7f);
                }
            }
            else if (aKind == 3)
            {
                // Ferns: arching fronds with leaflets on both sides, the tips curling.
                for (int f = 0; f < 4; ++f)
                {
                    const float x = 28.0f + 15.0f * float(f) + rng.Range(-3.0f, 3.0f);
                    const float lean = (float(f) - 1.5f) * 0.3f;
                    const auto frond = Blade({x, ground}, rng.Range(50.0f, 70.0f), lean, (float(f) - 1.5f) * 0.3f + wind(x, 0.3f));
                    const Color stem = f % 2 ? Darken(colors.mid, 0.25f) : colors.mid;
                    for (size_t i = 1; i + 1 < frond.size(); ++i)
                    {
                        const Vec2 along = Normalized(frond[i + 1] - frond[i]);
                        const float size = 11.0f * (1.0f - float(i) / float(frond.size()));
                        for (const float side : {-1.0f, 1.0f})
                        {
                            const Vec2 leaf = frond[i] + (Perpendicular(along) * side + along * 0.4f) * size;
                            const Vec2 mid = (frond[i] + leaf) * 0.5f;
                            pen.Shape(Path().AddEllipse(mid, size * 0.55f, size * 0.22f, std::atan2(leaf.y - frond[i].y, leaf.x - frond[i].x)),
                                      f % 2 ? Paint(Darken(colors.light, 0.25f)) : Paint(colors.light), 0.6f);
                        }
                    }
                    pen.Limb(frond, 3.0f, 1.0f, stem, 0.6f);
                    // The curled tip.
                    const Vec2 tip = frond.back();
                    pen.Line({tip, tip + Vec2{2.5f, -2.5f}, tip + Vec2{4.0f, 0.0f}, tip + Vec2{2.0f, 2.0f}}, 1.6f, colors.tip);
                }
            }
            else
            {
                // Flowering stalks: a few blades and three stalks with bulbs that glow and nod.
                for (int i = 0; i < 9; ++i)
                {
                    const float x = 18.0f + 64.0f * float(i) / 8.0f + rng.Range(-3.0f, 3.0f);
                    const auto blade = Blade({x, ground}, rng.Range(20.0f, 40.0f), (x - 50.0f) * 0.01f, wind(x, 0.3f));
                    pen.Limb(blade, 4.5f, 0.6f, bladePaint(blade), 0.6f);
                }
                for (int s = 0; s < 3; ++s)
                {
                    const float x = 32.0f + 18.0f * float(s);
                    const auto stalk = Blade({x, ground}, 55.0f + 12.0f * float(s % 2), (float(s) - 1.0f) * 0.2f, wind(x, 0.45f) + 0.25f);
                    pen.Limb(stalk, 2.6f, 1.6f, colors.mid, 0.6f);
                    const Vec2 bulb = stalk.back() + Vec2{1.0f, 4.0f};
                    const float pulse = 0.75f + 0.25f * std::sin(phase * 2.0f + float(s) * 2.0f);
                    pen.Glow(bulb, 16.0f, colors.bloom, 0.45f * pulse);
                    pen.Shape(Path().AddEllipse(bulb, 5.0f, 6.5f, 0.2f), pen.Radial(bulb + Vec2{-1, -2}, 7.0f, {{0.0f, Palette::Glow}, {1.0f, colors.bloom}}),
                              0.8f);
                    pen.Shape(Path().AddEllipse(bulb + Vec2{0, -5.5f}, 4.0f, 2.0f, 0.0f), colors.dark, 0.5f);
                }
            }
            Canvas cell(aCellSize, aCellSize);
            cell.Blit(art.Outlined(0.8f * pixels, Palette::Ink), 0, 0);
            return cell;
        }
    }

    void WriteGrassArt(Output& anOutput)
    {
        for (int level = 1; level <= 2; ++level)
        {
            for (int kind = 1; kind <= 4; ++kind)
            {
                const SheetLayout layout = Sheets::Grass(level, kind);
                SpriteSheet sheet(layout.columns, layout.rows, layout.cellSize, layout.cellSize);
                for (int i = 0; i < sheet.Cells(); ++i)
                    sheet.Place(i, GrassCell(level, kind, i, layout.cellSize));
                anOutput.Texture(layout.texture, sheet.Image());
            }
        }
    }
}
