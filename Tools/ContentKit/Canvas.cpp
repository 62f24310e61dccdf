#include "ContentKit/Canvas.h"

#include <algorithm>
#include <cmath>

namespace ContentKit
{
    namespace
    {
        float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

        float SmoothStep(float e0, float e1, float x)
        {
            const float t = Clamp01((x - e0) / (e1 - e0));
            return t * t * (3.0f - 2.0f * t);
        }

        Color StopsAt(const std::vector<std::pair<float, Color>>& someStops, float t)
        {
            if (someStops.empty())
                return {};
            if (t <= someStops.front().first)
                return someStops.front().second;
            for (size_t i = 1; i < someStops.size(); ++i)
            {
                if (t <= someStops[i].first)
                {
                    const float span = someStops[i].first - someStops[i - 1].first;
                    const float local = span > 0.0f ? (t - someStops[i - 1].first) / span : 1.0f;
                    return Mix(someStops[i - 1].second, someStops[i].second, local);
                }
            }
            return someStops.back().second;
        }

        // Sub-scanlines per pixel row: 16 levels of vertical coverage, exact coverage across.
        constexpr int theSubRows = 16;

        struct Edge
        {
            Vec2 a, b;
        };

        // Coverage 0..1 of aPath over the pixel box [x0, x1) x [y0, y1), row-major.
        void Rasterize(const Path& aPath, FillRule aRule, int x0, int y0, int x1, int y1, std::vector<float>& aCoverage)
        {
            const int width = x1 - x0;
            aCoverage.assign(size_t(width) * size_t(y1 - y0), 0.0f);
            std::vector<Edge> edges;
            for (const auto& contour : aPath.Contours())
                for (size_t i = 0, j = contour.size() - 1; i < contour.size(); j = i++)
                    if (contour[j].y != contour[i].y)
                        edges.push_back({contour[j], contour[i]});

            // Edges sorted by their top, so each row looks at the ones that can reach it.
            std::sort(edges.begin(), edges.end(), [](const Edge& l, const Edge& r) {
                return std::min(l.a.y, l.b.y) < std::min(r.a.y, r.b.y);
            });
            std::vector<std::pair<float, int>> crossings;
            std::vector<const Edge*> active;
            size_t next = 0;
            for (int y = y0; y < y1; ++y)
            {
                while (next < edges.size() && std::min(edges[next].a.y, edges[next].b.y) < float(y + 1))
                    active.push_back(&edges[next++]);
                active.erase(std::remove_if(active.begin(), active.end(),
                                            [&](const Edge* e) { return std::max(e->a.y, e->b.y) < float(y); }),
                             active.end());
                float* row = aCoverage.data() + size_t(y - y0) * size_t(width);
                for (int s = 0; s < theSubRows; ++s)
                {
                    const float sy = float(y) + (float(s) + 0.5f) / float(theSubRows);
                    crossings.clear();
                    for (const Edge* e : active)
                    {
                        const float lo = std::min(e->a.y, e->b.y), hi = std::max(e->a.y, e->b.y);
                        if (sy < lo || sy >= hi)
                            continue;
                        const float x = e->a.x + (sy - e->a.y) * (e->b.x - e->a.x) / (e->b.y - e->a.y);
                        crossings.push_back({x, e->b.y > e->a.y ? 1 : -1});
                    }
                    if (crossings.size() < 2)
                        continue;
                    std::sort(crossings.begin(), crossings.end(), [](const auto& l, const auto& r) { return l.first < r.first; });
                    int winding = 0;
                    constexpr float weight = 1.0f / float(theSubRows);
                    for (size_t i = 0; i + 1 < crossings.size(); ++i)
                    {
                        winding += crossings[i].second;
                        const bool inside = aRule == FillRule::NonZero ? winding != 0 : (winding & 1) != 0;
                        if (!inside)
                            continue;
                        const float xa = std::max(crossings[i].first - float(x0), 0.0f);
                        const float xb = std::min(crossings[i + 1].first - float(x0), float(width));
                        if (xb <= xa)
                            continue;
                        const int ia = int(xa), ib = int(xb);
                        if (ia == ib)
                        {
                            row[ia] += (xb - xa) * weight;
                            continue;
                        }
                        row[ia] += (float(ia + 1) - xa) * weight;
                        for (int i2 = ia + 1; i2 < ib; ++i2)
                            row[i2] += weight;
                        if (ib < width)
                            row[ib] += (xb - float(ib)) * weight;
                    }
                }
            }
        }

