#pragma once
// A drawable string in a TrueType font at a pixel size, with an optional dark outline.
// Each byte of the text selects a glyph.
#include "forge/math/Color.h"
#include "forge/math/Vector.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Kiln
{
    class InternalTextAndFontData;
    class TextService;

    class Text
    {
    public:
        Text(const char* aFontPath, uint32_t aPixelSize, uint8_t anOutlineWidth);

        void SetText(const std::string& aText) { myText = aText; }
        std::string GetText() const { return myText; }
        void SetPosition(const Vector2f& aPosition) { myPosition = aPosition; }
        void SetColor(const Color& aColor) { myColor = aColor; }
        // Radians, about the centre of the laid-out text.
        void SetRotation(float aRotation) { myRotation = aRotation; }

        const Vector2f& GetPosition() const { return myPosition; }
        const Color& GetColor() const { return myColor; }
        float GetRotation() const { return myRotation; }
        float GetScale() const { return myScale; }
        const std::shared_ptr<InternalTextAndFontData>& GetFont() const { return myFont; }

        void Render();

    private:
        TextService* myService = nullptr;
        std::shared_ptr<InternalTextAndFontData> myFont;
        std::string myText;
        Vector2f myPosition{0.0f, 0.0f};
        float myScale = 1.0f;
        float myRotation = 0.0f;
        Color myColor{1.0f, 1.0f, 1.0f, 1.0f};
    };
}
