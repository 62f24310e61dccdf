#include "LevelArt.h"

#include "ContentKit/Canvas.h"
#include "ContentKit/ImageFiles.h"
#include "ContentKit/Random.h"

#include <cmath>
#include <vector>

namespace LevelGen::Art
{
    namespace
    {
        using namespace ContentKit;

        // Strands hanging from the top edge, with leaves along them.
        Canvas DrawVines()
        {
            Canvas canvas(256, 512);
            Rng random(17);
            for (int strand = 0; strand < 6; ++strand)
            {
                const float x = 24.0f + 40.0f * float(strand) + random.Range(-8, 8);
                const float length = random.Range(260, 500);
                std::vector<Vec2> points;
                for (float y = 0; y <= length; y += 16.0f)
                    points.push_back({x + std::sin(y * 0.02f + float(strand)) * 10.0f, y});
                const Color stem = Mix(Hex(0x1f3b34), Hex(0x2f5a46), random.Next());
                canvas.DrawTapered(points, 6.0f, 2.0f, stem);
                for (size_t i = 2; i < points.size(); i += 2)
                {
                    const float side = (i / 2) % 2 ? 1.0f : -1.0f;
                    canvas.FillEllipse({points[i].x + side * 9.0f, points[i].y}, 10.0f, 4.5f, side * 0.6f,
                                       Mix(Hex(0x3f7a55), Hex(0x7fb069), random.Next()));
                }
            }
            return canvas;
        }

        // A standing stone with glowing carved lines.
        Canvas DrawRunestone()
        {
            Canvas canvas(256, 256);
            canvas.FillRoundedRect(58, 30, 140, 220, 40,
                                   Paint::Linear({58, 30}, Hex(0x6d6f86), {198, 250}, Hex(0x34364a)));
            canvas.StrokeRoundedRect(58, 30, 140, 220, 40, 4.0f, Hex(0x23243a));
            const Color glow = Hex(0xffb86b);
            canvas.DrawPolyline({{128, 70}, {128, 200}}, 6.0f, glow);
            canvas.DrawPolyline({{100, 100}, {128, 130}, {156, 100}}, 6.0f, glow);
            canvas.DrawPolyline({{100, 170}, {128, 150}, {156, 170}}, 6.0f, glow);
            canvas.FillEllipse({128, 250}, 90, 10, 0.0f, WithAlpha(Hex(0x101018), 0.5f));
            return canvas;
        }

        // The shape behind the last room: a hunched shadow with tendrils and two eyes.
        Canvas DrawBossShade()
        {
            Canvas canvas(1024, 1024);
            const Color body = Hex(0x0c0a16);
            canvas.FillEllipse({512, 560}, 330, 400, 0.0f, Paint::Radial({512, 500}, 420, Hex(0x2a2040), body));
            Rng random(5);
            for (int i = 0; i < 14; ++i)
            {
                const float a = -2.6f + 5.2f * float(i) / 13.0f;
                std::vector<Vec2> points;
                const float bend = random.Range(-0.8f, 0.8f);
                for (int k = 0; k <= 12; ++k)
                {
                    const float t = float(k) / 12.0f, r = 300.0f + 190.0f * t;
                    points.push_back({512 + std::sin(a + bend * t) * r, 560 + std::cos(a + bend * t) * r * 0.95f});
                }
                canvas.DrawTapered(points, 46.0f, 4.0f, body);
            }
            for (const float side : {-1.0f, 1.0f})
            {
                const Vec2 eye{512 + side * 110, 430};
                canvas.FillEllipse(eye, 70, 44, side * 0.25f, Paint::Radial(eye, 70, WithAlpha(Hex(0xff7a3a), 0.55f), Transparent));
                canvas.FillEllipse(eye, 34, 18, side * 0.25f, Hex(0xffd08a));
                canvas.FillEllipse(eye, 8, 16, 0.0f, Hex(0x200810));
            }
            return canvas;
        }
    }

    bool WriteDecorations(const std::filesystem::path& aGameRoot, std::string* anError)
    {
        const std::pair<const char*, Canvas> art[] = {{Vines, DrawVines()}, {Runestone, DrawRunestone()}, {BossShade, DrawBossShade()}};
        for (const auto& [path, canvas] : art)
        {
            if (!WriteDds(aGameRoot / path, canvas))
            {
                if (anError)
                    *anError = "cannot write " + (aGameRoot / path).string();
                return false;
            }
        }
        return true;
    }
}