        // Colour-weighted box blur of one line of premultiplied pixels.
        void BoxBlurLine(Color* someData, size_t aCount, size_t aStride, int aRadius, std::vector<Color>& aScratch)
        {
            aScratch.resize(aCount);
            for (size_t i = 0; i < aCount; ++i)
                aScratch[i] = someData[i * aStride];
            const float norm = 1.0f / float(2 * aRadius + 1);
            Color sum{0, 0, 0, 0};
            const auto get = [&](long i) -> const Color& {
                static const Color zero{0, 0, 0, 0};
                return i < 0 || i >= long(aCount) ? zero : aScratch[size_t(i)];
            };
            for (long i = -aRadius; i <= aRadius; ++i)
            {
                const Color& c = get(i);
                sum.r += c.r; sum.g += c.g; sum.b += c.b; sum.a += c.a;
            }
            for (size_t i = 0; i < aCount; ++i)
            {
                someData[i * aStride] = {sum.r * norm, sum.g * norm, sum.b * norm, sum.a * norm};
                const Color& out = get(long(i) - aRadius);
                const Color& in = get(long(i) + aRadius + 1);
                sum.r += in.r - out.r; sum.g += in.g - out.g; sum.b += in.b - out.b; sum.a += in.a - out.a;
            }
        }
    }

    Color Hex(unsigned aRgb, float anAlpha)
    {
        return {float((aRgb >> 16) & 0xFF) / 255.0f, float((aRgb >> 8) & 0xFF) / 255.0f, float(aRgb & 0xFF) / 255.0f, anAlpha};
    }

    Color Mix(Color aFrom, Color aTo, float aT)
    {
        return {aFrom.r + (aTo.r - aFrom.r) * aT, aFrom.g + (aTo.g - aFrom.g) * aT, aFrom.b + (aTo.b - aFrom.b) * aT,
                aFrom.a + (aTo.a - aFrom.a) * aT};
    }

    Color WithAlpha(Color aColor, float anAlpha)
    {
        aColor.a = anAlpha;
        return aColor;
    }

    Color Lighten(Color aColor, float anAmount)
    {
        return Mix(aColor, {1.0f, 1.0f, 1.0f, aColor.a}, anAmount);
    }

    Color Darken(Color aColor, float anAmount)
    {
        return Mix(aColor, {0.0f, 0.0f, 0.0f, aColor.a}, anAmount);
    }

    Paint::Paint(Color aColor)
        : myStops{{0.0f, aColor}}
    {
    }

    Paint Paint::Linear(Vec2 aFrom, Vec2 aTo, std::vector<std::pair<float, Color>> someStops)
    {
        Paint paint;
        paint.myKind = Kind::Linear;
        paint.myA = aFrom;
        paint.myB = aTo;
        paint.myStops = std::move(someStops);
        return paint;
    }

    Paint Paint::Linear(Vec2 aFrom, Color aFromColor, Vec2 aTo, Color aToColor)
    {
        return Linear(aFrom, aTo, {{0.0f, aFromColor}, {1.0f, aToColor}});
    }

    Paint Paint::Radial(Vec2 aCentre, float aRadius, std::vector<std::pair<float, Color>> someStops)
    {
        Paint paint;
        paint.myKind = Kind::Radial;
        paint.myA = aCentre;
        paint.myRadius = std::max(aRadius, 1e-6f);
        paint.myStops = std::move(someStops);
        return paint;
    }

    Paint Paint::Radial(Vec2 aCentre, float aRadius, Color anInner, Color anOuter)
    {
        return Radial(aCentre, aRadius, {{0.0f, anInner}, {1.0f, anOuter}});
    }

