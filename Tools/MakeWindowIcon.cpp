// Draws the window icon, a small picture of the game's moth, into the file the window
// layer loads as the executable's icon resource 101: MakeWindowIcon <output.bmp>.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace
{
    constexpr int theSize = 64;
    constexpr int theSamples = 4;   // per axis, for smooth edges

    struct Rgba
    {
        float r, g, b, a;
    };

    Rgba Over(const Rgba& aTop, const Rgba& aBottom)
    {
        const float a = aTop.a + aBottom.a * (1.0f - aTop.a);
        if (a <= 0.0f)
            return {0, 0, 0, 0};
        const auto mix = [&](float aT, float aB) { return (aT * aTop.a + aB * aBottom.a * (1.0f - aTop.a)) / a; };
        return {mix(aTop.r, aBottom.r), mix(aTop.g, aBottom.g), mix(aTop.b, aBottom.b), a};
    }

    // Inside an ellipse centred at (cx, cy) with radii (rx, ry), turned by anAngle radians.
    bool InEllipse(float x, float y, float cx, float cy, float rx, float ry, float anAngle)
    {
        const float dx = x - cx, dy = y - cy;
        const float c = std::cos(anAngle), s = std::sin(anAngle);
        const float u = (dx * c + dy * s) / rx, v = (-dx * s + dy * c) / ry;
        return u * u + v * v <= 1.0f;
    }

    // The moth at one point of the 64 x 64 picture (y down), seen from above: body along
    // the middle, fore and hind wings mirrored on both sides, eye spots, feathered antennae.
    Rgba MothAt(float x, float y)
    {
        const Rgba body{0.25f, 0.17f, 0.12f, 1.0f};
        const Rgba foreWing{0.86f, 0.70f, 0.45f, 1.0f};
        const Rgba hindWing{0.74f, 0.55f, 0.33f, 1.0f};
        const Rgba edge{0.45f, 0.30f, 0.18f, 1.0f};
        const Rgba spot{0.20f, 0.14f, 0.30f, 1.0f};
        const Rgba spotLight{0.95f, 0.90f, 0.75f, 1.0f};

        Rgba colour{0, 0, 0, 0};
        const float mx = std::abs(x - 32.0f);   // distance from the middle: both sides alike
        // Hind wings below, fore wings above and over them.
        if (InEllipse(mx, y, 15.0f, 41.0f, 12.5f, 9.5f, 0.5f))
            colour = InEllipse(mx, y, 15.0f, 41.0f, 10.5f, 7.5f, 0.5f) ? hindWing : edge;
        if (InEllipse(mx, y, 16.0f, 25.0f, 16.0f, 11.0f, -0.45f))
        {
            colour = InEllipse(mx, y, 16.0f, 25.0f, 14.0f, 9.0f, -0.45f) ? foreWing : edge;
            if (InEllipse(mx, y, 19.0f, 24.0f, 4.5f, 4.5f, 0.0f))
                colour = InEllipse(mx, y, 19.5f, 23.5f, 1.6f, 1.6f, 0.0f) ? spotLight : spot;
        }
        // Body: head, thorax and a tapering abdomen.
        if (InEllipse(x, y, 32.0f, 15.0f, 3.5f, 3.5f, 0.0f) || InEllipse(x, y, 32.0f, 23.0f, 4.5f, 6.5f, 0.0f) ||
            InEllipse(x, y, 32.0f, 38.0f, 3.5f, 11.0f, 0.0f))
            colour = body;
        // Antennae: two arcs from the head outwards.
        const float ax = mx - 2.0f, ay = 13.0f - y;
        if (ax > 0.0f && ay > 0.0f && ax < 9.0f)
        {
            const float curve = 0.09f * ax * ax + 0.25f * ax;
            if (std::abs(ay - curve) < 1.0f)
                colour = Over(body, colour);
        }
        return colour;
    }
}

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: MakeWindowIcon <output.bmp>\n");
        return 1;
    }
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, theSize, theSize, 32, SDL_PIXELFORMAT_ARGB8888);
    if (surface == nullptr)
    {
        std::fprintf(stderr, "MakeWindowIcon: %s\n", SDL_GetError());
        return 1;
    }
    for (int py = 0; py < theSize; ++py)
    {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) + py * surface->pitch);
        for (int px = 0; px < theSize; ++px)
        {
            // Average premultiplied samples, so edges blend with whatever is behind the icon.
            float r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < theSamples; ++sy)
            {
                for (int sx = 0; sx < theSamples; ++sx)
                {
                    const Rgba c = MothAt(px + (sx + 0.5f) / theSamples, py + (sy + 0.5f) / theSamples);
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            }
            const float n = theSamples * theSamples;
            const auto byte = [](float aValue) { return static_cast<uint32_t>(std::clamp(aValue, 0.0f, 1.0f) * 255.0f + 0.5f); };
            const float alpha = a / n;
            const float scale = a > 0.0f ? 1.0f / a : 0.0f;
            row[px] = (byte(alpha) << 24) | (byte(r * scale) << 16) | (byte(g * scale) << 8) | byte(b * scale);
        }
    }
    const int saved = SDL_SaveBMP(surface, argv[1]);
    SDL_FreeSurface(surface);
    if (saved != 0)
    {
        std::fprintf(stderr, "MakeWindowIcon: cannot write %s: %s\n", argv[1], SDL_GetError());
        return 1;
    }
    return 0;
}
