#pragma once
// An RGBA drawing surface for content generators: anti-aliased paths (filled with a colour,
// a gradient or toon tones), strokes, blits, outlines, blur and FreeType text. Pixels are
// sRGB-encoded floats 0..1 with straight (not premultiplied) alpha, x right and y down,
// pixel (x, y) covering [x, x+1) x [y, y+1).
#include "ContentKit/Geometry.h"

#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

namespace ContentKit
{
    struct Color
    {
        float r = 0.0f;
        float g = 0.0f;
        float b = 0.0f;
        float a = 1.0f;
    };

    // 0xRRGGBB with an alpha.
    Color Hex(unsigned aRgb, float anAlpha = 1.0f);
    Color Mix(Color aFrom, Color aTo, float aT);
    Color WithAlpha(Color aColor, float anAlpha);
    Color Lighten(Color aColor, float anAmount);   // towards white by anAmount (0..1)
    Color Darken(Color aColor, float anAmount);    // towards black by anAmount (0..1)
    inline constexpr Color Transparent{0.0f, 0.0f, 0.0f, 0.0f};

    // What a fill paints at a point: one colour, a gradient with stops, or toon tones.
    class Paint
    {
    public:
        Paint(Color aColor = {});   // a solid colour (implicit: a Color is a Paint)
        static Paint Linear(Vec2 aFrom, Vec2 aTo, std::vector<std::pair<float, Color>> someStops);
        static Paint Linear(Vec2 aFrom, Color aFromColor, Vec2 aTo, Color aToColor);
        static Paint Radial(Vec2 aCentre, float aRadius, std::vector<std::pair<float, Color>> someStops);
        static Paint Radial(Vec2 aCentre, float aRadius, Color anInner, Color anOuter);
        // Cel shading of a round form: the side facing aLightDirection is light, the far side
        // dark, the middle band mid. Pass mid == light for two tones.
        static Paint Tones(Vec2 aCentre, float aRadius, Vec2 aLightDirection, Color aDark, Color aMid, Color aLight);

        Color At(Vec2 aPoint) const;

    private:
        enum class Kind { Solid, Linear, Radial, Tones };
        Kind myKind = Kind::Solid;
        Vec2 myA, myB;
        float myRadius = 1.0f;
        std::vector<std::pair<float, Color>> myStops;
    };

    enum class FillRule { NonZero, EvenOdd };
    enum class Blend { Over, Add, Erase };

    class Font;

    class Canvas
    {
    public:
        Canvas() = default;
        Canvas(int aWidth, int aHeight, Color aFill = Transparent);

        int Width() const { return myWidth; }
        int Height() const { return myHeight; }
        bool Empty() const { return myWidth == 0 || myHeight == 0; }
        Color& At(int x, int y) { return myPixels[size_t(y) * size_t(myWidth) + size_t(x)]; }
        const Color& At(int x, int y) const { return myPixels[size_t(y) * size_t(myWidth) + size_t(x)]; }
        // Bilinear sample at a point in pixel units; outside the canvas is transparent.
        Color Sample(Vec2 aPoint) const;

        void Clear(Color aColor = Transparent);
        // How later draws combine with what is there: over (default), added light, or erased.
        void SetBlend(Blend aBlend) { myBlend = aBlend; }
        Blend GetBlend() const { return myBlend; }

        void Fill(const Path& aPath, const Paint& aPaint, FillRule aRule = FillRule::NonZero, float anOpacity = 1.0f);
        void FillCircle(Vec2 aCentre, float aRadius, const Paint& aPaint);
        void FillEllipse(Vec2 aCentre, float aRadiusX, float aRadiusY, float anAngle, const Paint& aPaint);
        void FillPolygon(const std::vector<Vec2>& somePoints, const Paint& aPaint);
        void FillRect(float x, float y, float aWidth, float aHeight, const Paint& aPaint);
        void FillRoundedRect(float x, float y, float aWidth, float aHeight, float aRadius, const Paint& aPaint);

        // Strokes have round joins and caps; overlapping parts of one stroke do not add up.
        void StrokeCircle(Vec2 aCentre, float aRadius, float aWidth, const Paint& aPaint);
        void StrokeEllipse(Vec2 aCentre, float aRadiusX, float aRadiusY, float anAngle, float aWidth, const Paint& aPaint);
        void StrokePolygon(const std::vector<Vec2>& somePoints, float aWidth, const Paint& aPaint);
        void StrokeRoundedRect(float x, float y, float aWidth, float aHeight, float aRadius, float aLineWidth, const Paint& aPaint);
        void DrawLine(Vec2 aFrom, Vec2 aTo, float aWidth, const Paint& aPaint);
        void DrawPolyline(const std::vector<Vec2>& somePoints, float aWidth, const Paint& aPaint);
        void DrawCubic(Vec2 aP0, Vec2 aP1, Vec2 aP2, Vec2 aP3, float aWidth, const Paint& aPaint);
        // A stroke whose width changes linearly from the first point to the last (blades, fingers).
        void DrawTapered(const std::vector<Vec2>& somePoints, float aStartWidth, float anEndWidth, const Paint& aPaint);

        // Draws aSource with its top-left at (x, y) (whole pixels), or mapped by aTransform
        // (source pixels to this canvas, bilinear).
        void Blit(const Canvas& aSource, int x, int y, float anOpacity = 1.0f);
        void BlitTransformed(const Canvas& aSource, const Affine& aTransform, float anOpacity = 1.0f);
        void BlitScaled(const Canvas& aSource, float x, float y, float aWidth, float aHeight, float anOpacity = 1.0f);

        // A copy with an outline of aThickness pixels in aColor around every opaque part.
        Canvas Outlined(float aThickness, Color aColor) const;
        // Gaussian-like blur (three box passes) of aRadius pixels.
        void Blur(float aRadius);
        void MultiplyAlpha(float aFactor);
        // Every pixel's colour times aColor (alpha too).
        void Tint(Color aColor);
        // Keeps this canvas only where aMask is opaque (alpha times the mask's alpha).
        void MaskBy(const Canvas& aMask);

        // Text with its baseline starting at anOrigin; returns the advance in pixels.
        float DrawText(const Font& aFont, std::string_view aUtf8, Vec2 anOrigin, float aPixelHeight, const Paint& aPaint);

        // RGBA8 bytes, top row first.
        std::vector<uint8_t> ToRgba8() const;
        static Canvas FromRgba8(int aWidth, int aHeight, const uint8_t* someBytes);

    private:
        void Composite(int x, int y, Color aColor, float aCoverage);

        int myWidth = 0;
        int myHeight = 0;
        Blend myBlend = Blend::Over;
        std::vector<Color> myPixels;
    };

    // A TrueType face loaded with FreeType.
    class Font
    {
    public:
        explicit Font(const std::filesystem::path& aFile);
        ~Font();
        Font(Font&&) noexcept;
        Font& operator=(Font&&) noexcept;
        Font(const Font&) = delete;
        Font& operator=(const Font&) = delete;

        bool IsValid() const;
        // The advance width of aUtf8 at aPixelHeight.
        float Measure(std::string_view aUtf8, float aPixelHeight) const;
        // Ascent above the baseline at aPixelHeight.
        float Ascent(float aPixelHeight) const;

    private:
        friend class Canvas;
        struct Impl;
        std::unique_ptr<Impl> myImpl;
    };

    // The engine's UI face (Liberation Sans, installed as the engine's "Text/arial.ttf").
    std::filesystem::path DefaultFontPath(bool aBold = false);
}