    Paint Paint::Tones(Vec2 aCentre, float aRadius, Vec2 aLightDirection, Color aDark, Color aMid, Color aLight)
    {
        Paint paint;
        paint.myKind = Kind::Tones;
        paint.myA = aCentre;
        paint.myB = Normalized(aLightDirection);
        paint.myRadius = std::max(aRadius, 1e-6f);
        paint.myStops = {{0.0f, aDark}, {0.0f, aMid}, {0.0f, aLight}};
        return paint;
    }

    Color Paint::At(Vec2 aPoint) const
    {
        switch (myKind)
        {
        case Kind::Solid:
            return myStops.front().second;
        case Kind::Linear:
        {
            const Vec2 axis = myB - myA;
            const float lengthSq = std::max(Dot(axis, axis), 1e-12f);
            return StopsAt(myStops, Clamp01(Dot(aPoint - myA, axis) / lengthSq));
        }
        case Kind::Radial:
            return StopsAt(myStops, Clamp01(Length(aPoint - myA) / myRadius));
        case Kind::Tones:
        {
            // A light that sits up and off to one side of a sphere: the lit cap is where the
            // offset point is near, the shadow where the form turns away.
            const Vec2 local = (aPoint - myA) / myRadius;
            const float facing = Dot(local, myB);
            const float band = 0.04f;
            const float toLight = SmoothStep(0.30f - band, 0.30f + band, facing);
            const float toMid = SmoothStep(-0.35f - band, -0.35f + band, facing);
            return Mix(Mix(myStops[0].second, myStops[1].second, toMid), myStops[2].second, toLight);
        }
        }
        return {};
    }

    Canvas::Canvas(int aWidth, int aHeight, Color aFill)
        : myWidth(std::max(aWidth, 0))
        , myHeight(std::max(aHeight, 0))
        , myPixels(size_t(myWidth) * size_t(myHeight), aFill)
    {
    }

    Color Canvas::Sample(Vec2 aPoint) const
    {
        const float fx = aPoint.x - 0.5f, fy = aPoint.y - 0.5f;
        const int x0 = int(std::floor(fx)), y0 = int(std::floor(fy));
        const float tx = fx - float(x0), ty = fy - float(y0);
        // Premultiplied interpolation, so transparent neighbours do not darken the edge.
        float r = 0, g = 0, b = 0, a = 0;
        for (int j = 0; j < 2; ++j)
        {
            for (int i = 0; i < 2; ++i)
            {
                const int x = x0 + i, y = y0 + j;
                if (x < 0 || y < 0 || x >= myWidth || y >= myHeight)
                    continue;
                const float w = (i ? tx : 1.0f - tx) * (j ? ty : 1.0f - ty);
                const Color& c = At(x, y);
                r += c.r * c.a * w; g += c.g * c.a * w; b += c.b * c.a * w; a += c.a * w;
            }
        }
        if (a <= 1e-6f)
            return Transparent;
        return {r / a, g / a, b / a, a};
    }

    void Canvas::Clear(Color aColor)
    {
        std::fill(myPixels.begin(), myPixels.end(), aColor);
    }

    void Canvas::Composite(int x, int y, Color aColor, float aCoverage)
    {
        Color& d = At(x, y);
        const float sa = Clamp01(aColor.a * aCoverage);
        if (sa <= 0.0f)
            return;
        switch (myBlend)
        {
        case Blend::Over:
        {
            const float outA = sa + d.a * (1.0f - sa);
            if (outA <= 1e-6f)
            {
                d = Transparent;
                return;
            }
            const float keep = d.a * (1.0f - sa);
            d.r = (aColor.r * sa + d.r * keep) / outA;
            d.g = (aColor.g * sa + d.g * keep) / outA;
            d.b = (aColor.b * sa + d.b * keep) / outA;
            d.a = outA;
            return;
        }
        case Blend::Add:
        {
            // Light adds to what is there; alpha grows as if over, colour in premultiplied terms.
            const float outA = Clamp01(d.a + sa);
            if (outA <= 1e-6f)
                return;
            d.r = Clamp01((d.r * d.a + aColor.r * sa) / outA);
            d.g = Clamp01((d.g * d.a + aColor.g * sa) / outA);
            d.b = Clamp01((d.b * d.a + aColor.b * sa) / outA);
            d.a = outA;
            return;
        }
        case Blend::Erase:
            d.a *= 1.0f - sa;
            return;
        }
    }

