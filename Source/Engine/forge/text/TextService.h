#pragma once
// Loads fonts through FreeType into shared 1024 x 1024 atlases and draws texts as one
// sprite per byte through the sprite drawer.
#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <unordered_map>

typedef struct FT_LibraryRec_* FT_Library;

namespace Kiln
{
    class InternalTextAndFontData;
    class SpriteShader;
    class Text;

    class TextService
    {
    public:
        TextService();
        // Clears the font cache, then releases FreeType.
        ~TextService();
        TextService(const TextService&) = delete;
        TextService& operator=(const TextService&) = delete;

        bool Init();

        // The font for aPath (an asset path) at aSize pixels with an outline of anOutline
        // pixels, shared while any text holds it; empty when it cannot be loaded.
        std::shared_ptr<InternalTextAndFontData> GetOrLoadFont(const std::string& aPath, uint32_t aSize, uint8_t anOutline);

        // Builds that font on a worker thread from now on, with its atlas texture where the
        // device can make textures there; GetOrLoadFont then takes it (waiting if need be).
        void PrefetchFont(const std::string& aPath, uint32_t aSize, uint8_t anOutline);
        // GetOrLoadFont would not wait for that font: it is built, or was never asked ahead.
        bool IsFontReady(const std::string& aPath, uint32_t aSize, uint8_t anOutline) const;

        // One sprite batch with the font's atlas; false when the text has no usable font.
        bool Render(const Text& aText, SpriteShader* aCustomShader);

        // "<resolved path>-<size>-<outline as one raw character>".
        static std::string MakeFontKey(const std::string& aResolvedPath, uint32_t aSize, uint8_t anOutline);

    private:
        // The atlas with its mip chain, made on any thread the device allows.
        static bool CreateAtlasTexture(InternalTextAndFontData& someFont);

        FT_Library myLibrary = nullptr;
        std::unordered_map<std::string, std::weak_ptr<InternalTextAndFontData>> myFontCache;
        // Fonts asked for ahead, by key, until GetOrLoadFont takes them; null: not buildable.
        std::unordered_map<std::string, std::future<std::shared_ptr<InternalTextAndFontData>>> myPrefetched;
    };
}