    void Canvas::Fill(const Path& aPath, const Paint& aPaint, FillRule aRule, float anOpacity)
    {
        if (aPath.Empty() || Empty())
            return;
        float minX = 1e30f, minY = 1e30f, maxX = -1e30f, maxY = -1e30f;
        for (const auto& contour : aPath.Contours())
        {
            for (const Vec2& p : contour)
            {
                if (!std::isfinite(p.x) || !std::isfinite(p.y))
                    return;
                minX = std::min(minX, p.x); maxX = std::max(maxX, p.x);
                minY = std::min(minY, p.y); maxY = std::max(maxY, p.y);
            }
        }
        const int x0 = std::max(0, int(std::floor(minX))), y0 = std::max(0, int(std::floor(minY)));
        const int x1 = std::min(myWidth, int(std::ceil(maxX)) + 1), y1 = std::min(myHeight, int(std::ceil(maxY)) + 1);
        if (x0 >= x1 || y0 >= y1)
            return;
        std::vector<float> coverage;
        Rasterize(aPath, aRule, x0, y0, x1, y1, coverage);
        const int width = x1 - x0;
        for (int y = y0; y < y1; ++y)
        {
            for (int x = x0; x < x1; ++x)
            {
                const float c = std::min(coverage[size_t(y - y0) * size_t(width) + size_t(x - x0)], 1.0f);
                if (c > 1.0f / 512.0f)
                    Composite(x, y, aPaint.At({float(x) + 0.5f, float(y) + 0.5f}), c * anOpacity);
            }
        }
    }

    void Canvas::FillCircle(Vec2 aCentre, float aRadius, const Paint& aPaint)
    {
        Fill(Path().AddCircle(aCentre, aRadius), aPaint);
    }

    void Canvas::FillEllipse(Vec2 aCentre, float aRadiusX, float aRadiusY, float anAngle, const Paint& aPaint)
    {
        Fill(Path().AddEllipse(aCentre, aRadiusX, aRadiusY, anAngle), aPaint);
    }

    void Canvas::FillPolygon(const std::vector<Vec2>& somePoints, const Paint& aPaint)
    {
        Fill(Path().AddPolygon(somePoints), aPaint);
    }

    void Canvas::FillRect(float x, float y, float aWidth, float aHeight, const Paint& aPaint)
    {
        Fill(Path().AddRect(x, y, aWidth, aHeight), aPaint);
    }

    void Canvas::FillRoundedRect(float x, float y, float aWidth, float aHeight, float aRadius, const Paint& aPaint)
    {
        Fill(Path().AddRoundedRect(x, y, aWidth, aHeight, aRadius), aPaint);
    }

    void Canvas::StrokeCircle(Vec2 aCentre, float aRadius, float aWidth, const Paint& aPaint)
    {
        StrokeEllipse(aCentre, aRadius, aRadius, 0.0f, aWidth, aPaint);
    }

    void Canvas::StrokeEllipse(Vec2 aCentre, float aRadiusX, float aRadiusY, float anAngle, float aWidth, const Paint& aPaint)
    {
        // The ring between two ellipses, filled even-odd.
        const float h = aWidth * 0.5f;
        Path ring;
        ring.AddEllipse(aCentre, aRadiusX + h, aRadiusY + h, anAngle);
        if (aRadiusX > h && aRadiusY > h)
            ring.AddEllipse(aCentre, aRadiusX - h, aRadiusY - h, anAngle);
        Fill(ring, aPaint, FillRule::EvenOdd);
    }

    void Canvas::StrokePolygon(const std::vector<Vec2>& somePoints, float aWidth, const Paint& aPaint)
    {
        Fill(StrokeOutline(somePoints, aWidth, aWidth, true), aPaint);
    }

    void Canvas::StrokeRoundedRect(float x, float y, float aWidth, float aHeight, float aRadius, float aLineWidth, const Paint& aPaint)
    {
        const float h = aLineWidth * 0.5f;
        Path ring;
        ring.AddRoundedRect(x - h, y - h, aWidth + aLineWidth, aHeight + aLineWidth, aRadius + h);
        if (aWidth > aLineWidth && aHeight > aLineWidth)
            ring.AddRoundedRect(x + h, y + h, aWidth - aLineWidth, aHeight - aLineWidth, std::max(aRadius - h, 0.0f));
        Fill(ring, aPaint, FillRule::EvenOdd);
    }

    void Canvas::DrawLine(Vec2 aFrom, Vec2 aTo, float aWidth, const Paint& aPaint)
    {
        Fill(StrokeOutline({aFrom, aTo}, aWidth, aWidth, false), aPaint);
    }

    void Canvas::DrawPolyline(const std::vector<Vec2>& somePoints, float aWidth, const Paint& aPaint)
    {
        Fill(StrokeOutline(somePoints, aWidth, aWidth, false), aPaint);
    }

    void Canvas::DrawCubic(Vec2 aP0, Vec2 aP1, Vec2 aP2, Vec2 aP3, float aWidth, const Paint& aPaint)
    {
        Fill(StrokeOutline(FlattenCubic(aP0, aP1, aP2, aP3), aWidth, aWidth, false), aPaint);
    }

    void Canvas::DrawTapered(const std::vector<Vec2>& somePoints, float aStartWidth, float anEndWidth, const Paint& aPaint)
    {
        Fill(StrokeOutline(somePoints, aStartWidth, anEndWidth, false), aPaint);
    }

    void Canvas::Blit(const Canvas& aSource, int x, int y, float anOpacity)
    {
        for (int sy = 0; sy < aSource.Height(); ++sy)
        {
            const int dy = y + sy;
            if (dy < 0 || dy >= myHeight)
                continue;
            for (int sx = 0; sx < aSource.Width(); ++sx)
            {
                const int dx = x + sx;
                if (dx >= 0 && dx < myWidth)
                    Composite(dx, dy, aSource.At(sx, sy), anOpacity);
            }
        }
    }

    void Canvas::BlitTransformed(const Canvas& aSource, const Affine& aTransform, float anOpacity)
    {
        if (aSource.Empty())
            return;
        const Vec2 corners[4] = {aTransform.Apply({0, 0}), aTransform.Apply({float(aSource.Width()), 0}),
                                 aTransform.Apply({0, float(aSource.Height())}),
                                 aTransform.Apply({float(aSource.Width()), float(aSource.Height())})};
        float minX = 1e30f, minY = 1e30f, maxX = -1e30f, maxY = -1e30f;
        for (const Vec2& c : corners)
        {
            minX = std::min(minX, c.x); maxX = std::max(maxX, c.x);
            minY = std::min(minY, c.y); maxY = std::max(maxY, c.y);
        }
        const Affine inverse = aTransform.Inverse();
        const int x0 = std::max(0, int(std::floor(minX))), y0 = std::max(0, int(std::floor(minY)));
        const int x1 = std::min(myWidth, int(std::ceil(maxX)) + 1), y1 = std::min(myHeight, int(std::ceil(maxY)) + 1);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                Composite(x, y, aSource.Sample(inverse.Apply({float(x) + 0.5f, float(y) + 0.5f})), anOpacity);
    }

    void Canvas::BlitScaled(const Canvas& aSource, float x, float y, float aWidth, float aHeight, float anOpacity)
    {
        if (aSource.Empty())
            return;
        const float sx = aWidth / float(aSource.Width()), sy = aHeight / float(aSource.Height());
        if (sx < 1.0f || sy < 1.0f)
        {
            // Shrinking: average the source first so thin lines do not shimmer away.
            Canvas smaller = aSource;
            smaller.Blur(0.35f / std::min(sx, sy));
            BlitTransformed(smaller, Affine::Translate({x, y}) * Affine::Scale(sx, sy), anOpacity);
            return;
        }
        BlitTransformed(aSource, Affine::Translate({x, y}) * Affine::Scale(sx, sy), anOpacity);
    }

    Canvas Canvas::Outlined(float aThickness, Color aColor) const
    {
        Canvas result(myWidth, myHeight);
        const int reach = int(std::ceil(aThickness + 0.5f));
        std::vector<std::pair<int, int>> offsets;
        std::vector<float> weights;
        for (int dy = -reach; dy <= reach; ++dy)
        {
            for (int dx = -reach; dx <= reach; ++dx)
            {
                const float w = Clamp01(aThickness + 0.5f - std::sqrt(float(dx * dx + dy * dy)));
                if (w > 0.0f)
                {
                    offsets.push_back({dx, dy});
                    weights.push_back(w);
                }
            }
        }
        for (int y = 0; y < myHeight; ++y)
        {
            for (int x = 0; x < myWidth; ++x)
            {
                float alpha = 0.0f;
                for (size_t i = 0; i < offsets.size() && alpha < 1.0f; ++i)
                {
                    const int sx = x + offsets[i].first, sy = y + offsets[i].second;
                    if (sx >= 0 && sy >= 0 && sx < myWidth && sy < myHeight)
                        alpha = std::max(alpha, At(sx, sy).a * weights[i]);
                }
                result.At(x, y) = WithAlpha(aColor, alpha * aColor.a);
            }
        }
        result.Blit(*this, 0, 0);
        return result;
    }

    void Canvas::Blur(float aRadius)
    {
        const int radius = int(std::round(aRadius / 1.7f));
        if (radius < 1 || Empty())
            return;
        for (Color& c : myPixels)
        {
            c.r *= c.a; c.g *= c.a; c.b *= c.a;
        }
        std::vector<Color> scratch;
        for (int pass = 0; pass < 3; ++pass)
        {
            for (int y = 0; y < myHeight; ++y)
                BoxBlurLine(&At(0, y), size_t(myWidth), 1, radius, scratch);
            for (int x = 0; x < myWidth; ++x)
                BoxBlurLine(&At(x, 0), size_t(myHeight), size_t(myWidth), radius, scratch);
        }
        for (Color& c : myPixels)
        {
            if (c.a > 1e-6f)
            {
                c.r /= c.a; c.g /= c.a; c.b /= c.a;
            }
            else
            {
                c = Transparent;
            }
        }
    }

    void Canvas::MultiplyAlpha(float aFactor)
    {
        for (Color& c : myPixels)
            c.a = Clamp01(c.a * aFactor);
    }

    void Canvas::Tint(Color aColor)
    {
        for (Color& c : myPixels)
        {
            c.r *= aColor.r; c.g *= aColor.g; c.b *= aColor.b; c.a *= aColor.a;
        }
    }

    void Canvas::MaskBy(const Canvas& aMask)
    {
        for (int y = 0; y < myHeight; ++y)
            for (int x = 0; x < myWidth; ++x)
                At(x, y).a *= x < aMask.Width() && y < aMask.Height() ? aMask.At(x, y).a : 0.0f;
    }

    std::vector<uint8_t> Canvas::ToRgba8() const
    {
        std::vector<uint8_t> bytes(myPixels.size() * 4);
        const auto toByte = [](float v) { return uint8_t(Clamp01(v) * 255.0f + 0.5f); };
        for (size_t i = 0; i < myPixels.size(); ++i)
        {
            bytes[i * 4 + 0] = toByte(myPixels[i].r);
            bytes[i * 4 + 1] = toByte(myPixels[i].g);
            bytes[i * 4 + 2] = toByte(myPixels[i].b);
            bytes[i * 4 + 3] = toByte(myPixels[i].a);
        }
        return bytes;
    }

    Canvas Canvas::FromRgba8(int aWidth, int aHeight, const uint8_t* someBytes)
    {
        Canvas canvas(aWidth, aHeight);
        for (size_t i = 0; i < canvas.myPixels.size(); ++i)
        {
            canvas.myPixels[i] = {float(someBytes[i * 4]) / 255.0f, float(someBytes[i * 4 + 1]) / 255.0f,
                                  float(someBytes[i * 4 + 2]) / 255.0f, float(someBytes[i * 4 + 3]) / 255.0f};
        }
        return canvas;
    }
}
